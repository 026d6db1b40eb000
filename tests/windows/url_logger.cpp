// Stand-in handler for web addresses in the test prefix: records the address
// it was asked to open instead of going anywhere.
//   AURILO_URL_LOG   file that receives one line per address
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    char path[512] = "";
    GetEnvironmentVariableA("AURILO_URL_LOG", path, sizeof path);
    FILE* file = std::fopen(path, "ab");
    if (file == nullptr)
        return 1;
    std::fprintf(file, "open %s\n", argc > 1 ? argv[1] : "");
    std::fclose(file);
    return 0;
}

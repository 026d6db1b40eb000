// Writes resources/preview.bmp (bitmap 103) and resources/aurilo.ico (icon
// group 102) into the folder given, from the engine's own drawing.
#include <cstdio>
#include <string>

#include "tools/resources/resource_images.hpp"

namespace {

bool WriteFile(const std::string& path, const FileBytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-resources RESOURCE-FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!WriteFile(folder + "/preview.bmp", MakePreviewBitmap()) || !WriteFile(folder + "/aurilo.ico", MakeSaverIcon())) {
        std::fprintf(stderr, "make-resources: cannot write into %s\n", folder.c_str());
        return 2;
    }
    return 0;
}

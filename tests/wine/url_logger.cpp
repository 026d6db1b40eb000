// Stand-in handler for web addresses in the test prefix: records the address
// it was asked to open instead of going anywhere.
//   AURILO_URL_LOG   file that receives one line per address
#include "tests/wine/test_log.hpp"

int main(int argc, char** argv)
{
    AppendLogLine("AURILO_URL_LOG", "open %s", argc > 1 ? argv[1] : "");
    return 0;
}

// libFuzzer target over the command-line scanning: any bytes as a command line
// must give a tail and a text inside the line, one of the modes, and window
// numbers that are the leading digits modulo 2^32.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "windows/command_line.hpp"
#include "tests/windows/cp932_step.hpp"

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

uint32_t ReferenceNumber(const char* text)
{
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = (value * 10 + static_cast<uint64_t>(*text - '0')) % 4294967296ull;
    return static_cast<uint32_t>(value);
}

bool Inside(const char* at, const char* begin, const char* end)
{
    return at >= begin && at <= end;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const char* begin = line.data();
    const char* end = begin + std::strlen(begin);

    const char* tail = SkipProgramName(begin, Cp932Step);
    Require(Inside(tail, begin, end));
    Require(*tail == '\0' || static_cast<unsigned char>(*tail) > 32);

    for (bool onWindows9x : { false, true }) {
        const ModeRequest request = ScanCommandTail(tail, onWindows9x);
        switch (request.mode) {
        case SaverMode::FullScreen:
        case SaverMode::ConfigureUnowned:
        case SaverMode::Refused:
            break;
        case SaverMode::Preview:
        case SaverMode::PasswordChange:
            Require(*request.text != ' ');
            Require(onWindows9x || request.mode != SaverMode::PasswordChange);
            break;
        case SaverMode::Configure:
            break;
        default:
            Require(false);
        }
        // Configure without a colon carries an empty text of its own.
        Require(Inside(request.text, tail, end) || *request.text == '\0');
        Require(ParseWindowNumber(request.text) == ReferenceNumber(request.text));
    }
    Require(ParseWindowNumber(begin) == ReferenceNumber(begin));
    return 0;
}

#include "windows/command_line.hpp"

namespace {

constexpr unsigned char blank = 32;

bool IsNameByte(char c)
{
    return static_cast<unsigned char>(c) > blank;
}

const char* SkipBlanks(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

} // namespace

const char* SkipProgramName(const char* commandLine, CharacterStep step)
{
    const char* at = commandLine;
    if (*at == '"') {
        do
            at = step(at);
        while (*at != '\0' && *at != '"');
        if (*at == '"')
            at = step(at);
    } else {
        while (IsNameByte(*at))
            at = step(at);
    }
    // Blanks and control bytes up to 32 behind the name.
    while (*at != '\0' && !IsNameByte(*at))
        at = step(at);
    return at;
}

ModeRequest ScanCommandTail(const char* tail, bool onWindows9x)
{
    const char* at = tail;
    while (*at == ' ' || *at == '-' || *at == '/')
        ++at;
    switch (*at) {
    case '\0':
        return { SaverMode::ConfigureUnowned, at };
    case 'S':
    case 's':
        return { SaverMode::FullScreen, at + 1 };
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        return { SaverMode::Preview, SkipBlanks(at + 1) };
    case 'C':
    case 'c':
        // Only a colon introduces the owner's number.
        return { SaverMode::Configure, at[1] == ':' ? at + 2 : "" };
    case 'A':
    case 'a':
        if (!onWindows9x)
            return { SaverMode::Refused, at };
        return { SaverMode::PasswordChange, SkipBlanks(at + 1) };
    default:
        return { SaverMode::Refused, at };
    }
}

uint32_t ParseWindowNumber(const char* text)
{
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10 + static_cast<uint32_t>(*text - '0');
    return value;
}

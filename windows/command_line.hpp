// Taking the command line apart: skipping the program name and choosing the
// mode from the first switch letter. Plain byte logic; the caller supplies
// the step over one character of the ANSI code page (CharNextA on Windows).
#pragma once

#include <cstdint>

using CharacterStep = const char* (*)(const char* text);

enum class SaverMode {
    FullScreen,
    Preview, // text: the window number
    Configure, // text: the owner's window number, empty for none
    ConfigureUnowned,
    PasswordChange, // text: the owner's window number
    Refused,
};

struct ModeRequest {
    SaverMode mode;
    const char* text;
};

// The command tail: what follows the program name and the blanks behind it.
const char* SkipProgramName(const char* commandLine, CharacterStep step);
ModeRequest ScanCommandTail(const char* tail, bool onWindows9x);
// The decimal digits at the start of text, modulo 2^32; 0 when there are none.
uint32_t ParseWindowNumber(const char* text);

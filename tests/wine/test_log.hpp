// The test doubles' log: one line per event, appended to the file that an
// environment variable names (binary mode, so lines end in \n alone).
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>

inline void AppendLogLine(const char* variable, const char* format, ...)
{
    char path[512] = "";
    GetEnvironmentVariableA(variable, path, sizeof path);
    FILE* file = path[0] != '\0' ? std::fopen(path, "ab") : nullptr;
    if (file == nullptr)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(file, format, arguments);
    va_end(arguments);
    std::fputc('\n', file);
    std::fclose(file);
}

// Command lines of the Unix front ends, in the XScreenSaver hacks' manner:
// "-name" and "--name" alike, and the options every front end takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// -fps, -scale N and -ticks T1,T2,...: the front ends' own option sets extend this.
struct FrameOptions {
    bool showFps = false;
    uint32_t maxScale = 0; // -scale: the largest whole factor the image is blown up by; 0, none
    std::vector<uint32_t> ticks; // test mode: these frames, then the last one stays
};

struct TypedOption {
    std::string typed; // as on the command line, for the messages
    std::string name; // with one dash
    std::string value; // of an option that takes one
};

// The option at arguments[next], and its value when its name is among
// valueNames or is -scale or -ticks; next moves past both.
bool ReadOption(const std::vector<std::string>& arguments, size_t& next, const std::vector<std::string>& valueNames,
    TypedOption& option, std::string& error);

// -h, -help or --help anywhere on the line: the program prints its help and
// does nothing else.
bool AsksForHelp(const std::vector<std::string>& arguments);

// Takes -fps, -scale and -ticks into options; false for a bad value, with the
// error set, or for another option, with the error empty.
bool TakeFrameOption(const TypedOption& option, FrameOptions& options, std::string& error);

// Command line of the X11 hack, in the XScreenSaver manner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "unix/host_options.hpp"

enum class HackTarget {
    OwnWindow,
    Root,
    WindowId, // from -window-id or $XSCREENSAVER_WINDOW
};

struct HackOptions : FrameOptions {
    HackTarget target = HackTarget::OwnWindow;
    unsigned long windowId = 0;
    uint32_t delayMicroseconds = 16000; // near 60 frames a second
    std::string display; // empty: $DISPLAY
};

// xscreensaverWindow: the value of $XSCREENSAVER_WINDOW, or null when unset;
// when set it names the window unless -window-id does.
bool ParseHackOptions(const std::vector<std::string>& arguments, const char* xscreensaverWindow, HackOptions& options,
    std::string& error);
// Decimal, or hexadecimal after 0x.
bool ParseWindowId(const std::string& text, unsigned long& id);

extern const char hackUsage[];
extern const char hackHelp[]; // a line for each option

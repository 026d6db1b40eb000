// Command line of the X11 hack, in the XScreenSaver manner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class HackTarget {
    OwnWindow,
    Root,
    WindowId, // from -window-id or $XSCREENSAVER_WINDOW
};

struct HackOptions {
    HackTarget target = HackTarget::OwnWindow;
    unsigned long windowId = 0;
    bool showFps = false;
    uint32_t delayMicroseconds = 16000; // near 60 frames a second
    uint32_t maxScale = 0; // -scale: the largest whole factor the image is blown up by; 0, none
    std::string display; // empty: $DISPLAY
    std::vector<uint32_t> ticks; // test mode: these frames, then the last one stays
};

// xscreensaverWindow: the value of $XSCREENSAVER_WINDOW, or null when unset;
// when set it names the window unless -window-id does.
bool ParseHackOptions(const std::vector<std::string>& arguments, const char* xscreensaverWindow, HackOptions& options,
    std::string& error);
// Decimal, or hexadecimal after 0x.
bool ParseWindowId(const std::string& text, unsigned long& id);

extern const char hackUsage[];

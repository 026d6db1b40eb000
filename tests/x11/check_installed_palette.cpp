// Checks the colours an 8-bit screen really shows: those of the colormap the
// server has installed (not the one a window names, which xwd reads), against
// the uniform 3-3-2 palette, all 256 cells. With --root-default, that the
// root window names the screen's default colormap again, as before a hack
// that set its own there.
//   check-installed-palette [--root-default]
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

#include "engine/frame/display_descriptor.hpp"

int RootNamesDefault(Display* display)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, DefaultRootWindow(display), &attributes);
    std::printf("root colormap 0x%lx, default 0x%lx\n", attributes.colormap, DefaultColormap(display, 0));
    return attributes.colormap == DefaultColormap(display, 0) ? 0 : 1;
}

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 2;
    if (argc > 1 && std::strcmp(argv[1], "--root-default") == 0)
        return RootNamesDefault(display);
    int count = 0;
    Colormap* installed = XListInstalledColormaps(display, DefaultRootWindow(display), &count);
    if (count < 1) {
        std::printf("no colormap installed\n");
        return 1;
    }
    PaletteEntry palette[paletteSize];
    DisplayDescriptor::BuildUniformPalette(palette);
    XColor colours[paletteSize];
    for (int i = 0; i < paletteSize; ++i)
        colours[i].pixel = static_cast<unsigned long>(i);
    XQueryColors(display, installed[0], colours, paletteSize);
    int wrong = 0;
    for (int i = 0; i < paletteSize; ++i) {
        const PaletteEntry& want = palette[i];
        const bool same = colours[i].red >> 8 == want.red && colours[i].green >> 8 == want.green
            && colours[i].blue >> 8 == want.blue;
        if (!same && wrong++ < 3)
            std::printf("cell %d: %04x %04x %04x, expected %02x %02x %02x\n", i, colours[i].red, colours[i].green,
                colours[i].blue, want.red, want.green, want.blue);
    }
    std::printf("installed colormap 0x%lx of %d: %d cells differ from the uniform palette\n", installed[0], count, wrong);
    XFree(installed);
    XCloseDisplay(display);
    return wrong == 0 ? 0 : 1;
}

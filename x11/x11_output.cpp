#include "x11/x11_output.hpp"

#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

bool shmFailed = false;

int NoteShmError(Display*, XErrorEvent*)
{
    shmFailed = true;
    return 0;
}

int BitsPerPixel(Display* display, int depth)
{
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            bits = formats[i].bits_per_pixel;
    XFree(formats);
    return bits;
}

// The uniform 3-3-2 palette, in a colormap of the window's own.
void InstallUniformPalette(X11Output& output)
{
    PaletteEntry entries[paletteSize];
    DisplayDescriptor::BuildUniformPalette(entries);
    output.colormap = XCreateColormap(output.display, output.window, output.visual, AllocAll);
    XColor colours[paletteSize];
    for (int i = 0; i < paletteSize; ++i) {
        colours[i].pixel = static_cast<unsigned long>(i);
        colours[i].red = static_cast<unsigned short>(entries[i].red * 257);
        colours[i].green = static_cast<unsigned short>(entries[i].green * 257);
        colours[i].blue = static_cast<unsigned short>(entries[i].blue * 257);
        colours[i].flags = DoRed | DoGreen | DoBlue;
    }
    XStoreColors(output.display, output.colormap, colours, paletteSize);
    XSetWindowColormap(output.display, output.window, output.colormap);
    // Naming it on the window is not enough: inside the screen saver's window,
    // or on the root, nobody else installs it, and the screen keeps showing
    // the colours of the colormap installed before.
    XInstallColormap(output.display, output.colormap);
}

bool ChooseFormat(X11Output& output, std::string& error)
{
    const int bits = BitsPerPixel(output.display, output.depth);
    if (output.visual->c_class == TrueColor && (bits == 16 || bits == 24 || bits == 32)) {
        output.format = PixelFormat { static_cast<uint32_t>(bits), static_cast<uint32_t>(output.visual->red_mask),
            static_cast<uint32_t>(output.visual->green_mask), static_cast<uint32_t>(output.visual->blue_mask) };
        return true;
    }
    if (output.visual->c_class == PseudoColor && output.depth == 8 && bits == 8) {
        output.format = *FindRenderFormat(8);
        InstallUniformPalette(output);
        return true;
    }
    error = "the window's visual is neither TrueColor of 15 to 32 bits nor 8-bit PseudoColor";
    return false;
}

// RENDER scales on the server only where it can draw to the visual; 8-bit
// PseudoColor is scaled by the hack.
void FindServerScaling(X11Output& output)
{
    int eventBase = 0, errorBase = 0;
    if (output.visual->c_class == TrueColor && XRenderQueryExtension(output.display, &eventBase, &errorBase))
        output.renderFormat = XRenderFindVisualFormat(output.display, output.visual);
}

bool ServerScales(const X11Output& output, const ImageFit& fit)
{
    return output.renderFormat != nullptr && fit.WholeFactor() > 1;
}

void PrepareServerScaling(X11Output& output, uint32_t factor)
{
    Display* display = output.display;
    output.framePixmap = XCreatePixmap(display, output.window, imageWidth, imageHeight, static_cast<unsigned>(output.depth));
    output.framePicture = XRenderCreatePicture(display, output.framePixmap, output.renderFormat, 0, nullptr);
    output.windowPicture = XRenderCreatePicture(display, output.window, output.renderFormat, 0, nullptr);
    // Maps window pixels back to frame pixels.
    const XFixed shrink = XDoubleToFixed(1.0 / factor);
    XTransform transform { { { shrink, 0, 0 }, { 0, shrink, 0 }, { 0, 0, XDoubleToFixed(1.0) } } };
    XRenderSetPictureTransform(display, output.framePicture, &transform);
    XRenderSetPictureFilter(display, output.framePicture, FilterNearest, nullptr, 0);
}

void ReleaseServerScaling(X11Output& output)
{
    if (output.windowPicture != 0)
        XRenderFreePicture(output.display, output.windowPicture);
    if (output.framePicture != 0)
        XRenderFreePicture(output.display, output.framePicture);
    if (output.framePixmap != 0)
        XFreePixmap(output.display, output.framePixmap);
    output.windowPicture = output.framePicture = 0;
    output.framePixmap = 0;
}

Window MakeOwnWindow(Display* display)
{
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, imageWidth, imageHeight, 0,
        BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "Aurilo");
    XMapWindow(display, window);
    return window;
}

bool AttachShm(X11Output& output, uint32_t width, uint32_t height)
{
    output.image = XShmCreateImage(output.display, output.visual, static_cast<unsigned>(output.depth), ZPixmap, nullptr,
        &output.shm, width, height);
    if (output.image == nullptr)
        return false;
    output.shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(output.image->bytes_per_line) * height, IPC_CREAT | 0600);
    if (output.shm.shmid < 0) {
        XDestroyImage(output.image);
        output.image = nullptr;
        return false;
    }
    output.shm.shmaddr = output.image->data = static_cast<char*>(shmat(output.shm.shmid, nullptr, 0));
    output.shm.readOnly = False;
    shmFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteShmError);
    XShmAttach(output.display, &output.shm);
    XSync(output.display, False);
    XSetErrorHandler(previous);
    // Marked for removal now: the segment goes when both sides detach, however the hack ends.
    shmctl(output.shm.shmid, IPC_RMID, nullptr);
    if (shmFailed) {
        shmdt(output.shm.shmaddr);
        output.image->data = nullptr;
        XDestroyImage(output.image);
        output.image = nullptr;
        return false;
    }
    return true;
}

void ReleaseImage(X11Output& output)
{
    ReleaseServerScaling(output);
    if (output.image == nullptr)
        return;
    if (output.useShm) {
        XShmDetach(output.display, &output.shm);
        XSync(output.display, False);
        shmdt(output.shm.shmaddr);
        output.image->data = nullptr;
    }
    XDestroyImage(output.image);
    output.image = nullptr;
}

void PutImage(X11Output& output, Drawable drawable, int x, int y, uint32_t width, uint32_t height)
{
    if (output.useShm)
        XShmPutImage(output.display, drawable, output.gc, output.image, 0, 0, x, y, width, height, False);
    else
        XPutImage(output.display, drawable, output.gc, output.image, 0, 0, x, y, width, height);
}

} // namespace

bool OpenOutput(const HackOptions& options, X11Output& output, std::string& error)
{
    output.display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
    if (output.display == nullptr) {
        error = "cannot open display " + std::string(XDisplayName(options.display.empty() ? nullptr : options.display.c_str()));
        return false;
    }
    switch (options.target) {
    case HackTarget::Root:
        output.window = DefaultRootWindow(output.display);
        break;
    case HackTarget::WindowId:
        output.window = options.windowId;
        break;
    case HackTarget::OwnWindow:
        output.window = MakeOwnWindow(output.display);
        break;
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(output.display, output.window, &attributes)) {
        error = "no such window";
        return false;
    }
    output.visual = attributes.visual;
    output.depth = attributes.depth;
    output.previousColormap = attributes.colormap;
    output.windowWidth = static_cast<uint32_t>(attributes.width);
    output.windowHeight = static_cast<uint32_t>(attributes.height);
    // Told when the window changes size or goes away.
    XSelectInput(output.display, output.window, attributes.your_event_mask | StructureNotifyMask | ExposureMask);
    output.gc = XCreateGC(output.display, output.window, 0, nullptr);
    int major, minor;
    Bool pixmaps;
    output.useShm = XShmQueryVersion(output.display, &major, &minor, &pixmaps) == True;
    output.maxScale = options.maxScale;
    if (!ChooseFormat(output, error))
        return false;
    FindServerScaling(output);
    return true;
}

bool PrepareImage(X11Output& output)
{
    ReleaseImage(output);
    output.fit = FitImage(output.windowWidth, output.windowHeight, output.maxScale);
    const ImageFit& fit = output.fit;
    if (fit.width == 0 || fit.height == 0)
        return false;
    const bool serverScales = ServerScales(output, fit);
    const uint32_t width = serverScales ? imageWidth : fit.width;
    const uint32_t height = serverScales ? imageHeight : fit.height;
    if (output.useShm && !AttachShm(output, width, height))
        output.useShm = false;
    if (output.image == nullptr) {
        output.image = XCreateImage(output.display, output.visual, static_cast<unsigned>(output.depth), ZPixmap, 0,
            nullptr, width, height, 32, 0);
        output.image->data = static_cast<char*>(std::calloc(static_cast<size_t>(output.image->bytes_per_line), height));
    }
    // The pixel writer stores little-endian words.
    output.image->byte_order = LSBFirst;
    if (serverScales)
        PrepareServerScaling(output, fit.WholeFactor());
    XSetWindowBackground(output.display, output.window, BlackPixel(output.display, DefaultScreen(output.display)));
    XClearWindow(output.display, output.window);
    return true;
}

void ShowFrame(X11Output& output, const FrameBuffer& frame)
{
    if (output.image == nullptr)
        return;
    const ImageFit& fit = output.fit;
    auto* pixels = reinterpret_cast<uint8_t*>(output.image->data);
    const auto pitch = static_cast<uint32_t>(output.image->bytes_per_line);
    const auto x = static_cast<int>(fit.x), y = static_cast<int>(fit.y);
    if (output.framePicture != 0) {
        ScaleFrame(frame, pixels, pitch, imageWidth, imageHeight);
        PutImage(output, output.framePixmap, 0, 0, imageWidth, imageHeight);
        XRenderComposite(output.display, PictOpSrc, output.framePicture, None, output.windowPicture, 0, 0, 0, 0, x, y,
            fit.width, fit.height);
    } else {
        ScaleFrame(frame, pixels, pitch, fit.width, fit.height);
        PutImage(output, output.window, x, y, fit.width, fit.height);
    }
    ShowRate(output);
    XSync(output.display, False);
}

// As XScreenSaver's hacks show it: in the window's lower-left corner, white on
// black, in the server's default font.
void ShowRate(X11Output& output)
{
    const int length = static_cast<int>(std::strlen(output.rateText));
    if (length == 0)
        return;
    // Once: the query waits for the server, and only the text uses the GC's colours.
    if (output.textDescent < 0) {
        XFontStruct* font = XQueryFont(output.display, XGContextFromGC(output.gc));
        output.textDescent = font != nullptr ? font->descent : 0;
        if (font != nullptr)
            XFreeFontInfo(nullptr, font, 0);
        const PixelFormat& format = output.format;
        XSetForeground(output.display, output.gc, format.redMask | format.greenMask | format.blueMask);
        XSetBackground(output.display, output.gc, 0);
    }
    constexpr int margin = 8;
    XDrawImageString(output.display, output.window, output.gc, margin,
        static_cast<int>(output.windowHeight) - margin - output.textDescent, output.rateText, length);
}

void CloseOutput(X11Output& output)
{
    if (output.display == nullptr)
        return;
    ReleaseImage(output);
    if (output.gc != nullptr)
        XFreeGC(output.display, output.gc);
    if (output.colormap != 0) {
        // The root or someone else's window outlives the hack: it gets its own
        // colormap back, not None.
        XSetWindowColormap(output.display, output.window, output.previousColormap);
        if (output.previousColormap != None)
            XInstallColormap(output.display, output.previousColormap);
        XFreeColormap(output.display, output.colormap);
    }
    XCloseDisplay(output.display);
    output.display = nullptr;
}

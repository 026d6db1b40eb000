// The X side of the hack: the window it draws into, the pixel format of that
// window's visual, the uniform palette in a colormap of its own on 8-bit
// PseudoColor, and an image shown with MIT-SHM or, without it, XPutImage.
// Blown up by a whole factor, the frame still crosses to the server at 640x480
// and the server scales it (RENDER, nearest); where RENDER cannot draw to the
// visual, the hack scales it itself.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "x11/hack_options.hpp"
#include "engine/frame/frame_scaling.hpp"

struct X11Output {
    Display* display = nullptr;
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    PixelFormat format {};
    Colormap colormap = 0; // the uniform palette's, on 8-bit PseudoColor
    Colormap previousColormap = 0; // the window's before it
    GC gc = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo shm {};
    bool useShm = false;
    XRenderPictFormat* renderFormat = nullptr; // null: RENDER cannot draw to this visual
    Pixmap framePixmap = 0; // the 640x480 frame the server scales
    Picture framePicture = 0;
    Picture windowPicture = 0;
    uint32_t maxScale = 0;
    ImageFit fit {}; // where the image goes, worked out when the window's size is known
    uint32_t windowWidth = 0;
    uint32_t windowHeight = 0;
    char rateText[32] {}; // shown over the frame's lower-left corner when not empty
    int textDescent = -1; // of the GC's font, once known
};

// False, with a reason, when the display, the window or its visual will not do.
bool OpenOutput(const HackOptions& options, X11Output& output, std::string& error);
// Makes the image for the window's present size; the area around it is black.
bool PrepareImage(X11Output& output);
void ShowFrame(X11Output& output, const FrameBuffer& frame);
// Draws rateText over what is on the window.
void ShowRate(X11Output& output);
void CloseOutput(X11Output& output);

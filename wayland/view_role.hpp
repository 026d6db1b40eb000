// A role makes the views one way of showing the saver: full screen, one
// window, the session's lock, or the desktop's wallpaper. The core and the
// main loop call the role chosen for the run through this table and know
// none of them; a member left null is a step that role does not have.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <wayland-client.h>

struct OutputView;

struct ViewRole {
    // Before the compositor is reached; false with a one-line reason.
    bool (*prepare)(std::string& error);
    // Takes an offered global when the role needs it.
    void (*bindGlobal)(wl_registry* registry, uint32_t name, std::string_view interface, uint32_t version);
    // Once the globals are known: false, with a one-line refusal, without what it needs;
    bool (*hasWhatItNeeds)(std::string& error);
    // or the name of the one it lacks, said among the core's (null: none lacked).
    const char* (*lackedGlobal)();
    // The view's background surface gets the role, and loses it again.
    void (*give)(OutputView& view);
    void (*takeAway)(OutputView& view);
    // Its input; a role that takes none leaves both null.
    const wl_keyboard_listener* keyboard;
    const wl_pointer_listener* pointer;
    // The background surface commits after each frame too: sway 1.7 repaints
    // a layer only when the layer's own surface commits.
    bool commitsBackgroundWithEachFrame;
    // Over the image in a view's buffer, just before it is shown.
    void (*drawOver)(const OutputView& view, uint8_t* pixels, uint32_t stride);
    // The saver is about to show on the outputs.
    void (*onShow)();
    // One more descriptor for the main loop to wait on (-1: none), and reading it.
    int (*descriptor)();
    void (*readDescriptor)();
    // Milliseconds until it has something to do by the clock (-1: nothing), and doing it.
    int64_t (*timersDueIn)(uint32_t now);
    void (*runTimers)(uint32_t now);
    // True while the program must not take its surfaces down: on exit the
    // connection is only closed, and a stop signal ends it with 1.
    bool (*holdsSession)();
    // The program ends, having said why in one line.
    void (*onFailure)();
};

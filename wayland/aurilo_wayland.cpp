// aurilo-wayland: the saver as a Wayland client. Full screen on every output
// (or in one window), each frame drawn once by the same engine as the other
// front ends and shown on every output as the compositor asks for it; a key,
// a button or moving the pointer ends it.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <string>
#include <vector>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "wayland/wayland_client.hpp"

namespace {

constexpr int exitUsage = 2;
constexpr int exitFailure = 1;
volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int)
{
    stopRequested = 1;
}

uint32_t Milliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
    return static_cast<uint32_t>(milliseconds);
}

FrameBuffer frame;
uint64_t frameNumber = 0; // engine frames drawn so far; views show them by number
uint32_t startTick = 0;
bool toldDrawn = false;

// With -fps, once a second: the engine frames drawn, on stderr.
struct RateReport {
    uint32_t since = 0;
    uint32_t frames = 0;

    void Report()
    {
        const uint32_t elapsed = Milliseconds() - since;
        if (!client.options.showFps || elapsed < 1000)
            return;
        std::fprintf(stderr, "aurilo-wayland: %.1f frames per second\n", frames * 1000.0 / elapsed);
        frames = 0;
        since += elapsed;
    }
} rate;

bool TestMode()
{
    return !client.options.ticks.empty();
}

// The listed frames, drawn before anything is shown: the last one stays.
void DrawListedFrames()
{
    for (uint32_t tick : client.options.ticks)
        RenderFrame(tick, frame);
    frameNumber = 1;
}

// Once every view shows the listed frames, as the hack says it.
void TellWhenAllPresented()
{
    bool any = false;
    for (const OutputView& view : client.views) {
        if (!view.used)
            continue;
        if (!view.presented)
            return;
        any = true;
    }
    if (any && !toldDrawn) {
        std::fprintf(stderr, "aurilo-wayland: drew %zu frames\n", client.options.ticks.size());
        toldDrawn = true;
    }
}

// Handles what is queued until the display is ready to read; false on a failure.
bool PrepareToRead(wl_display* display)
{
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    return true;
}

// The loop ends on input, a signal, or a connection that fails. A signal
// interrupts the wait, which then reads nothing.
bool Run(std::string& error)
{
    wl_display* display = client.display;
    pollfd events { wl_display_get_fd(display), POLLIN, 0 };
    while (!stopRequested && !client.quitRequested) {
        if (!PrepareToRead(display))
            break;
        wl_display_flush(display);
        if (poll(&events, 1, client.options.showFps ? 250 : -1) <= 0)
            wl_display_cancel_read(display);
        else if (wl_display_read_events(display) < 0)
            break;
        if (wl_display_dispatch_pending(display) < 0)
            break;
        rate.Report();
    }
    if (stopRequested || client.quitRequested)
        return true;
    const int code = wl_display_get_error(display);
    error = code == EPROTO ? "the compositor reported a protocol error" : "lost the connection to the compositor";
    return false;
}

} // namespace

// A view that may show a frame: the latest one if it does not show it yet;
// otherwise the engine draws the next one, once for every view. In test mode
// the listed frames are all there is.
void OnViewReady(OutputView& view)
{
    if (view.shownFrame == frameNumber) {
        if (TestMode()) {
            view.presented = true;
            TellWhenAllPresented();
            return;
        }
        RenderFrame(Milliseconds() - startTick, frame);
        ++frameNumber;
        ++rate.frames;
    }
    ShowFrame(view, frame, frameNumber);
}

int main(int argc, char** argv)
{
    std::string error;
    if (!ParseWaylandOptions(std::vector<std::string>(argv + 1, argv + argc), client.options, error)) {
        std::fprintf(stderr, "aurilo-wayland: %s\n%s\n", error.c_str(), waylandUsage);
        return exitUsage;
    }
    struct sigaction stop {};
    stop.sa_handler = RequestStop;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    StartRendering(*FindRenderFormat(32), frame);
    if (TestMode())
        DrawListedFrames();
    if (!ConnectToCompositor(error)) {
        std::fprintf(stderr, "aurilo-wayland: %s\n", error.c_str());
        DisconnectFromCompositor();
        return exitFailure;
    }
    if (client.options.window)
        CreateWindowView();
    startTick = Milliseconds();
    rate.since = startTick;
    const bool ended = Run(error);
    if (!ended)
        std::fprintf(stderr, "aurilo-wayland: %s\n", error.c_str());
    DisconnectFromCompositor();
    return ended ? 0 : exitFailure;
}

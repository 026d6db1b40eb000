// aurilo: the saver as an XScreenSaver hack. Draws into $XSCREENSAVER_WINDOW,
// the root window, a window given by id, or a window of its own, with the same
// effect, pixel writer and frame clock as the Windows saver.
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "unix/frame_rate.hpp"
#include "unix/monotonic_clock.hpp"
#include "unix/stop_signals.hpp"
#include "x11/hack_options.hpp"
#include "x11/x11_output.hpp"

namespace {

constexpr int exitUsage = 2;

// The window going away shows as errors on it: end quietly.
int StopOnXError(Display*, XErrorEvent* event)
{
    if (event->error_code == BadWindow || event->error_code == BadDrawable)
        RequestStop();
    return 0;
}

// Returns false once the window is gone.
bool HandleEvents(X11Output& output, const FrameBuffer& frame)
{
    while (XPending(output.display) > 0) {
        XEvent event;
        XNextEvent(output.display, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == output.window)
            return false;
        if (event.type == ConfigureNotify && event.xconfigure.window == output.window
            && (static_cast<uint32_t>(event.xconfigure.width) != output.windowWidth
                || static_cast<uint32_t>(event.xconfigure.height) != output.windowHeight)) {
            output.windowWidth = static_cast<uint32_t>(event.xconfigure.width);
            output.windowHeight = static_cast<uint32_t>(event.xconfigure.height);
            PrepareImage(output);
            ShowFrame(output, frame);
        }
        if (event.type == Expose && event.xexpose.count == 0)
            ShowFrame(output, frame);
    }
    return true;
}

// With -fps, once a second: the rate reached, on the screen and on stderr.
void ReportRate(X11Output& output, FrameRate& rate, bool drewFrame)
{
    rate.frames += drewFrame;
    double framesPerSecond = 0.0;
    if (!rate.SecondPassed(MonotonicMilliseconds(), framesPerSecond))
        return;
    std::snprintf(output.rateText, sizeof output.rateText, "FPS: %-6.1f", framesPerSecond);
    ShowRate(output);
    // On the screen before it is on stderr, which is what a test waits for.
    XSync(output.display, False);
    PrintFrameRate("aurilo", framesPerSecond);
}

// The delay is the time from one frame's start to the next: what drawing took
// comes off it, so the rate holds on screens where showing a frame takes a while.
useconds_t RestOfDelay(const HackOptions& options, uint32_t frameStart)
{
    const uint64_t spent = static_cast<uint64_t>(MonotonicMilliseconds() - frameStart) * 1000;
    return static_cast<useconds_t>(spent < options.delayMicroseconds ? options.delayMicroseconds - spent : 0);
}

int Run(const HackOptions& options, X11Output& output)
{
    static FrameBuffer frame;
    StartRendering(output.format, frame);
    if (!PrepareImage(output))
        return 0;
    const uint32_t start = MonotonicMilliseconds();
    size_t scheduled = 0;
    FrameRate rate;
    rate.Start(start);
    while (!StopRequested() && HandleEvents(output, frame)) {
        const bool testSchedule = !options.ticks.empty();
        const uint32_t frameStart = MonotonicMilliseconds();
        const bool drawing = !testSchedule || scheduled < options.ticks.size();
        if (drawing) {
            RenderFrame(testSchedule ? options.ticks[scheduled++] : MonotonicMilliseconds() - start, frame);
            ShowFrame(output, frame);
            if (testSchedule && scheduled == options.ticks.size())
                std::fprintf(stderr, "aurilo: drew %zu frames\n", scheduled);
        }
        // Also while -ticks holds its last frame, so that the rate can be seen there.
        if (options.showFps)
            ReportRate(output, rate, drawing);
        usleep(testSchedule && scheduled == options.ticks.size() ? 50000 : RestOfDelay(options, frameStart));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    HackOptions options;
    std::string error;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (AsksForHelp(arguments)) {
        std::printf("%s\n%s\n", hackUsage, hackHelp);
        return 0;
    }
    if (!ParseHackOptions(arguments, getenv("XSCREENSAVER_WINDOW"), options, error)) {
        std::fprintf(stderr, "aurilo: %s\n%s\n", error.c_str(), hackUsage);
        return exitUsage;
    }
    CatchStopSignals();
    XSetErrorHandler(StopOnXError);
    static X11Output output;
    if (!OpenOutput(options, output, error)) {
        std::fprintf(stderr, "aurilo: %s\n", error.c_str());
        CloseOutput(output);
        return 1;
    }
    const int code = Run(options, output);
    CloseOutput(output);
    return code;
}

// aurilo-wayland: the saver as a Wayland client. Full screen on every output
// (or in one window), each frame drawn once by the same engine as the other
// front ends and shown on every output as the compositor asks for it; a key,
// a button or moving the pointer ends it. With -idle it waits, showing
// nothing, until the session is idle, and input hides it again. With -lock it
// locks the session, and only the password ends it.
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "unix/frame_rate.hpp"
#include "unix/monotonic_clock.hpp"
#include "unix/stop_signals.hpp"
#include "wayland/background_role.hpp"
#include "wayland/lock/session_lock.hpp"
#include "wayland/mutter_idle.hpp"
#include "wayland/toplevel_role.hpp"
#include "wayland/wayland_client.hpp"

namespace {

constexpr int exitUsage = 2;
constexpr int exitFailure = 1;

FrameBuffer frame;
uint64_t frameNumber = 0; // engine frames drawn so far; views show them by number
uint32_t startTick = 0;
bool toldDrawn = false;

FrameRate rate; // engine frames drawn

// With -fps, once a second while it shows: the engine frames drawn, on stderr.
void ReportRate()
{
    double framesPerSecond = 0.0;
    if (client.options.showFps && client.saverShown && rate.SecondPassed(MonotonicMilliseconds(), framesPerSecond))
        PrintFrameRate("aurilo-wayland", framesPerSecond);
}

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
    if (!toldDrawn && EveryViewPresented(frameNumber)) {
        std::fprintf(stderr, "aurilo-wayland: drew %zu frames\n", client.options.ticks.size());
        toldDrawn = true;
    }
}

// Each view that may show a frame gets the latest one if it does not show it
// yet; otherwise the engine draws the next one, once for every view. In test
// mode the listed frames are all there is.
void ShowReadyViews()
{
    while (OutputView* view = TakeReadyView()) {
        if (view->shownFrame == frameNumber) {
            if (TestMode())
                continue;
            RenderFrame(MonotonicMilliseconds() - startTick, frame);
            ++frameNumber;
            ++rate.frames;
        }
        ShowFrame(*view, frame, frameNumber);
    }
    if (TestMode())
        TellWhenAllPresented();
}

// -idle: an idle session shows the saver; input that would end it hides it.
void FollowIdleState()
{
    if (client.closeRequested) {
        client.closeRequested = false;
        client.idleBegan = false;
        ForgetMutterIdle();
        HideSaver();
    }
    if ((client.idleBegan || MutterSessionIdle()) && !client.saverShown) {
        ShowSaver();
        rate.Start(MonotonicMilliseconds());
    }
}

const ViewRole& ChosenRole(const WaylandOptions& options)
{
    if (options.lock)
        return lockRole;
    if (options.background)
        return backgroundRole;
    return options.window ? windowRole : saverRole;
}

// Handles what is queued until the display is ready to read; false on a failure.
bool PrepareToRead(wl_display* display)
{
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    return true;
}

// How long the loop may wait: until the next -fps report or the role's next
// timer; null for as long as it takes.
const timespec* WaitLimit(timespec& limit)
{
    const ViewRole& role = *client.role;
    int64_t milliseconds = role.timersDueIn != nullptr ? role.timersDueIn(MonotonicMilliseconds()) : -1;
    if (client.options.showFps && client.saverShown && (milliseconds < 0 || milliseconds > 250))
        milliseconds = 250;
    if (milliseconds < 0)
        return nullptr;
    limit = { static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000 * 1000000) };
    return &limit;
}

// The loop ends on input (without -idle), a signal, or a connection that
// fails. A signal interrupts the wait, which then reads nothing. Hidden, it
// waits for the compositor (and on GNOME the session bus, with -lock the
// password check) alone, without a timeout.
bool Run(std::string& error)
{
    wl_display* display = client.display;
    pollfd events[] { { wl_display_get_fd(display), POLLIN, 0 }, { MutterIdleDescriptor(), 0, 0 },
        { -1, POLLIN, 0 } };
    const ViewRole& role = *client.role;
    const sigset_t waitMask = HoldStopSignals();
    timespec limit {};
    while (!StopRequested() && !client.closeRequested && client.failure == nullptr) {
        if (!PrepareToRead(display))
            break;
        ShowReadyViews();
        wl_display_flush(display);
        events[1].events = MutterIdleEvents();
        events[2].fd = role.descriptor != nullptr ? role.descriptor() : -1;
        events[2].revents = 0;
        if (ppoll(events, 3, WaitLimit(limit), &waitMask) <= 0 || events[0].revents == 0)
            wl_display_cancel_read(display);
        else if (wl_display_read_events(display) < 0)
            break;
        if (wl_display_dispatch_pending(display) < 0)
            break;
        if (events[1].fd >= 0 && !ReadMutterIdle()) {
            error = "lost the connection to the session bus";
            return false;
        }
        if (events[2].revents != 0)
            role.readDescriptor();
        if (role.runTimers != nullptr)
            role.runTimers(MonotonicMilliseconds());
        if (client.options.idleSeconds != 0)
            FollowIdleState();
        ReportRate();
    }
    if (client.failure != nullptr) {
        error = client.failure;
        return false;
    }
    if (StopRequested() && role.holdsSession != nullptr && role.holdsSession()) {
        error = "stopped by a signal: the session stays locked";
        return false;
    }
    if (StopRequested() || client.closeRequested)
        return true;
    const int code = wl_display_get_error(display);
    error = code == EPROTO ? "the compositor reported a protocol error" : "lost the connection to the compositor";
    return false;
}

// One line; with -daemonize the first process then ends with 1 and no word of its own.
int Failed(const std::string& error)
{
    std::fprintf(stderr, "aurilo-wayland: %s\n", error.c_str());
    if (client.role->onFailure != nullptr)
        client.role->onFailure();
    return exitFailure;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (AsksForHelp(arguments)) {
        std::printf("%s\n%s\n", waylandUsage, waylandHelp);
        return 0;
    }
    if (!ParseWaylandOptions(arguments, client.options, error)) {
        std::fprintf(stderr, "aurilo-wayland: %s\n%s\n", error.c_str(), waylandUsage);
        return exitUsage;
    }
    // Whoever runs a locker owns the password it checks.
    if (getuid() != geteuid() || getgid() != getegid()) {
        std::fprintf(stderr, "aurilo-wayland: refuses to run setuid or setgid\n");
        return exitFailure;
    }
    CatchStopSignals();
    client.role = &ChosenRole(client.options);
    if (client.role->prepare != nullptr && !client.role->prepare(error))
        return Failed(error);
    StartRendering(*FindRenderFormat(32), frame);
    if (TestMode())
        DrawListedFrames();
    if (!ConnectToCompositor(error)) {
        DisconnectFromCompositor();
        return Failed(error);
    }
    if (client.options.window)
        CreateWindowView();
    startTick = MonotonicMilliseconds();
    rate.Start(startTick);
    const bool ended = Run(error);
    DisconnectFromCompositor();
    return ended ? 0 : Failed(error);
}

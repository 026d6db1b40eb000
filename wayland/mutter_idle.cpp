#include "wayland/mutter_idle.hpp"

#include <systemd/sd-bus.h>

namespace {

constexpr const char* monitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* monitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* sessionName = "org.gnome.SessionManager";
constexpr const char* sessionPath = "/org/gnome/SessionManager";
constexpr uint32_t inhibitIdle = 8; // the session manager's flag for "do not go idle"

sd_bus* bus = nullptr;
uint32_t idleWatch = 0;
uint32_t activeWatch = 0; // asked for each time the session goes idle
bool idle = false;
bool inhibited = false;

// The watch's id from the idle monitor's reply; 0 when it refused.
uint32_t WatchId(int called, sd_bus_message* reply)
{
    uint32_t id = 0;
    if (called < 0 || sd_bus_message_read(reply, "u", &id) < 0)
        id = 0;
    sd_bus_message_unref(reply);
    return id;
}

uint32_t AddIdleWatch(uint64_t milliseconds)
{
    sd_bus_message* reply = nullptr;
    const int called = sd_bus_call_method(bus, monitorName, monitorPath, monitorName, "AddIdleWatch", nullptr,
        &reply, "t", milliseconds);
    return WatchId(called, reply);
}

// Fires once, at the first input after it is added.
uint32_t AddUserActiveWatch()
{
    sd_bus_message* reply = nullptr;
    const int called = sd_bus_call_method(bus, monitorName, monitorPath, monitorName, "AddUserActiveWatch", nullptr,
        &reply, nullptr);
    return WatchId(called, reply);
}

// Without a session manager nothing can inhibit.
void AskWhetherInhibited()
{
    sd_bus_message* reply = nullptr;
    int answer = 0;
    if (sd_bus_call_method(bus, sessionName, sessionPath, sessionName, "IsInhibited", nullptr, &reply, "u",
            inhibitIdle)
            < 0
        || sd_bus_message_read(reply, "b", &answer) < 0)
        answer = 0;
    sd_bus_message_unref(reply);
    inhibited = answer != 0;
}

int OnWatchFired(sd_bus_message* message, void*, sd_bus_error*)
{
    uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) < 0)
        return 0;
    if (id == idleWatch && !idle) {
        idle = true;
        activeWatch = AddUserActiveWatch();
        AskWhetherInhibited();
    } else if (id == activeWatch) {
        idle = false;
        activeWatch = 0;
    }
    return 0;
}

int OnInhibitorsChanged(sd_bus_message*, void*, sd_bus_error*)
{
    AskWhetherInhibited();
    return 0;
}

bool Subscribe()
{
    return sd_bus_match_signal(bus, nullptr, nullptr, monitorPath, monitorName, "WatchFired", OnWatchFired, nullptr)
        >= 0
        && sd_bus_match_signal(bus, nullptr, nullptr, sessionPath, sessionName, "InhibitorAdded",
               OnInhibitorsChanged, nullptr)
        >= 0
        && sd_bus_match_signal(bus, nullptr, nullptr, sessionPath, sessionName, "InhibitorRemoved",
               OnInhibitorsChanged, nullptr)
        >= 0;
}

} // namespace

bool WatchMutterIdle(uint32_t milliseconds)
{
    if (sd_bus_open_user(&bus) < 0) {
        bus = nullptr;
        return false;
    }
    if (Subscribe())
        idleWatch = AddIdleWatch(milliseconds);
    // Signals that came with the replies wait in sd-bus, not on its descriptor.
    return idleWatch != 0 && ReadMutterIdle();
}

int MutterIdleDescriptor()
{
    return bus != nullptr ? sd_bus_get_fd(bus) : -1;
}

short MutterIdleEvents()
{
    const int events = bus != nullptr ? sd_bus_get_events(bus) : 0;
    return static_cast<short>(events > 0 ? events : 0);
}

bool ReadMutterIdle()
{
    int handled;
    while ((handled = sd_bus_process(bus, nullptr)) > 0) { }
    return handled == 0;
}

bool MutterSessionIdle()
{
    return idle && !inhibited;
}

void ForgetMutterIdle()
{
    idle = false;
}

void StopWatchingMutterIdle()
{
    bus = sd_bus_flush_close_unref(bus);
}

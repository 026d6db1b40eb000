// The saver's close rules: a key, a button or pointer travel of more than a
// few pixels ends it full screen (with -idle, hides it).
#include <cmath>
#include <unistd.h>

#include "relative-pointer-unstable-v1-client.h"
#include "wayland/toplevel_role.hpp"
#include "wayland/wayland_client.hpp"

namespace {

// Where the compositor offers relative motion, travel is the sum of its
// deltas since the view was shown: a surface mapped under a still pointer
// may be told an entry point the pointer never was at (mutter), and the
// first real motion would then look like a jump.
// Absolute motion still counts, for devices that send no relative motion
// (tablets, touch, a virtual machine's pointer), but from the first motion
// after the entry rather than from the entry point.
zwp_relative_pointer_manager_v1* relativePointers;
zwp_relative_pointer_v1* relativePointer;
double travelX;
double travelY;
bool absoluteReferenceSet;

void Close()
{
    client.closeRequested = true;
}

void OnKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t)
{
    close(fd);
}

void OnKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) { }
void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) { }

void OnKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
        Close();
}

void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { }
void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) { }


// In the view's background coordinates: the image surface lies at its place.
ScreenPoint PointOn(const OutputView& view, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    const bool onImage = surface == view.imageSurface;
    return { wl_fixed_to_int(x) + (onImage ? view.layout.x : 0), wl_fixed_to_int(y) + (onImage ? view.layout.y : 0) };
}

void OnRelativeMotion(void*, zwp_relative_pointer_v1*, uint32_t, uint32_t, wl_fixed_t dx, wl_fixed_t dy, wl_fixed_t,
    wl_fixed_t)
{
    if (client.pointerView == nullptr)
        return;
    travelX += wl_fixed_to_double(dx);
    travelY += wl_fixed_to_double(dy);
    const ScreenPoint travelled { static_cast<int>(std::lround(travelX)), static_cast<int>(std::lround(travelY)) };
    if (MouseTravelCloses({ 0, 0 }, travelled))
        Close();
}

const zwp_relative_pointer_v1_listener relativeMotionListener { OnRelativeMotion };

// Made anew each time the saver shows: the seat may have taken its pointer
// away and given a new one since.
void WatchRelativeMotion(wl_pointer* pointer)
{
    if (relativePointers == nullptr)
        return;
    if (relativePointer != nullptr)
        zwp_relative_pointer_v1_destroy(relativePointer);
    relativePointer = zwp_relative_pointer_manager_v1_get_relative_pointer(relativePointers, pointer);
    zwp_relative_pointer_v1_add_listener(relativePointer, &relativeMotionListener, nullptr);
}

// Travel is measured from where the pointer first entered; entering another
// output's view has taken it across outputs, which closes like any travel.
void OnPointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    OutputView* view = ViewOf(surface);
    client.pointerSurface = surface;
    if (view == nullptr)
        return;
    const ScreenPoint point = PointOn(*view, surface, x, y);
    if (client.pointerView == nullptr) {
        client.pointerView = view;
        client.pointerReference = point;
        absoluteReferenceSet = relativePointers == nullptr;
        travelX = travelY = 0;
        WatchRelativeMotion(pointer);
    } else if (view != client.pointerView
        || (relativePointers == nullptr && MouseTravelCloses(client.pointerReference, point))) {
        Close();
    }
}

void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*)
{
    client.pointerSurface = nullptr;
}

void OnPointerMotion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    OutputView* view = ViewOf(client.pointerSurface);
    if (view == nullptr || client.pointerView == nullptr)
        return;
    const ScreenPoint point = PointOn(*view, client.pointerSurface, x, y);
    if (!absoluteReferenceSet)
        client.pointerReference = point;
    absoluteReferenceSet = true;
    if (MouseTravelCloses(client.pointerReference, point))
        Close();
}

void OnPointerButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        Close();
}

void OnPointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) { }
void OnPointerFrame(void*, wl_pointer*) { }
void OnPointerAxisSource(void*, wl_pointer*, uint32_t) { }
void OnPointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) { }
void OnPointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) { }

} // namespace

void BindRelativePointers(wl_registry* registry, uint32_t name, std::string_view interface, uint32_t)
{
    if (interface != zwp_relative_pointer_manager_v1_interface.name)
        return;
    relativePointers = static_cast<zwp_relative_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_relative_pointer_manager_v1_interface, 1));
}

const wl_keyboard_listener saverKeyboardListener { OnKeymap, OnKeyboardEnter, OnKeyboardLeave, OnKey, OnModifiers,
    OnRepeatInfo };

const wl_pointer_listener saverPointerListener { .enter = OnPointerEnter, .leave = OnPointerLeave,
    .motion = OnPointerMotion, .button = OnPointerButton, .axis = OnPointerAxis, .frame = OnPointerFrame,
    .axis_source = OnPointerAxisSource, .axis_stop = OnPointerAxisStop, .axis_discrete = OnPointerAxisDiscrete };


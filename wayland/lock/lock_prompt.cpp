#include "wayland/lock/lock_prompt.hpp"

#include <algorithm>
#include <cairo.h>
#include <cstdio>

namespace {

constexpr double boxWidth = 300; // logical pixels
constexpr double boxHeight = 76;
constexpr double fontSize = 17;
constexpr double smallestFontSize = 9; // PAM's longer words shrink to fit, down to this
constexpr double margin = 8;
bool failureTold = false;

void BoxPath(cairo_t* cairo, double scale)
{
    cairo_rectangle(cairo, -boxWidth / 2 * scale, -boxHeight / 2 * scale, boxWidth * scale, boxHeight * scale);
}

void DrawBox(cairo_t* cairo, double scale)
{
    BoxPath(cairo, scale);
    cairo_set_source_rgb(cairo, 0.08, 0.1, 0.14);
    cairo_fill_preserve(cairo);
    cairo_set_source_rgb(cairo, 0.55, 0.8, 0.75);
    cairo_set_line_width(cairo, 2 * scale);
    cairo_stroke(cairo);
}

// One line of text centred on the box's middle, raised or lowered by the offset;
// what is still too wide once shrunk is cut at the box's edges.
void DrawLine(cairo_t* cairo, const char* text, double offset, double scale)
{
    cairo_set_font_size(cairo, fontSize * scale);
    cairo_text_extents_t extents;
    cairo_text_extents(cairo, text, &extents);
    const double room = (boxWidth - 2 * margin) * scale;
    if (extents.width > room) {
        cairo_set_font_size(cairo, std::max(fontSize * room / extents.width, smallestFontSize) * scale);
        cairo_text_extents(cairo, text, &extents);
    }
    cairo_move_to(cairo, -(extents.width / 2 + extents.x_bearing),
        offset * scale - (extents.height / 2 + extents.y_bearing));
    cairo_show_text(cairo, text);
}

} // namespace

void DrawPrompt(const PromptPlace& place, size_t characters, const char* state)
{
    cairo_surface_t* surface = cairo_image_surface_create_for_data(place.pixels, CAIRO_FORMAT_RGB24,
        static_cast<int>(place.width), static_cast<int>(place.height), static_cast<int>(place.stride));
    cairo_t* cairo = cairo_create(surface);
    const double scale = place.pixelsPerUnit;
    cairo_translate(cairo, place.centreX, place.centreY);
    DrawBox(cairo, scale);
    BoxPath(cairo, scale);
    cairo_clip(cairo);
    cairo_select_font_face(cairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_source_rgb(cairo, 0.95, 0.95, 0.95);
    char count[64];
    std::snprintf(count, sizeof count, "Password: %zu character%s", characters, characters == 1 ? "" : "s");
    DrawLine(cairo, count, -boxHeight / 5, scale);
    DrawLine(cairo, state, boxHeight / 5, scale);
    cairo_surface_flush(surface);
    const bool drawn = cairo_status(cairo) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
    if (!drawn && !failureTold)
        std::fprintf(stderr, "aurilo-wayland: cannot draw the lock's prompt\n");
    failureTold = failureTold || !drawn;
}

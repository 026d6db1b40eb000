// The lock's password prompt, drawn with cairo over the image in an
// output's buffer: a small box at the image's middle with how many
// characters are typed (never which) and the check's state in words.
// Outside the box the image stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>

struct PromptPlace {
    uint8_t* pixels; // XRGB8888
    uint32_t width;
    uint32_t height;
    uint32_t stride;
    uint32_t centreX; // the image's middle
    uint32_t centreY;
    double pixelsPerUnit; // buffer pixels a logical pixel, so that the box reads alike at every scale
};

// Where cairo cannot draw, the box shows as far as it got, and the lock holds;
// that is said on stderr once, not at every key.
void DrawPrompt(const PromptPlace& place, size_t characters, const char* state);

// Draws the compiled-in flower: petals and a heart in grey levels, then error
// diffusion down to one bit a pixel, in the picture's packed row format.
#pragma once

#include <cstdint>

#include "engine/effect/flower_picture.hpp"

void DrawFlowerPicture(uint8_t (&bits)[flowerPictureByteCount]);

// Colour tables of the effect objects and the linear ramps that fill them.
#pragma once

#include <cstdint>

struct DisplayDescriptor;

struct Rgb {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

constexpr int colourTableSize = 256;

struct ColourTable {
    Rgb entries[colourTableSize];

    Rgb& operator[](uint8_t index) { return entries[index]; }
    const Rgb& operator[](uint8_t index) const { return entries[index]; }
};

constexpr ColourTable UniformColourTable(uint8_t red, uint8_t green, uint8_t blue)
{
    ColourTable table {};
    for (Rgb& entry : table.entries)
        entry = Rgb { red, green, blue };
    return table;
}

// Writes entries (start + i) mod 256 for i = 0 .. count - 1, running from the
// first colour toward the second; only the low 8 bits of start and of each
// component count.
void FillRamp(ColourTable& table, int start, int32_t count,
    int fromRed, int fromGreen, int fromBlue,
    int toRed, int toGreen, int toBlue);

// The table's colours as pixel values of the target's format: made at the
// start of each drawing, so that each point costs one look-up.
using PixelValues = uint32_t[colourTableSize];
void PackColours(const ColourTable& table, const DisplayDescriptor& target, PixelValues& values);

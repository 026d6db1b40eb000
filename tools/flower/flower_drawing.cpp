#include "tools/flower/flower_drawing.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int width = flowerPictureWidth;
constexpr int height = flowerPictureHeight;
constexpr double heartX = flowerHeartX;
constexpr double heartY = flowerHeartY;
constexpr double heartRadius = 21.0;
constexpr double pi = 3.14159265358979323846;

struct Petal {
    double directionDegrees;
    double length; // from the heart's centre to the tip
    double halfWidth;
    double shade; // ink in the petal's middle
};

// Back petals reach past the picture's edges and are cut by them; front petals
// sit between them, shorter and lighter.
constexpr Petal backPetals[] = {
    { 0, 150, 27, 0.47 }, { 45, 132, 25, 0.51 }, { 90, 150, 27, 0.47 }, { 135, 132, 25, 0.51 },
    { 180, 150, 27, 0.47 }, { 225, 132, 25, 0.51 }, { 270, 150, 27, 0.47 }, { 315, 132, 25, 0.51 },
};
constexpr Petal frontPetals[] = {
    { 22.5, 88, 21, 0.29 }, { 67.5, 92, 21, 0.29 }, { 112.5, 88, 21, 0.29 }, { 157.5, 92, 21, 0.29 },
    { 202.5, 88, 21, 0.29 }, { 247.5, 92, 21, 0.29 }, { 292.5, 88, 21, 0.29 }, { 337.5, 92, 21, 0.29 },
};

constexpr double outlineInk = 0.95;
constexpr double outlineWidth = 1.6;

// Ink of one petal at (x, y), or a negative value outside it. The petal is a
// lens from the heart to its tip, darker along its edge and its middle vein.
double PetalInk(const Petal& petal, double x, double y)
{
    const double radians = petal.directionDegrees * pi / 180.0;
    const double dx = x - heartX;
    const double dy = y - heartY;
    const double along = dx * std::cos(radians) + dy * std::sin(radians);
    const double across = -dx * std::sin(radians) + dy * std::cos(radians);
    if (along <= 0.0 || along >= petal.length)
        return -1.0;
    const double t = along / petal.length;
    const double halfWidth = petal.halfWidth * std::pow(std::sin(pi * t), 0.7) * (1.0 + 0.35 * t);
    const double distanceToEdge = halfWidth - std::fabs(across);
    if (distanceToEdge < 0.0)
        return -1.0;
    if (distanceToEdge < outlineWidth)
        return outlineInk;
    const double vein = std::fabs(across) < 0.9 && t > 0.2 && t < 0.85 ? 0.35 : 0.0;
    const double edgeShade = 0.25 * (1.0 - std::min(1.0, distanceToEdge / halfWidth * 2.0));
    return std::min(1.0, petal.shade + edgeShade + vein + 0.15 * t);
}

// The heart: dense in the middle, a ring of seeds around it, a dark rim.
double HeartInk(double x, double y)
{
    const double distance = std::hypot(x - heartX, y - heartY);
    if (distance > heartRadius)
        return -1.0;
    if (distance > heartRadius - outlineWidth)
        return outlineInk;
    const double angle = std::atan2(y - heartY, x - heartX);
    const double seeds = 0.5 + 0.5 * std::cos(12.0 * angle) * std::cos(distance * 0.9);
    return 0.72 + 0.28 * seeds * (distance / heartRadius);
}

double InkAt(int column, int row)
{
    // Row 0 and column 0 stay empty.
    if (column < 1 || row < 1)
        return 0.0;
    const double x = column;
    const double y = row;
    const double heart = HeartInk(x, y);
    if (heart >= 0.0)
        return heart;
    for (const Petal& petal : frontPetals) {
        const double ink = PetalInk(petal, x, y);
        if (ink >= 0.0)
            return ink;
    }
    double ink = 0.0;
    for (const Petal& petal : backPetals)
        ink = std::max(ink, PetalInk(petal, x, y));
    return ink;
}

} // namespace

void DrawFlowerPicture(uint8_t (&bits)[flowerPictureByteCount])
{
    static double ink[height][width];
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            ink[row][column] = InkAt(column, row);

    std::memset(bits, 0, sizeof bits);
    // Floyd-Steinberg, left to right on every row.
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const double level = ink[row][column];
            const bool set = level >= 0.5 && column >= 1 && row >= 1;
            if (set)
                bits[row * flowerPictureBytesPerRow + column / 8] |= static_cast<uint8_t>(0x80 >> (column % 8));
            const double error = level - (set ? 1.0 : 0.0);
            if (column + 1 < width)
                ink[row][column + 1] += error * 7.0 / 16.0;
            if (row + 1 < height) {
                if (column > 0)
                    ink[row + 1][column - 1] += error * 3.0 / 16.0;
                ink[row + 1][column] += error * 5.0 / 16.0;
                if (column + 1 < width)
                    ink[row + 1][column + 1] += error * 1.0 / 16.0;
            }
        }
    }
}

// Draws a given number of frames at 60 Hz ticks in one pixel format and
// prints the points a frame draws, a hash of the buffer and the microseconds
// the frames took. Counting the instructions of two runs that differ only in
// the number of frames gives the cost of a frame, in any build (see
// scripts/instructions-per-frame).
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "engine/engine.hpp"
#include "engine/frame/buffer_frame_cycle.hpp"
#include "engine/frame/tick_schedule.hpp"
#include "tools/benchmark/drawn_points.hpp"
#include "tools/render/frame_pixels.hpp"

int main(int argc, char** argv)
{
    const PixelFormat* format = argc == 3 ? FindRenderFormat(std::atoi(argv[1])) : nullptr;
    const int frames = argc == 3 ? std::atoi(argv[2]) : -1;
    if (format == nullptr || frames < 0) {
        std::fprintf(stderr, "usage: animate-frames FORMAT FRAMES (FORMAT 8, 15, 16, 24 or 32)\n");
        return 2;
    }
    static FrameBuffer buffer;
    StartRendering(*format, buffer);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= frames; ++i)
        DrawNextFrame(buffer.bytes, buffer.pitch, TickOfFrame(i, 60));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::printf("points %" PRId64 " hash 0x%016" PRIX64 " microseconds %lld\n", DrawnPoints(), HashFrame(buffer),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()));
    return 0;
}

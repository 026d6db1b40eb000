// Time of one frame drawn by the engine (DrawNextFrame at 60 Hz ticks, the
// buffer not cleared) in each pixel format, per frame and per drawn point.
#include <benchmark/benchmark.h>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "engine/engine.hpp"
#include "engine/frame/tick_schedule.hpp"
#include "tools/benchmark/drawn_points.hpp"

namespace {

void AnimateFrameInFormat(benchmark::State& state)
{
    static FrameBuffer buffer;
    StartRendering(*FindRenderFormat(static_cast<int>(state.range(0))), buffer);
    uint64_t frame = 0;
    for (auto _ : state) {
        DrawNextFrame(buffer.bytes, buffer.pitch, TickOfFrame(++frame, 60));
        benchmark::DoNotOptimize(buffer.bytes);
    }
    state.counters["ns_per_point"] = benchmark::Counter(static_cast<double>(state.iterations() * DrawnPoints()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(AnimateFrameInFormat)->Arg(8)->Arg(15)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

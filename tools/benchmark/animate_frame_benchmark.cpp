// Time of one AnimateFrame in each pixel format, per frame and per drawn point.
#include <benchmark/benchmark.h>

#include "display/buffer_frame_cycle.hpp"
#include "effect/scene.hpp"
#include "tools/benchmark/drawn_points.hpp"

namespace {

constexpr double sixtyHertz = 1.0f / 60.0f;

void AnimateFrameInFormat(benchmark::State& state)
{
    static FrameBuffer buffer;
    StartRendering(*FindRenderFormat(static_cast<int>(state.range(0))), buffer);
    displayDescriptor.BindPixels(buffer.bytes, buffer.pitch);
    for (auto _ : state) {
        AnimateFrame(static_cast<float>(sixtyHertz), displayDescriptor);
        benchmark::DoNotOptimize(buffer.bytes);
    }
    state.counters["ns_per_point"] = benchmark::Counter(static_cast<double>(state.iterations() * DrawnPoints()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(AnimateFrameInFormat)->Arg(8)->Arg(15)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

// How long one frame of the scene takes at the display windows' size, drawn
// into an 8-bit and a 10-bit framebuffer. Every timer tick paints both
// windows, so twice the frame time must fit comfortably into the 16 ms tick.
//
// Each iteration is one renderFrame followed by glFinish, timed on the wall
// clock: the rasteriser may work on other threads, so CPU time of this thread
// would undercount. The logo's glyph outlines are built by the platform at
// start-up and do not exist here; its list calls are made and ignored.
#include <benchmark/benchmark.h>

#include <chrono>

#include "offscreen_gl.h"
#include "render/frame_setup.h"
#include "render/gl_headers.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"

namespace {

constexpr int kSide = 400;
constexpr double kTickMs = 16.0;

void drawFrames(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  OffscreenGl gl(kSide, kSide, bits);
  if (!gl.ok()) {
    state.SkipWithError(gl.error().c_str());
    return;
  }
  viewerState = ViewerState{};  // the running scene with the initial background preset
  glyphListBase = 0;
  initContextState();
  // The first frames compile the pipeline variants the scene needs.
  for (int i = 0; i < 10; ++i) renderFrame(kSide, kSide);
  glFinish();

  double totalMs = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    renderFrame(kSide, kSide);
    glFinish();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    totalMs += elapsed.count() * 1000.0;
  }
  state.counters["ms_per_frame"] = benchmark::Counter(totalMs, benchmark::Counter::kAvgIterations);
  // Both windows paint in every tick: the share of the tick that takes, in percent.
  state.counters["tick_pct"] =
      benchmark::Counter(totalMs * 2.0 / kTickMs * 100.0, benchmark::Counter::kAvgIterations);
}

BENCHMARK(drawFrames)
    ->Name("renderFrame400")
    ->ArgName("bits")
    ->Arg(8)
    ->Arg(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Google Benchmark of the portable kernels on the largest frames.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchFrames.h"

namespace k3::bench {
namespace {

struct Surface {
  std::vector<std::uint8_t> bytes;
  PixelView view;
  Surface(int w, int h, int bpp = 3) : bytes(static_cast<std::size_t>((w * bpp + 3) / 4 * 4) * h) {
    const int pitch = (w * bpp + 3) / 4 * 4;
    // Bottom-up like the program's own surfaces.
    view = PixelView{bytes.data() + static_cast<std::ptrdiff_t>(pitch) * (h - 1), w, h, -pitch, bpp};
  }
};

void BM_Ripple716(benchmark::State& state) {
  Surface src(kCanvas, kCanvas), dst(kCanvas, kCanvas);
  PaintCanvas(src.view, kPhoto);
  for (auto _ : state) {
    FillKey(dst.view);
    RenderRipple(src.view, dst.view, 300, 420, kRippleA, kRippleB);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Ripple716)->Unit(benchmark::kMillisecond);

void BM_Wave716(benchmark::State& state) {
  Surface src(kCanvas, kCanvas), dst(kCanvas, kCanvas);
  PaintCanvas(src.view, kPhoto);
  for (auto _ : state) {
    FillKey(dst.view);
    RenderWave(src.view, dst.view, 420, 37, kRippleA, kRippleB);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Wave716)->Unit(benchmark::kMillisecond);

void BM_Sphere512(benchmark::State& state) {
  Surface src(kPhoto, kPhoto), dst(kPhoto, kPhoto);
  PaintPhoto(src.view);
  for (auto _ : state) {
    FillKey(dst.view);
    RenderSphere(src.view, dst.view, 256, 256, 230);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Sphere512)->Unit(benchmark::kMillisecond);

void BM_Rotate563At30Degrees(benchmark::State& state) {
  Surface src(kRotateCanvas, kRotateCanvas);
  PaintCanvas(src.view, kPhoto);
  const RotatePlan plan = PlanRotate(3000, kRotateCanvas, kRotateCanvas);
  Surface dst(plan.width, plan.height);
  for (auto _ : state) {
    FillKey(dst.view);
    RenderRotate(src.view, dst.view, plan);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Rotate563At30Degrees)->Unit(benchmark::kMillisecond);

void BM_OpaqueRunsOfRippleFrame(benchmark::State& state) {
  Surface src(kCanvas, kCanvas), dst(kCanvas, kCanvas);
  PaintCanvas(src.view, kPhoto);
  FillKey(dst.view);
  RenderRipple(src.view, dst.view, 300, 420, kRippleA, kRippleB);
  std::vector<PixelRun> runs;
  for (auto _ : state) {
    runs.clear();
    CollectOpaqueRuns(dst.view, runs);
    benchmark::DoNotOptimize(runs.data());
  }
  state.counters["runs"] = static_cast<double>(runs.size());
}
BENCHMARK(BM_OpaqueRunsOfRippleFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace k3::bench

// With --write-canvas=FILE, writes the Ripple canvas as a binary PPM (for
// timing another tool on the same frame) and ends.
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--write-canvas=", 0) == 0) {
      using namespace k3::bench;
      const int pitch = kCanvas * 3;
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(pitch) * kCanvas);
      k3::PixelView view{bytes.data(), kCanvas, kCanvas, pitch, 3};
      PaintCanvas(view, kPhoto);
      std::FILE* f = std::fopen(arg.substr(15).c_str(), "wb");
      if (!f) return 1;
      std::fprintf(f, "P6\n%d %d\n255\n", kCanvas, kCanvas);
      for (std::size_t p = 0; p < bytes.size(); p += 3) {
        const unsigned char rgb[3] = {bytes[p + 2], bytes[p + 1], bytes[p]};
        std::fwrite(rgb, 1, 3, f);
      }
      std::fclose(f);
      return 0;
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

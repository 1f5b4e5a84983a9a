// Micro-benchmarks of the resize's hot paths: the whole-image resize, the
// per-pixel sampler it is built from, and reading and writing a file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "reference/read_bmp_file.h"
#include "reference/resize_image.h"
#include "reference/write_bmp_file.h"
#include "resample/sample_bilinear.h"

namespace {

void FillPattern(BmpImage& image, std::int32_t width, std::int32_t height) {
  if (!image.SetSize(width, height)) std::abort();
  for (std::int32_t x = 0; x < width; ++x)
    for (std::int32_t y = 0; y < height; ++y)
      image.PixelAt(x, y) = {static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(x ^ y),
                             static_cast<std::uint8_t>(y * 3), 0};
}

// The export's path: axis positions once per axis, then a blend per pixel.
void BM_ResizeImage(benchmark::State& state) {
  BmpImage source;
  FillPattern(source, 1024, 768);
  const auto percent = static_cast<std::int32_t>(state.range(0));
  BmpImage destination;
  if (!destination.SetSize(1024 * percent / 100, 768 * percent / 100)) std::abort();
  for (auto _ : state) benchmark::DoNotOptimize(ResizeImage(source, destination));
  state.SetItemsProcessed(state.iterations() * destination.Width() * destination.Height());
}
BENCHMARK(BM_ResizeImage)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// The same pixels computed one SampleBilinear call at a time, for comparison.
void BM_SampleEveryPixel(benchmark::State& state) {
  BmpImage source;
  FillPattern(source, 1024, 768);
  const auto percent = static_cast<std::int32_t>(state.range(0));
  BmpImage destination;
  if (!destination.SetSize(1024 * percent / 100, 768 * percent / 100)) std::abort();
  const std::int32_t w = destination.Width(), h = destination.Height();
  for (auto _ : state) {
    for (std::int32_t y = 0; y < h; ++y)
      for (std::int32_t x = 0; x < w; ++x) destination.PixelAt(x, y) = SampleBilinear(source, x, w, y, h);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_SampleEveryPixel)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_WriteThenRead(benchmark::State& state) {
  BmpImage image;
  FillPattern(image, 1024, 768);
  if (!image.SetDepth(static_cast<std::int32_t>(state.range(0)))) std::abort();
  const std::string path = "bench-" + std::to_string(state.range(0)) + ".bmp";
  for (auto _ : state) {
    if (!WriteBmpFile(image, path.c_str())) std::abort();
    BmpImage back;
    if (!ReadBmpFile(back, path.c_str())) std::abort();
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_WriteThenRead)->Arg(24)->Arg(32)->Arg(16)->Arg(8)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

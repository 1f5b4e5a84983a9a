// SPDX-License-Identifier: MIT
// Micro-benchmarks of the product path: the whole resize as a caller makes it
// (memory to memory through bmpresize.h), and its two halves, reading the
// rows of a file of each depth and resampling rows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/byte_source.h"
#include "bmpresize.h"
#include "reference/write_bmp_file.h"
#include "resample/row_blend.h"
#include "resample/row_resampler.h"
#include "support/vector_sink.h"

using namespace bmpresize;

namespace {

constexpr std::int32_t kWidth = 1024;
constexpr std::int32_t kHeight = 768;

// A 1024 x 768 source file of the given depth, in memory.
std::vector<std::uint8_t> Source(std::int32_t depth) {
  BmpImage image;
  if (!image.SetSize(kWidth, kHeight) || !image.SetDepth(depth)) std::abort();
  for (std::int32_t x = 0; x < kWidth; ++x)
    for (std::int32_t y = 0; y < kHeight; ++y)
      image.PixelAt(x, y) = {static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(x ^ y),
                             static_cast<std::uint8_t>(y * 3), static_cast<std::uint8_t>(x)};
  VectorSink sink;
  if (!WriteBmpImage(image, sink)) std::abort();
  return sink.Bytes();
}

// The whole resize: size query, then the resize into a buffer.
void BM_ResizeMemory(benchmark::State& state) {
  const std::vector<std::uint8_t> source = Source(static_cast<std::int32_t>(state.range(1)));
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = static_cast<std::int32_t>(state.range(0));
  std::size_t size = 0;
  if (bmpresize_memory_size(source.data(), source.size(), &options, &size, nullptr) != BMPRESIZE_OK) std::abort();
  std::vector<std::uint8_t> out(size);
  for (auto _ : state) {
    if (bmpresize_memory(source.data(), source.size(), out.data(), out.size(), &options, nullptr) != BMPRESIZE_OK)
      std::abort();
  }
  state.SetItemsProcessed(state.iterations() * (kWidth * options.percent / 100) * (kHeight * options.percent / 100));
}
BENCHMARK(BM_ResizeMemory)
    ->Args({50, 24})
    ->Args({100, 24})
    ->Args({200, 24})
    ->Args({100, 32})
    ->Args({100, 8})
    ->Unit(benchmark::kMillisecond);

// Reading every row of a file of each depth.
void BM_ReadRows(benchmark::State& state) {
  const std::vector<std::uint8_t> source = Source(static_cast<std::int32_t>(state.range(0)));
  std::vector<PixelBGRA> row(kWidth);
  for (auto _ : state) {
    MemorySource bytes(source.data(), source.size());
    BmpReader reader;
    if (!reader.Open(bytes).Ok()) std::abort();
    for (std::int32_t y = 0; y < kHeight; ++y) (void)reader.ReadRow(PixelRow{row.data(), 1, kWidth});
    benchmark::DoNotOptimize(row.data());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_ReadRows)->Arg(1)->Arg(8)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);

// Resampling alone, from rows that cost nothing to make.
class GreyRows final : public RowSource {
 public:
  void ReadRow(PixelRow row) override {
    for (std::int32_t x = 0; x < row.width; ++x) row[x] = {static_cast<std::uint8_t>(x), 128, 64, 0};
  }
  void SkipRows(std::int64_t) override {}
};

class NoRows final : public RowSink {
 public:
  bool WriteRow(const std::uint8_t* data) override {
    benchmark::DoNotOptimize(data);
    return true;
  }
};

void BM_ResampleRows(benchmark::State& state) {
  const auto percent = static_cast<std::int32_t>(state.range(0));
  RowResampler resampler({kWidth, kHeight, kWidth * percent / 100, kHeight * percent / 100, 3});
  if (!resampler.Ready()) std::abort();
  for (auto _ : state) {
    GreyRows rows;
    NoRows sink;
    if (!resampler.Run(rows, sink)) std::abort();
  }
  state.SetItemsProcessed(state.iterations() * (kWidth * percent / 100) * (kHeight * percent / 100));
}
BENCHMARK(BM_ResampleRows)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

// Each row blend kernel this CPU runs (scalar first), on rows of a 16000-pixel
// picture: the inner step of an enlargement to 200 %.
void BM_BlendRows(benchmark::State& state) {
  const RowBlendKernels* all[8];
  const std::size_t n = AvailableRowBlends(all, 8);
  const auto which = static_cast<std::size_t>(state.range(0));
  if (which >= n) {
    state.SkipWithError("no such kernel on this CPU");
    return;
  }
  constexpr std::size_t kBytes = 16000 * 3;
  std::vector<std::uint8_t> upper(kBytes), lower(kBytes), out(kBytes + kRowBlendSlack);
  for (std::size_t i = 0; i < kBytes; ++i) {
    upper[i] = static_cast<std::uint8_t>(i * 7);
    lower[i] = static_cast<std::uint8_t>(i * 13);
  }
  for (auto _ : state) {
    all[which]->blendRows(upper.data(), lower.data(), 0.3125, 0.6875, kBytes, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel(all[which]->name);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBytes));
}
BENCHMARK(BM_BlendRows)->DenseRange(0, 3);

}  // namespace

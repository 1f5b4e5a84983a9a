// SPDX-License-Identifier: MIT
// Resize target: the input is the source picture, in memory, and its last two
// bytes also pick the percent, from -20 to 400. It runs as a caller of the
// library does: the size query, then the resize into a buffer of that size, or
// for pictures too large to check pixel by pixel through read and write
// functions that only count. The result must be the one the checks of a
// resize give in their order (signature, reader, size), the size query must
// agree with the resize, a buffer one byte short must be refused, and the
// picture must read back with the scaled size, depth 24 (32 for a 32-bit
// source), resolution 3780, and at 100 % the source's own colours.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "bmpfile/byte_source.h"
#include "bmpresize.h"
#include "fuzz_support.h"
#include "image/bmp_image.h"
#include "reference/read_bmp_file.h"

using namespace bmpresize;

namespace {

// Sources up to this size run (and wide rows, see ClaimsCostlySize); with
// 400 % the destination has up to 16 times as many pixels.
constexpr std::int64_t kMaxFuzzPixels = std::int64_t{1} << 16;
// Destinations up to this size are read back and checked pixel by pixel;
// larger ones, from wide rows, by their size alone.
constexpr std::int64_t kMaxCheckedPixels = std::int64_t{1} << 22;
// Larger destinations are only measured, not made: a source of two rows of 4
// million pixels at 400 % gives 128 million pixels, seconds of blending under
// the sanitizers and past the fuzzer's timeout on a loaded machine. The
// widest destination rows the default memory limit holds, about 5 million
// pixels, are still made a few rows high; wider ones are refused.
constexpr std::int64_t kMaxMadePixels = std::int64_t{1} << 25;

std::int32_t PercentFrom(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 100;
  return static_cast<std::int32_t>((data[size - 2] | data[size - 1] << 8) % 421) - 20;
}

// The scaled side as the library documents it: percent x side / 100, the
// remainder dropped.
std::int64_t Scaled(std::int32_t percent, std::int32_t side) { return std::int64_t{percent} * side / 100; }

// What one band of a resize takes by the costs bmpresize.h documents, against
// the default memory limit: at least 24 + 4 x c bytes a destination column,
// at most 24 + 6 x c (a copy's block or a band's buffer of one row more) and 8
// a source column, and 2 MiB besides. Between the two either result is right.
enum class Memory { kFits, kPasses, kEither };
Memory MemoryAtDefault(std::int64_t width, std::int32_t depth, std::int64_t sourceWidth) {
  const std::int64_t c = depth / 8;
  if ((24 + 4 * c) * width > BMPRESIZE_DEFAULT_MEMORY_LIMIT) return Memory::kPasses;
  const std::int64_t most = (24 + 6 * c) * width + 8 * sourceWidth + (std::int64_t{2} << 20);
  return most <= BMPRESIZE_DEFAULT_MEMORY_LIMIT ? Memory::kFits : Memory::kEither;
}

// The code the checks of a resize give, in their order, and the size of the
// picture when it is 999.
bmpresize_code Expected(const std::uint8_t* data, std::size_t size, std::int32_t percent, std::int64_t& width,
                        std::int64_t& height, std::int32_t& depth, Memory& memory) {
  // A source shorter than the signature keeps the default "BM" and so passes.
  if (size >= 2 && !(data[0] == 'B' && data[1] == 'M')) return BMPRESIZE_SOURCE_NOT_BMP;
  MemorySource source(data, size);
  BmpReader reader;
  if (!reader.Open(source).Ok()) return BMPRESIZE_SOURCE_UNREADABLE;
  width = Scaled(percent, reader.Width());
  height = Scaled(percent, reader.Height());
  if (width < 1 || height < 1) width = height = 1;
  depth = reader.Depth() == 32 ? 32 : 24;
  // Wider rows than the resize writes cannot be made; sources within the cap
  // always fit otherwise, but for the memory of their rows.
  if (width > (std::int64_t{1} << 24)) return BMPRESIZE_TOO_LARGE;
  memory = MemoryAtDefault(width, depth, reader.Width());
  return memory == Memory::kPasses ? BMPRESIZE_TOO_LARGE : BMPRESIZE_OK;
}

void CheckPicture(const std::vector<std::uint8_t>& picture, const std::uint8_t* data, std::size_t size,
                  std::int32_t percent, std::int64_t width, std::int64_t height, std::int32_t depth) {
  MemorySource written(picture.data(), picture.size());
  BmpImage resized;
  FUZZ_CHECK(ReadBmpImage(resized, written) == 1);
  FUZZ_CHECK(resized.Width() == width && resized.Height() == height);
  FUZZ_CHECK(resized.Depth() == depth);
  FUZZ_CHECK(resized.GetResolution().xPixelsPerMetre == kDefaultPixelsPerMetre);
  FUZZ_CHECK(resized.GetResolution().yPixelsPerMetre == kDefaultPixelsPerMetre);
  if (percent != 100) return;
  MemorySource source(data, size);
  BmpImage image;
  FUZZ_CHECK(ReadBmpImage(image, source) == 1);
  for (std::int32_t x = 0; x < image.Width(); ++x) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
      PixelBGRA expected = image.PixelAt(x, y);
      if (depth == 24) expected.alpha = 0;
      FUZZ_CHECK(resized.PixelAt(x, y) == expected);
    }
  }
}

// Reads the input as a pipe would deliver it, a few bytes at a time.
struct Trickle {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
};

int ReadTrickle(void* user, void* buffer, std::size_t size, std::size_t* got) {
  Trickle& t = *static_cast<Trickle*>(user);
  *got = std::min({size, t.size - t.at, std::size_t{4093}});
  std::copy(t.data + t.at, t.data + t.at + *got, static_cast<std::uint8_t*>(buffer));
  t.at += *got;
  return 0;
}

// Counts what is written, and whether the end of the picture was told.
struct Count {
  std::uint64_t bytes = 0;
  int ends = 0;
};

int CountWrites(void* user, const void* data, std::size_t size) {
  Count& c = *static_cast<Count*>(user);
  if (data == nullptr) {
    ++c.ends;
  } else {
    c.bytes += size;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (ClaimsCostlySize(data, size, kMaxFuzzPixels)) return -1;
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = PercentFrom(data, size);

  std::int64_t width = 0, height = 0;
  std::int32_t depth = 0;
  Memory memory = Memory::kFits;
  const bmpresize_code expected = Expected(data, size, options.percent, width, height, depth, memory);
  std::size_t needed = 0;
  bmpresize_result measured;
  const bmpresize_code code = bmpresize_memory_size(data, size, &options, &needed, &measured);
  if (memory != Memory::kFits && code == BMPRESIZE_TOO_LARGE) {
    FUZZ_CHECK(measured.cause == BMPRESIZE_CAUSE_MEMORY_LIMIT && measured.value > measured.limit);
    return 0;
  }
  FUZZ_CHECK(code == expected);
  if (expected != BMPRESIZE_OK) return 0;
  FUZZ_CHECK(needed == kHeadersSize + RowStride(width, depth) * static_cast<std::uint64_t>(height));
  if (width * height > kMaxMadePixels) return -1;

  bmpresize_result result;
  if (width * height > kMaxCheckedPixels) {
    Trickle input{data, size};
    Count output;
    FUZZ_CHECK(bmpresize_callbacks(ReadTrickle, &input, CountWrites, &output, &options, &result) == BMPRESIZE_OK);
    FUZZ_CHECK(output.bytes == needed && output.ends == 1);
    return 0;
  }
  std::vector<std::uint8_t> picture(needed);
  FUZZ_CHECK(bmpresize_memory(data, size, picture.data(), needed - 1, &options, &result) ==
             BMPRESIZE_DESTINATION_FAILED);
  FUZZ_CHECK(result.cause == BMPRESIZE_CAUSE_BUFFER_TOO_SMALL);
  FUZZ_CHECK(bmpresize_memory(data, size, picture.data(), picture.size(), &options, &result) == BMPRESIZE_OK);
  FUZZ_CHECK(result.size == static_cast<std::int64_t>(needed));
  CheckPicture(picture, data, size, options.percent, width, height, depth);
  return 0;
}

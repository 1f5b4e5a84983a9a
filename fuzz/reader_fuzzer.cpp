// SPDX-License-Identifier: MIT
// Reader target: the input is a BMP file, read from memory. Whatever the
// reader makes of it, the image it leaves must write at its own depth and read
// back the same: same size, depth, resolution and pixels (a 2-bit file is held
// at 8 bits). At 1, 4 and 8 bits
// the table reads back unchanged and each pixel becomes the table entry
// nearest to it; at 16 bits each channel keeps its top five bits. Both matter
// only for pixels the file did not supply, which are white: a table need not
// hold white, and 16 bits store 255 as 248. A result of 0 always leaves a
// 1 x 1 image.
//
// An accepted file is also read row by row after skipping some rows, from
// memory that can seek and from memory that cannot (as a pipe): the rows must
// be the image's. Rows wider than the whole image can afford (see
// ClaimsCostlySize) are read only so, and both ways must agree.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "bmpfile/byte_source.h"
#include "fuzz_support.h"
#include "image/bmp_image.h"
#include "reference/read_bmp_file.h"
#include "reference/write_bmp_file.h"

using namespace bmpresize;

namespace {

constexpr std::int64_t kMaxFuzzPixels = std::int64_t{1} << 16;

// What a pixel of the image becomes once written at the image's depth and read back.
PixelBGRA RoundTrip(const BmpImage& image, PixelBGRA pixel) {
  if (IsPalettedDepth(image.Depth())) return image.GetPaletteEntry(image.NearestPaletteIndex(pixel));
  if (image.Depth() == 16) {
    const auto top5 = [](std::uint8_t c) { return static_cast<std::uint8_t>(c & 0xF8); };
    return {top5(pixel.blue), top5(pixel.green), top5(pixel.red), 0};
  }
  return pixel;
}

std::int32_t WrittenResolution(std::int32_t value) { return value != 0 ? value : kDefaultPixelsPerMetre; }

// Reads the rows from skip up and checks them against the image.
void CheckRows(const std::uint8_t* data, std::size_t size, bool seekable, const BmpImage& image, std::int64_t skip) {
  MemorySource source(data, size, seekable);
  BmpReader reader;
  FUZZ_CHECK(reader.Open(source).Ok());
  FUZZ_CHECK(reader.Width() == image.Width() && reader.Height() == image.Height());
  FUZZ_CHECK(ImageDepthFor(reader.Depth()) == image.Depth());
  std::vector<PixelBGRA> row(static_cast<std::size_t>(image.Width()));
  reader.SkipRows(skip);
  for (std::int64_t i = skip; i < image.Height(); ++i) {
    const auto y = static_cast<std::int32_t>(image.Height() - 1 - i);
    (void)reader.ReadRow(PixelRow{row.data(), 1, image.Width()});
    for (std::int32_t x = 0; x < image.Width(); ++x)
      FUZZ_CHECK(row[static_cast<std::size_t>(x)] == image.PixelAt(x, y));
  }
}

// Reads every row of a picture with rows too wide for the whole-image checks,
// from memory that can seek and from memory that cannot.
void CheckWideRows(const std::uint8_t* data, std::size_t size) {
  MemorySource seeking(data, size);
  MemorySource streaming(data, size, false);
  BmpReader fromSeeking;
  BmpReader fromStreaming;
  const bool accepted = fromSeeking.Open(seeking).Ok();
  FUZZ_CHECK(fromStreaming.Open(streaming).Ok() == accepted);
  if (!accepted) return;
  const std::int32_t width = fromSeeking.Width();
  std::vector<PixelBGRA> row(static_cast<std::size_t>(width));
  std::vector<PixelBGRA> other(row.size());
  for (std::int32_t i = 0; i < fromSeeking.Height(); ++i) {
    (void)fromSeeking.ReadRow(PixelRow{row.data(), 1, width});
    (void)fromStreaming.ReadRow(PixelRow{other.data(), 1, width});
    FUZZ_CHECK(row == other);
  }
}

// Writes the image at its own depth and checks what reads back.
void CheckWrittenImage(const BmpImage& image) {
  VectorSink copy;
  FUZZ_CHECK(WriteBmpImage(image, copy) == 1);
  MemorySource written(copy.Bytes().data(), copy.Bytes().size());
  BmpImage back;
  FUZZ_CHECK(ReadBmpImage(back, written) == 1);
  FUZZ_CHECK(back.Width() == image.Width() && back.Height() == image.Height());
  FUZZ_CHECK(back.Depth() == image.Depth());
  FUZZ_CHECK(back.GetResolution().xPixelsPerMetre == WrittenResolution(image.GetResolution().xPixelsPerMetre));
  FUZZ_CHECK(back.GetResolution().yPixelsPerMetre == WrittenResolution(image.GetResolution().yPixelsPerMetre));
  if (IsPalettedDepth(image.Depth())) {
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
      FUZZ_CHECK(back.GetPaletteEntry(i) == image.GetPaletteEntry(i));
  }
  for (std::int32_t x = 0; x < image.Width(); ++x) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
      FUZZ_CHECK(back.PixelAt(x, y) == RoundTrip(image, image.PixelAt(x, y)));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (ClaimsCostlySize(data, size, kMaxFuzzPixels)) return -1;  // not kept in the corpus
  if (ClaimedPixels(data, size) > kMaxFuzzPixels) {
    CheckWideRows(data, size);
    return 0;
  }

  BmpImage image;
  MemorySource source(data, size);
  const int read = ReadBmpImage(image, source);
  FUZZ_CHECK(read == 0 || read == 1);
  if (read == 0) FUZZ_CHECK(image.Width() == 1 && image.Height() == 1);
  if (read == 1) {
    const std::int64_t skip = size > 0 ? data[size / 2] % (std::int64_t{image.Height()} + 1) : 0;
    CheckRows(data, size, true, image, skip);
    CheckRows(data, size, false, image, skip);
  }
  CheckWrittenImage(image);
  return 0;
}

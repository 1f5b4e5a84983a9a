// Reader target: the input is a BMP file. Whatever the reader makes of it, the
// image it leaves must write at its own depth and read back the same: same
// size, depth, resolution and pixels. At 1, 4 and 8 bits the table reads back
// unchanged and each pixel becomes the table entry nearest to it; at 16 bits
// each channel keeps its top five bits. Both matter only for pixels the file
// did not supply, which are white: a table need not hold white, and 16 bits
// store 255 as 248. A result of 0 always leaves a 1 x 1 image.
//
// An accepted file is also read row by row after skipping some rows, from the
// file and from a stream that cannot seek: the rows must be the image's. Rows
// wider than the whole image can afford (see ClaimsCostlySize) are read only
// so, and the file and the stream must agree.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "fuzz_support.h"
#include "image/bmp_image.h"
#include "reference/read_bmp_file.h"
#include "reference/write_bmp_file.h"

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

// Reads the rows from skip up through a reader of stream and checks them
// against the image.
void CheckRows(std::FILE* stream, const BmpImage& image, std::int64_t skip) {
  FUZZ_CHECK(stream != nullptr);
  BmpReader reader;
  FUZZ_CHECK(reader.ReadHeaders(stream) == HeaderVerdict::kAccepted);
  FUZZ_CHECK(reader.Width() == image.Width() && reader.Height() == image.Height());
  FUZZ_CHECK(reader.Depth() == image.Depth());
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
// from the file and, where there is one, from a stream that cannot seek.
void CheckWideRows(const std::string& source, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(source.c_str(), "rb");
  FUZZ_CHECK(file != nullptr);
  BmpReader fromFile;
  const HeaderVerdict verdict = fromFile.ReadHeaders(file);
#if !defined(_WIN32)
  std::FILE* memory = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  FUZZ_CHECK(memory != nullptr);
  BmpReader fromMemory;
  FUZZ_CHECK(fromMemory.ReadHeaders(memory) == verdict);
#else
  (void)data;
  (void)size;
#endif
  if (verdict == HeaderVerdict::kAccepted) {
    const std::int32_t width = fromFile.Width();
    std::vector<PixelBGRA> row(static_cast<std::size_t>(width));
    std::vector<PixelBGRA> other(row.size());
    for (std::int32_t i = 0; i < fromFile.Height(); ++i) {
      (void)fromFile.ReadRow(PixelRow{row.data(), 1, width});
#if !defined(_WIN32)
      (void)fromMemory.ReadRow(PixelRow{other.data(), 1, width});
      FUZZ_CHECK(row == other);
#endif
    }
  }
  std::fclose(file);
#if !defined(_WIN32)
  std::fclose(memory);
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (ClaimsCostlySize(data, size, kMaxFuzzPixels)) return -1;  // not kept in the corpus
  const std::string source = ScratchFile("reader-source.bmp");
  const std::string copy = ScratchFile("reader-copy.bmp");
  FUZZ_CHECK(WriteWholeFile(source, data, size));
  if (ClaimedPixels(data, size) > kMaxFuzzPixels) {
    CheckWideRows(source, data, size);
    return 0;
  }

  BmpImage image;
  const int read = ReadBmpFile(image, source.c_str());
  FUZZ_CHECK(read == 0 || read == 1);
  if (read == 0) FUZZ_CHECK(image.Width() == 1 && image.Height() == 1);

  if (read == 1) {
    const std::int64_t skip = size > 0 ? data[size / 2] % (std::int64_t{image.Height()} + 1) : 0;
    std::FILE* file = std::fopen(source.c_str(), "rb");
    CheckRows(file, image, skip);
    std::fclose(file);
#if !defined(_WIN32)
    // A stream without a file behind it cannot seek.
    std::FILE* memory = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    CheckRows(memory, image, skip);
    std::fclose(memory);
#endif
  }

  FUZZ_CHECK(WriteBmpFile(image, copy.c_str()) == 1);
  BmpImage back;
  FUZZ_CHECK(ReadBmpFile(back, copy.c_str()) == 1);
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
  return 0;
}

// Reader target: the input is a BMP file. Whatever the reader makes of it, the
// image it leaves must write at its own depth and read back the same: same
// size, depth, resolution and pixels. At 1, 4 and 8 bits the table reads back
// unchanged and each pixel becomes the table entry nearest to it; at 16 bits
// each channel keeps its top five bits. Both matter only for pixels the file
// did not supply, which are white: a table need not hold white, and 16 bits
// store 255 as 248. A result of 0 always leaves a 1 x 1 image.
#include <cstddef>
#include <cstdint>
#include <string>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "fuzz_support.h"
#include "image/bmp_image.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (ClaimsCostlySize(data, size, kMaxFuzzPixels)) return -1;  // not kept in the corpus
  const std::string source = ScratchFile("reader-source.bmp");
  const std::string copy = ScratchFile("reader-copy.bmp");
  FUZZ_CHECK(WriteWholeFile(source, data, size));

  BmpImage image;
  const int read = ReadBmpFile(image, source.c_str());
  FUZZ_CHECK(read == 0 || read == 1);
  if (read == 0) FUZZ_CHECK(image.Width() == 1 && image.Height() == 1);

  FUZZ_CHECK(WriteBmpFile(image, copy.c_str()) == 1);
  BmpImage back;
  FUZZ_CHECK(ReadBmpFile(back, copy.c_str()) == 1);
  FUZZ_CHECK(back.Width() == image.Width() && back.Height() == image.Height());
  FUZZ_CHECK(back.Depth() == image.Depth());
  FUZZ_CHECK(back.xPixelsPerMetre == WrittenResolution(image.xPixelsPerMetre));
  FUZZ_CHECK(back.yPixelsPerMetre == WrittenResolution(image.yPixelsPerMetre));

  if (IsPalettedDepth(image.Depth())) {
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i) FUZZ_CHECK(back.GetPaletteEntry(i) == image.GetPaletteEntry(i));
  }
  for (std::int32_t x = 0; x < image.Width(); ++x) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
      FUZZ_CHECK(back.PixelAt(x, y) == RoundTrip(image, image.PixelAt(x, y)));
    }
  }
  return 0;
}

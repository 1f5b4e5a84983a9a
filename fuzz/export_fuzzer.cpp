// Export target: the input is the source file, and its last two bytes also
// pick the percent, from -20 to 400. The result must be the one the checks
// of the call give in their order (signature, reader, size, destination), and
// only 999 may leave a destination behind: a file that reads back with the
// scaled size, depth 24 (32 for a 32-bit source), resolution 3780, and at
// 100 % the source's own colours.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "bmpresizescale.h"
#include "fuzz_support.h"
#include "image/bmp_image.h"
#include "reference/read_bmp_file.h"
#include "support/export_call.h"

namespace {

// Sources up to this size run (and wide rows, see ClaimsCostlySize); with
// 400 % the destination has up to 16 times as many pixels.
constexpr std::int64_t kMaxFuzzPixels = std::int64_t{1} << 16;
// Destinations up to this size are read back and checked pixel by pixel;
// larger ones, from wide rows, by their size alone.
constexpr std::int64_t kMaxCheckedPixels = std::int64_t{1} << 22;

std::int32_t PercentFrom(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 100;
  return static_cast<std::int32_t>((data[size - 2] | data[size - 1] << 8) % 421) - 20;
}

// The scaled side as the library documents it: percent x side / 100, the
// remainder dropped.
std::int64_t Scaled(std::int32_t percent, std::int32_t side) { return std::int64_t{percent} * side / 100; }

std::uintmax_t FileSize(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t n = std::filesystem::file_size(path, ec);
  return ec ? 0 : n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (ClaimsCostlySize(data, size, kMaxFuzzPixels)) return -1;
  const std::string source = ScratchFile("export-source.bmp");
  const std::string destination = ScratchFile("export-destination.bmp");
  FUZZ_CHECK(WriteWholeFile(source, data, size));
  std::error_code ec;
  std::filesystem::remove(destination, ec);

  const std::int32_t percent = PercentFrom(data, size);
  const std::int32_t result = CallExport(source, destination, percent);
  const bool written = std::filesystem::exists(destination, ec);
  FUZZ_CHECK(written == (result == BMPRESIZE_OK));
  // Nothing but the two files: a failed resize leaves no new file behind.
  const std::filesystem::path folder = std::filesystem::path(source).parent_path();
  FUZZ_CHECK(std::distance(std::filesystem::directory_iterator(folder), {}) == (written ? 2 : 1));

  // A file shorter than the signature keeps the default "BM" and so passes.
  const bool signature = size < 2 || (data[0] == 'B' && data[1] == 'M');
  if (!signature) {
    FUZZ_CHECK(result == BMPRESIZE_SOURCE_NOT_BMP);
    return 0;
  }
  BmpReader reader;
  if (reader.ReadHeaders(source.c_str()) != HeaderVerdict::kAccepted) {
    FUZZ_CHECK(result == BMPRESIZE_SOURCE_UNREADABLE);
    return 0;
  }
  std::int64_t width = Scaled(percent, reader.Width());
  std::int64_t height = Scaled(percent, reader.Height());
  if (width < 1 || height < 1) width = height = 1;
  // Wider rows than the reader takes cannot be made; sources within the cap
  // always fit otherwise: no -2 on a scratch folder, no other -3.
  if (width > kMaxRowPixels) {
    FUZZ_CHECK(result == BMPRESIZE_TOO_LARGE);
    return 0;
  }
  FUZZ_CHECK(result == BMPRESIZE_OK);
  const std::int32_t depth = reader.Depth() == 32 ? 32 : 24;
  FUZZ_CHECK(FileSize(destination) == kHeadersSize + RowStride(width, depth) * static_cast<std::uint64_t>(height));
  if (width * height > kMaxCheckedPixels) return 0;
  BmpImage resized;
  FUZZ_CHECK(ReadBmpFile(resized, destination.c_str()) == 1);
  FUZZ_CHECK(resized.Width() == width && resized.Height() == height);
  FUZZ_CHECK(resized.Depth() == depth);
  FUZZ_CHECK(resized.GetResolution().xPixelsPerMetre == kDefaultPixelsPerMetre);
  FUZZ_CHECK(resized.GetResolution().yPixelsPerMetre == kDefaultPixelsPerMetre);

  if (percent == 100) {
    BmpImage image;
    FUZZ_CHECK(ReadBmpFile(image, source.c_str()) == 1);
    for (std::int32_t x = 0; x < image.Width(); ++x) {
      for (std::int32_t y = 0; y < image.Height(); ++y) {
        PixelBGRA expected = image.PixelAt(x, y);
        if (depth == 24) expected.alpha = 0;
        FUZZ_CHECK(resized.PixelAt(x, y) == expected);
      }
    }
  }
  return 0;
}

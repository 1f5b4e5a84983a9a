// SPDX-License-Identifier: MIT
// The streaming resize against the in-memory pipeline it replaced (read the
// whole picture, sample every pixel, write the whole picture): the same result
// code and the same bytes, on many seeded random files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_writer.h"
#include "image/bmp_image.h"
#include "pipeline/resize.h"
#include "pipeline/scaled_size.h"
#include "reference/peek_file_header.h"
#include "reference/read_bmp_file.h"
#include "reference/resize_image.h"
#include "reference/write_bmp_file.h"
#include "support/bmp_bytes.h"
#include "support/random_bmp.h"
#include "support/temp_dir.h"

namespace {

// The whole-picture pipeline, step by step as the export used to run it.
std::int32_t ReferenceResize(const char* source, const char* destination, std::int32_t percent) {
  if (PeekFileHeader(source).bfType != kBmpSignature) return 0;
  BmpImage sourceImage;
  if (!ReadBmpFile(sourceImage, source)) return -1;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ScaledSize(percent, sourceImage.Width(), width) || !ScaledSize(percent, sourceImage.Height(), height)) return -3;
  BmpImage destinationImage;
  const std::int32_t depth = sourceImage.Depth() == 32 ? 32 : 24;
  if (width >= 1 && height >= 1) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.depth = depth;
    if (!HeadersFor(layout).fits) return -3;
    if (!destinationImage.SetSize(width, height)) return -3;
  }
  (void)destinationImage.SetDepth(depth);
  if (destination == nullptr) return -2;
  if (!ResizeImage(sourceImage, destinationImage)) return -3;
  if (!WriteBmpFile(destinationImage, destination)) return -2;
  return 999;
}

std::int32_t StreamingResize(const std::string& source, const std::string& destination, std::int32_t percent) {
  const NativePath from8(source.c_str()), to8(destination.c_str());
  PathSource from(from8.get());
  PathDestination to(to8.get());
  bmpresize_options options = DefaultOptions();
  options.percent = percent;
  return Resize(from, to, options).code;
}

TEST(StreamingResize, GivesTheWholePictureResultOnRandomFiles) {
  static const std::int32_t kPercents[] = {1, 7, 33, 50, 66, 99, 100, 101, 149, 150, 200, 250, 313, 0, -40};
  Random r{std::mt19937(20261207)};
  TempDir dir;
  const std::string source = dir.File("in.bmp");
  const std::string expected = dir.File("expected.bmp");
  const std::string actual = dir.File("actual.bmp");
  for (int round = 0; round < 1500; ++round) {
    const std::vector<std::uint8_t> bytes = RandomBmp(r);
    const std::int32_t percent = kPercents[r.Below(sizeof kPercents / sizeof kPercents[0])];
    WriteFileBytes(source, bytes);
    std::remove(expected.c_str());
    std::remove(actual.c_str());
    const std::int32_t want = ReferenceResize(source.c_str(), expected.c_str(), percent);
    const std::int32_t got = StreamingResize(source, actual, percent);
    ASSERT_EQ(got, want) << "round " << round << ", " << bytes.size() << " bytes at " << percent << " %";
    ASSERT_EQ(FileExists(actual), FileExists(expected)) << "round " << round;
    if (want == 999) {
      ASSERT_EQ(ReadFileBytes(actual), ReadFileBytes(expected)) << "round " << round;
    }
  }
}

// Writing onto the source itself (by its path, a hard link or a symbolic
// link) must give what a separate destination gets.
TEST(StreamingResize, DestinationThatIsTheSourceGetsTheSameBytes) {
  Random r{std::mt19937(99)};
  TempDir dir;
  for (const char* how : {"same path", "hard link", "symbolic link"}) {
    SCOPED_TRACE(how);
#ifdef _WIN32
    // Symbolic links need a privilege that a test run need not have there.
    if (std::string(how) == "symbolic link") continue;
#endif
    for (int round = 0; round < 20; ++round) {
      std::vector<std::uint8_t> bytes;
      do {
        bytes = RandomBmp(r);
        WriteFileBytes(dir.File("in.bmp"), bytes);
      } while (ReferenceResize(dir.File("in.bmp").c_str(), dir.File("expected.bmp").c_str(), 150) != 999);
      std::string destination = dir.File("in.bmp");
      std::remove(dir.File("link.bmp").c_str());
      if (std::string(how) == "hard link") {
        std::filesystem::create_hard_link(dir.File("in.bmp"), dir.File("link.bmp"));
        destination = dir.File("link.bmp");
      } else if (std::string(how) == "symbolic link") {
        std::filesystem::create_symlink(dir.File("in.bmp"), dir.File("link.bmp"));
        destination = dir.File("link.bmp");
      }
      ASSERT_EQ(StreamingResize(dir.File("in.bmp"), destination, 150), 999);
      ASSERT_EQ(ReadFileBytes(destination), ReadFileBytes(dir.File("expected.bmp")));
      // A new file takes the name: another hard link keeps the old picture,
      // a symbolic link leads to the new one.
      if (std::string(how) == "hard link") {
        ASSERT_EQ(ReadFileBytes(dir.File("in.bmp")), bytes);
      }
      if (std::string(how) == "symbolic link") {
        ASSERT_TRUE(std::filesystem::is_symlink(destination));
      }
    }
  }
}

}  // namespace

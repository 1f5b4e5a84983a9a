// SPDX-License-Identifier: MIT
// The export end to end, through the public header and the shared library.
// Sources are made with the whole-picture writer (or byte by byte where they
// must be malformed); expected pictures with the sampler itself.
#include "bmpresizescale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "reference/read_bmp_file.h"
#include "reference/write_bmp_file.h"
#include "resample/sample_bilinear.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"
#include "support/export_call.h"

using namespace bmpresize;

namespace {

namespace fs = std::filesystem;

// Pixel bytes that differ from those of every neighbour.
PixelBGRA Distinct(int x, int y) {
  return {static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(200 - x * 5 + y * 3),
          static_cast<std::uint8_t>(y * 29 + 7), static_cast<std::uint8_t>(x * 13 + y * 17 + 1)};
}

// A source of the given size and depth with its own resolution (never 3780).
void WriteSource(const std::string& path, int w, int h, int depth) {
  BmpImage image;
  ASSERT_EQ(image.SetSize(w, h), 1);
  ASSERT_EQ(image.SetDepth(depth), 1);
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) image.PixelAt(x, y) = Distinct(x, y);
  image.SetResolution({1000, 2000});
  ASSERT_EQ(WriteBmpFile(image, path.c_str()), 1);
}

// Checks the headers of a file the export wrote; every one carries 3780 ppm.
void ExpectWritten(const std::string& path, std::uint32_t w, std::uint32_t h, std::uint32_t depth) {
  const auto bytes = ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 54u) << path;
  EXPECT_EQ(LE16(bytes, 0), 0x4D42u);
  EXPECT_EQ(LE32(bytes, 2), bytes.size());
  EXPECT_EQ(LE32(bytes, 18), w);
  EXPECT_EQ(LE32(bytes, 22), h);
  EXPECT_EQ(LE16(bytes, 28), depth);
  EXPECT_EQ(LE32(bytes, 30), 0u);  // uncompressed
  EXPECT_EQ(LE32(bytes, 38), 3780u);
  EXPECT_EQ(LE32(bytes, 42), 3780u);
}

enum class Source { kGood, kNull, kMissing, kBA, kSurrogate, kEmpty, kShortHeader, kCompressed, kTopDown, kDepth2 };
enum class Destination { kFresh, kExisting, kNull, kNoFolder, kSurrogate, kFolder, kDiskFull };

TEST(BMPResizeScale, ResultCodesAndWhatIsLeftOnDisk) {
  struct Case {
    const char* what;
    Source source;
    Destination destination;
    std::int32_t percent;
    std::int32_t result;
  };
  const Case cases[] = {
      {"written", Source::kGood, Destination::kFresh, 100, BMPRESIZE_OK},
      {"overwritten", Source::kGood, Destination::kExisting, 100, BMPRESIZE_OK},
      {"null source", Source::kNull, Destination::kFresh, 100, BMPRESIZE_SOURCE_NOT_BMP},
      {"missing source", Source::kMissing, Destination::kExisting, 100, BMPRESIZE_SOURCE_NOT_BMP},
      {"BA source", Source::kBA, Destination::kFresh, 100, BMPRESIZE_SOURCE_NOT_BMP},
      {"unpaired surrogate in source", Source::kSurrogate, Destination::kFresh, 100, BMPRESIZE_SOURCE_NOT_BMP},
      {"empty source", Source::kEmpty, Destination::kFresh, 100, BMPRESIZE_SOURCE_UNREADABLE},
      {"empty source, existing destination", Source::kEmpty, Destination::kExisting, 100, BMPRESIZE_SOURCE_UNREADABLE},
      {"short headers", Source::kShortHeader, Destination::kFresh, 50, BMPRESIZE_SOURCE_UNREADABLE},
      {"compressed", Source::kCompressed, Destination::kExisting, 100, BMPRESIZE_SOURCE_UNREADABLE},
      {"top-down JPEG", Source::kTopDown, Destination::kFresh, 100, BMPRESIZE_SOURCE_UNREADABLE},
      {"depth 2 run-length encoded", Source::kDepth2, Destination::kExisting, 200, BMPRESIZE_SOURCE_UNREADABLE},
      {"null destination", Source::kGood, Destination::kNull, 100, BMPRESIZE_DESTINATION_FAILED},
      {"missing folder", Source::kGood, Destination::kNoFolder, 100, BMPRESIZE_DESTINATION_FAILED},
      {"unpaired surrogate in destination", Source::kGood, Destination::kSurrogate, 100, BMPRESIZE_DESTINATION_FAILED},
      {"destination is a folder", Source::kGood, Destination::kFolder, 100, BMPRESIZE_DESTINATION_FAILED},
      {"disk full", Source::kGood, Destination::kDiskFull, 100, BMPRESIZE_DESTINATION_FAILED},
      {"width beyond 32 bits", Source::kGood, Destination::kExisting, INT32_MAX, BMPRESIZE_TOO_LARGE},
      {"negative width beyond 32 bits", Source::kGood, Destination::kFresh, INT32_MIN, BMPRESIZE_TOO_LARGE},
      {"file size beyond 32 bits", Source::kGood, Destination::kExisting, 2000000, BMPRESIZE_TOO_LARGE},
      // The checks come in the order signature, reader, size, destination.
      {"signature before destination", Source::kBA, Destination::kNull, 100, BMPRESIZE_SOURCE_NOT_BMP},
      {"reader before destination", Source::kCompressed, Destination::kNull, 100, BMPRESIZE_SOURCE_UNREADABLE},
      {"reader before size", Source::kEmpty, Destination::kFresh, INT32_MAX, BMPRESIZE_SOURCE_UNREADABLE},
      {"size before destination", Source::kGood, Destination::kNull, INT32_MAX, BMPRESIZE_TOO_LARGE},
  };
  const std::vector<std::uint8_t> keep = {'k', 'e', 'e', 'p'};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    // 101 wide: at INT32_MAX % and INT32_MIN % the width leaves the 32-bit range.
    const std::string good = dir.File("good.bmp");
    WriteSource(good, 101, 2, 24);
    std::string source;
    Path16 source16;
    switch (c.source) {
      case Source::kGood:
        source = good;
        break;
      case Source::kNull:
      case Source::kMissing:
        source = dir.File("missing.bmp");
        break;
      case Source::kBA: {  // the good file but for its second byte
        std::vector<std::uint8_t> bytes = ReadFileBytes(good);
        bytes[1] = 'A';
        WriteFileBytes(source = dir.File("ba.bmp"), bytes);
        break;
      }
      case Source::kSurrogate:
        source16 = ToPath16(dir.path() + "/") + ToPath16(u"\xD800.bmp");
        break;
      case Source::kEmpty:
        WriteFileBytes(source = dir.File("empty.bmp"), {});
        break;
      case Source::kShortHeader:
        WriteFileBytes(source = dir.File("short.bmp"), BmpBytes().U16(0x4D42).U32(70).Zeros(20).data());
        break;
      case Source::kCompressed:  // 24 bits holding a JPEG stream
        WriteFileBytes(source = dir.File("jpeg.bmp"), BmpBytes().Headers(2, 2, 24, 54, 4).Zeros(16).data());
        break;
      case Source::kTopDown:  // top-down rows holding a JPEG stream
        WriteFileBytes(source = dir.File("topdown.bmp"), BmpBytes().Headers(2, -2, 24, 54, 4).Zeros(16).data());
        break;
      case Source::kDepth2:  // 2-bit pictures are read only uncompressed
        WriteFileBytes(source = dir.File("depth2.bmp"), BmpBytes().Headers(2, 2, 2, 54 + 16, 1).Zeros(24).data());
        break;
    }
    if (source16.empty() && c.source != Source::kNull) source16 = ToPath16(source);

    std::string destination = dir.File("out.bmp");
    Path16 destination16;
    switch (c.destination) {
      case Destination::kExisting:
        WriteFileBytes(destination, keep);
        break;
      case Destination::kNoFolder:
        destination = dir.File("missing/out.bmp");
        break;
      case Destination::kSurrogate:
        destination16 = ToPath16(dir.path() + "/") + ToPath16(u"out\xDC00.bmp");
        break;
      case Destination::kFolder:
        destination = dir.path();
        break;
      case Destination::kDiskFull:  // opens, but every write fails
        if (!FileExists("/dev/full")) continue;
        destination = "/dev/full";
        break;
      default:
        break;
    }
    if (destination16.empty() && c.destination != Destination::kNull) destination16 = ToPath16(destination);

    const std::set<std::string> before = ListFolder(dir.path());
    EXPECT_EQ(BMPResizeScale(c.source == Source::kNull ? nullptr : source16.c_str(),
                             c.destination == Destination::kNull ? nullptr : destination16.c_str(), c.percent),
              c.result);

    // A failure creates nothing (no folder either) and leaves an existing destination alone.
    std::set<std::string> after = before;
    if (c.result == BMPRESIZE_OK) {
      ExpectWritten(destination, 101, 2, 24);
      after.insert("out.bmp");
    } else if (c.destination == Destination::kExisting) {
      EXPECT_EQ(ReadFileBytes(destination), keep);
    }
    EXPECT_EQ(ListFolder(dir.path()), after);
  }
}

TEST(BMPResizeScale, HundredPercentCopiesThePicture) {
  for (const int depth : {24, 32}) {
    SCOPED_TRACE(depth);
    TempDir dir;
    WriteSource(dir.File("in.bmp"), 5, 3, depth);
    ASSERT_EQ(CallExport(dir.File("in.bmp"), dir.File("out.bmp"), 100), BMPRESIZE_OK);
    // The same file byte for byte, save the resolution, which is not taken from the source.
    std::vector<std::uint8_t> want = ReadFileBytes(dir.File("in.bmp"));
    const std::vector<std::uint8_t> ppm = BmpBytes().U32(3780).U32(3780).data();
    std::copy(ppm.begin(), ppm.end(), want.begin() + 38);
    EXPECT_EQ(ReadFileBytes(dir.File("out.bmp")), want);
  }
}

TEST(BMPResizeScale, HalfOfFourByFourIsItsFourCorners) {
  TempDir dir;
  WriteSource(dir.File("in.bmp"), 4, 4, 24);
  ASSERT_EQ(CallExport(dir.File("in.bmp"), dir.File("out.bmp"), 50), BMPRESIZE_OK);
  ExpectWritten(dir.File("out.bmp"), 2, 2, 24);
  BmpImage in, out;
  ASSERT_EQ(ReadBmpFile(in, dir.File("in.bmp").c_str()), 1);
  ASSERT_EQ(ReadBmpFile(out, dir.File("out.bmp").c_str()), 1);
  EXPECT_EQ(out.PixelAt(0, 0), in.PixelAt(0, 0));
  EXPECT_EQ(out.PixelAt(1, 0), in.PixelAt(3, 0));
  EXPECT_EQ(out.PixelAt(0, 1), in.PixelAt(0, 3));
  EXPECT_EQ(out.PixelAt(1, 1), in.PixelAt(3, 3));
}

TEST(BMPResizeScale, ThirtyTwoBitsKeepInterpolatedAlpha) {
  TempDir dir;
  BmpImage in;
  ASSERT_EQ(in.SetSize(2, 1), 1);
  ASSERT_EQ(in.SetDepth(32), 1);
  in.PixelAt(0, 0) = {10, 20, 30, 0};
  in.PixelAt(1, 0) = {250, 20, 30, 255};
  ASSERT_EQ(WriteBmpFile(in, dir.File("in.bmp").c_str()), 1);
  ASSERT_EQ(CallExport(dir.File("in.bmp"), dir.File("out.bmp"), 200), BMPRESIZE_OK);
  ExpectWritten(dir.File("out.bmp"), 4, 2, 32);
  const auto bytes = ReadFileBytes(dir.File("out.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 2 * 16);
  const int alpha[] = {0, 85, 170, 255};
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bytes[54 + row * 16 + x * 4 + 3], alpha[x]) << x;
    EXPECT_EQ(bytes[54 + row * 16], 10);
    EXPECT_EQ(bytes[54 + row * 16 + 12], 250);
  }
}

// Every size, depth and percent gives the file the sampler makes pixel by
// pixel: the export works out each axis once, which must change no byte.
TEST(BMPResizeScale, EqualsSamplingEveryPixelOnItsOwn) {
  struct Case {
    int w, h, depth;
    std::int32_t percent;
    int newW, newH;
  };
  const Case cases[] = {
      {150, 3, 24, 1, 1, 1},  // a side of 0 leaves 1 x 1
      {5, 4, 24, 0, 1, 1},           {5, 4, 32, -1, 1, 1},    {5, 4, 24, -100, 1, 1},
      {100, 2, 24, INT32_MIN, 1, 1},  // exactly -2^31 x 1 after scaling: still in range
      {4, 3, 24, 33, 1, 1},          {3, 2, 24, 150, 4, 3},   {4, 100, 24, 50, 2, 50},
      {13, 7, 32, 37, 4, 2},         {17, 5, 24, 63, 10, 3},  {5, 3, 32, 270, 13, 8},
      {3, 11, 32, 333, 9, 36},       {9, 9, 24, 111, 9, 9},   {1, 1, 32, 700, 7, 7},
      {7, 6, 1, 100, 7, 6},          {7, 6, 4, 150, 10, 9},   {7, 6, 8, 50, 3, 3},
      {7, 6, 16, 100, 7, 6},         {11, 3, 16, 190, 20, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.depth << " at " << c.percent << " %");
    TempDir dir;
    WriteSource(dir.File("in.bmp"), c.w, c.h, c.depth);
    ASSERT_EQ(CallExport(dir.File("in.bmp"), dir.File("out.bmp"), c.percent), BMPRESIZE_OK);
    const std::uint32_t depth = c.depth == 32 ? 32 : 24;
    ExpectWritten(dir.File("out.bmp"), c.newW, c.newH, depth);

    BmpImage in, naive;
    ASSERT_EQ(ReadBmpFile(in, dir.File("in.bmp").c_str()), 1);
    ASSERT_EQ(naive.SetSize(c.newW, c.newH), 1);
    ASSERT_EQ(naive.SetDepth(static_cast<std::int32_t>(depth)), 1);
    for (int y = 0; y < c.newH; ++y)
      for (int x = 0; x < c.newW; ++x) naive.PixelAt(x, y) = SampleBilinear(in, x, c.newW, y, c.newH);
    ASSERT_EQ(WriteBmpFile(naive, dir.File("naive.bmp").c_str()), 1);
    EXPECT_EQ(ReadFileBytes(dir.File("out.bmp")), ReadFileBytes(dir.File("naive.bmp")));
  }
}

TEST(BMPResizeScale, PathsOfAnyLengthAndNonAsciiNames) {
  TempDir dir;
  const std::string source = dir.File("in.bmp");
  WriteSource(source, 6, 4, 24);

  // Beyond 200 bytes in all (230, within what Windows opens without a prefix),
  // and beyond 1000 over nested folders where the system allows it.
  ASSERT_LT(dir.path().size(), 200u);
  std::vector<std::string> destinations = {dir.File(std::string(225 - dir.path().size(), 'n') + ".bmp")};
#ifndef _WIN32
  std::string deep = dir.path();
  for (char c = 'a'; c < 'i'; ++c) {
    deep += "/" + std::string(120, c);
    ASSERT_TRUE(fs::create_directory(deep));
  }
  destinations.push_back(deep + "/out.bmp");
#endif
  for (const std::string& destination : destinations) {
    ASSERT_GT(destination.size(), 200u);
    EXPECT_EQ(CallExport(source, destination, 50), BMPRESIZE_OK);
    ExpectWritten(destination, 3, 2, 24);
  }
  // The source as its own destination: it is read whole before it is replaced.
  fs::copy_file(source, dir.File("in-place.bmp"));
  EXPECT_EQ(CallExport(dir.File("in-place.bmp"), dir.File("in-place.bmp"), 50), BMPRESIZE_OK);
  EXPECT_EQ(ReadFileBytes(dir.File("in-place.bmp")), ReadFileBytes(destinations[0]));

  // Two, three and four-byte characters (the last a surrogate pair) in both paths.
  const std::u16string name = u"-\u00e4\u20ac\U0001F600.bmp";
  const std::string utf8 = "-\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80.bmp";
  fs::copy_file(fs::u8path(source), fs::u8path(dir.File("src" + utf8)));
  const Path16 prefix = ToPath16(dir.path() + "/");
  EXPECT_EQ(BMPResizeScale((prefix + ToPath16(u"src" + name)).c_str(), (prefix + ToPath16(u"dst" + name)).c_str(), 150),
            BMPRESIZE_OK);
  fs::copy_file(fs::u8path(dir.File("dst" + utf8)), dir.File("copy.bmp"));  // read back by an ASCII name
  ExpectWritten(dir.File("copy.bmp"), 9, 6, 24);
}

}  // namespace

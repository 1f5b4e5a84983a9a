// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "reference/peek_file_header.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

// Each field is assembled little-endian from its own bytes, whatever the host's order.
TEST(PeekFileHeader, ReadsTheFiveFieldsOfAFourteenByteFileLittleEndian) {
  TempDir dir;
  const std::string path = dir.File("h.bmp");
  WriteFileBytes(path, {0x42, 0x4D, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC});
  const BmpFileHeader h = PeekFileHeader(path.c_str());
  EXPECT_EQ(h.bfType, 19778);
  EXPECT_EQ(h.bfSize, 0x44332211u);
  EXPECT_EQ(h.bfReserved1, 0x6655);
  EXPECT_EQ(h.bfReserved2, 0x8877);
  EXPECT_EQ(h.bfOffBits, 0xCCBBAA99u);
}

TEST(PeekFileHeader, ShortEmptyAndMissingFiles) {
  TempDir dir;
  // "MB" is the signature's bytes in the wrong order.
  WriteFileBytes(dir.File("swapped.bmp"), {0x4D, 0x42});
  EXPECT_EQ(PeekFileHeader(dir.File("swapped.bmp").c_str()).bfType, 0x424D);

  // An empty file keeps the default signature, so the signature alone accepts it.
  WriteFileBytes(dir.File("empty.bmp"), {});
  EXPECT_EQ(PeekFileHeader(dir.File("empty.bmp").c_str()).bfType, 19778);

  // Nine bytes: the reserved field cut in half keeps its default, whole fields are read.
  WriteFileBytes(dir.File("nine.bmp"), {0x42, 0x41, 1, 0, 0, 0, 2, 0, 3});
  const BmpFileHeader nine = PeekFileHeader(dir.File("nine.bmp").c_str());
  EXPECT_EQ(nine.bfType, 0x4142);
  EXPECT_EQ(nine.bfSize, 1u);
  EXPECT_EQ(nine.bfReserved1, 2);
  EXPECT_EQ(nine.bfReserved2, 0);

  const std::string missing = dir.File("missing.bmp");
  for (const char* path : {missing.c_str(), static_cast<const char*>(nullptr)}) {
    const BmpFileHeader h = PeekFileHeader(path);
    EXPECT_EQ(h.bfType, 0);
    EXPECT_EQ(h.bfReserved1, 0);
    EXPECT_EQ(h.bfReserved2, 0);
  }
}

}  // namespace

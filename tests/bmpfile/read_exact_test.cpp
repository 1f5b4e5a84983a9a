// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bmpfile/read_exact.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

TEST(ReadExact, AReadThatComesUpShortLeavesItsDestinationAsItWas) {
  TempDir dir;
  WriteFileBytes(dir.File("seven"), {1, 2, 3, 4, 5, 6, 7});
  FileBytes file(dir.File("seven"));
  ASSERT_TRUE(file);
  std::uint8_t dest[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  ASSERT_EQ(ReadExact(dest, 2, 2, file.Source()), 1);
  EXPECT_EQ(ReadExact(dest, 4, 1, file.Source()), 0);  // three bytes were left
  EXPECT_EQ(std::vector<std::uint8_t>(dest, dest + 4), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(ReadExact(dest, 0, 1, file.Source()), 0);  // the end of the file was met: nothing more is read
}

}  // namespace

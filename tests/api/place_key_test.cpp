// SPDX-License-Identifier: MIT
// bmpresize_place_key and bmpresize_descriptor_key: two paths share a key
// exactly when writes to them land in one file, and a path without a key says
// why.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "bmpresize.h"
#include "support/temp_dir.h"

namespace {

// The key of a path, and the reason when it has none.
struct Key {
  std::string text;
  int error = -1;
};

Key PlaceKey(const char* path) {
  Key key;
  char text[1024];
  const std::size_t length = bmpresize_place_key(path, text, sizeof text, &key.error);
  EXPECT_LT(length, sizeof text);
  key.text.assign(text, length);
  EXPECT_EQ(std::strlen(text), length);
  return key;
}

// A folder of files, links and a FIFO that the rows below name.
class PlaceKeyTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"d", "e"}) ASSERT_EQ(mkdir(dir_.File(folder).c_str(), 0777), 0);
    WriteFileBytes(dir_.File("d/a.bmp"), {'B', 'M'});
    WriteFileBytes(dir_.File("d/b.bmp"), {'B', 'M'});
    ASSERT_EQ(link(dir_.File("d/a.bmp").c_str(), dir_.File("e/hard.bmp").c_str()), 0);
    ASSERT_EQ(symlink("../d/a.bmp", dir_.File("e/soft.bmp").c_str()), 0);
    ASSERT_EQ(symlink("../d/new.bmp", dir_.File("e/dangling.bmp").c_str()), 0);
    ASSERT_EQ(symlink("new.bmp", dir_.File("d/dangling.bmp").c_str()), 0);
    ASSERT_EQ(symlink("loop.bmp", dir_.File("d/loop.bmp").c_str()), 0);
    ASSERT_EQ(symlink("../d", dir_.File("e/to-d").c_str()), 0);
    ASSERT_EQ(mkfifo(dir_.File("d/fifo").c_str(), 0666), 0);
  }
  std::string File(const std::string& name) const { return name.empty() ? "" : dir_.File(name); }

  TempDir dir_;
};

TEST_F(PlaceKeyTest, TwoPathsShareAKeyExactlyWhenTheyAreOneFile) {
  const struct {
    const char* what;
    const char* a;
    const char* b;
    bool same;
  } rows[] = {
      {"one path", "d/a.bmp", "d/a.bmp", true},
      {"spelt otherwise", "d/a.bmp", "e/../d/./a.bmp", true},
      {"a symbolic link", "d/a.bmp", "e/soft.bmp", true},
      {"a hard link", "d/a.bmp", "e/hard.bmp", true},
      {"a linked folder", "d/a.bmp", "e/to-d/a.bmp", true},
      {"a dangling link and the name it leads to", "e/dangling.bmp", "d/new.bmp", true},
      {"two dangling links to one name", "e/dangling.bmp", "d/dangling.bmp", true},
      {"a new name spelt otherwise", "d/new.bmp", "e/to-d/new.bmp", true},
      {"two new names in one folder", "d/new.bmp", "d/other.bmp", false},
      {"one new name in two folders", "d/new.bmp", "e/new.bmp", false},
      {"two files", "d/a.bmp", "d/b.bmp", false},
      {"a file and a new name", "d/a.bmp", "d/new.bmp", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Key a = PlaceKey(File(row.a).c_str());
    const Key b = PlaceKey(File(row.b).c_str());
    ASSERT_EQ(a.error, 0);
    ASSERT_EQ(b.error, 0);
    EXPECT_FALSE(a.text.empty());
    EXPECT_EQ(a.text == b.text, row.same) << a.text << " / " << b.text;
  }
}

TEST_F(PlaceKeyTest, APathWithoutAKeySaysWhy) {
  const struct {
    const char* what;
    const char* path;
    int error;
  } rows[] = {
      {"a missing folder", "nowhere/x.bmp", ENOENT},
      {"a file as a folder", "d/a.bmp/x.bmp", ENOTDIR},
      {"a folder", "d", EISDIR},
      {"a new path ending in a separator", "d/new/", EISDIR},
      {"a FIFO", "d/fifo", ESPIPE},
      {"a link loop", "d/loop.bmp", ELOOP},
      {"an empty path", "", ENOENT},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Key key = PlaceKey(File(row.path).c_str());
    EXPECT_EQ(key.error, row.error) << std::strerror(key.error);
    EXPECT_EQ(key.text, "");
  }
  EXPECT_EQ(PlaceKey(nullptr).error, EINVAL);
  EXPECT_EQ(PlaceKey("/dev/null").error, ESPIPE);
}

// A descriptor, by number or by a path that names it, lands in the regular
// file it has open; a pipe, a descriptor not open, have no key.
TEST_F(PlaceKeyTest, ADescriptorLandsInTheFileItHasOpen) {
  const int fd = open(File("e/soft.bmp").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  const std::string byPath = PlaceKey(File("d/a.bmp").c_str()).text;
  const std::string named = "/dev/fd/" + std::to_string(fd);
  EXPECT_EQ(PlaceKey(named.c_str()).text, byPath);
  char key[256];
  int error = -1;
  ASSERT_EQ(bmpresize_descriptor_key(fd, key, sizeof key, &error), byPath.size());
  EXPECT_EQ(error, 0);
  EXPECT_EQ(key, byPath);
  ASSERT_EQ(close(fd), 0);
  EXPECT_EQ(PlaceKey(named.c_str()).error, EBADF);
  EXPECT_EQ(bmpresize_descriptor_key(fd, key, sizeof key, &error), 0u);
  EXPECT_EQ(error, EBADF);

  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  EXPECT_EQ(bmpresize_descriptor_key(ends[1], key, sizeof key, &error), 0u);
  EXPECT_EQ(error, ESPIPE);
  EXPECT_EQ(key[0], '\0');
  close(ends[0]);
  close(ends[1]);
}

// As snprintf: the whole length whatever the room, the text cut to fit.
TEST_F(PlaceKeyTest, TheKeyIsCutToTheRoomGiven) {
  const std::string whole = PlaceKey(File("d/new.bmp").c_str()).text;
  ASSERT_GT(whole.size(), 4u);
  EXPECT_EQ(bmpresize_place_key(File("d/new.bmp").c_str(), nullptr, 0, nullptr), whole.size());
  char key[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(bmpresize_place_key(File("d/new.bmp").c_str(), key, sizeof key, nullptr), whole.size());
  EXPECT_EQ(std::string(key), whole.substr(0, 4));
}

}  // namespace

#endif  // !_WIN32

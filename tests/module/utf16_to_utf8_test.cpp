// SPDX-License-Identifier: MIT
#include "module/utf16_to_utf8.h"

#include <gtest/gtest.h>

#include <string>

using namespace bmpresize;

namespace {

TEST(Utf16ToUtf8, EncodesEachFormAtItsBoundaries) {
  struct Case {
    std::u16string in;
    std::string out;
  };
  const Case cases[] = {
      {u"", ""},
      {u"abc/Z.bmp", "abc/Z.bmp"},
      {{0x7F}, "\x7F"},
      {{0x80}, "\xC2\x80"},
      {{0xE9}, "\xC3\xA9"},
      {{0x7FF}, "\xDF\xBF"},
      {{0x800}, "\xE0\xA0\x80"},
      {{0x20AC}, "\xE2\x82\xAC"},
      {{0xD7FF}, "\xED\x9F\xBF"},  // just below the surrogates
      {{0xE000}, "\xEE\x80\x80"},  // just above them
      {{0xFFFF}, "\xEF\xBF\xBF"},
      {{0xD800, 0xDC00}, "\xF0\x90\x80\x80"},  // U+10000
      {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},  // U+1F600
      {{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},  // U+10FFFF
      {{'a', 0xD83D, 0xDE00, 'b', 0x20AC},
       "a\xF0\x9F\x98\x80"
       "b\xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    std::string out = "left over";  // must be replaced, not appended to
    ASSERT_TRUE(Utf16ToUtf8(c.in.c_str(), out)) << c.out;
    EXPECT_EQ(out, c.out);
    EXPECT_TRUE(IsWellFormedUtf16(c.in.c_str())) << c.out;
  }
}

TEST(Utf16ToUtf8, RefusesUnpairedSurrogates) {
  const std::u16string cases[] = {
      {0xD800, 'a'},             // high followed by an ordinary unit
      {'a', 0xD83D},             // high at the end: its partner would be the terminator
      {0xDC00},                  // low alone
      {'x', 0xDE00, 'y'},        // low in the middle
      {0xDE00, 0xD83D},          // a pair in the wrong order
      {0xD83D, 0xD83D, 0xDE00},  // two highs: the first is unpaired
      {0xD83D, 0xDE00, 0xDE00},  // a pair, then a stray low
  };
  for (const std::u16string& in : cases) {
    std::string out;
    EXPECT_FALSE(Utf16ToUtf8(in.c_str(), out)) << std::hex << in[0] << ' ' << (in.size() > 1 ? in[1] : 0);
    EXPECT_FALSE(IsWellFormedUtf16(in.c_str())) << std::hex << in[0] << ' ' << (in.size() > 1 ? in[1] : 0);
  }
}

TEST(Utf16ToUtf8, StopsAtTheTerminator) {
  const char16_t text[] = {'o', 'k', 0, 0xD800, 'z', 0};
  std::string out;
  ASSERT_TRUE(Utf16ToUtf8(text, out));
  EXPECT_EQ(out, "ok");
}

}  // namespace

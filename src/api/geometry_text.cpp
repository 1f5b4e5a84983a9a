// SPDX-License-Identifier: MIT
#include "api/geometry_text.h"

#include <cstdint>
#include <initializer_list>
#include <limits>

#include "pipeline/geometry_size.h"

namespace bmpresize {

namespace {

constexpr char kForms[] = "WxH, Wx or xH with !, ^, > or <, P%, PxQ% or N@ with > or <";

// The digits at text[i], moved past: none gives -1, and a number above most
// gives 0, which no geometry takes.
std::int64_t TakeNumber(const std::string& text, std::size_t& i, std::int64_t most) {
  std::int64_t value = -1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value < 0) value = 0;
    if (value > (most - digit) / 10) {
      while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
      return 0;
    }
    value = value * 10 + digit;
  }
  return value;
}

// The marks after the numbers, each a geometry bit, each at most once; -1
// for anything else.
std::int32_t TakeMarks(const std::string& text, std::size_t i) {
  std::int32_t bits = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    const std::int32_t bit = c == '%'   ? BMPRESIZE_GEOMETRY_PERCENT
                             : c == '@' ? BMPRESIZE_GEOMETRY_AREA
                             : c == '!' ? BMPRESIZE_GEOMETRY_EXACT
                             : c == '>' ? BMPRESIZE_GEOMETRY_ONLY_SHRINK
                             : c == '<' ? BMPRESIZE_GEOMETRY_ONLY_ENLARGE
                             : c == '^' ? BMPRESIZE_GEOMETRY_FILL
                                        : 0;
    if (bit == 0 || (bits & bit) != 0) return -1;
    bits |= bit;
  }
  return bits;
}

// What the numbers and marks of a geometry say, before their ranges and
// combinations are judged.
struct Parts {
  std::int64_t width = -1;  // -1: not given
  std::int64_t height = -1;
  bool cross = false;  // an 'x' between them
  std::int32_t marks = 0;
};

bool Split(const std::string& text, Parts& parts) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  std::size_t i = 0;
  parts.width = TakeNumber(text, i, kMost);
  if (i < text.size() && text[i] == 'x') {
    parts.cross = true;
    ++i;
    parts.height = TakeNumber(text, i, kMost);
  }
  parts.marks = TakeMarks(text, i);
  return parts.marks >= 0 && (parts.width >= 0 || parts.height >= 0);
}

// The problem: the words, each after the other. Built by appending alone,
// which the library's strings share with every other user of them.
bool Fail(std::string& problem, std::initializer_list<const char*> words) {
  problem.clear();
  for (const char* word : words) problem += word;
  return false;
}

bool InRange(std::int64_t value, std::int64_t most) { return value < 0 || (value >= 1 && value <= most); }

}  // namespace

bool ReadGeometry(const std::string& text, bmpresize_options& options, std::string& problem) {
  std::string quotedText;  // built by appending, as Fail says
  quotedText += '"';
  quotedText += text;
  quotedText += '"';
  const char* const quoted = quotedText.c_str();
  Parts parts;
  if (!Split(text, parts)) return Fail(problem, {"no geometry in ", quoted, ": give ", kForms});
  const std::int32_t marks = parts.marks;
  const bool percent = (marks & BMPRESIZE_GEOMETRY_PERCENT) != 0;
  const bool area = (marks & BMPRESIZE_GEOMETRY_AREA) != 0;
  if (!parts.cross && !percent && !area)
    return Fail(problem, {quoted, " is a bare number: give 800x for a width or 800% for a percent"});
  if (area && (parts.cross || parts.width < 1))
    return Fail(problem, {"an area ", quoted, " needs a number of pixels from 1 to 9223372036854775807 before @"});
  const std::int64_t most = area ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int32_t>::max();
  if (!InRange(parts.width, most) || !InRange(parts.height, most))
    return Fail(problem, {"the numbers of ", quoted, " must lie from 1 to 2147483647"});
  bmpresize_options read = options;
  read.geometry = marks | (parts.width >= 0 && !area ? BMPRESIZE_GEOMETRY_WIDTH : 0) |
                  (parts.height >= 0 ? BMPRESIZE_GEOMETRY_HEIGHT : 0);
  read.geometry_width = area ? 0 : static_cast<std::int32_t>(parts.width >= 0 ? parts.width : 0);
  read.geometry_height = static_cast<std::int32_t>(parts.height >= 0 ? parts.height : 0);
  read.geometry_area = area ? parts.width : 0;
  if (percent && (marks != BMPRESIZE_GEOMETRY_PERCENT || parts.width < 0 || (parts.cross && parts.height < 0)))
    return Fail(problem, {"a percent ", quoted, " is P% or PxQ%, with nothing else after it"});
  // The record's own check judges the marks, so that what is read is
  // always what a resize takes.
  if (!CheckGeometry({read.geometry, read.geometry_width, read.geometry_height, read.geometry_area}).Ok())
    return Fail(problem, {"the marks of ", quoted, " do not go together: give ", kForms});
  options = read;
  return true;
}

}  // namespace bmpresize

int bmpresize_parse_geometry(const char* text, bmpresize_options* options, char* problem, std::size_t capacity) {
  std::string why;
  try {
    if (text == nullptr || options == nullptr) {
      why = "no geometry given";
    } else {
      // Appended, not constructed from text: that constructor is a template
      // an unoptimised build would define, and the library export.
      std::string given;
      given.append(text);
      if (bmpresize::ReadGeometry(given, *options, why)) {
        if (problem != nullptr && capacity > 0) problem[0] = '\0';
        return 0;
      }
    }
  } catch (...) {
    // Only an allocation can fail here, and it leaves no words to give.
    why.clear();
  }
  if (problem != nullptr && capacity > 0) {
    const std::size_t length = why.size() < capacity ? why.size() : capacity - 1;
    why.copy(problem, length);
    problem[length] = '\0';
  }
  return 1;
}

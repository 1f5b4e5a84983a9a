// SPDX-License-Identifier: MIT
#include "files/descriptor_path.h"

#include <climits>
#include <string_view>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace bmpresize {

#ifdef _WIN32

std::optional<int> DescriptorOfPath(const PathChar*) { return std::nullopt; }

#else

namespace {

// Whether text starts with prefix, which is then taken off it.
bool TakePrefix(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// The whole text as a decimal number up to INT_MAX, spelt as the system spells
// it: digits only, no leading zero.
std::optional<int> WholeNumber(std::string_view text) {
  if (text.empty() || (text[0] == '0' && text.size() > 1)) return std::nullopt;
  long long n = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
    if (n > INT_MAX) return std::nullopt;
  }
  return static_cast<int>(n);
}

}  // namespace

std::optional<int> DescriptorOfPath(const PathChar* path) {
  if (path == nullptr) return std::nullopt;
  std::string_view text(path);
  if (text == "/dev/stdin") return STDIN_FILENO;
  if (text == "/dev/stdout") return STDOUT_FILENO;
  if (text == "/dev/stderr") return STDERR_FILENO;
  if (TakePrefix(text, "/dev/fd/") || TakePrefix(text, "/proc/self/fd/")) return WholeNumber(text);
  if (!TakePrefix(text, "/proc/")) return std::nullopt;
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::optional<int> process = WholeNumber(text.substr(0, slash));
  if (!process || *process != getpid()) return std::nullopt;
  text.remove_prefix(slash);
  return TakePrefix(text, "/fd/") ? WholeNumber(text) : std::nullopt;
}

#endif

}  // namespace bmpresize

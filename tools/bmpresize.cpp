// bmpresize SOURCE DESTINATION PERCENT: resizes a BMP file through the
// library's one export, and says in one line why when it cannot.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bmpresize_version.h"
#include "bmpresizescale.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] = "usage: bmpresize SOURCE DESTINATION PERCENT\n";

const char kHelp[] =
    "Resizes the BMP file SOURCE by PERCENT in both directions and writes the\n"
    "result to DESTINATION as a 24-bit BMP (32-bit when SOURCE has 32 bits).\n"
    "\n"
    "  SOURCE       a BMP file of 1, 4, 8, 16, 24 or 32 bits per pixel\n"
    "  DESTINATION  the file to create or overwrite\n"
    "  PERCENT      a whole number: 100 keeps the size, 50 halves it, 200 doubles\n"
    "               it; each side is PERCENT x side / 100 with the remainder\n"
    "               dropped, and when either side is below 1 the picture is 1 x 1\n"
    "\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 when DESTINATION was written, 1 when the resize failed,\n"
    "2 for a usage error.\n";

#ifndef _WIN32
// UTF-8 (as the command line gives it) to NUL-terminated UTF-16. False for
// bytes that are not UTF-8.
bool Utf8ToUtf16(const char* text, std::u16string& out) {
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s) {
    std::uint32_t c = *s++;
    int more = 0;
    std::uint32_t min = 0;
    if (c < 0x80) {
    } else if ((c & 0xE0) == 0xC0) {
      c &= 0x1F, more = 1, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      c &= 0x0F, more = 2, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      c &= 0x07, more = 3, min = 0x10000;
    } else {
      return false;
    }
    for (int i = 0; i < more; ++i, ++s) {
      if ((*s & 0xC0) != 0x80) return false;
      c = (c << 6) | (*s & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return true;
}
#endif

bool ParsePercent(const char* text, std::int32_t& percent) {
  // strtoll would skip leading white space; a percent is only digits and a sign.
  if (*text == '\0' || std::isspace(static_cast<unsigned char>(*text))) return false;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return false;
  percent = static_cast<std::int32_t>(value);
  return true;
}

int Fail(const char* file, const char* reason) {
  std::fprintf(stderr, "bmpresize: %s: %s\n", file, reason);
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("bmpresize %s\n", BMPRESIZE_VERSION_STRING);
    return kExitOk;
  }
  std::int32_t percent = 0;
  if (argc != 4) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  if (!ParsePercent(argv[3], percent)) {
    std::fprintf(stderr, "bmpresize: PERCENT must be a whole number from %d to %d, not \"%s\"\n", INT32_MIN,
                 INT32_MAX, argv[3]);
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const char* source = argv[1];
  const char* destination = argv[2];
  std::u16string wideSource, wideDestination;
#ifdef _WIN32
  // Windows hands the program its arguments in UTF-16 already: take them as
  // they are, so every file name works.
  int wideCount = 0;
  LPWSTR* wideArgs = CommandLineToArgvW(GetCommandLineW(), &wideCount);
  if (wideArgs == nullptr || wideCount != 4) return Fail(source, "cannot read the command line");
  wideSource.assign(wideArgs[1], wideArgs[1] + wcslen(wideArgs[1]));
  wideDestination.assign(wideArgs[2], wideArgs[2] + wcslen(wideArgs[2]));
  LocalFree(wideArgs);
#else
  if (!Utf8ToUtf16(source, wideSource)) return Fail(source, "the file name is not valid UTF-8");
  if (!Utf8ToUtf16(destination, wideDestination)) return Fail(destination, "the file name is not valid UTF-8");
#endif

  const auto* sourcePath = reinterpret_cast<const BmpResizeChar16*>(wideSource.c_str());
  const auto* destinationPath = reinterpret_cast<const BmpResizeChar16*>(wideDestination.c_str());
  switch (BMPResizeScale(sourcePath, destinationPath, percent)) {
    case BMPRESIZE_OK:
      return kExitOk;
    case BMPRESIZE_SOURCE_NOT_BMP:
      return Fail(source, "cannot be opened, or is not a BMP file");
    case BMPRESIZE_SOURCE_UNREADABLE:
      return Fail(source,
                  "is a BMP file that cannot be read (empty or damaged headers, compressed, top-down, "
                  "an unsupported depth, or too large)");
    case BMPRESIZE_DESTINATION_FAILED:
      return Fail(destination, "cannot be written (missing folder, no permission or disk full?)");
    case BMPRESIZE_TOO_LARGE:
      return Fail(destination, "the resized picture would be too large to make");
    default:
      return Fail(source, "the resize failed for an unknown reason");
  }
}

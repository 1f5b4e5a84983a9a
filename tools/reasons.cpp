#include "reasons.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::string SystemReason(int error) {
  if (error == 0) return "the system gave no reason";
  return std::strerror(error);
}

// The names biCompression values go by.
std::string CompressionName(std::int64_t value) {
  switch (value) {
    case 0:
      return "0 (uncompressed)";
    case 1:
      return "1 (RLE8)";
    case 2:
      return "2 (RLE4)";
    case 3:
      return "3 (BITFIELDS)";
    case 4:
      return "4 (JPEG, or RLE24 in an OS/2 file)";
    case 5:
      return "5 (PNG)";
    case 6:
      return "6 (ALPHABITFIELDS)";
    case 11:
      return "11 (CMYK)";
    case 12:
      return "12 (CMYKRLE8)";
    case 13:
      return "13 (CMYKRLE4)";
    default:
      return Format("%" PRId64, value);
  }
}

// Why a path could not be opened. The opener refuses what is not a plain
// file without setting errno, and Windows answers "Permission denied" for a
// folder, so what the path is comes first.
std::string OpenReason(int error, const std::string& path) {
  std::filesystem::file_status status;
  if (!path.empty()) {
    std::error_code ec;
    try {
      status = std::filesystem::status(std::filesystem::u8path(path), ec);
    } catch (...) {
      return "cannot be opened: the name cannot be used as a file name here";
    }
  }
  if (std::filesystem::is_directory(status)) return "cannot be opened: Is a directory";
  if (std::filesystem::is_fifo(status))
    return "is a named pipe, which the tool reads only as standard input: give '-' and redirect it";
  if (std::filesystem::is_socket(status)) return "is a socket, not a file";
  if (error != 0) return "cannot be opened: " + SystemReason(error);
  return "cannot be opened";
}

std::string SourceReason(const ReadProblem& p, const std::string& path) {
  switch (p.kind) {
    case ReadProblemKind::kOpenFailed:
      return OpenReason(p.systemError, path);
    case ReadProblemKind::kNotBmp:
      return "is not a BMP file (" + DescribeFirstBytes(p.firstBytes, p.firstByteCount) + ")";
    case ReadProblemKind::kEmpty:
      return "is empty (0 bytes), not a BMP file";
    case ReadProblemKind::kShortHeader:
      // One byte cannot even hold the signature, whatever the export's result says.
      if (p.firstByteCount == 1) return "is not a BMP file (1 byte long)";
      if (p.value > 0) return Format("is cut short: it ends at byte %" PRId64 ", inside its headers", p.value);
      return "is cut short: it ends inside its headers";
    case ReadProblemKind::kCompression:
      return "compression " + CompressionName(p.value) + " is not supported";
    case ReadProblemKind::kDepth:
      return Format("a depth of %" PRId64 " bits per pixel is not supported", p.value);
    case ReadProblemKind::kWidth:
      if (p.value < 1) return Format("width %" PRId64 " is not a picture's width", p.value);
      return Format("the picture is %" PRId64 " pixels wide, wider than the %" PRId64 " pixels this tool reads",
                    p.value, p.limit);
    case ReadProblemKind::kHeight:
      if (p.value < 0)
        return Format("height %" PRId64 " is not supported: a top-down height lies from -1 to -2147483647", p.value);
      return Format("height %" PRId64 " is not a picture's height", p.value);
    case ReadProblemKind::kTooManyPixels:
      return Format("the picture has %" PRId64 " pixels, more than the %" PRId64 " this tool reads", p.value, p.limit);
    case ReadProblemKind::kNoMemory:
      return "there is not enough memory to read it";
    case ReadProblemKind::kCompressionDepth:
      return "compression " + CompressionName(p.value) +
             Format(" is supported only at %" PRId64 " bits per pixel", p.limit);
    case ReadProblemKind::kTopDownCompressed:
      return "compression " + CompressionName(p.value) + " is not supported with top-down rows (a negative height)";
    case ReadProblemKind::kCompressionForHeader:
      return "compression " + Format("%" PRId64, p.value) +
             Format(" in a %" PRId64 "-byte header (Huffman or RLE24) is not supported", p.limit);
    case ReadProblemKind::kDepthForHeader:
      return Format("a depth of %" PRId64 " bits per pixel is not supported in a %" PRId64 "-byte OS/2 header", p.value,
                    p.limit);
    case ReadProblemKind::kReadFailed:
      return "could not be read: " + SystemReason(p.systemError);
    case ReadProblemKind::kCutShort:  // worded with the outcome's shortfall
    case ReadProblemKind::kNone:
      break;
  }
  return Format("is a BMP file that cannot be read (reader problem %d, value %" PRId64 ")", static_cast<int>(p.kind),
                p.value);
}

std::string DestinationReason(const ResizeOutcome& o) {
  switch (o.destination) {
    case DestinationProblemKind::kNoPath:
      return "cannot be used as a file name";
    case DestinationProblemKind::kOpenFailed:
      return "cannot be created: " + SystemReason(o.systemError);
    case DestinationProblemKind::kNotWritable:
      return "cannot be overwritten: " + SystemReason(o.systemError);
    case DestinationProblemKind::kSameAsSource:
      if (o.systemError == 0) return "is the source file itself, which the picture would overwrite as it is read";
      return "is the source file itself, and its folder takes no new file (" + SystemReason(o.systemError) +
             "), so it cannot be replaced safely";
    case DestinationProblemKind::kWriteFailed:
      return "could not be written completely: " + SystemReason(o.systemError) +
             (o.partialLeft ? "; it was being rewritten in place (its folder takes no new file) and is now partial"
                            : "");
    case DestinationProblemKind::kCancelled:
      return "was not written: the resize was interrupted";
    case DestinationProblemKind::kSideTooLarge:
      // A side is worked out as a signed 32-bit number, so a percent far
      // below 0 fails as one far above it does.
      if (o.value < 0)
        return Format("at %" PRId64
                      " %% a side of the resized picture would lie below -2147483648 pixels, "
                      "beyond what a size can hold",
                      o.value);
      return Format("at %" PRId64 " %% a side of the resized picture would pass 2147483647 pixels", o.value);
    case DestinationProblemKind::kFileTooLarge:
      return Format("the resized picture, %" PRId64 " x %" PRId64 " pixels, would make a file beyond 4 GiB", o.value,
                    o.limit);
    case DestinationProblemKind::kRowTooWide:
      return Format("the resized picture would be %" PRId64 " pixels wide, wider than the %" PRId64
                    " pixels a row may have",
                    o.value, o.limit);
    case DestinationProblemKind::kNoMemory:
      return "there is not enough memory for the resized picture";
    case DestinationProblemKind::kNone:
      break;
  }
  return Format("the resize failed (result %" PRId32 ")", o.code);
}

// "only the bottom 1187 of its 3000 rows could be read"
std::string RowsRead(const DataShortfall& s) {
  if (s.rowsRead == 0) return Format("none of its %" PRId64 " rows could be read", s.height);
  return Format("only the %s %" PRId64 " of its %" PRId64 " rows could be read", s.topDown ? "top" : "bottom",
                s.rowsRead, s.height);
}

std::string RowsMissing(const DataShortfall& s) {
  if (s.repeatsLastPixel) return "the rest repeat the last pixel read";
  if (s.rowsRead == 0) return "the picture is white";
  return s.topDown ? "the rows below are white" : "the rows above are white";
}

bool IsSizeProblem(DestinationProblemKind kind) {
  return kind == DestinationProblemKind::kSideTooLarge || kind == DestinationProblemKind::kFileTooLarge ||
         kind == DestinationProblemKind::kRowTooWide || kind == DestinationProblemKind::kNoMemory;
}

}  // namespace

std::string DescribeFirstBytes(const std::uint8_t* b, int n) {
  auto starts = [&](const char* signature, int length, int at = 0) {
    return n >= at + length && std::memcmp(b + at, signature, static_cast<std::size_t>(length)) == 0;
  };
  if (starts("\x89PNG\r\n\x1a\n", 8)) return "it starts like a PNG image";
  if (starts("\xFF\xD8\xFF", 3)) return "it starts like a JPEG image";
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return "it starts like a GIF image";
  if (starts("II*\0", 4) || starts("MM\0*", 4)) return "it starts like a TIFF image";
  if (starts("RIFF", 4) && starts("WEBP", 4, 8)) return "it starts like a WebP image";
  if (n <= 0) return "it has no bytes to tell";
  std::string text = "it starts with the bytes";
  std::string shown;
  int printable = 0;
  const int count = n < 8 ? n : 8;
  for (int i = 0; i < count; ++i) {
    text += Format(" %02X", b[i]);
    const bool visible = b[i] >= 0x20 && b[i] < 0x7F && b[i] != '"';
    printable += visible;
    shown += visible ? static_cast<char>(b[i]) : '.';
  }
  // Text says more as text: a script, a note, an HTML page.
  if (2 * printable > count) text += " (\"" + shown + "\")";
  if (n == 1) text += ", its only byte";
  return text;
}

std::string DescribeFailure(const ResizeOutcome& o, const EndNames& names) {
  if (o.source.kind == ReadProblemKind::kCutShort)
    return names.source + ": is cut short: " + RowsRead(o.shortfall) + "; nothing was written (--strict)";
  if (o.source.kind != ReadProblemKind::kNone) return names.source + ": " + SourceReason(o.source, names.sourcePath);
  // A picture that cannot be made is a matter of the source and the percent.
  if (IsSizeProblem(o.destination)) return names.source + ": " + DestinationReason(o);
  return names.destination + ": " + DestinationReason(o);
}

std::string DescribeWarning(const ResizeOutcome& o, const EndNames& names) {
  if (o.code != 999 || !o.shortfall.cutShort) return "";
  return names.source + ": warning: cut short: " + RowsRead(o.shortfall) + "; " + RowsMissing(o.shortfall);
}

// SPDX-License-Identifier: MIT
#include "api/describe.h"

#include <cerrno>
#include <cstring>

#include "api/sentence.h"
#include "api/system_reason.h"
#include "bmpfile/compression_names.h"

namespace bmpresize {

namespace {

// A biCompression value with its name, in a header of headerSize bytes.
void Compression(Sentence& s, std::int64_t value, std::int64_t headerSize) {
  s << value << " (" << CompressionName(static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(headerSize))
    << ")";
}

bool StartsWith(const std::uint8_t* bytes, int count, const char* signature, int length, int at = 0) {
  return count >= at + length && std::memcmp(bytes + at, signature, static_cast<std::size_t>(length)) == 0;
}

// What a file's first bytes look like: another kind of picture, or the bytes
// themselves (as text too when they mostly are).
void FirstBytes(Sentence& s, const std::uint8_t* b, int n) {
  if (StartsWith(b, n, "\x89PNG\r\n\x1a\n", 8)) {
    s << "it starts like a PNG image";
  } else if (StartsWith(b, n, "\xFF\xD8\xFF", 3)) {
    s << "it starts like a JPEG image";
  } else if (StartsWith(b, n, "GIF87a", 6) || StartsWith(b, n, "GIF89a", 6)) {
    s << "it starts like a GIF image";
  } else if (StartsWith(b, n, "II*\0", 4) || StartsWith(b, n, "MM\0*", 4)) {
    s << "it starts like a TIFF image";
  } else if (StartsWith(b, n, "RIFF", 4) && StartsWith(b, n, "WEBP", 4, 8)) {
    s << "it starts like a WebP image";
  } else if (n <= 0) {
    s << "it has no bytes to tell";
  } else {
    s << "it starts with the bytes";
    char shown[9] = {};
    int printable = 0;
    const int count = n < 8 ? n : 8;
    for (int i = 0; i < count; ++i) {
      s.Char(' ').Hex(b[i]);
      const bool visible = b[i] >= 0x20 && b[i] < 0x7F && b[i] != '"';
      printable += visible;
      shown[i] = visible ? static_cast<char>(b[i]) : '.';
    }
    // Text says more as text: a script, a note, an HTML page.
    if (2 * printable > count) s << " (\"" << shown << "\")";
    if (n == 1) s << ", its only byte";
  }
}

// A number of bytes in the largest unit of 1024 it reaches, with one decimal
// below 10 of it, rounded up or down: "657 MiB", "2.5 GiB", "900 bytes".
void ByteSize(Sentence& s, std::int64_t bytes, bool roundUp) {
  static const char* const kUnits[] = {" KiB", " MiB", " GiB", " TiB", " PiB", " EiB"};
  if (bytes < 1024) {
    s << bytes << (bytes == 1 ? " byte" : " bytes");
    return;
  }
  const auto value = static_cast<std::uint64_t>(bytes);
  int unit = 0;
  std::uint64_t size = 1024;
  while (unit < 5 && value / size >= 1024) {
    size *= 1024;
    ++unit;
  }
  // Tenths of the unit below 10 of it, whole ones above.
  const std::uint64_t whole = value / size;
  const std::uint64_t rest = value % size;  // below 2^60, so ten times it fits
  const bool inTenths = whole < 10;
  std::uint64_t steps = inTenths ? whole * 10 + rest * 10 / size : whole;
  const bool exact = inTenths ? rest * 10 % size == 0 : rest == 0;
  if (roundUp && !exact) ++steps;
  if (!inTenths) {
    s << static_cast<std::int64_t>(steps);
  } else {
    s << static_cast<std::int64_t>(steps / 10);
    if (steps % 10 != 0) s.Char('.') << static_cast<std::int64_t>(steps % 10);
  }
  s << kUnits[unit];
}

void OpenReason(Sentence& s, const bmpresize_result& r) {
  switch (r.value) {
    case BMPRESIZE_PATH_UNUSABLE_NAME:
      s << "cannot be opened: the name cannot be used as a file name here";
      return;
    case BMPRESIZE_PATH_DIRECTORY:
      s << "cannot be opened: Is a directory";
      return;
    case BMPRESIZE_PATH_FIFO:
      s << "is a named pipe, not a file";
      return;
    case BMPRESIZE_PATH_SOCKET:
      s << "is a socket, not a file";
      return;
    default:
      break;
  }
  s << "cannot be opened";
  if (r.error != 0) s << ": " << SystemReason(r.error).Text();
}

void ShortHeaderReason(Sentence& s, const bmpresize_result& r) {
  // One byte cannot even hold the signature, whatever the result code says.
  if (r.first_byte_count == 1) {
    s << "is not a BMP file (1 byte long)";
  } else if (r.value > 0) {
    s << "is cut short: it ends at byte " << r.value << ", inside its headers";
  } else {
    s << "is cut short: it ends inside its headers";
  }
}

// "only the bottom 1187 of its 3000 rows could be read"
void RowsRead(Sentence& s, const bmpresize_shortfall& f) {
  if (f.rows_read == 0) {
    if (f.rows == 1) {
      s << "its one row could not be read";
    } else {
      s << "none of its " << f.rows << " rows could be read";
    }
  } else {
    s << "only the " << (f.top_down ? "top " : "bottom ") << f.rows_read << " of its " << f.rows
      << " rows could be read";
  }
}

void RowsMissing(Sentence& s, const bmpresize_shortfall& f) {
  if (f.repeats_last_pixel) {
    s << "the rest repeat the last pixel read";
  } else if (f.rows_read == 0) {
    s << "the picture is white";
  } else {
    s << (f.top_down ? "the rows below are white" : "the rows above are white");
  }
}

// Why the reader refused the picture's size; false for a cause that is not
// such a refusal.
bool PictureSizeRefusal(Sentence& s, const bmpresize_result& r) {
  switch (r.cause) {
    case BMPRESIZE_CAUSE_WIDTH:
      if (r.value < 1) {
        s << "width " << r.value << " is not a picture's width";
      } else {
        s << "the picture is " << r.value << " pixels wide, wider than the " << r.limit << " pixels bmpresize reads";
      }
      return true;
    case BMPRESIZE_CAUSE_HEIGHT:
      if (r.value < 0) {
        s << "height " << r.value << " is not supported: a top-down height lies from -1 to -2147483647";
      } else {
        s << "height " << r.value << " is not a picture's height";
      }
      return true;
    case BMPRESIZE_CAUSE_TOO_MANY_PIXELS:
      s << "the picture has " << r.value << " pixels, more than the " << r.limit << " bmpresize reads";
      return true;
    default:
      return false;
  }
}

// Why the reader refused the source's headers; false for a cause that is
// not such a refusal.
bool RefusalReason(Sentence& s, const bmpresize_result& r) {
  if (PictureSizeRefusal(s, r)) return true;
  switch (r.cause) {
    case BMPRESIZE_CAUSE_COMPRESSION:
      s << "compression ";
      Compression(s, r.value, r.limit);
      s << " is not supported";
      return true;
    case BMPRESIZE_CAUSE_DEPTH:
      s << "a depth of " << r.value << " bits per pixel is not supported";
      return true;
    case BMPRESIZE_CAUSE_COMPRESSION_DEPTH:
      s << "compression ";
      Compression(s, r.value, 0);
      s << " is supported only at " << r.limit;
      if (r.value == 3 || r.value == 6) s << " and 32";  // bit fields: 16 bits and 32
      s << " bits per pixel";
      return true;
    case BMPRESIZE_CAUSE_TOP_DOWN_COMPRESSED:
      s << "compression ";
      Compression(s, r.value, 0);
      s << " is not supported with top-down rows (a negative height)";
      return true;
    case BMPRESIZE_CAUSE_COMPRESSION_FOR_HEADER:
      s << "compression ";
      Compression(s, r.value, r.limit);
      s << " in a " << r.limit << "-byte header is not supported";
      return true;
    case BMPRESIZE_CAUSE_DEPTH_FOR_HEADER:
      s << "a depth of " << r.value << " bits per pixel is not supported in a " << r.limit << "-byte OS/2 header";
      return true;
    default:
      return false;
  }
}

// The other reasons that lie with the source; false for a cause that does not.
bool SourceReason(Sentence& s, const bmpresize_result& r) {
  switch (r.cause) {
    case BMPRESIZE_CAUSE_OPEN_FAILED:
      OpenReason(s, r);
      return true;
    case BMPRESIZE_CAUSE_NOT_BMP:
      s << "is not a BMP file (";
      FirstBytes(s, r.first_bytes, r.first_byte_count);
      s << ")";
      return true;
    case BMPRESIZE_CAUSE_EMPTY:
      s << "is empty (0 bytes), not a BMP file";
      return true;
    case BMPRESIZE_CAUSE_SHORT_HEADER:
      ShortHeaderReason(s, r);
      return true;
    case BMPRESIZE_CAUSE_NO_MEMORY_TO_READ:
      s << "there is not enough memory to read it";
      return true;
    case BMPRESIZE_CAUSE_READ_FAILED:
      s << "could not be read: " << SystemReason(r.error).Text();
      return true;
    case BMPRESIZE_CAUSE_CUT_SHORT:
      s << "is cut short: ";
      RowsRead(s, r.shortfall);
      // A destination written as the rows came may have taken some: then
      // the sentence goes on with what it holds.
      if (r.partial_left == BMPRESIZE_PARTIAL_NONE) s << "; nothing was written";
      return true;
    default:
      return RefusalReason(s, r);
  }
}

// The reasons of the resized picture's size, which also lie with the source
// (with the percent); false for a cause that is not one.
bool SizeReason(Sentence& s, const bmpresize_result& r) {
  switch (r.cause) {
    case BMPRESIZE_CAUSE_SIDE_TOO_LARGE:
      // A side is worked out as a signed 32-bit number, so a percent far
      // below 0 fails as one far above it does.
      if (r.value < 0) {
        s << "at " << r.value
          << " % a side of the resized picture would lie below -2147483648 pixels, beyond what a size can hold";
      } else {
        s << "at " << r.value << " % a side of the resized picture would pass 2147483647 pixels";
      }
      return true;
    case BMPRESIZE_CAUSE_FILE_TOO_LARGE:
      s << "the resized picture, " << r.value << " x " << r.limit << " pixels, would make a file beyond 4 GiB";
      return true;
    case BMPRESIZE_CAUSE_ROW_TOO_WIDE:
      s << "the resized picture would be " << r.value << " pixels wide, wider than the " << r.limit
        << " pixels a row may have";
      return true;
    case BMPRESIZE_CAUSE_NO_MEMORY:
      s << "there is not enough memory for the resized picture";
      return true;
    case BMPRESIZE_CAUSE_INTERNAL:
      s << "failed inside the library: ";
      for (std::int32_t i = 0; i < r.first_byte_count && i < 16; ++i) s.Char(static_cast<char>(r.first_bytes[i]));
      return true;
    case BMPRESIZE_CAUSE_MEMORY_LIMIT:
      s << ((r.notes & BMPRESIZE_NOTE_NEED_AT_LEAST) != 0 ? "resizing it needs at least " : "resizing it needs ");
      ByteSize(s, r.value, true);
      s << ", more than the memory limit of ";
      ByteSize(s, r.limit, false);
      return true;
    default:
      return false;
  }
}

// The reasons that lie with the options; false for a cause that is not one.
bool OptionReason(Sentence& s, const bmpresize_result& r) {
  switch (r.cause) {
    case BMPRESIZE_CAUSE_REGION:
      s << "the region asked for is not inside the picture, " << r.value << " x " << r.limit << " pixels";
      return true;
    case BMPRESIZE_CAUSE_OPTION:
      s << "an option has a value it cannot take: " << r.value;
      return true;
    default:
      return false;
  }
}

// A destination whose name no file can have (NO_DESTINATION with
// ENAMETOOLONG): a name in its path over the most a file system takes, or a
// path the system found too long.
void NameTooLong(Sentence& s, const bmpresize_result& r) {
#ifdef _WIN32
  const char* units = " UTF-16 units";
#else
  const char* units = " bytes";
#endif
  if (r.limit > 0) {
    s << "name too long (" << r.value << units << "; a file name may have at most " << r.limit << ")";
  } else {
    s << "name too long for the system (its path is " << r.value << units << ")";
  }
}

void DestinationReason(Sentence& s, const bmpresize_result& r) {
  switch (r.cause) {
    case BMPRESIZE_CAUSE_NO_DESTINATION:
      if (r.error == ENAMETOOLONG) {
        NameTooLong(s, r);
      } else {
        s << "cannot be used as a file name";
      }
      return;
    case BMPRESIZE_CAUSE_CREATE_FAILED:
      s << "cannot be created: " << SystemReason(r.error).Text();
      return;
    case BMPRESIZE_CAUSE_NOT_WRITABLE:
      s << "cannot be overwritten: " << SystemReason(r.error).Text();
      return;
    case BMPRESIZE_CAUSE_SAME_AS_SOURCE:
      if (r.error == 0) {
        s << "is the source file itself, which the picture would overwrite as it is read";
      } else {
        s << "is the source file itself, and its folder takes no new file (" << SystemReason(r.error).Text()
          << "), so it cannot be replaced safely";
      }
      return;
    case BMPRESIZE_CAUSE_WRITE_FAILED:
      s << "could not be written completely: " << SystemReason(r.error).Text();
      return;
    case BMPRESIZE_CAUSE_BUFFER_TOO_SMALL:
      s << "holds " << r.limit << " bytes, fewer than the " << r.value << " of the resized picture";
      return;
    case BMPRESIZE_CAUSE_CANCELLED:
      s << (r.partial_left == BMPRESIZE_PARTIAL_NONE ? "was not written" : "was not written completely")
        << ": the resize was interrupted";
      return;
    default:
      s << "the resize failed (result " << std::int64_t{r.code} << ")";
  }
}

// What a failure left at the destination, after the reason: nothing more
// where it is as it was. named: the sentence names the source, so the
// destination is named here.
void PartialLeft(Sentence& s, const bmpresize_result& r, const char* destinationName, bool named) {
  if (r.partial_left == BMPRESIZE_PARTIAL_NONE) return;
  s << "; ";
  if (named) s << destinationName << " ";
  if (r.partial_left == BMPRESIZE_PARTIAL_IN_PLACE) {
    s << (named ? "was" : "it was") << " being rewritten in place (its folder takes no new file) and is now partial";
  } else {
    s << (named ? "took part of the picture, which stays there" : "what it took of the picture stays there");
  }
}

bool IsSourceCode(std::int32_t code) { return code == BMPRESIZE_SOURCE_NOT_BMP || code == BMPRESIZE_SOURCE_UNREADABLE; }

// The name a sentence starts with: the caller's, a word for none, or a
// mark for an empty one (a path "" is one, and ": cannot be opened" names
// nothing).
const char* Named(const char* name, const char* none) {
  if (name == nullptr) return none;
  return *name == '\0' ? "(an empty path)" : name;
}

}  // namespace

std::size_t Describe(const bmpresize_result& result, const char* source, const char* destination, char* text,
                     std::size_t capacity) {
  Sentence s(text, capacity);
  const char* sourceName = Named(source, "source");
  const char* destinationName = Named(destination, "destination");
  if (result.code == BMPRESIZE_OK) {
    // Without a colour table the picture is white whatever else it lacks.
    if ((result.notes & BMPRESIZE_NOTE_NO_COLOUR_TABLE) != 0) {
      s << sourceName << ": warning: has no colour table: every pixel is white";
      return s.Length();
    }
    if (!result.shortfall.cut_short) return 0;
    s << sourceName << ": warning: cut short: ";
    RowsRead(s, result.shortfall);
    s << "; ";
    RowsMissing(s, result.shortfall);
    return s.Length();
  }
  s << sourceName << ": ";
  if (SourceReason(s, result) || SizeReason(s, result) || OptionReason(s, result)) {
    PartialLeft(s, result, destinationName, true);
    return s.Length();
  }
  if (IsSourceCode(result.code)) {
    // A cause this version does not know, of the source.
    s << "is a BMP file that cannot be read (cause " << std::int64_t{result.cause} << ", value " << result.value << ")";
    return s.Length();
  }
  // The destination's: begun again with its name.
  Sentence d(text, capacity);
  d << destinationName << ": ";
  DestinationReason(d, result);
  PartialLeft(d, result, destinationName, false);
  return d.Length();
}

}  // namespace bmpresize

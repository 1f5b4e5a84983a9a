// Why the reader did not accept a file, with the field and value that decided
// it, so that a caller can say exactly what went wrong. The export turns the
// kind into its result code; the command-line tool turns the whole record into
// one line of text.
#pragma once

#include <cstdint>

enum class ReadProblemKind {
  kNone,
  kOpenFailed,            // the file could not be opened (systemError says why)
  kNotBmp,                // the first two bytes are not "BM" (firstBytes holds what they were)
  kEmpty,                 // the file has no bytes at all
  kShortHeader,           // the file ended inside its headers (value: the file's length)
  kCompression,           // a compression this reader does not take (value: biCompression)
  kDepth,                 // a depth this reader does not take (value: biBitCount)
  kWidth,                 // width below 1 or above the limit (value: width, limit: the most taken)
  kHeight,                // height below 1 or unusable (value: biHeight as stored)
  kTooManyPixels,         // width x height above the limit (value: the product, limit: the most taken)
  kNoMemory,              // memory for the rows or tables could not be had
  kCompressionDepth,      // a compression taken only at another depth (value: biCompression, limit: the
                          // depth it is taken at: 8 for RLE8, 4 for RLE4, 16 for bit fields, also taken at 32)
  kTopDownCompressed,     // a negative height with a compression that needs bottom-up rows (value: biCompression)
  kCompressionForHeader,  // a compression that this header size gives another meaning, such as
                          // Huffman coding in a 64-byte header (value: biCompression, limit: biSize)
  kDepthForHeader,        // a depth not taken with this header size, such as 16 or 32 bits in a
                          // 12-byte OS/2 1.x header (value: the depth, limit: biSize)
  kReadFailed,            // a read failed with an error, not at the end of the file (systemError says why)
  kCutShort,              // the pixel data ends before the picture does, and the caller asked for all of it
                          // (see DataShortfall)
};

struct ReadProblem {
  ReadProblemKind kind = ReadProblemKind::kNone;
  std::int64_t value = 0;
  std::int64_t limit = 0;
  int systemError = 0;               // errno of a failed open or read, 0 otherwise
  std::uint8_t firstBytes[16] = {};  // the file's first bytes (kNotBmp, and kShortHeader within the signature)
  std::int32_t firstByteCount = 0;
};

// Where a file's pixel data ended before its picture did: a file cut short.
// The rows read come from it; the others are white (in a 16-bit file they
// repeat the last pixel read). A bottom-up file gives the picture's bottom
// rows, a top-down file its top rows. A run-length encoded file is cut short
// when its data ends before the end-of-bitmap mark and before its top row.
struct DataShortfall {
  bool cutShort = false;
  std::int64_t rowsRead = 0;  // whole rows of the picture that came from the file
  std::int64_t height = 0;    // the rows of the picture
  bool topDown = false;       // the rows read are the top ones
  bool repeatsLastPixel = false;
};

// Writing a BMP file in two stages, so a caller can stream it row by row:
//
//   Begin(path, layout)   header stage: checks that the file's sizes fit its
//                         32-bit fields, opens the file, writes both headers
//                         and the colour table or the 16-bit mask block
//   WriteEncodedRow(d)    row stage: the next row of the picture from the
//                         bottom up, already in the file's form
//   Finish()              closes the file; 1 only when every byte was written
//
// A path is written as a ReplacingFile: the file there is replaced by the new
// one when Finish() succeeds, and stays as it was on every failure.
//
// Paletted depths write the full table of 2^depth entries; 16 bits are always
// written as BI_BITFIELDS in kRgb565Masks; 24 and 32 bits as direct colour. A
// resolution of 0 is written as 3780.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/file_stream.h"
#include "bmpfile/replacing_file.h"
#include "image/depth.h"
#include "image/palette.h"
#include "image/resolution.h"

struct BmpLayout {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::int32_t depth = 24;
  Resolution resolution;
  // The table for depth 1, 4 and 8; null there means the standard table.
  const Palette* palette = nullptr;
};

// The two header records a layout is written with, and whether its sizes fit
// the 32-bit fields.
struct BmpHeaders {
  BmpFileHeader file;
  BmpInfoHeader info;
  bool fits = false;
};
BmpHeaders HeadersFor(const BmpLayout& layout);

class BmpWriter {
 public:
  BmpWriter() = default;
  BmpWriter(const BmpWriter&) = delete;
  BmpWriter& operator=(const BmpWriter&) = delete;

  int Begin(const char* path, const BmpLayout& layout);
  // The same onto a stream that is already open (standard output, say); the
  // writer flushes it in Finish but does not close it.
  int Begin(std::FILE* stream, const BmpLayout& layout);
  // Writes one row already in the file's form: RowDataSize bytes of pixel data
  // (the padding is added here).
  int WriteEncodedRow(const std::uint8_t* data);
  // With sync, a file the writer opened reaches stable storage before it
  // replaces the old one.
  int Finish(bool sync = false);
  // errno of the open, write or close that failed, 0 when none did.
  int SystemError() const { return systemError_; }
  // Whether Begin failed for want of memory for the row buffer.
  bool OutOfMemory() const { return outOfMemory_; }

 private:
  int Prepare(const BmpLayout& layout);
  int WriteHeaders();
  void Put(const void* bytes, std::size_t n);
  void PutU16(std::uint16_t v);
  void PutU32(std::uint32_t v);

  ReplacingFile file_;  // the file the writer opened itself, if any
  std::FILE* stream_ = nullptr;
  BmpLayout layout_;
  BmpHeaders headers_;
  Palette palette_{};
  std::int32_t stride_ = 0;
  std::unique_ptr<std::uint8_t[]> rowBuffer_;
  bool failed_ = false;
  bool outOfMemory_ = false;
  int systemError_ = 0;
};

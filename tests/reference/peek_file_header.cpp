#include "reference/peek_file_header.h"

#include "bmpfile/file_stream.h"
#include "bmpfile/read_exact.h"

BmpFileHeader PeekFileHeader(const char* path) {
  BmpFileHeader header;
  FileHandle file(OpenFile(path, "rb"));
  if (!file) {
    header.bfType = 0;
    return header;
  }
  // Results are not consulted: the caller judges the record.
  (void)ReadField(header.bfType, file.get());
  (void)ReadField(header.bfSize, file.get());
  (void)ReadField(header.bfReserved1, file.get());
  (void)ReadField(header.bfReserved2, file.get());
  (void)ReadField(header.bfOffBits, file.get());
  return header;
}

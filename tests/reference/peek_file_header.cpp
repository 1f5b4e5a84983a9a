// SPDX-License-Identifier: MIT
#include "reference/peek_file_header.h"

#include "bmpfile/read_exact.h"
#include "files/file_source.h"
#include "files/file_stream.h"

using namespace bmpresize;

BmpFileHeader PeekFileHeader(const char* path) {
  BmpFileHeader header;
  FileHandle file(OpenFile(NativePath(path).get(), "rb"));
  if (!file) {
    header.bfType = 0;
    return header;
  }
  // Results are not consulted: the caller judges the record.
  FileSource source(file.get());
  (void)ReadField(header.bfType, source);
  (void)ReadField(header.bfSize, source);
  (void)ReadField(header.bfReserved1, source);
  (void)ReadField(header.bfReserved2, source);
  (void)ReadField(header.bfOffBits, source);
  return header;
}

// SPDX-License-Identifier: MIT
// A file's bytes as the reader takes them, open as long as this lives: for
// tests that read a file row by row through a BmpReader.
#pragma once

#include <cstdio>
#include <string>

#include "files/file_source.h"
#include "files/file_stream.h"

class FileBytes {
 public:
  explicit FileBytes(const std::string& path)
      : file_(bmpresize::OpenFile(bmpresize::NativePath(path.c_str()).get(), "rb")), source_(file_.get()) {}
  explicit operator bool() const { return static_cast<bool>(file_); }
  bmpresize::ByteSource& Source() { return source_; }

 private:
  bmpresize::FileHandle file_;
  bmpresize::FileSource source_;
};

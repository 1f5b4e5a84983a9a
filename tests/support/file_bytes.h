// SPDX-License-Identifier: MIT
// A file's bytes as the reader takes them, open as long as this lives: for
// tests that read a file row by row through a BmpReader.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "files/file_source.h"
#include "files/file_stream.h"

class FileBytes {
 public:
  explicit FileBytes(const std::string& path) : file_(OpenFile(NativePath(path.c_str()).get(), "rb")) {
    if (file_) source_.emplace(file_.get());
  }
  explicit operator bool() const { return source_.has_value(); }
  ByteSource& Source() { return *source_; }

 private:
  FileHandle file_;
  std::optional<FileSource> source_;
};

// SPDX-License-Identifier: MIT
// Opening files by native path, and a handle that closes its file on every path.
#pragma once

#include <cerrno>
#include <cstdio>

#include "files/native_path.h"
#include "files/sys_result.h"

namespace bmpresize {

// Opens a NUL-terminated native path with a stdio mode ("rb", "wb"); a null
// path gives null with EINVAL. On Windows the path goes to the wide-character open, so
// every Unicode name works. Elsewhere the open never waits (a FIFO that no
// other process holds open gives null), and a directory, FIFO or socket
// opened for reading gives null (EISDIR, ENXIO).
SysValue<std::FILE*> OpenFile(const PathChar* path, const char* mode);

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(std::FILE* file) : file_(file) {}
  // What OpenFile opened, where the reason it failed does not matter.
  explicit FileHandle(SysValue<std::FILE*> opened) : file_(opened.value) {}
  ~FileHandle() {
    if (file_) std::fclose(file_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      if (file_) std::fclose(file_);
      file_ = other.file_;
      other.file_ = nullptr;
    }
    return *this;
  }

  std::FILE* get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }

  // Closes now and tells whether the close succeeded (it flushes what is
  // buffered, so a full disk can show only here).
  SysResult Close() {
    if (!file_) return {};
    const int rc = std::fclose(file_);
    file_ = nullptr;
    if (rc != 0) return {errno};
    return {};
  }

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace bmpresize

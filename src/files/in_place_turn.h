// SPDX-License-Identifier: MIT
// One rewrite in place of a file at a time within the process. Two at once on
// one file (two threads writing to two hard links of it, say) would mix their
// bytes into a file that is neither picture; the second waits until the first
// has ended instead. Every name of a file shares its one turn, since turns go
// by the file's identity. Takes no memory and throws nothing.
#pragma once

#include <cstdio>

#include "files/file_identity.h"

namespace bmpresize {

class InPlaceTurn {
 public:
  InPlaceTurn() = default;
  ~InPlaceTurn() { Release(); }
  InPlaceTurn(const InPlaceTurn&) = delete;
  InPlaceTurn& operator=(const InPlaceTurn&) = delete;

  // Waits until no other turn holds the stream's file, then holds it; nothing
  // for a stream that is not a regular file. A thread must not take a second
  // turn on a file before releasing its first.
  void Take(std::FILE* stream);
  // Lets the next waiting rewrite of the file go on; nothing when not held.
  void Release();

 private:
  FileId file_;
  InPlaceTurn* next_ = nullptr;  // the other turns held, while this one is
  bool held_ = false;
};

}  // namespace bmpresize

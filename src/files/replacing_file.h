// SPDX-License-Identifier: MIT
// A destination file that is replaced whole or not at all.
//
// A regular file is written as a new file beside it, named .NAME.XXXXXX.tmp
// (NAME cut short where it is very long); Commit() flushes and closes that file
// and renames it over the destination in one step. Abandon(), or the end of
// the object before Commit(), removes it: the destination stays byte for byte
// as it was, or absent. Symbolic links are followed first, so a link keeps
// pointing at the new file; other hard links to the old file keep the old one.
// The new file takes the old one's permission bits (and owner, as far as the
// system allows).
//
// A destination that may not be written is refused, even where its folder
// would allow the rename. Where no new file can be made beside it (its folder
// refuses one) but the file itself may be written, or where the system refuses
// the rename (a file bind-mounted into a container), the file is rewritten in
// place instead: the one way a failure can leave it partial. Within the
// process one file is rewritten in place by one ReplacingFile at a time:
// another waits in Open() (or Commit(), after a refused rename) until the
// first has committed or given up. A file that is not regular (a device, a
// FIFO) is written directly, as it is.
#pragma once

#include <cstdint>
#include <cstdio>

#include "files/file_stream.h"
#include "files/files_in_flight.h"
#include "files/file_system.h"
#include "files/in_place_turn.h"
#include "files/sys_result.h"
#include "result/status.h"

namespace bmpresize {

class ReplacingFile {
 public:
  enum class Way {
    kNone,
    kReplace,  // a new file beside the destination, renamed over it at the end
    kInPlace,  // the destination itself, rewritten from its start
    kDirect,   // not a regular file: written as it is
  };
  ReplacingFile() = default;
  ~ReplacingFile() { Abandon(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Opens path for writing as above. source, when not -1, is the descriptor
  // of a file being read that must not be rewritten in place; where what is read is not a file
  // that can be compared (knownSource false), nothing is rewritten in place,
  // since it might be the source. Fails with
  // NOT_WRITABLE (the destination exists but may not be written), CREATE_FAILED
  // (no file can be made there), SAME_AS_SOURCE (it could only be rewritten in
  // place, and it is the file being read), NO_MEMORY, NO_DESTINATION with
  // ENAMETOOLONG (a name in the path, links followed, is over 255 bytes, or
  // the system finds the path or the new file's too long; value and limit
  // say which, see NameTooLong).
  Status Open(const PathChar* path, int source = -1, bool knownSource = true);
  std::FILE* Stream() const { return stream_.get(); }
  // Makes what was written the destination: with sync, on stable storage
  // before the rename and the folder's entry after it. Fails with
  // WRITE_FAILED when the flush, sync, close or rename failed.
  Status Commit(bool sync);
  // Gives up what was written; the destination stays as it was, unless it was
  // being rewritten in place.
  void Abandon();

  Way way() const { return way_; }
  // Whether a failure left the destination partly rewritten (in place only).
  bool LeftPartial() const { return leftPartial_; }

 private:
  Status TakeStream(int fd);
  Status OpenInPlace(int fd, int source, int refusal);
  SysResult OpenNewBeside();
  SysResult TryNewName(PathView folder, PathView name);
  SysResult FinishStream(bool sync);
  Status CopyOverDestination(bool sync);
  SysResult CopyInto(std::FILE* from, std::FILE* to);
  Status Fail(bmpresize_cause kind, int error);
  // NO_MEMORY for ENOMEM, path's name refused for ENAMETOOLONG, else
  // CREATE_FAILED.
  Status FailCreating(int error, const PathChar* path);
  // A name in path, or path itself, is too long for any file.
  Status FailNamed(const PathChar* path);
  // Forgets the new file's name, once the file is gone or renamed.
  void DropTemporary();

  OwnedText target_;                  // the destination, links followed
  OwnedText temporary_;               // the new file beside it, while it exists
  FileInFlight* inFlight_ = nullptr;  // its slot among the files in flight
  FileHandle stream_;
  FileFacts facts_;
  bool existed_ = false;
  Way way_ = Way::kNone;
  Cause failure_;
  bool leftPartial_ = false;
  InPlaceTurn turn_;  // held while the destination is rewritten in place
};

}  // namespace bmpresize

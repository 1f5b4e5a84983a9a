// SPDX-License-Identifier: MIT
#include "files/replacing_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "files/file_identity.h"

namespace bmpresize {

namespace {

// Names in most file systems stop at 255 bytes (UTF-16 units on Windows); the
// new file's name adds 12 to the destination's, cut to kNewNameUnits first.
constexpr std::size_t kMaxNameUnits = 255;
constexpr std::size_t kNewNameUnits = 200;
constexpr int kNameAttempts = 100;

// Whether a name may be cut before this unit: not inside a UTF-8 character,
// nor between the two halves of a UTF-16 surrogate pair.
bool StartsACharacter(PathChar unit) {
#ifdef _WIN32
  return unit < 0xDC00 || unit > 0xDFFF;
#else
  return (static_cast<unsigned char>(unit) & 0xC0) != 0x80;
#endif
}

// The name cut to at most kNewNameUnits, never inside a character.
PathView ShortName(PathView name) {
  if (name.size() <= kNewNameUnits) return name;
  std::size_t size = kNewNameUnits;
  while (size > 0 && !StartsACharacter(name[size])) --size;
  return name.substr(0, size);
}

// Six letters or digits that differ from call to call; creating the file
// exclusively settles any clash.
void RandomSuffix(PathChar (&suffix)[6], const void* salt) {
  static std::atomic<std::uint32_t> counter{0};
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::uint64_t x = counter.fetch_add(1) ^ (now * 0x9E3779B97F4A7C15u) ^ reinterpret_cast<std::uintptr_t>(salt);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  x ^= x >> 31;
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (PathChar& c : suffix) {
    c = kAlphabet[x % 62];
    x /= 62;
  }
}

bool IsRefusal(int error) { return error == EACCES || error == EPERM; }

// A path that no file can have: a name in it longer than file systems take
// (value: its length, limit: the most taken), or one the system refused as
// too long all the same, the path or the new file's beside it (value: the
// path's length, limit 0).
Cause NameTooLong(const PathChar* path) {
  const std::size_t longest = LongestName(path);
  Cause cause = longest > kMaxNameUnits
                    ? Because(BMPRESIZE_CAUSE_NO_DESTINATION, static_cast<std::int64_t>(longest),
                              static_cast<std::int64_t>(kMaxNameUnits))
                    : Because(BMPRESIZE_CAUSE_NO_DESTINATION, static_cast<std::int64_t>(PathView(path).size()));
  cause.error = ENAMETOOLONG;
  return cause;
}

// The system may refuse to rename over a file that can still be written: a
// file bind-mounted into a container (EBUSY, EXDEV), one held open elsewhere
// on Windows (EACCES), another user's file in a sticky folder (EPERM).
bool IsRefusedRename(int error) { return IsRefusal(error) || error == EBUSY || error == EXDEV; }

// A failed stdio call's errno; EIO where it left none.
int StdioError(int error) { return error != 0 ? error : EIO; }

// Sends what the stream holds to its file; fails too where an earlier write
// failed.
SysResult Flush(std::FILE* stream) {
  errno = 0;
  if (std::fflush(stream) == 0 && !std::ferror(stream)) return {};
  return {StdioError(errno)};
}

// Cuts the stream's file where the stream stands.
SysResult CutAtPosition(std::FILE* stream) {
  const SysValue<std::int64_t> at = PositionIn(stream);
  if (!at.Ok()) return {at.error};
  return TruncateTo(stream, at.value);
}

// The destination opened again for writing over it, as a stream.
SysValue<std::FILE*> OpenForWritingOver(const PathChar* path) {
  FileFacts facts;
  const SysValue<int> fd = OpenExistingForWriting(path, facts);
  if (!fd.Ok()) return {nullptr, fd.error};
  return WriteStreamOn(fd.value);
}

}  // namespace

Status ReplacingFile::Fail(bmpresize_cause kind, int error) {
  failure_ = BecauseOfError(kind, error);
  return failure_;
}

Status ReplacingFile::FailCreating(int error, const PathChar* path) {
  if (error == ENAMETOOLONG) return FailNamed(path);
  return Fail(error == ENOMEM ? BMPRESIZE_CAUSE_NO_MEMORY : BMPRESIZE_CAUSE_CREATE_FAILED, error);
}

Status ReplacingFile::FailNamed(const PathChar* path) {
  failure_ = NameTooLong(path);
  return failure_;
}

Status ReplacingFile::Open(const PathChar* path, int source, bool knownSource) {
  if (way_ != Way::kNone || failure_) return Fail(BMPRESIZE_CAUSE_CREATE_FAILED, EBUSY);
  if (path == nullptr || *path == 0) return Fail(BMPRESIZE_CAUSE_CREATE_FAILED, ENOENT);
  SysValue<OwnedText> target = FollowLinks(path);
  if (!target.Ok()) return FailCreating(target.error, path);
  target_ = std::move(target.value);
  if (NamePart(target_.get()).empty()) return Fail(BMPRESIZE_CAUSE_CREATE_FAILED, EISDIR);
  // Refused before anything is made, whatever the system would say of it.
  if (LongestName(target_.get()) > kMaxNameUnits) return FailNamed(target_.get());

  const SysValue<int> existing = OpenExistingForWriting(target_.get(), facts_);
  if (existing.error == ENAMETOOLONG) return FailNamed(target_.get());
  if (!existing.Ok() && existing.error != ENOENT && existing.error != ENOTDIR)
    return Fail(BMPRESIZE_CAUSE_NOT_WRITABLE, existing.error);
  existed_ = existing.Ok();
  if (existed_ && !facts_.regular) {
    way_ = Way::kDirect;
    return TakeStream(existing.value);
  }
  const SysResult beside = OpenNewBeside();
  if (beside.Ok() || !existed_ || !IsRefusal(beside.error) || !knownSource) {
    if (existed_) (void)CloseDescriptor(existing.value);
    if (!beside.Ok()) return FailCreating(beside.error, target_.get());
    way_ = Way::kReplace;
    return {};
  }
  return OpenInPlace(existing.value, source, beside.error);
}

Status ReplacingFile::TakeStream(int fd) {
  const SysValue<std::FILE*> stream = WriteStreamOn(fd);
  if (!stream.Ok()) return Fail(BMPRESIZE_CAUSE_NOT_WRITABLE, stream.error);
  stream_ = FileHandle(stream.value);
  return {};
}

// The folder takes no new file (refusal says why), but the file itself may be
// written. Its old bytes stay until the first write, and its length until
// Commit().
Status ReplacingFile::OpenInPlace(int fd, int source, int refusal) {
  if (Status taken = TakeStream(fd); !taken.Ok()) return taken;
  if (source >= 0 && IsSameRegularFile(source, DescriptorOf(stream_.get()))) {
    (void)stream_.Close();
    return Fail(BMPRESIZE_CAUSE_SAME_AS_SOURCE, refusal);
  }
  turn_.Take(stream_.get());
  way_ = Way::kInPlace;
  return {};
}

SysResult ReplacingFile::OpenNewBeside() {
  const PathView folder = FolderPart(target_.get());
  const PathView name = ShortName(NamePart(target_.get()));
  SysResult made;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    made = TryNewName(folder, name);
    if (made.error != EEXIST) break;
  }
  if (!made.Ok()) temporary_.reset();
  return made;
}

// One new file beside the destination under a fresh name; EEXIST when the
// name was taken.
SysResult ReplacingFile::TryNewName(PathView folder, PathView name) {
  PathChar suffix[6];
  RandomSuffix(suffix, this);
  temporary_ = JoinText({folder, NATIVE_TEXT("."), name, NATIVE_TEXT("."), PathView(suffix, 6), NATIVE_TEXT(".tmp")});
  if (!temporary_) return {ENOMEM};
  SysValue<int> fd{-1, EINTR};  // as long as the process is ending
  {
    const MakingNewFile making;
    if (making.Allowed()) fd = CreateNewFile(temporary_.get(), existed_ ? &facts_ : nullptr);
    // Noted only once made: a name noted before could be another's file.
    if (fd.Ok()) inFlight_ = NoteFileInFlight(temporary_.get());
  }
  if (!fd.Ok()) return {fd.error};
  const SysValue<std::FILE*> stream = WriteStreamOn(fd.value);
  if (stream.Ok()) {
    stream_ = FileHandle(stream.value);
    return {};
  }
  (void)RemoveFile(temporary_.get());
  DropTemporary();
  return {stream.error};
}

Status ReplacingFile::Commit(bool sync) {
  if (failure_) return failure_;
  if (!stream_) return Fail(BMPRESIZE_CAUSE_WRITE_FAILED, EBADF);
  const SysResult finished = FinishStream(sync);
  turn_.Release();
  if (!finished.Ok()) {
    leftPartial_ = way_ == Way::kInPlace;
    Abandon();
    return Fail(BMPRESIZE_CAUSE_WRITE_FAILED, finished.error);
  }
  if (way_ != Way::kReplace) return {};
  const SysResult renamed = ReplaceByRename(temporary_.get(), target_.get(), sync);
  if (renamed.Ok()) {
    DropTemporary();
    const SysResult synced = sync ? SyncFolderOf(target_.get()) : SysResult{};
    return synced.Ok() ? Status() : Fail(BMPRESIZE_CAUSE_WRITE_FAILED, synced.error);
  }
  if (existed_ && IsRefusedRename(renamed.error)) return CopyOverDestination(sync);
  Abandon();
  return Fail(BMPRESIZE_CAUSE_WRITE_FAILED, renamed.error);
}

// Flushes the stream, cuts the file there when it was rewritten in place (what
// was longer in the old file goes), syncs it when asked and closes it: the
// first failure.
SysResult ReplacingFile::FinishStream(bool sync) {
  std::FILE* stream = stream_.get();
  SysResult done = Flush(stream);
  if (done.Ok() && way_ == Way::kInPlace) done = CutAtPosition(stream);
  if (done.Ok() && sync) done = SyncToStorage(stream);
  const SysResult closed = stream_.Close();
  return done.Ok() ? closed : done;
}

Status ReplacingFile::CopyOverDestination(bool sync) {
  const SysValue<std::FILE*> opened = OpenFile(temporary_.get(), "rb");
  FileHandle from(opened.value);
  const SysValue<std::FILE*> over = opened.Ok() ? OpenForWritingOver(target_.get()) : opened;
  FileHandle to(over.value);
  turn_.Take(to.get());
  way_ = Way::kInPlace;
  SysResult done = over.Ok() ? CopyInto(from.get(), to.get()) : SysResult{over.error};
  if (done.Ok()) done = Flush(to.get());
  if (done.Ok()) done = CutAtPosition(to.get());
  if (done.Ok() && sync) done = SyncToStorage(to.get());
  const SysResult closed = to.Close();
  if (done.Ok()) done = closed;
  turn_.Release();
  (void)from.Close();
  (void)RemoveFile(temporary_.get());
  DropTemporary();
  if (!done.Ok()) return Fail(BMPRESIZE_CAUSE_WRITE_FAILED, done.error);
  leftPartial_ = false;
  return {};
}

// Every byte of from written to to; once one is, the destination is partly
// rewritten.
SysResult ReplacingFile::CopyInto(std::FILE* from, std::FILE* to) {
  char buffer[16384];
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, from);
    const int readError = std::ferror(from) ? StdioError(errno) : 0;
    if (got > 0) {
      leftPartial_ = true;
      errno = 0;
      if (std::fwrite(buffer, 1, got, to) != got) return {StdioError(errno)};
    }
    if (readError != 0) return {readError};
    if (got < sizeof buffer) return {};
  }
}

void ReplacingFile::Abandon() {
  if (stream_) {
    // Rewritten in place, the destination is cut once anything reached it.
    if (way_ == Way::kInPlace && PositionIn(stream_.get()).value > 0) leftPartial_ = true;
    (void)stream_.Close();
  }
  turn_.Release();
  if (temporary_) {
    (void)RemoveFile(temporary_.get());
    DropTemporary();
  }
}

void ReplacingFile::DropTemporary() {
  ForgetFileInFlight(inFlight_);
  inFlight_ = nullptr;
  temporary_.reset();
}

}  // namespace bmpresize

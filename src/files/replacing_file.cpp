// SPDX-License-Identifier: MIT
#include "files/replacing_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "files/file_identity.h"

namespace {

// Names in most file systems stop at 255 bytes (UTF-16 units on Windows); the
// new file's name adds 12 to the destination's.
constexpr std::size_t kMaxNameUnits = 200;
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

// The name cut to at most kMaxNameUnits, never inside a character.
PathView ShortName(PathView name) {
  if (name.size() <= kMaxNameUnits) return name;
  std::size_t size = kMaxNameUnits;
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

// The system may refuse to rename over a file that can still be written: a
// file bind-mounted into a container (EBUSY, EXDEV), one held open elsewhere
// on Windows (EACCES), another user's file in a sticky folder (EPERM).
bool IsRefusedRename(int error) { return IsRefusal(error) || error == EBUSY || error == EXDEV; }

}  // namespace

bool ReplacingFile::Fail(bmpresize_cause kind, int error) {
  failure_ = BecauseOfError(kind, error);
  return false;
}

bool ReplacingFile::Open(const PathChar* path, int source, bool knownSource) {
  if (way_ != Way::kNone || failure_) return Fail(BMPRESIZE_CAUSE_CREATE_FAILED, EBUSY);
  if (path == nullptr || *path == 0) return Fail(BMPRESIZE_CAUSE_CREATE_FAILED, ENOENT);
  target_ = FollowLinks(path);
  if (!target_) return Fail(errno == ENOMEM ? BMPRESIZE_CAUSE_NO_MEMORY : BMPRESIZE_CAUSE_CREATE_FAILED, errno);
  if (NamePart(target_.get()).empty()) return Fail(BMPRESIZE_CAUSE_CREATE_FAILED, EISDIR);

  const int existing = OpenExistingForWriting(target_.get(), facts_);
  if (existing < 0 && errno != ENOENT && errno != ENOTDIR) return Fail(BMPRESIZE_CAUSE_NOT_WRITABLE, errno);
  existed_ = existing >= 0;
  if (existed_ && !facts_.regular) {
    stream_ = FileHandle(WriteStreamOn(existing));
    way_ = Way::kDirect;
    return stream_ || Fail(BMPRESIZE_CAUSE_NOT_WRITABLE, errno);
  }
  if (OpenNewBeside()) {
    if (existed_) (void)CloseDescriptor(existing);
    way_ = Way::kReplace;
    return true;
  }
  const int error = errno;
  if (!existed_ || !IsRefusal(error) || !knownSource) {
    if (existed_) (void)CloseDescriptor(existing);
    return Fail(error == ENOMEM ? BMPRESIZE_CAUSE_NO_MEMORY : BMPRESIZE_CAUSE_CREATE_FAILED, error);
  }
  // The folder takes no new file, but the file itself may be written. Its old
  // bytes stay until the first write, and its length until Commit().
  stream_ = FileHandle(WriteStreamOn(existing));
  if (!stream_) return Fail(BMPRESIZE_CAUSE_NOT_WRITABLE, errno);
  if (source >= 0 && IsSameRegularFile(source, DescriptorOf(stream_.get()))) {
    (void)stream_.Close();
    return Fail(BMPRESIZE_CAUSE_SAME_AS_SOURCE, error);
  }
  turn_.Take(stream_.get());
  way_ = Way::kInPlace;
  return true;
}

bool ReplacingFile::OpenNewBeside() {
  const PathView folder = FolderPart(target_.get());
  const PathView name = ShortName(NamePart(target_.get()));
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    PathChar suffix[6];
    RandomSuffix(suffix, this);
    temporary_ = JoinText({folder, NATIVE_TEXT("."), name, NATIVE_TEXT("."), PathView(suffix, 6), NATIVE_TEXT(".tmp")});
    if (!temporary_) {
      errno = ENOMEM;
      return false;
    }
    int fd = -1;
    {
      const MakingNewFile making;
      if (!making.Allowed()) {
        errno = EINTR;  // the process is ending
        break;
      }
      fd = CreateNewFile(temporary_.get(), existed_ ? &facts_ : nullptr);
      // Noted only once made: a name noted before could be another's file.
      if (fd >= 0) inFlight_ = NoteFileInFlight(temporary_.get());
    }
    if (fd >= 0) {
      stream_ = FileHandle(WriteStreamOn(fd));
      if (stream_) return true;
      const int error = errno;
      (void)RemoveFile(temporary_.get());
      DropTemporary();
      errno = error;
      return false;
    }
    if (errno != EEXIST) break;
  }
  const int error = errno;
  temporary_.reset();
  errno = error;
  return false;
}

bool ReplacingFile::Commit(bool sync) {
  if (!stream_ || failure_) {
    if (!failure_) (void)Fail(BMPRESIZE_CAUSE_WRITE_FAILED, EBADF);
    return false;
  }
  std::FILE* stream = stream_.get();
  errno = 0;
  bool done = std::fflush(stream) == 0 && !std::ferror(stream);
  // What was longer in the old file goes; the stream stands at the end written.
  if (done && way_ == Way::kInPlace) done = TruncateTo(stream, PositionIn(stream));
  if (done && sync) done = SyncToStorage(stream);
  int error = errno;
  if (!stream_.Close() && done) {
    done = false;
    error = errno;
  }
  turn_.Release();
  if (!done) {
    leftPartial_ = way_ == Way::kInPlace;
    Abandon();
    return Fail(BMPRESIZE_CAUSE_WRITE_FAILED, error);
  }
  if (way_ != Way::kReplace) return true;
  if (ReplaceByRename(temporary_.get(), target_.get(), sync)) {
    DropTemporary();
    return !sync || SyncFolderOf(target_.get()) || Fail(BMPRESIZE_CAUSE_WRITE_FAILED, errno);
  }
  error = errno;
  if (existed_ && IsRefusedRename(error)) return CopyOverDestination(sync);
  Abandon();
  return Fail(BMPRESIZE_CAUSE_WRITE_FAILED, error);
}

bool ReplacingFile::CopyOverDestination(bool sync) {
  FileHandle from(OpenFile(temporary_.get(), "rb"));
  FileFacts facts;
  const int fd = from ? OpenExistingForWriting(target_.get(), facts) : -1;
  FileHandle to(fd >= 0 ? WriteStreamOn(fd) : nullptr);
  turn_.Take(to.get());
  way_ = Way::kInPlace;
  bool done = from && to;
  std::uint64_t length = 0;
  char buffer[16384];
  while (done) {
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, from.get());
    if (got > 0) {
      leftPartial_ = true;
      done = std::fwrite(buffer, 1, got, to.get()) == got;
      length += got;
    }
    if (got < sizeof buffer) {
      done = done && !std::ferror(from.get());
      break;
    }
  }
  done = done && std::fflush(to.get()) == 0 && TruncateTo(to.get(), static_cast<std::int64_t>(length)) &&
         (!sync || SyncToStorage(to.get()));
  const int error = errno;
  done = to.Close() && done;
  turn_.Release();
  (void)from.Close();
  (void)RemoveFile(temporary_.get());
  DropTemporary();
  if (!done) return Fail(BMPRESIZE_CAUSE_WRITE_FAILED, error);
  leftPartial_ = false;
  return true;
}

void ReplacingFile::Abandon() {
  if (stream_) {
    // Rewritten in place, the destination is cut once anything reached it.
    if (way_ == Way::kInPlace && PositionIn(stream_.get()) > 0) leftPartial_ = true;
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

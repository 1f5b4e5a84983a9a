// SPDX-License-Identifier: MIT
// The file-system steps on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "files/file_system.h"

namespace bmpresize {

namespace {

// As the kernel follows links: at most 40 in a row.
constexpr int kMaxLinks = 40;

// The text of the link at path.
SysValue<OwnedText> ReadLink(const char* path, const struct stat& link) {
  // Some file systems report a size of 0 for their links.
  std::size_t size = link.st_size > 0 ? static_cast<std::size_t>(link.st_size) + 1 : 256;
  for (;;) {
    OwnedText text(new (std::nothrow) char[size]);
    if (!text) return {nullptr, ENOMEM};
    const ssize_t n = readlink(path, text.get(), size);
    if (n < 0) return {nullptr, errno};
    if (static_cast<std::size_t>(n) < size) {
      text[static_cast<std::size_t>(n)] = '\0';
      return {std::move(text)};
    }
    size *= 2;  // the link changed since it was measured
  }
}

// Closes fd after a step on it failed with error, and answers that error.
SysValue<int> CloseAfter(int fd, int error) {
  close(fd);
  return {-1, error};
}

}  // namespace

SysValue<OwnedText> FollowLinks(const PathChar* path) {
  OwnedText current = JoinText({path});
  for (int hops = 0; current; ++hops) {
    struct stat st;
    if (lstat(current.get(), &st) != 0 || !S_ISLNK(st.st_mode)) return {std::move(current)};
    if (hops == kMaxLinks) return {nullptr, ELOOP};
    SysValue<OwnedText> target = ReadLink(current.get(), st);
    if (!target.Ok()) return target;
    // A relative link is relative to the folder that holds it.
    current =
        target.value[0] == '/' ? std::move(target.value) : JoinText({FolderPart(current.get()), target.value.get()});
  }
  return {nullptr, ENOMEM};
}

SysResult LookAt(const PathChar* path, FileId& id, FileKind& kind) {
  struct stat st;
  if (stat(path, &st) != 0) return {errno};
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.file = static_cast<std::uint64_t>(st.st_ino);
  kind = S_ISREG(st.st_mode) ? FileKind::kRegular : S_ISDIR(st.st_mode) ? FileKind::kFolder : FileKind::kOther;
  return {};
}

SysValue<int> OpenExistingForWriting(const PathChar* path, FileFacts& facts) {
  const int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {-1, errno};
  struct stat st;
  if (fstat(fd, &st) != 0) return CloseAfter(fd, errno);
  const int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) return CloseAfter(fd, errno);
  facts.regular = S_ISREG(st.st_mode);
  facts.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  facts.owner = st.st_uid;
  facts.group = st.st_gid;
  return {fd};
}

SysValue<int> CreateNewFile(const PathChar* path, const FileFacts* like) {
  // A new file of its own gets 0666 less the umask, as any program's new
  // file does; one that takes another's place starts private, then takes
  // that file's owner and bits.
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, like != nullptr ? 0600 : 0666);
  if (fd < 0) return {-1, errno};
  if (like == nullptr) return {fd};
  struct stat st;
  if (fstat(fd, &st) == 0 &&
      (st.st_uid != static_cast<uid_t>(like->owner) || st.st_gid != static_cast<gid_t>(like->group)))
    (void)fchown(fd, static_cast<uid_t>(like->owner), static_cast<gid_t>(like->group));  // only as far as allowed
  if (fchmod(fd, static_cast<mode_t>(like->mode)) != 0) {
    const SysValue<int> failed = CloseAfter(fd, errno);
    (void)unlink(path);
    return failed;
  }
  return {fd};
}

SysValue<std::FILE*> WriteStreamOn(int fd) {
  std::FILE* stream = fdopen(fd, "wb");
  if (stream != nullptr) return {stream};
  return {nullptr, CloseAfter(fd, errno).error};
}

SysResult CloseDescriptor(int fd) {
  if (close(fd) != 0) return {errno};
  return {};
}

SysValue<std::int64_t> PositionIn(std::FILE* stream) {
  const off_t at = ftello(stream);
  if (at < 0) return {-1, errno};
  return {static_cast<std::int64_t>(at)};
}

SysResult TruncateTo(std::FILE* stream, std::int64_t length) {
  if (ftruncate(fileno(stream), static_cast<off_t>(length)) != 0) return {errno};
  return {};
}

// Pipes, terminals and some devices have nothing to sync.
SysResult SyncToStorage(std::FILE* stream) {
  if (fsync(fileno(stream)) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP) return {};
  return {errno};
}

SysResult SyncFolderOf(const PathChar* path) {
  const PathView folder = FolderPart(path);
  OwnedText name = JoinText({folder.empty() ? PathView(".") : folder});
  if (!name) return {ENOMEM};
  const int fd = open(name.get(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {errno};
  const SysResult synced{fsync(fd) == 0 || errno == EINVAL ? 0 : errno};
  close(fd);
  return synced;
}

SysResult ReplaceByRename(const PathChar* from, const PathChar* to, bool) {
  if (rename(from, to) != 0) return {errno};
  return {};
}

SysResult RemoveFile(const PathChar* path) {
  if (unlink(path) != 0) return {errno};
  return {};
}

}  // namespace bmpresize

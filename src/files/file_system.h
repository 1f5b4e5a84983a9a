// SPDX-License-Identifier: MIT
// The file-system steps that replacing a file takes, on native paths
// (NativePath) and file descriptors, alike on POSIX systems and Windows. A
// step answers its failure as a value (SysResult, SysValue) holding the
// system's error number; nothing is left in errno for a caller to read.
// Nothing here throws, and nothing allocates but the paths it hands back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string_view>

#include "files/file_identity.h"
#include "files/native_path.h"
#include "files/sys_result.h"

namespace bmpresize {

// A NUL-terminated path of its own; null when memory for it could not be had.
using PathView = std::basic_string_view<PathChar>;
using OwnedText = std::unique_ptr<PathChar[]>;
OwnedText JoinText(std::initializer_list<PathView> parts);

// The folder part of a path, its separator included ("" for a bare name), and
// the name after it.
PathView FolderPart(const PathChar* path);
PathView NamePart(const PathChar* path);
// The length of the longest name between the separators of path: the file's
// own or a folder's.
std::size_t LongestName(const PathChar* path);

// The path with the symbolic links at its end followed to the file they name,
// also when that file does not exist yet (a dangling link names the file it
// would create). ELOOP for a loop, ENOMEM without memory.
SysValue<OwnedText> FollowLinks(const PathChar* path);

// What stands at a path, the symbolic links on the way followed: its identity
// and whether it is a regular file, a folder or anything else (a device, a
// FIFO, a socket); the error when nothing there can be looked at.
enum class FileKind { kRegular, kFolder, kOther };
SysResult LookAt(const PathChar* path, FileId& id, FileKind& kind);

// What a file that is replaced hands on to the file that replaces it.
struct FileFacts {
  bool regular = false;
  std::uint32_t mode = 0;  // permission bits
  std::int64_t owner = -1;
  std::int64_t group = -1;
};

// Opens an existing file for writing without creating or truncating it, and
// without waiting (a FIFO that no process reads fails at once); reads may then
// wait as usual. The descriptor, or -1 and the error.
SysValue<int> OpenExistingForWriting(const PathChar* path, FileFacts& facts);
// Creates path for writing; fails with EEXIST when anything is there already.
// The new file gets like's owner and permission bits where given (as far as
// the system lets this process give them), else what a new file gets here.
SysValue<int> CreateNewFile(const PathChar* path, const FileFacts* like);
// A binary write stream on fd, which it then owns; closes fd on failure.
SysValue<std::FILE*> WriteStreamOn(int fd);
SysResult CloseDescriptor(int fd);

// Where the stream stands, beyond 2 GiB too; -1 and the error when it cannot
// tell.
SysValue<std::int64_t> PositionIn(std::FILE* stream);
// Cuts the stream's file to length bytes (its buffer already flushed).
SysResult TruncateTo(std::FILE* stream, std::int64_t length);
// Brings what was written to the stream's file (flushed already) to stable
// storage; nothing to do for what has no storage (a pipe, a terminal).
SysResult SyncToStorage(std::FILE* stream);
// The same for the folder entry of path, so that a rename survives a power
// cut; nothing to do where the system offers no such step.
SysResult SyncFolderOf(const PathChar* path);

// Puts from in the place of to in one step, replacing what is there.
SysResult ReplaceByRename(const PathChar* from, const PathChar* to, bool writeThrough);
SysResult RemoveFile(const PathChar* path);

}  // namespace bmpresize

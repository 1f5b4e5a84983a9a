// SPDX-License-Identifier: MIT
// The file-system steps that replacing a file takes, on native paths
// (NativePath) and file descriptors, alike on POSIX systems and Windows. A
// step that fails answers false (or -1, or null) with the reason in errno.
// Nothing here throws, and nothing allocates but the paths it hands back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string_view>

#include "files/file_identity.h"
#include "files/native_path.h"

// A NUL-terminated path of its own; null when memory for it could not be had.
using PathView = std::basic_string_view<PathChar>;
using OwnedText = std::unique_ptr<PathChar[]>;
OwnedText JoinText(std::initializer_list<PathView> parts);

// The folder part of a path, its separator included ("" for a bare name), and
// the name after it.
PathView FolderPart(const PathChar* path);
PathView NamePart(const PathChar* path);

// The path with the symbolic links at its end followed to the file they name,
// also when that file does not exist yet (a dangling link names the file it
// would create). Null with errno ELOOP for a loop, ENOMEM without memory.
OwnedText FollowLinks(const PathChar* path);

// What stands at a path, the symbolic links on the way followed: its identity
// and whether it is a regular file, a folder or anything else (a device, a
// FIFO, a socket). False with errno when nothing there can be looked at.
enum class FileKind { kRegular, kFolder, kOther };
bool LookAt(const PathChar* path, FileId& id, FileKind& kind);

// What a file that is replaced hands on to the file that replaces it.
struct FileFacts {
  bool regular = false;
  std::uint32_t mode = 0;  // permission bits
  std::int64_t owner = -1;
  std::int64_t group = -1;
};

// Opens an existing file for writing without creating or truncating it, and
// without waiting (a FIFO that no process reads fails at once); reads may then
// wait as usual. -1 when it cannot be opened so.
int OpenExistingForWriting(const PathChar* path, FileFacts& facts);
// Creates path for writing; fails with EEXIST when anything is there already.
// The new file gets like's owner and permission bits where given (as far as
// the system lets this process give them), else what a new file gets here.
int CreateNewFile(const PathChar* path, const FileFacts* like);
// A binary write stream on fd, which it then owns; closes fd on failure.
std::FILE* WriteStreamOn(int fd);
bool CloseDescriptor(int fd);

// Where the stream stands, beyond 2 GiB too; -1 when it cannot tell.
std::int64_t PositionIn(std::FILE* stream);
// Cuts the stream's file to length bytes (its buffer already flushed).
bool TruncateTo(std::FILE* stream, std::int64_t length);
// Brings what was written to the stream's file (flushed already) to stable
// storage; true for what has no storage to reach (a pipe, a terminal).
bool SyncToStorage(std::FILE* stream);
// The same for the folder entry of path, so that a rename survives a power
// cut; true where the system offers no such step.
bool SyncFolderOf(const PathChar* path);

// Puts from in the place of to in one step, replacing what is there.
bool ReplaceByRename(const PathChar* from, const PathChar* to, bool writeThrough);
bool RemoveFile(const PathChar* path);

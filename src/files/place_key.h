// SPDX-License-Identifier: MIT
// Where a write to a path lands, as a key that two paths share exactly when
// writes to them land in one file, whatever they are called: a regular file
// already there (under any name: the same path spelt otherwise, a hard link,
// a symbolic link), or, for a file yet to be made, the folder it would be made
// in and its name, the symbolic links at its end followed as ReplacingFile
// follows them (on Windows a link that leads nowhere is replaced itself). A
// path that names a descriptor (DescriptorOfPath) lands in what the descriptor
// has open. Only regular files, existing or to be made, have keys: a folder
// takes no write, and a pipe, socket, terminal or device is written where it
// stands and replaces nothing (one socket may be read and written at once).
#pragma once

#include <string>

#include "files/native_path.h"
#include "files/sys_result.h"

namespace bmpresize {

// The key, else the reason it cannot be told (an errno value): ENOENT
// (no folder to make the file in, or an empty path), ENOTDIR, EISDIR (a
// folder, or a path that ends in a separator), ESPIPE (no regular file),
// EBADF (a descriptor that is not open), ELOOP, EACCES, ..., ENOMEM when
// memory is short.
SysResult PlaceKeyOf(const PathChar* path, std::string& key);

// The same for the file an open descriptor has.
SysResult DescriptorKeyOf(int fd, std::string& key);

}  // namespace bmpresize

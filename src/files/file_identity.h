// SPDX-License-Identifier: MIT
// Whether two open streams are one file: the same device and inode on POSIX,
// the same volume and file index on Windows, so every name of one file (the
// same path spelt otherwise, a hard link, a symbolic link) is that file.
#pragma once

#include <cstdio>

// Whether both streams have one regular file open (a pipe, a terminal or a
// device is never the same file here).
bool IsSameRegularFile(std::FILE* a, std::FILE* b);
// The same for two descriptors; -1 is none.
bool IsSameRegularFile(int a, int b);

// The descriptor under a stream; -1 for none.
int DescriptorOf(std::FILE* stream);

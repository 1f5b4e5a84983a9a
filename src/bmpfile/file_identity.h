#pragma once

#include <cstdio>

// Whether path names the file that stream has open (the same path, a hard
// link or a symbolic link to it): the same device and inode on POSIX, the same
// volume and file index on Windows. False when path does not exist.
bool IsSameFile(std::FILE* stream, const char* utf8Path);

// SPDX-License-Identifier: MIT
#include "files/system_call_faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct Fault {
  std::atomic<const char*> call{nullptr};
  std::atomic<int> error{0};
  std::atomic<int> skip{0};
  std::atomic<bool> always{false};
};
Fault faults[4];

// Whether this use of call fails; its error then.
bool Fails(const char* call, int& error) {
  for (Fault& fault : faults) {
    const char* planted = fault.call.load();
    if (planted == nullptr || std::strcmp(planted, call) != 0) continue;
    if (fault.skip.fetch_sub(1) > 0) return false;
    error = fault.error.load();
    if (!fault.always.load()) fault.call.store(nullptr);
    return true;
  }
  return false;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void PlantFault(const char* call, int error, int skip, bool always) {
  for (Fault& fault : faults) {
    if (fault.call.load() != nullptr) continue;
    fault.error = error;
    fault.skip = skip;
    fault.always = always;
    fault.call = call;
    return;
  }
  std::abort();
}

void ClearFaults() {
  for (Fault& fault : faults) fault.call = nullptr;
}

bool StillPlanted(const char* call) {
  for (Fault& fault : faults) {
    const char* planted = fault.call.load();
    if (planted != nullptr && std::strcmp(planted, call) == 0) return true;
  }
  return false;
}

// With _FILE_OFFSET_BITS=64 the library calls the 64-bit names.
#define FAIL_IF_PLANTED(call, failed) \
  do {                                \
    int planted_error = 0;            \
    if (Fails(call, planted_error)) { \
      errno = planted_error;          \
      return failed;                  \
    }                                 \
  } while (false)

extern "C" {

int open64(const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
    FAIL_IF_PLANTED("create", -1);
  }
  return Next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

int fstat64(int fd, struct stat64* st) {
  FAIL_IF_PLANTED("fstat", -1);
  return Next<int (*)(int, struct stat64*)>("fstat64")(fd, st);
}

int fseeko64(FILE* stream, off64_t offset, int whence) {
  FAIL_IF_PLANTED("seek", -1);
  return Next<int (*)(FILE*, off64_t, int)>("fseeko64")(stream, offset, whence);
}

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*), void* argument) {
  int error = 0;
  if (Fails("pthread_create", error)) return error;
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  return Next<Create>("pthread_create")(thread, attributes, start, argument);
}

int fchmod(int fd, mode_t mode) {
  FAIL_IF_PLANTED("fchmod", -1);
  return Next<int (*)(int, mode_t)>("fchmod")(fd, mode);
}

FILE* fdopen(int fd, const char* mode) {
  FAIL_IF_PLANTED("fdopen", nullptr);
  return Next<FILE* (*)(int, const char*)>("fdopen")(fd, mode);
}

int fsync(int fd) {
  FAIL_IF_PLANTED("fsync", -1);
  return Next<int (*)(int)>("fsync")(fd);
}

int ftruncate64(int fd, off64_t length) {
  FAIL_IF_PLANTED("ftruncate", -1);
  return Next<int (*)(int, off64_t)>("ftruncate64")(fd, length);
}

int rename(const char* from, const char* to) {
  FAIL_IF_PLANTED("rename", -1);
  return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

ssize_t pread64(int fd, void* buffer, size_t n, off64_t offset) {
  FAIL_IF_PLANTED("pread", -1);
  return Next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64")(fd, buffer, n, offset);
}

ssize_t readlink(const char* path, char* buffer, size_t size) {
  int error = 0;
  if (Fails("readlink", error)) {
    if (error == 0) return static_cast<ssize_t>(size);
    errno = error;
    return -1;
  }
  return Next<ssize_t (*)(const char*, char*, size_t)>("readlink")(path, buffer, size);
}

ssize_t write(int fd, const void* data, size_t n) {
  int error = 0;
  if (Fails("write", error)) {
    errno = error;
    return error == 0 ? 0 : -1;
  }
  return Next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, n);
}

int fclose(FILE* stream) {
  int error = 0;
  const bool fails = Fails("fclose", error);
  const int rc = Next<int (*)(FILE*)>("fclose")(stream);
  if (!fails) return rc;
  errno = error;
  return EOF;
}

}  // extern "C"

// The library asks for memory only with new (std::nothrow).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  int error = 0;
  if (Fails("new", error)) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  int error = 0;
  if (Fails("new", error)) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

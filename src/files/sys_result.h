// SPDX-License-Identifier: MIT
// What a step of the platform's file system answers: that it worked, or the
// system's error number (an errno value; on Windows the one nearest to the
// system's code). The function that makes the system call reads errno (or
// GetLastError) once, right after it, and hands the number on here; nothing
// above it reads errno.
#pragma once

namespace bmpresize {

struct [[nodiscard]] SysResult {
  int error = 0;  // 0 when the step worked
  bool Ok() const { return error == 0; }
};

// A step that makes something: the thing (a descriptor, a stream, a path) and
// 0, or the error number and whatever value the step says it leaves.
template <class T>
struct [[nodiscard]] SysValue {
  T value{};
  int error = 0;
  bool Ok() const { return error == 0; }
};

}  // namespace bmpresize

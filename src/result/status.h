// SPDX-License-Identifier: MIT
// What a step that can fail answers: nothing, or why it failed (a Cause,
// which carries the system's error number where a system call failed). The
// one way a failure travels inside the library; nothing is left in errno.
#pragma once

#include "result/cause.h"

namespace bmpresize {

class [[nodiscard]] Status {
 public:
  Status() = default;
  // A failure for cause; an empty cause is a success.
  Status(const Cause& cause) : cause_(cause) {}  // NOLINT(google-explicit-constructor)

  bool Ok() const { return !cause_; }
  const Cause& Why() const { return cause_; }

 private:
  Cause cause_;
};

}  // namespace bmpresize

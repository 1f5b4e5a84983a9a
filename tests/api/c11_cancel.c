/* SPDX-License-Identifier: MIT */
/* The cancel flag as bmpresize.h tells a C11 caller to set it: an atomic_int
 * handed over as the flag, set with atomic_store_explicit. */
#include <stdatomic.h>
#include <stdint.h>

#include "bmpresize.h"

_Static_assert(sizeof(atomic_int) == sizeof(sig_atomic_t), "the flag is read as a sig_atomic_t");
_Static_assert(ATOMIC_INT_LOCK_FREE != 0, "a handler may store to it");

int ResizeWithC11CancelFlag(const void* bmp, size_t size, void* out, size_t capacity, int cancel) {
  static atomic_int stop;
  atomic_store_explicit(&stop, 0, memory_order_relaxed);
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.cancel = (const volatile sig_atomic_t*)&stop;
  if (cancel) atomic_store_explicit(&stop, 1, memory_order_relaxed);
  bmpresize_result result;
  bmpresize_memory(bmp, size, out, capacity, &options, &result);
  return result.cause;
}

// SPDX-License-Identifier: MIT
#include "image/shared_lookups.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>

#include "image/colour_tables.h"

namespace bmpresize {

namespace {

// Counted in a size_t, which every target loads and stores atomically (a
// 32-bit ARMv5 core has no 64-bit atomics); a lookup is far below 4 GiB.
constexpr std::size_t kNotCounted = ~std::size_t{0};

// One table's lookup. Both fields go from unknown to their value once; two
// threads that find them unknown at once each work them out, the same, and
// the lookup made second is let go.
struct Slot {
  std::atomic<std::size_t> bytes{kNotCounted};
  std::atomic<const NearestColour*> lookup{nullptr};
};

Slot gSlots[3];  // at 1, 4 and 8 bits

Slot& SlotFor(std::int32_t depth) { return gSlots[depth == 1 ? 0 : depth == 4 ? 1 : 2]; }

}  // namespace

std::uint64_t SharedLookupBytes(std::int32_t depth) {
  Slot& slot = SlotFor(depth);
  std::size_t bytes = slot.bytes.load(std::memory_order_acquire);
  if (bytes == kNotCounted) {
    bytes = sizeof(NearestColour) + static_cast<std::size_t>(NearestColour::BytesFor(TableFor(depth, false).data(),
                                                                                     PaletteSizeForDepth(depth)));
    slot.bytes.store(bytes, std::memory_order_release);
  }
  return bytes;
}

const NearestColour* SharedLookup(std::int32_t depth) {
  Slot& slot = SlotFor(depth);
  const NearestColour* made = slot.lookup.load(std::memory_order_acquire);
  if (made != nullptr) return made;
  std::unique_ptr<NearestColour> lookup(new (std::nothrow) NearestColour);
  const std::uint64_t gridBytes = SharedLookupBytes(depth) - sizeof(NearestColour);
  if (!lookup || !lookup->Build(TableFor(depth, false).data(), PaletteSizeForDepth(depth), gridBytes)) return nullptr;
  if (slot.lookup.compare_exchange_strong(made, lookup.get(), std::memory_order_acq_rel)) return lookup.release();
  return made;  // another thread's, made meanwhile
}

}  // namespace bmpresize

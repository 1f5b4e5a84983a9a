// SPDX-License-Identifier: MIT
// An array of plain items that never throws: it grows as they come, its room
// doubling from a first block of 64 KiB, or takes the room for all of them at
// once where their number is known; an allocation that fails leaves it as it
// was.
//
//   Grow(room)      a block twice as large, while the old block and the new,
//                   held together as the items move, take at most room bytes;
//                   false past room (OverRoom()) or when memory cannot be had
//                   (Wanted() then says how much)
//   Reserve(n)      room for n items in one block, had at once where their
//                   number is known before they come: nothing is held twice
//                   as it grows; false when memory cannot be had
//   Push(item, room)   one item more, with more room when it is full
//   End(), Added(n) fill the free room directly, then count what was put there
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace bmpresize {

template <typename T>
class GrowingArray {
 public:
  static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1) / sizeof(T);
  static constexpr std::size_t kAnyRoom = static_cast<std::size_t>(-1);

  [[nodiscard]] bool Grow(std::size_t roomBytes = kAnyRoom) {
    const std::size_t first = std::max<std::size_t>(1, kFirstBytes / sizeof(T));
    const std::size_t bigger = capacity_ == 0 ? first : capacity_ > kNoLimit / 2 ? kNoLimit : 2 * capacity_;
    const std::size_t roomItems = roomBytes / sizeof(T);
    overRoom_ = bigger <= capacity_ || bigger > roomItems || capacity_ > roomItems - bigger;
    if (overRoom_) {
      // Both blocks at once, as many bytes as there are at most.
      const std::size_t both = capacity_ > kNoLimit - bigger ? kNoLimit : capacity_ + bigger;
      wanted_ = both * sizeof(T);
      return false;
    }
    return MoveTo(bigger);
  }

  [[nodiscard]] bool Reserve(std::size_t n) { return n <= capacity_ || (n <= kNoLimit && MoveTo(n)); }

  [[nodiscard]] bool Push(const T& item, std::size_t roomBytes = kAnyRoom) {
    if (size_ == capacity_ && !Grow(roomBytes)) return false;
    items_[size_++] = item;
    return true;
  }

  T* End() { return items_.get() + size_; }
  void Added(std::size_t n) { size_ += n; }

  const T* Data() const { return items_.get(); }
  const T& operator[](std::size_t i) const { return items_[i]; }
  std::size_t Size() const { return size_; }
  std::size_t Capacity() const { return capacity_; }
  // The bytes the last growth that failed asked for: the new block's, or
  // the old and the new block's together when they would have passed room.
  std::size_t Wanted() const { return wanted_; }
  bool OverRoom() const { return overRoom_; }
  // The bytes its block takes.
  std::size_t Bytes() const { return capacity_ * sizeof(T); }

 private:
  static constexpr std::size_t kFirstBytes = std::size_t{1} << 16;

  // The items into a block of room items, more than they have now.
  bool MoveTo(std::size_t room) {
    std::unique_ptr<T[]> bigger(new (std::nothrow) T[room]);
    if (!bigger) {
      wanted_ = room * sizeof(T);
      return false;
    }
    std::copy(items_.get(), items_.get() + size_, bigger.get());
    items_ = std::move(bigger);
    capacity_ = room;
    return true;
  }

  std::unique_ptr<T[]> items_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t wanted_ = 0;
  bool overRoom_ = false;
};

}  // namespace bmpresize

// SPDX-License-Identifier: MIT
// An array of plain items that grows as they come and never throws: its room
// doubles, from a first block of 64 KiB, up to the limit it is given, and an
// allocation that fails leaves it as it was.
//
//   Grow(limit, room)  more room, at most limit items in all, while the old
//                   block and the new, held together as the items move, take
//                   at most room bytes; false at the limit, past room
//                   (OverRoom()) or when memory cannot be had (Wanted() then
//                   says how much)
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

  [[nodiscard]] bool Grow(std::size_t limit = kNoLimit, std::size_t roomBytes = kAnyRoom) {
    limit = std::min(limit, kNoLimit);
    const std::size_t first = std::max<std::size_t>(1, kFirstBytes / sizeof(T));
    const std::size_t doubled = capacity_ > limit / 2 ? limit : 2 * capacity_;
    const std::size_t wanted = std::min(limit, std::max(first, doubled));
    const std::size_t roomItems = roomBytes / sizeof(T);
    const std::size_t fits = roomItems > capacity_ ? roomItems - capacity_ : 0;
    const std::size_t room = std::min(wanted, fits);
    if (room <= capacity_) {
      overRoom_ = wanted > capacity_;
      if (overRoom_) wanted_ = (capacity_ + wanted) * sizeof(T);
      return false;
    }
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

  [[nodiscard]] bool Push(const T& item, std::size_t roomBytes = kAnyRoom) {
    if (size_ == capacity_ && !Grow(kNoLimit, roomBytes)) return false;
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
  // the old and the new block's together when it would have passed room.
  std::size_t Wanted() const { return wanted_; }
  bool OverRoom() const { return overRoom_; }
  // The bytes its block takes.
  std::size_t Bytes() const { return capacity_ * sizeof(T); }

 private:
  static constexpr std::size_t kFirstBytes = std::size_t{1} << 16;

  std::unique_ptr<T[]> items_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t wanted_ = 0;
  bool overRoom_ = false;
};

}  // namespace bmpresize

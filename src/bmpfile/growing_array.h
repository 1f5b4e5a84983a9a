// SPDX-License-Identifier: MIT
// An array of plain items that grows as they come and never throws: its room
// doubles, from a first block of 64 KiB, up to the limit it is given, and an
// allocation that fails leaves it as it was.
//
//   Grow(limit)     more room, at most limit items in all; false at the limit
//                   or when memory cannot be had (Wanted() then says how much)
//   Push(item)      one item more, with more room when it is full
//   End(), Added(n) fill the free room directly, then count what was put there
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

template <typename T>
class GrowingArray {
 public:
  static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1) / sizeof(T);

  [[nodiscard]] bool Grow(std::size_t limit = kNoLimit) {
    limit = std::min(limit, kNoLimit);
    const std::size_t first = std::max<std::size_t>(1, kFirstBytes / sizeof(T));
    const std::size_t doubled = capacity_ > limit / 2 ? limit : 2 * capacity_;
    const std::size_t room = std::min(limit, std::max(first, doubled));
    if (room <= capacity_) return false;
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

  [[nodiscard]] bool Push(const T& item) {
    if (size_ == capacity_ && !Grow()) return false;
    items_[size_++] = item;
    return true;
  }

  T* End() { return items_.get() + size_; }
  void Added(std::size_t n) { size_ += n; }

  const T* Data() const { return items_.get(); }
  const T& operator[](std::size_t i) const { return items_[i]; }
  std::size_t Size() const { return size_; }
  std::size_t Capacity() const { return capacity_; }
  // The bytes the last growth that failed asked for.
  std::size_t Wanted() const { return wanted_; }

 private:
  static constexpr std::size_t kFirstBytes = std::size_t{1} << 16;

  std::unique_ptr<T[]> items_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t wanted_ = 0;
};

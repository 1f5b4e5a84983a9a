// SPDX-License-Identifier: MIT
#include "place_keys.h"

#include "bmpresize.h"

namespace {

// Asks find for the key, again with room enough when it was longer than the
// room given (a name can change between the two calls).
template <typename Find>
std::string KeyFrom(Find find) {
  std::string key(256, '\0');
  int error = 0;
  for (;;) {
    const std::size_t length = find(key.data(), key.size(), &error);
    if (length < key.size()) {
      key.resize(length);
      return key;
    }
    key.resize(length + 1);
  }
}

}  // namespace

std::string PlaceKey(const std::string& path) {
  return KeyFrom([&](char* key, std::size_t capacity, int* error) {
    return bmpresize_place_key(path.c_str(), key, capacity, error);
  });
}

std::string DescriptorKey(int fd) {
  return KeyFrom(
      [&](char* key, std::size_t capacity, int* error) { return bmpresize_descriptor_key(fd, key, capacity, error); });
}

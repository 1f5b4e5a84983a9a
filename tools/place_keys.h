// SPDX-License-Identifier: MIT
// The library's keys for where a write lands (bmpresize_place_key), as
// strings: equal keys, one file. Empty when the library cannot tell (a file
// that cannot be looked at, a pipe, a terminal), which nothing equals.
#pragma once

#include <string>

std::string PlaceKey(const std::string& path);
std::string DescriptorKey(int fd);

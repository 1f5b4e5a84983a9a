// SPDX-License-Identifier: MIT
// SHA-256 of a byte string, as lower-case hex: enough for tests that compare
// written files with recorded hashes, with no library behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::string Sha256Hex(const std::uint8_t* data, std::size_t size);
inline std::string Sha256Hex(const std::vector<std::uint8_t>& bytes) { return Sha256Hex(bytes.data(), bytes.size()); }

// SPDX-License-Identifier: MIT
// The export called with paths held as ordinary strings: the tests' and the
// export fuzzer's one way to call it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bmpresizescale.h"

// A path in the export's character type (wchar_t on Windows).
using Path16 = std::basic_string<BmpResizeChar16>;

// Each byte of an ASCII path, or each unit of a UTF-16 one, as a unit.
inline Path16 ToPath16(std::string_view ascii) { return Path16(ascii.begin(), ascii.end()); }
inline Path16 ToPath16(std::u16string_view units) { return Path16(units.begin(), units.end()); }

inline std::int32_t CallExport(const std::string& source, const std::string& destination, std::int32_t percent) {
  return BMPResizeScale(ToPath16(source).c_str(), ToPath16(destination).c_str(), percent);
}

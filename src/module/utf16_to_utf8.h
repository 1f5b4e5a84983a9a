// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace bmpresize {

// Converts a NUL-terminated UTF-16 string to UTF-8. Surrogate pairs become one
// four-byte sequence; an unpaired surrogate has no UTF-8 form, and the answer
// is then false.
bool Utf16ToUtf8(const char16_t* text, std::string& out);

// Whether a NUL-terminated UTF-16 string has no unpaired surrogate.
bool IsWellFormedUtf16(const char16_t* text);

}  // namespace bmpresize

// SPDX-License-Identifier: MIT
// Text as a JSON string, quotes included. UTF-8 passes through as it is;
// quotes, backslashes, control characters and the line and paragraph
// separators U+2028 and U+2029 are escaped, and every byte
// that is not part of valid UTF-8 (a file name in another encoding, say)
// becomes U+FFFD, so that the output is always valid JSON in UTF-8.
#pragma once

#include <string>

std::string JsonString(const std::string& text);

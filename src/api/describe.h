// SPDX-License-Identifier: MIT
// The sentence that tells what became of a resize, as the command-line tool
// prints it after "bmpresize: ": the file the problem lies with, then why.
//
//   a failure                          "NAME: reason"
//   a success with a source cut short  "SOURCE: warning: cut short: ..."
//   a success                          "" (nothing to tell)
//
// The source names the sentence for every cause of the source and of the
// resized picture's size, the destination for the rest.
#pragma once

#include <cstddef>

#include "bmpresize.h"

namespace bmpresize {

// Writes the sentence into text (capacity bytes, always NUL-terminated when
// capacity > 0, cut short where it does not fit) and answers its whole
// length. Null names read "source" and "destination".
std::size_t Describe(const bmpresize_result& result, const char* source, const char* destination, char* text,
                     std::size_t capacity);

}  // namespace bmpresize

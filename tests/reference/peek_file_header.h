// SPDX-License-Identifier: MIT
#pragma once

#include "bmpfile/bmp_headers.h"

// Reads the 14-byte file header of the file at a UTF-8 path without judging it.
// A path that cannot be opened (or a null one) gives bfType 0; fields beyond
// the end of a short file keep their defaults, so an empty file reports "BM".
bmpresize::BmpFileHeader PeekFileHeader(const char* path);

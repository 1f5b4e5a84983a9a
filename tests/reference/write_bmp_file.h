// SPDX-License-Identifier: MIT
// The whole write of an in-memory image to a BMP file at its own depth, the
// way the library first worked: kept for the tests, which write their source
// pictures with it.
//
// WriteBmpFile(image, path)   1 when the file was written completely; 0 when
//     it could not be (an open, a write or the final close that fails, sizes
//     that do not fit, memory that is short), and then the file at path is as
//     it was. Paletted depths map each pixel to its nearest table entry.
#pragma once

#include "bmpfile/byte_sink.h"
#include "image/bmp_image.h"

[[nodiscard]] bool WriteBmpFile(const bmpresize::BmpImage& image, const char* path);
// The same into a sink: 1 when every byte was taken.
[[nodiscard]] bool WriteBmpImage(const bmpresize::BmpImage& image, bmpresize::ByteSink& sink);

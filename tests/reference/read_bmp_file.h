// SPDX-License-Identifier: MIT
// The whole read of a BMP file into an in-memory image, the way the library
// first worked: kept for the tests as the reference that the streaming resize
// is compared with, and for checking what the writer wrote.
//
// ReadBmpFile(image, path)
//   1  the headers were accepted; pixels come from the file as far as it
//      reaches, the rest stay white (16-bit files repeat the last value read)
//   0  the file was refused: it could not be opened, or its headers are
//      short, or its compression, depth or size is not one the reader takes,
//      or a read failed with an error.
//      The image is then 1 x 1 white of depth 1 (a file whose signature is not
//      "BM" leaves the image untouched instead)
#pragma once

#include <cstdint>

#include "bmpfile/byte_source.h"
#include "image/bmp_image.h"

// The most pixels ReadBmpFile takes into a whole in-memory image (4 bytes a
// pixel: 512 MiB at most).
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 27;

// The depth of the image a file of this depth is read into: its own, and 8
// for a 2-bit file, whose four entries then lead a table that is white
// beyond them.
std::int32_t ImageDepthFor(std::int32_t fileDepth);

[[nodiscard]] bool ReadBmpFile(bmpresize::BmpImage& image, const char* path);
// The same from bytes already open, read from where they stand.
[[nodiscard]] bool ReadBmpImage(bmpresize::BmpImage& image, bmpresize::ByteSource& source);

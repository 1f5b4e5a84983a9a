// SPDX-License-Identifier: MIT
#include "reference/read_bmp_file.h"

#include "bmpfile/bmp_reader.h"
#include "files/file_source.h"
#include "files/file_stream.h"

using namespace bmpresize;

namespace {

void Reset(BmpImage& image) {
  // A 1 x 1 image needs no allocation, so neither step can fail.
  (void)image.SetSize(1, 1);
  (void)image.SetDepth(1);
}

// Whether the file was refused before its headers were whole: short, empty
// or failing, so that no resolution was taken from it.
bool RefusedInItsHeaders(const Cause& cause) {
  return cause.kind == BMPRESIZE_CAUSE_EMPTY || cause.kind == BMPRESIZE_CAUSE_SHORT_HEADER ||
         cause.kind == BMPRESIZE_CAUSE_READ_FAILED;
}

}  // namespace

std::int32_t ImageDepthFor(std::int32_t fileDepth) { return fileDepth == 2 ? 8 : fileDepth; }

bool ReadBmpImage(BmpImage& image, ByteSource& source) {
  BmpReader reader;
  if (!reader.Open(source).Ok()) {
    const Cause& cause = reader.Failure();
    if (cause.kind == BMPRESIZE_CAUSE_NOT_BMP) return false;
    // The resolution is taken before the tests, so a refused file leaves it.
    if (!RefusedInItsHeaders(cause)) image.SetResolution(reader.Layout().FileResolution());
    Reset(image);
    return false;
  }
  image.SetResolution(reader.Layout().FileResolution());
  if (static_cast<std::int64_t>(reader.Width()) * reader.Height() > kMaxImagePixels) {
    Reset(image);
    return false;
  }
  if (!image.SetDepth(ImageDepthFor(reader.Depth())) || !image.SetSize(reader.Width(), reader.Height())) {
    Reset(image);
    return false;
  }
  if (image.HasPalette()) {
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
      (void)image.SetPaletteEntry(i, reader.Layout().palette[static_cast<std::size_t>(i)]);
  }
  for (std::int32_t y = reader.Height() - 1; y >= 0; --y) {
    if (!reader.ReadRow(image.Row(y))) break;
  }
  if (reader.Failure().kind == BMPRESIZE_CAUSE_READ_FAILED) {
    Reset(image);
    return false;
  }
  return true;
}

bool ReadBmpFile(BmpImage& image, const char* path) {
  FileHandle file(OpenFile(NativePath(path).get(), "rb"));
  if (!file) {
    Reset(image);
    return false;
  }
  FileSource source(file.get());
  return ReadBmpImage(image, source);
}

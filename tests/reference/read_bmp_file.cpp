// SPDX-License-Identifier: MIT
#include "reference/read_bmp_file.h"

#include "bmpfile/bmp_reader.h"

namespace {

void Reset(BmpImage& image) {
  // A 1 x 1 image needs no allocation, so neither step can fail.
  (void)image.SetSize(1, 1);
  (void)image.SetDepth(1);
}

}  // namespace

int ReadBmpFile(BmpImage& image, const char* path) {
  BmpReader reader;
  switch (reader.ReadHeaders(path)) {
    case HeaderVerdict::kOpenFailed:
      (void)image.SetDepth(1);
      (void)image.SetSize(1, 1);
      return 0;
    case HeaderVerdict::kNotBmp:
      return 0;
    case HeaderVerdict::kShortHeader:
    case HeaderVerdict::kReadFailed:
      Reset(image);
      return 0;
    case HeaderVerdict::kRefused:
    case HeaderVerdict::kNoMemory:
      // The resolution is taken before the tests, so a refused file leaves it.
      image.SetResolution(reader.FileResolution());
      Reset(image);
      return 0;
    case HeaderVerdict::kAccepted:
      break;
  }
  image.SetResolution(reader.FileResolution());
  if (static_cast<std::int64_t>(reader.Width()) * reader.Height() > kMaxImagePixels) {
    Reset(image);
    return 0;
  }
  if (!image.SetDepth(reader.Depth()) || !image.SetSize(reader.Width(), reader.Height())) {
    Reset(image);
    return 0;
  }
  if (image.HasPalette()) {
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i) (void)image.SetPaletteEntry(i, reader.Palette()[i]);
  }
  for (std::int32_t y = reader.Height() - 1; y >= 0; --y) {
    if (!reader.ReadRow(image.Row(y))) break;
  }
  if (reader.ReadFailed()) {
    Reset(image);
    return 0;
  }
  return 1;
}

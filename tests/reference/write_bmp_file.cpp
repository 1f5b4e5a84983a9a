// SPDX-License-Identifier: MIT
#include "reference/write_bmp_file.h"

#include <memory>
#include <new>

#include "bmpfile/bmp_file_writer.h"
#include "bmpfile/row_encoders.h"
#include "files/file_sink.h"
#include "files/replacing_file.h"
#include "reference/row_encoders_1_to_16.h"

using namespace bmpresize;

namespace {

// Encodes row y of the image at its own depth into buffer (length bytes).
bool EncodeRow(const BmpImage& image, std::int32_t y, std::uint8_t* buffer, std::int32_t length) {
  const ConstPixelRow row = image.Row(y);
  const PixelBGRA* palette = image.HasPalette() ? image.PaletteEntries()->data() : nullptr;
  return EncodeRowAtDepth(image.Depth(), row, palette, buffer, length);
}

}  // namespace

bool WriteBmpImage(const BmpImage& image, ByteSink& sink) {
  BmpLayout layout;
  layout.width = image.Width();
  layout.height = image.Height();
  layout.depth = image.Depth();
  layout.resolution = image.GetResolution();
  layout.palette = image.PaletteEntries();
  BmpWriter writer;
  if (!writer.Begin(sink, layout)) return false;
  const auto length = static_cast<std::int32_t>(RowDataSize(layout.width, layout.depth));
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)]);
  if (!buffer) return false;
  // Bottom row first; a row that cannot be written ends the loop.
  for (std::int32_t y = image.Height() - 1; y >= 0; --y) {
    if (!EncodeRow(image, y, buffer.get(), length)) return false;
    if (!writer.WriteEncodedRow(buffer.get())) break;
  }
  return writer.Finish();
}

bool WriteBmpFile(const BmpImage& image, const char* path) {
  // Sizes that do not fit are refused before the file is created.
  BmpLayout layout;
  layout.width = image.Width();
  layout.height = image.Height();
  layout.depth = image.Depth();
  if (!HeadersFor(layout).fits) return false;
  ReplacingFile file;
  if (!file.Open(NativePath(path).get()).Ok()) return false;
  FileSink sink(file.Stream());
  if (!WriteBmpImage(image, sink)) return false;
  return file.Commit(false).Ok();
}

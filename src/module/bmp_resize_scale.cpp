// The exported function: one whole resize from the caller's paths to the
// written file.
#include <new>
#include <string>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpfile/peek_file_header.h"
#include "bmpresizescale.h"
#include "image/bmp_image.h"
#include "module/scaled_size.h"
#include "module/utf16_to_utf8.h"
#include "resample/resize_image.h"

namespace {

static_assert(sizeof(BmpResizeChar16) == sizeof(char16_t), "paths are UTF-16");

// A path the file functions can open, or null. A path that cannot be expressed
// (an unpaired surrogate) is null too, so it fails like a path that cannot be
// opened.
const char* NarrowPath(const BmpResizeChar16* path, std::string& storage) {
  if (path == nullptr) return nullptr;
  if (!Utf16ToUtf8(reinterpret_cast<const char16_t*>(path), storage)) return nullptr;
  return storage.c_str();
}

std::int32_t Resize(const BmpResizeChar16* sourcePath, const BmpResizeChar16* destinationPath, std::int32_t percent) {
  std::string sourceStorage;
  const char* source = NarrowPath(sourcePath, sourceStorage);
  if (PeekFileHeader(source).bfType != kBmpSignature) return BMPRESIZE_SOURCE_NOT_BMP;

  BmpImage sourceImage;
  // A file that starts with "BM" but cannot be read is refused here rather
  // than resized as the blank picture the reader leaves behind.
  if (!ReadBmpFile(sourceImage, source)) return BMPRESIZE_SOURCE_UNREADABLE;

  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ScaledSize(percent, sourceImage.Width(), width) || !ScaledSize(percent, sourceImage.Height(), height))
    return BMPRESIZE_TOO_LARGE;

  BmpImage destinationImage;
  const std::int32_t depth = sourceImage.Depth() == 32 ? 32 : 24;
  // A side below 1 is refused by SetSize and the destination stays 1 x 1.
  if (width >= 1 && height >= 1) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.depth = depth;
    if (!HeadersFor(layout).fits) return BMPRESIZE_TOO_LARGE;
    if (!destinationImage.SetSize(width, height)) return BMPRESIZE_TOO_LARGE;
  }
  (void)destinationImage.SetDepth(depth);  // 24 or 32: always taken

  std::string destinationStorage;
  const char* destination = NarrowPath(destinationPath, destinationStorage);
  if (destination == nullptr) return BMPRESIZE_DESTINATION_FAILED;

  if (!ResizeImage(sourceImage, destinationImage)) return BMPRESIZE_TOO_LARGE;
  if (!WriteBmpFile(destinationImage, destination)) return BMPRESIZE_DESTINATION_FAILED;
  return BMPRESIZE_OK;
}

}  // namespace

extern "C" BMPRESIZE_API std::int32_t BMPResizeScale(const BmpResizeChar16* source,
                                                     const BmpResizeChar16* destination, std::int32_t percent) {
  // Nothing may escape into a C caller; the only thing that can throw here is
  // the allocation of a path string.
  try {
    return Resize(source, destination, percent);
  } catch (...) {
    return BMPRESIZE_TOO_LARGE;
  }
}

// The exported function: one whole resize from the caller's paths to the
// written file, the pipeline's result code as its answer.
#include <new>
#include <string>

#include "bmpresizescale.h"
#include "module/utf16_to_utf8.h"
#include "pipeline/resize.h"

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

std::int32_t ResizeFiles(const BmpResizeChar16* sourcePath, const BmpResizeChar16* destinationPath,
                         std::int32_t percent) {
  std::string sourceStorage;
  std::string destinationStorage;
  PathSource source(NarrowPath(sourcePath, sourceStorage));
  PathDestination destination(NarrowPath(destinationPath, destinationStorage));
  bmpresize_options options = DefaultOptions();
  options.percent = percent;
  return Resize(source, destination, options).code;
}

}  // namespace

extern "C" BMPRESIZE_API std::int32_t BMPResizeScale(const BmpResizeChar16* source, const BmpResizeChar16* destination,
                                                     std::int32_t percent) {
  // Nothing may escape into a C caller; the only thing that can throw here is
  // the allocation of a path string.
  try {
    return ResizeFiles(source, destination, percent);
  } catch (...) {
    return BMPRESIZE_TOO_LARGE;
  }
}

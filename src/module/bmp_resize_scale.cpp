// SPDX-License-Identifier: MIT
// The exported function: one whole resize from the caller's paths to the
// written file, the pipeline's result code as its answer.
#include <new>
#include <string>

#include "bmpresizescale.h"
#include "module/utf16_to_utf8.h"
#include "pipeline/path_ends.h"
#include "pipeline/resize.h"

using namespace bmpresize;

namespace {

static_assert(sizeof(BmpResizeChar16) == sizeof(char16_t), "paths are UTF-16");

// The path as the file functions take it, or null. A path that cannot be
// expressed (an unpaired surrogate) is null too, so it fails like a path that
// cannot be opened. Windows takes the UTF-16 path as it is; elsewhere it
// becomes UTF-8, held in storage.
const PathChar* NativePathOf(const BmpResizeChar16* path, std::string& storage) {
  if (path == nullptr) return nullptr;
  const auto* units = reinterpret_cast<const char16_t*>(path);
#ifdef _WIN32
  (void)storage;
  return IsWellFormedUtf16(units) ? path : nullptr;
#else
  return Utf16ToUtf8(units, storage) ? storage.c_str() : nullptr;
#endif
}

std::int32_t ResizeFiles(const BmpResizeChar16* sourcePath, const BmpResizeChar16* destinationPath,
                         std::int32_t percent) {
  std::string sourceStorage;
  std::string destinationStorage;
  ResizeRequest request;
  request.size.percent = percent;
  // A host on a device does not expect a call to start threads.
  request.threads = 1;
  return WithPathSource(NativePathOf(sourcePath, sourceStorage), 0,
                        [&](SourceEnd& source) {
                          return WithPathDestination(
                              NativePathOf(destinationPath, destinationStorage), 0,
                              [&](DestinationEnd& destination) { return Resize(source, destination, request); });
                        })
      .code;
}

}  // namespace

extern "C" BMPRESIZE_API std::int32_t BMPResizeScale(const BmpResizeChar16* source, const BmpResizeChar16* destination,
                                                     std::int32_t percent) {
  // Nothing may escape into a C caller; the only thing that can throw here is
  // the allocation of a path string: no memory. Anything else is a fault
  // inside, and nothing was written.
  try {
    return ResizeFiles(source, destination, percent);
  } catch (const std::bad_alloc&) {
    return BMPRESIZE_TOO_LARGE;
  } catch (...) {
    return CodeFor(BMPRESIZE_CAUSE_INTERNAL);
  }
}

// SPDX-License-Identifier: MIT
// The public C functions: thin shells that pick the ends and run the
// pipeline. Nothing escapes into a C caller: the pipeline allocates without
// throwing, and anything thrown all the same ends here as a result, by its
// kind.
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "api/checked_options.h"
#include "api/describe.h"
#include "api/option_calls.h"
#include "bmpfile/compression_names.h"
#include "bmpresize.h"
#include "files/files_in_flight.h"
#include "files/native_path.h"
#include "files/place_key.h"
#include "image/resolution.h"
#include "pipeline/path_ends.h"

using namespace bmpresize;

namespace {

bmpresize_options OptionsOrDefault(const bmpresize_options* options) {
  return options != nullptr ? *options : DefaultOptions();
}

bmpresize_code Answer(const bmpresize_result& outcome, bmpresize_result* result) {
  if (result != nullptr) *result = outcome;
  return static_cast<bmpresize_code>(outcome.code);
}

// Runs a resize, answering what it gives or, should anything throw, a
// failure: for want of memory where an allocation failed, else one inside
// the library.
template <typename Run>
bmpresize_code Guarded(bmpresize_result* result, Run run) {
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
  try {
    return Answer(run(), result);
  } catch (const std::bad_alloc&) {
    return Answer(Failed(bmpresize_result{}, Because(BMPRESIZE_CAUSE_NO_MEMORY)), result);
  } catch (const std::exception& e) {
    return Answer(Failed(bmpresize_result{}, BecauseInside(e.what())), result);
  } catch (...) {
    return Answer(Failed(bmpresize_result{}, BecauseInside("an unknown exception")), result);
  }
#else
  return Answer(run(), result);
#endif
}

// Calls use with the source end that the record asks for.
template <typename Use>
bmpresize_result WithSource(const bmpresize_source* source, Use use) {
  if (source == nullptr || source->path != nullptr) {
    const NativePath path(source != nullptr ? source->path : nullptr);
    return WithPathSource(path.get(), path.Error(), use);
  }
  if (source->read != nullptr) {
    CallbackSourceEnd end(source->read, source->user);
    return use(end);
  }
  MemorySourceEnd end(source->data, source->size);
  return use(end);
}

// Calls use with the destination end that the record asks for.
template <typename Use>
bmpresize_result WithDestination(const bmpresize_destination* destination, Use use) {
  if (destination == nullptr || destination->path != nullptr) {
    const NativePath path(destination != nullptr ? destination->path : nullptr);
    return WithPathDestination(path.get(), path.Error(), use);
  }
  if (destination->write != nullptr) {
    CallbackDestination end(destination->write, destination->user);
    return use(end);
  }
  MemoryDestination end(destination->data, destination->capacity);
  return use(end);
}

// Answers the key that find gives, copied as snprintf would copy it, or 0
// with the reason.
template <typename Find>
std::size_t AnswerKey(Find find, char* key, std::size_t capacity, int* error) {
  std::string found;
  int reason;
  try {
    reason = find(found).error;
  } catch (...) {
    reason = ENOMEM;
  }
  if (reason != 0) found.clear();
  if (error != nullptr) *error = reason;
  if (key != nullptr && capacity > 0) {
    const std::size_t copied = found.size() < capacity ? found.size() : capacity - 1;
    std::memcpy(key, found.data(), copied);
    key[copied] = '\0';
  }
  return found.size();
}

}  // namespace

extern "C" {

void bmpresize_options_init(bmpresize_options* options) {
  if (options != nullptr) *options = DefaultOptions();
}

bmpresize_code bmpresize_resize(const bmpresize_source* source, const bmpresize_destination* destination,
                                const bmpresize_options* options, bmpresize_result* result) {
  return Guarded(result, [&] {
    const bmpresize_options chosen = OptionsOrDefault(options);
    return WithSource(source, [&](SourceEnd& from) {
      return WithDestination(destination, [&](DestinationEnd& to) { return Resize(from, to, chosen); });
    });
  });
}

bmpresize_code bmpresize_file(const char* source, const char* destination, const bmpresize_options* options,
                              bmpresize_result* result) {
  bmpresize_source from{};
  from.path = source;
  bmpresize_destination to{};
  to.path = destination;
  // A null path stays one: a source or destination that cannot be opened.
  return bmpresize_resize(source != nullptr ? &from : nullptr, destination != nullptr ? &to : nullptr, options, result);
}

bmpresize_code bmpresize_memory_size(const void* source, std::size_t source_size, const bmpresize_options* options,
                                     std::size_t* destination_size, bmpresize_result* result) {
  return Guarded(result, [&] {
    MemorySourceEnd from(source, source_size);
    const bmpresize_result measured = Measure(from, OptionsOrDefault(options));
    if (destination_size != nullptr) *destination_size = static_cast<std::size_t>(measured.size);
    return measured;
  });
}

bmpresize_code bmpresize_memory(const void* source, std::size_t source_size, void* destination,
                                std::size_t destination_capacity, const bmpresize_options* options,
                                bmpresize_result* result) {
  bmpresize_source from{};
  from.data = source;
  from.size = source_size;
  bmpresize_destination to{};
  to.data = destination;
  to.capacity = destination_capacity;
  return bmpresize_resize(&from, &to, options, result);
}

bmpresize_code bmpresize_callbacks(bmpresize_read_fn read, void* read_user, bmpresize_write_fn write, void* write_user,
                                   const bmpresize_options* options, bmpresize_result* result) {
  bmpresize_source from{};
  from.read = read;
  from.user = read_user;
  bmpresize_destination to{};
  to.write = write;
  to.user = write_user;
  // A missing function stays one: a source that cannot be opened, no destination.
  return bmpresize_resize(read != nullptr ? &from : nullptr, write != nullptr ? &to : nullptr, options, result);
}

#ifdef _WIN32
bmpresize_code bmpresize_file_w(const wchar_t* source, const wchar_t* destination, const bmpresize_options* options,
                                bmpresize_result* result) {
  // Wide paths go to the file functions as they are.
  return Guarded(result, [&] {
    const bmpresize_options chosen = OptionsOrDefault(options);
    return WithPathSource(source, 0, [&](SourceEnd& from) {
      return WithPathDestination(destination, 0, [&](DestinationEnd& to) { return Resize(from, to, chosen); });
    });
  });
}
#endif

std::size_t bmpresize_describe(const bmpresize_result* result, const char* source_name, const char* destination_name,
                               char* text, std::size_t capacity) {
  if (result == nullptr) {
    if (text != nullptr && capacity > 0) text[0] = '\0';
    return 0;
  }
  return Describe(*result, source_name, destination_name, text, capacity);
}

bmpresize_code bmpresize_inspect(const bmpresize_source* source, const bmpresize_options* options, bmpresize_info* info,
                                 bmpresize_result* result) {
  bmpresize_info found{};
  const bmpresize_code code = Guarded(result, [&] {
    const bmpresize_options chosen = OptionsOrDefault(options);
    return WithSource(source, [&](SourceEnd& from) { return Inspect(from, chosen, found); });
  });
  if (info != nullptr) *info = found;
  return code;
}

void bmpresize_remove_temporary_files(void) { RemoveFilesInFlight(); }

std::int32_t bmpresize_ppm_from_dpi(std::int32_t dpi) { return PixelsPerMetreFromDpi(dpi); }

const char* bmpresize_compression_name(std::uint32_t compression, std::int32_t header_size) {
  return CompressionName(compression, static_cast<std::uint32_t>(header_size));
}

std::size_t bmpresize_place_key(const char* path, char* key, std::size_t capacity, int* error) {
  return AnswerKey(
      [&](std::string& found) {
        const NativePath native(path);
        if (native.get() != nullptr) return PlaceKeyOf(native.get(), found);
        return SysResult{path != nullptr ? native.Error() : EINVAL};
      },
      key, capacity, error);
}

std::size_t bmpresize_descriptor_key(int fd, char* key, std::size_t capacity, int* error) {
  return AnswerKey([&](std::string& found) { return DescriptorKeyOf(fd, found); }, key, capacity, error);
}

}  // extern "C"

// SPDX-License-Identifier: MIT
// What a resize is asked to do, in the library's own terms: the public
// options checked once, where a call comes in (src/api), and read from here
// on by the plan and everything below it. Each field's default is what a
// caller who asks for nothing gets.
#pragma once

#include <csignal>
#include <cstdint>

#include "bmpresize.h"
#include "image/resolution.h"
#include "pipeline/resized_size.h"
#include "pipeline/source_region.h"

namespace bmpresize {

// The rules a run keeps from start to end, a resize's or an inspection's:
// when it stops early, and the memory it may take.
struct RunRules {
  const volatile sig_atomic_t* cancel = nullptr;               // the caller's flag, polled (Cancelled); none when null
  bool strict = false;                                         // a source cut short fails
  std::uint64_t memoryLimit = BMPRESIZE_DEFAULT_MEMORY_LIMIT;  // bytes, over every thread
};

struct ResizeRequest {
  SizeAsked size;                       // a percent, or a width, height or box in its place
  RegionAsked region;                   // the part of the source resized; all of it by default
  int filter = BMPRESIZE_FILTER_POINT;  // BMPRESIZE_FILTER_...
  std::int32_t depth = 0;               // bits per pixel written; 0: 24, 32 from a 32-bit source, 8 for greys
  bool grey = false;                    // 1, 4 and 8 bits write greys, not the standard colours
  bool linear = false;                  // colour filtered as light; never with the point sampler
  Resolution resolution;                // written; 0 writes 3780
  bool keepResolution = false;          // the source's resolution in place of resolution
  unsigned threads = 0;                 // the most bands; 0: one per core
  bool sync = false;                    // a new file reaches stable storage before it replaces the old one
  RunRules run;
};

}  // namespace bmpresize

// SPDX-License-Identifier: MIT
// What the fuzz targets share: the harness's own size cap,
// and a check that stops the run loudly. The targets read their input from
// memory and write into memory: no file is made.
//
// The targets run under libFuzzer (fuzz_reader, fuzz_resize) and, without it,
// under a plain main that replays files (replay_reader, replay_resize), which
// the ordinary test run uses for fuzz/regressions/ and the BMP test suite.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/vector_sink.h"

// Whether the bytes' header claims more than maxPixels pixels over more than
// kWideRowsFuzzed rows (top-down and OS/2 1.x headers included) yet no more
// than the reader takes. Such inputs are valid but only cost time (a 100-byte
// file may claim 2^31 - 1 white pixels), so the targets skip them. Rows as wide
// as the reader takes (2^24 pixels) in one or two rows do run, so the memory
// that a wide row makes the resize take is fuzzed, under the fuzzer's memory
// cap; claims beyond the reader's limit run too and must be refused quickly.
inline constexpr std::int64_t kWideRowsFuzzed = 2;
bool ClaimsCostlySize(const std::uint8_t* data, std::size_t size, std::int64_t maxPixels);

// The pixels the bytes' header claims (0 when it claims no picture).
std::int64_t ClaimedPixels(const std::uint8_t* data, std::size_t size);

// Prints what broke and aborts, which libFuzzer reports as a crash.
[[noreturn]] void FuzzFailure(const char* file, int line, const char* what);
#define FUZZ_CHECK(condition)                                      \
  do {                                                             \
    if (!(condition)) FuzzFailure(__FILE__, __LINE__, #condition); \
  } while (0)

// SPDX-License-Identifier: MIT
// The stream of a resize split into bands of destination rows, each band on
// a thread of its own (the first on the calling thread). Each band reads its
// source rows through a way into the source of its own, at their offsets,
// and writes its rows at their offsets in the destination, so the bytes are
// those of one thread whatever the number of bands.
//
// Bands need a source whose rows lie whole at known offsets (uncompressed,
// bottom-up or top-down, not 16 bits, whose last pixel counts across rows)
// that can be read a second way (a file, memory), and a destination that
// takes bytes at offsets (a new file, memory). Anything else streams on one
// thread.
//
// A band that stops stops every band: a cancel, a read that failed, a
// strict source cut short, or a write that failed fails the whole.
#pragma once

#include <cstdint>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/offset_sink.h"
#include "bmpresize.h"
#include "pipeline/source_end.h"
#include "pipeline/stream_outcome.h"
#include "resample/row_resampler.h"

// The most bands a picture is split into.
inline constexpr unsigned kMostBands = 64;

// Where the destination's rows lie.
struct BandedRows {
  std::int64_t dataOffset = 0;  // of the bottom row
  std::size_t stride = 0;       // bytes from one row to the next
  std::size_t rowBytes = 0;     // bytes of a row's pixels, before its padding
};

// The bands the resize of reader's picture into height rows may run in, for
// the threads the options allow (0: one per core); 0 where its rows must be
// read in order. One band still writes its rows a block at a time, at their
// offsets, blended straight into its block.
unsigned BandsFor(const bmpresize_options& options, const BmpReader& reader, std::int32_t height);

// The most bytes the buffer of rows of one band takes, of a picture height
// rows high whose rows take stride bytes.
std::uint64_t BandBufferBytes(std::int32_t height, std::size_t stride);

// Streams the resize in up to bands bands, the first with resampler, and with
// reader when it runs alone (both stand fresh), every band reading the column
// taps of resampler, columns; fewer where a second way into the source cannot
// be had. The caller has chosen bands within the memory limit. False, before any row is read, when memory for the first
// band is short: the stream is then the caller's to run.
[[nodiscard]] bool StreamInBands(unsigned bands, const SourceEnd& source, BmpReader& reader, RowResampler& resampler,
                                 const ColumnTaps& columns, const ResampleSize& size, OffsetSink& sink,
                                 const BandedRows& rows, const bmpresize_options& options, StreamOutcome& outcome);

// SPDX-License-Identifier: MIT
// A resize that keeps a picture's size, where the destination's pixel array
// would be the source's byte for byte: bottom-up rows of 24 bits without
// padding, or of 32 bits without bit fields. The destination gets its own
// headers, then the source's rows as they are, copied file to file inside the
// kernel where it can, else read and written a block of rows at a time.
//
// A source cut short gives what the stream gives: the rows it holds whole,
// white rows above them, and the same shortfall.
#pragma once

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpresize.h"
#include "pipeline/destination_end.h"
#include "pipeline/source_end.h"
#include "pipeline/stream_outcome.h"

// Whether the resize of reader's picture into destination copies its pixels.
bool CopiesPixels(const BmpReader& reader, const BmpLayout& destination);

// The bytes of the block the rows of a picture of layout are moved in.
std::uint64_t CopyBlockBytes(const BmpLayout& layout);

// Copies the pixels after the headers the writer wrote. False, before any row
// is read, when memory for it is short: the stream is then the caller's to run.
[[nodiscard]] bool CopyPixels(SourceEnd& source, const BmpReader& reader, DestinationEnd& destination,
                              const BmpLayout& layout, const bmpresize_options& options, StreamOutcome& outcome);

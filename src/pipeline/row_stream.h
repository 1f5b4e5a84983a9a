// SPDX-License-Identifier: MIT
// The stream of a resize: source rows from the reader through the resampler
// into the writer, from the bottom of the picture up. Between rows it stops
// when the caller cancels, when a read of the source failed, or, when strict,
// once the source shows itself cut short.
#pragma once

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpresize.h"
#include "resample/row_resampler.h"

// Whether the caller's cancel flag is set.
bool Cancelled(const bmpresize_options& options);

// False when it stopped before the last row, or a write failed.
[[nodiscard]] bool StreamRows(BmpReader& reader, RowResampler& resampler, BmpWriter& writer,
                              const bmpresize_options& options);

// SPDX-License-Identifier: MIT
// One band of a resize: destination rows first to end - 1 from a row source
// (RowsIn) into the rows out, written bottom-up, so at rising rows. Resampled
// rows gather in a buffer of whole rows (one row where the rows go out in
// order); stored rows go out as they come.
//
// Whether a band goes on is decided here alone, before every row or block of
// rows (and every source row a resampler reads that finishes none): it stops when any band stopped, the caller
// cancelled, a read of its source failed, or, when strict, its source showed itself cut short.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "pipeline/resize_request.h"
#include "pipeline/rows_in.h"
#include "pipeline/rows_out.h"
#include "resample/row_resampler.h"

namespace bmpresize {

// The most bytes the buffer of rows of one band at offsets takes, of a
// picture height rows high whose rows take stride bytes.
std::uint64_t BandBufferBytes(std::int32_t height, std::size_t stride);

// What the bands of one resize share.
struct BandsShared {
  RowsOut& out;
  const RunRules& run;
  std::atomic<bool> stop{false};  // a band stopped: every band stops
};

class Band final : public RowSink {
 public:
  Band(BandsShared& shared, RowsIn& rows, std::int32_t first, std::int32_t end);

  // The band's buffer; NO_MEMORY when it could not be had.
  Status Prepare();
  // Runs the band to its end, or until it stops.
  void Run();
  bool Done() const { return done_; }
  const Status& WriteFailure() const { return written_; }
  const RowsIn& Rows() const { return rows_; }

  // Resampled rows, one at a time, as RowSink takes them.
  std::uint8_t* NextRow() override { return buffer_.get() + held_ * shared_.out.Array().stride; }
  bool WriteRow(const std::uint8_t* data) override;
  bool GoesOn() override { return !Stops(); }
  // Stored rows: count whole rows, or rows copied inside the system from
  // source (at offset from) where it can: the rows copied.
  bool PutRows(const std::uint8_t* rows, std::size_t count);
  std::int64_t CopyRows(ByteSource& source, std::int64_t from, std::int64_t count);

 private:
  bool Stops() const;
  bool Flush();
  bool Put(const std::uint8_t* rows, std::size_t count);

  BandsShared& shared_;
  RowsIn& rows_;
  std::int32_t first_;
  std::int32_t end_;
  std::int64_t fileRow_;  // where the next rows go, counted from the bottom
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t capacity_ = 0;  // rows
  std::size_t held_ = 0;
  Status written_;
  bool done_ = false;
};

}  // namespace bmpresize

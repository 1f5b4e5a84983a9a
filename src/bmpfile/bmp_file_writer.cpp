// SPDX-License-Identifier: MIT
#include "bmpfile/bmp_file_writer.h"

#include <algorithm>
#include <new>

#include "image/colour_tables.h"
#include "image/depth.h"

namespace bmpresize {

void BmpWriter::Put(const void* bytes, std::size_t n) {
  if (failure_) return;
  failure_ = sink_->Write(bytes, n).Why();
}

bool BmpWriter::Prepare(const BmpLayout& layout) {
  headers_ = HeadersFor(layout);
  // Everything that can be refused is decided before the first byte.
  if (!headers_.fits) {
    failure_ = Because(BMPRESIZE_CAUSE_FILE_TOO_LARGE, layout.width, layout.height);
    return false;
  }
  layout_ = layout;
  stride_ = static_cast<std::int32_t>(RowStride(layout.width, layout.depth));
  // Zeroed once: the padding after the row data comes from here.
  rowBuffer_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(stride_)]());
  if (!rowBuffer_) {
    failure_ = Because(BMPRESIZE_CAUSE_NO_MEMORY, stride_);
    return false;
  }
  if (IsPalettedDepth(layout.depth)) {
    const std::int32_t n = PaletteSizeForDepth(layout.depth);
    if (layout.palette) {
      std::copy(layout.palette->begin(), layout.palette->begin() + n, palette_.begin());
    } else {
      FillStandardTable(layout.depth, palette_);
    }
  }
  return true;
}

bool BmpWriter::Begin(ByteSink& sink, const BmpLayout& layout) {
  if (sink_ != nullptr || failure_) return false;
  if (!Prepare(layout)) return false;
  sink_ = &sink;
  WriteHeaders();
  return !failure_;
}

void BmpWriter::WriteHeaders() {
  if (failure_) return;
  failure_ = WriteFileHead(*sink_, headers_, palette_).Why();
}

bool BmpWriter::WriteEncodedRow(const std::uint8_t* data) {
  if (sink_ == nullptr || failure_) return false;
  const std::size_t dataSize = static_cast<std::size_t>(RowDataSize(layout_.width, layout_.depth));
  Put(data, dataSize);
  // The padding comes from the zeroed row buffer.
  Put(rowBuffer_.get(), static_cast<std::size_t>(stride_) - dataSize);
  return !failure_;
}

}  // namespace bmpresize

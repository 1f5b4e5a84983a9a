// SPDX-License-Identifier: MIT
// The rows of a whole in-memory picture handed over as a row source, from the
// bottom up: for a resize whose source had to be read whole first.
#pragma once

#include "image/bmp_image.h"
#include "resample/row_resampler.h"

class ImageRowSource : public bmpresize::RowSource {
 public:
  explicit ImageRowSource(const bmpresize::BmpImage& image) : image_(image), next_(image.Height() - 1) {}
  void ReadRow(bmpresize::PixelRow row) override {
    const bmpresize::ConstPixelRow from = image_.Row(next_--);
    for (std::int32_t x = 0; x < row.width; ++x) row[x] = from[x];
  }
  void SkipRows(std::int64_t n) override { next_ -= static_cast<std::int32_t>(n); }

 private:
  const bmpresize::BmpImage& image_;
  std::int32_t next_;
};

// SPDX-License-Identifier: MIT
// A RowSink that keeps every destination row a resampler makes, bottom row
// first, for tests that compare them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "resample/resampler.h"

class CollectingSink : public bmpresize::RowSink {
 public:
  explicit CollectingSink(std::size_t rowBytes) : rowBytes_(rowBytes) {}
  bool WriteRow(const std::uint8_t* data) override {
    rows.emplace_back(data, data + rowBytes_);
    return true;
  }
  std::vector<std::vector<std::uint8_t>> rows;  // bottom row first

 private:
  std::size_t rowBytes_;
};

// SPDX-License-Identifier: MIT
// The area filter and the convolution filters on 16-bit channels, for colour
// that is not filtered as its bytes are (ColourMode, light.h). Each source
// pixel becomes four 16-bit values, blue, green, red and alpha:
//
//   alpha      a x 257
//   a colour   v x 257; as light, L(v); weighted by alpha, v x a, or as
//              light round(L(v) x a / 255)
//
// filtered across into a ring of rows and then down, as FilterResampler does
// (the same band starts, so every thread count gives the same bytes), each
// sum rounded to nearest and clipped to 0-65535 (WideTaps::Rounded), in
// 64-bit integers. A destination pixel's alpha A and colour P then give the
// bytes: alpha round(A / 257); a colour weighted by alpha is
// round(P x 257 / A), or as light the byte of round(P x 65535 / A), and 0
// where A is 0; otherwise round(P / 257), or as light the byte of P.
#pragma once

#include <cstdint>
#include <memory>

#include "image/pixel_bgra.h"
#include "resample/light.h"
#include "resample/resampler.h"
#include "resample/wide_taps.h"

namespace bmpresize {

// Which loops make the values: the scalar ones, SSE2's where this build
// has them, or the widest this build and this CPU have (AVX2 across). All
// give the same values.
enum class WideLoops { kScalar, kSse2, kWidest };

// A source row as 16-bit values, four a pixel, and back to bytes.
void WidenRow(const PixelBGRA* source, std::int32_t width, ColourMode mode, WideLoops loops, std::uint16_t* out);
void NarrowRow(const std::uint16_t* wide, std::int32_t width, int channels, ColourMode mode, std::uint8_t* out);

// One row of 16-bit values (four a pixel) filtered across; the
// instruction-set loops where the taps allow them (WideTaps::Bytewise).
void FilterValuesAcross(const std::uint16_t* source, const WideTaps& taps, std::int32_t width, WideLoops loops,
                        std::uint16_t* out);

// A destination row y filtered down from the rows of its taps (rows[t] the
// values of tap t, values of them each), as FilterValuesAcross.
void FilterValuesDown(const std::uint16_t* const* rows, const WideTaps& taps, std::int32_t y, std::size_t values,
                      WideLoops loops, std::uint16_t* out);

class WideResampler final : public Resampler {
 public:
  // Reads the taps of both axes, which several resamplers share and which
  // outlive them; takes its rows, and Ready() says whether they were had.
  WideResampler(const ResampleSize& size, const WideTaps& across, const WideTaps& down, ColourMode mode);
  bool Ready() const override { return ready_; }

  // The bytes one resampler takes besides the taps; ringRows is the stride
  // of the taps down.
  static std::uint64_t BytesFor(const ResampleSize& size, std::int32_t ringRows);
  using Resampler::Run;
  bool Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) override;

 private:
  std::uint16_t* Slot(std::int64_t row) {
    return ring_.get() + static_cast<std::size_t>(row % ringRows_) * slotValues_;
  }
  bool FillTo(RowSource& source, std::int64_t from, std::int64_t to, RowSink& sink);
  void FilterAcross(RowSource& source, std::uint16_t* out);
  bool WriteRow(std::int32_t y, RowSink& sink);

  const WideTaps& across_;
  const WideTaps& down_;
  ColourMode mode_;
  std::size_t slotValues_ = 0;  // 16-bit values of one filtered row
  std::int32_t ringRows_ = 1;
  bool ready_ = false;
  std::unique_ptr<PixelBGRA[]> sourceRow_;
  std::unique_ptr<std::uint16_t[]> wideRow_;
  std::unique_ptr<std::uint16_t[]> ring_;
  std::unique_ptr<const std::uint16_t*[]> rows_;  // a destination row's taps in the ring
  std::unique_ptr<std::uint16_t[]> sums_;         // a destination row filtered down
  std::unique_ptr<std::uint8_t[]> output_;
  std::int64_t nextSource_ = 0;
  std::int64_t alike_ = 0;
};

}  // namespace bmpresize

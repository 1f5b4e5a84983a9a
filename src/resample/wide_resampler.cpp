// SPDX-License-Identifier: MIT
#include "resample/wide_resampler.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "resample/row_blend.h"
#include "resample/wide_rounder.h"

namespace bmpresize {

namespace {

template <typename T>
std::unique_ptr<T[]> Allocate(std::size_t n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[n]);
}

// A colour byte as its 16-bit value.
template <bool kLinear, bool kPremultiplied>
std::uint16_t WideColour(std::uint8_t v, std::uint8_t a) {
  if (!kLinear) return static_cast<std::uint16_t>(kPremultiplied ? v * a : v * 257);
  const std::uint32_t light = kLightOfByte[v];
  return static_cast<std::uint16_t>(kPremultiplied ? (light * a + 127) / 255 : light);
}

template <bool kLinear, bool kPremultiplied>
void WidenPixels(const PixelBGRA* source, std::int32_t width, std::uint16_t* out) {
  for (std::int32_t x = 0; x < width; ++x, out += 4) {
    const PixelBGRA p = source[x];
    out[0] = WideColour<kLinear, kPremultiplied>(p.blue, p.alpha);
    out[1] = WideColour<kLinear, kPremultiplied>(p.green, p.alpha);
    out[2] = WideColour<kLinear, kPremultiplied>(p.red, p.alpha);
    out[3] = static_cast<std::uint16_t>(p.alpha * 257);
  }
}

// A filtered colour P with the pixel's filtered alpha A as its byte; bytes:
// the byte of every light.
template <bool kLinear, bool kPremultiplied>
std::uint8_t NarrowColour(std::uint32_t p, std::uint32_t a, const std::uint8_t* bytes) {
  if (!kPremultiplied) return kLinear ? bytes[p] : static_cast<std::uint8_t>((2 * p + 257) / 514);
  if (a == 0) return 0;
  if (!kLinear) return static_cast<std::uint8_t>(std::min<std::uint32_t>((2 * p * 257 + a) / (2 * a), 255));
  // P at least A is all the light there is; below it the quotient is less
  // than 65536 but its dividend needs more than 32 bits.
  if (p >= a) return bytes[65535];
  return bytes[(2 * std::uint64_t{p} * 65535 + a) / (2 * std::uint64_t{a})];
}

template <bool kLinear, bool kPremultiplied>
void NarrowPixels(const std::uint16_t* wide, std::int32_t width, int channels, std::uint8_t* out) {
  const std::uint8_t* bytes = kLinear ? BytesOfLight() : nullptr;
  for (std::int32_t x = 0; x < width; ++x, wide += 4, out += channels) {
    const std::uint32_t a = wide[3];
    for (int c = 0; c < 3; ++c) out[c] = NarrowColour<kLinear, kPremultiplied>(wide[c], a, bytes);
    if (channels == 4) out[3] = static_cast<std::uint8_t>((2 * a + 257) / 514);
  }
}

// The rows filtered down from value from on: the sum of each row's value
// times its weight, rounded, in Sum, 32 or 64 bits, as the taps' largest sum
// needs.
template <typename Sum>
void DownValues(const std::uint16_t* const* rows, const std::int32_t* weights, std::int32_t count, const WideTaps& taps,
                std::size_t from, std::size_t values, std::uint16_t* out) {
  constexpr std::size_t kBlock = 256;
  Sum sums[kBlock];
  for (std::size_t at = from; at < values; at += kBlock) {
    const std::size_t n = std::min(kBlock, values - at);
    std::fill(sums, sums + n, 0);
    for (std::int32_t t = 0; t < count; ++t) {
      const std::uint16_t* row = rows[t] + at;
      const Sum w = weights[t];
      for (std::size_t k = 0; k < n; ++k) sums[k] += row[k] * w;
    }
    for (std::size_t k = 0; k < n; ++k) out[at + k] = taps.Rounded(sums[k]);
  }
}

// Sums in Sum, 32 or 64 bits, as the taps' largest sum needs.
template <typename Sum>
void AcrossValues(const std::uint16_t* source, const WideTaps& taps, std::int32_t width, std::uint16_t* out) {
  for (std::int32_t x = 0; x < width; ++x, out += 4) {
    const std::uint16_t* p = source + 4 * static_cast<std::size_t>(taps.First(x));
    const std::int32_t* w = taps.Weights(x);
    Sum b = 0, g = 0, r = 0, a = 0;
    for (std::int32_t i = 0, n = taps.Count(x); i < n; ++i, p += 4) {
      const Sum weight = w[i];
      b += p[0] * weight;
      g += p[1] * weight;
      r += p[2] * weight;
      a += p[3] * weight;
    }
    out[0] = taps.Rounded(b);
    out[1] = taps.Rounded(g);
    out[2] = taps.Rounded(r);
    out[3] = taps.Rounded(a);
  }
}

#if defined(__SSE2__)
// Rows t and t + 1's values at k, interleaved, low bytes and high bytes times
// their pair of weights, added to the sums of eight values.
inline void AddRowPair(const std::uint16_t* first, const std::uint16_t* second, __m128i weights, __m128i sums[4]) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second));
  const __m128i front = _mm_unpacklo_epi16(a, b), back = _mm_unpackhi_epi16(a, b);
  sums[0] = _mm_add_epi32(sums[0], _mm_madd_epi16(_mm_and_si128(front, lowBytes), weights));
  sums[1] = _mm_add_epi32(sums[1], _mm_madd_epi16(_mm_and_si128(back, lowBytes), weights));
  sums[2] = _mm_add_epi32(sums[2], _mm_madd_epi16(_mm_srli_epi16(front, 8), weights));
  sums[3] = _mm_add_epi32(sums[3], _mm_madd_epi16(_mm_srli_epi16(back, 8), weights));
}

// The pass down as AcrossBytewise does it, eight values at a time, two rows
// a step (an odd last row paired with itself at weight 0); the values past
// the last eight by DownValues.
void DownBytewise(const std::uint16_t* const* rows, const std::int32_t* weights, std::int32_t count,
                  const WideTaps& taps, std::size_t from, std::size_t values, std::uint16_t* out) {
  const std::size_t whole = values / 8 * 8;
  const FourRounder rounder(taps);
  for (std::size_t k = from; k < whole; k += 8) {
    __m128i sums[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
    for (std::int32_t t = 0; t < count; t += 2) {
      const bool two = t + 1 < count;
      const std::uint32_t pair = (static_cast<std::uint32_t>(weights[t]) & 0xFFFF) |
                                 (two ? static_cast<std::uint32_t>(weights[t + 1]) << 16 : 0);
      AddRowPair(rows[t] + k, (two ? rows[t + 1] : rows[t]) + k, _mm_set1_epi32(static_cast<std::int32_t>(pair)), sums);
    }
    rounder.Store(sums[0], sums[2], out + k);
    rounder.Store(sums[1], sums[3], out + k + 4);
  }
  DownValues<std::int64_t>(rows, weights, count, taps, whole, values, out);
}

// Colour weighted by alpha, not as light: four pixels a step, blue, green
// and red times alpha and alpha times 257 (products below 2^16), the pixels
// past the last four by WidenPixels.
void WidenWeighted(const PixelBGRA* source, std::int32_t width, std::uint16_t* out) {
  const __m128i colours = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
  const __m128i alphaScale = _mm_set_epi16(257, 0, 0, 0, 257, 0, 0, 0);
  std::int32_t x = 0;
  for (; x + 4 <= width; x += 4, out += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
    for (int half = 0; half < 2; ++half) {
      const __m128i values =
          half == 0 ? _mm_unpacklo_epi8(bytes, _mm_setzero_si128()) : _mm_unpackhi_epi8(bytes, _mm_setzero_si128());
      const __m128i alphas =
          _mm_shufflehi_epi16(_mm_shufflelo_epi16(values, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
      const __m128i scale = _mm_or_si128(_mm_and_si128(alphas, colours), alphaScale);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * half), _mm_mullo_epi16(values, scale));
    }
  }
  WidenPixels<false, true>(source + x, width - x, out);
}

// Colour as light, not weighted: alpha times 257 for four pixels a step,
// with each colour's light put in its lane.
void WidenLight(const PixelBGRA* source, std::int32_t width, std::uint16_t* out) {
  const __m128i scale = _mm_set1_epi16(257);
  std::int32_t x = 0;
  for (; x + 4 <= width; x += 4, out += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
    const PixelBGRA* p = source + x;
    __m128i front = _mm_mullo_epi16(_mm_unpacklo_epi8(bytes, _mm_setzero_si128()), scale);
    __m128i back = _mm_mullo_epi16(_mm_unpackhi_epi8(bytes, _mm_setzero_si128()), scale);
    front = _mm_insert_epi16(front, kLightOfByte[p[0].blue], 0);
    front = _mm_insert_epi16(front, kLightOfByte[p[0].green], 1);
    front = _mm_insert_epi16(front, kLightOfByte[p[0].red], 2);
    front = _mm_insert_epi16(front, kLightOfByte[p[1].blue], 4);
    front = _mm_insert_epi16(front, kLightOfByte[p[1].green], 5);
    front = _mm_insert_epi16(front, kLightOfByte[p[1].red], 6);
    back = _mm_insert_epi16(back, kLightOfByte[p[2].blue], 0);
    back = _mm_insert_epi16(back, kLightOfByte[p[2].green], 1);
    back = _mm_insert_epi16(back, kLightOfByte[p[2].red], 2);
    back = _mm_insert_epi16(back, kLightOfByte[p[3].blue], 4);
    back = _mm_insert_epi16(back, kLightOfByte[p[3].green], 5);
    back = _mm_insert_epi16(back, kLightOfByte[p[3].red], 6);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), front);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), back);
  }
  WidenPixels<true, false>(source + x, width - x, out);
}

// Four taps from p on, whose values (taps i and i + 1, then i + 2 and
// i + 3) interleave as i with i + 2 and i + 1 with i + 3, times those pairs
// of weights, added to the sums of low and high bytes.
inline void AddFourTaps(const std::uint16_t* p, const std::int32_t* w, __m128i& low, __m128i& high) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
  const __m128i even = _mm_unpacklo_epi16(a, b), odd = _mm_unpackhi_epi16(a, b);
  // w0 w1 w2 w3 as 16 bits (they fit), reordered w0 w2 w1 w3.
  const __m128i words = _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w)), _mm_setzero_si128());
  const __m128i pairs = _mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 1, 2, 0));
  const __m128i evenWeights = _mm_shuffle_epi32(pairs, _MM_SHUFFLE(0, 0, 0, 0));
  const __m128i oddWeights = _mm_shuffle_epi32(pairs, _MM_SHUFFLE(1, 1, 1, 1));
  low = _mm_add_epi32(low, _mm_madd_epi16(_mm_and_si128(even, lowBytes), evenWeights));
  low = _mm_add_epi32(low, _mm_madd_epi16(_mm_and_si128(odd, lowBytes), oddWeights));
  high = _mm_add_epi32(high, _mm_madd_epi16(_mm_srli_epi16(even, 8), evenWeights));
  high = _mm_add_epi32(high, _mm_madd_epi16(_mm_srli_epi16(odd, 8), oddWeights));
}

// Four taps at a time (AddFourTaps), then two: their values' low bytes and
// high bytes, a channel's two in each 32-bit lane, times the pair of weights
// (pmaddwd), summed apart.
void AcrossBytewise(const std::uint16_t* source, const WideTaps& taps, std::int32_t width, std::uint16_t* out) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const FourRounder rounder(taps);
  for (std::int32_t x = 0; x < width; ++x, out += 4) {
    const std::uint16_t* p = source + 4 * static_cast<std::size_t>(taps.First(x));
    const std::int32_t* w = taps.Weights(x);
    const std::int32_t n = taps.Count(x);
    __m128i low = _mm_setzero_si128(), high = _mm_setzero_si128();
    std::int32_t i = 0;
    for (; i + 4 <= n; i += 4, p += 16) AddFourTaps(p, w + i, low, high);
    for (; i < n; i += 2, p += 8) {
      const bool two = i + 1 < n;
      const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
      const __m128i second = two ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 4)) : first;
      const __m128i values = _mm_unpacklo_epi16(first, second);
      const std::uint32_t pair =
          (static_cast<std::uint32_t>(w[i]) & 0xFFFF) | (two ? static_cast<std::uint32_t>(w[i + 1]) << 16 : 0);
      const __m128i weights = _mm_set1_epi32(static_cast<std::int32_t>(pair));
      low = _mm_add_epi32(low, _mm_madd_epi16(_mm_and_si128(values, lowBytes), weights));
      high = _mm_add_epi32(high, _mm_madd_epi16(_mm_srli_epi16(values, 8), weights));
    }
    rounder.Store(low, high, out);
  }
}
#endif

}  // namespace

void FilterValuesAcross(const std::uint16_t* source, const WideTaps& taps, std::int32_t width, WideLoops loops,
                        std::uint16_t* out) {
#if defined(__SSE2__)
  // AVX2 takes eight taps a step: for fewer, SSE2's four are quicker.
  const bool eight = taps.Stride() >= 8;
  if (loops == WideLoops::kWidest && eight && taps.Bytewise() && FilterValuesAcrossAvx2(source, taps, width, out)) {
    return;
  }
  if (loops != WideLoops::kScalar && taps.Bytewise()) return AcrossBytewise(source, taps, width, out);
#else
  (void)loops;
#endif
  if (taps.Narrow()) return AcrossValues<std::int32_t>(source, taps, width, out);
  AcrossValues<std::int64_t>(source, taps, width, out);
}

void FilterValuesDown(const std::uint16_t* const* rows, const WideTaps& taps, std::int32_t y, std::size_t values,
                      WideLoops loops, std::uint16_t* out) {
  const std::int32_t* weights = taps.Weights(y);
  const std::int32_t count = taps.Count(y);
#if defined(__SSE2__)
  if (loops != WideLoops::kScalar && taps.Bytewise()) {
    const std::size_t done =
        loops == WideLoops::kWidest ? FilterValuesDownAvx2(rows, weights, count, taps, values, out) : 0;
    return DownBytewise(rows, weights, count, taps, done, values, out);
  }
#else
  (void)loops;
#endif
  if (taps.Narrow()) return DownValues<std::int32_t>(rows, weights, count, taps, 0, values, out);
  DownValues<std::int64_t>(rows, weights, count, taps, 0, values, out);
}

void WidenRow(const PixelBGRA* source, std::int32_t width, ColourMode mode, WideLoops loops, std::uint16_t* out) {
#if defined(__SSE2__)
  if (loops != WideLoops::kScalar && !mode.linear && mode.premultiplied) return WidenWeighted(source, width, out);
  if (loops != WideLoops::kScalar && mode.linear && !mode.premultiplied) return WidenLight(source, width, out);
#else
  (void)loops;
#endif
  if (mode.linear) {
    mode.premultiplied ? WidenPixels<true, true>(source, width, out) : WidenPixels<true, false>(source, width, out);
  } else {
    mode.premultiplied ? WidenPixels<false, true>(source, width, out) : WidenPixels<false, false>(source, width, out);
  }
}

void NarrowRow(const std::uint16_t* wide, std::int32_t width, int channels, ColourMode mode, std::uint8_t* out) {
  if (mode.linear) {
    mode.premultiplied ? NarrowPixels<true, true>(wide, width, channels, out)
                       : NarrowPixels<true, false>(wide, width, channels, out);
  } else {
    mode.premultiplied ? NarrowPixels<false, true>(wide, width, channels, out)
                       : NarrowPixels<false, false>(wide, width, channels, out);
  }
}

WideResampler::WideResampler(const ResampleSize& size, const WideTaps& across, const WideTaps& down, ColourMode mode)
    : Resampler(size), across_(across), down_(down), mode_(mode) {
  if (!across_.Ready() || !down_.Ready()) return;
  // The bytes in 64 bits: on a 32-bit system they may not fit a size_t.
  if (BytesFor(size, down_.Stride()) > SIZE_MAX / 2) return;
  slotValues_ = 4 * static_cast<std::size_t>(size.width);
  ringRows_ = down_.Stride();
  sourceRow_ = Allocate<PixelBGRA>(static_cast<std::size_t>(size.sourceWidth));
  wideRow_ = Allocate<std::uint16_t>(4 * static_cast<std::size_t>(size.sourceWidth));
  ring_ = Allocate<std::uint16_t>(slotValues_ * static_cast<std::size_t>(ringRows_));
  rows_ = Allocate<const std::uint16_t*>(static_cast<std::size_t>(ringRows_));
  sums_ = Allocate<std::uint16_t>(slotValues_);
  output_ = Allocate<std::uint8_t>(slotValues_ + kRowBlendSlack);
  ready_ = sourceRow_ && wideRow_ && ring_ && rows_ && sums_ && output_;
}

std::uint64_t WideResampler::BytesFor(const ResampleSize& size, std::int32_t ringRows) {
  const auto sourceWidth = static_cast<std::uint64_t>(size.sourceWidth);
  const std::uint64_t slot = 8 * static_cast<std::uint64_t>(size.width);
  const auto rows = static_cast<std::uint64_t>(ringRows);
  // The source row as bytes and as 16-bit values, the ring with a pointer a
  // row, the row filtered down and its bytes.
  return 12 * sourceWidth + (rows + 1) * slot + rows * sizeof(const std::uint16_t*) + slot / 2 + kRowBlendSlack;
}

// The next source row filtered across into out. Rows the source knows to be
// the one read last are copies of its filtered row.
void WideResampler::FilterAcross(RowSource& source, std::uint16_t* out) {
  if (alike_ > 0) {
    --alike_;
    source.SkipRows(1);
    const std::uint16_t* last = Slot(nextSource_ - 1);
    if (last != out) std::memcpy(out, last, slotValues_ * sizeof(std::uint16_t));
    return;
  }
  source.ReadRow(PixelRow{sourceRow_.get(), 1, size_.sourceWidth});
  alike_ = source.SameRowsAhead();
  WidenRow(sourceRow_.get(), size_.sourceWidth, mode_, WideLoops::kWidest, wideRow_.get());
  FilterValuesAcross(wideRow_.get(), across_, size_.width, WideLoops::kWidest, out);
}

bool WideResampler::FillTo(RowSource& source, std::int64_t from, std::int64_t to, RowSink& sink) {
  if (nextSource_ < from) {
    source.SkipRows(from - nextSource_);
    nextSource_ = from;
    alike_ = 0;
  }
  for (; nextSource_ < to; ++nextSource_) {
    if (!sink.GoesOn()) return false;
    FilterAcross(source, Slot(nextSource_));
  }
  return true;
}

// Destination row y, counted from the top, from its taps in the ring.
bool WideResampler::WriteRow(std::int32_t y, RowSink& sink) {
  const std::int64_t top = size_.sourceHeight - 1;
  const std::int32_t first = down_.First(y);
  const std::int32_t count = down_.Count(y);
  for (std::int32_t t = 0; t < count; ++t) rows_[t] = Slot(top - (first + t));
  FilterValuesDown(rows_.get(), down_, y, slotValues_, WideLoops::kWidest, sums_.get());
  std::uint8_t* out = sink.NextRow();
  if (out == nullptr) out = output_.get();
  NarrowRow(sums_.get(), size_.width, size_.channels, mode_, out);
  return sink.WriteRow(out);
}

bool WideResampler::Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) {
  if (!ready_) return false;
  const std::int64_t height = size_.sourceHeight;
  nextSource_ = 0;
  alike_ = 0;
  for (std::int32_t y = end - 1; y >= first; --y) {
    const std::int64_t low = down_.First(y);
    const std::int64_t count = down_.Count(y);
    if (!FillTo(source, height - low - count, height - low, sink)) return false;
    if (!WriteRow(y, sink)) return false;
  }
  return true;
}

}  // namespace bmpresize

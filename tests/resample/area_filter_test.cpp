// SPDX-License-Identifier: MIT
// The area filter: the streaming resize gives the plainly written formula's
// pixels (reference/area_resize_image.h) with every kernel, for every band,
// and its sums stay exact at the longest sides.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "image/bmp_image.h"
#include "reference/area_resize_image.h"
#include "reference/image_row_source.h"
#include "resample/area_kernels.h"
#include "resample/area_resampler.h"
#include "resample/area_weights.h"
#include "resample/row_blend.h"
#include "support/collecting_row_sink.h"

using namespace bmpresize;

namespace {

std::vector<const AreaKernels*> Kernels() {
  const AreaKernels* all[8];
  return {all, all + AvailableAreaKernels(all, 8)};
}

std::uint8_t EdgyByte(std::mt19937& rng) {
  const std::uint32_t r = rng();
  return r % 4 == 0 ? 0 : r % 4 == 1 ? 255 : static_cast<std::uint8_t>(r >> 8);
}

void FillRandomly(BmpImage& image, std::int32_t width, std::int32_t height, std::mt19937& rng) {
  ASSERT_EQ(image.SetSize(width, height), 1);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      image.PixelAt(x, y) = {EdgyByte(rng), EdgyByte(rng), EdgyByte(rng), EdgyByte(rng)};
}

// The picture's rows as a file of 3-byte pixels hands them over: packed
// (alpha dropped), each in a block exactly as long as its pixels, but for
// every third row, which comes spread as ReadRow gives it.
class PackedImageRows final : public RowSource {
 public:
  explicit PackedImageRows(const BmpImage& image) : rows_(image), image_(image), next_(image.Height() - 1) {}
  void ReadRow(PixelRow row) override {
    rows_.ReadRow(row);
    --next_;
  }
  void SkipRows(std::int64_t n) override {
    rows_.SkipRows(n);
    next_ -= static_cast<std::int32_t>(n);
  }
  const std::uint8_t* ReadPackedRow(PixelRow row) override {
    if (next_ % 3 == 0) return RowSource::ReadPackedRow(row);
    packed_.clear();
    for (std::int32_t x = 0; x < row.width; ++x) {
      const PixelBGRA p = image_.PixelAt(x, next_);
      packed_.insert(packed_.end(), {p.blue, p.green, p.red});
    }
    SkipRows(1);
    return packed_.data();
  }

 private:
  ImageRowSource rows_;
  const BmpImage& image_;
  std::int32_t next_;
  std::vector<std::uint8_t> packed_;
};

// The rows of destination rows first to end - 1, from the bottom up.
std::vector<std::vector<std::uint8_t>> Band(const BmpImage& source, const ResampleSize& size,
                                            const AreaColumns& columns, const AreaKernels& kernels, std::int32_t first,
                                            std::int32_t end, bool packed = false) {
  AreaResampler resampler(size, columns, kernels);
  EXPECT_TRUE(resampler.Ready());
  ImageRowSource rows(source);
  PackedImageRows packedRows(source);
  CollectingSink sink(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.channels));
  EXPECT_TRUE(resampler.Run(packed ? static_cast<RowSource&>(packedRows) : rows, sink, first, end));
  return sink.rows;
}

void ExpectReferencePixels(const BmpImage& source, const ResampleSize& size,
                           const std::vector<std::vector<std::uint8_t>>& rows) {
  BmpImage expected;
  ASSERT_EQ(expected.SetSize(size.width, size.height), 1);
  ASSERT_EQ(AreaResizeImage(source, expected), 1);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(size.height));
  for (std::int32_t y = 0; y < size.height; ++y) {
    const std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(size.height - 1 - y)];
    for (std::int32_t x = 0; x < size.width; ++x) {
      const PixelBGRA p = expected.PixelAt(x, y);
      const std::uint8_t want[4] = {p.blue, p.green, p.red, p.alpha};
      ASSERT_EQ(0, std::memcmp(&row[static_cast<std::size_t>(x) * size.channels], want, size.channels))
          << size.sourceWidth << "x" << size.sourceHeight << " to " << size.width << "x" << size.height << " at " << x
          << "," << y;
    }
  }
}

// Shrinking and enlarging each axis, by whole and by uneven factors, to and
// from one pixel; then random sizes. Every kernel, every band split.
TEST(AreaResampler, GivesTheFormulaOnEveryKernelAndBand) {
  struct Case {
    std::int32_t sourceWidth, sourceHeight, width, height;
  };
  std::vector<Case> cases = {
      {1, 1, 1, 1},   {1, 1, 7, 5},    {9, 1, 1, 1},    {1, 9, 1, 1},     {10, 10, 1, 1},   {40, 30, 4, 3},
      {37, 23, 5, 4}, {23, 37, 40, 3}, {3, 40, 23, 37}, {7, 5, 20, 13},   {2, 2, 8, 8},     {64, 3, 6, 7},
      {5, 64, 13, 2}, {100, 7, 10, 7}, {7, 100, 7, 10}, {31, 29, 30, 28}, {29, 31, 30, 32},
  };
  std::mt19937 rng(27);
  for (int round = 0; round < 40; ++round) {
    const auto side = [&rng](std::uint32_t most) { return 1 + static_cast<std::int32_t>(rng() % most); };
    cases.push_back({side(60), side(60), side(45), side(45)});
  }
  for (const Case& c : cases) {
    BmpImage source;
    FillRandomly(source, c.sourceWidth, c.sourceHeight, rng);
    for (const int channels : {3, 4}) {
      const ResampleSize size{c.sourceWidth, c.sourceHeight, c.width, c.height, channels};
      const AreaColumns columns(c.sourceWidth, c.width);
      ASSERT_TRUE(columns.Ready());
      for (const AreaKernels* kernels : Kernels()) {
        SCOPED_TRACE(std::string(kernels->name) + ", " + std::to_string(channels) + " channels");
        const auto whole = Band(source, size, columns, *kernels, 0, c.height);
        ExpectReferencePixels(source, size, whole);
        // Bands of every height give the rows of the whole.
        for (const std::int32_t bands : {2, 3, 7}) {
          std::vector<std::vector<std::uint8_t>> joined;
          for (std::int32_t b = bands - 1; b >= 0; --b) {
            const auto part = Band(source, size, columns, *kernels, c.height * b / bands, c.height * (b + 1) / bands);
            joined.insert(joined.end(), part.begin(), part.end());
          }
          ASSERT_EQ(joined, whole) << bands << " bands";
        }
        // Rows handed over as a file stores 3-byte pixels give the same
        // blue, green and red.
        if (channels == 3) {
          ASSERT_EQ(Band(source, size, columns, *kernels, 0, c.height, true), whole) << "packed rows";
        }
      }
    }
  }
}

// A version that averages rows of 3-byte pixels as a file stores them gives
// the scalar bytes of the same pixels spread to 4 bytes with alpha 0; the
// packed row is exactly as long as its pixels, so that a read past its end
// shows under the address sanitizer.
void ExpectPackedRowBytes(const AreaKernels& kernels, const std::vector<PixelBGRA>& source, const AreaColumns& columns,
                          std::int32_t width, int channels, const AreaDivider& divider) {
  if (kernels.averagePackedColumns == nullptr) return;
  std::vector<PixelBGRA> spread(source);
  std::vector<std::uint8_t> packed;
  for (PixelBGRA& p : spread) {
    p.alpha = 0;
    packed.insert(packed.end(), {p.blue, p.green, p.red});
  }
  const std::size_t bytes = static_cast<std::size_t>(width) * channels;
  std::vector<std::uint8_t> expected(bytes + kRowBlendSlack), actual(bytes + kRowBlendSlack);
  const auto middle = static_cast<std::uint32_t>(width);
  ScalarAreaKernels().averageColumns(spread.data(), columns.Data(), width, channels, middle, divider, expected.data());
  kernels.averagePackedColumns(packed.data(), columns.Data(), width, channels, middle, divider, actual.data());
  ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes))
      << kernels.name << " packed, " << source.size() << " to " << width << ", " << channels << " channels";
}

// Each instruction-set version gives the scalar bytes on random rows and
// weights, across the whole range the sums take.
TEST(AreaKernels, EveryKernelGivesTheScalarBytes) {
  std::mt19937 rng(2027);
  const AreaKernels& scalar = ScalarAreaKernels();
  for (const AreaKernels* kernels : Kernels()) {
    SCOPED_TRACE(kernels->name);
    for (int round = 0; round < 300; ++round) {
      const std::int32_t width = 1 + static_cast<std::int32_t>(rng() % (round % 3 == 0 ? 12 : 90));
      // Now and then a whole number of source pixels a column (up to past
      // the longest run summed in 16-bit lanes).
      const std::int32_t sourceWidth = round % 4 == 1
                                           ? width * static_cast<std::int32_t>(1 + rng() % 600)
                                           : 1 + static_cast<std::int32_t>(rng() % (round % 10 ? 700 : 5000));
      const int channels = rng() % 2 ? 3 : 4;
      std::vector<PixelBGRA> source(static_cast<std::size_t>(sourceWidth));
      for (auto& p : source) p = {EdgyByte(rng), EdgyByte(rng), EdgyByte(rng), EdgyByte(rng)};
      const AreaColumns columns(sourceWidth, width);
      const AreaDivider divider(sourceWidth);
      const std::size_t bytes = static_cast<std::size_t>(width) * channels;
      std::vector<std::uint8_t> expected(bytes + kRowBlendSlack), actual(bytes + kRowBlendSlack);
      scalar.averageColumns(source.data(), columns.Data(), width, channels, static_cast<std::uint32_t>(width), divider,
                            expected.data());
      kernels->averageColumns(source.data(), columns.Data(), width, channels, static_cast<std::uint32_t>(width),
                              divider, actual.data());
      ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes)) << sourceWidth << " to " << width;
      ExpectPackedRowBytes(*kernels, source, columns, width, channels, divider);

      // Rows summed with weights up to the side's, then averaged; every
      // other round on a side short enough for 32-bit sums, which the
      // narrow passes then sum too.
      const std::uint32_t longest = round % 2 ? 0x7FFFFFFF : AreaDivider::kLongestNarrow;
      const std::int32_t side = 1 + static_cast<std::int32_t>(rng() % longest);
      const AreaDivider down(side);
      ASSERT_EQ(down.Narrow(), side <= AreaDivider::kLongestNarrow);
      std::vector<std::uint64_t> sumsA(bytes), sumsB(bytes);
      std::vector<std::uint32_t> narrow(bytes);
      std::uint64_t left = static_cast<std::uint64_t>(side);
      while (left > 0) {
        const auto weight = static_cast<std::uint32_t>(1 + rng() % left);
        std::vector<std::uint8_t> row(bytes);
        for (auto& b : row) b = EdgyByte(rng);
        scalar.addRow(row.data(), weight, bytes, sumsA.data());
        kernels->addRow(row.data(), weight, bytes, sumsB.data());
        if (down.Narrow()) kernels->addRowNarrow(row.data(), weight, bytes, narrow.data());
        left -= weight;
      }
      ASSERT_EQ(sumsA, sumsB);
      if (down.Narrow()) {
        ASSERT_EQ(sumsA, std::vector<std::uint64_t>(narrow.begin(), narrow.end()));
      }
      scalar.finishRow(sumsA.data(), bytes, down, expected.data());
      kernels->finishRow(sumsB.data(), bytes, down, actual.data());
      ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes)) << "rows of side " << side;
      ASSERT_EQ(sumsB, std::vector<std::uint64_t>(bytes, 0));
      if (down.Narrow()) {
        kernels->finishRowNarrow(narrow.data(), bytes, down, actual.data());
        ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes)) << "narrow rows of side " << side;
        ASSERT_EQ(narrow, std::vector<std::uint32_t>(bytes, 0));
      }
    }
  }
}

// The widest rows the instruction-set versions sum in 32 bits, 2^22 pixels
// (AVX2) and 2^21 (the widest with a narrow divider), and one pixel wider,
// into three columns of some 700,000 to 1.4 million pixels each: their bytes
// are the scalar ones, all at 255 and at random.
TEST(AreaKernels, WidestFastRowGivesTheScalarBytes) {
  std::mt19937 rng(4);
  for (const std::int32_t sourceWidth : {1 << 21, (1 << 21) + 1, 1 << 22, (1 << 22) + 1})
    for (const bool random : {false, true}) {
      std::vector<PixelBGRA> source(static_cast<std::size_t>(sourceWidth), PixelBGRA{255, 255, 255, 255});
      const AreaColumns columns(sourceWidth, 3);
      const AreaDivider divider(sourceWidth);
      if (random) {
        for (auto& p : source) p = {EdgyByte(rng), EdgyByte(rng), EdgyByte(rng), EdgyByte(rng)};
      }
      std::vector<std::uint8_t> expected(12 + kRowBlendSlack), actual(12 + kRowBlendSlack);
      ScalarAreaKernels().averageColumns(source.data(), columns.Data(), 3, 4, 3, divider, expected.data());
      if (!random) {
        EXPECT_EQ(std::vector<std::uint8_t>(expected.begin(), expected.begin() + 12),
                  std::vector<std::uint8_t>(12, 255));
      }
      for (const AreaKernels* kernels : Kernels()) {
        kernels->averageColumns(source.data(), columns.Data(), 3, 4, 3, divider, actual.data());
        EXPECT_EQ(0, std::memcmp(expected.data(), actual.data(), 12)) << kernels->name << ", " << sourceWidth;
        if (sourceWidth <= kWidestPackedRow) ExpectPackedRowBytes(*kernels, source, columns, 3, 4, divider);
      }
    }
}

// The average of every sum an axis can give, by multiplication or division,
// is the plain quotient: at both ends of each range and where the quotient
// steps, for sides up to the longest.
TEST(AreaDivider, GivesThePlainQuotientForEverySide) {
  const std::int32_t kSides[] = {1,       2,       3,       10,      255,     65536,   1048575, 2097151,
                                 2097152, 2097153, 4000037, 5900000, 5950000, 6000000, 1 << 24, 0x7FFFFFFF};
  std::mt19937_64 rng(5);
  for (const std::int32_t side : kSides) {
    const AreaDivider divider(side);
    const std::uint64_t s = static_cast<std::uint64_t>(side);
    const auto plain = [s](std::uint64_t sum) { return (2 * sum + s) / (2 * s); };
    std::vector<std::uint64_t> sums = {0, 255 * s, 255 * s - 1, s / 2, s};
    for (std::uint64_t q = 1; q <= 255; ++q) {
      // Just below, at and above each step: 2 x sum + s = 2 x s x q.
      const std::uint64_t step = (2 * s * q - s) / 2;
      for (std::uint64_t d : {step - 1, step, step + 1}) sums.push_back(d);
    }
    for (int i = 0; i < 2000; ++i) sums.push_back(rng() % (255 * s + 1));
    for (const std::uint64_t sum : sums) {
      if (sum > 255 * s) continue;
      ASSERT_EQ(divider.Average(sum), plain(sum)) << "side " << side << ", sum " << sum;
      if (divider.Narrow()) {
        ASSERT_EQ(divider.NarrowAverage(static_cast<std::uint32_t>(sum)), plain(sum))
            << "side " << side << ", sum " << sum;
      }
    }
  }
  EXPECT_TRUE(AreaDivider(5000000).Multiplies());
  EXPECT_FALSE(AreaDivider(0x7FFFFFFF).Multiplies());
  EXPECT_TRUE(AreaDivider(AreaDivider::kLongestNarrow).Narrow());
  EXPECT_FALSE(AreaDivider(AreaDivider::kLongestNarrow + 1).Narrow());
}

// A row source of 2^31 - 1 rows that holds no rows: row r is (r x 37) mod 256
// in every byte, and passing rows costs nothing.
class TallSource : public RowSource {
 public:
  void ReadRow(PixelRow row) override {
    const auto v = static_cast<std::uint8_t>((next_-- * 37) % 256);
    for (std::int32_t x = 0; x < row.width; ++x) row[x] = {v, v, v, 255};
  }
  void SkipRows(std::int64_t n) override { next_ -= n; }
  static std::uint8_t Value(std::int64_t fromTop) { return static_cast<std::uint8_t>((fromTop * 37) % 256); }

 private:
  std::int64_t next_ = 0x7FFFFFFF - 1;  // counted from the top
};

// Rows from the bottom: the first real ones distinct, the rest white, which
// the source tells are alike when it gives hints, as a file's rows past the
// end of its data are. Counts the rows read.
class EndedSource : public RowSource {
 public:
  EndedSource(std::int64_t height, std::int64_t real, bool hints) : height_(height), real_(real), hints_(hints) {}
  void ReadRow(PixelRow row) override {
    const auto v = next_ < real_ ? static_cast<std::uint8_t>(next_ * 37 % 255) : std::uint8_t{255};
    ++next_;
    ++reads;
    for (std::int32_t x = 0; x < row.width; ++x) row[x] = {v, static_cast<std::uint8_t>(255 - v), v, 255};
  }
  void SkipRows(std::int64_t n) override { next_ += n; }
  std::int64_t SameRowsAhead() const override { return hints_ && next_ - 1 >= real_ ? height_ - next_ : 0; }
  std::int64_t reads = 0;

 private:
  std::int64_t height_, real_;
  bool hints_;
  std::int64_t next_ = 0;
};

// Rows known to be alike are taken as one: the bytes of reading them all,
// whole and in bands, shrunk or enlarged, with about one read a row out.
TEST(AreaResampler, RowsKnownAlikeGiveTheBytesOfReadingThemAll) {
  constexpr std::int32_t kTall = 1000, kReal = 300;
  for (const AreaKernels* kernels : Kernels()) {
    for (const std::int32_t height : {1, 2, 7, 333, 1000, 2500}) {
      const ResampleSize size{3, kTall, 2, height, 3};
      const AreaColumns columns(3, 2);
      for (const auto& band : {std::pair{0, height}, std::pair{height / 3, height}}) {
        SCOPED_TRACE(std::string(kernels->name) + ", " + std::to_string(height) + " rows from " +
                     std::to_string(band.first));
        AreaResampler plain(size, columns, *kernels), hinted(size, columns, *kernels);
        EndedSource every(kTall, kReal, false), alike(kTall, kReal, true);
        CollectingSink want(6), got(6);
        ASSERT_TRUE(plain.Run(every, want, band.first, band.second));
        ASSERT_TRUE(hinted.Run(alike, got, band.first, band.second));
        EXPECT_EQ(got.rows, want.rows);
        EXPECT_LE(alike.reads, kReal + (band.second - band.first) + 1);
      }
    }
  }
}

// The longest sides: a column of 2^31 - 1 rows into 2^24, where each
// destination row sums some 128 source rows weighed 2^24 each (255 x 2^31 in
// all), in the top and the bottom band; and a row of 2^31 - 1 pixels into
// 2^24 columns, at its first columns.
TEST(AreaResampler, SumsAtTheLongestSidesStayExact) {
  const std::int32_t tall = 0x7FFFFFFF;
  const std::int32_t height = 1 << 24;
  for (const AreaKernels* kernels : Kernels()) {
    SCOPED_TRACE(kernels->name);
    const ResampleSize size{1, tall, 1, height, 4};
    const AreaColumns columns(1, 1);
    for (const std::int32_t y : {0, height / 2, height - 1}) {
      AreaResampler resampler(size, columns, *kernels);
      ASSERT_TRUE(resampler.Ready());
      TallSource source;
      CollectingSink sink(4);
      ASSERT_TRUE(resampler.Run(source, sink, y, y + 1));
      ASSERT_EQ(sink.rows.size(), 1u);
      std::uint64_t sum = 0;
      for (std::int64_t j = std::int64_t{y} * tall / height; j <= (std::int64_t{y} + 1) * tall / height; ++j)
        sum += TallSource::Value(j) * AreaOverlap(tall, j, height, y);
      const auto want = static_cast<std::uint8_t>((2 * sum + tall) / (2 * std::uint64_t{tall}));
      EXPECT_EQ(sink.rows[0][0], want) << "row " << y;
      EXPECT_EQ(sink.rows[0][3], 255) << "row " << y;
    }

    // The first columns of the widest row: their spans, over the pixels they cover.
    std::mt19937 rng(11);
    std::vector<PixelBGRA> source(600);
    for (auto& p : source) p = {EdgyByte(rng), EdgyByte(rng), 255, 0};
    std::vector<AreaSpan> spans;
    for (std::int32_t x = 0; x < 4; ++x) spans.push_back(AreaSpanFor(tall, x, height));
    ASSERT_LT(spans.back().first + spans.back().count, 600);
    std::vector<std::uint8_t> out(16 + kRowBlendSlack);
    kernels->averageColumns(source.data(), spans.data(), 4, 4, static_cast<std::uint32_t>(height), AreaDivider(tall),
                            out.data());
    for (std::int32_t x = 0; x < 4; ++x) {
      std::uint64_t sum = 0;
      for (std::int64_t i = 0; i < 600; ++i) sum += source[i].blue * AreaOverlap(tall, i, height, x);
      EXPECT_EQ(out[x * 4], (2 * sum + tall) / (2 * std::uint64_t{tall})) << "column " << x;
      EXPECT_EQ(out[x * 4 + 2], 255) << "column " << x;
      EXPECT_EQ(out[x * 4 + 3], 0) << "column " << x;
    }
  }
}

}  // namespace

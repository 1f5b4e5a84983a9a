// SPDX-License-Identifier: MIT
#include "reference/filter_resize_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bmpresize.h"

using namespace bmpresize;

namespace {

constexpr double kPi = 3.14159265358979323846;

double Sinc(double x) { return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x); }

double Kernel(int filter, double x) {
  x = std::fabs(x);
  const double b = 1.0 / 3.0, c = 1.0 / 3.0;
  switch (filter) {
    case BMPRESIZE_FILTER_LINEAR:
      return x < 1 ? 1 - x : 0;
    case BMPRESIZE_FILTER_CUBIC:
      return x < 1 ? 1.5 * x * x * x - 2.5 * x * x + 1 : x < 2 ? -0.5 * x * x * x + 2.5 * x * x - 4 * x + 2 : 0;
    case BMPRESIZE_FILTER_MITCHELL:
      return x < 1 ? ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) / 6
             : x < 2
                 ? ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6
                 : 0;
    case BMPRESIZE_FILTER_LANCZOS2:
      return x < 2 ? Sinc(x) * Sinc(x / 2) : 0;
    default:
      return x < 3 ? Sinc(x) * Sinc(x / 3) : 0;
  }
}

double Radius(int filter) {
  return filter == BMPRESIZE_FILTER_LINEAR ? 1 : filter == BMPRESIZE_FILTER_LANCZOS3 ? 3 : 2;
}

using Taps = ReferenceTaps;

// The taps of every destination pixel along one axis.
std::vector<Taps> AxisTaps(std::int64_t n, std::int64_t m, int filter) {
  const double s = static_cast<double>(n) / static_cast<double>(m);
  const double f = std::max(1.0, s);
  const double support = Radius(filter) * f;
  std::vector<Taps> all(static_cast<std::size_t>(m));
  for (std::int64_t x = 0; x < m; ++x) {
    const double centre = (static_cast<double>(x) + 0.5) * s;
    const auto low = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(centre - support + 0.5)));
    const auto high = std::min<std::int64_t>(n, static_cast<std::int64_t>(std::floor(centre + support + 0.5)));
    Taps& taps = all[static_cast<std::size_t>(x)];
    taps.first = low;
    double sum = 0;
    for (std::int64_t i = low; i < high; ++i) {
      taps.weights.push_back(Kernel(filter, (static_cast<double>(i) - centre + 0.5) / f));
      sum += taps.weights.back();
    }
    for (double& w : taps.weights) w = sum != 0 ? w / sum : w;
  }
  return all;
}

std::vector<Taps> AreaTaps(std::int64_t n, std::int64_t m) {
  std::vector<Taps> all(static_cast<std::size_t>(m));
  for (std::int64_t x = 0; x < m; ++x) {
    Taps& taps = all[static_cast<std::size_t>(x)];
    const std::int64_t start = x * n, end = (x + 1) * n;
    taps.first = start / m;
    for (std::int64_t i = taps.first; i * m < end; ++i)
      taps.weights.push_back(static_cast<double>(std::min(end, (i + 1) * m) - std::max(start, i * m)) /
                             static_cast<double>(n));
  }
  return all;
}

std::uint8_t Rounded(double v) {
  return static_cast<std::uint8_t>(std::min(255.0, std::max(0.0, std::floor(v + 0.5))));
}

using Channel = std::uint8_t PixelBGRA::*;
constexpr Channel kChannels[] = {&PixelBGRA::blue, &PixelBGRA::green, &PixelBGRA::red, &PixelBGRA::alpha};

// One pass along rows (across) or columns (down) of from, into to.
void Pass(const BmpImage& from, BmpImage& to, bool across, int filter) {
  const std::int32_t n = across ? from.Width() : from.Height();
  const std::int32_t m = across ? to.Width() : to.Height();
  const std::vector<Taps> taps = AxisTaps(n, m, filter);
  for (std::int32_t y = 0; y < to.Height(); ++y) {
    for (std::int32_t x = 0; x < to.Width(); ++x) {
      const Taps& t = taps[static_cast<std::size_t>(across ? x : y)];
      PixelBGRA p{};
      for (Channel c : kChannels) {
        double sum = 0;
        for (std::size_t k = 0; k < t.weights.size(); ++k) {
          const auto i = static_cast<std::int32_t>(t.first + static_cast<std::int64_t>(k));
          sum += from.PixelAt(across ? i : x, across ? y : i).*c * t.weights[k];
        }
        p.*c = n == m ? from.PixelAt(x, y).*c : Rounded(sum);
      }
      to.PixelAt(x, y) = p;
    }
  }
}

}  // namespace

std::vector<ReferenceTaps> ReferenceAxisTaps(std::int64_t n, std::int64_t m, int filter) {
  return filter == BMPRESIZE_FILTER_AREA ? AreaTaps(n, m) : AxisTaps(n, m, filter);
}

bool FilterResizeImage(const BmpImage& source, BmpImage& destination, int filter) {
  BmpImage across;
  if (!across.SetSize(destination.Width(), source.Height())) return false;
  Pass(source, across, true, filter);
  Pass(across, destination, false, filter);
  return true;
}

// SPDX-License-Identifier: MIT
#include "reference/colour_resize_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "reference/filter_resize_image.h"

using namespace bmpresize;

namespace {

// One picture of four doubles a pixel: blue, green, red, alpha.
struct Plane {
  std::int32_t width = 0, height = 0;
  std::vector<double> values;
  double* At(std::int32_t x, std::int32_t y) {
    return &values[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
  }
};

// One pass along rows (across) or columns (down), each value clipped to
// 0-top (alpha to 0-255).
Plane Pass(Plane& from, std::int32_t width, std::int32_t height, bool across, int filter, double top) {
  Plane to{width, height, std::vector<double>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)};
  const std::int32_t n = across ? from.width : from.height;
  const std::vector<ReferenceTaps> taps = ReferenceAxisTaps(n, across ? width : height, filter);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const ReferenceTaps& t = taps[static_cast<std::size_t>(across ? x : y)];
      for (int c = 0; c < 4; ++c) {
        double sum = 0;
        for (std::size_t k = 0; k < t.weights.size(); ++k) {
          const auto i = static_cast<std::int32_t>(t.first + static_cast<std::int64_t>(k));
          sum += from.At(across ? i : x, across ? y : i)[c] * t.weights[k];
        }
        // An axis that keeps its size is copied.
        if (n == (across ? width : height)) sum = from.At(x, y)[c];
        to.At(x, y)[c] = std::min(c == 3 ? 255.0 : top, std::max(0.0, sum));
      }
    }
  }
  return to;
}

int NearestByte(double light) {
  int best = 0;
  for (int v = 1; v < 256; ++v) {
    if (std::fabs(ReferenceLight(v) - light) < std::fabs(ReferenceLight(best) - light)) best = v;
  }
  return best;
}

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::min(255.0, std::max(0.0, std::floor(v + 0.5)))); }

}  // namespace

int ReferenceLight(int v) {
  const double u = v / 255.0;
  const double f = u <= 0.04045 ? u / 12.92 : std::pow((u + 0.055) / 1.055, 2.4);
  return static_cast<int>(std::floor(65535.0 * f + 0.5));
}

bool ColourResizeImage(const BmpImage& source, BmpImage& destination, int filter, bool premultiplied, bool linear) {
  Plane plane{source.Width(), source.Height(), {}};
  plane.values.resize(static_cast<std::size_t>(plane.width) * static_cast<std::size_t>(plane.height) * 4);
  // The 16-bit values' ceiling in the units here: v x a reaches 65025 and is
  // clipped at 65535 like the others.
  const double top = linear ? (premultiplied ? 65535.0 * 255.0 : 65535.0) : (premultiplied ? 65535.0 : 255.0);
  for (std::int32_t y = 0; y < plane.height; ++y) {
    for (std::int32_t x = 0; x < plane.width; ++x) {
      const PixelBGRA p = source.PixelAt(x, y);
      const int bytes[3] = {p.blue, p.green, p.red};
      double* out = plane.At(x, y);
      for (int c = 0; c < 3; ++c)
        out[c] = (linear ? ReferenceLight(bytes[c]) : bytes[c]) * (premultiplied ? p.alpha : 1.0);
      out[3] = p.alpha;
    }
  }
  Plane across = Pass(plane, destination.Width(), plane.height, true, filter, top);
  Plane done = Pass(across, destination.Width(), destination.Height(), false, filter, top);
  for (std::int32_t y = 0; y < done.height; ++y) {
    for (std::int32_t x = 0; x < done.width; ++x) {
      const double* v = done.At(x, y);
      double colour[3];
      for (int c = 0; c < 3; ++c) {
        colour[c] = premultiplied ? (v[3] > 0 ? v[c] / v[3] : 0.0) : v[c];
        if (linear) colour[c] = NearestByte(std::min(colour[c], 65535.0));
      }
      destination.PixelAt(x, y) = {Byte(colour[0]), Byte(colour[1]), Byte(colour[2]), Byte(v[3])};
    }
  }
  return true;
}

// SPDX-License-Identifier: MIT
#include "resample/filter_kernel.h"

#include <cmath>

#include "bmpresize.h"

namespace bmpresize {

namespace {

constexpr double kPi = 3.14159265358979323846;

// sin(y) for |y| <= pi / 2 by its Taylor series to y^21, in Horner's form:
// the first term left out is below 2^-60.
double SinSmall(double y) {
  static const double kInverseFactorials[] = {
      -1.0 / 6.0,
      1.0 / 120.0,
      -1.0 / 5040.0,
      1.0 / 362880.0,
      -1.0 / 39916800.0,
      1.0 / 6227020800.0,
      -1.0 / 1307674368000.0,
      1.0 / 355687428096000.0,
      -1.0 / 121645100408832000.0,
      1.0 / 51090942171709440000.0,
  };
  const double y2 = y * y;
  double sum = 0.0;
  for (int k = 9; k >= 0; --k) sum = (sum + kInverseFactorials[k]) * y2;
  return y + y * sum;
}

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  return SinPi(x) / (kPi * x);
}

double Linear(double x) {
  x = std::fabs(x);
  return x < 1.0 ? 1.0 - x : 0.0;
}

double Cubic(double x) {
  constexpr double a = -0.5;
  x = std::fabs(x);
  if (x < 1.0) return ((a + 2.0) * x - (a + 3.0)) * x * x + 1.0;
  if (x < 2.0) return (((x - 5.0) * x + 8.0) * x - 4.0) * a;
  return 0.0;
}

double Mitchell(double x) {
  constexpr double b = 1.0 / 3.0;
  constexpr double c = 1.0 / 3.0;
  x = std::fabs(x);
  if (x < 1.0)
    return ((12.0 - 9.0 * b - 6.0 * c) * x * x * x + (-18.0 + 12.0 * b + 6.0 * c) * x * x + (6.0 - 2.0 * b)) / 6.0;
  if (x < 2.0)
    return ((-b - 6.0 * c) * x * x * x + (6.0 * b + 30.0 * c) * x * x + (-12.0 * b - 48.0 * c) * x +
            (8.0 * b + 24.0 * c)) /
           6.0;
  return 0.0;
}

double Lanczos2(double x) { return std::fabs(x) < 2.0 ? Sinc(x) * Sinc(x / 2.0) : 0.0; }
double Lanczos3(double x) { return std::fabs(x) < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0; }

const FilterKernel kKernels[] = {{Linear, 1.0}, {Cubic, 2.0}, {Mitchell, 2.0}, {Lanczos2, 2.0}, {Lanczos3, 3.0}};

}  // namespace

const FilterKernel* FilterKernelFor(int filter) {
  if (filter < BMPRESIZE_FILTER_LINEAR || filter > BMPRESIZE_FILTER_LANCZOS3) return nullptr;
  return &kKernels[filter - BMPRESIZE_FILTER_LINEAR];
}

// Brought to t in [-1, 1] by whole periods of 2 (exact: t - 2k is a
// difference of nearby doubles), then to [-1/2, 1/2] by sin(pi t) =
// sin(pi (1 - t)), also exact.
double SinPi(double x) {
  double t = x - 2.0 * std::nearbyint(x / 2.0);
  if (t > 0.5) t = 1.0 - t;
  if (t < -0.5) t = -1.0 - t;
  return SinSmall(kPi * t);
}

}  // namespace bmpresize

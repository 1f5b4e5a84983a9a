// SPDX-License-Identifier: MIT
// The kernels of the convolution filters (bmpresize_options.filter linear,
// cubic, mitchell, lanczos2 and lanczos3): K(x) and the radius r past which
// it is 0.
//
//   linear     1 - |x| for |x| < 1; r = 1
//   cubic      Keys' cubic with a = -0.5 (Catmull-Rom); r = 2
//   mitchell   Mitchell and Netravali's cubic with B = C = 1/3; r = 2
//   lanczos2   sinc(x) sinc(x / 2) for |x| < 2; r = 2
//   lanczos3   sinc(x) sinc(x / 3) for |x| < 3; r = 3
//
// Every value is IEEE double arithmetic alone, each operation rounded on its
// own: sin(pi x) is the project's own (SinPi), never the C library's, whose
// last bit differs between libraries and CPUs. So the weights built from
// these are the same everywhere.
#pragma once

namespace bmpresize {

struct FilterKernel {
  double (*value)(double x);
  double radius;
};

// The kernel of a filter value, or null for the point sampler and the area
// filter.
const FilterKernel* FilterKernelFor(int filter);

// sin(pi x) for any finite x: exact at whole and half numbers, within a few
// units in the last place elsewhere.
double SinPi(double x);

}  // namespace bmpresize

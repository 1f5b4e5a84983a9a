// SPDX-License-Identifier: MIT
#include "pipeline/scaled_size.h"

namespace bmpresize {

bool ScaledSize(std::int32_t percent, std::int32_t length, std::int32_t& result) {
  const std::int64_t product = static_cast<std::int64_t>(percent) * length;
  const double scaled = static_cast<double>(product) * 0.01;
  // Truncation keeps anything strictly between -2^31 - 1 and 2^31.
  if (!(scaled > -2147483649.0 && scaled < 2147483648.0)) return false;
  result = static_cast<std::int32_t>(scaled);
  return true;
}

}  // namespace bmpresize

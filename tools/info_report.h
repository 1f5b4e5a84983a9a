// SPDX-License-Identifier: MIT
// bmpresize --info: what the library's reader finds in each source
// (bmpresize_inspect), told as a block of text or as one JSON object a line.
#pragma once

#include <string>
#include <vector>

#include "bmpresize.h"

struct InfoReport {
  std::string name;  // the source as given; '-' is standard input
  bmpresize_info info{};
  bmpresize_result result{};
  std::vector<std::string> warnings;  // what a resize would warn of, without the source's name
  std::string error;                  // why a resize would be refused; "" when it would not
};

// Inspects the file at name, or standard input for '-'.
InfoReport InspectSource(const std::string& name, const bmpresize_options& options);

// A readable block, one field a line, ending in a blank line.
std::string InfoText(const InfoReport& report);

// One JSON object on one line, with the keys path, width, height, depth,
// compression, header_size, top_down, colours, masks, data_offset, file_size,
// needed_size, x_ppm, y_ppm, warnings, error.
std::string InfoJson(const InfoReport& report);

// Pixels per metre as dots per inch, rounded to nearest.
long long DotsPerInch(std::int32_t pixelsPerMetre);

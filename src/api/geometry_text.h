// SPDX-License-Identifier: MIT
// An ImageMagick geometry read from text into the options' geometry fields
// (bmpresize_parse_geometry): "800x600", "800x", "x600" with ! or ^ and > or
// <, "50%", "50x25%", "250000@" with > or <.
#pragma once

#include <string>

#include "bmpresize.h"

namespace bmpresize {

// Fills options' geometry fields from text and answers true; answers false
// with why in words for the user, options as they were.
bool ReadGeometry(const std::string& text, bmpresize_options& options, std::string& problem);

}  // namespace bmpresize

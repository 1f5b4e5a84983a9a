// SPDX-License-Identifier: MIT
// The tool's options of the resized picture's size and resolution, in place
// of a percent or beside it:
//   --width W, --height H   a side, the other kept to the aspect (both: the exact size)
//   --size WxH              the exact size
//   --fit WxH               the largest size of the source's aspect within W x H
//   --cover WxH             exactly W x H, filled and cropped at the centre
//   --resize GEOMETRY       an ImageMagick geometry (800x600>, 50%, 250000@)
//   --no-enlarge            never larger than the source
//   --dpi N, --dpi X,Y      the resolution written, in dots per inch
//   --keep-resolution       the source's resolution
// Each value may follow in the same argument after '=' (--width=640).
#pragma once

#include <cstdint>
#include <string>

#include "bmpresize.h"

struct SizeOptions {
  std::int32_t width = 0;  // 0: not asked for
  std::int32_t height = 0;
  bool fit = false;
  bool cover = false;
  // --resize, as bmpresize_parse_geometry reads it; geometry 0: not given.
  std::int32_t geometry = 0;
  std::int32_t geometryWidth = 0;
  std::int32_t geometryHeight = 0;
  std::int64_t geometryArea = 0;
  bool noEnlarge = false;
  std::int32_t xPpm = 0;  // 0: the library's default
  std::int32_t yPpm = 0;
  bool keepResolution = false;

  // Whether a size is asked for in place of the percent.
  bool HasSize() const { return width > 0 || height > 0 || geometry != 0; }
};

// Which of the options that take a value were given, each allowed once.
struct SizeOptionsSeen {
  bool width = false;
  bool height = false;
  bool size = false;
  bool fit = false;
  bool cover = false;
  bool resize = false;
  bool dpi = false;

  // The flag of the option named name (one SizeOptionName gives).
  bool& Of(const std::string& name);
};

// The name of the option arg is, "--width" for "--width=640"; empty for an
// argument that is none of these options.
std::string SizeOptionName(const std::string& arg);

// A flag of these (--no-enlarge, --keep-resolution) into options; false for
// any other argument.
bool TakeSizeFlag(const std::string& arg, SizeOptions& options);

// The option named name with its value into options, seen marking it and
// those given before; false, with the problem in words for the user, for a
// value it cannot take or an option beside one it clashes with.
bool TakeSizeOption(const std::string& name, const std::string& value, SizeOptions& options,
                    const SizeOptionsSeen& seen, std::string& problem);

// Sets the record's size, flags and resolution from options.
void ApplySizeOptions(const SizeOptions& options, bmpresize_options& record);

// SPDX-License-Identifier: MIT
#include "size_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {

const char* const kValueOptions[] = {"--width", "--height", "--size", "--fit", "--cover", "--resize", "--dpi"};

// A whole number of 1 or more, digits only.
bool ParsePositive(const std::string& text, std::int32_t& number, long long most = INT32_MAX) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > most) return false;
  number = static_cast<std::int32_t>(value);
  return true;
}

// Two whole numbers of 1 or more with separator between them.
bool ParsePair(const std::string& text, char separator, std::int32_t& first, std::int32_t& second,
               long long most = INT32_MAX) {
  const std::size_t at = text.find(separator);
  return at != std::string::npos && ParsePositive(text.substr(0, at), first, most) &&
         ParsePositive(text.substr(at + 1), second, most);
}

// The most dots per inch whose pixels per metre hold in 32 bits.
constexpr long long kMostDpi = 54546084;

bool TakeDpi(const std::string& value, SizeOptions& options, std::string& problem) {
  std::int32_t x = 0, y = 0;
  const bool pair = value.find(',') != std::string::npos;
  if (pair ? ParsePair(value, ',', x, y, kMostDpi) : ParsePositive(value, x, kMostDpi)) {
    options.xPpm = bmpresize_ppm_from_dpi(x);
    options.yPpm = bmpresize_ppm_from_dpi(pair ? y : x);
    return true;
  }
  problem = "option --dpi needs dots per inch, N or X,Y, whole numbers from 1 to " + std::to_string(kMostDpi) +
            ", not \"" + value + "\"";
  return false;
}

bool TakeSide(const std::string& name, const std::string& value, std::int32_t& side, std::string& problem) {
  if (ParsePositive(value, side)) return true;
  problem = "option " + name + " needs pixels, a whole number from 1 to 2147483647, not \"" + value + "\"";
  return false;
}

bool TakeBox(const std::string& name, const std::string& value, SizeOptions& options, std::string& problem) {
  if (ParsePair(value, 'x', options.width, options.height)) {
    options.fit = name == "--fit";
    options.cover = name == "--cover";
    return true;
  }
  problem =
      "option " + name + " needs WIDTHxHEIGHT in pixels, each from 1 to 2147483647 (640x480), not \"" + value + "\"";
  return false;
}

// --resize and its GEOMETRY, read by the library's own reader.
bool TakeGeometry(const std::string& value, SizeOptions& options, std::string& problem) {
  bmpresize_options record;
  bmpresize_options_init(&record);
  char why[256];
  if (bmpresize_parse_geometry(value.c_str(), &record, why, sizeof why) != 0) {
    problem = std::string("option --resize: ") + why;
    return false;
  }
  options.geometry = record.geometry;
  options.geometryWidth = record.geometry_width;
  options.geometryHeight = record.geometry_height;
  options.geometryArea = record.geometry_area;
  return true;
}

// The option other than name, among those that give the whole size, that was
// given before; null for none.
const char* WholeSizeSeen(const std::string& name, const SizeOptionsSeen& seen) {
  const std::pair<bool, const char*> given[] = {
      {seen.size, "--size"}, {seen.fit, "--fit"}, {seen.cover, "--cover"}, {seen.resize, "--resize"}};
  for (const auto& [was, option] : given) {
    if (was && name != option) return option;
  }
  return nullptr;
}

// A size option beside another that asks for the size: --width and
// --height go together, any other two do not.
bool Clashes(const std::string& name, const SizeOptionsSeen& seen, std::string& problem) {
  const bool side = name == "--width" || name == "--height";
  const char* other = WholeSizeSeen(name, seen);
  if (other == nullptr && !side && (seen.width || seen.height)) other = seen.width ? "--width" : "--height";
  if (other == nullptr) return false;
  problem = "option " + name + " and " + other + " both give the size: give one";
  return true;
}

}  // namespace

std::string SizeOptionName(const std::string& arg) {
  for (const char* name : kValueOptions) {
    const std::string option = name;
    if (arg == option || arg.rfind(option + "=", 0) == 0) return option;
  }
  return {};
}

bool TakeSizeFlag(const std::string& arg, SizeOptions& options) {
  if (arg == "--no-enlarge") {
    options.noEnlarge = true;
  } else if (arg == "--keep-resolution") {
    options.keepResolution = true;
  } else {
    return false;
  }
  return true;
}

bool& SizeOptionsSeen::Of(const std::string& name) {
  return name == "--width"    ? width
         : name == "--height" ? height
         : name == "--size"   ? size
         : name == "--fit"    ? fit
         : name == "--cover"  ? cover
         : name == "--resize" ? resize
                              : dpi;
}

bool TakeSizeOption(const std::string& name, const std::string& value, SizeOptions& options,
                    const SizeOptionsSeen& seen, std::string& problem) {
  if (name != "--dpi" && Clashes(name, seen, problem)) return false;
  if (name == "--dpi") return TakeDpi(value, options, problem);
  if (name == "--width") return TakeSide(name, value, options.width, problem);
  if (name == "--height") return TakeSide(name, value, options.height, problem);
  if (name == "--resize") return TakeGeometry(value, options, problem);
  return TakeBox(name, value, options, problem);
}

void ApplySizeOptions(const SizeOptions& options, bmpresize_options& record) {
  record.width = options.width;
  record.height = options.height;
  if (options.fit) record.flags |= BMPRESIZE_FIT;
  if (options.cover) record.flags |= BMPRESIZE_COVER;
  if (options.noEnlarge) record.flags |= BMPRESIZE_NO_ENLARGE;
  record.geometry = options.geometry;
  record.geometry_width = options.geometryWidth;
  record.geometry_height = options.geometryHeight;
  record.geometry_area = options.geometryArea;
  if (options.keepResolution) record.flags |= BMPRESIZE_KEEP_RESOLUTION;
  record.x_ppm = options.xPpm;
  record.y_ppm = options.yPpm;
}

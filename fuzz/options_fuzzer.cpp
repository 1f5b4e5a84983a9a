// SPDX-License-Identifier: MIT
// Options target: the input's last 40 bytes, when there are that many, pick
// the options of a resize (size, flags, depth, filter, region, resolution,
// threads, percent; then a filled box, or a geometry as text for
// bmpresize_parse_geometry or as fields and bits) and the bytes before them
// are the source picture. Only invariants are checked, not pixels: the size
// query agrees with the resize; a picture written reads back at the size the
// result tells, the depth asked (or the default one) and the resolution
// asked; an option out of its range fails as an option, a region outside the
// picture as a region; one thread and three write the same bytes; a filled
// box is the size asked, and a geometry's marks hold (no side above the
// source's with >, none below with <, the exact size with !, at most the area
// with @); text that is no geometry leaves the options as they were and says
// why within the room given; and bmpresize_inspect judges the source as a
// resize at 100 % without options does.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "bmpfile/byte_source.h"
#include "bmpresize.h"
#include "fuzz_support.h"
#include "image/bmp_image.h"
#include "reference/read_bmp_file.h"

using namespace bmpresize;

namespace {

// Sources up to this size run; larger claims only cost time.
constexpr std::int64_t kMaxFuzzPixels = std::int64_t{1} << 16;
// Destinations up to this size are made; larger ones only measured.
constexpr std::int64_t kMaxMadePixels = std::int64_t{1} << 20;
// 16 for the options of old, then 24 for how the size is asked beyond width
// and height (PickSizeKind), 20 of them a geometry's text.
constexpr std::size_t kOptionBytes = 40;
constexpr std::size_t kGeometryTextBytes = 20;

// What the option bytes asked for, and whether an option is out of range.
struct Asked {
  bmpresize_options options;
  bool invalid = false;
  bool wholePicture = true;
};

std::int32_t SideFrom(std::uint8_t low, std::uint8_t high) {
  const std::int32_t raw = (low | high << 8) % 1203;
  if (raw == 1202) return -1;  // out of range
  return raw > 600 ? 0 : raw;  // half the time the percent decides
}

std::int16_t DepthFrom(std::uint8_t byte) {
  static constexpr std::int16_t kDepths[] = {0, 1, 4, 8, 16, 24, 32, 0};
  static constexpr std::int16_t kInvalid[] = {2, 3, 12, 48, -8};
  if (byte % 9 < 8) return kDepths[byte % 9];
  return kInvalid[(byte / 9) % 5];
}

void PickRegion(const std::uint8_t* b, Asked& asked) {
  bmpresize_options& o = asked.options;
  if (b[0] % 4 == 0) return;
  o.region_x = b[1] % 64;
  o.region_y = b[2] % 64;
  o.region_width = b[3] % 64;
  o.region_height = b[4] % 64;
  if (b[0] == 255) o.region_y = -1 - b[2];
  asked.wholePicture = o.region_width == 0 && o.region_height == 0;
}

void PickResolution(const std::uint8_t* b, bmpresize_options& o) {
  switch (b[0] % 8) {
    case 4:
    case 5:
    case 6:
      o.x_ppm = b[1] * 100;
      o.y_ppm = b[2] * 100;
      break;
    case 7:
      o.x_ppm = b[1] * 100;
      o.y_ppm = -1 - b[2];
      break;
    default:
      break;
  }
}

bool Has(std::int32_t bits, std::int32_t bit) { return (bits & bit) != 0; }

// Which geometry marks go together: a percent with its width (and height)
// alone; an area with at most one of > and <; one or two sides with at most
// one of ! and ^ and one of > and <.
bool GeometryBitsTaken(std::int32_t bits) {
  constexpr std::int32_t kSides = BMPRESIZE_GEOMETRY_WIDTH | BMPRESIZE_GEOMETRY_HEIGHT;
  constexpr std::int32_t kOnly = BMPRESIZE_GEOMETRY_ONLY_SHRINK | BMPRESIZE_GEOMETRY_ONLY_ENLARGE;
  if ((bits & ~255) != 0 || (bits & kOnly) == kOnly) return false;
  if (Has(bits, BMPRESIZE_GEOMETRY_EXACT) && Has(bits, BMPRESIZE_GEOMETRY_FILL)) return false;
  if (Has(bits, BMPRESIZE_GEOMETRY_PERCENT))
    return Has(bits, BMPRESIZE_GEOMETRY_WIDTH) && (bits & ~(kSides | BMPRESIZE_GEOMETRY_PERCENT)) == 0;
  if (Has(bits, BMPRESIZE_GEOMETRY_AREA)) return (bits & ~(kOnly | BMPRESIZE_GEOMETRY_AREA)) == 0;
  return (bits & kSides) != 0;
}

// A geometry's marks and numbers within their ranges.
bool GeometryOutOfRange(const bmpresize_options& o) {
  return !GeometryBitsTaken(o.geometry) || (Has(o.geometry, BMPRESIZE_GEOMETRY_WIDTH) && o.geometry_width < 1) ||
         (Has(o.geometry, BMPRESIZE_GEOMETRY_HEIGHT) && o.geometry_height < 1) ||
         (Has(o.geometry, BMPRESIZE_GEOMETRY_AREA) && o.geometry_area < 1);
}

// A geometry stands alone; a filled box has both sides and is no box to fit
// in.
bool SizeKindOutOfRange(const bmpresize_options& o) {
  const bool fit = Has(o.flags, BMPRESIZE_FIT);
  const bool cover = Has(o.flags, BMPRESIZE_COVER);
  if (o.geometry == 0) return cover && (fit || o.width == 0 || o.height == 0);
  return o.width != 0 || o.height != 0 || fit || cover || GeometryOutOfRange(o);
}

// Whether the library's checks of the options alone must refuse them.
bool OutOfRange(const bmpresize_options& o) {
  const bool depthTaken =
      o.depth == 0 || o.depth == 1 || o.depth == 4 || o.depth == 8 || o.depth == 16 || o.depth == 24 || o.depth == 32;
  const bool grey = (o.flags & BMPRESIZE_GREY) != 0;
  const bool fit = (o.flags & BMPRESIZE_FIT) != 0;
  const bool linear = (o.flags & BMPRESIZE_LINEAR) != 0;
  return !depthTaken || (grey && o.depth > 8) || (linear && o.filter == BMPRESIZE_FILTER_POINT) ||
         SizeKindOutOfRange(o) || (o.filter < BMPRESIZE_FILTER_POINT || o.filter > BMPRESIZE_FILTER_LANCZOS3) ||
         o.region_x < 0 || o.region_y < 0 || (o.region_width == 0) != (o.region_height == 0) || o.width < 0 ||
         o.height < 0 || (fit && (o.width == 0 || o.height == 0)) || o.x_ppm < 0 || o.y_ppm < 0;
}

// Text of geometry marks, digits and a few strangers, up to the first byte
// that ends it.
std::string GeometryText(const std::uint8_t* b) {
  static constexpr char kAlphabet[] = "0123456789x%@!><^9X -+.";
  constexpr std::size_t kLetters = sizeof kAlphabet - 1;
  std::string text;
  for (std::size_t i = 0; i < kGeometryTextBytes && b[i] % (kLetters + 1) != kLetters; ++i)
    text += kAlphabet[b[i] % (kLetters + 1)];
  return text;
}

// Parses the text into the options: a geometry that is taken, or a refusal
// that leaves them as they were and says why within capacity bytes.
void ParseGeometry(const std::string& text, std::size_t capacity, bmpresize_options& o) {
  std::vector<char> problem(capacity, '\x7f');
  const bmpresize_options before = o;
  if (bmpresize_parse_geometry(text.c_str(), &o, problem.data(), capacity) == 0) {
    FUZZ_CHECK(o.geometry != 0 && !GeometryOutOfRange(o));
    return;
  }
  FUZZ_CHECK(o.geometry == before.geometry && o.geometry_width == before.geometry_width);
  FUZZ_CHECK(o.geometry_height == before.geometry_height && o.geometry_area == before.geometry_area);
  if (capacity != 0) FUZZ_CHECK(std::memchr(problem.data(), 0, capacity) != nullptr);
}

// Geometry fields as given, with now and then a bit beyond the known ones.
void PickGeometryFields(const std::uint8_t* b, bmpresize_options& o) {
  o.geometry = b[0] | (b[1] == 255 ? 256 : 0);
  o.geometry_width = SideFrom(b[2], b[3]);
  o.geometry_height = SideFrom(b[4], b[5]);
  std::uint64_t area = 0;
  for (int i = 0; i < 8; ++i) area = area << 8 | b[6 + i];
  // Any value, the negative ones included, or one a picture can reach.
  o.geometry_area = b[14] % 4 == 0 ? static_cast<std::int64_t>(area) : static_cast<std::int64_t>(area % 1000000);
}

// How the size is asked beyond width and height: as they say, a box to
// fill (BMPRESIZE_COVER), a geometry's text or its fields. With a geometry
// the other size options are mostly cleared, now and then kept to be refused.
void PickSizeKind(const std::uint8_t* b, bmpresize_options& o) {
  const int kind = b[0] % 4;
  if (kind == 0) return;
  if (kind == 1) {
    o.flags |= BMPRESIZE_COVER;
    return;
  }
  if (b[0] % 32 >= 4) {
    o.width = o.height = 0;
    o.flags &= ~(BMPRESIZE_FIT | BMPRESIZE_COVER);
  }
  if (b[0] % 32 == 2) o.flags |= BMPRESIZE_COVER;
  if (kind == 2) {
    ParseGeometry(GeometryText(b + 4), b[1] % 48, o);
  } else {
    PickGeometryFields(b + 2, o);
  }
}

Asked AskedFrom(const std::uint8_t* b) {
  Asked asked;
  bmpresize_options& o = asked.options;
  bmpresize_options_init(&o);
  o.width = SideFrom(b[0], b[1]);
  o.height = SideFrom(b[2], b[3]);
  o.flags = b[4] & 15;
  o.threads = (b[4] >> 4) % 3 + 1;
  o.depth = DepthFrom(b[5]);
  // Every filter, and now and then a value beyond them at either end.
  const int filter = b[6] % 16;
  o.filter = static_cast<std::int16_t>(filter == 15 ? BMPRESIZE_FILTER_LANCZOS3 + 1 : filter == 14 ? -1 : filter % 7);
  // Light averaged, the point sampler included (which refuses it).
  if ((b[6] & 0x20) != 0) o.flags |= BMPRESIZE_LINEAR;
  o.percent = b[7] != 0 ? b[7] : 100;
  PickRegion(b + 8, asked);
  PickResolution(b + 13, o);
  PickSizeKind(b + 16, o);
  asked.invalid = OutOfRange(o);
  return asked;
}

// What the source's headers hold, as the reader takes them.
struct Source {
  bool readable = false;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int32_t depth = 0;
};

Source SourceOf(const std::uint8_t* data, std::size_t size) {
  Source s;
  if (size >= 2 && !(data[0] == 'B' && data[1] == 'M')) return s;
  MemorySource bytes(data, size);
  BmpReader reader;
  if (!reader.Open(bytes).Ok()) return s;
  s.readable = true;
  s.width = reader.Width();
  s.height = reader.Height();
  s.depth = reader.Depth();
  return s;
}

bool RegionInside(const bmpresize_options& o, const Source& s) {
  if (o.region_width == 0 && o.region_height == 0) return true;
  return std::int64_t{o.region_x} + o.region_width <= s.width && std::int64_t{o.region_y} + o.region_height <= s.height;
}

std::int32_t DepthWritten(const bmpresize_options& o, const Source& s) {
  if (o.depth != 0) return o.depth;
  if ((o.flags & BMPRESIZE_GREY) != 0) return 8;
  return s.depth == 32 ? 32 : 24;
}

// The resolution a picture is written with: asked, kept from the source's
// header (none in an OS/2 1.x header), or the default for 0.
Resolution ResolutionWritten(const bmpresize_options& o, const bmpresize_info& info) {
  std::int32_t x = o.x_ppm, y = o.y_ppm;
  if ((o.flags & BMPRESIZE_KEEP_RESOLUTION) != 0) {
    x = info.header_size == 12 ? 0 : info.x_ppm;
    y = info.header_size == 12 ? 0 : info.y_ppm;
  }
  return Resolution{x != 0 ? x : kDefaultPixelsPerMetre, y != 0 ? y : kDefaultPixelsPerMetre};
}

bool SameFailure(const bmpresize_result& a, const bmpresize_result& b) {
  return a.code == b.code && a.cause == b.cause;
}

void CheckPicture(const std::vector<std::uint8_t>& picture, const bmpresize_result& result, std::int32_t depth,
                  Resolution resolution) {
  MemorySource written(picture.data(), picture.size());
  BmpImage resized;
  FUZZ_CHECK(ReadBmpImage(resized, written));
  FUZZ_CHECK(resized.Width() == result.width && resized.Height() == result.height);
  FUZZ_CHECK(resized.Depth() == depth);
  FUZZ_CHECK(resized.GetResolution().xPixelsPerMetre == resolution.xPixelsPerMetre);
  FUZZ_CHECK(resized.GetResolution().yPixelsPerMetre == resolution.yPixelsPerMetre);
}

// The sides a size applies to: the region's, or the picture's.
struct BaseSides {
  std::int64_t width;
  std::int64_t height;
};

BaseSides BaseOf(const bmpresize_options& o, const Source& s) {
  if (o.region_width != 0) return {o.region_width, o.region_height};
  return {s.width, s.height < 0 ? -s.height : s.height};
}

// A filled box, and a geometry's exact size, is the size asked unless it
// would enlarge and that is not wanted (BMPRESIZE_NO_ENLARGE); a geometry's
// other marks hold on the size written.
void CheckSizeKept(const bmpresize_options& o, const Source& s, const bmpresize_result& result) {
  const BaseSides base = BaseOf(o, s);
  const std::int32_t g = o.geometry;
  if (Has(o.flags, BMPRESIZE_COVER) && !Has(o.flags, BMPRESIZE_NO_ENLARGE))
    FUZZ_CHECK(result.width == o.width && result.height == o.height);
  if (Has(g, BMPRESIZE_GEOMETRY_ONLY_SHRINK)) FUZZ_CHECK(result.width <= base.width && result.height <= base.height);
  if (Has(g, BMPRESIZE_GEOMETRY_ONLY_ENLARGE) && !Has(g, BMPRESIZE_GEOMETRY_AREA))
    FUZZ_CHECK(result.width >= base.width && result.height >= base.height);
  const std::int32_t both = BMPRESIZE_GEOMETRY_WIDTH | BMPRESIZE_GEOMETRY_HEIGHT | BMPRESIZE_GEOMETRY_EXACT;
  if ((g & ~both) == 0 && (g & both) == both && !Has(o.flags, BMPRESIZE_NO_ENLARGE))
    FUZZ_CHECK(result.width == o.geometry_width && result.height == o.geometry_height);
  if (Has(g, BMPRESIZE_GEOMETRY_AREA) && result.width > 1 && result.height > 1)
    FUZZ_CHECK(std::int64_t{result.width} * result.height <= o.geometry_area);
}

// Resizes with the options at the threads given; the picture's bytes are
// those of the buffer the size query asked for.
bmpresize_code ResizeWith(const std::uint8_t* data, std::size_t size, bmpresize_options options, std::int32_t threads,
                          std::vector<std::uint8_t>& picture, bmpresize_result& result) {
  options.threads = threads;
  return bmpresize_memory(data, size, picture.data(), picture.size(), &options, &result);
}

// The asked resize: the size query, the resize, the same at another thread
// count, and the picture read back.
void CheckResize(const std::uint8_t* data, std::size_t size, const Asked& asked, const Source& source,
                 const bmpresize_info& info) {
  const bmpresize_options& options = asked.options;
  std::size_t needed = 0;
  bmpresize_result measured;
  const bmpresize_code code = bmpresize_memory_size(data, size, &options, &needed, &measured);
  FUZZ_CHECK(measured.code == code);
  if (asked.invalid) FUZZ_CHECK(measured.cause == BMPRESIZE_CAUSE_OPTION);
  if (!asked.invalid && source.readable) {
    FUZZ_CHECK((measured.cause == BMPRESIZE_CAUSE_REGION) == !RegionInside(options, source));
  }
  if (code != BMPRESIZE_OK) {
    std::vector<std::uint8_t> small(64);
    bmpresize_result refused;
    FUZZ_CHECK(ResizeWith(data, size, options, options.threads, small, refused) == code);
    FUZZ_CHECK(SameFailure(refused, measured));
    return;
  }
  if (std::int64_t{measured.width} * measured.height > kMaxMadePixels) return;
  std::vector<std::uint8_t> picture(needed);
  bmpresize_result result;
  FUZZ_CHECK(ResizeWith(data, size, options, options.threads, picture, result) == code);
  FUZZ_CHECK(SameFailure(result, measured));
  FUZZ_CHECK(result.size == static_cast<std::int64_t>(needed));
  FUZZ_CHECK(result.width == measured.width && result.height == measured.height);
  std::vector<std::uint8_t> other(needed);
  bmpresize_result otherResult;
  ResizeWith(data, size, options, options.threads == 1 ? 3 : 1, other, otherResult);
  FUZZ_CHECK(SameFailure(otherResult, result));
  FUZZ_CHECK(other == picture);
  CheckPicture(picture, result, DepthWritten(options, source), ResolutionWritten(options, info));
  CheckSizeKept(options, source, result);
}

// The causes a resize may give for its destination alone, which an
// inspection of the source never judges.
bool DestinationLimit(std::int32_t cause) {
  return cause == BMPRESIZE_CAUSE_SIDE_TOO_LARGE || cause == BMPRESIZE_CAUSE_FILE_TOO_LARGE ||
         cause == BMPRESIZE_CAUSE_ROW_TOO_WIDE || cause == BMPRESIZE_CAUSE_MEMORY_LIMIT;
}

// Inspects the source and checks that a plain resize at 100 % judges it alike.
bmpresize_info CheckInspection(const std::uint8_t* data, std::size_t size) {
  bmpresize_source source{};
  source.data = data;
  source.size = size;
  bmpresize_info info;
  bmpresize_result inspected;
  const bmpresize_code code = bmpresize_inspect(&source, nullptr, &info, &inspected);
  FUZZ_CHECK(inspected.code == code);

  bmpresize_options plain;
  bmpresize_options_init(&plain);
  std::size_t needed = 0;
  bmpresize_result resized;
  if (bmpresize_memory_size(data, size, &plain, &needed, &resized) == BMPRESIZE_OK) {
    if (std::int64_t{resized.width} * resized.height > kMaxMadePixels) return info;
    std::vector<std::uint8_t> picture(needed);
    bmpresize_memory(data, size, picture.data(), picture.size(), &plain, &resized);
  }
  if (DestinationLimit(resized.cause)) return info;
  FUZZ_CHECK(SameFailure(inspected, resized));
  FUZZ_CHECK(inspected.notes == resized.notes);
  FUZZ_CHECK(inspected.shortfall.cut_short == resized.shortfall.cut_short);
  FUZZ_CHECK(inspected.shortfall.rows_read == resized.shortfall.rows_read);
  return info;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Asked asked;
  bmpresize_options_init(&asked.options);
  if (size >= kOptionBytes) {
    size -= kOptionBytes;
    asked = AskedFrom(data + size);
  }
  if (ClaimedPixels(data, size) > kMaxFuzzPixels) return -1;
  const Source source = SourceOf(data, size);
  const bmpresize_info info = CheckInspection(data, size);
  CheckResize(data, size, asked, source, info);
  return 0;
}

// SPDX-License-Identifier: MIT
#include "pipeline/resized_size.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "api/checked_options.h"

using namespace bmpresize;

namespace {

constexpr std::int32_t kMax = INT32_MAX;
constexpr std::int32_t kFit = BMPRESIZE_FIT;
constexpr std::int32_t kNoEnlarge = BMPRESIZE_NO_ENLARGE;

TEST(ResizedSize, FollowsThePercentTheSizeOrTheBox) {
  struct Case {
    const char* what;
    std::int32_t sourceWidth, sourceHeight;
    std::int32_t percent, width, height, flags;
    bmpresize_cause cause;
    std::int32_t wantWidth, wantHeight;
  };
  const Case cases[] = {
      {"percent", 640, 480, 50, 0, 0, 0, BMPRESIZE_CAUSE_NONE, 320, 240},
      {"percent below 1 pixel", 640, 1, 50, 0, 0, 0, BMPRESIZE_CAUSE_NONE, 1, 1},
      {"percent 0", 640, 480, 0, 0, 0, 0, BMPRESIZE_CAUSE_NONE, 1, 1},
      {"percent beyond 32 bits", 640, 480, kMax, 0, 0, 0, BMPRESIZE_CAUSE_SIDE_TOO_LARGE, 0, 0},
      {"percent, no enlarge", 640, 480, 200, 0, 0, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 640, 480},
      {"huge percent, no enlarge", 640, 480, kMax, 0, 0, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 640, 480},
      {"smaller percent, no enlarge", 640, 480, 25, 0, 0, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 160, 120},
      {"width ignores the percent", 640, 480, 7, 320, 0, 0, BMPRESIZE_CAUSE_NONE, 320, 240},
      {"height", 640, 480, 100, 0, 120, 0, BMPRESIZE_CAUSE_NONE, 160, 120},
      {"both: the exact size", 640, 480, 100, 10, 700, 0, BMPRESIZE_CAUSE_NONE, 10, 700},
      // 3 x 2 to width 2: 1.333 rounds down; to width 3 of a 2 x 1: 1.5 rounds up.
      {"rounds to nearest", 3, 2, 100, 2, 0, 0, BMPRESIZE_CAUSE_NONE, 2, 1},
      {"half rounds up", 2, 1, 100, 3, 0, 0, BMPRESIZE_CAUSE_NONE, 3, 2},
      {"half rounds up, by height", 1, 2, 100, 0, 3, 0, BMPRESIZE_CAUSE_NONE, 2, 3},
      {"just below a half", 2001, 1000, 100, 3, 0, 0, BMPRESIZE_CAUSE_NONE, 3, 1},  // 1.49925
      {"just a half", 2000, 1000, 100, 3, 0, 0, BMPRESIZE_CAUSE_NONE, 3, 2},
      {"1 pixel", 1, 1, 100, 5, 0, 0, BMPRESIZE_CAUSE_NONE, 5, 5},
      {"1 pixel to 1", 1, 1, 100, 0, 1, 0, BMPRESIZE_CAUSE_NONE, 1, 1},
      {"extreme aspect, never below 1", 100000, 1, 100, 1, 0, 0, BMPRESIZE_CAUSE_NONE, 1, 1},
      {"extreme aspect by height", 100000, 1, 100, 0, 3, 0, BMPRESIZE_CAUSE_NONE, 300000, 3},
      {"tall extreme aspect", 1, 100000, 100, 0, 50000, 0, BMPRESIZE_CAUSE_NONE, 1, 50000},
      {"aspect side beyond 32 bits", 1, 100000, 100, 100000, 0, 0, BMPRESIZE_CAUSE_FILE_TOO_LARGE, 0, 0},
      {"widest sides", kMax, kMax, 100, kMax, 0, 0, BMPRESIZE_CAUSE_NONE, kMax, kMax},
      {"widest target of 1 pixel", 1, 1, 100, kMax, 0, 0, BMPRESIZE_CAUSE_NONE, kMax, kMax},
      {"widest source to 1", kMax, kMax - 1, 100, 1, 0, 0, BMPRESIZE_CAUSE_NONE, 1, 1},
      // Fit: the side that limits takes the box, as the width or height alone would.
      {"fit, width limits", 800, 600, 100, 256, 256, kFit, BMPRESIZE_CAUSE_NONE, 256, 192},
      {"fit, height limits", 600, 800, 100, 256, 256, kFit, BMPRESIZE_CAUSE_NONE, 192, 256},
      {"fit, the same aspect", 800, 600, 100, 400, 300, kFit, BMPRESIZE_CAUSE_NONE, 400, 300},
      {"fit enlarges", 80, 60, 100, 256, 256, kFit, BMPRESIZE_CAUSE_NONE, 256, 192},
      {"fit, less than a pixel on a side", 100000, 1, 100, 10, 10, kFit, BMPRESIZE_CAUSE_NONE, 10, 1},
      {"fit in 1 x 1", 3000, 2000, 100, 1, 1, kFit, BMPRESIZE_CAUSE_NONE, 1, 1},
      {"fit, halves up", 2, 1, 100, 3, 100, kFit, BMPRESIZE_CAUSE_NONE, 3, 2},
      {"fit, widest box", 3, 2, 100, kMax, kMax, kFit, BMPRESIZE_CAUSE_NONE, kMax, 1431655765},
      // No enlarge: a size larger on either side keeps the source's; a box is capped.
      {"width, no enlarge", 640, 480, 100, 1000, 0, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 640, 480},
      {"smaller width, no enlarge", 640, 480, 100, 64, 0, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 64, 48},
      {"exact size larger on one side", 640, 480, 100, 100, 500, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 640, 480},
      {"exact size smaller, no enlarge", 640, 480, 100, 100, 50, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 100, 50},
      {"fit, no enlarge", 80, 60, 100, 256, 256, kFit | kNoEnlarge, BMPRESIZE_CAUSE_NONE, 80, 60},
      {"fit, box larger on one side", 800, 600, 100, 1000, 300, kFit | kNoEnlarge, BMPRESIZE_CAUSE_NONE, 400, 300},
      {"aspect side beyond 32 bits, no enlarge", 1, 100000, 100, 100000, 0, kNoEnlarge, BMPRESIZE_CAUSE_NONE, 1,
       100000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bmpresize_options options = DefaultOptions();
    options.percent = c.percent;
    options.width = c.width;
    options.height = c.height;
    options.flags = c.flags;
    ResizeRequest request;
    ASSERT_TRUE(CheckOptions(options, request).Ok());
    PictureSize size;
    const Status status = ResizedSize(c.sourceWidth, c.sourceHeight, request.size, size);
    EXPECT_EQ(status.Why().kind, c.cause);
    if (c.cause != BMPRESIZE_CAUSE_NONE) continue;
    EXPECT_EQ(size.width, c.wantWidth);
    EXPECT_EQ(size.height, c.wantHeight);
  }
}

// A fit is the width or the height alone of the side that limits, and a
// width or height alone agrees with the exact quotient rounded half up.
TEST(ResizedSize, FitEqualsTheLimitingSideAlone) {
  for (std::int32_t w = 1; w <= 40; w += 3) {
    for (std::int32_t h = 1; h <= 40; h += 2) {
      for (std::int32_t box = 1; box <= 50; box += 7) {
        SizeAsked fit, alone;
        fit.width = fit.height = box;
        fit.fit = true;
        (w >= h ? alone.width : alone.height) = box;
        PictureSize a, b;
        ASSERT_TRUE(ResizedSize(w, h, fit, a).Ok());
        ASSERT_TRUE(ResizedSize(w, h, alone, b).Ok());
        ASSERT_EQ(a.width, b.width) << w << " x " << h << " in " << box;
        ASSERT_EQ(a.height, b.height) << w << " x " << h << " in " << box;
        const std::int64_t exact2 = 2 * std::int64_t{h} * box;  // twice h x box / w, over w
        if (w >= h) {
          ASSERT_EQ(b.height, std::max<std::int64_t>(1, (exact2 + w) / (2 * w)));
        }
      }
    }
  }
}

TEST(CheckOptions, RefusesSizesAndResolutionsOutOfRange) {
  struct Case {
    const char* what;
    std::int32_t width, height, flags, xPpm, yPpm;
    bool ok;
    std::int64_t value;
  };
  const Case cases[] = {
      {"defaults", 0, 0, 0, 0, 0, true, 0},
      {"negative width", -1, 10, 0, 0, 0, false, -1},
      {"negative height", 10, INT32_MIN, 0, 0, 0, false, INT32_MIN},
      {"fit without a height", 10, 0, kFit, 0, 0, false, 0},
      {"fit without a width", 0, 10, kFit, 0, 0, false, 0},
      {"fit without either", 0, 0, kFit, 0, 0, false, 0},
      {"fit", 1, 1, kFit, 0, 0, true, 0},
      {"no enlarge alone", 0, 0, kNoEnlarge, 0, 0, true, 0},
      {"negative x resolution", 0, 0, 0, -3780, 0, false, -3780},
      {"negative y resolution", 0, 0, 0, 3780, -1, false, -1},
      {"resolutions", 0, 0, 0, 1, INT32_MAX, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bmpresize_options options = DefaultOptions();
    options.width = c.width;
    options.height = c.height;
    options.flags = c.flags;
    options.x_ppm = c.xPpm;
    options.y_ppm = c.yPpm;
    ResizeRequest request;
    const Status status = CheckOptions(options, request);
    EXPECT_EQ(status.Ok(), c.ok);
    if (c.ok) continue;
    EXPECT_EQ(status.Why().kind, BMPRESIZE_CAUSE_OPTION);
    EXPECT_EQ(status.Why().value, c.value);
  }
}

// Every option reaches the request under the name the pipeline reads it by,
// and a value that means "the default" becomes the default itself.
TEST(CheckOptions, TurnsTheOptionsIntoTheRequest) {
  static volatile sig_atomic_t flag = 0;
  struct Case {
    const char* what;
    void (*set)(bmpresize_options&);
    bool (*holds)(const ResizeRequest&);
  };
  const Case cases[] = {
      {"defaults", [](bmpresize_options&) {},
       [](const ResizeRequest& r) {
         return r.size.percent == 100 && !r.size.fit && r.region.width == 0 && r.depth == 0 && !r.grey &&
                r.threads == 0 && !r.sync && r.run.cancel == nullptr && !r.run.strict &&
                r.run.memoryLimit == BMPRESIZE_DEFAULT_MEMORY_LIMIT;
       }},
      {"flags", [](bmpresize_options& o) { o = {}, o.width = o.height = 5, o.flags = 15; },
       [](const ResizeRequest& r) {
         return r.size.fit && r.size.noEnlarge && r.grey && r.keepResolution && r.size.width == 5 && r.size.height == 5;
       }},
      {"region, filter, depth, resolution",
       [](bmpresize_options& o) {
         o.region_x = 1, o.region_y = 2, o.region_width = 3, o.region_height = 4;
         o.filter = BMPRESIZE_FILTER_AREA, o.depth = 4, o.x_ppm = 7, o.y_ppm = 9;
       },
       [](const ResizeRequest& r) {
         return r.region.x == 1 && r.region.y == 2 && r.region.width == 3 && r.region.height == 4 &&
                r.filter == BMPRESIZE_FILTER_AREA && r.depth == 4 && r.resolution == Resolution{7, 9};
       }},
      {"run",
       [](bmpresize_options& o) { o.threads = 3, o.sync = 2, o.strict = -1, o.memory_limit = 5, o.cancel = &flag; },
       [](const ResizeRequest& r) {
         return r.threads == 3 && r.sync && r.run.strict && r.run.memoryLimit == 5 && r.run.cancel == &flag;
       }},
      {"threads and limit below 0", [](bmpresize_options& o) { o.threads = -2, o.memory_limit = -1; },
       [](const ResizeRequest& r) { return r.threads == 0 && r.run.memoryLimit == BMPRESIZE_DEFAULT_MEMORY_LIMIT; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bmpresize_options options = DefaultOptions();
    c.set(options);
    ResizeRequest request;
    ASSERT_TRUE(CheckOptions(options, request).Ok());
    EXPECT_TRUE(c.holds(request));
  }
}

}  // namespace

// Writes small BMP files of every depth with the project's own writer, as
// seeds for the fuzz targets: make_seeds FOLDER
#include <cstdint>
#include <cstdio>
#include <string>

#include "bmpfile/bmp_writer.h"
#include "image/bmp_image.h"

namespace {

struct Size {
  std::int32_t width, height;
};

// Odd widths give row padding and spare bits; 1 x 1 uses the image's single pixel.
constexpr Size kSizes[] = {{1, 1}, {3, 2}, {5, 3}, {9, 4}, {17, 5}};
constexpr std::int32_t kDepths[] = {1, 4, 8, 16, 24, 32};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds FOLDER\n");
    return 2;
  }
  int count = 0;
  for (const std::int32_t depth : kDepths) {
    for (const Size size : kSizes) {
      BmpImage image;
      if (!image.SetSize(size.width, size.height) || !image.SetDepth(depth)) return 1;
      for (std::int32_t x = 0; x < size.width; ++x) {
        for (std::int32_t y = 0; y < size.height; ++y) {
          const auto v = static_cast<std::uint8_t>(37 * x + 91 * y);
          image.PixelAt(x, y) = {v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v ^ 0x5A),
                                 static_cast<std::uint8_t>(x * 16)};
        }
      }
      image.xPixelsPerMetre = 2835;
      image.yPixelsPerMetre = 2835;
      const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(depth) + "bit-" +
                               std::to_string(size.width) + "x" + std::to_string(size.height) + ".bmp";
      if (!WriteBmpFile(image, path.c_str())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
      ++count;
    }
  }
  std::printf("wrote %d seeds\n", count);
  return 0;
}

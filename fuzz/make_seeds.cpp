// SPDX-License-Identifier: MIT
// Writes small BMP files of every depth with the whole-picture writer, as
// seeds for the fuzz targets, and from them the variants that other programs
// write: top-down rows, run-length encoded 8-bit and 4-bit data (bottom-up and
// top-down), 2-bit pixels, OS/2 1.x headers, longer info headers, 32-bit bit
// fields: make_seeds FOLDER
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_writer.h"
#include "bmpfile/little_endian.h"
#include "image/bmp_image.h"
#include "reference/write_bmp_file.h"

using namespace bmpresize;

namespace {

struct Size {
  std::int32_t width, height;
};

// Odd widths give row padding and spare bits; 1 x 1 uses the image's single pixel.
constexpr Size kSizes[] = {{1, 1}, {3, 2}, {5, 3}, {9, 4}, {17, 5}};
constexpr std::int32_t kDepths[] = {1, 4, 8, 16, 24, 32};

using Bytes = std::vector<std::uint8_t>;

Bytes Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Save(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v);
  Put16(b, v >> 16);
}

// A file as the writer wrote it: 40-byte header, table or masks, pixel rows.
struct Written {
  Bytes bytes;
  std::uint32_t offBits;
  std::int32_t width, height;
  std::uint16_t depth;
  std::size_t stride;
  Bytes Table() const { return {bytes.begin() + 54, bytes.begin() + offBits}; }
  Bytes Pixels() const { return {bytes.begin() + offBits, bytes.end()}; }
  std::uint8_t Index(std::int32_t x, std::int32_t row) const {
    const std::uint8_t* r = bytes.data() + offBits + static_cast<std::size_t>(row) * stride;
    if (depth == 8) return r[x];
    if (depth == 4) return (x % 2 == 0) ? r[x / 2] >> 4 : r[x / 2] & 0x0F;
    return (r[x / 8] >> (7 - x % 8)) & 1;
  }
};

Written Parse(const Bytes& bytes) {
  Written w{bytes,
            LoadU32LE(bytes.data() + 10),
            static_cast<std::int32_t>(LoadU32LE(bytes.data() + 18)),
            static_cast<std::int32_t>(LoadU32LE(bytes.data() + 22)),
            LoadU16LE(bytes.data() + 28),
            0};
  w.stride = RowStride(w.width, w.depth);
  return w;
}

// File header and an info header of infoSize bytes (zeros past the 40 fields
// and the extra bytes given).
Bytes Headers(const Written& w, std::uint32_t infoSize, std::uint32_t offBits, std::int32_t height,
              std::uint32_t compression, const Bytes& extra = {}) {
  Bytes b;
  Put16(b, kBmpSignature);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, offBits);
  Put32(b, infoSize);
  Put32(b, static_cast<std::uint32_t>(w.width));
  Put32(b, static_cast<std::uint32_t>(height));
  Put16(b, 1);
  Put16(b, w.depth);
  Put32(b, compression);
  for (int i = 0; i < 3; ++i) Put32(b, i == 0 ? 0 : 2835);
  Put32(b, 0);
  Put32(b, 0);
  b.insert(b.end(), extra.begin(), extra.end());
  if (infoSize > 40) b.resize(14 + infoSize, 0);
  return b;
}

Bytes TopDown(const Written& w) {
  Bytes b(w.bytes.begin(), w.bytes.begin() + w.offBits);
  StoreU32LE(b.data() + 22, static_cast<std::uint32_t>(-w.height));
  for (std::int32_t row = w.height - 1; row >= 0; --row) {
    const auto at = w.bytes.begin() + static_cast<std::ptrdiff_t>(w.offBits + static_cast<std::size_t>(row) * w.stride);
    b.insert(b.end(), at, at + static_cast<std::ptrdiff_t>(w.stride));
  }
  return b;
}

// The OS/2 1.x form: 12-byte header, 3-byte table entries.
Bytes Core(const Written& w) {
  const Bytes table = w.Table();
  const std::uint32_t entries = static_cast<std::uint32_t>(table.size() / 4);
  Bytes b;
  Put16(b, kBmpSignature);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 26 + 3 * entries);
  Put32(b, 12);
  Put16(b, static_cast<std::uint32_t>(w.width));
  Put16(b, static_cast<std::uint32_t>(w.height));
  Put16(b, 1);
  Put16(b, w.depth);
  for (std::uint32_t i = 0; i < entries; ++i) b.insert(b.end(), table.begin() + 4 * i, table.begin() + 4 * i + 3);
  const Bytes pixels = w.Pixels();
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// A longer info header with the table after it (paletted depths), or with the
// masks at 54 inside it (16-bit files).
Bytes LongHeader(const Written& w, std::uint32_t infoSize) {
  const Bytes table = w.Table();
  const bool paletted = w.depth <= 8;
  Bytes extra = paletted ? Bytes{} : table;
  if (!paletted && infoSize >= 56) Put32(extra, 0);  // no alpha mask
  Bytes b = Headers(w, infoSize, 14 + infoSize + (paletted ? static_cast<std::uint32_t>(table.size()) : 0), w.height,
                    w.depth == 16 ? kBiBitfields : kBiRgb, extra);
  if (paletted) b.insert(b.end(), table.begin(), table.end());
  const Bytes pixels = w.Pixels();
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// A 32-bit file with its channels as bit fields (alpha in the top byte when
// alphaMask is set: compression 6 with a 40-byte header, else in a V4 or V5 header).
Bytes Fields32(const Written& w, std::uint32_t compression, std::uint32_t infoSize) {
  Bytes masks;
  Put32(masks, 0x00FF0000);
  Put32(masks, 0x0000FF00);
  Put32(masks, 0x000000FF);
  const bool alpha = compression == kBiAlphaBitfields || infoSize >= 108;
  if (alpha) Put32(masks, 0xFF000000);
  Bytes b = Headers(w, infoSize, 0, w.height, compression, infoSize > 40 ? masks : Bytes{});
  if (infoSize == 40) b.insert(b.end(), masks.begin(), masks.end());
  StoreU32LE(b.data() + 10, static_cast<std::uint32_t>(b.size()));
  const Bytes pixels = w.Pixels();
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// Run-length encoded 8-bit or 4-bit data: runs of equal indices, absolute runs
// of the others, a delta over part of the second row stored, end of line and of
// bitmap; the top row first when topDown.
Bytes RunLength(const Written& w, bool topDown) {
  const bool four = w.depth == 4;
  const Bytes table = w.Table();
  Bytes b = Headers(w, 40, 54 + static_cast<std::uint32_t>(table.size()), topDown ? -w.height : w.height,
                    four ? kBiRle4 : kBiRle8);
  b.insert(b.end(), table.begin(), table.end());
  for (std::int32_t stored = 0; stored < w.height; ++stored) {
    const std::int32_t row = topDown ? w.height - 1 - stored : stored;
    std::int32_t x = stored == 1 && w.width > 2 ? 2 : 0;
    if (x > 0) b.insert(b.end(), {0, 2, static_cast<std::uint8_t>(x), 0});
    while (x < w.width) {
      std::int32_t n = 1;
      while (x + n < w.width && n < 255 && w.Index(x + n, row) == w.Index(x, row)) ++n;
      if (n >= 2 || w.width - x < 3) {
        const std::uint8_t i = w.Index(x, row);
        b.push_back(static_cast<std::uint8_t>(n));
        b.push_back(four ? static_cast<std::uint8_t>(i << 4 | i) : i);
        x += n;
        continue;
      }
      n = std::min<std::int32_t>(w.width - x, 3 + x % 4);
      b.push_back(0);
      b.push_back(static_cast<std::uint8_t>(n));
      std::size_t bytes = 0;
      for (std::int32_t k = 0; k < n; k += four ? 2 : 1, ++bytes) {
        const std::uint8_t hi = w.Index(x + k, row);
        const std::uint8_t lo = four && k + 1 < n ? w.Index(x + k + 1, row) : 0;
        b.push_back(four ? static_cast<std::uint8_t>(hi << 4 | lo) : hi);
      }
      if (bytes % 2 != 0) b.push_back(0);
      x += n;
    }
    if (stored + 1 < w.height) b.insert(b.end(), {0, 0});
  }
  b.insert(b.end(), {0, 1});
  return b;
}

// A 2-bit file made from a 4-bit one: the first entries of its table, each
// index modulo 4, four pixels a byte; the top row first when topDown.
Bytes TwoBit(const Written& w, bool topDown, std::uint32_t entries) {
  Written two = w;
  two.depth = 2;
  const Bytes table = w.Table();
  Bytes b = Headers(two, 40, 54 + 4 * entries, topDown ? -w.height : w.height, kBiRgb);
  b.insert(b.end(), table.begin(), table.begin() + 4 * entries);
  for (std::int32_t stored = 0; stored < w.height; ++stored) {
    const std::int32_t row = topDown ? w.height - 1 - stored : stored;
    Bytes bytes(RowStride(w.width, 2), 0);
    for (std::int32_t x = 0; x < w.width; ++x)
      bytes[static_cast<std::size_t>(x / 4)] |= static_cast<std::uint8_t>((w.Index(x, row) & 3) << (6 - 2 * (x % 4)));
    b.insert(b.end(), bytes.begin(), bytes.end());
  }
  return b;
}

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
      image.SetResolution({2835, 2835});
      const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(depth) + "bit-" +
                               std::to_string(size.width) + "x" + std::to_string(size.height) + ".bmp";
      if (!WriteBmpFile(image, path.c_str())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
      ++count;

      // The variants other programs write, built from the same file.
      const Written w = Parse(Load(path));
      const std::string stem = std::string(argv[1]) + "/seed-" + std::to_string(depth) + "bit-" +
                               std::to_string(size.width) + "x" + std::to_string(size.height);
      std::vector<std::pair<std::string, Bytes>> variants = {{"-topdown", TopDown(w)}};
      if (depth == 1 || depth == 4 || depth == 8 || depth == 24) variants.push_back({"-os2", Core(w)});
      if (depth <= 8 || depth == 16) {
        variants.push_back({"-v5", LongHeader(w, 124)});
        variants.push_back({"-v4", LongHeader(w, 108)});
        variants.push_back({"-h52", LongHeader(w, 52)});
      }
      if (depth == 4 || depth == 8) {
        variants.push_back({"-rle", RunLength(w, false)});
        variants.push_back({"-rle-topdown", RunLength(w, true)});
      }
      if (depth == 4) {
        variants.push_back({"-2bit", TwoBit(w, false, 4)});
        variants.push_back({"-2bit-topdown", TwoBit(w, true, 4)});
        variants.push_back({"-2bit-short-table", TwoBit(w, false, 2)});
      }
      if (depth == 32) {
        variants.push_back({"-bitfields", Fields32(w, kBiBitfields, 40)});
        variants.push_back({"-alphabitfields", Fields32(w, kBiAlphaBitfields, 40)});
        variants.push_back({"-v4bitfields", Fields32(w, kBiBitfields, 108)});
        variants.push_back({"-v5bitfields", Fields32(w, kBiBitfields, 124)});
      }
      for (const auto& [suffix, bytes] : variants) {
        if (!Save(stem + suffix + ".bmp", bytes)) {
          std::fprintf(stderr, "cannot write %s%s.bmp\n", stem.c_str(), suffix.c_str());
          return 1;
        }
        ++count;
      }
    }
  }
  std::printf("wrote %d seeds\n", count);
  return 0;
}

// SPDX-License-Identifier: MIT
// The in-memory image that the reader fills, the sampler reads and the writer
// stores. Every pixel is held as full colour whatever the depth; the depth only
// decides how the image is stored in a file and whether it has a palette.
//
//   BmpImage()           a 24-bit, 1 x 1 image without a palette
//   SetSize(w, h)        new white storage of w x h; 0 (nothing changed) when refused
//   SetDepth(d)          depth 1, 4, 8, 16, 24 or 32; 1, 4 and 8 get the standard palette
//   PixelAt(x, y)        the pixel at (x, y), coordinates clamped into the image
//   Row(y)               row y as a strided view, for the row codecs
//   Width/Height/Depth   the image's size and depth
//   GetResolution/SetResolution   pixels per metre as read from a file; 0 when never set
//
// The colour-table operations (PaletteSize, GetPaletteEntry, SetPaletteEntry,
// FillStandardPalette, NearestPaletteIndex) are built on colour_tables.h.
//
// Only the reference, the tests, the fuzzers and the benchmarks use this
// image: it is part of the model library, not of the shipped ones.
//
// Nothing throws: an allocation that fails or a size whose storage cannot be
// addressed makes SetSize answer 0 and leaves the image as it was.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "image/depth.h"
#include "image/palette.h"
#include "image/pixel_bgra.h"
#include "image/pixel_row.h"
#include "image/resolution.h"

namespace bmpresize {

class BmpImage {
 public:
  // The most entries a palette can have (depth 8).
  static constexpr std::int32_t kMaxPaletteEntries = bmpresize::kMaxPaletteEntries;

  BmpImage() noexcept;
  ~BmpImage() = default;
  BmpImage(const BmpImage&) = delete;
  BmpImage& operator=(const BmpImage&) = delete;

  [[nodiscard]] bool SetSize(std::int32_t width, std::int32_t height) noexcept;
  [[nodiscard]] bool SetDepth(std::int32_t depth) noexcept;

  PixelBGRA& PixelAt(std::int32_t x, std::int32_t y) noexcept;
  const PixelBGRA& PixelAt(std::int32_t x, std::int32_t y) const noexcept;

  // Row y, which must lie within the image.
  PixelRow Row(std::int32_t y) noexcept;
  ConstPixelRow Row(std::int32_t y) const noexcept;

  std::int32_t Width() const noexcept { return width_; }
  std::int32_t Height() const noexcept { return height_; }
  std::int32_t Depth() const noexcept { return depth_; }

  // Colour tables.
  std::int32_t PaletteSize() const noexcept;
  bool HasPalette() const noexcept { return hasPalette_; }
  PixelBGRA GetPaletteEntry(std::int32_t index) const noexcept;
  [[nodiscard]] bool SetPaletteEntry(std::int32_t index, PixelBGRA colour) noexcept;
  bool FillStandardPalette() noexcept;
  std::uint8_t NearestPaletteIndex(PixelBGRA colour) const noexcept;
  // The palette's entries (PaletteSize of them) when it has one, else null.
  const Palette* PaletteEntries() const noexcept { return hasPalette_ ? &palette_ : nullptr; }

  Resolution GetResolution() const noexcept { return resolution_; }
  void SetResolution(Resolution resolution) noexcept { resolution_ = resolution; }

 private:
  std::int32_t depth_ = 24;
  std::int32_t width_ = 1;
  std::int32_t height_ = 1;
  // Column-major pixel storage: pixel (x, y) is pixels_[x * height_ + y], so a
  // column is contiguous. A 1 x 1 image uses singlePixel_ and needs no block,
  // which keeps the initial state and the reset to 1 x 1 free of allocation.
  PixelBGRA singlePixel_ = kWhite;
  std::unique_ptr<PixelBGRA[]> block_;
  PixelBGRA* pixels_ = &singlePixel_;
  // A palette is at most 256 entries, so it lives inside the image; only the
  // first PaletteSize() entries belong to it, and only while hasPalette_.
  bool hasPalette_ = false;
  Palette palette_{};
  Resolution resolution_;
};

}  // namespace bmpresize

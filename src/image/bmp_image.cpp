// SPDX-License-Identifier: MIT
#include "image/bmp_image.h"

#include <cstddef>
#include <limits>
#include <new>

#include "image/colour_tables.h"

namespace bmpresize {

BmpImage::BmpImage() noexcept = default;

bool BmpImage::SetSize(std::int32_t width, std::int32_t height) noexcept {
  if (width < 1 || height < 1) return false;
  const std::uint64_t count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  // Storage must be addressable on this host, column offsets included.
  constexpr std::uint64_t kMaxCount = std::numeric_limits<std::ptrdiff_t>::max() / sizeof(PixelBGRA);
  if (count > kMaxCount) return false;

  if (count == 1) {
    block_.reset();
    pixels_ = &singlePixel_;
  } else {
    // The new block is had before the old one goes, so a refusal leaves the image intact.
    std::unique_ptr<PixelBGRA[]> fresh(new (std::nothrow) PixelBGRA[static_cast<std::size_t>(count)]);
    if (!fresh) return false;
    block_ = std::move(fresh);
    pixels_ = block_.get();
  }
  width_ = width;
  height_ = height;
  const std::size_t n = static_cast<std::size_t>(count);
  for (std::size_t i = 0; i < n; ++i) pixels_[i] = kWhite;
  return true;
}

bool BmpImage::SetDepth(std::int32_t depth) noexcept {
  if (!IsSupportedDepth(depth)) return false;
  depth_ = depth;
  hasPalette_ = IsPalettedDepth(depth);
  // Setting a paletted depth always starts over from the standard table, even
  // when the depth does not change.
  if (hasPalette_) FillStandardPalette();
  return true;
}

PixelBGRA& BmpImage::PixelAt(std::int32_t x, std::int32_t y) noexcept {
  if (x >= width_) x = width_ - 1;
  if (x < 0) x = 0;
  if (y >= height_) y = height_ - 1;
  if (y < 0) y = 0;
  return pixels_[static_cast<std::ptrdiff_t>(x) * height_ + y];
}

const PixelBGRA& BmpImage::PixelAt(std::int32_t x, std::int32_t y) const noexcept {
  return const_cast<BmpImage*>(this)->PixelAt(x, y);
}

PixelRow BmpImage::Row(std::int32_t y) noexcept { return {pixels_ + y, height_, width_}; }

ConstPixelRow BmpImage::Row(std::int32_t y) const noexcept { return {pixels_ + y, height_, width_}; }

std::int32_t BmpImage::PaletteSize() const noexcept { return PaletteSizeForDepth(depth_); }

PixelBGRA BmpImage::GetPaletteEntry(std::int32_t index) const noexcept {
  if (!hasPalette_ || index < 0 || index >= PaletteSize()) return kWhite;
  return palette_[static_cast<std::size_t>(index)];
}

bool BmpImage::SetPaletteEntry(std::int32_t index, PixelBGRA colour) noexcept {
  if (!hasPalette_ || index < 0 || index >= PaletteSize()) return false;
  palette_[static_cast<std::size_t>(index)] = colour;
  return true;
}

bool BmpImage::FillStandardPalette() noexcept {
  if (!hasPalette_) return false;
  return FillStandardTable(depth_, palette_);
}

std::uint8_t BmpImage::NearestPaletteIndex(PixelBGRA colour) const noexcept {
  if (!hasPalette_) return 0;
  return NearestIndexIn(palette_.data(), PaletteSize(), colour);
}

}  // namespace bmpresize

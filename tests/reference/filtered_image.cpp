// SPDX-License-Identifier: MIT
#include "reference/filtered_image.h"

#include <memory>

#include "bmpresize.h"
#include "reference/area_resize_image.h"
#include "reference/image_row_source.h"
#include "reference/resize_image.h"
#include "resample/chosen_filter.h"

using namespace bmpresize;

namespace {

// Puts rows, which come from the bottom up, into an image.
class ImageRowSink final : public RowSink {
 public:
  explicit ImageRowSink(BmpImage& image) : image_(image), next_(image.Height() - 1) {}
  bool WriteRow(const std::uint8_t* data) override {
    for (std::int32_t x = 0; x < image_.Width(); ++x, data += 4)
      image_.PixelAt(x, next_) = PixelBGRA{data[0], data[1], data[2], data[3]};
    --next_;
    return true;
  }

 private:
  BmpImage& image_;
  std::int32_t next_;
};

}  // namespace

bool FilteredImage(const BmpImage& source, BmpImage& destination, int filter) {
  if (filter == BMPRESIZE_FILTER_POINT) return ResizeImage(source, destination);
  if (filter == BMPRESIZE_FILTER_AREA) return AreaResizeImage(source, destination);
  const ResampleSize size{source.Width(), source.Height(), destination.Width(), destination.Height(), 4};
  const ChosenFilter chosen(size, filter);
  if (!chosen.Ready()) return false;
  const std::unique_ptr<Resampler> resampler = chosen.MakeResampler();
  if (!resampler) return false;
  ImageRowSource rows(source);
  ImageRowSink sink(destination);
  return resampler->Run(rows, sink);
}

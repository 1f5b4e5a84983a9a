// SPDX-License-Identifier: MIT
#include "bmpfile/compression_names.h"

#include "bmpfile/bmp_headers.h"

namespace bmpresize {

namespace {

struct Named {
  std::uint32_t value;
  const char* name;
};

constexpr Named kNames[] = {
    {0, "uncompressed"}, {1, "RLE8"},           {2, "RLE4"},  {3, "BITFIELDS"}, {4, "JPEG"},
    {5, "PNG"},          {6, "ALPHABITFIELDS"}, {11, "CMYK"}, {12, "CMYKRLE8"}, {13, "CMYKRLE4"},
};

}  // namespace

const char* CompressionName(std::uint32_t compression, std::uint32_t headerSize) {
  if (HeaderKindFor(headerSize).huffman) {
    if (compression == kBiBitfields) return "Huffman";
    if (compression == kBiJpeg) return "RLE24";
  }
  for (const Named& named : kNames) {
    if (named.value == compression) return named.name;
  }
  return "unknown";
}

}  // namespace bmpresize

// The image codecs behind TBitmap's files: BMP here in portable code, PNG from the host file
// (posix/png.inc, over libpng). Pixels are 0x00RRGGBB, rows top to bottom.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "xan/platform/graphics.h"

namespace xan::detail {

// A decoded image.
struct TImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;
};

// Whether Data starts like a BMP ("BM") or a PNG file (its 8-byte signature).
bool LooksLikeBmp(std::span<const uint8_t> Data) noexcept;
bool LooksLikePng(std::span<const uint8_t> Data) noexcept;

// Decodes a BMP file image; raises EInvalidGraphic for a damaged or unsupported one.
TImage DecodeBmp(std::span<const uint8_t> Data);
// Encodes Width x Height pixels as a 32-bit uncompressed BMP file image, bottom-up.
std::vector<uint8_t> EncodeBmp(const uint32_t* Pixels, int32_t Width, int32_t Height);

}  // namespace xan::detail

namespace xan::host {

// Decodes a PNG file image, transparency laid over white; raises EInvalidGraphic for a damaged
// one or one of more than MaxBitmapPixels pixels.
detail::TImage DecodePng(std::span<const uint8_t> Data);
// Encodes Width x Height pixels (at least one) as an 8-bit RGB PNG file image; raises
// EInvalidGraphic for an empty image.
std::vector<uint8_t> EncodePng(const uint32_t* Pixels, int32_t Width, int32_t Height);

}  // namespace xan::host

// TBitmap: its raster, resizing and copying, files in BMP (coded here) and PNG (coded by the host
// file posix/png.inc).
#include <algorithm>
#include <bit>
#include <cstring>

#include "image_codecs.h"
#include "simple_text.h"
#include "xan/platform/graphics.h"

namespace xan {

namespace detail {

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

uint32_t ReadU16(std::span<const uint8_t> d, size_t at) noexcept {
  return d[at] | (uint32_t{d[at + 1]} << 8);
}
uint32_t ReadU32(std::span<const uint8_t> d, size_t at) noexcept {
  return d[at] | (uint32_t{d[at + 1]} << 8) | (uint32_t{d[at + 2]} << 16) |
         (uint32_t{d[at + 3]} << 24);
}
void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFFU);
  PutU16(out, v >> 16);
}

[[noreturn]] void Damaged(StringView Why) {
  throw EInvalidGraphic(String(u"Invalid BMP image: ") + String(Why));
}

// One colour channel under a mask, scaled to 0..255.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;
  explicit TChannel(uint32_t mask) noexcept : Mask(mask) {
    if (mask == 0) return;
    Shift = std::countr_zero(mask);
    Max = mask >> Shift;
  }
  uint32_t Get(uint32_t v) const noexcept {
    if (Max == 0) return 0;
    const uint64_t c = (v & Mask) >> Shift;
    return static_cast<uint32_t>((c * 255 + Max / 2) / Max);
  }
};

}  // namespace

bool LooksLikeBmp(std::span<const uint8_t> Data) noexcept {
  return Data.size() >= 2 && Data[0] == 'B' && Data[1] == 'M';
}

bool LooksLikePng(std::span<const uint8_t> Data) noexcept {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return Data.size() >= 8 && std::equal(kSignature, kSignature + 8, Data.begin());
}

TImage DecodeBmp(std::span<const uint8_t> Data) {
  constexpr size_t kFileHeader = 14;
  if (!LooksLikeBmp(Data) || Data.size() < kFileHeader + 12) Damaged(u"file too short");
  const uint32_t pixelOffset = ReadU32(Data, 10);
  const uint32_t headerSize = ReadU32(Data, kFileHeader);
  int64_t width = 0, height = 0;
  uint32_t planes = 0, bpp = 0, compression = 0, colorsUsed = 0;
  size_t paletteAt = 0, entrySize = 4;
  if (headerSize == 12) {
    width = ReadU16(Data, 18);
    height = static_cast<int16_t>(ReadU16(Data, 20));
    planes = ReadU16(Data, 22);
    bpp = ReadU16(Data, 24);
    paletteAt = kFileHeader + 12;
    entrySize = 3;
  } else if (headerSize >= 40 && headerSize <= 1024 && Data.size() >= kFileHeader + 40) {
    width = static_cast<int32_t>(ReadU32(Data, 18));
    height = static_cast<int32_t>(ReadU32(Data, 22));
    planes = ReadU16(Data, 26);
    bpp = ReadU16(Data, 28);
    compression = ReadU32(Data, 30);
    colorsUsed = ReadU32(Data, 46);
    paletteAt = kFileHeader + headerSize;
    // A 40-byte header keeps the colour masks of BI_BITFIELDS (3) and BI_ALPHABITFIELDS (6)
    // after itself; later headers hold them inside.
    if (headerSize == 40 && compression == 3) paletteAt += 12;
    if (headerSize == 40 && compression == 6) paletteAt += 16;
  } else {
    Damaged(u"unknown header");
  }
  if (planes != 1) Damaged(u"plane count is not 1");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
    Damaged(u"unsupported bits per pixel");
  }
  const bool masks = compression == 3 || compression == 6;
  if (compression != 0 && !(masks && (bpp == 16 || bpp == 32))) {
    Damaged(u"unsupported compression");
  }
  const bool topDown = height < 0;
  height = topDown ? -height : height;
  if (width < 0) Damaged(u"negative width");
  if (width * height > MaxBitmapPixels) Damaged(u"image too large");
  if (width == 0 || height == 0) return TImage{};

  // Colour masks and palette.
  uint32_t rMask = 0, gMask = 0, bMask = 0;
  if (bpp == 16) {
    rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
  } else if (bpp == 32) {
    rMask = 0xFF0000, gMask = 0xFF00, bMask = 0xFF;
  }
  if (masks) {
    if (Data.size() < kFileHeader + 52) Damaged(u"colour masks missing");
    rMask = ReadU32(Data, kFileHeader + 40);
    gMask = ReadU32(Data, kFileHeader + 44);
    bMask = ReadU32(Data, kFileHeader + 48);
  }
  const TChannel red(rMask), green(gMask), blue(bMask);
  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    const size_t wanted =
        colorsUsed != 0 ? std::min<size_t>(colorsUsed, size_t{1} << bpp) : size_t{1} << bpp;
    if (paletteAt > Data.size()) Damaged(u"palette missing");
    const size_t present = std::min(wanted, (Data.size() - paletteAt) / entrySize);
    palette.assign(size_t{1} << bpp, 0);  // indices past the palette read as black
    for (size_t i = 0; i < present; ++i) {
      const size_t at = paletteAt + i * entrySize;
      palette[i] = (uint32_t{Data[at + 2]} << 16) | (uint32_t{Data[at + 1]} << 8) | Data[at];
    }
  }

  const int64_t stride = (width * bpp + 31) / 32 * 4;
  if (pixelOffset > Data.size() ||
      stride * height > static_cast<int64_t>(Data.size() - pixelOffset)) {
    Damaged(u"pixel data cut short");
  }
  TImage image;
  image.Width = static_cast<int32_t>(width);
  image.Height = static_cast<int32_t>(height);
  image.Pixels.resize(static_cast<size_t>(width * height));
  for (int64_t row = 0; row < height; ++row) {
    const uint8_t* src = Data.data() + pixelOffset + row * stride;
    uint32_t* dst = image.Pixels.data() + (topDown ? row : height - 1 - row) * width;
    for (int64_t x = 0; x < width; ++x) {
      switch (bpp) {
        case 1:
          dst[x] = palette[(src[x / 8] >> (7 - x % 8)) & 1];
          break;
        case 4:
          dst[x] = palette[(src[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F];
          break;
        case 8:
          dst[x] = palette[src[x]];
          break;
        case 24:
          dst[x] = (uint32_t{src[3 * x + 2]} << 16) | (uint32_t{src[3 * x + 1]} << 8) | src[3 * x];
          break;
        default: {
          const uint32_t v =
              bpp == 16 ? (src[2 * x] | (uint32_t{src[2 * x + 1]} << 8))
                        : (src[4 * x] | (uint32_t{src[4 * x + 1]} << 8) |
                           (uint32_t{src[4 * x + 2]} << 16) | (uint32_t{src[4 * x + 3]} << 24));
          dst[x] = (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
        }
      }
    }
  }
  return image;
}

std::vector<uint8_t> EncodeBmp(const uint32_t* Pixels, int32_t Width, int32_t Height) {
  const uint32_t imageSize = static_cast<uint32_t>(int64_t{Width} * Height * 4);
  std::vector<uint8_t> out;
  out.reserve(54 + size_t{imageSize});
  out.push_back('B');
  out.push_back('M');
  PutU32(out, 54 + imageSize);
  PutU32(out, 0);
  PutU32(out, 54);
  PutU32(out, 40);
  PutU32(out, static_cast<uint32_t>(Width));
  PutU32(out, static_cast<uint32_t>(Height));
  PutU16(out, 1);
  PutU16(out, 32);
  PutU32(out, 0);  // uncompressed
  PutU32(out, imageSize);
  PutU32(out, 3780);  // 96 pixels per inch, in pixels per metre
  PutU32(out, 3780);
  PutU32(out, 0);
  PutU32(out, 0);
  for (int32_t row = Height - 1; row >= 0; --row) {
    const uint32_t* src = Pixels + int64_t{row} * Width;
    for (int32_t x = 0; x < Width; ++x) {
      out.push_back(static_cast<uint8_t>(src[x]));
      out.push_back(static_cast<uint8_t>(src[x] >> 8));
      out.push_back(static_cast<uint8_t>(src[x] >> 16));
      out.push_back(0);
    }
  }
  return out;
}

}  // namespace detail

// =================================================================================================
// TBitmap

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int32_t AWidth, int32_t AHeight) {
  SetSize(AWidth, AHeight);
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int32_t AWidth, int32_t AHeight) {
  const int32_t w = std::max(AWidth, 0), h = std::max(AHeight, 0);
  if (w == FWidth && h == FHeight) return;
  if (int64_t{w} * h > MaxBitmapPixels) {
    throw EInvalidGraphic(u"Bitmap too large: more than 2^28 pixels");
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(int64_t{w} * h), detail::kWhite);
  const int32_t keepW = std::min(w, FWidth), keepH = std::min(h, FHeight);
  for (int32_t y = 0; y < keepH; ++y) {
    std::copy_n(FPixels.data() + int64_t{y} * FWidth, keepW, pixels.data() + int64_t{y} * w);
  }
  FPixels = std::move(pixels);
  FWidth = w;
  FHeight = h;
  FCanvas.Attach(FPixels.data(), FWidth, FHeight);
}

uint32_t* TBitmap::ScanLine(int32_t Row) noexcept {
  if (Row < 0 || Row >= FHeight || FWidth == 0) return nullptr;
  return FPixels.data() + int64_t{Row} * FWidth;
}

const uint32_t* TBitmap::ScanLine(int32_t Row) const noexcept {
  if (Row < 0 || Row >= FHeight || FWidth == 0) return nullptr;
  return FPixels.data() + int64_t{Row} * FWidth;
}

void TBitmap::Assign(const TPersistent& Source) {
  if (const auto* other = dynamic_cast<const TBitmap*>(&Source)) {
    if (other == this) return;
    std::vector<uint32_t> pixels = other->FPixels;
    FPixels = std::move(pixels);
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    FCanvas.Attach(FPixels.data(), FWidth, FHeight);
    return;
  }
  TPersistent::Assign(Source);
}

void TBitmap::LoadFromStream(TStream& Stream) {
  std::vector<uint8_t> data;
  uint8_t chunk[65536];
  for (;;) {
    const int64_t got = Stream.Read(chunk, sizeof chunk);
    if (got <= 0) break;
    data.insert(data.end(), chunk, chunk + got);
  }
  detail::TImage image;
  if (detail::LooksLikePng(data)) {
    image = host::DecodePng(data);
  } else if (detail::LooksLikeBmp(data)) {
    image = detail::DecodeBmp(data);
  } else {
    throw EInvalidGraphic(u"Unknown image format: neither PNG nor BMP");
  }
  FPixels = std::move(image.Pixels);
  FWidth = image.Width;
  FHeight = image.Height;
  FCanvas.Attach(FPixels.data(), FWidth, FHeight);
}

void TBitmap::LoadFromFile(StringView FileName) {
  TFileStream file(FileName, fmOpenRead);
  LoadFromStream(file);
}

void TBitmap::SaveToStream(TStream& Stream, TGraphicFormat Format) const {
  const std::vector<uint8_t> data = Format == gfPNG
                                        ? host::EncodePng(FPixels.data(), FWidth, FHeight)
                                        : detail::EncodeBmp(FPixels.data(), FWidth, FHeight);
  Stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

void TBitmap::SaveToFile(StringView FileName) const {
  const bool png =
      FileName.size() >= 4 && detail::SimpleSameText(FileName.substr(FileName.size() - 4), u".png");
  // Encode first, so that a bitmap that cannot be written leaves no empty file behind.
  const std::vector<uint8_t> data = png ? host::EncodePng(FPixels.data(), FWidth, FHeight)
                                        : detail::EncodeBmp(FPixels.data(), FWidth, FHeight);
  TFileStream file(FileName, fmCreate);
  file.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

}  // namespace xan

#if defined(_WIN32)
#include "win32/png.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/png.inc"
#else
#error "xan: PNG files have no implementation for this host yet"
#endif

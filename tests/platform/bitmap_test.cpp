// Bitmaps: resizing, copying, BMP and PNG files written and read back, the BMP and PNG variants
// other programs write, and damaged or foreign files refused without harm.
#if !defined(_WIN32)
#include <png.h>
#endif

#include <gtest/gtest.h>

#include "test_host.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "xan/platform/graphics.h"
#include "xan/platform/streams.h"

namespace xan {
namespace {

using Bytes = std::vector<uint8_t>;

void RandomFill(TBitmap& b, uint32_t seed) {
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < b.Height(); ++y) {
    for (int32_t x = 0; x < b.Width(); ++x) b.ScanLine(y)[x] = rng() & 0x00FFFFFF;
  }
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int32_t y = 0; y < a.Height(); ++y) {
    if (!std::equal(a.ScanLine(y), a.ScanLine(y) + a.Width(), b.ScanLine(y))) return false;
  }
  return true;
}

Bytes Save(const TBitmap& b, TGraphicFormat format) {
  TMemoryStream s;
  b.SaveToStream(s, format);
  Bytes out(static_cast<size_t>(s.Size()));
  s.SetPosition(0);
  s.ReadBuffer(out.data(), static_cast<int64_t>(out.size()));
  return out;
}

void Load(TBitmap& b, const Bytes& data) {
  TMemoryStream s;
  s.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  s.SetPosition(0);
  b.LoadFromStream(s);
}

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A BMP file with a 40-byte header (or the 12-byte one), optional masks and palette, and the
// given rows (already padded), bottom row first unless height < 0.
Bytes MakeBmp(int32_t w, int32_t h, int bpp, uint32_t compression,
              const std::vector<uint32_t>& masks, const std::vector<uint32_t>& palette,
              const Bytes& rows, bool core = false) {
  Bytes b = {'B', 'M'};
  const uint32_t header = core ? 12 : 40;
  const uint32_t entry = core ? 3 : 4;
  const uint32_t offset =
      14 + header + 4 * uint32_t(masks.size()) + entry * uint32_t(palette.size());
  Put32(b, offset + uint32_t(rows.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, header);
  if (core) {
    Put16(b, uint32_t(w));
    Put16(b, uint32_t(h));
    Put16(b, 1);
    Put16(b, uint32_t(bpp));
  } else {
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h));
    Put16(b, 1);
    Put16(b, uint32_t(bpp));
    Put32(b, compression);
    Put32(b, uint32_t(rows.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, uint32_t(palette.size()));
    Put32(b, 0);
  }
  for (uint32_t m : masks) Put32(b, m);
  for (uint32_t c : palette) {
    b.push_back(static_cast<uint8_t>(c));
    b.push_back(static_cast<uint8_t>(c >> 8));
    b.push_back(static_cast<uint8_t>(c >> 16));
    if (!core) b.push_back(0);
  }
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

// The pixel rows of a bitmap, top to bottom, as 0x00RRGGBB.
std::vector<uint32_t> Pixels(const TBitmap& b) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < b.Height(); ++y)
    out.insert(out.end(), b.ScanLine(y), b.ScanLine(y) + b.Width());
  return out;
}

// =================================================================================================
// Size and copies

TEST(BitmapSize, ResizingKeepsPixelsAndWhitensNewOnes) {
  TBitmap b(3, 2);
  EXPECT_EQ(b.Canvas().Width(), 3);
  EXPECT_EQ(Pixels(b), std::vector<uint32_t>(6, 0x00FFFFFF));
  RandomFill(b, 1);
  const std::vector<uint32_t> before = Pixels(b);
  b.SetSize(4, 3);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const uint32_t want = x < 3 && y < 2 ? before[size_t(y) * 3 + x] : 0x00FFFFFF;
      EXPECT_EQ(b.ScanLine(y)[x], want) << x << "," << y;
    }
  }
  b.SetWidth(2);
  EXPECT_EQ(b.ScanLine(1)[1], before[4]);
  EXPECT_EQ(b.Canvas().Width(), 2) << "the canvas follows the bitmap";
  b.SetHeight(-4);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.ScanLine(0), nullptr);
  EXPECT_EQ(b.Canvas().Pixels(0, 0), clInvalidPixel);
  TBitmap big(2, 2);
  EXPECT_THROW(big.SetSize(1 << 15, (1 << 13) + 1), EInvalidGraphic);
  EXPECT_EQ(big.Width(), 2) << "unchanged after the refusal";
  EXPECT_EQ(big.ScanLine(-1), nullptr);
  EXPECT_EQ(big.ScanLine(2), nullptr);
}

TEST(BitmapSize, AssignCopiesSizeAndPixels) {
  TBitmap a(5, 4), b;
  RandomFill(a, 2);
  b.Assign(a);
  EXPECT_TRUE(SamePixels(a, b));
  b.Canvas().SetPixels(0, 0, 0x123456);
  EXPECT_NE(a.Canvas().Pixels(0, 0), 0x123456U) << "an own copy";
  EXPECT_EQ(b.Canvas().Pixels(0, 0), 0x123456U);
  b.Assign(b);
  EXPECT_EQ(b.Width(), 5);
  TPen pen;
  EXPECT_THROW(b.Assign(pen), EConvertError);
}

// =================================================================================================
// Files written and read back

TEST(BitmapFiles, BmpIsWrittenAs32BitBottomUpAndReadBack) {
  TBitmap b(2, 2);
  b.ScanLine(0)[0] = 0x00112233;
  b.ScanLine(0)[1] = 0x00445566;
  b.ScanLine(1)[0] = 0x00778899;
  b.ScanLine(1)[1] = 0x00AABBCC;
  const Bytes bmp = Save(b, gfBMP);
  ASSERT_EQ(bmp.size(), 54U + 16U);
  auto u32 = [&](size_t at) {
    return bmp[at] | uint32_t(bmp[at + 1]) << 8 | uint32_t(bmp[at + 2]) << 16 |
           uint32_t(bmp[at + 3]) << 24;
  };
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(u32(2), 70U);
  EXPECT_EQ(u32(10), 54U);
  EXPECT_EQ(u32(14), 40U);
  EXPECT_EQ(u32(18), 2U);
  EXPECT_EQ(u32(22), 2U) << "positive height: bottom-up";
  EXPECT_EQ(bmp[28], 32);
  EXPECT_EQ(u32(30), 0U);
  // The bottom row first, each pixel as blue, green, red, 0.
  const Bytes rows(bmp.begin() + 54, bmp.end());
  EXPECT_EQ(rows, (Bytes{0x99, 0x88, 0x77, 0, 0xCC, 0xBB, 0xAA, 0, 0x33, 0x22, 0x11, 0, 0x66, 0x55,
                         0x44, 0}));

  for (const auto& [w, h] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{3, 2}, std::pair{17, 5}}) {
    TBitmap src(w, h), back(4, 4);
    RandomFill(src, uint32_t(w * 31 + h));
    Load(back, Save(src, gfBMP));
    EXPECT_TRUE(SamePixels(src, back)) << w << "x" << h;
  }
}

class BitmapFileNames : public testing::TempDirTest {};

TEST_F(BitmapFileNames, SaveToFileChoosesPngByTheNameAndLoadByTheContent_Linux) {
  XAN_ONLY_ON_LINUX();
  TBitmap src(13, 7), back;
  RandomFill(src, 5);
  for (const char* name : {"a.png", "b.PNG", "c.bmp", "d", "e.png.bmp"}) {
    src.SaveToFile(Path(name));
    const std::string bytes = ReadBytes(name);
    const bool png = std::string(name).ends_with(".png") || std::string(name).ends_with(".PNG");
    EXPECT_EQ(bytes.substr(1, 3) == "PNG", png) << name;
    EXPECT_EQ(bytes.substr(0, 2) == "BM", !png) << name;
    back.LoadFromFile(Path(name));
    EXPECT_TRUE(SamePixels(src, back)) << name;
  }
  TBitmap empty;
  EXPECT_THROW(empty.SaveToFile(Path("empty.png")), EInvalidGraphic);
  EXPECT_FALSE(std::filesystem::exists(HostPath("empty.png"))) << "no empty file left behind";
  empty.SaveToFile(Path("empty.bmp"));
  back.LoadFromFile(Path("empty.bmp"));
  EXPECT_EQ(back.Width(), 0);
  EXPECT_THROW(back.LoadFromFile(Path("missing.png")), EFOpenError);
  EXPECT_THROW(src.SaveToFile(Path("no/such/dir.bmp")), EFCreateError);
}

TEST(BitmapFiles, PngIsWrittenAsRgbAndReadBack_Linux) {
  XAN_ONLY_ON_LINUX();
  for (const auto& [w, h] :
       {std::pair{1, 1}, std::pair{3, 2}, std::pair{64, 33}, std::pair{1, 70}}) {
    TBitmap src(w, h), back(2, 2);
    RandomFill(src, uint32_t(w + 7 * h));
    const Bytes png = Save(src, gfPNG);
    ASSERT_GT(png.size(), 33U);
    EXPECT_EQ(png[25], 2) << "colour type RGB";
    EXPECT_EQ(png[24], 8) << "8 bits per channel";
    Load(back, png);
    EXPECT_TRUE(SamePixels(src, back)) << w << "x" << h;
  }
  TBitmap empty;
  TMemoryStream s;
  EXPECT_THROW(empty.SaveToStream(s, gfPNG), EInvalidGraphic);
  EXPECT_EQ(s.Size(), 0);
}

// =================================================================================================
// Variants written by other programs

TEST(BitmapFiles, BmpVariantsDecode) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  TBitmap b;
  // 1 bit: row "0 1 1" padded to 4 bytes, bottom-up, two rows.
  Load(b, MakeBmp(3, 2, 1, 0, {}, {0x102030, 0xA0B0C0}, {0x60, 0, 0, 0, 0xA0, 0, 0, 0}));
  EXPECT_EQ(Pixels(b),
            (std::vector<uint32_t>{0xA0B0C0, 0x102030, 0xA0B0C0, 0x102030, 0xA0B0C0, 0xA0B0C0}));
  // 4 bits, top-down (negative height); index 7 is past the palette: black.
  Load(b, MakeBmp(3, -1, 4, 0, {}, palette, {0x12, 0x70, 0, 0}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0}));
  // 8 bits with the 12-byte header.
  Load(b, MakeBmp(2, 1, 8, 0, {}, palette, {3, 1, 0, 0}, true));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x0000FF, 0xFF0000}));
  // 16 bits, 5-5-5 by default: 0x7C00 red, 0x03E0 green, 0x001F blue, 0x4210 half grey.
  Load(b, MakeBmp(4, 1, 16, 0, {}, {}, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x848484}));
  // 16 bits 5-6-5 by colour masks.
  Load(b, MakeBmp(2, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, {0xE0, 0x07, 0x00, 0xF8}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x00FF00, 0xFF0000}));
  // 24 bits: rows padded to 4 bytes; two rows, bottom-up.
  Load(b, MakeBmp(1, 2, 24, 0, {}, {}, {0x01, 0x02, 0x03, 0, 0x0A, 0x0B, 0x0C, 0}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x0C0B0A, 0x030201}));
  // 32 bits with masks that put red in the low byte.
  Load(b, MakeBmp(1, 1, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}, {}, {0x11, 0x22, 0x33, 0x44}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x112233}));
}

#if !defined(_WIN32)

// A PNG of the given colour format through libpng's own writer.
Bytes MakePng(uint32_t w, uint32_t h, uint32_t format, const Bytes& data,
              const Bytes& colormap = {}, uint32_t entries = 0) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = format;
  image.colormap_entries = entries;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_get_memory_size(image, size, 0, data.data(), 0,
                                              colormap.empty() ? nullptr : colormap.data()));
  Bytes out(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, data.data(), 0,
                                        colormap.empty() ? nullptr : colormap.data()));
  out.resize(size);
  return out;
}

TEST(BitmapFiles, PngColourTypesDecodeWithTransparencyOverWhite_Linux) {
  auto over = [](uint32_t c, uint32_t a) { return (c * a + 255 * (255 - a) + 127) / 255; };
  TBitmap b;
  Load(b, MakePng(3, 1, PNG_FORMAT_GRAY, {0, 0x80, 0xFF}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0, 0x808080, 0xFFFFFF}));
  Load(b, MakePng(2, 1, PNG_FORMAT_GA, {0x40, 0xFF, 0x40, 0x80}));
  const uint32_t g = over(0x40, 0x80);
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x404040, g << 16 | g << 8 | g}));
  Load(b, MakePng(1, 2, PNG_FORMAT_RGB, {1, 2, 3, 0xFA, 0xFB, 0xFC}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x010203, 0xFAFBFC}));
  Load(b, MakePng(2, 1, PNG_FORMAT_RGBA, {0x10, 0x20, 0x30, 0xFF, 0x10, 0x20, 0x30, 0}));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x102030, 0xFFFFFF}));
  Load(b, MakePng(2, 2, PNG_FORMAT_RGBA,
                  {0xC8, 0x64, 0, 0x33, 0, 0, 0, 0xFF, 9, 9, 9, 9, 255, 0, 0, 128}));
  EXPECT_EQ(b.ScanLine(0)[0], over(0xC8, 0x33) << 16 | over(0x64, 0x33) << 8 | over(0, 0x33));
  EXPECT_EQ(b.ScanLine(1)[1], 0xFF0000 | over(0, 128) << 8 | over(0, 128));
  // A palette image (indices into an RGB colour map).
  Load(b,
       MakePng(3, 1, PNG_FORMAT_RGB_COLORMAP, {2, 0, 1}, {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}, 3));
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x0000FF, 0xFF0000, 0x00FF00}));
}

TEST_F(BitmapFileNames, PngIsNotAvailable_Windows) {
  XAN_ONLY_ON_WINDOWS();
}

#else

TEST(BitmapFiles, PngColourTypesDecodeWithTransparencyOverWhite_Linux) {
  XAN_ONLY_ON_LINUX();
}

// Without an image library on Windows, PNG files raise and nothing is written.
TEST_F(BitmapFileNames, PngIsNotAvailable_Windows) {
  TBitmap src(3, 2);
  EXPECT_THROW(src.SaveToFile(Path("a.png")), EInvalidGraphic);
  EXPECT_FALSE(std::filesystem::exists(HostPath("a.png")));
  src.SaveToFile(Path("a.bmp"));
  TBitmap back;
  back.LoadFromFile(Path("a.bmp"));
  EXPECT_EQ(back.Width(), 3);
}

#endif

// =================================================================================================
// Damaged and foreign data

// The CRC-32 of PNG chunks (reflected polynomial 0xEDB88320), bit by bit.
uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320U & (0U - (crc & 1U)));
  }
  return ~crc;
}

// BMP files on both hosts, PNG files where the host reads them (Linux).
TEST(BitmapFiles, DamagedOrForeignDataRaisesAndLeavesTheBitmap) {
  TBitmap src(9, 6);
  RandomFill(src, 11);
  std::vector<Bytes> files{Save(src, gfBMP)};
  if (xan::test::kHostLinux) files.push_back(Save(src, gfPNG));
  TBitmap target(2, 3);
  RandomFill(target, 12);
  TBitmap kept;
  kept.Assign(target);
  // Every cut of either file short of its end is refused.
  for (const Bytes& file : files) {
    for (size_t len = 0; len < file.size(); ++len) {
      const Bytes cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(len));
      EXPECT_THROW(Load(target, cut), EInvalidGraphic)
          << (&file == &files[0] ? "bmp " : "png ") << len;
      ASSERT_TRUE(SamePixels(target, kept));
    }
  }
  // Bytes changed at random: either a picture or the error, never anything worse.
  std::mt19937 rng(13);
  for (int i = 0; i < 400; ++i) {
    Bytes bad = files[static_cast<size_t>(i) % files.size()];
    for (int k = 0; k < 1 + i % 4; ++k) bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
    try {
      Load(target, bad);
    } catch (const EInvalidGraphic&) {
      ASSERT_TRUE(SamePixels(target, kept));
    }
    target.Assign(kept);
  }
  // Headers that ask for too much or for what is not supported.
  Bytes huge = MakeBmp(1 << 16, 1 << 15, 24, 0, {}, {}, {0, 0, 0, 0});
  EXPECT_THROW(Load(target, huge), EInvalidGraphic);
  EXPECT_THROW(Load(target, MakeBmp(2, 2, 8, 1, {}, {0}, {1, 2, 3, 4})), EInvalidGraphic);  // RLE
  EXPECT_THROW(Load(target, MakeBmp(2, 2, 7, 0, {}, {}, Bytes(16))), EInvalidGraphic);
  EXPECT_THROW(Load(target, MakeBmp(-2, 2, 24, 0, {}, {}, Bytes(16))), EInvalidGraphic);
  EXPECT_THROW(Load(target, Bytes{'G', 'I', 'F', '8', '9', 'a'}), EInvalidGraphic);
  EXPECT_THROW(Load(target, Bytes{}), EInvalidGraphic);
  if (files.size() < 2) return;
  // A PNG header (with a right checksum) claiming a huge image is refused before allocating.
  Bytes bigPng = files[1];
  bigPng[16] = 0x00, bigPng[17] = 0x01, bigPng[18] = 0x00, bigPng[19] = 0x00;  // width 65536
  bigPng[20] = 0x00, bigPng[21] = 0x01, bigPng[22] = 0x00, bigPng[23] = 0x00;  // height 65536
  const uint32_t crc = Crc32(bigPng.data() + 12, 17);  // "IHDR" and its 13 bytes
  for (int k = 0; k < 4; ++k) bigPng[29 + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
  EXPECT_THROW(Load(target, bigPng), EInvalidGraphic);
  EXPECT_TRUE(SamePixels(target, kept));
}

}  // namespace
}  // namespace xan

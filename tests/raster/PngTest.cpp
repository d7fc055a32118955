// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// PNG decoding: small fixtures written here with libpng, every colour type
// and depth the loader converts, and broken files that must give null.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <zlib.h>
#include <vector>

#include "lice.h"

namespace
{
struct PngSpec
{
  PngSpec(int width, int height, int type, int depth, bool interlace = false)
      : w(width), h(height), colorType(type), bitDepth(depth), interlaced(interlace)
  {
  }
  int w, h, colorType, bitDepth;
  bool interlaced;
  std::vector<uint8_t> pixels;  // packed rows as libpng wants them
  std::vector<png_color> palette;
  std::vector<uint8_t> trnsAlpha;  // palette transparency
  png_color_16 trnsColor = {};
  bool hasTrnsColor = false;
};

void appendBytes(png_structp png, png_bytep data, png_size_t n)
{
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void noFlush(png_structp) {}

std::vector<uint8_t> encode(const PngSpec& s)
{
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, appendBytes, noFlush);
  png_set_IHDR(png, info, s.w, s.h, s.bitDepth, s.colorType, s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), (int) s.palette.size());
  if (!s.trnsAlpha.empty()) png_set_tRNS(png, info, s.trnsAlpha.data(), (int) s.trnsAlpha.size(), nullptr);
  if (s.hasTrnsColor) png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(&s.trnsColor));
  png_write_info(png, info);
  const size_t rowBytes = s.pixels.size() / s.h;
  std::vector<png_bytep> rows((size_t) s.h);
  for (int y = 0; y < s.h; ++y) rows[(size_t) y] = const_cast<uint8_t*>(s.pixels.data() + y * rowBytes);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

LICE_pixel at(LICE_IBitmap* bm, int x, int y) { return LICE_GetPixel(bm, x, y); }

std::unique_ptr<LICE_IBitmap> load(const std::vector<uint8_t>& bytes)
{
  return std::unique_ptr<LICE_IBitmap>(LICE_LoadPNGFromMemory(bytes.data(), (int) bytes.size()));
}
}  // namespace

TEST(Png, RgbaAndRgbKeepTheirChannelsInPixelWords)
{
  PngSpec rgba{2, 1, PNG_COLOR_TYPE_RGBA, 8};
  rgba.pixels = {10, 20, 30, 40, 250, 251, 252, 0};
  auto bm = load(encode(rgba));
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->getWidth(), 2);
  EXPECT_EQ(at(bm.get(), 0, 0), LICE_RGBA(10, 20, 30, 40));
  EXPECT_EQ(at(bm.get(), 1, 0), LICE_RGBA(250, 251, 252, 0));  // straight, not premultiplied

  PngSpec rgb{1, 2, PNG_COLOR_TYPE_RGB, 8};
  rgb.pixels = {1, 2, 3, 4, 5, 6};
  bm = load(encode(rgb));
  ASSERT_TRUE(bm);
  EXPECT_EQ(at(bm.get(), 0, 1), LICE_RGBA(4, 5, 6, 255));

  PngSpec rgb16{1, 1, PNG_COLOR_TYPE_RGB, 16};
  rgb16.pixels = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
  bm = load(encode(rgb16));
  ASSERT_TRUE(bm);
  EXPECT_EQ(at(bm.get(), 0, 0), LICE_RGBA(0x12, 0x56, 0x9A, 255));  // high bytes
}

TEST(Png, PaletteAndGreyOfEveryDepth)
{
  PngSpec pal{3, 1, PNG_COLOR_TYPE_PALETTE, 8};
  pal.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  pal.trnsAlpha = {255, 128};
  pal.pixels = {0, 1, 2};
  auto bm = load(encode(pal));
  ASSERT_TRUE(bm);
  EXPECT_EQ(at(bm.get(), 0, 0), LICE_RGBA(255, 0, 0, 255));
  EXPECT_EQ(at(bm.get(), 1, 0), LICE_RGBA(0, 255, 0, 128));
  EXPECT_EQ(at(bm.get(), 2, 0), LICE_RGBA(0, 0, 255, 255));

  for (int depth : {1, 2, 4, 8, 16})
  {
    SCOPED_TRACE(depth);
    PngSpec grey{8, 1, PNG_COLOR_TYPE_GRAY, depth};
    const int maxv = (1 << depth) - 1;
    // Samples 0 and max, packed at the depth.
    if (depth < 8)
    {
      grey.pixels.assign((size_t) (8 * depth + 7) / 8, 0);
      for (int i = 0; i < 8; ++i)
        if (i % 2) grey.pixels[(size_t) (i * depth / 8)] |= (uint8_t) (maxv << (8 - depth - (i * depth) % 8));
    }
    else
    {
      for (int i = 0; i < 8; ++i)
        for (int b = 0; b < depth / 8; ++b) grey.pixels.push_back(i % 2 ? 0xFF : 0x00);
    }
    bm = load(encode(grey));
    ASSERT_TRUE(bm);
    EXPECT_EQ(at(bm.get(), 0, 0), LICE_RGBA(0, 0, 0, 255));
    EXPECT_EQ(at(bm.get(), 1, 0), LICE_RGBA(255, 255, 255, 255));
  }
}

TEST(Png, TransparencyKeysBecomeAlpha)
{
  PngSpec grey{2, 1, PNG_COLOR_TYPE_GRAY, 8};
  grey.pixels = {77, 78};
  grey.hasTrnsColor = true;
  grey.trnsColor.gray = 77;
  auto bm = load(encode(grey));
  ASSERT_TRUE(bm);
  EXPECT_EQ(at(bm.get(), 0, 0), LICE_RGBA(77, 77, 77, 0));
  EXPECT_EQ(at(bm.get(), 1, 0), LICE_RGBA(78, 78, 78, 255));

  PngSpec rgb{2, 1, PNG_COLOR_TYPE_RGB, 8};
  rgb.pixels = {1, 2, 3, 4, 5, 6};
  rgb.hasTrnsColor = true;
  rgb.trnsColor.red = 4;
  rgb.trnsColor.green = 5;
  rgb.trnsColor.blue = 6;
  bm = load(encode(rgb));
  ASSERT_TRUE(bm);
  EXPECT_EQ(LICE_GETA(at(bm.get(), 0, 0)), 255u);
  EXPECT_EQ(LICE_GETA(at(bm.get(), 1, 0)), 0u);

  PngSpec greyAlpha{1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8};
  greyAlpha.pixels = {99, 33};
  bm = load(encode(greyAlpha));
  ASSERT_TRUE(bm);
  EXPECT_EQ(at(bm.get(), 0, 0), LICE_RGBA(99, 99, 99, 33));
}

TEST(Png, InterlacedImagesDecodeWhole)
{
  PngSpec s{9, 7, PNG_COLOR_TYPE_RGB, 8, true};
  for (int i = 0; i < 9 * 7; ++i)
  {
    s.pixels.push_back((uint8_t) i);
    s.pixels.push_back((uint8_t) (i * 3));
    s.pixels.push_back((uint8_t) (255 - i));
  }
  auto bm = load(encode(s));
  ASSERT_TRUE(bm);
  for (int i = 0; i < 9 * 7; ++i)
    ASSERT_EQ(at(bm.get(), i % 9, i / 9), LICE_RGBA((unsigned) i, (unsigned) (i * 3) & 255, 255u - i, 255)) << i;
}

TEST(Png, FilesIntoGivenBitmapsAndTheLoaderList)
{
  PngSpec s{3, 2, PNG_COLOR_TYPE_RGBA, 8};
  s.pixels.assign(3 * 2 * 4, 200);
  std::vector<uint8_t> bytes = encode(s);
  const std::string path = testing::TempDir() + "fixture.PNG";
  FILE* f = fopen(path.c_str(), "wb");
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);

  LICE_SysBitmap sys(1, 1);
  EXPECT_EQ(LICE_LoadPNG(path.c_str(), &sys), &sys);
  EXPECT_EQ(sys.getWidth(), 3);
  EXPECT_EQ(at(&sys, 2, 1), LICE_RGBA(200, 200, 200, 200));
  EXPECT_EQ(LICE_LoadPNG("/nonexistent.png"), nullptr);

  ASSERT_NE(LICE_ImageLoader_list, nullptr);
  LICE_IBitmap* viaList = LICE_ImageLoader_list->loadfunc(path.c_str(), true, nullptr);
  ASSERT_NE(viaList, nullptr);
  delete viaList;
  EXPECT_EQ(LICE_ImageLoader_list->loadfunc("/tmp/picture.jpg", true, nullptr), nullptr);
  EXPECT_EQ(LICE_ImageLoader_list->loadfunc("/tmp/png", true, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromNamedResource(std::string(401, 'x').c_str()), nullptr);
}

TEST(Png, BrokenInputGivesNullAndLeavesTheBitmapValid)
{
  PngSpec s{16, 16, PNG_COLOR_TYPE_RGB, 8};
  s.pixels.assign(16 * 16 * 3, 90);
  const std::vector<uint8_t> good = encode(s);
  ASSERT_TRUE(load(good));

  // Truncated at every length.
  for (size_t n = 0; n < good.size(); n += 3)
  {
    std::vector<uint8_t> cut(good.begin(), good.begin() + (long) n);
    EXPECT_FALSE(load(cut)) << n;
  }
  // A bad CRC in the header chunk.
  std::vector<uint8_t> crc = good;
  crc[29] ^= 0xFF;
  EXPECT_FALSE(load(crc));
  // Wrong signature.
  std::vector<uint8_t> sig = good;
  sig[1] = 'Q';
  EXPECT_FALSE(load(sig));
  // Absurd dimensions, with a correct CRC.
  std::vector<uint8_t> huge = good;
  const uint8_t dims[8] = {0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF};
  memcpy(huge.data() + 16, dims, 8);
  uint32_t c = (uint32_t) crc32(0, huge.data() + 12, 17);
  const uint8_t crcBytes[4] = {(uint8_t) (c >> 24), (uint8_t) (c >> 16), (uint8_t) (c >> 8), (uint8_t) c};
  memcpy(huge.data() + 29, crcBytes, 4);
  EXPECT_FALSE(load(huge));

  // A given bitmap survives a failed load as a usable bitmap.
  LICE_MemBitmap keep(4, 4);
  EXPECT_EQ(LICE_LoadPNGFromMemory(crc.data(), (int) crc.size(), &keep), nullptr);
  LICE_FillRect(&keep, 0, 0, 100, 100, 0xFFFFFFFF);
  EXPECT_EQ(LICE_LoadPNGFromMemory(good.data(), 7, &keep), nullptr);
}

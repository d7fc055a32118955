// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Bitmaps, and the blit and fill behaviours that callers rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "DeviceContext.h"
#include "lice.h"

namespace
{
LICE_pixel px(LICE_IBitmap& bm, int x, int y) { return LICE_GetPixel(&bm, x, y); }
}  // namespace

TEST(Bitmaps, MemoryBitmapRowsAlignmentAndStorage)
{
  LICE_MemBitmap bm(5, 3, 4);
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_EQ((uintptr_t) bm.getBits() % 64, 0u);
  EXPECT_FALSE(bm.resize(5, 3));
  EXPECT_TRUE(bm.resize(0, 0));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_TRUE(bm.resize(17, 2));
  EXPECT_EQ(bm.getRowSpan(), 20);
  LICE_MemBitmap unaligned(5, 1, 1);
  EXPECT_EQ(unaligned.getRowSpan(), 5);
  LICE_MemBitmap huge(0, 0);
  EXPECT_TRUE(huge.resize(1 << 20, 1 << 20));  // beyond any allocation: empty, not broken
  EXPECT_EQ(huge.getBits(), nullptr);
  EXPECT_EQ(huge.getWidth(), 0);
  LICE_FillRect(&huge, 0, 0, 10, 10, 0xFFFFFFFF);
}

TEST(Bitmaps, SystemBitmapLivesInAZeroedMemoryContext)
{
  LICE_SysBitmap bm(5, 4);
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_EQ((uintptr_t) bm.getBits() % 64, 0u);
  EXPECT_EQ(DC_GetWidth(bm.getDC()), 8);
  for (int i = 0; i < 8 * 4; ++i) EXPECT_EQ(bm.getBits()[i], 0u);
  LICE_pixel* before = bm.getBits();
  EXPECT_TRUE(bm.resize(3, 2));  // fits: the pixels stay where they are
  EXPECT_EQ(bm.getBits(), before);
  EXPECT_TRUE(bm.resize(40, 40));
  EXPECT_EQ(bm.getRowSpan(), 40);
  EXPECT_FALSE(bm.resize(0, 5));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(DC_CreateMemoryContext(0, 5), nullptr);
}

// Sizes near the int limit in both directions: the product of the sides
// overflows even 64 bits, and must be refused before it is formed (the
// sanitizer tree reports the overflow itself).
TEST(Bitmaps, SizesNearTheIntLimitAreRefusedWithoutOverflow)
{
  const int big = 0x7FFFFFFF;
  for (int w : {big, big - 3, 1 << 30, 3})
    for (int h : {big, 1 << 30, 1 << 28})
    {
      LICE_SysBitmap sys(2, 2);
      EXPECT_FALSE(sys.resize(w, h)) << w << " x " << h;
      EXPECT_EQ(sys.getBits(), nullptr);
      LICE_MemBitmap mem(2, 2);
      mem.resize(w, h);
      EXPECT_EQ(mem.getBits(), nullptr) << w << " x " << h;
      EXPECT_EQ(mem.getWidth(), 0);
    }
}

TEST(Blits, PlainCopyAndHalfMix)
{
  LICE_MemBitmap d(2, 1), s(2, 1);
  s.getBits()[0] = 0x12345678;
  s.getBits()[1] = 0xFF00FF01;
  d.getBits()[0] = d.getBits()[1] = 0x80808080;
  LICE_Blit(&d, &s, 0, 0, nullptr, 1.0f, kBlitCopy);
  EXPECT_EQ(px(d, 0, 0), 0x12345678u);
  EXPECT_EQ(px(d, 1, 0), 0xFF00FF01u);
  d.getBits()[0] = 0x80808080;
  LICE_Blit(&d, &s, 0, 0, nullptr, 0.5f, kBlitCopy);
  EXPECT_EQ(px(d, 0, 0), 0x40404040u + ((0x12345678u >> 1) & 0x7F7F7F7Fu));
}

TEST(Blits, SourceAlphaAtFullWeight)
{
  LICE_MemBitmap d(3, 1), s(3, 1);
  s.getBits()[0] = LICE_RGBA(10, 20, 30, 0);
  s.getBits()[1] = LICE_RGBA(10, 20, 30, 255);
  s.getBits()[2] = LICE_RGBA(10, 20, 30, 128);
  for (int i = 0; i < 3; ++i) d.getBits()[i] = LICE_RGBA(200, 200, 200, 200);
  LICE_Blit(&d, &s, 0, 0, nullptr, 1.0f, kBlitUseSourceAlpha);
  EXPECT_EQ(px(d, 0, 0), LICE_RGBA(200, 200, 200, 200));
  EXPECT_EQ(px(d, 1, 0), LICE_RGBA(10, 20, 30, 255));
  EXPECT_EQ(LICE_GETA(px(d, 2, 0)), 255u);
}

TEST(Blits, NegativeSourceOriginShiftsTheImage)
{
  LICE_MemBitmap d(4, 1), s(4, 1);
  LICE_Clear(&d, 0);
  for (int i = 0; i < 4; ++i) s.getBits()[i] = (uint32_t) (i + 1);
  LICE_Blit(&d, &s, 0, 0, -2, 0, 4, 1, 1.0f, kBlitCopy);
  EXPECT_EQ(px(d, 0, 0), 0u);
  EXPECT_EQ(px(d, 1, 0), 0u);
  EXPECT_EQ(px(d, 2, 0), 1u);
  EXPECT_EQ(px(d, 3, 0), 2u);
}

TEST(Blits, UnscaledScaledBlitEqualsBlitAndDownscaleAveragesBlocks)
{
  LICE_MemBitmap s(12, 12), a(12, 12), b(12, 12);
  for (int i = 0; i < 144; ++i) s.getBits()[i] = LICE_RGBA((unsigned) i, (unsigned) (2 * i), 7, 255);
  LICE_ScaledBlit(&a, &s, 0, 0, 12, 12, 0.0f, 0.0f, 12.0f, 12.0f, 1.0f, kBlitCopy | kBlitFilterBilinear);
  LICE_Blit(&b, &s, 0, 0, nullptr, 1.0f, kBlitCopy);
  EXPECT_EQ(memcmp(a.getBits(), b.getBits(), 12 * 12 * 4), 0);

  // Half size: each pixel is the mean of the 3 x 3 block around its sample.
  LICE_MemBitmap half(6, 6);
  LICE_ScaledBlit(&half, &s, 0, 0, 6, 6, 0.0f, 0.0f, 12.0f, 12.0f, 1.0f, kBlitCopy | kBlitFilterBilinear);
  int sum = 0;
  for (int y = 1; y <= 3; ++y)
    for (int x = 1; x <= 3; ++x) sum += (int) LICE_GETR(s.getBits()[y * 12 + x]);
  EXPECT_EQ(LICE_GETR(px(half, 1, 1)), (unsigned) (sum / 9));
  // At the border only the block pixels inside the source count.
  sum = 0;
  for (int y = 0; y <= 1; ++y)
    for (int x = 0; x <= 1; ++x) sum += (int) LICE_GETR(s.getBits()[y * 12 + x]);
  EXPECT_EQ(LICE_GETR(px(half, 0, 0)), (unsigned) (sum / 4));
}

TEST(Fills, ColourWordSourceAlphaClearAndMask)
{
  LICE_MemBitmap d(3, 3);
  LICE_Clear(&d, 0x11223344);
  LICE_FillRect(&d, 0, 0, 3, 3, 0xAABBCCDD, 1.0f, kBlitCopy);
  EXPECT_EQ(px(d, 2, 2), 0xAABBCCDDu);
  LICE_FillRect(&d, 0, 0, 3, 3, 0x12345600, 1.0f, kBlitCopy | kBlitUseSourceAlpha);
  EXPECT_EQ(px(d, 1, 1), 0xAABBCCDDu);
  LICE_ClearRect(&d, 1, 1, 5, 5, 0xFFFFFF00, 0);
  EXPECT_EQ(px(d, 1, 1), 0xAABBCC00u);
  EXPECT_EQ(px(d, 0, 0), 0xAABBCCDDu);
  LICE_SetAlphaFromColorMask(&d, 0xAABBCC00);
  EXPECT_EQ(px(d, 0, 0), 0xAABBCC00u);  // colour matches: transparent
  LICE_PutPixel(&d, 0, 0, 0x01020304, 1.0f, kBlitCopy);
  LICE_PutPixel(&d, 7, 7, 0x01020304, 1.0f, kBlitCopy);  // outside: nothing
  EXPECT_EQ(px(d, 0, 0), 0x01020304u);
  EXPECT_EQ(px(d, 9, 9), 0u);

  LICE_MemBitmap copy;
  LICE_Copy(&copy, &d);
  EXPECT_EQ(copy.getWidth(), 3);
  EXPECT_EQ(px(copy, 0, 0), 0x01020304u);
}

TEST(Blits, RotatedBlitByZeroAndByAHalfTurn)
{
  LICE_MemBitmap s(8, 8), d(8, 8), r(8, 8);
  for (int i = 0; i < 64; ++i) s.getBits()[i] = (uint32_t) (i * 2654435761u);
  LICE_RotatedBlit(&d, &s, 0, 0, 8, 8, 0, 0, 8, 8, 0.0f, false, 1.0f, kBlitCopy);
  EXPECT_EQ(memcmp(d.getBits(), s.getBits(), 64 * 4), 0);
  // Half a turn about the centre: each drawn pixel shows the source point
  // mirrored through the centre, within the fixed-point rounding of the
  // sample positions (corner-based, so 7 - x or 8 - x).
  LICE_Clear(&r, 0x5A5A5A5A);
  LICE_RotatedBlit(&r, &s, 0, 0, 8, 8, 0, 0, 8, 8, (float) M_PI, false, 1.0f, kBlitCopy);
  int drawn = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
    {
      if (px(r, x, y) == 0x5A5A5A5Au) continue;
      ++drawn;
      bool found = false;
      for (int sy = 7 - y; sy <= 8 - y; ++sy)
        for (int sx = 7 - x; sx <= 8 - x; ++sx) found |= sx < 8 && sy < 8 && px(r, x, y) == px(s, sx, sy);
      EXPECT_TRUE(found) << x << "," << y;
    }
  EXPECT_GE(drawn, 49);
  // Modes 6 and up draw nothing.
  LICE_MemBitmap untouched(8, 8);
  LICE_Clear(&untouched, 0);
  LICE_RotatedBlit(&untouched, &s, 0, 0, 8, 8, 0, 0, 8, 8, 0.3f, false, 1.0f, 6);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(untouched.getBits()[i], 0u);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Numbers from outside: huge, inverted, NaN and out-of-range coordinates,
// sizes, radii and alphas. Nothing may read or write outside a bitmap,
// overflow, throw or draw garbage; what is drawn is what the same shape
// gives with sane numbers. The sanitizer tree turns any overflow into a
// failure here.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "lice.h"

namespace
{
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const LICE_pixel kInk = LICE_RGBA(10, 200, 30, 255);

struct Canvas
{
  LICE_MemBitmap bm;
  Canvas(int w = 40, int h = 30, LICE_pixel fill = 0x11223344) : bm(w, h) { LICE_Clear(&bm, fill); }
  std::vector<LICE_pixel> pixels()
  {
    std::vector<LICE_pixel> v;
    for (int y = 0; y < bm.getHeight(); ++y)
      for (int x = 0; x < bm.getWidth(); ++x) v.push_back(LICE_GetPixel(&bm, x, y));
    return v;
  }
  bool untouched(LICE_pixel fill = 0x11223344)
  {
    for (LICE_pixel p : pixels())
      if (p != fill) return false;
    return true;
  }
};
}  // namespace

TEST(HostileInput, BlitRectanglesAnywhereInTheIntRangeStayInside)
{
  LICE_MemBitmap src(8, 4);
  LICE_Clear(&src, kInk);
  Canvas c;
  const RECT inverted = {2000000000, 0, -2000000000, 4};
  LICE_Blit(&c.bm, &src, 0, 0, &inverted, 1.0f, 0);
  LICE_Blit(&c.bm, &src, 0, 0, INT_MAX - 2, 0, 10, 4, 1.0f, 0);
  LICE_Blit(&c.bm, &src, INT_MAX - 2, 0, 0, 0, 8, 4, 1.0f, 0);
  LICE_Blit(&c.bm, &src, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0.7f, kBlitUseSourceAlpha);
  EXPECT_TRUE(c.untouched());

  // A source rectangle far to the left still shifts the image into place.
  LICE_Blit(&c.bm, &src, INT_MAX - 100, 0, -(INT_MAX - 100), 0, INT_MAX, 4, 1.0f, 0);
  EXPECT_TRUE(c.untouched());
  LICE_Blit(&c.bm, &src, 5, 5, -3, 0, 6, 4, 1.0f, 0);
  EXPECT_EQ(LICE_GetPixel(&c.bm, 8, 5), kInk);  // source column 0 lands at 5 + 3
  EXPECT_EQ(LICE_GetPixel(&c.bm, 7, 5), 0x11223344u);
}

TEST(HostileInput, AlphaOutsideZeroToOne)
{
  LICE_MemBitmap src(8, 8);
  LICE_Clear(&src, kInk);
  for (float bad : {kNaN, -0.5f, -std::numeric_limits<float>::infinity()})
  {
    Canvas c;
    LICE_Blit(&c.bm, &src, 0, 0, nullptr, bad, kBlitAdd);
    LICE_ScaledBlit(&c.bm, &src, 0, 0, 20, 20, 0, 0, 8, 8, bad, kBlitFilterBilinear);
    LICE_RotatedBlit(&c.bm, &src, 0, 0, 8, 8, 0, 0, 8, 8, 0.3f, false, bad, kBlitAdd);
    LICE_FillRect(&c.bm, 0, 0, 10, 10, kInk, bad, kBlitAdd);
    LICE_PutPixel(&c.bm, 1, 1, kInk, bad, kBlitAdd);
    LICE_Line(&c.bm, 0, 0, 30, 20, kInk, bad, kBlitAdd, true);
    LICE_FillCircle(&c.bm, 20, 15, 8, kInk, bad, kBlitAdd, true);
    LICE_FillTriangle(&c.bm, 0, 0, 30, 5, 10, 25, kInk, bad, kBlitAdd);
    EXPECT_TRUE(c.untouched()) << bad;
  }
  // Above 1 counts as 1, in every mode (a weight above 256 would extrapolate).
  for (int mode : {0, (int) kBlitAdd, (int) kBlitMultiply})
  {
    Canvas over, one;
    LICE_FillRect(&over.bm, 2, 2, 10, 10, kInk, 3.5f, mode);
    LICE_FillRect(&one.bm, 2, 2, 10, 10, kInk, 1.0f, mode);
    LICE_FillCircle(&over.bm, 20, 15, 6, kInk, 3.5f, mode, true);
    LICE_FillCircle(&one.bm, 20, 15, 6, kInk, 1.0f, mode, true);
    LICE_Blit(&over.bm, &src, 30, 0, nullptr, 2.0f, mode);
    LICE_Blit(&one.bm, &src, 30, 0, nullptr, 1.0f, mode);
    EXPECT_EQ(over.pixels(), one.pixels()) << mode;
  }
}

TEST(HostileInput, LinesAcrossTheWholeIntRangeClipExactly)
{
  Canvas a, b;
  LICE_Line(&a.bm, -1100000000, 7, 1100000000, 7, kInk, 1.0f, 0, false);
  LICE_Line(&b.bm, -5, 7, 50, 7, kInk, 1.0f, 0, false);
  EXPECT_EQ(a.pixels(), b.pixels());
  for (int x = 0; x < 40; ++x) EXPECT_EQ(LICE_GetPixel(&a.bm, x, 7), kInk);

  // The diagonal through the whole range is the diagonal of the bitmap.
  Canvas d, e;
  LICE_Line(&d.bm, INT_MIN + 1, INT_MIN + 1, INT_MAX, INT_MAX, kInk, 1.0f, 0, false);
  LICE_Line(&e.bm, 0, 0, 29, 29, kInk, 1.0f, 0, false);
  EXPECT_EQ(d.pixels(), e.pixels());

  Canvas f;
  LICE_DrawRect(&f.bm, INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, kInk);
  LICE_BorderedRect(&f.bm, INT_MAX, INT_MAX, INT_MAX, INT_MAX, kInk, kInk);
  LICE_RoundRect(&f.bm, 3e30f, -3e30f, 1e38f, kNaN, 5, kInk);
  EXPECT_TRUE(f.untouched());
}

TEST(HostileInput, CirclesWithHugeOrMissingRadiiAndCentres)
{
  Canvas c;
  for (float r : {kNaN, 2147483648.0f, 1e30f, std::numeric_limits<float>::infinity(), -1.0f})
    for (bool aa : {false, true})
    {
      LICE_FillCircle(&c.bm, 20, 15, r, kInk, 1.0f, 0, aa);
      LICE_Circle(&c.bm, 20, 15, r, kInk, 1.0f, 0, aa);
      LICE_Arc(&c.bm, 20, 15, r, 0.0f, 2.0f, kInk, 1.0f, 0, aa);
    }
  LICE_FillCircle(&c.bm, kNaN, 15, 5, kInk, 1.0f, 0, true);
  LICE_Arc(&c.bm, 20, 15, 5, kNaN, 1.0f, kInk, 1.0f, 0, true);
  EXPECT_TRUE(c.untouched());

  // A circle far larger than the bitmap, centred on it, covers all of it.
  for (bool aa : {false, true})
  {
    Canvas big;
    LICE_FillCircle(&big.bm, 20, 15, 1.0e8f, kInk, 1.0f, 0, aa);
    for (LICE_pixel p : big.pixels()) ASSERT_EQ(p, kInk) << aa;
  }
}

TEST(HostileInput, ScaledAndRotatedBlitsAtTheEdgesOfTheRange)
{
  LICE_MemBitmap src(8, 8);
  LICE_Clear(&src, kInk);
  Canvas c;
  LICE_ScaledBlit(&c.bm, &src, INT_MAX - 3, 0, INT_MAX, 10, 0, 0, 8, 8, 1.0f, 0);
  LICE_ScaledBlit(&c.bm, &src, 0, 0, INT_MIN, INT_MIN, 0, 0, 8, 8, 1.0f, 0);
  LICE_ScaledBlit(&c.bm, &src, 0, 0, 10, 10, kNaN, 0, 8, 8, 1.0f, kBlitFilterBilinear);
  LICE_ScaledBlit(&c.bm, &src, 0, 0, 10, 10, 3e38f, -3e38f, 8, 8, 0.5f, kBlitFilterBilinear);
  LICE_RotatedBlit(&c.bm, &src, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 8, 8, 1.0f, true, 1.0f, 0x100);
  LICE_RotatedBlit(&c.bm, &src, 0, 0, 10, 10, 0, 0, 8, 8, kNaN, false, 1.0f, 0);
  LICE_RotatedBlit(&c.bm, &src, 0, 0, 10, 10, 1e30f, 1e30f, 8, 8, 0.4f, false, 1.0f, 0x100, -1e30f, 1e30f);
  EXPECT_TRUE(c.untouched());

  // A destination that starts near the bottom of the int range and ends at
  // x = 15 covers exactly columns 0 to 14 of the bitmap.
  Canvas far;
  LICE_ScaledBlit(&far.bm, &src, INT_MIN + 16, 0, INT_MAX, 16, 0, 0, 8, 8, 1.0f, 0);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(LICE_GetPixel(&far.bm, x, y), x < 15 && y < 16 ? kInk : 0x11223344u) << x << "," << y;
}

TEST(HostileInput, BitmapsPolygonsAndGlyphsAtTheLimits)
{
  LICE_MemBitmap huge(4, 4);
  huge.resize(INT_MAX - 1, 1);  // the padded row span would wrap
  EXPECT_EQ(huge.getWidth(), 0);
  EXPECT_EQ(huge.getBits(), nullptr);
  LICE_FillRect(&huge, 0, 0, 10, 10, kInk);

  // A trapezoid and a polygon spanning the whole int range cover the bitmap.
  Canvas trap, poly, glyphs;
  LICE_FillTrapezoid(&trap.bm, INT_MIN, INT_MAX, INT_MIN, INT_MAX, INT_MIN, INT_MAX, kInk);
  const int xs[4] = {INT_MIN, INT_MAX, INT_MAX, INT_MIN}, ys[4] = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  LICE_FillConvexPolygon(&poly.bm, xs, ys, 4, kInk);
  for (LICE_pixel p : trap.pixels()) ASSERT_EQ(p, kInk);
  for (LICE_pixel p : poly.pixels()) ASSERT_EQ(p, kInk);

  const LICE_pixel_chan glyph[4] = {255, 255, 255, 255};
  LICE_DrawGlyph(&glyphs.bm, INT_MAX, INT_MAX, kInk, glyph, 2, 2);
  LICE_DrawGlyph(&glyphs.bm, INT_MIN, 3, kInk, glyph, 2, 2);
  EXPECT_TRUE(glyphs.untouched());
}

// A system bitmap asked for a size whose bytes no size field holds gets no
// storage, without overflowing on the way.
TEST(HostileInput, SystemBitmapsRefuseSizesBeyondTheirByteCount)
{
  LICE_SysBitmap bm(10, 10);
  for (auto wh : {std::make_pair(2147483647, 1), std::make_pair(2147483644, 2), std::make_pair(50000, 50000),
                  std::make_pair(1, 2147483647)})
  {
    EXPECT_FALSE(bm.resize(wh.first, wh.second)) << wh.first << " x " << wh.second;
    EXPECT_EQ(bm.getWidth(), 0);
    EXPECT_EQ(bm.getBits(), nullptr);
  }
  EXPECT_TRUE(bm.resize(300, 200));
  EXPECT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 300);
}

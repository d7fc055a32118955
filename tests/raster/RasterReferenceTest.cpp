// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Every combiner, blit, scaled blit and fill against the plain per-pixel
// reference, on seeded random images, positions, sizes, alphas and modes.
// Any differing pixel is a failure.
#include <gtest/gtest.h>

#include "RasterTestUtil.h"

namespace
{
const int kModes[] = {0, 1, 2, 3, 4, 5};

float randomAlpha(std::mt19937& rng)
{
  const float special[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, 1.0f / 256, 0.999f};
  std::uniform_int_distribution<int> pick(0, 13);
  int k = pick(rng);
  if (k < 7) return special[k];
  return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
}

int randomMode(std::mt19937& rng, bool withFilter)
{
  std::uniform_int_distribution<int> m(0, 5), coin(0, 1);
  int mode = m(rng);
  if (coin(rng)) mode |= kBlitUseSourceAlpha;
  if (withFilter && coin(rng)) mode |= kBlitFilterBilinear;
  return mode;
}
}  // namespace

TEST(RasterReference, EveryCombinerOnRandomPixels)
{
  // Random pixel pairs and weights, each mode with and without source
  // alpha, through one-pixel blits.
  LICE_MemBitmap d(1, 1), s(1, 1);
  std::mt19937 rng(1);
  for (int mode : kModes)
    for (int srcAlpha = 0; srcAlpha < 2; ++srcAlpha)
      for (int trial = 0; trial < 4000; ++trial)
      {
        uint32_t dp = rng(), sp = rng();
        if (trial % 7 == 0) sp &= 0xFFFFFF00u;
        if (trial % 11 == 0) sp |= 0xFF;
        float alpha = trial % 3 ? randomAlpha(rng) : 1.0f;
        *d.getBits() = dp;
        *s.getBits() = sp;
        int fullMode = mode | (srcAlpha ? kBlitUseSourceAlpha : 0);
        LICE_Blit(&d, &s, 0, 0, nullptr, alpha, fullMode);
        ref::Image rd(1, 1), rs(1, 1);
        rd.at(0, 0) = dp;
        rs.at(0, 0) = sp;
        ref::Blit(rd, rs, 0, 0, 0, 0, 1, 1, alpha, fullMode);
        ASSERT_EQ(*d.getBits(), rd.at(0, 0)) << "mode " << fullMode << " alpha " << alpha << " d " << std::hex << dp
                                             << " s " << sp;
      }
}

TEST(RasterReference, BlitsOnRandomImagesAndPositions)
{
  std::mt19937 rng(2);
  std::uniform_int_distribution<int> size(1, 40), pos(-30, 50);
  for (int trial = 0; trial < 1500; ++trial)
  {
    LICE_MemBitmap dest(size(rng), size(rng)), src(size(rng), size(rng));
    RandomFill(&dest, rng);
    RandomFill(&src, rng);
    ref::Image rd = ToRef(&dest), rs = ToRef(&src);
    int dx = pos(rng), dy = pos(rng);
    RECT r = {pos(rng), pos(rng), 0, 0};
    r.right = r.left + size(rng);
    r.bottom = r.top + size(rng);
    float alpha = randomAlpha(rng);
    int mode = trial % 23 == 0 ? (0xF0 | (rng() & 15)) : randomMode(rng, false);
    LICE_Blit(&dest, &src, dx, dy, &r, alpha, mode);
    ref::Blit(rd, rs, dx, dy, r.left, r.top, r.right, r.bottom, alpha, mode);
    ASSERT_EQ(FirstDifference(&dest, rd), -1) << "trial " << trial << " mode " << mode << " alpha " << alpha;
  }
}

TEST(RasterReference, ScaledBlitsNearestBilinearAndBoxFilter)
{
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> size(1, 48), pos(-20, 40), dsize(-50, 60);
  std::uniform_real_distribution<float> fpos(-10.0f, 40.0f), fsize(-30.0f, 60.0f);
  for (int trial = 0; trial < 1500; ++trial)
  {
    LICE_MemBitmap dest(size(rng), size(rng)), src(size(rng), size(rng));
    RandomFill(&dest, rng);
    RandomFill(&src, rng);
    ref::Image rd = ToRef(&dest), rs = ToRef(&src);
    int dx = pos(rng), dy = pos(rng), dw = dsize(rng), dh = dsize(rng);
    float sx = fpos(rng), sy = fpos(rng), sw = fsize(rng), sh = fsize(rng);
    switch (trial % 5)
    {
      case 0:  // strong downscale: the box filter
        sw = (float) std::abs(dw) * 2.5f + 1;
        sh = (float) std::abs(dh) * 4.5f + 1;
        sx = 0;
        sy = 0;
        break;
      case 1:  // no scaling at all
        sw = (float) dw;
        sh = (float) dh;
        sx = (float) (int) sx;
        break;
      default: break;
    }
    float alpha = randomAlpha(rng);
    int mode = randomMode(rng, true);
    if (trial % 4 == 0) mode &= ~0xFF;  // plain copies, the fast paths
    LICE_ScaledBlit(&dest, &src, dx, dy, dw, dh, sx, sy, sw, sh, alpha, mode);
    ref::ScaledBlit(rd, rs, dx, dy, dw, dh, sx, sy, sw, sh, alpha, mode);
    ASSERT_EQ(FirstDifference(&dest, rd), -1) << "trial " << trial << " mode " << mode << " alpha " << alpha << " dst "
                                              << dx << "," << dy << " " << dw << "x" << dh << " src " << sx << ","
                                              << sy << " " << sw << "x" << sh;
  }
}

TEST(RasterReference, FillsWithEveryModeAndWeight)
{
  std::mt19937 rng(4);
  std::uniform_int_distribution<int> size(1, 30), pos(-20, 30), extent(-5, 40);
  for (int trial = 0; trial < 2000; ++trial)
  {
    LICE_MemBitmap dest(size(rng), size(rng));
    RandomFill(&dest, rng);
    ref::Image rd = ToRef(&dest);
    int x = pos(rng), y = pos(rng), w = extent(rng), h = extent(rng);
    uint32_t color = rng();
    if (trial % 5 == 0) color &= 0xFFFFFF00u;
    float alpha = randomAlpha(rng);
    int mode = randomMode(rng, false);
    LICE_FillRect(&dest, x, y, w, h, color, alpha, mode);
    ref::FillRect(rd, x, y, w, h, color, alpha, mode);
    ASSERT_EQ(FirstDifference(&dest, rd), -1) << "trial " << trial << " mode " << mode << " alpha " << alpha;
  }
}

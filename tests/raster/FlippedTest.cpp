// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A flipped bitmap stores its rows bottom-up. Every operation draws it the
// right way up: what a flipped bitmap shows (read through LICE_GetPixel) is
// what a plain bitmap shows after the same calls.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "RasterTestUtil.h"
#include "lice.h"

namespace
{
struct FlippedBitmap : LICE_MemBitmap
{
  FlippedBitmap(int w, int h) : LICE_MemBitmap(w, h) {}
  bool isFlipped() override { return true; }
};

std::vector<LICE_pixel> visible(LICE_IBitmap* bm)
{
  std::vector<LICE_pixel> v;
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x) v.push_back(LICE_GetPixel(bm, x, y));
  return v;
}
}  // namespace

TEST(Flipped, EveryOperationDrawsTheRightWayUp)
{
  std::mt19937 rng(5);
  LICE_MemBitmap src(13, 9);
  RandomFill(&src, rng);
  const LICE_pixel ink = LICE_RGBA(250, 120, 10, 200);
  const LICE_pixel_chan cov[6] = {255, 128, 0, 40, 255, 90};
  const int px[5] = {3, 30, 36, 20, 5}, py[5] = {2, 4, 20, 27, 15};

  const std::vector<std::pair<const char*, std::function<void(LICE_IBitmap*)>>> ops = {
    {"line", [&](LICE_IBitmap* b) { LICE_Line(b, 2, 3, 37, 25, ink, 1.0f, 0, false); }},
    {"aa line", [&](LICE_IBitmap* b) { LICE_Line(b, 36, 1, 4, 28, ink, 0.8f, 0, true); }},
    {"trapezoid", [&](LICE_IBitmap* b) { LICE_FillTrapezoid(b, 5, 12, 2, 1, 30, 20, ink, 0.6f, kBlitAdd); }},
    {"polygon", [&](LICE_IBitmap* b) { LICE_FillConvexPolygon(b, px, py, 5, ink, 1.0f, 0); }},
    {"glyph", [&](LICE_IBitmap* b) { LICE_DrawGlyph(b, 7, 4, ink, cov, 3, 2, 1.0f, 0); }},
    {"circle", [&](LICE_IBitmap* b) { LICE_Circle(b, 20, 14, 9.3f, ink, 1.0f, 0, true); }},
    {"filled circle", [&](LICE_IBitmap* b) { LICE_FillCircle(b, 11, 19, 7, ink, 0.5f, 0, false); }},
    {"arc", [&](LICE_IBitmap* b) { LICE_Arc(b, 20, 15, 10, 0.3f, 2.2f, ink, 1.0f, 0, true); }},
    {"round rect", [&](LICE_IBitmap* b) { LICE_RoundRect(b, 3, 4, 30, 20, 6, ink, 1.0f, 0, true); }},
    {"blit", [&](LICE_IBitmap* b) { LICE_Blit(b, &src, 4, 6, nullptr, 0.7f, kBlitUseSourceAlpha); }},
    {"scaled", [&](LICE_IBitmap* b) { LICE_ScaledBlit(b, &src, 1, 2, 30, 20, 0, 0, 13, 9, 1.0f, 0x100); }},
    {"rotated", [&](LICE_IBitmap* b) { LICE_RotatedBlit(b, &src, 8, 6, 13, 9, 0, 0, 13, 9, 0.7f, false, 1.0f, 0x100); }},
    {"fill", [&](LICE_IBitmap* b) { LICE_FillRect(b, 6, 3, 9, 5, ink, 0.3f, 0); }},
  };
  for (const auto& op : ops)
  {
    LICE_MemBitmap plain(40, 30);
    FlippedBitmap flipped(40, 30);
    LICE_Clear(&plain, 0x10203040);
    LICE_Clear(&flipped, 0x10203040);
    op.second(&plain);
    op.second(&flipped);
    EXPECT_EQ(visible(&plain), visible(&flipped)) << op.first;
    EXPECT_NE(visible(&plain), std::vector<LICE_pixel>(40 * 30, 0x10203040)) << op.first << " drew nothing";
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Shapes and rotated blits held against references written apart from the
// drivers: circles against the midpoint walk itself, lines against the
// closed form of their error terms, and rotated bilinear blits, called as
// the knobs call them, against a per-pixel evaluation of the sampling rule.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "RasterTestUtil.h"
#include "lice.h"

namespace
{
const LICE_pixel kInk = LICE_RGBA(255, 255, 255, 255);
typedef std::set<std::pair<long, long>> Pixels;

Pixels inked(LICE_IBitmap* bm)
{
  Pixels s;
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
      if (LICE_GetPixel(bm, x, y)) s.insert({x, y});
  return s;
}

// The midpoint walk step by step: from (0, R), for x = 1, 2, ... while x
// is below y, y moves in when the decision term (from -R) is not negative.
std::vector<std::pair<long, long>> midpointWalk(long R)
{
  std::vector<std::pair<long, long>> pts{{0, R}};
  long y = R, d = -R;
  for (long x = 1; x < y; ++x)
  {
    if (d >= 0)
    {
      d += 2 * (x + 1 - y) + 1;
      --y;
    }
    else
    {
      d += 2 * x + 1;
    }
    pts.push_back({x, y});
  }
  return pts;
}

// The pixels of an aliased circle of radius R about (cx, cy) that lie on a
// w x h bitmap: the walk mirrored into eight octants, or for filled circles
// each row out to its widest octant point.
Pixels referenceCircle(long cx, long cy, long R, bool filled, int w, int h)
{
  Pixels s;
  auto add = [&](long x, long y) {
    if (x >= 0 && y >= 0 && x < w && y < h) s.insert({x, y});
  };
  const auto pts = midpointWalk(R);
  if (!filled)
  {
    for (auto [x, y] : pts)
      for (int k = 0; k < 8; ++k)
      {
        const long a = k & 4 ? y : x, b = k & 4 ? x : y;
        add(cx + (k & 1 ? -a : a), cy + (k & 2 ? -b : b));
      }
    return s;
  }
  std::vector<long> half((size_t) R + 1, -1);
  for (auto [x, y] : pts)
  {
    half[(size_t) y] = std::max(half[(size_t) y], x);
    half[(size_t) x] = std::max(half[(size_t) x], y);
  }
  for (long j = 0; j <= R; ++j)
    for (long yy : {cy - j, cy + j})
      if (yy >= 0 && yy < h)
        for (long x = std::max(0L, cx - half[(size_t) j]); x <= cx + half[(size_t) j] && x < w; ++x) add(x, yy);
  return s;
}
}  // namespace

TEST(ClosedForm, AliasedCirclesAreTheMidpointWalk)
{
  for (long R = 0; R <= 90; ++R)
    for (bool filled : {false, true})
    {
      const int size = 2 * (int) R + 7;
      LICE_MemBitmap bm(size, size);
      LICE_Clear(&bm, 0);
      const long c = R + 3;
      if (filled) LICE_FillCircle(&bm, c, c, (float) R, kInk, 1.0f, 0, false);
      else LICE_Circle(&bm, c, c, (float) R, kInk, 1.0f, 0, false);
      if (!filled && R >= 2 && R <= 4) continue;  // the fixed small images
      ASSERT_EQ(inked(&bm), referenceCircle(c, c, R, filled, size, size)) << R << (filled ? " filled" : "");
    }
  // Circles far larger than the bitmap, with their edge crossing it: only
  // the visible rows and columns are visited, and they are the walk's.
  for (long R : {1000L, 20000L, 250000L})
    for (bool filled : {false, true})
    {
      LICE_MemBitmap bm(383, 300);
      LICE_Clear(&bm, 0);
      const long cx = 190, cy = R - 150 + (R % 7);
      if (filled) LICE_FillCircle(&bm, (float) cx, (float) cy, (float) R, kInk, 1.0f, 0, false);
      else LICE_Circle(&bm, (float) cx, (float) cy, (float) R, kInk, 1.0f, 0, false);
      ASSERT_EQ(inked(&bm), referenceCircle(cx, cy, R, filled, 383, 300)) << R;
    }
}

TEST(ClosedForm, LinesFollowTheirErrorTermsFromBothEnds)
{
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> pos(0, 47);
  const LICE_pixel ink = LICE_RGBA(200, 100, 50, 255), paper = LICE_RGBA(10, 20, 30, 255);
  for (int trial = 0; trial < 400; ++trial)
  {
    const int x1 = pos(rng), y1 = pos(rng), x2 = pos(rng), y2 = pos(rng);
    const bool aa = trial & 1;
    const int adx = std::abs(x2 - x1), ady = std::abs(y2 - y1);
    if (adx == ady || !adx || !ady) continue;  // axis-parallel and diagonal lines have their own paths
    LICE_MemBitmap bm(48, 48);
    LICE_Clear(&bm, paper);
    LICE_Line(&bm, x1, y1, x2, y2, ink, 1.0f, 0, aa);

    // Expected: the line from its smaller major end A to B. Step k from A
    // sits at minor offset (k step + 0x8000) >> 16 (aliased) or k step >> 16
    // with the next pixel across weighted by the fraction (antialiased);
    // step k from B mirrors it. Each half is drawn up to the middle.
    ref::Image want(48, 48);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x) want.at(x, y) = paper;
    const bool xMajor = adx > ady;
    int ax = x1, ay = y1, bx = x2, by = y2;
    if (xMajor ? ax > bx : ay > by) std::swap(ax, bx), std::swap(ay, by);
    const long n = xMajor ? adx : ady, step = ((long) (xMajor ? ady : adx) << 16) / n;
    const int sMaj = 1, sMin = (xMajor ? by - ay : bx - ax) > 0 ? 1 : -1;
    auto plot = [&](long maj, long min, int weight) {
      const int x = (int) (xMajor ? maj : min), y = (int) (xMajor ? min : maj);
      if (weight <= 0) return;
      uint32_t& d = want.at(x, y);
      // Copy mode: a store at full weight, the word half mix at 128.
      if (weight >= 256) d = ink;
      else if (weight == 128) d = ((d >> 1) & 0x7F7F7F7Fu) + ((ink >> 1) & 0x7F7F7F7Fu);
      else d = ref::Combine(d, 200, 100, 50, 255, weight, 0, false);
    };
    const long majA = xMajor ? ax : ay, minA = xMajor ? ay : ax, majB = xMajor ? bx : by, minB = xMajor ? by : bx;
    for (long k = 0; 2 * k <= n; ++k)
    {
      const bool middle = 2 * k == n;
      if (!aa)
      {
        const long m = (k * step + 0x8000) >> 16;
        plot(majA + k * sMaj, minA + m * sMin, 256);
        if (!middle) plot(majB - k * sMaj, minB - m * sMin, 256);
        continue;
      }
      if (k == 0)
      {
        plot(majA, minA, 256);
        plot(majB, minB, 256);
        continue;
      }
      const long m = (k * step) >> 16, e = ((k * step) & 0xFFFF) >> 8;
      plot(majA + k * sMaj, minA + m * sMin, (int) (255 - e));
      plot(majA + k * sMaj, minA + (m + 1) * sMin, (int) e);
      if (middle) continue;
      plot(majB - k * sMaj, minB - m * sMin, (int) (255 - e));
      plot(majB - k * sMaj, minB - (m + 1) * sMin, (int) e);
    }
    ASSERT_EQ(FirstDifference(&bm, want), -1) << trial << ": " << x1 << "," << y1 << " -> " << x2 << "," << y2 << " aa "
                                              << aa;
  }
}

namespace
{
// One rotated blit evaluated pixel by pixel: the top-left sample and the
// per-column and per-row steps in 16.16 (truncated), each sample's position
// as start + row x row step + column x column step, bilinear inside the
// clip (last column vertical only, last row horizontal only, corner as is).
void referenceRotated(ref::Image& d, const ref::Image& s, int dstx, int dsty, int W, int H, float angle, bool clip,
                      float alpha, int mode, float rotx, float roty)
{
  const int w = (int) (alpha * 256.0f);
  const double srcw = s.w, srch = s.h;
  const double c = std::cos((double) angle), sn = std::sin((double) angle);
  const double x0 = 0.0 - ((H * sn * srcw / W + c * srcw - srcw) * 0.5 - rotx);
  const double y0 = 0.0 - ((c * srch - W * sn * srch / H - srch) * 0.5 - roty);
  const long dxx = (long) (c * srcw / W * 65536.0), dxy = (long) (-sn * srch / H * 65536.0);
  const long dyx = (long) (sn * srcw / W * 65536.0), dyy = (long) (c * srch / H * 65536.0);
  const long ix = (long) (x0 * 65536.0), iy = (long) (y0 * 65536.0);
  (void) clip;  // the source rectangle is the whole source here
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
    {
      const int dx = dstx + x, dy = dsty + y;
      if (dx < 0 || dy < 0 || dx >= d.w || dy >= d.h) continue;
      const long cx = ix + y * dyx + x * dxx, cy = iy + y * dyy + x * dxy;
      const long sx = cx >> 16, sy = cy >> 16;
      if (sx < 0 || sy < 0 || sx >= s.w || sy >= s.h) continue;
      const long fx = cx & 0xFFFF, fy = cy & 0xFFFF;
      auto channel = [&](int i) {
        auto at = [&](long xx, long yy) { return (long) ((s.at((int) xx, (int) yy) >> (8 * i)) & 0xFF); };
        const bool lastCol = sx == s.w - 1, lastRow = sy == s.h - 1;
        if (lastCol && lastRow) return at(sx, sy);
        if (lastCol) return (at(sx, sy) * (65536 - fy) + at(sx, sy + 1) * fy) >> 16;
        if (lastRow) return (at(sx, sy) * (65536 - fx) + at(sx + 1, sy) * fx) >> 16;
        const long w11 = (fx * fy) >> 16, w10 = fx - w11, w01 = fy - w11, w00 = 65536 - fx - fy + w11;
        return (at(sx, sy) * w00 + at(sx + 1, sy) * w10 + at(sx, sy + 1) * w01 + at(sx + 1, sy + 1) * w11) >> 16;
      };
      d.at(dx, dy) = ref::Combine(d.at(dx, dy), (int) channel(1), (int) channel(2), (int) channel(3), (int) channel(0),
                                  w, mode & 0xFF, (mode & 0x10000) != 0);
    }
}
}  // namespace

TEST(ClosedForm, RotatedBilinearBlitsAsTheKnobsDrawThem)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> turn(-7.0f, 7.0f), pivot(-6.0f, 6.0f);
  for (int trial = 0; trial < 60; ++trial)
  {
    const int W = 21 + trial % 7, H = 17 + trial % 5;
    LICE_MemBitmap src(W, H), dst(48, 40);
    RandomFill(&src, rng);
    RandomFill(&dst, rng);
    ref::Image want = ToRef(&dst);
    const float angle = trial % 10 == 0 ? (float) M_PI * (trial % 20 ? 0.5f : 1.0f) : turn(rng);
    if (trial % 2)
    {
      // A rotated knob bitmap: centred in its box, pivot offset downwards,
      // whole source, no source clip, bilinear with source alpha.
      const int cx = 24, cy = 20, py = (int) pivot(rng);
      LICE_RotatedBlit(&dst, &src, cx - W / 2, cy - H / 2, W, H, 0, 0, (float) W, (float) H, angle, false, 0.8f,
                       0x10100, 0, (float) py);
      referenceRotated(want, ToRef(&src), cx - W / 2, cy - H / 2, W, H, angle, false, 0.8f, 0x10100, 0, (float) py);
    }
    else
    {
      // The masked knob's layers: into the scratch at (0, 0), clipped to the
      // source rectangle, add or copy with source alpha, half a pixel left
      // for odd widths.
      const float xOff = W % 2 ? -0.5f : 0.0f;
      const int mode = trial % 4 ? 0x10101 : 0x10100;
      LICE_RotatedBlit(&dst, &src, 0, 0, W, H, 0, 0, (float) W, (float) H, angle, true, 1.0f, mode, xOff, 0);
      referenceRotated(want, ToRef(&src), 0, 0, W, H, angle, true, 1.0f, mode, xOff, 0);
    }
    ASSERT_EQ(FirstDifference(&dst, want), -1) << "trial " << trial << " angle " << angle;
  }
}

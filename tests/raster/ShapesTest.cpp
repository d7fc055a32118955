// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Lines, circles, arcs, rounded rectangles and polygons.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <map>
#include <set>
#include <utility>

#include "lice.h"

namespace
{
const LICE_pixel kInk = LICE_RGBA(255, 255, 255, 255);

struct Canvas
{
  LICE_MemBitmap bm;
  Canvas(int w, int h) : bm(w, h) { LICE_Clear(&bm, 0); }
  LICE_pixel at(int x, int y) { return LICE_GetPixel(&bm, x, y); }
  std::set<std::pair<int, int>> touched()
  {
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < bm.getHeight(); ++y)
      for (int x = 0; x < bm.getWidth(); ++x)
        if (at(x, y)) s.insert({x, y});
    return s;
  }
};
}  // namespace

TEST(Lines, EndPointsIncludedAndClipped)
{
  Canvas a(10, 10);
  LICE_Line(&a.bm, 5, 5, 5, 5, kInk, 1.0f, 0, false);
  EXPECT_EQ(a.touched().size(), 1u);
  Canvas b(10, 10);
  LICE_Line(&b.bm, 0, 0, 3, 0, kInk, 1.0f, 0, false);
  EXPECT_EQ(b.touched().size(), 4u);
  Canvas c(10, 10);
  LICE_Line(&c.bm, -10, 5, 20, 5, kInk, 1.0f, 0, true);
  auto t = c.touched();
  EXPECT_EQ(t.size(), 10u);
  EXPECT_TRUE(t.count({0, 5}) && t.count({9, 5}));
  Canvas d(10, 10);
  LICE_Line(&d.bm, -5, -5, -1, 20, kInk, 1.0f, 0, true);  // never inside
  EXPECT_TRUE(d.touched().empty());
}

TEST(Lines, SameLineEitherWayRound)
{
  std::mt19937 rng(9);
  // Inside the bitmap: clipping moves the outside end point first, so a
  // clipped line may differ by a pixel at its clipped ends.
  std::uniform_int_distribution<int> c(0, 39);
  for (int trial = 0; trial < 300; ++trial)
  {
    int x1 = c(rng), y1 = c(rng), x2 = c(rng), y2 = c(rng);
    for (bool aa : {false, true})
    {
      Canvas f(40, 40), r(40, 40);
      LICE_Line(&f.bm, x1, y1, x2, y2, kInk, 1.0f, 0, aa);
      LICE_Line(&r.bm, x2, y2, x1, y1, kInk, 1.0f, 0, aa);
      ASSERT_EQ(memcmp(f.bm.getBits(), r.bm.getBits(), 40 * 40 * 4), 0)
          << x1 << "," << y1 << " " << x2 << "," << y2 << " aa " << aa;
    }
  }
}

TEST(Lines, AntialiasedDiagonalIsThreeQuartersWithQuarterNeighbours)
{
  Canvas c(8, 8);
  LICE_Line(&c.bm, 1, 1, 5, 5, kInk, 1.0f, 0, true);
  const LICE_pixel three = 0xBEBEBEBE, quarter = 0x3F3F3F3F;  // s/2 + s/4 and s/4 over black
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(c.at(i, i), three) << i;
  EXPECT_EQ(c.at(2, 1), quarter);
  EXPECT_EQ(c.at(1, 2), quarter);
  EXPECT_EQ(c.at(0, 0), 0u);
}

TEST(Lines, RectOutlinesAndBorderedRects)
{
  Canvas c(10, 10);
  LICE_DrawRect(&c.bm, 1, 1, 4, 3, kInk);
  auto t = c.touched();
  EXPECT_EQ(t.size(), 14u);  // the outline of a 5 x 4 box
  EXPECT_TRUE(t.count({5, 4}));
  Canvas b(10, 10);
  LICE_BorderedRect(&b.bm, 1, 1, 4, 4, LICE_RGBA(0, 0, 255, 255), kInk);
  EXPECT_EQ(b.at(2, 2), LICE_RGBA(0, 0, 255, 255));
  EXPECT_EQ(b.at(1, 1), kInk);
}

TEST(Circles, SmallestOutlinesAreTheFixedImages)
{
  Canvas c(8, 8);
  LICE_Circle(&c.bm, 2.5f, 2.5f, 1.5f, 0x80402010, 1.0f, 0, false);
  const char* ring[4] = {".##.", "#..#", "#..#", ".##."};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(c.at(1 + x, 1 + y), ring[y][x] == '#' ? 0x80402010u : 0u) << x << "," << y;
  EXPECT_EQ(c.touched().size(), 8u);
}

TEST(Circles, FilledCircleBlendsEveryPixelOnce)
{
  for (bool aa : {false, true})
    for (float r : {3.0f, 7.3f, 12.0f, 20.5f})
    {
      Canvas c(60, 60);
      LICE_Clear(&c.bm, 0);
      LICE_FillCircle(&c.bm, 30.0f, 30.0f, r, LICE_RGBA(200, 200, 200, 200), 0.5f, 0, aa);
      // A half mix over black gives 100; a second blend would give 150.
      int inside = 0;
      for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
        {
          LICE_pixel p = c.at(x, y);
          ASSERT_LE(LICE_GETR(p), 100u) << x << "," << y << " r " << r << " aa " << aa;
          if (LICE_GETR(p) == 100) ++inside;
        }
      EXPECT_NEAR(inside, M_PI * r * r, 2.0 * M_PI * r + 8);
    }
}

// The antialiased outline from its definition: at each column offset i of
// the flat octant the exact height h = sqrt(r^2 - i^2) puts weight (1 - f) w
// on the pixel at its integer part and f w on the one outside, mirrored into
// eight octants. Every pixel gets at most one weight, blended once.
TEST(Circles, AntialiasedOutlineBlendsEachPixelOnceAtItsWeight)
{
  const LICE_pixel ink = LICE_RGBA(200, 100, 50, 255), paper = LICE_RGBA(10, 20, 30, 255);
  for (float r : {5.0f, 7.5f, 11.3f, 15.0f, 19.9f, 23.0f})
  {
    Canvas c(50, 50);
    LICE_Clear(&c.bm, paper);
    const int w = 128 + 25;  // alpha 0.6: the copy rule, no word paths
    LICE_Circle(&c.bm, 25.0f, 25.0f, r, ink, 0.6f, 0, true);

    std::map<std::pair<int, int>, int> weights;
    bool twice = false;
    auto give = [&](int x, int y, int weight) {
      const int k[8][2] = {{x, y}, {-x, y}, {x, -y}, {-x, -y}, {y, x}, {-y, x}, {y, -x}, {-y, -x}};
      std::set<std::pair<int, int>> once;
      for (auto& p : k) once.insert({25 + p[0], 25 + p[1]});
      for (auto& p : once)
      {
        twice |= weights.count(p) != 0;
        weights[p] = weight;
      }
    };
    for (int i = 0;; ++i)
    {
      const double h = i ? std::sqrt((double) r * r - (double) i * i) : (double) r;
      if (!(h >= 0.0) || i > (int) h + 1) break;
      const int ih = (int) h;
      const double f = h - ih;
      if (i <= ih) give(i, ih, (int) ((1.0 - f) * w));
      give(i, ih + 1, (int) (f * w));
    }
    EXPECT_FALSE(twice) << r;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 50; ++x)
      {
        LICE_pixel want = paper;
        auto it = weights.find({x, y});
        if (it != weights.end() && it->second > 0)
        {
          const int s[4] = {255, 200, 100, 50};
          int out[4];
          for (int k = 0; k < 4; ++k)
          {
            const int d = (int) ((paper >> (8 * k)) & 0xFF);
            out[k] = it->second == 128 ? (d >> 1) + (s[k] >> 1) : (s[k] + (d - s[k]) * (256 - it->second) / 256) & 0xFF;
          }
          want = (LICE_pixel) out[0] | (LICE_pixel) out[1] << 8 | (LICE_pixel) out[2] << 16 | (LICE_pixel) out[3] << 24;
        }
        ASSERT_EQ(c.at(x, y), want) << x << "," << y << " r " << r;
      }
  }
}

TEST(Arcs, QuarterFromZeroToHalfPiIsTheUpperRight)
{
  for (bool aa : {false, true})
  {
    Canvas c(40, 40);
    LICE_Arc(&c.bm, 20.0f, 20.0f, 10.0f, 0.0f, (float) (M_PI / 2), kInk, 1.0f, 0, aa);
    auto t = c.touched();
    EXPECT_GT(t.size(), 8u);
    for (auto& p : t)
    {
      EXPECT_GE(p.first, 20) << p.first << "," << p.second;
      EXPECT_LE(p.second, 20) << p.first << "," << p.second;
    }
    Canvas full(40, 40);
    LICE_Arc(&full.bm, 20.0f, 20.0f, 10.0f, 0.0f, (float) (2 * M_PI), kInk, 1.0f, 0, aa);
    Canvas circle(40, 40);
    LICE_Circle(&circle.bm, 20.0f, 20.0f, 10.0f, kInk, 1.0f, 0, aa);
    EXPECT_EQ(memcmp(full.bm.getBits(), circle.bm.getBits(), 40 * 40 * 4), 0);
  }
}

TEST(RoundRects, SmallRadiusIsAPlainRectangle)
{
  Canvas a(20, 20), b(20, 20);
  LICE_RoundRect(&a.bm, 2, 3, 10, 8, 1, kInk, 1.0f, 0, false);
  LICE_DrawRect(&b.bm, 2, 3, 10, 8, kInk);
  EXPECT_EQ(memcmp(a.bm.getBits(), b.bm.getBits(), 20 * 20 * 4), 0);
  Canvas r(20, 20);
  LICE_RoundRect(&r.bm, 2, 3, 12, 12, 4, kInk, 1.0f, 0, true);
  EXPECT_EQ(r.at(2, 3), 0u);  // the corner is rounded off
  EXPECT_NE(r.at(8, 3), 0u);
}

TEST(Polygons, RowsTrianglesAndConvexShapes)
{
  Canvas row(20, 5);
  const int xs[] = {3, 12, 7}, ys[] = {2, 2, 2};
  LICE_FillConvexPolygon(&row.bm, xs, ys, 3, kInk);
  EXPECT_EQ(row.touched().size(), 10u);

  Canvas tri(30, 30);
  LICE_FillTriangle(&tri.bm, 5, 5, 25, 5, 5, 25, LICE_RGBA(200, 200, 200, 200), 0.5f);
  int filled = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
    {
      ASSERT_LE(LICE_GETR(tri.at(x, y)), 100u) << x << "," << y;  // every pixel once
      filled += tri.at(x, y) != 0;
    }
  EXPECT_NEAR(filled, 21 * 22 / 2, 25);

  Canvas hex(40, 40);
  const int hx[] = {20, 30, 30, 20, 10, 10}, hy[] = {5, 10, 25, 30, 25, 10};
  LICE_FillConvexPolygon(&hex.bm, hx, hy, 6, kInk);
  EXPECT_NE(hex.at(20, 18), 0u);
  EXPECT_EQ(hex.at(10, 5), 0u);
  EXPECT_EQ(hex.at(31, 18), 0u);

  Canvas trap(20, 20);
  LICE_FillTrapezoid(&trap.bm, 5, 10, 2, 2, 15, 12, kInk);
  EXPECT_NE(trap.at(7, 2), 0u);
  EXPECT_EQ(trap.at(4, 2), 0u);
  EXPECT_NE(trap.at(2, 12), 0u);
}

TEST(Glyphs, CoverageScalesTheWeight)
{
  Canvas c(4, 1);
  const LICE_pixel_chan cov[] = {0xFF, 0x80, 0x00, 0xFF};
  LICE_DrawGlyph(&c.bm, 0, 0, LICE_RGBA(255, 255, 255, 255), cov, 4, 1, 1.0f, 0);
  EXPECT_EQ(c.at(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(LICE_GETR(c.at(1, 0)), 128u);
  EXPECT_EQ(c.at(2, 0), 0u);
}

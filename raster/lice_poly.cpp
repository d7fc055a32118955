// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Filled trapezoids, triangles and convex polygons.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "lice_shapes_common.h"

namespace
{
// The rows of a trapezoid; px(pixel) blends one pixel. Called with one
// pixel writer per call, picked before the loop, so the loop holds no
// mode switch.
template <class Pixel>
void fillRows(const LICE_ShapePen& pen, Pixel px, int64_t ax, int64_t bx, int64_t dxa, int64_t dxb, int y, int yEnd)
{
  for (; y <= yEnd; ++y, ax += dxa, bx += dxb)
  {
    int64_t x0 = ax >> 16, x1 = bx >> 16;
    if (x0 > x1) std::swap(x0, x1);
    if (x0 < 0) x0 = 0;
    if (x1 >= pen.v.w) x1 = pen.v.w - 1;
    LICE_pixel* p = pen.at(0, y);
    for (int64_t x = x0; x <= x1; ++x) px(p + x);
  }
}

// Slopes in 16.16 per row, limited to +-2^29 as the rows are walked.
int64_t limitSlope(int64_t s)
{
  const int64_t lim = (int64_t) 1 << 29;
  return s > lim ? lim : (s < -lim ? -lim : s);
}

// The pixel writer of a fill: the copy mode's word arithmetic at the
// weights 256, 128, 64 and 192, else the mode's combiner.
template <class F>
void withRowWriter(const LICE_ShapePen& pen, int w, F&& f)
{
  const LICE_pixel c = pen.color;
  if (pen.mode == LICE_BLIT_MODE_COPY)
  {
    switch (w)
    {
      case 256: return f([c](LICE_pixel* p) { *p = c; });
      case 128: return f([c](LICE_pixel* p) { *p = _LICE_HalfMix(*p, c); });
      case 64: return f([c](LICE_pixel* p) { *p = _LICE_QuarterMix(*p, c); });
      case 192: return f([c](LICE_pixel* p) { *p = _LICE_ThreeQuarterMix(*p, c); });
      default: break;
    }
  }
  const int r = pen.r, g = pen.g, b = pen.b, a = pen.a;
  LICE_WithFillCombiner(pen.mode, w, [&](auto tag) {
    typedef typename decltype(tag)::type COMB;
    f([=](LICE_pixel* p) { COMB::doPix((LICE_pixel_chan*) p, r, g, b, a, w); });
  });
}
}  // namespace

void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, LICE_pixel color,
                        float alpha, int mode)
{
  if (!dest) return;
  LICE_ShapePen pen(dest, color, mode);
  const int w = LICE_AlphaWeight(alpha);
  if (!pen.usable() || !w) return;

  if (y1 > y2)
  {
    std::swap(y1, y2);
    std::swap(x1a, x2a);
    std::swap(x1b, x2b);
  }
  if (x1a > x1b) std::swap(x1a, x1b);
  if (x2a > x2b) std::swap(x2a, x2b);
  if (y2 < 0 || y1 >= pen.v.h) return;

  // Edges in 16.16 held in 64 bits: differences of any ints fit.
  int64_t ax, bx, dxa, dxb;
  if (y1 == y2)
  {
    ax = (int64_t) std::min(x1a, x2a) * 65536;
    bx = (int64_t) std::max(x1b, x2b) * 65536;
    dxa = dxb = 0;
  }
  else
  {
    const int64_t rows = (int64_t) y2 - y1;
    dxa = limitSlope(((int64_t) x2a - x1a) * 65536 / rows);
    dxb = limitSlope(((int64_t) x2b - x1b) * 65536 / rows);
    ax = (int64_t) x1a * 65536 + 0x8000;
    bx = (int64_t) x1b * 65536 + 0x8000;
  }
  int y = y1;
  if (y < 0)
  {
    ax += dxa * -(int64_t) y;
    bx += dxb * -(int64_t) y;
    y = 0;
  }
  const int yEnd = y2 < pen.v.h ? y2 : pen.v.h - 1;
  withRowWriter(pen, w, [&](auto px) { fillRows(pen, px, ax, bx, dxa, dxb, y, yEnd); });
}

void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, LICE_pixel color,
                       float alpha, int mode)
{
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  LICE_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}

void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints, LICE_pixel color, float alpha,
                            int mode)
{
  if (!dest || !x || !y || npoints < 3) return;
  struct Pt
  {
    int x, y;
  };
  // The points, the two chains and the band rows: on the stack up to 512
  // points, in one heap block beyond.
  const int kStackPoints = 512;
  Pt stackPts[kStackPoints];
  int stackIdx[4 * kStackPoints];
  std::unique_ptr<char[]> heap;
  Pt* pts = stackPts;
  int* idx = stackIdx;
  if (npoints > kStackPoints)
  {
    heap.reset(new (std::nothrow) char[(size_t) npoints * (sizeof(Pt) + 4 * sizeof(int))]);
    if (!heap) return;
    pts = reinterpret_cast<Pt*>(heap.get());
    idx = reinterpret_cast<int*>(pts + npoints);
  }
  int* leftChain = idx;
  int* rightChain = idx + npoints;
  int* rows = idx + 2 * npoints;  // up to 2 * npoints entries

  for (int i = 0; i < npoints; ++i) pts[i] = {x[i], y[i]};
  std::sort(pts, pts + npoints, [](const Pt& a, const Pt& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });

  if (pts[0].y == pts[npoints - 1].y)
  {
    LICE_FillTrapezoid(dest, pts[0].x, pts[npoints - 1].x, pts[0].y, pts[0].x, pts[npoints - 1].x, pts[0].y, color,
                       alpha, mode);
    return;
  }

  // Left chain from the leftmost top point, right chain from the rightmost;
  // each steps to the lower point with the smallest (left) or largest
  // (right) x change per row.
  int topRight = 0;
  while (topRight + 1 < npoints && pts[topRight + 1].y == pts[0].y) ++topRight;
  auto nextVertex = [&](int from, bool left) {
    int best = -1;
    double bestSlope = 0;
    for (int i = 0; i < npoints; ++i)
    {
      if (pts[i].y <= pts[from].y) continue;
      const double slope = ((double) pts[i].x - pts[from].x) / ((double) pts[i].y - pts[from].y);
      if (best < 0 || (left ? slope < bestSlope : slope > bestSlope)) best = i, bestSlope = slope;
    }
    return best;
  };
  int nLeft = 0, nRight = 0;
  leftChain[nLeft++] = 0;
  rightChain[nRight++] = topRight;
  for (int v = nextVertex(0, true); v >= 0; v = nextVertex(v, true)) leftChain[nLeft++] = v;
  for (int v = nextVertex(topRight, false); v >= 0; v = nextVertex(v, false)) rightChain[nRight++] = v;

  auto xAt = [&](const int* chain, int n, int row) {
    for (int k = 0; k + 1 < n; ++k)
    {
      const Pt& a = pts[chain[k]];
      const Pt& b = pts[chain[k + 1]];
      if (row >= a.y && row <= b.y)
        return LICE_ToInt(std::floor(a.x + ((double) b.x - a.x) * ((double) row - a.y) / ((double) b.y - a.y) + 0.5));
    }
    return pts[chain[n - 1]].x;
  };

  // Rows where either chain has a vertex, each band filled once: a band
  // stops one row short of the next, which the next band begins with.
  int nRows = 0;
  for (int k = 0; k < nLeft; ++k) rows[nRows++] = pts[leftChain[k]].y;
  for (int k = 0; k < nRight; ++k) rows[nRows++] = pts[rightChain[k]].y;
  std::sort(rows, rows + nRows);
  nRows = (int) (std::unique(rows, rows + nRows) - rows);
  for (int k = 0; k + 1 < nRows; ++k)
  {
    const int ya = rows[k];
    const int yb = k + 2 < nRows ? rows[k + 1] - 1 : rows[k + 1];
    if (yb < ya) continue;
    LICE_FillTrapezoid(dest, xAt(leftChain, nLeft, ya), xAt(rightChain, nRight, ya), ya, xAt(leftChain, nLeft, yb),
                       xAt(rightChain, nRight, yb), yb, color, alpha, mode);
  }
}

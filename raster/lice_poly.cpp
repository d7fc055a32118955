// Filled trapezoids, triangles and convex polygons.
#include <algorithm>
#include <cmath>
#include <vector>

#include "lice_shapes_common.h"

namespace
{
// One row from x0 to x1 inclusive (clipped), with the copy mode's word fills
// at the weights 256, 128, 64 and 192.
void fillRow(const LICE_ShapePen& pen, int x0, int x1, int y, int w)
{
  if (y < 0 || y >= pen.v.h) return;
  if (x0 > x1) std::swap(x0, x1);
  if (x0 < 0) x0 = 0;
  if (x1 >= pen.v.w) x1 = pen.v.w - 1;
  LICE_pixel* p = pen.at(0, y);
  if (pen.mode == LICE_BLIT_MODE_COPY)
  {
    switch (w)
    {
      case 256: for (int x = x0; x <= x1; ++x) p[x] = pen.color; return;
      case 128: for (int x = x0; x <= x1; ++x) p[x] = _LICE_HalfMix(p[x], pen.color); return;
      case 64: for (int x = x0; x <= x1; ++x) p[x] = _LICE_QuarterMix(p[x], pen.color); return;
      case 192: for (int x = x0; x <= x1; ++x) p[x] = _LICE_ThreeQuarterMix(p[x], pen.color); return;
      default: break;
    }
  }
  for (int x = x0; x <= x1; ++x) pen.combine(p + x, w);
}

int64_t limitSlope(int64_t s)
{
  const int64_t lim = (int64_t) 1 << 29;
  return s > lim ? lim : (s < -lim ? -lim : s);
}
}  // namespace

void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, LICE_pixel color,
                        float alpha, int mode)
{
  if (!dest) return;
  LICE_ShapePen pen(dest, color, mode);
  const int w = (int) (alpha * 256.0f);
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
  if (y1 == y2)
  {
    fillRow(pen, std::min(x1a, x2a), std::max(x1b, x2b), y1, w);
    return;
  }

  const int rows = y2 - y1;
  const int64_t dxa = limitSlope((int64_t) (x2a - x1a) * 65536 / rows);
  const int64_t dxb = limitSlope((int64_t) (x2b - x1b) * 65536 / rows);
  int64_t ax = (int64_t) x1a * 65536 + 0x8000, bx = (int64_t) x1b * 65536 + 0x8000;
  int y = y1;
  if (y < 0)
  {
    ax += dxa * (-y);
    bx += dxb * (-y);
    y = 0;
  }
  const int yEnd = y2 < pen.v.h ? y2 : pen.v.h - 1;
  for (; y <= yEnd; ++y, ax += dxa, bx += dxb) fillRow(pen, (int) (ax >> 16), (int) (bx >> 16), y, w);
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
  // Up to 512 points on the stack, more on the heap.
  Pt stackPts[512];
  std::vector<Pt> heapPts;
  Pt* pts = stackPts;
  if (npoints > 512)
  {
    heapPts.resize((size_t) npoints);
    pts = heapPts.data();
  }
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
      const double slope = (double) (pts[i].x - pts[from].x) / (pts[i].y - pts[from].y);
      if (best < 0 || (left ? slope < bestSlope : slope > bestSlope)) best = i, bestSlope = slope;
    }
    return best;
  };
  std::vector<int> leftChain = {0}, rightChain = {topRight};
  for (int v = nextVertex(0, true); v >= 0; v = nextVertex(v, true)) leftChain.push_back(v);
  for (int v = nextVertex(topRight, false); v >= 0; v = nextVertex(v, false)) rightChain.push_back(v);

  auto xAt = [&](const std::vector<int>& chain, int row) {
    for (size_t k = 0; k + 1 < chain.size(); ++k)
    {
      const Pt& a = pts[chain[k]];
      const Pt& b = pts[chain[k + 1]];
      if (row >= a.y && row <= b.y)
        return (int) std::floor(a.x + (double) (b.x - a.x) * (row - a.y) / (b.y - a.y) + 0.5);
    }
    return pts[chain.back()].x;
  };

  // Rows where either chain has a vertex, each band filled once: a band
  // stops one row short of the next, which the next band begins with.
  std::vector<int> rows;
  for (int v : leftChain) rows.push_back(pts[v].y);
  for (int v : rightChain) rows.push_back(pts[v].y);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (size_t k = 0; k + 1 < rows.size(); ++k)
  {
    const int ya = rows[k];
    const int yb = k + 2 < rows.size() ? rows[k + 1] - 1 : rows[k + 1];
    if (yb < ya) continue;
    LICE_FillTrapezoid(dest, xAt(leftChain, ya), xAt(rightChain, ya), ya, xAt(leftChain, yb), xAt(rightChain, yb), yb,
                       color, alpha, mode);
  }
}

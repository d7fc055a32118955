// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Circles, filled circles, arcs and rounded rectangles.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "lice_shapes_common.h"

namespace
{
// The smallest outlines are fixed coverage images, aliased and antialiased.
struct SmallCircle
{
  float radius;
  int size;
  const LICE_pixel_chan* aliased;
  const LICE_pixel_chan* smooth;
};

const LICE_pixel_chan kR15[] = {0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x00};
const LICE_pixel_chan kR15aa[] = {0x4F, 0xFF, 0xFF, 0x4F, 0xFF, 0x0F, 0x0F, 0xFF, 0xFF, 0x0F, 0x0F, 0xFF, 0x4F, 0xFF, 0xFF, 0x4F};
const LICE_pixel_chan kR2[] = {0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00,
                               0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR2aa[] = {0x0F, 0xBF, 0xFF, 0xBF, 0x0F, 0xBF, 0xD1, 0x4F, 0xD1, 0xBF, 0xFF, 0x4F, 0x00,
                                 0x4F, 0xFF, 0xBF, 0xD1, 0x4F, 0xD1, 0xBF, 0x0F, 0xBF, 0xFF, 0xBF, 0x0F};
const LICE_pixel_chan kR25[] = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00,
                                0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
                                0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR25aa[] = {0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F, 0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF,
                                  0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF, 0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF,
                                  0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF, 0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F};
const LICE_pixel_chan kR3[] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF,
                               0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
                               0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF,
                               0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR3aa[] = {0x00, 0x8F, 0xFF, 0xFF, 0xFF, 0x8F, 0x00, 0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F, 0xFF,
                                 0x70, 0x00, 0x00, 0x00, 0x70, 0xFF, 0xFF, 0x30, 0x00, 0x00, 0x00, 0x30, 0xFF, 0xFF, 0x70,
                                 0x00, 0x00, 0x00, 0x70, 0xFF, 0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F, 0x00, 0x8F, 0xFF,
                                 0xFF, 0xFF, 0x8F, 0x00};
const LICE_pixel_chan kR35[] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
                                0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00,
                                0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR35aa[] = {0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00, 0x4F, 0xFF, 0xB0, 0x40, 0x40,
                                  0xB0, 0xFF, 0x4F, 0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE, 0xFF, 0x40,
                                  0x00, 0x00, 0x00, 0x00, 0x40, 0xFF, 0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40,
                                  0xFF, 0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE, 0x4F, 0xFF, 0xB0, 0x40,
                                  0x40, 0xB0, 0xFF, 0x4F, 0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00};
const LICE_pixel_chan kR4[] = {
  0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00,
  0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
  0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR4aa[] = {
  0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00, 0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F, 0xB0, 0xD1, 0x0F,
  0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0, 0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF, 0xFF, 0x30, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x30, 0xFF, 0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF, 0xB0, 0xD1, 0x0F, 0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0,
  0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F, 0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00};

const SmallCircle kSmallCircles[] = {
  {1.5f, 4, kR15, kR15aa}, {2.0f, 5, kR2, kR2aa},   {2.5f, 6, kR25, kR25aa},
  {3.0f, 7, kR3, kR3aa},   {3.5f, 8, kR35, kR35aa}, {4.0f, 9, kR4, kR4aa},
};

// Each pixel of the outline once: the octant point (x, y) with x <= y is
// mirrored into all eight octants, skipping the copies that coincide.
template <class Plot>
void plotOctants(int64_t cx, int64_t cy, int64_t x, int64_t y, Plot&& plot)
{
  const int64_t px[8] = {x, -x, x, -x, y, -y, y, -y}, py[8] = {y, y, -y, -y, x, x, -x, -x};
  for (int k = 0; k < 8; ++k)
  {
    // On an axis or the diagonal some mirror images coincide; each pixel once.
    bool seen = false;
    for (int j = 0; j < k && !seen; ++j) seen = px[j] == px[k] && py[j] == py[k];
    if (!seen) plot(cx + px[k], cy + py[k]);
  }
}

uint64_t isqrt(uint64_t n)
{
  uint64_t r = (uint64_t) std::sqrt((long double) n);
  while (r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}

// The midpoint walk of an aliased circle of radius R visits, for each column
// x = 1, 2, ... while x is below the previous row, the row y(x) below; it
// starts at (0, R). The row has a closed form, the largest y with
// y (y - 1) <= R^2 - x^2, so any column can be had without walking to it
// (checked against the walk itself in the tests). R is at most 2^30.
struct MidpointCircle
{
  int64_t R, X;  // radius and the last column the walk visits

  explicit MidpointCircle(int64_t radius) : R(radius), X(0)
  {
    int64_t lo = 0, hi = R;
    while (lo < hi)
    {
      const int64_t m = (lo + hi + 1) / 2;
      if (m < row(m - 1)) lo = m;
      else hi = m - 1;
    }
    X = lo;
  }
  int64_t row(int64_t x) const
  {
    if (x == 0) return R;
    const uint64_t n = (uint64_t) (R * R - x * x);
    return (int64_t) ((1 + isqrt(4 * n + 1)) / 2);
  }
  // Half-width of the filled circle's rows cy - j and cy + j: the largest
  // column offset among the octant points on that row.
  int64_t halfWidth(int64_t j) const
  {
    int64_t hw = -1;
    if (j <= X) hw = row(j);
    const int64_t n = R * R - j * (j - 1);
    if (n >= 0)
    {
      const int64_t xm = std::min((int64_t) isqrt((uint64_t) n), X);
      if (xm >= 0 && row(xm) == j) hw = std::max(hw, xm);
    }
    return hw;
  }
};

// One axis of the visible box: offsets k for which c + k or c - k falls in
// [lo, hi) can be seen along it.
struct NearAxis
{
  int64_t c, lo, hi;
};

// Offsets k in [0, kMax] that can be seen along any of the given axes (at
// most two): the only offsets whose mirrored points can land in the box.
// Visits them in increasing order, each once.
template <class F>
void forEachNearOffset(std::initializer_list<NearAxis> axes, int64_t kMax, F&& f)
{
  struct Interval
  {
    int64_t a, b;
  } iv[4];
  int n = 0;
  for (const NearAxis& ax : axes)
  {
    iv[n++] = {std::max<int64_t>(ax.lo - ax.c, 0), std::min(ax.hi - 1 - ax.c, kMax)};  // c + k
    iv[n++] = {std::max<int64_t>(ax.c - ax.hi + 1, 0), std::min(ax.c - ax.lo, kMax)};  // c - k
  }
  // By start; at most four, so by insertion (GCC 12 warns falsely of
  // bounds inside std::sort's own insertion on so small an array).
  for (int i = 1; i < n; ++i)
    for (int j = i; j > 0 && iv[j].a < iv[j - 1].a; --j) std::swap(iv[j], iv[j - 1]);
  int64_t next = 0;  // first offset not yet visited
  for (int i = 0; i < n; ++i)
    for (int64_t k = std::max(iv[i].a, next); k <= iv[i].b; ++k, next = k) f(k);
}

// Radii beyond this many pixels draw nothing: their squares and centres
// must stay exact in 64 bits, and no screen comes near.
const float kMaxRadius = 1073741824.0f;  // 2^30

void drawCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa,
                bool filled, const RECT* clip)
{
  if (!dest || !(r >= 0.0f) || r > kMaxRadius || !std::isfinite(cx) || !std::isfinite(cy)) return;
  LICE_ShapePen pen(dest, color, mode);
  const int w = LICE_AlphaWeight(alpha);
  if (!pen.usable() || !w) return;

  if (!filled && !clip)
  {
    for (const SmallCircle& s : kSmallCircles)
      if (r == s.radius)
      {
        LICE_DrawGlyph(dest, LICE_ToInt(cx - r), LICE_ToInt(cy - r), color, aa ? s.smooth : s.aliased, s.size, s.size,
                       alpha, mode);
        return;
      }
  }

  // Everything is visited only where it can land: in the bitmap and the clip.
  LICE_Rect64 box = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  if (!LICE_ClipRect(box, pen.v.w, pen.v.h, clip)) return;
  const int64_t icx = LICE_ToInt64(cx + 0.5f), icy = LICE_ToInt64(cy + 0.5f);
  auto put = [&](int64_t x, int64_t y, int weight) {
    if (x >= box.l && x < box.r && y >= box.t && y < box.b) pen.blend(pen.at((int) x, (int) y), weight);
  };
  auto rowSpan = [&](int64_t x0, int64_t x1, int64_t y) {
    if (y < box.t || y >= box.b) return;
    for (int64_t x = std::max(x0, box.l); x <= x1 && x < box.r; ++x) pen.blend(pen.at((int) x, (int) y), w);
  };
  // Rows cy - j and cy + j (once when j is 0) of a filled circle.
  auto bothRows = [&](int64_t j, int64_t half) {
    rowSpan(icx - half, icx + half, icy - j);
    if (j) rowSpan(icx - half, icx + half, icy + j);
  };

  if (!aa)
  {
    const MidpointCircle mc((int64_t) (r + 0.5f));
    if (filled)
    {
      forEachNearOffset({{icy, box.t, box.b}}, mc.R, [&](int64_t j) { bothRows(j, mc.halfWidth(j)); });
      return;
    }
    auto plot = [&](int64_t x, int64_t y) { put(x, y, w); };
    forEachNearOffset({{icx, box.l, box.r}, {icy, box.t, box.b}}, mc.X,
                      [&](int64_t x) { plotOctants(icx, icy, x, mc.row(x), plot); });
    return;
  }

  // Column samples of the flat octant, mirrored into all eight: at column
  // i the circle's exact height h has its fraction f covering the pixel
  // just outside; the pixel at the integer part is inside by 1 - f.
  const double rr = (double) r * r;
  auto height = [&](int64_t i) { return i ? std::sqrt(rr - (double) i * i) : (double) r; };
  // The samples run while i is at most one past the height's integer part.
  auto sampled = [&](int64_t i) {
    const double h = height(i);
    return h >= 0.0 && i <= (int64_t) h + 1;
  };
  int64_t lo = 0, hi = (int64_t) r + 2;
  while (lo < hi)
  {
    const int64_t m = (lo + hi + 1) / 2;
    if (sampled(m)) lo = m;
    else hi = m - 1;
  }
  const int64_t lastSample = lo;
  auto edge = [&](bool inner) {
    forEachNearOffset({{icx, box.l, box.r}, {icy, box.t, box.b}}, lastSample, [&](int64_t i) {
      const double h = height(i);
      const int64_t ih = (int64_t) h;
      const double f = h - (double) ih;
      if (inner && i <= ih) plotOctants(icx, icy, i, ih, [&](int64_t x, int64_t y) { put(x, y, (int) ((1.0 - f) * w)); });
      if (!inner) plotOctants(icx, icy, i, ih + 1, [&](int64_t x, int64_t y) { put(x, y, (int) (f * w)); });
    });
  };
  if (filled)
  {
    // Inside is |x| <= floor(sqrt(r^2 - y^2)) on every row, at full
    // weight; the outline's outer pixels, never inside, carry the edge.
    forEachNearOffset({{icy, box.t, box.b}}, (int64_t) r, [&](int64_t j) { bothRows(j, (int64_t) height(j)); });
    edge(false);
    return;
  }
  edge(true);
  edge(false);
}
}  // namespace

void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa)
{
  drawCircle(dest, cx, cy, r, color, alpha, mode, aa, false, nullptr);
}

void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa)
{
  drawCircle(dest, cx, cy, r, color, alpha, mode, aa, true, nullptr);
}

void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, LICE_pixel color,
              float alpha, int mode, bool aa)
{
  if (!dest) return;
  const double twoPi = 2.0 * M_PI;
  if (maxAngle - minAngle >= twoPi)
  {
    LICE_Circle(dest, cx, cy, r, color, alpha, mode, aa);
    return;
  }
  if (!std::isfinite(minAngle) || !std::isfinite(maxAngle) || !std::isfinite(cx) || !std::isfinite(cy) ||
      !(r >= 0.0f) || r > kMaxRadius)
    return;
  // Angles are as seen: a flipped bitmap is drawn the right way up by the
  // circle itself.
  double lo = minAngle, hi = maxAngle;
  if (hi >= twoPi)
  {
    const double shift = hi - std::fmod(hi, twoPi);
    hi -= shift;
    lo -= shift;
  }
  if (lo <= -twoPi)
  {
    const double shift = lo - std::fmod(lo, twoPi);
    hi -= shift;
    lo -= shift;
  }
  lo += twoPi;
  hi += twoPi;
  if (hi <= lo) return;

  const int W = dest->getWidth(), H = dest->getHeight();
  const int64_t icx = LICE_ToInt64(cx + 0.5f), icy = LICE_ToInt64(cy + 0.5f);
  // Piece by piece, each ending at the next quarter turn: within a quarter
  // the arc is monotonic, so the box of its end points holds it.
  const double quarter = M_PI / 2.0;
  for (double a = lo; a < hi;)
  {
    double next = (std::floor(a / quarter) + 1.0) * quarter;
    if (next > hi) next = hi;
    const int64_t xa = LICE_ToInt64(cx + r * std::sin(a) + 0.5), ya = LICE_ToInt64(cy - r * std::cos(a) + 0.5);
    const int64_t xb = LICE_ToInt64(cx + r * std::sin(next) + 0.5), yb = LICE_ToInt64(cy - r * std::cos(next) + 0.5);
    const int64_t mx = std::max(xa, xb), my = std::max(ya, yb);
    LICE_Rect64 box = {std::min(xa, xb), std::min(ya, yb), mx + 1 + (mx != icx ? 1 : 0), my + 1 + (my != icy ? 1 : 0)};
    if (LICE_ClipRect(box, W, H))
    {
      const RECT clip = {(int) box.l, (int) box.t, (int) box.r, (int) box.b};
      drawCircle(dest, cx, cy, r, color, alpha, mode, aa, false, &clip);
    }
    a = next;
  }
}

void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius, LICE_pixel color,
                    float alpha, int mode, bool aa)
{
  if (cornerradius > 0)
  {
    float r = (float) cornerradius;
    if (r > w * 0.5f) r = w * 0.5f;
    if (r > h * 0.5f) r = h * 0.5f;
    r = std::floor(r);
    if (r >= 2.0f)
    {
      // In 64 bits, each end saturated into int: no sum can wrap.
      const int64_t ix = LICE_ToInt(x), iy = LICE_ToInt(y), iw = LICE_ToInt(w), ih = LICE_ToInt(h), ir = (int64_t) r;
      auto line = [&](int64_t xa, int64_t ya, int64_t xb, int64_t yb) {
        LICE_Line(dest, LICE_SatInt(xa), LICE_SatInt(ya), LICE_SatInt(xb), LICE_SatInt(yb), color, alpha, mode, aa);
      };
      line(ix + ir, iy, ix + iw - ir, iy);
      line(ix + ir - 1, iy + ih, ix + iw - ir, iy + ih);
      line(ix + iw, iy + ir, ix + iw, iy + ih - ir);
      line(ix, iy + ir - 1, ix, iy + ih - ir);
      LICE_Arc(dest, x + r, y + r, r, (float) (-M_PI / 2), 0.0f, color, alpha, mode, aa);
      LICE_Arc(dest, x + w - r, y + r, r, 0.0f, (float) (M_PI / 2), color, alpha, mode, aa);
      LICE_Arc(dest, x + w - r, y + h - r, r, (float) (M_PI / 2), (float) M_PI, color, alpha, mode, aa);
      LICE_Arc(dest, x + r, y + h - r, r, (float) M_PI, (float) (3 * M_PI / 2), color, alpha, mode, aa);
      return;
    }
  }
  LICE_DrawRect(dest, LICE_ToInt(x), LICE_ToInt(y), LICE_ToInt(w), LICE_ToInt(h), color, alpha, mode);
}

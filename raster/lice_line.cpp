// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Lines, rectangle outlines and small coverage images.
#include <cstdlib>
#include <utility>

#include "lice_shapes_common.h"

namespace
{
int regionCode(int64_t x, int64_t y, int w, int h)
{
  return (x < 0 ? 1 : 0) | (x >= w ? 2 : 0) | (y < 0 ? 4 : 0) | (y >= h ? 8 : 0);
}

// Cohen-Sutherland clipping against the bitmap; false when nothing shows.
// Differences of end points are taken in 64 bits and crossings in double,
// so end points anywhere in the int range clip exactly.
bool clipLine(int& x1, int& y1, int& x2, int& y2, int w, int h)
{
  int64_t ax = x1, ay = y1, bx = x2, by = y2;
  int c1 = regionCode(ax, ay, w, h), c2 = regionCode(bx, by, w, h);
  for (int guard = 0; (c1 | c2) && guard < 8; ++guard)
  {
    if (c1 & c2) return false;
    const int c = c1 ? c1 : c2;
    const double dx = (double) (bx - ax), dy = (double) (by - ay);
    double x, y;
    if (c & 8)
    {
      y = h - 1;
      x = (double) ax + dx * (y - (double) ay) / dy;
    }
    else if (c & 4)
    {
      y = 0;
      x = (double) ax + dx * (y - (double) ay) / dy;
    }
    else if (c & 2)
    {
      x = w - 1;
      y = (double) ay + dy * (x - (double) ax) / dx;
    }
    else
    {
      x = 0;
      y = (double) ay + dy * (x - (double) ax) / dx;
    }
    if (c == c1)
    {
      ax = LICE_ToInt(x);
      ay = LICE_ToInt(y);
      c1 = regionCode(ax, ay, w, h);
    }
    else
    {
      bx = LICE_ToInt(x);
      by = LICE_ToInt(y);
      c2 = regionCode(bx, by, w, h);
    }
  }
  if (c1 | c2) return false;
  x1 = (int) ax;
  y1 = (int) ay;
  x2 = (int) bx;
  y2 = (int) by;
  return true;
}

// Pixels of axis-parallel and diagonal lines: the exact alphas 1.0, 0.5,
// 0.25 and 0.75 of copy mode are word arithmetic.
struct LinePixel
{
  const LICE_ShapePen& pen;
  float alpha;
  int w;

  void operator()(LICE_pixel* p, int weight) const
  {
    if (pen.mode == LICE_BLIT_MODE_COPY && weight == w)
    {
      if (alpha == 1.0f) { *p = pen.color; return; }
      if (alpha == 0.5f) { *p = _LICE_HalfMix(*p, pen.color); return; }
      if (alpha == 0.25f) { *p = _LICE_QuarterMix(*p, pen.color); return; }
      if (alpha == 0.75f) { *p = _LICE_ThreeQuarterMix(*p, pen.color); return; }
    }
    pen.blend(p, weight);
  }
};
}  // namespace

void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha, int mode, bool aa)
{
  if (!dest) return;
  LICE_ShapePen pen(dest, color, mode);
  const int w = LICE_AlphaWeight(alpha);
  if (!pen.usable() || !w) return;
  if (!clipLine(x1, y1, x2, y2, pen.v.w, pen.v.h)) return;
  LinePixel put{pen, alpha, w};

  if (y1 == y2 || x1 == x2)
  {
    if (y1 == y2)
    {
      if (x1 > x2) std::swap(x1, x2);
      LICE_pixel* p = pen.at(0, y1);
      for (int x = x1; x <= x2; ++x) put(p + x, w);
    }
    else
    {
      if (y1 > y2) std::swap(y1, y2);
      for (int y = y1; y <= y2; ++y) put(pen.at(x1, y), w);
    }
    return;
  }

  const int dx = x2 - x1, dy = y2 - y1;
  const int adx = abs(dx), ady = abs(dy);
  const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;

  if (adx == ady)
  {
    int x = x1, y = y1;
    if (!aa)
    {
      for (int i = 0; i <= adx; ++i, x += sx, y += sy) put(pen.at(x, y), w);
      return;
    }
    // Each line pixel at three quarters, the two pixels beside each step
    // (reached by moving only across or only down) at one quarter.
    const bool words = pen.mode == LICE_BLIT_MODE_COPY && alpha == 1.0f;
    const int w3 = w * 3 / 4, w1 = w / 4;
    for (int i = 0; i <= adx; ++i, x += sx, y += sy)
    {
      LICE_pixel* p = pen.at(x, y);
      if (words) *p = _LICE_ThreeQuarterMix(*p, color);
      else pen.blend(p, w3);
      if (i == adx) break;
      const int bx[2] = {x + sx, x}, by[2] = {y, y + sy};
      for (int k = 0; k < 2; ++k)
      {
        if (!pen.inside(bx[k], by[k])) continue;
        LICE_pixel* q = pen.at(bx[k], by[k]);
        if (words) *q = _LICE_QuarterMix(*q, color);
        else pen.blend(q, w1);
      }
    }
    return;
  }

  // Major and minor axes; drawn from both ends towards the middle at once.
  // The ends are put in a fixed order first, so that the middle pixel of an
  // even count, and so the whole line, is the same either way round.
  const bool xMajor = adx > ady;
  if (xMajor ? x1 > x2 : y1 > y2) return LICE_Line(dest, x2, y2, x1, y1, color, alpha, mode, aa);
  const int n = xMajor ? adx : ady;
  const int minorTotal = xMajor ? ady : adx;
  const int step = (int) (((int64_t) minorTotal << 16) / n);
  const int majA = xMajor ? x1 : y1, minA = xMajor ? y1 : x1;
  const int majB = xMajor ? x2 : y2, minB = xMajor ? y2 : x2;
  const int sMaj = xMajor ? sx : sy, sMin = xMajor ? sy : sx;
  auto plot = [&](int maj, int min, int weight) {
    const int px = xMajor ? maj : min, py = xMajor ? min : maj;
    if (pen.inside(px, py)) pen.blend(pen.at(px, py), weight);
  };

  if (!aa)
  {
    int err = 0, m = 0, i = 0;
    for (; i < n - i; ++i)
    {
      plot(majA + i * sMaj, minA + m * sMin, w);
      plot(majB - i * sMaj, minB - m * sMin, w);
      err += step;
      if (err >= 0x8000)
      {
        ++m;
        err -= 0x10000;
      }
    }
    if (i == n - i) plot(majA + i * sMaj, minA + m * sMin, w);
    return;
  }

  plot(majA, minA, w);
  plot(majB, minB, w);
  int err = step, m = 0, i = 1;
  auto pair = [&](int maj, int min, int dir, int e) {
    const int wa = w >= 256 ? 255 - e : ((255 - e) * w) >> 8;
    const int wb = w >= 256 ? e : (e * w) >> 8;
    plot(maj, min, wa);
    plot(maj, min + dir, wb);
  };
  for (; i < n - i; ++i)
  {
    const int e = err >> 8;
    pair(majA + i * sMaj, minA + m * sMin, sMin, e);
    pair(majB - i * sMaj, minB - m * sMin, -sMin, e);
    if (err + step >= 0x10000)
    {
      ++m;
      err += step - 0x10000;
    }
    else
    {
      err += step;
    }
  }
  if (i == n - i) pair(majA + i * sMaj, minA + m * sMin, sMin, err >> 8);
}

void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha, int mode)
{
  // Far edges saturate: past the int range they are off any bitmap anyway.
  const int r = LICE_SatInt((int64_t) x + w), b = LICE_SatInt((int64_t) y + h);
  LICE_Line(dest, x, y, r, y, color, alpha, mode, false);
  LICE_Line(dest, r, y, r, b, color, alpha, mode, false);
  LICE_Line(dest, r, b, x, b, color, alpha, mode, false);
  LICE_Line(dest, x, b, x, y, color, alpha, mode, false);
}

void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel fillcolor, LICE_pixel bordercolor,
                       float alpha, int mode)
{
  LICE_FillRect(dest, LICE_SatInt((int64_t) x + 1), LICE_SatInt((int64_t) y + 1), LICE_SatInt((int64_t) w - 1),
                LICE_SatInt((int64_t) h - 1), fillcolor, alpha, mode);
  LICE_DrawRect(dest, x, y, w, h, bordercolor, alpha, mode);
}

void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color, const LICE_pixel_chan* alphas, int glyph_w,
                    int glyph_h, float alpha, int mode)
{
  if (!dest || !alphas || glyph_w <= 0 || glyph_h <= 0) return;
  LICE_ShapePen pen(dest, color, mode);
  const int w = LICE_AlphaWeight(alpha);
  if (!pen.usable() || !w) return;
  LICE_Rect64 r = LICE_Rect64FromXYWH(x, y, glyph_w, glyph_h);
  if (!LICE_ClipRect(r, pen.v.w, pen.v.h)) return;
  for (int py = (int) r.t; py < (int) r.b; ++py)
  {
    const LICE_pixel_chan* cov = alphas + ((int64_t) py - y) * glyph_w;
    LICE_pixel* row = pen.at(0, py);
    for (int px = (int) r.l; px < (int) r.r; ++px)
      if (const int v = cov[(int64_t) px - x]) pen.combine(row + px, w * v / 256);
  }
}

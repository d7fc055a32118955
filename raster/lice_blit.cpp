// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Same-size blits, fills, clears and single pixels.
#include <algorithm>
#include <cstring>

#include "lice.h"
#include "lice_blit_drivers.h"
#include "lice_dispatch.h"

// ---- HSV adjust ------------------------------------------------------------------

static constexpr unsigned short invEntry(int i) { return i ? (unsigned short) (65536 / i - 1) : 0; }

#define LICE_INV4(i) invEntry(i), invEntry(i + 1), invEntry(i + 2), invEntry(i + 3)
#define LICE_INV16(i) LICE_INV4(i), LICE_INV4(i + 4), LICE_INV4(i + 8), LICE_INV4(i + 12)
#define LICE_INV64(i) LICE_INV16(i), LICE_INV16(i + 16), LICE_INV16(i + 32), LICE_INV16(i + 48)
const unsigned short _LICE_RGB2HSV_invtab[256] = {LICE_INV64(0), LICE_INV64(64), LICE_INV64(128), LICE_INV64(192)};

void _LICE_CombinePixelsHSVAdjust::doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int w)
{
  const int R = dest[LICE_PIXEL_R], G = dest[LICE_PIXEL_G], B = dest[LICE_PIXEL_B];
  int mx, mn, base, diff;
  if (R < G && B < G)
  {
    mx = G;
    mn = R < B ? R : B;
    base = 128;
    diff = B - R;
  }
  else if (B >= (R > G ? R : G))
  {
    mx = B;
    mn = R < G ? R : G;
    base = 256;
    diff = R - G;
  }
  else
  {
    mx = R;
    mn = G < B ? G : B;
    base = G < B ? 383 : 0;
    diff = G - B;
  }
  const int delta = mx - mn;
  const int sat = lice_clamp255(delta * _LICE_RGB2HSV_invtab[mx] / 256 + w * (g - 128) / 128);
  int hue = base + diff * (_LICE_RGB2HSV_invtab[delta] + 1) / 1024 + w * (r + r / 2 - 192) / 256;
  if (hue < 0) hue += 384;
  else if (hue >= 384) hue -= 384;
  if (hue < 0) hue = 0;
  if (hue > 383) hue = 383;
  const int val = lice_clamp255(mx + w * (b - 128) / 128);

  // Back by the six-sector rule, 64 hue steps per sector.
  int outR, outG, outB;
  if (!sat)
  {
    outR = outG = outB = val;
  }
  else
  {
    const int sector = hue >> 6, f = hue & 63;
    const int p = (val * (255 - sat) + 127) / 255;
    const int q = (val * (255 * 64 - sat * f) + 255 * 32) / (255 * 64);
    const int t = (val * (255 * 64 - sat * (64 - f)) + 255 * 32) / (255 * 64);
    switch (sector)
    {
      case 0: outR = val; outG = t; outB = p; break;
      case 1: outR = q; outG = val; outB = p; break;
      case 2: outR = p; outG = val; outB = t; break;
      case 3: outR = p; outG = q; outB = val; break;
      case 4: outR = t; outG = p; outB = val; break;
      default: outR = val; outG = p; outB = q; break;
    }
  }
  dest[LICE_PIXEL_R] = (LICE_pixel_chan) outR;
  dest[LICE_PIXEL_G] = (LICE_pixel_chan) outG;
  dest[LICE_PIXEL_B] = (LICE_pixel_chan) outB;
  dest[LICE_PIXEL_A] = (LICE_pixel_chan) a;
}

// ---- LICE_Blit ------------------------------------------------------------------

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode)
{
  // The far edges saturate: a rectangle reaching past the int range ends
  // there, which is beyond any bitmap.
  RECT r = {srcx, srcy, LICE_SatInt((int64_t) srcx + srcw), LICE_SatInt((int64_t) srcy + srch)};
  LICE_Blit(dest, src, dstx, dsty, &r, alpha, mode);
}

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  LICE_View d(dest), s(src);
  if (!d.valid() || !s.valid()) return;

  // The source rectangle on the source, then its image on the destination;
  // a cut on either side moves the other by the same amount.
  LICE_Rect64 sr = srcrect ? LICE_Rect64{srcrect->left, srcrect->top, srcrect->right, srcrect->bottom}
                           : LICE_Rect64{0, 0, s.w, s.h};
  int64_t dx = (int64_t) dstx + (sr.l < 0 ? -sr.l : 0), dy = (int64_t) dsty + (sr.t < 0 ? -sr.t : 0);
  if (!LICE_ClipRect(sr, s.w, s.h)) return;
  LICE_Rect64 dr = {dx, dy, dx + sr.width(), dy + sr.height()};
  if (!LICE_ClipRect(dr, d.w, d.h)) return;
  const int cpw = (int) dr.width(), cph = (int) dr.height();
  const int srcLeft = (int) (sr.l + (dr.l - dx)), srcTop = (int) (sr.t + (dr.t - dy));
  dstx = (int) dr.l;
  dsty = (int) dr.t;

  LICE_pixel* dp = d.row(dsty) + dstx;
  const LICE_pixel* sp = s.row(srcTop) + srcLeft;
  const long dstep = d.step(), sstep = s.step();

  if ((mode & 0xF0) == 0xF0)
  {
    const int from = mode & 3, to = (mode >> 2) & 3;
    for (int y = 0; y < cph; ++y, dp += dstep, sp += sstep)
      for (int x = 0; x < cpw; ++x) ((LICE_pixel_chan*) (dp + x))[to] = ((const LICE_pixel_chan*) (sp + x))[from];
    return;
  }

  if ((mode & 0x100FF) == 0)
  {
    if (alpha == 1.0f)
    {
      for (int y = 0; y < cph; ++y, dp += dstep, sp += sstep) memmove(dp, sp, (size_t) cpw * sizeof(LICE_pixel));
      return;
    }
    if (alpha == 0.5f)
    {
      for (int y = 0; y < cph; ++y, dp += dstep, sp += sstep)
        for (int x = 0; x < cpw; ++x) dp[x] = _LICE_HalfMix(dp[x], sp[x]);
      return;
    }
  }

  const int w = LICE_AlphaWeight(alpha);
  LICE_WithBlitCombiner(mode, w, [&](auto tag) {
    _LICE_Template_Blit2<typename decltype(tag)::type>::blit(dp, sp, cpw, cph, dstep, sstep, w);
  });
}

// ---- Fills ---------------------------------------------------------------------------

// The special weights of a copy fill, as word arithmetic; false when the
// weight has no special path.
static bool fastCopyFill(LICE_pixel* p, int w, LICE_pixel color)
{
  switch (w)
  {
    case 64: *p = _LICE_QuarterMix(*p, color); return true;
    case 128: *p = _LICE_HalfMix(*p, color); return true;
    case 192: *p = _LICE_ThreeQuarterMix(*p, color); return true;
    case 256: *p = color; return true;
    default: return false;
  }
}

void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha, int mode)
{
  if (!dest) return;
  if (mode & LICE_BLIT_USE_ALPHA) alpha *= LICE_GETA(color) / 255.0f;
  LICE_View d(dest);
  if (!d.valid() || !LICE_ClipToView(d, x, y, w, h) || alpha == 0.0f) return;

  const int wt = LICE_AlphaWeight(alpha);
  LICE_pixel* p = d.row(y) + x;
  const long step = d.step();
  if ((mode & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY)
  {
    if (wt == 64)
    {
      _LICE_Template_Blit0::solidBlitFAST(p, w, h, color, step);
      return;
    }
    // One tight loop per special weight, so that each vectorises.
    if (wt == 256)
    {
      for (int row = 0; row < h; ++row, p += step) std::fill_n(p, w, color);
      return;
    }
    if (wt == 128)
    {
      for (int row = 0; row < h; ++row, p += step)
        for (int col = 0; col < w; ++col) p[col] = _LICE_HalfMix(p[col], color);
      return;
    }
    if (wt == 192)
    {
      for (int row = 0; row < h; ++row, p += step)
        for (int col = 0; col < w; ++col) p[col] = _LICE_ThreeQuarterMix(p[col], color);
      return;
    }
  }
  const int r = (int) LICE_GETR(color), g = (int) LICE_GETG(color), b = (int) LICE_GETB(color);
  LICE_WithFillCombiner(mode, wt, [&](auto tag) {
    _LICE_Template_Blit1<typename decltype(tag)::type>::solidBlit(p, w, h, r, g, b, wt, step, wt);
  });
}

void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask, LICE_pixel orbits)
{
  LICE_View d(dest);
  if (!d.valid() || !LICE_ClipToView(d, x, y, w, h)) return;
  for (int row = 0; row < h; ++row)
  {
    LICE_pixel* p = d.row(y + row) + x;
    for (int col = 0; col < w; ++col) p[col] = (p[col] & mask) | orbits;
  }
}

void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color)
{
  LICE_View d(dest);
  if (!d.valid()) return;
  for (int row = 0; row < d.h; ++row)
  {
    LICE_pixel* p = d.row(row);
    for (int col = 0; col < d.w; ++col) p[col] = color;
  }
}

void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src)
{
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  LICE_Blit(dest, src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
}

LICE_pixel LICE_GetPixel(LICE_IBitmap* bmp, int x, int y)
{
  LICE_View d(bmp);
  if (!d.valid() || x < 0 || y < 0 || x >= d.w || y >= d.h) return 0;
  return d.row(y)[x];
}

void LICE_PutPixel(LICE_IBitmap* bmp, int x, int y, LICE_pixel color, float alpha, int mode)
{
  LICE_View d(bmp);
  if (!d.valid() || x < 0 || y < 0 || x >= d.w || y >= d.h) return;
  LICE_pixel* p = d.row(y) + x;
  const int wt = LICE_AlphaWeight(alpha);
  if ((mode & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY && fastCopyFill(p, wt, color)) return;
  LICE_WithFillCombiner(mode, wt, [&](auto tag) {
    typedef typename decltype(tag)::type COMB;
    COMB::doPix((LICE_pixel_chan*) p, (int) LICE_GETR(color), (int) LICE_GETG(color), (int) LICE_GETB(color),
                (int) LICE_GETA(color), wt);
  });
}

void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_pixel color)
{
  LICE_View d(dest);
  if (!d.valid()) return;
  for (int row = 0; row < d.h; ++row)
  {
    LICE_pixel* p = d.row(row);
    for (int col = 0; col < d.w; ++col) p[col] = (p[col] & 0xFFFFFF00u) | ((p[col] & 0xFFFFFF00u) == color ? 0 : 255);
  }
}

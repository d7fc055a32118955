// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Scaled and rotated blits, in 16.16 fixed point: nearest, bilinear and a
// box filter for strong downscaling.
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include <emmintrin.h>

#include "lice.h"
#include "lice_blit_drivers.h"
#include "lice_clip.h"
#include "lice_dispatch.h"

namespace
{
inline LICE_pixel pack2(unsigned a, unsigned r, unsigned g, unsigned b) { return LICE_RGBA(r, g, b, a); }

// Hands a sampled pixel to the combiner; a full-weight copy is one store.
template <class COMB>
inline void apply(LICE_pixel* dest, LICE_pixel p, int w)
{
  COMB::doPix((LICE_pixel_chan*) dest, (int) LICE_GETR(p), (int) LICE_GETG(p), (int) LICE_GETB(p), (int) LICE_GETA(p), w);
}
template <>
inline void apply<_LICE_CombinePixelsClobberNoClamp>(LICE_pixel* dest, LICE_pixel p, int)
{
  *dest = p;
}

// The four-weight bilinear sample at (sx, sy) with 16-bit fractions, inside
// a clip of clipw x cliph (relative coordinates): the last column blends
// only vertically, the last row only horizontally.
inline LICE_pixel bilinear(const LICE_View& s, int ox, int oy, int sx, int sy, unsigned fx, unsigned fy, int clipw,
                           int cliph)
{
  const LICE_pixel* row = s.row(oy + sy) + ox + sx;
  const bool lastCol = sx >= clipw - 1, lastRow = sy >= cliph - 1;
  if (lastCol && lastRow) return row[0];
  if (lastCol)
  {
    const LICE_pixel p0 = row[0], p1 = s.row(oy + sy + 1)[ox + sx];
    const unsigned w0 = 65536 - fy, w1 = fy;
    return pack2((LICE_GETA(p0) * w0 + LICE_GETA(p1) * w1) >> 16, (LICE_GETR(p0) * w0 + LICE_GETR(p1) * w1) >> 16,
                 (LICE_GETG(p0) * w0 + LICE_GETG(p1) * w1) >> 16, (LICE_GETB(p0) * w0 + LICE_GETB(p1) * w1) >> 16);
  }
  if (lastRow)
  {
    const LICE_pixel p0 = row[0], p1 = row[1];
    const unsigned w0 = 65536 - fx, w1 = fx;
    return pack2((LICE_GETA(p0) * w0 + LICE_GETA(p1) * w1) >> 16, (LICE_GETR(p0) * w0 + LICE_GETR(p1) * w1) >> 16,
                 (LICE_GETG(p0) * w0 + LICE_GETG(p1) * w1) >> 16, (LICE_GETB(p0) * w0 + LICE_GETB(p1) * w1) >> 16);
  }
  const LICE_pixel* next = s.row(oy + sy + 1) + ox + sx;
  const unsigned w11 = (fx * fy) >> 16, w10 = fx - w11, w01 = fy - w11, w00 = 65536 - fx - fy + w11;
  // Two channels per 64-bit word, 32 bits apart: each weighted sum stays
  // below 2^24, so the lanes never carry into each other.
  auto ag = [](LICE_pixel p) { return (uint64_t) (p & 0xFF) | (uint64_t) ((p >> 16) & 0xFF) << 32; };
  auto rb = [](LICE_pixel p) { return (uint64_t) ((p >> 8) & 0xFF) | (uint64_t) (p >> 24) << 32; };
  const uint64_t sAG = ag(row[0]) * w00 + ag(row[1]) * w10 + ag(next[0]) * w01 + ag(next[1]) * w11;
  const uint64_t sRB = rb(row[0]) * w00 + rb(row[1]) * w10 + rb(next[0]) * w01 + rb(next[1]) * w11;
  const uint64_t lowAG = (sAG >> 16) & 0x000000FF000000FFull, lowRB = (sRB >> 16) & 0x000000FF000000FFull;
  return (LICE_pixel) (lowAG | lowAG >> 16) | (LICE_pixel) (lowRB | lowRB >> 16) << 8;
}

// A negative destination size mirrors: the size turns positive, the
// destination start moves back by it, and the source runs the other way.
// Held in 64 bits and doubles, where none of this can overflow.
inline void mirror(int64_t& dst, int64_t& dstSize, double& src, double& srcSize)
{
  if (dstSize >= 0) return;
  dstSize = -dstSize;
  dst -= dstSize;
  src += srcSize;
  srcSize = -srcSize;
}

// The destination columns [x0, x1) and rows [y0, y1) of a dstw x dsth
// area at (dstx, dsty) that lie on the bitmap; false when none do.
inline bool clipDestination(const LICE_View& d, int64_t dstx, int64_t dsty, int64_t dstw, int64_t dsth, int& x0,
                            int& y0, int& x1, int& y1)
{
  LICE_Rect64 r = LICE_Rect64FromXYWH(dstx, dsty, dstw, dsth);
  if (!LICE_ClipRect(r, d.w, d.h)) return false;
  x0 = (int) r.l;
  y0 = (int) r.t;
  x1 = (int) r.r;
  y1 = (int) r.b;
  return true;
}

inline bool allFinite(std::initializer_list<double> values)
{
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// Narrows the destination offsets [lo, hi) to those whose 16.16 sample
// start + k * step can lie in [0, limit), with one offset of margin on each
// side (the per-pixel test stays). Worked out in 128 bits and long double,
// so that far-off or huge-stepped jobs cost no more than others; afterwards
// every sample of the range is within a few steps of the source, so the
// 64-bit products of the drivers cannot overflow (steps are held below 2^60).
inline void narrowToSource(__int128 start, int64_t step, int64_t limit, int64_t& lo, int64_t& hi)
{
  if (lo >= hi) return;
  if (step == 0)
  {
    if (start < 0 || start >= limit) hi = lo;
    return;
  }
  const long double a = (long double) -start / step, b = (long double) ((__int128) limit - start) / step;
  const long double first = std::floor(std::min(a, b)) - 1, last = std::ceil(std::max(a, b)) + 1;
  if (first > (long double) lo) lo = first >= (long double) hi ? hi : (int64_t) first;
  if (last < (long double) hi) hi = last <= (long double) lo ? lo : (int64_t) last;
}

// Positions are 16.16 fixed point held in 64 bits; floor of a negative
// position is an arithmetic shift.
inline int64_t whole(int64_t fixed) { return fixed >> 16; }
}  // namespace

struct LICE_ScaleJob
{
  LICE_View d, s;
  int x0, x1, y0, y1;        // destination columns and rows, clipped
  int64_t dstx, dsty;        // destination origin (column dstx has sample index 0)
  int64_t icurx, icury;      // source position of sample index 0
  int64_t idx, idy;          // source step per destination pixel
  int clipw, cliph;          // sampling clip
};

template <class COMB>
template <bool FILTER>
void _LICE_Template_Blit2<COMB>::scaleBlit(const LICE_ScaleJob& j, int w)
{
  for (int y = j.y0; y < j.y1; ++y)
  {
    const int64_t cy = j.icury + (y - j.dsty) * j.idy;
    if (cy < 0 || whole(cy) >= j.cliph) continue;
    const int sy = (int) whole(cy);  // checked inside the source above
    const unsigned fy = (unsigned) (cy & 0xFFFF);
    LICE_pixel* dp = j.d.row(y);
    for (int x = j.x0; x < j.x1; ++x)
    {
      const int64_t cx = j.icurx + (x - j.dstx) * j.idx;
      if (cx < 0 || whole(cx) >= j.clipw) continue;
      const int sx = (int) whole(cx);
      const LICE_pixel c = FILTER ? bilinear(j.s, 0, 0, sx, sy, (unsigned) (cx & 0xFFFF), fy, j.clipw, j.cliph)
                                  : j.s.row(sy)[sx];
      apply<COMB>(dp + x, c, w);
    }
  }
}

template <class COMB>
void _LICE_Template_Blit0::scaleBlitFAST(const LICE_ScaleJob& j)
{
  _LICE_Template_Blit2<COMB>::template scaleBlit<false>(j, 256);
}

namespace
{
// floor(x / n) for the block sums (x <= 25 * 255, n <= 25) by a multiply.
struct Reciprocals
{
  uint64_t m[26];
  Reciprocals()
  {
    m[0] = 0;
    for (int n = 1; n <= 25; ++n) m[n] = ((1ull << 20) + (uint64_t) n - 1) / (uint64_t) n;
  }
  int div(int x, int n) const { return (int) (((uint64_t) x * m[n]) >> 20); }
};
const Reciprocals kRecip;

// The mean of a 3 x 3 block wholly inside the image, four channels at once:
// sums fit 16 bits, and floor(x / 9) = x * 7282 >> 16 for every x <= 2295.
inline LICE_pixel mean3x3(const LICE_View& s, int sx, int sy)
{
  const __m128i zero = _mm_setzero_si128();
  __m128i sum = zero;
  for (int k = -1; k <= 1; ++k)
  {
    const LICE_pixel* p = s.row(sy + k) + sx - 1;
    sum = _mm_add_epi16(sum, _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*) p), zero));
    sum = _mm_add_epi16(sum, _mm_unpacklo_epi8(_mm_cvtsi32_si128((int) p[2]), zero));
  }
  sum = _mm_add_epi16(sum, _mm_srli_si128(sum, 8));
  const __m128i q = _mm_mulhi_epu16(sum, _mm_set1_epi16(7282));
  return (LICE_pixel) _mm_cvtsi128_si32(_mm_packus_epi16(q, zero));
}

}  // namespace

// Averages the 3 x 3 or 5 x 5 block around each sample, counting only the
// block pixels inside the clip.
template <class COMB>
void _LICE_Template_Blit2<COMB>::scaleBlitFilterDown(const LICE_ScaleJob& j, int w, int half)
{
  for (int y = j.y0; y < j.y1; ++y)
  {
    const int64_t cy = j.icury + (y - j.dsty) * j.idy;
    if (cy < 0 || whole(cy) >= j.s.h) continue;
    const int sy = (int) whole(cy);  // checked inside the source above
    const int by0 = sy - half < 0 ? 0 : sy - half, by1 = sy + half + 1 > j.cliph ? j.cliph : sy + half + 1;
    LICE_pixel* dp = j.d.row(y);
    for (int x = j.x0; x < j.x1; ++x)
    {
      const int64_t cx = j.icurx + (x - j.dstx) * j.idx;
      if (cx < 0 || whole(cx) >= j.s.w) continue;
      const int sx = (int) whole(cx);
      const int bx0 = sx - half < 0 ? 0 : sx - half, bx1 = sx + half + 1 > j.clipw ? j.clipw : sx + half + 1;
      if (bx0 >= bx1 || by0 >= by1) continue;
      const int n = (bx1 - bx0) * (by1 - by0);
      if (half == 1 && n == 9)
      {
        apply<COMB>(dp + x, mean3x3(j.s, sx, sy), w);
        continue;
      }
      else
      {
        int r = 0, g = 0, b = 0, a = 0;
        for (int by = by0; by < by1; ++by)
        {
          const LICE_pixel* sp = j.s.row(by);
          for (int bx = bx0; bx < bx1; ++bx)
          {
            const LICE_pixel p = sp[bx];
            r += (int) LICE_GETR(p);
            g += (int) LICE_GETG(p);
            b += (int) LICE_GETB(p);
            a += (int) LICE_GETA(p);
          }
        }
        COMB::doPix((LICE_pixel_chan*) (dp + x), kRecip.div(r, n), kRecip.div(g, n), kRecip.div(b, n), kRecip.div(a, n), w);
      }
    }
  }
}

void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || !dstw || !dsth || alpha == 0.0f) return;
  if (!allFinite({srcx, srcy, srcw, srch})) return;

  if (std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001)
  {
    const bool filter = (mode & LICE_BLIT_FILTER_MASK) == LICE_BLIT_FILTER_BILINEAR;
    if (!filter || (std::fabs(srcx - std::floor(srcx + 0.5)) < 0.03 && std::fabs(srcy - std::floor(srcy + 0.5)) < 0.03))
    {
      LICE_Blit(dest, src, dstx, dsty, LICE_ToInt(srcx + 0.5), LICE_ToInt(srcy + 0.5), dstw, dsth, alpha, mode);
      return;
    }
  }

  LICE_ScaleJob j{LICE_View(dest), LICE_View(src), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (!j.d.valid() || !j.s.valid()) return;

  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  mirror(dx, dw, sx, sw);
  mirror(dy, dh, sy, sh);
  const double xstep = sw / (double) dw, ystep = sh / (double) dh;
  j.idx = LICE_ToInt64(xstep * 65536.0);
  j.idy = LICE_ToInt64(ystep * 65536.0);
  j.icurx = LICE_ToInt64(sx * 65536.0);
  j.icury = LICE_ToInt64(sy * 65536.0);
  j.dstx = dx;
  j.dsty = dy;
  if (!clipDestination(j.d, dx, dy, dw, dh, j.x0, j.y0, j.x1, j.y1)) return;
  // Only the columns and rows whose samples can reach the source (the box
  // filter reads up to the whole source, a superset of the clip).
  int64_t kx0 = j.x0 - dx, kx1 = j.x1 - dx, ky0 = j.y0 - dy, ky1 = j.y1 - dy;
  narrowToSource(j.icurx, j.idx, (int64_t) j.s.w << 16, kx0, kx1);
  narrowToSource(j.icury, j.idy, (int64_t) j.s.h << 16, ky0, ky1);
  if (kx0 >= kx1 || ky0 >= ky1) return;
  j.x0 = (int) (dx + kx0);
  j.x1 = (int) (dx + kx1);
  j.y0 = (int) (dy + ky0);
  j.y1 = (int) (dy + ky1);
  const int64_t cw = LICE_ToInt64((sw > 0 ? sw : 0.0) + sx + 0.999999), ch = LICE_ToInt64((sh > 0 ? sh : 0.0) + sy + 0.999999);
  j.clipw = (int) (cw < j.s.w ? (cw > 0 ? cw : 0) : j.s.w);
  j.cliph = (int) (ch < j.s.h ? (ch > 0 ? ch : 0) : j.s.h);

  const int w = LICE_AlphaWeight(alpha);
  if ((mode & 0x1FFFF) == 0 && (w == 256 || w == 128))
  {
    if (w == 256)
      _LICE_Template_Blit0::scaleBlitFAST<_LICE_CombinePixelsClobberFAST>(j);
    else
      _LICE_Template_Blit0::scaleBlitFAST<_LICE_CombinePixelsHalfMixFAST>(j);
    return;
  }

  const bool filter = (mode & LICE_BLIT_FILTER_MASK) == LICE_BLIT_FILTER_BILINEAR;
  if (filter && xstep >= 1.7 && ystep >= 1.7)
  {
    const int half = (j.idx > j.idy ? j.idx : j.idy) <= 0x30000 ? 1 : 2;
    LICE_WithBlitCombiner(mode, w, [&](auto tag) {
      _LICE_Template_Blit2<typename decltype(tag)::type>::scaleBlitFilterDown(j, w, half);
    });
    return;
  }
  LICE_WithBlitCombiner(mode, w, [&](auto tag) {
    if (filter)
      _LICE_Template_Blit2<typename decltype(tag)::type>::template scaleBlit<true>(j, w);
    else
      _LICE_Template_Blit2<typename decltype(tag)::type>::template scaleBlit<false>(j, w);
  });
}

struct LICE_RotateJob
{
  LICE_View d, s;
  int x0, x1, y0, y1;
  int64_t dstx, dsty;
  int64_t ix, iy;           // source position of the destination's top-left pixel
  int64_t dxx, dxy;         // per column
  int64_t dyx, dyy;         // per row
  int cl, ct, cr, cb;       // source clip, absolute
};

namespace
{
// Walks the destination of a rotated job; f(dest pixel, sample) for each
// sample that lands inside the clip.
template <bool FILTER, class F>
void deltaWalk(const LICE_RotateJob& j, F&& f)
{
  const int clipw = j.cr - j.cl, cliph = j.cb - j.ct;
  for (int y = j.y0; y < j.y1; ++y)
  {
    // The row's start exactly, then only the columns whose samples can land
    // in the clip; along them the positions step by addition.
    const __int128 rx = (__int128) j.ix + (__int128) (y - j.dsty) * j.dyx - ((__int128) j.cl << 16);
    const __int128 ry = (__int128) j.iy + (__int128) (y - j.dsty) * j.dyy - ((__int128) j.ct << 16);
    int64_t k0 = j.x0 - j.dstx, k1 = j.x1 - j.dstx;
    narrowToSource(rx, j.dxx, (int64_t) clipw << 16, k0, k1);
    narrowToSource(ry, j.dxy, (int64_t) cliph << 16, k0, k1);
    if (k0 >= k1) continue;
    int64_t cx = (int64_t) (rx + (__int128) k0 * j.dxx), cy = (int64_t) (ry + (__int128) k0 * j.dxy);
    LICE_pixel* dp = j.d.row(y);
    for (int64_t k = k0; k < k1; ++k, cx += j.dxx, cy += j.dxy)
    {
      const int64_t sx = whole(cx), sy = whole(cy);
      if (sx < 0 || sy < 0 || sx >= clipw || sy >= cliph) continue;
      const LICE_pixel c = FILTER ? bilinear(j.s, j.cl, j.ct, (int) sx, (int) sy, (unsigned) (cx & 0xFFFF),
                                             (unsigned) (cy & 0xFFFF), clipw, cliph)
                                  : j.s.row(j.ct + (int) sy)[j.cl + sx];
      f(dp + j.dstx + k, c);
    }
  }
}
}  // namespace

template <class COMB>
template <bool FILTER>
void _LICE_Template_Blit3<COMB>::deltaBlit(const LICE_RotateJob& j, int w)
{
  deltaWalk<FILTER>(j, [w](LICE_pixel* d, LICE_pixel c) { apply<COMB>(d, c, w); });
}


void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent, float rotycent)
{
  if (!dest || !src || !dstw || !dsth) return;
  const int w = LICE_AlphaWeight(alpha);
  if (!w || (mode & LICE_BLIT_MODE_MASK) >= 6) return;
  if (!allFinite({srcx, srcy, srcw, srch, angle, rotxcent, rotycent})) return;
  LICE_RotateJob j{LICE_View(dest), LICE_View(src), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (!j.d.valid() || !j.s.valid()) return;

  if (cliptosourcerect)
  {
    const double r = (double) srcx + srcw, b = (double) srcy + srch;
    j.cl = srcx > 0 ? LICE_ToInt(srcx) : 0;
    j.ct = srcy > 0 ? LICE_ToInt(srcy) : 0;
    j.cr = r < j.s.w ? LICE_ToInt(r) : j.s.w;
    j.cb = b < j.s.h ? LICE_ToInt(b) : j.s.h;
  }
  else
  {
    j.cr = j.s.w;
    j.cb = j.s.h;
  }
  if (j.cl >= j.cr || j.ct >= j.cb) return;

  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  mirror(dx, dw, sx, sw);
  mirror(dy, dh, sy, sh);

  const double c = std::cos((double) angle), s = std::sin((double) angle), W = (double) dw, H = (double) dh;
  const double x0 = sx - ((H * s * sw / W + c * sw - sw) * 0.5 - rotxcent);
  const double y0 = sy - ((c * sh - W * s * sh / H - sh) * 0.5 - rotycent);
  j.dxx = LICE_ToInt64(c * sw / W * 65536.0);
  j.dxy = LICE_ToInt64(-s * sh / H * 65536.0);
  j.dyx = LICE_ToInt64(s * sw / W * 65536.0);
  j.dyy = LICE_ToInt64(c * sh / H * 65536.0);
  j.ix = LICE_ToInt64(x0 * 65536.0);
  j.iy = LICE_ToInt64(y0 * 65536.0);
  j.dstx = dx;
  j.dsty = dy;
  if (!clipDestination(j.d, dx, dy, dw, dh, j.x0, j.y0, j.x1, j.y1)) return;

  const bool filter = (mode & LICE_BLIT_FILTER_MASK) == LICE_BLIT_FILTER_BILINEAR;
  LICE_WithBlitCombiner(mode, w, [&](auto tag) {
    if (filter)
      _LICE_Template_Blit3<typename decltype(tag)::type>::template deltaBlit<true>(j, w);
    else
      _LICE_Template_Blit3<typename decltype(tag)::type>::template deltaBlit<false>(j, w);
  });
}

// Scaled and rotated blits, in 16.16 fixed point: nearest, bilinear and a
// box filter for strong downscaling.
#include <cmath>
#include <cstdint>

#include <emmintrin.h>

#include "lice.h"
#include "lice_blit_drivers.h"
#include "lice_dispatch.h"

namespace
{
struct Rgba
{
  int r, g, b, a;
};

inline Rgba unpack(LICE_pixel p) { return {(int) LICE_GETR(p), (int) LICE_GETG(p), (int) LICE_GETB(p), (int) LICE_GETA(p)}; }

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
inline void mirror(int& dst, int& dstSize, float& src, float& srcSize)
{
  if (dstSize >= 0) return;
  dstSize = -dstSize;
  dst -= dstSize;
  src += srcSize;
  srcSize = -srcSize;
}

// The destination columns [x0, x1) and rows [y0, y1) of a dstw x dsth
// area at (dstx, dsty) that lie on the bitmap; false when none do.
inline bool clipDestination(const LICE_View& d, int dstx, int dsty, int dstw, int dsth, int& x0, int& y0, int& x1,
                            int& y1)
{
  x0 = dstx < 0 ? 0 : dstx;
  y0 = dsty < 0 ? 0 : dsty;
  x1 = dstx + dstw < d.w ? dstx + dstw : d.w;
  y1 = dsty + dsth < d.h ? dsty + dsth : d.h;
  return x0 < x1 && y0 < y1;
}

// Positions are 16.16 fixed point held in 64 bits, so no image size can
// overflow them; floor of a negative position is an arithmetic shift.
inline int whole(int64_t fixed) { return (int) (fixed >> 16); }
}  // namespace

struct LICE_ScaleJob
{
  LICE_View d, s;
  int x0, x1, y0, y1;        // destination columns and rows, clipped
  int dstx, dsty;            // destination origin (column dstx has sample index 0)
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
    const int64_t cy = j.icury + (int64_t) (y - j.dsty) * j.idy;
    if (cy < 0 || whole(cy) >= j.cliph) continue;
    const int sy = whole(cy);
    const unsigned fy = (unsigned) (cy & 0xFFFF);
    LICE_pixel* dp = j.d.row(y);
    for (int x = j.x0; x < j.x1; ++x)
    {
      const int64_t cx = j.icurx + (int64_t) (x - j.dstx) * j.idx;
      if (cx < 0 || whole(cx) >= j.clipw) continue;
      const int sx = whole(cx);
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
    const int64_t cy = j.icury + (int64_t) (y - j.dsty) * j.idy;
    if (cy < 0 || whole(cy) >= j.s.h) continue;
    const int sy = whole(cy);
    const int by0 = sy - half < 0 ? 0 : sy - half, by1 = sy + half + 1 > j.cliph ? j.cliph : sy + half + 1;
    LICE_pixel* dp = j.d.row(y);
    for (int x = j.x0; x < j.x1; ++x)
    {
      const int64_t cx = j.icurx + (int64_t) (x - j.dstx) * j.idx;
      if (cx < 0 || whole(cx) >= j.s.w) continue;
      const int sx = whole(cx);
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

  if (std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001)
  {
    const bool filter = (mode & LICE_BLIT_FILTER_MASK) == LICE_BLIT_FILTER_BILINEAR;
    if (!filter || (std::fabs(srcx - std::floor(srcx + 0.5)) < 0.03 && std::fabs(srcy - std::floor(srcy + 0.5)) < 0.03))
    {
      LICE_Blit(dest, src, dstx, dsty, (int) (srcx + 0.5), (int) (srcy + 0.5), dstw, dsth, alpha, mode);
      return;
    }
  }

  LICE_ScaleJob j{LICE_View(dest), LICE_View(src), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (!j.d.valid() || !j.s.valid()) return;

  mirror(dstx, dstw, srcx, srcw);
  mirror(dsty, dsth, srcy, srch);
  const double xstep = (double) srcw / dstw, ystep = (double) srch / dsth;
  j.idx = (int64_t) (xstep * 65536.0);
  j.idy = (int64_t) (ystep * 65536.0);
  j.icurx = (int64_t) ((double) srcx * 65536.0);
  j.icury = (int64_t) ((double) srcy * 65536.0);
  j.dstx = dstx;
  j.dsty = dsty;
  if (!clipDestination(j.d, dstx, dsty, dstw, dsth, j.x0, j.y0, j.x1, j.y1)) return;
  const int cw = (int) ((srcw > 0 ? srcw : 0.0f) + srcx + 0.999999), ch = (int) ((srch > 0 ? srch : 0.0f) + srcy + 0.999999);
  j.clipw = cw < j.s.w ? cw : j.s.w;
  j.cliph = ch < j.s.h ? ch : j.s.h;

  const int w = (int) (alpha * 256.0f);
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
  int dstx, dsty;
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
    const int64_t rx = j.ix + (int64_t) (y - j.dsty) * j.dyx, ry = j.iy + (int64_t) (y - j.dsty) * j.dyy;
    LICE_pixel* dp = j.d.row(y);
    for (int x = j.x0; x < j.x1; ++x)
    {
      const int64_t cx = rx + (int64_t) (x - j.dstx) * j.dxx, cy = ry + (int64_t) (x - j.dstx) * j.dxy;
      const int sx = whole(cx) - j.cl, sy = whole(cy) - j.ct;
      if (sx < 0 || sy < 0 || sx >= clipw || sy >= cliph) continue;
      const LICE_pixel c = FILTER ? bilinear(j.s, j.cl, j.ct, sx, sy, (unsigned) (cx & 0xFFFF), (unsigned) (cy & 0xFFFF),
                                             clipw, cliph)
                                  : j.s.row(j.ct + sy)[j.cl + sx];
      f(dp + x, c);
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
  const int w = (int) (alpha * 256.0f);
  if (!w || (mode & LICE_BLIT_MODE_MASK) >= 6) return;
  LICE_RotateJob j{LICE_View(dest), LICE_View(src), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (!j.d.valid() || !j.s.valid()) return;

  if (cliptosourcerect)
  {
    j.cl = srcx > 0 ? (int) srcx : 0;
    j.ct = srcy > 0 ? (int) srcy : 0;
    j.cr = srcx + srcw < j.s.w ? (int) (srcx + srcw) : j.s.w;
    j.cb = srcy + srch < j.s.h ? (int) (srcy + srch) : j.s.h;
  }
  else
  {
    j.cr = j.s.w;
    j.cb = j.s.h;
  }
  if (j.cl >= j.cr || j.ct >= j.cb) return;

  mirror(dstx, dstw, srcx, srcw);
  mirror(dsty, dsth, srcy, srch);

  const double c = std::cos(angle), s = std::sin(angle), W = dstw, H = dsth;
  const double x0 = srcx - ((H * s * srcw / W + c * srcw - srcw) * 0.5 - rotxcent);
  const double y0 = srcy - ((c * srch - W * s * srch / H - srch) * 0.5 - rotycent);
  j.dxx = (int64_t) (c * srcw / W * 65536.0);
  j.dxy = (int64_t) (-s * srch / H * 65536.0);
  j.dyx = (int64_t) (s * srcw / W * 65536.0);
  j.dyy = (int64_t) (c * srch / H * 65536.0);
  j.ix = (int64_t) (x0 * 65536.0);
  j.iy = (int64_t) (y0 * 65536.0);
  j.dstx = dstx;
  j.dsty = dsty;
  if (!clipDestination(j.d, dstx, dsty, dstw, dsth, j.x0, j.y0, j.x1, j.y1)) return;

  const bool filter = (mode & LICE_BLIT_FILTER_MASK) == LICE_BLIT_FILTER_BILINEAR;
  LICE_WithBlitCombiner(mode, w, [&](auto tag) {
    if (filter)
      _LICE_Template_Blit3<typename decltype(tag)::type>::template deltaBlit<true>(j, w);
    else
      _LICE_Template_Blit3<typename decltype(tag)::type>::template deltaBlit<false>(j, w);
  });
}

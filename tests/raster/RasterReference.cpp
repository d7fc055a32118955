// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "RasterReference.h"

#include <algorithm>
#include <cmath>

namespace ref
{
namespace
{
int ch(uint32_t p, int i) { return (int) ((p >> (8 * i)) & 0xFF); }  // 0 = A, 1 = R, 2 = G, 3 = B
uint32_t word(const int c[4]) { return (uint32_t) (c[0] & 0xFF) | (uint32_t) (c[1] & 0xFF) << 8 | (uint32_t) (c[2] & 0xFF) << 16 | (uint32_t) (c[3] & 0xFF) << 24; }
int clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

int copyRule(int d, int s, int w) { return s + (d - s) * (256 - w) / 256; }
int addRule(int d, int s, int w) { return clamp(d + s * w / 256); }
int dodgeRule(int d, int s, int w)
{
  int t = s * w / 256;
  return t < 255 ? clamp(d * 256 / (256 - t)) : clamp(d * 256);
}
int mulRule(int d, int s, int w) { return ((s * w + (256 - w) * 256) * d) >> 16; }
int overlayRule(int d, int s, int w)
{
  long long m = (256 - w) * 128, u = (long long) s * w + m;
  long long v = ((32768 - u) * d / 256 + u) * d;
  if (v >= 8388608) return 255;
  if (v < 0) return 0;
  return (int) (v >> 15);
}

// Hue 0..383 in six sectors of 64, saturation and value 0..255; back by
// the six-sector rule.
uint32_t hsvAdjust(uint32_t d, int r, int g, int b, int a, int w)
{
  auto inv = [](int i) { return i ? 65536 / i - 1 : 0; };
  int R = ch(d, 1), G = ch(d, 2), B = ch(d, 3);
  int mx = std::max({R, G, B}), mn = std::min({R, G, B}), base, diff;
  if (R < G && B < G) base = 128, diff = B - R;
  else if (B >= std::max(R, G)) base = 256, diff = R - G;
  else base = G < B ? 383 : 0, diff = G - B;
  int delta = mx - mn;
  int sat = clamp(delta * inv(mx) / 256 + w * (g - 128) / 128);
  int hue = base + diff * (inv(delta) + 1) / 1024 + w * (r + r / 2 - 192) / 256;
  if (hue < 0) hue += 384;
  else if (hue >= 384) hue -= 384;
  hue = std::min(383, std::max(0, hue));
  int val = clamp(mx + w * (b - 128) / 128);
  int out[4] = {a, val, val, val};
  if (sat)
  {
    int sec = hue / 64, f = hue % 64;
    int p = (val * (255 - sat) + 127) / 255;
    int q = (val * (255 * 64 - sat * f) + 255 * 32) / (255 * 64);
    int t = (val * (255 * 64 - sat * (64 - f)) + 255 * 32) / (255 * 64);
    const int table[6][3] = {{val, t, p}, {q, val, p}, {p, val, t}, {p, q, val}, {t, p, val}, {val, p, q}};
    out[1] = table[sec][0];
    out[2] = table[sec][1];
    out[3] = table[sec][2];
  }
  return word(out);
}
}  // namespace

uint32_t Combine(uint32_t d, int r, int g, int b, int a, int w, int mode, bool sourceAlpha)
{
  const int s[4] = {a, r, g, b};
  int out[4];
  int e = w;
  if (sourceAlpha)
  {
    if (mode == 0 && w == 256)
    {
      if (a == 0) return d;
      if (a == 255) return (uint32_t) 255 | (uint32_t) r << 8 | (uint32_t) g << 16 | (uint32_t) b << 24;
      for (int i = 1; i < 4; ++i) out[i] = s[i] + (ch(d, i) - s[i]) * (255 - a) / 256;
      out[0] = std::min(255, ch(d, 0) + a);
      return word(out);
    }
    if (a == 0 && (mode == 0 || mode == 1 || mode == 3)) return d;
    e = w * (a + 1) / 256;
    if (mode == 0)
    {
      for (int i = 1; i < 4; ++i) out[i] = copyRule(ch(d, i), s[i], e);
      out[0] = std::min(255, ch(d, 0) + e);
      return word(out);
    }
    if (mode == 1)
    {
      for (int i = 0; i < 4; ++i) out[i] = addRule(ch(d, i), s[i], e);
      return word(out);
    }
  }
  switch (mode)
  {
    case 0:
      if (!sourceAlpha && w == 256) return word(s);
      for (int i = 0; i < 4; ++i) out[i] = copyRule(ch(d, i), s[i], e);
      break;
    case 1: for (int i = 0; i < 4; ++i) out[i] = addRule(ch(d, i), s[i], e); break;
    case 2: for (int i = 0; i < 4; ++i) out[i] = dodgeRule(ch(d, i), s[i], e); break;
    case 3: for (int i = 0; i < 4; ++i) out[i] = mulRule(ch(d, i), s[i], e); break;
    case 4: for (int i = 0; i < 4; ++i) out[i] = overlayRule(ch(d, i), s[i], e); break;
    case 5: return hsvAdjust(d, r, g, b, a, e);
    default: return d;
  }
  return word(out);
}

static uint32_t halfMix(uint32_t d, uint32_t s)
{
  int c[4];
  for (int i = 0; i < 4; ++i) c[i] = (ch(d, i) >> 1) + (ch(s, i) >> 1);
  return word(c);
}

void Blit(Image& dest, const Image& src, int dstx, int dsty, int sl, int st, int sr, int sb, float alpha, int mode)
{
  if (alpha == 0.0f) return;
  sr = std::min(sr, src.w);
  sb = std::min(sb, src.h);
  if (sl < 0) dstx -= sl, sl = 0;
  if (st < 0) dsty -= st, st = 0;
  const int w = (int) (alpha * 256.0f);
  for (int y = st; y < sb; ++y)
    for (int x = sl; x < sr; ++x)
    {
      int dx = dstx + (x - sl), dy = dsty + (y - st);
      if (dx < 0 || dy < 0 || dx >= dest.w || dy >= dest.h) continue;
      uint32_t s = src.at(x, y), &d = dest.at(dx, dy);
      if ((mode & 0xF0) == 0xF0)
      {
        int c[4] = {ch(d, 0), ch(d, 1), ch(d, 2), ch(d, 3)};
        c[(mode >> 2) & 3] = ch(s, mode & 3);
        d = word(c);
        continue;
      }
      if ((mode & 0x100FF) == 0 && alpha == 1.0f) { d = s; continue; }
      if ((mode & 0x100FF) == 0 && alpha == 0.5f) { d = halfMix(d, s); continue; }
      if (w == 0 || (mode & 0xFF) > 5) continue;
      if ((mode & 0xFF) == 0 && !(mode & 0x10000) && w < 1) continue;
      d = Combine(d, ch(s, 1), ch(s, 2), ch(s, 3), ch(s, 0), w, mode & 0xFF, (mode & 0x10000) != 0);
    }
}

void ScaledBlit(Image& dest, const Image& src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                float srcw, float srch, float alpha, int mode)
{
  if (!dstw || !dsth || alpha == 0.0f) return;
  const bool filter = (mode & 0xFF00) == 0x100;
  if (std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001 &&
      (!filter || (std::fabs(srcx - std::floor(srcx + 0.5)) < 0.03 && std::fabs(srcy - std::floor(srcy + 0.5)) < 0.03)))
  {
    int sx = (int) (srcx + 0.5), sy = (int) (srcy + 0.5);
    Blit(dest, src, dstx, dsty, sx, sy, sx + dstw, sy + dsth, alpha, mode);
    return;
  }
  if (dstw < 0) dstw = -dstw, dstx -= dstw, srcx += srcw, srcw = -srcw;
  if (dsth < 0) dsth = -dsth, dsty -= dsth, srcy += srch, srch = -srch;
  const double xstep = (double) srcw / dstw, ystep = (double) srch / dsth;
  const long long idx = (long long) (xstep * 65536.0), idy = (long long) (ystep * 65536.0);
  const long long x0 = (long long) ((double) srcx * 65536.0), y0 = (long long) ((double) srcy * 65536.0);
  const int clipw = std::min(src.w, (int) (std::max(0.0f, srcw) + srcx + 0.999999));
  const int cliph = std::min(src.h, (int) (std::max(0.0f, srch) + srcy + 0.999999));
  const int w = (int) (alpha * 256.0f);
  const bool plain = (mode & 0x1FFFF) == 0;
  const bool boxFilter = filter && xstep >= 1.7 && ystep >= 1.7;
  const int half = std::max(idx, idy) <= 0x30000 ? 1 : 2;
  if (!(plain && (w == 256 || w == 128)) && (w == 0 || (mode & 0xFF) > 5)) return;
  if (!(plain && (w == 256 || w == 128)) && (mode & 0xFF) == 0 && !(mode & 0x10000) && w < 1) return;

  for (int j = 0; j < dsth; ++j)
    for (int i = 0; i < dstw; ++i)
    {
      int dx = dstx + i, dy = dsty + j;
      if (dx < 0 || dy < 0 || dx >= dest.w || dy >= dest.h) continue;
      long long cx = x0 + i * idx, cy = y0 + j * idy;
      if (cx < 0 || cy < 0) continue;
      int sx = (int) (cx >> 16), sy = (int) (cy >> 16);
      uint32_t& d = dest.at(dx, dy);
      int c[4];
      if (plain && (w == 256 || w == 128))
      {
        if (sx >= clipw || sy >= cliph) continue;
        d = w == 256 ? src.at(sx, sy) : halfMix(d, src.at(sx, sy));
        continue;
      }
      if (boxFilter)
      {
        if (sx >= src.w || sy >= src.h) continue;
        int sum[4] = {0, 0, 0, 0}, n = 0;
        for (int by = sy - half; by <= sy + half; ++by)
          for (int bx = sx - half; bx <= sx + half; ++bx)
          {
            if (bx < 0 || by < 0 || bx >= clipw || by >= cliph) continue;
            for (int k = 0; k < 4; ++k) sum[k] += ch(src.at(bx, by), k);
            ++n;
          }
        if (!n) continue;
        for (int k = 0; k < 4; ++k) c[k] = sum[k] / n;
      }
      else
      {
        if (sx >= clipw || sy >= cliph) continue;
        if (!filter)
        {
          for (int k = 0; k < 4; ++k) c[k] = ch(src.at(sx, sy), k);
        }
        else
        {
          unsigned fx = (unsigned) (cx & 0xFFFF), fy = (unsigned) (cy & 0xFFFF);
          bool lastCol = sx == clipw - 1, lastRow = sy == cliph - 1;
          for (int k = 0; k < 4; ++k)
          {
            unsigned p00 = ch(src.at(sx, sy), k);
            if (lastCol && lastRow) c[k] = (int) p00;
            else if (lastCol) c[k] = (int) ((p00 * (65536 - fy) + ch(src.at(sx, sy + 1), k) * fy) >> 16);
            else if (lastRow) c[k] = (int) ((p00 * (65536 - fx) + ch(src.at(sx + 1, sy), k) * fx) >> 16);
            else
            {
              unsigned w11 = (fx * fy) >> 16, w10 = fx - w11, w01 = fy - w11, w00 = 65536 - fx - fy + w11;
              c[k] = (int) ((p00 * w00 + ch(src.at(sx + 1, sy), k) * w10 + ch(src.at(sx, sy + 1), k) * w01 +
                             ch(src.at(sx + 1, sy + 1), k) * w11) >> 16);
            }
          }
        }
      }
      d = Combine(d, c[1], c[2], c[3], c[0], w, mode & 0xFF, (mode & 0x10000) != 0);
    }
}

void FillRect(Image& dest, int x, int y, int w, int h, uint32_t color, float alpha, int mode)
{
  if (mode & 0x10000) alpha *= (color & 0xFF) / 255.0f;
  if (alpha == 0.0f) return;
  const int wt = (int) (alpha * 256.0f);
  const int m = mode & 0xFF;
  for (int yy = std::max(0, y); yy < std::min(dest.h, y + h); ++yy)
    for (int xx = std::max(0, x); xx < std::min(dest.w, x + w); ++xx)
    {
      uint32_t& d = dest.at(xx, yy);
      if (m == 0 && (wt == 64 || wt == 128 || wt == 192 || wt == 256))
      {
        int c[4];
        for (int k = 0; k < 4; ++k)
        {
          int dc = ch(d, k), sc = ch(color, k);
          c[k] = wt == 256 ? sc : wt == 128 ? (dc >> 1) + (sc >> 1) : wt == 64 ? (sc >> 2) + (dc >> 1) + (dc >> 2)
                                                                                 : (sc >> 1) + (sc >> 2) + (dc >> 2);
        }
        d = word(c);
        continue;
      }
      if (wt == 0 || m > 5 || (m == 0 && wt < 1)) continue;
      d = Combine(d, ch(color, 1), ch(color, 2), ch(color, 3), wt, wt, m, false);
    }
}
}  // namespace ref

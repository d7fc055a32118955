// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The raster layer's one clipping rule, and the conversions that bring
// caller numbers into it. Every operation clips here: rectangles are held
// in 64 bits, where no sum or difference of ints the caller can pass
// overflows, and floats are converted with saturation (NaN counts as 0), so
// that no coordinate, size, radius or alpha is ever undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

#include "../devicecontext/DeviceContext.h"

// A rectangle [l, r) x [t, b) in 64 bits.
struct LICE_Rect64
{
  int64_t l, t, r, b;
  int64_t width() const { return r - l; }
  int64_t height() const { return b - t; }
  bool empty() const { return r <= l || b <= t; }
};

inline LICE_Rect64 LICE_Rect64FromXYWH(int64_t x, int64_t y, int64_t w, int64_t h) { return {x, y, x + w, y + h}; }

// Intersects r with [0, w) x [0, h) and, when clip is given, with clip.
// False when nothing is left; otherwise the result fits in int.
inline bool LICE_ClipRect(LICE_Rect64& r, int w, int h, const RECT* clip = nullptr)
{
  int64_t l = 0, t = 0, rr = w, b = h;
  if (clip)
  {
    if (clip->left > l) l = clip->left;
    if (clip->top > t) t = clip->top;
    if (clip->right < rr) rr = clip->right;
    if (clip->bottom < b) b = clip->bottom;
  }
  if (r.l < l) r.l = l;
  if (r.t < t) r.t = t;
  if (r.r > rr) r.r = rr;
  if (r.b > b) r.b = b;
  return !r.empty();
}

// double to int64, saturating at +-2^60 (sums of a few stay in range); NaN
// gives 0.
inline int64_t LICE_ToInt64(double v)
{
  const double lim = 1152921504606846976.0;  // 2^60
  if (!(v == v)) return 0;
  if (v >= lim) return (int64_t) 1 << 60;
  if (v <= -lim) return -((int64_t) 1 << 60);
  return (int64_t) v;
}

// double to int, truncating toward zero and saturating; NaN gives 0.
inline int LICE_ToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return (int) v;
}

// int64 to int, saturating.
inline int LICE_SatInt(int64_t v) { return v > 2147483647 ? 2147483647 : (v < -2147483647 - 1 ? -2147483647 - 1 : (int) v); }

// The integer weight of an alpha: alpha x 256 truncated, limited to 0..256
// (NaN and negative alphas draw nothing; above 1 counts as 1).
inline int LICE_AlphaWeight(float alpha)
{
  if (!(alpha > 0.0f)) return 0;
  if (alpha >= 1.0f) return 256;
  return (int) (alpha * 256.0f);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Per-pixel combiners, one small class per combine mode. Each has one
// static doPix(dest, r, g, b, a, w) that merges the colour (r, g, b, a) at
// weight w (0..256) into the pixel at dest in place. The drivers are
// templates over these classes, so there is no per-pixel dispatch.
//
// "/ 256" below is C's division, truncating toward zero, as the formulas
// are defined; stores without a clamp keep the low 8 bits.
#pragma once

#include "lice.h"

static inline int lice_clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

#define LICE_DEST_CHANNELS LICE_pixel_chan* dest

struct _LICE_CombinePixelsClobberNoClamp
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int)
  {
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) r;
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) g;
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) b;
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) a;
  }
};

struct _LICE_CombinePixelsCopyNoClamp
{
  static inline int mix(int d, int s, int w) { return s + (d - s) * (256 - w) / 256; }
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_R], r, w);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_G], g, w);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_B], b, w);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_A], a, w);
  }
};

struct _LICE_CombinePixelsCopyClamp
{
  static inline int mix(int d, int s, int w) { return lice_clamp255(s + (d - s) * (256 - w) / 256); }
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_R], r, w);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_G], g, w);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_B], b, w);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_A], a, w);
  }
};

struct _LICE_CombinePixelsAdd
{
  static inline int add(int d, int s, int w) { return lice_clamp255(d + s * w / 256); }
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) add(dest[LICE_PIXEL_R], r, w);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) add(dest[LICE_PIXEL_G], g, w);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) add(dest[LICE_PIXEL_B], b, w);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) add(dest[LICE_PIXEL_A], a, w);
  }
};

struct _LICE_CombinePixelsColorDodge
{
  static inline int dodge(int d, int s, int w)
  {
    const int t = s * w / 256;
    return t < 255 ? lice_clamp255(d * 256 / (256 - t)) : lice_clamp255(d * 256);
  }
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) dodge(dest[LICE_PIXEL_R], r, w);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) dodge(dest[LICE_PIXEL_G], g, w);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) dodge(dest[LICE_PIXEL_B], b, w);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) dodge(dest[LICE_PIXEL_A], a, w);
  }
};

template <bool clamp>
struct _LICE_CombinePixelsMulT
{
  static inline int mul(int d, int s, int w)
  {
    const int v = ((s * w + (256 - w) * 256) * d) >> 16;
    return clamp ? lice_clamp255(v) : v;
  }
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) mul(dest[LICE_PIXEL_R], r, w);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) mul(dest[LICE_PIXEL_G], g, w);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) mul(dest[LICE_PIXEL_B], b, w);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) mul(dest[LICE_PIXEL_A], a, w);
  }
};
typedef _LICE_CombinePixelsMulT<false> _LICE_CombinePixelsMulNoClamp;
typedef _LICE_CombinePixelsMulT<true> _LICE_CombinePixelsMulClamp;

struct _LICE_CombinePixelsOverlay
{
  static inline int overlay(int d, int s, int w)
  {
    const int m = (256 - w) * 128;
    const int u = s * w + m;
    const long long v = ((long long) (32768 - u) * d / 256 + u) * d;
    if (v >= 8388608) return 255;
    if (v < 0) return 0;
    return (int) (v >> 15);
  }
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) overlay(dest[LICE_PIXEL_R], r, w);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) overlay(dest[LICE_PIXEL_G], g, w);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) overlay(dest[LICE_PIXEL_B], b, w);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) overlay(dest[LICE_PIXEL_A], a, w);
  }
};

// 65536 / i - 1 for i >= 1, and 0 for 0: reciprocals for the HSV forward
// conversion.
extern const unsigned short _LICE_RGB2HSV_invtab[256];

struct _LICE_CombinePixelsHSVAdjust
{
  // Shifts the destination's hue by r (128 = no change), its saturation by
  // g and its value by b; the destination alpha becomes a.
  static void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w);
};

// ---- Source-alpha combiners: the source pixel's alpha weights it too ----------

struct _LICE_CombinePixelsCopySourceAlphaNoClamp
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    if (!a) return;
    const int e = w * (a + 1) / 256;
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) _LICE_CombinePixelsCopyNoClamp::mix(dest[LICE_PIXEL_R], r, e);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) _LICE_CombinePixelsCopyNoClamp::mix(dest[LICE_PIXEL_G], g, e);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) _LICE_CombinePixelsCopyNoClamp::mix(dest[LICE_PIXEL_B], b, e);
    const int da = dest[LICE_PIXEL_A] + e;
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) (da > 255 ? 255 : da);
  }
};

struct _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp
{
  static inline int mix(int d, int s, int a) { return s + (d - s) * (255 - a) / 256; }
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int)
  {
    if (!a) return;
    if (a == 255)
    {
      dest[LICE_PIXEL_R] = (LICE_pixel_chan) r;
      dest[LICE_PIXEL_G] = (LICE_pixel_chan) g;
      dest[LICE_PIXEL_B] = (LICE_pixel_chan) b;
      dest[LICE_PIXEL_A] = 255;
      return;
    }
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_R], r, a);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_G], g, a);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) mix(dest[LICE_PIXEL_B], b, a);
    const int da = dest[LICE_PIXEL_A] + a;
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) (da > 255 ? 255 : da);
  }
};

struct _LICE_CombinePixelsAddSourceAlpha
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    if (!a) return;
    const int e = w * (a + 1) / 256;
    dest[LICE_PIXEL_R] = (LICE_pixel_chan) _LICE_CombinePixelsAdd::add(dest[LICE_PIXEL_R], r, e);
    dest[LICE_PIXEL_G] = (LICE_pixel_chan) _LICE_CombinePixelsAdd::add(dest[LICE_PIXEL_G], g, e);
    dest[LICE_PIXEL_B] = (LICE_pixel_chan) _LICE_CombinePixelsAdd::add(dest[LICE_PIXEL_B], b, e);
    dest[LICE_PIXEL_A] = (LICE_pixel_chan) _LICE_CombinePixelsAdd::add(dest[LICE_PIXEL_A], a, e);
  }
};

struct _LICE_CombinePixelsColorDodgeSourceAlpha
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    _LICE_CombinePixelsColorDodge::doPix(dest, r, g, b, a, w * (a + 1) / 256);
  }
};

struct _LICE_CombinePixelsMulSourceAlphaNoClamp
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    if (!a) return;
    _LICE_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, w * (a + 1) / 256);
  }
};

struct _LICE_CombinePixelsOverlaySourceAlpha
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    _LICE_CombinePixelsOverlay::doPix(dest, r, g, b, a, w * (a + 1) / 256);
  }
};

struct _LICE_CombinePixelsHSVAdjustSourceAlpha
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int w)
  {
    _LICE_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, w * (a + 1) / 256);
  }
};

// ---- Word-wide fast mixes of the special weights ---------------------------------

static inline LICE_pixel _LICE_HalfMix(LICE_pixel d, LICE_pixel s)
{
  return ((d >> 1) & 0x7F7F7F7Fu) + ((s >> 1) & 0x7F7F7F7Fu);
}
// s/4 + d/2 + d/4
static inline LICE_pixel _LICE_QuarterMix(LICE_pixel d, LICE_pixel s)
{
  return ((s >> 2) & 0x3F3F3F3Fu) + ((d >> 1) & 0x7F7F7F7Fu) + ((d >> 2) & 0x3F3F3F3Fu);
}
// s/2 + s/4 + d/4
static inline LICE_pixel _LICE_ThreeQuarterMix(LICE_pixel d, LICE_pixel s)
{
  return ((s >> 1) & 0x7F7F7F7Fu) + ((s >> 2) & 0x3F3F3F3Fu) + ((d >> 2) & 0x3F3F3F3Fu);
}

struct _LICE_CombinePixelsHalfMixFAST
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int)
  {
    LICE_pixel* p = reinterpret_cast<LICE_pixel*>(dest);
    *p = _LICE_HalfMix(*p, LICE_RGBA((unsigned) r, (unsigned) g, (unsigned) b, (unsigned) a));
  }
};

struct _LICE_CombinePixelsClobberFAST
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int)
  {
    *reinterpret_cast<LICE_pixel*>(dest) = LICE_RGBA((unsigned) r, (unsigned) g, (unsigned) b, (unsigned) a);
  }
};

struct _LICE_CombinePixelsQuarterMix2FAST
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int)
  {
    LICE_pixel* p = reinterpret_cast<LICE_pixel*>(dest);
    *p = _LICE_QuarterMix(*p, LICE_RGBA((unsigned) r, (unsigned) g, (unsigned) b, (unsigned) a));
  }
};

struct _LICE_CombinePixelsThreeQuarterMix2FAST
{
  static inline void doPix(LICE_DEST_CHANNELS, int r, int g, int b, int a, int)
  {
    LICE_pixel* p = reinterpret_cast<LICE_pixel*>(dest);
    *p = _LICE_ThreeQuarterMix(*p, LICE_RGBA((unsigned) r, (unsigned) g, (unsigned) b, (unsigned) a));
  }
};

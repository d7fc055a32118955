// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Picks the combiner class for a mode word and weight and hands its type to
// a generic callable, so that each driver is instantiated once per combiner
// and chosen once per call, never per pixel.
#pragma once

#include "lice_clip.h"
#include "lice_combine.h"

template <class T>
struct LICE_CombinerTag
{
  typedef T type;
};

// The combiner of a blit with mode word mode and weight w. Returns false
// (and calls nothing) when the mode draws nothing.
template <class F>
bool LICE_WithBlitCombiner(int mode, int w, F&& f)
{
  if (w == 0) return false;
  const bool srcAlpha = (mode & LICE_BLIT_USE_ALPHA) != 0;
  switch (mode & LICE_BLIT_MODE_MASK)
  {
    case LICE_BLIT_MODE_COPY:
      if (srcAlpha)
      {
        if (w == 256)
          f(LICE_CombinerTag<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>());
        else
          f(LICE_CombinerTag<_LICE_CombinePixelsCopySourceAlphaNoClamp>());
      }
      else
      {
        if (w < 1) return false;
        if (w == 256)
          f(LICE_CombinerTag<_LICE_CombinePixelsClobberNoClamp>());
        else
          f(LICE_CombinerTag<_LICE_CombinePixelsCopyNoClamp>());
      }
      return true;
    case LICE_BLIT_MODE_ADD:
      if (srcAlpha) f(LICE_CombinerTag<_LICE_CombinePixelsAddSourceAlpha>());
      else f(LICE_CombinerTag<_LICE_CombinePixelsAdd>());
      return true;
    case LICE_BLIT_MODE_DODGE:
      if (srcAlpha) f(LICE_CombinerTag<_LICE_CombinePixelsColorDodgeSourceAlpha>());
      else f(LICE_CombinerTag<_LICE_CombinePixelsColorDodge>());
      return true;
    case LICE_BLIT_MODE_MUL:
      if (srcAlpha) f(LICE_CombinerTag<_LICE_CombinePixelsMulSourceAlphaNoClamp>());
      else f(LICE_CombinerTag<_LICE_CombinePixelsMulNoClamp>());
      return true;
    case LICE_BLIT_MODE_OVERLAY:
      if (srcAlpha) f(LICE_CombinerTag<_LICE_CombinePixelsOverlaySourceAlpha>());
      else f(LICE_CombinerTag<_LICE_CombinePixelsOverlay>());
      return true;
    case LICE_BLIT_MODE_HSVADJ:
      if (srcAlpha) f(LICE_CombinerTag<_LICE_CombinePixelsHSVAdjustSourceAlpha>());
      else f(LICE_CombinerTag<_LICE_CombinePixelsHSVAdjust>());
      return true;
    default: return false;
  }
}

// The combiner of a solid fill (no source alpha): copy, add, dodge,
// multiply, overlay, HSV adjust.
template <class F>
bool LICE_WithFillCombiner(int mode, int w, F&& f)
{
  if (w == 0) return false;
  switch (mode & LICE_BLIT_MODE_MASK)
  {
    case LICE_BLIT_MODE_COPY:
      if (w < 1) return false;
      f(LICE_CombinerTag<_LICE_CombinePixelsCopyNoClamp>());
      return true;
    case LICE_BLIT_MODE_ADD: f(LICE_CombinerTag<_LICE_CombinePixelsAdd>()); return true;
    case LICE_BLIT_MODE_DODGE: f(LICE_CombinerTag<_LICE_CombinePixelsColorDodge>()); return true;
    case LICE_BLIT_MODE_MUL: f(LICE_CombinerTag<_LICE_CombinePixelsMulNoClamp>()); return true;
    case LICE_BLIT_MODE_OVERLAY: f(LICE_CombinerTag<_LICE_CombinePixelsOverlay>()); return true;
    case LICE_BLIT_MODE_HSVADJ: f(LICE_CombinerTag<_LICE_CombinePixelsHSVAdjust>()); return true;
    default: return false;
  }
}

// A bitmap's pixels with its row order resolved: row(y) is the storage of
// visible row y, step the distance from one visible row to the next.
struct LICE_View
{
  LICE_pixel* bits = nullptr;
  int w = 0, h = 0;
  long span = 0;
  bool flipped = false;

  explicit LICE_View(LICE_IBitmap* bm)
  {
    if (!bm) return;
    bits = bm->getBits();
    w = bm->getWidth();
    h = bm->getHeight();
    span = bm->getRowSpan();
    flipped = bm->isFlipped();
    if (!bits) w = h = 0;
  }
  bool valid() const { return bits && w > 0 && h > 0; }
  LICE_pixel* row(int y) const { return bits + (flipped ? (long) (h - 1 - y) : (long) y) * span; }
  long step() const { return flipped ? -span : span; }
};

// Clips the rectangle (x, y, w, h) to the view by the one clipping rule;
// false when nothing is left.
inline bool LICE_ClipToView(const LICE_View& v, int& x, int& y, int& w, int& h)
{
  LICE_Rect64 r = LICE_Rect64FromXYWH(x, y, w, h);
  if (!LICE_ClipRect(r, v.w, v.h)) return false;
  x = (int) r.l;
  y = (int) r.t;
  w = (int) r.width();
  h = (int) r.height();
  return true;
}

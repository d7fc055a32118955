// What the shape rasterisers share: a pixel writer for a colour, weight
// and mode word, with the word-arithmetic paths of the copy mode.
#pragma once

#include "lice.h"
#include "lice_dispatch.h"

// Shapes honour only the low byte of the mode word and draw nothing for
// modes 6 and up. The offered alpha channel is the colour's own.
struct LICE_ShapePen
{
  LICE_View v;
  LICE_pixel color;
  int mode;  // low byte
  int r, g, b, a;

  LICE_ShapePen(LICE_IBitmap* bm, LICE_pixel c, int modeWord)
      : v(bm),
        color(c),
        mode(modeWord & LICE_BLIT_MODE_MASK),
        r((int) LICE_GETR(c)),
        g((int) LICE_GETG(c)),
        b((int) LICE_GETB(c)),
        a((int) LICE_GETA(c))
  {
    // Shapes mirror y on flipped bitmaps, which undoes the row order: they
    // address storage rows directly.
    v.flipped = false;
  }

  bool usable() const { return v.valid() && mode < 6; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < v.w && y < v.h; }
  LICE_pixel* at(int x, int y) const { return v.row(y) + x; }

  // Blends at weight w (0 draws nothing). In copy mode weight 256 stores the
  // colour and 128 is the half mix; everything else goes through the
  // mode's combiner.
  void blend(LICE_pixel* p, int w) const
  {
    if (w <= 0) return;
    if (mode == LICE_BLIT_MODE_COPY)
    {
      if (w == 256)
      {
        *p = color;
        return;
      }
      if (w == 128)
      {
        *p = _LICE_HalfMix(*p, color);
        return;
      }
    }
    combine(p, w);
  }

  void combine(LICE_pixel* p, int w) const
  {
    LICE_pixel_chan* d = (LICE_pixel_chan*) p;
    switch (mode)
    {
      case LICE_BLIT_MODE_COPY: _LICE_CombinePixelsCopyNoClamp::doPix(d, r, g, b, a, w); break;
      case LICE_BLIT_MODE_ADD: _LICE_CombinePixelsAdd::doPix(d, r, g, b, a, w); break;
      case LICE_BLIT_MODE_DODGE: _LICE_CombinePixelsColorDodge::doPix(d, r, g, b, a, w); break;
      case LICE_BLIT_MODE_MUL: _LICE_CombinePixelsMulNoClamp::doPix(d, r, g, b, a, w); break;
      case LICE_BLIT_MODE_OVERLAY: _LICE_CombinePixelsOverlay::doPix(d, r, g, b, a, w); break;
      case LICE_BLIT_MODE_HSVADJ: _LICE_CombinePixelsHSVAdjust::doPix(d, r, g, b, a, w); break;
      default: break;
    }
  }

  // Blends when (x, y) lies inside the bitmap.
  void put(int x, int y, int w) const
  {
    if (inside(x, y)) blend(at(x, y), w);
  }

  // A horizontal run of pixels, already clipped, at weight w.
  void span(int x0, int x1, int y, int w) const
  {
    if (y < 0 || y >= v.h) return;
    if (x0 < 0) x0 = 0;
    if (x1 >= v.w) x1 = v.w - 1;
    LICE_pixel* p = v.row(y);
    for (int x = x0; x <= x1; ++x) blend(p + x, w);
  }
};

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What the shape rasterisers share: a pixel writer for a colour, weight
// and mode word, with the word-arithmetic paths of the copy mode.
#pragma once

#include "lice.h"
#include "lice_clip.h"
#include "lice_dispatch.h"

// Shapes honour only the low byte of the mode word and draw nothing for
// modes 6 and up. The offered alpha channel is the colour's own. Rows are
// visible rows: a flipped bitmap is drawn the right way up, as blits and
// fills draw it.
struct LICE_ShapePen
{
  typedef void (*CombineFn)(LICE_pixel_chan* dest, int r, int g, int b, int a, int w);

  LICE_View v;
  LICE_pixel color;
  int mode;  // low byte
  int r, g, b, a;
  CombineFn combineFn = nullptr;  // chosen once per shape, never per pixel

  LICE_ShapePen(LICE_IBitmap* bm, LICE_pixel c, int modeWord)
      : v(bm),
        color(c),
        mode(modeWord & LICE_BLIT_MODE_MASK),
        r((int) LICE_GETR(c)),
        g((int) LICE_GETG(c)),
        b((int) LICE_GETB(c)),
        a((int) LICE_GETA(c))
  {
    LICE_WithFillCombiner(mode, 1, [this](auto tag) { combineFn = &decltype(tag)::type::doPix; });
  }

  bool usable() const { return v.valid() && combineFn; }
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

  void combine(LICE_pixel* p, int w) const { combineFn((LICE_pixel_chan*) p, r, g, b, a, w); }

  // Blends when (x, y) lies inside the bitmap.
  void put(int x, int y, int w) const
  {
    if (inside(x, y)) blend(at(x, y), w);
  }
};

// The template drivers: one instantiation per combiner, each a tight loop
// with the combiner inlined. Rows are addressed with signed spans so that
// flipped bitmaps (rows stored bottom-up) go through the same loops.
#pragma once

#include "lice_combine.h"

#define LICE_CH(p) (LICE_pixel_chan*) (p)

template <class COMB>
struct _LICE_Template_Blit2
{
  // Same-size rectangle merge.
  static void blit(LICE_pixel* dest, const LICE_pixel* src, int w, int h, long dest_span, long src_span, int alpha)
  {
    while (h-- > 0)
    {
      for (int x = 0; x < w; ++x)
      {
        const LICE_pixel p = src[x];
        COMB::doPix(LICE_CH(dest + x), (int) LICE_GETR(p), (int) LICE_GETG(p), (int) LICE_GETB(p), (int) LICE_GETA(p),
                    alpha);
      }
      dest += dest_span;
      src += src_span;
    }
  }
};

template <class COMB>
struct _LICE_Template_Blit1
{
  // Solid fill through a combiner.
  static void solidBlit(LICE_pixel* dest, int w, int h, int r, int g, int b, int a, long dest_span, int alpha)
  {
    while (h-- > 0)
    {
      for (int x = 0; x < w; ++x) COMB::doPix(LICE_CH(dest + x), r, g, b, a, alpha);
      dest += dest_span;
    }
  }
};

struct _LICE_Template_Blit0
{
  // Quarter-weight fill: a quarter of the colour, three of the pixel.
  static void solidBlitFAST(LICE_pixel* dest, int w, int h, LICE_pixel color, long dest_span)
  {
    while (h-- > 0)
    {
      for (int x = 0; x < w; ++x) dest[x] = _LICE_QuarterMix(dest[x], color);
      dest += dest_span;
    }
  }
};

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

// The combiners with SSE2 rows.
#include "lice_simd.h"

template <>
struct _LICE_Template_Blit2<_LICE_CombinePixelsAdd>
{
  static void blit(LICE_pixel* dest, const LICE_pixel* src, int w, int h, long dest_span, long src_span, int alpha)
  {
    if (alpha < 0 || alpha > 256)
    {
      // Outside 0..256 the products need more than 16 bits: per pixel.
      for (; h-- > 0; dest += dest_span, src += src_span)
        for (int x = 0; x < w; ++x)
          _LICE_CombinePixelsAdd::doPix(LICE_CH(dest + x), (int) LICE_GETR(src[x]), (int) LICE_GETG(src[x]),
                                        (int) LICE_GETB(src[x]), (int) LICE_GETA(src[x]), alpha);
      return;
    }
    for (; h-- > 0; dest += dest_span, src += src_span) LICE_AddRowSSE2(dest, src, w, alpha);
  }
};

template <>
struct _LICE_Template_Blit2<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>
{
  static void blit(LICE_pixel* dest, const LICE_pixel* src, int w, int h, long dest_span, long src_span, int)
  {
    for (; h-- > 0; dest += dest_span, src += src_span) LICE_SourceAlphaRowSSE2(dest, src, w);
  }
};

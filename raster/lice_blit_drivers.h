// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The template drivers: one instantiation per combiner, each a tight loop
// with the combiner inlined. Rows are addressed with signed spans so that
// flipped bitmaps (rows stored bottom-up) go through the same loops.
#pragma once

#include "lice_combine.h"

#define LICE_CH(p) (LICE_pixel_chan*) (p)

// Sampling jobs of the scaled and rotated blits (lice_scale.cpp).
struct LICE_ScaleJob;
struct LICE_RotateJob;

// Rows of a same-size merge; the busiest combiners have SSE2 rows below.
template <class COMB>
struct LICE_RowBlitter
{
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
struct _LICE_Template_Blit2
{
  // Same-size rectangle merge.
  static void blit(LICE_pixel* dest, const LICE_pixel* src, int w, int h, long dest_span, long src_span, int alpha)
  {
    LICE_RowBlitter<COMB>::blit(dest, src, w, h, dest_span, src_span, alpha);
  }
  // Scaled merge, nearest or bilinear.
  template <bool FILTER>
  static void scaleBlit(const LICE_ScaleJob& j, int alpha);
  // Scaled merge through the 3 x 3 or 5 x 5 box filter.
  static void scaleBlitFilterDown(const LICE_ScaleJob& j, int alpha, int half);
};

// Rotated merge with per-pixel and per-row 16.16 deltas.
template <class COMB>
struct _LICE_Template_Blit3
{
  template <bool FILTER>
  static void deltaBlit(const LICE_RotateJob& j, int alpha);
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
  // Nearest-pixel scaling for plain copies: the clobber store or half mix.
  template <class COMB>
  static void scaleBlitFAST(const LICE_ScaleJob& j);

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
struct LICE_RowBlitter<_LICE_CombinePixelsAdd>
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
struct LICE_RowBlitter<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>
{
  static void blit(LICE_pixel* dest, const LICE_pixel* src, int w, int h, long dest_span, long src_span, int)
  {
    for (; h-- > 0; dest += dest_span, src += src_span) LICE_SourceAlphaRowSSE2(dest, src, w);
  }
};

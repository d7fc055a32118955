// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Helpers for the raster tests: seeded random images, and moving pixels
// between production bitmaps and reference images.
#pragma once

#include <random>

#include "RasterReference.h"
#include "lice.h"

inline void RandomFill(LICE_IBitmap* bm, std::mt19937& rng)
{
  std::uniform_int_distribution<uint32_t> any;
  std::uniform_int_distribution<int> kind(0, 9);
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
    {
      uint32_t p = any(rng);
      // Plenty of the alphas with special rules: 0, 255 and in between.
      int k = kind(rng);
      if (k == 0) p &= 0xFFFFFF00u;
      else if (k == 1) p |= 0xFF;
      bm->getBits()[y * bm->getRowSpan() + x] = p;
    }
}

inline ref::Image ToRef(LICE_IBitmap* bm)
{
  ref::Image img(bm->getWidth(), bm->getHeight());
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) img.at(x, y) = bm->getBits()[y * bm->getRowSpan() + x];
  return img;
}

// Index of the first differing pixel, or -1.
inline long FirstDifference(LICE_IBitmap* bm, const ref::Image& img)
{
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x)
      if (bm->getBits()[y * bm->getRowSpan() + x] != img.at(x, y)) return (long) y * img.w + x;
  return -1;
}

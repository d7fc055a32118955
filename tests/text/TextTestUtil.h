// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Helpers for the text tests: the bundled font folder and pixel scans.
#pragma once

#include <gtest/gtest.h>

#include "lice.h"

// Points the device-context layer at the fonts the bundle carries.
inline void UseBundledFonts() { DC_SetFontFolder(PLUSHGRIT_FONT_DIR); }

// The bounding box of every pixel that differs from background; empty
// (left == right) when none does.
inline RECT InkBox(LICE_IBitmap* bm, LICE_pixel background)
{
  RECT r = {bm->getWidth(), bm->getHeight(), 0, 0};
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
      if (bm->getBits()[y * bm->getRowSpan() + x] != background)
      {
        r.left = std::min(r.left, x);
        r.top = std::min(r.top, y);
        r.right = std::max(r.right, x + 1);
        r.bottom = std::max(r.bottom, y + 1);
      }
  if (r.right == 0) r = {0, 0, 0, 0};
  return r;
}

inline bool Inside(const RECT& inner, const RECT& outer)
{
  return inner.left == inner.right ||
         (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom);
}

// Where the draw flags put a measured extent (width w, height h) in box.
inline RECT PlacedExtent(const RECT& box, int w, int h, unsigned flags)
{
  RECT placed = {box.left, box.top, 0, 0};
  if (flags & DT_CENTER) placed.left = box.left + (box.right - box.left - w) / 2;
  if (flags & DT_RIGHT) placed.left = box.right - w;
  if (flags & DT_VCENTER) placed.top = box.top + (box.bottom - box.top - h) / 2;
  if (flags & DT_BOTTOM) placed.top = box.bottom - h;
  placed.right = placed.left + w;
  placed.bottom = placed.top + h;
  return placed;
}

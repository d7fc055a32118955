// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Drawing the editor's read-outs and shapes touches no allocator once the
// glyphs a text needs are cached: each call is run once to warm the caches
// and scratch lists, then again under the allocation counter.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "AllocationCounter.h"
#include "TextTestUtil.h"
#include "lice_text.h"

TEST(DrawAllocations, ReadOutsAndShapesAllocateNothingOnceWarm)
{
  UseBundledFonts();
  LICE_CachedFont cached, native;
  cached.SetFromHFont(DC_CreateFont(13, 0, 0, 0, 700, false, false, false, 4, "Tahoma"), LICE_FONT_FLAG_OWNS_HFONT);
  native.SetFromHFont(DC_CreateFont(13, 0, 0, 0, 700, false, false, false, 4, "Tahoma"),
                      LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
  cached.SetTextColor(LICE_RGBA(230, 230, 230, 255));
  native.SetTextColor(LICE_RGBA(230, 230, 230, 255));
  LICE_SysBitmap screen(383, 300);
  LICE_MemBitmap mem(383, 300), knob(48, 48);
  LICE_Clear(&knob, LICE_RGBA(90, 90, 90, 255));
  const int xs[3] = {10, 60, 30}, ys[3] = {10, 20, 70};

  const std::vector<std::pair<const char*, std::function<void()>>> draws = {
    {"cached read-out", [&] { RECT r = {20, 200, 120, 220}; cached.DrawText(&screen, "-10.00 dB", -1, &r, 0x104); }},
    {"fading read-out",
     [&] { RECT r = {20, 200, 120, 220}; native.DrawText(&screen, "72 | 28", -1, &r, 0x104 | LICE_DT_USEFGALPHA); }},
    {"native read-out", [&] { RECT r = {20, 230, 120, 250}; native.DrawText(&screen, "0.25", -1, &r, 0x120); }},
    {"native without context", [&] { RECT r = {20, 230, 120, 250}; native.DrawText(&mem, "0.25", -1, &r, 0x100); }},
    {"measure", [&] { RECT r = {0, 0, 0, 0}; cached.DrawText(nullptr, "100 | 0", -1, &r, DT_CALCRECT); }},
    {"knob", [&] { LICE_RotatedBlit(&screen, &knob, 100, 100, 48, 48, 0, 0, 48, 48, 0.8f, false, 1.0f, 0x10100); }},
    {"filled circle", [&] { LICE_FillCircle(&screen, 200, 150, 40, LICE_RGBA(1, 2, 3, 255), 0.5f, 0, true); }},
    {"triangle", [&] { LICE_FillTriangle(&screen, 10, 10, 60, 20, 30, 70, LICE_RGBA(1, 2, 3, 255), 0.7f, 1); }},
    {"polygon", [&] { LICE_FillConvexPolygon(&screen, xs, ys, 3, LICE_RGBA(9, 8, 7, 255)); }},
    {"arc and lines", [&] { LICE_RoundRect(&screen, 5, 5, 100, 60, 8, LICE_RGBA(255, 0, 0, 255), 0.6f, 0, true); }},
  };
  for (const auto& d : draws)
  {
    d.second();
    AllocationCounter::Arm();
    d.second();
    EXPECT_EQ(AllocationCounter::Disarm(), 0) << d.first;
  }
}

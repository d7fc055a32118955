// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Two editors may create, use and destroy fonts on two threads at once: the
// device-context layer opens faces on one shared FreeType library and the
// cached fonts share their work bitmaps. Under ThreadSanitizer any
// unguarded access is reported; the drawn texts must also come out whole.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "lice_text.h"

TEST(FontThreads, TwoThreadsCreateDrawAndDestroyFonts)
{
  DC_SetFontFolder(PLUSHGRIT_FONT_DIR);
  std::atomic<int> drawn{0};
  auto editor = [&](int seed) {
    LICE_MemBitmap bm(120, 30);
    for (int i = 0; i < 40; ++i)
    {
      LICE_CachedFont f;
      f.SetFromHFont(DC_CreateFont(11 + (seed + i) % 6, 0, 0, 0, i % 2 ? 700 : 400, false, false, false, 4, "Tahoma"),
                     LICE_FONT_FLAG_OWNS_HFONT | (i % 3 ? LICE_FONT_FLAG_FORCE_NATIVE : 0));
      f.SetTextColor(LICE_RGBA(255, 255, 255, 255));
      LICE_Clear(&bm, 0);
      RECT r = {0, 0, 120, 30};
      // Characters new to this font make it render glyphs on the shared
      // work bitmap; the native path on a bitmap without a context uses the
      // other shared bitmap.
      const char text[] = {'A', (char) ('a' + (seed + i) % 26), ' ', '5', '0', '%', 0};
      f.DrawText(&bm, text, -1, &r, i % 2 ? LICE_DT_NEEDALPHA : 0);
      bool inked = false;
      for (int k = 0; k < 120 * 30 && !inked; ++k) inked = LICE_GetPixel(&bm, k % 120, k / 120) != 0;
      if (inked) ++drawn;
    }
  };
  std::thread a(editor, 1), b(editor, 7);
  a.join();
  b.join();
  EXPECT_EQ(drawn.load(), 80);
}

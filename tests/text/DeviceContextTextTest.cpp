// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The device-context layer's fonts and text: face resolution, metrics,
// measuring against drawing, alignment, prefixes, background and rotation.
#include <algorithm>
#include <string>

#include "TextTestUtil.h"

namespace
{
struct Canvas
{
  LICE_SysBitmap bm;
  explicit Canvas(int w = 200, int h = 80) : bm(w, h) { LICE_Clear(&bm, 0); }
  DeviceContext* dc() { return bm.getDC(); }
};

DCFont* tahoma(int height, bool bold = false, int quality = 4, int escapement = 0)
{
  return DC_CreateFont(height, 0, escapement, escapement, bold ? 700 : 400, false, false, false, quality, "Tahoma");
}

std::string fileName(const DCFont* f)
{
  std::string p = DC_GetFontFile(f);
  return p.substr(p.find_last_of('/') + 1);
}
}  // namespace

TEST(DCFonts, BundledTahomaIsFoundByFamilyAndWeight)
{
  UseBundledFonts();
  DCFont* regular = tahoma(13);
  DCFont* bold = DC_CreateFont(13, 0, 0, 0, 700, false, false, false, 0, "Tahoma");
  DCFont* named = DC_CreateFont(13, 0, 0, 0, 400, false, false, false, 0, "Tahoma Bold");
  ASSERT_TRUE(regular && bold && named);
  EXPECT_EQ(fileName(regular), "tahoma.ttf");
  EXPECT_EQ(fileName(bold), "tahomabd.ttf");
  EXPECT_EQ(fileName(named), "tahomabd.ttf");
  DC_DeleteFont(regular);
  DC_DeleteFont(bold);
  DC_DeleteFont(named);
}

TEST(DCFonts, UnknownFacesFallBackAndStillDraw)
{
  UseBundledFonts();
  DCFont* f = DC_CreateFont(14, 0, 0, 0, 400, false, false, false, 0, "No Such Face Anywhere");
  ASSERT_NE(f, nullptr);
  EXPECT_STRNE(DC_GetFontFile(f), "");
  Canvas c;
  DC_SelectFont(c.dc(), f);
  DC_SetTextColor(c.dc(), 0xFFFFFF);
  DC_SetBkMode(c.dc(), 0);
  RECT r = {0, 0, 200, 80};
  EXPECT_GT(DC_DrawText(c.dc(), "Hello", -1, &r, DT_SINGLELINE), 0);
  EXPECT_GT(InkBox(&c.bm, 0).right, 0);
  DC_SelectFont(c.dc(), nullptr);
  DC_DeleteFont(f);
}

TEST(DCFonts, CellHeightFollowsTheRequest)
{
  UseBundledFonts();
  for (int h : {9, 13, 20, 33})
  {
    DCFont* f = tahoma(h);
    Canvas c;
    EXPECT_EQ(DC_SelectFont(c.dc(), f), nullptr);
    EXPECT_NEAR(DC_GetTextCellHeight(c.dc()), h, 1) << h;
    EXPECT_EQ(DC_SelectFont(c.dc(), nullptr), f);
    EXPECT_EQ(DC_GetTextCellHeight(c.dc()), 0);
    DC_DeleteFont(f);
  }
}

TEST(DCText, DrawnPixelsStayInsideTheMeasuredPlacedExtent)
{
  UseBundledFonts();
  const char* texts[] = {"-10.00 dB", "50 | 50", "Wj,gq()[]", "two\nlines here", "a\r\nb\nccc", "&&amp & x&", "fff"};
  const int flagSets[] = {0, DT_CENTER, DT_RIGHT, DT_VCENTER | DT_SINGLELINE, DT_BOTTOM, DT_CENTER | DT_VCENTER,
                          DT_SINGLELINE, DT_NOPREFIX, DT_NOCLIP | DT_CENTER};
  for (bool bold : {false, true})
    for (int quality : {0, 3})
    {
      DCFont* f = tahoma(13, bold, quality);
      for (const char* text : texts)
        for (int flags : flagSets)
        {
          Canvas c;
          DC_SelectFont(c.dc(), f);
          DC_SetTextColor(c.dc(), 0xFFFFFF);
          DC_SetBkMode(c.dc(), 0);
          const RECT box = {20, 10, 180, 70};
          RECT m = {0, 0, 0, 0};
          const int h = DC_DrawText(c.dc(), text, -1, &m, flags | DT_CALCRECT);
          EXPECT_EQ(h, m.bottom);
          RECT r = box;
          EXPECT_EQ(DC_DrawText(c.dc(), text, -1, &r, flags), h);
          const RECT placed = PlacedExtent(box, m.right, m.bottom, flags);
          const RECT ink = InkBox(&c.bm, 0);
          EXPECT_TRUE(Inside(ink, placed)) << text << " flags " << flags << " ink " << ink.left << "," << ink.top
                                           << "-" << ink.right << "," << ink.bottom;
          EXPECT_GT(ink.right, ink.left) << text;
          DC_SelectFont(c.dc(), nullptr);
        }
      DC_DeleteFont(f);
    }
}

TEST(DCText, LinesPrefixesAndMonoCoverage)
{
  UseBundledFonts();
  DCFont* f = tahoma(13, false, DC_QUALITY_NONANTIALIASED);
  Canvas c;
  DC_SelectFont(c.dc(), f);
  const int cell = DC_GetTextCellHeight(c.dc());
  RECT m = {0, 0, 0, 0};
  DC_DrawText(c.dc(), "a\nb", -1, &m, DT_CALCRECT);
  EXPECT_GE(m.bottom, 2 * cell);
  RECT one = {0, 0, 0, 0};
  DC_DrawText(c.dc(), "a\nb", -1, &one, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_LT(one.bottom, 2 * cell);

  RECT amp = {0, 0, 0, 0}, plain = {0, 0, 0, 0}, literal = {0, 0, 0, 0};
  DC_DrawText(c.dc(), "&File", -1, &amp, DT_CALCRECT);
  DC_DrawText(c.dc(), "File", -1, &plain, DT_CALCRECT);
  DC_DrawText(c.dc(), "&File", -1, &literal, DT_CALCRECT | DT_NOPREFIX);
  EXPECT_EQ(amp.right, plain.right);
  EXPECT_GT(literal.right, plain.right);

  DC_SetTextColor(c.dc(), 0xFFFFFF);
  DC_SetBkMode(c.dc(), 0);
  RECT r = {0, 0, 200, 80};
  DC_DrawText(c.dc(), "Mono Wq", -1, &r, 0);
  for (int i = 0; i < 200 * 80; ++i)
  {
    const unsigned red = LICE_GETR(c.bm.getBits()[i]);
    ASSERT_TRUE(red == 0 || red == 255) << red;
  }
  DC_SelectFont(c.dc(), nullptr);
  DC_DeleteFont(f);
}

TEST(DCText, OpaqueBackgroundFillsTheExtentOnly)
{
  UseBundledFonts();
  DCFont* f = tahoma(13);
  Canvas c;
  DC_SelectFont(c.dc(), f);
  DC_SetBkMode(c.dc(), 1);
  DC_SetBkColor(c.dc(), 0x102030);
  DC_SetTextColor(c.dc(), 0xFFFFFF);
  RECT m = {0, 0, 0, 0};
  DC_DrawText(c.dc(), "abc", -1, &m, DT_CALCRECT);
  RECT r = {10, 10, 200, 80};
  DC_DrawText(c.dc(), "abc", -1, &r, 0);
  const RECT ink = InkBox(&c.bm, 0);
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.top, 10);
  EXPECT_EQ(ink.right, 10 + m.right);
  EXPECT_EQ(ink.bottom, 10 + m.bottom);
  EXPECT_EQ(LICE_GETB(c.bm.getBits()[10 * c.bm.getRowSpan() + 10]), 0x30u);
  DC_SelectFont(c.dc(), nullptr);
  DC_DeleteFont(f);
}

TEST(DCText, TurnedTextStaysInsideItsExtent)
{
  UseBundledFonts();
  for (int escapement : {900, 450, -300, 1800})
  {
    DCFont* f = tahoma(16, false, 4, escapement);
    Canvas c(200, 200);
    DC_SelectFont(c.dc(), f);
    DC_SetTextColor(c.dc(), 0xFFFFFF);
    DC_SetBkMode(c.dc(), 0);
    RECT m = {0, 0, 0, 0};
    DC_DrawText(c.dc(), "Turned text", -1, &m, DT_CALCRECT);
    if (escapement == 900)
    {
      EXPECT_GT(m.bottom, m.right);  // a line turned upright
    }
    RECT r = {30, 30, 200, 200};
    DC_DrawText(c.dc(), "Turned text", -1, &r, 0);
    const RECT placed = {30, 30, 30 + m.right, 30 + m.bottom};
    const RECT ink = InkBox(&c.bm, 0);
    EXPECT_TRUE(Inside(ink, placed)) << escapement;
    EXPECT_GT(ink.right, ink.left);
    DC_SelectFont(c.dc(), nullptr);
    DC_DeleteFont(f);
  }
}

TEST(DCText, ClippedToTheRectUnlessAskedNotTo)
{
  UseBundledFonts();
  DCFont* f = tahoma(20);
  for (bool noclip : {false, true})
  {
    Canvas c;
    DC_SelectFont(c.dc(), f);
    DC_SetTextColor(c.dc(), 0xFFFFFF);
    DC_SetBkMode(c.dc(), 0);
    RECT r = {10, 10, 30, 20};
    DC_DrawText(c.dc(), "Wide text", -1, &r, noclip ? DT_NOCLIP : 0);
    const RECT ink = InkBox(&c.bm, 0);
    if (noclip)
    {
      EXPECT_GT(ink.right, 30);
    }
    else
    {
      EXPECT_TRUE(Inside(ink, RECT{10, 10, 30, 20}));
    }
    DC_SelectFont(c.dc(), nullptr);
  }
  DC_DeleteFont(f);
}

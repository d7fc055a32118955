// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// LICE_CachedFont: the glyph cache, measuring against drawing on both the
// cached and the native path, line handling, UTF-8, alpha, effects and the
// ownership of the font handle.
#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TextTestUtil.h"
#include "lice_text.h"

namespace
{
DCFont* makeFont(int height, bool italic = false, int quality = 4)
{
  return DC_CreateFont(height, 0, 0, 0, 400, italic, false, false, quality, "Tahoma");
}

struct Fixture : ::testing::Test
{
  void SetUp() override { UseBundledFonts(); }
};
using CachedFont = Fixture;

RECT measure(LICE_CachedFont& f, const char* text, unsigned flags = 0)
{
  RECT r = {0, 0, 0, 0};
  f.DrawText(nullptr, text, -1, &r, flags | DT_CALCRECT);
  return r;
}
}  // namespace

TEST_F(CachedFont, EachCharacterIsRasterisedOncePerFont)
{
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT);
  LICE_MemBitmap bm(200, 40);
  RECT r = {0, 0, 200, 40};
  const long before = DC_DrawTextCount();
  f.DrawText(&bm, "hello", -1, &r, 0);
  const long firstPass = DC_DrawTextCount() - before;
  EXPECT_EQ(firstPass, 2 * 4);  // h, e, l, o: one measure and one draw each
  f.DrawText(&bm, "hello hello", -1, &r, 0);
  EXPECT_EQ(DC_DrawTextCount() - before, firstPass + 2);  // only the space is new

  LICE_CachedFont other;
  other.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_PRECALCALL);
  const long afterPrecalc = DC_DrawTextCount();
  other.DrawText(&bm, "Anything ASCII ~", -1, &r, 0);
  EXPECT_EQ(DC_DrawTextCount(), afterPrecalc);
}

TEST_F(CachedFont, MeasuredExtentHoldsEveryDrawnPixelBothPaths)
{
  const char* texts[] = {"-10.00 dB", "50 | 50", "Wj,gq()", "two\nlines", "x\ry"};
  const unsigned flagSets[] = {0, DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_CENTER | DT_VCENTER, DT_SINGLELINE};
  for (int native = 0; native < 2; ++native)
    for (const char* text : texts)
      for (unsigned flags : flagSets)
      {
        LICE_CachedFont f;
        f.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT | (native ? LICE_FONT_FLAG_FORCE_NATIVE : 0));
        f.SetTextColor(LICE_RGBA(255, 255, 255, 255));
        for (int sys = 0; sys < 2; ++sys)
        {
          std::unique_ptr<LICE_IBitmap> bm(sys ? (LICE_IBitmap*) new LICE_SysBitmap(200, 60)
                                               : (LICE_IBitmap*) new LICE_MemBitmap(200, 60));
          LICE_Clear(bm.get(), 0);
          const RECT box = {10, 5, 190, 55};
          const RECT m = measure(f, text, flags);
          RECT r = box;
          f.DrawText(bm.get(), text, -1, &r, flags);
          const RECT placed = PlacedExtent(box, m.right, m.bottom, flags);
          const RECT ink = InkBox(bm.get(), 0);
          EXPECT_GT(ink.right, ink.left) << text;
          EXPECT_TRUE(Inside(ink, placed)) << text << " flags " << flags << " native " << native << " sys " << sys;
        }
      }
}

// Both ways of drawing lay glyphs out by the face's own advances, so a text
// keeps its width when a fading colour switches it to the cached path.
TEST_F(CachedFont, CachedAndNativeTextsHaveTheSameWidth)
{
  struct Face
  {
    int height;
    bool italic;
  } faces[] = {{13, false}, {12, false}, {20, true}, {16, true}};
  for (const Face& face : faces)
    for (const char* text : {"50 | 50", "Drive 100%", "-10.00 dB", "fifty fifty"})
    {
      LICE_CachedFont f;
      f.SetFromHFont(makeFont(face.height, face.italic), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
      const RECT native = measure(f, text), cached = measure(f, text, LICE_DT_NEEDALPHA);
      EXPECT_EQ(cached.right, native.right) << text << " at " << face.height << (face.italic ? " italic" : "");
    }
  // The extent is the larger of the pen and the ink: an italic f reaches
  // past its advance, and the measure says so exactly.
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(20, true), LICE_FONT_FLAG_OWNS_HFONT);
  const RECT m = measure(f, "f");
  const LICE_CachedFont::charEnt* e = f.findChar('f');
  ASSERT_NE(e, nullptr);
  EXPECT_GT(e->width, e->advance);
  EXPECT_EQ(m.right, e->width);
}

TEST_F(CachedFont, LineFeedsCarriageReturnsAndUtf8)
{
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT);
  const int lh = f.GetLineHeight();
  EXPECT_GE(measure(f, "a\nb").bottom, lh + 1);
  EXPECT_EQ(measure(f, "a\nb", DT_SINGLELINE).right, measure(f, "a b").right);
  EXPECT_EQ(measure(f, "a\rb").right, measure(f, "ab").right);
  // A four-byte character is a space; the byte 0xFF is character 255.
  EXPECT_EQ(measure(f, "a\xF0\x9F\x98\x80" "b").right, measure(f, "a b").right);
  unsigned short c = 0;
  EXPECT_EQ(utf8char("\xFF", &c), 1);
  EXPECT_EQ(c, 255);
  EXPECT_EQ(utf8char("\xC3\xA9", &c), 2);
  EXPECT_EQ(c, 0xE9);
  EXPECT_EQ(utf8char("\xE2\x82\xAC", &c), 3);
  EXPECT_EQ(c, 0x20AC);
  EXPECT_EQ(utf8char("\xF0\x9F\x98\x80", &c), 4);
  EXPECT_EQ(c, ' ');
  EXPECT_EQ(utf8char("\xC3", &c), 1);  // no continuation byte
  EXPECT_EQ(c, 0xC3);
  measure(f, "\xFF");
  EXPECT_NE(f.findChar(255), nullptr);
}

TEST_F(CachedFont, AlphaZeroFromTheColourDrawsNothing)
{
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT);
  f.SetTextColor(LICE_RGBA(255, 255, 255, 0));
  LICE_MemBitmap bm(100, 30);
  LICE_Clear(&bm, 0);
  RECT r = {0, 0, 100, 30};
  EXPECT_EQ(f.DrawText(&bm, "visible?", -1, &r, LICE_DT_USEFGALPHA), 0);
  EXPECT_EQ(InkBox(&bm, 0).right, 0);
  f.DrawText(&bm, "visible", -1, &r, 0);
  EXPECT_GT(InkBox(&bm, 0).right, 0);
}

TEST_F(CachedFont, PrecalcFontsSkipOtherCharacters)
{
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_PRECALCALL);
  EXPECT_EQ(measure(f, "a\xC3\xA9").right, measure(f, "a").right);
  EXPECT_EQ(f.findChar(0xE9), nullptr);
  EXPECT_GT(f.findChar('a')->base_offset, 0);
}

TEST_F(CachedFont, OwnedHandlesAreDeletedExactlyOnce)
{
  const long live = DC_LiveFontCount();
  {
    LICE_CachedFont f;
    DCFont* a = makeFont(13);
    DCFont* b = makeFont(14);
    EXPECT_EQ(DC_LiveFontCount(), live + 2);
    f.SetFromHFont(a, LICE_FONT_FLAG_OWNS_HFONT);
    f.SetFromHFont(a, LICE_FONT_FLAG_OWNS_HFONT);  // the same handle: nothing deleted
    EXPECT_EQ(DC_LiveFontCount(), live + 2);
    f.SetFromHFont(b, LICE_FONT_FLAG_OWNS_HFONT);  // replaced: a deleted
    EXPECT_EQ(DC_LiveFontCount(), live + 1);
  }
  EXPECT_EQ(DC_LiveFontCount(), live);  // b went with the font

  DCFont* kept = makeFont(13);
  {
    LICE_CachedFont f;
    f.SetFromHFont(kept, 0);  // not owned
  }
  EXPECT_EQ(DC_LiveFontCount(), live + 1);
  DC_DeleteFont(kept);
}

TEST_F(CachedFont, OpaqueBackgroundFillsEachGlyphRectFirst)
{
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT);
  f.SetBkMode(1);
  f.SetBkColor(LICE_RGBA(0, 0, 200, 255));
  f.SetTextColor(LICE_RGBA(255, 255, 255, 255));
  LICE_MemBitmap bm(100, 30);
  LICE_Clear(&bm, 0);
  RECT r = {5, 5, 100, 30};
  f.DrawText(&bm, "i", -1, &r, 0);
  LICE_CachedFont::charEnt* e = f.findChar('i');
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(InkBox(&bm, 0).right, 5 + e->width);
  EXPECT_EQ(LICE_GetPixel(&bm, 5, 5), LICE_RGBA(0, 0, 200, 255));
}

TEST_F(CachedFont, MonoAndEffectFontsUseTheirColours)
{
  for (int flags : {LICE_FONT_FLAG_FX_MONO, LICE_FONT_FLAG_FX_SHADOW, LICE_FONT_FLAG_FX_OUTLINE})
  {
    LICE_CachedFont f;
    f.SetFromHFont(makeFont(16), LICE_FONT_FLAG_OWNS_HFONT | flags);
    f.SetTextColor(LICE_RGBA(255, 0, 0, 255));
    f.SetEffectColor(LICE_RGBA(0, 255, 0, 255));
    LICE_MemBitmap bm(80, 30);
    LICE_Clear(&bm, 0);
    RECT r = {0, 0, 80, 30};
    f.DrawText(&bm, "Ho", -1, &r, 0);
    bool sawText = false, sawEffect = false;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 80; ++x)
      {
        const LICE_pixel p = LICE_GetPixel(&bm, x, y);
        ASSERT_TRUE(p == 0 || p == LICE_RGBA(255, 0, 0, 255) || p == LICE_RGBA(0, 255, 0, 255)) << std::hex << p;
        sawText |= p == LICE_RGBA(255, 0, 0, 255);
        sawEffect |= p == LICE_RGBA(0, 255, 0, 255);
      }
    EXPECT_TRUE(sawText);
    EXPECT_EQ(sawEffect, flags != LICE_FONT_FLAG_FX_MONO);
  }
}

TEST_F(CachedFont, VerticalFontsExchangeWidthAndHeight)
{
  LICE_CachedFont h, v;
  h.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT);
  v.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_VERTICAL);
  const RECT mh = measure(h, "Vertical"), mv = measure(v, "Vertical");
  EXPECT_EQ(mv.right, mh.bottom);
  EXPECT_EQ(mv.bottom, mh.right);
  LICE_MemBitmap bm(40, 120);
  LICE_Clear(&bm, 0);
  v.SetTextColor(LICE_RGBA(255, 255, 255, 255));
  RECT r = {5, 5, 40, 120};
  v.DrawText(&bm, "Vertical", -1, &r, 0);
  EXPECT_TRUE(Inside(InkBox(&bm, 0), RECT{5, 5, 5 + mv.right, 5 + mv.bottom}));
}

TEST_F(CachedFont, GlyphBlendMatchesTheCopyRuleOnEveryPixel)
{
  // At full alpha weight v + 1 for coverage v, at alpha a weight
  // a * 256 * v / 256: each channel s + (d - s) * (256 - weight) / 256, over a
  // random background, against the formula written out here.
  for (float alpha : {1.0f, 0.5f, 0.3f})
  {
    LICE_CachedFont f;
    f.SetFromHFont(makeFont(18), LICE_FONT_FLAG_OWNS_HFONT);
    f.SetTextColor(LICE_RGBA(200, 30, 90, 17));
    f.SetCombineMode(kBlitCopy, alpha);
    LICE_MemBitmap bm(40, 30);
    std::mt19937 rng(5);
    for (int i = 0; i < 40 * 30; ++i) bm.getBits()[i / 40 * bm.getRowSpan() + i % 40] = rng();
    LICE_MemBitmap before(40, 30);
    LICE_Copy(&before, &bm);
    ASSERT_TRUE(f.RenderGlyph('W'));
    const LICE_CachedFont::charEnt* e = f.findChar('W');
    const RECT clip = {0, 0, 40, 30};
    ASSERT_TRUE(f.DrawGlyph(&bm, 'W', 3, 2, &clip));
    const unsigned char* cov = f.GlyphPixels(e);
    const int s[4] = {255, 200, 30, 90};  // A, R, G, B offered: alpha 255
    const int W = (int) (alpha * 256.0f);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
      {
        const LICE_pixel d = LICE_GetPixel(&before, x, y);
        const int gx = x - 3, gy = y - 2;
        const int v = gx >= 0 && gy >= 0 && gx < e->width && gy < e->height ? cov[gy * e->width + gx] : 0;
        LICE_pixel want = d;
        if (v)
        {
          const int weight = W == 256 ? v + 1 : std::min(256, W * v / 256);
          int c[4];
          for (int k = 0; k < 4; ++k)
          {
            const int dc = (int) ((d >> (8 * k)) & 0xFF);
            c[k] = (s[k] + (dc - s[k]) * (256 - weight) / 256) & 0xFF;
          }
          want = (LICE_pixel) c[0] | (LICE_pixel) c[1] << 8 | (LICE_pixel) c[2] << 16 | (LICE_pixel) c[3] << 24;
        }
        ASSERT_EQ(LICE_GetPixel(&bm, x, y), want) << x << "," << y << " v " << v << " alpha " << alpha;
      }
  }
}

// A text that ends inside a UTF-8 sequence is read only up to its count: the
// buffer here holds exactly the counted bytes, so a read past it is caught.
TEST_F(CachedFont, CountedTextsAreReadOnlyUpToTheirCount)
{
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT);
  LICE_MemBitmap bm(100, 30);
  for (const char* text : {"ab\xE2", "ab\xE2\x82", "a\xF0\x9F\x98", "\xC3"})
  {
    const size_t n = strlen(text);
    std::unique_ptr<char[]> exact(new char[n]);
    memcpy(exact.get(), text, n);
    RECT r = {0, 0, 100, 30};
    f.DrawText(&bm, exact.get(), (int) n, &r, 0);
    RECT m = {0, 0, 0, 0};
    f.DrawText(nullptr, exact.get(), (int) n, &m, DT_CALCRECT);
    EXPECT_GT(m.right, 0) << text;
  }
  unsigned short c = 0;
  EXPECT_EQ(utf8char("\xE2\x82\xAC", &c, 2), 1);  // cut by the count: the lead byte alone
  EXPECT_EQ(c, 0xE2);
}

TEST_F(CachedFont, InvertedBlurredAndTurnedGlyphs)
{
  auto glyph = [](int flags, unsigned short ch, std::vector<int>& cov, int& w, int& h) {
    LICE_CachedFont f;
    f.SetFromHFont(makeFont(18), LICE_FONT_FLAG_OWNS_HFONT | flags);
    ASSERT_TRUE(f.RenderGlyph(ch));
    const LICE_CachedFont::charEnt* e = f.findChar(ch);
    ASSERT_NE(e, nullptr);
    w = e->width;
    h = e->height;
    const unsigned char* p = f.GlyphPixels(e);
    cov.assign(p, p + w * h);
  };
  std::vector<int> plain, inverted, blurred, up, down;
  int pw, ph, iw, ih, bw, bh, uw, uh, dw, dh;
  glyph(0, 'L', plain, pw, ph);
  glyph(LICE_FONT_FLAG_FX_INVERT, 'L', inverted, iw, ih);
  glyph(LICE_FONT_FLAG_FX_BLUR, 'L', blurred, bw, bh);
  glyph(LICE_FONT_FLAG_VERTICAL, 'L', down, dw, dh);
  glyph(LICE_FONT_FLAG_VERTICAL | LICE_FONT_FLAG_VERTICAL_BOTTOMUP, 'L', up, uw, uh);
  auto at = [](const std::vector<int>& v, int w, int x, int y) { return v[(size_t) y * w + x]; };

  // 0x20: every coverage byte inverted, over the whole cell.
  ASSERT_EQ(ih, ph);
  ASSERT_GE(iw, pw);
  for (int y = 0; y < ph; ++y)
    for (int x = 0; x < pw; ++x) ASSERT_EQ(at(inverted, iw, x, y), 255 - at(plain, pw, x, y)) << x << "," << y;

  // 0x10: inside the cell each byte is the mean of its 3 x 3 block.
  ASSERT_EQ(bh, ph);
  for (int y = 1; y + 1 < ph; ++y)
    for (int x = 1; x + 1 < pw; ++x)
    {
      int sum = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) sum += at(plain, pw, x + dx, y + dy);
      ASSERT_EQ(at(blurred, bw, x, y), sum / 9) << x << "," << y;
    }

  // 0x1 turns the glyph a quarter clockwise (its top to the right), 0x2 with
  // it the other way (its top to the left): an L's foot ends up on the
  // other side.
  ASSERT_EQ(dw, ph);
  ASSERT_EQ(uw, ph);
  ASSERT_EQ(dh, pw);
  for (int y = 0; y < ph; ++y)
    for (int x = 0; x < pw; ++x)
    {
      ASSERT_EQ(at(down, dw, ph - 1 - y, x), at(plain, pw, x, y));
      ASSERT_EQ(at(up, uw, y, pw - 1 - x), at(plain, pw, x, y));
    }

  // Drawn bottom-up, the text stays inside its measured rectangle.
  LICE_CachedFont v;
  v.SetFromHFont(makeFont(13), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_VERTICAL | LICE_FONT_FLAG_VERTICAL_BOTTOMUP);
  v.SetTextColor(LICE_RGBA(255, 255, 255, 255));
  const RECT m = measure(v, "Up");
  LICE_MemBitmap bm(40, 80);
  LICE_Clear(&bm, 0);
  RECT r = {4, 4, 40, 80};
  v.DrawText(&bm, "Up", -1, &r, 0);
  const RECT ink = InkBox(&bm, 0);
  EXPECT_GT(ink.right, 0);
  EXPECT_TRUE(Inside(ink, RECT{4, 4, 4 + m.right, 4 + m.bottom}));
}

TEST_F(CachedFont, HugeFontsManyCharactersAndNamelessLoads)
{
  // A 30000-pixel font: measured as such, drawn without rasterising the
  // gigapixel glyphs that land nowhere.
  LICE_CachedFont big;
  big.SetFromHFont(DC_CreateFont(30000, 0, 0, 0, 400, false, false, false, 4, "Tahoma"),
                   LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
  EXPECT_GE(big.GetLineHeight(), 29000);
  LICE_SysBitmap sys(64, 64);
  RECT r = {0, 0, 64, 64};
  const RECT m = measure(big, "Hi");
  EXPECT_GT(m.right, 10000);
  big.DrawText(&sys, "Hi", -1, &r, 0);

  // 16,000 new characters, in scrambled order: each found again afterwards.
  LICE_CachedFont f;
  f.SetFromHFont(makeFont(10), LICE_FONT_FLAG_OWNS_HFONT);
  std::vector<unsigned short> codes;
  for (unsigned c = 0x100; codes.size() < 16000; ++c) codes.push_back((unsigned short) c);
  std::shuffle(codes.begin(), codes.end(), std::mt19937(9));
  for (unsigned short c : codes) ASSERT_TRUE(f.RenderGlyph(c));
  for (unsigned short c : codes)
  {
    const LICE_CachedFont::charEnt* e = f.findChar(c);
    ASSERT_NE(e, nullptr) << c;
    ASSERT_EQ(e->charid, c);
  }

  for (LICE_ImageLoaderRec* rec = LICE_ImageLoader_list; rec; rec = rec->_next)
  {
    EXPECT_EQ(rec->loadfunc(nullptr, true, nullptr), nullptr);
    EXPECT_EQ(rec->loadfunc(nullptr, false, nullptr), nullptr);
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Cached-font text: rasterise each character once through the
// device-context layer into a coverage image, then blend the coverage.
#include "lice_text.h"

#include <algorithm>
#include <utility>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "lice_clip.h"
#include "lice_dispatch.h"
#include "lice_simd.h"

namespace
{
// Two process-wide work bitmaps, made on first need and released with the
// last font: one to rasterise glyphs (white on black), one for native text
// into bitmaps without a drawing context. Two editors may use fonts on two
// threads, so the bitmaps and the count are used under one lock; it is
// taken only to render a new glyph or draw natively, never for cached text.
LICE_SysBitmap* s_glyphBitmap = nullptr;
LICE_SysBitmap* s_nativeBitmap = nullptr;
int s_liveFonts = 0;
// Statically initialised, with nothing to undo at exit (libstdc++'s
// recursive mutex is a plain pthread one), so fonts held in other files'
// static caches may still lock it while they are destroyed.
std::recursive_mutex s_workMutex;

uint32_t toRGB(LICE_pixel p) { return (LICE_GETR(p) << 16) | (LICE_GETG(p) << 8) | LICE_GETB(p); }

// Makes the glyph work bitmap at least size x size, white text on black.
DeviceContext* glyphContext(int size)
{
  if (!s_glyphBitmap) s_glyphBitmap = new LICE_SysBitmap;
  if (s_glyphBitmap->getWidth() < size || s_glyphBitmap->getHeight() < size)
  {
    s_glyphBitmap->resize(std::max(size, s_glyphBitmap->getWidth()), std::max(size, s_glyphBitmap->getHeight()));
    DC_SetTextColor(s_glyphBitmap->getDC(), 0xFFFFFF);
    DC_SetBkMode(s_glyphBitmap->getDC(), 0);
    DC_SetBkColor(s_glyphBitmap->getDC(), 0);
  }
  return s_glyphBitmap->getDC();
}

int encodeUtf8(unsigned short c, char* out)
{
  if (c < 128)
  {
    out[0] = (char) c;
    return 1;
  }
  if (c < 2048)
  {
    out[0] = (char) (0xC0 | (c >> 6));
    out[1] = (char) (0x80 | (c & 0x3F));
    return 2;
  }
  out[0] = (char) (0xE0 | (c >> 12));
  out[1] = (char) (0x80 | ((c >> 6) & 0x3F));
  out[2] = (char) (0x80 | (c & 0x3F));
  return 3;
}

// A small box blur over a coverage cell (3 x 3, edges clamped).
void blurCell(LICE_pixel* bits, int span, int w, int h)
{
  std::vector<int> red((size_t) w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) red[(size_t) y * w + x] = (int) LICE_GETR(bits[y * span + x]);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      int sum = 0, n = 0;
      for (int by = std::max(0, y - 1); by <= std::min(h - 1, y + 1); ++by)
        for (int bx = std::max(0, x - 1); bx <= std::min(w - 1, x + 1); ++bx) sum += red[(size_t) by * w + bx], ++n;
      const unsigned v = (unsigned) (sum / n);
      bits[y * span + x] = LICE_RGBA(v, v, v, 255);
    }
}
}  // namespace

int utf8char(const char* ptr, unsigned short* charOut, int maxBytes)
{
  const unsigned char* p = reinterpret_cast<const unsigned char*>(ptr);
  // A byte past maxBytes is never read; a terminated text stops itself,
  // since its terminator is no continuation byte.
  auto cont = [&](int i) { return (maxBytes < 0 || i < maxBytes) && p[i] >= 0x80 && p[i] <= 0xC0; };
  const unsigned c = p[0];
  if (c >= 0xC2 && c <= 0xDF && cont(1))
  {
    *charOut = (unsigned short) (((c & 0x1F) << 6) | (p[1] & 0x3F));
    return 2;
  }
  if (c >= 0xE0 && c <= 0xEF && cont(1) && cont(2))
  {
    *charOut = (unsigned short) ((((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)) & 0xFFFF);
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4 && cont(1) && cont(2) && cont(3))
  {
    *charOut = ' ';
    return 4;
  }
  *charOut = (unsigned short) c;
  return 1;
}

LICE_CachedFont::LICE_CachedFont()
{
  std::lock_guard<std::recursive_mutex> lock(s_workMutex);
  ++s_liveFonts;
  memset(m_lowchars, 0, sizeof(m_lowchars));
}

LICE_CachedFont::~LICE_CachedFont()
{
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font) DC_DeleteFont(m_font);
  std::lock_guard<std::recursive_mutex> lock(s_workMutex);
  if (--s_liveFonts == 0)
  {
    delete s_glyphBitmap;
    delete s_nativeBitmap;
    s_glyphBitmap = s_nativeBitmap = nullptr;
  }
}

LICE_pixel LICE_CachedFont::SetTextColor(LICE_pixel color) { return std::exchange(m_fg, color); }

LICE_pixel LICE_CachedFont::SetBkColor(LICE_pixel color) { return std::exchange(m_bg, color); }

LICE_pixel LICE_CachedFont::SetEffectColor(LICE_pixel color) { return std::exchange(m_effectcol, color); }

int LICE_CachedFont::SetBkMode(int mode) { return std::exchange(m_bgmode, mode); }

void LICE_CachedFont::SetFromHFont(DCFont* font, int flags)
{
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font && m_font != font) DC_DeleteFont(m_font);
  m_flags = flags;
  m_font = font;
  std::lock_guard<std::recursive_mutex> lock(s_workMutex);
  if (font)
  {
    DeviceContext* dc = glyphContext(256);
    DCFont* previous = DC_SelectFont(dc, font);
    m_line_height = DC_GetTextCellHeight(dc);
    DC_SelectFont(dc, previous);
  }
  memset(m_lowchars, 0, sizeof(m_lowchars));
  m_extracharlist.clear();
  m_cachestore.clear();
  if (font && (flags & LICE_FONT_FLAG_PRECALCALL))
    for (unsigned short c = 0; c < 128; ++c) RenderGlyph(c);
}

LICE_CachedFont::charEnt* LICE_CachedFont::findChar(unsigned short c)
{
  if (c < 128) return &m_lowchars[c];
  auto it = std::lower_bound(m_extracharlist.begin(), m_extracharlist.end(), c,
                             [](const charEnt& e, unsigned short code) { return e.charid < code; });
  return it != m_extracharlist.end() && it->charid == c ? &*it : nullptr;
}

bool LICE_CachedFont::RenderGlyph(unsigned short c)
{
  if (m_line_height > 1023 || !m_font) return false;
  if (c >= 128 && !findChar(c))
  {
    if (m_flags & LICE_FONT_FLAG_PRECALCALL) return false;
    // Into its sorted place: the table stays sorted without sorting it
    // again after every new character.
    auto at = std::lower_bound(m_extracharlist.begin(), m_extracharlist.end(), c,
                               [](const charEnt& e, unsigned short code) { return e.charid < code; });
    m_extracharlist.insert(at, charEnt{0, 0, 0, 0, c});
  }
  auto entry = [&]() -> charEnt* { return findChar(c); };
  std::lock_guard<std::recursive_mutex> lock(s_workMutex);

  const int size = m_line_height < 1 ? 10 : 2 * m_line_height + 8;
  DeviceContext* dc = glyphContext(size);
  char utf[4];
  const int n = encodeUtf8(c, utf);
  DCFont* previous = DC_SelectFont(dc, m_font);
  RECT r = {0, 0, 0, 0};
  DC_DrawText(dc, utf, n, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  int w = r.right, h = r.bottom;
  // Laid out by the face's own advance, as native drawing lays it out, so
  // that both ways of drawing give a text the same width.
  const int advance = (int) ((DC_GetCharAdvance(dc, c) + 32) >> 6);
  int cellw = m_line_height < 16 ? w + 2 : w + m_line_height / 16 + 2;
  LICE_FillRect(s_glyphBitmap, 0, 0, cellw, h, LICE_RGBA(0, 0, 0, 255), 1.0f, kBlitCopy);
  RECT cell = {0, 0, cellw, h};
  DC_DrawText(dc, utf, n, &cell, DT_SINGLELINE | DT_NOPREFIX);
  w = std::min(w, s_glyphBitmap->getWidth());
  cellw = std::min(cellw, s_glyphBitmap->getWidth());
  h = std::min(h, s_glyphBitmap->getHeight());
  DC_SelectFont(dc, previous);

  charEnt* e = entry();
  if (w < 1 || h < 1)
  {
    *e = charEnt{-1, 0, 0, 0, c};
  }
  else
  {
    LICE_pixel* bits = s_glyphBitmap->getBits();
    const int span = s_glyphBitmap->getRowSpan();
    if (m_flags & LICE_FONT_FLAG_FX_BLUR) blurCell(bits, span, cellw, h);
    const bool invert = (m_flags & LICE_FONT_FLAG_FX_INVERT) != 0;
    int lastCol = -1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < cellw; ++x)
      {
        unsigned v = LICE_GETR(bits[y * span + x]);
        if (invert) v = 255 - v;
        if (v && x > lastCol) lastCol = x;
      }
    int gw = std::max(w, lastCol + 1), gh = h;
    std::vector<unsigned char> img((size_t) gw * gh);
    for (int y = 0; y < gh; ++y)
      for (int x = 0; x < gw; ++x)
      {
        unsigned v = x < cellw ? LICE_GETR(bits[y * span + x]) : 0;
        img[(size_t) y * gw + x] = (unsigned char) (invert ? 255 - v : v);
      }

    if (m_flags & LICE_FONT_FLAG_VERTICAL)
    {
      // Turned by 90 degrees: clockwise, or the other way with BOTTOMUP.
      std::vector<unsigned char> turned(img.size());
      const bool bottomUp = (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP) != 0;
      for (int y = 0; y < gh; ++y)
        for (int x = 0; x < gw; ++x)
        {
          const int nx = bottomUp ? y : gh - 1 - y, ny = bottomUp ? gw - 1 - x : x;
          turned[(size_t) ny * gh + nx] = img[(size_t) y * gw + x];
        }
      img.swap(turned);
      std::swap(gw, gh);
    }
    const bool effect = (m_flags & (LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE)) != 0;
    if ((m_flags & LICE_FONT_FLAG_FX_MONO) || effect)
      for (unsigned char& v : img) v = v > 130 ? 255 : 0;
    if (effect)
    {
      std::vector<unsigned char> src(img);
      auto full = [&](int x, int y) { return x >= 0 && y >= 0 && x < gw && y < gh && src[(size_t) y * gw + x] == 255; };
      const bool shadow = (m_flags & LICE_FONT_FLAG_FX_SHADOW) != 0;
      for (int y = 0; y < gh; ++y)
        for (int x = 0; x < gw; ++x)
        {
          if (src[(size_t) y * gw + x]) continue;
          const bool mark = shadow ? (full(x - 1, y) || full(x - 1, y - 1) || full(x, y - 1))
                                   : (full(x - 1, y) || full(x + 1, y) || full(x, y - 1) || full(x, y + 1));
          if (mark) img[(size_t) y * gw + x] = 128;
        }
    }

    const size_t offset = m_cachestore.size();
    try
    {
      m_cachestore.insert(m_cachestore.end(), img.begin(), img.end());
      *e = charEnt{(int) offset + 1, gw, gh, advance, c};
    }
    catch (const std::bad_alloc&)
    {
      *e = charEnt{-1, 0, 0, 0, c};
    }
  }
  return true;
}

bool LICE_CachedFont::DrawGlyph(LICE_IBitmap* bm, unsigned short c, int x, int y, const RECT* clip)
{
  const charEnt* e = findChar(c);
  if (!bm || !e || e->base_offset <= 0 || !clip) return false;
  LICE_View v(bm);
  LICE_Rect64 g = LICE_Rect64FromXYWH(x, y, e->width, e->height);
  if (!v.valid() || !LICE_ClipRect(g, v.w, v.h, clip)) return false;
  const RECT r = {(int) g.l, (int) g.t, (int) g.r, (int) g.b};

  if (m_bgmode == 1)
    LICE_FillRect(bm, r.left, r.top, r.right - r.left, r.bottom - r.top, m_bg, m_alpha, m_comb & ~kBlitUseSourceAlpha);

  const unsigned char* pix = GlyphPixels(e);
  const int fr = (int) LICE_GETR(m_fg), fgG = (int) LICE_GETG(m_fg), fb = (int) LICE_GETB(m_fg);
  const int er = (int) LICE_GETR(m_effectcol), eg = (int) LICE_GETG(m_effectcol), eb = (int) LICE_GETB(m_effectcol);
  const bool exactCopy = m_alpha == 1.0f && (m_comb & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY;
  const bool mono = (m_flags & LICE_FONT_FLAG_FX_MONO) != 0;
  const bool effect = (m_flags & (LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE)) != 0;
  const int W = LICE_AlphaWeight(m_alpha);

  // Visits every pixel of the clipped glyph whose coverage is not zero.
  auto eachCovered = [&](auto&& f) {
    for (int py = r.top; py < r.bottom; ++py)
    {
      LICE_pixel* row = v.row(py);
      const unsigned char* cov = pix + (size_t) ((int64_t) py - y) * e->width;
      for (int px = r.left; px < r.right; ++px)
        if (const int cv = cov[(int64_t) px - x]) f(row + px, cv);
    }
  };

  if ((mono || effect) && exactCopy)
  {
    eachCovered([&](LICE_pixel* p, int cv) { *p = cv == 255 || !effect ? m_fg : m_effectcol; });
    return true;
  }
  if (mono || effect)
  {
    const int wt = std::min(W, 256);
    if (wt <= 0) return true;
    return LICE_WithFillCombiner(m_comb, wt, [&](auto tag) {
      typedef typename decltype(tag)::type COMB;
      eachCovered([&](LICE_pixel* p, int cv) {
        if (cv == 255 || !effect) COMB::doPix((LICE_pixel_chan*) p, fr, fgG, fb, 255, wt);
        else COMB::doPix((LICE_pixel_chan*) p, er, eg, eb, 255, wt);
      });
    });
  }
  if (W <= 0) return true;
  if (W == 256 && (m_comb & LICE_BLIT_MODE_MASK) == LICE_BLIT_MODE_COPY)
  {
    // The common case: the copy combiner at weight v + 1, four pixels at once.
    const LICE_pixel color = LICE_RGBA((unsigned) fr, (unsigned) fgG, (unsigned) fb, 255);
    for (int py = r.top; py < r.bottom; ++py)
      LICE_CoverageCopyRowSSE2(v.row(py) + r.left, pix + (size_t) ((int64_t) py - y) * e->width + ((int64_t) r.left - x),
                               r.right - r.left, color);
    return true;
  }
  LICE_WithFillCombiner(m_comb, 256, [&](auto tag) {
    typedef typename decltype(tag)::type COMB;
    eachCovered([&](LICE_pixel* p, int cv) {
      const int wt = W == 256 ? cv + 1 : std::min(256, W * cv / 256);
      COMB::doPix((LICE_pixel_chan*) p, fr, fgG, fb, 255, wt);
    });
  });
  return true;
}

// ---- DrawText ------------------------------------------------------------------

namespace
{
const unsigned kLayoutFlags = DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT;

// Walks the text as the cached path reads it: carriage returns skipped, a
// line feed a new line (or a space on a single line). f(c, isNewLine).
template <class F>
void walkText(const char* str, int count, bool singleLine, F&& f)
{
  for (int pos = 0; (count < 0 || pos < count) && str[pos];)
  {
    unsigned short c;
    const int n = utf8char(str + pos, &c, count < 0 ? -1 : count - pos);
    pos += n;
    if (c == '\r') continue;
    if (c == '\n')
    {
      if (!singleLine)
      {
        f(c, true);
        continue;
      }
      c = ' ';
    }
    f(c, false);
  }
}
}  // namespace

// Each cached glyph of the text in order with the pen position along the
// line and the line's offset; characters that cannot be rendered are
// skipped, line feeds start a new line (unless single line).
template <class F>
void LICE_CachedFont::ForEachGlyph(const char* str, int count, bool singleLine, F&& f)
{
  int pen = 0, line = 0;
  walkText(str, count, singleLine, [&](unsigned short c, bool newLine) {
    if (newLine)
    {
      pen = 0;
      line += m_line_height + m_lsadj;
      return;
    }
    charEnt* e = findChar(c);
    if ((!e || !e->base_offset) && !RenderGlyph(c)) return;
    e = findChar(c);
    if (!e || e->base_offset <= 0) return;
    f(*e, c, pen, line);
    pen += e->advance;
  });
}

int LICE_CachedFont::MeasureCached(const char* str, int count, bool singleLine, int& width)
{
  const bool vertical = (m_flags & LICE_FONT_FLAG_VERTICAL) != 0;
  int w = 0, h = 0;
  ForEachGlyph(str, count, singleLine, [&](const charEnt& e, unsigned short, int pen, int line) {
    // Along the pen (x, or y for vertical fonts) and across it.
    const int along = vertical ? e.height : e.width, across = vertical ? e.width : e.height;
    w = std::max(w, std::max(pen + e.advance, pen + along));
    h = std::max(h, line + across);
  });
  width = w;
  return h;
}

int LICE_CachedFont::DrawText(LICE_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags)
{
  if (!str || !rect) return 0;
  if (!bm && !(flags & DT_CALCRECT)) return 0;
  const bool neverNative = (flags & LICE_DT_NEEDALPHA) != 0;
  flags &= ~LICE_DT_NEEDALPHA;

  const bool extended = bm && bm->Extended(0x59555678, nullptr);
  const int effectFlags = LICE_FONT_FLAG_VERTICAL | LICE_FONT_FLAG_VERTICAL_BOTTOMUP | LICE_FONT_FLAG_PRECALCALL |
                          LICE_FONT_FLAG_FX_BLUR | LICE_FONT_FLAG_FX_INVERT | LICE_FONT_FLAG_FX_MONO |
                          LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE;
  const bool native = m_font && !extended &&
                      (m_line_height > 255 ||
                       ((m_flags & LICE_FONT_FLAG_FORCE_NATIVE) && !(flags & LICE_DT_USEFGALPHA) && !neverNative &&
                        !(m_flags & effectFlags) && (!m_lsadj || (flags & DT_SINGLELINE))));
  if (native) return DrawTextNative(bm, str, count, rect, flags);

  const bool vertical = (m_flags & LICE_FONT_FLAG_VERTICAL) != 0;
  int textW = 0;
  const int textH = MeasureCached(str, count, (flags & DT_SINGLELINE) != 0, textW);
  if (flags & DT_CALCRECT)
  {
    // Vertical fonts exchange the roles of x and y.
    rect->right = LICE_SatInt((int64_t) rect->left + (vertical ? textH : textW));
    rect->bottom = LICE_SatInt((int64_t) rect->top + (vertical ? textW : textH));
    return vertical ? textW : textH;
  }

  float alpha = m_alpha;
  if (flags & LICE_DT_USEFGALPHA) alpha *= LICE_GETA(m_fg) / 255.0f;
  if (alpha == 0.0f) return 0;

  const int extW = vertical ? textH : textW, extH = vertical ? textW : textH;
  // Positions in 64 bits; a glyph placed past the int range is off the
  // bitmap, where saturation keeps it.
  int64_t x = rect->left, y = rect->top;
  if (flags & DT_CENTER) x = rect->left + ((int64_t) rect->right - rect->left - extW) / 2;
  else if (flags & DT_RIGHT) x = (int64_t) rect->right - extW;
  if (flags & DT_VCENTER) y = rect->top + ((int64_t) rect->bottom - rect->top - extH) / 2;
  else if (flags & DT_BOTTOM) y = (int64_t) rect->bottom - extH;
  if (vertical && (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP)) y += textW;

  RECT clip = {0, 0, bm->getWidth(), bm->getHeight()};
  if (!(flags & DT_NOCLIP))
  {
    LICE_Rect64 r = {rect->left, rect->top, rect->right, rect->bottom};
    if (!LICE_ClipRect(r, clip.right, clip.bottom)) return 0;
    clip = {(int) r.l, (int) r.t, (int) r.r, (int) r.b};
  }
  auto at = [](int64_t v) { return LICE_SatInt(v); };

  const float saved = m_alpha;
  m_alpha = alpha;
  const bool bottomUp = vertical && (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP);
  ForEachGlyph(str, count, (flags & DT_SINGLELINE) != 0, [&](const charEnt& e, unsigned short c, int pen, int line) {
    if (!vertical)
      DrawGlyph(bm, c, at(x + pen), at(y + line), &clip);
    else if (bottomUp)
      DrawGlyph(bm, c, at(x + line), at(y - pen - e.height), &clip);
    else
      DrawGlyph(bm, c, at(x + line), at(y + pen), &clip);
  });
  m_alpha = saved;
  return extH;
}

int LICE_CachedFont::DrawTextNative(LICE_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags)
{
  if (bm && bm->getDC())
  {
    DeviceContext* dc = bm->getDC();
    DCFont* previous = DC_SelectFont(dc, m_font);
    DC_SetTextColor(dc, toRGB(m_fg));
    if (m_bgmode == 1) DC_SetBkColor(dc, toRGB(m_bg));
    DC_SetBkMode(dc, m_bgmode);
    RECT r = *rect;
    const int result = DC_DrawText(dc, str, count, &r, (int) (flags | DT_NOPREFIX));
    if (flags & DT_CALCRECT) *rect = r;
    DC_SelectFont(dc, previous);
    return result;
  }

  // Without a drawing context: measure on the native work bitmap, draw
  // there over a copy of the destination area, and copy it back.
  std::lock_guard<std::recursive_mutex> lock(s_workMutex);
  if (!s_nativeBitmap) s_nativeBitmap = new LICE_SysBitmap;
  if (s_nativeBitmap->getWidth() < 4 || s_nativeBitmap->getHeight() < 4)
    s_nativeBitmap->resize(std::max(4, s_nativeBitmap->getWidth()), std::max(4, s_nativeBitmap->getHeight()));
  DeviceContext* dc = s_nativeBitmap->getDC();
  if (!dc) return 0;
  DCFont* previous = DC_SelectFont(dc, m_font);
  RECT m = {0, 0, 0, 0};
  DC_DrawText(dc, str, count, &m, (int) ((flags & ~0xB7u) | DT_CALCRECT | DT_NOPREFIX));
  const int w = m.right, h = m.bottom;
  if (flags & DT_CALCRECT)
  {
    DC_SelectFont(dc, previous);
    rect->right = rect->left + w;
    rect->bottom = rect->top + h;
    return h;
  }

  int64_t ox = rect->left, oy = rect->top;  // where the text's origin lands
  if (flags & DT_RIGHT) ox = (int64_t) rect->right - w;
  else if (flags & DT_CENTER) ox = rect->left + ((int64_t) rect->right - rect->left - w) / 2;
  if (flags & DT_BOTTOM) oy = (int64_t) rect->bottom - h;
  else if (flags & DT_VCENTER) oy = rect->top + ((int64_t) rect->bottom - rect->top - h) / 2;
  LICE_Rect64 placed = LICE_Rect64FromXYWH(ox, oy, w, h);
  const RECT* clipTo = (flags & DT_NOCLIP) ? nullptr : rect;
  if (!LICE_ClipRect(placed, bm->getWidth(), bm->getHeight(), clipTo))
  {
    DC_SelectFont(dc, previous);
    return 0;
  }
  const RECT place = {(int) placed.l, (int) placed.t, (int) placed.r, (int) placed.b};
  const int pw = place.right - place.left, ph = place.bottom - place.top;
  if (s_nativeBitmap->getWidth() < pw || s_nativeBitmap->getHeight() < ph)
  {
    DC_SelectFont(dc, nullptr);
    s_nativeBitmap->resize(std::max(pw, s_nativeBitmap->getWidth()), std::max(ph, s_nativeBitmap->getHeight()));
    dc = s_nativeBitmap->getDC();
    if (!dc) return 0;
    DC_SelectFont(dc, m_font);
  }
  LICE_Blit(s_nativeBitmap, bm, 0, 0, place.left, place.top, pw, ph, 1.0f, kBlitCopy);
  DC_SetTextColor(dc, toRGB(m_fg));
  if (m_bgmode == 1) DC_SetBkColor(dc, toRGB(m_bg));
  DC_SetBkMode(dc, m_bgmode);
  const int atx = LICE_SatInt(ox - place.left), aty = LICE_SatInt(oy - place.top);
  RECT at = {atx, aty, LICE_SatInt((int64_t) atx + w), LICE_SatInt((int64_t) aty + h)};
  DC_DrawText(dc, str, count, &at, (int) ((flags & ~0x136u & ~kLayoutFlags) | DT_NOPREFIX | DT_NOCLIP));
  DC_SelectFont(dc, previous);
  LICE_Blit(bm, s_nativeBitmap, place.left, place.top, 0, 0, pw, ph, m_alpha, kBlitCopy);
  return h;
}

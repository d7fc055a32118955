// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Text in raster bitmaps: a font that draws through the device-context
// layer natively, or rasterises each character once into an 8-bit coverage
// image kept in a glyph cache and blends it with the combine modes.
#pragma once

#include <vector>

#include "lice.h"

// Font flags.
#define LICE_FONT_FLAG_VERTICAL 0x1
#define LICE_FONT_FLAG_VERTICAL_BOTTOMUP 0x2
#define LICE_FONT_FLAG_PRECALCALL 0x4
#define LICE_FONT_FLAG_FX_BLUR 0x10
#define LICE_FONT_FLAG_FX_INVERT 0x20
#define LICE_FONT_FLAG_FX_MONO 0x40
#define LICE_FONT_FLAG_FX_SHADOW 0x80
#define LICE_FONT_FLAG_FX_OUTLINE 0x100
#define LICE_FONT_FLAG_OWNS_HFONT 0x200
#define LICE_FONT_FLAG_FORCE_NATIVE 0x400

// Draw flags beyond the device-context layer's DT_ ones.
#define LICE_DT_USEFGALPHA 0x40000000
#define LICE_DT_NEEDALPHA 0x80000000

class LICE_IFont
{
public:
  virtual ~LICE_IFont() {}
  virtual void SetFromHFont(DCFont* font, int flags = 0) = 0;
  virtual LICE_pixel SetTextColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetBkColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetEffectColor(LICE_pixel color) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual void SetCombineMode(int combine, float alpha = 1.0f) = 0;
  // Draws, or with DT_CALCRECT measures, UTF-8 text (count bytes, -1 for
  // the whole string); returns its height (its width for vertical fonts).
  virtual int DrawText(LICE_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags) = 0;
  virtual LICE_pixel GetTextColor() = 0;
  virtual DCFont* GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

class LICE_CachedFont : public LICE_IFont
{
public:
  LICE_CachedFont();
  ~LICE_CachedFont() override;
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  void SetFromHFont(DCFont* font, int flags = 0) override;
  LICE_pixel SetTextColor(LICE_pixel color) override;
  LICE_pixel SetBkColor(LICE_pixel color) override;
  LICE_pixel SetEffectColor(LICE_pixel color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int combine, float alpha = 1.0f) override
  {
    m_comb = combine;
    m_alpha = alpha;
  }
  int DrawText(LICE_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags) override;
  LICE_pixel GetTextColor() override { return m_fg; }
  DCFont* GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_line_height; }

  // Blends the cached glyph of c with its top-left corner at (x, y),
  // clipped to clip; false when there was nothing to draw.
  virtual bool DrawGlyph(LICE_IBitmap* bm, unsigned short c, int x, int y, const RECT* clip);

  // Extra pixels between lines.
  void SetLineSpacingAdjust(int extra) { m_lsadj = extra; }

  struct charEnt
  {
    int base_offset;  // 1 + first coverage byte; 0 not rendered; -1 renders to nothing
    int width, height;
    int advance;
    int charid;
  };

  // The cache entry of a character, or null; does not render.
  charEnt* findChar(unsigned short c);
  bool RenderGlyph(unsigned short c);
  const unsigned char* GlyphPixels(const charEnt* e) const
  {
    return e && e->base_offset > 0 ? m_cachestore.data() + e->base_offset - 1 : nullptr;
  }

private:
  int DrawTextNative(LICE_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int flags);
  int MeasureCached(const char* str, int count, bool singleLine, int& width);
  template <class F>
  void ForEachGlyph(const char* str, int count, bool singleLine, F&& f);

  LICE_pixel m_fg = 0, m_bg = 0xFFFFFFFF, m_effectcol = 0xFFFFFFFF;
  int m_comb = 0;
  float m_alpha = 1.0f;
  int m_bgmode = 0;
  DCFont* m_font = nullptr;
  int m_flags = 0;
  int m_line_height = 0;
  int m_lsadj = 0;
  charEnt m_lowchars[128];
  std::vector<charEnt> m_extracharlist;
  std::vector<unsigned char> m_cachestore;
};

// Decodes one character; returns its length in bytes. A four-byte
// character reads as a space; an invalid lead byte as its own value. At
// most maxBytes bytes are read (-1: the text is terminated), so a sequence
// cut off by the end of the text reads as its lead byte alone.
int utf8char(const char* ptr, unsigned short* charOut, int maxBytes = -1);

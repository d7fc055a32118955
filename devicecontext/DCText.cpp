// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Text in a rectangle: lay the glyphs out, measure their extent, place the
// extent as the flags say, and draw the coverage in the text colour.
#include <algorithm>
#include <cmath>
#include <vector>

#include "DCInternal.h"

namespace
{
long gDrawTextCount = 0;

// One code point from UTF-8; invalid bytes stand for themselves.
uint32_t nextCode(const unsigned char*& p, const unsigned char* end)
{
  const unsigned c = *p++;
  int extra = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xC2 && c <= 0xDF ? 1 : 0;
  if (!extra || end - p < extra) return c;
  uint32_t code = c & (0x3F >> extra);
  for (int i = 0; i < extra; ++i)
  {
    if ((p[i] & 0xC0) != 0x80) return c;
    code = (code << 6) | (p[i] & 0x3F);
  }
  p += extra;
  return code;
}

// Saturating, so that no extent of any font or text is undefined.
int toIntSat(double v) { return v >= 2147483647.0 ? 2147483647 : (v <= -2147483648.0 ? INT32_MIN : (int) v); }

typedef DCTextLayout::Placed Placed;
typedef DCTextLayout::Box Box;

inline void blend(unsigned int* p, uint32_t rgb, int cov)
{
  // Pixel word: alpha in the low byte, then red, green, blue.
  unsigned v = *p;
  const int tr = (int) ((rgb >> 16) & 0xFF), tg = (int) ((rgb >> 8) & 0xFF), tb = (int) (rgb & 0xFF);
  int r = (int) ((v >> 8) & 0xFF), g = (int) ((v >> 16) & 0xFF), b = (int) (v >> 24);
  r += ((tr - r) * cov + (tr >= r ? 127 : -127)) / 255;
  g += ((tg - g) * cov + (tg >= g ? 127 : -127)) / 255;
  b += ((tb - b) * cov + (tb >= b ? 127 : -127)) / 255;
  *p = (v & 0xFF) | (unsigned) r << 8 | (unsigned) g << 16 | (unsigned) b << 24;
}
}  // namespace

long DC_DrawTextCount() { return gDrawTextCount; }

int DC_DrawText(DeviceContext* ctx, const char* text, int len, RECT* rect, int flags)
{
  if (!ctx || !ctx->font || !text || !rect) return 0;
  ++gDrawTextCount;
  DCFont& font = *ctx->font;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = p + (len < 0 ? std::char_traits<char>::length(text) : (size_t) len);
  const bool singleLine = (flags & DT_SINGLELINE) != 0, prefix = !(flags & DT_NOPREFIX);

  // Lay out each line from its own origin; lines are one cell apart.
  DCTextLayout& layout = ctx->layout;
  std::vector<Placed>& glyphs = layout.glyphs;
  std::vector<Box>& lines = layout.lines;
  std::vector<size_t>& lineStart = layout.lineStart;
  glyphs.clear();
  lines.assign(1, Box());
  lineStart.assign(1, 0);
  int64_t pen = 0;
  while (p < end)
  {
    uint32_t code = nextCode(p, end);
    if (!code) break;
    if (prefix && code == '&')
    {
      if (p >= end) break;  // a trailing '&' marks nothing
      code = nextCode(p, end);
      if (!code) break;  // nor does one before the terminator of a counted text
    }
    if (code == '\r' && !singleLine) continue;
    if (code == '\n' || code == '\r')
    {
      if (!singleLine)
      {
        lines.emplace_back();
        lineStart.push_back(glyphs.size());
        pen = 0;
        continue;
      }
      code = ' ';
    }
    const DCGlyph& g = font.Glyph(code);
    const double x = (double) ((pen + 32) >> 6);
    // Upright text counts its ink in the line; turned ink counts in the
    // extent once placed.
    if (g.width && g.height && font.angle == 0.0) lines.back().add(x + g.left, 0), lines.back().add(x + g.left + g.width, 0);
    glyphs.push_back({&g, x, 0.0});
    pen += g.advance;
  }
  lineStart.push_back(glyphs.size());

  // Each line spans its advances (and upright, its ink); alignment works on
  // the widest line.
  const double c = std::cos(font.angle), s = std::sin(font.angle);
  const bool rotated = font.angle != 0.0;
  double widest = 0.0;
  std::vector<double>&lineLeft = layout.lineLeft, &lineWidth = layout.lineWidth;
  lineLeft.assign(lines.size(), 0.0);
  lineWidth.assign(lines.size(), 0.0);
  for (size_t i = 0; i < lines.size(); ++i)
  {
    int64_t p26 = 0;
    for (size_t k = lineStart[i]; k < lineStart[i + 1]; ++k) p26 += glyphs[k].glyph->advance;
    Box& b = lines[i];
    b.add(0, 0);
    b.add((double) ((p26 + 32) >> 6), 0);
    lineLeft[i] = b.x0;
    lineWidth[i] = b.x1 - b.x0;
    widest = std::max(widest, lineWidth[i]);
  }

  // Final positions: line i starts cell i down; centred or right-aligned
  // lines shift within the widest line. Then the whole layout turns by the
  // escapement about its origin.
  Box extent;
  const double cell = font.cellHeight;
  auto place = [&](double x, double y, double& ox, double& oy) {
    ox = rotated ? x * c + y * s : x;
    oy = rotated ? -x * s + y * c : y;
  };
  std::vector<double>& shift = layout.shift;
  shift.assign(lines.size(), 0.0);
  for (size_t i = 0; i < lines.size(); ++i)
  {
    shift[i] = -lineLeft[i];
    if (flags & DT_CENTER) shift[i] += std::floor((widest - lineWidth[i]) / 2);
    else if (flags & DT_RIGHT) shift[i] += widest - lineWidth[i];
    const double top = (double) i * cell, left = shift[i] + lineLeft[i];
    double ox, oy;
    place(left, top, ox, oy), extent.add(ox, oy);
    place(left + lineWidth[i], top, ox, oy), extent.add(ox, oy);
    place(left, top + cell, ox, oy), extent.add(ox, oy);
    place(left + lineWidth[i], top + cell, ox, oy), extent.add(ox, oy);
    for (size_t k = lineStart[i]; k < lineStart[i + 1]; ++k)
    {
      Placed& g = glyphs[k];
      place(g.x + shift[i], top + font.ascent, g.x, g.y);
      g.x = std::floor(g.x + 0.5);
      g.y = std::floor(g.y + 0.5);
      if (!g.glyph->width) continue;
      extent.add(g.x + g.glyph->left, g.y - g.glyph->top);
      extent.add(g.x + g.glyph->left + g.glyph->width, g.y - g.glyph->top + g.glyph->height);
    }
  }
  const int ex0 = toIntSat(std::floor(extent.x0)), ey0 = toIntSat(std::floor(extent.y0));
  const int width = toIntSat(std::ceil(extent.x1) - ex0), height = toIntSat(std::ceil(extent.y1) - ey0);

  if (flags & DT_CALCRECT)
  {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }

  // Place the extent in the rectangle, in 64 bits: rectangles anywhere in
  // the int range, and extents of huge fonts, cannot wrap.
  int64_t x0 = rect->left, y0 = rect->top;
  if (flags & DT_CENTER) x0 = rect->left + ((int64_t) rect->right - rect->left - width) / 2;
  else if (flags & DT_RIGHT) x0 = (int64_t) rect->right - width;
  if (flags & DT_VCENTER) y0 = rect->top + ((int64_t) rect->bottom - rect->top - height) / 2;
  else if (flags & DT_BOTTOM) y0 = (int64_t) rect->bottom - height;
  const int64_t dx = x0 - ex0, dy = y0 - ey0;

  // Nothing leaves the extent, the bitmap, or (unless no clipping) the rect.
  int64_t cl = std::max<int64_t>(0, x0), ct = std::max<int64_t>(0, y0);
  int64_t cr = std::min<int64_t>(ctx->width, x0 + width), cb = std::min<int64_t>(ctx->height, y0 + height);
  if (!(flags & DT_NOCLIP))
  {
    cl = std::max<int64_t>(cl, rect->left);
    ct = std::max<int64_t>(ct, rect->top);
    cr = std::min<int64_t>(cr, rect->right);
    cb = std::min<int64_t>(cb, rect->bottom);
  }
  if (cl >= cr || ct >= cb) return height;

  if (ctx->bkMode == 1)
  {
    const uint32_t bk = ctx->bkColor;
    const unsigned word = 0xFFu | ((bk >> 16) & 0xFF) << 8 | ((bk >> 8) & 0xFF) << 16 | (bk & 0xFF) << 24;
    for (int y = ct; y < cb; ++y)
      std::fill(ctx->bits + (size_t) y * ctx->width + cl, ctx->bits + (size_t) y * ctx->width + cr, word);
  }

  for (const Placed& g : glyphs)
  {
    const DCGlyph& gl = *g.glyph;
    // Glyphs too large to rasterise have metrics but no coverage.
    if (gl.coverage.size() != (size_t) gl.width * (size_t) gl.height) continue;
    const int64_t gx = (int64_t) g.x + dx + gl.left, gy = (int64_t) g.y + dy - gl.top;
    for (int64_t y = std::max(ct, gy); y < std::min<int64_t>(cb, gy + gl.height); ++y)
    {
      unsigned int* row = ctx->bits + (size_t) y * ctx->width;
      const uint8_t* cov = gl.coverage.data() + (size_t) (y - gy) * gl.width;
      for (int64_t x = std::max(cl, gx); x < std::min<int64_t>(cr, gx + gl.width); ++x)
        if (const int v = cov[x - gx]) blend(row + x, ctx->textColor, v);
    }
  }

  if ((font.underline || font.strikeout) && !rotated)
  {
    for (size_t i = 0; i < lines.size(); ++i)
    {
      const int64_t left = (int64_t) (shift[i] + lineLeft[i]) + dx, right = left + (int64_t) lineWidth[i];
      const int64_t baseline = (int64_t) i * font.cellHeight + font.ascent + dy;
      auto bar = [&](int64_t top) {
        for (int64_t y = std::max(ct, top); y < std::min<int64_t>(cb, top + font.underlineThickness); ++y)
          for (int64_t x = std::max(cl, left); x < std::min(cr, right); ++x)
            blend(ctx->bits + (size_t) y * ctx->width + x, ctx->textColor, 255);
      };
      if (font.underline) bar(baseline + font.underlinePos - font.underlineThickness / 2);
      if (font.strikeout) bar(baseline - font.ascent / 3);
    }
  }
  return height;
}

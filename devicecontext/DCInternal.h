// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The device-context layer's own structures, shared by its source files.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "DeviceContext.h"

struct DCGlyph
{
  int64_t advance = 0;                 // 26.6 pixels along the baseline
  int left = 0, top = 0;               // bitmap offset from the pen: x right, y up
  int width = 0, height = 0;
  std::vector<uint8_t> coverage;       // width x height, 0..255
};

struct DCFont
{
  FT_Face face = nullptr;
  std::string file;
  int ascent = 0, descent = 0, cellHeight = 0;
  int underlinePos = 0, underlineThickness = 1;  // pixels below the baseline
  double angle = 0.0;                            // radians, counter-clockwise
  bool underline = false, strikeout = false, mono = false, emboldened = false;
  std::unordered_map<uint32_t, DCGlyph> glyphs;

  // The rendered glyph of a code point, rasterised on first use.
  const DCGlyph& Glyph(uint32_t code);
};

// The working lists of DC_DrawText, kept with the context so that drawing
// a text whose glyphs are already rendered allocates nothing.
struct DCTextLayout
{
  struct Placed
  {
    const DCGlyph* glyph;
    double x, y;  // pen position in layout space, pixels
  };
  struct Box
  {
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    void add(double x, double y)
    {
      x0 = x < x0 ? x : x0;
      y0 = y < y0 ? y : y0;
      x1 = x > x1 ? x : x1;
      y1 = y > y1 ? y : y1;
    }
    bool empty() const { return x1 < x0; }
  };
  std::vector<Placed> glyphs;
  std::vector<Box> lines;
  std::vector<size_t> lineStart;
  std::vector<double> lineLeft, lineWidth, shift;
};

struct DeviceContext
{
  int width = 0, height = 0;
  unsigned int* bits = nullptr;
  DCFont* font = nullptr;
  uint32_t textColor = 0, bkColor = 0xFFFFFF;
  int bkMode = 1;
  DCTextLayout layout;
};

// The FreeType library of the process, made on first use.
FT_Library DC_FreeType();

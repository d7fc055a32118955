// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The small records every part of the editor shares: rectangles, colours,
// images with their frames, blends, mouse modifiers, directions and text
// styles. Plain values, copied freely.
#pragma once

#include <cstring>

class LICE_IBitmap;
class LICE_CachedFont;

// Editor pixels, y downwards; right and bottom exclusive. All zero is empty.
struct IRECT
{
  int left = 0, top = 0, right = 0, bottom = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  // One frame of an image placed at (x, y).
  IRECT(int x, int y, const struct IBitmap& bitmap);

  int W() const { return right - left; }
  int H() const { return bottom - top; }
  int Width() const { return W(); }
  int Height() const { return H(); }
  float MidX() const { return 0.5f * (float) (left + right); }
  float MidY() const { return 0.5f * (float) (top + bottom); }

  // Only the all-zero rectangle is empty.
  bool IsEmpty() const { return !left && !top && !right && !bottom; }
  bool Contains(int x, int y) const { return !IsEmpty() && x >= left && x < right && y >= top && y < bottom; }
  // Rectangles that only touch along the right or bottom edge intersect.
  bool Intersects(const IRECT& o) const
  {
    return !IsEmpty() && !o.IsEmpty() && right >= o.left && left < o.right && bottom >= o.top && top < o.bottom;
  }
  IRECT Intersect(const IRECT& o) const
  {
    if (!Intersects(o)) return IRECT();
    return IRECT(left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
                 bottom < o.bottom ? bottom : o.bottom);
  }
  IRECT Union(const IRECT& o) const
  {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return IRECT(left < o.left ? left : o.left, top < o.top ? top : o.top, right > o.right ? right : o.right,
                 bottom > o.bottom ? bottom : o.bottom);
  }
  bool operator==(const IRECT& o) const
  {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
};

struct IColor
{
  int alpha = 255, red = 0, green = 0, blue = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : alpha(a), red(r), green(g), blue(b) {}
  bool operator==(const IColor& o) const
  {
    return alpha == o.alpha && red == o.red && green == o.green && blue == o.blue;
  }
  bool operator!=(const IColor& o) const { return !(*this == o); }
};

const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);
const IColor COLOR_LIGHT(255, 200, 200, 200);
const IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
const IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
const IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// An image of frameCount equal frames, stacked top to bottom unless
// framesAreHorizontal. The raster bitmap belongs to the image cache.
struct IBitmap
{
  LICE_IBitmap* data = nullptr;
  int width = 0, height = 0, frameCount = 1;
  bool framesAreHorizontal = false;
  // The image's resource id when it was loaded by id (its sets for larger
  // scales are found by it), else -1.
  int id = -1;

  IBitmap() = default;
  IBitmap(LICE_IBitmap* d, int w, int h, int n = 1, bool horizontal = false)
      : data(d), width(w), height(h), frameCount(n), framesAreHorizontal(horizontal)
  {
  }
  int FrameHeight() const { return frameCount > 0 ? height / frameCount : height; }
  int FrameWidth() const { return frameCount > 0 ? width / frameCount : width; }
};

inline IRECT::IRECT(int x, int y, const IBitmap& bitmap) : left(x), top(y), right(x + bitmap.width), bottom(y + bitmap.FrameHeight()) {}

enum EBlendMethod
{
  kBlendNone = 0,   // copy honouring the source alpha
  kBlendOpaque = 1,  // plain copy
  kBlendAdd = 2,
  kBlendColorDodge = 3
};

struct IChannelBlend
{
  EBlendMethod method = kBlendNone;
  float weight = 1.0f;

  IChannelBlend() = default;
  IChannelBlend(EBlendMethod m, float w = 1.0f) : method(m), weight(w) {}
};

struct IMouseMod
{
  bool left = false, right = false, shift = false, control = false, alt = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : left(l), right(r), shift(s), control(c), alt(a)
  {
  }
};

enum EDirection
{
  kVertical = 0,
  kHorizontal = 1
};

// A text style. Copied whole, its cached font pointer included; the font
// belongs to the process-wide font cache.
struct IText
{
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum EQuality { kQualityDefault = 0, kQualityNonAntiAliased = 1, kQualityAntiAliased = 2, kQualityClearType = 3 };
  static const int kFontSize = 32;

  char font[kFontSize];
  int size = 10;
  IColor color = DEFAULT_TEXT_COLOR;
  IColor textEntryBGColor = DEFAULT_TEXT_ENTRY_BGCOLOR;
  IColor textEntryFGColor = DEFAULT_TEXT_ENTRY_FGCOLOR;
  int style = kStyleNormal;
  int align = kAlignCenter;
  int orientation = 0;
  int quality = kQualityDefault;
  LICE_CachedFont* cachedFont = nullptr;

  IText() { SetFont("Monaco"); }
  IText(int sz, const IColor& c, const char* face = nullptr, int st = kStyleNormal, int al = kAlignCenter,
        int orient = 0, int q = kQualityDefault)
      : size(sz), color(c), style(st), align(al), orientation(orient), quality(q)
  {
    SetFont(face ? face : "Monaco");
  }
  // The face name, cut to fit its field.
  void SetFont(const char* face)
  {
    strncpy(font, face ? face : "", kFontSize - 1);
    font[kFontSize - 1] = 0;
  }
};

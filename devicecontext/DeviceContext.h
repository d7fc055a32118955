// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Windows-style device contexts on FreeType and fontconfig: memory contexts
// whose pixels the raster layer owns, fonts, and UTF-8 text drawn or
// measured in a rectangle. Pixels are the raster layer's words (A, R, G, B
// in memory order); colours are given as 0x00RRGGBB.
#pragma once

#include <cstdint>
#include <string>

struct RECT
{
  int left, top, right, bottom;
};

struct DeviceContext;
struct DCFont;

// ---- Memory contexts -----------------------------------------------------

// width x height pixels, zero-filled, 64-byte aligned, tightly packed
// (stride = width * 4 bytes), origin at the first row. Null when the size is
// not positive or memory is short.
DeviceContext* DC_CreateMemoryContext(int width, int height);
unsigned int* DC_GetBits(DeviceContext* ctx);
int DC_GetWidth(const DeviceContext* ctx);
int DC_GetHeight(const DeviceContext* ctx);
void DC_DeleteContext(DeviceContext* ctx);

// ---- Fonts ---------------------------------------------------------------

enum
{
  DC_QUALITY_DEFAULT = 0,
  DC_QUALITY_NONANTIALIASED = 3,
  DC_QUALITY_ANTIALIASED = 4
};

// height > 0 asks for that cell height (ascent + descent), < 0 for that
// character height; escapement and orientation in tenths of degrees,
// counter-clockwise; weight 400 normal, 700 bold. A face such as
// "Tahoma Bold" is the Tahoma family at the requested weight. Faces are
// looked for in the font folder first, then through fontconfig, then a
// default sans face stands in (reported once per face name). Null only
// when no font at all can be found.
DCFont* DC_CreateFont(int height, int width, int escapement, int orientation, int weight, bool italic, bool underline,
                      bool strikeout, int quality, const char* face);
void DC_DeleteFont(DCFont* font);
// The file a font was loaded from.
const char* DC_GetFontFile(const DCFont* font);

// Selects a font into a context; returns the one it replaces (may be null).
DCFont* DC_SelectFont(DeviceContext* ctx, DCFont* font);
// The cell height (ascent + descent) of the selected font; 0 without one.
int DC_GetTextCellHeight(DeviceContext* ctx);

void DC_SetTextColor(DeviceContext* ctx, uint32_t rgb);
void DC_SetBkColor(DeviceContext* ctx, uint32_t rgb);
// 0 transparent, 1 opaque.
void DC_SetBkMode(DeviceContext* ctx, int mode);

// Draw flags.
enum
{
  DT_CALCRECT = 0x1,
  DT_VCENTER = 0x2,
  DT_CENTER = 0x4,
  DT_BOTTOM = 0x10,
  DT_RIGHT = 0x20,
  DT_SINGLELINE = 0x40,
  DT_NOPREFIX = 0x80,
  DT_NOCLIP = 0x100
};

// Draws (or with DT_CALCRECT measures, setting rect's right and bottom)
// len bytes of UTF-8 text (-1: up to the terminator) in rect with the
// selected font. Without DT_NOPREFIX an '&' marks the next character and is
// not drawn ("&&" draws one). Lines break at line feeds unless single line.
// Returns the height of the text. Nothing is drawn outside the measured
// extent placed as the flags say.
int DC_DrawText(DeviceContext* ctx, const char* text, int len, RECT* rect, int flags);

// The advance of one character of the selected font along the baseline, in
// 26.6 pixels (64ths), as DC_DrawText lays it out; 0 without a font.
int64_t DC_GetCharAdvance(DeviceContext* ctx, uint32_t code);

// The Contents/Resources folder of the bundle of the module this code is
// linked into (found through the module's own address, so a plug-in finds
// its bundle whatever program hosts it); empty when unknown. Fonts come
// from its "fonts" folder, images from the folder itself.
std::string DC_ModuleResourcesFolder();

// Where bundled font files are looked for first; by default the
// Contents/Resources/fonts folder of the module this code is linked into.
void DC_SetFontFolder(const char* folder);

// How many glyphs the layer has rasterised (each character once per font),
// and how many DC_DrawText calls it has answered: callers check their own
// caching with these.
long DC_GlyphRasterCount();
long DC_DrawTextCount();
// Fonts created and not yet deleted.
long DC_LiveFontCount();
// Frees the FreeType library once no font is alive (the module's exit calls
// it, so that unloading and loading again leaks nothing); false while fonts
// remain. The library is made again on the next use.
bool DC_ReleaseFreeType();

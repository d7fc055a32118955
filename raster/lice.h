// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The raster layer: 32-bit bitmaps, pixel combine modes, blits, PNG
// decoding and shapes. Plain computation on memory, in integer and 16.16
// fixed point; nothing here allocates per pixel.
//
// Pixel word: alpha in bits 0-7, red 8-15, green 16-23, blue 24-31 (memory
// order A, R, G, B), channels not premultiplied.
#pragma once

#include <cstdint>

typedef uint32_t LICE_pixel;
typedef uint8_t LICE_pixel_chan;

#define LICE_PIXEL_A 0
#define LICE_PIXEL_R 1
#define LICE_PIXEL_G 2
#define LICE_PIXEL_B 3

static inline LICE_pixel LICE_RGBA(unsigned r, unsigned g, unsigned b, unsigned a)
{
  return (LICE_pixel) ((a & 0xFF) | ((r & 0xFF) << 8) | ((g & 0xFF) << 16) | ((b & 0xFF) << 24));
}
static inline unsigned LICE_GETA(LICE_pixel p) { return p & 0xFF; }
static inline unsigned LICE_GETR(LICE_pixel p) { return (p >> 8) & 0xFF; }
static inline unsigned LICE_GETG(LICE_pixel p) { return (p >> 16) & 0xFF; }
static inline unsigned LICE_GETB(LICE_pixel p) { return p >> 24; }

#include "DeviceContext.h"

// Mode word.
#define LICE_BLIT_MODE_MASK 0xFF
#define LICE_BLIT_MODE_COPY 0
#define LICE_BLIT_MODE_ADD 1
#define LICE_BLIT_MODE_DODGE 2
#define LICE_BLIT_MODE_MUL 3
#define LICE_BLIT_MODE_OVERLAY 4
#define LICE_BLIT_MODE_HSVADJ 5
#define LICE_BLIT_MODE_CHANCOPY 0xF0
#define LICE_BLIT_FILTER_MASK 0xFF00
#define LICE_BLIT_FILTER_BILINEAR 0x100
#define LICE_BLIT_USE_ALPHA 0x10000

enum
{
  kBlitCopy = LICE_BLIT_MODE_COPY,
  kBlitAdd = LICE_BLIT_MODE_ADD,
  kBlitDodge = LICE_BLIT_MODE_DODGE,
  kBlitMultiply = LICE_BLIT_MODE_MUL,
  kBlitOverlay = LICE_BLIT_MODE_OVERLAY,
  kBlitHSVAdjust = LICE_BLIT_MODE_HSVADJ,
  kBlitChannelCopy = LICE_BLIT_MODE_CHANCOPY,
  kBlitFilterBilinear = LICE_BLIT_FILTER_BILINEAR,
  kBlitUseSourceAlpha = LICE_BLIT_USE_ALPHA
};

class LICE_IBitmap
{
public:
  virtual ~LICE_IBitmap() {}
  virtual LICE_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  virtual int getRowSpan() = 0;
  virtual bool isFlipped() { return false; }
  virtual bool resize(int w, int h) = 0;
  virtual DeviceContext* getDC() { return nullptr; }
  virtual intptr_t Extended(int, void*) { return 0; }
};

class LICE_MemBitmap : public LICE_IBitmap
{
public:
  LICE_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 4);
  ~LICE_MemBitmap() override;
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  LICE_pixel* getBits() override;
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  // Storage exists only for sizes whose rows fit (resize checks in 64 bits).
  int getRowSpan() override { return m_width > 0 ? (m_width + m_linealign) & ~m_linealign : 0; }
  bool resize(int w, int h) override;

private:
  void* m_fb = nullptr;
  int m_width = 0, m_height = 0;
  int m_allocsize = 0;
  int m_linealign = 0;
};

class LICE_SysBitmap : public LICE_IBitmap
{
public:
  LICE_SysBitmap(int w = 0, int h = 0);
  ~LICE_SysBitmap() override;
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  LICE_pixel* getBits() override { return m_bits; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return m_allocw; }
  bool resize(int w, int h) override;
  DeviceContext* getDC() override { return m_dc; }

private:
  int m_width = 0, m_height = 0;
  DeviceContext* m_dc = nullptr;
  LICE_pixel* m_bits = nullptr;
  int m_allocw = 0, m_alloch = 0;
};

// ---- Blits and fills --------------------------------------------------------

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode);
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode);
void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode);
void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent = 0.0f, float rotycent = 0.0f);
void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha = 1.0f,
                   int mode = 0);
void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask = 0, LICE_pixel orbits = 0);
void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color);
void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src);
LICE_pixel LICE_GetPixel(LICE_IBitmap* bmp, int x, int y);
void LICE_PutPixel(LICE_IBitmap* bmp, int x, int y, LICE_pixel color, float alpha, int mode);
void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_pixel color);

// ---- PNG ---------------------------------------------------------------------

// Decodes into bmp (resized to the image) or, when bmp is null, into a new
// LICE_MemBitmap the caller owns. Returns null on any failure; a given
// bitmap is then left a valid bitmap.
LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp = nullptr);
LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int length, LICE_IBitmap* bmp = nullptr);
LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp = nullptr);
// The size a PNG file's header declares, read without decoding anything;
// false when the file is missing or does not start as a PNG.
bool LICE_GetPNGSize(const char* filename, int* width, int* height);
// Encodes the bitmap as an 8-bit RGBA PNG file; false (and no file) when it
// cannot be written.
bool LICE_WritePNG(const char* filename, LICE_IBitmap* bmp);

// An image loader on the global list, tried by file name.
struct LICE_ImageLoaderRec
{
  LICE_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, LICE_IBitmap* bmpbase);
  const char* (*get_extlist)();
  LICE_ImageLoaderRec* _next;
};
extern LICE_ImageLoaderRec* LICE_ImageLoader_list;

// ---- Shapes -------------------------------------------------------------------

void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha = 1.0f,
               int mode = 0, bool aa = true);
void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha = 1.0f,
                   int mode = 0);
void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel fillcolor, LICE_pixel bordercolor,
                       float alpha = 1.0f, int mode = 0);
void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha = 1.0f, int mode = 0,
                 bool aa = true);
void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha = 1.0f,
                     int mode = 0, bool aa = true);
void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, LICE_pixel color,
              float alpha = 1.0f, int mode = 0, bool aa = true);
void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius, LICE_pixel color,
                    float alpha = 1.0f, int mode = 0, bool aa = true);
void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, LICE_pixel color,
                        float alpha = 1.0f, int mode = 0);
void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints, LICE_pixel color,
                            float alpha = 1.0f, int mode = 0);
void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, LICE_pixel color,
                       float alpha = 1.0f, int mode = 0);
void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color, const LICE_pixel_chan* alphas, int glyph_w,
                    int glyph_h, float alpha = 1.0f, int mode = 0);

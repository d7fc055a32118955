// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What controls draw with: images from the process-wide cache, the drawing
// primitives mapped onto the raster layer, and text through cached fonts.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../IPlug/Log.h"
#include "IGraphics.h"
#include "IGraphicsCaches.h"
#include "lice_text.h"

namespace
{
// alpha | red << 8 | green << 16 | blue << 24: the raster layer's word.
LICE_pixel Pack(const IColor* c)
{
  return LICE_RGBA((unsigned) c->red, (unsigned) c->green, (unsigned) c->blue, (unsigned) c->alpha);
}

int Mode(const IChannelBlend* blend)
{
  if (!blend) return kBlitUseSourceAlpha;
  switch (blend->method)
  {
    case kBlendOpaque: return kBlitCopy;
    case kBlendAdd: return kBlitAdd | kBlitUseSourceAlpha;
    case kBlendColorDodge: return kBlitDodge | kBlitUseSourceAlpha;
    default: return kBlitUseSourceAlpha;
  }
}

float Weight(const IChannelBlend* blend) { return blend ? blend->weight : 1.0f; }
}  // namespace

// ---- Images -------------------------------------------------------------------------

void IGraphics::ReleaseCaches()
{
  s_fontCache.Clear();
  s_bitmapCache.Clear();
}

bool IGraphics::OSImageSize(int id, const char* name, int* width, int* height)
{
  std::unique_ptr<LICE_IBitmap> image(OSLoadBitmap(id, name));
  if (!image) return false;
  *width = image->getWidth();
  *height = image->getHeight();
  return true;
}

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int frameCount, bool framesAreHorizontal)
{
  if (frameCount < 1) frameCount = 1;
  int w = 0, h = 0;
  if (!s_bitmapCache.Info(id, nullptr, &w, &h))
  {
    if (!OSImageSize(id, name, &w, &h)) w = h = 0;
    s_bitmapCache.Describe(id, name, w, h);
    s_bitmapCache.Info(id, nullptr, &w, &h);  // the first registration decides
  }
  if (w > 0 && h > 0)
  {
    IBitmap result(nullptr, w, h, frameCount, framesAreHorizontal);
    result.id = id;
    return result;
  }
  // Missing or unreadable: transparent, one pixel per frame, so the editor
  // opens and the control neither takes room nor draws.
  Trace(TRACE_HERE, "image %d '%s' not found", id, name ? name : "");
  LICE_IBitmap* missing = new LICE_MemBitmap(framesAreHorizontal ? frameCount : 1, framesAreHorizontal ? 1 : frameCount);
  LICE_Clear(missing, 0);
  missing = s_bitmapCache.Keep(id, missing);
  return IBitmap(missing, missing->getWidth(), missing->getHeight(), frameCount, framesAreHorizontal);
}

namespace
{
// The artwork sets drawn for larger scales, beside the 1x image:
// Name@1.5x.png, Name@2x.png, Name@3x.png.
const float kArtworkScales[] = {1.5f, 2.0f, 3.0f};

std::string SetName(const std::string& n, float scale)
{
  const size_t dot = n.find_last_of('.');
  char suffix[16];
  snprintf(suffix, sizeof(suffix), "@%gx", scale);
  return dot == std::string::npos ? n + suffix : n.substr(0, dot) + suffix + n.substr(dot);
}

int MilliScale(float scale) { return (int) std::lround(scale * 1000.0f); }

// A transparent pixel: what an image that cannot be decoded draws.
LICE_IBitmap* NothingToDraw()
{
  auto* image = new LICE_MemBitmap(1, 1);
  LICE_Clear(image, 0);
  return image;
}

LICE_IBitmap* Filtered(LICE_IBitmap* source, int w, int h)
{
  auto* image = new LICE_MemBitmap(w, h);
  LICE_ScaledBlit(image, source, 0, 0, w, h, 0.0f, 0.0f, (float) source->getWidth(),
                  (float) source->getHeight(), 1.0f, kBlitCopy | kBlitFilterBilinear);
  return image;
}
}  // namespace

LICE_IBitmap* IGraphics::HoldImage(int id, int milliScale, const LICE_IBitmap* madeFrom,
                                   const std::function<LICE_IBitmap*()>& make)
{
  for (const HeldImage& h : mHeldImages)
    if (h.id == id && h.milliScale == milliScale && h.madeFrom == madeFrom) return h.bitmap;
  LICE_IBitmap* image = s_bitmapCache.Acquire(id, milliScale, madeFrom, make);
  if (image) mHeldImages.push_back({id, milliScale, madeFrom, image});
  return image;
}

void IGraphics::ReleaseImagesAndFonts()
{
  for (const HeldImage& h : mHeldImages) s_bitmapCache.Release(h.bitmap);
  mHeldImages.clear();
  for (const HeldFont& f : mHeldFonts) s_fontCache.Release(f.font);
  mHeldFonts.clear();
}

LICE_IBitmap* IGraphics::ImageAtDrawScale(const IBitmap* bitmap) { return ImageAtScale(bitmap, mDrawScale); }

LICE_IBitmap* IGraphics::ImageAtScale(const IBitmap* bitmap, float scale)
{
  if (!bitmap) return nullptr;
  const int w = (int) std::lround(bitmap->width * scale), h = (int) std::lround(bitmap->height * scale);
  if (bitmap->data)
  {
    if (scale == 1.0f) return bitmap->data;
    return HoldImage(-1, MilliScale(scale), bitmap->data, [&] { return Filtered(bitmap->data, w, h); });
  }
  if (bitmap->id < 0) return nullptr;
  return HoldImage(bitmap->id, MilliScale(scale), nullptr, [&]() -> LICE_IBitmap* {
    std::string name;
    s_bitmapCache.Info(bitmap->id, &name, nullptr, nullptr);
    if (scale == 1.0f)
    {
      LICE_IBitmap* image = OSLoadBitmap(bitmap->id, name.c_str());
      return image ? image : NothingToDraw();
    }
    // The set drawn for this scale is taken as it is; the nearest larger
    // one is filtered down; only an image without sets is enlarged.
    std::unique_ptr<LICE_IBitmap> set;
    for (float setScale : kArtworkScales)
    {
      if (setScale < scale - 1e-4f) continue;
      set.reset(OSLoadBitmap(bitmap->id, SetName(name, setScale).c_str()));
      // A set of another size than its scale says is not this image's.
      if (set && set->getWidth() == (int) std::lround(bitmap->width * setScale) &&
          set->getHeight() == (int) std::lround(bitmap->height * setScale))
        break;
      set.reset();
    }
    if (set && set->getWidth() == w && set->getHeight() == h) return set.release();
    if (!set) set.reset(OSLoadBitmap(bitmap->id, name.c_str()));
    return set ? Filtered(set.get(), w, h) : NothingToDraw();
  });
}

void IGraphics::RetainBitmap(IBitmap* bitmap)
{
  if (bitmap && bitmap->data) s_bitmapCache.Keep(-1, bitmap->data);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
  if (!bitmap || !bitmap->data) return;
  // Copies of it at other scales go back first; the cache frees them.
  for (size_t i = mHeldImages.size(); i-- > 0;)
    if (mHeldImages[i].madeFrom == bitmap->data)
    {
      s_bitmapCache.Release(mHeldImages[i].bitmap);
      mHeldImages.erase(mHeldImages.begin() + (long) i);
    }
  s_bitmapCache.Forget(bitmap->data);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int w, int h)
{
  LICE_IBitmap* source = ImageAtScale(bitmap, 1.0f);
  auto* scaled = new LICE_MemBitmap(w, h);
  if (source)
    LICE_ScaledBlit(scaled, source, 0, 0, w, h, 0.0f, 0.0f, (float) bitmap->width, (float) bitmap->height, 1.0f,
                    kBlitFilterBilinear);
  IBitmap result(scaled, w, h, bitmap->frameCount, false);
  RetainBitmap(&result);
  return result;
}

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* r)
{
  LICE_IBitmap* source = ImageAtScale(bitmap, 1.0f);
  const int w = r->W(), h = r->H();
  auto* cropped = new LICE_MemBitmap(w, h);
  if (source) LICE_Blit(cropped, source, 0, 0, r->left, r->top, w, h, 1.0f, kBlitCopy);
  IBitmap result(cropped, w, h, bitmap->frameCount, false);
  RetainBitmap(&result);
  return result;
}

uint32_t* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }

// ---- Bitmaps into the off-screen bitmap -----------------------------------------------

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend)
{
  LICE_IBitmap* image = ImageAtDrawScale(bitmap);
  if (!image) return false;
  // At 1x these are the editor's own numbers; scaled, each edge is rounded
  // to the draw bitmap's pixels the same way everywhere.
  const IRECT d = ToDrawPixels(*dest);
  const IRECT r = d.Intersect(ToDrawPixels(mDrawRect));
  srcX = Scaled(srcX) + r.left - d.left;
  srcY = Scaled(srcY) + r.top - d.top;
  if (!r.IsEmpty())
    LICE_Blit(mDrawBitmap.get(), image, r.left, r.top, srcX, srcY, r.W(), r.H(), Weight(blend), Mode(blend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend)
{
  int srcX = 0, srcY = 0;
  if (bitmap->frameCount > 1 && frame > 1)
  {
    const double size = bitmap->framesAreHorizontal ? bitmap->width : bitmap->height;
    const int offset = (int) ((double) (frame - 1) * size / (double) bitmap->frameCount + 0.5);
    (bitmap->framesAreHorizontal ? srcX : srcY) = offset;
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle, int pivotYOffset,
                                  const IChannelBlend* blend)
{
  LICE_IBitmap* image = ImageAtDrawScale(bitmap);
  if (!image) return false;
  const int w = image->getWidth(), h = image->getHeight();
  LICE_RotatedBlit(mDrawBitmap.get(), image, Scaled(centreX) - w / 2, Scaled(centreY) - h / 2, w, h, 0.0f, 0.0f,
                   (float) w, (float) h, (float) angle, false, Weight(blend), Mode(blend) | kBlitFilterBilinear, 0.0f,
                   Scaled((float) pivotYOffset));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDegrees,
                                const IChannelBlend* blend)
{
  LICE_IBitmap *b = ImageAtDrawScale(base), *m = ImageAtDrawScale(mask), *t = ImageAtDrawScale(top);
  if (!b || !m || !t) return false;
  const int W = b->getWidth(), H = b->getHeight();
  const float xOff = W % 2 ? -0.5f : 0.0f;
  const float a = (float) (angleDegrees * M_PI / 180.0);
  if (!mScratchBitmap) mScratchBitmap.reset(new LICE_MemBitmap());
  LICE_Copy(mScratchBitmap.get(), b);
  LICE_ClearRect(mScratchBitmap.get(), 0, 0, W, H, 0xFFFFFF00, 0);
  LICE_RotatedBlit(mScratchBitmap.get(), m, 0, 0, W, H, 0.0f, 0.0f, (float) W, (float) H, a, true, 1.0f,
                   kBlitAdd | kBlitFilterBilinear | kBlitUseSourceAlpha, xOff, 0.0f);
  LICE_RotatedBlit(mScratchBitmap.get(), t, 0, 0, W, H, 0.0f, 0.0f, (float) W, (float) H, a, true, 1.0f,
                   kBlitCopy | kBlitFilterBilinear | kBlitUseSourceAlpha, xOff, 0.0f);
  // The scratch is already at the draw scale.
  const IRECT d = ToDrawPixels(IRECT(x, y, x + base->width, y + base->height));
  const IRECT r = d.Intersect(ToDrawPixels(mDrawRect));
  if (!r.IsEmpty())
    LICE_Blit(mDrawBitmap.get(), mScratchBitmap.get(), r.left, r.top, r.left - d.left, r.top - d.top, r.W(), r.H(),
              Weight(blend), Mode(blend));
  return true;
}

// ---- Shapes ------------------------------------------------------------------------------

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
  if (mDrawScale == 1.0f)
  {
    LICE_PutPixel(mDrawBitmap.get(), (int) (x + 0.5f), (int) (y + 0.5f), Pack(color), Weight(blend), Mode(blend));
    return true;
  }
  // A point is the editor pixel it covers, scaled.
  const int px = (int) (x + 0.5f), py = (int) (y + 0.5f);
  const IRECT r = ToDrawPixels(IRECT(px, py, px + 1, py + 1));
  LICE_FillRect(mDrawBitmap.get(), r.left, r.top, r.W(), r.H(), Pack(color), Weight(blend), Mode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  LICE_SysBitmap* bm = mDrawBitmap.get();
  const IRECT r = ToDrawPixels(IRECT(x, y, x + 1, y + 1));
  for (int py = r.top; py < r.bottom; ++py)
    for (int px = r.left; px < r.right; ++px)
      if (bm && px >= 0 && py >= 0 && px < bm->getWidth() && py < bm->getHeight())
        bm->getBits()[(size_t) py * bm->getRowSpan() + px] = Pack(color);
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend,
                         bool aa)
{
  LICE_Line(mDrawBitmap.get(), Scaled((int) x1), Scaled((int) y1), Scaled((int) x2), Scaled((int) y2), Pack(color),
            Weight(blend), Mode(blend), aa);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool aa)
{
  LICE_Arc(mDrawBitmap.get(), Scaled(cx), Scaled(cy), Scaled(r), minAngle, maxAngle, Pack(color), Weight(blend),
           Mode(blend), aa);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend, bool aa)
{
  LICE_Circle(mDrawBitmap.get(), Scaled(cx), Scaled(cy), Scaled(r), Pack(color), Weight(blend), Mode(blend), aa);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool aa)
{
  const IRECT d = ToDrawPixels(*r);
  LICE_RoundRect(mDrawBitmap.get(), (float) d.left, (float) d.top, (float) d.W(), (float) d.H(), Scaled(cornerRadius),
                 Pack(color), Weight(blend), Mode(blend), aa);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool aa)
{
  const IRECT d = ToDrawPixels(*r);
  const int c = Scaled(cornerRadius), L = d.left, T = d.top, R = d.right, B = d.bottom, W = d.W(), H = d.H();
  LICE_SysBitmap* bm = mDrawBitmap.get();
  const LICE_pixel px = Pack(color);
  const float wt = Weight(blend);
  const int mode = Mode(blend);
  LICE_FillRect(bm, L + c, T, W - 2 * c, H, px, wt, mode);
  LICE_FillRect(bm, L, T + c, c, H - 2 * c, px, wt, mode);
  LICE_FillRect(bm, R - c, T + c, c, H - 2 * c, px, wt, mode);
  LICE_FillCircle(bm, (float) (L + c), (float) (T + c), (float) c, px, wt, mode, aa);
  LICE_FillCircle(bm, (float) (R - c - 1), (float) (B - c - 1), (float) c, px, wt, mode, aa);
  LICE_FillCircle(bm, (float) (R - c - 1), (float) (T + c), (float) c, px, wt, mode, aa);
  LICE_FillCircle(bm, (float) (L + c), (float) (B - c - 1), (float) c, px, wt, mode, aa);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend)
{
  const IRECT d = ToDrawPixels(*r);
  LICE_FillRect(mDrawBitmap.get(), d.left, d.top, d.W(), d.H(), Pack(color), Weight(blend), Mode(blend));
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend, bool aa)
{
  LICE_FillCircle(mDrawBitmap.get(), Scaled((float) cx), Scaled((float) cy), Scaled(r), Pack(color), Weight(blend),
                  Mode(blend), aa);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3, IChannelBlend* blend)
{
  LICE_FillTriangle(mDrawBitmap.get(), Scaled(x1), Scaled(y1), Scaled(x2), Scaled(y2), Scaled(x3), Scaled(y3),
                    Pack(color), Weight(blend), Mode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int n, const IChannelBlend* blend)
{
  if (mDrawScale == 1.0f || n <= 0)
  {
    LICE_FillConvexPolygon(mDrawBitmap.get(), x, y, n, Pack(color), Weight(blend), Mode(blend));
    return true;
  }
  // The scaled corners, on the stack for any polygon a control draws.
  const int kStack = 64;
  int sx[kStack], sy[kStack];
  std::vector<int> heapX, heapY;
  int* px = sx;
  int* py = sy;
  if (n > kStack)
  {
    heapX.resize((size_t) n), heapY.resize((size_t) n);
    px = heapX.data(), py = heapY.data();
  }
  for (int i = 0; i < n; ++i) px[i] = Scaled(x[i]), py[i] = Scaled(y[i]);
  LICE_FillConvexPolygon(mDrawBitmap.get(), px, py, n, Pack(color), Weight(blend), Mode(blend));
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  const LICE_pixel p = LICE_GetPixel(mDrawBitmap.get(), Scaled(x), Scaled(y));
  return IColor((int) LICE_GETA(p), (int) LICE_GETR(p), (int) LICE_GETG(p), (int) LICE_GETB(p));
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int yLo, int yHi)
{
  LICE_Line(mDrawBitmap.get(), Scaled(x), Scaled(yLo), Scaled(x), Scaled(yHi), Pack(color), 1.0f, kBlitCopy, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi)
{
  LICE_Line(mDrawBitmap.get(), Scaled(xLo), Scaled(y), Scaled(xHi), Scaled(y), Pack(color), 1.0f, kBlitCopy, false);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r)
{
  DrawHorizontalLine(color, r->top, r->left, r->right);
  DrawHorizontalLine(color, r->bottom, r->left, r->right);
  DrawVerticalLine(color, r->left, r->top, r->bottom);
  DrawVerticalLine(color, r->right, r->top, r->bottom);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* r, float x)
{
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  return DrawVerticalLine(color, r->left + (int) ((float) r->W() * x), r->top, r->bottom);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* r, float y)
{
  y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  return DrawHorizontalLine(color, r->bottom - (int) ((float) r->H() * y), r->left, r->right);
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* blend, bool aa)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend, aa);
}

// ---- Text -------------------------------------------------------------------------------

WDL_Mutex& IGraphics::CachedFontUse()
{
  static WDL_Mutex mutex;
  return mutex;
}

namespace
{
LICE_CachedFont* MakeFont(const IText& text)
{
  int h = text.size > 2 ? text.size : 2;
  const int quality = text.quality == IText::kQualityDefault         ? DC_QUALITY_DEFAULT
                      : text.quality == IText::kQualityAntiAliased ||
                              text.quality == IText::kQualityClearType ? DC_QUALITY_ANTIALIASED
                                                                       : DC_QUALITY_NONANTIALIASED;
  auto font = std::make_unique<LICE_CachedFont>();
  for (int pass = 0; pass < 2; ++pass)
  {
    DCFont* handle = DC_CreateFont(h, 0, text.orientation * 10, text.orientation * 10,
                                   text.style == IText::kStyleBold ? 700 : 400, text.style == IText::kStyleItalic,
                                   false, false, quality, text.font);
    if (!handle) return nullptr;
    font->SetFromHFont(handle, LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
    // Once only: a face whose cell is not the size asked for is made again
    // at the size that gives it.
    const int lineHeight = font->GetLineHeight();
    if (pass || lineHeight == h || lineHeight <= 0) break;
    h = (int) ((double) h * h / lineHeight + 0.5);
    if (h < 2) h = 2;
  }
  return font.release();
}

bool SameFace(const IText& a, const IText& b)
{
  return a.size == b.size && a.orientation == b.orientation && a.style == b.style && !strcmp(a.font, b.font);
}
}  // namespace

// The style's cached font is noted in it, but looked up again here each
// time: a style outlives the editor's hold on its font.
LICE_CachedFont* IGraphics::CacheFont(IText* text)
{
  LICE_CachedFont* font = nullptr;
  for (const HeldFont& f : mHeldFonts)
    if (SameFace(f.key, *text)) font = f.font;
  if (!font)
  {
    font = s_fontCache.Acquire(*text, [text] { return MakeFont(*text); });
    if (font) mHeldFonts.push_back({*text, font});
  }
  text->cachedFont = font;
  return font;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* r, bool measure)
{
  if (!str || !*str) return true;
  if (mDrawScale == 1.0f) return DrawITextInPixels(text, str, r, measure);
  // The same text at the scaled size in the scaled rectangle; a measure
  // comes back in editor pixels.
  IText scaled = *text;
  scaled.size = (int) std::lround(text->size * mDrawScale);
  scaled.cachedFont = nullptr;
  IRECT d = ToDrawPixels(*r);
  const bool ok = DrawITextInPixels(&scaled, str, &d, measure);
  const float s = mDrawScale;
  if (measure)
    *r = IRECT((int) std::lround(d.left / s), (int) std::lround(d.top / s), (int) std::lround(d.right / s),
               (int) std::lround(d.bottom / s));
  return ok;
}

bool IGraphics::DrawITextInPixels(IText* text, const char* str, IRECT* r, bool measure)
{
  LICE_CachedFont* font = CacheFont(text);
  if (!font) return false;
  WDL_MutexLock lock(&CachedFontUse());
  font->SetTextColor(Pack(&text->color));
  unsigned flags = DT_NOCLIP;
  if (text->color.alpha != 255) flags |= LICE_DT_USEFGALPHA;
  if (text->align == IText::kAlignCenter) flags |= DT_CENTER;
  else if (text->align == IText::kAlignFar) flags |= DT_RIGHT;

  if (!measure)
  {
    RECT box = {r->left, r->top, r->right, r->bottom};
    font->DrawText(mDrawBitmap.get(), str, -1, &box, flags);
    return true;
  }
  RECT box = {0, 0, 0, 0};
  font->DrawText(nullptr, str, -1, &box, flags | DT_CALCRECT);
  const int w = box.right, h = box.bottom;
  if (text->align == IText::kAlignNear)
    r->right = r->left + w;
  else if (text->align == IText::kAlignCenter)
  {
    r->left = (int) r->MidX() - w / 2;
    r->right = r->left + w;
  }
  else
    r->left = r->right - w;
  r->bottom = r->top + h;
  return true;
}

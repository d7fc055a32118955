// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// PNG decoding with libpng into pixel words: every image becomes rows of
// A, R, G, B bytes. Broken input returns null cleanly.
#include <png.h>
#include <unistd.h>

#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "lice.h"

namespace
{
// Images beyond this many pixels are refused before any allocation.
const png_uint_32 kMaxPixels = 1u << 28;
const png_uint_32 kMaxSide = 1u << 20;

struct MemorySource
{
  const unsigned char* data;
  size_t left;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t n)
{
  MemorySource* src = static_cast<MemorySource*>(png_get_io_ptr(png));
  const size_t take = n < src->left ? n : src->left;
  memcpy(out, src->data, take);
  src->data += take;
  src->left -= take;
  // A short source reads as zeros; the library's checks then reject it.
  if (take < n) memset(out + take, 0, n - take);
}

void quietWarning(png_structp, png_const_charp) {}

// Errors end the load through the library's jump; nothing is printed.
[[noreturn]] void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Decodes from an initialised read structure into bmp or a new bitmap.
// Everything that may be skipped by the library's longjmp is volatile or
// lives outside this frame.
LICE_IBitmap* decode(png_structp png, png_infop info, LICE_IBitmap* bmp)
{
  LICE_IBitmap* volatile created = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png)))
  {
    delete[] rows;
    delete created;
    return nullptr;
  }

  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  if (!width || !height || width > kMaxSide || height > kMaxSide || (uint64_t) width * height > kMaxPixels)
    return nullptr;

  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (png_get_valid(png, info, PNG_INFO_tRNS))
  {
    png_set_tRNS_to_alpha(png);
    hasAlpha = true;
  }
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (hasAlpha)
    png_set_swap_alpha(png);  // RGBA to ARGB
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != (png_size_t) width * 4) return nullptr;

  LICE_IBitmap* target = bmp;
  if (!target)
  {
    created = new (std::nothrow) LICE_MemBitmap(0, 0, 4);
    target = created;
    if (!target) return nullptr;
  }
  target->resize((int) width, (int) height);
  if (target->getWidth() != (int) width || target->getHeight() != (int) height || !target->getBits())
  {
    delete created;
    created = nullptr;
    return nullptr;
  }

  rows = new (std::nothrow) png_bytep[height];
  if (!rows)
  {
    delete created;
    created = nullptr;
    return nullptr;
  }
  LICE_pixel* bits = target->getBits();
  const long span = target->getRowSpan();
  for (png_uint_32 y = 0; y < height; ++y)
  {
    const png_uint_32 row = target->isFlipped() ? height - 1 - y : y;
    rows[y] = reinterpret_cast<png_bytep>(bits + row * span);
  }
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  delete[] rows;
  rows = nullptr;
  return target;
}

LICE_IBitmap* load(FILE* fp, const MemorySource* mem, LICE_IBitmap* bmp)
{
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  if (!info)
  {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }
  // No ancillary-chunk or size surprises: cap what the library will hold.
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_set_chunk_malloc_max(png, 8u << 20);

  MemorySource source = mem ? *mem : MemorySource{nullptr, 0};
  if (fp)
    png_init_io(png, fp);
  else
    png_set_read_fn(png, &source, readFromMemory);

  LICE_IBitmap* result = decode(png, info, bmp);
  png_destroy_read_struct(&png, &info, nullptr);
  return result;
}
}  // namespace

bool LICE_GetPNGSize(const char* filename, int* width, int* height)
{
  // The signature, then the first chunk, which must be IHDR: its length,
  // its type, then width and height, big-endian.
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char head[24];
  FILE* f = filename ? fopen(filename, "rb") : nullptr;
  if (!f) return false;
  const bool read = fread(head, 1, sizeof(head), f) == sizeof(head);
  fclose(f);
  if (!read || memcmp(head, kSignature, 8) != 0 || memcmp(head + 12, "IHDR", 4) != 0) return false;
  auto be = [&](int at) {
    return (png_uint_32) head[at] << 24 | (png_uint_32) head[at + 1] << 16 | (png_uint_32) head[at + 2] << 8 | head[at + 3];
  };
  const png_uint_32 w = be(16), h = be(20);
  if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) return false;
  if (width) *width = (int) w;
  if (height) *height = (int) h;
  return true;
}

LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp)
{
  if (!filename) return nullptr;
  FILE* fp = fopen(filename, "rb");
  if (!fp) return nullptr;
  LICE_IBitmap* result = load(fp, nullptr, bmp);
  fclose(fp);
  return result;
}

LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int length, LICE_IBitmap* bmp)
{
  if (!data || length < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8)) return nullptr;
  MemorySource source{static_cast<const unsigned char*>(data), (size_t) length};
  return load(nullptr, &source, bmp);
}

// On Linux a plug-in's resources are in its own bundle, not beside the host
// program: the module's Contents/Resources folder, the same one its fonts
// come from.
LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp)
{
  if (!name || strlen(name) > 400) return nullptr;
  const std::string folder = DC_ModuleResourcesFolder();
  if (folder.empty()) return nullptr;
  return LICE_LoadPNG((folder + "/" + name).c_str(), bmp);
}

// ---- The PNG entry on the image-loader list ---------------------------------

LICE_ImageLoaderRec* LICE_ImageLoader_list = nullptr;

namespace
{
LICE_IBitmap* loaderLoad(const char* filename, bool checkFileName, LICE_IBitmap* bmpbase)
{
  if (!filename) return nullptr;
  if (checkFileName)
  {
    const char* p = filename + strlen(filename);
    while (p > filename && p[-1] != '.' && p[-1] != '/' && p[-1] != '\\') --p;
    if (p == filename || p[-1] != '.') return nullptr;
    const char* ext = p - 1;
    auto lower = [](char c) { return tolower((unsigned char) c); };
    if (strlen(ext) != 4 || lower(ext[1]) != 'p' || lower(ext[2]) != 'n' || lower(ext[3]) != 'g') return nullptr;
  }
  return LICE_LoadPNG(filename, bmpbase);
}

const char* loaderExtensions() { return "PNG files (*.PNG)\0*.PNG\0"; }

struct PNGLoaderRegistration
{
  LICE_ImageLoaderRec rec;
  PNGLoaderRegistration()
  {
    rec.loadfunc = loaderLoad;
    rec.get_extlist = loaderExtensions;
    rec._next = LICE_ImageLoader_list;
    LICE_ImageLoader_list = &rec;
  }
} LICE_PNGLoader;
}  // namespace

// ---- Encoding -----------------------------------------------------------------

namespace
{
// Writes every visible row; false when libpng or the file refuses. The
// library's longjmp skips this frame, so the rows live in the caller.
bool encode(FILE* fp, LICE_IBitmap* bmp, png_bytep* rows)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, fp);
  png_set_IHDR(png, info, (png_uint_32) bmp->getWidth(), (png_uint_32) bmp->getHeight(), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // Pixel words are A, R, G, B in memory; PNG stores R, G, B, A.
  png_set_swap_alpha(png);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}
}  // namespace

bool LICE_WritePNG(const char* filename, LICE_IBitmap* bmp)
{
  if (!filename || !bmp || !bmp->getBits() || bmp->getWidth() <= 0 || bmp->getHeight() <= 0) return false;
  const int h = bmp->getHeight(), span = bmp->getRowSpan();
  png_bytep* rows = new (std::nothrow) png_bytep[(size_t) h];
  if (!rows) return false;
  for (int y = 0; y < h; ++y)
  {
    const int stored = bmp->isFlipped() ? h - 1 - y : y;
    rows[y] = reinterpret_cast<png_bytep>(bmp->getBits() + (size_t) stored * span);
  }
  FILE* fp = fopen(filename, "wb");
  bool ok = fp && encode(fp, bmp, rows);
  if (fp && fclose(fp) != 0) ok = false;
  delete[] rows;
  if (!ok) unlink(filename);
  return ok;
}

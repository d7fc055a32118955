// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Memory bitmaps and system bitmaps.
#include <cstdlib>
#include <new>

#include "../devicecontext/DeviceContext.h"
#include "lice.h"

namespace
{
// The bytes of h rows of span pixels, or -1 when not positive or beyond
// what a size field holds. Checked by division before any product is
// formed: near the int limit the product of the two would itself overflow.
long long BitmapBytes(long long span, int h)
{
  const long long limit = 0x7FFFFFFF - 64;
  if (span <= 0 || h <= 0 || span > limit / 4 / h) return -1;
  return span * 4 * h;
}
}  // namespace

LICE_MemBitmap::LICE_MemBitmap(int w, int h, unsigned int linealign)
{
  // The mask is the lowest set bit of the alignment minus one.
  m_linealign = linealign > 1 ? (int) ((linealign & (~linealign + 1)) - 1) : 0;
  if (w > 0 && h > 0) resize(w, h);
}

LICE_MemBitmap::~LICE_MemBitmap() { free(m_fb); }

LICE_pixel* LICE_MemBitmap::getBits()
{
  if (!m_fb) return nullptr;
  // Every allocation carries 63 spare bytes to round up to 64.
  return reinterpret_cast<LICE_pixel*>(((uintptr_t) m_fb + 63) & ~(uintptr_t) 63);
}

bool LICE_MemBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;

  // The row span rounded up in 64 bits: near the int limit it would wrap.
  const long long span = ((long long) w + m_linealign) & ~(long long) m_linealign;
  const long long need = BitmapBytes(span, h);
  if (need <= 0 || w <= 0)
  {
    // Not positive, or beyond what a size field holds: no storage.
    free(m_fb);
    m_fb = nullptr;
    m_allocsize = 0;
    m_width = m_height = 0;
    return true;
  }
  const int sz = (int) need;
  if (m_fb && m_allocsize >= sz) return true;

  if (m_fb)
  {
    long long grown = (long long) sz + sz / 4;
    if (grown > 0x7FFFFFFF - 64) grown = sz;
    void* p = realloc(m_fb, (size_t) grown + 63);
    if (p)
    {
      m_fb = p;
      m_allocsize = (int) grown;
    }
    else
    {
      free(m_fb);
      m_fb = malloc((size_t) sz + 63);
      m_allocsize = m_fb ? sz : 0;
    }
  }
  else
  {
    m_fb = malloc((size_t) sz + 63);
    m_allocsize = m_fb ? sz : 0;
  }
  if (!m_fb) m_width = m_height = 0;
  return true;
}

LICE_SysBitmap::LICE_SysBitmap(int w, int h) { resize(w, h); }

LICE_SysBitmap::~LICE_SysBitmap() { DC_DeleteContext(m_dc); }

bool LICE_SysBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;
  // The range first, in 64 bits: rounding the width up to four pixels
  // would overflow near the int limit. Sizes whose bytes a size field cannot
  // hold get no storage, as for memory bitmaps.
  const long long allocw = ((long long) w + 3) & ~3LL;
  if (w < 1 || BitmapBytes(allocw, h) < 0)
  {
    DC_DeleteContext(m_dc);
    m_dc = nullptr;
    m_bits = nullptr;
    m_allocw = m_alloch = 0;
    m_width = m_height = 0;
    return false;
  }
  m_width = w;
  m_height = h;
  if (m_allocw >= w && m_alloch >= h && m_bits) return true;

  m_allocw = (int) allocw;
  m_alloch = h;
  DC_DeleteContext(m_dc);
  m_dc = nullptr;
  m_bits = nullptr;
  m_dc = DC_CreateMemoryContext(m_allocw, h);
  m_bits = m_dc ? reinterpret_cast<LICE_pixel*>(DC_GetBits(m_dc)) : nullptr;
  if (!m_bits)
  {
    m_width = m_height = 0;
    m_allocw = m_alloch = 0;
  }
  return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Fuzzes PNG decoding from memory: any bytes must give a bitmap or null,
// never a crash, leak or read outside the input.
#include <cstddef>
#include <cstdint>

#include "lice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1u << 20)) return 0;
  LICE_IBitmap* bm = LICE_LoadPNGFromMemory(data, (int) size);
  if (bm)
  {
    // Touch every pixel so that a short or wrong buffer shows.
    volatile uint32_t sum = 0;
    for (int y = 0; y < bm->getHeight(); ++y)
      for (int x = 0; x < bm->getWidth(); ++x) sum += bm->getBits()[y * bm->getRowSpan() + x];
    (void) sum;
    delete bm;
  }
  // Into an existing bitmap as well.
  LICE_MemBitmap keep(3, 3);
  LICE_LoadPNGFromMemory(data, (int) size, &keep);
  LICE_FillRect(&keep, 0, 0, 10, 10, 0xFFFFFFFF);
  return 0;
}

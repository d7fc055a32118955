// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Fuzzes cached-font text: arbitrary bytes as the text, with draw flags,
// font flags, byte counts and rectangles taken from the input, into memory
// and system bitmaps. Nothing may crash or touch memory it does not own.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "lice_text.h"

namespace
{
DCFont* sharedFont()
{
  static DCFont* font = [] {
    DC_SetFontFolder(WINE_FONT_DIR);
    return DC_CreateFont(13, 0, 0, 0, 700, false, false, false, 4, "Tahoma");
  }();
  return font;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 12 || size > 4096) return 0;
  uint32_t flags;
  memcpy(&flags, data, 4);
  const int fontFlags = (data[4] | data[5] << 8) & 0x5FB;  // never owns the shared handle, never precalculates
  const int count = (int8_t) data[6];                     // negative: the whole string
  const RECT rect = {(int8_t) data[7], (int8_t) data[8], (int8_t) data[7] + data[9], (int8_t) data[8] + data[10]};
  const bool sys = data[11] & 1;
  const std::string text(reinterpret_cast<const char*>(data + 12), size - 12);

  LICE_CachedFont font;
  font.SetFromHFont(sharedFont(), fontFlags);
  font.SetTextColor(LICE_RGBA(255, 255, 255, data[11]));
  font.SetBkMode(data[11] >> 7);
  font.SetCombineMode(data[11] >> 1 & 7, (data[11] & 0x30) / 48.0f);
  LICE_MemBitmap mem(48, 24);
  LICE_SysBitmap sysbm(48, 24);
  LICE_IBitmap* bm = sys ? (LICE_IBitmap*) &sysbm : (LICE_IBitmap*) &mem;
  LICE_Clear(bm, 0);
  // A counted text gets a buffer of exactly its count, unterminated, as
  // callers hand over a slice of a longer string: any read past the count
  // is then a read past the buffer. An uncounted one is terminated.
  const bool counted = count >= 0 && (size_t) count <= text.size();
  std::unique_ptr<char[]> exact(new char[counted ? (size_t) count + !count : text.size() + 1]);
  if (counted) memcpy(exact.get(), text.data(), (size_t) count);
  else memcpy(exact.get(), text.c_str(), text.size() + 1);
  RECT r = rect;
  font.DrawText(bm, exact.get(), count, &r, flags);
  r = rect;
  font.DrawText(nullptr, exact.get(), count, &r, flags | DT_CALCRECT);
  return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "VST3Strings.h"

using Steinberg::Vst::TChar;

void Utf8ToString128(const char* in, Steinberg::Vst::String128 out)
{
  const unsigned char* s = reinterpret_cast<const unsigned char*>(in ? in : "");
  int o = 0;
  while (*s && o < 127)
  {
    unsigned c = *s++;
    int extra = 0;
    if (c >= 0xF0 && c <= 0xF4) { c &= 0x07; extra = 3; }
    else if (c >= 0xE0) { c &= 0x0F; extra = 2; }
    else if (c >= 0xC2 && c <= 0xDF) { c &= 0x1F; extra = 1; }
    else if (c >= 0x80) { out[o++] = 0xFFFD; continue; }
    bool ok = true;
    for (int i = 0; i < extra; ++i)
    {
      if ((*s & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (*s++ & 0x3F);
    }
    if (!ok) { out[o++] = 0xFFFD; continue; }
    if (c >= 0x10000)
    {
      if (o + 2 > 127) break;
      c -= 0x10000;
      out[o++] = (TChar) (0xD800 + (c >> 10));
      out[o++] = (TChar) (0xDC00 + (c & 0x3FF));
    }
    else
    {
      out[o++] = (TChar) c;
    }
  }
  out[o] = 0;
}

void String128ToUtf8(const TChar* in, char* out, int size)
{
  if (!out || size <= 0) return;
  int o = 0;
  for (int i = 0; i < 128 && in[i]; ++i)
  {
    unsigned c = in[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < 128 && in[i + 1] >= 0xDC00 && in[i + 1] < 0xE000)
    {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    }
    char buf[4];
    int n;
    if (c < 0x80) { buf[0] = (char) c; n = 1; }
    else if (c < 0x800) { buf[0] = (char) (0xC0 | (c >> 6)); buf[1] = (char) (0x80 | (c & 0x3F)); n = 2; }
    else if (c < 0x10000)
    {
      buf[0] = (char) (0xE0 | (c >> 12));
      buf[1] = (char) (0x80 | ((c >> 6) & 0x3F));
      buf[2] = (char) (0x80 | (c & 0x3F));
      n = 3;
    }
    else
    {
      buf[0] = (char) (0xF0 | (c >> 18));
      buf[1] = (char) (0x80 | ((c >> 12) & 0x3F));
      buf[2] = (char) (0x80 | ((c >> 6) & 0x3F));
      buf[3] = (char) (0x80 | (c & 0x3F));
      n = 4;
    }
    if (o + n >= size) break;
    for (int k = 0; k < n; ++k) out[o++] = buf[k];
  }
  out[o] = 0;
}

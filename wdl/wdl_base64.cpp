// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "wdl_base64.h"

static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void wdl_base64encode(const unsigned char* src, char* dest, int len)
{
  int o = 0;
  for (int i = 0; i < len; i += 3)
  {
    unsigned v = (unsigned) src[i] << 16;
    if (i + 1 < len) v |= (unsigned) src[i + 1] << 8;
    if (i + 2 < len) v |= src[i + 2];
    dest[o++] = kAlphabet[(v >> 18) & 63];
    dest[o++] = kAlphabet[(v >> 12) & 63];
    dest[o++] = i + 1 < len ? kAlphabet[(v >> 6) & 63] : '=';
    dest[o++] = i + 2 < len ? kAlphabet[v & 63] : '=';
  }
  dest[o] = 0;
}

static int sextet(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int wdl_base64decode(const char* src, unsigned char* dest, int destSize)
{
  unsigned acc = 0;
  int bits = 0, written = 0;
  for (; src && *src; ++src)
  {
    int v = sextet(*src);
    if (v < 0) break;
    acc = (acc << 6) | (unsigned) v;
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      if (written < destSize) dest[written++] = (unsigned char) ((acc >> bits) & 0xFF);
    }
    acc &= (1u << bits) - 1;
  }
  return written;
}

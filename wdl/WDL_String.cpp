// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "WDL_String.h"

#include <cstdio>
#include <cstring>

WDL_String::WDL_String(const char* initial, int maxLen)
{
  if (initial) Set(initial, maxLen);
}

WDL_String::WDL_String(const WDL_String& other) { Set(other.Get()); }

WDL_String& WDL_String::operator=(const WDL_String& other)
{
  if (this != &other) Set(other.Get());
  return *this;
}

const char* WDL_String::Get() const
{
  const char* p = static_cast<const char*>(mBuf.Get());
  return p ? p : "";
}

char* WDL_String::GetMutable()
{
  if (!mBuf.Get())
  {
    char* p = static_cast<char*>(mBuf.Resize(1));
    if (!p) return nullptr;
    p[0] = 0;
  }
  return static_cast<char*>(mBuf.Get());
}

int WDL_String::GetLength() const { return (int) strlen(Get()); }

static int boundedLen(const char* text, int maxLen)
{
  int n = 0;
  while ((maxLen < 0 || n < maxLen) && text[n]) ++n;
  return n;
}

void WDL_String::Set(const char* text, int maxLen)
{
  if (!text) text = "";
  int n = boundedLen(text, maxLen);
  // text may point into our own buffer: move before terminating.
  char* p = static_cast<char*>(mBuf.Resize(n + 1));
  if (!p) return;
  memmove(p, text, (size_t) n);
  p[n] = 0;
}

void WDL_String::Append(const char* text, int maxLen)
{
  if (!text || !*text) return;
  int old = GetLength();
  int n = boundedLen(text, maxLen);
  const char* base = static_cast<const char*>(mBuf.Get());
  long offset = (base && text >= base && text < base + mBuf.GetSize()) ? (long) (text - base) : -1;
  char* p = static_cast<char*>(mBuf.Resize(old + n + 1));
  if (!p) return;
  const char* src = offset >= 0 ? p + offset : text;
  memmove(p + old, src, (size_t) n);
  p[old + n] = 0;
}

void WDL_String::AppendV(int maxLen, const char* fmt, va_list args)
{
  va_list measure;
  va_copy(measure, args);
  int need = vsnprintf(nullptr, 0, fmt, measure);
  va_end(measure);
  if (need < 0) return;
  if (maxLen >= 0 && need > maxLen) need = maxLen;
  int old = GetLength();
  char* p = static_cast<char*>(mBuf.Resize(old + need + 1));
  if (!p) return;
  vsnprintf(p + old, (size_t) need + 1, fmt, args);
}

void WDL_String::SetFormatted(int maxLen, const char* fmt, ...)
{
  Set("");
  va_list args;
  va_start(args, fmt);
  AppendV(maxLen, fmt, args);
  va_end(args);
}

void WDL_String::AppendFormatted(int maxLen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  AppendV(maxLen, fmt, args);
  va_end(args);
}

void WDL_String::SetLen(int len)
{
  if (len < 0) len = 0;
  if (len >= GetLength()) return;
  GetMutable()[len] = 0;
  mBuf.Resize(len + 1);
}

void WDL_String::DeleteSub(int pos, int len)
{
  int n = GetLength();
  if (pos < 0 || pos >= n || len <= 0) return;
  if (pos + len > n) len = n - pos;
  char* p = GetMutable();
  memmove(p + pos, p + pos + len, (size_t) (n - pos - len + 1));
  mBuf.Resize(n - len + 1);
}

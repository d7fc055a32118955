// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A growable, zero-terminated 8-bit string in a heap buffer.
#pragma once

#include <cstdarg>

#include "WDL_HeapBuf.h"

class WDL_String
{
public:
  explicit WDL_String(const char* initial = nullptr, int maxLen = -1);
  WDL_String(const WDL_String& other);
  WDL_String& operator=(const WDL_String& other);

  // Never null: an unset string reads as "".
  const char* Get() const;
  char* GetMutable();
  int GetLength() const;

  // maxLen < 0 takes the whole text; otherwise at most maxLen bytes.
  void Set(const char* text, int maxLen = -1);
  void Append(const char* text, int maxLen = -1);
  void SetFormatted(int maxLen, const char* fmt, ...);
  void AppendFormatted(int maxLen, const char* fmt, ...);
  // Cuts the string to at most len characters.
  void SetLen(int len);
  void DeleteSub(int pos, int len);

private:
  void AppendV(int maxLen, const char* fmt, va_list args);
  WDL_HeapBuf mBuf{128};
};

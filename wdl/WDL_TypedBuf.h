// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A growable array of plain values (no constructors run) on a WDL_HeapBuf.
#pragma once

#include "WDL_HeapBuf.h"

template <class T>
class WDL_TypedBuf
{
public:
  explicit WDL_TypedBuf(int granularityBytes = 4096) : mHeap(granularityBytes) {}

  T* Get() const { return static_cast<T*>(mHeap.Get()); }
  int GetSize() const { return mHeap.GetSize() / (int) sizeof(T); }

  // Returns the storage, or null when it could not be grown.
  T* Resize(int count)
  {
    if (count < 0) count = 0;
    if ((long long) count * (long long) sizeof(T) > 0x7FFFFFFF) return nullptr;
    return static_cast<T*>(mHeap.Resize(count * (int) sizeof(T)));
  }

  T* Add(const T& value)
  {
    int n = GetSize();
    T* p = Resize(n + 1);
    if (!p) return nullptr;
    p[n] = value;
    return p + n;
  }

private:
  WDL_HeapBuf mHeap;
};

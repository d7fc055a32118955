// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A growable block of raw bytes. Capacity grows in multiples of a
// granularity so that repeated small appends rarely reallocate; shrinking
// the logical size keeps the allocation.
#pragma once

#include <cstdlib>
#include <cstring>

class WDL_HeapBuf
{
public:
  explicit WDL_HeapBuf(int granularity = 4096) : mGranularity(granularity > 0 ? granularity : 1) {}
  ~WDL_HeapBuf() { free(mBuf); }

  WDL_HeapBuf(const WDL_HeapBuf& other) : mGranularity(other.mGranularity)
  {
    if (other.mSize && Resize(other.mSize)) memcpy(mBuf, other.mBuf, (size_t) other.mSize);
  }
  WDL_HeapBuf& operator=(const WDL_HeapBuf& other)
  {
    // An empty source has no buffer to copy from: memcpy must not see it.
    if (this != &other && Resize(other.mSize) && other.mSize) memcpy(mBuf, other.mBuf, (size_t) other.mSize);
    return *this;
  }

  void* Get() const { return mSize ? mBuf : nullptr; }
  int GetSize() const { return mSize; }
  int GetAlloc() const { return mAlloc; }

  // Returns the buffer, or null when the memory could not be had (the old
  // contents and size are then kept). A negative size counts as zero.
  void* Resize(int newSize)
  {
    if (newSize < 0) newSize = 0;
    if (newSize > mAlloc)
    {
      long long want = ((long long) newSize + mGranularity - 1) / mGranularity * mGranularity;
      if (want > 0x7FFFFFFF) return nullptr;
      void* p = realloc(mBuf, (size_t) want);
      if (!p) return nullptr;
      mBuf = p;
      mAlloc = (int) want;
    }
    mSize = newSize;
    return mBuf;
  }

  // Grows capacity without changing the logical size.
  bool Reserve(int capacity)
  {
    int old = mSize;
    if (!Resize(capacity)) return false;
    mSize = old;
    return true;
  }

private:
  void* mBuf = nullptr;
  int mSize = 0;
  int mAlloc = 0;
  int mGranularity;
};

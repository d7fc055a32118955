// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// An ordered list of pointers. Removal can optionally delete the element,
// which is how the framework's owning lists (parameters, presets, channels,
// controls) release what they hold.
#pragma once

#include "WDL_TypedBuf.h"

template <class T>
class WDL_PtrList
{
public:
  WDL_PtrList() : mBuf(256) {}
  WDL_PtrList(const WDL_PtrList&) = delete;
  WDL_PtrList& operator=(const WDL_PtrList&) = delete;

  T** GetList() const { return mBuf.Get(); }
  int GetSize() const { return mBuf.GetSize(); }
  T* Get(int idx) const { return (idx >= 0 && idx < GetSize()) ? mBuf.Get()[idx] : nullptr; }
  T* GetLast() const { return Get(GetSize() - 1); }

  int Find(const T* p) const
  {
    for (int i = 0; i < GetSize(); ++i)
      if (mBuf.Get()[i] == p) return i;
    return -1;
  }

  // Appends; returns the element, or null when the list could not grow.
  T* Add(T* p)
  {
    T** slot = mBuf.Add(p);
    return slot ? p : nullptr;
  }

  // Inserts at idx (clamped into 0..size); returns the element or null.
  T* Insert(int idx, T* p)
  {
    int n = GetSize();
    if (idx < 0) idx = 0;
    if (idx > n) idx = n;
    T** list = mBuf.Resize(n + 1);
    if (!list) return nullptr;
    for (int i = n; i > idx; --i) list[i] = list[i - 1];
    list[idx] = p;
    return p;
  }

  void Delete(int idx, bool wantDelete = false)
  {
    int n = GetSize();
    if (idx < 0 || idx >= n) return;
    T** list = mBuf.Get();
    T* p = list[idx];
    for (int i = idx; i < n - 1; ++i) list[i] = list[i + 1];
    mBuf.Resize(n - 1);
    if (wantDelete) delete p;
  }

  void Set(int idx, T* p)
  {
    if (idx >= 0 && idx < GetSize()) mBuf.Get()[idx] = p;
  }

  // Removes every element, from the last to the first.
  void Empty(bool wantDelete = false)
  {
    if (wantDelete)
      for (int i = GetSize() - 1; i >= 0; --i) Delete(i, true);
    mBuf.Resize(0);
  }

private:
  WDL_TypedBuf<T*> mBuf;
};

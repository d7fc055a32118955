// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A recursive mutex: the same thread may lock it again while it holds it.
// The framework relies on this: processing and state loading call the
// plug-in's parameter hook, which locks the plug-in's mutex once more.
#pragma once

#include <mutex>

class WDL_Mutex
{
public:
  WDL_Mutex() = default;
  WDL_Mutex(const WDL_Mutex&) = delete;
  WDL_Mutex& operator=(const WDL_Mutex&) = delete;

  void Enter() { mMutex.lock(); }
  void Leave() { mMutex.unlock(); }
  bool TryEnter() { return mMutex.try_lock(); }

private:
  std::recursive_mutex mMutex;
};

// Holds a WDL_Mutex for the lifetime of the scope; a null mutex is allowed.
class WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex* m) : mMutex(m) { if (mMutex) mMutex->Enter(); }
  ~WDL_MutexLock() { if (mMutex) mMutex->Leave(); }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex* mMutex;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "AllocationCounter.h"

#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>

#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);

namespace
{
thread_local bool tArmed = false;
thread_local long tAllocs = 0, tFrees = 0, tWaits = 0, tHeld = 0;

using LockFn = int (*)(pthread_mutex_t*);
LockFn gRealLock = nullptr, gRealTryLock = nullptr;

// Resolved before main, while one thread runs (or at the first lock, if
// another library's constructor locks first).
__attribute__((constructor)) void ResolveLocks()
{
  gRealLock = reinterpret_cast<LockFn>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
  gRealTryLock = reinterpret_cast<LockFn>(dlsym(RTLD_NEXT, "pthread_mutex_trylock"));
}

inline void noteAlloc()
{
  if (tArmed) ++tAllocs;
}
}  // namespace

bool AllocationCounter::Counting() { return true; }

void AllocationCounter::Arm()
{
  tAllocs = tFrees = tWaits = tHeld = 0;
  tArmed = true;
}

long AllocationCounter::Disarm()
{
  tArmed = false;
  return tAllocs;
}

long AllocationCounter::Frees() { return tFrees; }
long AllocationCounter::LockWaits() { return tWaits; }
long AllocationCounter::LocksFoundHeld() { return tHeld; }

// A lock that is free (or already this thread's, when recursive) is taken
// by the try; only one that another thread holds makes the caller wait.
extern "C" int pthread_mutex_lock(pthread_mutex_t* m)
{
  if (!gRealLock) ResolveLocks();  // a constructor that ran before ours
  if (tArmed)
  {
    const int r = gRealTryLock(m);
    if (r != EBUSY) return r;
    ++tWaits;
  }
  return gRealLock(m);
}

extern "C" int pthread_mutex_trylock(pthread_mutex_t* m)
{
  if (!gRealTryLock) ResolveLocks();
  const int r = gRealTryLock(m);
  if (tArmed && r == EBUSY) ++tHeld;
  return r;
}

extern "C" void* malloc(size_t n)
{
  noteAlloc();
  return __libc_malloc(n);
}

extern "C" void* calloc(size_t n, size_t size)
{
  noteAlloc();
  return __libc_calloc(n, size);
}

extern "C" void* realloc(void* p, size_t n)
{
  noteAlloc();
  return __libc_realloc(p, n);
}

extern "C" void free(void* p)
{
  if (p && tArmed) ++tFrees;
  __libc_free(p);
}

void* operator new(size_t n)
{
  noteAlloc();
  if (void* p = __libc_malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

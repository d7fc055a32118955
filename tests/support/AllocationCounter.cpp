#include "AllocationCounter.h"

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
thread_local long tCount = 0;

inline void note()
{
  if (tArmed) ++tCount;
}
}  // namespace

void AllocationCounter::Arm()
{
  tCount = 0;
  tArmed = true;
}

long AllocationCounter::Disarm()
{
  tArmed = false;
  return tCount;
}

extern "C" void* malloc(size_t n)
{
  note();
  return __libc_malloc(n);
}

extern "C" void* calloc(size_t n, size_t size)
{
  note();
  return __libc_calloc(n, size);
}

extern "C" void* realloc(void* p, size_t n)
{
  note();
  return __libc_realloc(p, n);
}

extern "C" void free(void* p) { __libc_free(p); }

void* operator new(size_t n)
{
  note();
  if (void* p = __libc_malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }

#include "DeviceContext.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

struct DeviceContext
{
  int width, height;
  unsigned int* bits;
};

DeviceContext* DC_CreateMemoryContext(int width, int height)
{
  if (width < 1 || height < 1) return nullptr;
  const uint64_t bytes = (uint64_t) width * (uint64_t) height * 4u;
  if (bytes > (uint64_t) PTRDIFF_MAX / 2) return nullptr;
  void* bits = nullptr;
  if (posix_memalign(&bits, 64, (size_t) bytes) != 0) return nullptr;
  memset(bits, 0, (size_t) bytes);
  DeviceContext* ctx = new (std::nothrow) DeviceContext{width, height, static_cast<unsigned int*>(bits)};
  if (!ctx) free(bits);
  return ctx;
}

unsigned int* DC_GetBits(DeviceContext* ctx) { return ctx ? ctx->bits : nullptr; }
int DC_GetWidth(const DeviceContext* ctx) { return ctx ? ctx->width : 0; }
int DC_GetHeight(const DeviceContext* ctx) { return ctx ? ctx->height : 0; }

void DC_DeleteContext(DeviceContext* ctx)
{
  if (!ctx) return;
  free(ctx->bits);
  delete ctx;
}

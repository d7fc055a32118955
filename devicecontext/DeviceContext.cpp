// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include <cstdlib>
#include <cstring>
#include <new>

#include "DCInternal.h"

DeviceContext* DC_CreateMemoryContext(int width, int height)
{
  if (width < 1 || height < 1) return nullptr;
  const uint64_t bytes = (uint64_t) width * (uint64_t) height * 4u;
  if (bytes > (uint64_t) PTRDIFF_MAX / 2) return nullptr;
  void* bits = nullptr;
  if (posix_memalign(&bits, 64, (size_t) bytes) != 0) return nullptr;
  memset(bits, 0, (size_t) bytes);
  DeviceContext* ctx = new (std::nothrow) DeviceContext;
  if (!ctx)
  {
    free(bits);
    return nullptr;
  }
  ctx->width = width;
  ctx->height = height;
  ctx->bits = static_cast<unsigned int*>(bits);
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

DCFont* DC_SelectFont(DeviceContext* ctx, DCFont* font)
{
  if (!ctx) return nullptr;
  DCFont* previous = ctx->font;
  ctx->font = font;
  return previous;
}

int DC_GetTextCellHeight(DeviceContext* ctx) { return ctx && ctx->font ? ctx->font->cellHeight : 0; }

void DC_SetTextColor(DeviceContext* ctx, uint32_t rgb)
{
  if (ctx) ctx->textColor = rgb & 0xFFFFFF;
}

void DC_SetBkColor(DeviceContext* ctx, uint32_t rgb)
{
  if (ctx) ctx->bkColor = rgb & 0xFFFFFF;
}

void DC_SetBkMode(DeviceContext* ctx, int mode)
{
  if (ctx) ctx->bkMode = mode;
}

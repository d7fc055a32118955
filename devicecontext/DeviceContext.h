// Windows-style device contexts for the raster layer: for now the memory
// context that a system bitmap keeps its pixels in. Text services join it
// with the fonts.
#pragma once

struct DeviceContext;

// A memory context of width x height pixels: the buffer is zero-filled,
// 64-byte aligned and tightly packed (stride = width * 4 bytes), in the
// raster layer's pixel-word layout, with the origin at its first row.
// Returns null when the size is not positive or memory is short.
DeviceContext* DC_CreateMemoryContext(int width, int height);
unsigned int* DC_GetBits(DeviceContext* ctx);
int DC_GetWidth(const DeviceContext* ctx);
int DC_GetHeight(const DeviceContext* ctx);
void DC_DeleteContext(DeviceContext* ctx);

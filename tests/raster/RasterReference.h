// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A plain, per-pixel reference of the raster formulas, written apart from
// the production code: one pixel at a time, one channel at a time, no
// special paths. The tests hold the optimised drivers against it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ref
{
// An image as rows of pixel words (A in the low byte, then R, G, B).
struct Image
{
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  Image() = default;
  Image(int width, int height) : w(width), h(height), px((size_t) width * height) {}
  uint32_t& at(int x, int y) { return px[(size_t) y * w + x]; }
  uint32_t at(int x, int y) const { return px[(size_t) y * w + x]; }
};

// Merges colour (r, g, b, a) at weight w into pixel d by the combine rule of
// mode (low byte 0..5) with or without the source-alpha flag. clobber
// selects the rules of a full-weight copy (w = 256).
uint32_t Combine(uint32_t d, int r, int g, int b, int a, int w, int mode, bool sourceAlpha);

void Blit(Image& dest, const Image& src, int dstx, int dsty, int sl, int st, int sr, int sb, float alpha, int mode);
void ScaledBlit(Image& dest, const Image& src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                float srcw, float srch, float alpha, int mode);
void FillRect(Image& dest, int x, int y, int w, int h, uint32_t color, float alpha, int mode);
}  // namespace ref

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The raster layer next to pixman on the same work and image sizes, in one
// run: one line per operation and size,
//   op=<name> plushgrit_mpix=<M pixels/s> pixman_mpix=<M pixels/s> ratio=<ours/pixman>
// Pixman works on premultiplied pixels; images are converted once, outside
// the timed loops. Megapixels are destination pixels written per second.
#include <pixman.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "lice.h"

namespace
{
// Throughput of one call of work, in megapixels per second.
double rate(const std::function<void()>& work, double pixelsPerCall, double seconds)
{
  using clock = std::chrono::steady_clock;
  long calls = 0;
  const auto start = clock::now();
  double elapsed = 0.0;
  do
  {
    work();
    ++calls;
    elapsed = std::chrono::duration<double>(clock::now() - start).count();
  } while (elapsed < seconds);
  return pixelsPerCall * (double) calls / elapsed / 1e6;
}

// Both sides in alternating rounds, the best round of each, so that a
// moment of load on the machine does not favour either.
void compare(const char* op, int w, int h, const std::function<void()>& ours, const std::function<void()>& theirs,
             double pixels, const char* theirName = "pixman")
{
  ours();
  theirs();
  double best[2] = {0.0, 0.0};
  for (int round = 0; round < 5; ++round)
  {
    best[0] = std::max(best[0], rate(ours, pixels, 0.06));
    best[1] = std::max(best[1], rate(theirs, pixels, 0.06));
  }
  printf("op=%s_%dx%d plushgrit_mpix=%.1f %s_mpix=%.1f ratio=%.2f\n", op, w, h, best[0], theirName, best[1],
         best[0] / best[1]);
  fflush(stdout);
}

// Our pixel word A | R << 8 | G << 16 | B << 24 is pixman's b8g8r8a8.
pixman_image_t* wrap(LICE_IBitmap* bm)
{
  return pixman_image_create_bits(PIXMAN_b8g8r8a8, bm->getWidth(), bm->getHeight(),
                                  reinterpret_cast<uint32_t*>(bm->getBits()), bm->getRowSpan() * 4);
}

void premultiply(LICE_IBitmap* bm)
{
  LICE_pixel* p = bm->getBits();
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
    {
      LICE_pixel& q = p[y * bm->getRowSpan() + x];
      const unsigned a = LICE_GETA(q);
      q = LICE_RGBA(LICE_GETR(q) * a / 255, LICE_GETG(q) * a / 255, LICE_GETB(q) * a / 255, a);
    }
}

void fillRandom(LICE_IBitmap* bm, uint32_t seed)
{
  std::mt19937 rng(seed);
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x) bm->getBits()[y * bm->getRowSpan() + x] = rng();
}

void runSize(int W, int H)
{
  LICE_MemBitmap src(W, H), dst(W, H), srcPre(W, H), half(W / 2, H / 2), halfPre(W / 2, H / 2);
  fillRandom(&src, 1);
  fillRandom(&dst, 2);
  fillRandom(&half, 3);
  LICE_Copy(&srcPre, &src);
  premultiply(&srcPre);
  LICE_Copy(&halfPre, &half);
  premultiply(&halfPre);
  pixman_image_t *pSrc = wrap(&srcPre), *pDst = wrap(&dst), *pHalf = wrap(&halfPre);
  const double pixels = (double) W * H;

  auto composite = [&](pixman_op_t op, pixman_image_t* s) -> std::function<void()> {
    return [=] { pixman_image_composite32(op, s, nullptr, pDst, 0, 0, 0, 0, 0, 0, W, H); };
  };

  compare("copy_blit", W, H, [&] { LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, kBlitCopy); },
          composite(PIXMAN_OP_SRC, pSrc), pixels);
  compare("source_alpha_blit", W, H, [&] { LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, kBlitCopy | kBlitUseSourceAlpha); },
          composite(PIXMAN_OP_OVER, pSrc), pixels);
  compare("add_blit", W, H, [&] { LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, kBlitAdd); },
          composite(PIXMAN_OP_ADD, pSrc), pixels);

  pixman_color_t opaque = {0x4000, 0x8000, 0xC000, 0xFFFF}, halfAlpha = {0x2000, 0x4000, 0x6000, 0x8000};
  pixman_image_t *solid = pixman_image_create_solid_fill(&opaque), *solidHalf = pixman_image_create_solid_fill(&halfAlpha);
  const LICE_pixel color = LICE_RGBA(0x40, 0x80, 0xC0, 0xFF);
  compare("fill_alpha1", W, H, [&] { LICE_FillRect(&dst, 0, 0, W, H, color, 1.0f, kBlitCopy); },
          composite(PIXMAN_OP_SRC, solid), pixels);
  compare("fill_alpha0.5", W, H, [&] { LICE_FillRect(&dst, 0, 0, W, H, color, 0.5f, kBlitCopy); },
          composite(PIXMAN_OP_OVER, solidHalf), pixels);

  // The same rectangle through the polygon path and through FillRect, in a
  // mode that needs the combiner: the shapes pick it once per call too.
  const int xs[4] = {0, W - 1, W - 1, 0}, ys[4] = {0, 0, H - 1, H - 1};
  compare("polygon_rect_add", W, H, [&] { LICE_FillConvexPolygon(&dst, xs, ys, 4, color, 0.7f, kBlitAdd); },
          [&] { LICE_FillRect(&dst, 0, 0, W, H, color, 0.7f, kBlitAdd); }, pixels, "fillrect");

  // Scaled: upscale the half-size image x2, downscale the full one x0.5.
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(pHalf, &t);
  pixman_image_set_filter(pHalf, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  compare("bilinear_upscale_x2", W, H,
          [&] { LICE_ScaledBlit(&dst, &half, 0, 0, W, H, 0, 0, (float) (W / 2), (float) (H / 2), 1.0f, kBlitFilterBilinear); },
          composite(PIXMAN_OP_SRC, pHalf), pixels);

  LICE_MemBitmap small(W / 2, H / 2);
  pixman_image_t* pSmall = wrap(&small);
  pixman_image_t* pSrcScaled = wrap(&srcPre);
  pixman_transform_init_scale(&t, pixman_double_to_fixed(2.0), pixman_double_to_fixed(2.0));
  pixman_image_set_transform(pSrcScaled, &t);
  pixman_image_set_filter(pSrcScaled, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  compare("bilinear_downscale_x0.5", W, H,
          [&] { LICE_ScaledBlit(&small, &src, 0, 0, W / 2, H / 2, 0, 0, (float) W, (float) H, 1.0f, kBlitFilterBilinear); },
          [&] { pixman_image_composite32(PIXMAN_OP_SRC, pSrcScaled, nullptr, pSmall, 0, 0, 0, 0, 0, 0, W / 2, H / 2); },
          (double) (W / 2) * (H / 2));

  // Rotated by 30 degrees about the centre, bilinear.
  const double angle = M_PI / 6;
  pixman_image_t* pRot = wrap(&srcPre);
  pixman_transform_t r;
  pixman_transform_init_translate(&r, pixman_double_to_fixed(W / 2.0), pixman_double_to_fixed(H / 2.0));
  pixman_transform_rotate(&r, nullptr, pixman_double_to_fixed(std::cos(angle)), pixman_double_to_fixed(std::sin(angle)));
  pixman_transform_translate(&r, nullptr, pixman_double_to_fixed(-W / 2.0), pixman_double_to_fixed(-H / 2.0));
  pixman_image_set_transform(pRot, &r);
  pixman_image_set_filter(pRot, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  compare("rotated_bilinear_blit", W, H,
          [&] { LICE_RotatedBlit(&dst, &src, 0, 0, W, H, 0, 0, (float) W, (float) H, (float) angle, false, 1.0f, kBlitFilterBilinear); },
          composite(PIXMAN_OP_SRC, pRot), pixels);

  for (pixman_image_t* img : {pSrc, pDst, pHalf, solid, solidHalf, pSmall, pSrcScaled, pRot}) pixman_image_unref(img);
}
}  // namespace

int main()
{
  runSize(383, 300);
  runSize(1920, 1080);
  return 0;
}

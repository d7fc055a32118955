// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A seeded run of every raster operation into one canvas, summarised by a
// checksum fixed below: an optimisation that changes any pixel of any
// operation changes the sum. When a change to the pixels is intended, the
// new value is printed by the failure.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "RasterTestUtil.h"

namespace
{
const uint64_t kExpectedChecksum = 0x49b49f5f8faf8557ull;

// The visible pixels only: row padding is never written and holds garbage.
uint64_t fnv(LICE_IBitmap* bm, uint64_t h)
{
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
    {
      h ^= bm->getBits()[y * bm->getRowSpan() + x];
      h *= 1099511628211ull;
    }
  return h;
}
}  // namespace

TEST(RasterChecksum, EveryOperationFromASeed)
{
  std::mt19937 rng(20261208);
  LICE_MemBitmap canvas(97, 83), src(41, 37);
  RandomFill(&canvas, rng);
  RandomFill(&src, rng);
  std::uniform_int_distribution<int> pos(-40, 120), size(-10, 90), op(0, 15), mode(0, 5), coin(0, 1);
  std::uniform_real_distribution<float> fpos(-20.0f, 60.0f), fsize(-30.0f, 120.0f), alpha(0.0f, 1.0f), angle(-7, 7);
  const float special[] = {1.0f, 0.5f, 0.25f, 0.75f};
  uint64_t h = 1469598103934665603ull;
  for (int i = 0; i < 3000; ++i)
  {
    const float a = coin(rng) ? special[rng() % 4] : alpha(rng);
    const int m = mode(rng) | (coin(rng) ? kBlitUseSourceAlpha : 0) | (coin(rng) ? kBlitFilterBilinear : 0);
    const LICE_pixel color = rng();
    switch (op(rng))
    {
      case 0: LICE_Blit(&canvas, &src, pos(rng), pos(rng), pos(rng), pos(rng), size(rng), size(rng), a, m); break;
      case 1:
        LICE_ScaledBlit(&canvas, &src, pos(rng), pos(rng), size(rng), size(rng), fpos(rng), fpos(rng), fsize(rng),
                        fsize(rng), a, m);
        break;
      case 2:
        LICE_RotatedBlit(&canvas, &src, pos(rng), pos(rng), size(rng), size(rng), fpos(rng), fpos(rng), fsize(rng),
                         fsize(rng), angle(rng), coin(rng), a, m, fpos(rng) / 10, fpos(rng) / 10);
        break;
      case 3: LICE_FillRect(&canvas, pos(rng), pos(rng), size(rng), size(rng), color, a, m); break;
      case 4: LICE_Line(&canvas, pos(rng), pos(rng), pos(rng), pos(rng), color, a, m, coin(rng)); break;
      case 5: LICE_Circle(&canvas, fpos(rng), fpos(rng), std::fabs(fsize(rng)) / 3, color, a, m, coin(rng)); break;
      case 6: LICE_FillCircle(&canvas, fpos(rng), fpos(rng), std::fabs(fsize(rng)) / 3, color, a, m, coin(rng)); break;
      case 7:
        LICE_Arc(&canvas, fpos(rng), fpos(rng), std::fabs(fsize(rng)) / 3, angle(rng), angle(rng), color, a, m, coin(rng));
        break;
      case 8:
        LICE_RoundRect(&canvas, fpos(rng), fpos(rng), fsize(rng), fsize(rng), (int) (rng() % 12), color, a, m, coin(rng));
        break;
      case 9:
        LICE_FillTriangle(&canvas, pos(rng), pos(rng), pos(rng), pos(rng), pos(rng), pos(rng), color, a, m);
        break;
      case 10:
      {
        int xs[6], ys[6];
        const float cx = fpos(rng), cy = fpos(rng), r = std::fabs(fsize(rng)) / 2;
        for (int k = 0; k < 6; ++k)
        {
          xs[k] = (int) (cx + r * std::cos(k * M_PI / 3));
          ys[k] = (int) (cy + r * std::sin(k * M_PI / 3));
        }
        LICE_FillConvexPolygon(&canvas, xs, ys, 6, color, a, m);
        break;
      }
      case 11: LICE_DrawRect(&canvas, pos(rng), pos(rng), size(rng), size(rng), color, a, m); break;
      case 12: LICE_BorderedRect(&canvas, pos(rng), pos(rng), size(rng), size(rng), color, rng(), a, m); break;
      case 13: LICE_PutPixel(&canvas, pos(rng), pos(rng), color, a, m); break;
      case 14: LICE_ClearRect(&canvas, pos(rng), pos(rng), size(rng), size(rng), rng() | rng(), rng() & rng()); break;
      default:
      {
        LICE_pixel_chan glyph[25];
        for (auto& g : glyph) g = (LICE_pixel_chan) rng();
        LICE_DrawGlyph(&canvas, pos(rng), pos(rng), color, glyph, 5, 5, a, m);
        break;
      }
    }
    if (i % 100 == 99) h = fnv(&canvas, h);
  }
  EXPECT_EQ(h, kExpectedChecksum) << "checksum 0x" << std::hex << h;
}

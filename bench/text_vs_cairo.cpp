// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor's read-out strings in Tahoma Bold 13 px into a 100 x 20 area:
// our native path, our glyph cache and cairo's FreeType backend, in
// microseconds per draw.
#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "lice_text.h"

namespace
{
const char* const kTexts[] = {"-10.00 dB", "50 | 50"};

DCFont* readoutFont()
{
  DC_SetFontFolder(PLUSHGRIT_FONT_DIR);
  return DC_CreateFont(13, 0, 0, 0, 700, false, false, false, 4, "Tahoma");
}

void drawLice(benchmark::State& state, int fontFlags)
{
  LICE_SysBitmap bm(100, 20);
  LICE_CachedFont font;
  font.SetFromHFont(readoutFont(), LICE_FONT_FLAG_OWNS_HFONT | fontFlags);
  font.SetTextColor(LICE_RGBA(0, 0, 0, 255));
  const char* text = kTexts[state.range(0)];
  for (auto _ : state)
  {
    RECT r = {0, 0, 100, 20};
    font.DrawText(&bm, text, -1, &r, DT_CENTER | DT_NOCLIP);
    benchmark::DoNotOptimize(bm.getBits());
  }
}
}  // namespace

static void BM_NativeText(benchmark::State& state) { drawLice(state, LICE_FONT_FLAG_FORCE_NATIVE); }
BENCHMARK(BM_NativeText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_CachedText(benchmark::State& state) { drawLice(state, 0); }
BENCHMARK(BM_CachedText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_CairoText(benchmark::State& state)
{
  FT_Library lib;
  FT_Init_FreeType(&lib);
  FT_Face face;
  FT_New_Face(lib, PLUSHGRIT_FONT_DIR "/tahomabd.ttf", 0, &face);
  cairo_font_face_t* cface = cairo_ft_font_face_create_for_ft_face(face, 0);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 20);
  cairo_t* cr = cairo_create(surface);
  cairo_set_font_face(cr, cface);
  cairo_set_font_size(cr, 13.0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  const char* text = kTexts[state.range(0)];
  for (auto _ : state)
  {
    // Centred as the read-outs are: measure, then draw.
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text, &ext);
    cairo_move_to(cr, (100 - ext.x_advance) / 2, 14);
    cairo_show_text(cr, text);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  cairo_surface_flush(surface);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  cairo_font_face_destroy(cface);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
}
BENCHMARK(BM_CairoText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Writes a small seed corpus of valid PNG files of several colour types,
// depths and interlacing into the folder given.
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{
// The row buffer lives with the caller: a libpng error jumps out of here.
bool writePng(const std::string& path, int w, int h, int colorType, int depth, bool interlace, std::vector<png_byte>& row)
{
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    fprintf(stderr, "could not write %s\n", path.c_str());
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, depth, colorType, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 4);
  if (colorType == PNG_COLOR_TYPE_GRAY)
  {
    png_color_16 key = {};
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  row.assign(png_get_rowbytes(png, info), 0);
  const int passes = png_set_interlace_handling(png);
  for (int y = 0; y < h * passes; ++y)
  {
    for (size_t i = 0; i < row.size(); ++i) row[i] = (png_byte) ((i * 37 + y * 11) & (colorType == PNG_COLOR_TYPE_PALETTE && depth == 8 ? 3 : 0xFF));
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return true;
}
}  // namespace

int main(int argc, char** argv)
{
  if (argc < 2) return 2;
  const std::string dir = argv[1];
  std::vector<png_byte> row;
  bool ok = writePng(dir + "/rgba.png", 5, 4, PNG_COLOR_TYPE_RGBA, 8, false, row);
  ok &= writePng(dir + "/rgb16.png", 3, 3, PNG_COLOR_TYPE_RGB, 16, false, row);
  ok &= writePng(dir + "/palette.png", 6, 2, PNG_COLOR_TYPE_PALETTE, 8, false, row);
  ok &= writePng(dir + "/grey2.png", 9, 3, PNG_COLOR_TYPE_GRAY, 2, false, row);
  ok &= writePng(dir + "/greyalpha.png", 4, 4, PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, row);
  ok &= writePng(dir + "/interlaced.png", 11, 7, PNG_COLOR_TYPE_RGB, 8, true, row);
  return ok ? 0 : 1;
}

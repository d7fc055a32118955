// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// plushgrit-artwork FONTDIR OUTDIR [ICONDIR]: draws the editor's five images
// (and the standalone program's icon, plushgrit-<size>.png, into ICONDIR) with our
// own raster and text layers and writes them as PNG files, each at 1x and in
// sets for larger screens (Name@1.5x.png, Name@2x.png, Name@3x.png), drawn at
// that resolution rather than enlarged:
//   Plushgrit_Background.png   383 x 300, the panel with its labels
//   Knob_In_Frames.png         21 frames, 62 x 54 each, stacked
//   Knob_Out_Frames.png        21 frames, 60 x 52
//   Knob_Mix_Frames.png        21 frames, 56 x 52
//   Knob_Drive_Frames.png      101 frames, 112 x 112
// Everything is computed from fixed numbers, so the same machine always
// draws the same pixels; the committed files are checked against it.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "../IPlug/Licence.h"
#include "lice_text.h"

namespace
{
struct RGB
{
  double r, g, b;
};

RGB Mix(RGB a, RGB b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
unsigned Byte(double v) { return v <= 0.0 ? 0u : v >= 255.0 ? 255u : (unsigned) (v + 0.5); }
LICE_pixel Word(RGB c, double alpha = 1.0) { return LICE_RGBA(Byte(c.r), Byte(c.g), Byte(c.b), Byte(alpha * 255.0)); }
double Clamp01(double v) { return v < 0.0 ? 0.0 : v > 1.0 ? 1.0 : v; }

// The scale being drawn: every helper takes 1x coordinates and sizes and
// draws them this many times larger.
double gScale = 1.0;
double S(double v) { return v * gScale; }
int Si(double v) { return (int) std::lround(v * gScale); }

// The palette: plum panel, warm cream print, amber accents.
const RGB kPlumTop = {62, 36, 70}, kPlumBottom = {27, 16, 33}, kCream = {240, 226, 196}, kAmber = {246, 164, 66};
const RGB kEmber = {222, 84, 62}, kInk = {20, 12, 22}, kWell = {233, 216, 176}, kWellShade = {196, 172, 128};

// A repeatable grain: a hash of the pixel position, -1..1.
double Grain(int x, int y)
{
  unsigned h = (unsigned) x * 374761393u + (unsigned) y * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 32767.5 - 1.0;
}

// Blends colour c at coverage a (0..1) over the pixel, keeping it opaque or
// building up alpha on a transparent image.
void Blend(LICE_IBitmap* bm, int x, int y, RGB c, double a)
{
  if (a <= 0.0 || x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight()) return;
  LICE_pixel& p = bm->getBits()[(size_t) y * bm->getRowSpan() + x];
  const double da = LICE_GETA(p) / 255.0, oa = a + da * (1.0 - a);
  auto ch = [&](double s, unsigned d) { return oa > 0.0 ? (s * a + d * da * (1.0 - a)) / oa : 0.0; };
  p = Word({ch(c.r, LICE_GETR(p)), ch(c.g, LICE_GETG(p)), ch(c.b, LICE_GETB(p))}, oa);
}

// A disc with an antialiased edge, shaded by a function of the position
// relative to the centre (dx, dy in radii).
template <class Shade>
void Disc(LICE_IBitmap* bm, double cx, double cy, double r, Shade shade, double opacity = 1.0)
{
  cx = S(cx), cy = S(cy), r = S(r);
  for (int y = (int) (cy - r - 2); y <= (int) (cy + r + 2); ++y)
    for (int x = (int) (cx - r - 2); x <= (int) (cx + r + 2); ++x)
    {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::sqrt(dx * dx + dy * dy);
      const double cover = Clamp01(r - d + 0.5);
      if (cover > 0.0) Blend(bm, x, y, shade(dx / r, dy / r), cover * opacity);
    }
}

// A ring between radii r0 and r1 from angle a0 to a1 (radians, 0 up,
// clockwise), antialiased on every edge.
void Ring(LICE_IBitmap* bm, double cx, double cy, double r0, double r1, double a0, double a1, RGB c, double opacity)
{
  cx = S(cx), cy = S(cy), r0 = S(r0), r1 = S(r1);
  for (int y = (int) (cy - r1 - 2); y <= (int) (cy + r1 + 2); ++y)
    for (int x = (int) (cx - r1 - 2); x <= (int) (cx + r1 + 2); ++x)
    {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::sqrt(dx * dx + dy * dy);
      const double radial = Clamp01(std::fmin(d - r0 + 0.5, r1 - d + 0.5));
      if (radial <= 0.0) continue;
      const double a = std::atan2(dx, -dy);  // 0 up, clockwise
      const double edge = Clamp01(std::fmin((a - a0) * d + 0.5, (a1 - a) * d + 0.5));
      Blend(bm, x, y, c, radial * edge * opacity);
    }
}

// A thick antialiased line segment with round ends.
void Stroke(LICE_IBitmap* bm, double x0, double y0, double x1, double y1, double width, RGB c, double opacity = 1.0)
{
  x0 = S(x0), y0 = S(y0), x1 = S(x1), y1 = S(y1), width = S(width);
  const double minx = std::fmin(x0, x1) - width, maxx = std::fmax(x0, x1) + width;
  const double miny = std::fmin(y0, y1) - width, maxy = std::fmax(y0, y1) + width;
  const double vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
  for (int y = (int) miny; y <= (int) maxy; ++y)
    for (int x = (int) minx; x <= (int) maxx; ++x)
    {
      const double px = x + 0.5 - x0, py = y + 0.5 - y0;
      const double t = len2 > 0.0 ? Clamp01((px * vx + py * vy) / len2) : 0.0;
      const double ex = px - t * vx, ey = py - t * vy, d = std::sqrt(ex * ex + ey * ey);
      Blend(bm, x, y, c, Clamp01(width / 2 - d + 0.5) * opacity);
    }
}

// A filled rounded rectangle, antialiased, with a vertical shade.
template <class Shade>
void Rounded(LICE_IBitmap* bm, double l, double t, double r, double b, double radius, Shade shade, double opacity = 1.0)
{
  l = S(l), t = S(t), r = S(r), b = S(b), radius = S(radius);
  for (int y = (int) t - 1; y <= (int) b + 1; ++y)
    for (int x = (int) l - 1; x <= (int) r + 1; ++x)
    {
      const double px = x + 0.5, py = y + 0.5;
      const double qx = std::fmax(std::fmax(l + radius - px, px - (r - radius)), 0.0);
      const double qy = std::fmax(std::fmax(t + radius - py, py - (b - radius)), 0.0);
      const double outside = std::sqrt(qx * qx + qy * qy) - radius;
      const double inner = std::fmin(std::fmin(px - l, r - px), std::fmin(py - t, b - py));
      const double cover = Clamp01((qx > 0.0 || qy > 0.0 ? -outside : inner) + 0.5);
      if (cover > 0.0) Blend(bm, x, y, shade((py - t) / (b - t)), cover * opacity);
    }
}

struct Type
{
  LICE_CachedFont font;
  Type(int height, bool bold)
  {
    height = Si(height);
    font.SetFromHFont(DC_CreateFont(height, 0, 0, 0, bold ? 700 : 400, false, false, false, DC_QUALITY_ANTIALIASED,
                                    bold ? "Tahoma Bold" : "Tahoma"),
                      LICE_FONT_FLAG_OWNS_HFONT);
  }
  // In the drawn bitmap's pixels.
  int Width(const char* text, int spacing)
  {
    spacing = Si(spacing);
    int w = 0;
    for (const char* p = text; *p; ++p)
    {
      RECT r = {0, 0, 0, 0};
      font.DrawText(nullptr, p, 1, &r, DT_CALCRECT);
      w += r.right + (p[1] ? spacing : 0);
    }
    return w;
  }
  // Letter-spaced text centred on cx (or starting at x when cx < 0).
  void Draw(LICE_IBitmap* bm, const char* text, int x, int y, RGB c, int spacing = 0, double alpha = 1.0)
  {
    DrawAt(bm, text, Si(x), Si(y), c, Si(spacing), alpha);
  }
  void DrawAt(LICE_IBitmap* bm, const char* text, int x, int y, RGB c, int spacing, double alpha)
  {
    font.SetTextColor(Word(c, alpha));
    for (const char* p = text; *p; ++p)
    {
      RECT r = {x, y, x + 200, y + 100};
      font.DrawText(bm, p, 1, &r, LICE_DT_USEFGALPHA | DT_NOCLIP);
      RECT m = {0, 0, 0, 0};
      font.DrawText(nullptr, p, 1, &m, DT_CALCRECT);
      x += m.right + spacing;
    }
  }
  void Centred(LICE_IBitmap* bm, const char* text, int cx, int y, RGB c, int spacing = 0, double alpha = 1.0)
  {
    DrawAt(bm, text, Si(cx) - Width(text, spacing) / 2, Si(y), c, Si(spacing), alpha);
  }
};

void Screw(LICE_IBitmap* bm, double cx, double cy)
{
  Disc(bm, cx + 0.6, cy + 0.8, 4.2, [](double, double) { return kInk; }, 0.6);
  Disc(bm, cx, cy, 4.0, [](double dx, double dy) { return Mix({150, 132, 140}, {70, 56, 68}, Clamp01((dx + dy) * 0.5 + 0.5)); });
  Stroke(bm, cx - 2.4, cy + 1.2, cx + 2.4, cy - 1.2, 1.1, {40, 28, 40}, 0.9);
}

void ReadoutWell(LICE_IBitmap* bm, int l, int t, int r, int b)
{
  Rounded(bm, l + 1, t + 1, r + 1, b + 1, 5, [](double) { return kInk; }, 0.55);
  Rounded(bm, l, t, r, b, 5, [](double v) { return Mix(kWellShade, kWell, Clamp01(v * 3.0)); });
  Rounded(bm, l + 1, t + b - t - 3, r - 1, b - 1, 3, [](double) { return RGB{255, 247, 228}; }, 0.25);
}

void DrawBackground(LICE_IBitmap* bm)
{
  const int W = bm->getWidth(), H = bm->getHeight();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
    {
      const double v = (double) y / (H - 1), vignette = std::hypot((x - W / 2.0) / W, (y - H * 0.45) / H);
      RGB c = Mix(kPlumTop, kPlumBottom, v);
      const double k = 1.0 - 0.5 * vignette + 0.035 * Grain(x, y);
      bm->getBits()[(size_t) y * bm->getRowSpan() + x] = Word({c.r * k, c.g * k, c.b * k});
    }

  // A lit top edge and a thin rule under the title.
  for (int x = 0; x < W; ++x) Blend(bm, x, 0, kCream, 0.25), Blend(bm, x, H - 1, kInk, 0.6);
  for (int x = Si(16); x < W - Si(16); ++x)
    if (x < Si(128) || x > Si(254))
    {
      for (int y = Si(54); y < Si(55); ++y) Blend(bm, x, y, kAmber, 0.35);
      for (int y = Si(55); y < Si(56); ++y) Blend(bm, x, y, kInk, 0.5);
    }

  Type title(30, true), small(10, true), label(12, true);
  title.Draw(bm, "PLUSHGRIT", 18, 12, kInk, 3, 0.6);  // a soft drop under the title
  title.Draw(bm, "PLUSHGRIT", 17, 10, kCream, 3);
  small.Draw(bm, "STEREO SOFT-CLIP DRIVE", 20, 40, kAmber, 2);

  // The maker's badge, which is also the link area.
  Rounded(bm, 284, 74, 370, 152, 9, [](double v) { return Mix({78, 48, 84}, {44, 26, 50}, v); });
  Ring(bm, 327, 101, 17, 19.5, -M_PI, M_PI, kAmber, 0.9);
  Disc(bm, 327, 101, 12, [](double dx, double dy) { return Mix(kAmber, kEmber, Clamp01(0.5 + 0.5 * (dx + dy))); });
  Type badge(11, true), url(9, false);
  badge.Centred(bm, "QUORVANE", 327, 124, kCream, 2);
  url.Centred(bm, "quorvane.com", 327, 138, kWellShade, 0);

  // Knob seats and their labels.
  struct Seat
  {
    const char* name;
    int cx, cy, r, labelY;
  } seats[] = {{"IN", 55, 227, 27, 184}, {"OUT", 333, 227, 27, 185}, {"MIX", 190, 250, 27, 208}, {"DRIVE", 191, 119, 57, 178}};
  for (const Seat& s : seats)
  {
    Disc(bm, s.cx, s.cy + 2, s.r + 3, [](double, double) { return kInk; }, 0.45);
    Ring(bm, s.cx, s.cy, s.r + 1, s.r + 3, -M_PI, M_PI, {96, 64, 100}, 0.6);
    label.Centred(bm, s.name, s.cx, s.labelY, kCream, 3);
  }
  // Scale ticks around the drive knob, from -135 to +135 degrees.
  for (int i = 0; i <= 10; ++i)
  {
    const double a = (-135.0 + 27.0 * i) * M_PI / 180.0, r0 = 58.0, r1 = i % 5 ? 61.0 : 64.0;
    Stroke(bm, 191 + r0 * std::sin(a), 119 - r0 * std::cos(a), 191 + r1 * std::sin(a), 119 - r1 * std::cos(a), 1.4,
           i % 5 ? kWellShade : kAmber, 0.9);
  }

  ReadoutWell(bm, 14, 255, 96, 273);
  ReadoutWell(bm, 292, 256, 374, 274);
  ReadoutWell(bm, 149, 280, 231, 298);

  // Corners of the 1x panel.
  const int w1 = (int) std::lround(W / gScale), h1 = (int) std::lround(H / gScale);
  Screw(bm, 9, 9);
  Screw(bm, w1 - 10, 9);
  Screw(bm, 9, h1 - 10);
  Screw(bm, w1 - 10, h1 - 10);
}

// One knob position: a soft shadow, a domed body, an amber arc for the
// value and a cream pointer. value 0..1 sweeps -135 to +135 degrees.
void DrawKnob(LICE_IBitmap* bm, int top, int w, int h, double value, bool big)
{
  const double cx = w / 2.0, cy = top + h / 2.0, r = std::fmin(w, h) / 2.0 - (big ? 8.0 : 5.0);
  const double a0 = -135.0 * M_PI / 180.0, a = a0 + value * 270.0 * M_PI / 180.0;
  Ring(bm, cx, cy, r + 2.0, r + (big ? 6.0 : 4.0), a0, -a0, {20, 10, 24}, 0.55);
  if (value > 0.0) Ring(bm, cx, cy, r + 2.0, r + (big ? 6.0 : 4.0), a0, a, Mix(kAmber, kEmber, value), 1.0);
  Disc(bm, cx + 0.8, cy + 1.6, r, [](double, double) { return kInk; }, 0.5);
  Disc(bm, cx, cy, r, [&](double dx, double dy) {
    const double light = Clamp01(0.55 - 0.45 * dy - 0.25 * dx);
    const double rim = Clamp01((std::sqrt(dx * dx + dy * dy) - 0.82) * 6.0);
    return Mix(Mix({58, 40, 62}, {150, 118, 148}, light), {34, 22, 38}, rim * 0.7);
  });
  Disc(bm, cx, cy, r * 0.62, [&](double dx, double dy) { return Mix({120, 92, 120}, {64, 44, 68}, Clamp01(0.5 + 0.5 * (dy + dx * 0.3))); }, 0.85);
  const double p0 = r * 0.18, p1 = r * 0.86;
  Stroke(bm, cx + p0 * std::sin(a), cy - p0 * std::cos(a), cx + p1 * std::sin(a), cy - p1 * std::cos(a),
         big ? 4.0 : 2.6, kCream);
}

// The program's icon at size x size: the drive knob at 0.7 on a rounded
// plum tile, drawn at that size (128 is its 1x).
bool WriteIcon(const std::string& path, int size)
{
  gScale = size / 128.0;
  LICE_MemBitmap icon(size, size);
  LICE_Clear(&icon, 0);
  Rounded(&icon, 2, 2, 126, 126, 22, [](double v) { return Mix(kPlumTop, kPlumBottom, v); });
  DrawKnob(&icon, 0, 128, 128, 0.7, true);
  return LICE_WritePNG(path.c_str(), &icon);
}

bool WriteKnobStrip(const std::string& dir, const std::string& name, int w, int h, int frames, bool big)
{
  LICE_MemBitmap strip(Si(w), Si(h * frames));
  LICE_Clear(&strip, 0);
  for (int f = 0; f < frames; ++f) DrawKnob(&strip, f * h, w, h, (double) f / (frames - 1), big);
  return LICE_WritePNG((dir + "/" + name).c_str(), &strip);
}
}  // namespace

int main(int argc, char** argv)
{
  if (argc == 2 && std::string(argv[1]) == "--version")
  {
    printf("plushgrit-artwork, part of Plushgrit\n%s", PLUSHGRIT_LICENCE_TEXT);
    return 0;
  }
  if (argc != 3 && argc != 4)
  {
    fprintf(stderr, "usage: plushgrit-artwork FONTDIR OUTDIR [ICONDIR]\n");
    return 2;
  }
  DC_SetFontFolder(argv[1]);
  const std::string out = argv[2];
  bool ok = true;
  for (double scale : {1.0, 1.5, 2.0, 3.0})
  {
    gScale = scale;
    char suffix[16] = "";
    if (scale != 1.0) snprintf(suffix, sizeof(suffix), "@%gx", scale);
    const std::string set = std::string(suffix) + ".png";
    LICE_MemBitmap background(Si(383), Si(300));
    DrawBackground(&background);
    ok = ok && LICE_WritePNG((out + "/Plushgrit_Background" + set).c_str(), &background) &&
         WriteKnobStrip(out, "Knob_In_Frames" + set, 62, 54, 21, false) &&
         WriteKnobStrip(out, "Knob_Out_Frames" + set, 60, 52, 21, false) &&
         WriteKnobStrip(out, "Knob_Mix_Frames" + set, 56, 52, 21, false) &&
         WriteKnobStrip(out, "Knob_Drive_Frames" + set, 112, 112, 101, true);
  }
  // The program's icon, for the hicolor theme's sizes.
  for (int size : {48, 128, 256})
    if (argc == 4) ok = ok && WriteIcon(std::string(argv[3]) + "/plushgrit-" + std::to_string(size) + ".png", size);
  if (!ok) fprintf(stderr, "plushgrit-artwork: cannot write the images into %s\n", out.c_str());
  return ok ? 0 : 1;
}

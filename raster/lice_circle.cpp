// Circles, filled circles, arcs and rounded rectangles.
#include <cmath>
#include <vector>

#include "lice_shapes_common.h"

namespace
{
// The smallest outlines are fixed coverage images, aliased and antialiased.
struct SmallCircle
{
  float radius;
  int size;
  const LICE_pixel_chan* aliased;
  const LICE_pixel_chan* smooth;
};

const LICE_pixel_chan kR15[] = {0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x00};
const LICE_pixel_chan kR15aa[] = {0x4F, 0xFF, 0xFF, 0x4F, 0xFF, 0x0F, 0x0F, 0xFF, 0xFF, 0x0F, 0x0F, 0xFF, 0x4F, 0xFF, 0xFF, 0x4F};
const LICE_pixel_chan kR2[] = {0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00,
                               0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR2aa[] = {0x0F, 0xBF, 0xFF, 0xBF, 0x0F, 0xBF, 0xD1, 0x4F, 0xD1, 0xBF, 0xFF, 0x4F, 0x00,
                                 0x4F, 0xFF, 0xBF, 0xD1, 0x4F, 0xD1, 0xBF, 0x0F, 0xBF, 0xFF, 0xBF, 0x0F};
const LICE_pixel_chan kR25[] = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00,
                                0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
                                0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR25aa[] = {0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F, 0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF,
                                  0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF, 0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF,
                                  0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF, 0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F};
const LICE_pixel_chan kR3[] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF,
                               0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
                               0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF,
                               0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR3aa[] = {0x00, 0x8F, 0xFF, 0xFF, 0xFF, 0x8F, 0x00, 0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F, 0xFF,
                                 0x70, 0x00, 0x00, 0x00, 0x70, 0xFF, 0xFF, 0x30, 0x00, 0x00, 0x00, 0x30, 0xFF, 0xFF, 0x70,
                                 0x00, 0x00, 0x00, 0x70, 0xFF, 0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F, 0x00, 0x8F, 0xFF,
                                 0xFF, 0xFF, 0x8F, 0x00};
const LICE_pixel_chan kR35[] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
                                0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00,
                                0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR35aa[] = {0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00, 0x4F, 0xFF, 0xB0, 0x40, 0x40,
                                  0xB0, 0xFF, 0x4F, 0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE, 0xFF, 0x40,
                                  0x00, 0x00, 0x00, 0x00, 0x40, 0xFF, 0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40,
                                  0xFF, 0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE, 0x4F, 0xFF, 0xB0, 0x40,
                                  0x40, 0xB0, 0xFF, 0x4F, 0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00};
const LICE_pixel_chan kR4[] = {
  0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00,
  0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
  0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
const LICE_pixel_chan kR4aa[] = {
  0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00, 0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F, 0xB0, 0xD1, 0x0F,
  0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0, 0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF, 0xFF, 0x30, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x30, 0xFF, 0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF, 0xB0, 0xD1, 0x0F, 0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0,
  0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F, 0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00};

const SmallCircle kSmallCircles[] = {
  {1.5f, 4, kR15, kR15aa}, {2.0f, 5, kR2, kR2aa},   {2.5f, 6, kR25, kR25aa},
  {3.0f, 7, kR3, kR3aa},   {3.5f, 8, kR35, kR35aa}, {4.0f, 9, kR4, kR4aa},
};

// Each pixel of the outline once: the octant point (x, y) with x <= y is
// mirrored into all eight octants, skipping the copies that coincide.
template <class Plot>
void plotOctants(int cx, int cy, int x, int y, Plot&& plot)
{
  const int px[8] = {x, -x, x, -x, y, -y, y, -y}, py[8] = {y, y, -y, -y, x, x, -x, -x};
  for (int k = 0; k < 8; ++k)
  {
    // On an axis or the diagonal some mirror images coincide; each pixel once.
    bool seen = false;
    for (int j = 0; j < k && !seen; ++j) seen = px[j] == px[k] && py[j] == py[k];
    if (!seen) plot(cx + px[k], cy + py[k]);
  }
}

// The midpoint walk of one octant of an aliased circle of radius R: from
// the axis point (0, R), each column x while x is below y, the row moving
// in by one where the decision term says so.
template <class Visit>
void midpointOctant(int R, Visit&& visit)
{
  visit(0, R);
  int y = R, d = -R;
  for (int x = 1; x < y; ++x)
  {
    if (d >= 0)
    {
      d += 2 * (x + 1 - y) + 1;
      --y;
    }
    else
    {
      d += 2 * x + 1;
    }
    visit(x, y);
  }
}

// Row extents of an aliased filled circle, each row once: halfWidth[j] is
// the half-width of rows cy - j and cy + j.
void midpointRows(int R, std::vector<int>& halfWidth)
{
  halfWidth.assign((size_t) R + 1, -1);
  auto note = [&](int x, int y) {
    if (halfWidth[(size_t) y] < x) halfWidth[(size_t) y] = x;
    if (halfWidth[(size_t) x] < y) halfWidth[(size_t) x] = y;
  };
  midpointOctant(R, note);
}

void drawCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa,
                bool filled, const RECT* clip)
{
  if (!dest || r < 0.0f) return;
  LICE_ShapePen pen(dest, color, mode);
  const int w = (int) (alpha * 256.0f);
  if (!pen.usable() || !w) return;

  if (!filled && !clip)
  {
    for (const SmallCircle& s : kSmallCircles)
      if (r == s.radius)
      {
        LICE_DrawGlyph(dest, (int) (cx - r), (int) (cy - r), color, aa ? s.smooth : s.aliased, s.size, s.size, alpha, mode);
        return;
      }
  }

  const int icx = (int) (cx + 0.5f), icy = (int) (cy + 0.5f);
  auto visible = [&](int x, int y) {
    return pen.inside(x, y) && (!clip || (x >= clip->left && x < clip->right && y >= clip->top && y < clip->bottom));
  };
  auto put = [&](int x, int y, int weight) {
    if (visible(x, y)) pen.blend(pen.at(x, y), weight);
  };
  auto rowSpan = [&](int x0, int x1, int y) {
    for (int x = x0; x <= x1; ++x) put(x, y, w);
  };

  if (!aa)
  {
    const int R = (int) (r + 0.5f);
    if (filled)
    {
      std::vector<int> half;
      midpointRows(R, half);
      rowSpan(icx - half[0], icx + half[0], icy);
      for (int j = 1; j <= R; ++j)
      {
        rowSpan(icx - half[(size_t) j], icx + half[(size_t) j], icy - j);
        rowSpan(icx - half[(size_t) j], icx + half[(size_t) j], icy + j);
      }
      return;
    }
    auto plot = [&](int x, int y) { put(x, y, w); };
    midpointOctant(R, [&](int x, int y) { plotOctants(icx, icy, x, y, plot); });
    return;
  }

  // Column samples of the flat octant, mirrored into all eight: at column
  // i the circle's exact height h has its fraction f covering the pixel
  // just outside; the pixel at the integer part is inside by 1 - f.
  const double rr = (double) r * r;
  auto height = [&](int i) { return i ? std::sqrt(rr - (double) i * i) : (double) r; };
  auto edge = [&](bool inner) {
    for (int i = 0;; ++i)
    {
      const double h = height(i);
      if (!(h >= 0.0)) break;
      const int ih = (int) h;
      if (i > ih + 1) break;
      const double f = h - ih;
      if (inner && i <= ih) plotOctants(icx, icy, i, ih, [&](int x, int y) { put(x, y, (int) ((1.0 - f) * w)); });
      if (!inner) plotOctants(icx, icy, i, ih + 1, [&](int x, int y) { put(x, y, (int) (f * w)); });
    }
  };
  if (filled)
  {
    // Inside is |x| <= floor(sqrt(r^2 - y^2)) on every row, at full
    // weight; the outline's outer pixels, never inside, carry the edge.
    for (int j = 0; j <= (int) r; ++j)
    {
      const int ih = (int) height(j);
      rowSpan(icx - ih, icx + ih, icy - j);
      if (j) rowSpan(icx - ih, icx + ih, icy + j);
    }
    edge(false);
    return;
  }
  edge(true);
  edge(false);
}
}  // namespace

void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa)
{
  drawCircle(dest, cx, cy, r, color, alpha, mode, aa, false, nullptr);
}

void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha, int mode, bool aa)
{
  drawCircle(dest, cx, cy, r, color, alpha, mode, aa, true, nullptr);
}

void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, LICE_pixel color,
              float alpha, int mode, bool aa)
{
  if (!dest) return;
  const double twoPi = 2.0 * M_PI;
  if (maxAngle - minAngle >= twoPi)
  {
    LICE_Circle(dest, cx, cy, r, color, alpha, mode, aa);
    return;
  }
  double lo = minAngle, hi = maxAngle;
  if (dest->isFlipped())
  {
    lo = M_PI - maxAngle;
    hi = M_PI - minAngle;
  }
  if (hi >= twoPi)
  {
    const double shift = hi - std::fmod(hi, twoPi);
    hi -= shift;
    lo -= shift;
  }
  if (lo <= -twoPi)
  {
    const double shift = lo - std::fmod(lo, twoPi);
    hi -= shift;
    lo -= shift;
  }
  lo += twoPi;
  hi += twoPi;
  if (hi <= lo) return;

  const int W = dest->getWidth(), H = dest->getHeight();
  const int icx = (int) (cx + 0.5f), icy = (int) (cy + 0.5f);
  // Piece by piece, each ending at the next quarter turn: within a quarter
  // the arc is monotonic, so the box of its end points holds it.
  const double quarter = M_PI / 2.0;
  for (double a = lo; a < hi;)
  {
    double next = (std::floor(a / quarter) + 1.0) * quarter;
    if (next > hi) next = hi;
    const int xa = (int) (cx + r * std::sin(a) + 0.5), ya = (int) (cy - r * std::cos(a) + 0.5);
    const int xb = (int) (cx + r * std::sin(next) + 0.5), yb = (int) (cy - r * std::cos(next) + 0.5);
    RECT box;
    box.left = xa < xb ? xa : xb;
    box.top = ya < yb ? ya : yb;
    if (box.left < 0) box.left = 0;
    if (box.top < 0) box.top = 0;
    const int mx = xa > xb ? xa : xb, my = ya > yb ? ya : yb;
    box.right = mx + 1 + (mx != icx ? 1 : 0);
    box.bottom = my + 1 + (my != icy ? 1 : 0);
    if (box.right > W) box.right = W;
    if (box.bottom > H) box.bottom = H;
    if (box.left < box.right && box.top < box.bottom) drawCircle(dest, cx, cy, r, color, alpha, mode, aa, false, &box);
    a = next;
  }
}

void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius, LICE_pixel color,
                    float alpha, int mode, bool aa)
{
  if (cornerradius > 0)
  {
    float r = (float) cornerradius;
    if (r > w * 0.5f) r = w * 0.5f;
    if (r > h * 0.5f) r = h * 0.5f;
    r = std::floor(r);
    if (r >= 2.0f)
    {
      const int ix = (int) x, iy = (int) y, iw = (int) w, ih = (int) h, ir = (int) r;
      LICE_Line(dest, ix + ir, iy, ix + iw - ir, iy, color, alpha, mode, aa);
      LICE_Line(dest, ix + ir - 1, iy + ih, ix + iw - ir, iy + ih, color, alpha, mode, aa);
      LICE_Line(dest, ix + iw, iy + ir, ix + iw, iy + ih - ir, color, alpha, mode, aa);
      LICE_Line(dest, ix, iy + ir - 1, ix, iy + ih - ir, color, alpha, mode, aa);
      LICE_Arc(dest, x + r, y + r, r, (float) (-M_PI / 2), 0.0f, color, alpha, mode, aa);
      LICE_Arc(dest, x + w - r, y + r, r, 0.0f, (float) (M_PI / 2), color, alpha, mode, aa);
      LICE_Arc(dest, x + w - r, y + h - r, r, (float) (M_PI / 2), (float) M_PI, color, alpha, mode, aa);
      LICE_Arc(dest, x + r, y + h - r, r, (float) M_PI, (float) (3 * M_PI / 2), color, alpha, mode, aa);
      return;
    }
  }
  LICE_DrawRect(dest, (int) x, (int) y, (int) w, (int) h, color, alpha, mode);
}

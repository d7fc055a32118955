// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Fonts: finding a face file (bundled folder, fontconfig, default sans),
// sizing it the way cell heights are asked for, and rasterising glyphs once.
#include <dirent.h>
#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <mutex>
#include <set>
#include <sstream>

#include "../IPlug/Log.h"
#include "DCInternal.h"

namespace
{
// Guards the folder, the face list, the reports and every call that opens
// or closes a face on the process's one FreeType library (FreeType wants
// those serialised per library). Two editors may create fonts at once.
std::mutex gMutex;
std::string gFolder;
bool gFolderSet = false;
std::atomic<long> gGlyphCount{0};
std::atomic<long> gLiveFonts{0};

// Glyphs whose ink box exceeds this many pixels keep their metrics but are
// not rasterised: a 30000-pixel font would otherwise take a gigabyte and
// seconds for a glyph that lands almost wholly off any bitmap.
const int64_t kMaxGlyphPixels = 4096 * 4096;

struct FaceFile
{
  std::string path, family;
  bool bold, italic;
};
std::vector<FaceFile> gFolderFaces;
bool gFolderScanned = false;

std::string lower(std::string s)
{
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return (char) std::tolower(c); });
  return s;
}

std::string defaultFolder()
{
  const std::string resources = DC_ModuleResourcesFolder();
  return resources.empty() ? "" : resources + "/fonts";
}

// Every face file in the folder, with its family and style.
void scanFolder()
{
  if (gFolderScanned) return;
  gFolderScanned = true;
  gFolderFaces.clear();
  if (!gFolderSet) gFolder = defaultFolder();
  DIR* dir = opendir(gFolder.c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir))
  {
    std::string name = e->d_name, ext = name.size() > 4 ? lower(name.substr(name.size() - 4)) : "";
    if (ext != ".ttf" && ext != ".otf") continue;
    std::string path = gFolder + "/" + name;
    FT_Face face = nullptr;
    if (FT_New_Face(DC_FreeType(), path.c_str(), 0, &face) || !face->family_name) continue;
    gFolderFaces.push_back({path, lower(face->family_name), (face->style_flags & FT_STYLE_FLAG_BOLD) != 0,
                            (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0});
    FT_Done_Face(face);
  }
  closedir(dir);
  std::sort(gFolderFaces.begin(), gFolderFaces.end(), [](const FaceFile& a, const FaceFile& b) { return a.path < b.path; });
}

// "Tahoma Bold" asks for the Tahoma family, bold.
void parseFace(const char* face, std::string& family, bool& bold, bool& italic)
{
  std::istringstream words(face ? face : "");
  std::vector<std::string> parts;
  for (std::string w; words >> w;) parts.push_back(w);
  while (!parts.empty())
  {
    std::string last = lower(parts.back());
    if (last == "bold") bold = true;
    else if (last == "italic" || last == "oblique") italic = true;
    else if (last != "regular") break;
    parts.pop_back();
  }
  family.clear();
  for (size_t i = 0; i < parts.size(); ++i) family += (i ? " " : "") + parts[i];
}

std::string fromFolder(const std::string& family, bool bold, bool italic)
{
  scanFolder();
  const FaceFile* best = nullptr;
  int bestScore = -1;
  for (const FaceFile& f : gFolderFaces)
  {
    if (f.family != lower(family)) continue;
    int score = (f.bold == bold ? 2 : 0) + (f.italic == italic ? 1 : 0);
    if (score > bestScore) best = &f, bestScore = score;
  }
  return best ? best->path : "";
}

// fontconfig's best match; with exactFamily, only a face of that family.
std::string fromFontconfig(const std::string& family, bool bold, bool italic, bool exactFamily)
{
  if (!FcInit()) return "";
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*) family.c_str());
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string path;
  if (match)
  {
    bool familyMatches = !exactFamily;
    FcChar8* name = nullptr;
    for (int i = 0; !familyMatches && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
      familyMatches = lower((const char*) name) == lower(family);
    FcChar8* file = nullptr;
    if (familyMatches && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) path = (const char*) file;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

std::string resolveFace(const char* face, bool bold, bool italic, bool& isBold, bool& isItalic)
{
  std::string family;
  parseFace(face, family, bold, italic);
  std::lock_guard<std::mutex> lock(gMutex);
  std::string path = family.empty() ? "" : fromFolder(family, bold, italic);
  if (path.empty() && !family.empty()) path = fromFontconfig(family, bold, italic, true);
  if (path.empty())
  {
    // Text is never silently missing: a stand-in face, reported once.
    static std::set<std::string> reported;
    if (reported.insert(lower(face ? face : "")).second)
      Trace(TRACE_HERE, "font '%s' not found, using a default sans face", face ? face : "");
    path = fromFontconfig("sans-serif", bold, italic, false);
    scanFolder();
    if (path.empty() && !gFolderFaces.empty()) path = gFolderFaces.front().path;
  }
  isBold = bold;
  isItalic = italic;
  return path;
}

int roundDiv(int64_t num, int64_t den) { return (int) ((num + (num >= 0 ? den / 2 : -den / 2)) / den); }
}  // namespace

namespace
{
std::mutex gLibraryMutex;
FT_Library gLibrary = nullptr;
}  // namespace

FT_Library DC_FreeType()
{
  std::lock_guard<std::mutex> lock(gLibraryMutex);
  if (!gLibrary) FT_Init_FreeType(&gLibrary);
  return gLibrary;
}

bool DC_ReleaseFreeType()
{
  std::lock_guard<std::mutex> lock(gMutex);
  if (gLiveFonts.load() != 0) return false;
  std::lock_guard<std::mutex> libraryLock(gLibraryMutex);
  if (gLibrary) FT_Done_FreeType(gLibrary);
  gLibrary = nullptr;
  gFolderScanned = false;
  return true;
}
void DC_SetFontFolder(const char* folder)
{
  std::lock_guard<std::mutex> lock(gMutex);
  gFolder = folder ? folder : "";
  gFolderSet = folder != nullptr;
  gFolderScanned = false;
}

long DC_GlyphRasterCount() { return gGlyphCount; }
long DC_LiveFontCount() { return gLiveFonts; }

DCFont* DC_CreateFont(int height, int width, int escapement, int, int weight, bool italic, bool underline,
                      bool strikeout, int quality, const char* face)
{
  bool wantBold = weight >= 600, bold = false, slanted = false;
  const std::string path = resolveFace(face, wantBold, italic, bold, slanted);
  if (path.empty() || !DC_FreeType()) return nullptr;

  DCFont* font = new DCFont;
  int failed;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    failed = FT_New_Face(DC_FreeType(), path.c_str(), 0, &font->face);
  }
  if (failed)
  {
    delete font;
    return nullptr;
  }
  FT_Face f = font->face;
  font->file = path;

  // The cell of Windows fonts is winAscent + winDescent; other faces use
  // their ascender and descender.
  const TT_OS2* os2 = (const TT_OS2*) FT_Get_Sfnt_Table(f, FT_SFNT_OS2);
  int asc = f->ascender, desc = -f->descender;
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
  {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  }
  if (asc + desc <= 0) asc = f->units_per_EM, desc = 0;
  if (height == 0) height = 12;
  // Em size in 26.6 pixels for the cell (positive) or character (negative) height.
  const int64_t em26 = height > 0 ? (int64_t) height * 64 * f->units_per_EM / (asc + desc) : (int64_t) -height * 64;
  int64_t emX26 = em26;
  if (width > 0 && os2 && os2->xAvgCharWidth > 0) emX26 = (int64_t) width * 64 * f->units_per_EM / os2->xAvgCharWidth;
  FT_Set_Char_Size(f, (FT_F26Dot6) std::max<int64_t>(emX26, 64), (FT_F26Dot6) std::max<int64_t>(em26, 64), 72, 72);

  font->ascent = roundDiv((int64_t) asc * em26, (int64_t) f->units_per_EM * 64);
  font->descent = roundDiv((int64_t) desc * em26, (int64_t) f->units_per_EM * 64);
  font->cellHeight = std::max(1, font->ascent + font->descent);
  font->underlinePos = std::max(1, roundDiv((int64_t) -f->underline_position * em26, (int64_t) f->units_per_EM * 64));
  font->underlineThickness = std::max(1, roundDiv((int64_t) f->underline_thickness * em26, (int64_t) f->units_per_EM * 64));
  font->underline = underline;
  font->strikeout = strikeout;
  font->mono = quality == DC_QUALITY_NONANTIALIASED;
  font->emboldened = bold && !(f->style_flags & FT_STYLE_FLAG_BOLD);
  font->angle = escapement / 10.0 * M_PI / 180.0;

  // Rotation by the escapement, and a slant where the face has none.
  const double c = std::cos(font->angle), s = std::sin(font->angle);
  const double shear = slanted && !(f->style_flags & FT_STYLE_FLAG_ITALIC) ? 0.2 : 0.0;
  FT_Matrix m;
  m.xx = (FT_Fixed) (c * 65536.0);
  m.xy = (FT_Fixed) ((c * shear - s) * 65536.0);
  m.yx = (FT_Fixed) (s * 65536.0);
  m.yy = (FT_Fixed) ((s * shear + c) * 65536.0);
  FT_Set_Transform(f, &m, nullptr);
  ++gLiveFonts;
  return font;
}

void DC_DeleteFont(DCFont* font)
{
  if (!font) return;
  if (font->face)
  {
    std::lock_guard<std::mutex> lock(gMutex);
    FT_Done_Face(font->face);
  }
  delete font;
  --gLiveFonts;
}

const char* DC_GetFontFile(const DCFont* font) { return font ? font->file.c_str() : ""; }

const DCGlyph& DCFont::Glyph(uint32_t code)
{
  auto found = glyphs.find(code);
  if (found != glyphs.end()) return found->second;
  DCGlyph& g = glyphs[code];
  ++gGlyphCount;
  const FT_Int32 target = mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
  if (FT_Load_Char(face, code, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | target) != 0) return g;
  FT_GlyphSlot slot = face->glyph;
  FT_Pos extra = 0;
  if (emboldened && slot->format == FT_GLYPH_FORMAT_OUTLINE)
  {
    extra = FT_MulFix(face->size->metrics.y_ppem * 64, 0x0800);  // 1/32 em
    FT_Outline_Embolden(&slot->outline, extra);
  }
  // Along the baseline: the hinted advance when upright; when turned, the
  // untransformed linear advance (16.16 to 26.6).
  g.advance = (angle == 0.0 ? slot->advance.x : (slot->linearHoriAdvance >> 10)) + extra;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE)
  {
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    const int64_t w = (box.xMax - box.xMin) / 64 + 2, h = (box.yMax - box.yMin) / 64 + 2;
    if (w * h > kMaxGlyphPixels)
    {
      // Metrics only: the layout stays right, the ink is not drawn.
      g.left = (int) (box.xMin >> 6);
      g.top = (int) ((box.yMax + 63) >> 6);
      g.width = (int) std::min<int64_t>(w, INT32_MAX);
      g.height = (int) std::min<int64_t>(h, INT32_MAX);
      return g;
    }
  }
  if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return g;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  const FT_Bitmap& b = slot->bitmap;
  g.width = (int) b.width;
  g.height = (int) b.rows;
  g.coverage.assign((size_t) g.width * g.height, 0);
  for (int y = 0; y < g.height; ++y)
  {
    const uint8_t* row = b.buffer + (ptrdiff_t) y * b.pitch;
    for (int x = 0; x < g.width; ++x)
      g.coverage[(size_t) y * g.width + x] =
          b.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
  }
  return g;
}

int64_t DC_GetCharAdvance(DeviceContext* ctx, uint32_t code)
{
  return ctx && ctx->font ? ctx->font->Glyph(code).advance : 0;
}

std::string DC_ModuleResourcesFolder()
{
  Dl_info info;
  if (!dladdr(reinterpret_cast<void*>(&DC_ModuleResourcesFolder), &info) || !info.dli_fname) return "";
  std::string path = info.dli_fname;
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash) + "/../Resources";
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "EditorImages.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "lice.h"

namespace
{
// Said once per file for the life of the module: every instance would
// otherwise repeat it.
void ReportOnce(const std::string& path, const std::string& what)
{
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard<std::mutex> lock(mutex);
  if (reported.insert(path).second) fprintf(stderr, "editor image %s %s\n", path.c_str(), what.c_str());
}
}  // namespace

namespace
{
// The file an image name stands for, or "" when the name is not a PNG's.
std::string PathOf(const std::string& folder, const char* name)
{
  if (!name || !*name || folder.empty()) return "";
  const char* dot = strrchr(name, '.');
  if (!dot || strcasecmp(dot + 1, "png") != 0) return "";
  const char* slash = strrchr(name, '/');
  return folder + "/" + (slash ? slash + 1 : name);
}

bool CheckedSize(const std::string& path, int* width, int* height)
{
  int w = 0, h = 0;
  if (!LICE_GetPNGSize(path.c_str(), &w, &h))
  {
    ReportOnce(path, "is missing or not a PNG file: the editor shows it empty");
    return false;
  }
  if (w > kMaxEditorImageSide || h > kMaxEditorImageSide || (long long) w * h > kMaxEditorImagePixels)
  {
    char what[160];
    snprintf(what, sizeof(what), "is refused: %d x %d pixels is more than an editor image may have (%d a side, %lld in all)",
             w, h, kMaxEditorImageSide, kMaxEditorImagePixels);
    ReportOnce(path, what);
    return false;
  }
  *width = w;
  *height = h;
  return true;
}
}  // namespace

bool EditorImageSize(const std::string& folder, const char* name, int* width, int* height)
{
  const std::string path = PathOf(folder, name);
  return !path.empty() && CheckedSize(path, width, height);
}

LICE_IBitmap* LoadEditorImage(const std::string& folder, const char* name)
{
  const std::string path = PathOf(folder, name);
  int w = 0, h = 0;
  if (path.empty() || !CheckedSize(path, &w, &h)) return nullptr;
  LICE_IBitmap* image = LICE_LoadPNG(path.c_str());
  if (!image) ReportOnce(path, "cannot be decoded: the editor shows it empty");
  return image;
}

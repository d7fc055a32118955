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

LICE_IBitmap* LoadEditorImage(const std::string& folder, const char* name)
{
  if (!name || !*name || folder.empty()) return nullptr;
  const char* dot = strrchr(name, '.');
  if (!dot || strcasecmp(dot + 1, "png") != 0) return nullptr;
  const char* slash = strrchr(name, '/');
  const std::string path = folder + "/" + (slash ? slash + 1 : name);
  int w = 0, h = 0;
  if (!LICE_GetPNGSize(path.c_str(), &w, &h))
  {
    ReportOnce(path, "is missing or not a PNG file: the editor shows it empty");
    return nullptr;
  }
  if (w > kMaxEditorImageSide || h > kMaxEditorImageSide || (long long) w * h > kMaxEditorImagePixels)
  {
    char what[160];
    snprintf(what, sizeof(what), "is refused: %d x %d pixels is more than an editor image may have (%d a side, %lld in all)",
             w, h, kMaxEditorImageSide, kMaxEditorImagePixels);
    ReportOnce(path, what);
    return nullptr;
  }
  LICE_IBitmap* image = LICE_LoadPNG(path.c_str());
  if (!image) ReportOnce(path, "cannot be decoded: the editor shows it empty");
  return image;
}

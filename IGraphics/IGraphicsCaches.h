// The process-wide image and font caches, shared by every editor of the
// module and kept until it is unloaded. Each has a recursive lock held only
// while its list is searched or changed; loading happens outside it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "../wdl/WDL_Mutex.h"
#include "IGraphicsStructs.h"

class LICE_IBitmap;
class LICE_CachedFont;

struct BitmapStorage
{
  // An image by resource id at a scale (per mille; 1000 is the 1x image).
  // Images at other scales made from an image without an id are kept by the
  // 1x image they were made from.
  struct BitmapEntry
  {
    int id;
    LICE_IBitmap* bitmap;  // owned
    int milliScale;
    const LICE_IBitmap* madeFrom;
  };
  WDL_Mutex mMutex;
  std::vector<BitmapEntry> mEntries;
  std::vector<std::pair<int, std::string>> mNames;  // the file of each id

  ~BitmapStorage() { Clear(); }
  void Clear();
  // The first entry's bitmap with this id (and scale), or null.
  LICE_IBitmap* Find(int id, int milliScale = 1000, const LICE_IBitmap* madeFrom = nullptr);
  void Add(int id, LICE_IBitmap* bitmap, int milliScale = 1000, const LICE_IBitmap* madeFrom = nullptr);
  void Name(int id, const char* name);
  std::string NameOf(int id);
  // Removes the first entry holding bitmap and deletes it.
  void Remove(LICE_IBitmap* bitmap);
};

struct FontStorage
{
  struct FontEntry
  {
    int size, orientation, style;
    char face[IText::kFontSize];
    LICE_CachedFont* font;  // owned
  };
  WDL_Mutex mMutex;
  std::vector<FontEntry> mEntries;

  ~FontStorage() { Clear(); }
  void Clear();
  LICE_CachedFont* Find(const IText& text);
  void Add(const IText& text, LICE_CachedFont* font);
};

extern BitmapStorage s_bitmapCache;
extern FontStorage s_fontCache;

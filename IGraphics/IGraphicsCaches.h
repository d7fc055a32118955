// The process-wide image and font caches, shared by every editor of the
// module and kept until it is unloaded. Each has a recursive lock held only
// while its list is searched or changed; loading happens outside it.
#pragma once

#include <vector>

#include "../wdl/WDL_Mutex.h"
#include "IGraphicsStructs.h"

class LICE_IBitmap;
class LICE_CachedFont;

struct BitmapStorage
{
  struct BitmapEntry
  {
    int id;
    LICE_IBitmap* bitmap;  // owned
  };
  WDL_Mutex mMutex;
  std::vector<BitmapEntry> mEntries;

  ~BitmapStorage() { Clear(); }
  void Clear();
  // The first entry's bitmap with this id, or null.
  LICE_IBitmap* Find(int id);
  void Add(int id, LICE_IBitmap* bitmap);
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

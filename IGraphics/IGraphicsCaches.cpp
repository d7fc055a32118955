#include "IGraphicsCaches.h"

#include <cstring>

#include "lice_text.h"

BitmapStorage s_bitmapCache;
FontStorage s_fontCache;

void BitmapStorage::Clear()
{
  WDL_MutexLock lock(&mMutex);
  for (BitmapEntry& e : mEntries) delete e.bitmap;
  mEntries.clear();
  mNames.clear();
}

LICE_IBitmap* BitmapStorage::Find(int id, int milliScale, const LICE_IBitmap* madeFrom)
{
  WDL_MutexLock lock(&mMutex);
  for (const BitmapEntry& e : mEntries)
    if (e.id == id && e.milliScale == milliScale && (id >= 0 || e.madeFrom == madeFrom)) return e.bitmap;
  return nullptr;
}

void BitmapStorage::Add(int id, LICE_IBitmap* bitmap, int milliScale, const LICE_IBitmap* madeFrom)
{
  WDL_MutexLock lock(&mMutex);
  mEntries.push_back({id, bitmap, milliScale, madeFrom});
}

void BitmapStorage::Name(int id, const char* name)
{
  if (id < 0 || !name) return;
  WDL_MutexLock lock(&mMutex);
  for (auto& n : mNames)
    if (n.first == id) return;
  mNames.emplace_back(id, name);
}

std::string BitmapStorage::NameOf(int id)
{
  WDL_MutexLock lock(&mMutex);
  for (const auto& n : mNames)
    if (n.first == id) return n.second;
  return "";
}

void BitmapStorage::Remove(LICE_IBitmap* bitmap)
{
  LICE_IBitmap* found = nullptr;
  std::vector<LICE_IBitmap*> made;
  {
    WDL_MutexLock lock(&mMutex);
    for (size_t i = 0; i < mEntries.size(); ++i)
      if (mEntries[i].bitmap == bitmap)
      {
        found = bitmap;
        mEntries.erase(mEntries.begin() + (long) i);
        break;
      }
    // Scaled images made from it go with it.
    for (size_t i = mEntries.size(); found && i-- > 0;)
      if (mEntries[i].madeFrom == found && mEntries[i].id < 0)
      {
        made.push_back(mEntries[i].bitmap);
        mEntries.erase(mEntries.begin() + (long) i);
      }
  }
  for (LICE_IBitmap* m : made) delete m;
  delete found;
}

void FontStorage::Clear()
{
  WDL_MutexLock lock(&mMutex);
  for (FontEntry& e : mEntries) delete e.font;
  mEntries.clear();
}

LICE_CachedFont* FontStorage::Find(const IText& text)
{
  WDL_MutexLock lock(&mMutex);
  for (const FontEntry& e : mEntries)
    if (e.size == text.size && e.orientation == text.orientation && e.style == text.style && !strcmp(e.face, text.font))
      return e.font;
  return nullptr;
}

void FontStorage::Add(const IText& text, LICE_CachedFont* font)
{
  WDL_MutexLock lock(&mMutex);
  FontEntry e;
  e.size = text.size;
  e.orientation = text.orientation;
  e.style = text.style;
  memcpy(e.face, text.font, sizeof(e.face));
  e.font = font;
  mEntries.push_back(e);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IGraphicsCaches.h"

#include <cstring>
#include <memory>

#include "lice_text.h"

BitmapStorage s_bitmapCache;
FontStorage s_fontCache;

namespace
{
bool SameFont(const FontStorage::FontEntry& e, const IText& text)
{
  return e.size == text.size && e.orientation == text.orientation && e.style == text.style && !strcmp(e.face, text.font);
}
}  // namespace

void BitmapStorage::Clear()
{
  WDL_MutexLock lock(&mMutex);
  for (BitmapEntry& e : mEntries) delete e.bitmap;
  for (auto& k : mKept) delete k.second;
  mEntries.clear();
  mKept.clear();
  mKnown.clear();
}

LICE_IBitmap* BitmapStorage::Acquire(int id, int milliScale, const LICE_IBitmap* madeFrom,
                                     const std::function<LICE_IBitmap*()>& make)
{
  auto find = [&]() -> BitmapEntry* {
    for (BitmapEntry& e : mEntries)
      if (e.id == id && e.milliScale == milliScale && e.madeFrom == madeFrom) return &e;
    return nullptr;
  };
  {
    WDL_MutexLock lock(&mMutex);
    if (BitmapEntry* e = find())
    {
      ++e->users;
      return e->bitmap;
    }
  }
  std::unique_ptr<LICE_IBitmap> made(make());
  if (!made) return nullptr;
  WDL_MutexLock lock(&mMutex);
  // Another editor may have made the same image meanwhile: one copy is kept.
  if (BitmapEntry* e = find())
  {
    ++e->users;
    return e->bitmap;
  }
  mEntries.push_back({id, milliScale, madeFrom, made.get(), 1});
  return made.release();
}

void BitmapStorage::Release(LICE_IBitmap* bitmap)
{
  LICE_IBitmap* unused = nullptr;
  {
    WDL_MutexLock lock(&mMutex);
    for (size_t i = 0; i < mEntries.size(); ++i)
      if (mEntries[i].bitmap == bitmap)
      {
        if (--mEntries[i].users <= 0)
        {
          unused = bitmap;
          mEntries.erase(mEntries.begin() + (long) i);
        }
        break;
      }
  }
  delete unused;
}

int BitmapStorage::CountHeld()
{
  WDL_MutexLock lock(&mMutex);
  return (int) mEntries.size();
}

void BitmapStorage::Describe(int id, const char* name, int width, int height)
{
  if (id < 0) return;
  WDL_MutexLock lock(&mMutex);
  for (const auto& k : mKnown)
    if (k.id == id) return;
  mKnown.push_back({id, name ? name : "", width, height});
}

bool BitmapStorage::Info(int id, std::string* name, int* width, int* height)
{
  WDL_MutexLock lock(&mMutex);
  for (const auto& k : mKnown)
    if (k.id == id)
    {
      if (name) *name = k.name;
      if (width) *width = k.width;
      if (height) *height = k.height;
      return true;
    }
  return false;
}

LICE_IBitmap* BitmapStorage::Keep(int id, LICE_IBitmap* bitmap)
{
  LICE_IBitmap* kept = nullptr;
  {
    WDL_MutexLock lock(&mMutex);
    for (const auto& k : mKept)
      if (id >= 0 && k.first == id) kept = k.second;
    if (!kept) mKept.emplace_back(id, bitmap);
  }
  if (!kept) return bitmap;
  if (kept != bitmap) delete bitmap;
  return kept;
}

LICE_IBitmap* BitmapStorage::FindKept(int id)
{
  WDL_MutexLock lock(&mMutex);
  for (const auto& k : mKept)
    if (id >= 0 && k.first == id) return k.second;
  return nullptr;
}

bool BitmapStorage::Forget(LICE_IBitmap* bitmap)
{
  {
    WDL_MutexLock lock(&mMutex);
    size_t i = 0;
    while (i < mKept.size() && mKept[i].second != bitmap) ++i;
    if (i == mKept.size()) return false;
    mKept.erase(mKept.begin() + (long) i);
    // Its address may be reused by the next image: copies still held are
    // keyed to nothing from now on.
    for (BitmapEntry& e : mEntries)
      if (e.madeFrom == bitmap) e.madeFrom = nullptr, e.id = kOrphaned;
  }
  delete bitmap;
  return true;
}

void FontStorage::Clear()
{
  WDL_MutexLock lock(&mMutex);
  for (FontEntry& e : mEntries) delete e.font;
  mEntries.clear();
}

LICE_CachedFont* FontStorage::Acquire(const IText& text, const std::function<LICE_CachedFont*()>& make)
{
  auto find = [&]() -> FontEntry* {
    for (FontEntry& e : mEntries)
      if (SameFont(e, text)) return &e;
    return nullptr;
  };
  {
    WDL_MutexLock lock(&mMutex);
    if (FontEntry* e = find())
    {
      ++e->users;
      return e->font;
    }
  }
  std::unique_ptr<LICE_CachedFont> made(make());
  if (!made) return nullptr;
  WDL_MutexLock lock(&mMutex);
  if (FontEntry* e = find())
  {
    ++e->users;
    return e->font;
  }
  FontEntry e;
  e.size = text.size;
  e.orientation = text.orientation;
  e.style = text.style;
  memcpy(e.face, text.font, sizeof(e.face));
  e.font = made.release();
  e.users = 1;
  mEntries.push_back(e);
  return e.font;
}

void FontStorage::Release(LICE_CachedFont* font)
{
  LICE_CachedFont* unused = nullptr;
  {
    WDL_MutexLock lock(&mMutex);
    for (size_t i = 0; i < mEntries.size(); ++i)
      if (mEntries[i].font == font)
      {
        if (--mEntries[i].users <= 0)
        {
          unused = font;
          mEntries.erase(mEntries.begin() + (long) i);
        }
        break;
      }
  }
  delete unused;
}

int FontStorage::CountHeld()
{
  WDL_MutexLock lock(&mMutex);
  return (int) mEntries.size();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The process-wide image and font caches, shared by every editor of the
// module. An editor acquires the images and fonts it draws with when it
// first needs them and releases them all when its window closes or its
// scale changes; what no editor holds any more is freed, so instances
// without an open editor cost nothing here and a scale that nobody shows
// any more leaves nothing behind. Each store has a recursive lock held only
// while its list is searched or changed; loading happens outside it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "../wdl/WDL_Mutex.h"
#include "IGraphicsStructs.h"

class LICE_IBitmap;
class LICE_CachedFont;

struct BitmapStorage
{
  // The id of a copy whose source image is gone: no key matches it.
  static const int kOrphaned = -2;
  // An image by resource id at a scale (per mille; 1000 is the 1x image),
  // or, for an image made at run time (no id), by the image it was made
  // from, with the number of editors holding it.
  struct BitmapEntry
  {
    int id;
    int milliScale;
    const LICE_IBitmap* madeFrom;
    LICE_IBitmap* bitmap;  // owned
    int users;
  };
  // What an id stands for, known without decoding it: its file and the
  // size of its 1x image (0 x 0 when it is missing or refused).
  struct ImageInfo
  {
    int id;
    std::string name;
    int width, height;
  };
  WDL_Mutex mMutex;
  std::vector<BitmapEntry> mEntries;
  std::vector<ImageInfo> mKnown;
  // Images kept for the life of the module, outside the counting: those made
  // at run time (IGraphics::RetainBitmap) and the stand-ins of missing ones.
  std::vector<std::pair<int, LICE_IBitmap*>> mKept;

  ~BitmapStorage() { Clear(); }
  void Clear();
  // The image with this key, made by make (outside the lock) when no editor
  // holds it; counts one more user. Null when make gives none.
  LICE_IBitmap* Acquire(int id, int milliScale, const LICE_IBitmap* madeFrom, const std::function<LICE_IBitmap*()>& make);
  // One user fewer; the image is freed when it has none.
  void Release(LICE_IBitmap* bitmap);
  // The images editors hold now (every scale).
  int CountHeld();

  // The first registration of an id decides its name and size.
  void Describe(int id, const char* name, int width, int height);
  bool Info(int id, std::string* name, int* width, int* height);

  // Keeps bitmap, unless an image is kept under id already (id >= 0): that
  // one is returned and bitmap freed.
  LICE_IBitmap* Keep(int id, LICE_IBitmap* bitmap);
  LICE_IBitmap* FindKept(int id);
  // Frees a kept image; images made from it that editors still hold are
  // never matched again. False when it is not a kept image.
  bool Forget(LICE_IBitmap* bitmap);
};

struct FontStorage
{
  struct FontEntry
  {
    int size, orientation, style;
    char face[IText::kFontSize];
    LICE_CachedFont* font;  // owned
    int users;
  };
  WDL_Mutex mMutex;
  std::vector<FontEntry> mEntries;

  ~FontStorage() { Clear(); }
  void Clear();
  // The font for text's face, size, style and orientation, made by make
  // (outside the lock) when no editor holds one; one more user.
  LICE_CachedFont* Acquire(const IText& text, const std::function<LICE_CachedFont*()>& make);
  void Release(LICE_CachedFont* font);
  int CountHeld();
};

extern BitmapStorage s_bitmapCache;
extern FontStorage s_fontCache;

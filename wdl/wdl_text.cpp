// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "wdl_text.h"

void lstrcpyn_safe(char* dest, const char* src, size_t size)
{
  if (!dest || !size) return;
  size_t i = 0;
  if (src)
    for (; i + 1 < size && src[i]; ++i) dest[i] = src[i];
  dest[i] = 0;
}

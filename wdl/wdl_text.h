// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Small text helpers shared by the framework.
#pragma once

#include <cstddef>

// Copies at most size - 1 characters of src into a fixed field of size
// bytes and always terminates it; a longer text is cut. A null src gives "".
void lstrcpyn_safe(char* dest, const char* src, size_t size);

template <size_t N>
inline void CopyField(char (&dest)[N], const char* src) { lstrcpyn_safe(dest, src, N); }

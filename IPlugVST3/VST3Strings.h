// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Conversions between the framework's 8-bit (UTF-8) texts and the host's
// 16-bit strings of at most 128 characters.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

const int kMaxHostName8 = 512;

// Converts UTF-8 to UTF-16, cut to 127 code units and terminated.
void Utf8ToString128(const char* in, Steinberg::Vst::String128 out);
// Converts a UTF-16 string of at most 128 units (terminated or not) to
// UTF-8 in out (size bytes), always terminated.
void String128ToUtf8(const Steinberg::Vst::TChar* in, char* out, int size);

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Standard Base64 (alphabet A-Z a-z 0-9 + /, '=' padding).
#pragma once

// Encodes len bytes into dest, which must hold 4 * ((len + 2) / 3) + 1 bytes.
void wdl_base64encode(const unsigned char* src, char* dest, int len);

// Decodes src into dest (destSize bytes), stopping at the end of the text
// or at the first character outside the alphabet ('=' included). Bytes that
// do not fit are dropped. Returns the number of bytes written.
int wdl_base64decode(const char* src, unsigned char* dest, int destSize);

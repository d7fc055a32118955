// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Program and bank files keep their header fields big-endian; these helpers
// put and get such fields in a ByteChunk, and read or write a whole file.
#pragma once

#include "IPlugStructs.h"

// No bank of this framework comes near it; a larger file is refused before
// a byte of it is read.
const int kMaxProgramFileSize = 64 << 20;

void PutBigEndian(ByteChunk* chunk, int value);
void PutBigEndian(ByteChunk* chunk, float value);
// Both return the position after the field, or -1 when it does not fit.
int GetBigEndian(const ByteChunk& chunk, int* value, int pos);
int GetBigEndian(const ByteChunk& chunk, float* value, int pos);

// False when the file cannot be opened or read, or holds more than
// kMaxProgramFileSize bytes.
bool ReadWholeFile(const char* path, ByteChunk* chunk);
// Writes to a fresh name beside the path and renames it into place, so that
// the path holds either its old contents or all of the new ones; false, with
// nothing left behind, when any step fails. What a plain write would keep is
// kept: a symbolic link's target is the file replaced, a read-only file is
// refused, and a replaced file keeps its mode and, where allowed, owner.
bool WriteWholeFile(const char* path, const ByteChunk& chunk);

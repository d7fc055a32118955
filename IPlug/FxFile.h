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
// Replaces the file's contents as ReplaceFileContents does (wdl/ReplaceFile.h):
// the path holds either its old contents or all of the new ones, and what a
// plain write would keep (links, mode, owner, attributes, the file's
// identity where a rename would change it) is kept.
bool WriteWholeFile(const char* path, const ByteChunk& chunk);

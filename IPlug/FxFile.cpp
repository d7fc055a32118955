// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "FxFile.h"

#include "../wdl/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
uint32_t swapBytes(uint32_t v)
{
  return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}
}  // namespace

void PutBigEndian(ByteChunk* chunk, int value)
{
  uint32_t v = swapBytes((uint32_t) value);
  chunk->Put(&v);
}

void PutBigEndian(ByteChunk* chunk, float value)
{
  uint32_t v;
  memcpy(&v, &value, sizeof(v));
  v = swapBytes(v);
  chunk->Put(&v);
}

int GetBigEndian(const ByteChunk& chunk, int* value, int pos)
{
  uint32_t v = 0;
  pos = chunk.Get(&v, pos);
  if (pos >= 0) *value = (int) swapBytes(v);
  return pos;
}

int GetBigEndian(const ByteChunk& chunk, float* value, int pos)
{
  uint32_t v = 0;
  pos = chunk.Get(&v, pos);
  if (pos < 0) return pos;
  v = swapBytes(v);
  memcpy(value, &v, sizeof(v));
  return pos;
}

bool ReadWholeFile(const char* path, ByteChunk* chunk)
{
  if (!path || !*path) return false;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode) && !(S_ISREG(st.st_mode) && st.st_size > kMaxProgramFileSize);
  chunk->Clear();
  if (ok && S_ISREG(st.st_mode)) chunk->Reserve((int) st.st_size);
  // Pipes and other files of unknown size are read up to the same limit.
  uint8_t block[65536];
  while (ok)
  {
    ssize_t n = read(fd, block, sizeof(block));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    int before = chunk->Size();
    ok = (long long) before + n <= kMaxProgramFileSize && chunk->PutBytes(block, (int) n) == before + (int) n;
  }
  close(fd);
  if (!ok) chunk->Clear();
  return ok;
}

bool WriteWholeFile(const char* path, const ByteChunk& chunk)
{
  return path && ReplaceFileContents(path, chunk.GetBytes(), (size_t) chunk.Size());
}

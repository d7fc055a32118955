// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "FxFile.h"

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

bool writeAll(int fd, const uint8_t* bytes, size_t size)
{
  while (size > 0)
  {
    ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= (size_t) n;
  }
  return true;
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

// The file a path names at the end of its symbolic links (which need not
// exist yet), so that a save replaces the file the link points at and keeps
// the link.
std::string ResolveLinks(std::string path)
{
  for (int hop = 0; hop < 40; ++hop)
  {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target((size_t) st.st_size + 1, '\0');
    const ssize_t n = readlink(path.c_str(), &target[0], target.size());
    if (n < 0 || (size_t) n >= target.size()) return path;
    target.resize((size_t) n);
    const size_t slash = path.rfind('/');
    path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
  }
  return path;
}

bool WriteWholeFile(const char* path, const ByteChunk& chunk)
{
  if (!path || !*path) return false;
  const std::string target = ResolveLinks(path);
  // What a plain write would meet: a file the user made read-only is
  // refused (even where the process could write it), and the file keeps
  // its permissions and, where allowed, its owner.
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && S_ISREG(existing.st_mode) &&
      (access(target.c_str(), W_OK) != 0 || !(existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))))
  {
    errno = EACCES;
    return false;
  }
  // The temporary name is short, whatever the target's length: a name that
  // fits the file system must not fail for its temporary's sake.
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  // O_EXCL never reuses a file someone else made; a new file's mode goes
  // through the umask as fopen's would.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
  {
    temp = folder + ".saving-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  if (exists && S_ISREG(existing.st_mode))
  {
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0) (void) !fchown(fd, (uid_t) -1, existing.st_gid);
    ok = fchmod(fd, existing.st_mode & 07777) == 0;
  }
  ok = ok && writeAll(fd, chunk.GetBytes(), (size_t) chunk.Size()) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

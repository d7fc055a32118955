// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
std::string Reason() { return strerror(errno); }

// The process's umask, read without setting it: umask() would change it
// for every thread of a host for a moment.
mode_t CurrentUmask()
{
  mode_t mask = 022;
  if (FILE* f = fopen("/proc/self/status", "r"))
  {
    char line[256];
    unsigned value = 0;
    while (fgets(line, sizeof(line), f))
      if (sscanf(line, "Umask: %o", &value) == 1)
      {
        mask = (mode_t) value;
        break;
      }
    fclose(f);
  }
  return mask;
}

bool WriteAll(int fd, const void* data, size_t size)
{
  auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0)
  {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= (size_t) n;
  }
  return true;
}

void SyncFolder(const std::string& folder)
{
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // some file systems cannot; the rename is done either way
  close(fd);
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}
}  // namespace

std::string ResolveSymbolicLinks(std::string path)
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

bool FileReplacement::Fail(const std::string& what)
{
  mError = mTarget + ": " + what;
  Abort();
  return false;
}

bool FileReplacement::MakeTemporary(const std::string& folder)
{
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    // Short, whatever the target's length: a name that fits the file system
    // must not fail for its temporary's sake. O_EXCL never takes over a file
    // someone else made; 0600 shows nobody the contents before the mode is
    // the target's.
    char name[96];
    snprintf(name, sizeof(name), "/.plushgrit-%d-%u-%x.tmp", (int) getpid(), counter++, (unsigned) rand());
    mTemp = folder + name;
    mFd = open(mTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (mFd >= 0) return true;
    if (errno != EEXIST) break;
  }
  mTemp.clear();
  return false;
}

// The target's owner, group and extended attributes on the temporary.
bool FileReplacement::CarryOver()
{
  struct stat st;
  if (stat(mTarget.c_str(), &st) != 0) return false;
  if (st.st_uid != geteuid() || st.st_gid != getegid())
    if (fchown(mFd, st.st_uid, st.st_gid) != 0) return false;
  const ssize_t size = listxattr(mTarget.c_str(), nullptr, 0);
  if (size < 0) return errno == ENOTSUP;
  std::vector<char> names((size_t) size + 1);
  const ssize_t got = listxattr(mTarget.c_str(), names.data(), names.size());
  if (got < 0) return false;
  for (const char* name = names.data(); name < names.data() + got; name += strlen(name) + 1)
  {
    const ssize_t n = getxattr(mTarget.c_str(), name, nullptr, 0);
    if (n < 0) return false;
    std::vector<char> value((size_t) n + 1);
    const ssize_t m = getxattr(mTarget.c_str(), name, value.data(), value.size());
    if (m < 0 || fsetxattr(mFd, name, value.data(), (size_t) m, 0) != 0) return false;
  }
  return true;
}

bool FileReplacement::Begin(const std::string& path)
{
  Abort();
  mError.clear();
  if (path.empty()) return Fail("no file name");
  mTarget = ResolveSymbolicLinks(path);
  mFolder = FolderOf(mTarget);
  struct stat st;
  mExists = stat(mTarget.c_str(), &st) == 0;
  if (!mExists && errno != ENOENT) return Fail(Reason());

  if (!mExists)
  {
    mFinalMode = 0666 & ~CurrentUmask();
    if (!MakeTemporary(mFolder)) return Fail("cannot create a file in " + mFolder + ": " + Reason());
    if (fchmod(mFd, mFinalMode) != 0) return Fail(Reason());
    mMode = kRename;
    return true;
  }
  if (S_ISDIR(st.st_mode)) return Fail("is a folder");
  if (S_ISBLK(st.st_mode)) return Fail("is a block device: it is not written over");
  if (S_ISSOCK(st.st_mode)) return Fail("is a socket");
  if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))
  {
    // A pipe or a device takes a stream, as a plain write gives it.
    mFd = open(mTarget.c_str(), O_WRONLY | O_CLOEXEC);
    if (mFd < 0) return Fail(Reason());
    mMode = kStream;
    return true;
  }
  // A file its owner made read-only is refused, even where the process
  // could write it (root), as a plain write by its owner would be.
  if (access(mTarget.c_str(), W_OK) != 0 || !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
  {
    errno = EACCES;
    return Fail("is read-only");
  }
  mFinalMode = st.st_mode & 07777;

  // A rename gives the name a new file: fine unless that changes what the
  // user has (another name for the same file, an owner or attributes that
  // do not carry over) or the folder forbids it.
  struct stat folder;
  const bool folderWritable = access(mFolder.c_str(), W_OK | X_OK) == 0 && stat(mFolder.c_str(), &folder) == 0;
  const uid_t me = geteuid();
  bool inPlace = st.st_nlink > 1 || !folderWritable || (me != 0 && st.st_uid != me);
  if (!inPlace && (folder.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && folder.st_uid != me) inPlace = true;
  if (!inPlace && MakeTemporary(mFolder))
  {
    if (fchmod(mFd, mFinalMode) == 0 && CarryOver())
    {
      mMode = kRename;
      return true;
    }
    close(mFd);
    mFd = -1;
    unlink(mTemp.c_str());
    mTemp.clear();
  }
  // In place: the new contents are made whole in a temporary of 0600 beside
  // the file, or in the temporary folder where the file's own is closed.
  const char* tmp = getenv("TMPDIR");
  if (!(folderWritable && MakeTemporary(mFolder)) && !MakeTemporary(tmp && *tmp ? tmp : "/tmp"))
    return Fail("cannot make a temporary file: " + Reason());
  mMode = kInPlace;
  return true;
}

bool FileReplacement::Write(const void* data, size_t size)
{
  if (mFd < 0) return false;
  if (WriteAll(mFd, data, size)) return true;
  mError = mTarget + ": " + Reason();
  return false;
}

bool FileReplacement::CopyInPlace()
{
  const int out = open(mTarget.c_str(), O_WRONLY | O_CLOEXEC);
  if (out < 0) return false;
  // The temporary was written through a write-only descriptor, closed now.
  const int in = open(mTemp.c_str(), O_RDONLY | O_CLOEXEC);
  bool ok = in >= 0;
  off_t total = 0;
  char block[65536];
  while (ok)
  {
    const ssize_t n = read(in, block, sizeof(block));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    ok = WriteAll(out, block, (size_t) n);
    total += n;
  }
  ok = ok && ftruncate(out, total) == 0 && fsync(out) == 0;
  const int saved = errno;
  if (in >= 0) close(in);
  ok = close(out) == 0 && ok;
  if (!ok && errno == 0) errno = saved;
  return ok;
}

bool FileReplacement::Commit()
{
  if (mMode == kNone || mFd < 0)
  {
    if (mError.empty()) mError = mTarget + ": nothing to commit";
    return false;
  }
  if (mMode == kStream)
  {
    const bool ok = close(mFd) == 0;
    mFd = -1;
    mMode = kNone;
    if (!ok) mError = mTarget + ": " + Reason();
    return ok;
  }
  bool ok = fsync(mFd) == 0;
  ok = close(mFd) == 0 && ok;
  mFd = -1;
  if (!ok) return Fail(Reason());
  if (mMode == kRename && rename(mTemp.c_str(), mTarget.c_str()) != 0)
  {
    // A folder may still forbid the rename (a sticky one, a file system
    // that will not): the file is then written in place.
    if (!mExists || (errno != EPERM && errno != EACCES)) return Fail(Reason());
    mMode = kInPlace;
  }
  if (mMode == kInPlace)
  {
    ok = CopyInPlace();
    const std::string why = Reason();
    unlink(mTemp.c_str());
    mTemp.clear();
    mMode = kNone;
    if (!ok) return Fail(why);
    return true;
  }
  SyncFolder(mFolder);
  mTemp.clear();
  mMode = kNone;
  return true;
}

void FileReplacement::Abort()
{
  if (mFd >= 0) close(mFd);
  mFd = -1;
  if (!mTemp.empty()) unlink(mTemp.c_str());
  mTemp.clear();
  mMode = kNone;
}

bool ReplaceFileContents(const std::string& path, const void* data, size_t size, std::string* error)
{
  FileReplacement file;
  const bool ok = file.Begin(path) && file.Write(data, size) && file.Commit();
  if (!ok && error) *error = file.Error();
  return ok;
}

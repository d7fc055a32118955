// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Replacing a file the user owns, the one way every writer of Plushgrit
// does it (program and bank files, the renderer's output). The aim is what a
// plain write promises the user, without a plain write's risk:
//   - the file holds its old contents or all of the new ones, never a mix,
//     and a failure or a signal leaves the old file and nothing else;
//   - the new contents go into a temporary of a unique name beside the
//     file, created 0600 and given the file's mode (and owner and extended
//     attributes, where allowed) before a byte goes in, synced, renamed over
//     the file, and the folder synced;
//   - a symbolic link is followed: its target is replaced, the link stays;
//   - where a rename would change the file for the user (other hard links
//     to it, attributes or an owner that cannot be carried over, a folder
//     that cannot be written, a sticky folder that forbids the rename), the
//     new contents are made whole in a temporary first and then written
//     over the file in place, so its identity stays and the window for a
//     half-written file is as short as it can be;
//   - a FIFO or a character device (a pipe, /dev/null) is written to as a
//     stream, never replaced; a folder, a block device or a socket is
//     refused, as is a file its owner made read-only.
#pragma once

#include <cstddef>
#include <string>

class FileReplacement
{
public:
  FileReplacement() = default;
  ~FileReplacement() { Abort(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Prepares to replace path. False, with Error() saying why, when it
  // cannot be replaced; nothing is left behind then.
  bool Begin(const std::string& path);
  // Where the new contents go; seekable unless the target is a stream.
  int Fd() const { return mFd; }
  bool Seekable() const { return mMode != kStream; }
  // Writes all of size bytes to Fd().
  bool Write(const void* data, size_t size);
  // Makes the new contents the file's. False, with Error(), when they could
  // not be made so; the old file is then untouched (but for an in-place
  // write or a stream that failed part way, as a plain write would).
  bool Commit();
  // Drops the new contents: the temporary goes, the file stays as it was.
  void Abort();
  const std::string& Error() const { return mError; }
  // The temporary's path while there is one, as a C string a signal handler
  // may pass to unlink(); "" otherwise. Stable from Begin to Commit/Abort.
  const char* TemporaryPath() const { return mTemp.c_str(); }
  // The file replaced (the end of its links).
  const std::string& Target() const { return mTarget; }

private:
  enum Mode { kNone, kRename, kInPlace, kStream };
  bool Fail(const std::string& what);
  bool MakeTemporary(const std::string& folder);
  bool CarryOver();
  bool CopyInPlace();

  Mode mMode = kNone;
  int mFd = -1;
  std::string mTarget, mFolder, mTemp, mError;
  bool mExists = false;
  unsigned mFinalMode = 0;
};

// The whole of data as path's new contents, by the rules above. False, with
// *error set when error is given, when it cannot be done.
bool ReplaceFileContents(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// The file a path names at the end of its symbolic links (which need not
// exist yet).
std::string ResolveSymbolicLinks(std::string path);

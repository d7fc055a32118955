// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Fuzzes the program and bank file loaders: the first byte picks the loader
// and whether the plug-in stores chunks; the rest is the file. Any bytes
// must load or be refused, never crash, leak or read outside the file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "TestPlug.h"

namespace
{
struct FuzzPlug : TestPlug
{
  explicit FuzzPlug(bool chunks) : TestPlug(4, "2-2", 3, 0, kAPIVST3, chunks)
  {
    GetParam(0)->InitBool("on", false);
    GetParam(1)->InitInt("count", 0, 0, 10);
    GetParam(2)->InitEnum("mode", 0, 4);
    GetParam(3)->InitDouble("gain", 0, -10, 10, 0.01, "", "", 2.0);
    MakeDefaultPreset("init", 3);
  }
};

// The loaders take a path; an in-memory file keeps the disk out of it.
int memoryFile()
{
  static int fd = memfd_create("fxp_fuzz", 0);
  return fd;
}
}  // namespace

// With FXP_FUZZ_SEEDS set to a folder, writes one saved file of each kind
// there (behind its selector byte) and exits: the seed corpus.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  const char* dir = getenv("FXP_FUZZ_SEEDS");
  if (!dir) return 0;
  for (int selector = 0; selector < 4; ++selector)
  {
    FuzzPlug plug((selector & 2) != 0);
    plug.GetParam(3)->Set(2.5);
    std::string saved = std::string(dir) + "/saved", seed = std::string(dir) + "/seed" + std::to_string(selector);
    bool ok = (selector & 1) ? plug.SaveBankAsFXB(WDL_String(saved.c_str()))
                             : plug.SaveProgramAsFXP(WDL_String(saved.c_str()));
    if (!ok) exit(1);
    std::ifstream in(saved, std::ios::binary);
    std::ofstream out(seed, std::ios::binary);
    out.put((char) selector) << in.rdbuf();
    remove(saved.c_str());
  }
  exit(0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1 || memoryFile() < 0) return 0;
  int fd = memoryFile();
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data + 1, size - 1, 0) != (ssize_t) (size - 1)) return 0;
  char path[64];
  snprintf(path, sizeof(path), "/proc/self/fd/%d", fd);

  FuzzPlug plug((data[0] & 2) != 0);
  bool loaded = (data[0] & 1) ? plug.LoadBankFromFXB(WDL_String(path)) : plug.LoadProgramFromFXP(WDL_String(path));
  if (loaded)
  {
    // Whatever was loaded must save and serialize again.
    ByteChunk state;
    plug.SerializePresets(&state);
    plug.SerializeState(&state);
  }
  return 0;
}

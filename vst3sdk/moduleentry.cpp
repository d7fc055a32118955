// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "moduleentry.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

#include "pluginterfaces/base/fplatform.h"

namespace
{
std::mutex gEntryMutex;
int gEntryCount = 0;
std::string gModulePath;

void recordModulePath()
{
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&recordModulePath), &info) && info.dli_fname) gModulePath = info.dli_fname;
}
}  // namespace

const char* GetModulePath() { return gModulePath.c_str(); }

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void*)
{
  std::lock_guard<std::mutex> lock(gEntryMutex);
  // The first entry finds the module's own file.
  if (++gEntryCount == 1) recordModulePath();
  return InitModule();
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
  std::lock_guard<std::mutex> lock(gEntryMutex);
  if (!DeinitModule()) return false;
  // An exit without an entry counts nothing.
  if (gEntryCount > 0) --gEntryCount;
  return true;
}

}  // extern "C"

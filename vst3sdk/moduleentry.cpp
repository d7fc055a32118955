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
  if (++gEntryCount > 1) return true;
  recordModulePath();
  return InitModule();
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
  std::lock_guard<std::mutex> lock(gEntryMutex);
  if (gEntryCount <= 0) return false;
  if (gEntryCount == 1 && !DeinitModule()) return false;
  --gEntryCount;
  return true;
}

}  // extern "C"

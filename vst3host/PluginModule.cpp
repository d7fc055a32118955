// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "PluginModule.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace vst3host
{
std::string PluginModule::LibraryInBundle(const std::string& path)
{
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return path;
  std::string bundle = path;
  while (bundle.size() > 1 && bundle.back() == '/') bundle.pop_back();
  std::string name = bundle.substr(bundle.find_last_of('/') + 1);
  size_t dot = name.rfind(".vst3");
  if (dot != std::string::npos) name = name.substr(0, dot);
  return bundle + "/Contents/x86_64-linux/" + name + ".so";
}

bool PluginModule::Open(const std::string& path)
{
  Close();
  mLibraryPath = LibraryInBundle(path);
  mHandle = dlopen(mLibraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle)
  {
    const char* err = dlerror();
    mError = std::string("cannot load ") + mLibraryPath + ": " + (err ? err : "unknown error");
    return false;
  }

  using EntryFn = bool (*)(void*);
  using FactoryFn = Steinberg::IPluginFactory* (*) ();
  auto entry = reinterpret_cast<EntryFn>(dlsym(mHandle, "ModuleEntry"));
  mExit = reinterpret_cast<bool (*)()>(dlsym(mHandle, "ModuleExit"));
  auto getFactory = reinterpret_cast<FactoryFn>(dlsym(mHandle, "GetPluginFactory"));
  if (!entry || !mExit || !getFactory)
  {
    mError = mLibraryPath + " is not a VST 3 module (missing ModuleEntry, ModuleExit or GetPluginFactory)";
    mExit = nullptr;
    Close();
    return false;
  }
  if (!entry(mHandle))
  {
    mError = mLibraryPath + ": ModuleEntry failed";
    mExit = nullptr;
    Close();
    return false;
  }
  mFactory = getFactory();
  if (!mFactory)
  {
    mError = mLibraryPath + ": GetPluginFactory returned no factory";
    Close();
    return false;
  }
  return true;
}

void PluginModule::Close()
{
  if (mFactory) mFactory->release();
  mFactory = nullptr;
  if (mExit) mExit();
  mExit = nullptr;
  if (mHandle) dlclose(mHandle);
  mHandle = nullptr;
}
}  // namespace vst3host

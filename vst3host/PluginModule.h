// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Loads a VST 3 bundle the way a Linux host does: dlopen of
// Contents/x86_64-linux/<name>.so, ModuleEntry, GetPluginFactory, and on
// close the factory's release, ModuleExit and dlclose.
#pragma once

#include <string>

#include "pluginterfaces/base/ipluginbase.h"

namespace vst3host
{
class PluginModule
{
public:
  PluginModule() = default;
  ~PluginModule() { Close(); }
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // path is a .vst3 bundle folder or the .so itself. On failure returns false
  // and Error() says why.
  bool Open(const std::string& path);
  void Close();

  Steinberg::IPluginFactory* Factory() const { return mFactory; }
  const std::string& Error() const { return mError; }
  const std::string& LibraryPath() const { return mLibraryPath; }
  void* Handle() const { return mHandle; }

  // The shared object inside a bundle folder, or path itself when it is not
  // a folder.
  static std::string LibraryInBundle(const std::string& path);

private:
  void* mHandle = nullptr;
  bool (*mExit)() = nullptr;
  Steinberg::IPluginFactory* mFactory = nullptr;
  std::string mError, mLibraryPath;
};
}  // namespace vst3host

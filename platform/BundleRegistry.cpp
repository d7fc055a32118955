// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "BundleRegistry.h"

#include <map>
#include <mutex>

namespace
{
std::mutex& registryMutex()
{
  static std::mutex m;
  return m;
}
std::map<std::string, std::string>& registry()
{
  static std::map<std::string, std::string> r;
  return r;
}
}  // namespace

void RegisterBundle(const char* bundleID, const char* resourcesFolder)
{
  if (!bundleID) return;
  std::lock_guard<std::mutex> lock(registryMutex());
  registry()[bundleID] = resourcesFolder ? resourcesFolder : "";
}

std::string BundleResourcesFolder(const char* bundleID)
{
  if (!bundleID) return "";
  std::lock_guard<std::mutex> lock(registryMutex());
  auto it = registry().find(bundleID);
  return it == registry().end() ? "" : it->second;
}

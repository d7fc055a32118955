// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "BundleLocation.h"

#include <sys/stat.h>

std::vector<std::string> BundleCandidates(const std::string& exePath, const std::string& home)
{
  std::vector<std::string> out;
  const size_t slash = exePath.find_last_of('/');
  if (slash != std::string::npos)
  {
    const std::string dir = exePath.substr(0, slash);
    out.push_back(dir + "/../lib/vst3/Plushgrit.vst3");
    out.push_back(dir + "/../Plushgrit.vst3");
  }
  if (!home.empty()) out.push_back(home + "/.vst3/Plushgrit.vst3");
  out.push_back("/usr/local/lib/vst3/Plushgrit.vst3");
  out.push_back("/usr/lib/vst3/Plushgrit.vst3");
  return out;
}

std::string FindBundle(const std::vector<std::string>& candidates)
{
  for (const std::string& c : candidates)
  {
    struct stat st;
    if (stat((c + "/Contents/x86_64-linux/Plushgrit.so").c_str(), &st) == 0 && S_ISREG(st.st_mode)) return c;
  }
  return "";
}

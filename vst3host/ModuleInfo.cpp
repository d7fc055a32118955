// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "ModuleInfo.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace vst3host
{
namespace
{
std::string quoted(const std::string& s)
{
  std::string out = "\"";
  for (unsigned char c : s)
  {
    if (c == '"' || c == '\\')
    {
      out += '\\';
      out += (char) c;
    }
    else if (c < 0x20)
    {
      char esc[8];
      snprintf(esc, sizeof(esc), "\\u%04x", c);
      out += esc;
    }
    else
    {
      out += (char) c;
    }
  }
  return out + "\"";
}

// Fixed-size SDK text fields need not be terminated.
template <size_t N>
std::string field(const char (&text)[N])
{
  size_t n = 0;
  while (n < N && text[n]) ++n;
  return std::string(text, n);
}

std::vector<std::string> splitBars(const std::string& s)
{
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= s.size() && !s.empty())
  {
    size_t bar = s.find('|', start);
    parts.push_back(s.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return parts;
}

const char* boolText(bool b) { return b ? "true" : "false"; }

const char* const kSnapshotFolder = "Contents/Resources/Snapshots";

// The snapshots of one class in the bundle, by scale: <CID>_snapshot.png is
// 1, <CID>_snapshot_<scale>x.png is that scale.
std::vector<std::pair<double, std::string>> snapshotsOf(const std::string& bundle, const std::string& cid)
{
  std::vector<std::pair<double, std::string>> found;
  DIR* dir = bundle.empty() ? nullptr : opendir((bundle + "/" + kSnapshotFolder).c_str());
  if (!dir) return found;
  const std::string stem = cid + "_snapshot";
  while (dirent* e = readdir(dir))
  {
    const std::string name = e->d_name;
    if (name.compare(0, stem.size(), stem) != 0 || name.size() < stem.size() + 4 ||
        name.compare(name.size() - 4, 4, ".png") != 0)
      continue;
    const std::string middle = name.substr(stem.size(), name.size() - stem.size() - 4);
    double scale = 0.0;
    if (middle.empty())
    {
      scale = 1.0;
    }
    else if (middle.size() > 2 && middle[0] == '_' && middle.back() == 'x')
    {
      char* end = nullptr;
      const std::string number = middle.substr(1, middle.size() - 2);
      scale = strtod(number.c_str(), &end);
      if (*end || !(scale > 0.0)) continue;
    }
    else
    {
      continue;
    }
    found.emplace_back(scale, std::string(kSnapshotFolder) + "/" + name);
  }
  closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}
}  // namespace

std::string ClassIdString(const Steinberg::TUID cid)
{
  std::string out;
  char hex[3];
  for (int i = 0; i < 16; ++i)
  {
    snprintf(hex, sizeof(hex), "%02X", (unsigned char) cid[i]);
    out += hex;
  }
  return out;
}

std::string ModuleInfoJson(Steinberg::IPluginFactory* factory, const std::string& moduleName,
                           const std::string& version, const std::string& bundlePath)
{
  using namespace Steinberg;
  PFactoryInfo info;
  if (!factory || factory->getFactoryInfo(&info) != kResultOk) return {};

  IPluginFactory2* factory2 = nullptr;
  factory->queryInterface(IPluginFactory2::iid, (void**) &factory2);

  std::string j = "{\n";
  j += "  \"Name\": " + quoted(moduleName) + ",\n";
  j += "  \"Version\": " + quoted(version) + ",\n";
  j += "  \"Factory Info\": {\n";
  j += "    \"Vendor\": " + quoted(field(info.vendor)) + ",\n";
  j += "    \"URL\": " + quoted(field(info.url)) + ",\n";
  j += "    \"E-Mail\": " + quoted(field(info.email)) + ",\n";
  j += "    \"Flags\": {\n";
  j += std::string("      \"Unicode\": ") + boolText(info.flags & PFactoryInfo::kUnicode) + ",\n";
  j += std::string("      \"Classes Discardable\": ") + boolText(info.flags & PFactoryInfo::kClassesDiscardable) + ",\n";
  j += std::string("      \"Component Non Discardable\": ") +
       boolText(info.flags & PFactoryInfo::kComponentNonDiscardable) + "\n";
  j += "    }\n  },\n";
  j += "  \"Compatibility\": [],\n";
  j += "  \"Classes\": [";

  const int32 n = factory->countClasses();
  for (int32 i = 0; i < n; ++i)
  {
    PClassInfo basic;
    if (factory->getClassInfo(i, &basic) != kResultOk) continue;
    PClassInfo2 extended;
    const bool hasExtended = factory2 && factory2->getClassInfo2(i, &extended) == kResultOk;
    // An empty class vendor is the factory's, as hosts read it.
    std::string vendor = hasExtended ? field(extended.vendor) : "";
    if (vendor.empty()) vendor = field(info.vendor);

    j += i ? ",\n    {\n" : "\n    {\n";
    j += "      \"CID\": " + quoted(ClassIdString(basic.cid)) + ",\n";
    j += "      \"Category\": " + quoted(field(basic.category)) + ",\n";
    j += "      \"Name\": " + quoted(field(basic.name)) + ",\n";
    j += "      \"Vendor\": " + quoted(vendor) + ",\n";
    j += "      \"Version\": " + quoted(hasExtended ? field(extended.version) : "") + ",\n";
    j += "      \"SDKVersion\": " + quoted(hasExtended ? field(extended.sdkVersion) : "") + ",\n";
    j += "      \"Sub Categories\": [";
    std::vector<std::string> subs = hasExtended ? splitBars(field(extended.subCategories)) : std::vector<std::string>{};
    for (size_t s = 0; s < subs.size(); ++s) j += (s ? ", " : "") + quoted(subs[s]);
    j += "],\n";
    j += "      \"Class Flags\": " + std::to_string(hasExtended ? extended.classFlags : 0) + ",\n";
    j += "      \"Cardinality\": " + std::to_string(basic.cardinality) + ",\n";
    const auto snapshots = snapshotsOf(bundlePath, ClassIdString(basic.cid));
    j += "      \"Snapshots\": [";
    for (size_t k = 0; k < snapshots.size(); ++k)
    {
      char scale[32];
      snprintf(scale, sizeof(scale), "%g", snapshots[k].first);
      j += k ? ",\n        {\n" : "\n        {\n";
      j += std::string("          \"Scale Factor\": ") + scale + ",\n";
      j += "          \"Path\": " + quoted(snapshots[k].second) + "\n        }";
    }
    j += snapshots.empty() ? "]\n" : "\n      ]\n";
    j += "    }";
  }
  j += n > 0 ? "\n  ]\n}\n" : "]\n}\n";
  if (factory2) factory2->release();
  return j;
}
}  // namespace vst3host

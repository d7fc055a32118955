// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "LV2Module.h"

#include <cstring>
#include <memory>

#include "IPlugLV2.h"

const std::vector<LV2Configuration>& LV2Configurations()
{
  static const std::vector<LV2Configuration> configurations = [] {
    std::vector<LV2Configuration> list;
    std::unique_ptr<IPlugLV2> probe(MakeLV2Plug());
    for (int i = 0; probe && i < probe->NChannelIO(); ++i)
    {
      const ChannelIO* io = probe->GetChannelIO(i);
      list.push_back({io->mIn, io->mOut, LV2PluginURI(io->mIn, io->mOut)});
    }
    return list;
  }();
  return configurations;
}

const LV2Configuration* LV2ConfigurationFor(const char* uri)
{
  for (const LV2Configuration& c : LV2Configurations())
    if (uri && c.uri == uri) return &c;
  return nullptr;
}

const void* LV2Feature(const LV2_Feature* const* features, const char* uri)
{
  for (int i = 0; features && features[i]; ++i)
    if (!strcmp(features[i]->URI, uri)) return features[i]->data;
  return nullptr;
}

std::string LV2PluginURI(int nIn, int nOut)
{
  const std::string stem = std::string(LV2PlugURI()) + "#";
  if (nIn == 2 && nOut == 2) return stem + "stereo";
  if (nIn == 1 && nOut == 1) return stem + "mono";
  return stem + std::to_string(nIn) + "in" + std::to_string(nOut) + "out";
}

std::string LV2EditorURI() { return std::string(LV2PlugURI()) + "#ui"; }


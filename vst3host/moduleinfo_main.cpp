// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// vst3-moduleinfo BUNDLE VERSION OUTPUT: loads the bundle through its factory,
// as a host does, and writes its module description to OUTPUT, listing the
// snapshots the bundle holds (so it runs after they are drawn).
#include <cstdio>
#include <string>

#include "../IPlug/Licence.h"
#include "ModuleInfo.h"
#include "PluginModule.h"

int main(int argc, char** argv)
{
  if (argc == 2 && std::string(argv[1]) == "--version")
  {
    printf("vst3-moduleinfo, part of Plushgrit\n%s", PLUSHGRIT_LICENCE_TEXT);
    return 0;
  }
  if (argc != 4)
  {
    fprintf(stderr, "usage: vst3-moduleinfo BUNDLE VERSION OUTPUT\n");
    return 2;
  }
  const std::string bundle = argv[1];
  vst3host::PluginModule module;
  if (!module.Open(bundle))
  {
    fprintf(stderr, "vst3-moduleinfo: %s\n", module.Error().c_str());
    return 1;
  }
  std::string name = bundle;
  while (!name.empty() && name.back() == '/') name.pop_back();
  name = name.substr(name.find_last_of('/') + 1);
  if (name.size() > 5 && name.compare(name.size() - 5, 5, ".vst3") == 0) name.resize(name.size() - 5);

  const std::string json = vst3host::ModuleInfoJson(module.Factory(), name, argv[2], bundle);
  FILE* out = json.empty() ? nullptr : fopen(argv[3], "w");
  if (!out || fwrite(json.data(), 1, json.size(), out) != json.size() || fclose(out) != 0)
  {
    fprintf(stderr, "vst3-moduleinfo: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}

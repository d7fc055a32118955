// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// plushgrit-snapshot RESOURCES: renders the editor at its defaults through
// the headless platform, with the images in RESOURCES, and writes the VST 3
// snapshots RESOURCES/Snapshots/<class id>_snapshot.png and, drawn at twice
// the resolution, <class id>_snapshot_2.0x.png, as hosts look for them.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "../IPlug/Licence.h"
#include "IGraphicsHeadless.h"
#include "Plushgrit.h"
#include "lice.h"

int main(int argc, char** argv)
{
  if (argc == 2 && std::string(argv[1]) == "--version")
  {
    printf("plushgrit-snapshot, part of Plushgrit\n%s", PLUSHGRIT_LICENCE_TEXT);
    return 0;
  }
  if (argc != 2)
  {
    fprintf(stderr, "usage: plushgrit-snapshot RESOURCES\n");
    return 2;
  }
  const std::string resources = argv[1];
  UseHeadlessPlatform(true);
  IGraphicsHeadless::SetDefaultResourceFolder(resources.c_str());
  DC_SetFontFolder((resources + "/fonts").c_str());
  Plushgrit plug{IPlugInstanceInfo()};
  auto* graphics = static_cast<IGraphicsHeadless*>(plug.GetGUI());
  IRECT all(0, 0, Plushgrit::kWidth, Plushgrit::kHeight);
  graphics->Draw(&all);

  unsigned char cid[16];
  Plushgrit::MakeClassID(cid);
  char id[33];
  for (int i = 0; i < 16; ++i) snprintf(id + 2 * i, 3, "%02X", cid[i]);
  const std::string dir = resources + "/Snapshots";
  mkdir(dir.c_str(), 0755);
  bool ok = LICE_WritePNG((dir + "/" + id + "_snapshot.png").c_str(), graphics->Screen());
  graphics->SetDrawScale(2.0f);
  graphics->Draw(&all);
  ok = ok && LICE_WritePNG((dir + "/" + id + "_snapshot_2.0x.png").c_str(), graphics->Screen());
  if (!ok)
  {
    fprintf(stderr, "plushgrit-snapshot: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}

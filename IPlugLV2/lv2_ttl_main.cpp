// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// lv2-ttl BUNDLE DSP_BINARY UI_BINARY: writes the LV2 bundle's description
// into BUNDLE from the plug-in class it is linked with (the one the DSP
// binary is built from), naming the two binaries by their file names.
#include <cstdio>
#include <cstring>

#include "../IPlug/Licence.h"
#include "LV2Module.h"

int main(int argc, char** argv)
{
  if (argc == 2 && !strcmp(argv[1], "--version"))
  {
    printf("lv2-ttl, part of Plushgrit\n%s", PLUSHGRIT_LICENCE_TEXT);
    return 0;
  }
  if (argc != 4)
  {
    fprintf(stderr, "usage: lv2-ttl BUNDLE DSP_BINARY UI_BINARY\n");
    return 2;
  }
  if (LV2WriteDescription(argv[1], argv[2], argv[3])) return 0;
  fprintf(stderr, "lv2-ttl: cannot write the description into %s\n", argv[1]);
  return 1;
}

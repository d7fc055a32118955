// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The module entry and exit: each calls the plug-in's hook, a failing exit
// hook refuses the exit, and the first entry keeps the module's own path.
#include <gtest/gtest.h>

#include <string>

#include "moduleentry.h"

namespace
{
int gInits = 0, gDeinits = 0;
bool gDeinitResult = true;
}  // namespace

bool InitModule()
{
  ++gInits;
  return true;
}

bool DeinitModule()
{
  ++gDeinits;
  return gDeinitResult;
}

extern "C" bool ModuleEntry(void*);
extern "C" bool ModuleExit();

TEST(ModuleEntry, EveryCallReachesTheHooks)
{
  EXPECT_STREQ(GetModulePath(), "");
  EXPECT_TRUE(ModuleEntry(nullptr));
  EXPECT_TRUE(ModuleEntry(nullptr));
  EXPECT_EQ(gInits, 2);
  const std::string path = GetModulePath();
  EXPECT_NE(path.find("module_entry_tests"), std::string::npos) << path;

  gDeinitResult = false;  // a failing hook refuses the exit
  EXPECT_FALSE(ModuleExit());
  gDeinitResult = true;
  EXPECT_TRUE(ModuleExit());
  EXPECT_TRUE(ModuleExit());
  EXPECT_EQ(gDeinits, 3);
}

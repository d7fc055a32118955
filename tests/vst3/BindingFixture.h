// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Loads the built Plushgrit bundle through the hosting layer, as a host
// would, and gives each test a fresh, initialized instance.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "HostedPlugin.h"
#include "PluginModule.h"
#include "pluginterfaces/base/ustring.h"

const Steinberg::Vst::ParamID kBypass = 0x62706173;  // 'bpas'
const Steinberg::Vst::ParamID kPreset = 0x70727374;  // 'prst'

class Binding : public ::testing::Test
{
public:
  static void SetUpTestSuite()
  {
    sModule = new vst3host::PluginModule;
    ASSERT_TRUE(sModule->Open(PLUSHGRIT_BUNDLE)) << sModule->Error();
  }
  static void TearDownTestSuite()
  {
    delete sModule;
    sModule = nullptr;
  }

protected:
  void SetUp() override { ASSERT_TRUE(plugin.Load(*sModule, &context)) << plugin.Error(); }

  // Stereo, started, at the given sample size.
  void Prepare(int sampleSize, int maxBlock = 512)
  {
    ASSERT_EQ(plugin.SetBusArrangements(2, 2), Steinberg::kResultTrue);
    ASSERT_EQ(plugin.Setup(48000.0, maxBlock, sampleSize), Steinberg::kResultOk);
    ASSERT_TRUE(plugin.Start());
  }

  static std::string Utf8(const Steinberg::Vst::TChar* s)
  {
    std::string out;
    for (int i = 0; i < 128 && s[i]; ++i) out += (char) s[i];
    return out;
  }

  std::string ParamText(Steinberg::Vst::ParamID id, double normalized)
  {
    Steinberg::Vst::String128 s = {};
    if (plugin.Controller()->getParamStringByValue(id, normalized, s) != Steinberg::kResultOk) return "<none>";
    return Utf8(s);
  }

  static vst3host::PluginModule* sModule;
  vst3host::HostContext context;
  vst3host::HostedPlugin plugin;
};

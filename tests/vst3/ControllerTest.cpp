// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What the host sees of the parameters, units and programs.
#include "BindingFixture.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST_F(Binding, SixParametersWithTheirDescriptions)
{
  IEditController* c = plugin.Controller();
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->getParameterCount(), 6);

  struct Expect
  {
    ParamID id;
    const char* title;
    const char* units;
    int32 flags, stepCount;
    double defaultNormalized;
  } expect[] = {
    {0x70727374, "Preset", "", 0x8000, 1, 0.0},
    {0x62706173, "Bypass", "", 0x10009, 1, 0.0},
    {0, "In", "dB", 1, 0, 0.5},
    {1, "Out", "dB", 1, 0, 0.5},
    {2, "Mix", "50/50", 1, 0, 1.0},
    {3, "Drive", "%", 1, 0, 0.0},
  };
  for (int i = 0; i < 6; ++i)
  {
    ParameterInfo info;
    ASSERT_EQ(c->getParameterInfo(i, info), kResultOk);
    EXPECT_EQ(info.id, expect[i].id) << i;
    EXPECT_EQ(Utf8(info.title), expect[i].title);
    EXPECT_EQ(Utf8(info.units), expect[i].units) << i;
    EXPECT_EQ(info.flags, expect[i].flags) << i;
    EXPECT_EQ(info.stepCount, expect[i].stepCount) << i;
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, expect[i].defaultNormalized) << i;
    EXPECT_EQ(info.unitId, 0);
  }
}

TEST_F(Binding, ValuesAndConversions)
{
  IEditController* c = plugin.Controller();
  EXPECT_EQ(c->getParamNormalized(2), 1.0);  // Mix 1 from the init preset
  EXPECT_EQ(c->getParamNormalized(0), 0.5);
  EXPECT_EQ(c->setParamNormalized(3, 0.25), kResultOk);
  EXPECT_EQ(c->getParamNormalized(3), 0.25);
  EXPECT_EQ(c->setParamNormalized(kPreset, 1.0), kResultFalse);  // names no preset
  EXPECT_EQ(c->setParamNormalized(4, 0.5), kResultFalse);
  EXPECT_EQ(c->getParamNormalized(kPreset), 0.0);
  EXPECT_EQ(c->getParamNormalized(99), 0.0);

  EXPECT_EQ(c->plainParamToNormalized(0, 20.0), 1.0);
  EXPECT_EQ(c->plainParamToNormalized(0, -5.0), 0.25);
  EXPECT_EQ(c->plainParamToNormalized(99, 7.5), 7.5);
  EXPECT_DOUBLE_EQ(c->normalizedParamToPlain(0, 0.25), -5.0);  // the SDK's container, linear
}

TEST_F(Binding, TextsForParameterValues)
{
  EXPECT_EQ(ParamText(0, 0.25), "-5.00");
  EXPECT_EQ(ParamText(2, 0.5), "0.500");
  EXPECT_EQ(ParamText(3, 1.0), "1.000");
  EXPECT_EQ(ParamText(kBypass, 1.0), "<none>");
  EXPECT_EQ(ParamText(kPreset, 0.0), "<none>");
  EXPECT_EQ(ParamText(42, 0.0), "<none>");

  // The SDK parses text through the registered parameter.
  String128 text;
  Steinberg::UString(text, 128).fromAscii("2.5");
  ParamValue v = -1;
  ASSERT_EQ(plugin.Controller()->getParamValueByString(1, text, v), kResultOk);
  EXPECT_DOUBLE_EQ(v, 0.625);
}

TEST_F(Binding, RootUnitAndFactoryPresetList)
{
  IUnitInfo* units = plugin.Units();
  ASSERT_NE(units, nullptr);
  EXPECT_EQ(units->getUnitCount(), 1);
  UnitInfo unit;
  ASSERT_EQ(units->getUnitInfo(0, unit), kResultTrue);
  EXPECT_EQ(unit.id, 0);
  EXPECT_EQ(unit.parentUnitId, -1);
  EXPECT_EQ(Utf8(unit.name), "Root Unit");
  EXPECT_EQ(unit.programListId, (ProgramListID) 0x70727374);
  EXPECT_EQ(units->getUnitInfo(1, unit), kResultFalse);

  EXPECT_EQ(units->getProgramListCount(), 1);
  ProgramListInfo list;
  ASSERT_EQ(units->getProgramListInfo(0, list), kResultTrue);
  EXPECT_EQ(list.id, (ProgramListID) 0x70727374);
  EXPECT_EQ(list.programCount, 1);
  EXPECT_EQ(Utf8(list.name), "Factory Presets");
  EXPECT_EQ(units->getProgramListInfo(1, list), kResultFalse);

  String128 name;
  ASSERT_EQ(units->getProgramName(0x70727374, 0, name), kResultTrue);
  EXPECT_EQ(Utf8(name), "init");
  ASSERT_EQ(units->getProgramName(0x70727374, 5, name), kResultTrue);
  EXPECT_EQ(Utf8(name), "");
  EXPECT_EQ(units->getProgramName(1234, 0, name), kResultFalse);
  EXPECT_EQ(units->getSelectedUnit(), 0);
  EXPECT_EQ(units->selectUnit(0), kNotImplemented);
}

TEST_F(Binding, ViewsOfOtherNamesAreRefused)
{
  EXPECT_EQ(plugin.Controller()->createView("other"), nullptr);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Parameters: initialisation, the normalization curve, formatting, labels
// and display texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "IParam.h"

namespace
{
std::string display(const IParam& p, double v, bool normalized = false, bool withText = true)
{
  char buf[IParam::kDisplaySize];
  p.GetDisplayForHost(v, normalized, buf, withText);
  return buf;
}

int precisionForStep(double step)
{
  IParam p;
  p.InitDouble("p", 0, 0, 100, step);
  return p.GetPrecision();
}
}  // namespace

TEST(IParamInit, DisplayPrecisionFollowsTheStep)
{
  EXPECT_EQ(precisionForStep(1.0), 0);
  EXPECT_EQ(precisionForStep(0.5), 1);
  EXPECT_EQ(precisionForStep(0.25), 2);
  EXPECT_EQ(precisionForStep(0.1), 1);
  EXPECT_EQ(precisionForStep(0.01), 2);
  EXPECT_EQ(precisionForStep(0.125), 3);
  EXPECT_EQ(precisionForStep(0.0001), 4);
  EXPECT_EQ(precisionForStep(0.07), 6);
  EXPECT_EQ(precisionForStep(1e-7), 6);
}

TEST(IParamInit, RangesAreWidenedToAtLeastOneStep)
{
  IParam i;
  i.InitInt("i", 5, 5, 5);
  EXPECT_EQ(i.GetMin(), 5);
  EXPECT_EQ(i.GetMax(), 6);

  IParam e;
  e.InitEnum("e", 0, 1);
  EXPECT_EQ(e.GetMax(), 1);
  IParam e4;
  e4.InitEnum("e", 0, 4);
  EXPECT_EQ(e4.GetMax(), 3);

  IParam d;
  d.InitDouble("d", 0, 0, 0.05, 0.1);
  EXPECT_DOUBLE_EQ(d.GetMax(), 0.1);
}

TEST(IParamInit, TypeOfFirstInitialisationIsKeptAndShapeZeroIgnored)
{
  IParam p;
  p.InitInt("p", 1, 0, 3);
  p.InitDouble("p", 0.5, 0, 1, 0.01, "", "", 0.0);
  EXPECT_EQ(p.Type(), IParam::kTypeInt);
  EXPECT_EQ(p.GetShape(), 1.0);
  p.SetShape(2.0);
  p.SetShape(0.0);
  EXPECT_EQ(p.GetShape(), 2.0);
}

TEST(IParamInit, LongTextsAreCutToTheirFields)
{
  IParam p;
  std::string longName(100, 'n');
  p.InitDouble(longName.c_str(), 0, 0, 1, 0.1, std::string(50, 'l').c_str(), std::string(70, 'g').c_str());
  p.SetDisplayText(3, std::string(90, 't').c_str());
  EXPECT_EQ(strlen(p.GetNameForHost()), 31u);
  EXPECT_EQ(strlen(p.GetLabelForHost()), 31u);
  EXPECT_EQ(strlen(p.GetParamGroupForHost()), 31u);
  EXPECT_EQ(strlen(p.GetDisplayText(3)), 31u);
}

TEST(IParamNormalization, IntegerTypesSnapAndOnlyTheUpperEndIsClamped)
{
  IParam i3;
  i3.InitInt("i", 0, 0, 3);
  i3.SetNormalized(0.5);
  EXPECT_EQ(i3.Value(), 2);  // 1.5 snapped up
  IParam i10;
  i10.InitInt("i", 0, 0, 10);
  i10.SetNormalized(0.5);
  EXPECT_EQ(i10.Value(), 5);

  IParam d;
  d.InitDouble("d", 0, 0, 10, 0.01);
  d.SetNormalized(1.5);
  EXPECT_EQ(d.Value(), 10);
  d.SetNormalized(-0.5);
  EXPECT_EQ(d.Value(), -5);
}

TEST(IParamNormalization, ShapeCurvesBothWaysAndOutOfRangeClamps)
{
  IParam p;
  p.InitDouble("p", 0, 0, 100, 0.01, "", "", 2.0);
  p.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 25.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(25.0), 0.5);
  EXPECT_EQ(p.GetNormalized(-40.0), 0.0);
  EXPECT_EQ(p.GetNormalized(400.0), 1.0);
}

TEST(IParamNormalization, NonFiniteValuesAreRefused)
{
  IParam p;
  p.InitDouble("p", 0.25, 0, 1, 0.01);
  p.SetNormalized(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Value(), 0.25);
  p.SetNormalized(std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.Value(), 0.25);
  p.Set(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Value(), 0.25);
  p.Set(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.Value(), 0.25);
  p.Set(7.0);  // finite values are clamped
  EXPECT_EQ(p.Value(), 1.0);
}

TEST(IParamText, BooleanTextsLabelsAndMapping)
{
  IParam b;
  b.InitBool("b", true, "units");
  EXPECT_EQ(display(b, 1), "on");
  EXPECT_EQ(display(b, 0), "off");
  EXPECT_EQ(display(b, 1, false, false), "1");
  EXPECT_STREQ(b.GetLabelForHost(), "");
  int v = -1;
  EXPECT_FALSE(b.MapDisplayText("On", &v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(b.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
  EXPECT_EQ(b.GetNDisplayTexts(), 2);
  int entryValue = -1;
  EXPECT_STREQ(b.GetDisplayTextAtIdx(1, &entryValue), "on");
  EXPECT_EQ(entryValue, 1);
}

TEST(IParamText, NegatedAndIntegerFormatting)
{
  IParam d;
  d.InitDouble("d", 0, -5, 5, 0.01);
  d.NegateDisplay();
  EXPECT_EQ(display(d, 0.0), "-0.00");
  EXPECT_EQ(display(d, 1.5), "-1.50");

  IParam whole;
  whole.InitDouble("w", 0, -5, 5, 1.0);
  EXPECT_EQ(display(whole, 2.7), "2");
  EXPECT_EQ(display(whole, -2.7), "-2");
}

TEST(IParamText, NormalizedFormattingAppliesShapeButNotStep)
{
  IParam i;
  i.InitInt("i", 0, 0, 3);
  EXPECT_EQ(display(i, 0.5, true, false), "1");
  i.SetNormalized(0.5);
  EXPECT_EQ(i.Value(), 2);
}

TEST(IParamText, DuplicateAndEmptyDisplayTexts)
{
  IParam e;
  e.InitEnum("e", 0, 3, "lbl");
  e.SetDisplayText(1, "first");
  e.SetDisplayText(1, "second");
  e.SetDisplayText(2, "");
  EXPECT_EQ(e.GetNDisplayTexts(), 3);
  EXPECT_STREQ(e.GetDisplayText(1), "first");
  EXPECT_EQ(display(e, 1), "first");
  EXPECT_EQ(display(e, 2), "2");  // empty text falls through to the number
  EXPECT_STREQ(e.GetDisplayText(7), "");

  e.Set(2);
  EXPECT_STREQ(e.GetLabelForHost(), "lbl");
  e.Set(1);
  EXPECT_STREQ(e.GetLabelForHost(), "");
}

TEST(IParamText, HugeValuesAreCutNotOverflowed)
{
  IParam d;
  d.InitDouble("d", 0, 0, 1, 0.01);
  char small[8];
  d.GetDisplayForHost(1e300, false, small, false, sizeof(small));
  EXPECT_EQ(strlen(small), 7u);
  char buf[IParam::kDisplaySize];
  d.GetDisplayForHost(1e300, true, buf, false);  // normalized far out of range
  EXPECT_LT(strlen(buf), sizeof(buf));
}

TEST(IParamMisc, DecibelsToAmplitudeAndAccessors)
{
  IParam p;
  p.InitDouble("g", -6, -60, 12, 0.1);
  EXPECT_DOUBLE_EQ(p.DBToAmp(), std::exp(0.1151292546497 * -6));
  double lo, hi;
  p.GetBounds(&lo, &hi);
  EXPECT_EQ(lo, -60);
  EXPECT_EQ(hi, 12);
  p.Set(-0.6);
  EXPECT_EQ(p.Int(), 0);
  EXPECT_FALSE(p.Bool());
  EXPECT_TRUE(p.GetCanAutomate());
  p.SetCanAutomate(false);
  EXPECT_FALSE(p.GetCanAutomate());
}

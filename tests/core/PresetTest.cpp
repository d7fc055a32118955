// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Presets: making them in every way, restoring, naming, the serialized
// preset list, and the source dumps.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "TestPlug.h"

namespace
{
// Parameters of every type: bool, int, enum, double.
struct Mixed : TestPlug
{
  explicit Mixed(int nPresets = 3) : TestPlug(4, "2-2", nPresets)
  {
    GetParam(0)->InitBool("on", false);
    GetParam(1)->InitInt("count", 0, 0, 10);
    GetParam(2)->InitEnum("mode", 0, 4);
    GetParam(3)->InitDouble("gain", 0, -10, 10, 0.01);
  }
  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i) v.push_back(GetParam(i)->Value());
    return v;
  }
};

std::string readFile(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
}  // namespace

TEST(Presets, MakePresetTakesIntsAndDoublesByTypeAndRestores)
{
  Mixed plug;
  plug.MakePreset("first", 1, 7, 2, -2.5);
  plug.MakePreset("second", 0, 3, 1, 4.0);
  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0, 3, 1, 4}));
  EXPECT_TRUE(plug.RestorePreset("first"));
  EXPECT_EQ(plug.Values(), (std::vector<double>{1, 7, 2, -2.5}));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(plug.presetsChanged, 2);
  EXPECT_FALSE(plug.RestorePreset("missing"));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset((const char*) nullptr));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(3));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_STREQ(plug.GetPresetName(3), "");
}

TEST(Presets, FullListIgnoresFurtherPresets)
{
  Mixed plug(1);
  plug.MakePreset("only", 1, 1, 1, 1.0);
  plug.MakePreset("extra", 0, 0, 0, 0.0);
  EXPECT_STREQ(plug.GetPresetName(0), "only");
  plug.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(plug.GetPresetName(0), "only");
}

TEST(Presets, NamedParamsFillTheRestFromCurrentValues)
{
  Mixed plug;
  plug.GetParam(1)->Set(9);
  plug.GetParam(3)->Set(1.25);
  plug.MakePresetFromNamedParams("named", 2, 0, 1, 3, -4.0);
  plug.MakePresetFromNamedParams("marker", 1, 3, 9.999e-08);  // counts as not given
  plug.MakePresetFromNamedParams("bad index", 1, 42, 3.0);   // consumed and ignored
  plug.RestorePreset(0);
  EXPECT_EQ(plug.Values(), (std::vector<double>{1, 9, 0, -4}));
  plug.GetParam(3)->Set(2.0);
  plug.RestorePreset(1);
  EXPECT_EQ(plug.GetParam(3)->Value(), 1.25);
  plug.RestorePreset(2);
  EXPECT_EQ(plug.GetParam(3)->Value(), 1.25);
}

TEST(Presets, BlobDecodesIntoAZeroFilledChunk)
{
  Mixed plug;
  // "AQID" decodes to 01 02 03.
  plug.MakePresetFromBlob("five", "AQID", 5);
  plug.MakePresetFromBlob("two", "AQID", 2);
  plug.MakePresetFromBlob("stop", "AQ=ID", 3);
  ByteChunk saved;
  plug.SerializePresets(&saved);
  // Layout per preset: 4-byte length, name, 1 flag byte, chunk bytes.
  const uint8_t* b = saved.GetBytes();
  int p = 4 + 4 + 1;
  EXPECT_EQ(0, memcmp(b + p, "\x01\x02\x03\x00\x00", 5));
  p += 5 + 4 + 3 + 1;
  EXPECT_EQ(0, memcmp(b + p, "\x01\x02", 2));
  p += 2 + 4 + 4 + 1;
  EXPECT_EQ(0, memcmp(b + p, "\x01\x00\x00", 3));
}

TEST(Presets, RestoringAnEmptySlotCapturesStateAsNumberedUserPreset)
{
  Mixed plug;
  plug.MakePreset("factory", 1, 2, 3, 4.0);
  plug.GetParam(3)->Set(-1);
  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_STREQ(plug.GetPresetName(1), "user preset 1");
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 2");
  plug.RestorePreset(0);
  plug.RestorePreset(1);
  EXPECT_EQ(plug.GetParam(3)->Value(), -1);
}

TEST(Presets, ModifyCurrentPresetRefreshesStateAndName)
{
  Mixed plug;
  plug.MakePreset("a", 0, 0, 0, 0.0);
  plug.RestorePreset(0);
  plug.GetParam(3)->Set(6);
  plug.ModifyCurrentPreset(nullptr);
  EXPECT_STREQ(plug.GetPresetName(0), "a");
  plug.ModifyCurrentPreset(std::string(400, 'n').c_str());
  EXPECT_EQ(strlen(plug.GetPresetName(0)), 255u);
  plug.GetParam(3)->Set(0);
  plug.RestorePreset(0);
  EXPECT_EQ(plug.GetParam(3)->Value(), 6);
}

TEST(Presets, DefaultsEnsureAndPrune)
{
  Mixed plug(4);
  plug.GetParam(3)->Set(3);
  plug.MakePreset("kept", 0, 0, 0, 1.0);
  plug.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(plug.GetPresetName(1), "Empty");
  plug.PruneUninitializedPresets();
  EXPECT_EQ(plug.NPresets(), 2);
  EXPECT_STREQ(plug.GetPresetName(0), "kept");

  Mixed ensured(3);
  ensured.MakePreset("x", 0, 0, 0, 0.0);
  ensured.EnsureDefaultPreset();
  EXPECT_STREQ(ensured.GetPresetName(2), "Empty");
  ensured.PruneUninitializedPresets();
  EXPECT_EQ(ensured.NPresets(), 3);
}

TEST(Presets, PresetListRoundTripsAndEmptyNamesInheritThePrevious)
{
  Mixed source;
  source.MakePreset("alpha", 1, 2, 3, 4.0);
  source.MakePreset("", 0, 5, 1, -4.0);
  ByteChunk chunk;
  ASSERT_TRUE(source.SerializePresets(&chunk));

  Mixed target;
  int end = target.UnserializePresets(&chunk, 0);
  EXPECT_EQ(end, chunk.Size());
  EXPECT_STREQ(target.GetPresetName(0), "alpha");
  EXPECT_STREQ(target.GetPresetName(1), "alpha");  // inherited
  EXPECT_STREQ(target.GetPresetName(2), "empty");
  target.RestorePreset(1);
  EXPECT_EQ(target.Values(), (std::vector<double>{0, 5, 1, -4}));
  EXPECT_EQ(target.GetCurrentPresetIdx(), 1);
}

TEST(Presets, CorruptPresetListsNeverReadOutOfBounds)
{
  Mixed source;
  source.MakePreset("alpha", 1, 2, 3, 4.0);
  ByteChunk good;
  source.SerializePresets(&good);
  for (int cut = 0; cut < good.Size(); ++cut)
  {
    ByteChunk partial;
    partial.PutBytes(good.GetBytes(), cut);
    Mixed target;
    EXPECT_LT(target.UnserializePresets(&partial, 0), cut + 1) << cut;
  }
  // A huge or negative name length.
  for (int len : {0x7FFFFFF0, -5})
  {
    ByteChunk bad;
    bad.Put(&len);
    bad.PutBytes("zzzzzzzz", 8);
    Mixed target, fresh;
    EXPECT_EQ(target.UnserializePresets(&bad, 0), -1) << len;
    for (int i = 0; i < target.NParams(); ++i) EXPECT_EQ(target.GetParam(i)->Value(), fresh.GetParam(i)->Value());
  }
}

TEST(PresetDumps, SourceCodeListsEveryParameterByType)
{
  Mixed plug;
  plug.GetParam(0)->Set(1);
  plug.GetParam(1)->Set(7);
  plug.GetParam(2)->Set(2);
  plug.GetParam(3)->Set(-1.5);
  const char* names[] = {"kOn", "kCount", "kMode", "kGain"};
  std::string path = testing::TempDir() + "dump_src.txt";
  ASSERT_TRUE(plug.DumpPresetSrcCode(path.c_str(), names));
  EXPECT_EQ(readFile(path),
            "  MakePresetFromNamedParams(\"name\", 4,\n    kOn, true,\n    kCount, 7,\n    kMode, 2,\n"
            "    kGain, -1.500000);\n");
  EXPECT_FALSE(plug.DumpPresetSrcCode("/nonexistent-dir/x.txt", names));
}

TEST(PresetDumps, BlobOfAnySizeRoundTrips)
{
  // 200 double parameters: a 1600-byte chunk, past the old 765-byte limit.
  TestPlug big(200, "2-2", 2);
  for (int i = 0; i < 200; ++i)
  {
    big.GetParam(i)->InitDouble("p", 0, -1000, 1000, 0.001);
    big.GetParam(i)->Set(i * 1.25 - 100);
  }
  big.MakeDefaultPreset("big", 1);
  std::string path = testing::TempDir() + "dump_blob.txt";
  ASSERT_TRUE(big.DumpPresetBlob(path.c_str()));
  std::string text = readFile(path);
  const std::string head = "MakePresetFromBlob(\"name\", \"";
  ASSERT_EQ(text.compare(0, head.size(), head), 0);
  size_t end = text.find('"', head.size());
  std::string blob = text.substr(head.size(), end - head.size());
  EXPECT_EQ(text.substr(end), "\", 1600);\n");

  for (int i = 0; i < 200; ++i) big.GetParam(i)->Set(0);
  big.MakePresetFromBlob("again", blob.c_str(), 1600);
  EXPECT_TRUE(big.RestorePreset(1));
  for (int i = 0; i < 200; ++i) EXPECT_EQ(big.GetParam(i)->Value(), i * 1.25 - 100);
}

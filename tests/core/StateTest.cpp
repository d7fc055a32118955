// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Parameter state: the byte layout, loading with clamping, truncated and
// corrupt data, and the comparison of stored values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestPlug.h"

namespace
{
struct FourParams : TestPlug
{
  FourParams() : TestPlug(4)
  {
    for (int i = 0; i < 4; ++i) GetParam(i)->InitDouble("p", 0, -10, 10, 0.01);
  }
};

ByteChunk chunkOf(std::initializer_list<double> values)
{
  ByteChunk c;
  for (double v : values) c.Put(&v);
  return c;
}
}  // namespace

TEST(ParamState, SerializesPlainValuesAsLittleEndianDoubles)
{
  FourParams plug;
  const double values[] = {0, 1.5, -3, 0.25};
  for (int i = 0; i < 4; ++i) plug.GetParam(i)->Set(values[i]);
  ByteChunk chunk;
  ASSERT_TRUE(plug.SerializeParams(&chunk));
  ASSERT_EQ(chunk.Size(), 32);
  // 1.5 is 0x3FF8000000000000: its last byte is 0x3F, its seventh 0xF8.
  EXPECT_EQ(chunk.GetBytes()[15], 0x3F);
  EXPECT_EQ(chunk.GetBytes()[14], 0xF8);

  FourParams other;
  EXPECT_EQ(other.UnserializeParams(&chunk, 0), 32);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(other.GetParam(i)->Value(), values[i]);
  EXPECT_EQ(other.paramChanges, (std::vector<int>{0, 1, 2, 3}));
}

TEST(ParamState, TruncatedChunkSetsWhatItHasAndZeroesTheBrokenValue)
{
  FourParams plug;
  plug.GetParam(0)->InitDouble("p", 0, 1, 10, 0.01);  // range 1..10: 0.0 clamps to 1
  for (int i = 0; i < 4; ++i) plug.GetParam(i)->Set(5);
  plug.GetParam(2)->InitDouble("p", 0, 2, 10, 0.01);
  plug.GetParam(2)->Set(5);
  ByteChunk chunk = chunkOf({7, 8});
  int extra = 0x01020304;
  chunk.Put(&extra);  // 20 bytes
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
  EXPECT_EQ(plug.GetParam(0)->Value(), 7);
  EXPECT_EQ(plug.GetParam(1)->Value(), 8);
  EXPECT_EQ(plug.GetParam(2)->Value(), 2);  // 0.0 clamped into 2..10
  EXPECT_EQ(plug.GetParam(3)->Value(), 5);  // untouched
  EXPECT_EQ(plug.paramChanges.size(), 4u);
}

TEST(ParamState, ErrorMarkLoadsNothingButStillNotifies)
{
  FourParams plug;
  plug.GetParam(1)->Set(3);
  ByteChunk chunk = chunkOf({1, 2, 3, 4});
  EXPECT_EQ(plug.UnserializeParams(&chunk, -1), -1);
  EXPECT_EQ(plug.GetParam(1)->Value(), 3);
  EXPECT_EQ(plug.paramChanges.size(), 4u);
}

TEST(ParamState, OutOfRangeIsClampedAndNonFiniteIsRefused)
{
  FourParams plug;
  plug.GetParam(1)->Set(4);
  plug.GetParam(2)->Set(4);
  ByteChunk chunk = chunkOf({99, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity(), -99});
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 32);  // position reported as usual
  EXPECT_EQ(plug.GetParam(0)->Value(), 10);
  EXPECT_EQ(plug.GetParam(1)->Value(), 4);
  EXPECT_EQ(plug.GetParam(2)->Value(), 4);
  EXPECT_EQ(plug.GetParam(3)->Value(), -10);
}

TEST(ParamState, CompareStateCountsDoublesAndToleratesFloatRounding)
{
  FourParams plug;
  for (int i = 0; i < 4; ++i) plug.GetParam(i)->Set(i * 0.5);
  ByteChunk chunk = chunkOf({99, 0, 0.5, 1.0 + 4e-6, 1.5});
  EXPECT_TRUE(plug.CompareState(chunk.GetBytes(), 1));
  EXPECT_FALSE(plug.CompareState(chunk.GetBytes(), 0));
  ByteChunk off = chunkOf({0, 0.5, 1.0 + 1e-4, 1.5});
  EXPECT_FALSE(plug.CompareState(off.GetBytes(), 0));
  TestPlug none(0);
  EXPECT_TRUE(none.CompareState(nullptr, 0));
}

TEST(ParamState, VersionHeader)
{
  ByteChunk chunk;
  chunk.PutStr("junk");
  IPlugBase::InitChunkWithIPlugVer(&chunk);
  ASSERT_EQ(chunk.Size(), 8);
  EXPECT_EQ(0, memcmp(chunk.GetBytes(), "tffp", 4));
  int pos = 0;
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&chunk, &pos), 0x10000);
  EXPECT_EQ(pos, 8);

  ByteChunk plain = chunkOf({1.0});
  pos = 0;
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&plain, &pos), 0);
  EXPECT_EQ(pos, 0);

  ByteChunk cut;
  cut.PutBytes("tffp", 4);
  pos = 0;
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&cut, &pos), 0);
  EXPECT_EQ(pos, -1);
}

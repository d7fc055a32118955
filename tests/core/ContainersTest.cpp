// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Shared containers: strings, pointer lists, typed buffers, Base64 and the
// byte chunk with its read positions and error mark.
#include <gtest/gtest.h>

#include "IPlugStructs.h"
#include "WDL_PtrList.h"
#include "WDL_String.h"
#include "wdl_base64.h"
#include "wdl_text.h"

namespace
{
struct Counted
{
  static int alive;
  Counted() { ++alive; }
  ~Counted() { --alive; }
};
int Counted::alive = 0;
}  // namespace

TEST(WdlString, SetAppendFormatAndCut)
{
  WDL_String s;
  EXPECT_STREQ(s.Get(), "");
  s.Set("hello world", 5);
  EXPECT_STREQ(s.Get(), "hello");
  s.Append(", there");
  s.AppendFormatted(64, " %d|%s", 42, "x");
  EXPECT_STREQ(s.Get(), "hello, there 42|x");
  s.SetLen(5);
  EXPECT_STREQ(s.Get(), "hello");
  s.DeleteSub(1, 2);
  EXPECT_STREQ(s.Get(), "hlo");
  s.Append(s.Get());  // appending itself must not read freed memory
  EXPECT_STREQ(s.Get(), "hlohlo");
  s.SetFormatted(3, "%s", "abcdef");
  EXPECT_STREQ(s.Get(), "abc");
  WDL_String copy(s);
  s.Set("changed");
  EXPECT_STREQ(copy.Get(), "abc");
}

TEST(WdlPtrList, InsertDeleteAndOwnership)
{
  WDL_PtrList<Counted> list;
  Counted* a = list.Add(new Counted);
  Counted* b = list.Add(new Counted);
  Counted* c = list.Insert(1, new Counted);
  ASSERT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list.Get(0), a);
  EXPECT_EQ(list.Get(1), c);
  EXPECT_EQ(list.Get(2), b);
  EXPECT_EQ(list.Get(3), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Find(b), 2);

  list.Delete(1, false);  // removed, not deleted
  EXPECT_EQ(Counted::alive, 3);
  delete c;
  list.Delete(0, true);
  EXPECT_EQ(Counted::alive, 1);
  EXPECT_EQ(list.Get(0), b);
  list.Insert(99, new Counted);  // beyond the end appends
  EXPECT_EQ(list.GetSize(), 2);
  list.Empty(true);
  EXPECT_EQ(Counted::alive, 0);
  EXPECT_EQ(list.GetSize(), 0);
}

TEST(WdlText, BoundedCopyCutsLongTexts)
{
  char field[8];
  memset(field, 'x', sizeof(field));
  CopyField(field, "a text much longer than the field");
  EXPECT_STREQ(field, "a text ");
  CopyField(field, nullptr);
  EXPECT_STREQ(field, "");
}

TEST(Base64, EncodesWithPaddingAndDecodesToTheFirstForeignCharacter)
{
  const unsigned char bytes[] = {'M', 'a', 'n', 'y', 0xFF};
  char text[16];
  wdl_base64encode(bytes, text, 5);
  EXPECT_STREQ(text, "TWFuef8=");
  wdl_base64encode(bytes, text, 3);
  EXPECT_STREQ(text, "TWFu");

  unsigned char out[8] = {};
  EXPECT_EQ(wdl_base64decode("TWFuef8=", out, 8), 5);
  EXPECT_EQ(0, memcmp(out, bytes, 5));
  EXPECT_EQ(wdl_base64decode("TWFu", out, 2), 2);  // bytes beyond the buffer dropped
  EXPECT_EQ(wdl_base64decode("TW=Fu", out, 8), 1);  // '=' ends decoding
}

TEST(ByteChunk, ValuesRoundTripAndFailedReadsChain)
{
  ByteChunk chunk;
  int i = -7;
  double d = 1.25;
  bool b = true;
  chunk.Put(&i);
  chunk.Put(&d);
  chunk.Put(&b);
  EXPECT_EQ(chunk.Size(), 13);

  int ri = 0;
  double rd = 0;
  bool rb = false;
  int pos = chunk.Get(&ri, 0);
  pos = chunk.Get(&rd, pos);
  pos = chunk.Get(&rb, pos);
  EXPECT_EQ(pos, 13);
  EXPECT_EQ(ri, -7);
  EXPECT_EQ(rd, 1.25);
  EXPECT_TRUE(rb);

  double untouched = 9.0;
  EXPECT_EQ(chunk.Get(&untouched, 6), -1);  // 6 + 8 > 13
  EXPECT_EQ(untouched, 9.0);
  EXPECT_EQ(chunk.Get(&ri, -1), -1);  // the error mark propagates

  chunk.Clear();
  EXPECT_EQ(chunk.Size(), 0);
}

TEST(ByteChunk, StringsAreLengthPrefixedAndReadSafely)
{
  ByteChunk chunk;
  chunk.PutStr("abc");
  EXPECT_EQ(chunk.Size(), 7);
  char buf[16] = "old";
  EXPECT_EQ(chunk.GetStr(buf, sizeof(buf), 0), 7);
  EXPECT_STREQ(buf, "abc");

  // A length past the end returns the end anyway and leaves the text.
  ByteChunk bad;
  int len = 50;
  bad.Put(&len);
  bad.PutBytes("xy", 2);
  strcpy(buf, "keep");
  EXPECT_EQ(bad.GetStr(buf, sizeof(buf), 0), 54);
  EXPECT_STREQ(buf, "keep");

  // An embedded zero ends the text; a small buffer cuts it.
  ByteChunk zero;
  len = 5;
  zero.Put(&len);
  zero.PutBytes("ab\0cd", 5);
  EXPECT_EQ(zero.GetStr(buf, sizeof(buf), 0), 9);
  EXPECT_STREQ(buf, "ab");
  char tiny[2];
  chunk.GetStr(tiny, sizeof(tiny), 0);
  EXPECT_STREQ(tiny, "a");

  // An empty stored text leaves the buffer as it was.
  ByteChunk empty;
  empty.PutStr("");
  strcpy(buf, "prev");
  EXPECT_EQ(empty.GetStr(buf, sizeof(buf), 0), 4);
  EXPECT_STREQ(buf, "prev");
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Tracing writes nothing; time stamps and the small text helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cctype>
#include <ctime>

#include "Log.h"

namespace
{
// Whether text has the shape of pattern, where '9' stands for any digit.
bool hasShape(const std::string& text, const std::string& pattern)
{
  if (text.size() != pattern.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (pattern[i] == '9' ? !isdigit((unsigned char) text[i]) : text[i] != pattern[i]) return false;
  return true;
}
}  // namespace

TEST(Tracing, CurrentTimeCarriesTheUtcOffset)
{
  const char* oldTz = getenv("TZ");
  std::string saved = oldTz ? oldTz : "";

  setenv("TZ", "UTC0", 1);
  tzset();
  std::string utc = CurrentTime();
  EXPECT_TRUE(hasShape(utc, "99999999 99:99 +0000")) << utc;

  setenv("TZ", "EAST-1", 1);  // one hour east of UTC
  tzset();
  std::string east = CurrentTime();
  EXPECT_EQ(east.substr(east.size() - 5), "+0100") << east;

  setenv("TZ", "YYY+5:30", 1);  // five and a half hours west
  tzset();
  std::string west = CurrentTime();
  EXPECT_EQ(west.substr(west.size() - 5), "-0530") << west;

  if (oldTz)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(Tracing, CompileTimestampRemovesThePaddingOfTheDay)
{
  WDL_String out;
  CompileTimestamp("Dec  7 2026", "01:25:59", &out);
  EXPECT_STREQ(out.Get(), "[Dec 7 01:25]");
  CompileTimestamp("Dec 17 2026", "13:05:00", &out);
  EXPECT_STREQ(out.Get(), "[Dec17 13:05]");
  EXPECT_EQ(out.GetLength(), 13);
  EXPECT_STREQ(AppendTimestamp("Dec  7 2026", "01:25:59", "Plushgrit"), "Plushgrit [Dec 7 01:25]");
}

TEST(Tracing, WhitespaceAndLowercase)
{
  for (char c : {'\t', '\n', '\r', ' '}) EXPECT_TRUE(IsWhitespace(c));
  for (char c : {'\v', '\f', 'a', '\0'}) EXPECT_FALSE(IsWhitespace(c));
  char out[16];
  ToLower(out, "MiXeD 42");
  EXPECT_STREQ(out, "mixed 42");
}

TEST(Tracing, TimerFiresOnlyAfterItsInterval)
{
  Timer t;
  EXPECT_FALSE(t.Every(1000.0));
  clock_t start = clock();
  while (clock() - start < CLOCKS_PER_SEC / 50) {}  // burn 20 ms of CPU time
  EXPECT_TRUE(t.Every(0.001));
  EXPECT_FALSE(t.Every(1000.0));
}

TEST(Tracing, LogWritesEachValueOnItsOwnLine)
{
  testing::internal::CaptureStdout();
  Log(3);
  Log("text");
  Log(std::string("s"));
  Log('c');
  blame();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "3\ntext\ns\nc\n\n");
}

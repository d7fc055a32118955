// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "Log.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <iostream>

void Trace(const char*, int, const char*, ...) {}

const char* VSTOpcodeStr(int) { return ""; }
const char* AUSelectStr(int) { return ""; }
const char* AUPropertyStr(int) { return ""; }
const char* AUScopeStr(int) { return ""; }

const char* CurrentTime()
{
  static char sTimeStr[32];
  time_t now = time(nullptr);
  struct tm local, utc;
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
  size_t n = strftime(sTimeStr, sizeof(sTimeStr), "%Y%m%d %H:%M ", &local);

  int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
  int dayDiff = local.tm_yday - utc.tm_yday;
  // Across a year boundary the day-of-year numbers jump by a whole year.
  if (dayDiff > 1) offset -= 1440;
  else if (dayDiff < -1) offset += 1440;
  else offset += dayDiff * 1440;

  int a = offset < 0 ? -offset : offset;
  snprintf(sTimeStr + n, sizeof(sTimeStr) - n, "%c%02d%02d", offset < 0 ? '-' : '+', a / 60, a % 60);
  return sTimeStr;
}

void CompileTimestamp(const char* date, const char* time, WDL_String* out)
{
  out->Set("[");
  out->Append(date);
  out->SetLen(7);
  out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time);
  out->SetLen(12);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text)
{
  static WDL_String sStr;
  WDL_String stamp;
  CompileTimestamp(date, time, &stamp);
  sStr.Set(text);
  sStr.Append(" ");
  sStr.Append(stamp.Get());
  return sStr.Get();
}

Timer::Timer() : mLastTime((unsigned long) clock()) {}

bool Timer::Every(double seconds)
{
  unsigned long now = (unsigned long) clock();
  if ((double) (now - mLastTime) > seconds * 1000000.0)
  {
    mLastTime = now;
    return true;
  }
  return false;
}

bool IsWhitespace(char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

void ToLower(char* out, const char* text)
{
  while (*text) *out++ = (char) tolower((unsigned char) *text++);
  *out = 0;
}

void Log(const std::string& s) { std::cout << s << std::endl; }
void Log(int i) { std::cout << i << std::endl; }
void Log(float f) { std::cout << f << std::endl; }
void Log(double d) { std::cout << d << std::endl; }
void Log(long l) { std::cout << l << std::endl; }
void Log(const int* p) { std::cout << p << std::endl; }
void Log(char c) { std::cout << c << std::endl; }
void Log(const char* s) { std::cout << s << std::endl; }
void blame() { std::cout << std::endl; }

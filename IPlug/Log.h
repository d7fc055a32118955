// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Tracing and small logging services. Tracing is compiled in at every main
// step of the framework but writes nothing in this build: the call sites and
// their message formats stay in place so that tracing can be switched on
// without touching them.
#pragma once

#include <string>

#include "../wdl/WDL_String.h"

// Accepts a function name, a line and a printf-style message; writes nothing.
void Trace(const char* funcName, int line, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

#define TRACE_HERE __FUNCTION__, __LINE__

// Names of host-protocol selectors for trace lines; empty while tracing is off.
const char* VSTOpcodeStr(int opCode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);

// Local time as "YYYYMMDD HH:MM +hhmm" in a static buffer that the next call
// overwrites.
const char* CurrentTime();

// "[Mmm dd hh:mm]" from the compiler's __DATE__ and __TIME__ texts.
void CompileTimestamp(const char* date, const char* time, WDL_String* out);
// text, a space and the compile time stamp, in one shared static string.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Fires at most once per interval of processor time.
class Timer
{
public:
  Timer();
  bool Every(double seconds);

private:
  unsigned long mLastTime;
};

bool IsWhitespace(char c);
// out must hold strlen(text) + 1 bytes.
void ToLower(char* out, const char* text);

// Console logging for plug-in authors: each writes its argument and an end
// of line to standard output.
void Log(const std::string& s);
void Log(int i);
void Log(float f);
void Log(double d);
void Log(long l);
void Log(const int* p);
void Log(char c);
void Log(const char* s);
void blame();

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IPlugStructs.h"

#include <cmath>
#include <cstdio>

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  Clear();
  mStatus = (uint8_t) (0x90 | channel);
  mData1 = (uint8_t) noteNumber;
  mData2 = (uint8_t) velocity;
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  Clear();
  mStatus = (uint8_t) (0x80 | channel);
  mData1 = (uint8_t) noteNumber;
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  mStatus = (uint8_t) (0xE0 | channel);
  // Clamped as a double first: converting an out-of-range double to int is
  // undefined. NaN gives the centre.
  double scaled = value * 8192.0;
  if (std::isnan(scaled)) scaled = 0.0;
  if (scaled < -8192.0) scaled = -8192.0;
  if (scaled > 8191.0) scaled = 8191.0;
  const int v = (int) scaled + 8192;
  mData1 = (uint8_t) (v & 0x7F);
  mData2 = (uint8_t) (v >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  mStatus = (uint8_t) (0xB0 | channel);
  mData1 = (uint8_t) idx;
  mData2 = (uint8_t) (int) (value * 127.0);
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  unsigned kind = mStatus >> 4;
  // Running status (top bit clear) and system messages (0xF_) are not ours.
  if (!(mStatus & 0x80) || kind == 0xF) return kNone;
  return (EStatusMsg) kind;
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg())
  {
    case kNoteOn:
    case kNoteOff:
    case kPolyAftertouch: return mData1;
    default: return -1;
  }
}

int IMidiMsg::Velocity() const
{
  switch (StatusMsg())
  {
    case kNoteOn:
    case kNoteOff: return mData2;
    default: return -1;
  }
}

int IMidiMsg::PolyAfterTouch() const { return StatusMsg() == kPolyAftertouch ? mData2 : -1; }
int IMidiMsg::ChannelAfterTouch() const { return StatusMsg() == kChannelAftertouch ? mData1 : -1; }
int IMidiMsg::Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  int v = mData1 | (mData2 << 7);
  return (double) (v - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (StatusMsg() == kControlChange && ControlChangeIdx() == idx) return (double) mData2 / 127.0;
  return -1.0;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg)
{
  switch (msg)
  {
    case IMidiMsg::kNone: return "none";
    case IMidiMsg::kNoteOff: return "noteoff";
    case IMidiMsg::kNoteOn: return "noteon";
    case IMidiMsg::kPolyAftertouch: return "aftertouch";
    case IMidiMsg::kControlChange: return "controlchange";
    case IMidiMsg::kProgramChange: return "programchange";
    case IMidiMsg::kChannelAftertouch: return "channelaftertouch";
    case IMidiMsg::kPitchWheel: return "pitchwheel";
    default: return "unknown";
  }
}

char* SysExStr(char* str, int capacity, const uint8_t* data, int size)
{
  str[0] = 0;
  if (!data || size <= 0 || capacity < 3) return str;
  // "XX XX XX": three characters a byte, the last space replaced by the
  // terminator, so n bytes need exactly 3n characters of room.
  static const char kHex[] = "0123456789ABCDEF";
  const int n = size < capacity / 3 ? size : capacity / 3;
  char* p = str;
  for (int i = 0; i < n; ++i)
  {
    *p++ = kHex[data[i] >> 4];
    *p++ = kHex[data[i] & 15];
    *p++ = ' ';
  }
  p[-1] = 0;
  return str;
}

int ByteChunk::PutStr(const char* str)
{
  int len = (int) strlen(str);
  Put(&len);
  return PutBytes(str, len);
}

int ByteChunk::GetStr(char* buf, int bufSize, int startPos) const
{
  int len = 0;
  int strStart = Get(&len, startPos);
  if (strStart < 0) return -1;
  long long end = (long long) strStart + len;
  if (end <= Size() && len > 0 && bufSize > 0)
  {
    const char* src = (const char*) GetBytes() + strStart;
    int n = 0;
    while (n < len && n < bufSize - 1 && src[n]) { buf[n] = src[n]; ++n; }
    buf[n] = 0;
  }
  return end > 0x7FFFFFFF || end < -1 ? -1 : (int) end;
}

int ByteChunk::PutBytes(const void* buf, int size)
{
  int n = Size();
  if (size <= 0) return n;
  uint8_t* p = static_cast<uint8_t*>(mBytes.Resize(n + size));
  if (!p) return n;
  memcpy(p + n, buf, (size_t) size);
  return Size();
}

int ByteChunk::Resize(int newSize)
{
  int n = Size();
  if (!mBytes.Resize(newSize)) return n;
  if (newSize > n) memset(GetBytes() + n, 0, (size_t) (newSize - n));
  return Size();
}

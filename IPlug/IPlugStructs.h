// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Records that the plug-in base and the format binding exchange: MIDI
// messages, system-exclusive messages, transport information, the byte
// chunk behind all state, and presets.
#pragma once

#include <cstdint>
#include <cstring>

#include "../wdl/WDL_HeapBuf.h"

struct IMidiMsg
{
  int mOffset = 0;
  uint8_t mStatus = 0, mData1 = 0, mData2 = 0;

  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // MIDI controller numbers 0..127.
  enum EControlChangeMsg
  {
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSustenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kAllNotesOff = 123
  };

  IMidiMsg() = default;
  IMidiMsg(int offset, uint8_t s, uint8_t d1, uint8_t d2) : mOffset(offset), mStatus(s), mData1(d1), mData2(d2) {}

  void Clear();
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  void MakePitchWheelMsg(double value, int channel = 0);
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  int Channel() const { return mStatus & 0x0F; }
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAfterTouch() const;
  int Program() const;
  double PitchWheel() const;
  EControlChangeMsg ControlChangeIdx() const { return (EControlChangeMsg) mData1; }
  double ControlChange(EControlChangeMsg idx) const;
  void LogMsg() const {}
};

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);

struct ISysEx
{
  int mOffset = 0, mSize = 0;
  const uint8_t* mData = nullptr;

  ISysEx() = default;
  ISysEx(int offset, const uint8_t* data, int size) : mOffset(offset), mSize(size), mData(data) {}
  void Clear() { mOffset = mSize = 0; mData = nullptr; }
  void LogMsg() const {}
};

// Writes up to capacity / 3 bytes as "%02X " and terminates over the last
// space. capacity must be at least 3.
char* SysExStr(char* str, int capacity, const uint8_t* data, int size);

struct ITimeInfo
{
  double mTempo = 0.0;
  double mSamplePos = 0.0;
  double mPPQPos = 0.0;
  double mLastBar = 0.0;
  double mCycleStart = 0.0;
  double mCycleEnd = 0.0;
  int mNumerator = 0;
  int mDenominator = 0;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// A growable byte buffer for all serialized state. Reads take a position and
// return the next one, or -1 once a read fails; a read at a negative
// position fails again, so a chain of reads can be checked once at the end.
class ByteChunk
{
public:
  ByteChunk() : mBytes(4096) {}

  template <class T>
  int Put(const T* value) { return PutBytes(value, (int) sizeof(T)); }

  template <class T>
  int Get(T* value, int startPos) const
  {
    if (startPos < 0) return -1;
    long long end = (long long) startPos + (long long) sizeof(T);
    if (end > Size()) return -1;
    memcpy(value, GetBytes() + startPos, sizeof(T));
    return (int) end;
  }

  // Length as a 4-byte int, then the characters without the terminator.
  int PutStr(const char* str);
  // Reads a length-prefixed string into buf (bufSize bytes, always
  // terminated, cut when longer). Returns the end position even when it lies
  // past the chunk, so that the next read fails.
  int GetStr(char* buf, int bufSize, int startPos) const;

  int PutBytes(const void* buf, int size);
  int PutChunk(const ByteChunk* other) { return PutBytes(other->GetBytes(), other->Size()); }

  void Clear() { mBytes.Resize(0); }
  int Size() const { return mBytes.GetSize(); }
  // Returns the new size, or the old one when memory could not be had.
  int Resize(int newSize);
  // Grows capacity ahead of time so that later appends do not allocate.
  bool Reserve(int capacity) { return mBytes.Reserve(capacity); }
  uint8_t* GetBytes() const { return static_cast<uint8_t*>(mBytes.Get()); }

  bool IsEqual(const ByteChunk* other) const
  {
    return other->Size() == Size() && (!Size() || !memcmp(other->GetBytes(), GetBytes(), (size_t) Size()));
  }

private:
  WDL_HeapBuf mBytes;
};

struct IPreset
{
  bool mInitialized = false;
  char mName[256];
  ByteChunk mChunk;

  IPreset() { strcpy(mName, "empty"); }
};

// A four-character code with its first character in the top byte.
constexpr int MakeFourCC(const char (&s)[5])
{
  return (int) (((unsigned) (unsigned char) s[0] << 24) | ((unsigned) (unsigned char) s[1] << 16) |
                ((unsigned) (unsigned char) s[2] << 8) | (unsigned) (unsigned char) s[3]);
}

// What a format hands the plug-in's constructor; empty for VST 3.
struct IPlugInstanceInfo
{
};

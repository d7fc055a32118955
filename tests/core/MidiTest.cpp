// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// MIDI records: building, decoding, naming and system-exclusive text.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "IPlugStructs.h"

TEST(MidiMsg, NoteOnAndOff)
{
  IMidiMsg msg;
  msg.MakeNoteOnMsg(60, 100, 12, 1);
  EXPECT_EQ(msg.mStatus, 0x91);
  EXPECT_EQ(msg.mOffset, 12);
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(msg.Channel(), 1);
  EXPECT_EQ(msg.NoteNumber(), 60);
  EXPECT_EQ(msg.Velocity(), 100);
  EXPECT_EQ(msg.Program(), -1);

  msg.MakeNoteOffMsg(61, 3, 15);
  EXPECT_EQ(msg.mStatus, 0x8F);
  EXPECT_EQ(msg.mData2, 0);
  EXPECT_EQ(msg.NoteNumber(), 61);
  EXPECT_EQ(msg.Velocity(), 0);
}

TEST(MidiMsg, PitchWheelClampsAndReadsBack)
{
  IMidiMsg msg;
  msg.MakePitchWheelMsg(0.0);
  EXPECT_EQ(msg.mData1, 0);
  EXPECT_EQ(msg.mData2, 64);
  EXPECT_EQ(msg.PitchWheel(), 0.0);
  msg.MakePitchWheelMsg(1.0);
  EXPECT_EQ(msg.mData1, 0x7F);
  EXPECT_EQ(msg.mData2, 0x7F);
  msg.MakePitchWheelMsg(-1.0);
  EXPECT_EQ(msg.mData1, 0);
  EXPECT_EQ(msg.mData2, 0);
  EXPECT_EQ(msg.PitchWheel(), -1.0);
  IMidiMsg other(0, 0x90, 1, 2);
  EXPECT_EQ(other.PitchWheel(), 0.0);

  // Values far outside -1..1 clamp (a plain cast to int would wrap); NaN centres.
  const struct { double value; int data1, data2; } hostile[] = {{1e300, 0x7F, 0x7F}, {-1e300, 0, 0},
                                                                 {std::nan(""), 0, 64}, {262144.0, 0x7F, 0x7F}};
  for (const auto& h : hostile)
  {
    msg.MakePitchWheelMsg(h.value);
    EXPECT_EQ(msg.mData1, h.data1) << h.value;
    EXPECT_EQ(msg.mData2, h.data2) << h.value;
  }
}

TEST(MidiMsg, ControlChange)
{
  IMidiMsg msg;
  msg.MakeControlChangeMsg(IMidiMsg::kChannelVolume, 1.0, 0);
  EXPECT_EQ(msg.mData2, 127);
  msg.MakeControlChangeMsg(IMidiMsg::kChannelVolume, 0.5, 0);
  EXPECT_EQ(msg.mData2, 63);
  EXPECT_DOUBLE_EQ(msg.ControlChange(IMidiMsg::kChannelVolume), 63.0 / 127.0);
  EXPECT_EQ(msg.ControlChange(IMidiMsg::kPan), -1.0);
  EXPECT_EQ(msg.ControlChangeIdx(), IMidiMsg::kChannelVolume);
}

TEST(MidiMsg, SystemAndRunningStatusDecodeAsNone)
{
  for (uint8_t status : {0xF8, 0x45})
  {
    IMidiMsg msg(0, status, 1, 2);
    EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(msg.NoteNumber(), -1);
    EXPECT_EQ(msg.Velocity(), -1);
    EXPECT_EQ(msg.PolyAfterTouch(), -1);
    EXPECT_EQ(msg.ChannelAfterTouch(), -1);
    EXPECT_EQ(msg.Program(), -1);
  }
  IMidiMsg after(0, 0xA0, 5, 6), chan(0, 0xD0, 7, 0), prog(0, 0xC3, 9, 0);
  EXPECT_EQ(after.PolyAfterTouch(), 6);
  EXPECT_EQ(after.NoteNumber(), 5);
  EXPECT_EQ(chan.ChannelAfterTouch(), 7);
  EXPECT_EQ(prog.Program(), 9);
  prog.Clear();
  EXPECT_EQ(prog.mStatus, 0);
}

TEST(MidiMsg, NamesAndSysExText)
{
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kNoteOn), "noteon");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kChannelAftertouch), "channelaftertouch");
  EXPECT_STREQ(StatusMsgStr((IMidiMsg::EStatusMsg) 3), "unknown");
  EXPECT_STREQ(StatusMsgStr((IMidiMsg::EStatusMsg) 20), "unknown");

  const uint8_t data[] = {0xF0, 0x7E, 0x7F, 0x09, 0xF7};
  char text[10];
  EXPECT_STREQ(SysExStr(text, sizeof(text), data, 5), "F0 7E 7F");
  char big[64];
  EXPECT_STREQ(SysExStr(big, sizeof(big), data, 5), "F0 7E 7F 09 F7");
  EXPECT_STREQ(SysExStr(big, sizeof(big), nullptr, 5), "");
  EXPECT_STREQ(SysExStr(big, sizeof(big), data, 0), "");
  // A capacity of exactly three bytes per byte fits without a spill.
  char guarded[12];
  memset(guarded, 'G', sizeof(guarded));
  EXPECT_STREQ(SysExStr(guarded, 9, data, 5), "F0 7E 7F");
  EXPECT_EQ(guarded[9], 'G');

  ISysEx sysex(4, data, 5);
  sysex.Clear();
  EXPECT_EQ(sysex.mData, nullptr);
  EXPECT_EQ(sysex.mSize, 0);
}

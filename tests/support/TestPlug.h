// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A framework plug-in for tests: records the hooks and host calls it sees.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "IPlugBase.h"

class TestPlug : public IPlugBase
{
public:
  TestPlug(int nParams, const char* channelIO = "2-2", int nPresets = 0, int latency = 0, EAPI api = kAPIVST3,
           bool storesChunks = false, int uniqueID = MakeFourCC("Tst1"))
      : IPlugBase(nParams, channelIO, nPresets, "TestPlug", "Test Product", "Test Maker", 0x10203, uniqueID,
                  MakeFourCC("Mkr1"), latency, false, storesChunks, false, api)
  {
  }

  void OnParamChange(int paramIdx) override
  {
    WDL_MutexLock lock(&mMutex);
    paramChanges.push_back(paramIdx);
  }
  void BeginInformHostOfParamChange(int idx) override
  {
    begins.push_back(idx);
    edits += "b" + std::to_string(idx) + " ";
  }
  void InformHostOfParamChange(int idx, double v) override
  {
    informs.push_back({idx, v});
    edits += "p" + std::to_string(idx) + " ";
    if (onInform) onInform();
  }
  void EndInformHostOfParamChange(int idx) override
  {
    ends.push_back(idx);
    edits += "e" + std::to_string(idx) + " ";
  }
  void InformHostOfProgramChange() override { ++programChanges; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return tempo; }
  void GetTimeSig(int* n, int* d) override { *n = 4; *d = 4; }
  void GetTime(ITimeInfo* t) override { *t = ITimeInfo(); }
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg* msg) override
  {
    sentMidi.push_back(*msg);
    return msg->mStatus != 0xFF;  // lets tests make one send fail
  }
  void PresetsChangedByHost() override { ++presetsChanged; }
  void PopupHostContextMenuForParam(int idx, int, int) override { contextMenus.push_back(idx); }

  // Exposes the delay line the binding would create.
  void CreateDelay()
  {
    mDelay = new NChanDelayLine(NInChannels(), NOutChannels());
    mDelay->SetDelay(GetLatency());
  }

  struct Inform
  {
    int idx;
    double value;
  };
  std::vector<int> paramChanges, begins, ends, contextMenus;
  std::string edits;  // "b3 p3 p3 e3 ...": the host's edit calls in order
  std::function<void()> onInform;
  std::vector<Inform> informs;
  std::vector<IMidiMsg> sentMidi;
  double tempo = 120.0;
  int presetsChanged = 0, programChanges = 0;
};

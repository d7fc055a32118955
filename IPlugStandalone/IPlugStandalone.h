// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The standalone binding: the framework's plug-in base as a program of its
// own, with no host to tell of anything. Its audio arrives in callbacks of
// any length (JACK's, see JackAudio), is processed in pieces of the frame's
// size without a lock or an allocation, and follows the sample rate when it
// changes; its settings are the plug-in's state bytes, as the VST 3 binding
// saves them; its parameters can be set by name in plain units.
#pragma once

#include <atomic>
#include <string>

#include "../IPlug/IPlugBase.h"

class IPlugStandalone : public IPlugBase
{
public:
  // The frames the processing frame holds; longer callbacks go in pieces.
  static const int kPieceFrames = 1024;

  IPlugStandalone(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                  const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                  int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSidechainChannels);
  ~IPlugStandalone() override = default;

  // ---- Nobody to tell: the program is the host -----------------------------
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = 4, *pDenom = 4; }
  void GetTime(ITimeInfo* pTimeInfo) override { *pTimeInfo = ITimeInfo(); }
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }

  // ---- Audio ----------------------------------------------------------------
  // The widest channel configuration in and out, at sampleRate; false when
  // the processing buffers cannot be had.
  bool PrepareAudio(double sampleRate);
  int NAudioChannels() const { return NInChannels() < NOutChannels() ? NInChannels() : NOutChannels(); }
  // The audio thread: one callback of nFrames (any number). Allocates
  // nothing and never waits for the framework mutex.
  void ProcessAudio(float** inputs, float** outputs, int nFrames);
  // Any thread: the sample rate changed; the next ProcessAudio takes it.
  void ChangeSampleRate(double sampleRate);

  // ---- Settings ---------------------------------------------------------------
  // The plug-in's state, then a 32-bit bypass flag: the VST 3 binding's bytes.
  bool SaveStateBytes(ByteChunk* out);
  // False, with nothing changed, when the bytes are not a whole state.
  bool RestoreStateBytes(const void* data, size_t size);
  // Sets the parameter named name (any case) to a plain value in its range.
  // False with error when there is no such parameter or the value is out of
  // range.
  bool SetParamByName(const std::string& name, double plainValue, std::string* error);

private:
  std::atomic<double> mPendingRate{0.0};  // 0: none
};

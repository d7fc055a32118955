// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The LV2 binding: the framework's plug-in base as an LV2 plug-in instance
// (audio ports, one input control port per parameter in plain units, an
// lv2:enabled port as the bypass, the framework's state as the plug-in's
// state) and, in a separate instance, as the model behind the LV2 editor
// (values and gestures go to the host's write and touch functions and come
// back as port events). The two never share memory: hosts may run them in
// different processes.
#pragma once

#include <lv2/ui/ui.h>

#include <atomic>
#include <cstdint>

#include "../IPlug/IPlugBase.h"

class IPlugLV2 : public IPlugBase
{
public:
  // The frames the processing frame holds; longer runs go in pieces.
  static const int kPieceFrames = 1024;

  IPlugLV2(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
           const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
           bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSidechainChannels);
  ~IPlugLV2() override = default;

  // ---- Framework operations answered by the binding ----------------------
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = 4, *pDenom = 4; }
  void GetTime(ITimeInfo* pTimeInfo) override { *pTimeInfo = ITimeInfo(); }
  void ResizeGraphics(int w, int h) override;
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void ApplyHostParamValue(int idx, double value) override;

  // ---- Ports ---------------------------------------------------------------
  // Audio inputs, audio outputs, one control port per parameter, then the
  // enable port, for a configuration of nIn and nOut channels.
  static uint32_t ControlPort(int nIn, int nOut, int paramIdx) { return (uint32_t) (nIn + nOut + paramIdx); }
  uint32_t ControlPort(int paramIdx) const { return ControlPort(mPortsIn, mPortsOut, paramIdx); }
  uint32_t EnablePort() const { return ControlPort(NParams()); }
  uint32_t NPorts() const { return EnablePort() + 1; }

  // ---- The audio instance --------------------------------------------------
  // Takes one of the channel model's configurations; false when it is not
  // one, or the processing buffers cannot be had.
  bool PrepareInstance(double sampleRate, int nIn, int nOut);
  void ConnectPort(uint32_t port, void* data);
  void Activate();
  // Reads the control ports (a changed, finite value is set, clamped to its
  // range, and reaches OnParamChange), then processes nFrames, in place or
  // not. Allocates nothing and never waits for the framework mutex.
  void Run(uint32_t nFrames);

  // The framework's state as the VST 3 binding saves it: the serialized
  // state, then a 32-bit bypass flag.
  bool SaveStateBytes(ByteChunk* out);
  // Sets every parameter from such bytes (the bypass stays with the enable
  // port); false, with nothing changed, when they do not read whole. The
  // next run takes every control port's value again.
  bool RestoreStateBytes(const void* data, uint32_t size);

  // ---- The editor instance -------------------------------------------------
  struct UIHost
  {
    void (*write)(void* controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) = nullptr;
    void* controller = nullptr;
    const LV2UI_Touch* touch = nullptr;
    const LV2UI_Resize* resize = nullptr;
  };
  void SetUIHost(const UIHost& host, int nIn, int nOut);
  // Tells the host's ui:resize the editor's size: its window's pixels, in
  // the host's units (see SetHostPixelsPerUnit).
  void ReportEditorSize();
  void SetHostPixelsPerUnit(int k) { mHostPixelsPerUnit = k > 0 ? k : 1; }
  // A control port's value as the host reports it to the editor.
  void PortEvent(uint32_t port, float value);

private:
  int ParamOfPort(uint32_t port) const;

  int mPortsIn = 0, mPortsOut = 0;
  WDL_TypedBuf<float*> mAudio;  // the inputs' ports, then the outputs'
  WDL_TypedBuf<const float*> mControls;
  WDL_TypedBuf<float> mLastControl;  // the port values last taken; NaN before the first
  std::atomic<bool> mRetakePorts{false};
  const float* mEnable = nullptr;
  UIHost mUIHost;
  int mHostPixelsPerUnit = 1;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// One plug-in instance driven the way hosts drive it: create from the
// factory, initialize, bus arrangements, set-up, activation, blocks with
// parameter changes, state, and termination. Process calls allocate
// nothing on the host side.
#pragma once

#include <string>
#include <vector>

#include "HostObjects.h"
#include "PluginModule.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

namespace vst3host
{
using Bytes = std::vector<char>;

class HostedPlugin
{
public:
  HostedPlugin() = default;
  ~HostedPlugin() { Terminate(); }
  HostedPlugin(const HostedPlugin&) = delete;
  HostedPlugin& operator=(const HostedPlugin&) = delete;

  // Index of the first "Audio Module Class" in the factory, or -1.
  static int FindAudioClass(Steinberg::IPluginFactory* factory);

  // Creates and initializes the instance; on failure Error() says why.
  bool Load(PluginModule& module, HostContext* context, int classIndex = -1);
  void Terminate();

  Steinberg::Vst::IComponent* Component() const { return mComponent; }
  Steinberg::Vst::IAudioProcessor* Processor() const { return mProcessor; }
  Steinberg::Vst::IEditController* Controller() const { return mController; }
  Steinberg::Vst::IUnitInfo* Units() const { return mUnits; }
  ComponentHandlerRecorder& Handler() { return mHandler; }
  const std::string& Error() const { return mError; }

  // Channel counts of one main input and one main output bus.
  Steinberg::tresult SetBusArrangements(int nIn, int nOut);
  Steinberg::tresult Setup(double sampleRate, int maxBlock, int sampleSize,
                           int processMode = Steinberg::Vst::kRealtime);
  // Activates the main busses and the component, then starts processing.
  bool Start();
  void Stop();

  // One block with one input and one output bus of the channel counts
  // given. in may be null for a block without an input bus; frames may be 0.
  Steinberg::tresult Process(float** in, int nIn, float** out, int nOut, int frames,
                             ParameterChanges* changes = nullptr, Steinberg::Vst::ProcessContext* context = nullptr);
  Steinberg::tresult Process(double** in, int nIn, double** out, int nOut, int frames,
                             ParameterChanges* changes = nullptr, Steinberg::Vst::ProcessContext* context = nullptr);
  Steinberg::tresult ProcessRaw(Steinberg::Vst::ProcessData& data) { return mProcessor->process(data); }

  // State through the component's and the controller's doors.
  bool GetComponentState(Bytes& out);
  Steinberg::tresult SetComponentState(const Bytes& in);
  bool GetControllerState(Bytes& out);
  Steinberg::tresult SetControllerState(const Bytes& in);
  Steinberg::tresult SetControllerComponentState(const Bytes& in);

  int SampleSize() const { return mSampleSize; }

private:
  template <class Sample>
  Steinberg::tresult ProcessBlock(Sample** in, int nIn, Sample** out, int nOut, int frames, ParameterChanges* changes,
                                  Steinberg::Vst::ProcessContext* context);

  Steinberg::Vst::IComponent* mComponent = nullptr;
  Steinberg::Vst::IAudioProcessor* mProcessor = nullptr;
  Steinberg::Vst::IEditController* mController = nullptr;
  Steinberg::Vst::IUnitInfo* mUnits = nullptr;
  bool mSeparateController = false;
  bool mActive = false, mProcessing = false;
  int mSampleSize = Steinberg::Vst::kSample32;
  int mProcessMode = Steinberg::Vst::kRealtime;
  ComponentHandlerRecorder mHandler;
  std::string mError;
};
}  // namespace vst3host

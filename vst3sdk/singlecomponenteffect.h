// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// One object that is a VST 3 component, audio processor and edit controller
// at once, with the four bus lists and the stored process set-up. Written
// from the VST 3 interfaces; keeps the public names of the SDK class of the
// same purpose so that a full SDK could take its place.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace Steinberg {
namespace Vst {

// IComponent and IEditController both declare setState/getState with one
// signature. These two small bases give each interface's pair its own name,
// so that a single object can answer both doors differently.
class EditControllerStateCalls : public EditController
{
public:
  tresult PLUGIN_API setState (IBStream* state) SMTG_OVERRIDE final { return setEditorState (state); }
  tresult PLUGIN_API getState (IBStream* state) SMTG_OVERRIDE final { return getEditorState (state); }
  // The edit controller's state (IEditController::setState/getState).
  virtual tresult PLUGIN_API setEditorState (IBStream*) { return kNotImplemented; }
  virtual tresult PLUGIN_API getEditorState (IBStream*) { return kNotImplemented; }
};

class ComponentStateCalls : public IComponent
{
public:
  tresult PLUGIN_API setState (IBStream* state) SMTG_OVERRIDE final { return setComponentState (state); }
  tresult PLUGIN_API getState (IBStream* state) SMTG_OVERRIDE final { return getComponentState (state); }
  // The component's state. setComponentState has the signature of
  // IEditController::setComponentState, so one override answers both.
  virtual tresult PLUGIN_API setComponentState (IBStream* state) = 0;
  virtual tresult PLUGIN_API getComponentState (IBStream*) { return kNotImplemented; }
};

class SingleComponentEffect : public EditControllerStateCalls, public ComponentStateCalls, public IAudioProcessor
{
public:
  SingleComponentEffect ();
  ~SingleComponentEffect () override;

  // IPluginBase (both the component and the controller side)
  tresult PLUGIN_API initialize (FUnknown* context) SMTG_OVERRIDE;
  tresult PLUGIN_API terminate () SMTG_OVERRIDE;

  // IComponent
  tresult PLUGIN_API getControllerClassId (TUID) SMTG_OVERRIDE { return kNotImplemented; }
  tresult PLUGIN_API setIoMode (IoMode) SMTG_OVERRIDE { return kNotImplemented; }
  int32 PLUGIN_API getBusCount (MediaType type, BusDirection dir) SMTG_OVERRIDE;
  tresult PLUGIN_API getBusInfo (MediaType type, BusDirection dir, int32 index, BusInfo& info) SMTG_OVERRIDE;
  tresult PLUGIN_API getRoutingInfo (RoutingInfo&, RoutingInfo&) SMTG_OVERRIDE { return kNotImplemented; }
  tresult PLUGIN_API activateBus (MediaType type, BusDirection dir, int32 index, TBool state) SMTG_OVERRIDE;
  tresult PLUGIN_API setActive (TBool) SMTG_OVERRIDE { return kResultOk; }

  // IEditController::setComponentState and the component's own setState.
  tresult PLUGIN_API setComponentState (IBStream*) SMTG_OVERRIDE { return kNotImplemented; }

  // IAudioProcessor
  tresult PLUGIN_API setBusArrangements (SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                         int32 numOuts) SMTG_OVERRIDE;
  tresult PLUGIN_API getBusArrangement (BusDirection dir, int32 index, SpeakerArrangement& arr) SMTG_OVERRIDE;
  tresult PLUGIN_API canProcessSampleSize (int32 symbolicSampleSize) SMTG_OVERRIDE;
  uint32 PLUGIN_API getLatencySamples () SMTG_OVERRIDE { return 0; }
  tresult PLUGIN_API setupProcessing (ProcessSetup& setup) SMTG_OVERRIDE;
  tresult PLUGIN_API setProcessing (TBool) SMTG_OVERRIDE { return kNotImplemented; }
  tresult PLUGIN_API process (ProcessData&) SMTG_OVERRIDE { return kNotImplemented; }
  uint32 PLUGIN_API getTailSamples () SMTG_OVERRIDE { return kNoTail; }

  // Bus helpers
  AudioBus* addAudioInput (const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
                           int32 flags = BusInfo::kDefaultActive);
  AudioBus* addAudioOutput (const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
                            int32 flags = BusInfo::kDefaultActive);
  EventBus* addEventInput (const TChar* name, int32 channels = 16, BusType busType = kMain,
                           int32 flags = BusInfo::kDefaultActive);
  EventBus* addEventOutput (const TChar* name, int32 channels = 16, BusType busType = kMain,
                            int32 flags = BusInfo::kDefaultActive);
  tresult removeAudioBusses ();
  tresult removeEventBusses ();

  OBJ_METHODS (SingleComponentEffect, EditControllerStateCalls)
  tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
  REFCOUNT_METHODS (EditControllerStateCalls)

protected:
  BusList* getBusList (MediaType type, BusDirection dir);
  tresult removeAllBusses ();

  BusList audioInputs;
  BusList audioOutputs;
  BusList eventInputs;
  BusList eventOutputs;
  ProcessSetup processSetup;
};

} // namespace Vst
} // namespace Steinberg

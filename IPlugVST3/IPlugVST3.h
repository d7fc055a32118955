// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The VST 3 binding: one object that is the framework's plug-in base, the
// host's component and audio processor, and its edit controller.
#pragma once

#include "../IPlug/IPlugBase.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "singlecomponenteffect.h"

class IPlugVST3View;

enum
{
  kBypassParam = 0x62706173,  // 'bpas'
  kPresetParam = 0x70727374   // 'prst'
};

class IPlugVST3 : public IPlugBase, public Steinberg::Vst::IUnitInfo, public Steinberg::Vst::SingleComponentEffect
{
public:
  using tresult = Steinberg::tresult;
  using ParamID = Steinberg::Vst::ParamID;
  using ParamValue = Steinberg::Vst::ParamValue;
  using IBStream = Steinberg::IBStream;

  IPlugVST3(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
            const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSidechainChannels);
  ~IPlugVST3() override;

  // ---- Framework operations answered by the binding ----------------------
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override {}
  bool IsRenderingOffline() override;
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;
  void ResizeGraphics(int w, int h) override;
  void PopupHostContextMenuForParam(int idx, int x, int y) override;
  void SetLatency(int samples) override;
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void ApplyHostProgramChange(double value) override;

  // ---- Component and audio processor ---------------------------------------
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
  tresult PLUGIN_API terminate() SMTG_OVERRIDE;
  tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, Steinberg::int32 numIns,
                                        Steinberg::Vst::SpeakerArrangement* outputs,
                                        Steinberg::int32 numOuts) SMTG_OVERRIDE;
  tresult PLUGIN_API setActive(Steinberg::TBool state) SMTG_OVERRIDE;
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& newSetup) SMTG_OVERRIDE;
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;
  tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) SMTG_OVERRIDE;
  Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE { return (Steinberg::uint32) GetLatency(); }
  Steinberg::uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE { return (Steinberg::uint32) GetTailSize(); }

  // The edit controller's state: the parameters, then the bypass flag.
  tresult PLUGIN_API setEditorState(IBStream* state) SMTG_OVERRIDE;
  tresult PLUGIN_API getEditorState(IBStream* state) SMTG_OVERRIDE;
  // The component's state and IEditController::setComponentState carry the
  // same stream, so hosts that save or restore only through the component
  // keep the user's settings.
  tresult PLUGIN_API setComponentState(IBStream* state) SMTG_OVERRIDE { return setEditorState(state); }
  tresult PLUGIN_API getComponentState(IBStream* state) SMTG_OVERRIDE { return getEditorState(state); }

  // ---- Editor views ----------------------------------------------------------------
  // "editor" gives a new view (even before a graphics context exists; it
  // then declines every platform type); any other name null.
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) SMTG_OVERRIDE;
  void addDependentView(IPlugVST3View* view);
  void removeDependentView(IPlugVST3View* view);
  int NViews() const { return mViews.GetSize(); }
  // The view the editor is shown in, or null.
  IPlugVST3View* AttachedView() const;
  Steinberg::FUnknown* GetHostContext() const { return hostContext; }

  // ---- Edit controller ---------------------------------------------------------
  tresult PLUGIN_API setParamNormalized(ParamID tag, ParamValue value) SMTG_OVERRIDE;
  ParamValue PLUGIN_API getParamNormalized(ParamID tag) SMTG_OVERRIDE;
  ParamValue PLUGIN_API plainParamToNormalized(ParamID tag, ParamValue plainValue) SMTG_OVERRIDE;
  tresult PLUGIN_API getParamStringByValue(ParamID tag, ParamValue valueNormalized,
                                           Steinberg::Vst::String128 string) SMTG_OVERRIDE;

  // ---- Units and programs ----------------------------------------------------------
  Steinberg::int32 PLUGIN_API getUnitCount() SMTG_OVERRIDE;
  tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex, Steinberg::Vst::UnitInfo& info) SMTG_OVERRIDE;
  Steinberg::int32 PLUGIN_API getProgramListCount() SMTG_OVERRIDE;
  tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex, Steinberg::Vst::ProgramListInfo& info) SMTG_OVERRIDE;
  tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, Steinberg::int32 programIndex,
                                    Steinberg::Vst::String128 name) SMTG_OVERRIDE;
  tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID, Steinberg::int32, Steinberg::Vst::CString,
                                    Steinberg::Vst::String128) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID, Steinberg::int32) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID, Steinberg::int32, Steinberg::int16,
                                         Steinberg::Vst::String128) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() SMTG_OVERRIDE { return 0; }
  tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID) SMTG_OVERRIDE { return Steinberg::kNotImplemented; }
  tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType, Steinberg::Vst::BusDirection, Steinberg::int32,
                                  Steinberg::int32, Steinberg::Vst::UnitID&) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API setUnitProgramData(Steinberg::int32, Steinberg::int32, IBStream*) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }

  // Edit notifications to the host's component handler (false without one).
  tresult beginEdit(ParamID tag) SMTG_OVERRIDE;
  tresult performEdit(ParamID tag, ParamValue valueNormalized) SMTG_OVERRIDE;
  tresult endEdit(ParamID tag) SMTG_OVERRIDE;

  // Delivers, on the user-interface thread, what the audio thread could not
  // tell the host itself: parameter values changed by a program change.
  void NotifyHostOfPendingChanges();
  void OnIdle() override { NotifyHostOfPendingChanges(); }

  Steinberg::Vst::AudioBus* getAudioInput(Steinberg::int32 index);
  Steinberg::Vst::AudioBus* getAudioOutput(Steinberg::int32 index);

  OBJ_METHODS(IPlugVST3, SingleComponentEffect)
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
  REFCOUNT_METHODS(SingleComponentEffect)

private:
  // Restores the preset a program-change value names. Non-finite values and
  // missing presets are refused and change nothing.
  enum ProgramChange { kProgramRefused, kProgramKeptParams, kProgramChangedParams };
  ProgramChange ChangeProgram(double normalizedValue);
  void AddBusses();
  void RegisterParameters();
  void ProcessEvents(Steinberg::Vst::ProcessData& data);
  template <class Sample>
  void ProcessAudio(Steinberg::Vst::ProcessData& data);
  void MarkConnections(Steinberg::Vst::ProcessData& data);
  template <class Sample>
  Sample** PiecePointers(Steinberg::Vst::AudioBusBuffers& bus, int nChannels, int offset);
  bool IsValidParamIndex(ParamID tag) const { return tag < (ParamID) NParams(); }

  int mScChans;
  bool mSidechainActive = false;
  std::atomic<bool> mParamValuesChangedPending{false};
  Steinberg::Vst::ProcessContext mProcessContext;
  WDL_PtrList<IPlugVST3View> mViews;  // the open editor views, in creation order (not owned)
  // Per-block pointer arrays for pieces of blocks longer than the block
  // size; sized at construction so that process never allocates.
  WDL_TypedBuf<float*> mPiecePtrs32;
  WDL_TypedBuf<double*> mPiecePtrs64;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The base of every plug-in: identity, parameters, presets, the channel model
// and processing frame, and one recursive mutex that keeps the host's audio
// thread, its other threads and the editor apart.
//
// Three groups of virtual operations: hooks a plug-in overrides (Reset,
// OnParamChange, ProcessDoubleReplacing, state), operations through which
// the framework talks to the host (implemented by the format binding), and a
// few framework operations the binding may refine.
#pragma once

#include <atomic>

#include "../wdl/WDL_Mutex.h"
#include "../wdl/WDL_PtrList.h"
#include "../wdl/WDL_String.h"
#include "../wdl/WDL_TypedBuf.h"
#include "Hosts.h"
#include "IDeferredChanges.h"
#include "IParam.h"
#include "IPlugChannels.h"
#include "IPlugStructs.h"

class IGraphics;

enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPISA = 5,
  kAPILV2 = 6
};

// Packed versions are 0xVVVVRRMM: major in the upper 16 bits, then an 8-bit
// revision and an 8-bit minor revision.
void GetVersionParts(int version, int* pVer, int* pMaj, int* pMin);
int GetDecimalVersion(int version);
void GetVersionStr(int version, char* str);

class IPlugBase
{
public:
  static const int kNameSize = 128;
  // 16 Mi frames: 128 MiB of scratch per channel. Hosts ask for a few
  // thousand; a larger request is a host fault, refused rather than met by
  // committing gigabytes.
  static const int kMaxBlockSize = 1 << 24;

  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
            const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
            bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
  virtual ~IPlugBase();
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // ---- Hooks a plug-in overrides -------------------------------------
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  // Called with one input and one output pointer per channel of the widest
  // configuration, each valid for nFrames, while the caller holds the mutex.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // Needs at least as many output channels as input channels.
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  virtual void ProcessMidiMsg(IMidiMsg* pMsg);
  virtual void ProcessSysEx(ISysEx*) {}
  virtual bool MidiNoteName(int noteNumber, char* noteName);
  virtual bool SerializeState(ByteChunk* pChunk);
  // Returns the position after the state, or -1.
  virtual int UnserializeState(ByteChunk* pChunk, int startPos);
  // startPos counts 8-byte values, not bytes.
  virtual bool CompareState(const unsigned char* incomingState, int startPos);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int, int, int) {}

  // A plug-in whose blocks depend on nothing but its parameters (no memory
  // from one block to the next) can run a block while another thread holds
  // the mutex, and the audio thread then never waits for it. Such a plug-in
  // returns true here, copies what its blocks read in KeepBlockSettings
  // (audio thread, mutex held, after the block's changes) and runs a block
  // from that copy alone in ProcessKeptDoubleReplacing. Any other plug-in is
  // processed under the mutex, and the audio thread waits for it.
  virtual bool ProcessesWithoutMutex() const { return false; }
  virtual void KeepBlockSettings() {}
  virtual void ProcessKeptDoubleReplacing(double**, double**, int) {}

  // ---- Host operations, implemented by the format binding --------------
  virtual void SetParameterFromGUI(int idx, double normalizedValue);
  virtual void BeginInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfParamChange(int idx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* pNum, int* pDenom) = 0;
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void HostSpecificInit() {}
  // Takes ownership of the editor's graphics context and pushes every
  // parameter's normalized value to it; its bitmaps are made when it first
  // draws. Null does nothing.
  virtual void AttachGraphics(IGraphics* graphics);
  virtual void SetLatency(int samples);
  virtual bool SendMidiMsg(IMidiMsg* pMsg) = 0;
  virtual bool SendSysEx(ISysEx*) { return false; }
  // Pushes every parameter's plain value into the editor's controls; with no
  // graphics context attached there is nothing to push. Safe on any thread
  // (the context only stores the values for its own thread).
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // False, with the previous size kept, when the buffers for blockSize
  // frames cannot be had or blockSize is above kMaxBlockSize.
  virtual bool SetBlockSize(int blockSize);
  // How the binding's host values are applied once the mutex is held: a
  // normalized value by default (the LV2 binding's ports carry plain
  // values), and a program change, which only a binding can map.
  virtual void ApplyHostParamValue(int idx, double value);
  virtual void ApplyHostProgramChange(double) {}

  // ---- Identity and settings ------------------------------------------
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* str) const;
  const char* GetAPIString() const;
  const char* GetArchString() const { return "x64"; }
  double GetSamplesPerBeat();

  void SetHost(const char* host, int version);
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* str);

  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  bool IsInst() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool GetIsBypassed() const { return mIsBypassed.load(std::memory_order_relaxed); }

  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  WDL_Mutex* GetMutex() { return &mMutex; }
  IGraphics* GetGUI() const { return mGraphics; }

  // ---- Channel model ---------------------------------------------------
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  const ChannelIO* GetChannelIO(int idx) const { return mChannelIO.Get(idx); }
  bool LegalIO(int nIn, int nOut);
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  const WDL_String* GetInputBusLabel(int idx) const { return mInputBusLabels.Get(idx); }
  const WDL_String* GetOutputBusLabel(int idx) const { return mOutputBusLabels.Get(idx); }

  // ---- Processing frame ------------------------------------------------
  // Only connected channels take the next host pointer. A block's frame
  // count must not exceed the block size.
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  void ZeroScratchBuffers();
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);

  // ---- The audio thread and the mutex ------------------------------------
  // Held by the audio thread for one block. It only tries the mutex: when
  // the mutex is free, what earlier blocks deferred is applied at once and
  // the block runs as usual; when another thread holds it, the block's host
  // changes are deferred and the block runs from the kept settings. Only a
  // plug-in that cannot run without the mutex waits for it.
  class AudioBlockLock
  {
  public:
    explicit AudioBlockLock(IPlugBase* plug);
    ~AudioBlockLock();
    AudioBlockLock(const AudioBlockLock&) = delete;
    AudioBlockLock& operator=(const AudioBlockLock&) = delete;
    bool Held() const { return mHeld; }

  private:
    IPlugBase* mPlug;
    bool mHeld;
  };
  // A host change on the audio thread, inside an AudioBlockLock: applied
  // when the block holds the mutex, else deferred (see ApplyHostParamValue).
  void HostParamChangeOnAudioThread(int idx, double value);
  void HostProgramChangeOnAudioThread(double value);
  // Any thread but the audio thread's unlocked block: applies, under the
  // mutex, what the audio thread deferred. Whoever reads or replaces the
  // values (state, the editor, the host's controller) calls it first, so
  // that it works with the latest ones.
  void ApplyDeferredChanges();
  bool BlockHoldsMutex() const { return mBlockHoldsMutex; }

  // ---- Bypass ---------------------------------------------------------------
  // A change of the bypass flag fades between the processed and the dry
  // signal over this long, at every sample rate; outside a fade the output
  // is exactly the processed block or the input passed through.
  static constexpr double kBypassFadeSeconds = 0.005;
  void SetBypassed(bool bypassed) { mIsBypassed.store(bypassed, std::memory_order_relaxed); }
  // The next block starts where the bypass flag stands, without a fade (a
  // new processing set-up, an activation). Any thread.
  void SettleBypass() { mSettleBypass.store(true, std::memory_order_release); }
  // Runs the attached buffers through the plug-in or passes them through,
  // by the bypass flag, fading after it changed. The audio thread.
  void ProcessOrBypass(double sampleType, int nFrames);
  void ProcessOrBypass(float sampleType, int nFrames);
  // The audio thread, with a host's 32-bit buffers of any length: nIn
  // inputs and nOut outputs (in place or not) through ProcessOrBypass in
  // pieces of the block size, which the frame's buffers hold.
  void ProcessOrBypassInPieces(float** inputs, int nIn, float** outputs, int nOut, int nFrames);
  // The fade's length at the current sample rate, and how far it stands
  // (0: processed, BypassFadeLength(): bypassed).
  int BypassFadeLength() const;
  int BypassFadePosition() const { return mFadePos; }

  // ---- Parameter routing -------------------------------------------------
  void OnParamReset();
  void DirtyParameters();
  bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs);

  // ---- State and presets -------------------------------------------------
  bool SerializeParams(ByteChunk* pChunk);
  int UnserializeParams(ByteChunk* pChunk, int startPos);
  bool SerializePresets(ByteChunk* pChunk);
  int UnserializePresets(ByteChunk* pChunk, int startPos);

  // One value per parameter: an int for boolean, integer and enumeration
  // parameters, a double otherwise.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs of (int index, value) follow.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* pChunk);
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);

  // Source text of the current values or preset, for plug-in authors.
  // Both return false when the file cannot be written.
  bool DumpPresetSrcCode(const char* filename, const char* paramEnumNames[]);
  bool DumpPresetBlob(const char* filename);

  // ---- Program (fxp) and bank (fxb) files ---------------------------------
  // A plug-in that stores chunks writes its state or preset list as one
  // chunk; any other writes a normalized float per parameter. Loads that
  // return false have changed nothing, except a parameter bank, whose
  // programs before a broken record stay loaded.
  bool SaveProgramAsFXP(const WDL_String& file);
  bool SaveBankAsFXB(const WDL_String& file);
  bool LoadProgramFromFXP(const WDL_String& file);
  bool LoadBankFromFXB(const WDL_String& file);

  static void InitChunkWithIPlugVer(ByteChunk* pChunk);
  static int GetIPlugVerFromChunk(ByteChunk* pChunk, int* pPos);

protected:
  IPreset* GetNextUninitializedPreset();
  int NParamGroups() const { return mParamGroups.GetSize(); }

  WDL_Mutex mMutex;
  char mEffectName[kNameSize], mProductName[kNameSize], mMfrName[kNameSize];
  int mUniqueID, mMfrID, mVersion;
  EAPI mAPI;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  bool mStateChunks, mIsInst, mDoesMIDI;
  // Written by the audio thread (automation) and the host's other threads.
  std::atomic<bool> mIsBypassed{false};
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  int mTailSize = 0;
  NChanDelayLine* mDelay = nullptr;
  IGraphics* mGraphics = nullptr;  // owned
  WDL_PtrList<const char> mParamGroups;
  WDL_PtrList<IParam> mParams;
  WDL_PtrList<IPreset> mPresets;

private:
  void FadeBypass(int nFrames, int target, int length);
  // What pass-through writes, into outputs (one per output channel).
  void PassThroughInto(double** outputs, int nFrames);
  // The double outputs into the host's 32-bit buffers.
  void ConvertOutputs(int nFrames);

  WDL_PtrList<ChannelIO> mChannelIO;
  WDL_TypedBuf<double*> mInData, mOutData, mDryData;
  WDL_TypedBuf<float*> mPieceIn, mPieceOut;  // a piece's pointers, sized once
  IDeferredChanges mDeferred;
  // The audio thread's own: whether its block holds the mutex, and the
  // bypass fade's position.
  bool mBlockHoldsMutex = true;
  int mFadePos = 0;
  std::atomic<bool> mSettleBypass{true};
  WDL_PtrList<InChannel> mInChannels;
  WDL_PtrList<OutChannel> mOutChannels;
  WDL_PtrList<WDL_String> mInputBusLabels, mOutputBusLabels;
};

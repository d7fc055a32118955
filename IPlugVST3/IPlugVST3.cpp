// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The audio-processor side of the VST 3 binding: construction, busses,
// processing set-up, the block call with its parameter changes and bypass,
// the state stream and the timing queries.
#include "IPlugVST3.h"

#include <cmath>
#include <cstring>

#include "../IGraphics/IGraphics.h"
#include "../IPlug/Log.h"
#include "IPlugVST3View.h"
#include "VST3Strings.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
// The speaker arrangement used for a bus of n channels.
SpeakerArrangement arrangementFor(int n)
{
  switch (n)
  {
    case 1: return SpeakerArr::kMono;  // bit 19
    case 2: return 0x3;                // L R
    case 3: return 0x103;              // L R Cs
    case 4: return 0xF00000;           // first-order ambisonics
    case 5: return 0x37;               // 5.0
    case 6: return 0x3F;               // 5.1
    default: return 0;
  }
}

int countBits(uint64 mask)
{
  int n = 0;
  for (; mask; mask &= mask - 1) ++n;
  return n;
}

// Puts the bus just appended at the end of the list in place of the one at
// pos, so that bus positions keep their meaning (0 main, 1 side-chain).
void replaceWithLast(BusList& list, size_t pos)
{
  list[pos] = list.back();
  list.pop_back();
}

// Streams may deliver fewer bytes than asked per call; keep reading until
// the count is met or the stream has nothing more. Returns the bytes read.
int32 readFully(IBStream* stream, void* buffer, int32 size)
{
  int32 total = 0;
  while (total < size)
  {
    int32 got = 0;
    if (stream->read(static_cast<char*>(buffer) + total, size - total, &got) != kResultOk || got <= 0) break;
    total += got;
  }
  return total;
}

bool writeFully(IBStream* stream, const void* buffer, int32 size)
{
  int32 written = 0;
  return stream->write(const_cast<void*>(buffer), size, &written) == kResultOk && written == size;
}

template <class Sample>
Sample** channelsOf(AudioBusBuffers& bus);
template <>
float** channelsOf<float>(AudioBusBuffers& bus) { return bus.channelBuffers32; }
template <>
double** channelsOf<double>(AudioBusBuffers& bus) { return bus.channelBuffers64; }

// Every bus of the block has a channel array and every channel a buffer.
template <class Sample>
bool busesUsable(AudioBusBuffers* buses, int32 n)
{
  if (n > 0 && !buses) return false;
  for (int32 b = 0; b < n; ++b)
  {
    if (buses[b].numChannels < 0) return false;
    if (!buses[b].numChannels) continue;
    Sample** ch = channelsOf<Sample>(buses[b]);
    if (!ch) return false;
    for (int32 c = 0; c < buses[b].numChannels; ++c)
      if (!ch[c]) return false;
  }
  return true;
}
}  // namespace

IPlugVST3::IPlugVST3(IPlugInstanceInfo, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                     int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSidechainChannels)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIVST3),
      mScChans(nSidechainChannels > 0 ? nSidechainChannels : 0)
{
  memset(&mProcessContext, 0, sizeof(mProcessContext));
  int maxChans = NInChannels() > NOutChannels() ? NInChannels() : NOutChannels();
  mPiecePtrs32.Resize(maxChans);
  mPiecePtrs64.Resize(maxChans);

  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);

  if (NInChannels())
  {
    mDelay = new NChanDelayLine(NInChannels(), NOutChannels());
    mDelay->SetDelay(GetLatency());
  }

  SetInputBusLabel(0, "Main Input");
  if (mScChans) SetInputBusLabel(1, "Aux Input");
  if (IsInst())
  {
    for (int i = 0, bus = 1; i < NOutChannels(); i += 2, ++bus)
    {
      char label[32];
      snprintf(label, sizeof(label), "Output %i", bus);
      SetOutputBusLabel(bus - 1, label);
    }
  }
  else
  {
    SetOutputBusLabel(0, "Output");
  }
}

IPlugVST3::~IPlugVST3() = default;

tresult PLUGIN_API IPlugVST3::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, IUnitInfo::iid, IUnitInfo)
  return SingleComponentEffect::queryInterface(iid, obj);
}

// ---- Set-up ------------------------------------------------------------------

tresult PLUGIN_API IPlugVST3::initialize(FUnknown* context)
{
  Trace(TRACE_HERE, "%s", "");
  tresult result = SingleComponentEffect::initialize(context);
  // A refused call (a second initialize, for one) changes nothing.
  if (result != kResultOk) return result;

  if (context)
  {
    IHostApplication* app = nullptr;
    if (context->queryInterface(IHostApplication::iid, (void**) &app) == kResultOk && app)
    {
      String128 name = {};
      if (app->getName(name) == kResultOk)
      {
        char hostName[kMaxHostName8];
        String128ToUtf8(name, hostName, (int) sizeof(hostName));
        SetHost(hostName, 0);
      }
      app->release();
    }
  }

  AddBusses();
  RegisterParameters();

  OnHostIdentified();
  RestorePreset(0);
  return result;
}

void IPlugVST3::AddBusses()
{
  if (mScChans > 2) mScChans = 2;
  const int nMain = NInChannels() - mScChans;
  String128 name;

  if (nMain >= 1 && nMain <= 6)
  {
    Utf8ToString128(GetInputBusLabel(0) ? GetInputBusLabel(0)->Get() : "", name);
    addAudioInput(name, arrangementFor(nMain));
  }
  if (mScChans)
  {
    Utf8ToString128(GetInputBusLabel(1) ? GetInputBusLabel(1)->Get() : "", name);
    addAudioInput(name, arrangementFor(mScChans), kAux, 0);
  }

  if (IsInst())
  {
    for (int i = 0, bus = 0; i < NOutChannels(); i += 2, ++bus)
    {
      Utf8ToString128(GetOutputBusLabel(bus) ? GetOutputBusLabel(bus)->Get() : "", name);
      addAudioOutput(name, SpeakerArr::kStereo);
    }
  }
  else
  {
    Utf8ToString128(GetOutputBusLabel(0) ? GetOutputBusLabel(0)->Get() : "", name);
    addAudioOutput(name, arrangementFor(NOutChannels()));
  }

  if (DoesMIDI())
  {
    Utf8ToString128("MIDI Input", name);
    addEventInput(name, 1);
  }
}

tresult PLUGIN_API IPlugVST3::terminate()
{
  Trace(TRACE_HERE, "%s", "");
  mViews.Empty();
  return SingleComponentEffect::terminate();
}

tresult PLUGIN_API IPlugVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                 SpeakerArrangement* outputs, int32 numOuts)
{
  Trace(TRACE_HERE, "%s", "");
  SetInputChannelConnections(0, NInChannels(), false);
  SetOutputChannelConnections(0, NOutChannels(), false);

  // Refuse rather than read an arrangement that is not there.
  if (numIns <= 0 || numOuts <= 0 || !inputs || !outputs) return kResultFalse;

  const int nIn = countBits(inputs[0]);
  const int nOut = countBits(outputs[0]);
  if (!LegalIO(nIn, nOut)) return kResultFalse;

  String128 name;
  AudioBus* in0 = getAudioInput(0);
  if (in0 && SpeakerArr::getChannelCount(in0->getArrangement()) != nIn)
  {
    Utf8ToString128("Input", name);
    addAudioInput(name, arrangementFor(nIn));
    replaceWithLast(audioInputs, 0);
  }
  AudioBus* out0 = getAudioOutput(0);
  if (out0 && SpeakerArr::getChannelCount(out0->getArrangement()) != nOut)
  {
    Utf8ToString128("Output", name);
    addAudioOutput(name, arrangementFor(nOut));
    replaceWithLast(audioOutputs, 0);
  }

  if (!mScChans) return numIns == 1 ? kResultTrue : kResultFalse;

  if (numIns != 2) return kResultFalse;
  const int nSc = countBits(inputs[1]);
  AudioBus* in1 = getAudioInput(1);
  if (in1 && SpeakerArr::getChannelCount(in1->getArrangement()) != nSc)
  {
    Utf8ToString128("Sidechain Input", name);
    addAudioInput(name, arrangementFor(nSc), kAux, 0);
    replaceWithLast(audioInputs, 1);
  }
  return kResultTrue;
}

tresult PLUGIN_API IPlugVST3::setActive(TBool state)
{
  // A plug-in that starts bypassed starts without a fade.
  if (state) SettleBypass();
  OnActivate(state != 0);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IPlugVST3::setupProcessing(ProcessSetup& newSetup)
{
  Trace(TRACE_HERE, "%s", "");
  if (canProcessSampleSize(newSetup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  if (newSetup.maxSamplesPerBlock <= 0 || !(newSetup.sampleRate > 0.0)) return kResultFalse;
  // Refused, with the previous set-up still in force, when the buffers for
  // that block size cannot be had.
  if (!SetBlockSize(newSetup.maxSamplesPerBlock)) return kResultFalse;
  SetSampleRate(newSetup.sampleRate);
  // The bypass flag is the host's and stays as it is: a host that changes
  // the sample rate of a bypassed plug-in still shows it bypassed.
  Reset();
  SettleBypass();
  processSetup = newSetup;
  return kResultOk;
}

AudioBus* IPlugVST3::getAudioInput(int32 index)
{
  if (index < 0 || index >= (int32) audioInputs.size()) return nullptr;
  return FCast<AudioBus>(audioInputs.at((size_t) index).get());
}

AudioBus* IPlugVST3::getAudioOutput(int32 index)
{
  if (index < 0 || index >= (int32) audioOutputs.size()) return nullptr;
  return FCast<AudioBus>(audioOutputs.at((size_t) index).get());
}

// ---- Processing ------------------------------------------------------------------

// The audio thread never waits for the framework mutex: while another
// thread holds it, the block's changes are deferred and the block runs from
// the settings the last one used (see AudioBlockLock).
tresult PLUGIN_API IPlugVST3::process(ProcessData& data)
{
  AudioBlockLock lock(this);

  // The audio thread's own: read back only by a plug-in's block.
  if (data.processContext) memcpy(&mProcessContext, data.processContext, sizeof(ProcessContext));

  if (IParameterChanges* changes = data.inputParameterChanges)
  {
    const int32 nChanged = changes->getParameterCount();
    for (int32 i = 0; i < nChanged; ++i)
    {
      IParamValueQueue* queue = changes->getParameterData(i);
      if (!queue) continue;
      // Only the last point counts; it applies to the whole block.
      const int32 nPoints = queue->getPointCount();
      int32 offset = 0;
      ParamValue value = 0.0;
      if (nPoints <= 0 || queue->getPoint(nPoints - 1, offset, value) != kResultTrue) continue;

      const ParamID id = queue->getParameterId();
      if (!std::isfinite(value)) continue;
      if (id == kBypassParam)
        SetBypassed(value > 0.5);
      else if (id == kPresetParam)
        HostProgramChangeOnAudioThread(value);
      else if (IsValidParamIndex(id))
        HostParamChangeOnAudioThread((int) id, value);
    }
  }

  if (DoesMIDI()) ProcessEvents(data);

  // The block says which buffers it carries; a block of the other sample
  // size than the set-up prepared for is skipped rather than misread.
  if (data.symbolicSampleSize == processSetup.symbolicSampleSize)
  {
    if (data.symbolicSampleSize == kSample64)
      ProcessAudio<double>(data);
    else if (data.symbolicSampleSize == kSample32)
      ProcessAudio<float>(data);
  }
  return kResultOk;
}

void IPlugVST3::ApplyHostProgramChange(double value)
{
  // The host hears of the new values from its user-interface thread.
  if (ChangeProgram(value) == kProgramChangedParams) mParamValuesChangedPending = true;
}

void IPlugVST3::ProcessEvents(ProcessData& data)
{
  IEventList* events = data.inputEvents;
  if (!events) return;
  const int32 n = events->getEventCount();
  for (int32 i = 0; i < n; ++i)
  {
    Event e;
    if (events->getEvent(i, e) != kResultOk) continue;
    IMidiMsg msg;
    if (e.type == Event::kNoteOnEvent)
      msg.MakeNoteOnMsg(e.noteOn.pitch, (int) (e.noteOn.velocity * 127), e.sampleOffset, e.noteOn.channel);
    else if (e.type == Event::kNoteOffEvent)
      msg.MakeNoteOffMsg(e.noteOff.pitch, e.sampleOffset, e.noteOff.channel);
    else
      continue;
    ProcessMidiMsg(&msg);
  }
}

void IPlugVST3::MarkConnections(ProcessData& data)
{
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (data.numInputs > 0)
  {
    if (!mScChans)
    {
      const int c = data.inputs[0].numChannels;
      SetInputChannelConnections(0, c, true);
      SetInputChannelConnections(c, nIn - c, false);
    }
    else
    {
      const int nMain = nIn - mScChans;
      AudioBus* sc = getAudioInput(1);
      if (sc && sc->isActive())
      {
        mSidechainActive = true;
        SetInputChannelConnections(0, nIn, true);
      }
      else
      {
        if (mSidechainActive)
        {
          ZeroScratchBuffers();
          mSidechainActive = false;
        }
        SetInputChannelConnections(0, nIn, true);
        SetInputChannelConnections(nMain, mScChans, false);
      }
      // Channels the host does not supply read silence, not a stale buffer.
      const int mainSupplied = data.inputs[0].numChannels;
      if (mainSupplied < nMain) SetInputChannelConnections(mainSupplied, nMain - mainSupplied, false);
      const int scSupplied = data.numInputs > 1 ? data.inputs[1].numChannels : 0;
      if (scSupplied < mScChans) SetInputChannelConnections(nMain + scSupplied, mScChans - scSupplied, false);
    }
  }
  else
  {
    // No input busses: every input reads cleared scratch memory.
    SetInputChannelConnections(0, nIn, false);
    ZeroScratchBuffers();
  }

  int o = 0;
  for (int32 b = 0; b < data.numOutputs; ++b)
  {
    const int k = data.outputs[b].numChannels;
    AudioBus* bus = getAudioOutput(b);
    SetOutputChannelConnections(o, k, bus && bus->isActive());
    SetOutputChannelConnections(o + k, nOut - (o + k), false);
    o += k;
  }
}

template <>
float** IPlugVST3::PiecePointers<float>(AudioBusBuffers& bus, int nChannels, int offset)
{
  float** src = bus.channelBuffers32;
  float** dest = mPiecePtrs32.Get();
  for (int c = 0; c < nChannels; ++c) dest[c] = src[c] + offset;
  return dest;
}

template <>
double** IPlugVST3::PiecePointers<double>(AudioBusBuffers& bus, int nChannels, int offset)
{
  double** src = bus.channelBuffers64;
  double** dest = mPiecePtrs64.Get();
  for (int c = 0; c < nChannels; ++c) dest[c] = src[c] + offset;
  return dest;
}

template <class Sample>
void IPlugVST3::ProcessAudio(ProcessData& data)
{
  const int nFrames = data.numSamples;
  // A block without samples or buffers only carries parameter changes.
  if (nFrames <= 0 || data.numOutputs <= 0) return;
  if (!busesUsable<Sample>(data.inputs, data.numInputs) || !busesUsable<Sample>(data.outputs, data.numOutputs))
    return;

  const int blockSize = GetBlockSize();
  if (blockSize <= 0)
  {
    // Processing was never set up: there are no buffers to work in.
    for (int32 b = 0; b < data.numOutputs; ++b)
      for (int32 c = 0; c < data.outputs[b].numChannels; ++c)
        memset(channelsOf<Sample>(data.outputs[b])[c], 0, sizeof(Sample) * (size_t) nFrames);
    return;
  }

  MarkConnections(data);

  const int nIn = NInChannels(), nOut = NOutChannels(), capacity = mPiecePtrs64.GetSize();
  auto limit = [capacity](int n) { return n < capacity ? n : capacity; };

  // Blocks longer than the block size are processed in pieces of at most
  // that size, which is what the scratch buffers hold.
  for (int done = 0; done < nFrames;)
  {
    const int n = nFrames - done < blockSize ? nFrames - done : blockSize;
    if (data.numInputs > 0)
    {
      const int nMain = nIn - mScChans;
      AudioBusBuffers& main = data.inputs[0];
      AttachInputBuffers(0, nMain, PiecePointers<Sample>(main, limit(main.numChannels), done), n);
      if (mScChans && data.numInputs > 1)
      {
        AudioBusBuffers& sc = data.inputs[1];
        AttachInputBuffers(nMain, mScChans, PiecePointers<Sample>(sc, limit(sc.numChannels), done), n);
      }
    }
    int o = 0;
    for (int32 b = 0; b < data.numOutputs && o < nOut; ++b)
    {
      AudioBusBuffers& bus = data.outputs[b];
      AttachOutputBuffers(o, bus.numChannels, PiecePointers<Sample>(bus, limit(bus.numChannels), done));
      o += bus.numChannels;
    }

    ProcessOrBypass((Sample) 0, n);
    done += n;
  }
}

// ---- State ----------------------------------------------------------------------

// The state is copied under the mutex and written to the host's stream
// outside it: a stream that takes its time holds up nobody.
tresult PLUGIN_API IPlugVST3::getEditorState(IBStream* state)
{
  Trace(TRACE_HERE, "%s", "");
  if (!state) return kResultFalse;
  ByteChunk chunk;
  int32 bypass = 0;
  {
    WDL_MutexLock lock(&mMutex);
    ApplyDeferredChanges();
    if (!SerializeState(&chunk)) return kResultFalse;
    bypass = GetIsBypassed() ? 1 : 0;
  }
  NotifyHostOfPendingChanges();
  // A stream that takes only part of the state has not saved it.
  if (!writeFully(state, chunk.GetBytes(), chunk.Size())) return kResultFalse;
  if (!writeFully(state, &bypass, (int32) sizeof(bypass))) return kResultFalse;
  return kResultOk;
}

// The stream is read outside the mutex, then applied under it in one go.
tresult PLUGIN_API IPlugVST3::setEditorState(IBStream* state)
{
  Trace(TRACE_HERE, "%s", "");
  if (!state) return kResultFalse;
  NotifyHostOfPendingChanges();
  int size = 0;
  {
    ByteChunk current;
    SerializeState(&current);
    size = current.Size();
  }
  if (size <= 0) return kResultFalse;
  ByteChunk incoming;
  if (!incoming.Resize(size)) return kResultFalse;
  const int32 got = readFully(state, incoming.GetBytes(), size);
  int32 bypass = 0;
  const bool bypassRead = readFully(state, &bypass, (int32) sizeof(bypass)) == (int32) sizeof(bypass);

  {
    WDL_MutexLock lock(&mMutex);
    ApplyDeferredChanges();
    // A short stream leaves the rest of the chunk as the current state,
    // value by value. A stream that ends inside a value must not make that
    // value of old and new bytes: the chunk ends where the stream did, so
    // that value is a failed read. An opaque chunk state is never completed
    // from old bytes.
    ByteChunk chunk;
    SerializeState(&chunk);
    if (chunk.Size() != size) return kResultFalse;  // the state's shape changed meanwhile
    memcpy(chunk.GetBytes(), incoming.GetBytes(), (size_t) got);
    if (got < size && (DoesStateChunks() || got % (int32) sizeof(double))) chunk.Resize(got);
    UnserializeState(&chunk, 0);
    if (bypassRead) SetBypassed(bypass != 0);
  }
  if (!bypassRead) return kResultFalse;
  RedrawParamControls();
  return kResultOk;
}

// ---- Timing -------------------------------------------------------------------------

bool IPlugVST3::IsRenderingOffline() { return processSetup.processMode == kOffline; }

int IPlugVST3::GetSamplePos() { return (int) mProcessContext.projectTimeSamples; }

double IPlugVST3::GetTempo() { return mProcessContext.tempo; }

void IPlugVST3::GetTimeSig(int* pNum, int* pDenom)
{
  *pNum = mProcessContext.timeSigNumerator;
  *pDenom = mProcessContext.timeSigDenominator;
}

void IPlugVST3::GetTime(ITimeInfo* pTimeInfo)
{
  pTimeInfo->mTempo = mProcessContext.tempo;
  pTimeInfo->mSamplePos = (double) mProcessContext.projectTimeSamples;
  pTimeInfo->mPPQPos = mProcessContext.projectTimeMusic;
  pTimeInfo->mLastBar = mProcessContext.barPositionMusic;
  pTimeInfo->mCycleStart = mProcessContext.cycleStartMusic;
  pTimeInfo->mCycleEnd = mProcessContext.cycleEndMusic;
  pTimeInfo->mNumerator = mProcessContext.timeSigNumerator;
  pTimeInfo->mDenominator = mProcessContext.timeSigDenominator;
  pTimeInfo->mTransportIsRunning = (mProcessContext.state & ProcessContext::kPlaying) != 0;
  pTimeInfo->mTransportLoopEnabled = (mProcessContext.state & ProcessContext::kCycleActive) != 0;
}

IPlugVST3::ProgramChange IPlugVST3::ChangeProgram(double normalizedValue)
{
  if (!std::isfinite(normalizedValue)) return kProgramRefused;
  WDL_MutexLock lock(&mMutex);
  const int idx = TruncToInt(NPresets() * normalizedValue);
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return kProgramRefused;
  // Compared before restoring, in place: this runs on the audio thread too.
  const bool same = preset->mInitialized && preset->mChunk.Size() >= NParams() * (int) sizeof(double) &&
                    CompareState(preset->mChunk.GetBytes(), 0);
  const bool wasInitialized = preset->mInitialized;
  if (!RestorePreset(idx)) return kProgramRefused;
  return wasInitialized && !same ? kProgramChangedParams : kProgramKeptParams;
}

void IPlugVST3::NotifyHostOfPendingChanges()
{
  if (!mParamValuesChangedPending.exchange(false)) return;
  if (IComponentHandler* handler = getComponentHandler()) handler->restartComponent(kParamValuesChanged);
}

void IPlugVST3::SetLatency(int samples)
{
  IPlugBase::SetLatency(samples);
  if (IComponentHandler* handler = getComponentHandler()) handler->restartComponent(kLatencyChanged);
}

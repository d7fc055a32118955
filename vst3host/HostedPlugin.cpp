// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "HostedPlugin.h"

#include <cstring>

#include "public.sdk/source/common/memorystream.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host
{
namespace
{
template <class T>
T* queryFrom(FUnknown* from)
{
  void* obj = nullptr;
  if (from && from->queryInterface(T::iid, &obj) == kResultOk) return static_cast<T*>(obj);
  return nullptr;
}

template <class T>
void releaseAndClear(T*& p)
{
  if (p) p->release();
  p = nullptr;
}

SpeakerArrangement arrangementFor(int n)
{
  switch (n)
  {
    case 1: return SpeakerArr::kMono;
    case 2: return SpeakerArr::kStereo;
    default: return n > 0 ? (SpeakerArrangement) ((1ull << n) - 1) : 0;
  }
}

bool readAll(MemoryStream& stream, Bytes& out)
{
  out.assign(stream.getData(), stream.getData() + stream.getSize());
  return true;
}
}  // namespace

int HostedPlugin::FindAudioClass(IPluginFactory* factory)
{
  if (!factory) return -1;
  for (int32 i = 0; i < factory->countClasses(); ++i)
  {
    PClassInfo info;
    if (factory->getClassInfo(i, &info) == kResultOk && !strcmp(info.category, kVstAudioEffectClass)) return i;
  }
  return -1;
}

bool HostedPlugin::Load(PluginModule& module, HostContext* context, int classIndex)
{
  Terminate();
  IPluginFactory* factory = module.Factory();
  if (classIndex < 0) classIndex = FindAudioClass(factory);
  PClassInfo info;
  if (classIndex < 0 || factory->getClassInfo(classIndex, &info) != kResultOk)
  {
    mError = "no audio module class in the factory";
    return false;
  }
  void* obj = nullptr;
  if (factory->createInstance(info.cid, IComponent::iid, &obj) != kResultOk || !obj)
  {
    mError = "the factory did not create the component";
    return false;
  }
  mComponent = static_cast<IComponent*>(obj);
  if (mComponent->initialize(context) != kResultOk)
  {
    mError = "the component's initialize failed";
    releaseAndClear(mComponent);
    return false;
  }
  mProcessor = queryFrom<IAudioProcessor>(mComponent);
  if (!mProcessor)
  {
    mError = "the component is not an audio processor";
    Terminate();
    return false;
  }

  // A single-component effect is its own controller; otherwise make the
  // controller class the component names.
  mController = queryFrom<IEditController>(mComponent);
  if (!mController)
  {
    TUID controllerID;
    if (mComponent->getControllerClassId(controllerID) == kResultOk &&
        factory->createInstance(controllerID, IEditController::iid, &obj) == kResultOk && obj)
    {
      mController = static_cast<IEditController*>(obj);
      mSeparateController = true;
      mController->initialize(context);
    }
  }
  if (mController)
  {
    mController->setComponentHandler(&mHandler);
    mUnits = queryFrom<IUnitInfo>(mController);
  }
  return true;
}

void HostedPlugin::Terminate()
{
  if (!mComponent) return;
  Stop();
  if (mController) mController->setComponentHandler(nullptr);
  releaseAndClear(mUnits);
  if (mSeparateController && mController) mController->terminate();
  releaseAndClear(mController);
  releaseAndClear(mProcessor);
  mComponent->terminate();
  releaseAndClear(mComponent);
  mSeparateController = false;
}

tresult HostedPlugin::SetBusArrangements(int nIn, int nOut)
{
  SpeakerArrangement in = arrangementFor(nIn), out = arrangementFor(nOut);
  return mProcessor->setBusArrangements(&in, 1, &out, 1);
}

tresult HostedPlugin::Setup(double sampleRate, int maxBlock, int sampleSize, int processMode)
{
  ProcessSetup setup{processMode, sampleSize, maxBlock, sampleRate};
  tresult r = mProcessor->setupProcessing(setup);
  if (r == kResultOk)
  {
    mSampleSize = sampleSize;
    mProcessMode = processMode;
  }
  return r;
}

bool HostedPlugin::Start()
{
  for (BusDirection dir : {kInput, kOutput})
    for (int32 i = 0; i < mComponent->getBusCount(kAudio, dir); ++i)
    {
      BusInfo info;
      if (mComponent->getBusInfo(kAudio, dir, i, info) == kResultOk && info.busType == kMain)
        mComponent->activateBus(kAudio, dir, i, true);
    }
  mActive = mComponent->setActive(true) == kResultOk;
  // setProcessing may answer "not implemented"; that is allowed.
  mProcessor->setProcessing(true);
  mProcessing = true;
  return mActive;
}

void HostedPlugin::Stop()
{
  if (mProcessing) mProcessor->setProcessing(false);
  mProcessing = false;
  if (mActive) mComponent->setActive(false);
  mActive = false;
}

template <class Sample>
tresult HostedPlugin::ProcessBlock(Sample** in, int nIn, Sample** out, int nOut, int frames, ParameterChanges* changes,
                                   ProcessContext* context)
{
  AudioBusBuffers inBus, outBus;
  inBus.numChannels = nIn;
  outBus.numChannels = nOut;
  if (sizeof(Sample) == 8)
  {
    inBus.channelBuffers64 = reinterpret_cast<Sample64**>(in);
    outBus.channelBuffers64 = reinterpret_cast<Sample64**>(out);
  }
  else
  {
    inBus.channelBuffers32 = reinterpret_cast<Sample32**>(in);
    outBus.channelBuffers32 = reinterpret_cast<Sample32**>(out);
  }

  ProcessData data;
  data.processMode = mProcessMode;
  data.symbolicSampleSize = sizeof(Sample) == 8 ? kSample64 : kSample32;
  data.numSamples = frames;
  data.numInputs = in ? 1 : 0;
  data.numOutputs = out ? 1 : 0;
  data.inputs = in ? &inBus : nullptr;
  data.outputs = out ? &outBus : nullptr;
  data.inputParameterChanges = changes;
  data.processContext = context;
  return mProcessor->process(data);
}

tresult HostedPlugin::Process(float** in, int nIn, float** out, int nOut, int frames, ParameterChanges* changes,
                              ProcessContext* context)
{
  return ProcessBlock(in, nIn, out, nOut, frames, changes, context);
}

tresult HostedPlugin::Process(double** in, int nIn, double** out, int nOut, int frames, ParameterChanges* changes,
                              ProcessContext* context)
{
  return ProcessBlock(in, nIn, out, nOut, frames, changes, context);
}

bool HostedPlugin::GetComponentState(Bytes& out)
{
  MemoryStream stream;
  return mComponent->getState(&stream) == kResultOk && readAll(stream, out);
}

bool HostedPlugin::GetControllerState(Bytes& out)
{
  MemoryStream stream;
  return mController && mController->getState(&stream) == kResultOk && readAll(stream, out);
}

tresult HostedPlugin::SetComponentState(const Bytes& in)
{
  MemoryStream stream(const_cast<char*>(in.data()), (TSize) in.size());
  return mComponent->setState(&stream);
}

tresult HostedPlugin::SetControllerState(const Bytes& in)
{
  if (!mController) return kResultFalse;
  MemoryStream stream(const_cast<char*>(in.data()), (TSize) in.size());
  return mController->setState(&stream);
}

tresult HostedPlugin::SetControllerComponentState(const Bytes& in)
{
  if (!mController) return kResultFalse;
  MemoryStream stream(const_cast<char*>(in.data()), (TSize) in.size());
  return mController->setComponentState(&stream);
}
}  // namespace vst3host

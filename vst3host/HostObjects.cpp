// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "HostObjects.h"

#include "public.sdk/source/vst/hosting/hostclasses.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host
{
namespace
{
template <class Interface>
tresult answer(Interface* self, const TUID iid, void** obj)
{
  if (FUnknownPrivate::iidEqual(iid, Interface::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
  {
    *obj = self;
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}
}  // namespace

tresult PLUGIN_API HostContext::getName(String128 name)
{
  size_t i = 0;
  for (; i < mName.size() && i < 127; ++i) name[i] = (char16) (unsigned char) mName[i];
  name[i] = 0;
  return kResultOk;
}

tresult PLUGIN_API HostContext::createInstance(TUID cid, TUID iid, void** obj)
{
  // Plug-ins may ask for message and attribute objects.
  FUID classID = FUID::fromTUID(cid), interfaceID = FUID::fromTUID(iid);
  if (classID == IMessage::iid && interfaceID == IMessage::iid)
  {
    *obj = new HostMessage;
    return kResultTrue;
  }
  if (classID == IAttributeList::iid && interfaceID == IAttributeList::iid)
  {
    *obj = new HostAttributeList;
    return kResultTrue;
  }
  *obj = nullptr;
  return kResultFalse;
}

tresult PLUGIN_API HostContext::queryInterface(const TUID iid, void** obj) { return answer<IHostApplication>(this, iid, obj); }

tresult PLUGIN_API ComponentHandlerRecorder::beginEdit(ParamID id)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mEdits.push_back({Edit::kBegin, id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandlerRecorder::performEdit(ParamID id, ParamValue v)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mEdits.push_back({Edit::kPerform, id, v});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandlerRecorder::endEdit(ParamID id)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mEdits.push_back({Edit::kEnd, id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandlerRecorder::restartComponent(int32 flags)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mRestarts.push_back(flags);
  return kResultOk;
}

std::vector<ComponentHandlerRecorder::Edit> ComponentHandlerRecorder::Edits()
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mEdits;
}

std::vector<int32> ComponentHandlerRecorder::Restarts()
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mRestarts;
}

tresult PLUGIN_API ComponentHandlerRecorder::queryInterface(const TUID iid, void** obj)
{
  if (FUnknownPrivate::iidEqual(iid, IComponentHandler3::iid))
  {
    *obj = static_cast<IComponentHandler3*>(this);
    return kResultOk;
  }
  return answer<IComponentHandler>(this, iid, obj);
}

IContextMenu* PLUGIN_API ComponentHandlerRecorder::createContextMenu(Steinberg::IPlugView*, const ParamID* id)
{
  mMenu.mId = id ? *id : 0;
  mMenu.mPopups = &mPopups;
  mMenu.mMutex = &mMutex;
  return &mMenu;
}

std::vector<ContextMenuRecorder::Popup> ComponentHandlerRecorder::Popups()
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mPopups;
}

tresult PLUGIN_API ContextMenuRecorder::popup(UCoord x, UCoord y)
{
  std::lock_guard<std::mutex> lock(*mMutex);
  mPopups->push_back({mId, (int) x, (int) y});
  return kResultOk;
}

tresult PLUGIN_API ContextMenuRecorder::queryInterface(const TUID iid, void** obj)
{
  return answer<IContextMenu>(this, iid, obj);
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
  if (index < 0 || index >= mCount) return kResultFalse;
  sampleOffset = mOffsets[index];
  value = mValues[index];
  return kResultTrue;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
  if (mCount >= kMaxPoints) return kResultFalse;
  mOffsets[mCount] = sampleOffset;
  mValues[mCount] = value;
  index = mCount++;
  return kResultTrue;
}

tresult PLUGIN_API ParamValueQueue::queryInterface(const TUID iid, void** obj)
{
  return answer<IParamValueQueue>(this, iid, obj);
}

bool ParameterChanges::Add(ParamID id, ParamValue value, int32 sampleOffset)
{
  int32 index = 0;
  IParamValueQueue* queue = addParameterData(id, index);
  return queue && queue->addPoint(sampleOffset, value, index) == kResultTrue;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
  return index >= 0 && index < mCount ? &mQueues[index] : nullptr;
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
  for (int32 i = 0; i < mCount; ++i)
  {
    if (mQueues[i].getParameterId() == id)
    {
      index = i;
      return &mQueues[i];
    }
  }
  if (mCount >= kMaxQueues) return nullptr;
  mQueues[mCount].Reset(id);
  index = mCount;
  return &mQueues[mCount++];
}

tresult PLUGIN_API ParameterChanges::queryInterface(const TUID iid, void** obj)
{
  return answer<IParameterChanges>(this, iid, obj);
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e)
{
  if (index < 0 || index >= mCount) return kResultFalse;
  e = mEvents[index];
  return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e)
{
  if (mCount >= kMaxEvents) return kResultFalse;
  mEvents[mCount++] = e;
  return kResultOk;
}

tresult PLUGIN_API EventList::queryInterface(const TUID iid, void** obj) { return answer<IEventList>(this, iid, obj); }
}  // namespace vst3host

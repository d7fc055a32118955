// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The objects a host hands a plug-in: its application interface, a component
// handler that records edits, parameter-change queues and event lists. The
// queues and lists are preallocated, so filling them for a block allocates
// nothing. Each object is owned by the host side; reference counting only
// satisfies the interface.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace vst3host
{
#define VST3HOST_FIXED_REFCOUNT                                   \
  Steinberg::uint32 PLUGIN_API addRef() override { return 1000; } \
  Steinberg::uint32 PLUGIN_API release() override { return 1000; }

class HostContext : public Steinberg::Vst::IHostApplication
{
public:
  explicit HostContext(std::string name = "Plushgrit Test Host") : mName(std::move(name)) {}
  Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid, void** obj) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT

private:
  std::string mName;
};

// A host's context menu for a parameter: empty, and shown nowhere; where
// the plug-in asked for it is recorded.
class ContextMenuRecorder : public Steinberg::Vst::IContextMenu
{
public:
  struct Popup
  {
    Steinberg::Vst::ParamID id;
    int x, y;
  };
  Steinberg::Vst::ParamID mId = 0;
  std::vector<Popup>* mPopups = nullptr;
  std::mutex* mMutex = nullptr;

  Steinberg::int32 PLUGIN_API getItemCount() override { return 0; }
  Steinberg::tresult PLUGIN_API getItem(Steinberg::int32, Item&, Steinberg::Vst::IContextMenuTarget**) override
  {
    return Steinberg::kResultFalse;
  }
  Steinberg::tresult PLUGIN_API addItem(const Item&, Steinberg::Vst::IContextMenuTarget*) override
  {
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API removeItem(const Item&, Steinberg::Vst::IContextMenuTarget*) override
  {
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API popup(Steinberg::UCoord x, Steinberg::UCoord y) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT
};

class ComponentHandlerRecorder : public Steinberg::Vst::IComponentHandler, public Steinberg::Vst::IComponentHandler3
{
public:
  struct Edit
  {
    enum Kind { kBegin, kPerform, kEnd } kind;
    Steinberg::Vst::ParamID id;
    double value;
  };

  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue v) override;
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
  Steinberg::Vst::IContextMenu* PLUGIN_API createContextMenu(Steinberg::IPlugView* view,
                                                             const Steinberg::Vst::ParamID* id) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT

  std::vector<Edit> Edits();
  std::vector<Steinberg::int32> Restarts();
  // Where the plug-in asked for context menus, in the view's pixels.
  std::vector<ContextMenuRecorder::Popup> Popups();

private:
  std::mutex mMutex;
  std::vector<Edit> mEdits;
  std::vector<Steinberg::int32> mRestarts;
  std::vector<ContextMenuRecorder::Popup> mPopups;
  ContextMenuRecorder mMenu;
};

class ParamValueQueue : public Steinberg::Vst::IParamValueQueue
{
public:
  static const int kMaxPoints = 64;

  void Reset(Steinberg::Vst::ParamID id)
  {
    mId = id;
    mCount = 0;
  }
  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return mId; }
  Steinberg::int32 PLUGIN_API getPointCount() override { return mCount; }
  Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                         Steinberg::Vst::ParamValue& value) override;
  Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                         Steinberg::int32& index) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT

private:
  Steinberg::Vst::ParamID mId = 0;
  Steinberg::int32 mCount = 0;
  Steinberg::int32 mOffsets[kMaxPoints];
  Steinberg::Vst::ParamValue mValues[kMaxPoints];
};

class ParameterChanges : public Steinberg::Vst::IParameterChanges
{
public:
  static const int kMaxQueues = 32;

  void Clear() { mCount = 0; }
  // Adds a point to the queue of id, making the queue when needed.
  bool Add(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value, Steinberg::int32 sampleOffset = 0);

  Steinberg::int32 PLUGIN_API getParameterCount() override { return mCount; }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                Steinberg::int32& index) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT

private:
  Steinberg::int32 mCount = 0;
  ParamValueQueue mQueues[kMaxQueues];
};

class EventList : public Steinberg::Vst::IEventList
{
public:
  static const int kMaxEvents = 256;

  void Clear() { mCount = 0; }
  Steinberg::int32 PLUGIN_API getEventCount() override { return mCount; }
  Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& e) override;
  Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT

private:
  Steinberg::int32 mCount = 0;
  Steinberg::Vst::Event mEvents[kMaxEvents];
};
}  // namespace vst3host

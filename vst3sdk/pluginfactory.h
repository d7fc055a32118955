// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The module's class factory: holds the factory information and a list of
// registered classes, each with a creation function. Written from the
// IPluginFactory interfaces; keeps the SDK's public names.
#pragma once

#include <atomic>
#include <vector>

#include "pluginterfaces/base/ipluginbase.h"

namespace Steinberg {

class CPluginFactory : public IPluginFactory3
{
public:
  using CreateFunc = FUnknown* (*) (void* context);

  explicit CPluginFactory (const PFactoryInfo& info);
  virtual ~CPluginFactory ();

  bool registerClass (const PClassInfo2* info, CreateFunc createFunc, void* context = nullptr);
  bool isClassRegistered (const FUID& cid) const;

  // FUnknown
  tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
  uint32 PLUGIN_API addRef () SMTG_OVERRIDE;
  uint32 PLUGIN_API release () SMTG_OVERRIDE;

  // IPluginFactory
  tresult PLUGIN_API getFactoryInfo (PFactoryInfo* info) SMTG_OVERRIDE;
  int32 PLUGIN_API countClasses () SMTG_OVERRIDE;
  tresult PLUGIN_API getClassInfo (int32 index, PClassInfo* info) SMTG_OVERRIDE;
  tresult PLUGIN_API createInstance (FIDString cid, FIDString iid, void** obj) SMTG_OVERRIDE;

  // IPluginFactory2
  tresult PLUGIN_API getClassInfo2 (int32 index, PClassInfo2* info) SMTG_OVERRIDE;

  // IPluginFactory3
  tresult PLUGIN_API getClassInfoUnicode (int32 index, PClassInfoW* info) SMTG_OVERRIDE;
  tresult PLUGIN_API setHostContext (FUnknown*) SMTG_OVERRIDE { return kNotImplemented; }

private:
  struct Entry
  {
    PClassInfo2 info;
    CreateFunc createFunc;
    void* context;
  };

  const Entry* find (FIDString cid) const;

  std::atomic<int32> refCount {1};
  PFactoryInfo factoryInfo;
  std::vector<Entry> classes;
};

// The module's factory once GetPluginFactory has made it.
extern IPluginFactory* gPluginFactory;

} // namespace Steinberg

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "pluginfactory.h"

#include <atomic>
#include <cstring>

#include "pluginterfaces/base/ustring.h"

namespace Steinberg {

IPluginFactory* gPluginFactory = nullptr;

CPluginFactory::CPluginFactory (const PFactoryInfo& info) : factoryInfo (info) {}

CPluginFactory::~CPluginFactory ()
{
  if (gPluginFactory == this)
    gPluginFactory = nullptr;
}

bool CPluginFactory::registerClass (const PClassInfo2* info, CreateFunc createFunc, void* context)
{
  if (!info || !createFunc)
    return false;
  classes.push_back ({*info, createFunc, context});
  return true;
}

bool CPluginFactory::isClassRegistered (const FUID& cid) const
{
  for (const Entry& e : classes)
    if (FUnknownPrivate::iidEqual (e.info.cid, cid.toTUID ()))
      return true;
  return false;
}

const CPluginFactory::Entry* CPluginFactory::find (FIDString cid) const
{
  if (!cid)
    return nullptr;
  for (const Entry& e : classes)
    if (memcmp (e.info.cid, cid, sizeof (TUID)) == 0)
      return &e;
  return nullptr;
}

tresult PLUGIN_API CPluginFactory::queryInterface (const TUID iid, void** obj)
{
  if (FUnknownPrivate::iidEqual (iid, IPluginFactory::iid) || FUnknownPrivate::iidEqual (iid, IPluginFactory2::iid) ||
      FUnknownPrivate::iidEqual (iid, IPluginFactory3::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
  {
    addRef ();
    *obj = static_cast<IPluginFactory3*> (this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef ()
{
  // std::atomic rather than the SDK's helper, which reads the count back
  // outside the atomic add.
  return (uint32) (refCount.fetch_add (1) + 1);
}

uint32 PLUGIN_API CPluginFactory::release ()
{
  int32 left = refCount.fetch_sub (1) - 1;
  if (left == 0)
  {
    delete this;
    return 0;
  }
  return (uint32) left;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo (PFactoryInfo* info)
{
  if (!info)
    return kInvalidArgument;
  *info = factoryInfo;
  return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses () { return static_cast<int32> (classes.size ()); }

tresult PLUGIN_API CPluginFactory::getClassInfo (int32 index, PClassInfo* info)
{
  if (!info || index < 0 || index >= countClasses ())
    return kInvalidArgument;
  const PClassInfo2& c = classes[(size_t) index].info;
  *info = PClassInfo ();
  memcpy (info->cid, c.cid, sizeof (TUID));
  info->cardinality = c.cardinality;
  strncpy8 (info->category, c.category, PClassInfo::kCategorySize);
  strncpy8 (info->name, c.name, PClassInfo::kNameSize);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2 (int32 index, PClassInfo2* info)
{
  if (!info || index < 0 || index >= countClasses ())
    return kInvalidArgument;
  *info = classes[(size_t) index].info;
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode (int32 index, PClassInfoW* info)
{
  if (!info || index < 0 || index >= countClasses ())
    return kInvalidArgument;
  info->fromAscii (classes[(size_t) index].info);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance (FIDString cid, FIDString iid, void** obj)
{
  if (!obj)
    return kInvalidArgument;
  *obj = nullptr;
  const Entry* e = find (cid);
  if (!e || !iid)
    return kNoInterface;
  FUnknown* instance = e->createFunc (e->context);
  if (!instance)
    return kOutOfMemory;
  tresult result = instance->queryInterface (iid, obj);
  instance->release ();
  if (result != kResultOk)
    *obj = nullptr;
  return result;
}

} // namespace Steinberg

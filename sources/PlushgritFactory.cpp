// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What the host touches before an instance exists: the class factory with
// Plushgrit's one class, and the functions that create instances.
#include "../IPlug/Log.h"
#include "../wdl/WDL_Mutex.h"
#include "../IGraphics/IGraphics.h"
#include "BundleRegistry.h"
#include "Plushgrit.h"
#include "lice.h"
#include "moduleentry.h"
#include "pluginfactory.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

using namespace Steinberg;

namespace
{
const char* const kVendor = "Quorvane";
const char* const kVendorURL = "https://www.quorvane.com";
const char* const kVendorEmail = "support@quorvane.com";

WDL_Mutex& makePlugMutex()
{
  static WDL_Mutex sMutex;
  return sMutex;
}
}  // namespace

// The editor finds its images by the bundle identifier: this module's
// Contents/Resources is registered under it.
bool InitModule()
{
  RegisterBundle(Plushgrit::kBundleID, DC_ModuleResourcesFolder().c_str());
  return true;
}
// Unloading leaves nothing behind: the editor's caches, then the font
// library they used.
bool DeinitModule()
{
  IGraphics::ReleaseCaches();
  DC_ReleaseFreeType();
  return true;
}

IPlugVST3* MakePlug()
{
  WDL_MutexLock lock(&makePlugMutex());
  return new Plushgrit(IPlugInstanceInfo());
}

static FUnknown* createInstance(void*)
{
  IPlugVST3* plug = MakePlug();
  if (!plug) return nullptr;
  return static_cast<Vst::IAudioProcessor*>(plug);
}

namespace
{
// The factory lives as long as the module. The module keeps a reference of
// its own until it is unloaded, so no host's release can bring the count to
// zero and delete the factory while another thread is in GetPluginFactory.
struct ModuleFactory
{
  CPluginFactory* factory;

  ModuleFactory()
  {
    static PFactoryInfo factoryInfo(kVendor, kVendorURL, kVendorEmail, PFactoryInfo::kUnicode);
    TUID cid;
    Plushgrit::MakeClassID(reinterpret_cast<unsigned char*>(cid));
    static PClassInfo2 classInfo(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, "Plushgrit",
                                 Vst::kSimpleModeSupported, "Fx|Distortion", "", "1.0", "VST 3.6.0");
    factory = new CPluginFactory(factoryInfo);
    factory->registerClass(&classInfo, createInstance, nullptr);
    gPluginFactory = factory;
  }
  ~ModuleFactory() { factory->release(); }
};
}  // namespace

extern "C" SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
  static ModuleFactory sModuleFactory;  // made once, thread-safely
  sModuleFactory.factory->addRef();
  return sModuleFactory.factory;
}

// What the host touches before an instance exists: the class factory with
// Plushgrit's one class, and the functions that create instances.
#include <mutex>

#include "../IPlug/Log.h"
#include "../wdl/WDL_Mutex.h"
#include "Plushgrit.h"
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

// Four words, each most significant byte first: two fixed words, then the
// maker's and the plug-in's four-character codes.
void makeClassID(TUID cid)
{
  const uint32 words[4] = {0xF2AEE70D, 0x00DE4F4E, (uint32) Plushgrit::kMfrID, (uint32) Plushgrit::kUniqueID};
  for (int w = 0; w < 4; ++w)
    for (int b = 0; b < 4; ++b) cid[w * 4 + b] = (char) ((words[w] >> (24 - 8 * b)) & 0xFF);
}

WDL_Mutex& makePlugMutex()
{
  static WDL_Mutex sMutex;
  return sMutex;
}

std::mutex gFactoryMutex;
}  // namespace

bool InitModule() { return true; }
bool DeinitModule() { return true; }

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

extern "C" SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
  std::lock_guard<std::mutex> lock(gFactoryMutex);
  if (gPluginFactory)
  {
    gPluginFactory->addRef();
    return gPluginFactory;
  }

  // Filled once; a factory released by every holder is made again from them.
  static PFactoryInfo factoryInfo(kVendor, kVendorURL, kVendorEmail, PFactoryInfo::kUnicode);
  static PClassInfo2 classInfo = [] {
    TUID cid;
    makeClassID(cid);
    return PClassInfo2(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, "Plushgrit", Vst::kSimpleModeSupported,
                       "Fx|Distortion", "", "1.0", "VST 3.6.0");
  }();

  auto* factory = new CPluginFactory(factoryInfo);
  factory->registerClass(&classInfo, createInstance, nullptr);
  gPluginFactory = factory;
  return gPluginFactory;
}

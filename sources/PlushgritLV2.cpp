// What the LV2 binding asks of Plushgrit: a new instance and its URI. The
// editor finds its images by the bundle identifier: this module's
// Contents/Resources is registered under it before the first instance.
#include <mutex>

#include "../IGraphics/IGraphics.h"
#include "BundleRegistry.h"
#include "LV2Module.h"
#include "Plushgrit.h"
#include "lice.h"

IPlugLV2* MakeLV2Plug()
{
  // Instances are built one at a time, as the VST 3 factory builds them.
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  static const bool registered = [] {
    RegisterBundle(Plushgrit::kBundleID, DC_ModuleResourcesFolder().c_str());
    return true;
  }();
  (void) registered;
  return new Plushgrit(IPlugInstanceInfo());
}

const char* LV2PlugURI() { return Plushgrit::kLV2URI; }

// LV2 has no module exit: unloading the module frees the editor's caches and
// the font library they used, as the VST 3 module's exit does.
__attribute__((destructor)) static void ReleaseOnUnload()
{
  IGraphics::ReleaseCaches();
  DC_ReleaseFreeType();
}

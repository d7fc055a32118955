// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The LV2 editor binary's life: its images are found by the bundle
// identifier, so this binary's Contents/Resources is registered under it
// when the binary is loaded; and as LV2 has no module exit, unloading it
// frees the editor's caches and the font library they used, as the VST 3
// module's exit does.
#include "../IGraphics/IGraphics.h"
#include "BundleRegistry.h"
#include "Plushgrit.h"
#include "lice.h"

__attribute__((constructor)) static void RegisterOnLoad()
{
  RegisterBundle(Plushgrit::kBundleID, DC_ModuleResourcesFolder().c_str());
}

__attribute__((destructor)) static void ReleaseOnUnload()
{
  IGraphics::ReleaseCaches();
  DC_ReleaseFreeType();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The VST 3 module description (Contents/Resources/moduleinfo.json) that
// Linux hosts read to scan a bundle without loading it. Made from the
// module's own factory, so the file can never disagree with it.
#pragma once

#include <string>

#include "pluginterfaces/base/ipluginbase.h"

namespace vst3host
{
// The module-info JSON for a factory: factory information, then one entry
// per class with its id, category, sub-categories, name, vendor, versions,
// flags, cardinality and the snapshots the bundle holds for it
// (Contents/Resources/Snapshots/<CID>_snapshot[_<scale>x].png). moduleName
// and version describe the bundle.
std::string ModuleInfoJson(Steinberg::IPluginFactory* factory, const std::string& moduleName,
                           const std::string& version, const std::string& bundlePath = std::string());

// A class id as the module-info format writes it: 32 upper-case hex digits.
std::string ClassIdString(const Steinberg::TUID cid);
}  // namespace vst3host

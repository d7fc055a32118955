// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What the LV2 binding asks of Plushgrit: a new instance and its URI. The
// same file serves the DSP binary (Plushgrit without its editor), the
// editor's binary and lv2-ttl.
#include <mutex>

#include "LV2Module.h"
#include "Plushgrit.h"

IPlugLV2* MakeLV2Plug()
{
  // Instances are built one at a time, as the VST 3 factory builds them.
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  return new Plushgrit(IPlugInstanceInfo());
}

const char* LV2PlugURI() { return Plushgrit::kLV2URI; }

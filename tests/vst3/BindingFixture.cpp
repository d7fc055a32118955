// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "BindingFixture.h"

vst3host::PluginModule* Binding::sModule = nullptr;

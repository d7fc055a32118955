// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The Linux module entry and exit of a VST 3 module. The plug-in supplies
// InitModule and DeinitModule. Each entry counts itself, the first one
// remembers the module's own file, and each returns InitModule's result;
// each exit calls DeinitModule first and, when that succeeds, counts down.
#pragma once

bool InitModule();
bool DeinitModule();

// The full path of this module's shared object ("" before ModuleEntry).
const char* GetModulePath();

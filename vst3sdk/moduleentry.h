// The Linux module entry and exit of a VST 3 module. The plug-in supplies
// InitModule and DeinitModule; the entry counts its calls, remembers the
// module's own file, and calls the hooks on the first entry and last exit.
#pragma once

bool InitModule();
bool DeinitModule();

// The full path of this module's shared object ("" before ModuleEntry).
const char* GetModulePath();

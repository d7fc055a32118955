#include "BindingFixture.h"

vst3host::PluginModule* Binding::sModule = nullptr;

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
/* Loads the module in a bare process with every symbol bound at once, and
   checks that it exports exactly the three entry points hosts look for. */
#include <dlfcn.h>
#include <stdio.h>

int main(int argc, char** argv)
{
  if (argc < 2)
  {
    fprintf(stderr, "usage: %s module.so\n", argv[0]);
    return 2;
  }
  void* handle = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!handle)
  {
    fprintf(stderr, "dlopen failed: %s\n", dlerror());
    return 1;
  }
  const char* names[] = {"GetPluginFactory", "ModuleEntry", "ModuleExit"};
  for (int i = 0; i < 3; ++i)
    if (!dlsym(handle, names[i]))
    {
      fprintf(stderr, "missing export %s\n", names[i]);
      return 1;
    }
  /* Framework and SDK symbols stay inside the module. */
  if (dlsym(handle, "_ZN9IPlugBase13RestorePresetEi") || dlsym(handle, "_ZN9Steinberg7FObject6addRefEv"))
  {
    fprintf(stderr, "internal symbols are exported\n");
    return 1;
  }
  dlclose(handle);
  printf("bare dlopen: ok\n");
  return 0;
}

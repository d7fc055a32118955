// lv2-ttl MODULE BUNDLE: loads a built LV2 module and has it write its
// bundle's description into BUNDLE.
#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv)
{
  if (argc != 3)
  {
    fprintf(stderr, "usage: lv2-ttl MODULE BUNDLE\n");
    return 2;
  }
  void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!module)
  {
    fprintf(stderr, "lv2-ttl: %s\n", dlerror());
    return 1;
  }
  using WriteTTL = int (*)(const char*);
  auto write = reinterpret_cast<WriteTTL>(dlsym(module, "IPlugLV2_WriteTTL"));
  const int result = write ? write(argv[2]) : 1;
  if (result) fprintf(stderr, "lv2-ttl: cannot write the description of %s into %s\n", argv[1], argv[2]);
  return result;
}

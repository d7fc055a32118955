// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// plushgrit: the standalone program. The same Plushgrit class, built
// against the standalone binding, with its editor's images and fonts taken
// from the VST 3 bundle installed or built beside the program, and its icon
// compiled in (PlushgritIcon.cpp, made from resources/icons at configure
// time).
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "BundleLocation.h"
#include "BundleRegistry.h"
#include "Plushgrit.h"
#include "StandaloneMain.h"
#include "lice.h"

// The 48 and 128 pixel icons' PNG files.
extern const unsigned char kPlushgritIcon48[], kPlushgritIcon128[];
extern const int kPlushgritIcon48Size, kPlushgritIcon128Size;

namespace
{
IPlugStandalone* MakeStandalonePlug() { return new Plushgrit(IPlugInstanceInfo()); }

// _NET_WM_ICON: for each size its width, its height, then its pixels as
// 0xAARRGGBB, one to a long.
std::vector<unsigned long> Icon()
{
  std::vector<unsigned long> data;
  const struct
  {
    const unsigned char* png;
    int size;
  } icons[] = {{kPlushgritIcon48, kPlushgritIcon48Size}, {kPlushgritIcon128, kPlushgritIcon128Size}};
  for (const auto& icon : icons)
  {
    std::unique_ptr<LICE_IBitmap> image(LICE_LoadPNGFromMemory(icon.png, icon.size));
    if (!image) continue;
    data.push_back((unsigned long) image->getWidth());
    data.push_back((unsigned long) image->getHeight());
    for (int y = 0; y < image->getHeight(); ++y)
      for (int x = 0; x < image->getWidth(); ++x)
      {
        const LICE_pixel p = image->getBits()[(size_t) y * image->getRowSpan() + x];
        data.push_back((unsigned long) LICE_GETA(p) << 24 | (unsigned long) LICE_GETR(p) << 16 |
                       (unsigned long) LICE_GETG(p) << 8 | LICE_GETB(p));
      }
  }
  return data;
}

// The editor's images and fonts are the VST 3 bundle's, installed or built
// beside the program.
void Prepare()
{
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  const char* home = getenv("HOME");
  const std::string bundle = FindBundle(BundleCandidates(n > 0 ? std::string(exe, (size_t) n) : "", home ? home : ""));
  if (bundle.empty()) return;
  const std::string resources = bundle + "/Contents/Resources";
  RegisterBundle(Plushgrit::kBundleID, resources.c_str());
  DC_SetFontFolder((resources + "/fonts").c_str());
}
}  // namespace

int main(int argc, char** argv)
{
  return RunStandalone(argc, argv, {MakeStandalonePlug, "plushgrit", PLUSHGRIT_VERSION, Icon, Prepare});
}

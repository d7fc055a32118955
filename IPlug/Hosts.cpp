// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "Hosts.h"

#include <cctype>
#include <cstring>


EHost LookUpHost(const char* inHost)
{
  // Lowered into a fixed buffer; longer names are cut, never overflow it.
  char host[264];
  size_t n = inHost ? strnlen(inHost, sizeof(host) - 1) : 0;
  for (size_t i = 0; i < n; ++i) host[i] = (char) tolower((unsigned char) inHost[i]);
  host[n] = 0;

  static const struct { const char* key; EHost host; } kKeys[] = {
    {"cubase", kHostCubase},         {"reaper", kHostReaper},         {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},        {"samplitude", kHostSamplitude}, {"fruity", kHostFL},
    {"live", kHostAbletonLive},      {"melodyne", kHostMelodyneStudio}, {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},           {"garageband", kHostGarageBand}, {"forte", kHostForte},
    {"chainer", kHostChainer},       {"audition", kHostAudition},     {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},   {"logic", kHostLogic},           {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch}, {"presonus", kHostStudioOne},    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},     {"ardour", kHostArdour},         {"standalone", kHostStandalone},
  };
  for (const auto& k : kKeys)
    if (strstr(host, k.key)) return k.host;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* hostStr)
{
  const char* name;
  switch (host)
  {
    case kHostReaper: name = "Reaper"; break;
    case kHostProTools: name = "ProTools"; break;
    case kHostCubase: name = "Cubase"; break;
    case kHostNuendo: name = "Nuendo"; break;
    case kHostSonar: name = "Sonar"; break;
    case kHostVegas: name = "Vegas"; break;
    case kHostFL: name = "FLStudio"; break;
    case kHostSamplitude: name = "Samplitude"; break;
    case kHostAbletonLive: name = "Live"; break;
    case kHostVSTScanner: name = "VSTScanner"; break;
    case kHostAULab: name = "AULab"; break;
    case kHostForte: name = "Forte"; break;
    case kHostChainer: name = "Chainer"; break;
    case kHostAudition: name = "Audition"; break;
    case kHostOrion: name = "Orion"; break;
    case kHostSAWStudio: name = "SAWStudio"; break;
    case kHostLogic: name = "Logic"; break;
    case kHostGarageBand: name = "GarageBand"; break;
    case kHostDigitalPerformer: name = "DigitalPerformer"; break;
    case kHostStandalone: name = "Standalone"; break;
    case kHostAudioMulch: name = "AudioMulch"; break;
    case kHostStudioOne: name = "StudioOne"; break;
    case kHostVST3TestHost: name = "VST3PluginTestHost"; break;
    case kHostArdour: name = "Ardour"; break;
    default: name = "Unknown"; break;
  }
  strcpy(hostStr, name);
}

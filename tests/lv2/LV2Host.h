// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A small LV2 host on lilv for the tests: loads the built plushgrit.lv2,
// maps URIDs, instantiates a plug-in, owns its port buffers, runs it, and
// reaches its state interface directly.
#pragma once

#include <lilv/lilv.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <mutex>
#include <string>
#include <vector>

const char* const kStereoURI = "https://www.quorvane.com/plugins/plushgrit#stereo";
const char* const kMonoURI = "https://www.quorvane.com/plugins/plushgrit#mono";
const char* const kEditorURI = "https://www.quorvane.com/plugins/plushgrit#ui";

class LV2World
{
public:
  // Loads only the bundle at bundlePath.
  explicit LV2World(const std::string& bundlePath);
  ~LV2World();
  LV2World(const LV2World&) = delete;
  LV2World& operator=(const LV2World&) = delete;

  LilvWorld* World() const { return mWorld; }
  const LilvPlugin* Plugin(const char* uri) const;
  LV2_URID Map(const char* uri);
  const char* Unmap(LV2_URID urid);
  LV2_URID_Map* MapFeature() { return &mMap; }
  LV2_URID_Unmap* UnmapFeature() { return &mUnmap; }

private:
  LilvWorld* mWorld;
  std::mutex mMutex;
  std::vector<std::string> mURIs;
  LV2_URID_Map mMap;
  LV2_URID_Unmap mUnmap;
};

class LV2Instance
{
public:
  // Instantiated, ports connected to buffers of maxFrames, controls at
  // their defaults, activated.
  LV2Instance(LV2World& world, const char* uri, double rate, int maxFrames);
  ~LV2Instance();
  LV2Instance(const LV2Instance&) = delete;
  LV2Instance& operator=(const LV2Instance&) = delete;

  bool Valid() const { return mInstance != nullptr; }
  LilvInstance* Lilv() const { return mInstance; }
  int Channels() const { return mChannels; }
  // The control port with this symbol; the value is read at the next run.
  float& Control(const char* symbol);
  // Runs frames from in (one vector per channel) into out; in place when
  // inPlace (the output buffers are then the inputs').
  void Run(const std::vector<std::vector<float>>& in, std::vector<std::vector<float>>& out, int offset, int frames,
           bool inPlace = false);
  void RunEmpty() { lilv_instance_run(mInstance, 0); }

  // Through the plug-in's state interface, with this host's store and
  // retrieve: the stored chunk, and whether the instance took one back.
  bool SaveState(std::vector<unsigned char>* bytes);
  LV2_State_Status RestoreState(const std::vector<unsigned char>& bytes);

private:
  LV2World& mWorld;
  LilvInstance* mInstance = nullptr;
  int mChannels = 0;
  std::vector<std::vector<float>> mAudioIn, mAudioOut;
  std::vector<std::string> mSymbols;
  std::vector<float> mControls;
  std::vector<uint32_t> mAudioInPorts, mAudioOutPorts;
};

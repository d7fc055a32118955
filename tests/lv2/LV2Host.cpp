// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "LV2Host.h"

#include <lv2/atom/atom.h>

#include <cstring>

namespace
{
LV2_URID MapURI(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<LV2World*>(handle)->Map(uri); }
const char* UnmapURI(LV2_URID_Unmap_Handle handle, LV2_URID urid) { return static_cast<LV2World*>(handle)->Unmap(urid); }

struct StateStore
{
  LV2World* world;
  std::vector<unsigned char>* bytes;
  bool stored = false;
};

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t)
{
  auto* store = static_cast<StateStore*>(handle);
  if (type != store->world->Map(LV2_ATOM__Chunk) || !strstr(store->world->Unmap(key), "#state"))
    return LV2_STATE_ERR_BAD_TYPE;
  store->bytes->assign(static_cast<const unsigned char*>(value), static_cast<const unsigned char*>(value) + size);
  store->stored = true;
  return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
  auto* store = static_cast<StateStore*>(handle);
  if (!strstr(store->world->Unmap(key), "#state")) return nullptr;
  *size = store->bytes->size();
  *type = store->world->Map(LV2_ATOM__Chunk);
  *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
  return store->bytes->data();
}
}  // namespace

LV2World::LV2World(const std::string& bundlePath) : mWorld(lilv_world_new())
{
  mMap = {this, MapURI};
  mUnmap = {this, UnmapURI};
  std::string uri = "file://" + bundlePath;
  if (uri.back() != '/') uri += '/';
  LilvNode* bundle = lilv_new_uri(mWorld, uri.c_str());
  lilv_world_load_specifications(mWorld);
  lilv_world_load_plugin_classes(mWorld);
  lilv_world_load_bundle(mWorld, bundle);
  lilv_node_free(bundle);
}

LV2World::~LV2World() { lilv_world_free(mWorld); }

const LilvPlugin* LV2World::Plugin(const char* uri) const
{
  LilvNode* node = lilv_new_uri(mWorld, uri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), node);
  lilv_node_free(node);
  return plugin;
}

LV2_URID LV2World::Map(const char* uri)
{
  std::lock_guard<std::mutex> lock(mMutex);
  for (size_t i = 0; i < mURIs.size(); ++i)
    if (mURIs[i] == uri) return (LV2_URID) (i + 1);
  mURIs.push_back(uri);
  return (LV2_URID) mURIs.size();
}

const char* LV2World::Unmap(LV2_URID urid)
{
  std::lock_guard<std::mutex> lock(mMutex);
  return urid >= 1 && urid <= mURIs.size() ? mURIs[urid - 1].c_str() : "";
}

LV2Instance::LV2Instance(LV2World& world, const char* uri, double rate, int maxFrames) : mWorld(world)
{
  const LilvPlugin* plugin = world.Plugin(uri);
  if (!plugin) return;
  LV2_Feature map = {LV2_URID__map, world.MapFeature()};
  LV2_Feature unmap = {LV2_URID__unmap, world.UnmapFeature()};
  const LV2_Feature* features[] = {&map, &unmap, nullptr};
  mInstance = lilv_plugin_instantiate(plugin, rate, features);
  if (!mInstance) return;
  LilvNode* audio = lilv_new_uri(world.World(), LV2_CORE__AudioPort);
  LilvNode* input = lilv_new_uri(world.World(), LV2_CORE__InputPort);
  const uint32_t n = lilv_plugin_get_num_ports(plugin);
  std::vector<float> mins(n), maxs(n), defaults(n);
  lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defaults.data());
  mControls.assign(n, 0.0f);
  mSymbols.assign(n, "");
  for (uint32_t i = 0; i < n; ++i)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    mSymbols[i] = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
    if (lilv_port_is_a(plugin, port, audio))
      (lilv_port_is_a(plugin, port, input) ? mAudioInPorts : mAudioOutPorts).push_back(i);
    else
      mControls[i] = defaults[i];
  }
  lilv_node_free(audio);
  lilv_node_free(input);
  mChannels = (int) mAudioInPorts.size();
  mAudioIn.assign(mAudioInPorts.size(), std::vector<float>((size_t) maxFrames));
  mAudioOut.assign(mAudioOutPorts.size(), std::vector<float>((size_t) maxFrames));
  for (uint32_t i = 0; i < n; ++i) lilv_instance_connect_port(mInstance, i, &mControls[i]);
  for (size_t c = 0; c < mAudioInPorts.size(); ++c) lilv_instance_connect_port(mInstance, mAudioInPorts[c], mAudioIn[c].data());
  for (size_t c = 0; c < mAudioOutPorts.size(); ++c)
    lilv_instance_connect_port(mInstance, mAudioOutPorts[c], mAudioOut[c].data());
  lilv_instance_activate(mInstance);
}

LV2Instance::~LV2Instance()
{
  if (!mInstance) return;
  lilv_instance_deactivate(mInstance);
  lilv_instance_free(mInstance);
}

float& LV2Instance::Control(const char* symbol)
{
  for (size_t i = 0; i < mSymbols.size(); ++i)
    if (mSymbols[i] == symbol) return mControls[i];
  static float nowhere;
  return nowhere;
}

void LV2Instance::Run(const std::vector<std::vector<float>>& in, std::vector<std::vector<float>>& out, int offset,
                      int frames, bool inPlace)
{
  for (size_t c = 0; c < mAudioIn.size(); ++c)
  {
    memcpy(mAudioIn[c].data(), in[c].data() + offset, sizeof(float) * (size_t) frames);
    lilv_instance_connect_port(mInstance, mAudioOutPorts[c], (inPlace ? mAudioIn : mAudioOut)[c].data());
  }
  lilv_instance_run(mInstance, (uint32_t) frames);
  for (size_t c = 0; c < mAudioOut.size(); ++c)
    memcpy(out[c].data() + offset, (inPlace ? mAudioIn : mAudioOut)[c].data(), sizeof(float) * (size_t) frames);
}

bool LV2Instance::SaveState(std::vector<unsigned char>* bytes)
{
  auto* state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
  StateStore store{&mWorld, bytes};
  return state && state->save(lilv_instance_get_handle(mInstance), Store, &store, 0, nullptr) == LV2_STATE_SUCCESS &&
         store.stored;
}

LV2_State_Status LV2Instance::RestoreState(const std::vector<unsigned char>& bytes)
{
  auto* state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
  std::vector<unsigned char> copy = bytes;
  StateStore store{&mWorld, &copy};
  return state ? state->restore(lilv_instance_get_handle(mInstance), Retrieve, &store, 0, nullptr) : LV2_STATE_ERR_UNKNOWN;
}

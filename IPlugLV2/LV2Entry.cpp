// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The DSP binary's LV2 entry point: one plug-in per channel configuration,
// with the state interface. Compiled into the module (not into a library),
// like the VST 3 module entry. The editor is LV2UIEntry.cpp's, in a binary
// of its own.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "IPlugLV2.h"
#include "LV2Module.h"

namespace
{
// ---- The plug-in -------------------------------------------------------------------

struct Instance
{
  std::unique_ptr<IPlugLV2> plug;
  LV2_URID stateKey = 0, chunkType = 0;
};

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char*, const LV2_Feature* const* features)
{
  const LV2Configuration* c = LV2ConfigurationFor(descriptor->URI);
  if (!c || !(rate > 0.0)) return nullptr;
  auto instance = std::make_unique<Instance>();
  instance->plug.reset(MakeLV2Plug());
  if (!instance->plug || !instance->plug->PrepareInstance(rate, c->nIn, c->nOut)) return nullptr;
  // Without the map the state cannot be named: the host then keeps only the
  // port values.
  if (auto* map = static_cast<const LV2_URID_Map*>(LV2Feature(features, LV2_URID__map)))
  {
    instance->stateKey = map->map(map->handle, (std::string(LV2PlugURI()) + "#state").c_str());
    instance->chunkType = map->map(map->handle, LV2_ATOM__Chunk);
  }
  return instance.release();
}

void ConnectPort(LV2_Handle h, uint32_t port, void* data) { static_cast<Instance*>(h)->plug->ConnectPort(port, data); }
void Activate(LV2_Handle h) { static_cast<Instance*>(h)->plug->Activate(); }
void Run(LV2_Handle h, uint32_t nFrames) { static_cast<Instance*>(h)->plug->Run(nFrames); }
void Deactivate(LV2_Handle) {}
void Cleanup(LV2_Handle h) { delete static_cast<Instance*>(h); }

LV2_State_Status Save(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*)
{
  auto* instance = static_cast<Instance*>(h);
  if (!instance->stateKey) return LV2_STATE_ERR_NO_FEATURE;
  ByteChunk bytes;
  if (!instance->plug->SaveStateBytes(&bytes)) return LV2_STATE_ERR_UNKNOWN;
  return store(handle, instance->stateKey, bytes.GetBytes(), (size_t) bytes.Size(), instance->chunkType,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Restore(LV2_Handle h, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                         const LV2_Feature* const*)
{
  auto* instance = static_cast<Instance*>(h);
  if (!instance->stateKey) return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, instance->stateKey, &size, &type, &flags);
  if (!data) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != instance->chunkType) return LV2_STATE_ERR_BAD_TYPE;
  return size <= 0x7FFFFFFF && instance->plug->RestoreStateBytes(data, (uint32_t) size) ? LV2_STATE_SUCCESS
                                                                                         : LV2_STATE_ERR_UNKNOWN;
}

const void* ExtensionData(const char* uri)
{
  static const LV2_State_Interface state = {Save, Restore};
  return !strcmp(uri, LV2_STATE__interface) ? &state : nullptr;
}

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
  static const std::vector<LV2_Descriptor> descriptors = [] {
    std::vector<LV2_Descriptor> list;
    for (const LV2Configuration& c : LV2Configurations())
      list.push_back({c.uri.c_str(), Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData});
    return list;
  }();
  return index < descriptors.size() ? &descriptors[index] : nullptr;
}


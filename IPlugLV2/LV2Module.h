// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What an LV2 bundle is made of: the plug-in supplies MakeLV2Plug and its
// URI; the binding turns every channel configuration of the plug-in into
// one LV2 plug-in (URI#stereo, URI#mono, URI#<in>in<out>out) in the DSP
// binary, and their one editor (URI#ui) into a binary of its own, so that a
// host that only processes never loads a GUI; and it writes the bundle's
// description from them.
#pragma once

#include <lv2/core/lv2.h>

#include <string>
#include <vector>

class IPlugLV2;

// ---- Supplied by the plug-in ----------------------------------------------------
// A new instance of the plug-in, built against this binding (with its editor
// in the editor's binary, without one in the DSP binary).
IPlugLV2* MakeLV2Plug();
// The plug-in's URI: the stem of its LV2 plug-ins', editor's and presets'.
const char* LV2PlugURI();

// ---- Supplied by the binding ----------------------------------------------------
// The URI of the plug-in for the channel configuration nIn-nOut.
std::string LV2PluginURI(int nIn, int nOut);
std::string LV2EditorURI();
// Where the binaries lie inside the bundle.
const char* const kLV2BinaryFolder = "Contents/x86_64-linux";

struct LV2Configuration
{
  int nIn, nOut;
  std::string uri;
};
// The plug-in's channel configurations, asked of an instance once.
const std::vector<LV2Configuration>& LV2Configurations();
const LV2Configuration* LV2ConfigurationFor(const char* uri);
// The data of the host's feature uri, or null.
const void* LV2Feature(const LV2_Feature* const* features, const char* uri);

// Writes manifest.ttl, <dsp stem>.ttl and presets.ttl into bundleDir for the
// plug-in in dspBinary and its editor in uiBinary (file names inside
// kLV2BinaryFolder); version is the product's, as GetEffectVersion gives it.
bool LV2WriteDescription(const char* bundleDir, const std::string& dspBinary, const std::string& uiBinary);

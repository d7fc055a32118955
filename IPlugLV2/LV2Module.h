// What an LV2 module is made of: the plug-in supplies MakeLV2Plug and its
// URI; the binding turns every channel configuration of the plug-in into
// one LV2 plug-in (URI#stereo, URI#mono, URI#<in>in<out>out) sharing one
// editor (URI#ui), and writes the bundle's description from them.
#pragma once

#include <string>

class IPlugLV2;

// ---- Supplied by the plug-in ----------------------------------------------------
// A new instance of the plug-in, built against this binding.
IPlugLV2* MakeLV2Plug();
// The plug-in's URI: the stem of its LV2 plug-ins', editor's and presets'.
const char* LV2PlugURI();

// ---- Supplied by the binding ----------------------------------------------------
// The URI of the plug-in for the channel configuration nIn-nOut.
std::string LV2PluginURI(int nIn, int nOut);
std::string LV2EditorURI();
// Where the module's binary lies inside its bundle.
const char* const kLV2BinaryFolder = "Contents/x86_64-linux";

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The bundle's description (manifest.ttl, the plug-ins' and the editor's
// description, presets.ttl), written from an instance of the plug-in class
// the DSP binary is built from, so names, ranges, defaults and presets
// cannot drift from the code. The build runs it as lv2-ttl.
#include <lv2/core/lv2.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "IPlugLV2.h"
#include "LV2Module.h"

namespace
{
const char* const kPrefixes =
    "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Quoted(const std::string& s)
{
  std::string out = "\"";
  for (char c : s)
  {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') out += "\\n";
    else out += c;
  }
  return out + "\"";
}

std::string Number(double v)
{
  char text[40];
  snprintf(text, sizeof(text), "%.9g", v);
  std::string s = text;
  // A plain decimal, as Turtle reads it: never an integer or an exponent
  // without a fraction.
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

// A port symbol from a parameter's name: a C identifier, lower case.
std::string Symbol(const char* name, const std::vector<std::string>& taken)
{
  std::string s;
  for (const char* p = name; p && *p; ++p) s += std::isalnum((unsigned char) *p) ? (char) std::tolower(*p) : '_';
  if (s.empty() || std::isdigit((unsigned char) s[0])) s = "p_" + s;
  std::string unique = s;
  for (int n = 2;; ++n)
  {
    bool clash = false;
    for (const std::string& t : taken) clash |= t == unique;
    if (!clash) return unique;
    unique = s + "_" + std::to_string(n);
  }
}

std::vector<std::string> ParamSymbols(IPlugLV2* plug)
{
  std::vector<std::string> symbols = {"enabled"};
  for (int i = 0; i < plug->NParams(); ++i) symbols.push_back(Symbol(plug->GetParam(i)->GetNameForHost(), symbols));
  symbols.erase(symbols.begin());
  return symbols;
}

std::string AudioPorts(int n, bool input, int firstIndex)
{
  static const char* const kStereo[2] = {"left", "right"};
  std::string out;
  for (int c = 0; c < n; ++c)
  {
    const std::string which = n == 1 ? "mono" : n == 2 ? kStereo[c] : std::to_string(c + 1);
    const std::string symbol = std::string(input ? "in_" : "out_") + which;
    const std::string name = std::string(input ? "In " : "Out ") + which;
    out += "    [\n      a lv2:AudioPort , " + std::string(input ? "lv2:InputPort" : "lv2:OutputPort") + " ;\n";
    out += "      lv2:index " + std::to_string(firstIndex + c) + " ;\n";
    out += "      lv2:symbol " + Quoted(symbol) + " ;\n      lv2:name " + Quoted(name) + "\n    ] ,\n";
  }
  return out;
}

// LV2 reads an odd minor version as a development release that hosts
// should hide: the product's version a.b.c is published as minor version
// 2 (100 a + b) and micro version 2 c, even, non-zero and in its order.
void LV2Versions(IPlugLV2* plug, int* minorVersion, int* microVersion)
{
  int version = 0, revision = 0, minor = 0;
  GetVersionParts(plug->GetEffectVersion(false), &version, &revision, &minor);
  *minorVersion = 2 * (100 * version + revision);
  *microVersion = 2 * minor;
}

std::string PluginDescription(IPlugLV2* plug, int nIn, int nOut, const std::vector<std::string>& symbols)
{
  int minorVersion = 0, microVersion = 0;
  LV2Versions(plug, &minorVersion, &microVersion);
  std::string d = "<" + LV2PluginURI(nIn, nOut) + ">\n";
  d += "  a lv2:Plugin , lv2:DistortionPlugin , doap:Project ;\n";
  std::string name = plug->GetEffectName();
  if (!(nIn == 2 && nOut == 2)) name += nIn == 1 && nOut == 1 ? " (mono)" : " (" + std::to_string(nIn) + " in, " + std::to_string(nOut) + " out)";
  d += "  doap:name " + Quoted(name) + " ;\n";
  d += "  doap:license <https://spdx.org/licenses/GPL-3.0-or-later> ;\n";
  d += "  doap:maintainer [ foaf:name " + Quoted(plug->GetMfrName()) + " ] ;\n";
  d += "  lv2:minorVersion " + std::to_string(minorVersion) + " ;\n  lv2:microVersion " + std::to_string(microVersion) + " ;\n";
  d += "  lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n";
  d += "  lv2:extensionData state:interface ;\n";
  d += "  ui:ui <" + LV2EditorURI() + "> ;\n";
  d += "  lv2:port\n";
  d += AudioPorts(nIn, true, 0);
  d += AudioPorts(nOut, false, nIn);
  for (int i = 0; i < plug->NParams(); ++i)
  {
    IParam* p = plug->GetParam(i);
    d += "    [\n      a lv2:InputPort , lv2:ControlPort ;\n";
    d += "      lv2:index " + std::to_string(IPlugLV2::ControlPort(nIn, nOut, i)) + " ;\n";
    d += "      lv2:symbol " + Quoted(symbols[(size_t) i]) + " ;\n      lv2:name " + Quoted(p->GetNameForHost()) + " ;\n";
    d += "      lv2:default " + Number(p->GetDefault()) + " ;\n";
    d += "      lv2:minimum " + Number(p->GetMin()) + " ;\n      lv2:maximum " + Number(p->GetMax());
    if (p->Type() == IParam::kTypeBool) d += " ;\n      lv2:portProperty lv2:toggled";
    else if (p->Type() == IParam::kTypeInt || p->Type() == IParam::kTypeEnum) d += " ;\n      lv2:portProperty lv2:integer";
    if (!strcmp(p->GetLabelForHost(), "dB")) d += " ;\n      units:unit units:db";
    d += "\n    ] ,\n";
  }
  d += "    [\n      a lv2:InputPort , lv2:ControlPort ;\n";
  d += "      lv2:index " + std::to_string(IPlugLV2::ControlPort(nIn, nOut, plug->NParams())) + " ;\n";
  d += "      lv2:symbol \"enabled\" ;\n      lv2:name \"Enabled\" ;\n";
  d += "      lv2:default 1 ;\n      lv2:minimum 0 ;\n      lv2:maximum 1 ;\n";
  d += "      lv2:designation lv2:enabled ;\n      lv2:portProperty lv2:toggled , lv2:integer\n    ] .\n\n";
  return d;
}

bool WriteFile(const std::string& path, const std::string& text)
{
  FILE* f = fopen(path.c_str(), "w");
  if (!f) return false;
  const bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  return fclose(f) == 0 && ok;
}

}  // namespace

bool LV2WriteDescription(const char* bundleDir, const std::string& dspBinary, const std::string& uiBinary)
{
  std::unique_ptr<IPlugLV2> plug(MakeLV2Plug());
  if (!plug || !bundleDir || dspBinary.empty() || uiBinary.empty()) return false;
  const std::string dir = std::string(bundleDir) + "/";
  const std::string stem = dspBinary.substr(0, dspBinary.find_last_of('.'));
  const std::string dspPath = std::string(kLV2BinaryFolder) + "/" + dspBinary;
  const std::string uiPath = std::string(kLV2BinaryFolder) + "/" + uiBinary;
  const std::vector<std::string> symbols = ParamSymbols(plug.get());

  std::string manifest = kPrefixes, plugins = kPrefixes, presets = kPrefixes;
  std::string appliesTo;
  for (int i = 0; i < plug->NChannelIO(); ++i)
  {
    const ChannelIO* io = plug->GetChannelIO(i);
    const std::string uri = LV2PluginURI(io->mIn, io->mOut);
    manifest += "<" + uri + ">\n  a lv2:Plugin ;\n  lv2:binary <" + dspPath + "> ;\n  rdfs:seeAlso <" + stem + ".ttl> .\n\n";
    plugins += PluginDescription(plug.get(), io->mIn, io->mOut, symbols);
    appliesTo += std::string(appliesTo.empty() ? "" : " , ") + "<" + uri + ">";
  }
  // The editor's binary of its own: ui:binary as the UI extension names it,
  // lv2:binary as hosts look it up.
  manifest += "<" + LV2EditorURI() + ">\n  a ui:X11UI ;\n  ui:binary <" + uiPath + "> ;\n  lv2:binary <" + uiPath +
              "> ;\n  rdfs:seeAlso <" + stem + ".ttl> .\n\n";
  plugins += "<" + LV2EditorURI() + ">\n  a ui:X11UI ;\n  ui:binary <" + uiPath + "> ;\n  lv2:binary <" + uiPath + "> ;\n";
  plugins += "  lv2:requiredFeature ui:idleInterface ;\n";
  plugins += "  lv2:optionalFeature ui:parent , ui:resize , ui:touch , urid:map , opts:options ;\n";
  plugins += "  opts:supportedOption ui:scaleFactor ;\n";
  plugins += "  lv2:extensionData ui:idleInterface , ui:showInterface .\n";

  // Each preset's values, read back by restoring it.
  for (int p = 0; p < plug->NPresets(); ++p)
  {
    if (!plug->RestorePreset(p)) continue;
    const std::string uri = std::string(LV2PlugURI()) + "#preset" + std::to_string(p + 1);
    manifest += "<" + uri + ">\n  a pset:Preset ;\n  lv2:appliesTo " + appliesTo + " ;\n  rdfs:seeAlso <presets.ttl> .\n\n";
    presets += "<" + uri + ">\n  a pset:Preset ;\n  lv2:appliesTo " + appliesTo + " ;\n";
    presets += "  rdfs:label " + Quoted(plug->GetPresetName(p)) + " ;\n  lv2:port";
    for (int i = 0; i < plug->NParams(); ++i)
      presets += std::string(i ? " ,\n" : "\n") + "    [ lv2:symbol " + Quoted(symbols[(size_t) i]) +
                 " ; pset:value " + Number(plug->GetParam(i)->Value()) + " ]";
    presets += " .\n\n";
  }
  return WriteFile(dir + "manifest.ttl", manifest) && WriteFile(dir + stem + ".ttl", plugins) &&
         WriteFile(dir + "presets.ttl", presets);
}

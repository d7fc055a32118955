// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The bundle as Debian's LV2 tools see it: lv2_validate accepts its
// description, lv2info lists both plug-ins with their ports and the preset,
// and lv2apply renders through each the very samples plushgrit-render
// renders through the VST 3 bundle.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string Shell(const std::string& command, int* status)
{
  std::string out;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  char buf[512];
  while (p && fgets(buf, sizeof(buf), p)) out += buf;
  const int s = p ? pclose(p) : -1;
  *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

// A folder holding only the bundle, for LV2_PATH.
std::string LV2Path()
{
  const std::string dir = testing::TempDir() + "lv2path-" + std::to_string(getpid());
  mkdir(dir.c_str(), 0755);
  symlink(PLUSHGRIT_LV2_BUNDLE, (dir + "/plushgrit.lv2").c_str());
  return dir;
}

bool WriteFloatWav(const std::string& path, int channels, int frames)
{
  SF_INFO info = {};
  info.channels = channels;
  info.samplerate = 48000;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<float> v((size_t) frames * channels);
  for (size_t i = 0; i < v.size(); ++i) v[i] = (float) (0.9 * std::sin(0.003 * (double) i) * std::cos(0.0002 * (double) i));
  sf_writef_float(f, v.data(), frames);
  sf_close(f);
  return true;
}

std::vector<float> ReadSamples(const std::string& path)
{
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<float> v((size_t) (info.frames * info.channels));
  sf_readf_float(f, v.data(), info.frames);
  sf_close(f);
  return v;
}
}  // namespace

TEST(LV2Tools, Lv2ValidateAcceptsTheDescriptionWithoutWarnings)
{
  const std::string b = PLUSHGRIT_LV2_BUNDLE;
  int status = 0;
  const std::string out = Shell("lv2_validate " + b + "/manifest.ttl " + b + "/plushgrit.ttl " + b + "/presets.ttl", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("Found 0 errors"), std::string::npos) << out;
  EXPECT_EQ(out.find("warning"), std::string::npos) << out;
}

// A host that only processes, a server or a plug-in scanner loads the DSP
// binary: it needs no X11, fontconfig or FreeType, and each binary shows
// the world its LV2 entry only.
TEST(LV2Tools, TheDSPBinaryNeedsNoGUIAndEachBinaryExportsOnlyItsEntry)
{
  const std::string dir = std::string(PLUSHGRIT_LV2_BUNDLE) + "/Contents/x86_64-linux/";
  int status = 0;
  const std::string needed = Shell("readelf -d " + dir + "plushgrit.so", &status);
  ASSERT_EQ(status, 0) << needed;
  ASSERT_NE(needed.find("(NEEDED)"), std::string::npos) << needed;
  for (const char* gui : {"libX11", "libxcb", "libXext", "libfontconfig", "libfreetype", "libpng"})
    EXPECT_EQ(needed.find(gui), std::string::npos) << gui << "\n" << needed;
  EXPECT_NE(Shell("readelf -d " + dir + "plushgrit_ui.so", &status).find("libX11"), std::string::npos);
  for (const auto& [binary, entry] : {std::pair<std::string, std::string>{"plushgrit.so", "lv2_descriptor"},
                                      {"plushgrit_ui.so", "lv2ui_descriptor"}})
  {
    const std::string exported = Shell("nm -D --defined-only " + dir + binary + " | awk '{print $3}'", &status);
    EXPECT_EQ(exported, entry + "\n") << binary;
  }
}

// Hosts hide development versions (an odd lv2:minorVersion) and version 0.
TEST(LV2Tools, TheDescriptionIsAReleaseVersionUnderTheGPL)
{
  int status = 0;
  const std::string ttl = Shell(std::string("cat ") + PLUSHGRIT_LV2_BUNDLE + "/plushgrit.ttl", &status);
  int minor = -1, micro = -1;
  const size_t at = ttl.find("lv2:minorVersion ");
  ASSERT_NE(at, std::string::npos) << ttl;
  ASSERT_EQ(sscanf(ttl.c_str() + at, "lv2:minorVersion %d ;\n  lv2:microVersion %d", &minor, &micro), 2) << ttl;
  EXPECT_GT(minor, 0);
  EXPECT_EQ(minor % 2, 0);
  EXPECT_EQ(micro % 2, 0);
  EXPECT_NE(ttl.find("doap:license <https://spdx.org/licenses/GPL-3.0-or-later>"), std::string::npos);
}

TEST(LV2Tools, Lv2infoListsBothPluginsTheirPortsAndThePreset)
{
  const std::string path = LV2Path();
  int status = 0;
  for (const char* uri : {"https://www.quorvane.com/plugins/plushgrit#stereo", "https://www.quorvane.com/plugins/plushgrit#mono"})
  {
    const std::string out = Shell("LV2_PATH=" + path + " lv2info '" + uri + "'", &status);
    ASSERT_EQ(status, 0) << out;
    const bool stereo = strstr(uri, "stereo") != nullptr;
    for (const char* expected : {"Name:              Plushgrit", "init", "Symbol:      in\n", "Symbol:      out\n",
                                 "Symbol:      mix", "Symbol:      drive", "Symbol:      enabled", "Default:     1.000000",
                                 "http://lv2plug.in/ns/extensions/ui#X11UI", "http://lv2plug.in/ns/ext/state#interface",
                                 stereo ? "Symbol:      in_right" : "Symbol:      in_mono"})
      EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_EQ(out.find(stereo ? "in_mono" : "in_right"), std::string::npos) << out;
  }
}

TEST(LV2Tools, Lv2applyRendersWhatPlushgritRenderRenders)
{
  const std::string path = LV2Path();
  for (int channels : {2, 1})
  {
    SCOPED_TRACE(channels);
    const std::string dir = testing::TempDir() + "lv2apply-" + std::to_string(channels);
    const std::string in = dir + "-in.wav", viaVST3 = dir + "-vst3.wav", viaLV2 = dir + "-lv2.wav";
    ASSERT_TRUE(WriteFloatWav(in, channels, 40000));
    int status = 0;
    std::string out = Shell(std::string(PLUSHGRIT_RENDER_EXE) + " --force --in -3.5 --out 2.5 --mix 0.75 --drive 0.625 " + in +
                              " " + viaVST3,
                          &status);
    ASSERT_EQ(status, 0) << out;
    const std::string uri = std::string("https://www.quorvane.com/plugins/plushgrit#") + (channels == 2 ? "stereo" : "mono");
    // A sanitized module needs its runtime loaded first in a host of Debian's.
    const std::string preload = std::string(PLUSHGRIT_HOST_PRELOAD).empty()
                                    ? ""
                                    : "LD_PRELOAD=" PLUSHGRIT_HOST_PRELOAD " ASAN_OPTIONS=detect_leaks=0 ";
    out = Shell(preload + "LV2_PATH=" + path + " lv2apply -i " + in + " -o " + viaLV2 +
                  " -c in -3.5 -c out 2.5 -c mix 0.75 -c drive 0.625 '" + uri + "'",
              &status);
    ASSERT_EQ(status, 0) << out;
    const std::vector<float> a = ReadSamples(viaVST3), b = ReadSamples(viaLV2);
    ASSERT_EQ(a.size(), (size_t) 40000 * channels);
    EXPECT_TRUE(a == b) << "the two bundles render different samples";
    EXPECT_NE(a, ReadSamples(in));
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// plushgrit-render end to end: files through the real bundle compared with
// the chain computed here, and each kind of bad input refused clearly.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ReferenceChain.h"

namespace
{
struct Result
{
  int exitCode;
  std::string out, err;
};

std::string tempPath(const std::string& name) { return testing::TempDir() + "render_" + name; }

std::string slurp(const std::string& path)
{
  std::ifstream f(path);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

Result run(const std::string& args)
{
  const std::string out = tempPath("stdout.txt"), err = tempPath("stderr.txt");
  std::string cmd = std::string(PLUSHGRIT_RENDER_EXE) + " " + args + " >" + out + " 2>" + err;
  int status = system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
}

// Writes interleaved frames; subtype SF_FORMAT_FLOAT or SF_FORMAT_DOUBLE
// keeps the samples exact.
void writeWav(const std::string& path, const std::vector<double>& frames, int channels, int subtype, int major = SF_FORMAT_WAV)
{
  SF_INFO info = {};
  info.channels = channels;
  info.samplerate = 44100;
  info.format = major | subtype;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  sf_writef_double(f, frames.data(), (sf_count_t) frames.size() / channels);
  sf_close(f);
}

std::vector<double> readWav(const std::string& path, SF_INFO& info)
{
  info = SF_INFO();
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<double> frames((size_t) (info.frames * info.channels));
  sf_readf_double(f, frames.data(), info.frames);
  sf_close(f);
  return frames;
}

std::vector<double> testSignal(int frames, int channels)
{
  std::vector<double> v((size_t) frames * channels);
  for (size_t i = 0; i < v.size(); ++i) v[i] = (float) (0.8 * std::sin(0.0123 * (double) i) * std::cos(0.0007 * (double) i));
  return v;
}
}  // namespace

TEST(RenderCli, StereoFloatFileMatchesTheChainAt32And64Bits)
{
  const std::string in = tempPath("in.wav");
  const std::vector<double> frames = testSignal(5000, 2);
  writeWav(in, frames, 2, SF_FORMAT_DOUBLE);
  ReferenceChainSettings s{-3.5, 0.0, 0.5, 0.8};

  for (int precision : {32, 64})
  {
    SCOPED_TRACE(precision);
    const std::string out = tempPath("out.wav");
    Result r = run("--in -3.5 --out 0 --mix 0.5 --drive 0.8 --block 333 --precision " + std::to_string(precision) +
                   " --force " + in + " " + out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("peak in"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("real time"), std::string::npos) << r.out;
    SF_INFO info;
    std::vector<double> got = readWav(out, info);
    ASSERT_EQ(info.channels, 2);
    ASSERT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);  // same format out
    ASSERT_EQ(got.size(), frames.size());
    for (size_t i = 0; i < got.size(); ++i)
    {
      double x = precision == 32 ? (double) (float) frames[i] : frames[i];
      double want = precision == 32 ? (double) (float) ReferenceChainSample(x, s) : ReferenceChainSample(x, s);
      ASSERT_EQ(got[i], want) << i;
    }
  }
}

TEST(RenderCli, MonoAiffAndFlacKeepTheirFormat)
{
  const std::vector<double> mono = testSignal(3000, 1);
  for (int major : {SF_FORMAT_AIFF, SF_FORMAT_FLAC})
  {
    const std::string in = tempPath(major == SF_FORMAT_AIFF ? "in.aiff" : "in.flac");
    const std::string out = tempPath(major == SF_FORMAT_AIFF ? "out.aiff" : "out.flac");
    writeWav(in, mono, 1, SF_FORMAT_PCM_16, major);
    Result r = run("--drive 0.3 --force " + in + " " + out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SF_INFO inInfo, outInfo;
    std::vector<double> x = readWav(in, inInfo), y = readWav(out, outInfo);
    EXPECT_EQ(outInfo.format, inInfo.format);
    EXPECT_EQ(outInfo.channels, 1);
    ASSERT_EQ(y.size(), x.size());
    ReferenceChainSettings s{0, 0, 1, 0.3};
    for (size_t i = 0; i < y.size(); ++i) ASSERT_NEAR(y[i], ReferenceChainSample(x[i], s), 2.0 / 32768) << i;
  }
}

// What DAWs and sox write: extensible-header WAV, 64-bit containers, AIFC,
// CAF and the compressed formats. Each comes back in its own container and
// sample format; lossless ones carry the chain's samples.
TEST(RenderCli, EveryContainerLibsndfileWritesComesBackInItsOwnFormat)
{
  const struct
  {
    const char* name;
    int format;
    bool lossless;
  } kinds[] = {
    {"wavex24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, true}, {"wavexf.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, true},
    {"rf.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_24, true},       {"w.w64", SF_FORMAT_W64 | SF_FORMAT_DOUBLE, true},
    {"c.aifc", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, true},         {"c.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, true},
    {"v.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, false},         {"o.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, false},
    {"m.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, false},
  };
  const std::vector<double> frames = testSignal(4800, 2);
  for (const auto& k : kinds)
  {
    SCOPED_TRACE(k.name);
    const std::string in = tempPath(std::string("in_") + k.name), out = tempPath(std::string("out_") + k.name);
    SF_INFO info = {};
    info.channels = 2;
    info.samplerate = 48000;
    info.format = k.format;
    SNDFILE* f = sf_open(in.c_str(), SFM_WRITE, &info);
    if (!f) continue;  // this libsndfile cannot make such a file, so no host here writes one either
    sf_writef_double(f, frames.data(), 4800);
    sf_close(f);

    Result r = run("--drive 0.4 --force " + in + " " + out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SF_INFO inInfo, outInfo;
    std::vector<double> x = readWav(in, inInfo), y = readWav(out, outInfo);
    EXPECT_EQ(outInfo.format, inInfo.format);
    EXPECT_EQ(outInfo.frames, inInfo.frames);
    if (!k.lossless) continue;
    ReferenceChainSettings s{0, 0, 1, 0.4};
    for (size_t i = 0; i < y.size(); ++i) ASSERT_NEAR(y[i], ReferenceChainSample(x[i], s), 2.0 / 32768) << i;
  }
}

TEST(RenderCli, BypassPassesAudioThroughAndStateRoundTrips)
{
  const std::string in = tempPath("bypass_in.wav"), out = tempPath("bypass_out.wav");
  const std::string state = tempPath("state.bin");
  const std::vector<double> frames = testSignal(2000, 2);
  writeWav(in, frames, 2, SF_FORMAT_FLOAT);
  Result r = run("--bypass --in 7 --save-state " + state + " --force " + in + " " + out);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  SF_INFO info;
  std::vector<double> got = readWav(out, info);
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], (double) (float) frames[i]);
  EXPECT_EQ(slurp(state).size(), 36u);

  // Loading the state restores In 7 dB and the bypass.
  const std::string out2 = tempPath("bypass_out2.wav");
  r = run("--load-state " + state + " --force " + in + " " + out2);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readWav(out2, info), got);
}

TEST(RenderCli, DemoSignalNeedsNoInput)
{
  const std::string out = tempPath("demo.flac");
  remove(out.c_str());
  Result r = run("--demo " + out);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  SF_INFO info;
  std::vector<double> got = readWav(out, info);
  EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
  EXPECT_GE(info.frames, 44100);
  double peak = 0;
  for (double v : got) peak = std::fmax(peak, std::fabs(v));
  EXPECT_GT(peak, 0.05);
}

TEST(RenderCli, BadInputIsRefusedWithOneLineAndAnExitCode)
{
  const std::string good = tempPath("good.wav"), existing = tempPath("existing.wav");
  writeWav(good, testSignal(100, 2), 2, SF_FORMAT_FLOAT);
  writeWav(existing, testSignal(100, 2), 2, SF_FORMAT_FLOAT);
  std::ofstream(tempPath("text.wav")) << "not audio at all";
  writeWav(tempPath("quad.wav"), testSignal(400, 4), 4, SF_FORMAT_FLOAT);
  writeWav(tempPath("six.wav"), testSignal(400, 6), 6, SF_FORMAT_PCM_24, SF_FORMAT_WAVEX);
  std::ofstream(tempPath("short.state")) << "abc";

  struct Case
  {
    std::string args;
    int exitCode;
    std::string message;
  } cases[] = {
    {"/nonexistent/in.wav " + tempPath("o.wav"), 1, "cannot read /nonexistent/in.wav"},
    {tempPath("text.wav") + " " + tempPath("o.wav"), 1, "cannot read"},
    {tempPath("quad.wav") + " " + tempPath("o.wav"), 1, "unsupported channel count"},
    {"--mix 1.5 " + good + " " + tempPath("o.wav"), 2, "--mix 1.5 is out of range: Mix takes 0..1"},
    {"--in -11 " + good + " " + tempPath("o.wav"), 2, "In takes -10..10"},
    {"--drive abc " + good + " " + tempPath("o.wav"), 2, "needs a number"},
    {"--frobnicate " + good, 2, "unknown option --frobnicate"},
    {"--precision 16 " + good + " " + tempPath("o.wav"), 2, "--precision must be 32 or 64"},
    {"--block 0 " + good + " " + tempPath("o.wav"), 2, "--block needs a whole number from 1 to 65536"},
    {good + " " + existing, 2, "exists; use --force"},
    {"-t xyz " + good + " " + tempPath("o.wav"), 2, "unknown output type 'xyz'"},
    {"-e gsm-full-rate -b 24 " + good + " " + tempPath("o.wav"), 2, "no encoding 'gsm-full-rate' at 24 bits"},
    {"--force " + existing, 2, "an input and an output file are needed"},
    {good + " -", 2, "needs the container named with --type"},
    {tempPath("six.wav") + " " + tempPath("o.wav"), 1, "6 channels"},
    {"--plugin /nonexistent/Nope.vst3 " + good + " " + tempPath("o.wav"), 1, "does not load"},
    {"--load-state " + tempPath("short.state") + " --force " + good + " " + tempPath("o.wav"), 1,
     "not a complete Plushgrit state"},
    {"", 2, "an input and an output file are needed"},
    {"--demo", 2, "--demo needs an output file"},
  };
  for (const Case& c : cases)
  {
    Result r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.args << "\n" << r.err;
  }
  // The refused overwrites left the existing file alone.
  SF_INFO info;
  EXPECT_EQ(readWav(existing, info).size(), 200u);
}

TEST(RenderCli, ListsTheParametersAsTheHostSeesThem)
{
  Result r = run("--list-params");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* expected : {"Preset", "Bypass", "In ", "dB", "-10..10", "0.00", "Mix", "50/50", "1.000", "Drive"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 7);  // a heading and six parameters
  Result help = run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: plushgrit-render"), std::string::npos);
  // It names what is read, not a narrower list.
  for (const char* container : {"RF64", "W64", "CAF", "Opus", "MP3", "FLAC"})
    EXPECT_NE(help.out.find(container), std::string::npos) << container;
}

TEST(RenderCli, LoudOutputClipsInIntegerFilesAndStaysWholeInFloatFiles)
{
  // 20 dB of gain in and out on a 16-bit file: far beyond full scale.
  const std::vector<double> frames = testSignal(6000, 2);
  const std::string in16 = tempPath("loud16.wav"), out16 = tempPath("loud16-out.wav");
  writeWav(in16, frames, 2, SF_FORMAT_PCM_16);
  Result r = run("--force --in 10 --out 10 --mix 0 " + in16 + " " + out16);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("clipped"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("samples clipped"), std::string::npos) << r.out;
  SF_INFO info;
  const std::vector<double> rendered = readWav(out16, info);
  ASSERT_EQ(rendered.size(), frames.size());
  long flipped = 0, atFullScale = 0;
  for (size_t i = 0; i < frames.size(); ++i)
  {
    flipped += std::fabs(frames[i]) > 0.01 && (frames[i] > 0) != (rendered[i] > 0);
    atFullScale += std::fabs(rendered[i]) >= 32767.0 / 32768.0;
  }
  EXPECT_EQ(flipped, 0);
  EXPECT_GT(atFullScale, (long) frames.size() / 4);

  // A float file keeps what was rendered, beyond full scale, with no warning.
  const std::string inF = tempPath("loudf.wav"), outF = tempPath("loudf-out.wav");
  writeWav(inF, frames, 2, SF_FORMAT_FLOAT);
  r = run("--force --in 10 --out 10 --mix 0 " + inF + " " + outF);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.find("clipped"), std::string::npos) << r.err;
  double peak = 0;
  for (double v : readWav(outF, info)) peak = std::fmax(peak, std::fabs(v));
  EXPECT_GT(peak, 1.5);
}

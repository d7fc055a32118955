// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What the renderer writes, tried as users and other programs use files:
// every encoding libsndfile writes taking a render louder than full scale
// without a sign flipped; the output replaced whole (two renders at once,
// links, modes and owners, long names, a pipe, a kill part way) and never
// when the input is damaged or cut short; standard input and output.
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "AudioFile.h"

namespace
{
struct Dir
{
  Dir() : path(testing::TempDir() + "render-out-" + std::to_string(getpid()) + "/")
  {
    system(("rm -rf '" + path + "' && mkdir -p '" + path + "'").c_str());
    chmod(path.c_str(), 0777);
  }
  ~Dir() { system(("rm -rf '" + path + "'").c_str()); }
  std::string operator/(const std::string& name) const { return path + name; }
  int Entries() const
  {
    FILE* p = popen(("ls -A '" + path + "' | wc -l").c_str(), "r");
    int n = -1;
    if (p && fscanf(p, "%d", &n) != 1) n = -1;
    if (p) pclose(p);
    return n;
  }
  std::string path;
};

std::string Slurp(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Runs the renderer with args in a shell; its exit status, its stderr.
int Render(const std::string& args, std::string* err = nullptr)
{
  const std::string errFile = testing::TempDir() + "render-out-err-" + std::to_string(getpid());
  const int status = system((std::string(PLUSHGRIT_RENDER_EXE) + " -q " + args + " 2>" + errFile).c_str());
  if (err) *err = Slurp(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void WriteSine(const std::string& path, double seconds, int format, double amplitude = 0.7, int channels = 2)
{
  SF_INFO info = {};
  info.channels = channels;
  info.samplerate = 48000;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  const long n = (long) (seconds * info.samplerate);
  std::vector<float> v((size_t) (n * channels));
  for (size_t i = 0; i < v.size(); ++i) v[i] = (float) (amplitude * std::sin((double) (i / (size_t) channels) * 0.01));
  sf_writef_float(f, v.data(), n);
  sf_close(f);
}

// The interleaved samples of a file, or none.
std::vector<float> Samples(const std::string& path)
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

// Through the renderer's own output layer, each writable pair of container
// and encoding: a 50 Hz sine of 1.6 times full scale comes back with every
// sample of the sign it had.
TEST(RenderOutput, EveryEncodingLibsndfileWritesClipsInsteadOfWrapping)
{
  Dir dir;
  int majors = 0, subtypes = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &majors, sizeof(majors));
  sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &subtypes, sizeof(subtypes));
  int tried = 0;
  for (int m = 0; m < majors; ++m)
    for (int s = 0; s < subtypes; ++s)
    {
      SF_FORMAT_INFO major = {}, sub = {};
      major.format = m;
      sub.format = s;
      sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &major, sizeof(major));
      sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &sub, sizeof(sub));
      const int format = major.format | sub.format;
      const std::string path = dir / ("loud." + std::string(major.extension));
      AudioFile out;
      std::string error;
      if (!out.OpenWrite(path, -1, format, 1, 8000, error)) continue;  // libsndfile cannot write it
      std::vector<float> x(8000);
      for (size_t i = 0; i < x.size(); ++i) x[i] = (float) (1.6 * std::sin(2 * M_PI * 50 * (double) i / 8000));
      std::vector<float> written = x;
      const long long clipped = out.Clip(written.data(), (long) written.size());
      out.Write(written.data(), (long) written.size());
      out.Close();
      const std::vector<float> y = Samples(path);
      long flipped = 0;
      for (size_t i = 0; i < x.size() && i < y.size(); ++i)
        flipped += std::fabs(x[i]) > 0.5 && std::fabs(y[i]) > 0.25 && (x[i] > 0) != (y[i] > 0);
      EXPECT_EQ(flipped, 0) << AudioFile::FormatName(format);
      if (sub.format != SF_FORMAT_FLOAT && sub.format != SF_FORMAT_DOUBLE)
      {
        EXPECT_GT(clipped, 0) << AudioFile::FormatName(format);
      }
      ++tried;
    }
  EXPECT_GT(tried, 60) << "fewer writable formats than libsndfile has";
}

TEST(RenderOutput, LoudRendersIntoCompandedAndAdpcmFilesAreClippedAndSaidSo)
{
  Dir dir;
  // Mono: WAV holds GSM for one channel only.
  WriteSine(dir / "in.wav", 1.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0.9, 1);
  for (const char* encoding : {"u-law", "a-law", "ima-adpcm", "ms-adpcm", "gsm-full-rate"})
  {
    std::string err;
    const std::string out = dir / (std::string(encoding) + ".wav");
    ASSERT_EQ(Render("--in 10 --out 10 --mix 0 -e " + std::string(encoding) + " " + (dir / "in.wav") + " " + out, &err), 0)
        << err;
    EXPECT_NE(err.find("were clipped"), std::string::npos) << encoding << ": " << err;
    const std::vector<float> x = Samples(dir / "in.wav"), y = Samples(out);
    ASSERT_GE(y.size(), x.size()) << encoding;  // the block codecs pad their last block
    long flipped = 0;
    // A wrapped sample is near full scale of the other sign; a lossy coder's
    // ringing on this square wave is not.
    for (size_t i = 0; i < x.size(); ++i) flipped += std::fabs(x[i]) > 0.5 && std::fabs(y[i]) > 0.5 && (x[i] > 0) != (y[i] > 0);
    EXPECT_EQ(flipped, 0) << encoding;
  }
}

// Replacing the output: what a plain write would leave, but never half of
// it. Two renders at once into one output leave one of them whole.
TEST(RenderOutput, TheOutputIsReplacedWholeAndKeepsWhatItWas)
{
  Dir dir;
  const std::string in = dir / "in.wav";
  WriteSine(in, 2.0, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  ASSERT_EQ(Render("--drive 0.1 " + in + " " + (dir / "a.wav")), 0);
  ASSERT_EQ(Render("--drive 0.9 " + in + " " + (dir / "b.wav")), 0);
  const std::string a = Slurp(dir / "a.wav"), b = Slurp(dir / "b.wav");
  ASSERT_NE(a, b);

  for (int round = 0; round < 3; ++round)
  {
    std::thread first([&] { Render("--force --drive 0.1 " + in + " " + (dir / "both.wav")); });
    std::thread second([&] { Render("--force --drive 0.9 " + in + " " + (dir / "both.wav")); });
    first.join();
    second.join();
    const std::string both = Slurp(dir / "both.wav");
    EXPECT_TRUE(both == a || both == b) << "round " << round << ": the output is neither render";
  }
  EXPECT_EQ(dir.Entries(), 4);  // in, a, b, both: no temporary left

  // A file of the user's that happens to have the old temporary's name.
  std::ofstream(dir / "both.wav.partial") << "mine";
  ASSERT_EQ(Render("--force " + in + " " + (dir / "both.wav")), 0);
  EXPECT_EQ(Slurp(dir / "both.wav.partial"), "mine");

  // A link stays a link, its target takes the render; a private file stays
  // private (and its owner's, when another user's).
  ASSERT_EQ(symlink("a.wav", (dir / "link.wav").c_str()), 0);
  ASSERT_EQ(Render("--force --drive 0.9 " + in + " " + (dir / "link.wav")), 0);
  struct stat st;
  ASSERT_EQ(lstat((dir / "link.wav").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Slurp(dir / "a.wav"), b);
  ASSERT_EQ(chmod((dir / "b.wav").c_str(), 0600), 0);
  if (geteuid() == 0)
  {
    ASSERT_EQ(chown((dir / "b.wav").c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(Render("--force --drive 0.1 " + in + " " + (dir / "b.wav")), 0);
  ASSERT_EQ(stat((dir / "b.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  if (geteuid() == 0)
  {
    EXPECT_EQ(st.st_uid, 65534u);
  }
  EXPECT_EQ(Slurp(dir / "b.wav"), a);

  // Another name for the same file sees the render too.
  ASSERT_EQ(link((dir / "b.wav").c_str(), (dir / "b-too.wav").c_str()), 0);
  ASSERT_EQ(Render("--force --drive 0.9 " + in + " " + (dir / "b.wav")), 0);
  EXPECT_EQ(Slurp(dir / "b-too.wav"), b);

  // A name as long as a file system takes, and its temporary with it.
  const std::string longName = dir / (std::string(251, 'n') + ".wav");
  ASSERT_EQ(Render(in + " " + longName), 0);
  EXPECT_EQ(Slurp(longName).size(), a.size());
}

TEST(RenderOutput, APipeTakesTheRenderAndStaysAPipe)
{
  Dir dir;
  const std::string in = dir / "in.wav";
  // 24-bit: a float WAV carries a PEAK chunk stamped with the second it was
  // written, and the renders below are compared byte for byte.
  WriteSine(in, 1.0, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  ASSERT_EQ(Render(in + " " + (dir / "file.wav")), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  std::string heard;
  std::thread reader([&] { heard = Slurp(dir / "fifo"); });
  ASSERT_EQ(Render(in + " " + (dir / "fifo")), 0);  // no --force: a pipe is not replaced
  reader.join();
  EXPECT_EQ(heard, Slurp(dir / "file.wav"));
  struct stat st;
  ASSERT_EQ(lstat((dir / "fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // Standard input to standard output, as sox pipes.
  ASSERT_EQ(system(("cat '" + in + "' | " + PLUSHGRIT_RENDER_EXE + " -q - -t wav - | cat > '" + (dir / "piped.wav") + "'").c_str()),
            0);
  EXPECT_EQ(Slurp(dir / "piped.wav"), Slurp(dir / "file.wav"));
}

// SIGTERM or SIGINT part way: the old output stays, nothing else does.
TEST(RenderOutput, AKillPartWayLeavesTheOldOutputAndNothingElse)
{
  Dir dir;
  const std::string in = dir / "in.wav";
  WriteSine(in, 30.0, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  std::ofstream(dir / "out.wav") << "the old output";
  for (int sig : {SIGTERM, SIGINT})
  {
    const pid_t child = fork();
    if (child == 0)
    {
      // One frame a block: long enough to be interrupted.
      execl(PLUSHGRIT_RENDER_EXE, PLUSHGRIT_RENDER_EXE, "-q", "--force", "--block", "1", in.c_str(),
            (dir / "out.wav").c_str(), (char*) nullptr);
      _exit(127);
    }
    usleep(400 * 1000);
    kill(child, sig);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "status " << status;
    EXPECT_EQ(Slurp(dir / "out.wav"), "the old output");
    EXPECT_EQ(dir.Entries(), 2);  // in.wav and out.wav
  }
}

// A read error or a file shorter than its header: an error that says how
// far it read, and the output neither made nor replaced.
TEST(RenderOutput, DamagedOrCutInputsAreErrorsAndWriteNothing)
{
  Dir dir;
  WriteSine(dir / "whole.flac", 4.0, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  WriteSine(dir / "whole.wav", 4.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  const std::string flac = Slurp(dir / "whole.flac"), wav = Slurp(dir / "whole.wav");
  std::ofstream(dir / "cut.flac", std::ios::binary) << flac.substr(0, flac.size() / 3);
  std::ofstream(dir / "cut.wav", std::ios::binary) << wav.substr(0, wav.size() / 3);
  std::string corrupt = flac;
  for (size_t i = corrupt.size() / 2; i < corrupt.size() / 2 + 4000; ++i) corrupt[i] = (char) (i * 7919);
  std::ofstream(dir / "corrupt.flac", std::ios::binary) << corrupt;
  std::ofstream(dir / "kept.wav") << "kept";

  for (const char* damaged : {"cut.flac", "cut.wav", "corrupt.flac"})
  {
    std::string err;
    EXPECT_EQ(Render(dir / damaged + " " + (dir / "new.wav"), &err), 1) << damaged;
    EXPECT_NE(err.find("damaged or cut short: read "), std::string::npos) << err;
    EXPECT_NE(err.find(" of 4.00 s"), std::string::npos) << err;
    EXPECT_EQ(access((dir / "new.wav").c_str(), F_OK), -1) << damaged;
    EXPECT_EQ(Render("--force " + (dir / damaged) + " " + (dir / "kept.wav")), 1);
    EXPECT_EQ(Slurp(dir / "kept.wav"), "kept") << damaged;
  }
  EXPECT_EQ(dir.Entries(), 6);
  // The whole files render.
  EXPECT_EQ(Render(dir / "whole.flac" + " " + (dir / "new.wav")), 0);
}

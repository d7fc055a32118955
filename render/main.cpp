// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// plushgrit-render: renders audio files through the Plushgrit VST 3 bundle,
// loaded through its binary interface as a host loads it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../IPlug/Licence.h"
#include "AudioFile.h"
#include "BundleLocation.h"
#include "DemoSignal.h"
#include "HostedPlugin.h"
#include "PluginModule.h"
#include "RenderOptions.h"
#include "ReplaceFile.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
const ParamID kBypassID = 0x62706173;  // 'bpas'

int fail(const std::string& message, int code = kRenderFailed)
{
  fprintf(stderr, "plushgrit-render: %s\n", message.c_str());
  return code;
}

// An existing regular file at path (through its links): what --force is
// needed to replace. A pipe or a device is written to, not replaced.
bool regularFileExists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// SIGINT, SIGTERM, SIGHUP or SIGPIPE while rendering: the temporary goes
// (unlink is safe in a handler), the output stays as it was, and the
// program ends by the signal, as the shell expects.
const char* volatile gTemporary = "";

void OnSignal(int sig)
{
  if (gTemporary[0]) unlink(gTemporary);
  signal(sig, SIG_DFL);
  raise(sig);
}

void CatchSignals(const char* temporary)
{
  gTemporary = temporary;
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaction(sig, &sa, nullptr);
}

std::string text128(const TChar* s)
{
  std::string out;
  for (int i = 0; i < 128 && s[i]; ++i) out += s[i] < 128 ? (char) s[i] : '?';
  return out;
}

struct HostParam
{
  ParameterInfo info;
  double lo, hi;  // plain range, as the host reads it from the controller
};

bool findParam(IEditController* c, const char* title, HostParam& out)
{
  for (int32 i = 0; i < c->getParameterCount(); ++i)
  {
    if (c->getParameterInfo(i, out.info) != kResultOk || text128(out.info.title) != title) continue;
    out.lo = c->normalizedParamToPlain(out.info.id, 0.0);
    out.hi = c->normalizedParamToPlain(out.info.id, 1.0);
    return true;
  }
  return false;
}

void listParams(IEditController* c)
{
  printf("%-10s %-8s %-7s %-18s %-10s %s\n", "id", "title", "units", "range", "default", "current");
  for (int32 i = 0; i < c->getParameterCount(); ++i)
  {
    ParameterInfo info;
    if (c->getParameterInfo(i, info) != kResultOk) continue;
    // Parameters without texts of their own (preset, bypass) show a dash.
    String128 current = {'-'}, def = {'-'};
    c->getParamStringByValue(info.id, c->getParamNormalized(info.id), current);
    c->getParamStringByValue(info.id, info.defaultNormalizedValue, def);
    char range[64];
    snprintf(range, sizeof(range), "%g..%g", c->normalizedParamToPlain(info.id, 0.0),
             c->normalizedParamToPlain(info.id, 1.0));
    char id[16];
    snprintf(id, sizeof(id), info.id > 0xFFFF ? "0x%08X" : "%u", info.id);
    printf("%-10s %-8s %-7s %-18s %-10s %s\n", id, text128(info.title).c_str(), text128(info.units).c_str(), range,
           text128(def).c_str(), text128(current).c_str());
  }
}

// libsndfile finishes most containers by seeking back to their header, so
// it cannot write them to a pipe: a pipe (standard output, a FIFO) gets the
// file made whole in an unnamed temporary first, then copied to it.
int UnnamedTemporary()
{
  const char* tmp = getenv("TMPDIR");
  const std::string folder = tmp && *tmp ? tmp : "/tmp";
  int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string name = folder + "/plushgrit-render-XXXXXX";
  fd = mkstemp(&name[0]);
  if (fd >= 0) unlink(name.c_str());
  return fd;
}

bool CopyAll(int from, int to)
{
  if (lseek(from, 0, SEEK_SET) != 0) return false;
  char block[65536];
  for (;;)
  {
    ssize_t n = read(from, block, sizeof(block));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    for (ssize_t done = 0; done < n;)
    {
      const ssize_t w = write(to, block + done, (size_t) (n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      done += w;
    }
  }
}

bool readFile(const std::string& path, vst3host::Bytes& out)
{
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return !f.bad();
}


double toDb(double peak) { return peak > 0.0 ? 20.0 * std::log10(peak) : -INFINITY; }

class Progress
{
public:
  Progress(long total, int sampleRate) : mTotal(total), mShow(isatty(2) && total > 30L * sampleRate) {}
  void Update(long done)
  {
    if (!mShow || mTotal <= 0) return;
    int percent = (int) (100.0 * done / mTotal);
    if (percent == mLast) return;
    mLast = percent;
    int bar = percent * 40 / 100;
    fprintf(stderr, "\r[%.*s%*s] %3d%%", bar, "########################################", 40 - bar, "", percent);
    fflush(stderr);
  }
  void Finish()
  {
    if (mShow) fprintf(stderr, "\r%*s\r", 50, "");
  }

private:
  long mTotal;
  bool mShow;
  int mLast = -1;
};

// Where the frames come from: a file (or standard input) or the demo signal.
struct Source
{
  AudioFile file;
  std::vector<double> demo;
  long demoPos = 0;
  int channels = 2, sampleRate = 48000;
  long frames = 0;

  template <class Sample>
  long Read(Sample* interleaved, long n)
  {
    if (demo.empty()) return file.Read(interleaved, n);
    long left = (long) demo.size() / 2 - demoPos;
    long got = n < left ? n : left;
    for (long i = 0; i < got * 2; ++i) interleaved[i] = (Sample) demo[(size_t) (demoPos * 2 + i)];
    demoPos += got;
    return got;
  }
};

template <class Sample>
bool render(vst3host::HostedPlugin& plugin, Source& src, AudioFile& dest, int block, vst3host::ParameterChanges& first,
            bool quiet, double& peakIn, double& peakOut, long long& clipped, std::string& error)
{
  const int ch = src.channels;
  std::vector<Sample> inter((size_t) block * ch), outInter((size_t) block * ch);
  std::vector<std::vector<Sample>> in(ch, std::vector<Sample>(block)), out(ch, std::vector<Sample>(block));
  std::vector<Sample*> inPtr(ch), outPtr(ch);
  for (int c = 0; c < ch; ++c)
  {
    inPtr[c] = in[c].data();
    outPtr[c] = out[c].data();
  }
  Progress progress(quiet ? 0 : src.frames, src.sampleRate);
  long done = 0;
  bool firstBlock = true;
  for (;;)
  {
    long n = src.Read(inter.data(), block);
    if (n <= 0) break;
    for (long i = 0; i < n; ++i)
      for (int c = 0; c < ch; ++c)
      {
        Sample v = inter[(size_t) (i * ch + c)];
        in[c][i] = v;
        peakIn = std::fmax(peakIn, std::fabs((double) v));
      }
    plugin.Process(inPtr.data(), ch, outPtr.data(), ch, (int) n, firstBlock ? &first : nullptr);
    firstBlock = false;
    for (long i = 0; i < n; ++i)
      for (int c = 0; c < ch; ++c)
      {
        Sample v = out[c][i];
        outInter[(size_t) (i * ch + c)] = v;
        peakOut = std::fmax(peakOut, std::fabs((double) v));
      }
    clipped += dest.Clip(outInter.data(), n);
    if (dest.Write(outInter.data(), n) != n)
    {
      error = "writing the output failed: " + dest.LastError();
      return false;
    }
    done += n;
    progress.Update(done);
  }
  progress.Finish();
  // A header that promised more than could be read: damaged or cut short.
  std::string reason;
  if (src.demo.empty() && src.file.EndedEarly(&reason))
  {
    const double rate = src.sampleRate;
    char what[200];
    const long long promised = src.file.FramesPromised();
    if (promised)
      snprintf(what, sizeof(what), "read %.2f s of %.2f s (%lld of %lld frames)", src.file.FramesRead() / rate,
               promised / rate, src.file.FramesRead(), promised);
    else
      snprintf(what, sizeof(what), "read %.2f s (%lld frames)", src.file.FramesRead() / rate, src.file.FramesRead());
    error = std::string("the input is damaged or cut short: ") + what + (reason.empty() ? "" : ": " + reason) +
            "; nothing was written";
    return false;
  }
  return true;
}
}  // namespace

int main(int argc, char** argv)
{
  RenderOptions opt;
  std::string error;
  if (!ParseRenderOptions(argc, argv, opt, error)) return fail(error, kRenderUsage);
  if (opt.help)
  {
    fputs(RenderUsage(), stdout);
    return kRenderDone;
  }

  if (opt.version)
  {
    printf("plushgrit-render %s\n%s", PLUSHGRIT_VERSION, PLUSHGRIT_LICENCE_TEXT);
    return kRenderDone;
  }

  std::string pluginPath = opt.pluginPath;
  if (pluginPath.empty())
  {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    const char* home = getenv("HOME");
    const auto candidates = BundleCandidates(n > 0 ? std::string(exe, (size_t) n) : "", home ? home : "");
    pluginPath = FindBundle(candidates);
    if (pluginPath.empty())
    {
      std::string tried;
      for (const std::string& c : candidates) tried += (tried.empty() ? "" : ", ") + c;
      return fail("no Plushgrit.vst3 found (looked at " + tried + "); name one with --plugin");
    }
  }
  vst3host::PluginModule module;
  if (!module.Open(pluginPath)) return fail("the plug-in does not load: " + module.Error());
  vst3host::HostContext context("plushgrit-render");
  vst3host::HostedPlugin plugin;
  if (!plugin.Load(module, &context)) return fail("the plug-in does not load: " + plugin.Error());
  IEditController* controller = plugin.Controller();
  if (!controller) return fail("the plug-in has no edit controller");

  if (opt.listParams)
  {
    listParams(controller);
    return kRenderDone;
  }

  // Check every value against the range the host sees before any work.
  vst3host::ParameterChanges changes;
  const struct
  {
    const char* title;
    const char* option;
    std::optional<double> value;
  } requested[] = {{"In", "--in", opt.inDb}, {"Out", "--out", opt.outDb}, {"Mix", "--mix", opt.mix},
                   {"Drive", "--drive", opt.drive}};
  struct Pending
  {
    ParamID id;
    double normalized;
  };
  std::vector<Pending> pending;
  for (const auto& r : requested)
  {
    if (!r.value) continue;
    HostParam p;
    if (!findParam(controller, r.title, p)) return fail(std::string("the plug-in has no parameter ") + r.title);
    if (*r.value < p.lo || *r.value > p.hi)
    {
      char msg[160];
      snprintf(msg, sizeof(msg), "%s %g is out of range: %s takes %g..%g", r.option, *r.value, r.title, p.lo, p.hi);
      return fail(msg, kRenderUsage);
    }
    pending.push_back({p.info.id, controller->plainParamToNormalized(p.info.id, *r.value)});
  }

  Source src;
  const bool toStdout = opt.outputPath == "-";
  const std::string inName = opt.demo ? "demo signal" : opt.inputPath == "-" ? "standard input" : opt.inputPath;
  const std::string outName = toStdout ? "standard output" : opt.outputPath;
  if (!opt.demo)
  {
    if (!src.file.OpenRead(opt.inputPath, error)) return fail(error);
    src.channels = src.file.Info().channels;
    src.sampleRate = src.file.Info().samplerate;
    src.frames = (long) src.file.Info().frames;
  }
  // The input's container and encoding (the demo's from the output's
  // extension, else 24-bit WAV), unless the options name others.
  const int given = opt.demo ? AudioFile::FormatForExtension(opt.outputPath) : src.file.Info().format;
  const bool named = !opt.type.empty() || !opt.encoding.empty() || opt.bits;
  int outFormat = AudioFile::ChooseFormat(opt.type, opt.encoding, opt.bits, given, src.channels, error);
  if (!outFormat && named) return fail(error, kRenderUsage);
  if (!toStdout && regularFileExists(opt.outputPath) && !opt.force)
    return fail(opt.outputPath + " exists; use --force to replace it", kRenderUsage);

  if (plugin.SetBusArrangements(src.channels, src.channels) != kResultTrue)
    return fail("the plug-in refuses " + std::to_string(src.channels) + " channels");
  const int sampleSize = opt.precision == 64 ? kSample64 : kSample32;
  if (plugin.Setup(src.sampleRate, opt.blockSize, sampleSize, kOffline) != kResultOk)
    return fail("the plug-in refuses the processing set-up");
  plugin.Start();

  // A saved state, bypass included, is loaded once the processing is set up.
  if (!opt.loadState.empty())
  {
    vst3host::Bytes state;
    if (!readFile(opt.loadState, state)) return fail("cannot read state file " + opt.loadState);
    if (plugin.SetComponentState(state) != kResultOk)
      return fail("state file " + opt.loadState + " is not a complete Plushgrit state");
  }

  // The settings reach the processor with the first block, as automation
  // does, and the controller is told the same values.
  for (const Pending& p : pending)
  {
    changes.Add(p.id, p.normalized);
    controller->setParamNormalized(p.id, p.normalized);
  }
  if (opt.bypass) changes.Add(kBypassID, 1.0);

  if (opt.demo)
  {
    src.demo = MakeDemoSignal(src.sampleRate, 4.0);
    src.frames = (long) src.demo.size() / 2;
  }

  // The output is made whole beside the file it replaces, and replaces it
  // only once the render is done (see wdl/ReplaceFile.h); standard output
  // takes the stream as it comes.
  FileReplacement replacement;
  if (!toStdout)
  {
    if (!replacement.Begin(opt.outputPath)) return fail(replacement.Error());
    CatchSignals(replacement.TemporaryPath());
  }
  const int outFd = toStdout ? STDOUT_FILENO : replacement.Fd();
  const bool pipe = lseek(outFd, 0, SEEK_CUR) < 0 && errno == ESPIPE;
  const int fd = pipe ? UnnamedTemporary() : outFd;
  if (fd < 0) return fail("cannot make a temporary file for " + outName + ": " + strerror(errno));
  AudioFile dest;
  if (!outFormat || !dest.OpenWrite(outName, fd, outFormat, src.channels, src.sampleRate, error))
  {
    // libsndfile reads more than it writes (MP3 without an encoder, some old
    // containers): then the output's extension decides, or 24-bit WAV.
    const int extFormat = AudioFile::FormatForExtension(opt.outputPath);
    const int fallback = extFormat && extFormat != outFormat ? extFormat : (SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    if (named || !dest.OpenWrite(outName, fd, fallback, src.channels, src.sampleRate, error)) return fail(error);
    if (!opt.quiet)
      fprintf(stderr, "plushgrit-render: %s cannot be written; wrote %s to %s\n",
              AudioFile::FormatName(given).c_str(), AudioFile::FormatName(fallback).c_str(), outName.c_str());
    outFormat = fallback;
  }

  double peakIn = 0.0, peakOut = 0.0;
  long long clipped = 0;
  auto start = std::chrono::steady_clock::now();
  bool ok = opt.precision == 64
                ? render<double>(plugin, src, dest, opt.blockSize, changes, opt.quiet, peakIn, peakOut, clipped, error)
                : render<float>(plugin, src, dest, opt.blockSize, changes, opt.quiet, peakIn, peakOut, clipped, error);
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!dest.Close() && ok)
  {
    ok = false;
    error = "finishing " + outName + " failed";
  }
  if (ok && pipe && !CopyAll(fd, outFd))
  {
    ok = false;
    error = "writing to " + outName + " failed: " + strerror(errno);
  }
  if (pipe) close(fd);
  if (!ok) return fail(error);
  if (!toStdout && !replacement.Commit()) return fail("cannot put the result in place: " + replacement.Error());
  CatchSignals("");

  if (!opt.saveState.empty())
  {
    vst3host::Bytes state;
    std::string why;
    if (!plugin.GetControllerState(state) || !ReplaceFileContents(opt.saveState, state.data(), state.size(), &why))
      return fail("cannot save the state to " + opt.saveState + (why.empty() ? "" : ": " + why));
  }

  const double seconds = (double) src.frames / src.sampleRate;
  std::string clipNote;
  if (clipped)
  {
    clipNote = ", " + std::to_string(clipped) + " samples clipped";
    fprintf(stderr, "plushgrit-render: warning: %lld of %lld samples were beyond what %s holds and were clipped\n",
            clipped, (long long) src.frames * src.channels, AudioFile::FormatName(outFormat).c_str());
  }
  // The summary stays off standard output when the audio goes there.
  if (!opt.quiet)
    fprintf(toStdout ? stderr : stdout,
            "plushgrit-render: %s -> %s through %s: %.2f s of %s %d Hz audio at %d-bit, peak in %.2f dBFS, peak out "
            "%.2f dBFS%s, %.0fx real time\n",
            inName.c_str(), outName.c_str(), pluginPath.c_str(), seconds, src.channels == 1 ? "mono" : "stereo",
            src.sampleRate, opt.precision, toDb(peakIn), toDb(peakOut), clipNote.c_str(),
            elapsed > 0 ? seconds / elapsed : 0.0);
  plugin.Terminate();
  return kRenderDone;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "StandaloneMain.h"

#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "../IPlug/FxFile.h"
#include "../IPlug/Licence.h"
#include "../wdl/ReplaceFile.h"
#include "IGraphicsLinux.h"
#include "IPlugStandalone.h"
#include "JackAudio.h"
#include "StandaloneOptions.h"
#include "StandaloneRunLoop.h"

namespace
{
int gSignalFd = -1;

// SIGINT and SIGTERM end the program through its main loop, so that it
// saves its settings. They are blocked in every thread (the ones JACK and
// the window start inherit the mask) and read from a signalfd: a handler
// would interrupt whichever thread the kernel picked, and libjack takes an
// interrupted socket read in activation or in its own threads for a dead
// server.
void CatchSignals()
{
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
  gSignalFd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

bool SignalCame()
{
  signalfd_siginfo info;
  return gSignalFd >= 0 && read(gSignalFd, &info, sizeof(info)) == (ssize_t) sizeof(info);
}

// $XDG_CONFIG_HOME/<program>/settings, or ~/.config/<program>/settings.
std::string SettingsPath(const std::string& program)
{
  const char* config = getenv("XDG_CONFIG_HOME");
  const char* home = getenv("HOME");
  std::string folder = config && *config == '/' ? config : std::string(home ? home : "") + "/.config";
  return folder + "/" + program + "/settings";
}

bool MakeFolders(const std::string& file)
{
  for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1))
    if (mkdir(file.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) return false;
  return true;
}

std::string ParamList(IPlugStandalone* plug)
{
  std::string list;
  for (int i = 0; i < plug->NParams(); ++i)
  {
    IParam* p = plug->GetParam(i);
    list += std::string(i ? ", " : "") + p->GetNameForHost();
    if (*p->GetLabelForHost() && !strcmp(p->GetLabelForHost(), "dB")) list += " in dB";
  }
  return list;
}

int Fail(const char* program, const std::string& message, int code = kStandaloneFailed)
{
  fprintf(stderr, "%s: %s\n", program, message.c_str());
  return code;
}
}  // namespace

int RunStandalone(int argc, char** argv, const StandaloneProduct& product)
{
  const char* program = product.program;
  StandaloneOptions opt;
  std::string error;
  if (!ParseStandaloneOptions(argc, argv, program, opt, error)) return Fail(program, error, kStandaloneUsage);
  if (opt.version)
  {
    printf("%s %s\n%s", program, product.version, PLUSHGRIT_LICENCE_TEXT);
    return kStandaloneDone;
  }
  // Before any thread starts: from here on SIGINT and SIGTERM wait for the
  // main loop, so one that comes while JACK starts ends the run cleanly too.
  CatchSignals();
  product.prepare();
  std::unique_ptr<IPlugStandalone> plug(product.make());
  if (opt.help)
  {
    fputs(StandaloneUsage(program, plug->GetEffectName(), ParamList(plug.get())).c_str(), stdout);
    return kStandaloneDone;
  }
  auto* graphics = dynamic_cast<IGraphicsLinux*>(plug->GetGUI());

  // The settings of the last run, then a program file, then the options.
  const std::string settings = SettingsPath(program);
  ByteChunk saved;
  if (access(settings.c_str(), F_OK) == 0 &&
      (!ReadWholeFile(settings.c_str(), &saved) || !plug->RestoreStateBytes(saved.GetBytes(), (size_t) saved.Size())))
    fprintf(stderr, "%s: warning: the settings in %s are damaged or unreadable: starting from the defaults\n", program,
            settings.c_str());
  if (!opt.load.empty() && !plug->LoadProgramFromFXP(WDL_String(opt.load.c_str())))
    return Fail(program, "cannot load the program file " + opt.load);
  for (const auto& [name, value] : opt.set)
    if (!plug->SetParamByName(name, value, &error)) return Fail(program, "--set " + name + ": " + error, kStandaloneUsage);

  JackAudio jack;
  if (!jack.Open(opt.clientName, opt.serverName, opt.startServer, error)) return Fail(program, error);
  if (!plug->PrepareAudio(jack.SampleRate())) return Fail(program, "cannot prepare the audio at the server's rate");
  if (!jack.Start(plug.get(), error)) return Fail(program, error);
  const int channels = plug->NAudioChannels();
  std::vector<std::string> from = opt.inputs, to = opt.outputs;
  if (opt.systemInput) from = jack.PhysicalPorts(true);
  if (opt.systemOutput) to = jack.PhysicalPorts(false);
  // One source feeds every input (a guitar into both sides).
  if (opt.inputs.size() == 1) from.assign((size_t) channels, opt.inputs[0]);
  for (int c = 0; c < channels; ++c)
  {
    if (c < (int) from.size() && !jack.ConnectInput(c, from[(size_t) c], error))
      fprintf(stderr, "%s: warning: %s\n", program, error.c_str());
    if (c < (int) to.size() && !jack.ConnectOutput(c, to[(size_t) c], error))
      fprintf(stderr, "%s: warning: %s\n", program, error.c_str());
  }

  StandaloneRunLoop loop;
  bool windowOpen = false;
  if (!opt.noGui)
  {
    if (!graphics) return Fail(program, "the plug-in has no editor: run with --no-gui");
    graphics->SetWindowTitle(plug->GetEffectName());
    graphics->SetWindowIcon(product.icon());
    graphics->SetContentScale(IGraphicsLinux::DesktopScale());
    graphics->SetRunLoop(&loop);
    if (!graphics->OpenWindow(nullptr))
    {
      jack.Close();
      return Fail(program, "cannot open the editor's window (is there an X display?): run with --no-gui");
    }
    windowOpen = true;
    plug->OnGUIOpen();
  }

  int result = kStandaloneDone;
  for (;;)
  {
    loop.Wait({gSignalFd, jack.WakeFd()});
    if (SignalCame()) break;
    if (jack.ServerGone())
    {
      result = Fail(program, "the JACK server went away" + (jack.GoneReason().empty() ? "" : ": " + jack.GoneReason()));
      break;
    }
    if (windowOpen && graphics->CloseRequested()) break;
  }

  if (windowOpen)
  {
    plug->OnGUIClose();
    graphics->CloseWindow();
  }
  jack.Close();
  if (jack.Xruns()) fprintf(stderr, "%s: %ld xruns while running (the server could not keep up)\n", program, jack.Xruns());

  // Nothing is lost: the settings are written however the run ended.
  ByteChunk state;
  if (!plug->SaveStateBytes(&state) || !MakeFolders(settings) ||
      !ReplaceFileContents(settings, state.GetBytes(), (size_t) state.Size(), &error))
    result = Fail(program, "cannot save the settings to " + settings + (error.empty() ? "" : ": " + error));
  if (!opt.save.empty() && !plug->SaveProgramAsFXP(WDL_String(opt.save.c_str())))
    result = Fail(program, "cannot save the program file " + opt.save);
  return result;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The standalone program as a user runs it, on a JACK server of the test's
// own: JACK clients of the test play into it and record what it plays, which
// must be what plushgrit-render renders, bit for bit and sample-aligned; its
// settings outlive a run, a damaged settings file gives the defaults; it
// ends cleanly on SIGTERM, on a server that goes away and without one; and
// under Xvfb its window is named and closable as a window manager expects,
// and a drag on its Drive knob is heard.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcesses.h"
#include "Plushgrit.h"
#include "XHost.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{
const int kRate = 48000;

// A signal every run plays the same: a chirp with a little noise, within
// -0.9..0.9, sample n of channel c.
float Signal(long n, int c)
{
  const double t = (double) n / kRate;
  const unsigned h = (unsigned) (n * 2654435761u + (unsigned) c * 40503u);
  return (float) (0.8 * std::sin(2 * M_PI * (110 + 400 * t) * t + c) + 0.1 * ((h >> 8 & 0xFFFF) / 32767.5 - 1.0));
}

// The test's two JACK clients: one plays the signal (or a constant) into the
// program, one records what comes out, each frame stamped with the server's
// frame time so that the two line up across the graph.
struct Player
{
  jack_client_t* client = nullptr;
  jack_port_t* out[2] = {};
  std::atomic<bool> armed{false};
  std::atomic<jack_nframes_t> start{0};
  std::atomic<float> constant{-1.0f};  // >= 0: play this instead of the signal

  static int Process(jack_nframes_t n, void* arg)
  {
    auto* p = static_cast<Player*>(arg);
    const jack_nframes_t now = jack_last_frame_time(p->client);
    if (p->armed.load() && !p->start.load()) p->start.store(now);
    const jack_nframes_t start = p->start.load();
    for (int c = 0; c < 2; ++c)
    {
      auto* o = static_cast<float*>(jack_port_get_buffer(p->out[c], n));
      for (jack_nframes_t k = 0; k < n; ++k)
        o[k] = p->constant.load() >= 0.0f ? p->constant.load() : start ? Signal((long) (now - start + k), c) : 0.0f;
    }
    return 0;
  }
};

struct Recorder
{
  jack_client_t* client = nullptr;
  jack_port_t* in[2] = {};
  const Player* player = nullptr;
  std::vector<float> left, right;
  std::atomic<long> frames{0};
  std::atomic<float> peak{0.0f};
  long capacity = 0;

  // Runs after the program in each cycle: the block of the cycle in which
  // the player started holds the program's output for the signal's first
  // frames, when nothing in between delays it.
  static int Process(jack_nframes_t n, void* arg)
  {
    auto* r = static_cast<Recorder*>(arg);
    const auto* l = static_cast<const float*>(jack_port_get_buffer(r->in[0], n));
    const auto* rr = static_cast<const float*>(jack_port_get_buffer(r->in[1], n));
    float peak = 0.0f;
    for (jack_nframes_t k = 0; k < n; ++k) peak = std::fmax(peak, std::fabs(l[k]));
    r->peak.store(peak);
    const jack_nframes_t start = r->player->start.load();
    const long at = r->frames.load();
    if (!start || jack_last_frame_time(r->client) < start || at + (long) n > r->capacity) return 0;
    std::copy(l, l + n, r->left.begin() + at);
    std::copy(rr, rr + n, r->right.begin() + at);
    r->frames.store(at + (long) n);
    return 0;
  }
};

struct Standalone : ::testing::Test
{
  Standalone()
      : dir(testing::TempDir() + "standalone-" + std::to_string(getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name()),
        jack(Dir())
  {
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
  }
  const std::string& Dir()
  {
    system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    return dir;
  }
  // The program, with its output in log.
  pid_t Run(std::vector<std::string> args)
  {
    args.insert(args.begin(), PLUSHGRIT_STANDALONE_EXE);
    return Spawn(args, dir + "/plushgrit.log");
  }
  std::string Log() { return Contents(dir + "/plushgrit.log"); }
  bool PortsUp()
  {
    return WaitFor([&] { return jack_port_by_name(player.client, "plushgrit:out_right") != nullptr; }, 10000);
  }
  void OpenClients()
  {
    player.client = jack_client_open("player", JackNoStartServer, nullptr);
    recorder.client = jack_client_open("recorder", JackNoStartServer, nullptr);
    ASSERT_TRUE(player.client && recorder.client);
    for (int c = 0; c < 2; ++c)
    {
      player.out[c] = jack_port_register(player.client, c ? "out_r" : "out_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
      recorder.in[c] = jack_port_register(recorder.client, c ? "in_r" : "in_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    }
    recorder.capacity = 2 * kRate;
    recorder.left.assign((size_t) recorder.capacity, 0.0f);
    recorder.right.assign((size_t) recorder.capacity, 0.0f);
    recorder.player = &player;
    jack_set_process_callback(player.client, Player::Process, &player);
    jack_set_process_callback(recorder.client, Recorder::Process, &recorder);
    ASSERT_EQ(jack_activate(player.client), 0);
    ASSERT_EQ(jack_activate(recorder.client), 0);
  }
  void Connect()
  {
    ASSERT_EQ(jack_connect(player.client, "player:out_l", "plushgrit:in_left"), 0);
    ASSERT_EQ(jack_connect(player.client, "player:out_r", "plushgrit:in_right"), 0);
    ASSERT_EQ(jack_connect(player.client, "plushgrit:out_left", "recorder:in_l"), 0);
    ASSERT_EQ(jack_connect(player.client, "plushgrit:out_right", "recorder:in_r"), 0);
  }
  ~Standalone() override
  {
    for (jack_client_t* c : {player.client, recorder.client})
      if (c) jack_client_close(c);
  }

  std::string dir;
  JackTestServer jack;
  Player player;
  Recorder recorder;
};

// The Drive value a program file holds, read back through the plug-in class.
double DriveIn(const std::string& fxp)
{
  Plushgrit plug{IPlugInstanceInfo()};
  return plug.LoadProgramFromFXP(WDL_String(fxp.c_str())) ? plug.GetParam(Plushgrit::kDrive)->Value() : -1.0;
}
}  // namespace

TEST_F(Standalone, PlaysWhatTheRendererRendersBitForBitAndSampleAligned)
{
  ASSERT_TRUE(jack.Ready()) << Contents(jack.log);
  Child program{Run({"--no-gui", "--set", "In=-3.5", "--set", "Out=2.5", "--set", "Mix=0.75", "--set", "Drive=0.625"}),
                SIGTERM};
  ASSERT_NO_FATAL_FAILURE(OpenClients());
  ASSERT_TRUE(PortsUp()) << Log();
  ASSERT_NO_FATAL_FAILURE(Connect());
  usleep(100 * 1000);
  // From the next cycle on, the player plays the signal from its start and
  // the recorder records what the program makes of it.
  player.armed.store(true);
  ASSERT_TRUE(WaitFor([&] { return recorder.frames.load() >= recorder.capacity; }, 10000));
  EXPECT_EQ(Stop(program.pid), 0) << Log();
  program.pid = 0;
  const long frames = recorder.capacity;

  // The same signal and values through plushgrit-render, at 32 bits.
  const std::string in = dir + "/signal.wav", out = dir + "/rendered.wav";
  SF_INFO info = {};
  info.channels = 2;
  info.samplerate = kRate;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* f = sf_open(in.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  std::vector<float> interleaved((size_t) frames * 2);
  for (long n = 0; n < frames; ++n) interleaved[(size_t) (2 * n)] = Signal(n, 0), interleaved[(size_t) (2 * n + 1)] = Signal(n, 1);
  sf_writef_float(f, interleaved.data(), frames);
  sf_close(f);
  ASSERT_EQ(system((std::string(PLUSHGRIT_RENDER_EXE) + " -q --in -3.5 --out 2.5 --mix 0.75 --drive 0.625 " + in + " " + out).c_str()),
            0);
  f = sf_open(out.c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(sf_readf_float(f, interleaved.data(), frames), frames);
  sf_close(f);
  long differ = 0;
  for (long n = 0; n < frames; ++n)
    differ += recorder.left[(size_t) n] != interleaved[(size_t) (2 * n)] ||
              recorder.right[(size_t) n] != interleaved[(size_t) (2 * n + 1)];
  EXPECT_EQ(differ, 0) << "of " << frames << " frames";
}

TEST_F(Standalone, SettingsOutliveARunAndADamagedFileGivesTheDefaults)
{
  ASSERT_TRUE(jack.Ready()) << Contents(jack.log);
  ASSERT_NO_FATAL_FAILURE(OpenClients());
  Child first{Run({"--no-gui", "--set", "drive=0.3"}), SIGTERM};
  ASSERT_TRUE(PortsUp()) << Log();
  EXPECT_EQ(Stop(first.pid), 0) << Log();  // SIGTERM: a clean end, the settings saved
  first.pid = 0;
  const std::string settings = dir + "/config/plushgrit/settings";
  ASSERT_EQ(access(settings.c_str(), R_OK), 0) << Log();

  Child second{Run({"--no-gui", "--save", dir + "/kept.fxp"}), SIGINT};
  ASSERT_TRUE(PortsUp()) << Log();
  EXPECT_EQ(Stop(second.pid, SIGINT), 0) << Log();
  second.pid = 0;
  EXPECT_NEAR(DriveIn(dir + "/kept.fxp"), 0.3, 1e-6);  // program files hold floats

  std::ofstream(settings) << "not the settings of a drive";
  Child third{Run({"--no-gui", "--save", dir + "/defaults.fxp"}), SIGTERM};
  ASSERT_TRUE(PortsUp()) << Log();
  EXPECT_EQ(Stop(third.pid), 0) << Log();
  third.pid = 0;
  EXPECT_NE(Log().find("damaged or unreadable: starting from the defaults"), std::string::npos) << Log();
  EXPECT_EQ(DriveIn(dir + "/defaults.fxp"), 0.0);
}

// A signal that lands while the client is still being activated (its ports
// are registered first) or in any of libjack's threads ends the run cleanly:
// libjack reads an interrupted socket call as a dead server.
TEST_F(Standalone, ASignalWhileJackStartsEndsTheRunCleanly)
{
  ASSERT_TRUE(jack.Ready()) << Contents(jack.log);
  ASSERT_NO_FATAL_FAILURE(OpenClients());
  for (int run = 0; run < 8; ++run)
  {
    Child program{Run({"--no-gui"}), SIGKILL};
    ASSERT_TRUE(WaitFor([&] { return jack_port_by_name(player.client, "plushgrit:in_left") != nullptr; }, 10000, 1))
        << Log();
    EXPECT_EQ(Stop(program.pid, run % 2 ? SIGINT : SIGTERM), 0) << "run " << run << ":\n" << Log();
    program.pid = 0;
  }
}

TEST_F(Standalone, AServerThatGoesAwayOrIsNotThereEndsItWithAMessage)
{
  ASSERT_TRUE(jack.Ready()) << Contents(jack.log);
  ASSERT_NO_FATAL_FAILURE(OpenClients());
  Child program{Run({"--no-gui"}), SIGKILL};
  ASSERT_TRUE(PortsUp()) << Log();
  jack_client_close(player.client);
  jack_client_close(recorder.client);
  player.client = recorder.client = nullptr;
  Stop(jack.jackd.pid, SIGTERM);
  jack.jackd.pid = 0;
  const int status = WaitForExit(program.pid, 10000);
  EXPECT_EQ(status, 1) << "it hung or crashed:\n" << Log();
  if (status != -3) program.pid = 0;
  EXPECT_NE(Log().find("the JACK server went away"), std::string::npos) << Log();

  // No server at all: a message at once, never a server started unasked.
  setenv("JACK_DEFAULT_SERVER", "plushgrit-no-such-server", 1);
  Child none{Run({"--no-gui"}), SIGKILL};
  EXPECT_EQ(WaitForExit(none.pid, 10000), 1) << Log();
  none.pid = 0;
  EXPECT_NE(Log().find("none is running"), std::string::npos) << Log();
  setenv("JACK_DEFAULT_SERVER", jack.name.c_str(), 1);
}

// The window as a desktop sees it, and a drag on Drive heard by a client.
TEST_F(Standalone, TheWindowIsNamedClosesLikeAWindowAndADragIsHeard)
{
  XHost host;
  ASSERT_NE(host.dpy, nullptr);
  ASSERT_TRUE(jack.Ready()) << Contents(jack.log);
  ASSERT_NO_FATAL_FAILURE(OpenClients());
  Child program{Run({}), SIGKILL};
  ASSERT_TRUE(PortsUp()) << Log();
  ASSERT_NO_FATAL_FAILURE(Connect());

  // The top-level window titled Plushgrit, at the editor's size, with the
  // close protocol and an icon.
  Window w = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        Window root, up, *children = nullptr;
        unsigned n = 0;
        XQueryTree(host.dpy, DefaultRootWindow(host.dpy), &root, &up, &children, &n);
        for (unsigned i = 0; i < n; ++i)
        {
          char* name = nullptr;
          if (XFetchName(host.dpy, children[i], &name) && name && std::string(name) == "Plushgrit") w = children[i];
          if (name) XFree(name);
        }
        if (children) XFree(children);
        return w != 0;
      },
      10000))
      << Log();
  XWindowAttributes a = {};
  XGetWindowAttributes(host.dpy, w, &a);
  EXPECT_EQ(a.width, 383);
  EXPECT_EQ(a.height, 300);
  Atom* protocols = nullptr;
  int count = 0;
  const Atom deleteWindow = XInternAtom(host.dpy, "WM_DELETE_WINDOW", False);
  ASSERT_TRUE(XGetWMProtocols(host.dpy, w, &protocols, &count));
  EXPECT_TRUE(count == 1 && protocols[0] == deleteWindow);
  XFree(protocols);
  Atom type;
  int format;
  unsigned long items = 0, remaining = 0;
  unsigned char* icon = nullptr;
  XGetWindowProperty(host.dpy, w, XInternAtom(host.dpy, "_NET_WM_ICON", False), 0, 4, False, AnyPropertyType, &type,
                     &format, &items, &remaining, &icon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reinterpret_cast<unsigned long*>(icon)[0], 48u);
  XFree(icon);

  // A constant through the drive; then Drive dragged from 0 most of the
  // way up (its knob at 135, 63, 112 pixels).
  player.constant.store(0.25f);
  usleep(300 * 1000);
  const float before = recorder.peak.load();
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(host.dpy, w, DefaultRootWindow(host.dpy), 191, 119, &x, &y, &child);
  host.Move(x, y);
  usleep(150 * 1000);
  host.Button(1, true);
  for (int step = 1; step <= 8; ++step)
  {
    usleep(50 * 1000);
    host.Move(x, y - 10 * step);
  }
  host.Button(1, false);
  usleep(300 * 1000);
  const float after = recorder.peak.load();
  EXPECT_GT(std::fabs(after - before), 0.05f * before) << "before " << before << ", after " << after;

  // The close button, as a window manager sends it: a clean end.
  XEvent ev = {};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(host.dpy, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = (long) deleteWindow;
  XSendEvent(host.dpy, w, False, NoEventMask, &ev);
  XFlush(host.dpy);
  EXPECT_EQ(WaitForExit(program.pid, 5000), 0) << Log();
  program.pid = 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The mono plug-in in jalv's GTK front end, which embeds the X11 editor, on
// a JACK server of its own (the dummy driver). A JACK client of ours feeds
// the plug-in a constant and reads its output: a drag on the Out knob,
// made with XTest in the embedded editor, must be heard. Then jalv closes
// and opens again cleanly. A picture of the editor inside jalv is written
// beside the test's temporary files.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcesses.h"
#include "XHost.h"
#include "lice.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>

namespace
{
const char* const kMono = "https://www.quorvane.com/plugins/plushgrit#mono";

// A mapped window of the editor's size anywhere on the screen, or 0.
Window FindEditor(Display* dpy, Window w)
{
  XWindowAttributes a;
  if (XGetWindowAttributes(dpy, w, &a) && a.width == 383 && a.height == 300 && a.map_state == IsViewable) return w;
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (XQueryTree(dpy, w, &root, &parent, &children, &n))
    for (unsigned i = 0; i < n && !found; ++i) found = FindEditor(dpy, children[i]);
  if (children) XFree(children);
  return found;
}

// Feeds 0.25 into the plug-in and keeps the peak of what comes back.
struct JackProbe
{
  jack_client_t* client = nullptr;
  jack_port_t *out = nullptr, *in = nullptr;
  std::atomic<float> peak{0.0f};

  static int Process(jack_nframes_t n, void* arg)
  {
    auto* p = static_cast<JackProbe*>(arg);
    auto* o = static_cast<float*>(jack_port_get_buffer(p->out, n));
    const auto* i = static_cast<const float*>(jack_port_get_buffer(p->in, n));
    float peak = 0.0f;
    for (jack_nframes_t k = 0; k < n; ++k) o[k] = 0.25f, peak = std::fmax(peak, std::fabs(i[k]));
    p->peak.store(peak);
    return 0;
  }
  bool Open()
  {
    client = jack_client_open("probe", JackNoStartServer, nullptr);
    if (!client) return false;
    out = jack_port_register(client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    in = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    return out && in && jack_set_process_callback(client, Process, this) == 0 && jack_activate(client) == 0;
  }
  bool Connect()
  {
    return jack_connect(client, "probe:out", "pgtest:in_mono") == 0 &&
           jack_connect(client, "pgtest:out_mono", "probe:in") == 0;
  }
  // The peak over the next fifth of a second.
  float Level()
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return peak.load();
  }
  ~JackProbe()
  {
    if (client) jack_client_close(client);
  }
};

}  // namespace

TEST(Jalv, TheEmbeddedEditorMovesTheParameterAndReopensCleanly)
{
  XHost host;
  ASSERT_NE(host.dpy, nullptr);
  const std::string dir = testing::TempDir() + "jalv-" + std::to_string(getpid());
  mkdir(dir.c_str(), 0755);
  mkdir((dir + "/lv2").c_str(), 0755);
  ASSERT_EQ(symlink(PLUSHGRIT_LV2_BUNDLE, (dir + "/lv2/plushgrit.lv2").c_str()), 0);
  // A server of this test's own, whatever else runs on the machine.
  JackTestServer jack(dir);
  setenv("LV2_PATH", (dir + "/lv2").c_str(), 1);
  ASSERT_TRUE(jack.Ready()) << "no JACK server:\n" << Contents(jack.log);
  JackProbe probe;
  ASSERT_TRUE(probe.Open());

  for (int opening = 0; opening < 2; ++opening)
  {
    SCOPED_TRACE(opening);
    Child jalv{Spawn({"jalv.gtk3", "--jack-name=pgtest", "-x", kMono}, dir + "/jalv.log")};
    Window editor = 0;
    ASSERT_TRUE(WaitFor([&] { return (editor = FindEditor(host.dpy, DefaultRootWindow(host.dpy))) != 0; }, 20000))
        << "no editor in jalv";
    ASSERT_TRUE(WaitFor([&] { return probe.Connect(); }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const float before = probe.Level();
    ASSERT_GT(before, 0.0f);

    if (opening == 0)
    {
      // The picture of the editor inside jalv.
      const std::vector<uint32_t> px = Grab(host.dpy, editor, 383, 300);
      LICE_MemBitmap shot(383, 300);
      for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 383; ++x)
        {
          const uint32_t p = px[(size_t) y * 383 + x];
          LICE_PutPixel(&shot, x, y, LICE_RGBA(p >> 16, (p >> 8) & 255, p & 255, 255), 1.0f, LICE_BLIT_MODE_COPY);
        }
      LICE_WritePNG((dir + "/jalv-editor.png").c_str(), &shot);
      printf("the editor in jalv: %s/jalv-editor.png\n", dir.c_str());
    }

    // Drag the Out knob (60 x 52 at 303, 201) up by its whole travel from
    // 0 dB: +10 dB, a gain of 3.16.
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(host.dpy, editor, DefaultRootWindow(host.dpy), 333, 227, &x, &y, &child);
    host.Move(x, y);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    host.Button(1, true);
    for (int step = 1; step <= 8; ++step)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      host.Move(x, y - 13 * step);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    host.Button(1, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const float after = probe.Level();
    EXPECT_NEAR(after / before, 3.1663, 0.01) << "before " << before << ", after " << after;

    EXPECT_EQ(Stop(jalv.pid), 0) << "jalv did not close cleanly";
    jalv.pid = 0;
    EXPECT_TRUE(WaitFor([&] { return FindEditor(host.dpy, DefaultRootWindow(host.dpy)) == 0; }, 3000));
  }
}

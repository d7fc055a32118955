// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor in a real X11 window (Xvfb, which the test command starts):
// opened through the binary interface with a run loop and a parent window
// of the host's, driven with real X input (XTest), and compared pixel for
// pixel with the headless render of the same state. Then a value typed into
// a prompt, the idle cost, and a hundred openings under automation.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "BundleRegistry.h"
#include "HostRunLoop.h"
#include "HostedPlugin.h"
#include "XHost.h"
#include "IControl.h"
#include "IGraphicsHeadless.h"
#include "IGraphicsLinux.h"
#include "IPlugVST3View.h"
#include "IPopupMenu.h"
#include "Plushgrit.h"
#include "lice.h"
#include "public.sdk/source/common/memorystream.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace Steinberg;

namespace
{
const std::string kResources = std::string(PLUSHGRIT_BUNDLE) + "/Contents/Resources";

// The headless editor with the same state: its pixels as 0xRRGGBB.
std::vector<uint32_t> Headless(const vst3host::Bytes& state, float scale = 1.0f)
{
  UseHeadlessPlatform(true);
  IGraphicsHeadless::SetDefaultResourceFolder(kResources.c_str());
  DC_SetFontFolder((kResources + "/fonts").c_str());  // as the module finds its own
  auto* plug = new Plushgrit(IPlugInstanceInfo());
  UseHeadlessPlatform(false);
  IGraphicsHeadless::SetDefaultResourceFolder(nullptr);
  plug->initialize(nullptr);
  if (!state.empty())
  {
    MemoryStream stream(const_cast<char*>(state.data()), (TSize) state.size());
    plug->setEditorState(&stream);
  }
  auto* g = static_cast<IGraphicsHeadless*>(plug->GetGUI());
  IRECT all(0, 0, Plushgrit::kWidth, Plushgrit::kHeight);
  g->SetDrawScale(scale);
  g->ApplyParameterValues();
  g->SetAllControlsDirty();
  g->Draw(&all);
  std::vector<uint32_t> px;
  for (int y = 0; y < g->DrawHeight(); ++y)
    for (int x = 0; x < g->DrawWidth(); ++x)
    {
      const LICE_pixel p = LICE_GetPixel(g->Screen(), x, y);
      px.push_back(LICE_GETR(p) << 16 | LICE_GETG(p) << 8 | LICE_GETB(p));
    }
  plug->terminate();
  plug->release();
  return px;
}

long FirstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
  if (a.size() != b.size()) return -2;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return (long) i;
  return -1;
}

struct EditorWindow : ::testing::Test
{
  static void SetUpTestSuite()
  {
    sModule = new vst3host::PluginModule;
    ASSERT_TRUE(sModule->Open(PLUSHGRIT_BUNDLE)) << sModule->Error();
  }
  static void TearDownTestSuite()
  {
    delete sModule;
    sModule = nullptr;
  }
  void SetUp() override
  {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "needs an X display (scripts/test starts Xvfb)";
    ASSERT_NE(host.dpy, nullptr);
    ASSERT_TRUE(plugin.Load(*sModule, &context)) << plugin.Error();
  }
  IPlugView* Open()
  {
    IPlugView* view = plugin.Controller()->createView("editor");
    if (!view) return nullptr;
    view->setFrame(&frame);
    if (view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID) != kResultOk)
    {
      view->release();
      return nullptr;
    }
    return view;
  }

  static vst3host::PluginModule* sModule;
  vst3host::HostContext context;
  vst3host::HostedPlugin plugin;
  vst3host::HostRunLoop loop;
  vst3host::HostPlugFrame frame{&loop};
  XHost host;
};
vst3host::PluginModule* EditorWindow::sModule = nullptr;
}  // namespace

TEST_F(EditorWindow, OpensInTheHostWindowTakesRealInputAndShowsTheHeadlessPixels)
{
  IPlugView* view = plugin.Controller()->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(plugin.Controller()->createView("other"), nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported("NSView"), kResultFalse);
  EXPECT_EQ(view->attached((void*) host.parent, "HWND"), kResultFalse);  // nothing opened, no hook
  EXPECT_EQ(host.EditorWindow(), 0u);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.getWidth(), 383);
  EXPECT_EQ(size.getHeight(), 300);
  view->setFrame(&frame);
  ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  EXPECT_EQ(loop.NTimers(), 1);
  EXPECT_EQ(loop.NHandlers(), 1);
  loop.Pump(120);
  const Window editor = host.EditorWindow();
  ASSERT_NE(editor, 0u);
  vst3host::Bytes state;
  ASSERT_TRUE(plugin.GetControllerState(state));
  EXPECT_EQ(FirstDifference(Grab(host.dpy, editor, 383, 300), Headless(state)), -1);

  // Drag the drive knob up 28 of its 112 pixels: a sixteenth of the range.
  host.Move(191, 119);
  loop.Pump(30);
  host.Button(1, true);
  loop.Pump(30);
  host.Move(191, 105);
  loop.Pump(30);
  host.Move(191, 91);
  loop.Pump(30);
  host.Button(1, false);
  loop.Pump(60);
  const auto edits = plugin.Handler().Edits();
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().kind, vst3host::ComponentHandlerRecorder::Edit::kBegin);
  EXPECT_EQ(edits.back().kind, vst3host::ComponentHandlerRecorder::Edit::kEnd);
  for (const auto& e : edits) EXPECT_EQ(e.id, 3u);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(3), 28.0 / 112.0 / 4.0);

  // A wheel notch up over In, then a double click on Drive: back to 0.
  host.Move(55, 227);
  loop.Pump(30);
  host.Button(4, true);
  host.Button(4, false);
  loop.Pump(60);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 0.51);
  host.Move(191, 119);
  loop.Pump(30);
  for (int click = 0; click < 2; ++click)
  {
    host.Button(1, true);
    host.Button(1, false);
    loop.Pump(20);
  }
  loop.Pump(80);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(3), 0.0);

  // What the window shows is what the headless editor draws for that state.
  ASSERT_TRUE(plugin.GetControllerState(state));
  loop.Pump(100);
  EXPECT_EQ(FirstDifference(Grab(host.dpy, editor, 383, 300), Headless(state)), -1);

  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(loop.NTimers(), 0);
  EXPECT_EQ(loop.NHandlers(), 0);
  EXPECT_EQ(host.EditorWindow(), 0u);
  view->release();
}

TEST_F(EditorWindow, ATypedValueReachesTheParameterAndIdleCostsNothing)
{
  UseHeadlessPlatform(false);
  IGraphicsHeadless::SetDefaultResourceFolder(nullptr);
  auto* plug = new Plushgrit(IPlugInstanceInfo());
  ASSERT_EQ(plug->initialize(nullptr), kResultOk);
  auto* graphics = dynamic_cast<IGraphicsLinux*>(plug->GetGUI());
  ASSERT_NE(graphics, nullptr);
  IPlugView* view = plug->createView("editor");
  view->setFrame(&frame);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  const double openMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  printf("editor open to first frame on screen: %.2f ms\n", openMs);
  loop.Pump(100);

  // The In knob's prompt: a text field over it; a letter is refused.
  IControl* in = graphics->GetControl(2);
  in->DisablePrompt(false);
  in->PromptUserInput();
  ASSERT_TRUE(graphics->TextEntryOpen());
  loop.Pump(30);
  for (KeySym k : {XK_minus, XK_3, XK_x, XK_period, XK_5, XK_Return})
  {
    host.Key(k);
    loop.Pump(20);
  }
  loop.Pump(50);
  EXPECT_FALSE(graphics->TextEntryOpen());
  EXPECT_DOUBLE_EQ(plug->GetParam(0)->Value(), -3.5);
  // Escape cancels.
  in->PromptUserInput();
  host.Key(XK_7);
  host.Key(XK_Escape);
  loop.Pump(60);
  EXPECT_FALSE(graphics->TextEntryOpen());
  EXPECT_DOUBLE_EQ(plug->GetParam(0)->Value(), -3.5);

  // Idle: with nothing dirty no copy reaches the screen.
  loop.Pump(200);
  const long copies = graphics->ScreenCopies();
  rusage before, after;
  getrusage(RUSAGE_SELF, &before);
  loop.Pump(2000);
  getrusage(RUSAGE_SELF, &after);
  EXPECT_EQ(graphics->ScreenCopies(), copies);
  const double cpu = (after.ru_utime.tv_sec - before.ru_utime.tv_sec) + (after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1e6 +
                     (after.ru_stime.tv_sec - before.ru_stime.tv_sec) + (after.ru_stime.tv_usec - before.ru_stime.tv_usec) / 1e6;
  printf("idle editor: %.3f %% of a core over 2 s (timer at 25 per second)\n", cpu / 2.0 * 100.0);

  view->removed();
  view->release();
  plug->terminate();
  plug->release();
}

TEST_F(EditorWindow, AHundredOpeningsUnderAutomation)
{
  ASSERT_EQ(plugin.SetBusArrangements(2, 2), kResultTrue);
  ASSERT_EQ(plugin.Setup(48000.0, 128, Vst::kSample32), kResultOk);
  ASSERT_TRUE(plugin.Start());
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> l(128, 0.1f), r(128, -0.1f), ol(128), orr(128);
    float* in[] = {l.data(), r.data()};
    float* out[] = {ol.data(), orr.data()};
    vst3host::ParameterChanges changes;
    for (long i = 0; !stop.load(); ++i)
    {
      changes.Clear();
      changes.Add(i % 4, (i % 9) / 8.0);
      plugin.Process(in, 2, out, 2, 128, &changes);
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  });
  for (int i = 0; i < 100; ++i)
  {
    IPlugView* view = Open();
    ASSERT_NE(view, nullptr) << i;
    loop.Pump(i % 10 ? 5 : 60);
    ASSERT_EQ(view->removed(), kResultOk);
    view->release();
    ASSERT_EQ(loop.NTimers(), 0);
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(host.EditorWindow(), 0u);
}

namespace
{
// The in-process editor of a fresh instance, opened in the host's window.
struct InProcess
{
  explicit InProcess(IPlugFrame* frame, Window parent, float scale = 1.0f)
  {
    plug = new Plushgrit(IPlugInstanceInfo());
    plug->initialize(nullptr);
    graphics = dynamic_cast<IGraphicsLinux*>(plug->GetGUI());
    view = plug->createView("editor");
    IPlugViewContentScaleSupport* scaling = nullptr;
    view->queryInterface(IPlugViewContentScaleSupport::iid, (void**) &scaling);
    if (scaling) scaling->setContentScaleFactor(scale), scaling->release();
    if (frame) view->setFrame(frame);
    opened = view->attached((void*) parent, kPlatformTypeX11EmbedWindowID) == kResultOk;
  }
  ~InProcess()
  {
    view->removed();
    view->release();
    plug->terminate();
    plug->release();
  }
  Plushgrit* plug;
  IGraphicsLinux* graphics;
  IPlugView* view;
  bool opened = false;
};
}  // namespace

TEST_F(EditorWindow, PopupMenusChooseInSubmenusAndDismissOutside)
{
  InProcess editor(&frame, host.parent);
  ASSERT_TRUE(editor.opened);
  loop.Pump(60);
  IPopupMenu sub;
  sub.AddItem("deep one");
  sub.AddItem("deep two");
  IPopupMenu menu;
  menu.SetPrefix(1);
  menu.AddItem("first", -1, IPopupMenuItem::kChecked);
  menu.AddItem("greyed", -1, IPopupMenuItem::kDisabled);
  menu.AddSeparator();
  menu.AddItem("more", &sub);
  IRECT area(100, 100, 140, 116);  // the menu opens below it, at (100, 116)

  // Another connection plays the user while the menu runs its modal loop:
  // hover "more" (item 4 at 4 + 20 + 20 + 9 = 53 pixels down), then click
  // the submenu's second item beside it.
  auto user = [](std::vector<std::pair<int, int>> path, bool clickOutside) {
    return std::thread([path, clickOutside] {
      Display* d = XOpenDisplay(nullptr);
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      for (auto [x, y] : path)
      {
        XTestFakeMotionEvent(d, -1, x, y, 0);
        XFlush(d);
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
      }
      if (clickOutside) XTestFakeMotionEvent(d, -1, 700, 600, 0);
      XTestFakeButtonEvent(d, 1, True, 0);
      XTestFakeButtonEvent(d, 1, False, 0);
      XFlush(d);
      XCloseDisplay(d);
    });
  };
  std::thread player = user({{110, 116 + 53 + 10}, {110 + 100, 116 + 53 + 10}, {110 + 100, 116 + 53 + 4 + 20 + 10}}, false);
  IPopupMenu* chosen = editor.graphics->CreateIPopupMenu(&menu, &area);
  player.join();
  ASSERT_EQ(chosen, &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);

  player = user({{110, 126}}, true);  // a click outside dismisses
  EXPECT_EQ(editor.graphics->CreateIPopupMenu(&menu, &area), nullptr);
  player.join();
}

// Every factor a host may set: the window is the scaled size, rounded, it
// shows what the headless editor draws at that factor, and a drag maps back
// to the same parameter change as at 1x.
TEST_F(EditorWindow, EveryFactorSizesTheWindowDrawsAtItsResolutionAndMapsThePointerBack)
{
  // In-process editors find the bundle's images (and their sets) as the
  // module registers them.
  RegisterBundle(Plushgrit::kBundleID, kResources.c_str());
  for (float scale : {1.25f, 1.5f, 2.0f, 3.0f})
  {
    SCOPED_TRACE(scale);
    InProcess editor(&frame, host.parent, scale);
    ASSERT_TRUE(editor.opened);
    const int w = (int) std::lround(383 * scale), h = (int) std::lround(300 * scale);
    ViewRect size;
    editor.view->getSize(&size);
    EXPECT_EQ(size.getWidth(), w);
    EXPECT_EQ(size.getHeight(), h);
    loop.Pump(100);
    EXPECT_EQ(FirstDifference(Grab(host.dpy, host.EditorWindow(), w, h), Headless(vst3host::Bytes(), scale)), -1);

    // Drag the drive knob up 28 of its 112 editor pixels: a sixteenth.
    auto at = [scale](int v) { return (int) std::lround(v * scale); };
    host.Move(at(191), at(119));
    loop.Pump(30);
    host.Button(1, true);
    loop.Pump(30);
    host.Move(at(191), at(105));
    loop.Pump(30);
    host.Move(at(191), at(91));
    loop.Pump(30);
    host.Button(1, false);
    loop.Pump(60);
    EXPECT_DOUBLE_EQ(editor.plug->GetParam(3)->GetNormalized(), 28.0 / 112.0 / 4.0);
  }
}

// A host that sets no factor gets the desktop's: Xft.dpi 144 is 1.5.
TEST_F(EditorWindow, WithoutAHostFactorTheDesktopsIsUsed)
{
  const Atom resources = XInternAtom(host.dpy, "RESOURCE_MANAGER", False);
  const char dpi[] = "Xft.dpi:\t144\n";
  XChangeProperty(host.dpy, DefaultRootWindow(host.dpy), resources, XA_STRING, 8, PropModeReplace,
                  (const unsigned char*) dpi, (int) sizeof(dpi) - 1);
  XSync(host.dpy, False);
  EXPECT_EQ(IGraphicsLinux::DesktopScale(), 1.5f);
  IPlugView* view = plugin.Controller()->createView("editor");
  ViewRect size;
  view->getSize(&size);
  EXPECT_EQ(size.getWidth(), 575);
  EXPECT_EQ(size.getHeight(), 450);
  // What the host sets wins.
  IPlugViewContentScaleSupport* scaling = nullptr;
  view->queryInterface(IPlugViewContentScaleSupport::iid, (void**) &scaling);
  ASSERT_NE(scaling, nullptr);
  scaling->setContentScaleFactor(1.0f);
  scaling->release();
  view->getSize(&size);
  EXPECT_EQ(size.getWidth(), 383);
  view->release();
  XDeleteProperty(host.dpy, DefaultRootWindow(host.dpy), resources);
  XSync(host.dpy, False);
  EXPECT_EQ(IGraphicsLinux::DesktopScale(), 1.0f);
}

TEST_F(EditorWindow, LinksOpenThroughXdgOpenAndHostsWithoutARunLoopGetAThread)
{
  // A stand-in xdg-open on the PATH records what it is asked to open.
  const std::string dir = testing::TempDir() + "fake-xdg";
  const std::string record = dir + "/opened.txt";
  ASSERT_EQ(system(("mkdir -p " + dir + " && rm -f " + record + " && printf '#!/bin/sh\\necho \"$1\" > " + record +
                    "\\n' > " + dir + "/xdg-open && chmod +x " + dir + "/xdg-open").c_str()),
            0);
  const std::string oldPath = getenv("PATH");
  setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
  {
    InProcess editor(nullptr, host.parent);  // no frame, no host context: no run loop at all
    ASSERT_TRUE(editor.opened);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    host.Move(300, 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    host.Button(1, true);
    host.Button(1, false);
    for (int i = 0; i < 40 && system(("test -s " + record).c_str()) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  setenv("PATH", oldPath.c_str(), 1);
  std::ifstream in(record);
  std::string url;
  std::getline(in, url);
  EXPECT_EQ(url, "https://www.quorvane.com");
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Instances whose hosts offer no run loop: each editor draws and takes
// input on a thread of its own. Both draw their read-outs with the
// process-wide cached fonts at once while the host automates them; the
// host's thread changes the content scale while the editor draws; and an
// editor blocked in the host's beginEdit holds nothing that the host's
// thread needs to open another editor.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include "HostedPlugin.h"
#include "IGraphicsLinux.h"
#include "Plushgrit.h"
#include "XHost.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>

using namespace Steinberg;

namespace
{
// A host whose beginEdit needs a lock of the host's own.
struct LockingHandler : vst3host::ComponentHandlerRecorder
{
  tresult PLUGIN_API beginEdit(Vst::ParamID id) override
  {
    entered.store(true);
    std::lock_guard<std::mutex> lock(hostLock);
    return ComponentHandlerRecorder::beginEdit(id);
  }
  std::mutex hostLock;
  std::atomic<bool> entered{false};
};

// The host's own error handlers: the one it keeps, and the one its second
// thread puts in for a moment around requests that fail.
std::atomic<long> gKeptHandlerCalls{0}, gTrapHandlerCalls{0};
int KeptHandler(Display*, XErrorEvent*)
{
  gKeptHandlerCalls.fetch_add(1);
  return 0;
}
int TrapHandler(Display*, XErrorEvent*)
{
  gTrapHandlerCalls.fetch_add(1);
  return 0;
}

template <class Predicate>
bool WaitFor(Predicate done, int ms = 5000)
{
  for (int waited = 0; waited < ms && !done(); waited += 5) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}
}  // namespace

TEST(EditorsWithoutARunLoop, TwoInstancesDrawTheSharedFontsOnTheirOwnThreads)
{
  XHost host;
  ASSERT_NE(host.dpy, nullptr);
  const int kEditors = 2;
  Plushgrit* plugs[kEditors];
  IPlugView* views[kEditors];
  for (int i = 0; i < kEditors; ++i)
  {
    plugs[i] = new Plushgrit(IPlugInstanceInfo());
    ASSERT_EQ(plugs[i]->initialize(nullptr), kResultOk);
    views[i] = plugs[i]->createView("editor");
    // No frame and no host context: no run loop to be had.
    ASSERT_EQ(views[i]->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  }
  // Every read-out changes about every frame, on both editors, while the
  // host's thread opens a third editor again and again (its first frame is
  // drawn there).
  Plushgrit* third = new Plushgrit(IPlugInstanceInfo());
  third->initialize(nullptr);
  for (int step = 0; step < 40; ++step)
  {
    for (int i = 0; i < kEditors; ++i) plugs[i]->setParamNormalized((Vst::ParamID) (step % 4), ((step + i) % 11) / 10.0);
    IPlugView* view = third->createView("editor");
    third->setParamNormalized((Vst::ParamID) (step % 4), (step % 7) / 6.0);
    EXPECT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    view->removed();
    view->release();
  }
  third->terminate();
  third->release();
  for (int i = 0; i < kEditors; ++i)
  {
    auto* graphics = dynamic_cast<IGraphicsLinux*>(plugs[i]->GetGUI());
    EXPECT_GT(graphics->ScreenCopies(), 10) << "editor " << i << " did not draw on its thread";
    EXPECT_EQ(views[i]->removed(), kResultOk);
    views[i]->release();
    plugs[i]->terminate();
    plugs[i]->release();
  }
}

TEST(EditorsWithoutARunLoop, ScaleChangesFromTheHostsThreadWaitForTheEditorsThread)
{
  XHost host;
  ASSERT_NE(host.dpy, nullptr);
  auto* plug = new Plushgrit(IPlugInstanceInfo());
  ASSERT_EQ(plug->initialize(nullptr), kResultOk);
  IPlugView* view = plug->createView("editor");
  ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  IPlugViewContentScaleSupport* scaling = nullptr;
  ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid, (void**) &scaling), kResultOk);
  const float factors[] = {2.0f, 1.5f, 3.0f, 1.0f, 1.25f};
  for (int step = 0; step < 50; ++step)
  {
    plug->setParamNormalized((Vst::ParamID) (step % 4), (step % 9) / 8.0);  // a redraw is due
    scaling->setContentScaleFactor(factors[step % 5]);
    std::this_thread::sleep_for(std::chrono::milliseconds(3 + step % 20));
  }
  scaling->setContentScaleFactor(2.0f);
  scaling->release();
  // The editor's thread takes the last factor at its next tick.
  EXPECT_TRUE(WaitFor([&] {
    XWindowAttributes a = {};
    return XGetWindowAttributes(host.dpy, host.EditorWindow(), &a) && a.width == 766;
  }));
  EXPECT_EQ(view->removed(), kResultOk);
  view->release();
  plug->terminate();
  plug->release();
}

// Editor A sits in the host's beginEdit, waiting for a lock that the host's
// thread holds while it opens editor B: B must open. (The bundle's module,
// so that the editor has its images and the knob its size.)
TEST(EditorsWithoutARunLoop, AnEditorWaitingInTheHostHoldsNothingAnotherEditorNeeds)
{
  XHost host;
  ASSERT_NE(host.dpy, nullptr);
  vst3host::PluginModule module;
  ASSERT_TRUE(module.Open(PLUSHGRIT_BUNDLE)) << module.Error();
  vst3host::HostContext context;
  vst3host::HostedPlugin a, b;
  ASSERT_TRUE(a.Load(module, &context));
  ASSERT_TRUE(b.Load(module, &context));
  LockingHandler handler;
  a.Controller()->setComponentHandler(&handler);
  IPlugView* viewA = a.Controller()->createView("editor");
  IPlugView* viewB = b.Controller()->createView("editor");
  ASSERT_EQ(viewA->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));

  std::unique_lock<std::mutex> held(handler.hostLock);
  host.Move(160, 90);  // on A's Drive knob
  host.Button(1, true);
  const bool entered = WaitFor([&] { return handler.entered.load(); });
  if (!entered) host.Button(1, false);
  ASSERT_TRUE(entered) << "A never called beginEdit";
  auto opened = std::async(std::launch::async, [&] {
    return viewB->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID);
  });
  if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
  {
    ADD_FAILURE() << "editor B waits for a lock editor A holds while the host holds one A waits for";
    std::_Exit(1);  // deadlocked: nothing to clean up
  }
  EXPECT_EQ(opened.get(), kResultOk);
  held.unlock();
  host.Button(1, false);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (IPlugView* v : {viewA, viewB})
  {
    EXPECT_EQ(v->removed(), kResultOk);
    v->release();
  }
  a.Controller()->setComponentHandler(nullptr);
}

// A host thread traps its own X errors (set a handler, fail a request, sync,
// put the handler back) all the while editors open, draw, lose their parent
// window (so that their own requests fail) and close on other threads.
// Nothing of the editors' may touch the host's handlers or reach them.
TEST(EditorsWithoutARunLoop, AHostThreadTrappingItsOwnErrorsMeetsNoneOfTheEditors)
{
  XInitThreads();
  XHost host;
  ASSERT_NE(host.dpy, nullptr);
  vst3host::PluginModule module;
  ASSERT_TRUE(module.Open(PLUSHGRIT_BUNDLE)) << module.Error();
  vst3host::HostContext context;
  gKeptHandlerCalls = gTrapHandlerCalls = 0;
  const XErrorHandler outer = XSetErrorHandler(KeptHandler);

  std::atomic<bool> stop{false};
  long trapped = 0, foundOther = 0;
  std::thread trapper([&] {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return;
    while (!stop.load() || trapped < 200)
    {
      const XErrorHandler before = XSetErrorHandler(TrapHandler);
      XMapWindow(dpy, 0x7FFFFF0);  // no such window
      XSync(dpy, False);
      const XErrorHandler inside = XSetErrorHandler(before);
      if (before != KeptHandler || inside != TrapHandler) ++foundOther;
      ++trapped;
    }
    XCloseDisplay(dpy);
  });

  for (int round = 0; round < 12; ++round)
  {
    vst3host::HostedPlugin plugin;
    ASSERT_TRUE(plugin.Load(module, &context));
    IPlugView* view = plugin.Controller()->createView("editor");
    ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
    for (int step = 0; step < 4; ++step)
    {
      plugin.Controller()->setParamNormalized((Vst::ParamID) (step % 4), ((round + step) % 10) / 9.0);
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    if (round % 2)
    {
      host.DestroyParent();  // the editor's window goes with it: its next draws fail
      plugin.Controller()->setParamNormalized(3, (round % 7) / 6.0);
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      host.NewParent();
    }
    EXPECT_EQ(view->removed(), kResultOk);
    view->release();
  }
  stop.store(true);
  trapper.join();

  EXPECT_EQ(XSetErrorHandler(outer), KeptHandler) << "the host's handler was replaced";
  EXPECT_EQ(foundOther, 0) << "the host's thread found a handler not its own";
  EXPECT_EQ(gTrapHandlerCalls.load(), trapped) << "an error of the host's went elsewhere";
  EXPECT_EQ(gKeptHandlerCalls.load(), 0) << "an error of the editors' reached the host";
}

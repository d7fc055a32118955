// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor under hosts that call in legal but unkind orders: the parent
// window destroyed before removed(), a parent that does not exist, a second
// attach, two views of one instance, a resize from inside a mouse handler,
// the content scale set after attach, keyboard focus, and the X server
// going away. The host here keeps an X error handler of its own that counts
// what reaches it: nothing of the editor's may.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "HostRunLoop.h"
#include "HostedPlugin.h"
#include "IControl.h"
#include "IGraphicsLinux.h"
#include "Plushgrit.h"
#include "XHost.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace Steinberg;

namespace
{
int gHostErrors = 0;
int CountingHostHandler(Display*, XErrorEvent*)
{
  ++gHostErrors;
  return 0;
}

struct HostileHost : ::testing::Test
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
    gHostErrors = 0;
    previous = XSetErrorHandler(CountingHostHandler);
    ASSERT_NE(host.dpy, nullptr);
    ASSERT_TRUE(plugin.Load(*sModule, &context)) << plugin.Error();
  }
  void TearDown() override
  {
    EXPECT_EQ(gHostErrors, 0) << "an X error of the editor's reached the host";
    EXPECT_EQ(XSetErrorHandler(previous), CountingHostHandler) << "the host's error handler was replaced";
  }
  IPlugView* Create()
  {
    IPlugView* view = plugin.Controller()->createView("editor");
    if (view) view->setFrame(&frame);
    return view;
  }

  static vst3host::PluginModule* sModule;
  XErrorHandler previous = nullptr;
  vst3host::HostContext context;
  vst3host::HostedPlugin plugin;
  vst3host::HostRunLoop loop;
  vst3host::HostPlugFrame frame{&loop};
  XHost host;
};
vst3host::PluginModule* HostileHost::sModule = nullptr;

// A fresh in-process instance, for what needs the graphics context itself.
struct Instance
{
  Instance()
  {
    plug = new Plushgrit(IPlugInstanceInfo());
    plug->initialize(nullptr);
    graphics = dynamic_cast<IGraphicsLinux*>(plug->GetGUI());
    view = plug->createView("editor");
  }
  ~Instance()
  {
    view->removed();
    view->release();
    plug->terminate();
    plug->release();
  }
  Plushgrit* plug;
  IGraphicsLinux* graphics;
  IPlugView* view;
};

// A control that resizes the editor when pressed, as an editor with a size
// switch does.
struct ResizeOnPress : IControl
{
  ResizeOnPress(IPlugBase* plug, IRECT r) : IControl(plug, r) {}
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int, int, IMouseMod*) override { mPlug->GetGUI()->Resize(420, 330); }
};

XWindowAttributes Attributes(Display* dpy, Window w)
{
  XWindowAttributes a = {};
  XGetWindowAttributes(dpy, w, &a);
  return a;
}
}  // namespace

TEST_F(HostileHost, TheHostDestroysItsWindowBeforeRemoved)
{
  // Once with the editor told by the server before removed(), once without.
  for (int pumpFirst = 1; pumpFirst >= 0; --pumpFirst)
  {
    IPlugView* view = Create();
    ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
    loop.Pump(60);
    host.DestroyParent();
    plugin.Controller()->setParamNormalized(3, 0.25 * (pumpFirst + 1));  // a redraw is due
    if (pumpFirst) loop.Pump(120);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(loop.NTimers(), 0);
    view->release();
    host.NewParent();  // the host opens a new window for the next round
  }
}

TEST_F(HostileHost, AParentThatDoesNotExistIsRefusedAndLeavesNothing)
{
  IPlugView* view = Create();
  EXPECT_EQ(view->attached((void*) (uintptr_t) 0x3ffffe0, kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(loop.NTimers(), 0);
  EXPECT_EQ(loop.NHandlers(), 0);
  ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  EXPECT_NE(host.EditorWindow(), 0u);
  EXPECT_EQ(view->removed(), kResultOk);
  view->release();
}

TEST_F(HostileHost, ASecondAttachAndASecondViewAreRefusedAndTheFirstStays)
{
  IPlugView* view = Create();
  IPlugView* other = Create();
  ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  const Window editor = host.EditorWindow();
  ASSERT_NE(editor, 0u);
  XHost elsewhere;
  EXPECT_EQ(view->attached((void*) elsewhere.parent, kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(other->attached((void*) elsewhere.parent, kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(elsewhere.EditorWindow(), 0u);
  other->removed();  // closes nothing it does not own
  other->release();
  loop.Pump(60);
  EXPECT_EQ(host.EditorWindow(), editor);
  EXPECT_EQ(loop.NTimers(), 1);
  plugin.Controller()->setParamNormalized(3, 0.5);
  loop.Pump(60);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(host.EditorWindow(), 0u);
  EXPECT_EQ(loop.NTimers(), 0);
  // Removed, the instance takes a view again.
  other = Create();
  EXPECT_EQ(other->attached((void*) elsewhere.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  other->removed();
  other->release();
  view->release();
}

TEST_F(HostileHost, AResizeFromAMouseHandlerKeepsTheWindowAndTellsTheFrame)
{
  Instance editor;
  editor.graphics->AttachControl(new ResizeOnPress(editor.plug, IRECT(300, 200, 340, 240)));
  editor.view->setFrame(&frame);
  ASSERT_EQ(editor.view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  const Window window = host.EditorWindow();
  loop.Pump(60);
  host.Move(310, 210);
  loop.Pump(30);
  host.Button(1, true);
  host.Button(1, false);
  loop.Pump(120);
  EXPECT_EQ(host.EditorWindow(), window);
  EXPECT_EQ(Attributes(host.dpy, window).width, 420);
  EXPECT_EQ(Attributes(host.dpy, window).height, 330);
  EXPECT_EQ(frame.LastSize().getWidth(), 420);
  EXPECT_EQ(frame.LastSize().getHeight(), 330);
}

TEST_F(HostileHost, AContentScaleSetAfterAttachResizesTheHostsFrame)
{
  Instance editor;
  editor.view->setFrame(&frame);
  ASSERT_EQ(editor.view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  IPlugViewContentScaleSupport* scaling = nullptr;
  ASSERT_EQ(editor.view->queryInterface(IPlugViewContentScaleSupport::iid, (void**) &scaling), kResultOk);
  const int before = frame.Resizes();
  scaling->setContentScaleFactor(2.0f);
  scaling->release();
  loop.Pump(60);
  EXPECT_EQ(frame.Resizes(), before + 1);
  EXPECT_EQ(frame.LastSize().getWidth(), 766);
  EXPECT_EQ(frame.LastSize().getHeight(), 600);
  EXPECT_EQ(Attributes(host.dpy, host.EditorWindow()).width, 766);
}

// Two views of one instance: only the attached one owns the window; the
// other's factor waits for its own attach.
TEST_F(HostileHost, AnUnattachedViewsScaleLeavesTheAttachedWindowAlone)
{
  IPlugView* shown = Create();
  IPlugView* other = Create();
  ASSERT_EQ(shown->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  loop.Pump(60);
  const int before = frame.Resizes();
  IPlugViewContentScaleSupport* scaling = nullptr;
  ASSERT_EQ(other->queryInterface(IPlugViewContentScaleSupport::iid, (void**) &scaling), kResultOk);
  scaling->setContentScaleFactor(2.0f);
  scaling->release();
  loop.Pump(60);
  EXPECT_EQ(frame.Resizes(), before);
  EXPECT_EQ(Attributes(host.dpy, host.EditorWindow()).width, 383);
  ViewRect r;
  ASSERT_EQ(other->getSize(&r), kResultOk);
  EXPECT_EQ(r.getWidth(), 766);  // what it will be once attached
  shown->removed();
  shown->release();
  other->release();
}

// The host places its context menu in the view's pixels: at 2x a right
// click on a knob asks for it where the pointer is, not at half of that.
TEST_F(HostileHost, TheHostsContextMenuOpensUnderThePointerAtEveryScale)
{
  for (float scale : {1.0f, 2.0f})
  {
    IPlugView* view = Create();
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid, (void**) &scaling), kResultOk);
    scaling->setContentScaleFactor(scale);
    scaling->release();
    ASSERT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
    loop.Pump(60);
    const int x = (int) (160 * scale), y = (int) (90 * scale);  // on the Drive knob
    host.Move(x, y);
    host.Button(3, true);
    host.Button(3, false);
    loop.Pump(60);
    const auto popups = plugin.Handler().Popups();
    ASSERT_FALSE(popups.empty()) << scale;
    EXPECT_EQ(popups.back().id, 3u);
    EXPECT_NEAR(popups.back().x, x, 1) << scale;
    EXPECT_NEAR(popups.back().y, y, 1) << scale;
    view->removed();
    view->release();
  }
}

TEST_F(HostileHost, TheValueEntryGivesTheKeyboardBackToTheHost)
{
  Instance editor;
  editor.view->setFrame(&frame);
  ASSERT_EQ(editor.view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  XSetInputFocus(host.dpy, host.parent, RevertToParent, CurrentTime);
  XSync(host.dpy, False);
  loop.Pump(60);
  IControl* in = editor.graphics->GetControl(2);
  in->DisablePrompt(false);
  in->PromptUserInput();
  ASSERT_TRUE(editor.graphics->TextEntryOpen());
  loop.Pump(30);
  for (KeySym k : {XK_4, XK_Return})
  {
    host.Key(k);
    loop.Pump(30);
  }
  EXPECT_FALSE(editor.graphics->TextEntryOpen());
  EXPECT_DOUBLE_EQ(editor.plug->GetParam(0)->Value(), 4.0);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(host.dpy, &focus, &revert);
  EXPECT_EQ(focus, host.parent);
}

// In a child process with an X server of its own, which is then killed, as
// when the desktop session ends while the host saves.
TEST_F(HostileHost, TheServerGoingAwayStopsTheEditorAndTheHostSaves)
{
  const std::string file = testing::TempDir() + "own-xvfb-" + std::to_string(getpid());
  ASSERT_EQ(system((std::string(PLUSHGRIT_XVFB_SCRIPT) + " start " + file).c_str()), 0);
  std::string display;
  pid_t server = 0;
  {
    std::ifstream in(file);
    in >> display >> server;
  }
  ASSERT_GT(server, 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0)
  {
    setenv("DISPLAY", display.c_str(), 1);
    XSetErrorHandler(nullptr);  // Xlib's own defaults, which exit
    auto* own = new XHost;  // never closed: its server is about to vanish
    vst3host::HostContext ctx;
    vst3host::HostedPlugin plug;
    vst3host::HostRunLoop runLoop;
    vst3host::HostPlugFrame plugFrame{&runLoop};
    if (!own->dpy || !plug.Load(*sModule, &ctx)) _exit(10);
    IPlugView* view = plug.Controller()->createView("editor");
    view->setFrame(&plugFrame);
    if (view->attached((void*) own->parent, kPlatformTypeX11EmbedWindowID) != kResultOk) _exit(11);
    runLoop.Pump(60);
    kill(server, SIGKILL);
    usleep(100 * 1000);
    plug.Controller()->setParamNormalized(3, 0.5);
    runLoop.Pump(200);
    if (runLoop.NTimers() != 0 || runLoop.NHandlers() != 0) _exit(12);  // the editor stopped
    vst3host::Bytes state;
    if (!plug.GetControllerState(state) || state.empty()) _exit(13);  // the host saves
    if (view->removed() != kResultOk) _exit(14);
    view->release();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  system((std::string(PLUSHGRIT_XVFB_SCRIPT) + " stop " + file).c_str());
  ASSERT_TRUE(WIFEXITED(status)) << "the host was killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The LV2 editor as a host embeds it: the module's UI descriptor opened in a
// window of the host's, driven by idle calls, with the host's write, touch
// and resize functions recorded. A drag reaches the host as touch, writes of
// plain values, release; a value the host sends is shown; the host may
// destroy its window first; openings and closings leave nothing behind.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "XHost.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{
const char* const kStereo = "https://www.quorvane.com/plugins/plushgrit#stereo";
const uint32_t kInPort = 4, kDrivePort = 7;

struct Recorder
{
  struct Write
  {
    uint32_t port;
    float value;
  };
  std::vector<Write> writes;
  std::vector<std::pair<uint32_t, bool>> touches;
  std::string log;  // "t7 w7 w7 r7": touch, write, release in order
  int width = 0, height = 0;

  static void OnWrite(void* controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
  {
    auto* r = static_cast<Recorder*>(controller);
    if (size != sizeof(float) || protocol != 0) return;
    r->writes.push_back({port, *static_cast<const float*>(buffer)});
    r->log += "w" + std::to_string(port) + " ";
  }
  static void OnTouch(void* handle, uint32_t port, bool grabbed)
  {
    auto* r = static_cast<Recorder*>(handle);
    r->touches.push_back({port, grabbed});
    r->log += (grabbed ? "t" : "r") + std::to_string(port) + " ";
  }
  static int OnResize(void* handle, int w, int h)
  {
    auto* r = static_cast<Recorder*>(handle);
    r->width = w, r->height = h;
    return 0;
  }
};

// A URID map enough for the editor's options.
LV2_URID MapURI(LV2_URID_Map_Handle handle, const char* uri)
{
  auto* uris = static_cast<std::vector<std::string>*>(handle);
  for (size_t i = 0; i < uris->size(); ++i)
    if ((*uris)[i] == uri) return (LV2_URID) (i + 1);
  uris->push_back(uri);
  return (LV2_URID) uris->size();
}

// The top-level window titled title, or 0.
Window TopLevelNamed(Display* dpy, const char* title)
{
  Window root, up, *children = nullptr, found = 0;
  unsigned n = 0;
  if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &up, &children, &n)) return 0;
  for (unsigned i = 0; i < n && !found; ++i)
  {
    char* name = nullptr;
    if (XFetchName(dpy, children[i], &name) && name && std::string(name) == title) found = children[i];
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}

int gHostErrors = 0;
int CountingHandler(Display*, XErrorEvent*)
{
  ++gHostErrors;
  return 0;
}

struct LV2Editor : ::testing::Test
{
  void SetUp() override
  {
    ASSERT_NE(host.dpy, nullptr);
    module = dlopen((std::string(PLUSHGRIT_LV2_BUNDLE) + "/Contents/x86_64-linux/plushgrit_ui.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto entry = reinterpret_cast<const LV2UI_Descriptor* (*) (uint32_t)>(dlsym(module, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    descriptor = entry(0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(entry(1), nullptr);
    idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    gHostErrors = 0;
    previous = XSetErrorHandler(CountingHandler);
  }
  void TearDown() override
  {
    EXPECT_EQ(gHostErrors, 0);
    XSetErrorHandler(previous);
    if (module) dlclose(module);
  }
  // scaleFactor > 0 is passed as the host's ui:scaleFactor; hostResize
  // stands in for the recorder's.
  LV2UI_Handle Open(Recorder& r, const char* pluginURI = kStereo, float scaleFactor = 0.0f,
                    const LV2UI_Resize* hostResize = nullptr)
  {
    touch = {&r, Recorder::OnTouch};
    resize = hostResize ? *hostResize : LV2UI_Resize{&r, Recorder::OnResize};
    map = {&uris, MapURI};
    LV2_Feature parent = {LV2_UI__parent, (void*) host.parent};
    LV2_Feature touchF = {LV2_UI__touch, &touch};
    LV2_Feature resizeF = {LV2_UI__resize, &resize};
    LV2_Feature mapF = {LV2_URID__map, &map};
    const LV2_Options_Option options[] = {
      {LV2_OPTIONS_INSTANCE, 0, MapURI(&uris, LV2_UI__scaleFactor), sizeof(float), MapURI(&uris, LV2_ATOM__Float),
       &scaleFactor},
      {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    LV2_Feature optionsF = {LV2_OPTIONS__options, (void*) options};
    const LV2_Feature* features[] = {&parent, &touchF, &resizeF, &mapF, scaleFactor > 0.0f ? &optionsF : nullptr, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle h = descriptor->instantiate(descriptor, pluginURI, PLUSHGRIT_LV2_BUNDLE, Recorder::OnWrite, &r, &widget, features);
    if (h)
    {
      EXPECT_EQ((Window) (uintptr_t) widget, host.EditorWindow());
    }
    return h;
  }
  void Idle(LV2UI_Handle h, int ms)
  {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end)
    {
      idle->idle(h);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  XHost host;
  void* module = nullptr;
  const LV2UI_Descriptor* descriptor = nullptr;
  const LV2UI_Idle_Interface* idle = nullptr;
  LV2UI_Touch touch;
  LV2UI_Resize resize;
  LV2_URID_Map map;
  std::vector<std::string> uris;
  XErrorHandler previous = nullptr;
};
}  // namespace

TEST_F(LV2Editor, ADragIsTouchedWrittenInPlainUnitsAndReleasedAndHostValuesShow)
{
  Recorder r;
  LV2UI_Handle h = Open(r);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(r.width, 383);
  EXPECT_EQ(r.height, 300);
  const float in = 0.0f;
  descriptor->port_event(h, kInPort, sizeof(float), 0, &in);
  Idle(h, 120);
  const std::vector<uint32_t> before = Grab(host.dpy, host.EditorWindow(), 383, 300);

  // Drag the drive knob up 28 of its 112 pixels: a sixteenth of 0..1.
  host.Move(191, 119);
  Idle(h, 30);
  host.Button(1, true);
  Idle(h, 30);
  host.Move(191, 105);
  Idle(h, 30);
  host.Move(191, 91);
  Idle(h, 30);
  host.Button(1, false);
  Idle(h, 60);
  ASSERT_GE(r.writes.size(), 2u);
  EXPECT_EQ(r.log.substr(0, 3), "t7 ");
  EXPECT_EQ(r.log.substr(r.log.size() - 3), "r7 ");
  for (const auto& w : r.writes) EXPECT_EQ(w.port, kDrivePort);
  EXPECT_FLOAT_EQ(r.writes.back().value, 0.0625f);

  // The host sets In to +8 dB: the In knob and its read-out change, nothing
  // is written back.
  const size_t writes = r.writes.size();
  const float eight = 8.0f;
  descriptor->port_event(h, kInPort, sizeof(float), 0, &eight);
  Idle(h, 120);
  const std::vector<uint32_t> after = Grab(host.dpy, host.EditorWindow(), 383, 300);
  long changedInKnob = 0;
  for (int y = 200; y < 280; ++y)
    for (int x = 5; x < 105; ++x) changedInKnob += before[(size_t) y * 383 + x] != after[(size_t) y * 383 + x];
  EXPECT_GT(changedInKnob, 50);
  EXPECT_EQ(r.writes.size(), writes);
  descriptor->cleanup(h);
  EXPECT_EQ(host.EditorWindow(), 0u);
}

TEST_F(LV2Editor, TheHostDestroyingItsWindowFirstIsSurvived)
{
  Recorder r;
  LV2UI_Handle h = Open(r);
  ASSERT_NE(h, nullptr);
  Idle(h, 60);
  host.DestroyParent();
  const float drive = 0.5f;
  descriptor->port_event(h, kDrivePort, sizeof(float), 0, &drive);
  Idle(h, 100);
  descriptor->cleanup(h);
  host.NewParent();
}

TEST_F(LV2Editor, OpeningsAndClosingsLeaveNothingAndBadRequestsAreRefused)
{
  for (int i = 0; i < 20; ++i)
  {
    Recorder r;
    LV2UI_Handle h = Open(r, i % 2 ? kStereo : "https://www.quorvane.com/plugins/plushgrit#mono");
    ASSERT_NE(h, nullptr) << i;
    Idle(h, i % 5 ? 5 : 60);
    descriptor->cleanup(h);
    ASSERT_EQ(host.EditorWindow(), 0u) << i;
  }
  Recorder r;
  EXPECT_EQ(Open(r, "https://example.com/not-ours"), nullptr);

  // Without a parent, the show interface opens a window of its own.
  LV2UI_Widget widget = nullptr;
  const LV2_Feature* none[] = {nullptr};
  LV2UI_Handle h = descriptor->instantiate(descriptor, kStereo, PLUSHGRIT_LV2_BUNDLE, Recorder::OnWrite, &r, &widget, none);
  ASSERT_NE(h, nullptr);
  auto* show = static_cast<const LV2UI_Show_Interface*>(descriptor->extension_data(LV2_UI__showInterface));
  ASSERT_NE(show, nullptr);
  EXPECT_EQ(show->show(h), 0);
  Idle(h, 60);
  EXPECT_EQ(show->hide(h), 0);
  EXPECT_EQ(show->show(h), 0);
  descriptor->cleanup(h);
}

// The show interface's window as a window manager sees it: the plug-in's
// name, a close button that closes it, and idle() saying so afterwards.
TEST_F(LV2Editor, TheOwnWindowIsNamedClosesLikeAWindowAndIdleSaysSo)
{
  Recorder r;
  LV2UI_Widget widget = nullptr;
  const LV2_Feature* none[] = {nullptr};
  LV2UI_Handle h = descriptor->instantiate(descriptor, kStereo, PLUSHGRIT_LV2_BUNDLE, Recorder::OnWrite, &r, &widget, none);
  ASSERT_NE(h, nullptr);
  auto* show = static_cast<const LV2UI_Show_Interface*>(descriptor->extension_data(LV2_UI__showInterface));
  ASSERT_EQ(show->show(h), 0);
  Idle(h, 60);
  const Window w = TopLevelNamed(host.dpy, "Plushgrit");
  ASSERT_NE(w, 0u);
  Atom* protocols = nullptr;
  int n = 0;
  const Atom deleteWindow = XInternAtom(host.dpy, "WM_DELETE_WINDOW", False);
  ASSERT_TRUE(XGetWMProtocols(host.dpy, w, &protocols, &n));
  EXPECT_TRUE(n == 1 && protocols[0] == deleteWindow);
  if (protocols) XFree(protocols);
  EXPECT_EQ(idle->idle(h), 0);

  // The close button, as a window manager sends it.
  XEvent ev = {};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(host.dpy, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = (long) deleteWindow;
  XSendEvent(host.dpy, w, False, NoEventMask, &ev);
  XSync(host.dpy, False);
  int closed = 0;
  for (int i = 0; i < 100 && !closed; ++i)
  {
    closed = idle->idle(h);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_NE(closed, 0);
  EXPECT_EQ(TopLevelNamed(host.dpy, "Plushgrit"), 0u);
  // Shown again, it runs again.
  ASSERT_EQ(show->show(h), 0);
  EXPECT_EQ(idle->idle(h), 0);
  descriptor->cleanup(h);
}

// The host's ui:scaleFactor wins over the desktop's, and the size reported
// fits the host's socket whether the host takes it in pixels (as here) or
// in logical units it multiplies by its own scale (as GTK 3 at GDK_SCALE=2).
TEST_F(LV2Editor, TheHostsScaleFactorSetsTheSizeAndTheEditorFillsTheSocket)
{
  Recorder r;
  LV2UI_Handle h = Open(r, kStereo, 2.0f);
  ASSERT_NE(h, nullptr);
  Idle(h, 60);
  EXPECT_EQ(r.width, 766);
  EXPECT_EQ(r.height, 600);
  XWindowAttributes a = {};
  XGetWindowAttributes(host.dpy, host.EditorWindow(), &a);
  EXPECT_EQ(a.width, 766);
  descriptor->cleanup(h);

  // A host that doubles what it is told: the first report makes its socket
  // twice the editor, the second one fits it.
  struct Doubling
  {
    Display* dpy;
    Window socket;
    int w = 0, h = 0;
    static int Resize(void* self, int w, int h)
    {
      auto* d = static_cast<Doubling*>(self);
      d->w = w, d->h = h;
      XResizeWindow(d->dpy, d->socket, (unsigned) (2 * w), (unsigned) (2 * h));
      XSync(d->dpy, False);
      return 0;
    }
  } doubling{host.dpy, host.parent};
  const LV2UI_Resize doublingResize = {&doubling, Doubling::Resize};
  h = Open(r, kStereo, 2.0f, &doublingResize);
  ASSERT_NE(h, nullptr);
  Idle(h, 150);
  EXPECT_EQ(doubling.w, 383);
  EXPECT_EQ(doubling.h, 300);
  XGetWindowAttributes(host.dpy, host.parent, &a);
  EXPECT_EQ(a.width, 766);
  EXPECT_EQ(a.height, 600);
  XGetWindowAttributes(host.dpy, host.EditorWindow(), &a);
  EXPECT_EQ(a.width, 766);
  descriptor->cleanup(h);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor binary's LV2 entry point: the X11 editor, embedded in the
// host's window or shown in one of its own, driven by the host's idle
// calls. Compiled into the module (not into a library).
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "IGraphicsLinux.h"
#include "IPlugLV2.h"
#include "LV2Module.h"

namespace
{
// ---- The editor ----------------------------------------------------------------------

// The host's idle calls as the editor's run loop: input whenever the host
// calls, the redraw timer at its interval.
class IdleRunLoop : public EditorRunLoop
{
public:
  bool Attach(Client* client, int, int intervalMs) override
  {
    mClient = client;
    mIntervalMs = intervalMs > 0 ? intervalMs : 40;
    mNext = std::chrono::steady_clock::now();
    return true;
  }
  void Detach(Client*) override { mClient = nullptr; }
  void Idle()
  {
    if (mClient) mClient->OnInput();
    // The input may have stopped the editor (a lost server).
    const auto now = std::chrono::steady_clock::now();
    if (mClient && now >= mNext)
    {
      mNext = now + std::chrono::milliseconds(mIntervalMs);
      mClient->OnTimer();
    }
  }

private:
  Client* mClient = nullptr;
  int mIntervalMs = 40;
  std::chrono::steady_clock::time_point mNext;
};

struct Editor
{
  std::unique_ptr<IPlugLV2> plug;
  IdleRunLoop loop;
  IGraphicsLinux* graphics = nullptr;
  bool open = false, ownWindow = false, closedByUser = false;
  // Host pixels per unit of ui:resize: 1 for hosts that take sizes in
  // pixels, k for those that take them in logical units and multiply by
  // their own scale (GTK 3 at GDK_SCALE=k). Found from the host's window.
  int hostUnit = 1;
  // Embedded in parent, or (parent null) a window of its own.
  bool Open(void* parent)
  {
    if (open) return true;
    if (!graphics->OpenWindow(parent)) return false;
    open = true;
    ownWindow = !parent;
    closedByUser = false;
    plug->OnGUIOpen();
    return true;
  }
  void Close()
  {
    if (!open) return;
    open = false;
    plug->OnGUIClose();
    graphics->CloseWindow();
  }
  // Our window is DrawWidth x DrawHeight pixels. Reported as that, a host
  // that counts in logical units makes its socket an exact multiple k of it
  // in both directions: the size is then reported again divided by k, and
  // the socket becomes our window's size. A host that counts in pixels gets
  // the pixel size and keeps it.
  void MatchHostUnits()
  {
    int pw = 0, ph = 0;
    const int w = graphics->DrawWidth(), h = graphics->DrawHeight();
    if (ownWindow || !graphics->HostWindowSize(&pw, &ph) || (pw == w && ph == h)) return;
    for (int k = 2; k <= 3; ++k)
      if (pw == k * (w / hostUnit) && ph == k * (h / hostUnit) && k != hostUnit)
      {
        hostUnit = k;
        plug->SetHostPixelsPerUnit(k);
        plug->ReportEditorSize();
        return;
      }
  }
  ~Editor() { Close(); }
};

// The host's ui:scaleFactor, when it passes one in its options.
float HostScaleFactor(const LV2_Feature* const* features)
{
  auto* map = static_cast<const LV2_URID_Map*>(LV2Feature(features, LV2_URID__map));
  auto* options = static_cast<const LV2_Options_Option*>(LV2Feature(features, LV2_OPTIONS__options));
  if (!map || !options) return 0.0f;
  const LV2_URID scale = map->map(map->handle, LV2_UI__scaleFactor);
  const LV2_URID type = map->map(map->handle, LV2_ATOM__Float);
  for (const LV2_Options_Option* o = options; o->key; ++o)
    if (o->key == scale && o->type == type && o->size == sizeof(float) && o->value)
      return *static_cast<const float*>(o->value);
  return 0.0f;
}

LV2UI_Handle InstantiateEditor(const LV2UI_Descriptor*, const char* pluginURI, const char*,
                               LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                               const LV2_Feature* const* features)
{
  const LV2Configuration* c = LV2ConfigurationFor(pluginURI);
  // Without a parent the host shows the editor through the show interface,
  // as a window of its own.
  void* parent = const_cast<void*>(LV2Feature(features, LV2_UI__parent));
  if (!c || !widget) return nullptr;
  auto editor = std::make_unique<Editor>();
  editor->plug.reset(MakeLV2Plug());
  auto* graphics = editor->plug ? dynamic_cast<IGraphicsLinux*>(editor->plug->GetGUI()) : nullptr;
  if (!graphics) return nullptr;
  IPlugLV2::UIHost host;
  host.write = write;
  host.controller = controller;
  host.touch = static_cast<const LV2UI_Touch*>(LV2Feature(features, LV2_UI__touch));
  host.resize = static_cast<const LV2UI_Resize*>(LV2Feature(features, LV2_UI__resize));
  editor->plug->SetUIHost(host, c->nIn, c->nOut);
  graphics->SetRunLoop(&editor->loop);
  // The host's factor wins over the desktop's.
  const float hostScale = HostScaleFactor(features);
  graphics->SetContentScale(hostScale > 0.0f ? hostScale : IGraphicsLinux::DesktopScale());
  editor->graphics = graphics;
  *widget = nullptr;
  if (parent)
  {
    if (!editor->Open(parent)) return nullptr;
    *widget = graphics->GetWindow();
    editor->plug->ReportEditorSize();
  }
  return editor.release();
}

void CleanupEditor(LV2UI_Handle h) { delete static_cast<Editor*>(h); }

void PortEvent(LV2UI_Handle h, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
  if (format != 0 || size != sizeof(float) || !buffer) return;
  float value;
  memcpy(&value, buffer, sizeof(value));
  static_cast<Editor*>(h)->plug->PortEvent(port, value);
}

// Non-zero once the user has closed the editor's own window, as the LV2 UI
// extension asks: the host then stops calling, and may show it again.
int Idle(LV2UI_Handle h)
{
  auto* editor = static_cast<Editor*>(h);
  editor->loop.Idle();
  if (editor->open && editor->ownWindow && editor->graphics->CloseRequested())
  {
    editor->Close();
    editor->closedByUser = true;
  }
  editor->MatchHostUnits();
  return editor->closedByUser ? 1 : 0;
}

int Show(LV2UI_Handle h) { return static_cast<Editor*>(h)->Open(nullptr) ? 0 : 1; }

int Hide(LV2UI_Handle h)
{
  static_cast<Editor*>(h)->Close();
  return 0;
}

const void* EditorExtensionData(const char* uri)
{
  static const LV2UI_Idle_Interface idle = {Idle};
  static const LV2UI_Show_Interface show = {Show, Hide};
  if (!strcmp(uri, LV2_UI__idleInterface)) return &idle;
  return !strcmp(uri, LV2_UI__showInterface) ? &show : nullptr;
}
}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
  static const std::string uri = LV2EditorURI();
  static const LV2UI_Descriptor descriptor = {uri.c_str(), InstantiateEditor, CleanupEditor, PortEvent,
                                              EditorExtensionData};
  return index == 0 ? &descriptor : nullptr;
}

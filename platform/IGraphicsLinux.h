// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor on X11: the graphics context's platform operations, with a
// child window of the host's window (XEmbed), the host's run loop for the
// redraw timer and the X connection's input, XShm or XPutImage for the
// screen copy, our own text entry field, popup menus and tool tips drawn
// with the raster and text layers, and the desktop services (xdg-open,
// zenity or kdialog, the CLIPBOARD selection, XDG folders). No X11 header
// is included here: everything X lives behind the view class.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "EditorRunLoop.h"
#include "IGraphics.h"

class X11EditorView;

class IGraphicsLinux : public IGraphics
{
public:
  IGraphicsLinux(IPlugBase* plug, int width, int height, int fps = 0);
  ~IGraphicsLinux() override;

  // The loop the next OpenWindow attaches to (not owned); null gives a
  // thread of its own.
  void SetRunLoop(EditorRunLoop* loop) { mRunLoop = loop; }
  // 1 to 3: the window is that many times the editor size, drawn at that
  // resolution (see IGraphics::SetDrawScale), and pointer positions are
  // mapped back to editor pixels. While the editor draws on a thread of its
  // own (no host run loop), a call from any other thread is handed to that
  // thread, which takes it at its next tick: the draw bitmap is never
  // replaced under a draw.
  void SetContentScale(float scale);
  // The editor's thread: takes a scale handed over by SetContentScale.
  void TakePendingScale();
  float GetContentScale() const { return mScale; }
  // The desktop's own factor, as GTK and Qt programs on X11 read it: the
  // Xft.dpi resource over 96, within 1 to 3; 1 without a display or the
  // resource.
  static float DesktopScale();
  // The X window id of the editor while it is open, else 0.
  unsigned long GetXWindow() const;
  // A window of its own (opened without a parent): its title (the plug-in's
  // name unless set) and icon (_NET_WM_ICON data: width, height, then the
  // pixels as 0xAARRGGBB, one per long), taken when the window opens; and
  // whether the window manager has asked to close it.
  void SetWindowTitle(const char* title) { mTitle = title ? title : ""; }
  const std::string& WindowTitle() const { return mTitle; }
  void SetWindowIcon(std::vector<unsigned long> icon) { mIcon = std::move(icon); }
  const std::vector<unsigned long>& WindowIcon() const { return mIcon; }
  bool CloseRequested() const;
  // Embedded: the host's window's size in its pixels as last seen; false
  // when there is none.
  bool HostWindowSize(int* width, int* height) const;
  // Screen copies made since the window opened (0 when closed).
  long ScreenCopies() const;
  bool TextEntryOpen() const;

  bool DrawScreen(IRECT* area) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  const char* GetGUIAPI() override { return "X11 GUI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* initialText, IParam* param) override;
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  void DesktopPath(WDL_String* path) override;
  void AppSupportPath(WDL_String* path, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(WDL_String* path) override;
  void PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir = nullptr, char* extensions = nullptr) override;
  bool PromptForColor(IColor*, char* = nullptr) override { return false; }
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmText = nullptr,
               const char* errorText = nullptr) override;
  // parent is the host's X window id.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override;
  bool GetTextFromClipboard(WDL_String* text) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;
  bool OSImageSize(int id, const char* name, int* width, int* height) override;

  // For the view.
  bool CursorHidden() const { return mCursorHidden; }
  int MouseOverIdx() const { return mMouseOver; }

private:
  friend class X11EditorView;
  void ApplyContentScale(float scale);
  void ResizeView();
  std::unique_ptr<X11EditorView> mView;
  EditorRunLoop* mRunLoop = nullptr;
  std::unique_ptr<ThreadRunLoop> mOwnLoop;
  float mScale = 1.0f;
  std::atomic<float> mPendingScale{0.0f};  // 0: none
  std::string mTitle;
  std::vector<unsigned long> mIcon;
};

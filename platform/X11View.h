// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The X11 side of the editor, private to the platform layer: the one place
// that includes Xlib. One X connection of its own per open editor.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XShm.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "EditorRunLoop.h"
#include "IGraphicsLinux.h"
#include "X11ErrorTrap.h"
#include "lice_text.h"

// Converts rectangle r of bm into img at (x * scale, y * scale), each pixel
// a scale x scale block in the visual's layout.
void ConvertToImage(LICE_IBitmap* bm, IRECT r, XImage* img, int scale);

class IControl;
class IParam;
class IPopupMenu;

class X11EditorView : public EditorRunLoop::Client
{
public:
  static const unsigned kDoubleClickMs = 400;
  static const int kDoubleClickDistance = 4;
  static const unsigned kTooltipDelayMs = 700;

  X11EditorView(IGraphicsLinux* graphics, Window parent, float scale);
  ~X11EditorView() override;

  bool IsValid() const { return mDisplay && mWindow && !mGone; }
  // The window can still be drawn to: neither it (with the host's window)
  // nor the X server is gone.
  bool Shown() const { return mDisplay && mWindow && !mGone && !X11DisplayLost(mDisplay); }
  int Fd() const;
  unsigned long XWindow() const { return mWindow; }
  unsigned long Parent() const { return mParent; }
  void SetParent(unsigned long parent) { mParent = parent; }
  void SetLoop(EditorRunLoop* loop) { mLoop = loop; }
  EditorRunLoop* Loop() const { return mLoop; }
  long ScreenCopies() const { return mCopies; }
  bool TextEntryOpen() const { return mEntry != nullptr; }
  // A window of its own: the window manager asked to close it.
  bool CloseRequested() const { return mCloseRequested; }
  // Embedded: the host's window as last seen (0 before), in its pixels.
  int ParentWidth() const { return mParentWidth; }
  int ParentHeight() const { return mParentHeight; }

  void OnTimer() override;
  void OnInput() override;
  void Blit(IRECT r);
  // Resizes the window in place to the editor's size times scale.
  void Resize(float scale);

  void OpenTextEntry(IControl* control, IText* style, IRECT area, const char* initial, IParam* param);
  // Ends an open entry, applying its text or not.
  void CloseTextEntry(bool apply);
  IPopupMenu* RunMenu(IPopupMenu* menu, IRECT area);
  bool HideCursor(int* x, int* y);
  bool ShowCursor(int x, int y);
  bool ReadClipboard(std::string* text);

private:
  struct TextEntry
  {
    IControl* control;
    IParam* param;
    IRECT rect;  // editor pixels
    IText style;
    std::string text, allowed;
    size_t maxLength;
    bool selected;  // the initial text is selected: typing replaces it
    Window window;
  };

  // After trapped calls: an error about our window means someone else
  // destroyed it (with the host's window).
  void NoteErrors(X11ErrorTrap& trap);
  void DescribeOwnWindow();
  // A lost server: stop the loop's callbacks for good.
  bool StopIfLost();
  void CreateImage(int w, int h);
  void DestroyImage();
  void Pump();
  void Handle(XEvent& ev);
  void Key(XKeyEvent& k);
  void EntryKey(XKeyEvent& k);
  void DrawEntry();
  IMouseMod Mods(unsigned state, int button) const;
  void NoteHover(int x, int y);
  void UpdateTooltipTimer();
  void HideTooltip();
  // Shows a bitmap in a window of its own (menus, tool tips, the entry).
  void PutBitmap(Window w, LICE_IBitmap* bm);

  IGraphicsLinux* mGraphics;
  float mScale;
  // Popup menus, tool tips and the entry are drawn at 1x and enlarged by
  // this whole factor.
  int WidgetScale() const { return mScale < 1.5f ? 1 : (int) (mScale + 0.5f); }
  // A window pixel as the editor pixel it shows.
  int ToEditor(int px) const { return (int) std::lround(px / mScale); }
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  bool mGone = false;  // destroyed by the server with its parent: never touched again
  bool mStopped = false;
  Window mFocusBeforeEntry = 0;
  unsigned long mParent = 0;
  Visual* mVisual = nullptr;
  int mDepth = 24;
  GC mGC = nullptr;
  XImage* mImage = nullptr;
  XShmSegmentInfo mShm = {};
  bool mUseShm = false;
  EditorRunLoop* mLoop = nullptr;
  std::atomic<long> mCopies{0};  // read by any thread
  int mPrevX = 0, mPrevY = 0;
  int mLastButton = 0, mLastPressX = 0, mLastPressY = 0;
  Time mLastPressTime = 0;
  std::unique_ptr<TextEntry> mEntry;
  // Tool tips: where the pointer rests and since when (ms of the loop's clock).
  int mHoverX = 0, mHoverY = 0;
  long long mHoverSince = 0;
  Window mTooltip = 0;
  Atom mDeleteWindow = 0;
  std::atomic<bool> mCloseRequested{false};
  std::atomic<int> mParentWidth{0}, mParentHeight{0};
};

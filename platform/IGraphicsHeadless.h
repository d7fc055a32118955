// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The headless platform: a graphics context without a window. Images come
// from a resources folder by the same name rule as the windowed platform
// (the file's own name inside Contents/Resources), "the screen" is a
// bitmap that DrawScreen copies into, opened addresses are recorded, and
// popup menus, text entries, message boxes and file prompts are answered by
// a responder the caller installs (none: every prompt is cancelled). Tests
// and the snapshot tool drive the editor through it.
#pragma once

#include <string>
#include <vector>

#include "IGraphics.h"

class LICE_MemBitmap;

class IGraphicsHeadless : public IGraphics
{
public:
  struct Responder
  {
    virtual ~Responder() = default;
    // The index of the item to choose in menu (or in one of its submenus,
    // then set *in to it), or -1 to dismiss.
    virtual int ChooseFromMenu(IPopupMenu* menu, IRECT* area, IPopupMenu** in);
    // The text typed into an entry that starts with initial; false cancels.
    virtual bool EnterText(IControl* control, IRECT* area, const char* initial, WDL_String* typed);
    virtual int AnswerMessageBox(const char* text, const char* caption, int type);
    virtual bool ChooseFile(WDL_String* file, EFileAction action, WDL_String* dir, const char* extensions);
  };

  IGraphicsHeadless(IPlugBase* plug, int width, int height, int fps = 0);
  ~IGraphicsHeadless() override;

  // Where images are looked for; by default the module's own
  // Contents/Resources folder. Applies to contexts made afterwards.
  static void SetDefaultResourceFolder(const char* folder);
  void SetResourceFolder(const char* folder) { mResources = folder ? folder : ""; }
  void SetResponder(Responder* responder) { mResponder = responder; }
  LICE_MemBitmap* Screen() const { return mScreen.get(); }
  const std::vector<std::string>& OpenedURLs() const { return mOpenedURLs; }
  int ScreenCopies() const { return mScreenCopies; }

  bool DrawScreen(IRECT* area) override;
  void ForceEndUserEdit() override {}
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
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  bool GetTextFromClipboard(WDL_String* text) override;
  void UpdateTooltips() override {}
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;
  bool OSImageSize(int id, const char* name, int* width, int* height) override;

private:
  std::string mResources;
  Responder* mResponder = nullptr;
  std::unique_ptr<LICE_MemBitmap> mScreen;
  std::vector<std::string> mOpenedURLs;
  int mScreenCopies = 0;
  bool mWindowOpen = false;
};

// The platform's graphics context for a plug-in: the X11 context, or the
// headless one once UseHeadlessPlatform(true) was called (tests and tools
// that draw the editor without a screen).
IGraphics* MakePlatformGraphics(IPlugBase* plug, int width, int height, int fps);
void UseHeadlessPlatform(bool headless);

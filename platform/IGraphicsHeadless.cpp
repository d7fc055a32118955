// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IGraphicsHeadless.h"

#include "Desktop.h"
#include "EditorImages.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "IPopupMenu.h"
#include "lice.h"

namespace
{
std::mutex gFolderMutex;
std::string gDefaultFolder;
}  // namespace

int IGraphicsHeadless::Responder::ChooseFromMenu(IPopupMenu*, IRECT*, IPopupMenu**) { return -1; }
bool IGraphicsHeadless::Responder::EnterText(IControl*, IRECT*, const char*, WDL_String*) { return false; }
int IGraphicsHeadless::Responder::AnswerMessageBox(const char*, const char*, int) { return 0; }
bool IGraphicsHeadless::Responder::ChooseFile(WDL_String*, EFileAction, WDL_String*, const char*) { return false; }

IGraphicsHeadless::IGraphicsHeadless(IPlugBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps), mScreen(new LICE_MemBitmap(width, height))
{
  std::lock_guard<std::mutex> lock(gFolderMutex);
  mResources = gDefaultFolder.empty() ? DC_ModuleResourcesFolder() : gDefaultFolder;
}

IGraphicsHeadless::~IGraphicsHeadless() = default;

void IGraphicsHeadless::SetDefaultResourceFolder(const char* folder)
{
  std::lock_guard<std::mutex> lock(gFolderMutex);
  gDefaultFolder = folder ? folder : "";
}

bool IGraphicsHeadless::DrawScreen(IRECT* area)
{
  LICE_SysBitmap* drawn = GetDrawBitmap();
  if (!drawn || !area) return false;
  ++mScreenCopies;
  // The screen is as large as the drawing: the draw scale's pixels.
  if (mScreen->getWidth() != drawn->getWidth() || mScreen->getHeight() != drawn->getHeight())
  {
    mScreen->resize(drawn->getWidth(), drawn->getHeight());
    LICE_Clear(mScreen.get(), 0);
  }
  const IRECT r = ToDrawPixels(*area);
  LICE_Blit(mScreen.get(), drawn, r.left, r.top, r.left, r.top, r.W(), r.H(), 1.0f, kBlitCopy);
  return true;
}

int IGraphicsHeadless::ShowMessageBox(const char* text, const char* caption, int type)
{
  return mResponder ? mResponder->AnswerMessageBox(text, caption, type) : 0;
}

IPopupMenu* IGraphicsHeadless::CreateIPopupMenu(IPopupMenu* menu, IRECT* area)
{
  if (!mResponder || !menu) return nullptr;
  IPopupMenu* in = menu;
  const int chosen = mResponder->ChooseFromMenu(menu, area, &in);
  if (chosen < 0 || !in || chosen >= in->GetNItems()) return nullptr;
  in->SetChosenItemIdx(chosen);
  return in;
}

void IGraphicsHeadless::CreateTextEntry(IControl* control, IText*, IRECT* area, const char* initialText, IParam* param)
{
  WDL_String typed;
  if (mResponder && mResponder->EnterText(control, area, initialText, &typed))
    SetFromStringAfterPrompt(control, param, typed.Get());
}

void IGraphicsHeadless::HostPath(WDL_String* path) { path->Set(desktop::HostPath().c_str()); }

void IGraphicsHeadless::PluginPath(WDL_String* path)
{
  const std::string resources = DC_ModuleResourcesFolder();
  path->Set(resources.empty() ? "" : (resources + "/../../../").c_str());
}

void IGraphicsHeadless::DesktopPath(WDL_String* path) { path->Set(desktop::DesktopFolder().c_str()); }
void IGraphicsHeadless::AppSupportPath(WDL_String* path, bool isSystem) { path->Set(desktop::DataFolder(isSystem).c_str()); }
void IGraphicsHeadless::SandboxSafeAppSupportPath(WDL_String* path) { path->Set(desktop::MusicFolder().c_str()); }

void IGraphicsHeadless::PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir, char* extensions)
{
  if (!file) return;
  if (!mResponder || !mResponder->ChooseFile(file, action, dir, extensions ? extensions : "")) file->Set("");
}

bool IGraphicsHeadless::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url || !*url) return false;
  mOpenedURLs.push_back(url);
  return true;
}

void* IGraphicsHeadless::OpenWindow(void*)
{
  mWindowOpen = true;
  return this;
}

bool IGraphicsHeadless::GetTextFromClipboard(WDL_String* text)
{
  if (text) text->Set("");
  return false;
}

LICE_IBitmap* IGraphicsHeadless::OSLoadBitmap(int, const char* name)
{
  return LoadEditorImage(mResources, name);
}

bool IGraphicsHeadless::OSImageSize(int, const char* name, int* width, int* height)
{
  return EditorImageSize(mResources, name, width, height);
}

void IGraphicsHeadless::CloseWindow()
{
  mWindowOpen = false;
  ReleaseEditorResources();
}


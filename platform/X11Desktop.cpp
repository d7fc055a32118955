// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The X11 context's paths, addresses, message boxes and file prompts.
#include <cstdlib>
#include <cstring>

#include "Desktop.h"
#include "IGraphicsLinux.h"
#include "lice.h"
// Xlib last: its macros would break the headers above.
#include "X11ErrorTrap.h"

void IGraphicsLinux::HostPath(WDL_String* path) { path->Set(desktop::HostPath().c_str()); }

void IGraphicsLinux::PluginPath(WDL_String* path)
{
  // The folder holding the bundle, with a slash: Contents/Resources/../../..
  const std::string resources = DC_ModuleResourcesFolder();
  path->Set(resources.empty() ? "" : (resources + "/../../../").c_str());
}

void IGraphicsLinux::DesktopPath(WDL_String* path) { path->Set(desktop::DesktopFolder().c_str()); }
void IGraphicsLinux::AppSupportPath(WDL_String* path, bool isSystem) { path->Set(desktop::DataFolder(isSystem).c_str()); }
void IGraphicsLinux::SandboxSafeAppSupportPath(WDL_String* path) { path->Set(desktop::MusicFolder().c_str()); }

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type)
{
  return desktop::MessageBox(text, caption, type);
}

void IGraphicsLinux::PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir, char* extensions)
{
  if (!file) return;
  if (!WindowIsOpen())
  {
    file->Set("");
    return;
  }
  std::string folder = dir && dir->GetLength() ? dir->Get() : desktop::DesktopFolder();
  if (dir && !dir->GetLength()) dir->Set(folder.c_str());
  const std::string name = file->Get();
  file->Set("");
  std::string chosen;
  if (!desktop::ChooseFile(action == kFileSave, folder, name, extensions ? extensions : "", &chosen)) return;
  file->Set(chosen.c_str());
  if (dir) dir->Set((chosen.substr(0, chosen.find_last_of('/')) + "/").c_str());
}

bool IGraphicsLinux::OpenURL(const char* url, const char*, const char*, const char*)
{
  return desktop::OpenWithSystem(url);
}

float IGraphicsLinux::DesktopScale()
{
  Display* dpy = X11OpenOwnDisplay();
  if (!dpy) return 1.0f;
  float scale = 1.0f;
  {
    X11ErrorTrap trap(dpy);
    // The resource database the desktop loaded: lines of "name:\tvalue".
    if (const char* resources = XResourceManagerString(dpy))
      for (const char* line = resources; line && *line;)
      {
        if (!strncmp(line, "Xft.dpi:", 8))
        {
          const double dpi = strtod(line + 8, nullptr);
          if (dpi > 0.0) scale = (float) (dpi / 96.0);
          break;
        }
        line = strchr(line, '\n');
        if (line) ++line;
      }
  }
  X11CloseOwnDisplay(dpy);
  return scale < 1.0f ? 1.0f : scale > 3.0f ? 3.0f : scale;
}

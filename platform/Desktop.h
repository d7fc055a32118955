// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Desktop services for the Linux platform, outside X: the XDG folders,
// xdg-open for addresses, and zenity or kdialog (whichever is installed)
// for message boxes and file prompts. Shared by the X11 and headless
// platforms.
#pragma once

#include <string>

class WDL_String;

namespace desktop
{
std::string HostPath();                         // the running program's folder
std::string DesktopFolder();                    // XDG_DESKTOP_DIR, else ~/Desktop
std::string DataFolder(bool system);            // XDG_DATA_HOME, else ~/.local/share; /usr/share for the system
std::string MusicFolder();                      // XDG_MUSIC_DIR, else ~/Music
// Whether an executable of that name is on the PATH.
bool HasProgram(const char* name);
// Opens a web address or file with xdg-open without waiting for it; false
// when xdg-open is missing or cannot be started.
bool OpenWithSystem(const char* url);
// A modal message box: 1 for the default button, 7 for the alternate, 2
// for the other, 0 when no dialog program is installed.
int MessageBox(const char* text, const char* caption, int type);
// A modal file chooser; false when cancelled or no dialog program exists.
bool ChooseFile(bool save, const std::string& dir, const std::string& file, const std::string& extensions,
                std::string* chosen);
}  // namespace desktop

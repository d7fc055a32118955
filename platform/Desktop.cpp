// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "Desktop.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace desktop
{
namespace
{
std::string Home()
{
  const char* home = getenv("HOME");
  return home ? home : "";
}

std::string FromEnv(const char* variable, const std::string& fallback)
{
  const char* value = getenv(variable);
  return value && *value ? value : fallback;
}

// Runs a program with arguments, waits, and returns its exit status (-1
// when it could not be started) with what it printed.
int Run(const std::vector<std::string>& args, std::string* out)
{
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  // The caller's blocked signals are not the child's: the standalone program
  // blocks SIGINT and SIGTERM in every thread, and a browser started from it
  // must still end on them.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  char buf[512];
  for (ssize_t n; (n = read(pipeFds[0], buf, sizeof(buf))) > 0;)
    if (out) out->append(buf, (size_t) n);
  close(pipeFds[0]);
  if (started != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

std::string HostPath()
{
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  exe[n > 0 ? n : 0] = 0;
  std::string dir = exe;
  return dir.substr(0, dir.find_last_of('/'));
}

std::string DesktopFolder() { return FromEnv("XDG_DESKTOP_DIR", Home() + "/Desktop"); }
std::string DataFolder(bool system) { return system ? "/usr/share" : FromEnv("XDG_DATA_HOME", Home() + "/.local/share"); }
std::string MusicFolder() { return FromEnv("XDG_MUSIC_DIR", Home() + "/Music"); }

bool HasProgram(const char* name)
{
  const std::string path = FromEnv("PATH", "/usr/bin:/bin");
  for (size_t start = 0; start <= path.size();)
  {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string candidate = path.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool OpenWithSystem(const char* url)
{
  if (!url || !*url || !HasProgram("xdg-open")) return false;
  // The shell starts xdg-open in the background and returns at once, so
  // nothing waits for the browser and no child is left unreaped.
  return Run({"/bin/sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh", url}, nullptr) == 0;
}

int MessageBox(const char* text, const char* caption, int type)
{
  const std::string t = text ? text : "", c = caption ? caption : "";
  std::string out;
  if (HasProgram("zenity"))
  {
    std::vector<std::string> args = {"zenity", "--title=" + c, "--text=" + t};
    if (type == 4 || type == 3 || type == 1) args.push_back("--question");
    else args.push_back("--info");
    if (type == 3) args.push_back("--extra-button=Cancel");
    if (type == 1) args.insert(args.end(), {"--ok-label=OK", "--cancel-label=Cancel"});
    const int status = Run(args, &out);
    if (type == 3 && out.find("Cancel") != std::string::npos) return 2;
    return status == 0 ? 1 : status == 1 ? 7 : 0;
  }
  if (HasProgram("kdialog"))
  {
    const char* kind = type == 3 ? "--yesnocancel" : type == 4 ? "--yesno" : type == 1 ? "--warningcontinuecancel" : "--msgbox";
    const int status = Run({"kdialog", "--title", c, kind, t}, &out);
    return status == 0 ? 1 : status == 1 ? 7 : status == 2 ? 2 : 0;
  }
  return 0;
}

bool ChooseFile(bool save, const std::string& dir, const std::string& file, const std::string& extensions,
                std::string* chosen)
{
  std::string out, patterns;
  for (size_t start = 0; start < extensions.size();)
  {
    size_t end = extensions.find(' ', start);
    if (end == std::string::npos) end = extensions.size();
    if (end > start) patterns += (patterns.empty() ? "*." : " *.") + extensions.substr(start, end - start);
    start = end + 1;
  }
  const std::string start = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + file;
  int status = -1;
  if (HasProgram("zenity"))
  {
    std::vector<std::string> args = {"zenity", "--file-selection", "--filename=" + start};
    if (save) args.insert(args.end(), {"--save", "--confirm-overwrite"});
    if (!patterns.empty()) args.push_back("--file-filter=" + patterns);
    status = Run(args, &out);
  }
  else if (HasProgram("kdialog"))
  {
    status = Run({"kdialog", save ? "--getsavefilename" : "--getopenfilename", start, patterns}, &out);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  if (status != 0 || out.empty()) return false;
  *chosen = out;
  return true;
}
}  // namespace desktop

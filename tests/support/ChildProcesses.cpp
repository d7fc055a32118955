// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "ChildProcesses.h"

#include <jack/jack.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

pid_t Spawn(const std::vector<std::string>& args, const std::string& log)
{
  fflush(nullptr);  // or the child would print this process's buffered output again
  const pid_t pid = fork();
  if (pid != 0) return pid;
  FILE* out = freopen(log.c_str(), "w", stdout);
  dup2(fileno(out), 2);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

int WaitForExit(pid_t pid, int ms)
{
  int status = 0;
  for (int waited = 0; waited <= ms; waited += 50)
  {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -3;
}

int Stop(pid_t pid, int sig)
{
  kill(pid, sig);
  const int status = WaitForExit(pid, 5000);
  if (status != -3) return status;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -2;
}

Child::~Child()
{
  if (pid > 0) Stop(pid, sig);
}

bool PrivateSharedMemory()
{
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("tmpfs", "/dev/shm", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") == 0;
}

JackTestServer::JackTestServer(const std::string& logDir)
    : name("plushgrit-test-" + std::to_string(getpid())), log(logDir + "/jackd.log")
{
  static const bool privateShm = PrivateSharedMemory();
  if (!privateShm) printf("no private /dev/shm (%s): JACK's registry is the machine's\n", strerror(errno));
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  // A long client timeout: under a loaded CI machine the default 500 ms lets activation fail, which the
  // program then rightly reports as an error.
  jackd.pid = Spawn({"jackd", "--no-realtime", "--sync", "-t", "10000", "-n", name, "-d", "dummy", "-r", "48000", "-p", "256"},
                    log);
  jackd.sig = SIGTERM;
}

bool JackTestServer::Ready()
{
  return WaitFor(
      [&] {
        jack_client_t* probe = jack_client_open("ready", JackNoStartServer, nullptr);
        if (probe) jack_client_close(probe);
        return probe != nullptr;
      },
      15000);
}

std::string Contents(const std::string& path)
{
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Programs the tests start as other processes (jalv, plushgrit, a JACK
// server of the test's own), waited for and ended however a test ends.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

// Starts args[0] (looked up in PATH) with its output and errors in log.
pid_t Spawn(const std::vector<std::string>& args, const std::string& log);
// Sends sig and waits up to 5 s: the exit status, -1 for a signal, -2 when
// the child had to be killed.
int Stop(pid_t pid, int sig = 15);
// Waits up to ms for the child to end by itself: as Stop, -3 when it runs on.
int WaitForExit(pid_t pid, int ms);

// A child ended when the test ends, by sig (SIGKILL unless said otherwise).
struct Child
{
  pid_t pid = 0;
  int sig = 9;
  ~Child();
};

// Gives this process and its children a /dev/shm of their own, so that a
// JACK server starts whatever other servers, living or dead, left in the
// machine's registry (it has room for eight, and reclaims only entries of
// the same name). Needs the right to mount; without it the machine's
// /dev/shm is used.
bool PrivateSharedMemory();

// A JACK server of the test's own on the dummy driver (48 kHz, synchronous,
// periods of 256), named for the process and made the default for this
// process and its children. Ended with SIGTERM, so that it leaves no entry
// in JACK's registry.
struct JackTestServer
{
  explicit JackTestServer(const std::string& logDir);
  // Waits until a client can connect; false after 15 s.
  bool Ready();
  std::string name, log;
  Child jackd;
};

std::string Contents(const std::string& path);

template <class F>
bool WaitFor(F ready, int ms, int stepMs = 50)
{
  for (int waited = 0; waited < ms; waited += stepMs)
  {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
  return ready();
}

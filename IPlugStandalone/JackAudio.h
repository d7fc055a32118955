// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The standalone program's audio: one JACK client (jackd's, or PipeWire's
// through pw-jack) with an input and an output port per channel, whose
// process callback hands the buffers to the plug-in. The server's sample
// rate goes to the plug-in when it changes; buffer sizes need nothing (the
// plug-in works in pieces of its own); xruns are counted; a server that
// goes away is noted, and the descriptor WakeFd() becomes readable, so that
// a program waiting in poll() hears of it.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <string>
#include <vector>

class IPlugStandalone;

class JackAudio
{
public:
  JackAudio();
  ~JackAudio();
  JackAudio(const JackAudio&) = delete;
  JackAudio& operator=(const JackAudio&) = delete;

  // Connects to the server (the default one, or serverName), as clientName;
  // starts none unless startServer. False with error when there is none.
  bool Open(const std::string& clientName, const std::string& serverName, bool startServer, std::string& error);
  // The client's name as the server gave it (it may add a number).
  std::string ClientName() const;
  double SampleRate() const;
  // Registers the ports ("in_left", "out_left", ... or "in_1"...), sets up
  // the callbacks for plug and starts processing.
  bool Start(IPlugStandalone* plug, std::string& error);
  // Our input channel c from port (or our output channel c to it); false
  // with error when the server refuses.
  bool ConnectInput(int channel, const std::string& port, std::string& error);
  bool ConnectOutput(int channel, const std::string& port, std::string& error);
  // The server's physical capture or playback ports, in order.
  std::vector<std::string> PhysicalPorts(bool capture) const;
  void Close();

  long Xruns() const { return mXruns.load(); }
  bool ServerGone() const { return mGone.load(); }
  const std::string& GoneReason() const { return mGoneReason; }
  int WakeFd() const { return mWake[0]; }

private:
  static int Process(jack_nframes_t n, void* arg);
  static int SampleRateChanged(jack_nframes_t rate, void* arg);
  static int Xrun(void* arg);
  static void Shutdown(jack_status_t code, const char* reason, void* arg);

  jack_client_t* mClient = nullptr;
  IPlugStandalone* mPlug = nullptr;
  std::vector<jack_port_t*> mIn, mOut;
  std::vector<float*> mInBuf, mOutBuf;  // sized at Start: the callback fills them
  std::atomic<long> mXruns{0};
  std::atomic<bool> mGone{false}, mShutdownSeen{false};
  std::string mGoneReason;
  int mWake[2] = {-1, -1};
};

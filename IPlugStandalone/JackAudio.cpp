// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "JackAudio.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "IPlugStandalone.h"

namespace
{
std::string PortName(bool input, int channel, int channels)
{
  static const char* const kStereo[2] = {"left", "right"};
  const std::string which = channels == 2 ? kStereo[channel] : std::to_string(channel + 1);
  return (input ? "in_" : "out_") + which;
}
}  // namespace

JackAudio::JackAudio()
{
  if (pipe2(mWake, O_CLOEXEC | O_NONBLOCK) != 0) mWake[0] = mWake[1] = -1;
}

JackAudio::~JackAudio()
{
  Close();
  for (int fd : mWake)
    if (fd >= 0) close(fd);
}

namespace
{
// libjack prints its own view of every failure; the program says one line.
void Quiet(const char*) {}
}  // namespace

bool JackAudio::Open(const std::string& clientName, const std::string& serverName, bool startServer, std::string& error)
{
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  int options = startServer ? JackNullOption : JackNoStartServer;
  if (!serverName.empty()) options |= JackServerName;
  jack_status_t status = (jack_status_t) 0;
  mClient = serverName.empty() ? jack_client_open(clientName.c_str(), (jack_options_t) options, &status)
                               : jack_client_open(clientName.c_str(), (jack_options_t) options, &status, serverName.c_str());
  if (mClient) return true;
  const std::string server = serverName.empty() ? "the JACK server" : "the JACK server \"" + serverName + "\"";
  if (status & JackServerFailed)
    error = "cannot connect to " + server + ": none is running (start jackd, or run this program with pw-jack on a "
            "PipeWire desktop; --start-server starts jackd)";
  else if (status & JackNameNotUnique)
    error = "the JACK client name \"" + clientName + "\" is taken";
  else
    error = "cannot open a JACK client on " + server + " (status 0x" + std::to_string((int) status) + ")";
  return false;
}

std::string JackAudio::ClientName() const { return mClient ? jack_get_client_name(mClient) : ""; }
double JackAudio::SampleRate() const { return mClient ? (double) jack_get_sample_rate(mClient) : 0.0; }

bool JackAudio::Start(IPlugStandalone* plug, std::string& error)
{
  mPlug = plug;
  const int channels = plug->NAudioChannels();
  for (int c = 0; c < channels; ++c)
  {
    jack_port_t* in = jack_port_register(mClient, PortName(true, c, channels).c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_port_t* out = jack_port_register(mClient, PortName(false, c, channels).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                          JackPortIsOutput, 0);
    if (!in || !out)
    {
      error = "the JACK server refused the client's ports";
      return false;
    }
    mIn.push_back(in);
    mOut.push_back(out);
  }
  mInBuf.assign((size_t) channels, nullptr);
  mOutBuf.assign((size_t) channels, nullptr);
  jack_set_process_callback(mClient, Process, this);
  jack_set_sample_rate_callback(mClient, SampleRateChanged, this);
  jack_set_xrun_callback(mClient, Xrun, this);
  jack_on_info_shutdown(mClient, Shutdown, this);
  if (jack_activate(mClient) != 0)
  {
    error = "the JACK server did not start the client";
    return false;
  }
  return true;
}

// The audio thread. The buffers' table was sized at Start.
int JackAudio::Process(jack_nframes_t n, void* arg)
{
  auto* self = static_cast<JackAudio*>(arg);
  for (size_t c = 0; c < self->mIn.size(); ++c)
  {
    self->mInBuf[c] = static_cast<float*>(jack_port_get_buffer(self->mIn[c], n));
    self->mOutBuf[c] = static_cast<float*>(jack_port_get_buffer(self->mOut[c], n));
  }
  self->mPlug->ProcessAudio(self->mInBuf.data(), self->mOutBuf.data(), (int) n);
  return 0;
}

int JackAudio::SampleRateChanged(jack_nframes_t rate, void* arg)
{
  auto* self = static_cast<JackAudio*>(arg);
  if (self->mPlug) self->mPlug->ChangeSampleRate((double) rate);
  return 0;
}

int JackAudio::Xrun(void* arg)
{
  static_cast<JackAudio*>(arg)->mXruns.fetch_add(1);
  return 0;
}

// JACK's own thread, once: the reason is kept for the program's message.
void JackAudio::Shutdown(jack_status_t, const char* reason, void* arg)
{
  auto* self = static_cast<JackAudio*>(arg);
  if (self->mShutdownSeen.exchange(true)) return;
  // The reason first: whoever sees ServerGone() reads it.
  self->mGoneReason = reason ? reason : "";
  self->mGone.store(true, std::memory_order_release);
  if (self->mWake[1] >= 0)
  {
    const char byte = 1;
    (void) !write(self->mWake[1], &byte, 1);
  }
}

bool JackAudio::ConnectInput(int channel, const std::string& port, std::string& error)
{
  if (channel < 0 || channel >= (int) mIn.size()) return false;
  if (jack_connect(mClient, port.c_str(), jack_port_name(mIn[(size_t) channel])) == 0) return true;
  error = "cannot connect " + port + " to " + jack_port_name(mIn[(size_t) channel]);
  return false;
}

bool JackAudio::ConnectOutput(int channel, const std::string& port, std::string& error)
{
  if (channel < 0 || channel >= (int) mOut.size()) return false;
  if (jack_connect(mClient, jack_port_name(mOut[(size_t) channel]), port.c_str()) == 0) return true;
  error = "cannot connect " + std::string(jack_port_name(mOut[(size_t) channel])) + " to " + port;
  return false;
}

std::vector<std::string> JackAudio::PhysicalPorts(bool capture) const
{
  std::vector<std::string> names;
  // Capture ports are the server's outputs, playback ports its inputs.
  const char** ports = jack_get_ports(mClient, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                      JackPortIsPhysical | (capture ? JackPortIsOutput : JackPortIsInput));
  for (int i = 0; ports && ports[i]; ++i) names.push_back(ports[i]);
  if (ports) jack_free(ports);
  return names;
}

void JackAudio::Close()
{
  if (!mClient) return;
  // A server that went away has no client left to deactivate.
  if (!mGone.load()) jack_deactivate(mClient);
  jack_client_close(mClient);
  mClient = nullptr;
}

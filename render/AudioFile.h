// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Reading and writing audio files with libsndfile, block by block.
#pragma once

#include <sndfile.h>

#include <string>

class AudioFile
{
public:
  AudioFile() = default;
  ~AudioFile() { Close(); }
  AudioFile(const AudioFile&) = delete;
  AudioFile& operator=(const AudioFile&) = delete;

  // Opens for reading any container libsndfile reads, with one or two
  // channels.
  bool OpenRead(const std::string& path, std::string& error);
  // Creates a file with the given format word, channels and rate. Integer
  // sample formats clip at full scale rather than wrap around.
  bool OpenWrite(const std::string& path, int format, int channels, int sampleRate, std::string& error);
  void Close();

  // Interleaved frames; return the frames actually transferred.
  long Read(float* frames, long n) { return (long) sf_readf_float(mFile, frames, n); }
  long Read(double* frames, long n) { return (long) sf_readf_double(mFile, frames, n); }
  long Write(const float* frames, long n) { return (long) sf_writef_float(mFile, frames, n); }
  long Write(const double* frames, long n) { return (long) sf_writef_double(mFile, frames, n); }

  const SF_INFO& Info() const { return mInfo; }
  // Whether samples beyond full scale are clipped when written: integer
  // sample formats; floating-point ones (and the lossy codecs, which take
  // floats) keep every value.
  bool ClipsAtFullScale() const { return mClips; }
  std::string LastError() const { return sf_strerror(mFile); }

  // The format word for a file name's extension (.wav, .aif/.aiff, .flac,
  // .w64, .rf64 and .caf at 24 bits; .ogg/.oga Vorbis, .opus, .mp3); 0 for
  // any other extension.
  static int FormatForExtension(const std::string& path);
  // "WAV (Microsoft), Signed 24 bit PCM", for messages.
  static std::string FormatName(int format);

private:
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo = {};
  bool mClips = false;
};

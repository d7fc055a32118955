// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Reading and writing audio files with libsndfile, block by block, on a
// path or on a descriptor (standard input and output, a file being
// replaced). Reading counts what it got, so that a damaged or cut input is
// told from a whole one; writing clips every sample to what the encoding
// holds before libsndfile sees it, since several encodings wrap a sample
// beyond full scale around to the other sign and libsndfile's own clipping
// reaches only the plain PCM ones.
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
  // channels; a path of "-" reads standard input.
  bool OpenRead(const std::string& path, std::string& error);
  // Creates a file with the given format word, channels and rate, on path
  // or (fd >= 0) on that descriptor, which stays open.
  bool OpenWrite(const std::string& path, int fd, int format, int channels, int sampleRate, std::string& error);
  // False when libsndfile reports a failure on closing (an unwritable end).
  bool Close();

  // Interleaved frames; return the frames actually transferred.
  long Read(float* frames, long n) { return Counted((long) sf_readf_float(mFile, frames, n)); }
  long Read(double* frames, long n) { return Counted((long) sf_readf_double(mFile, frames, n)); }
  long Write(const float* frames, long n) { return (long) sf_writef_float(mFile, frames, n); }
  long Write(const double* frames, long n) { return (long) sf_writef_double(mFile, frames, n); }
  // Clips n interleaved frames to what this file's encoding holds; returns
  // how many samples were beyond it.
  long long Clip(float* frames, long n) const;
  long long Clip(double* frames, long n) const;
  // The largest magnitude written unchanged, as a fraction of full scale;
  // 0 for floating-point files, which keep every value.
  double Ceiling() const { return mCeiling; }

  const SF_INFO& Info() const { return mInfo; }
  long long FramesRead() const { return mFramesRead; }
  // The frames the input's header promised (0 when unknown): more than
  // Info().frames where libsndfile trimmed a length the file does not hold.
  long long FramesPromised() const;
  // Whether the input is damaged or cut short: a read failed, or the header
  // promised more frames than could be read (a stream of unknown length
  // never did). reason says what libsndfile reported, or what was missing.
  bool EndedEarly(std::string* reason) const;
  std::string LastError() const { return sf_strerror(mFile); }

  // The format word for a file name's extension (.wav, .aif/.aiff, .flac,
  // .w64, .rf64 and .caf at 24 bits; .au at 16; .ogg/.oga Vorbis, .opus,
  // .mp3); 0 for any other extension.
  static int FormatForExtension(const std::string& path);
  // The output's format word from what the user named (type, encoding and
  // bits, each optional) over the format given (the input's, or one from
  // the extension); 0 with error when the names are unknown or libsndfile
  // cannot write what they make.
  static int ChooseFormat(const std::string& type, const std::string& encoding, int bits, int given, int channels,
                          std::string& error);
  // "WAV (Microsoft), Signed 24 bit PCM", for messages.
  static std::string FormatName(int format);

private:
  long Counted(long n)
  {
    if (n > 0) mFramesRead += n;
    return n;
  }
  template <class Sample>
  long long ClipSamples(Sample* frames, long n) const;

  SNDFILE* mFile = nullptr;
  SF_INFO mInfo = {};
  double mCeiling = 0.0;
  double mFloor = 0.0;  // the most negative value, as a negative fraction
  long long mFramesRead = 0;
  // libsndfile trimmed a length the file does not hold (TrimmedByLibsndfile),
  // and what the header promised.
  bool mTrimmed = false;
  long long mPromised = 0;
};

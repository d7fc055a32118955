// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "AudioFile.h"

#include <algorithm>
#include <cctype>

bool AudioFile::OpenRead(const std::string& path, std::string& error)
{
  Close();
  mInfo = SF_INFO();
  mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
  if (!mFile)
  {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  // Whatever libsndfile reads is read: WAV with or without the extensible
  // header, RF64, W64, AIFF/AIFC, FLAC, Ogg Vorbis and Opus, CAF, MP3.
  if (mInfo.channels < 1 || mInfo.channels > 2)
  {
    error = "unsupported channel count in " + path + ": " + std::to_string(mInfo.channels) +
            " channels (only mono and stereo are rendered)";
    Close();
    return false;
  }
  return true;
}

bool AudioFile::OpenWrite(const std::string& path, int format, int channels, int sampleRate, std::string& error)
{
  Close();
  mInfo = SF_INFO();
  mInfo.format = format;
  mInfo.channels = channels;
  mInfo.samplerate = sampleRate;
  if (!sf_format_check(&mInfo))
  {
    error = "cannot write this format to " + path;
    return false;
  }
  mFile = sf_open(path.c_str(), SFM_WRITE, &mInfo);
  if (!mFile)
  {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  switch (format & SF_FORMAT_SUBMASK)
  {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III: mClips = false; break;
    default: mClips = true;
  }
  // Without this, libsndfile wraps a sample beyond full scale around to
  // the other sign.
  if (mClips) sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return true;
}

void AudioFile::Close()
{
  if (mFile) sf_close(mFile);
  mFile = nullptr;
}

int AudioFile::FormatForExtension(const std::string& path)
{
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return (char) std::tolower(c); });
  if (ext == "wav") return SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  if (ext == "aif" || ext == "aiff") return SF_FORMAT_AIFF | SF_FORMAT_PCM_24;
  if (ext == "flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  if (ext == "w64") return SF_FORMAT_W64 | SF_FORMAT_PCM_24;
  if (ext == "rf64") return SF_FORMAT_RF64 | SF_FORMAT_PCM_24;
  if (ext == "caf") return SF_FORMAT_CAF | SF_FORMAT_PCM_24;
  if (ext == "ogg" || ext == "oga") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  if (ext == "opus") return SF_FORMAT_OGG | SF_FORMAT_OPUS;
  if (ext == "mp3") return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  return 0;
}

std::string AudioFile::FormatName(int format)
{
  SF_FORMAT_INFO major = {}, sub = {};
  major.format = format & SF_FORMAT_TYPEMASK;
  sub.format = format & SF_FORMAT_SUBMASK;
  std::string name = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof(major)) == 0 ? major.name : "unknown";
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof(sub)) == 0) name += std::string(", ") + sub.name;
  return name;
}

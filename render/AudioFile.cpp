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
  const int major = mInfo.format & SF_FORMAT_TYPEMASK;
  if (major != SF_FORMAT_WAV && major != SF_FORMAT_AIFF && major != SF_FORMAT_FLAC)
  {
    error = "unsupported format in " + path + ": only WAV, AIFF and FLAC are read";
    Close();
    return false;
  }
  if (mInfo.channels < 1 || mInfo.channels > 2)
  {
    error = "unsupported channel count in " + path + ": " + std::to_string(mInfo.channels) +
            " (only mono and stereo are rendered)";
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
  return 0;
}

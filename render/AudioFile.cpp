// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "AudioFile.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace
{
std::string Lower(std::string s)
{
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return (char) std::tolower(c); });
  return s;
}

int MajorForType(const std::string& type)
{
  const std::string t = Lower(type);
  if (t == "wav" || t == "wave") return SF_FORMAT_WAV;
  if (t == "aif" || t == "aiff" || t == "aifc") return SF_FORMAT_AIFF;
  if (t == "flac") return SF_FORMAT_FLAC;
  if (t == "w64") return SF_FORMAT_W64;
  if (t == "rf64") return SF_FORMAT_RF64;
  if (t == "caf") return SF_FORMAT_CAF;
  if (t == "au" || t == "snd") return SF_FORMAT_AU;
  if (t == "ogg" || t == "oga" || t == "vorbis" || t == "opus") return SF_FORMAT_OGG;
  if (t == "mp3") return SF_FORMAT_MPEG;
  if (t == "raw") return SF_FORMAT_RAW;
  return 0;
}

// The sample format a container takes when nothing else says.
int UsualSubtype(int major, const std::string& type)
{
  switch (major)
  {
    case SF_FORMAT_OGG: return Lower(type) == "opus" ? SF_FORMAT_OPUS : SF_FORMAT_VORBIS;
    case SF_FORMAT_MPEG: return SF_FORMAT_MPEG_LAYER_III;
    case SF_FORMAT_AU:
    case SF_FORMAT_RAW: return SF_FORMAT_PCM_16;
    default: return SF_FORMAT_PCM_24;
  }
}

bool IsFloat(int sub) { return sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE; }

// The sample format the encoding and bits name; 0 when they name none.
int SubtypeFor(const std::string& encoding, int bits, int current, int major)
{
  std::string e = Lower(encoding);
  if (e.empty()) e = IsFloat(current) ? "floating-point" : "signed-integer";
  if (e == "signed-integer" || e == "signed")
  {
    // WAV's 8-bit samples are unsigned by definition.
    if (bits == 8) return major == SF_FORMAT_WAV || major == SF_FORMAT_RF64 || major == SF_FORMAT_W64 ? SF_FORMAT_PCM_U8
                                                                                                       : SF_FORMAT_PCM_S8;
    return bits == 16 ? SF_FORMAT_PCM_16 : bits == 24 || !bits ? SF_FORMAT_PCM_24 : bits == 32 ? SF_FORMAT_PCM_32 : 0;
  }
  if (e == "unsigned-integer" || e == "unsigned") return bits == 8 || !bits ? SF_FORMAT_PCM_U8 : 0;
  if (e == "floating-point" || e == "float") return bits == 32 || !bits ? SF_FORMAT_FLOAT : bits == 64 ? SF_FORMAT_DOUBLE : 0;
  if (bits && bits != 8 && bits != 16) return 0;  // the companded and ADPCM encodings have no other depth
  if (e == "u-law" || e == "mu-law" || e == "ulaw") return SF_FORMAT_ULAW;
  if (e == "a-law" || e == "alaw") return SF_FORMAT_ALAW;
  if (e == "ima-adpcm") return SF_FORMAT_IMA_ADPCM;
  if (e == "ms-adpcm") return SF_FORMAT_MS_ADPCM;
  if (e == "gsm-full-rate" || e == "gsm") return SF_FORMAT_GSM610;
  if (e == "vorbis") return SF_FORMAT_VORBIS;
  if (e == "opus") return SF_FORMAT_OPUS;
  if (e == "mp3") return SF_FORMAT_MPEG_LAYER_III;
  return 0;
}

// The most a sample may be, as a fraction of full scale, before the
// encoding wraps it: an integer format of b bits holds -1 to 1 - 2^(1-b)
// (past 24 bits, 1 - 2^-24: the largest float below 1, which 32-bit PCM
// takes a step below its top code); the 16-bit codecs (companded, ADPCM,
// GSM, ...) take 16-bit samples; the G.72x coders overshoot a clipped input
// by up to 30 % and wrap beyond full scale, so they keep that headroom
// (measured: clipped sines of 20 to 500 Hz at up to 4 times full scale
// wrap from a ceiling of 0.75, never at 0.7).
void Limits(int sub, double* ceiling, double* floor)
{
  int bits = 16;
  switch (sub)
  {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE: *ceiling = *floor = 0.0; return;
    case SF_FORMAT_G721_32:
    case SF_FORMAT_G723_24:
    case SF_FORMAT_G723_40: *ceiling = 0.7, *floor = -0.7; return;
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: bits = 8; break;
    case SF_FORMAT_DWVW_12: bits = 12; break;
    case SF_FORMAT_ALAC_20: bits = 20; break;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32: bits = 24; break;
    default: break;  // lossy codecs take full scale: [-1, 1 - 2^-15] is as good as [-1, 1]
  }
  *ceiling = 1.0 - std::ldexp(1.0, 1 - bits);
  *floor = -1.0;
}
}  // namespace

namespace
{
int BytesPerSample(int sub)
{
  switch (sub)
  {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return 1;
    case SF_FORMAT_PCM_16: return 2;
    case SF_FORMAT_PCM_24: return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 4;
    case SF_FORMAT_DOUBLE: return 8;
    default: return 0;
  }
}

// libsndfile trims a header's length to what the file holds, and says so
// only in its log: "data : 768000 (should be 255970)" (WAV, AU),
// "riff : 768104 (should be 256034)" (W64, RF64), "Chunk size 768008 > file
// length 256018" (AIFF), "could not find 'data' chunk" (CAF). Whether it
// did, and the frames the header promised where the log gives them (0 when
// it does not). A length of 0 or all ones is a stream's "unknown", never a
// cut.
bool TrimmedByLibsndfile(SNDFILE* file, const SF_INFO& info, long long* promised)
{
  char log[8192] = {};
  sf_command(file, SFC_GET_LOG_INFO, log, sizeof(log));
  bool trimmed = false;
  long long dataBytes = 0, frames = 0;
  for (char* line = strtok(log, "\n"); line; line = strtok(nullptr, "\n"))
  {
    long long said = 0, actual = 0;
    const char* colon = strchr(line, ':');
    if (strstr(line, "could not find 'data' chunk")) trimmed = true;
    if (sscanf(line, "*** Chunk size %lld > file length %lld", &said, &actual) == 2) trimmed = true;
    if (!colon) continue;
    if (sscanf(colon + 1, " %lld (should be %lld)", &said, &actual) == 2 && said > actual && said != 0xFFFFFFFFLL &&
        said != -1)
    {
      trimmed = true;
      if (strcasestr(line, "data")) dataBytes = said;
    }
    if (strstr(line, "Frames") && !strstr(line, "/") && sscanf(colon + 1, " %lld", &said) == 1) frames = said;
  }
  const int bytesPerFrame = BytesPerSample(info.format & SF_FORMAT_SUBMASK) * info.channels;
  *promised = frames ? frames : dataBytes && bytesPerFrame ? dataBytes / bytesPerFrame : 0;
  return trimmed;
}
}  // namespace

bool AudioFile::OpenRead(const std::string& path, std::string& error)
{
  Close();
  mInfo = SF_INFO();
  mFramesRead = 0;
  mFile = path == "-" ? sf_open_fd(STDIN_FILENO, SFM_READ, &mInfo, SF_FALSE) : sf_open(path.c_str(), SFM_READ, &mInfo);
  const std::string name = path == "-" ? "standard input" : path;
  if (!mFile)
  {
    error = "cannot read " + name + ": " + sf_strerror(nullptr);
    return false;
  }
  if (mInfo.channels < 1 || mInfo.channels > 2)
  {
    error = "unsupported channel count in " + name + ": " + std::to_string(mInfo.channels) +
            " channels (only mono and stereo are rendered)";
    Close();
    return false;
  }
  mTrimmed = TrimmedByLibsndfile(mFile, mInfo, &mPromised);
  return true;
}

bool AudioFile::OpenWrite(const std::string& path, int fd, int format, int channels, int sampleRate, std::string& error)
{
  Close();
  mInfo = SF_INFO();
  mInfo.format = format;
  mInfo.channels = channels;
  mInfo.samplerate = sampleRate;
  if (!sf_format_check(&mInfo))
  {
    error = "cannot write " + FormatName(format) + " to " + path;
    return false;
  }
  mFile = fd >= 0 ? sf_open_fd(fd, SFM_WRITE, &mInfo, SF_FALSE) : sf_open(path.c_str(), SFM_WRITE, &mInfo);
  if (!mFile)
  {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  Limits(format & SF_FORMAT_SUBMASK, &mCeiling, &mFloor);
  // A second guard where libsndfile has one (plain PCM): clip, never wrap.
  if (mCeiling > 0.0) sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return true;
}

bool AudioFile::Close()
{
  const bool ok = !mFile || sf_close(mFile) == 0;
  mFile = nullptr;
  return ok;
}

template <class Sample>
long long AudioFile::ClipSamples(Sample* frames, long n) const
{
  if (mCeiling <= 0.0) return 0;
  long long clipped = 0;
  const Sample hi = (Sample) mCeiling, lo = (Sample) mFloor;
  // An integer format's top code is full scale less one step: a sample
  // between the two is full scale as the format writes it, not clipped. A
  // ceiling well below full scale (the G.72x coders') counts all it takes.
  const Sample counted = mCeiling < 0.99 ? hi : (Sample) 1;
  for (long i = 0; i < n * mInfo.channels; ++i)
  {
    const Sample v = frames[i];
    if (v > hi)
    {
      frames[i] = hi;
      clipped += v > counted;
    }
    else if (v < lo)
    {
      frames[i] = lo;
      ++clipped;
    }
    else if (!(v == v))
    {
      frames[i] = 0;  // silence, rather than whatever an encoder makes of NaN
      ++clipped;
    }
  }
  return clipped;
}

long long AudioFile::Clip(float* frames, long n) const { return ClipSamples(frames, n); }
long long AudioFile::Clip(double* frames, long n) const { return ClipSamples(frames, n); }

long long AudioFile::FramesPromised() const
{
  if (mTrimmed) return mPromised;
  return mInfo.frames > 0 && mInfo.frames != SF_COUNT_MAX ? mInfo.frames : 0;
}

bool AudioFile::EndedEarly(std::string* reason) const
{
  const bool failed = mFile && sf_error(mFile) != SF_ERR_NO_ERROR;
  if (reason) *reason = failed ? sf_strerror(mFile) : mTrimmed ? "the header promises more than the file holds" : "";
  const long long promised = FramesPromised();
  return failed || mTrimmed || (promised && mFramesRead < promised);
}

int AudioFile::FormatForExtension(const std::string& path)
{
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
  const std::string ext = Lower(path.substr(dot + 1));
  if (ext == "raw") return 0;  // a raw file says nothing of its samples
  const int major = MajorForType(ext);
  return major ? major | UsualSubtype(major, ext) : 0;
}

int AudioFile::ChooseFormat(const std::string& type, const std::string& encoding, int bits, int given, int channels,
                            std::string& error)
{
  int major = given & SF_FORMAT_TYPEMASK, sub = given & SF_FORMAT_SUBMASK;
  if (!type.empty())
  {
    const int named = MajorForType(type);
    if (!named)
    {
      error = "unknown output type '" + type + "' (see --help)";
      return 0;
    }
    if (named != major || Lower(type) == "opus") sub = UsualSubtype(named, type);
    major = named;
  }
  if (!major) major = SF_FORMAT_WAV, sub = SF_FORMAT_PCM_24;
  if (!encoding.empty() || bits)
  {
    sub = SubtypeFor(encoding, bits, sub, major);
    if (!sub)
    {
      error = "no encoding '" + (encoding.empty() ? std::string("of the output") : encoding) + "' at " +
              std::to_string(bits) + " bits (see --help)";
      return 0;
    }
  }
  SF_INFO probe = {};
  probe.format = major | sub;
  probe.channels = channels;
  probe.samplerate = 48000;
  if (!sf_format_check(&probe))
  {
    error = "libsndfile cannot write " + FormatName(major | sub);
    return 0;
  }
  return major | sub;
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

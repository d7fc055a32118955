// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
bool parseNumber(const std::string& text, double& out)
{
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = strtod(text.c_str(), &end);
  return errno == 0 && end && *end == 0 && std::isfinite(out);
}

bool parseInt(const std::string& text, int& out)
{
  double v;
  if (!parseNumber(text, v) || v != std::floor(v) || v < -2147483648.0 || v > 2147483647.0) return false;
  out = (int) v;
  return true;
}
}  // namespace

const char* RenderUsage()
{
  return "Usage: plushgrit-render [options] [INPUT] OUTPUT\n"
         "Renders a mono or stereo audio file through the Plushgrit VST 3 plug-in into OUTPUT,\n"
         "in the input's container and sample format. INPUT may be any file libsndfile reads\n"
         "(WAV with or without the extensible header, RF64, W64, AIFF/AIFC, FLAC, Ogg Vorbis\n"
         "and Opus, CAF, MP3); where libsndfile cannot write that format, OUTPUT's extension\n"
         "picks one, else 24-bit WAV, and a note says so. Integer outputs clip at full scale\n"
         "(a warning counts the samples); floating-point outputs keep every value. Without\n"
         "INPUT, renders a built-in demo signal (a few seconds of plucked notes) into OUTPUT,\n"
         "whose extension picks the format.\n"
         "\n"
         "  --in DB            input gain in dB (-10..10)\n"
         "  --out DB           output gain in dB (-10..10)\n"
         "  --mix X            dry/wet mix (0..1)\n"
         "  --drive X          drive (0..1)\n"
         "  --bypass           bypass the effect\n"
         "  --precision 32|64  sample size of the processing (default 32)\n"
         "  --block N          frames per process call, 1..65536 (default 512)\n"
         "  --load-state FILE  load a saved plug-in state before applying the options above\n"
         "  --save-state FILE  save the plug-in state after rendering\n"
         "  --list-params      print the parameters as the host sees them and exit\n"
         "  --plugin PATH      the Plushgrit.vst3 bundle to load (default: the one installed or\n"
         "                     built with this program, else ~/.vst3, /usr/local/lib/vst3, /usr/lib/vst3)\n"
         "  --force            overwrite OUTPUT if it exists\n"
         "  --help             this text\n"
         "  --version          the program's version\n";
}

bool ParseRenderOptions(int argc, char** argv, RenderOptions& o, std::string& error)
{
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i)
  {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc)
      {
        error = "option " + arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto number = [&](std::optional<double>& out) {
      std::string text;
      if (!value(text)) return false;
      double v;
      if (!parseNumber(text, v))
      {
        error = "option " + arg + " needs a number, not '" + text + "'";
        return false;
      }
      out = v;
      return true;
    };

    if (arg == "--in") { if (!number(o.inDb)) return false; }
    else if (arg == "--out") { if (!number(o.outDb)) return false; }
    else if (arg == "--mix") { if (!number(o.mix)) return false; }
    else if (arg == "--drive") { if (!number(o.drive)) return false; }
    else if (arg == "--bypass") o.bypass = true;
    else if (arg == "--force") o.force = true;
    else if (arg == "--list-params") o.listParams = true;
    else if (arg == "--help" || arg == "-h") o.help = true;
    else if (arg == "--version") o.version = true;
    else if (arg == "--plugin") { if (!value(o.pluginPath)) return false; }
    else if (arg == "--save-state") { if (!value(o.saveState)) return false; }
    else if (arg == "--load-state") { if (!value(o.loadState)) return false; }
    else if (arg == "--precision" || arg == "--block")
    {
      std::string text;
      int v = 0;
      if (!value(text)) return false;
      if (!parseInt(text, v))
      {
        error = "option " + arg + " needs a whole number, not '" + text + "'";
        return false;
      }
      if (arg == "--precision")
      {
        if (v != 32 && v != 64)
        {
          error = "--precision must be 32 or 64, not " + text;
          return false;
        }
        o.precision = v;
      }
      else
      {
        if (v < 1 || v > 65536)
        {
          error = "--block must be between 1 and 65536, not " + text;
          return false;
        }
        o.blockSize = v;
      }
    }
    else if (arg.size() > 1 && arg[0] == '-')
    {
      error = "unknown option " + arg + " (see --help)";
      return false;
    }
    else
    {
      positional.push_back(arg);
    }
  }

  if (o.help || o.version) return true;
  if (o.listParams)
  {
    if (positional.empty()) return true;
    error = "--list-params takes no files";
    return false;
  }
  if (positional.size() == 1)
    o.outputPath = positional[0];
  else if (positional.size() == 2)
  {
    o.inputPath = positional[0];
    o.outputPath = positional[1];
  }
  else
  {
    error = positional.empty() ? "no output file given (see --help)" : "too many files given (see --help)";
    return false;
  }
  return true;
}

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

// help2man turns the headed paragraphs into the manual page's sections
// ("*Exit status*" is its way of naming one of its own).
const char* RenderUsage()
{
  return "Usage: plushgrit-render [OPTION]... INFILE OUTFILE\n"
         "  or:  plushgrit-render [OPTION]... --demo OUTFILE\n"
         "  or:  plushgrit-render --list-params\n"
         "Renders a mono or stereo audio file through the Plushgrit VST 3 plug-in into\n"
         "OUTFILE. INFILE may be any file libsndfile reads (WAV with or without the\n"
         "extensible header, RF64, W64, AIFF/AIFC, FLAC, Ogg Vorbis and Opus, CAF, MP3 and\n"
         "more); \"-\" reads standard input and writes standard output. OUTFILE takes\n"
         "INFILE's container and encoding unless --type, --bits or --encoding say\n"
         "otherwise; where libsndfile cannot write that, OUTFILE's extension picks one,\n"
         "else 24-bit WAV, and a note says so. Every sample beyond what the output's\n"
         "encoding holds is clipped, never wrapped, and a warning counts them;\n"
         "floating-point outputs keep every value. OUTFILE is replaced only once the\n"
         "render is whole: a failure, a damaged input or an interruption leaves it as it\n"
         "was. A link is written through, a pipe or a device is written to.\n"
         "\n"
         "Options:\n"
         "      --in DB            input gain in dB (-10..10)\n"
         "      --out DB           output gain in dB (-10..10)\n"
         "      --mix X            dry/wet mix (0..1)\n"
         "      --drive X          drive (0..1)\n"
         "      --bypass           bypass the effect\n"
         "      --demo             render the built-in demo signal (a few seconds of\n"
         "                         plucked notes) instead of INFILE\n"
         "  -t, --type TYPE        the output's container: wav, aiff, flac, w64, rf64, caf,\n"
         "                         au, ogg, opus, mp3, raw (needed when OUTFILE is \"-\")\n"
         "  -b, --bits N           the output's bits per sample: 8, 16, 24, 32 or 64\n"
         "  -e, --encoding ENC     signed-integer, unsigned-integer, floating-point, u-law,\n"
         "                         a-law, ima-adpcm, ms-adpcm, gsm-full-rate, vorbis, opus\n"
         "                         or mp3\n"
         "      --precision 32|64  sample size of the processing (default 32)\n"
         "      --block N          frames per process call, 1..65536 (default 512)\n"
         "      --load-state FILE  load a saved plug-in state before applying the options\n"
         "                         above\n"
         "      --save-state FILE  save the plug-in state after rendering\n"
         "      --list-params      print the parameters as the host sees them and exit\n"
         "      --plugin PATH      the Plushgrit.vst3 bundle to load (default: the one\n"
         "                         installed or built with this program, else ~/.vst3,\n"
         "                         /usr/local/lib/vst3, /usr/lib/vst3)\n"
         "      --force            replace OUTFILE if it is an existing file\n"
         "  -q, --quiet            no summary and no progress, only warnings and errors\n"
         "  -h, --help             this text\n"
         "      --version          the program's version and licence\n"
         "\n"
         "*Exit status*\n"
         "  0  the render is done\n"
         "  1  it failed: a file could not be read or written, the input was damaged or\n"
         "     cut short, the plug-in did not load; OUTFILE is as it was\n"
         "  2  the command line is wrong: the usage above\n"
         "\n"
         "Examples:\n"
         "  plushgrit-render --drive 0.6 --mix 0.8 guitar.wav guitar-driven.wav\n"
         "  plushgrit-render --in 4 -t flac -b 16 vocal.wav vocal-driven.flac\n"
         "  sox -q take.wav -t wav - | plushgrit-render --drive 0.4 - -t wav - | aplay\n"
         "  plushgrit-render --demo -e floating-point demo.wav\n";
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
    auto whole = [&](int& out, int lo, int hi) {
      std::string text;
      if (!value(text)) return false;
      if (!parseInt(text, out) || out < lo || out > hi)
      {
        error = "option " + arg + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
                ", not '" + text + "'";
        return false;
      }
      return true;
    };
    if (arg == "--in") { if (!number(o.inDb)) return false; }
    else if (arg == "--out") { if (!number(o.outDb)) return false; }
    else if (arg == "--mix") { if (!number(o.mix)) return false; }
    else if (arg == "--drive") { if (!number(o.drive)) return false; }
    else if (arg == "--bypass") o.bypass = true;
    else if (arg == "--demo") o.demo = true;
    else if (arg == "--force") o.force = true;
    else if (arg == "-q" || arg == "--quiet") o.quiet = true;
    else if (arg == "--list-params") o.listParams = true;
    else if (arg == "--help" || arg == "-h") o.help = true;
    else if (arg == "--version") o.version = true;
    else if (arg == "-t" || arg == "--type") { if (!value(o.type)) return false; }
    else if (arg == "-e" || arg == "--encoding") { if (!value(o.encoding)) return false; }
    else if (arg == "-b" || arg == "--bits") { if (!whole(o.bits, 1, 64)) return false; }
    else if (arg == "--plugin") { if (!value(o.pluginPath)) return false; }
    else if (arg == "--save-state") { if (!value(o.saveState)) return false; }
    else if (arg == "--load-state") { if (!value(o.loadState)) return false; }
    else if (arg == "--precision")
    {
      if (!whole(o.precision, 1, 1024)) return false;
      if (o.precision != 32 && o.precision != 64)
      {
        error = "--precision must be 32 or 64, not " + std::to_string(o.precision);
        return false;
      }
    }
    else if (arg == "--block") { if (!whole(o.blockSize, 1, 65536)) return false; }
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
  const size_t wanted = o.demo ? 1 : 2;
  if (positional.size() != wanted)
  {
    if (o.demo)
      error = positional.empty() ? "--demo needs an output file" : "--demo takes one file, the output";
    else
      error = positional.size() < 2 ? "an input and an output file are needed (or --demo and an output; see --help)"
                                    : "too many files given (see --help)";
    return false;
  }
  if (!o.demo) o.inputPath = positional[0];
  o.outputPath = positional.back();
  if (o.outputPath == "-" && o.type.empty())
  {
    error = "writing to standard output needs the container named with --type";
    return false;
  }
  return true;
}

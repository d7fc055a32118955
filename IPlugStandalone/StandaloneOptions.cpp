// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "StandaloneOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

bool ParseStandaloneOptions(int argc, char** argv, const std::string& program, StandaloneOptions& o, std::string& error)
{
  o.clientName = program;
  for (int i = 1; i < argc; ++i)
  {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc)
      {
        error = "option " + arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "-n" || arg == "--name") { if (!value(o.clientName)) return false; }
    else if (arg == "-s" || arg == "--server") { if (!value(o.serverName)) return false; }
    else if (arg == "--start-server") o.startServer = true;
    else if (arg == "-i" || arg == "--input" || arg == "-o" || arg == "--output")
    {
      if (!value(text)) return false;
      auto& ports = arg == "-i" || arg == "--input" ? o.inputs : o.outputs;
      if (ports.size() == 2)
      {
        error = "option " + arg + " may be given twice at most (left, then right)";
        return false;
      }
      ports.push_back(text);
    }
    else if (arg == "--system-input") o.systemInput = true;
    else if (arg == "--system-output") o.systemOutput = true;
    else if (arg == "--set")
    {
      if (!value(text)) return false;
      const size_t eq = text.find('=');
      char* end = nullptr;
      errno = 0;
      const double v = eq == std::string::npos ? 0.0 : strtod(text.c_str() + eq + 1, &end);
      if (eq == std::string::npos || eq == 0 || !end || *end || end == text.c_str() + eq + 1 || errno || !std::isfinite(v))
      {
        error = "--set takes NAME=VALUE with a number, not '" + text + "'";
        return false;
      }
      o.set.emplace_back(text.substr(0, eq), v);
    }
    else if (arg == "--load") { if (!value(o.load)) return false; }
    else if (arg == "--save") { if (!value(o.save)) return false; }
    else if (arg == "--no-gui") o.noGui = true;
    else if (arg == "-h" || arg == "--help") o.help = true;
    else if (arg == "--version") o.version = true;
    else
    {
      error = (arg.size() > 1 && arg[0] == '-' ? "unknown option " : "unexpected argument ") + arg + " (see --help)";
      return false;
    }
  }
  if (o.clientName.empty())
  {
    error = "the JACK client's name must not be empty";
    return false;
  }
  return true;
}

// help2man turns the headed paragraphs into the manual page's sections.
std::string StandaloneUsage(const std::string& program, const std::string& effect, const std::string& params)
{
  return "Usage: " + program + " [OPTION]...\n"
         "Plays audio through the " + effect + " effect live, without a DAW: a JACK client (of jackd,\n"
         "or of PipeWire when started with pw-jack) with two inputs and two outputs, and\n"
         "the plug-in's editor in a window of its own. Sample rate and block size are\n"
         "the server's and follow its changes. The settings are kept between runs.\n"
         "\n"
         "Options:\n"
         "  -n, --name NAME        the JACK client's name (default: " + program + ")\n"
         "  -s, --server NAME      the JACK server to use (default: the default server)\n"
         "      --start-server     start a JACK server when none runs (never by default)\n"
         "  -i, --input PORT       connect the inputs from PORT; given twice, the first\n"
         "                         feeds the left input and the second the right\n"
         "  -o, --output PORT      connect an output to PORT, the same way\n"
         "      --system-input     connect the inputs from the system's capture ports\n"
         "      --system-output    connect the outputs to the system's playback ports\n"
         "      --set NAME=VALUE   set a parameter in its own units (" + params + ");\n"
         "                         may be given more than once\n"
         "      --load FILE        load a program file (.fxp) at the start\n"
         "      --save FILE        save the settings as a program file (.fxp) at the end\n"
         "      --no-gui           no editor window: run until interrupted\n"
         "  -h, --help             this text\n"
         "      --version          the program's version and licence\n"
         "\n"
         "Connections: none are made unless asked for, so that a microphone never\n"
         "reaches the speakers unasked. --system-input with --system-output plays the\n"
         "sound card's input through the effect to its output: use headphones. Any JACK\n"
         "patchbay (qjackctl, Carla, Helvum on PipeWire) connects the ports as well.\n"
         "\n"
         "Settings: the values and the bypass are kept in\n"
         "$XDG_CONFIG_HOME/" + program + "/settings (~/.config/" + program + "/settings), read at the\n"
         "start (a damaged file is reported and the defaults are used) and written at\n"
         "the end; --load and then --set apply over them.\n"
         "\n"
         "*Exit status*\n"
         "  0  ended by closing its window, SIGINT or SIGTERM; the settings are saved\n"
         "  1  it failed: no JACK server runs, the server went away, the window could not\n"
         "     open, a file could not be read or written\n"
         "  2  the command line is wrong: the usage above\n"
         "\n"
         "Examples:\n"
         "  " + program + " --system-input --system-output\n"
         "  pw-jack " + program + " --input system:capture_1 --output system:playback_1\n"
         "  " + program + " --no-gui --set Drive=0.625 --set Mix=0.8 --input guitar:out\n";
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Command-line options of plushgrit-render, laid out as sox users expect:
// an input and an output ("-" for standard input and output), the built-in
// demo signal only when asked for (--demo), and the output's container, bit
// depth and encoding as options of their own.
#pragma once

#include <optional>
#include <string>

struct RenderOptions
{
  std::string inputPath;   // "-": standard input; empty with --demo
  std::string outputPath;  // "-": standard output
  std::string pluginPath;
  std::string saveState, loadState;
  std::optional<double> inDb, outDb, mix, drive;
  // The output's container (wav, flac, ...), bits and encoding, as named.
  std::string type, encoding;
  int bits = 0;
  bool demo = false;
  bool bypass = false;
  bool force = false;
  bool quiet = false;
  bool listParams = false;
  bool help = false;
  bool version = false;
  int precision = 32;
  int blockSize = 512;
};

// The exit statuses, as --help and the manual page give them.
enum RenderExit { kRenderDone = 0, kRenderFailed = 1, kRenderUsage = 2 };

// Parses argv; on a usage error returns false with a one-line message.
bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);
const char* RenderUsage();

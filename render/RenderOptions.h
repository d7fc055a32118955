// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Command-line options of plushgrit-render.
#pragma once

#include <optional>
#include <string>

struct RenderOptions
{
  std::string inputPath;   // empty: render the built-in demo signal
  std::string outputPath;  // required unless only listing parameters
  std::string pluginPath;
  std::string saveState, loadState;
  std::optional<double> inDb, outDb, mix, drive;
  bool bypass = false;
  bool force = false;
  bool listParams = false;
  bool help = false;
  bool version = false;
  int precision = 32;
  int blockSize = 512;
};

// Parses argv; on error returns false with a one-line message in error.
bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);

const char* RenderUsage();

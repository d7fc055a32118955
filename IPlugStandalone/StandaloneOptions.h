// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The standalone program's command line.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct StandaloneOptions
{
  std::string clientName, serverName;
  bool startServer = false;
  std::vector<std::string> inputs, outputs;  // ports to connect, left first
  bool systemInput = false, systemOutput = false;
  std::vector<std::pair<std::string, double>> set;  // parameter name, plain value
  std::string load, save;
  bool noGui = false;
  bool help = false, version = false;
};

enum StandaloneExit { kStandaloneDone = 0, kStandaloneFailed = 1, kStandaloneUsage = 2 };

// Parses argv; on a usage error returns false with a one-line message.
// program is the program's name (the default client name).
bool ParseStandaloneOptions(int argc, char** argv, const std::string& program, StandaloneOptions& options,
                            std::string& error);
// The --help text for program (the plug-in's name as effect).
std::string StandaloneUsage(const std::string& program, const std::string& effect, const std::string& params);

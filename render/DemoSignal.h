// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The built-in demo signal: a few seconds of plucked notes in stereo.
#pragma once

#include <vector>

// Interleaved stereo frames at sampleRate.
std::vector<double> MakeDemoSignal(int sampleRate, double seconds);

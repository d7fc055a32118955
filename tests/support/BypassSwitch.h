// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A bypass switch heard as a listener hears it: the largest step between
// neighbouring samples near the switch, against the largest step of the
// steady signals on either side (a click is a step far above those).
#pragma once

#include <cmath>
#include <vector>

// A 50 Hz sine at 48 kHz: low enough that a jump stands out of its slope.
inline std::vector<float> BypassTestSine(int frames, double amplitude)
{
  std::vector<float> x((size_t) frames);
  for (int n = 0; n < frames; ++n) x[(size_t) n] = (float) (amplitude * std::sin(2.0 * M_PI * 50.0 * n / 48000.0));
  return x;
}

// The largest |y[n] - y[n-1]| for n in [from, to).
inline double LargestStep(const std::vector<float>& y, int from, int to)
{
  double largest = 0.0;
  for (int n = from < 1 ? 1 : from; n < to && n < (int) y.size(); ++n)
    largest = std::fmax(largest, std::fabs((double) y[(size_t) n] - y[(size_t) n - 1]));
  return largest;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "DemoSignal.h"

#include <cmath>

std::vector<double> MakeDemoSignal(int sampleRate, double seconds)
{
  const long frames = (long) (sampleRate * seconds);
  std::vector<double> out((size_t) frames * 2, 0.0);
  // A short figure of plucked notes (A2, E3, A3, C4, E4), each a decaying
  // sum of harmonics, panned a little apart.
  const double notes[] = {110.0, 164.81, 220.0, 261.63, 329.63};
  const double spacing = 0.5;
  for (int k = 0; k * spacing < seconds; ++k)
  {
    const double f = notes[k % 5];
    const double pan = 0.5 + 0.3 * std::sin(k * 1.7);
    const long start = (long) (k * spacing * sampleRate);
    for (long i = start; i < frames; ++i)
    {
      const double t = (double) (i - start) / sampleRate;
      const double env = 0.45 * std::exp(-3.0 * t);
      if (env < 1e-4) break;
      double s = 0.0;
      for (int h = 1; h <= 4; ++h) s += std::sin(2.0 * M_PI * f * h * t) * std::exp(-1.5 * h * t) / h;
      out[(size_t) i * 2] += env * s * (1.0 - pan);
      out[(size_t) i * 2 + 1] += env * s * pan;
    }
  }
  return out;
}

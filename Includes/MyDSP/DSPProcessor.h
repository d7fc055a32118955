// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The drive effect's stateless signal functions.
#pragma once

#include "DriveExp.h"

class DSPProcessor
{
public:
  DSPProcessor() = delete;

  // x * 2^(dB / 6.014). The divisor 6.014 (not 20 log10 2) is part of the
  // sound: +10 dB is a factor of 3.16628.
  static double DecibelGain(double x, double dB) { return x * DriveExp2(dB / 6.014); }

  // (1 - mix) * a + b * mix: a dry, b wet, the two products added in order.
  static double MixAB(double a, double b, double mix) { return (1.0 - mix) * a + b * mix; }

  // (e^2x - 1) / (e^2x + 1) with one natural exponential. Where e^2x
  // overflows (x above about 354.9) the quotient would be NaN; it is 1, the
  // limit, so a loud sample saturates instead of poisoning the output. The
  // comparison is written as the vector minimum behaves (q, or 1 when q is
  // not below 1), so that the block forms agree to the bit.
  static double FastTanh(double x)
  {
    double t = DriveExp(x + x);
    double q = (t - 1.0) / (t + 1.0);
    return q < 1.0 ? q : 1.0;
  }
};

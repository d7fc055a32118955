// The drive effect's stateless signal functions.
#pragma once

#include <cmath>

class DSPProcessor
{
public:
  DSPProcessor() = delete;

  // x * 2^(dB / 6.014). The divisor 6.014 (not 20 log10 2) is part of the
  // sound: +10 dB is a factor of 3.16628.
  static double DecibelGain(double x, double dB) { return x * std::exp2(dB / 6.014); }

  // (1 - mix) * a + b * mix: a dry, b wet, the two products added in order.
  static double MixAB(double a, double b, double mix) { return (1.0 - mix) * a + b * mix; }

  // (e^2x - 1) / (e^2x + 1) with one natural exponential; NaN where e^2x
  // overflows (|x| above about 354.9).
  static double FastTanh(double x)
  {
    double t = std::exp(x + x);
    return (t - 1.0) / (t + 1.0);
  }
};

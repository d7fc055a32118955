// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The processing frame: block size and scratch buffers, attaching host
// buffers at 64 and 32 bits, conversion back, and the bypass pass-through.
#include <gtest/gtest.h>

#include <vector>

#include "TestPlug.h"

namespace
{
// Doubles every input sample of every channel, to see where data goes.
class Doubler : public TestPlug
{
public:
  using TestPlug::TestPlug;
  void ProcessDoubleReplacing(double** in, double** out, int n) override
  {
    for (int c = 0; c < NOutChannels(); ++c)
      for (int s = 0; s < n; ++s) out[c][s] = 2.0 * (c < NInChannels() ? in[c][s] : 0.0);
    lastIn0 = in[0];
    lastIn1 = NInChannels() > 1 ? in[1] : nullptr;
  }
  double* lastIn0 = nullptr;
  double* lastIn1 = nullptr;
};
}  // namespace

TEST(ProcessingFrame, DisconnectedChannelReadsItsClearedScratchBuffer)
{
  Doubler plug(0, "2-2");
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetInputChannelConnections(1, 1, false);
  plug.SetOutputChannelConnections(0, 2, true);

  std::vector<double> in0 = {1, 2, 3, 4}, out0(4), out1(4, 99);
  double* ins[] = {in0.data()};
  double* outs[] = {out0.data(), out1.data()};
  plug.AttachInputBuffers(0, 2, ins, 4);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0, 4);

  EXPECT_EQ(plug.lastIn0, in0.data());
  EXPECT_NE(plug.lastIn1, in0.data());
  EXPECT_EQ(out0, (std::vector<double>{2, 4, 6, 8}));
  EXPECT_EQ(out1, (std::vector<double>{0, 0, 0, 0}));
}

TEST(ProcessingFrame, SameBlockSizeKeepsScratchContents)
{
  Doubler plug(0, "1-1");
  plug.SetBlockSize(2);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 1, true);
  std::vector<float> in = {0.5f, 0.25f}, out(2);
  float* ins[] = {in.data()};
  float* outs[] = {out.data()};
  plug.AttachInputBuffers(0, 1, ins, 2);  // converted into the scratch buffer
  plug.SetBlockSize(2);                   // unchanged size: nothing cleared
  plug.AttachOutputBuffers(0, 1, outs);
  plug.ProcessBuffers(0.0f, 2);
  EXPECT_EQ(out, (std::vector<float>{1.0f, 0.5f}));
}

TEST(ProcessingFrame, SinglePrecisionRoundsToNearestAndAccumulates)
{
  class Third : public TestPlug
  {
  public:
    using TestPlug::TestPlug;
    void ProcessDoubleReplacing(double**, double** out, int n) override
    {
      for (int s = 0; s < n; ++s) out[0][s] = 1.0 / 3.0;
    }
  } plug(0, "1-1");
  plug.SetBlockSize(8);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 1, true);
  std::vector<float> in(3), out(3, 1.0f);
  float* ins[] = {in.data()};
  float* outs[] = {out.data()};
  plug.AttachInputBuffers(0, 1, ins, 3);
  plug.AttachOutputBuffers(0, 1, outs);
  plug.ProcessBuffersAccumulating(0.0f, 3);
  EXPECT_EQ(out[0], 1.0f + (float) (1.0 / 3.0));
  plug.ProcessBuffers(0.0f, 3);
  EXPECT_EQ(out[1], (float) (1.0 / 3.0));
}

TEST(ProcessingFrame, BaseProcessingCopiesAndZeroes)
{
  TestPlug plug(0, "1-2");
  plug.SetBlockSize(3);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<double> in = {1, 2, 3}, o0(3), o1(3, 7);
  double* ins[] = {in.data()};
  double* outs[] = {o0.data(), o1.data()};
  plug.AttachInputBuffers(0, 1, ins, 3);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.PassThroughBuffers(0.0, 3);  // latency 0: a copy
  EXPECT_EQ(o0, in);
  EXPECT_EQ(o1, (std::vector<double>{0, 0, 0}));

  std::vector<float> fin = {1, 2}, f0(2), f1(2, 5);
  float* fins[] = {fin.data()};
  float* fouts[] = {f0.data(), f1.data()};
  plug.ProcessSingleReplacing(fins, fouts, 2);
  EXPECT_EQ(f0, fin);
  EXPECT_EQ(f1, (std::vector<float>{0, 0}));
}

TEST(ProcessingFrame, BypassDelayLineCarriesAcrossBlocks)
{
  TestPlug plug(0, "1-1", 0, 3);
  plug.CreateDelay();
  plug.SetBlockSize(5);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 1, true);
  std::vector<double> in = {1, 2, 3, 4, 5}, out(5);
  double* ins[] = {in.data()};
  double* outs[] = {out.data()};
  plug.AttachInputBuffers(0, 1, ins, 5);
  plug.AttachOutputBuffers(0, 1, outs);
  plug.PassThroughBuffers(0.0, 5);
  EXPECT_EQ(out, (std::vector<double>{0, 0, 0, 1, 2}));
  std::vector<double> zeros(5);
  ins[0] = zeros.data();
  plug.AttachInputBuffers(0, 1, ins, 5);
  plug.PassThroughBuffers(0.0, 5);
  EXPECT_EQ(out, (std::vector<double>{3, 4, 5, 0, 0}));

  plug.SetLatency(0);  // no delay any more: a plain copy
  ins[0] = in.data();
  plug.AttachInputBuffers(0, 1, ins, 5);
  plug.PassThroughBuffers(0.0, 5);
  EXPECT_EQ(out, in);
}

TEST(ProcessingFrame, ZeroScratchBuffersSilencesDisconnectedInputs)
{
  Doubler plug(0, "2-2");
  plug.SetBlockSize(2);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> a = {1, 1}, b = {3, 3}, o0(2), o1(2);
  float* ins[] = {a.data(), b.data()};
  float* outs[] = {o0.data(), o1.data()};
  plug.AttachInputBuffers(0, 2, ins, 2);  // fills both scratch buffers
  plug.SetInputChannelConnections(1, 1, false);
  plug.ZeroScratchBuffers();
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 2);
  EXPECT_EQ(o1, (std::vector<float>{0, 0}));
}

TEST(ProcessingFrame, AChannelDisconnectedAfterA32BitBlockReadsSilence)
{
  Doubler plug(0, "2-2");
  plug.SetBlockSize(2);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> a = {1, 1}, b = {3, 3}, o0(2), o1(2);
  float* ins[] = {a.data(), b.data()};
  float* outs[] = {o0.data(), o1.data()};
  plug.AttachInputBuffers(0, 2, ins, 2);  // converts into both scratch buffers
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 2);
  EXPECT_EQ(o1, (std::vector<float>{6, 6}));

  // The host now supplies one channel: the other must not replay old samples.
  plug.SetInputChannelConnections(1, 1, false);
  plug.SetInputChannelConnections(1, 1, false);  // repeated each block: still silent
  plug.AttachInputBuffers(0, 2, ins, 2);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 2);
  EXPECT_EQ(o1, (std::vector<float>{0, 0}));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor's two threads: the audio thread processes blocks that automate
// all four parameters (which pushes values to the editor and rewrites its
// read-outs), while the user-interface thread finds dirty areas, draws and
// drags knobs. Under ThreadSanitizer any unguarded shared access is
// reported; the read-outs must always hold a whole text.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "HostObjects.h"
#include "IControl.h"
#include "IGraphicsHeadless.h"
#include "Plushgrit.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST(EditorThreads, AutomationWhileTheEditorDrawsAndTakesInput)
{
  UseHeadlessPlatform(true);
  IGraphicsHeadless::SetDefaultResourceFolder((std::string(PLUSHGRIT_BUNDLE) + "/Contents/Resources").c_str());
  auto* plug = new Plushgrit(IPlugInstanceInfo());
  IGraphicsHeadless::SetDefaultResourceFolder(nullptr);
  ASSERT_EQ(plug->initialize(nullptr), kResultOk);
  ProcessSetup setup{kRealtime, kSample64, 64, 48000.0};
  ASSERT_EQ(plug->setupProcessing(setup), kResultOk);
  plug->activateBus(kAudio, kInput, 0, true);
  plug->activateBus(kAudio, kOutput, 0, true);
  plug->setActive(true);
  IGraphics* graphics = plug->GetGUI();

  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    std::vector<double> l(64, 0.2), r(64, -0.2), ol(64), orr(64);
    double *ins[] = {l.data(), r.data()}, *outs[] = {ol.data(), orr.data()};
    AudioBusBuffers in, out;
    in.numChannels = out.numChannels = 2;
    in.channelBuffers64 = ins;
    out.channelBuffers64 = outs;
    vst3host::ParameterChanges changes;
    for (long i = 0; !stop.load(); ++i)
    {
      changes.Clear();
      for (int p = 0; p < 4; ++p) changes.Add(p, ((i + p * 3) % 11) / 10.0);
      ProcessData data;
      data.symbolicSampleSize = kSample64;
      data.numSamples = 64;
      data.numInputs = data.numOutputs = 1;
      data.inputs = &in;
      data.outputs = &out;
      data.inputParameterChanges = &changes;
      plug->process(data);
      blocks.fetch_add(1);
    }
  });

  IMouseMod mod(true);
  const int knobs[4][2] = {{55, 227}, {333, 227}, {190, 250}, {191, 119}};
  long torn = 0;
  for (int i = 0; i < 400 || blocks.load() < 300; ++i)
  {
    IRECT area;
    if (graphics->IsDirty(&area)) graphics->Draw(&area);
    const int* k = knobs[i % 4];
    graphics->OnMouseDown(k[0], k[1], &mod);
    graphics->OnMouseDrag(k[0], k[1] - 1 - i % 5, &mod);
    graphics->OnMouseUp(k[0], k[1] - 1 - i % 5, &mod);
    for (int t = 6; t < 9; ++t)
    {
      const char* text = static_cast<ITextControl*>(graphics->GetControl(t))->GetTextShown();
      const bool whole = t == 8 ? strstr(text, " | ") != nullptr : strstr(text, " dB") != nullptr;
      torn += !whole;
    }
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(torn, 0);
  plug->setActive(false);
  plug->terminate();
  plug->release();
}

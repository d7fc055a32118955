// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor's drawing costs, in microseconds: a full redraw of the 383 x 300
// editor into its off-screen bitmap at 1x, 1.5x and 2x (the argument is the
// scale in tenths; 2x may cost up to four times 1x, its pixels), the redraw after one knob moves (its
// rectangle and what lies under it), and IsDirty with nothing dirty, which
// the platform asks 25 times a second; and the first open at 1x to 3x.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "IGraphicsHeadless.h"
#include "Plushgrit.h"
#include "lice.h"

namespace
{
struct EditorUnderTest
{
  EditorUnderTest()
  {
    const std::string resources = std::string(PLUSHGRIT_BUNDLE) + "/Contents/Resources";
    UseHeadlessPlatform(true);
    IGraphicsHeadless::SetDefaultResourceFolder(resources.c_str());
    DC_SetFontFolder((resources + "/fonts").c_str());
    plug.reset(new Plushgrit(IPlugInstanceInfo()));
    graphics = plug->GetGUI();
    IRECT area;
    while (graphics->IsDirty(&area)) graphics->Draw(&area), area = IRECT();
  }
  std::unique_ptr<Plushgrit> plug;
  IGraphics* graphics;
};

void FullRedraw(benchmark::State& state)
{
  EditorUnderTest e;
  e.graphics->SetDrawScale((float) state.range(0) / 10.0f);
  IRECT all(0, 0, Plushgrit::kWidth, Plushgrit::kHeight);
  e.graphics->Draw(&all);  // the images at this scale are made once, not timed
  for (auto _ : state)
  {
    e.graphics->SetAllControlsDirty();
    e.graphics->Draw(&all);
  }
}
BENCHMARK(FullRedraw)->Arg(10)->Arg(15)->Arg(20)->Unit(benchmark::kMicrosecond);

void RedrawAfterOneKnobMove(benchmark::State& state)
{
  EditorUnderTest e;
  double v = 0.0;
  for (auto _ : state)
  {
    v = v > 0.9 ? 0.0 : v + 0.05;
    e.graphics->SetParameterFromPlug(Plushgrit::kDrive, v, true);
    IRECT area;
    e.graphics->IsDirty(&area);
    e.graphics->Draw(&area);
  }
}
BENCHMARK(RedrawAfterOneKnobMove)->Unit(benchmark::kMicrosecond);

void IdleIsDirty(benchmark::State& state)
{
  EditorUnderTest e;
  for (auto _ : state)
  {
    IRECT area;
    benchmark::DoNotOptimize(e.graphics->IsDirty(&area));
  }
}
BENCHMARK(IdleIsDirty)->Unit(benchmark::kMicrosecond);

// Opening the editor when no other editor is open: its images and fonts at
// the scale (in tenths) are decoded and made, then everything is drawn once;
// closing gives them back, so every iteration starts from nothing.
void FirstOpen(benchmark::State& state)
{
  EditorUnderTest e;
  e.graphics->CloseWindow();
  IRECT all(0, 0, Plushgrit::kWidth, Plushgrit::kHeight);
  for (auto _ : state)
  {
    e.graphics->SetDrawScale((float) state.range(0) / 10.0f);
    e.graphics->SetAllControlsDirty();
    e.graphics->Draw(&all);
    e.graphics->CloseWindow();
  }
}
BENCHMARK(FirstOpen)->Arg(10)->Arg(15)->Arg(20)->Arg(30)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();

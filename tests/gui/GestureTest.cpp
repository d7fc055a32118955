// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What the host hears from the editor: every change one begin, its values,
// one end; host values for a held control kept rather than lost; the host
// informed outside the framework mutex.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <sstream>

#include "GuiFixture.h"

namespace
{
// Whether every perform lies inside a begin/end pair of its own parameter
// and every bracket closes.
bool WellFormed(const std::string& edits)
{
  std::istringstream in(edits);
  std::string e;
  int open = -1;
  while (in >> e)
  {
    const int idx = std::stoi(e.substr(1));
    if (e[0] == 'b' && open >= 0) return false;
    if ((e[0] == 'p' || e[0] == 'e') && open != idx) return false;
    open = e[0] == 'b' ? idx : e[0] == 'e' ? -1 : open;
  }
  return open < 0;
}
}  // namespace

TEST(GestureShape, TheCheckerRefusesWhatHostsCannotRecord)
{
  EXPECT_TRUE(WellFormed("b0 p0 p0 e0 b1 e1 "));
  EXPECT_FALSE(WellFormed("p0 "));
  EXPECT_FALSE(WellFormed("b0 p0 "));
  EXPECT_FALSE(WellFormed("b0 p0 e0 e0 "));
  EXPECT_FALSE(WellFormed("b0 p1 e0 "));
}

TEST_F(Gui, DoubleClicksWheelNotchesAndPromptsAreEachOneBracket)
{
  auto* knob = new Knob(&plug, IRECT(0, 0, 40, 64), 0);
  graphics->AttachControl(knob);
  IMouseMod left(true);
  // A double click as a platform delivers it: press, release, double, release.
  graphics->OnMouseDown(20, 20, &left);
  graphics->OnMouseUp(20, 20, &left);
  graphics->OnMouseDblClick(20, 20, &left);
  graphics->OnMouseUp(20, 20, &left);
  EXPECT_EQ(plug.edits, "b0 e0 b0 p0 e0 ");
  plug.edits.clear();
  graphics->OnMouseWheel(20, 20, &left, 1);
  graphics->OnMouseWheel(20, 20, &left, -2);
  EXPECT_EQ(plug.edits, "b0 p0 e0 b0 p0 e0 ");
  // A notch while the same knob is held belongs to the open gesture.
  plug.edits.clear();
  graphics->OnMouseDown(20, 20, &left);
  graphics->OnMouseWheel(20, 20, &left, 1);
  graphics->OnMouseDrag(20, 10, &left);
  graphics->OnMouseUp(20, 10, &left);
  EXPECT_EQ(plug.edits, "b0 p0 p0 e0 ");
  // A typed value.
  plug.edits.clear();
  responder.type = "3";
  knob->DisablePrompt(false);
  knob->PromptUserInput();
  EXPECT_EQ(plug.edits, "b0 p0 e0 ");
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), -3.0);  // the display is negated
  // A press whose release never came is closed before the next one.
  plug.edits.clear();
  graphics->OnMouseDown(20, 20, &left);
  graphics->OnMouseDrag(20, 10, &left);
  graphics->OnMouseDown(20, 20, &left);
  graphics->OnMouseUp(20, 20, &left);
  EXPECT_TRUE(WellFormed(plug.edits)) << plug.edits;
}

TEST_F(Gui, AHostValueForTheHeldKnobWaitsForTheRelease)
{
  auto* knob = new Knob(&plug, IRECT(0, 0, 40, 64), 0);
  graphics->AttachControl(knob);
  graphics->SetParameterFromPlug(0, 0.5, true);
  graphics->ApplyParameterValues();
  IMouseMod left(true);
  graphics->OnMouseDown(20, 40, &left);
  graphics->OnMouseDrag(20, 32, &left);  // +1/32
  // The host moves the parameter while the user holds the knob: the knob
  // stays under the pointer...
  graphics->SetParameterFromPlug(0, 0.9, true);
  IRECT area;
  graphics->IsDirty(&area);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5 + 1.0 / 32.0);
  graphics->OnMouseUp(20, 32, &left);
  // ...and shows the host's value once released, so the next notch starts there.
  graphics->IsDirty(&area);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.9);
  graphics->OnMouseWheel(20, 20, &left, 1);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->GetNormalized(), 0.91);

  // A host value that came before the user's latest move is superseded by it.
  graphics->OnMouseDown(20, 40, &left);
  graphics->SetParameterFromPlug(0, 0.2, true);
  graphics->OnMouseDrag(20, 32, &left);
  graphics->OnMouseUp(20, 32, &left);
  graphics->IsDirty(&area);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.91 + 1.0 / 32.0);
}

TEST_F(Gui, ADoubleClickResetsToTheParametersDefaultAfterAProjectLoad)
{
  // The host restores a project (+8 dB) before the editor first draws.
  plug.GetParam(0)->Set(8.0);
  auto* knob = new Knob(&plug, IRECT(0, 0, 40, 64), 0);
  graphics->AttachControl(knob);
  plug.RedrawParamControls();
  IRECT area;
  graphics->IsDirty(&area);
  ASSERT_DOUBLE_EQ(knob->GetValue(), 0.9);
  IMouseMod left(true);
  graphics->OnMouseDblClick(20, 20, &left);
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.0);
}

TEST_F(Gui, TheHostIsInformedWithTheFrameworkMutexReleased)
{
  auto* knob = new Knob(&plug, IRECT(0, 0, 40, 64), 0);
  graphics->AttachControl(knob);
  int informed = 0, heldElsewhere = 0;
  plug.onInform = [&] {
    ++informed;
    // Another thread (the audio thread) must be able to take it now.
    auto other = std::async(std::launch::async, [&] {
      if (!plug.GetMutex()->TryEnter()) return true;
      plug.GetMutex()->Leave();
      return false;
    });
    heldElsewhere += other.get();
  };
  IMouseMod left(true);
  graphics->OnMouseDown(20, 40, &left);
  graphics->OnMouseDrag(20, 30, &left);
  graphics->OnMouseUp(20, 30, &left);
  EXPECT_EQ(informed, 1);
  EXPECT_EQ(heldElsewhere, 0);
}

// Not gestures, but what the editor meets before its first gesture: images
// from a damaged install are refused or missed with one line each.
TEST_F(Gui, OversizedAndMissingImagesAreNamedOnceAndShowEmpty)
{
  const std::string dir = testing::TempDir() + "images-" + std::to_string(getpid());
  ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
  // A PNG header declaring 16384 x 16384 pixels: refused before decoding.
  const unsigned char header[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                  0, 0, 0x40, 0, 0, 0, 0x40, 0, 8, 6, 0, 0, 0, 0, 0, 0, 0};
  FILE* f = fopen((dir + "/huge.png").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(header, 1, sizeof(header), f);
  fclose(f);
  graphics->SetResourceFolder(dir.c_str());
  testing::internal::CaptureStderr();
  const IBitmap huge = graphics->LoadIBitmap(90001, "huge.png");
  const IBitmap missing = graphics->LoadIBitmap(90002, "missing.png");
  graphics->LoadIBitmap(90003, "missing.png");
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(huge.width, 1);
  EXPECT_EQ(missing.width, 1);
  EXPECT_NE(said.find("huge.png is refused: 16384 x 16384 pixels"), std::string::npos) << said;
  const size_t first = said.find("missing.png");
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find("missing.png", first + 1), std::string::npos) << "said twice:\n" << said;
}

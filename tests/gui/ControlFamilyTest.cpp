// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The rest of the control family: the value each gesture gives at known
// positions, what each draws (frames and handles found by their colours),
// and the begin/end-edit bracket around their gestures.
#include "GuiFixture.h"
#include "IControlFamily.h"

namespace
{
// An image of n frames of w x h, frame f filled with red = f + 1.
IBitmap Frames(int n, int w = 10, int h = 10, bool horizontal = false)
{
  auto* bm = new LICE_MemBitmap(horizontal ? w * n : w, horizontal ? h : h * n);
  for (int f = 0; f < n; ++f)
    LICE_FillRect(bm, horizontal ? f * w : 0, horizontal ? 0 : f * h, w, h, LICE_RGBA((unsigned) f + 1, 0, 0, 255));
  return IBitmap(bm, bm->getWidth(), bm->getHeight(), n, horizontal);
}

struct Family : Gui
{
  ~Family() override
  {
    for (IBitmap& b : images) delete b.data;
  }
  IBitmap Image(int n, int w = 10, int h = 10, bool horizontal = false)
  {
    images.push_back(Frames(n, w, h, horizontal));
    return images.back();
  }
  void DrawAll()
  {
    IRECT all(0, 0, 100, 80);
    graphics->SetAllControlsDirty();
    graphics->Draw(&all);
  }
  int Red(int x, int y) { return graphics->GetPoint(x, y).red; }
  std::vector<IBitmap> images;
};
}  // namespace

TEST_F(Family, SwitchesStepWrapAndDrawTheirFrame)
{
  IBitmap three = Image(3), one = Image(1);
  auto* sw = new ISwitchControl(&plug, 0, 0, 1, &three);
  auto* single = new ISwitchControl(&plug, 20, 0, 2, &one);
  graphics->AttachControl(sw);
  graphics->AttachControl(single);
  IMouseMod left(true), right(false, true);
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i)
  {
    graphics->OnMouseDown(5, 5, i == 2 ? &right : &left);  // a right press steps too
    graphics->OnMouseUp(5, 5, &left);
    seen.push_back(sw->GetValue());
  }
  EXPECT_EQ(seen, (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
  DrawAll();
  EXPECT_EQ(Red(5, 5), 2);  // value 0.5: the middle frame
  EXPECT_EQ(plug.begins.size(), 4u);
  EXPECT_EQ(plug.ends.size(), 4u);
  for (double want : {1.0, 0.0, 1.0})
  {
    graphics->OnMouseDown(25, 5, &left);
    EXPECT_EQ(single->GetValue(), want);
  }
}

TEST_F(Family, FramesRadioButtonsAndGroupsOfOne)
{
  IBitmap three = Image(3, 10, 10, true), onlyOne = Image(1), buttons = Image(2, 10, 20);
  auto* frames = new ISwitchFramesControl(&plug, 0, 0, 1, &three, true);  // 30 x 10: three 10-pixel rects
  auto* lone = new ISwitchFramesControl(&plug, 0, 20, 2, &onlyOne);
  // Three 20-pixel buttons in 80 pixels, reversed: 0 at the bottom, 10 apart.
  auto* radio = new IRadioButtonsControl(&plug, IRECT(50, 0, 60, 80), 1, 3, &buttons, kVertical, true);
  auto* single = new IRadioButtonsControl(&plug, IRECT(70, 0, 80, 80), 2, 1, &buttons);
  for (IControl* c : std::vector<IControl*>{frames, lone, radio, single}) graphics->AttachControl(c);
  IMouseMod left(true);

  graphics->OnMouseDown(14, 1, &left);  // the second rectangle (3 high: height / frames)
  EXPECT_EQ(frames->GetValue(), 0.5);
  graphics->OnMouseDown(5, 25, &left);  // one frame: value 0, not 0 / 0
  EXPECT_EQ(lone->GetValue(), 0.0);

  EXPECT_EQ(*radio->GetButtonRect(0), IRECT(50, 60, 60, 80));
  EXPECT_EQ(*radio->GetButtonRect(1), IRECT(50, 30, 60, 50));
  EXPECT_EQ(*radio->GetButtonRect(2), IRECT(50, 0, 60, 20));
  graphics->OnMouseDown(55, 40, &left);
  EXPECT_EQ(radio->GetValue(), 0.5);
  graphics->OnMouseDown(75, 5, &left);
  EXPECT_EQ(single->GetValue(), 0.0);
  DrawAll();
  EXPECT_EQ(Red(55, 40), 2);  // the active middle button shows its second frame
  EXPECT_EQ(Red(55, 70), 1);
  EXPECT_EQ(Red(75, 5), 2);  // a single button is always the active one
}

TEST_F(Family, FadersSnapToThePointerAndDrawTheirHandle)
{
  IBitmap handle = Image(1, 10, 20);
  auto* fader = new IFaderControl(&plug, 10, 0, 100 - 20, 3, &handle);  // 80 long, 20-pixel handle: 60 of travel
  graphics->AttachControl(fader);
  EXPECT_EQ(*fader->GetRECT(), IRECT(10, 0, 20, 80));
  IMouseMod left(true);
  graphics->OnMouseDown(15, 10, &left);  // handle centred on the pointer: the top
  EXPECT_EQ(fader->GetValue(), 1.0);
  graphics->OnMouseDrag(15, 70, &left);  // the bottom
  EXPECT_EQ(fader->GetValue(), 0.0);
  graphics->OnMouseDrag(15, 40, &left);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.5);
  graphics->OnMouseDrag(15, 500, &left);  // far outside: clamped
  EXPECT_EQ(fader->GetValue(), 0.0);
  graphics->OnMouseUp(15, 500, &left);
  graphics->OnMouseDown(15, 40, &left);
  graphics->OnMouseUp(15, 40, &left);
  EXPECT_EQ(fader->GetHandleRECT(), IRECT(10, 30, 20, 50));
  DrawAll();
  EXPECT_EQ(Red(15, 31), 1);
  EXPECT_NE(Red(15, 29), 1);
  EXPECT_EQ(plug.begins, (std::vector<int>{3, 3}));

  auto* picky = new IFaderControl(&plug, 40, 0, 80, 2, &handle, kVertical, true);
  graphics->AttachControl(picky);
  EXPECT_EQ(graphics->GetMouseControlIdx(45, 5), -1);  // only the handle takes presses
}

TEST_F(Family, ContactsInvisibleSwitchesOverlaysAndCaptions)
{
  IBitmap two = Image(2);
  auto* contact = new IContactControl(&plug, 0, 0, 1, &two);
  auto* invisible = new IInvisibleSwitchControl(&plug, IRECT(20, 0, 30, 10), 2);
  auto* overlay = new IBitmapOverlayControl(&plug, 40, 0, 3, &two, IRECT(40, 0, 45, 5));
  IText style(12, COLOR_BLACK, "Tahoma");
  auto* caption = new ICaptionControl(&plug, IRECT(0, 40, 100, 60), 0, &style);
  for (IControl* c : std::vector<IControl*>{contact, invisible, overlay, caption}) graphics->AttachControl(c);
  IMouseMod left(true);

  graphics->OnMouseDown(5, 5, &left);
  EXPECT_EQ(contact->GetValue(), 1.0);
  graphics->OnMouseUp(5, 5, &left);  // a momentary button
  EXPECT_EQ(contact->GetValue(), 0.0);
  graphics->OnMouseDown(25, 5, &left);
  EXPECT_EQ(invisible->GetValue(), 1.0);
  graphics->OnMouseDown(25, 5, &left);
  EXPECT_EQ(invisible->GetValue(), 0.0);
  graphics->OnMouseUp(25, 5, &left);

  DrawAll();  // the overlay at 0 takes presses only in its off area
  EXPECT_EQ(graphics->GetMouseControlIdx(48, 8), -1);
  EXPECT_EQ(graphics->GetMouseControlIdx(42, 2), 2);

  plug.GetParam(0)->Set(-2.5);
  DrawAll();
  EXPECT_STREQ(caption->GetTextShown(), "2.5 dB");  // this parameter's display is negated
}

TEST_F(Family, FileSelectorsAskThePlatformAndReportOneRedraw)
{
  IBitmap look = Image(1);
  auto* selector = new IFileSelectorControl(&plug, IRECT(0, 0, 10, 10), 1, &look, kFileOpen, "/tmp", "wav aif");
  graphics->AttachControl(selector);
  IRECT area;
  while (graphics->IsDirty(&area)) graphics->Draw(&area), area = IRECT();

  responder.chosenFile = "/tmp/take 1.wav";
  IMouseMod left(true);
  graphics->OnMouseDown(5, 5, &left);
  WDL_String chosen;
  selector->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "/tmp/take 1.wav");
  EXPECT_EQ(selector->GetValue(), 1.0);
  EXPECT_EQ(selector->GetState(), IFileSelectorControl::kFSDone);
  while (graphics->IsDirty(&area)) graphics->Draw(&area), area = IRECT();
  EXPECT_EQ(selector->GetState(), IFileSelectorControl::kFSNone);  // reported dirty once, then done

  responder.chosenFile.clear();  // cancelled: the value still alternates
  graphics->OnMouseDown(5, 5, &left);
  EXPECT_EQ(selector->GetValue(), 0.0);
  selector->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "");
}

TEST_F(Family, LineAndRotatingKnobsDrawAtTheirAngle)
{
  const IColor white(255, 255, 255, 255);
  auto* line = new IKnobLineControl(&plug, IRECT(0, 0, 40, 40), 1, &white, 4.0, 0.0);
  graphics->AttachControl(line);
  graphics->SetParameterFromPlug(1, 0.5, true);  // halfway: angle 0, straight up
  graphics->ApplyParameterValues();
  DrawAll();
  EXPECT_EQ(graphics->GetPoint(20, 5), white);
  EXPECT_NE(graphics->GetPoint(30, 20), white);

  // At angle 0 a rotater shows its image unturned.
  IBitmap img = Image(1, 16, 16);
  auto* rotater = new IKnobRotaterControl(&plug, 50, 10, 2, &img, 0.0, 1.0);
  graphics->AttachControl(rotater);
  DrawAll();
  for (int y = 10; y < 26; ++y)
    for (int x = 50; x < 66; ++x) ASSERT_EQ(Red(x, y), 1) << x << "," << y;
}

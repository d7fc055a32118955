// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The GUI framework on its own: rectangles, the dirty and redraw protocol,
// strict and non-strict drawing, knob gestures, the input dispatch with its
// begin/end-edit bracketing, value prompts, popup menus, bitmap text and
// the image cache. A recording plug-in base and the headless platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiFixture.h"
#include "IBitmapMonoText.h"
#include "IControl.h"
#include "IGraphicsCaches.h"
#include "IGraphicsHeadless.h"
#include "IPopupMenu.h"
#include "TestPlug.h"
#include "lice.h"


TEST(Rects, EdgesTouchingIntersectAndOnlyAllZeroIsEmpty)
{
  const IRECT a(10, 10, 20, 20);
  EXPECT_TRUE(a.Intersects(IRECT(20, 12, 30, 14)));   // touches the right edge
  EXPECT_TRUE(a.Intersects(IRECT(12, 20, 14, 30)));   // touches the bottom edge
  EXPECT_FALSE(a.Intersects(IRECT(0, 12, 10, 14)));   // touches the left edge only
  EXPECT_FALSE(a.Intersects(IRECT()));
  EXPECT_FALSE(IRECT(5, 5, 5, 5).IsEmpty());
  EXPECT_FALSE(IRECT(5, 5, 5, 5).Contains(5, 5));
  EXPECT_EQ(a.Union(IRECT(30, 5, 40, 15)), IRECT(10, 5, 40, 20));
  EXPECT_EQ(IRECT().Union(a), a);
  EXPECT_EQ(a.Intersect(IRECT(15, 0, 50, 12)), IRECT(15, 10, 20, 12));
  EXPECT_EQ(a.Intersect(IRECT(50, 50, 60, 60)), IRECT());
}

TEST_F(Gui, AValueChangeKeepsAControlDirtyForExactlyTwoPasses)
{
  auto* knob = new Knob(&plug, IRECT(10, 10, 30, 30), 0);
  graphics->AttachControl(knob);
  IRECT area;
  ASSERT_TRUE(graphics->IsDirty(&area));  // new controls are dirty
  graphics->Draw(&area);
  area = IRECT();
  EXPECT_FALSE(graphics->IsDirty(&area));
  EXPECT_EQ(area, IRECT());

  graphics->SetParameterFromPlug(0, 0.75, true);  // first value: the default, no redraw
  EXPECT_FALSE(graphics->IsDirty(&area));
  EXPECT_EQ(knob->GetDefaultValue(), 0.75);
  graphics->SetParameterFromPlug(0, 2.0, false);  // plain 2 dB
  for (int pass = 0; pass < 2; ++pass)
  {
    area = IRECT();
    ASSERT_TRUE(graphics->IsDirty(&area)) << pass;
    EXPECT_EQ(area, IRECT(10, 10, 30, 30));
    graphics->Draw(&area);
  }
  area = IRECT();
  EXPECT_FALSE(graphics->IsDirty(&area));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.6);
  graphics->SetParameterFromPlug(0, 0.6, true);  // the value it holds: stays clean
  EXPECT_FALSE(graphics->IsDirty(&area));
}

// Edges count one way: a rectangle meets another whose left edge touches
// its right edge (right >= left), not one that ends where it starts. The
// strict pass asks the area, the non-strict pass asks each control.
TEST_F(Gui, StrictAndNonStrictPasses)
{
  auto* background = new Probe(&plug, IRECT(0, 0, 100, 80));
  auto* a = new Probe(&plug, IRECT(10, 10, 20, 20));
  auto* right = new Probe(&plug, IRECT(20, 10, 30, 20));  // starts at a's right edge
  auto* left = new Probe(&plug, IRECT(0, 10, 10, 20));    // ends at a's left edge
  auto* hidden = new Probe(&plug, IRECT(12, 12, 18, 18));
  auto* far = new Probe(&plug, IRECT(60, 60, 70, 70));
  const std::vector<Probe*> all = {background, a, right, left, hidden, far};
  for (Probe* p : all) graphics->AttachControl(p);
  hidden->Hide(true);

  IRECT area(10, 10, 20, 20);
  graphics->Draw(&area);  // strict: what the area meets; every control cleaned
  EXPECT_EQ(background->draws, 1);
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(right->draws, 1);
  EXPECT_EQ(left->draws, 0);
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_EQ(far->draws, 0);
  for (Probe* p : all) EXPECT_EQ(p->cleans, 1);

  graphics->SetStrictDrawing(false);  // every control dirty again
  area = IRECT(0, 0, 100, 80);
  graphics->Draw(&area);  // dirty background: every visible control once
  for (Probe* p : all) EXPECT_EQ(p->draws, p == hidden ? 0 : (p == left || p == far ? 1 : 2));

  IRECT dirtyNow;
  while (graphics->IsDirty(&dirtyNow)) graphics->Draw(&dirtyNow);
  for (Probe* p : all) p->draws = 0;
  a->SetDirty(false);
  area = *a->GetRECT();
  graphics->Draw(&area);  // a's rectangle: a and the controls that meet it
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(background->draws, 1);
  EXPECT_EQ(left->draws, 1);
  EXPECT_EQ(right->draws, 0);
  EXPECT_EQ(far->draws, 0);
  EXPECT_EQ(hidden->draws, 0);
}

TEST_F(Gui, KnobGesturesGearingWheelAndDoubleClick)
{
  auto* knob = new Knob(&plug, IRECT(0, 0, 40, 64), 0);
  graphics->AttachControl(knob);
  graphics->SetParameterFromPlug(0, 0.3, true);
  graphics->ApplyParameterValues();
  IMouseMod plain(true), fine(true, false, true);

  graphics->OnMouseDown(20, 40, &plain);
  graphics->OnMouseDrag(20, 8, &plain);  // up 32 of 64 pixels at gearing 4: +1/8
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.3 + 0.125);
  graphics->OnMouseDrag(20, 8, &plain);  // no movement: nothing
  graphics->OnMouseDrag(20, -24, &fine);  // with Shift: +1/80
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.3 + 0.125 + 0.0125);
  graphics->OnMouseDrag(20, -1000, &plain);  // beyond the top: clamped, the excess lost
  EXPECT_EQ(knob->GetValue(), 1.0);
  graphics->OnMouseDrag(20, -994, &plain);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0 - 6.0 / 256.0);
  graphics->OnMouseUp(20, -994, &plain);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->GetNormalized(), knob->GetValue());

  graphics->OnMouseWheel(20, 20, &plain, 1);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0 - 6.0 / 256.0 + 0.01);
  graphics->OnMouseWheel(20, 20, &fine, -3);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0 - 6.0 / 256.0 + 0.01 - 0.003);

  // A double click goes to the parameter's default (0 dB of -10..10), not
  // to the first value the plug-in pushed (a loaded project's).
  plug.informs.clear();
  EXPECT_FALSE(graphics->OnMouseDblClick(20, 20, &plain));
  EXPECT_EQ(knob->GetValue(), 0.5);
  ASSERT_EQ(plug.informs.size(), 1u);
  EXPECT_EQ(plug.informs[0].value, 0.5);
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.0);
}

TEST_F(Gui, PressesAreCapturedAndBracketedWithBeginAndEndEdit)
{
  auto* knob = new Knob(&plug, IRECT(0, 0, 40, 40), 3);
  auto* free = new Probe(&plug, IRECT(50, 0, 90, 40));
  graphics->AttachControl(knob);
  graphics->AttachControl(free);
  IMouseMod mod(true);

  graphics->OnMouseDown(10, 10, &mod);
  EXPECT_EQ(graphics->GetMouseCapture(), 0);
  graphics->OnMouseDrag(60, 0, &mod);  // still the knob: it holds the gesture
  graphics->OnMouseUp(60, 0, &mod);    // released over the other control
  EXPECT_EQ(graphics->GetMouseCapture(), -1);
  EXPECT_EQ(plug.begins, std::vector<int>{3});
  EXPECT_EQ(plug.ends, std::vector<int>{3});
  ASSERT_EQ(plug.informs.size(), 1u);
  EXPECT_EQ(plug.informs[0].idx, 3);

  graphics->OnMouseDown(60, 10, &mod);  // no parameter: no bracket
  graphics->OnMouseUp(60, 10, &mod);
  EXPECT_EQ(plug.begins.size(), 1u);
  EXPECT_EQ(plug.ends.size(), 1u);

  // Grayed controls let presses through to what lies below.
  auto* cover = new Probe(&plug, IRECT(0, 0, 40, 40), 1);
  graphics->AttachControl(cover);
  cover->GrayOut(true);
  EXPECT_EQ(cover->GetBlend()->weight, 0.25f);
  EXPECT_EQ(graphics->GetMouseControlIdx(10, 10), 0);
}

TEST_F(GuiVST3, RightClickOnABoundControlGoesToTheHostMenu)
{
  auto* knob = new Knob(&plug, IRECT(0, 0, 40, 40), 2);
  graphics->AttachControl(knob);
  IMouseMod right(false, true);
  graphics->OnMouseDown(5, 5, &right);
  EXPECT_EQ(plug.contextMenus, std::vector<int>{2});
  EXPECT_TRUE(plug.begins.empty());
  EXPECT_EQ(graphics->GetMouseCapture(), -1);
}

TEST_F(Gui, KeysGoToTheControlUnderThePointerElseTheCatcher)
{
  auto* background = new Probe(&plug, IRECT(0, 0, 100, 80));
  auto* other = new Probe(&plug, IRECT(10, 10, 20, 20));
  auto* catcher = new Probe(&plug, IRECT());
  graphics->AttachControl(background);
  graphics->AttachControl(other);
  graphics->AttachKeyCatcher(catcher);
  EXPECT_FALSE(graphics->OnKeyDown(50, 50, 'a'));  // over the background: the catcher
  EXPECT_FALSE(graphics->OnKeyDown(15, 15, 'b'));  // over the other control: it, even declining
  EXPECT_EQ(catcher->keys, std::vector<int>{'a'});
  EXPECT_EQ(other->keys, std::vector<int>{'b'});
  EXPECT_TRUE(background->keys.empty());

  IMouseMod mod;
  EXPECT_FALSE(graphics->OnMouseOver(15, 15, &mod));  // mouse-over handling is off
}

TEST_F(Gui, ValuePromptsPopupForListsAndTextForNumbers)
{
  auto* mode = new Knob(&plug, IRECT(0, 0, 40, 40), 1);
  auto* gain = new Knob(&plug, IRECT(50, 0, 90, 40), 0);
  graphics->AttachControl(mode);
  graphics->AttachControl(gain);
  mode->DisablePrompt(false);
  gain->DisablePrompt(false);
  IMouseMod right(false, true);

  responder.choose = 2;
  graphics->OnMouseDown(5, 5, &right);  // the standalone API: the control's own prompt
  EXPECT_EQ(responder.shown, (std::vector<std::string>{"soft", "*hard", "fold"}));
  EXPECT_EQ(mode->GetValue(), 1.0);
  EXPECT_EQ(plug.GetParam(1)->Int(), 2);
  responder.choose = -1;  // dismissed: nothing changes
  graphics->OnMouseDown(5, 5, &right);
  EXPECT_EQ(plug.GetParam(1)->Int(), 2);

  // A number: a text entry with the number without display texts; the
  // answer is negated back for a parameter whose display is negated.
  plug.GetParam(0)->Set(2.5);
  responder.type = "4.2 dB";
  graphics->OnMouseDown(60, 5, &right);
  EXPECT_EQ(responder.entryInitial, "-2.5");
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), -4.2);
  graphics->SetFromStringAfterPrompt(gain, nullptr, "1");  // no parameter: nothing
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), -4.2);

  // Prompts are off by default.
  auto* quiet = new Knob(&plug, IRECT(0, 50, 40, 80), 3);
  graphics->AttachControl(quiet);
  responder.type = "7";
  graphics->OnMouseDown(5, 60, &right);
  EXPECT_EQ(plug.GetParam(3)->Int(), 2);
}

TEST(PopupMenus, ItemsPrefixesAndChecks)
{
  IPopupMenu menu;
  menu.AddItem("a");
  menu.AddItem("b");
  menu.AddItem("end", 5);   // past the end: appended
  menu.AddItem("front", -3);  // before the start: inserted at the front
  EXPECT_STREQ(menu.GetItemText(0), "front");
  EXPECT_STREQ(menu.GetItemText(3), "end");
  EXPECT_STREQ(menu.GetItemText(9), "");
  menu.SetPrefix(2);
  menu.SetPrefix(4);
  menu.SetPrefix(-1);
  EXPECT_EQ(menu.GetPrefix(), 2);
  WDL_String shown;
  menu.GetDisplayText(2, &shown);
  EXPECT_STREQ(shown.Get(), "03: b");
  menu.CheckItemAlone(1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(menu.IsItemChecked(i), i == 1);
  EXPECT_FALSE(menu.CheckItem(7, true));
  EXPECT_FALSE(menu.IsItemChecked(7));
  EXPECT_TRUE(menu.AddSeparator()->GetIsSeparator());
}

TEST_F(Gui, BitmapTextFramesAndImageCache)
{
  // A font strip of 96 frames 8 x 12, each frame filled with its number.
  auto* strip = new LICE_MemBitmap(8, 12 * 96);
  for (int f = 0; f < 96; ++f) LICE_FillRect(strip, 0, 12 * f, 8, 12, LICE_RGBA(f + 1, 0, 0, 255));
  IBitmap font(strip, 8, 12 * 96, 96);
  graphics->RetainBitmap(&font);
  graphics->AttachControl(new Probe(&plug, IRECT(0, 0, 100, 80)));
  IRECT all(0, 0, 100, 80);
  graphics->Draw(&all);  // sets the draw rectangle to the whole editor
  IText style;
  style.align = IText::kAlignNear;
  IRECT r(10, 0, 100, 12);
  DrawBitmapedText(graphics, &font, &r, &style, nullptr, "AB", false, false, 8, 12, 0);
  EXPECT_EQ(graphics->GetPoint(10, 0).red, 34);  // A is frame 34
  EXPECT_EQ(graphics->GetPoint(17, 11).red, 34);
  EXPECT_EQ(graphics->GetPoint(18, 0).red, 35);
  const size_t kept = s_bitmapCache.mKept.size();
  graphics->ReleaseBitmap(&font);  // out of the cache and freed (the sanitizer tree sees a double free)
  EXPECT_EQ(s_bitmapCache.mKept.size(), kept - 1);

  // Frame offsets of a 21-frame strip 64 high per frame: frame 11 from y 640.
  auto* knob = new LICE_MemBitmap(4, 64 * 21);
  for (int f = 0; f < 21; ++f) LICE_FillRect(knob, 0, 64 * f, 4, 64, LICE_RGBA(f, 0, 0, 255));
  IBitmap strip21(knob, 4, 64 * 21, 21);
  IRECT dest(0, 0, 4, 64);
  for (int frame : {1, 11, 21})
  {
    graphics->DrawBitmap(&strip21, &dest, frame);
    EXPECT_EQ(graphics->GetPoint(0, 0).red, frame - 1);
  }
  delete knob;
}

TEST_F(Gui, ImagesAreCachedByIdAndMissingOnesTakeNoRoom)
{
  graphics->SetResourceFolder(testing::TempDir().c_str());
  LICE_MemBitmap pic(3, 2);
  LICE_Clear(&pic, 0xFFFFFFFF);
  ASSERT_TRUE(LICE_WritePNG((testing::TempDir() + "gui_pic.png").c_str(), &pic));
  IBitmap a = graphics->LoadIBitmap(7701, "resources/img/gui_pic.png");
  IBitmap b = graphics->LoadIBitmap(7701, "some/other.png");  // the id decides
  EXPECT_EQ(a.width, 3);
  EXPECT_EQ(b.width, 3);
  EXPECT_EQ(b.id, 7701);

  IBitmap missing = graphics->LoadIBitmap(7702, "nowhere.png", 21);
  EXPECT_EQ(missing.width, 1);
  EXPECT_EQ(missing.FrameHeight(), 1);
  auto* knob = new IKnobMultiControl(&plug, 5, 5, 0, &missing);
  graphics->AttachControl(knob);
  IRECT all(0, 0, 100, 80);
  const IColor before = graphics->GetPoint(5, 5);
  graphics->Draw(&all);
  EXPECT_EQ(graphics->GetPoint(5, 5), before);  // transparent: nothing drawn
}

// Loading an image reads its size only; an editor decodes it when it first
// draws it, shares it with every other editor drawing it at that scale, and
// the last editor to close (or to change its scale) frees it.
TEST_F(Gui, ImagesAreDecodedWhenDrawnSharedAndFreedByTheLastEditor)
{
  const std::string dir = testing::TempDir();
  LICE_MemBitmap pic(4, 4);
  LICE_Clear(&pic, LICE_RGBA(200, 0, 0, 255));
  ASSERT_TRUE(LICE_WritePNG((dir + "gui_shared.png").c_str(), &pic));
  const int before = s_bitmapCache.CountHeld(), fontsBefore = s_fontCache.CountHeld();

  TestPlug other(4, "2-2", 0, 0, kAPISA);
  auto* second = new IGraphicsHeadless(&other, 100, 80);
  other.AttachGraphics(second);
  IRECT all(0, 0, 100, 80);
  IText style(12, COLOR_BLACK, "DejaVu Sans");
  for (IGraphicsHeadless* g : {graphics, second})
  {
    g->SetResourceFolder(dir.c_str());
    IBitmap image = g->LoadIBitmap(7801, "gui_shared.png");
    EXPECT_EQ(image.width, 4);
    g->AttachControl(new IBitmapControl(g->GetPlug(), 0, 0, -1, &image));
    g->AttachControl(new ITextControl(g->GetPlug(), IRECT(10, 10, 90, 30), &style, "text"));
  }
  EXPECT_EQ(s_bitmapCache.CountHeld(), before);  // nothing decoded yet
  EXPECT_EQ(graphics->GetDrawBitmap(), nullptr);

  graphics->Draw(&all);
  EXPECT_EQ(graphics->GetPoint(1, 1).red, 200);
  EXPECT_EQ(s_bitmapCache.CountHeld(), before + 1);
  EXPECT_EQ(s_fontCache.CountHeld(), fontsBefore + 1);
  second->Draw(&all);
  EXPECT_EQ(s_bitmapCache.CountHeld(), before + 1);  // shared
  EXPECT_EQ(s_fontCache.CountHeld(), fontsBefore + 1);

  graphics->CloseWindow();
  EXPECT_EQ(graphics->GetDrawBitmap(), nullptr);
  EXPECT_EQ(s_bitmapCache.CountHeld(), before + 1);  // the second still draws it
  second->SetDrawScale(2.0f);
  second->Draw(&all);
  EXPECT_EQ(s_bitmapCache.CountHeld(), before + 1);  // the 1x image gone, the 2x one made
  second->CloseWindow();
  EXPECT_EQ(s_bitmapCache.CountHeld(), before);
  EXPECT_EQ(s_fontCache.CountHeld(), fontsBefore);

  graphics->Draw(&all);  // opened again: taken again
  EXPECT_EQ(graphics->GetPoint(1, 1).red, 200);
}

TEST_F(Gui, TextControlsAndLinks)
{
  IText style(12, COLOR_BLACK, "Tahoma");
  auto* text = new ITextControl(&plug, IRECT(0, 0, 60, 20), &style, "start");
  auto* link = new IURLControl(&plug, IRECT(0, 40, 20, 60), "", "https://backup.example");
  graphics->AttachControl(text);
  graphics->AttachControl(link);
  IRECT area;
  graphics->IsDirty(&area);
  graphics->Draw(&area);
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("start");  // the same text: stays clean
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("next");
  EXPECT_TRUE(text->IsDirty());
  EXPECT_STREQ(text->GetTextShown(), "next");

  IMouseMod mod(true);
  graphics->OnMouseDown(5, 45, &mod);  // an empty main address: the backup opens
  EXPECT_EQ(graphics->OpenedURLs(), std::vector<std::string>{"https://backup.example"});
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Plushgrit's editor through the headless platform: its layout, the pixels
// it draws (knob frames composited over the background, read-out texts),
// automation reaching it, gestures reaching the host's component handler,
// and the link area.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "HostObjects.h"
#include "IControl.h"
#include "IGraphicsCaches.h"
#include "IGraphicsHeadless.h"
#include "Plushgrit.h"
#include "RasterReference.h"
#include "lice_text.h"

namespace
{
const std::string kResources = std::string(PLUSHGRIT_BUNDLE) + "/Contents/Resources";

struct Editor : ::testing::Test
{
  Editor()
  {
    UseHeadlessPlatform(true);
    IGraphicsHeadless::SetDefaultResourceFolder(kResources.c_str());
    DC_SetFontFolder(PLUSHGRIT_FONT_DIR);
    plug.reset(new Plushgrit(IPlugInstanceInfo()));
    graphics = static_cast<IGraphicsHeadless*>(plug->GetGUI());
  }
  ~Editor() override
  {
    IGraphicsHeadless::SetDefaultResourceFolder(nullptr);
    UseHeadlessPlatform(false);
  }

  void DrawAll()
  {
    IRECT area;
    while (graphics->IsDirty(&area))
    {
      graphics->Draw(&area);
      area = IRECT();
    }
  }

  // The editor's pixels in a rectangle, from the headless screen.
  LICE_pixel Screen(int x, int y) { return LICE_GetPixel(graphics->Screen(), x, y); }

  // What a knob at this value must show: frame k of its strip blended over
  // the background by the source-alpha copy rule, pixel by pixel.
  void ExpectKnob(int control, const char* strip, int frames, double value)
  {
    std::unique_ptr<LICE_IBitmap> bg(LICE_LoadPNG((kResources + "/Plushgrit_Background.png").c_str()));
    std::unique_ptr<LICE_IBitmap> img(LICE_LoadPNG((kResources + "/" + strip).c_str()));
    ASSERT_TRUE(bg && img);
    const IRECT r = *graphics->GetControl(control)->GetRECT();
    const int frameH = img->getHeight() / frames;
    const int k = (int) std::trunc((frames - 1) * value + 0.5);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
      {
        const LICE_pixel s = LICE_GetPixel(img.get(), x - r.left, k * frameH + y - r.top);
        const uint32_t want = ref::Combine(LICE_GetPixel(bg.get(), x, y), (int) LICE_GETR(s), (int) LICE_GETG(s),
                                           (int) LICE_GETB(s), (int) LICE_GETA(s), 256, 0, true);
        ASSERT_EQ(Screen(x, y), want) << strip << " at " << value << ": " << x << "," << y;
      }
  }

  std::unique_ptr<Plushgrit> plug;
  IGraphicsHeadless* graphics;
};
}  // namespace

TEST_F(Editor, LayoutInTheOrderItIsBuilt)
{
  ASSERT_EQ(graphics->GetNControls(), 9);
  const IRECT rects[] = {{0, 0, 383, 300},     {280, 68, 374, 158},  {24, 200, 86, 254},    {303, 201, 363, 253},
                         {162, 224, 218, 276}, {135, 63, 247, 175},  {5, 254, 105, 274},    {283, 255, 383, 275},
                         {140, 279, 240, 299}};
  const int params[] = {-1, -1, 0, 1, 2, 3, -1, -1, -1};
  for (int i = 0; i < 9; ++i)
  {
    EXPECT_EQ(*graphics->GetControl(i)->GetRECT(), rects[i]) << i;
    EXPECT_EQ(graphics->GetControl(i)->ParamIdx(), params[i]) << i;
  }
  EXPECT_STREQ(graphics->GetBundleID(), "com.quorvane.vst3.Plushgrit");
  EXPECT_EQ(graphics->FPS(), 25);
  auto text = [&](int i) { return std::string(static_cast<ITextControl*>(graphics->GetControl(i))->GetTextShown()); };
  EXPECT_EQ(text(6), "0.00 dB");
  EXPECT_EQ(text(7), "0.00 dB");
  EXPECT_EQ(text(8), "0 | 100");
}

TEST_F(Editor, KnobsShowTheFrameOfTheirValue)
{
  DrawAll();
  ExpectKnob(2, "Knob_In_Frames.png", 21, 0.5);
  ExpectKnob(5, "Knob_Drive_Frames.png", 101, 0.0);
  // 0.02 still rounds to the first of 21 frames, 0.03 to the second.
  for (double v : {0.02, 0.03, 0.97})
  {
    graphics->SetParameterFromPlug(0, v, true);
    DrawAll();
    ExpectKnob(2, "Knob_In_Frames.png", 21, v);
  }
}

TEST_F(Editor, ReadOutsShowTheFormattedTextOverTheBackground)
{
  plug->setParamNormalized(0, 0.0);   // In -10 dB
  plug->setParamNormalized(2, 0.29);  // Mix 0.290 reads 72 | 28
  DrawAll();
  auto shown = [&](int i) { return std::string(static_cast<ITextControl*>(graphics->GetControl(i))->GetTextShown()); };
  EXPECT_EQ(shown(6), "-10.00 dB");
  EXPECT_EQ(shown(8), "72 | 28");

  // The same text drawn here with a font made the way the editor makes its
  // read-out font, centred, over the background: the same pixels.
  std::unique_ptr<LICE_IBitmap> bg(LICE_LoadPNG((kResources + "/Plushgrit_Background.png").c_str()));
  LICE_SysBitmap expected(383, 300);
  LICE_Blit(&expected, bg.get(), 0, 0, nullptr, 1.0f, kBlitCopy);
  int h = 13;
  LICE_CachedFont font;
  font.SetFromHFont(DC_CreateFont(h, 0, 0, 0, 400, false, false, false, DC_QUALITY_NONANTIALIASED, "Tahoma Bold"),
                    LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
  if (font.GetLineHeight() != h)
  {
    h = std::max(2, (int) ((double) h * h / font.GetLineHeight() + 0.5));
    font.SetFromHFont(DC_CreateFont(h, 0, 0, 0, 400, false, false, false, DC_QUALITY_NONANTIALIASED, "Tahoma Bold"),
                      LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
  }
  font.SetTextColor(LICE_RGBA(0, 0, 0, 255));
  for (auto [text, box] : {std::make_pair("-10.00 dB", RECT{5, 254, 105, 274}), std::make_pair("72 | 28", RECT{140, 279, 240, 299})})
  {
    RECT r = box;
    font.DrawText(&expected, text, -1, &r, DT_NOCLIP | DT_CENTER);
    for (int y = box.top; y < box.bottom; ++y)
      for (int x = box.left; x < box.right; ++x)
        ASSERT_EQ(Screen(x, y), LICE_GetPixel(&expected, x, y)) << text << " " << x << "," << y;
  }
}

TEST_F(Editor, GesturesReachTheHostsComponentHandler)
{
  plug->initialize(nullptr);
  vst3host::ComponentHandlerRecorder handler;
  plug->setComponentHandler(&handler);
  DrawAll();
  IMouseMod mod(true);
  graphics->OnMouseDown(190, 120, &mod);  // the drive knob
  graphics->OnMouseDrag(190, 92, &mod);   // up 28 of 112 pixels: a sixteenth
  graphics->OnMouseUp(190, 92, &mod);
  const auto edits = handler.Edits();
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_EQ(edits[0].kind, vst3host::ComponentHandlerRecorder::Edit::kBegin);
  EXPECT_EQ(edits[1].kind, vst3host::ComponentHandlerRecorder::Edit::kPerform);
  EXPECT_DOUBLE_EQ(edits[1].value, 28.0 / 112.0 / 4.0);
  EXPECT_EQ(edits[2].kind, vst3host::ComponentHandlerRecorder::Edit::kEnd);
  for (const auto& e : edits) EXPECT_EQ(e.id, 3u);
  EXPECT_DOUBLE_EQ(plug->getParamNormalized(3), 28.0 / 112.0 / 4.0);

  // A drag on In rewrites its read-out; the link opens the maker's site.
  graphics->OnMouseDown(55, 227, &mod);
  graphics->OnMouseDrag(55, 227 - 54, &mod);
  graphics->OnMouseUp(55, 227 - 54, &mod);
  EXPECT_STREQ(static_cast<ITextControl*>(graphics->GetControl(6))->GetTextShown(), "5.00 dB");
  graphics->OnMouseDown(300, 100, &mod);
  EXPECT_EQ(graphics->OpenedURLs(), std::vector<std::string>{"https://www.quorvane.com"});
  plug->setComponentHandler(nullptr);
  plug->terminate();
}

TEST_F(Editor, HostChangesRedrawOnlyTheirKnobsAndReadOuts)
{
  DrawAll();
  IRECT area;
  EXPECT_FALSE(graphics->IsDirty(&area));
  plug->setParamNormalized(3, 0.8);  // Drive: no read-out
  area = IRECT();
  ASSERT_TRUE(graphics->IsDirty(&area));
  EXPECT_EQ(area, IRECT(135, 63, 247, 175));
  DrawAll();
  plug->setParamNormalized(1, 0.25);  // Out: its knob and its read-out
  area = IRECT();
  ASSERT_TRUE(graphics->IsDirty(&area));
  EXPECT_EQ(area, IRECT(283, 201, 383, 275));
  DrawAll();
  EXPECT_STREQ(static_cast<ITextControl*>(graphics->GetControl(7))->GetTextShown(), "-5.00 dB");
}

namespace
{
// Aligned 2 x 2 blocks of the screen within r (editor pixels at 2x) whose
// four pixels are not all the same.
long MixedBlocks(LICE_IBitmap* screen, IRECT r)
{
  long mixed = 0;
  for (int y = 2 * r.top; y < 2 * r.bottom; y += 2)
    for (int x = 2 * r.left; x < 2 * r.right; x += 2)
    {
      const LICE_pixel p = LICE_GetPixel(screen, x, y);
      mixed += LICE_GetPixel(screen, x + 1, y) != p || LICE_GetPixel(screen, x, y + 1) != p ||
               LICE_GetPixel(screen, x + 1, y + 1) != p;
    }
  return mixed;
}
}  // namespace

// At 1x the editor draws what it always drew: the snapshot in docs/ is the
// 1x drawing of the defaults, pixel for pixel.
TEST_F(Editor, OneTimesIsUnchanged)
{
  DrawAll();
  std::unique_ptr<LICE_IBitmap> before(LICE_LoadPNG(PLUSHGRIT_SOURCE_DIR "/docs/editor.png"));
  ASSERT_TRUE(before);
  ASSERT_EQ(graphics->Screen()->getWidth(), before->getWidth());
  for (int y = 0; y < Plushgrit::kHeight; ++y)
    for (int x = 0; x < Plushgrit::kWidth; ++x)
      ASSERT_EQ(Screen(x, y) | 0xFF, LICE_GetPixel(before.get(), x, y) | 0xFF) << x << "," << y;
}

// At 2x the knobs' edges and the read-outs' text are drawn at the screen's
// resolution: their 2 x 2 blocks are not uniform, as a doubled 1x image's are.
TEST_F(Editor, TwiceIsDrawnAtTheScreensResolutionNotDoubled)
{
  graphics->SetDrawScale(2.0f);
  DrawAll();
  ASSERT_EQ(graphics->Screen()->getWidth(), 766);
  ASSERT_EQ(graphics->Screen()->getHeight(), 600);
  const IRECT drive = *graphics->GetControl(5)->GetRECT(), inText(5, 254, 105, 274);
  EXPECT_GT(MixedBlocks(graphics->Screen(), drive), 500);
  EXPECT_GT(MixedBlocks(graphics->Screen(), inText), 20);
  // The same editor: the 2x drawing seen at 1x is close to the 1x drawing.
  LICE_MemBitmap twice(766, 600);
  LICE_Copy(&twice, graphics->Screen());
  graphics->SetDrawScale(1.0f);
  DrawAll();
  long far = 0;
  for (int y = 0; y < Plushgrit::kHeight; ++y)
    for (int x = 0; x < Plushgrit::kWidth; ++x)
    {
      const LICE_pixel a = Screen(x, y), b = LICE_GetPixel(&twice, 2 * x, 2 * y);
      far += std::abs((int) LICE_GETG(a) - (int) LICE_GETG(b)) > 64;
    }
  EXPECT_LT(far, Plushgrit::kWidth * Plushgrit::kHeight / 50);
}

// Every factor from 1 to 3: the drawing is the rounded scaled size.
TEST_F(Editor, AnyFactorDrawsAtItsRoundedSize)
{
  for (float scale : {1.25f, 1.5f, 1.75f, 2.5f, 3.0f})
  {
    graphics->SetDrawScale(scale);
    DrawAll();
    EXPECT_EQ(graphics->Screen()->getWidth(), (int) std::lround(383 * scale)) << scale;
    EXPECT_EQ(graphics->Screen()->getHeight(), (int) std::lround(300 * scale)) << scale;
  }
  graphics->SetDrawScale(0.5f);  // below 1 means 1
  EXPECT_EQ(graphics->GetDrawScale(), 1.0f);
}

// Factors a host may set, one after another (each artwork set, and factors
// between them): the editor holds the images and fonts of one scale at a
// time, and none once it is closed.
TEST_F(Editor, ManyScalesHoldOneSetAtATimeAndNothingOnceClosed)
{
  graphics->CloseWindow();
  const int images = s_bitmapCache.CountHeld(), fonts = s_fontCache.CountHeld();
  IRECT all(0, 0, Plushgrit::kWidth, Plushgrit::kHeight);
  for (float scale : {1.0f, 1.25f, 1.5f, 2.0f, 2.75f, 3.0f, 1.0f})
  {
    graphics->SetDrawScale(scale);
    graphics->SetAllControlsDirty();
    graphics->Draw(&all);
    // The background and four knob strips, and the read-outs' font.
    EXPECT_EQ(s_bitmapCache.CountHeld(), images + 5) << scale;
    EXPECT_EQ(s_fontCache.CountHeld(), fonts + 1) << scale;
  }
  graphics->CloseWindow();
  EXPECT_EQ(s_bitmapCache.CountHeld(), images);
  EXPECT_EQ(s_fontCache.CountHeld(), fonts);
  EXPECT_EQ(graphics->GetDrawBitmap(), nullptr);
}

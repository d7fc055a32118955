// Two instances whose hosts offer no run loop: each editor draws and takes
// input on a thread of its own, and both draw their read-outs with the
// process-wide cached fonts at once while the host automates them.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "IGraphicsLinux.h"
#include "Plushgrit.h"
#include "XHost.h"

using namespace Steinberg;

TEST(EditorsWithoutARunLoop, TwoInstancesDrawTheSharedFontsOnTheirOwnThreads)
{
  XHost host;
  ASSERT_NE(host.dpy, nullptr);
  const int kEditors = 2;
  Plushgrit* plugs[kEditors];
  IPlugView* views[kEditors];
  for (int i = 0; i < kEditors; ++i)
  {
    plugs[i] = new Plushgrit(IPlugInstanceInfo());
    ASSERT_EQ(plugs[i]->initialize(nullptr), kResultOk);
    views[i] = plugs[i]->createView("editor");
    // No frame and no host context: no run loop to be had.
    ASSERT_EQ(views[i]->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
  }
  // Every read-out changes about every frame, on both editors, while the
  // host's thread opens a third editor again and again (its first frame is
  // drawn there).
  Plushgrit* third = new Plushgrit(IPlugInstanceInfo());
  third->initialize(nullptr);
  for (int step = 0; step < 40; ++step)
  {
    for (int i = 0; i < kEditors; ++i) plugs[i]->setParamNormalized((Vst::ParamID) (step % 4), ((step + i) % 11) / 10.0);
    IPlugView* view = third->createView("editor");
    third->setParamNormalized((Vst::ParamID) (step % 4), (step % 7) / 6.0);
    EXPECT_EQ(view->attached((void*) host.parent, kPlatformTypeX11EmbedWindowID), kResultOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    view->removed();
    view->release();
  }
  third->terminate();
  third->release();
  for (int i = 0; i < kEditors; ++i)
  {
    auto* graphics = dynamic_cast<IGraphicsLinux*>(plugs[i]->GetGUI());
    EXPECT_GT(graphics->ScreenCopies(), 10) << "editor " << i << " did not draw on its thread";
    EXPECT_EQ(views[i]->removed(), kResultOk);
    views[i]->release();
    plugs[i]->terminate();
    plugs[i]->release();
  }
}

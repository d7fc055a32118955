// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The host's audio thread processes while other threads save and load
// state, change parameters through the controller and take and release the
// class factory. Under ThreadSanitizer any unguarded shared access is
// reported; the assertions check that nothing read is ever torn.
#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "BindingFixture.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
double valueAt(const vst3host::Bytes& state, int i)
{
  double v;
  memcpy(&v, state.data() + 8 * i, 8);
  return v;
}
}  // namespace

TEST_F(Binding, ProcessWhileStateIsSavedAndLoaded)
{
  Prepare(kSample32, 128);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};

  // The audio thread automates every parameter with sevenths.
  std::thread audio([&] {
    std::vector<float> l(128, 0.1f), r(128, -0.1f), ol(128), orr(128);
    float* in[] = {l.data(), r.data()};
    float* out[] = {ol.data(), orr.data()};
    vst3host::ParameterChanges changes;
    for (long i = 0; !stop.load(); ++i)
    {
      changes.Clear();
      changes.Add(i % 4, (i % 7) / 7.0);
      plugin.Process(in, 2, out, 2, 128, &changes);
      blocks.fetch_add(1);
    }
  });

  // Every value a saved state may hold: the loaded one or an automated one.
  vst3host::Bytes a, b;
  ASSERT_TRUE(plugin.GetControllerState(a));
  std::vector<std::set<double>> allowed(4);
  vst3host::HostedPlugin probe;
  ASSERT_TRUE(probe.Load(*sModule, &context));
  for (int p = 0; p < 4; ++p)
  {
    allowed[p].insert(valueAt(a, p));
    for (int k = 0; k < 7; ++k)
    {
      vst3host::Bytes s;
      probe.Controller()->setParamNormalized(p, k / 7.0);
      ASSERT_TRUE(probe.GetControllerState(s));
      allowed[p].insert(valueAt(s, p));
    }
  }

  for (int i = 0; i < 300 || blocks.load() < 200; ++i)
  {
    plugin.SetComponentState(a);
    ASSERT_TRUE(plugin.GetComponentState(b));
    ASSERT_EQ(b.size(), 36u);
    for (int p = 0; p < 4; ++p) ASSERT_TRUE(allowed[p].count(valueAt(b, p))) << p << " " << valueAt(b, p);
    plugin.SetControllerState(b);
  }
  stop.store(true);
  audio.join();
}

TEST_F(Binding, ControllerChangesWhileProcessing)
{
  Prepare(kSample64, 64);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    std::vector<double> l(64, 0.3), r(64, -0.3), ol(64), orr(64);
    double* in[] = {l.data(), r.data()};
    double* out[] = {ol.data(), orr.data()};
    vst3host::ParameterChanges changes;
    for (long i = 0; !stop.load(); ++i)
    {
      changes.Clear();
      changes.Add(i % 4, (i % 5) / 5.0);
      changes.Add(kBypass, (i % 3) == 0 ? 1.0 : 0.0);
      if (i % 11 == 0) changes.Add(kPreset, 0.0);
      plugin.Process(in, 2, out, 2, 64, &changes);
      blocks.fetch_add(1);
    }
  });

  IEditController* c = plugin.Controller();
  for (int i = 0; i < 3000 || blocks.load() < 200; ++i)
  {
    c->setParamNormalized(i % 4, (i % 9) / 9.0);
    c->setParamNormalized(kBypass, i % 2);
    if (i % 13 == 0) c->setParamNormalized(kPreset, 0.0);
    const double v = c->getParamNormalized((i + 1) % 4);
    ASSERT_TRUE(v >= 0.0 && v <= 1.0) << v;
    const double bypass = c->getParamNormalized(kBypass);
    ASSERT_TRUE(bypass == 0.0 || bypass == 1.0);
  }
  stop.store(true);
  audio.join();
}

// A host may release the factory on one thread while another thread asks
// the module for it; the factory must never be deleted under the second.
TEST(FactoryLifetime, ReleaseRacingGetPluginFactory)
{
  vst3host::PluginModule module;
  ASSERT_TRUE(module.Open(PLUSHGRIT_BUNDLE)) << module.Error();
  using FactoryFn = IPluginFactory* (*) ();
  auto getFactory = reinterpret_cast<FactoryFn>(dlsym(module.Handle(), "GetPluginFactory"));
  ASSERT_NE(getFactory, nullptr);
  IPluginFactory* held = module.Factory();
  held->release();  // the host's holder lets go for the run: only the two threads hold it

  auto churn = [&] {
    for (int i = 0; i < 2000; ++i)
    {
      IPluginFactory* f = getFactory();
      EXPECT_EQ(f->countClasses(), 1);
      f->release();
    }
  };
  std::thread t1(churn), t2(churn);
  t1.join();
  t2.join();
  EXPECT_EQ(getFactory(), held);  // the holder's reference back, on the same factory
}

// The host's audio thread processes while another thread saves and loads
// state and flushes parameters through the same object. Under
// ThreadSanitizer any access outside the framework mutex is reported.
#include <atomic>
#include <thread>
#include <vector>

#include "BindingFixture.h"

using namespace Steinberg::Vst;

TEST_F(Binding, ProcessWhileStateIsSavedAndLoaded)
{
  Prepare(kSample32, 128);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};

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

  vst3host::Bytes a, b;
  ASSERT_TRUE(plugin.GetControllerState(a));
  // Keep going until the audio thread has run alongside for a while.
  for (int i = 0; i < 300 || blocks.load() < 200; ++i)
  {
    plugin.SetComponentState(a);
    ASSERT_TRUE(plugin.GetComponentState(b));
    ASSERT_EQ(b.size(), 36u);
    plugin.SetControllerState(b);
  }
  stop.store(true);
  audio.join();
  EXPECT_GT(blocks.load(), 0);
}

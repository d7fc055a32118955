// Loads Plushgrit through JUCE's VST 3 hosting and checks what a JUCE-based
// host sees: the description, every parameter, float and double processing
// against the literal chain, and a state round trip through JUCE's own
// get/setStateInformation. Any JUCE assertion logged on the way fails it.
#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "ReferenceChain.h"

namespace
{
int gFailures = 0;

void check(bool ok, const juce::String& what)
{
  if (!ok)
  {
    ++gFailures;
    fprintf(stderr, "FAIL: %s\n", what.toRawUTF8());
  }
}

// Counts JUCE's logged assertions and echoes every log line.
class AssertionCounter : public juce::Logger
{
public:
  int assertions = 0;

protected:
  void logMessage(const juce::String& message) override
  {
    if (message.contains("Assertion")) ++assertions;
    fprintf(stderr, "juce: %s\n", message.toRawUTF8());
  }
};

juce::AudioProcessorParameter* findParam(juce::AudioPluginInstance& p, const juce::String& name)
{
  for (auto* param : p.getParameters())
    if (param->getName(128) == name) return param;
  return nullptr;
}

template <class Sample>
void fillSignal(juce::AudioBuffer<Sample>& buffer)
{
  for (int c = 0; c < buffer.getNumChannels(); ++c)
    for (int i = 0; i < buffer.getNumSamples(); ++i)
      buffer.setSample(c, i, (Sample) (0.8 * std::sin(0.02 * i + c) * std::cos(0.003 * i)));
}

// Processes one priming block (parameter changes reach the processor with
// the next block), then a test block, and compares it with the chain.
template <class Sample>
void checkProcessing(juce::AudioPluginInstance& plug, const ReferenceChainSettings& s, const char* what)
{
  const int n = 512;
  juce::AudioBuffer<Sample> prime(2, n), buffer(2, n);
  juce::MidiBuffer midi;
  fillSignal(prime);
  plug.processBlock(prime, midi);
  fillSignal(buffer);
  juce::AudioBuffer<Sample> input(buffer);
  plug.processBlock(buffer, midi);

  int mismatches = 0;
  double worst = 0.0;
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < n; ++i)
    {
      double want = ReferenceChainSample((double) input.getSample(c, i), s);
      double got = (double) buffer.getSample(c, i);
      double err = std::fabs(got - want);
      worst = std::fmax(worst, err);
      // Doubles are exact; floats are the double result rounded once.
      bool ok = sizeof(Sample) == 8 ? got == want : (Sample) want == buffer.getSample(c, i);
      if (!ok) ++mismatches;
    }
  check(mismatches == 0, juce::String(what) + ": " + juce::String(mismatches) + " samples differ from the chain, worst " +
                             juce::String(worst));
}

void setNormalized(juce::AudioPluginInstance& plug, const char* name, float normalized)
{
  if (auto* p = findParam(plug, name)) p->setValueNotifyingHost(normalized);
}
}  // namespace

int main(int argc, char** argv)
{
  if (argc < 2)
  {
    fprintf(stderr, "usage: %s Plushgrit.vst3\n", argv[0]);
    return 2;
  }
  juce::ScopedJuceInitialiser_GUI juceInit;  // the message manager lives on this thread
  AssertionCounter logger;
  juce::Logger::setCurrentLogger(&logger);
  {
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;
    const juce::File bundle = juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]);
    format.findAllTypesForFile(types, bundle.getFullPathName());
    check(types.size() == 1, "one plug-in class found, got " + juce::String(types.size()));
    if (types.isEmpty()) return 1;
    const juce::PluginDescription& desc = *types[0];
    check(desc.name == "Plushgrit", "name " + desc.name);
    check(desc.manufacturerName == "Quorvane", "vendor " + desc.manufacturerName);
    check(desc.category == "Fx|Distortion", "category " + desc.category);
    check(!desc.isInstrument, "not an instrument");
    check(desc.pluginFormatName == "VST3", "format " + desc.pluginFormatName);

    juce::String error;
    auto plug = format.createInstanceFromDescription(desc, 48000.0, 512, error);
    check(plug != nullptr, "instance created: " + error);
    if (!plug) return 1;
    check(plug->getTotalNumInputChannels() == 2 && plug->getTotalNumOutputChannels() == 2, "stereo in and out");

    struct Expect
    {
      const char* name;
      const char* label;
      float def;
      const char* text;
    } expect[] = {{"In", "dB", 0.5f, "0.00"}, {"Out", "dB", 0.5f, "0.00"}, {"Mix", "50/50", 1.0f, "1.000"},
                  {"Drive", "%", 0.0f, "0.000"}};
    for (const Expect& e : expect)
    {
      auto* p = findParam(*plug, e.name);
      check(p != nullptr, juce::String("parameter ") + e.name);
      if (!p) continue;
      check(p->getLabel() == e.label, juce::String(e.name) + " label " + p->getLabel());
      check(std::fabs(p->getDefaultValue() - e.def) < 1e-6f, juce::String(e.name) + " default");
      check(p->getCurrentValueAsText() == e.text, juce::String(e.name) + " text " + p->getCurrentValueAsText());
    }
    check(plug->getBypassParameter() != nullptr, "a bypass parameter");
    if (auto* in = findParam(*plug, "In")) check(in->getText(0.25f, 64) == "-5.00", "In at 0.25 reads -5.00");

    // Float processing at the defaults, then with every parameter moved.
    plug->prepareToPlay(48000.0, 512);
    checkProcessing<float>(*plug, ReferenceChainSettings{0, 0, 1, 0}, "float at the defaults");
    // JUCE hands normalized values over as floats; the plug-in maps them
    // linearly onto each range.
    const float inN = 0.6f, outN = 0.35f, mixN = 0.75f, driveN = 0.5f;
    setNormalized(*plug, "In", inN);
    setNormalized(*plug, "Out", outN);
    setNormalized(*plug, "Mix", mixN);
    setNormalized(*plug, "Drive", driveN);
    const ReferenceChainSettings moved{-10.0 + 20.0 * (double) inN, -10.0 + 20.0 * (double) outN, (double) mixN,
                                       (double) driveN};
    checkProcessing<float>(*plug, moved, "float with moved parameters");
    plug->releaseResources();

    check(plug->supportsDoublePrecisionProcessing(), "double precision offered");
    plug->setProcessingPrecision(juce::AudioProcessor::doublePrecision);
    plug->prepareToPlay(48000.0, 512);
    checkProcessing<double>(*plug, moved, "double with moved parameters");
    plug->releaseResources();

    // State: JUCE saves both the component's and the controller's state.
    juce::MemoryBlock state;
    plug->getStateInformation(state);
    auto other = format.createInstanceFromDescription(desc, 48000.0, 512, error);
    check(other != nullptr, "second instance: " + error);
    if (other)
    {
      other->setStateInformation(state.getData(), (int) state.getSize());
      for (const Expect& e : expect)
      {
        auto *a = findParam(*plug, e.name), *b = findParam(*other, e.name);
        if (a && b)
          check(std::fabs(a->getValue() - b->getValue()) < 1e-6f,
                juce::String(e.name) + " restored: " + juce::String(b->getValue()) + " vs " + juce::String(a->getValue()));
      }
      other->prepareToPlay(48000.0, 512);
      checkProcessing<float>(*other, moved, "float after the state was restored");
      other->releaseResources();
    }
  }
  juce::Logger::setCurrentLogger(nullptr);
  check(logger.assertions == 0, juce::String(logger.assertions) + " JUCE assertions were logged");
  printf("juce host check: %s (%d failures)\n", gFailures ? "FAILED" : "passed", gFailures);
  return gFailures ? 1 : 0;
}

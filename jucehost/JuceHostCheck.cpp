// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Loads Plushgrit through JUCE's VST 3 hosting and checks what a JUCE-based
// host sees: the description, every parameter, float and double processing
// against the literal chain, and a state round trip through JUCE's own
// get/setStateInformation. Any JUCE assertion logged on the way fails it.
#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None
#undef Status
#undef Bool

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

// The editor as JUCE shows it: JUCE's own window with the plug-in's X11
// view embedded, its message loop pumped; the pixels the window shows are
// grabbed from the server and compared with the snapshot the bundle
// carries (the editor at its defaults, drawn without a screen).
void checkEditor(juce::AudioPluginInstance& plug, const juce::File& bundle)
{
  // JUCE looks some window-manager atoms up only if they exist, and Xvfb
  // runs no window manager: they are made here first, on a connection kept
  // open so the server keeps them.
  Display* atoms = XOpenDisplay(nullptr);
  for (const char* name : {"WM_STATE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_FULLSCREEN",
                           "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_FRAME_EXTENTS",
                           "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_SUPPORTED", "_NET_ACTIVE_WINDOW",
                           "_MOTIF_WM_HINTS", "_XEMBED", "_XEMBED_INFO", "WM_PROTOCOLS", "WM_DELETE_WINDOW",
                           "_NET_WM_PING", "_NET_WM_ICON", "_NET_WM_PID", "UTF8_STRING", "CLIPBOARD", "TARGETS",
                           "XdndAware", "_NET_WM_NAME", "_NET_WM_STATE_SKIP_TASKBAR"})
    if (atoms) XInternAtom(atoms, name, False);
  juce::ScopedJuceInitialiser_GUI gui;  // JUCE's X11 side, as a host application has it
  std::unique_ptr<juce::AudioProcessorEditor> editor(plug.createEditorIfNeeded());
  check(editor != nullptr, "editor created");
  if (!editor) return;
  check(editor->getWidth() == 383 && editor->getHeight() == 300,
        "editor size " + juce::String(editor->getWidth()) + " x " + juce::String(editor->getHeight()));
  juce::DocumentWindow window("Plushgrit", juce::Colours::black, 0, true);
  window.setUsingNativeTitleBar(false);
  window.setTitleBarHeight(0);
  window.setContentNonOwned(editor.get(), true);
  window.setTopLeftPosition(0, 0);
  window.setVisible(true);
  juce::MessageManager::getInstance()->runDispatchLoopUntil(1500);

  const juce::File snapshots = bundle.getChildFile("Contents/Resources/Snapshots");
  juce::Array<juce::File> files = snapshots.findChildFiles(juce::File::findFiles, false, "*_snapshot.png");
  check(files.size() == 1, "one snapshot in the bundle");
  const juce::Image expected = files.isEmpty() ? juce::Image() : juce::ImageFileFormat::loadFrom(files[0]);
  Display* dpy = XOpenDisplay(nullptr);
  check(dpy != nullptr, "an X display");
  if (!dpy || !expected.isValid()) return;
  // The plug-in's window carries XEmbed information, and so may JUCE's
  // window around it: the deepest such window is the plug-in's.
  const Atom xembed = XInternAtom(dpy, "_XEMBED_INFO", True);
  std::function<Window(Window)> find = [&](Window w) -> Window {
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    Window found = 0;
    if (XQueryTree(dpy, w, &root, &parent, &children, &n))
      for (unsigned i = 0; i < n && !found; ++i) found = find(children[i]);
    if (children) XFree(children);
    if (found) return found;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (xembed && XGetWindowProperty(dpy, w, xembed, 0, 2, False, AnyPropertyType, &type, &format, &count, &after, &data) ==
                      Success && data)
    {
      XFree(data);
      return w;
    }
    return 0;
  };
  const Window pluginWindow = find(DefaultRootWindow(dpy));
  check(pluginWindow != 0, "the plug-in's window is inside JUCE's");
  if (pluginWindow)
  {
    XImage* img = XGetImage(dpy, pluginWindow, 0, 0, 383, 300, AllPlanes, ZPixmap);
    check(img != nullptr, "the window's pixels");
    int differing = 0;
    for (int y = 0; img && y < 300; ++y)
      for (int x = 0; x < 383; ++x)
      {
        const unsigned long p = XGetPixel(img, x, y);
        const juce::Colour want = expected.getPixelAt(x, y);
        const bool differs = ((p >> 16) & 0xFF) != want.getRed() || ((p >> 8) & 0xFF) != want.getGreen() || (p & 0xFF) != want.getBlue();
        if (differs && differing < 3 && getenv("PLUSHGRIT_GRAB"))
          fprintf(stderr, "%d,%d: %06lx vs %s\n", x, y, p & 0xFFFFFF, want.toDisplayString(true).toRawUTF8());
        differing += differs;
      }
    check(img && differing == 0, juce::String(differing) + " pixels differ from the snapshot");
    if (img && differing && getenv("PLUSHGRIT_GRAB"))
    {
      juce::Image grabbed(juce::Image::RGB, 383, 300, true);
      for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 383; ++x)
        {
          const unsigned long p = XGetPixel(img, x, y);
          grabbed.setPixelAt(x, y, juce::Colour((juce::uint8) (p >> 16), (juce::uint8) (p >> 8), (juce::uint8) p));
        }
      juce::FileOutputStream out(juce::File(getenv("PLUSHGRIT_GRAB")));
      juce::PNGImageFormat().writeImageToStream(grabbed, out);
    }
    if (img) XDestroyImage(img);
  }
  XCloseDisplay(dpy);
  window.clearContentComponent();
  editor.reset();
  juce::MessageManager::getInstance()->runDispatchLoopUntil(200);
  if (atoms) XCloseDisplay(atoms);
}

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

    // The editor of an instance at its defaults, where the display allows.
    if (getenv("DISPLAY"))
    {
      auto fresh = format.createInstanceFromDescription(desc, 48000.0, 512, error);
      check(fresh != nullptr, "instance for the editor: " + error);
      if (fresh) checkEditor(*fresh, bundle);
    }
  }
  juce::Logger::setCurrentLogger(nullptr);
  check(logger.assertions == 0, juce::String(logger.assertions) + " JUCE assertions were logged");
  printf("juce host check: %s (%d failures)\n", gFailures ? "FAILED" : "passed", gFailures);
  return gFailures ? 1 : 0;
}

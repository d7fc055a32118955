// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Plushgrit: a stereo soft-clipping drive. Input gain, a biased soft clipper
// with make-up gain, a dry/wet mix against the gained input, output gain.
// Memoryless: no sample depends on an earlier one.
#pragma once

// The binding is chosen when each module is built: the same class is the
// VST 3 plug-in, built with IPLUG_LV2 the LV2 one, and built with
// IPLUG_STANDALONE the standalone program.
#if defined(IPLUG_LV2)
#include "../IPlugLV2/IPlugLV2.h"
using IPlugBinding = IPlugLV2;
#elif defined(IPLUG_STANDALONE)
#include "../IPlugStandalone/IPlugStandalone.h"
using IPlugBinding = IPlugStandalone;
#else
#include "../IPlugVST3/IPlugVST3.h"
using IPlugBinding = IPlugVST3;
#endif

#include "DriveChain.h"

class ITextControl;

class Plushgrit : public IPlugBinding
{
public:
  enum EParams { kIn = 0, kOut, kMix, kDrive, kNumParams };
  static constexpr int kUniqueID = MakeFourCC("QV01");
  static constexpr int kMfrID = MakeFourCC("Qrvn");
  static constexpr int kWidth = 383, kHeight = 300;
  // The reverse-domain identifier of the bundle, by which the editor finds
  // its images.
  static constexpr const char* kBundleID = "com.quorvane.vst3.Plushgrit";
  // The stem of the LV2 plug-ins', editor's and presets' URIs.
  static constexpr const char* kLV2URI = "https://www.quorvane.com/plugins/plushgrit";

  // The class id the factory registers: four words, each most significant
  // byte first: two fixed words, then the maker's and the plug-in's codes.
  static void MakeClassID(unsigned char cid[16]);

  explicit Plushgrit(IPlugInstanceInfo instanceInfo);
  ~Plushgrit() override = default;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // The chain has no memory: a block can run from a copy of its settings
  // while another thread holds the mutex, with the same bits.
  bool ProcessesWithoutMutex() const override { return true; }
  void KeepBlockSettings() override { mKept = BlockSettings(); }
  void ProcessKeptDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // The editor's read-out text for In, Out (value, space, label: "-3.50 dB")
  // and Mix ("dry | wet" percentages). Returns false for other parameters.
  bool FormatReadout(int paramIdx, char* text, int size) const;
  // Writes the read-out text of paramIdx into the control (In, Out, Mix).
  void SetParamText(int paramIdx, ITextControl* readout);

  double InGainDb() const { return mInGainDb; }
  double OutGainDb() const { return mOutGainDb; }
  double Mix() const { return mMix; }
  double DriveGain() const { return mDriveGain; }
  double DriveMakeup() const { return mDriveMakeup; }
  double BiasOffset() const { return mBiasOffset; }
  // The chain's working values for one block, both channels.
  DriveChainSettings BlockSettings() const;

private:
  // The editor, built by the constructor in three steps (its background and
  // link area, a knob after each parameter, the read-outs), and the read-out
  // of a parameter brought up to date. PlushgritEditor.cpp builds them; a
  // module without an editor links PlushgritWithoutEditor.cpp, where they do
  // nothing, and then links no graphics at all.
  void BeginEditor();
  void AttachKnob(int paramIdx);
  void AttachReadouts();
  void ShowReadout(int paramIdx);

  double mInGainDb = 0.0;
  double mOutGainDb = 0.0;
  // 2^(dB / 6.014) of the two above, formed when they change rather than
  // in every block, where the two exponentials cost about 15 ns, a large
  // share of a small block.
  double mInGain = 1.0;
  double mOutGain = 1.0;
  double mMix = 1.0;
  double mDriveGain = 1.0;
  double mDriveMakeup = 1.0;
  double mBiasOffset = 0.0;
  // The settings the audio thread's last block under the mutex ended with;
  // only the audio thread reads or writes them after construction.
  DriveChainSettings mKept;
  // The three read-outs, owned by the editor's graphics context.
  ITextControl* mInText = nullptr;
  ITextControl* mOutText = nullptr;
  ITextControl* mMixText = nullptr;
};

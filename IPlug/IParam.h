// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// One plug-in parameter: its plain value and range, the power curve that
// maps it to the normalized 0..1 value the host and the controls exchange,
// and its texts. No lock of its own: the plug-in base's mutex serialises
// changes from the host, the editor and the state loader. The value itself
// is atomic, because the host's user-interface thread and the editor read it
// while the audio thread may be writing it.
#pragma once

#include <atomic>

#include "../wdl/WDL_TypedBuf.h"

// Truncates toward zero like a cast, but saturates outside the int range
// (and gives 0 for NaN) instead of being undefined.
int TruncToInt(double v);

class IParam
{
public:
  enum EParamType { kTypeNone, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble };
  static const int kTextSize = 32;
  static const int kDisplaySize = 128;

  IParam() = default;
  ~IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "", const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  void SetShape(double shape);
  void SetDisplayText(int value, const char* text);

  // Sets the plain value, clamped into the range. A non-finite value is
  // refused and the parameter keeps its value.
  void Set(double value);
  void SetNormalized(double normalizedValue);
  double GetNormalized() const { return GetNormalized(Value()); }
  double GetNormalized(double plainValue) const;

  double Value() const { return mValue.load(std::memory_order_relaxed); }
  bool Bool() const { return Value() >= 0.5; }
  int Int() const { return TruncToInt(Value()); }
  double DBToAmp() const;

  EParamType Type() const { return mType; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  void GetBounds(double* lo, double* hi) const { *lo = mMin; *hi = mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  int GetPrecision() const { return mDisplayPrecision; }
  bool GetCanAutomate() const { return mCanAutomate; }
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }
  void NegateDisplay() { mNegateDisplay = true; }
  bool DisplayIsNegated() const { return mNegateDisplay; }

  // Formats value (plain, or normalized when normalized is set) into buf of
  // bufSize bytes; a longer text is cut.
  void GetDisplayForHost(double value, bool normalized, char* buf, bool withDisplayText = true,
                         int bufSize = kDisplaySize) const;
  void GetDisplayForHost(char* buf, bool withDisplayText = true) const { GetDisplayForHost(Value(), false, buf, withDisplayText); }

  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }

  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  const char* GetDisplayText(int value) const;
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  bool MapDisplayText(const char* str, int* value) const;

private:
  struct DisplayText
  {
    int mValue;
    char mText[kTextSize];
  };

  void InitCommon(EParamType type, const char* name, double defaultVal, const char* label, const char* group);
  double FromNormalized(double normalizedValue) const;
  void Store(double v) { mValue.store(v, std::memory_order_relaxed); }

  EParamType mType = kTypeNone;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[kTextSize] = {};
  char mLabel[kTextSize] = {};
  char mParamGroup[kTextSize] = {};
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  WDL_TypedBuf<DisplayText> mDisplayTexts{(int) sizeof(DisplayText) * 8};
};

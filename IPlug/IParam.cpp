// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IParam.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "../wdl/wdl_text.h"

void IParam::InitCommon(EParamType type, const char* name, double defaultVal, const char* label, const char* group)
{
  // A parameter keeps the type of its first initialisation.
  if (mType == kTypeNone) mType = type;
  CopyField(mName, name);
  CopyField(mLabel, label);
  CopyField(mParamGroup, group);
  mDefault = defaultVal;
  Store(defaultVal);
  mDisplayPrecision = 0;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  InitCommon(kTypeBool, name, defaultVal ? 1.0 : 0.0, label, group);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group)
{
  InitCommon(kTypeEnum, name, (double) defaultVal, label, group);
  mMin = 0.0;
  mMax = nEnums >= 2 ? (double) (nEnums - 1) : 1.0;
  mStep = 1.0;
  mShape = 1.0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label, const char* group)
{
  InitCommon(kTypeInt, name, (double) defaultVal, label, group);
  mMin = (double) minVal;
  mMax = std::fmax((double) maxVal, (double) minVal + 1.0);
  mStep = 1.0;
  mShape = 1.0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape)
{
  InitCommon(kTypeDouble, name, defaultVal, label, group);
  mMin = minVal;
  mMax = std::fmax(maxVal, minVal + step);
  mStep = step;
  SetShape(shape);
  // Decimals from the step: scale by ten until whole, at most six places.
  for (double s = step; s != std::floor(s) && mDisplayPrecision < 6; s *= 10.0) ++mDisplayPrecision;
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text)
{
  DisplayText entry;
  entry.mValue = value;
  CopyField(entry.mText, text);
  mDisplayTexts.Add(entry);
}

void IParam::Set(double value)
{
  if (!std::isfinite(value)) return;
  Store(value < mMin ? mMin : (value > mMax ? mMax : value));
}

double IParam::FromNormalized(double normalizedValue) const
{
  return mMin + (mMax - mMin) * std::pow(normalizedValue, mShape);
}

void IParam::SetNormalized(double normalizedValue)
{
  if (!std::isfinite(normalizedValue)) return;
  double v = FromNormalized(normalizedValue);
  if (mType != kTypeDouble) v = std::floor(v / mStep + 0.5) * mStep;
  // Only the upper end is clamped; callers rely on the lower end passing.
  v = std::fmin(v, mMax);
  if (std::isfinite(v)) Store(v);
}

double IParam::GetNormalized(double plainValue) const
{
  double v = plainValue < mMin ? mMin : (plainValue > mMax ? mMax : plainValue);
  return std::pow((v - mMin) / (mMax - mMin), 1.0 / mShape);
}

double IParam::DBToAmp() const { return std::exp(0.1151292546497 * Value()); }

int TruncToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return (-2147483647 - 1);
  return (int) v;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* buf, bool withDisplayText, int bufSize) const
{
  if (!buf || bufSize <= 0) return;
  if (normalized) value = FromNormalized(value);

  if (withDisplayText && GetNDisplayTexts())
  {
    const char* text = GetDisplayText(TruncToInt(value));
    if (text[0])
    {
      lstrcpyn_safe(buf, text, (size_t) bufSize);
      return;
    }
  }

  double shown = mNegateDisplay ? -value : value;
  if (mDisplayPrecision)
    snprintf(buf, (size_t) bufSize, "%.*f", mDisplayPrecision, shown);
  else
    snprintf(buf, (size_t) bufSize, "%d", TruncToInt(shown));
}

const char* IParam::GetLabelForHost() const
{
  // A display text already says what the value means.
  const char* text = GetDisplayText(TruncToInt(Value()));
  return text[0] ? "" : mLabel;
}

const char* IParam::GetDisplayText(int value) const
{
  const DisplayText* t = mDisplayTexts.Get();
  for (int i = 0, n = GetNDisplayTexts(); i < n; ++i)
    if (t[i].mValue == value) return t[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const
{
  const DisplayText& t = mDisplayTexts.Get()[idx];
  if (value) *value = t.mValue;
  return t.mText;
}

bool IParam::MapDisplayText(const char* str, int* value) const
{
  const DisplayText* t = mDisplayTexts.Get();
  for (int i = 0, n = GetNDisplayTexts(); i < n; ++i)
  {
    if (!strcmp(str, t[i].mText))
    {
      *value = t[i].mValue;
      return true;
    }
  }
  return false;
}

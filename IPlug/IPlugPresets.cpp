// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The plug-in base's state and presets: parameter values to bytes and back,
// the preset list, and source dumps for plug-in authors.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "../wdl/wdl_base64.h"
#include "../wdl/wdl_text.h"
#include "IPlugBase.h"
#include "Log.h"

namespace
{
const int kIPlugVersionMagic = 0x70666674;  // "tffp" read as a little-endian int
const int kIPlugVersion = 0x10000;
// Marks "not named" in MakePresetFromNamedParams.
const double kUnnamedValue = 9.999e-08;

bool takesIntArgument(const IParam* param)
{
  switch (param->Type())
  {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return true;
    default: return false;
  }
}
}  // namespace

bool IPlugBase::SerializeParams(ByteChunk* pChunk)
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i)
  {
    IParam* param = GetParam(i);
    Trace(TRACE_HERE, "%d %s %f", i, param->GetNameForHost(), param->Value());
    double v = param->Value();
    int before = pChunk->Size();
    // A chunk that did not grow could not get its memory.
    if (pChunk->Put(&v) != before + (int) sizeof(v)) return false;
  }
  return true;
}

int IPlugBase::UnserializeParams(ByteChunk* pChunk, int startPos)
{
  WDL_MutexLock lock(&mMutex);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    IParam* param = GetParam(i);
    Trace(TRACE_HERE, "%d %s %f", i, param->GetNameForHost(), param->Value());
    double v = 0.0;
    pos = pChunk->Get(&v, pos);
    // The value at which the data ran out becomes 0.0 clamped; a non-finite
    // value is refused by Set and the parameter keeps what it had.
    param->Set(v);
  }
  OnParamReset();
  return pos;
}

bool IPlugBase::SerializePresets(ByteChunk* pChunk)
{
  for (int i = 0; i < NPresets(); ++i)
  {
    IPreset* preset = mPresets.Get(i);
    int expected = pChunk->Size() + 4 + (int) strlen(preset->mName) + 1;
    pChunk->PutStr(preset->mName);
    Trace(TRACE_HERE, "%d %s", i, preset->mName);
    uint8_t initialized = preset->mInitialized ? 1 : 0;
    pChunk->Put(&initialized);
    if (preset->mInitialized)
    {
      expected += preset->mChunk.Size();
      pChunk->PutChunk(&preset->mChunk);
    }
    if (pChunk->Size() != expected) return false;
  }
  return true;
}

int IPlugBase::UnserializePresets(ByteChunk* pChunk, int startPos)
{
  // One name buffer for all presets: a stored empty name, or a failed read,
  // leaves the previous preset's name in it.
  char name[sizeof(IPreset::mName)] = "";
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    pos = pChunk->GetStr(name, (int) sizeof(name), pos);
    CopyField(preset->mName, name);
    Trace(TRACE_HERE, "%d %s", i, preset->mName);

    uint8_t initialized = preset->mInitialized ? 1 : 0;
    pos = pChunk->Get(&initialized, pos);
    preset->mInitialized = initialized != 0;
    if (preset->mInitialized)
    {
      pos = UnserializeState(pChunk, pos);
      if (pos > 0)
      {
        preset->mChunk.Clear();
        SerializeState(&preset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

IPreset* IPlugBase::GetNextUninitializedPreset()
{
  for (int i = 0; i < NPresets(); ++i)
    if (!mPresets.Get(i)->mInitialized) return mPresets.Get(i);
  return nullptr;
}

static IPreset* claimPreset(IPreset* preset, const char* name)
{
  if (preset)
  {
    preset->mInitialized = true;
    CopyField(preset->mName, name);
  }
  return preset;
}

void IPlugBase::MakePreset(const char* name, ...)
{
  IPreset* preset = claimPreset(GetNextUninitializedPreset(), name);
  if (!preset) return;
  va_list vp;
  va_start(vp, name);
  for (int i = 0; i < NParams(); ++i)
  {
    double v = takesIntArgument(GetParam(i)) ? (double) va_arg(vp, int) : va_arg(vp, double);
    preset->mChunk.Put(&v);
  }
  va_end(vp);
}

void IPlugBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* preset = claimPreset(GetNextUninitializedPreset(), name);
  if (!preset) return;

  WDL_TypedBuf<double> vals;
  double* v = vals.Resize(NParams());
  if (NParams() && !v) return;
  for (int i = 0; i < NParams(); ++i) v[i] = kUnnamedValue;

  va_list vp;
  va_start(vp, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i)
  {
    int paramIdx = va_arg(vp, int);
    IParam* param = GetParam(paramIdx);
    // An unknown index still consumes its value; it is read as a double.
    double value = param && takesIntArgument(param) ? (double) va_arg(vp, int) : va_arg(vp, double);
    if (param) v[paramIdx] = value;
  }
  va_end(vp);

  for (int i = 0; i < NParams(); ++i)
  {
    double value = v[i] == kUnnamedValue ? GetParam(i)->Value() : v[i];
    preset->mChunk.Put(&value);
  }
}

void IPlugBase::MakePresetFromChunk(const char* name, ByteChunk* pChunk)
{
  IPreset* preset = claimPreset(GetNextUninitializedPreset(), name);
  if (preset) preset->mChunk.PutChunk(pChunk);
}

void IPlugBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  ByteChunk chunk;
  if (sizeOfChunk < 0) sizeOfChunk = 0;
  if (chunk.Resize(sizeOfChunk) != sizeOfChunk) return;
  wdl_base64decode(blob, chunk.GetBytes(), sizeOfChunk);
  MakePresetFromChunk(name, &chunk);
}

void IPlugBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* preset = claimPreset(GetNextUninitializedPreset(), name ? name : "Empty");
    if (!preset) return;
    SerializeState(&preset->mChunk);
  }
}

void IPlugBase::EnsureDefaultPreset()
{
  if (NPresets()) MakeDefaultPreset("Empty", NPresets());
}

void IPlugBase::PruneUninitializedPresets()
{
  for (int i = 0; i < mPresets.GetSize();)
  {
    if (mPresets.Get(i)->mInitialized)
      ++i;
    else
      mPresets.Delete(i, true);
  }
}

bool IPlugBase::RestorePreset(int idx)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;

  bool restored;
  if (preset->mInitialized)
  {
    restored = UnserializeState(&preset->mChunk, 0) > 0;
  }
  else
  {
    // An empty slot captures the current state under a numbered user name.
    preset->mInitialized = true;
    int nUser = 0;
    for (int i = 0; i < NPresets(); ++i)
      if (strstr(mPresets.Get(i)->mName, "user preset")) ++nUser;
    snprintf(preset->mName, sizeof(preset->mName), "%s %d", "user preset", nUser + 1);
    restored = SerializeState(&preset->mChunk);
  }

  if (restored)
  {
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  return restored;
}

bool IPlugBase::RestorePreset(const char* name)
{
  if (!name || !*name) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (!strcmp(mPresets.Get(i)->mName, name)) return RestorePreset(i);
  return false;
}

const char* IPlugBase::GetPresetName(int idx) const
{
  IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IPlugBase::ModifyCurrentPreset(const char* name)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  Trace(TRACE_HERE, "%d %s", mCurrentPresetIdx, preset->mName);
  SerializeState(&preset->mChunk);
  if (name && *name) CopyField(preset->mName, name);
}

bool IPlugBase::DumpPresetSrcCode(const char* filename, const char* paramEnumNames[])
{
  if (!filename || !paramEnumNames) return false;
  FILE* fp = fopen(filename, "w");
  if (!fp) return false;
  fprintf(fp, "  MakePresetFromNamedParams(\"name\", %d", NParams());
  for (int i = 0; i < NParams(); ++i)
  {
    IParam* param = GetParam(i);
    // Room for any double in %.6f, so no value is ever cut.
    char paramVal[400];
    switch (param->Type())
    {
      case IParam::kTypeBool: snprintf(paramVal, sizeof(paramVal), "%s", param->Bool() ? "true" : "false"); break;
      case IParam::kTypeInt:
      case IParam::kTypeEnum: snprintf(paramVal, sizeof(paramVal), "%d", param->Int()); break;
      default: snprintf(paramVal, sizeof(paramVal), "%.6f", param->Value()); break;
    }
    fprintf(fp, ",\n    %s, %s", paramEnumNames[i] ? paramEnumNames[i] : "", paramVal);
  }
  fprintf(fp, ");\n");
  return fclose(fp) == 0;
}

bool IPlugBase::DumpPresetBlob(const char* filename)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!filename || !preset) return false;
  // Sized to the chunk, so a preset of any size encodes completely.
  int size = preset->mChunk.Size();
  WDL_TypedBuf<char> text;
  if (!text.Resize(4 * ((size + 2) / 3) + 1)) return false;
  wdl_base64encode(preset->mChunk.GetBytes(), text.Get(), size);

  FILE* fp = fopen(filename, "w");
  if (!fp) return false;
  fprintf(fp, "MakePresetFromBlob(\"name\", \"");
  fprintf(fp, "%s\", %i);\n", text.Get(), size);
  return fclose(fp) == 0;
}

void IPlugBase::InitChunkWithIPlugVer(ByteChunk* pChunk)
{
  pChunk->Clear();
  int magic = kIPlugVersionMagic, ver = kIPlugVersion;
  pChunk->Put(&magic);
  pChunk->Put(&ver);
}

int IPlugBase::GetIPlugVerFromChunk(ByteChunk* pChunk, int* pPos)
{
  int magic = 0, ver = 0;
  int pos = pChunk->Get(&magic, *pPos);
  if (pos >= 0 && magic == kIPlugVersionMagic)
  {
    *pPos = pChunk->Get(&ver, pos);
    return ver;
  }
  return 0;
}

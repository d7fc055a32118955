// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Program (fxp) and bank (fxb) files in the VST 2 layout. Header fields are
// big-endian; a chunk inside holds the framework's own little-endian state.
//
// Every read is checked against the file's end; a load that fails part way
// puts back what it had changed, so that false means nothing changed (a
// parameter bank keeps the programs before a broken record, as its loader
// has always done).
#include <cmath>
#include <cstring>
#include <vector>

#include "FxFile.h"
#include "IPlugBase.h"

namespace
{
const int kProgramHeaderSize = 56;
const int kBankHeaderSize = 156;
const int kNameFieldSize = 28;
const int kProgramFormatVersion = 1;
const int kBankFormatVersion = 2;

const int kCcnK = MakeFourCC("CcnK");
const int kFxCk = MakeFourCC("FxCk");  // parameter program
const int kFPCh = MakeFourCC("FPCh");  // chunk program
const int kFxBk = MakeFourCC("FxBk");  // parameter bank
const int kFBCh = MakeFourCC("FBCh");  // chunk bank

struct ProgramHeader
{
  int magic = 0, byteSize = 0, code = 0, version = 0, id = 0, fxVersion = 0, nParams = 0;
  char name[kNameFieldSize + 1] = "";  // a full field has no terminator of its own
};

void putProgramHeader(ByteChunk* out, int byteSize, int code, int id, int fxVersion, int nParams, const char* name)
{
  PutBigEndian(out, kCcnK);
  PutBigEndian(out, byteSize);
  PutBigEndian(out, code);
  PutBigEndian(out, kProgramFormatVersion);
  PutBigEndian(out, id);
  PutBigEndian(out, fxVersion);
  PutBigEndian(out, nParams);
  char field[kNameFieldSize] = {};
  // Names are cut to leave at least one zero in the field.
  if (name) memcpy(field, name, strnlen(name, kNameFieldSize - 1));
  out->PutBytes(field, kNameFieldSize);
}

int getProgramHeader(const ByteChunk& in, int pos, ProgramHeader* h)
{
  int* fields[] = {&h->magic, &h->byteSize, &h->code, &h->version, &h->id, &h->fxVersion, &h->nParams};
  for (int* field : fields) pos = GetBigEndian(in, field, pos);
  if (pos < 0 || pos + kNameFieldSize > in.Size()) return -1;
  memcpy(h->name, in.GetBytes() + pos, kNameFieldSize);
  h->name[kNameFieldSize] = '\0';
  return pos + kNameFieldSize;
}

// The chunk that follows its size at pos, without a version header; false
// when the size is negative or runs past the file.
bool getSizedChunk(const ByteChunk& in, int pos, ByteChunk* out)
{
  int size = 0;
  pos = GetBigEndian(in, &size, pos);
  if (pos < 0 || size < 0 || size > in.Size() - pos) return false;
  out->Clear();
  if (out->PutBytes(in.GetBytes() + pos, size) != size) return false;
  return true;
}

// Writes the chunk size, then the version header and the body; false when
// the file would not hold all of it (memory could not be had).
bool putVersionedChunk(ByteChunk* out, const ByteChunk& body)
{
  ByteChunk chunk;
  IPlugBase::InitChunkWithIPlugVer(&chunk);
  chunk.PutChunk(&body);
  int expected = out->Size() + 4 + 8 + body.Size();
  PutBigEndian(out, chunk.Size());
  out->PutChunk(&chunk);
  return out->Size() == expected;
}

// Where the body starts: after the version header when there is one.
int skipVersionHeader(ByteChunk* chunk)
{
  int pos = 0;
  IPlugBase::GetIPlugVerFromChunk(chunk, &pos);
  return pos;
}

// One big-endian float per parameter from pos, set as normalized values
// within 0..1, so every parameter lands in its range; the caller has checked
// them with valuesUsable.
void setNormalizedValues(IPlugBase* plug, const ByteChunk& in, int pos)
{
  for (int i = 0; i < plug->NParams(); ++i)
  {
    float v = 0.f;
    pos = GetBigEndian(in, &v, pos);
    plug->GetParam(i)->SetNormalized(std::fmin(std::fmax((double) v, 0.0), 1.0));
  }
}

bool holdsValuesFor(const IPlugBase* plug, const ByteChunk& in, int pos)
{
  return pos >= 0 && (in.Size() - pos) / 4 >= plug->NParams();
}

// Whether all values from pos mean something: a value that is not a number,
// or lies below 0 on a parameter whose curve has no value there, would
// leave that parameter behind while the rest loads. The caller has checked
// that they are in the file.
bool valuesUsable(IPlugBase* plug, const ByteChunk& in, int pos)
{
  for (int i = 0; i < plug->NParams(); ++i)
  {
    float v = 0.f;
    pos = GetBigEndian(in, &v, pos);
    if (!std::isfinite(v) || (v < 0.f && plug->GetParam(i)->GetShape() != 1.0)) return false;
  }
  return true;
}

// Makes the plug-in, its editor and its working members follow the loaded
// values: restoring a preset does all of that, and without one to restore
// it is done here.
void settleOnPreset(IPlugBase* plug, int idx)
{
  if (plug->RestorePreset(idx)) return;
  plug->OnParamReset();
  plug->RedrawParamControls();
}

// The size field of a chunk file counts the chunk and the header before it.
int chunkFileSize(const ByteChunk& body, int headerSize) { return body.Size() + 8 + headerSize + 4; }
}  // namespace

bool IPlugBase::SaveProgramAsFXP(const WDL_String& file)
{
  if (!*file.Get()) return false;
  ByteChunk out;
  {
    WDL_MutexLock lock(&mMutex);
    const char* name = GetPresetName(mCurrentPresetIdx);
    int fxVersion = GetEffectVersion(true);
    if (DoesStateChunks())
    {
      ByteChunk state;
      if (!SerializeState(&state)) return false;
      putProgramHeader(&out, chunkFileSize(state, kProgramHeaderSize), kFPCh, mUniqueID, fxVersion, NParams(), name);
      if (!putVersionedChunk(&out, state)) return false;
    }
    else
    {
      putProgramHeader(&out, 0, kFxCk, mUniqueID, fxVersion, NParams(), name);
      for (int i = 0; i < NParams(); ++i) PutBigEndian(&out, (float) GetParam(i)->GetNormalized());
      // A chunk that could not grow is shorter than its contents say.
      if (out.Size() != kProgramHeaderSize + 4 * NParams()) return false;
    }
  }
  return WriteWholeFile(file.Get(), out);
}

bool IPlugBase::SaveBankAsFXB(const WDL_String& file)
{
  if (!*file.Get()) return false;
  ByteChunk out;
  {
    WDL_MutexLock lock(&mMutex);
    int fxVersion = GetEffectVersion(true);
    ByteChunk presets;
    if (DoesStateChunks() && !SerializePresets(&presets)) return false;
    int fileSize = DoesStateChunks() ? chunkFileSize(presets, kBankHeaderSize) : 0;
    PutBigEndian(&out, kCcnK);
    PutBigEndian(&out, fileSize);
    PutBigEndian(&out, DoesStateChunks() ? kFBCh : kFxBk);
    PutBigEndian(&out, kBankFormatVersion);
    PutBigEndian(&out, mUniqueID);
    PutBigEndian(&out, fxVersion);
    PutBigEndian(&out, NPresets());
    PutBigEndian(&out, mCurrentPresetIdx);
    char zeros[kBankHeaderSize - 32] = {};
    out.PutBytes(zeros, (int) sizeof(zeros));

    if (DoesStateChunks())
    {
      if (!putVersionedChunk(&out, presets)) return false;
    }
    else
    {
      for (int p = 0; p < NPresets(); ++p)
      {
        IPreset* preset = mPresets.Get(p);
        putProgramHeader(&out, 0, kFxCk, mUniqueID, fxVersion, NParams(), preset->mName);
        // A stored value that cannot be read is 0.0, and so is every later one.
        int pos = 0;
        for (int i = 0; i < NParams(); ++i)
        {
          double v = 0.0;
          if (pos >= 0) pos = preset->mChunk.Get(&v, pos);
          if (pos < 0) v = 0.0;
          PutBigEndian(&out, (float) GetParam(i)->GetNormalized(v));
        }
      }
      if (out.Size() != kBankHeaderSize + NPresets() * (kProgramHeaderSize + 4 * NParams())) return false;
    }
  }
  return WriteWholeFile(file.Get(), out);
}

bool IPlugBase::LoadProgramFromFXP(const WDL_String& file)
{
  ByteChunk in;
  if (!ReadWholeFile(file.Get(), &in)) return false;
  ProgramHeader h;
  int pos = getProgramHeader(in, 0, &h);
  if (pos < 0 || h.magic != kCcnK || h.version != kProgramFormatVersion || h.id != mUniqueID || h.nParams != NParams())
    return false;

  WDL_MutexLock lock(&mMutex);
  if (DoesStateChunks() && h.code == kFPCh)
  {
    ByteChunk chunk, previous;
    if (!getSizedChunk(in, pos, &chunk) || !SerializeState(&previous)) return false;
    if (UnserializeState(&chunk, skipVersionHeader(&chunk)) < 0)
    {
      UnserializeState(&previous, 0);
      return false;
    }
  }
  else if (h.code == kFxCk)
  {
    // All values or none: a file that ends before its last float, or holds
    // one that cannot be set, is refused.
    if (!holdsValuesFor(this, in, pos) || !valuesUsable(this, in, pos)) return false;
    setNormalizedValues(this, in, pos);
  }
  else
  {
    return false;
  }

  ModifyCurrentPreset(h.name);
  settleOnPreset(this, mCurrentPresetIdx);
  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::LoadBankFromFXB(const WDL_String& file)
{
  ByteChunk in;
  if (!ReadWholeFile(file.Get(), &in)) return false;
  int magic = 0, code = 0, id = 0, nPrograms = 0, currentIdx = 0;
  GetBigEndian(in, &magic, 0);
  GetBigEndian(in, &code, 8);
  GetBigEndian(in, &id, 16);
  GetBigEndian(in, &nPrograms, 24);
  if (GetBigEndian(in, &currentIdx, 28) < 0 || magic != kCcnK || id != mUniqueID) return false;

  WDL_MutexLock lock(&mMutex);
  if (DoesStateChunks() && code == kFBCh)
  {
    ByteChunk chunk, previousState;
    if (!getSizedChunk(in, kBankHeaderSize, &chunk) || !SerializeState(&previousState)) return false;
    // The list is put back as it was, slot by slot: going through
    // UnserializePresets would fill a never-used current slot anew.
    std::vector<IPreset> previousPresets;
    for (int i = 0; i < NPresets(); ++i) previousPresets.push_back(*mPresets.Get(i));
    const int previousIdx = mCurrentPresetIdx;
    if (UnserializePresets(&chunk, skipVersionHeader(&chunk)) < 0)
    {
      for (int i = 0; i < NPresets(); ++i) *mPresets.Get(i) = previousPresets[(size_t) i];
      mCurrentPresetIdx = previousIdx;
      UnserializeState(&previousState, 0);
      RedrawParamControls();
      return false;
    }
    InformHostOfProgramChange();
    return true;
  }
  if (code != kFxBk || nPrograms < 0) return false;

  // A value that cannot be set refuses the whole bank before anything
  // changes; a record broken in its layout keeps the ones before it.
  for (int p = 0, at = kBankHeaderSize; p < nPrograms; ++p, at += 4 * NParams())
  {
    ProgramHeader h;
    at = getProgramHeader(in, at, &h);
    if (!holdsValuesFor(this, in, at)) break;
    if (!valuesUsable(this, in, at)) return false;
  }

  int pos = kBankHeaderSize;
  for (int p = 0; p < nPrograms; ++p)
  {
    ProgramHeader h;
    pos = getProgramHeader(in, pos, &h);
    if (pos < 0 || h.magic != kCcnK || h.code != kFxCk || h.version != kProgramFormatVersion ||
        h.nParams != NParams() || !holdsValuesFor(this, in, pos))
    {
      // The programs before stay loaded; the values in force are those of
      // the last one, with its working members and editor brought along.
      if (p > 0) settleOnPreset(this, mCurrentPresetIdx);
      return false;
    }
    RestorePreset(p);
    setNormalizedValues(this, in, pos);
    pos += 4 * NParams();
    ModifyCurrentPreset(h.name);
  }
  settleOnPreset(this, currentIdx);
  InformHostOfProgramChange();
  return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IDeferredChanges.h"

#include <cstring>

IDeferredChanges::IDeferredChanges(int nParams) : mNParams(nParams > 0 ? nParams : 0)
{
  mParams.reset(new std::atomic<uint64_t>[(size_t) mNParams]);
  for (int i = 0; i < mNParams; ++i) mParams[i].store(kEmpty, std::memory_order_relaxed);
}

void IDeferredChanges::Put(std::atomic<uint64_t>& slot, double value)
{
  uint64_t bits;
  memcpy(&bits, &value, sizeof(bits));
  slot.store(bits, std::memory_order_release);
}

bool IDeferredChanges::Take(std::atomic<uint64_t>& slot, double* value)
{
  const uint64_t bits = slot.exchange(kEmpty, std::memory_order_acq_rel);
  if (bits == kEmpty) return false;
  memcpy(value, &bits, sizeof(*value));
  return true;
}

void IDeferredChanges::DeferParam(int idx, double value)
{
  if (idx < 0 || idx >= mNParams) return;
  Put(mParams[idx], value);
  // Raised after the slot: a taker that missed the slot sees the flag again.
  mAny.store(true, std::memory_order_release);
}

void IDeferredChanges::DeferProgram(double value)
{
  for (int i = 0; i < mNParams; ++i) mParams[i].store(kEmpty, std::memory_order_release);
  Put(mProgram, value);
  mAny.store(true, std::memory_order_release);
}

bool IDeferredChanges::TakeParam(int idx, double* value)
{
  return idx >= 0 && idx < mNParams && Take(mParams[idx], value);
}

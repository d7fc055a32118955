// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Host changes that reached the audio thread while another thread held the
// framework mutex. The audio thread never waits for that mutex: it stores
// the change here (lock-free, no allocation) and goes on; whoever holds the
// mutex next applies what is stored. One slot per parameter keeps the
// latest value, so nothing the host sent is lost and nothing is applied
// twice out of order; a program change clears the parameter slots written
// before it, because the program replaces those values.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

class IDeferredChanges
{
public:
  explicit IDeferredChanges(int nParams);
  IDeferredChanges(const IDeferredChanges&) = delete;
  IDeferredChanges& operator=(const IDeferredChanges&) = delete;

  // The audio thread's side. Values must be finite.
  void DeferParam(int idx, double value);
  void DeferProgram(double value);

  // The side that holds the mutex. Any() is a cheap first look; the program
  // change is taken before the parameters, since those came after it.
  bool Any() const { return mAny.load(std::memory_order_acquire); }
  bool TakeAny() { return mAny.exchange(false, std::memory_order_acq_rel); }
  bool TakeProgram(double* value) { return Take(mProgram, value); }
  bool TakeParam(int idx, double* value);
  int NParams() const { return mNParams; }

private:
  // A NaN payload no finite value has: the empty slot.
  static const uint64_t kEmpty = 0x7FF8DEADBEEF0001ull;
  static bool Take(std::atomic<uint64_t>& slot, double* value);
  static void Put(std::atomic<uint64_t>& slot, double value);

  int mNParams;
  std::unique_ptr<std::atomic<uint64_t>[]> mParams;
  std::atomic<uint64_t> mProgram{kEmpty};
  std::atomic<bool> mAny{false};
};

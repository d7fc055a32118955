// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Watches what the calling thread does while armed: heap allocations and
// frees, and waits on a lock that another thread holds. Linked only into
// test programs without sanitizers, since it replaces the C allocator's
// entry points, the global operator new and pthread_mutex_lock; the
// sanitizer trees link AllocationCounterOff.cpp, which counts nothing.
#pragma once

namespace AllocationCounter
{
// False where nothing is interposed (the sanitizer trees).
bool Counting();
void Arm();
// Disarms and returns the number of allocations seen since Arm.
long Disarm();
// Since the last Arm, up to the Disarm: frees of a block, locks that had to
// wait for another thread, and tries that found a lock held (the caller
// then went on without it).
long Frees();
long LockWaits();
long LocksFoundHeld();
}  // namespace AllocationCounter

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The sanitizer trees' stand-in: the sanitizers own the allocator and the
// locks, so nothing is interposed and nothing is counted (Counting() says
// so, and tests skip their counts). The same scenarios still run there, for
// the sanitizers' own findings.
#include "AllocationCounter.h"

bool AllocationCounter::Counting() { return false; }
void AllocationCounter::Arm() {}
long AllocationCounter::Disarm() { return 0; }
long AllocationCounter::Frees() { return 0; }
long AllocationCounter::LockWaits() { return 0; }
long AllocationCounter::LocksFoundHeld() { return 0; }

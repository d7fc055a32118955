// Counts heap allocations made by the calling thread while armed. Linked
// only into test programs without sanitizers, since it replaces the C
// allocator's entry points and the global operator new.
#pragma once

namespace AllocationCounter
{
void Arm();
// Disarms and returns the number of allocations seen since Arm.
long Disarm();
}  // namespace AllocationCounter

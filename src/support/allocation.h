#pragma once
// A size check before the large allocations. A request that the machine can
// never satisfy (n x n cells for a million nodes is four terabytes) is
// refused at once with std::bad_alloc, the exception that the memory guards
// turn into the run's memory failure, instead of being left to the allocator:
// that may take minutes to fail, or hand out pages that the kernel's
// out-of-memory killer reclaims later by ending the whole process.
#include <cstddef>

namespace verdalis {

// The most bytes that one allocation may ask for: the machine's memory and
// swap together, lowered to the process's address-space and data limits
// when those are set.
std::size_t allocationCeiling();

// Throws std::bad_alloc when count elements of elementSize bytes overflow
// the size type or pass allocationCeiling().
void requireAllocatable(std::size_t count, std::size_t elementSize);

// The memory a run can still take: what the machine can hand out without
// taking it from others (available memory and free swap), lowered to the
// process's address-space limit less its present size and what each of
// `threads` workers will reserve, and to its data limit less its data.
std::size_t memoryAvailable(unsigned threads);

// rows x cols, or std::bad_alloc when the product overflows.
std::size_t cellCount(std::size_t rows, std::size_t cols);

}  // namespace verdalis

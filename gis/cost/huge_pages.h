#pragma once
// An allocator for the arrays of a search over a large raster: the cost of
// every cell of the window and the raster's resistances. A search reads them
// along its front, rows apart, so with pages of 4 KB nearly every step of a
// search over a raster of 10,000 x 10,000 cells misses the processor's table
// of pages; Linux's pages of 2 MB (asked for, where the system gives them on
// request) cut those misses some 500-fold. Only a hint: where it is not
// given, the arrays are ordinary ones, and nothing computed changes.
#include <cstddef>
#include <cstdint>
#include <memory>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace verdalis::gis {

template <class T>
struct hugePageAllocator {
  using value_type = T;
  hugePageAllocator() = default;
  template <class U>
  hugePageAllocator(const hugePageAllocator<U>&) {}

  T* allocate(std::size_t n) {
    T* p = std::allocator<T>().allocate(n);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Arrays of a few megabytes gain nothing; the pages asked for must be whole ones.
    constexpr std::size_t page = 4096, worthIt = std::size_t(8) << 20;
    if (n * sizeof(T) >= worthIt) {
      const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(p) + page - 1) & ~(page - 1);
      const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(p) + n * sizeof(T)) & ~(page - 1);
      madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#endif
    return p;
  }
  void deallocate(T* p, std::size_t n) { std::allocator<T>().deallocate(p, n); }
};

template <class T, class U>
bool operator==(const hugePageAllocator<T>&, const hugePageAllocator<U>&) { return true; }
template <class T, class U>
bool operator!=(const hugePageAllocator<T>&, const hugePageAllocator<U>&) { return false; }

}  // namespace verdalis::gis

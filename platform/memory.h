// Storage of the large arrays: mapped on their own in whole 2 MiB pages and
// advised for transparent huge pages, so that where the system gives huge
// pages the model's big lists and tables cost one page fault and one TLB
// entry per 2 MiB rather than per 4 KiB, and walks that jump about several
// such arrays at once (the load's list building) miss the TLB less often
// once the arrays outgrow the caches. Smaller arrays, and every array of a
// build with the address sanitizer (which checks heap blocks only), come
// from the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace plat {

// Arrays of at least this many bytes are mapped in whole pages of this size.
inline constexpr std::size_t kLargePageBytes = std::size_t{2} << 20;

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kMapLargeArrays = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kMapLargeArrays = false;
#else
inline constexpr bool kMapLargeArrays = true;
#endif
#else
inline constexpr bool kMapLargeArrays = true;
#endif

// Zeroed, writable pages for at least `bytes` bytes starting at a multiple
// of kLargePageBytes; nullptr when the system has no room. A hint for huge
// pages is given where the system takes one.
void* map_large_pages(std::size_t bytes);
// Gives back what map_large_pages(bytes) returned.
void unmap_large_pages(void* p, std::size_t bytes) noexcept;

// The allocator of the owning arrays (plat::Array1, plat::Array2).
template <class T>
struct ArrayAllocator {
  using value_type = T;
  ArrayAllocator() = default;
  template <class U>
  ArrayAllocator(const ArrayAllocator<U>&) noexcept {}  // NOLINT: rebinding

  static bool mapped(std::size_t n) { return kMapLargeArrays && n >= kLargePageBytes / sizeof(T); }
  // As the heap's allocator: a longer vector is refused with length_error.
  std::size_t max_size() const noexcept { return static_cast<std::size_t>(PTRDIFF_MAX) / sizeof(T); }

  T* allocate(std::size_t n) {
    if (!mapped(n)) return std::allocator<T>().allocate(n);
    if (n > max_size()) throw std::bad_array_new_length();
    void* p = map_large_pages(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (mapped(n)) unmap_large_pages(p, n * sizeof(T));
    else std::allocator<T>().deallocate(p, n);
  }
  template <class U>
  bool operator==(const ArrayAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace plat

#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace plat {
namespace {

// `bytes` rounded up to whole large pages; 0 when that overflows.
std::size_t whole_pages(std::size_t bytes) {
  const std::size_t rounded = (bytes + (kLargePageBytes - 1)) & ~(kLargePageBytes - 1);
  return rounded < bytes ? 0 : rounded;
}

}  // namespace

void* map_large_pages(std::size_t bytes) {
  const std::size_t size = whole_pages(bytes);
  // One page more than needed, so that an aligned run of `size` bytes lies
  // inside; the ends before and after it are given back at once.
  const std::size_t span = size + kLargePageBytes;
  if (size == 0 || span < size) return nullptr;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto base = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = (base + (kLargePageBytes - 1)) & ~(std::uintptr_t{kLargePageBytes} - 1);
  const std::uintptr_t end = start + size;
  if (start > base) ::munmap(raw, start - base);
  if (base + span > end) ::munmap(reinterpret_cast<void*>(end), base + span - end);
#if defined(MADV_HUGEPAGE)
  // Only a hint: without huge pages the mapping works as well.
  ::madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(start);
}

void unmap_large_pages(void* p, std::size_t bytes) noexcept {
  if (p) ::munmap(p, whole_pages(bytes));
}

}  // namespace plat

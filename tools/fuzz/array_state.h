// The global arrays of a fuzz harness's model as plain bytes: their shapes,
// and an image of their contents that is taken once and copied back before
// every input.
//
// Copying bytes back runs no instrumented code of the library, so the
// fuzzer's coverage of an input holds only the edges of the input's own run:
// the constant edges of building a model, hundreds of them, neither cost
// their run time nor weigh in the fuzzer's bookkeeping of every input.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "modeldata/global_arrays.h"

// Marks a harness routine whose own code the fuzzer does not trace: set-up
// and clean-up that run the same way for every input (the library routines
// they call are traced as everywhere). Not inlined, so that it stays
// untraced inside a traced caller.
#if defined(__clang__)
#define TNA_FUZZ_UNTRACED __attribute__((no_sanitize("coverage"), noinline))
#else
#define TNA_FUZZ_UNTRACED
#endif

namespace fuzz_arrays {

// The shape of every array of the allocation (the 108 arrays, LOCI and
// LOCR): element counts, and rows of the two-dimensional ones.
TNA_FUZZ_UNTRACED inline std::vector<std::int64_t>& array_shapes(std::vector<std::int64_t>& out) {
  out.clear();
#define TNA_X1(name, T, n) out.push_back(name.size());
#define TNA_X2(name, T, r, c) out.push_back(name.size()), out.push_back(name.rows());
  TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2
  out.push_back(LOCI.size());
  out.push_back(LOCI.rows());
  out.push_back(LOCR.size());
  out.push_back(LOCR.rows());
  return out;
}

// The bytes of n elements at p.
template <class T>
std::size_t byte_count(const T*, std::int64_t n) {
  static_assert(std::is_trivially_copyable_v<T>);
  return n > 0 ? static_cast<std::size_t>(n) * sizeof(T) : 0;
}

// The contents of every array, one after another in list order, with the
// shapes they had when taken.
struct ArrayImage {
  std::vector<std::int64_t> shapes;
  std::vector<unsigned char> bytes;

  TNA_FUZZ_UNTRACED void take() {
    array_shapes(shapes);
    bytes.clear();
    auto append = [&](const auto* p, std::int64_t n) {
      const std::size_t k = byte_count(p, n);
      const std::size_t at = bytes.size();
      bytes.resize(at + k);
      if (k > 0) std::memcpy(bytes.data() + at, static_cast<const void*>(p), k);
    };
#define TNA_X1(name, T, n) append(name.data(), name.size());
#define TNA_X2(name, T, r, c) append(name.data(), name.size());
    TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2
    append(LOCI.data(), LOCI.size());
    append(LOCR.data(), LOCR.size());
  }

  // Copies the image back; false (nothing copied) when no image was taken
  // or an array's shape differs from the one it had.
  TNA_FUZZ_UNTRACED bool restore() const {
    static std::vector<std::int64_t> now;
    if (shapes.empty() || array_shapes(now) != shapes) return false;
    std::size_t at = 0;
    auto copy = [&](auto* p, std::int64_t n) {
      const std::size_t k = byte_count(p, n);
      if (k > 0) std::memcpy(static_cast<void*>(p), bytes.data() + at, k);
      at += k;
    };
#define TNA_X1(name, T, n) copy(name.data(), name.size());
#define TNA_X2(name, T, r, c) copy(name.data(), name.size());
    TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2
    copy(LOCI.data(), LOCI.size());
    copy(LOCR.data(), LOCR.size());
    return true;
  }
};

}  // namespace fuzz_arrays

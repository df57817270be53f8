// Array-argument views shared by the thermal kernels (one-based).
#pragma once

#include <cstdint>

#include "platform/array.h"
#include "platform/text.h"

using ThInts = plat::Vec1<std::int32_t>;
using ThCInts = plat::Vec1<const std::int32_t>;
using ThReals = plat::Vec1<double>;
using ThCReals = plat::Vec1<const double>;
using ThCLetters = plat::Vec1<const plat::Text<1>>;
// Compact connection-list pointers, 6 rows per thermal node.
using ThCPtrs = plat::Mat2<const std::int32_t>;

// A read-only view of a column-major array, as the compact pointers are
// passed.
template <class T>
plat::Mat2<const T> th_cmat(const plat::Array2<T>& a) {
  return plat::Mat2<const T>(a.data(), a.rows(), a.cols());
}

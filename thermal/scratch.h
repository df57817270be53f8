// Heap scratch arrays of the solution routines. Each is sized once per call,
// never inside the step or pass loops; running out of memory ends the run
// with the consistency stop.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/array.h"
#include "platform/process.h"

[[noreturn]] inline void th_allocation_failed() {
  plat::consistency_stop("Allocation would exceed memory limit", 1);
}

// Sizes v to n elements (at least one, so that its data pointer is valid)
// and returns the one-based view of its first n (none when n < 1).
template <class T>
plat::Vec1<T> th_take_scratch(std::vector<T>& v, std::int64_t n) {
  try {
    v.assign(static_cast<std::size_t>(n < 1 ? 1 : n), T());
  } catch (const std::bad_alloc&) {
    th_allocation_failed();
  } catch (const std::length_error&) {
    th_allocation_failed();
  }
  return plat::Vec1<T>(v.data(), n < 1 ? 0 : n);
}

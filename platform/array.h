// One-based arrays as the model data is indexed: 1-D and column-major 2-D.
//
// Vec1<T> is a non-owning view of n elements indexed 1..n (an array argument
// that starts at some element of a larger array); Array1<T> owns its storage.
// Mat2<T>/Array2<T> are the column-major 2-D forms, element (i, j) at
// (i-1) + (j-1)*rows. Indexing is checked when TNA_BOUNDS_CHECK is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/memory.h"

namespace plat {

[[noreturn]] inline void bounds_failure(long long i, long long n, const char* what) {
  std::fprintf(stderr, "index %lld outside 1..%lld of %s\n", i, n, what);
  std::abort();
}

#if defined(TNA_BOUNDS_CHECK)
#define TNA_CHECK_INDEX(i, n, what) \
  do { \
    if ((i) < 1 || (i) > (n)) ::plat::bounds_failure((i), (n), (what)); \
  } while (0)
#else
#define TNA_CHECK_INDEX(i, n, what) ((void)sizeof((i) < (n)))  // unevaluated: no cost, no unused warnings
#endif

template <class T>
class Vec1 {
 public:
  Vec1() = default;
  Vec1(T* p, std::int64_t n) : p_(p), n_(n) {}
  template <class U>
  Vec1(const Vec1<U>& o) : p_(o.data()), n_(o.size()) {}  // NOLINT: T* from U* (adds const)

  T& operator()(std::int64_t i) const {
    TNA_CHECK_INDEX(i, n_, "array view");
    return p_[i - 1];
  }
  std::int64_t size() const { return n_; }
  T* data() const { return p_; }
  T* begin() const { return p_; }
  T* end() const { return p_ + n_; }
  // View of elements first..first+n-1 (one-based), like passing A(first) to a routine.
  Vec1 from(std::int64_t first, std::int64_t n) const {
    if (n > 0) {
      TNA_CHECK_INDEX(first, n_, "array view");
      TNA_CHECK_INDEX(first + n - 1, n_, "array view");
    }
    return Vec1(p_ + (first - 1), n);
  }
  Vec1 from(std::int64_t first) const { return Vec1(p_ + (first - 1), n_ - first + 1); }

 private:
  T* p_ = nullptr;
  std::int64_t n_ = 0;
};

template <class T>
class Array1 {
 public:
  Array1() = default;
  explicit Array1(std::int64_t n, const T& v = T()) : d_(static_cast<std::size_t>(n < 0 ? 0 : n), v) {}

  void allocate(std::int64_t n, const T& v = T()) { d_.assign(static_cast<std::size_t>(n < 0 ? 0 : n), v); }
  void deallocate() { Storage().swap(d_); }
  bool empty() const { return d_.empty(); }

  T& operator()(std::int64_t i) {
    TNA_CHECK_INDEX(i, size(), "array");
    return d_[static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(std::int64_t i) const {
    TNA_CHECK_INDEX(i, size(), "array");
    return d_[static_cast<std::size_t>(i - 1)];
  }
  std::int64_t size() const { return static_cast<std::int64_t>(d_.size()); }
  T* data() { return d_.data(); }
  const T* data() const { return d_.data(); }
  T* begin() { return d_.data(); }
  T* end() { return d_.data() + d_.size(); }
  const T* begin() const { return d_.data(); }
  const T* end() const { return d_.data() + d_.size(); }
  Vec1<T> view() { return Vec1<T>(d_.data(), size()); }
  Vec1<const T> view() const { return Vec1<const T>(d_.data(), size()); }
  operator Vec1<T>() { return view(); }              // NOLINT
  operator Vec1<const T>() const { return view(); }  // NOLINT
  Vec1<T> from(std::int64_t first, std::int64_t n) { return view().from(first, n); }
  Vec1<T> from(std::int64_t first) { return view().from(first); }

 private:
  using Storage = std::vector<T, ArrayAllocator<T>>;
  Storage d_;
};

template <class T>
class Mat2 {
 public:
  Mat2() = default;
  Mat2(T* p, std::int64_t rows, std::int64_t cols) : p_(p), r_(rows), c_(cols) {}

  T& operator()(std::int64_t i, std::int64_t j) const {
    TNA_CHECK_INDEX(i, r_, "matrix row");
    TNA_CHECK_INDEX(j, c_, "matrix column");
    return p_[(i - 1) + (j - 1) * r_];
  }
  std::int64_t rows() const { return r_; }
  std::int64_t cols() const { return c_; }
  T* data() const { return p_; }
  // Column j as a one-based view.
  Vec1<T> col(std::int64_t j) const {
    TNA_CHECK_INDEX(j, c_, "matrix column");
    return Vec1<T>(p_ + (j - 1) * r_, r_);
  }

 private:
  T* p_ = nullptr;
  std::int64_t r_ = 0, c_ = 0;
};

template <class T>
class Array2 {
 public:
  Array2() = default;
  Array2(std::int64_t rows, std::int64_t cols, const T& v = T()) { allocate(rows, cols, v); }

  void allocate(std::int64_t rows, std::int64_t cols, const T& v = T()) {
    r_ = rows < 0 ? 0 : rows;
    c_ = cols < 0 ? 0 : cols;
    d_.assign(static_cast<std::size_t>(r_ * c_), v);
  }
  void deallocate() {
    Storage().swap(d_);
    r_ = c_ = 0;
  }

  T& operator()(std::int64_t i, std::int64_t j) {
    TNA_CHECK_INDEX(i, r_, "matrix row");
    TNA_CHECK_INDEX(j, c_, "matrix column");
    return d_[static_cast<std::size_t>((i - 1) + (j - 1) * r_)];
  }
  const T& operator()(std::int64_t i, std::int64_t j) const {
    TNA_CHECK_INDEX(i, r_, "matrix row");
    TNA_CHECK_INDEX(j, c_, "matrix column");
    return d_[static_cast<std::size_t>((i - 1) + (j - 1) * r_)];
  }
  std::int64_t rows() const { return r_; }
  std::int64_t cols() const { return c_; }
  std::int64_t size() const { return r_ * c_; }
  T* data() { return d_.data(); }
  const T* data() const { return d_.data(); }
  Mat2<T> view() { return Mat2<T>(d_.data(), r_, c_); }
  operator Mat2<T>() { return view(); }  // NOLINT
  Vec1<T> col(std::int64_t j) { return view().col(j); }
  // The whole matrix as one column-major sequence.
  Vec1<T> flat() { return Vec1<T>(d_.data(), size()); }

 private:
  using Storage = std::vector<T, ArrayAllocator<T>>;
  Storage d_;
  std::int64_t r_ = 0, c_ = 0;
};

}  // namespace plat

// TextVec1/CTextVec1: the one-based view of an array of texts of one fixed
// length (an array of character items as the model data and the file names
// hold them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "platform/array.h"
#include "platform/text.h"

// One-based view of n texts of len characters each, stored back to back
// (plat::Text<L> arrays, or any caller buffer). C is char or const char.
template <class C>
class BasicTextVec1 {
 public:
  BasicTextVec1() = default;
  BasicTextVec1(C* p, std::int64_t n, std::size_t len) : p_(p), n_(n < 0 ? 0 : n), len_(len) {}
  template <std::size_t L>
  BasicTextVec1(plat::Vec1<plat::Text<L>> v)  // NOLINT: arrays of texts convert
      : p_(reinterpret_cast<C*>(v.data())), n_(v.size()), len_(L) {}
  template <std::size_t L, class D = C, std::enable_if_t<std::is_const_v<D>, int> = 0>
  BasicTextVec1(plat::Vec1<const plat::Text<L>> v)  // NOLINT
      : p_(reinterpret_cast<C*>(v.data())), n_(v.size()), len_(L) {}
  template <std::size_t L>
  BasicTextVec1(plat::Array1<plat::Text<L>>& a)  // NOLINT
      : BasicTextVec1(a.view()) {}
  template <std::size_t L, class D = C, std::enable_if_t<std::is_const_v<D>, int> = 0>
  BasicTextVec1(const plat::Array1<plat::Text<L>>& a)  // NOLINT
      : p_(reinterpret_cast<C*>(a.data())), n_(a.size()), len_(L) {}
  template <class D = C, std::enable_if_t<std::is_const_v<D>, int> = 0>
  BasicTextVec1(const BasicTextVec1<char>& o)  // NOLINT: mutable view to read-only view
      : p_(o.data()), n_(o.size()), len_(o.len()) {}

  std::int64_t size() const { return n_; }
  std::size_t len() const { return len_; }  // characters per item
  C* data() const { return p_; }
  // Item i (1..size) as read-only text.
  std::string_view view(std::int64_t i) const {
    TNA_CHECK_INDEX(i, n_, "text array view");
    return {p_ + static_cast<std::size_t>(i - 1) * len_, len_};
  }
  // Item i as a writable text (mutable views only).
  template <class D = C, std::enable_if_t<!std::is_const_v<D>, int> = 0>
  plat::TextRef operator()(std::int64_t i) const {
    TNA_CHECK_INDEX(i, n_, "text array view");
    return {p_ + static_cast<std::size_t>(i - 1) * len_, len_};
  }
  // Items first..first+n-1, like passing A(first) to a routine.
  BasicTextVec1 from(std::int64_t first, std::int64_t n) const {
    if (n > 0) {
      TNA_CHECK_INDEX(first, n_, "text array view");
      TNA_CHECK_INDEX(first + n - 1, n_, "text array view");
    }
    return BasicTextVec1(p_ + static_cast<std::size_t>(first - 1) * len_, n, len_);
  }

 private:
  C* p_ = nullptr;
  std::int64_t n_ = 0;
  std::size_t len_ = 0;
};
using TextVec1 = BasicTextVec1<char>;
using CTextVec1 = BasicTextVec1<const char>;

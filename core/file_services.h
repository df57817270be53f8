// File naming and opening: the run-file names built from the model name, the
// one routine that opens every unit file of the system, closing with a
// disposition, existence enquiries and buffer flushes.
//
// Also home of TextVec1/CTextVec1, the one-based view of an array of texts of
// one fixed length (an array of character items as the model data and the
// file names hold them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

// Builds the first `count` run-file names (model-name stem + extension) into
// the elements of `names` (element length chosen by the caller). status 0;
// 1 when count exceeds the 23 extensions (or the elements of names); -1 when
// the model name is blank, has a blank inside its first eight characters
// before a non-blank, or the stem and extension do not fit an element.
void SFLNAM(std::string_view model_name, int count, TextVec1 names, int& status);

// Opens the named sequential file on unit. form "FORMATTED"/"UNFORMATTED",
// open_status "OLD"/"UNKNOWN"; status 0, 1 (blank name, nothing done), or the
// positive error number of the open (after the "Error opening file@" box) or
// of the rewind that follows it.
void SOPSQ(std::string_view file_name, std::string_view form, std::string_view open_status, int unit,
           int& status);

// Closes unit with disposition "KEEP" or "DELETE". A unit not connected is no
// error. A failed close prints the "File closing error has occurred@" box.
void SCLFIL(std::string_view close_status, int unit, int& status);

// exists := 1 when any of the first count names names an existing file
// (blank names skipped); status is the error of a failed enquiry.
void SFLXST(CTextVec1 names, int count, int& exists, int& status);

// Whether the model database file of the model exists; status 1 when its
// name cannot be built.
void SMODCH(std::string_view model_name, int& exists, int& status);

// Opens the model database file of the model unformatted "OLD" on unit;
// status -1 when its name cannot be built, else as SOPSQ.
void SOPEXT(std::string_view model_name, int unit, int& status);

// Writes the unit's buffered output to its file.
void EFLUSH(int unit);

// target := source, cut or blank-padded; a target of length 0 is left alone.
void SFLDEP(std::string_view source, plat::TextRef target);

namespace filesvc {
// The 220-character message texts of the open and close failure boxes
// (exposed so that their exact layout can be checked).
std::string open_message(std::string_view file_name, int unit, int error);
std::string close_message(std::string_view connected_name, int unit, int error);
// The shown part of a connected file name: after the first "]" (from the start
// when there is none) up to the character before the first blank.
std::string_view shown_name(std::string_view connected_name);
// Integer right-aligned in `width` columns, asterisks when it does not fit
// (the fixed-width integer field of the system's messages).
std::string int_field(long long value, int width);
}  // namespace filesvc

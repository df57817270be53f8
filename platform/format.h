// Run-time Fortran format engine: formatted output and input driven by format
// texts that are built or supplied while the program runs.
//
// Usage
//
//   // Records as strings (one string per record, no line ends):
//   auto recs = plat::format_records("(1X, A17, 2X, A8, 25X, A24, /)", date, time, job);
//   // Straight to a unit (each record through plat::io::write_line):
//   int st = plat::write_formatted(6, "(1X,'AT NODE NUMBER',1X,I10)", node);
//   // Leave the record open; the next write on the unit continues it:
//   st = plat::write_formatted_partial(6, "(1X,' TIMEN =',F10.2)", timen);
//   // Into a fixed-length text (blank-padded; non-zero status when it does not fit):
//   plat::Text<8> buf;  st = plat::write_internal(buf, "(I3)", gap);
//   // Input from a unit or from a text:
//   int n; double x; plat::Text<24> name;
//   st = plat::read_formatted(5, "(I5, F10.0, A)", n, x, name);
//   st = plat::read_internal(" 1.5+3", "(E6.0)", /*blank_zero=*/false, x);
//
// Output items: int / long / long long (and other integers up to 64 bits),
// double, float (written as its exact value), bool (logical), texts
// (std::string_view, std::string, const char*, plat::Text<N>, plat::TextRef),
// and arrays (plat::Vec1<T>, plat::Array1<T>, std::span<T>, std::vector<T>)
// expanded element by element. Input references: int&, long long& (long&),
// double&, float&, bool&, plat::Text<N>&, plat::TextRef, and arrays of those
// element types (plat::Vec1<T>, plat::Array1<T>&, std::span<T>).
//
// Format texts: with or without the outer parentheses; blanks outside quoted
// literals are ignored ("F10. 4" is F10.4). A text that begins with "(" ends at
// the matching ")"; anything after it is ignored, as a format held in a
// character variable. Edit descriptors: Iw[.m], Fw.d, Ew.d[Ee], ESw.d[Ee],
// ENw.d[Ee], Dw.d, Gw.d[Ee] (Gw for integer, logical and character items),
// Lw, A[w], nX, Tn, TLn, TRn, [n]/, :, $, kP, BN, BZ, S, SP, SS, 'text' and
// "text" literals (a doubled quote stands for one), repeat counts and nested
// groups. I0 and F0.d give the minimal width. When the format ends with items
// left, a new record begins and the format reverts to the last top-level
// group (with its repeat count), or to its start when it has none.
//
// Output follows gfortran exactly (the tests compare with tables that gfortran
// wrote), with one deliberate difference: a record in which nothing but
// positioning happened (such as the record of "(1X)") holds blanks up to the
// position reached, where gfortran writes an empty record. The system prints
// "(1X)" to get a line holding one blank. Positioning after written
// characters at the end of a record adds nothing (as in gfortran), so "(1X)"
// that ends a record left open by a non-advancing write adds no character.
// The "$" descriptor leaves the record open like write_formatted_partial.
//
// Input: a field is the next w characters of the record; a record shorter
// than the format needs reads as padded with blanks. Blanks inside numeric
// fields are ignored or read as zeros (blank_zero; for units
// plat::io::blank_zero(unit)); an all-blank numeric field reads as zero. F, E,
// D and G fields without a decimal point have d implied decimals; exponents
// may be written 1.5E3, 1.5D3, 1.5E+3 or 1.5+3. Reading beyond the only record
// of an internal text gives plat::io::kEnd.
//
// Every call returns an I/O status: 0, plat::io::kEnd at end of file, or a
// positive error: the unit layer's codes, or one of the codes below. A bad
// format text or a bad input field is a status, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/array.h"
#include "platform/text.h"
#include "platform/units.h"

namespace plat::io {
// (Unit layer: kPastRecord 5001, kBadRecord 5002, kNotConnected 5003,
// kWrongForm 5004, kBadSpecifier 5005.)
constexpr int kBadInput = 5010;          // malformed numeric or logical input field, or out of range
constexpr int kBadFormat = 5011;         // malformed format text, or one that cannot be carried out
                                         // (items left but no data descriptor, scale factor out
                                         // of range for E/D, record longer than 1 MiB,
                                         // more than 64 MiB from one statement)
constexpr int kItemMismatch = 5012;      // item type does not suit its edit descriptor
constexpr int kInternalOverflow = 5013;  // internal write longer than its text or needing two records
}  // namespace plat::io

namespace plat {

namespace fmt_detail {

enum class Elem : unsigned char { None, I32, I64, F32, F64, Bool, Chars };

// One output item: a scalar held by value, or an array/text by pointer.
struct OutItem {
  Elem elem = Elem::None;
  bool by_value = false;
  long long iv = 0;
  double dv = 0.0;
  const void* p = nullptr;
  std::size_t n = 0;    // element count
  std::size_t len = 0;  // characters per element (Chars)
};

// One input reference.
struct InItem {
  Elem elem = Elem::None;
  void* p = nullptr;
  std::size_t n = 0;
  std::size_t len = 0;
};

template <class T>
struct is_text : std::false_type {};
template <std::size_t N>
struct is_text<Text<N>> : std::true_type {};

template <class T>
constexpr Elem elem_of() {
  using U = std::remove_cv_t<T>;
  if constexpr (std::is_same_v<U, bool>) return Elem::Bool;
  else if constexpr (std::is_same_v<U, double>) return Elem::F64;
  else if constexpr (std::is_same_v<U, float>) return Elem::F32;
  else if constexpr (std::is_integral_v<U> && std::is_signed_v<U> && sizeof(U) == 4) return Elem::I32;
  else if constexpr (std::is_integral_v<U> && std::is_signed_v<U> && sizeof(U) == 8) return Elem::I64;
  else if constexpr (is_text<U>::value) return Elem::Chars;
  else return Elem::None;
}

template <class T>
OutItem out_array(const T* p, std::size_t n) {
  constexpr Elem e = elem_of<T>();
  static_assert(e != Elem::None, "unsupported array element type for formatted output");
  OutItem it;
  it.elem = e;
  it.p = p;
  it.n = n;
  if constexpr (e == Elem::Chars) it.len = T::size();
  return it;
}

template <class T>
OutItem out_item(const T& v) {
  using U = std::remove_cvref_t<T>;
  OutItem it;
  if constexpr (std::is_same_v<U, bool>) {
    it.elem = Elem::Bool, it.by_value = true, it.iv = v ? 1 : 0, it.n = 1;
  } else if constexpr (std::is_floating_point_v<U>) {
    it.elem = Elem::F64, it.by_value = true, it.dv = static_cast<double>(v), it.n = 1;
  } else if constexpr (std::is_same_v<U, char>) {
    it.elem = Elem::Chars, it.p = &v, it.len = 1, it.n = 1;
  } else if constexpr (std::is_integral_v<U>) {
    it.elem = Elem::I64, it.by_value = true, it.iv = static_cast<long long>(v), it.n = 1;
  } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
    const std::string_view s = v;
    it.elem = Elem::Chars, it.p = s.data(), it.len = s.size(), it.n = 1;
  } else if constexpr (std::is_same_v<U, TextRef>) {
    it.elem = Elem::Chars, it.p = v.data(), it.len = v.size(), it.n = 1;
  } else if constexpr (requires {
                         v.data();
                         v.size();
                         typename U::value_type;
                       }) {
    using E = std::remove_cv_t<typename U::value_type>;
    return out_array<E>(v.data(), static_cast<std::size_t>(v.size()));
  } else if constexpr (requires {
                         v.data();
                         v.size();
                       }) {
    // Vec1<T>: element type from data().
    using E = std::remove_cv_t<std::remove_pointer_t<decltype(v.data())>>;
    return out_array<E>(v.data(), static_cast<std::size_t>(v.size()));
  } else {
    static_assert(sizeof(U) == 0, "unsupported item type for formatted output");
  }
  return it;
}

template <class T>
InItem in_array(T* p, std::size_t n) {
  constexpr Elem e = elem_of<T>();
  static_assert(e != Elem::None && !std::is_const_v<T>, "unsupported array element type for formatted input");
  InItem it;
  it.elem = e;
  it.p = p;
  it.n = n;
  if constexpr (e == Elem::Chars) it.len = T::size();
  return it;
}

template <class T>
InItem in_item(T&& v) {
  using U = std::remove_cvref_t<T>;
  InItem it;
  if constexpr (std::is_same_v<U, TextRef>) {
    it.elem = Elem::Chars, it.p = v.data(), it.len = v.size(), it.n = 1;
  } else if constexpr (is_text<U>::value) {
    static_assert(!std::is_const_v<std::remove_reference_t<T>>, "input into a const text");
    it.elem = Elem::Chars, it.p = v.data(), it.len = U::size(), it.n = 1;
  } else if constexpr (elem_of<U>() != Elem::None) {
    static_assert(std::is_lvalue_reference_v<T> && !std::is_const_v<std::remove_reference_t<T>>,
                  "formatted input needs a modifiable variable");
    it.elem = elem_of<U>(), it.p = &v, it.n = 1;
  } else if constexpr (requires {
                         v.data();
                         v.size();
                       }) {
    using E = std::remove_pointer_t<decltype(v.data())>;
    return in_array<E>(v.data(), static_cast<std::size_t>(v.size()));
  } else {
    static_assert(sizeof(U) == 0, "unsupported reference type for formatted input");
  }
  return it;
}

int format_records_impl(std::vector<std::string>& out, std::string_view fmt, const OutItem* items, std::size_t n);
int write_unit_impl(int unit, bool partial, std::string_view fmt, const OutItem* items, std::size_t n);
int write_internal_impl(TextRef dest, std::string_view fmt, const OutItem* items, std::size_t n);
int read_unit_impl(int unit, std::string_view fmt, const InItem* items, std::size_t n);
int read_internal_impl(std::string_view src, std::string_view fmt, bool blank_zero, const InItem* items,
                       std::size_t n);

}  // namespace fmt_detail

// Formats the items into records (strings without line ends); status into `status`.
template <class... Items>
int format_records_to(std::vector<std::string>& out, std::string_view fmt, const Items&... items) {
  const fmt_detail::OutItem arr[] = {fmt_detail::out_item(items)..., fmt_detail::OutItem{}};
  return fmt_detail::format_records_impl(out, fmt, arr, sizeof...(Items));
}

// The records the format produces for the items. On an error the records
// produced before it are returned (use format_records_to for the status).
template <class... Items>
std::vector<std::string> format_records(std::string_view fmt, const Items&... items) {
  std::vector<std::string> out;
  format_records_to(out, fmt, items...);
  return out;
}

// Writes the records to a formatted unit, each with plat::io::write_line. On an
// item error the records completed before it are written, the unfinished one not.
template <class... Items>
int write_formatted(int unit, std::string_view fmt, const Items&... items) {
  const fmt_detail::OutItem arr[] = {fmt_detail::out_item(items)..., fmt_detail::OutItem{}};
  return fmt_detail::write_unit_impl(unit, false, fmt, arr, sizeof...(Items));
}

// As write_formatted, but the last record stays open (non-advancing): the next
// write on the unit continues it.
template <class... Items>
int write_formatted_partial(int unit, std::string_view fmt, const Items&... items) {
  const fmt_detail::OutItem arr[] = {fmt_detail::out_item(items)..., fmt_detail::OutItem{}};
  return fmt_detail::write_unit_impl(unit, true, fmt, arr, sizeof...(Items));
}

// Run-time item lists, for a write whose items are known only while the
// program runs (a table row with a variable set of columns):
//   std::vector<plat::FormatItem> items;
//   items.push_back(plat::format_item(mark));
//   items.push_back(plat::format_item(std::span<const double>(values, n)));
//   int st = plat::write_formatted_list(6, fmt, items);
// An item made from a text or an array refers to it: the text or array must
// outlive the write. Scalars are held by value.
using FormatItem = fmt_detail::OutItem;

template <class T>
FormatItem format_item(const T& v) {
  return fmt_detail::out_item(v);
}

// Writes the items with one format, as write_formatted does.
inline int write_formatted_list(int unit, std::string_view fmt, std::span<const FormatItem> items) {
  return fmt_detail::write_unit_impl(unit, false, fmt, items.data(), items.size());
}

// Internal write into a fixed-length text: the record, blank-padded to the
// text's length. kInternalOverflow when it is longer than the text (the text
// then holds its first characters) or when the format needs a second record.
template <class... Items>
int write_internal(TextRef dest, std::string_view fmt, const Items&... items) {
  const fmt_detail::OutItem arr[] = {fmt_detail::out_item(items)..., fmt_detail::OutItem{}};
  return fmt_detail::write_internal_impl(dest, fmt, arr, sizeof...(Items));
}

// Reads records of a formatted unit (plat::io::read_line); blanks in numeric
// fields follow the unit's blank_zero setting. Items read before an error
// keep their new values.
template <class... Refs>
int read_formatted(int unit, std::string_view fmt, Refs&&... refs) {
  const fmt_detail::InItem arr[] = {fmt_detail::in_item(std::forward<Refs>(refs))..., fmt_detail::InItem{}};
  return fmt_detail::read_unit_impl(unit, fmt, arr, sizeof...(Refs));
}

// Reads from a text taken as one record.
template <class... Refs>
int read_internal(std::string_view src, std::string_view fmt, bool blank_zero, Refs&&... refs) {
  const fmt_detail::InItem arr[] = {fmt_detail::in_item(std::forward<Refs>(refs))..., fmt_detail::InItem{}};
  return fmt_detail::read_internal_impl(src, fmt, blank_zero, arr, sizeof...(Refs));
}

}  // namespace plat

// Fixed-length, blank-padded text as the model data and the files hold it.
//
// Text<N> is exactly N bytes with no terminator, so records that embed texts
// keep their byte layout and can be copied whole. Assignment cuts or pads
// with blanks; comparison ignores trailing blanks. TextRef is a mutable view
// of a caller's fixed-length text (a text argument whose length the caller
// chooses); routines take std::string_view for text they only read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace plat {

// Length without trailing blanks.
inline std::size_t len_trim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

// The text without its trailing blanks.
inline std::string_view trimmed(std::string_view s) { return s.substr(0, len_trim(s)); }

// Equality with trailing blanks ignored (the shorter text is taken as blank-padded).
inline bool text_eq(std::string_view a, std::string_view b) { return trimmed(a) == trimmed(b); }

// Ordering with the shorter text blank-padded; byte values compare as unsigned.
inline int text_cmp(std::string_view a, std::string_view b) {
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char ca = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
    const unsigned char cb = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

inline bool is_blank(std::string_view s) { return len_trim(s) == 0; }

// Copies src into dst[0..n): cut when longer, blank-padded when shorter.
inline void assign_text(char* dst, std::size_t n, std::string_view src) {
  const std::size_t k = std::min(n, src.size());
  if (k > 0) std::memmove(dst, src.data(), k);
  if (n > k) std::memset(dst + k, ' ', n - k);
}

// A mutable view of a fixed-length text owned by the caller.
class TextRef {
 public:
  TextRef() = default;
  TextRef(char* p, std::size_t n) : p_(p), n_(n) {}
  TextRef(std::string& s) : p_(s.data()), n_(s.size()) {}  // NOLINT: length fixed by the caller

  std::size_t size() const { return n_; }
  char* data() const { return p_; }
  operator std::string_view() const { return {p_, n_}; }  // NOLINT
  std::string_view view() const { return {p_, n_}; }
  std::string str() const { return {p_, n_}; }
  std::string_view trimmed() const { return plat::trimmed(view()); }

  TextRef& operator=(std::string_view s) {
    assign_text(p_, n_, s);
    return *this;
  }
  // One-based character access, as texts are indexed throughout the system.
  char& at1(std::size_t i) const { return p_[i - 1]; }
  // Sub-text [first, last], one-based and inclusive.
  TextRef sub(std::size_t first, std::size_t last) const {
    return last < first ? TextRef(p_ + first - 1, 0) : TextRef(p_ + first - 1, last - first + 1);
  }
  void fill_blank() const { std::memset(p_, ' ', n_); }

 private:
  char* p_ = nullptr;
  std::size_t n_ = 0;
};

inline bool operator==(TextRef a, std::string_view b) { return text_eq(a.view(), b); }

// A text of exactly N characters.
template <std::size_t N>
struct Text {
  static_assert(N > 0);
  char c[N];

  Text() { std::memset(c, ' ', N); }
  Text(std::string_view s) { assign_text(c, N, s); }  // NOLINT: text literals convert
  Text(const char* s) { assign_text(c, N, s); }       // NOLINT
  Text& operator=(std::string_view s) {
    assign_text(c, N, s);
    return *this;
  }
  Text& operator=(const char* s) { return *this = std::string_view(s); }

  static constexpr std::size_t size() { return N; }
  char* data() { return c; }
  const char* data() const { return c; }
  std::string_view view() const { return {c, N}; }
  operator std::string_view() const { return view(); }  // NOLINT
  TextRef ref() { return {c, N}; }
  operator TextRef() { return ref(); }  // NOLINT
  std::string str() const { return {c, N}; }
  std::string_view trimmed() const { return plat::trimmed(view()); }
  std::size_t len_trim() const { return plat::len_trim(view()); }
  bool blank() const { return plat::is_blank(view()); }
  char& at1(std::size_t i) { return c[i - 1]; }
  char at1(std::size_t i) const { return c[i - 1]; }

  friend bool operator==(const Text& a, const Text& b) { return text_eq(a.view(), b.view()); }
  friend bool operator==(const Text& a, std::string_view b) { return text_eq(a.view(), b); }
  friend bool operator==(const Text& a, const char* b) { return text_eq(a.view(), b); }
};

}  // namespace plat

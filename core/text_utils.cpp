#include "core/text_utils.h"

#include <cstdint>
#include <cstring>

#include "core/diagnostics.h"
#include "platform/process.h"

namespace {

constexpr char kQuote = '\'';

bool blank_or_tab(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Position (one-based) of the first occurrence of `sought` wholly within
// text positions first..last, 0 when none.
int find_within(std::string_view text, std::string_view sought, int first, int last) {
  if (first < 1) first = 1;
  if (last > static_cast<int>(text.size())) last = static_cast<int>(text.size());
  const int span = last - first + 1;
  if (span < static_cast<int>(sought.size()) || span < 0) return 0;
  const std::size_t p = text.substr(first - 1, span).find(sought);
  return p == std::string_view::npos ? 0 : first + static_cast<int>(p);
}

// Position of the first `c` at or after `from`, 0 when none.
int find_char(std::string_view text, char c, int from) {
  if (from < 1) from = 1;
  if (from > static_cast<int>(text.size())) return 0;
  const std::size_t p = text.find(c, from - 1);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

}  // namespace

void SLNLEN(std::string_view text, int& length) {
  // A backward scan from the end: the first non-blank met is the used length.
  // Eight blanks at a time while a whole word of them ends the text (most
  // texts are fixed-length fields padded with blanks), then one at a time.
  constexpr std::uint64_t kBlankWord = 0x2020202020202020ULL;
  std::size_t n = text.size();
  for (std::uint64_t word = 0; n >= sizeof word; n -= sizeof word) {
    std::memcpy(&word, text.data() + n - sizeof word, sizeof word);
    if (word != kBlankWord) break;
  }
  while (n > 0 && text[n - 1] == ' ') --n;
  // The scan is bounded by the text length; the pass limit of the loops
  // still ends a run on a text of more than 2e9 trailing blanks.
  if (static_cast<long long>(text.size() - n) > LoopGuard::kLimit) ERROR("SLNLEN");
  length = static_cast<int>(n);
}

int STRLNA(std::string_view text) {
  int n = 0;
  SLNLEN(text, n);
  return n;
}

void SDBLKX(std::string_view text, int& quote, plat::TextRef out, int& count) {
  out.fill_blank();
  count = 0;
  const int used = STRLNA(text);
  const int room = static_cast<int>(out.size());
  for (int i = 0; i < used; ++i) {
    const char c = text[i];
    if (blank_or_tab(c) && quote == 0) continue;
    if (c == kQuote) quote = quote == 0 ? 1 : 0;
    if (count + 1 > room) plat::consistency_stop("Sdblkx 1", 1);
    out.data()[count] = c;
    ++count;
  }
  if (quote == 1) {
    count += static_cast<int>(text.size()) - used;
    if (count > room) plat::consistency_stop("Sdblkx 2", 1);
  }
}

void SDBLNK(std::string_view text, int& quote, plat::TextRef out) {
  int count = 0;
  SDBLKX(text, quote, out, count);
}

void SDBLKH(std::string_view text, int& quote, plat::TextRef out, int& count) {
  out.fill_blank();
  count = 0;
  // Every character after the used length is blank: dropped outside quotes,
  // and inside quotes the count becomes the full length anyway.
  const int limit = STRLNA(text);
  const int room = static_cast<int>(out.size());
  for (int i = 0; i < limit; ++i) {
    const char c = text[i];
    bool copy;
    if (c == kQuote) {
      quote = quote == 0 ? 1 : 0;
      copy = true;
    } else if (c == '#' && quote == 0) {
      break;
    } else {
      copy = !blank_or_tab(c) || quote == 1;
    }
    if (!copy) continue;
    // The callers give an output at least as long as the input; a shorter
    // one keeps what fits and is never written past its end.
    if (count < room) out.data()[count] = c;
    ++count;
  }
  if (quote == 1) count = static_cast<int>(text.size());
}

void CCHAR(std::string_view text, int limit, plat::TextRef result) {
  result.fill_blank();
  LoopGuard guard("CCHAR");
  const std::size_t room = result.size();
  std::size_t n = 0;
  for (const char c : text) {
    guard.pass();
    if (blank_or_tab(c)) continue;
    if (n >= room) break;
    result.data()[n++] = c;
    if (limit > 0 && static_cast<int>(n) >= limit) break;
  }
  if (n > 1) {
    const void* hash = std::memchr(result.data() + 1, '#', n - 1);
    if (hash) {
      const std::size_t at = static_cast<const char*>(hash) - result.data();
      std::memset(result.data() + at, ' ', room - at);
    }
  }
}

void LTRIM(std::string_view text, plat::TextRef result) {
  std::size_t i = 0;
  while (i < text.size() && blank_or_tab(text[i])) ++i;
  result = text.substr(i);
}

void SQNDEX(std::string_view text, std::string_view sought, int& position) {
  position = 0;
  const int len = static_cast<int>(text.size());
  int start = 1;
  LoopGuard guard("SQNDEX");
  for (;;) {
    guard.pass();
    const int q = find_char(text, kQuote, start);
    const int found = find_within(text, sought, start, q > 0 ? q : len);
    if (found > 0) {
      position = found;
      return;
    }
    if (q == 0 || q >= len - 1) return;
    const int close = find_char(text, kQuote, q + 1);
    if (close == 0 || close == len) return;
    start = close + 1;
  }
}

void SBQNDX(std::string_view text, std::string_view sought, int& position) {
  position = 0;
  const int used = STRLNA(text);
  int start = 1;
  LoopGuard guard("SBQNDX");
  for (;;) {
    guard.pass();
    const int p = find_char(text, '(', start);
    const int q = find_char(text, kQuote, start);
    if (p == 0 && q == 0) {
      position = find_within(text, sought, start, used);
      return;
    }
    const bool bracket = p > 0 && (q == 0 || p < q);
    const int e = bracket ? p : q;
    const int found = find_within(text, sought, start, e);
    if (found > 0) {
      position = found;
      return;
    }
    if (e >= used) return;
    if (!bracket) {
      const int close = find_char(text, kQuote, e + 1);
      if (close == 0) return;
      start = close + 1;
    } else {
      int depth = 1;
      int at = e;
      while (depth > 0) {
        guard.pass();
        const int open = find_char(text, '(', at + 1);
        const int close = find_char(text, ')', at + 1);
        if (close == 0) return;
        if (open > 0 && open < close) {
          ++depth;
          at = open;
        } else {
          --depth;
          at = close;
        }
      }
      start = at + 1;
    }
    if (start >= used) return;
  }
}

std::string ITOC(int value) {
  std::string s = std::to_string(value);
  if (s.size() < 10) s.resize(10, ' ');
  return s;
}

void ILCHAR(int value, int& length, plat::TextRef result) {
  const std::string s = std::to_string(value);
  result = s;
  length = static_cast<int>(s.size());
}

void SCHNUM(int value, int& length, int& status, plat::TextRef result) {
  if (value > 0) {
    const std::string s = std::to_string(value);
    result = s;
    length = static_cast<int>(s.size());
    status = 0;
    return;
  }
  result = "0";
  length = 1;
  status = value < 0 ? 1 : 0;
}

void IINTCH(std::string_view text, int count, int& flag) {
  flag = 0;
  if (count <= 0) return;
  LoopGuard guard("IINTCH");
  for (int i = 0; i < count; ++i) {
    guard.pass();
    // Characters beyond the end of the text are not digits.
    if (i >= static_cast<int>(text.size()) || !is_digit(text[i])) return;
  }
  flag = 1;
}

void IINTC2(std::string_view text, int count, int& flag, int& value) {
  flag = 0;
  std::uint32_t v = 0;  // unsigned: wraps around like the 32-bit sum
  value = 0;
  if (count <= 0) return;
  LoopGuard guard("IINTC2");
  for (int i = 0; i < count; ++i) {
    guard.pass();
    // Characters beyond the end of the text are not digits.
    if (i >= static_cast<int>(text.size()) || !is_digit(text[i])) {
      value = static_cast<int>(v);
      return;
    }
    v = 10u * v + static_cast<std::uint32_t>(text[i] - '0');
  }
  value = static_cast<int>(v);
  flag = 1;
}

void GETTOKEN(std::string_view line, std::string_view delimiters, int& position, plat::TextRef token, int& length) {
  const int len = static_cast<int>(line.size());
  const int old = position < 0 ? 0 : position;
  int e = len + 1;
  if (old < len && !delimiters.empty()) {
    const std::size_t p = line.find_first_of(delimiters, old);
    if (p != std::string_view::npos) e = static_cast<int>(p) + 1;
  }
  if (e - 1 > old) token = line.substr(old, e - 1 - old);
  else token.fill_blank();
  length = e - old - 1;
  position = e;
}

void SLTOU(std::string_view text, plat::TextRef result) {
  char field[30];
  plat::assign_text(field, sizeof field, text);
  LoopGuard guard("SLTOU ");
  for (char& c : field) {
    guard.pass();
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  result = std::string_view(field, sizeof field);
}

void STCHEK(plat::TextRef descriptor, int& flag) {
  static constexpr std::string_view kForms[][2] = {
      {"P&FE", "P&FE"}, {"FE&P", "P&FE"}, {"P&T", "P&T"},   {"T&P", "P&T"},
      {"P&VQ", "P&VQ"}, {"VQ&P", "P&VQ"}, {"T&VQ", "T&VQ"}, {"VQ&T", "T&VQ"},
  };
  flag = 1;
  plat::Text<24> field;
  int quote = 0;
  SDBLNK(descriptor.view(), quote, field);
  for (const auto& f : kForms) {
    if (field == f[0]) {
      descriptor = f[1];
      return;
    }
  }
  flag = 0;
}

#include "core/char_pool.h"

#include <algorithm>
#include <cstring>

#include "core/diagnostics.h"

static_assert(sizeof(PoolElement) == kPoolElementLength, "pool elements are stored back to back");

namespace {

constexpr long long kElem = kPoolElementLength;

// The pool as one run of characters. `nelem` is the caller's element count;
// nothing beyond the elements the view really holds is ever read or written.
struct Flat {
  const char* data;
  long long declared;   // nelem * 133
  long long available;  // characters the view holds
};

Flat flat(PoolView pool, int nelem) {
  Flat f;
  f.data = pool.size() > 0 ? pool.data()->data() : nullptr;
  f.declared = static_cast<long long>(nelem) * kElem;
  f.available = std::min<long long>(f.declared, static_cast<long long>(pool.size()) * kElem);
  if (f.available < 0) f.available = 0;
  return f;
}

}  // namespace

void DBFZPK(PoolView pool, int nelem, int limit, int start, int& length, plat::TextRef text, int& status) {
  status = 0;
  length = 0;
  text.fill_blank();
  if (start < 1 || limit > static_cast<long long>(nelem) * kElem || start > limit) {
    status = -1;
    return;
  }
  int nul = 0, st = 0;
  SCANDX(pool, nelem, limit, start, std::string_view("\0", 1), nul, st);
  if (st != 0 || nul == 0) {
    status = -1;
    return;
  }
  length = nul - start;
  SCVUCA(pool, nelem, limit, start, nul - 1, text, st);
  if (st == 1) status = 1;
  else if (st < 0) status = -1;
}

void SCANDX(PoolView pool, int nelem, int limit, int start, std::string_view sought, int& position, int& status) {
  position = 0;
  status = 0;
  const Flat f = flat(pool, nelem);
  if (start > limit || start < 1 || limit > f.declared) {
    status = 1;
    return;
  }
  if (limit > f.available) {  // the caller's count exceeds the pool it passed
    status = 1;
    return;
  }
  const long long len = static_cast<long long>(sought.size());
  // Elements before the limit's one are searched whole, occurrences running
  // on into the next element included (as long as they end by the limit). In
  // the limit's own element an occurrence is looked for only when the sought
  // text is shorter than the limit's offset there.
  const long long limit_elem = (limit - 1) / kElem + 1;
  const long long limit_off = (limit - 1) % kElem + 1;
  long long last_begin = limit - len + 1;
  if (len >= limit_off) last_begin = std::min(last_begin, (limit_elem - 1) * kElem);
  if (last_begin < start) return;
  const std::string_view all(f.data, static_cast<std::size_t>(f.available));
  const std::string_view range = all.substr(start - 1, static_cast<std::size_t>(last_begin + len - start));
  const std::size_t p = range.find(sought);
  if (p != std::string_view::npos) position = start + static_cast<int>(p);
}

void SCVNDX(int nelem, PoolView pool, int limit, int sought_length, int element, int element_length,
            std::string_view sought, int& offset, int& found) {
  found = 0;
  const Flat f = flat(pool, nelem);
  const long long tlen = std::min<long long>(sought_length, static_cast<long long>(sought.size()));
  const long long stop = std::min<long long>(limit, f.available);
  if (tlen < 1 || element < 1 || element_length < 1) {
    offset = 1;
    return;
  }
  long long from = std::max<long long>(offset, element_length - tlen + 2);
  from = std::min<long long>(std::max<long long>(from, 1), element_length);
  LoopGuard guard("SCVNDX");
  for (long long off = from; off <= element_length; ++off) {
    guard.pass();
    const long long p = static_cast<long long>(element - 1) * element_length + off;
    if (p + tlen - 1 > stop) break;  // later candidates end later still
    if (f.data[p - 1] != sought[0]) continue;
    if (std::memcmp(f.data + p, sought.data() + 1, static_cast<std::size_t>(tlen - 1)) == 0) {
      found = 1;
      offset = static_cast<int>(p);
      return;
    }
  }
  offset = 1;
}

void SCVUCA(PoolView pool, int nelem, int limit, int first, int last, plat::TextRef text, int& status) {
  status = 0;
  if (nelem < 1 || text.size() < 1 || limit < 1 || first < 1 || first > last) {
    status = -2;
    return;
  }
  const Flat f = flat(pool, nelem);
  if (limit > f.declared || last > limit || last > f.available) {
    status = -1;
    return;
  }
  int count = last - first + 1;
  status = static_cast<long long>(text.size()) < count ? 1 : 0;
  int element = (first - 1) / kPoolElementLength + 1;
  int offset = (first - 1) % kPoolElementLength + 1;
  SMOVAV(pool, nelem, offset, element, count, text);
}

void SMOVAV(PoolView pool, int /*nelem*/, int& offset, int& element, int& count, plat::TextRef text) {
  text.fill_blank();
  LoopGuard guard("SMOVAV");
  for (std::size_t i = 0; i < text.size() && count >= 1; ++i) {
    guard.pass();
    if (offset > kPoolElementLength) {
      ++element;
      offset = 1;
    }
    if (element < 1 || element > pool.size() || offset < 1) return;  // never read outside the pool
    text.data()[i] = pool(element).c[offset - 1];
    ++offset;
    --count;
  }
}

void SMOVVA(std::string_view text, int count, int& offset, int& element, PoolRef pool, int /*nelem*/) {
  LoopGuard guard("SMOVVA");
  for (int i = 1; i <= count; ++i) {
    guard.pass();
    const char c = i <= static_cast<int>(text.size()) ? text[i - 1] : ' ';
    if (offset > kPoolElementLength) {
      ++element;
      offset = 1;
    }
    if (element < 1 || element > pool.size() || offset < 1) return;  // never write outside the pool
    pool(element).c[offset - 1] = c;
    ++offset;
  }
}

void SZEROI(int count, plat::Vec1<int> values, int& status) {
  status = 0;
  if (count < 1) {
    status = 1;
    return;
  }
  TNA_CHECK_INDEX(count, values.size(), "SZEROI array");
  std::fill_n(values.data(), count, 0);
}

void SZEROD(int count, plat::Vec1<double> values, int& status) {
  status = 0;
  if (count < 1) {
    status = 1;
    return;
  }
  TNA_CHECK_INDEX(count, values.size(), "SZEROD array");
  std::fill_n(values.data(), count, 0.0);
}

void SZEROZ(int count, char* texts, std::size_t text_length, std::size_t capacity, int& status) {
  status = 0;
  if (count < 1) {
    status = 1;
    return;
  }
  TNA_CHECK_INDEX(static_cast<long long>(count), static_cast<long long>(capacity), "SZEROZ array");
  std::memset(texts, ' ', static_cast<std::size_t>(count) * text_length);
}

void SICOPY(plat::Vec1<const int> source, int count, int& status, plat::Vec1<int> target) {
  status = 0;
  if (count < 1) {
    status = 1;
    return;
  }
  TNA_CHECK_INDEX(count, source.size(), "SICOPY source");
  TNA_CHECK_INDEX(count, target.size(), "SICOPY target");
  std::memmove(target.data(), source.data(), static_cast<std::size_t>(count) * sizeof(int));
}

int SKUNDF() { return kUndefined; }

namespace {
bool first_word_is_marker(const void* p) {
  int w;
  std::memcpy(&w, p, sizeof w);
  return w == SKUNDF();
}
}  // namespace

bool SLUNDF(const int& word) { return first_word_is_marker(&word); }
bool SLUNDF(const double& value) { return first_word_is_marker(&value); }
bool SDUNDF(const int& word) { return first_word_is_marker(&word); }
bool SDUNDF(const double& value) { return first_word_is_marker(&value); }
bool SUNDCK(const int& word) { return first_word_is_marker(&word); }
bool SUNDCK(const double& value) { return first_word_is_marker(&value); }

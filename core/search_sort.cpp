#include "core/search_sort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/diagnostics.h"
#include "core/text_utils.h"

namespace {

// Records are compared through raw pointers inside the sort; the public
// routines check the views first.
inline std::int64_t iabs(int v) { return v < 0 ? -static_cast<std::int64_t>(v) : v; }

inline int cmp_signed(const int* a, const int* b, int nk) {
  for (int i = 0; i < nk; ++i)
    if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
  return 0;
}

// |INT_MIN| is taken in 64 bits so that it does not wrap.
inline int cmp_abs(const int* a, const int* b, int nk) {
  for (int i = 0; i < nk; ++i) {
    const std::int64_t x = iabs(a[i]), y = iabs(b[i]);
    if (x != y) return x > y ? 1 : -1;
  }
  return 0;
}

// Record r (one-based) of a table of nk-word records.
inline int* rec(int* t, int nk, int r) { return t + static_cast<std::ptrdiff_t>(r - 1) * nk; }
inline const int* rec(const int* t, int nk, int r) { return t + static_cast<std::ptrdiff_t>(r - 1) * nk; }
inline void put(int* dst, const int* src, int nk) {
  std::memmove(dst, src, sizeof(int) * static_cast<std::size_t>(nk));
}

// Records a table view can hold.
inline std::int64_t records_in(std::int64_t words, int nk) { return nk < 1 ? 0 : words / nk; }

// The name upper-cased and cut or blank-padded to n characters.
std::string upper(std::string_view s, std::size_t n) {
  std::string r(n, ' ');
  SLTOU(s, plat::TextRef(r));
  return r;
}

// Bisection over elements 1..n with the element-vs-key comparison cmp(i)
// (negative: element before the key). eq_prev(i) tells whether element i-1
// equals the key for the walk back to the first of an equal run.
template <class Cmp, class EqPrev>
void bisect(int n, Cmp cmp, EqPrev eq_prev, int& found, int& position, const char* name) {
  LoopGuard guard(name);
  int c = cmp(1);
  if (c == 0) {
    found = 1;
    position = 1;
    return;
  }
  if (c > 0) {
    position = 1;
    return;
  }
  c = cmp(n);
  if (c < 0) {
    position = n + 1;
    return;
  }
  if (c == 0) {
    found = 1;
    position = n;
  } else {
    int low = 1, high = n;
    position = n;
    while (low < high - 1 && !found) {
      guard.pass();
      const int mid = low + (high - low) / 2;
      c = cmp(mid);
      if (c == 0) {
        found = 1;
        position = mid;
      } else if (c < 0) {
        low = mid;
      } else {
        high = mid;
        position = mid;
      }
    }
    if (!found) {
      position = high;
      return;
    }
  }
  while (position > 1 && eq_prev(position)) {
    guard.pass();
    --position;
  }
}

// ---- the record sort on raw storage ----

// Downward scan: high moves down while above lower_limit and the record there comes after the pivot.
void scan_down(const int* t, int nk, int lower_limit, const int* pivot, int& high, int& status) {
  LoopGuard guard("SERCHD");
  status = 0;
  while (high > lower_limit && cmp_abs(rec(t, nk, high), pivot, nk) > 0) {
    guard.pass();
    --high;
  }
}

// Upward scan: low moves up while below upper_limit and the record there comes before the pivot.
void scan_up(const int* t, int nk, int upper_limit, const int* pivot, int& low, int& status) {
  LoopGuard guard("SERCHU");
  status = 0;
  while (low < upper_limit && cmp_abs(rec(t, nk, low), pivot, nk) < 0) {
    guard.pass();
    ++low;
  }
}

void pivot_step(int& low, int nk, int& high, int* t, int& sorted, int& position, int& status) {
  status = 0;
  sorted = 0;
  position = 0;
  LoopGuard guard("SPIVOT");
  // First record that comes after its successor.
  int k = low;
  while (k <= high - 1 && cmp_abs(rec(t, nk, k), rec(t, nk, k + 1), nk) <= 0) {
    guard.pass();
    ++k;
  }
  if (k > high - 1) {
    sorted = 1;
    return;
  }
  int temp[kSortRecordWords];
  if (k == high - 1) {
    // Only the last record is out of place: insert it among the ordered ones.
    put(temp, rec(t, nk, high), nk);
    int j = k;
    while (j >= low && cmp_abs(rec(t, nk, j), temp, nk) > 0) {
      guard.pass();
      put(rec(t, nk, j + 1), rec(t, nk, j), nk);
      --j;
    }
    put(rec(t, nk, j + 1), temp, nk);
    sorted = 1;
    return;
  }
  // Records low..k-1 are in order and none comes after the pivot record k.
  put(temp, rec(t, nk, k), nk);
  int hole = k;
  low = k + 1;
  while (low < high) {
    guard.pass();
    scan_down(t, nk, hole, temp, high, status);
    if (high > hole) {
      put(rec(t, nk, hole), rec(t, nk, high), nk);
      hole = high;
      --high;
    }
    scan_up(t, nk, hole, temp, low, status);
    if (low < hole) {
      put(rec(t, nk, hole), rec(t, nk, low), nk);
      hole = low;
      ++low;
    }
  }
  if (low == high) {
    const int c = cmp_abs(temp, rec(t, nk, low), nk);
    if ((c > 0 && low > hole) || (c < 0 && low < hole)) {
      put(rec(t, nk, hole), rec(t, nk, low), nk);
      hole = low;
    }
  }
  put(rec(t, nk, hole), temp, nk);
  position = hole;
}

// Bidirectional bubble sort of records 1..n carrying one record instead of swapping.
void short_sort(int nk, int n, int* t, int& status) {
  status = 0;
  int temp[kSortRecordWords] = {};
  int lo = 1, hi = n;
  LoopGuard guard("SSBSRT");
  while (lo < hi) {
    guard.pass();
    // Forward pass: the largest record of lo..hi ends at hi.
    bool carrying = false;
    int last = 0;
    int i = lo;
    while (i < hi) {
      if (!carrying) {
        ++i;
        if (cmp_abs(rec(t, nk, i - 1), rec(t, nk, i), nk) > 0) {
          put(temp, rec(t, nk, i - 1), nk);
          put(rec(t, nk, i - 1), rec(t, nk, i), nk);
          carrying = true;
        }
      } else if (cmp_abs(temp, rec(t, nk, i + 1), nk) > 0) {
        put(rec(t, nk, i), rec(t, nk, i + 1), nk);
        ++i;
      } else {
        put(rec(t, nk, i), temp, nk);
        carrying = false;
        last = i - 1;
      }
    }
    if (carrying) {
      put(rec(t, nk, hi), temp, nk);
      --hi;
    } else if (last == 0) {
      return;
    } else {
      hi = last;
    }
    if (lo >= hi) return;
    // Backward pass: the smallest record of lo..hi ends at lo.
    carrying = false;
    int first = 0;
    int j = hi;
    while (j > lo) {
      if (!carrying) {
        --j;
        if (cmp_abs(rec(t, nk, j), rec(t, nk, j + 1), nk) > 0) {
          put(temp, rec(t, nk, j + 1), nk);
          put(rec(t, nk, j + 1), rec(t, nk, j), nk);
          carrying = true;
        }
      } else if (cmp_abs(rec(t, nk, j - 1), temp, nk) > 0) {
        put(rec(t, nk, j), rec(t, nk, j - 1), nk);
        --j;
      } else {
        put(rec(t, nk, j), temp, nk);
        carrying = false;
        first = j + 1;
      }
    }
    if (carrying) {
      put(rec(t, nk, lo), temp, nk);
      ++lo;
    } else if (first == 0) {
      return;
    } else {
      lo = first;
    }
  }
}

// ---- stable in-place sort of a long run ----
//
// The short-run sort never moves a record past one that compares equal, so
// its result is the one stable order of the run. Once the boundary stack is
// full the sort hands it runs of any length, where its passes would cost
// O(n^2) (descending input gets there after 98 partitions); these helpers give
// the same stable order in place in O(n log^2 n): insertion-sorted blocks
// merged by rotations. Records are indexed from 0 within the run.

inline int* rec0(int* t, int nk, int r) { return t + static_cast<std::ptrdiff_t>(r) * nk; }
inline bool before(int* t, int nk, int a, int b) { return cmp_abs(rec0(t, nk, a), rec0(t, nk, b), nk) < 0; }

void swap_records(int* t, int nk, int a, int b) {
  std::swap_ranges(rec0(t, nk, a), rec0(t, nk, a) + nk, rec0(t, nk, b));
}

// Exchanges records a..a+n-1 with b..b+n-1.
void swap_record_ranges(int* t, int nk, int a, int b, int n) {
  std::swap_ranges(rec0(t, nk, a), rec0(t, nk, a + n), rec0(t, nk, b));
}

// Records a..m-1 and m..b-1 change places, each keeping its order.
void rotate_records(int* t, int nk, int a, int m, int b) {
  int i = m - a, j = b - m;
  while (i != j) {
    if (i > j) {
      swap_record_ranges(t, nk, m - i, m, j);
      i -= j;
    } else {
      swap_record_ranges(t, nk, m - i, m + j - i, i);
      j -= i;
    }
  }
  swap_record_ranges(t, nk, m - i, m, i);
}

void insertion_records(int* t, int nk, int a, int b) {
  for (int i = a + 1; i < b; ++i)
    for (int j = i; j > a && before(t, nk, j, j - 1); --j) swap_records(t, nk, j, j - 1);
}

// Stable merge of the ordered runs a..m-1 and m..b-1 (SymMerge of Kim and Kutzner).
void merge_records(int* t, int nk, int a, int m, int b) {
  if (m - a == 1) {
    int i = m, j = b;
    while (i < j) {
      const int h = i + (j - i) / 2;
      if (before(t, nk, h, a)) i = h + 1;
      else j = h;
    }
    for (int k = a; k < i - 1; ++k) swap_records(t, nk, k, k + 1);
    return;
  }
  if (b - m == 1) {
    int i = a, j = m;
    while (i < j) {
      const int h = i + (j - i) / 2;
      if (!before(t, nk, m, h)) i = h + 1;
      else j = h;
    }
    for (int k = m; k > i; --k) swap_records(t, nk, k, k - 1);
    return;
  }
  const int mid = a + (b - a) / 2;
  const int n = mid + m;
  int start, r;
  if (m > mid) {
    start = n - b;
    r = mid;
  } else {
    start = a;
    r = m;
  }
  const int p = n - 1;
  while (start < r) {
    const int c = start + (r - start) / 2;
    if (!before(t, nk, p - c, c)) start = c + 1;
    else r = c;
  }
  const int end = n - start;
  if (start < m && m < end) rotate_records(t, nk, start, m, end);
  if (a < start && start < mid) merge_records(t, nk, a, start, mid);
  if (mid < end && end < b) merge_records(t, nk, mid, end, b);
}

// The n records of the run at t, in the order the short-run sort gives them.
void stable_sort_records(int* t, int nk, int n) {
  constexpr int kBlock = 20;
  int a = 0, b = kBlock;
  while (b <= n) {
    insertion_records(t, nk, a, b);
    a = b;
    b += kBlock;
  }
  insertion_records(t, nk, a, n);
  for (int block = kBlock; block < n; block *= 2) {
    a = 0;
    b = 2 * block;
    while (b <= n) {
      merge_records(t, nk, a, a + block, b);
      a = b;
      b += 2 * block;
    }
    if (const int m = a + block; m < n) merge_records(t, nk, a, m, n);
  }
}

}  // namespace

void SOFNDI(plat::Vec1<const int> list, int n, int key, int& status, int& found, int& position) {
  status = found = position = 0;
  n = static_cast<int>(std::min<std::int64_t>(n, list.size()));
  if (n < 1) {
    status = 1;
    return;
  }
  const int* d = list.data();
  bisect(
      n, [&](int i) { return d[i - 1] == key ? 0 : (d[i - 1] < key ? -1 : 1); },
      [&](int i) { return d[i - 2] == key; }, found, position, "SOFNDI");
}

void SOFNDZ(CTextVec1 list, int n, std::string_view key, int& status, int& found, int& position) {
  status = found = position = 0;
  n = static_cast<int>(std::min<std::int64_t>(n, list.size()));
  if (n < 1) {
    status = 1;
    return;
  }
  const std::string_view key255 = key.substr(0, std::min<std::size_t>(255, key.size()));
  bisect(
      n, [&](int i) { return plat::text_cmp(list.view(i), key); },
      [&](int i) {
        const std::string_view e = list.view(i - 1);
        return plat::text_eq(e.substr(0, std::min<std::size_t>(255, e.size())), key255);
      },
      found, position, "SOFNDZ");
}

void SOFNDM(plat::Vec1<const int> table, int nk, int n, plat::Vec1<const int> key, int& status, int& found,
            int& position) {
  status = found = position = 0;
  if (nk < 1 || n < 1 || key.size() < nk) {
    status = 1;
    return;
  }
  n = static_cast<int>(std::min<std::int64_t>(n, records_in(table.size(), nk)));
  if (n < 1) {
    status = 1;
    return;
  }
  const int* t = table.data();
  const int* k = key.data();
  auto r = [&](int i) { return t + static_cast<std::ptrdiff_t>(i - 1) * nk; };
  bisect(
      n, [&](int i) { return cmp_signed(r(i), k, nk); }, [&](int i) { return cmp_signed(r(i - 1), k, nk) == 0; },
      found, position, "SOFNDM");
}

void SRFNDI(plat::Vec1<const int> list, int n, int key, int& status, int& found, int& position) {
  status = found = position = 0;
  if (n < 1) {
    status = 1;
    return;
  }
  const std::int64_t m = std::min<std::int64_t>(n, list.size());
  for (std::int64_t i = 1; i <= m; ++i) {
    if (list(i) == key) {
      found = 1;
      position = static_cast<int>(i);
      return;
    }
  }
}

void SRFNDZ(CTextVec1 list, int n, std::string_view key, int& status, int& found, int& position) {
  status = found = position = 0;
  if (n < 1) {
    status = 1;
    return;
  }
  const std::int64_t m = std::min<std::int64_t>(n, list.size());
  for (std::int64_t i = 1; i <= m; ++i) {
    if (plat::text_eq(list.view(i), key)) {
      found = 1;
      position = static_cast<int>(i);
      return;
    }
  }
}

void SCOMPI(plat::Vec1<const int> a, plat::Vec1<const int> b, int nk, int& comparison, int& status) {
  comparison = 0;
  status = 0;
  if (nk < 1) {
    status = 1;
    return;
  }
  nk = static_cast<int>(std::min<std::int64_t>({nk, a.size(), b.size()}));
  comparison = cmp_signed(a.data(), b.data(), nk);
}

void SCOMPX(plat::Vec1<const int> a, plat::Vec1<const int> b, int nk, int& comparison, int& status) {
  comparison = 0;
  status = 0;
  if (nk < 1) {
    status = -1;
    return;
  }
  nk = static_cast<int>(std::min<std::int64_t>({nk, a.size(), b.size()}));
  comparison = cmp_abs(a.data(), b.data(), nk);
}

void SERCHD(int nk, int /*n*/, int lower_limit, plat::Vec1<const int> pivot, plat::Vec1<const int> table, int& high,
            int& status) {
  status = 0;
  if (nk < 1 || nk > pivot.size()) {
    status = -1;
    return;
  }
  high = static_cast<int>(std::min<std::int64_t>(high, records_in(table.size(), nk)));
  lower_limit = std::max(lower_limit, 0);
  scan_down(table.data(), nk, lower_limit, pivot.data(), high, status);
}

void SERCHU(int nk, int /*n*/, int upper_limit, plat::Vec1<const int> pivot, int& low, plat::Vec1<const int> table,
            int& status) {
  status = 0;
  if (nk < 1 || nk > pivot.size()) {
    status = -1;
    return;
  }
  low = std::max(low, 1);
  upper_limit = static_cast<int>(std::min<std::int64_t>(upper_limit, records_in(table.size(), nk) + 1));
  scan_up(table.data(), nk, upper_limit, pivot.data(), low, status);
}

void SPIVOT(int& low, int nk, int n, int& high, plat::Vec1<int> table, int& sorted, int& position, int& status) {
  sorted = position = status = 0;
  if (nk < 1) {
    status = -1;
    return;
  }
  if (nk > kSortRecordWords || low < 1 || high > std::min<std::int64_t>(n, records_in(table.size(), nk))) {
    status = 2;
    return;
  }
  pivot_step(low, nk, high, table.data(), sorted, position, status);
}

void SSBSRT(int nk, int n, plat::Vec1<int> run, int& status) {
  status = 0;
  if (nk < 1) {
    status = -1;
    return;
  }
  if (nk > kSortRecordWords || n > records_in(run.size(), nk)) {
    status = 2;
    return;
  }
  short_sort(nk, n, run.data(), status);
}

void SSMSRT(int nk, int n, plat::Vec1<int> table, int& status, int& duplicate) {
  if (n < 2) return;
  status = 0;
  if (nk < 1) {
    // The first comparison fails; the duplicate check that follows still
    // clears a flag that asked for it.
    status = -1;
    if (duplicate != 0) duplicate = 0;
    return;
  }
  if (nk > kSortRecordWords || n > records_in(table.size(), nk)) {
    status = 2;
    return;
  }
  int* t = table.data();
  // Boundary stack: the pair (m[j], m[j+1]) delimits records m[j+1]+1 .. m[j]-1.
  int m[kSortRecordWords + 1];
  m[1] = n + 1;
  m[2] = 0;
  int j = 1;
  LoopGuard guard("SSMSRT");
  bool partition = true;
  while (j >= 1 && status == 0) {
    guard.pass();
    if (partition) {
      int low = m[j + 1] + 1, high = m[j] - 1, sorted = 0, p = 0;
      pivot_step(low, nk, high, t, sorted, p, status);
      if (status != 0) break;
      if (sorted) {
        --j;
      } else {
        const int b = m[j + 1];
        m[j + 1] = p;
        if (p - b > 2) {
          m[j + 2] = b;
          ++j;
        }
      }
      partition = false;
      continue;
    }
    const int d = m[j] - m[j + 1];
    if (d <= 2) {
      --j;
    } else if (d <= 7) {
      short_sort(nk, d - 1, rec(t, nk, m[j + 1] + 1), status);
      --j;
    } else if (j >= 99) {
      // The stack is full: the run is sorted whole, in the order the short-run
      // sort would give it, without its quadratic passes.
      stable_sort_records(rec(t, nk, m[j + 1] + 1), nk, d - 1);
      --j;
    } else {
      partition = true;
    }
  }
  if (duplicate != 0 && status == 0) {
    duplicate = 0;
    for (int k = 1; k <= n - 1; ++k) {
      guard.pass();
      if (cmp_abs(rec(t, nk, k), rec(t, nk, k + 1), nk) == 0) {
        duplicate = 1;
        break;
      }
    }
  }
}

// ---- submodel lookup ----

namespace {

struct Directory {
  plat::Vec1<const int> d;
  int slots, models;
  // Slot s of model m, 0 when the view does not hold it.
  int at(int m, int s) const {
    const std::int64_t w = static_cast<std::int64_t>(m - 1) * slots + s;
    return w >= 1 && w <= d.size() ? d(w) : 0;
  }
  int level(int m) const { return at(m, 1); }
  int size(int m) const { return at(m, 2); }
};

}  // namespace

void SNMLVL(plat::Vec1<const int> directory, int slots_per_model, int models, CTextVec1 names, int level, int first,
            std::string_view name, int count, int& model_found, int& status) {
  status = 0;
  model_found = 0;
  if (slots_per_model < 1 || models < 1) {
    status = -1;
    return;
  }
  if (first < 1 || first > models || count < 0) {
    status = 1;
    return;
  }
  if (level < 0) {
    status = 2;
    return;
  }
  const Directory dir{directory, slots_per_model, models};
  const std::int64_t last =
      std::min<std::int64_t>({static_cast<std::int64_t>(first) + count - 1, models, names.size()});
  LoopGuard guard("SNMLVL");
  for (std::int64_t m = first; m <= last; ++m) {
    guard.pass();
    if (dir.level(static_cast<int>(m)) == level && plat::text_eq(names.view(m), name)) {
      model_found = static_cast<int>(m);
      return;
    }
  }
}

void SNMLVX(plat::Vec1<const int> directory, int slots_per_model, int models, CTextVec1 names, CTextVec1 path,
            int path_length, int start, int& reached, int& status) {
  status = 0;
  reached = 0;
  if (slots_per_model < 1 || models < 1) {
    status = -1;
    return;
  }
  if (start < 1 || start > models) {
    status = 1;
    return;
  }
  if (path_length < 1) {
    status = 2;
    return;
  }
  const Directory dir{directory, slots_per_model, models};
  const std::int64_t steps = std::min<std::int64_t>(path_length, path.size());
  int s = start;
  LoopGuard guard("SNMLVX");
  for (std::int64_t k = 1; k <= steps; ++k) {
    guard.pass();
    if (s + 1 > models) {
      reached = 0;
      return;
    }
    int found = 0, st = 0;
    SNMLVL(directory, slots_per_model, models, names, dir.level(s) + 1, s + 1, upper(path.view(k), 25),
           std::max(dir.size(s) - 1, 0), found, st);
    if (st != 0 || found == 0) {
      reached = 0;
      return;
    }
    s = found;
    reached = found;
  }
}

void SNMINC(plat::Vec1<const int> directory, int slots_per_model, int models, CTextVec1 names, CTextVec1 path,
            int path_length, int current, int& number_found, plat::Vec1<int> found, int& status) {
  number_found = 0;
  status = 0;
  auto add = [&](int m) {
    ++number_found;
    if (number_found <= found.size()) found(number_found) = m;
  };
  if (slots_per_model < 1 || models < 1) {
    status = -1;
    return;
  }
  if (path_length == 1 && path.size() >= 1 && plat::text_eq(path.view(1), "CURRENT")) {
    add(current);
    return;
  }
  if (current < 1 || current > models) {
    status = 1;
    return;
  }
  if (path_length < 1 || path.size() < 1) {
    status = 2;
    return;
  }
  const Directory dir{directory, slots_per_model, models};
  const std::int64_t last =
      std::min<std::int64_t>({static_cast<std::int64_t>(current) + dir.size(current) - 1, models, names.size()});
  const std::string first_name = upper(path.view(1), 24);
  const int child_level = dir.level(current) + 1;
  LoopGuard guard("SNMINC");
  std::int64_t g = static_cast<std::int64_t>(current) + 1;
  while (g <= last) {
    guard.pass();
    int st = 0, hit = 0, pos = 0;
    SRFNDZ(names.from(g, last - g + 1), static_cast<int>(last - g + 1), first_name, st, hit, pos);
    if (!hit) break;
    const int m = static_cast<int>(g) + pos - 1;
    int r = m;
    if (path_length > 1) {
      SNMLVX(directory, slots_per_model, models, names, path.from(2, path.size() - 1), path_length - 1, m, r, st);
      if (st != 0) {
        status = 3;
        return;
      }
    }
    if (r > 0) {
      if (dir.level(m) == child_level) {
        number_found = 0;
        add(r);
        return;
      }
      add(r);
    }
    g = m + 1;
  }
}

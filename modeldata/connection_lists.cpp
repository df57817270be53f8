// Connection lists: per-model builders (thermal and fluid), the mass-flow
// link update, the merge into global form, the compaction and the fluid-list
// iterator.
//
// The builders produce each model's local list in one forward pass with
// per-model scratch only: conductors are bucketed by node (chains or a
// counting pass), never rescanned per node, so a model is built in time
// linear in its nodes and conductors (plus the binary searches of its node
// numbers).
#include "modeldata/connection_lists.h"
#include "platform/process_state.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/search_sort.h"
#include "modeldata/global_arrays.h"
#include "modeldata/intermodel_links.h"
#include "modeldata/load_work.h"
#include "modeldata/mdb_readers.h"
#include "modeldata/node_index.h"

namespace {

inline int sgn(long long x) { return x < 0 ? -1 : 1; }

// Integer right-aligned in `width` columns, asterisks when it does not fit.
std::string iw(long long v, int width) {
  std::string s = std::to_string(v);
  if (static_cast<int>(s.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

bool list_present(plat::Vec1<const int> dir, int dim1, int key) {
  const std::int64_t w = static_cast<std::int64_t>(dim1) * (key - 1) + 2;
  return dim1 >= 2 && w >= 1 && w <= dir.size() && dir(w) != 0;
}

// Position (1..n) of node number `key` among the ascending nodes(1..n), 0 when absent.
int find_node(plat::Vec1<const int> nodes, int n, int key) {
  if (n < 1) return 0;
  int st = 0, found = 0, pos = 0;
  SOFNDI(nodes, n, key, st, found, pos);
  return (st == 0 && found) ? pos : 0;
}

// A model's node numbers (thermal or fluid) as an ascending slice, with the
// load's index of the slice when a load runs.
struct NodeSlice {
  plat::Vec1<const int> nums;
  int n = 0;
  const NodeIndex* index = nullptr;
  NodeSlice() = default;
  NodeSlice(plat::Vec1<const int> v, int count) : nums(v), n(count), index(load_node_index(v, count)) {}
  // The number's magnitude is looked up (a stored node number may carry a
  // sign); the lowest integer has none and is looked up as it is.
  int find(int key) const {
    key = magnitude(key);
    return index ? index->find(key) : find_node(nums, n, key);
  }
  // Starts fetching what find(key) reads first (nothing without a table).
  void prefetch(int key) const {
    if (index) index->prefetch(magnitude(key));
  }
  static int magnitude(int key) { return key < 0 && key != INT_MIN ? -key : key; }
};

NodeSlice thermal_slice(plat::Mat2<int> dir, int m) {
  const int base = dir(md_thermalnodebase, m);
  const int n = dir(md_thermalnodebase, m + 1) - base;
  if (n <= 0 || base < 0 || base + n > gar_thermalnodenums.size()) return {};
  return {plat::Vec1<const int>(gar_thermalnodenums.data() + base, n), n};
}

NodeSlice fluid_slice(plat::Mat2<int> dir, int m) {
  const int base = dir(md_fluidnodebase, m);
  const int n = dir(md_fluidnodebase, m + 1) - base;
  if (n <= 0 || base < 0 || base + n > gar_fluidnodenums.size()) return {};
  return {plat::Vec1<const int>(gar_fluidnodenums.data() + base, n), n};
}

// Entries bucketed by node, in the order they were added per node
// (a counting pass, then a fill pass).
struct Buckets {
  std::vector<int> start;  // nodes + 2 words: entries of node n at [start[n], start[n+1])
  std::vector<int> data;   // neighbour, conductor, ...
  std::vector<int> fill;
  void init(int nodes) {
    start.assign(static_cast<std::size_t>(nodes) + 2, 0);
    data.clear();
    fill.clear();
  }
  void count(int node) { ++start[static_cast<std::size_t>(node) + 1]; }
  void finish_count() {
    for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
    data.assign(2 * static_cast<std::size_t>(start.back()), 0);
    fill.assign(start.begin(), start.end());
  }
  void add(int node, int neighbour, int cond) {
    const std::size_t at = 2 * static_cast<std::size_t>(fill[static_cast<std::size_t>(node)]++);
    data[at] = neighbour;
    data[at + 1] = cond;
  }
  template <class F>
  void each(int node, F f) const {
    if (start.empty()) return;
    for (int i = start[static_cast<std::size_t>(node)]; i < start[static_cast<std::size_t>(node) + 1]; ++i)
      f(data[2 * static_cast<std::size_t>(i)], data[2 * static_cast<std::size_t>(i) + 1]);
  }
  // Appends the (neighbour, conductor) pairs of a node to a local list.
  void append(int node, std::vector<int>& out) const {
    each(node, [&](int nb, int c) {
      out.push_back(nb);
      out.push_back(c);
    });
  }
};

// Copies a model's finished local list into the list array at fill, within
// the array's first `bound` words, and advances fill. False when it does not fit.
bool store_local_list(const std::vector<int>& loc, int bound, plat::Vec1<int> array, int& fill, int& present,
                      int& locallen) {
  const std::int64_t len = std::min<std::int64_t>(bound, array.size());
  if (fill < 0 || fill + static_cast<std::int64_t>(loc.size()) > len) return false;
  std::copy(loc.begin(), loc.end(), array.data() + fill);
  locallen = static_cast<int>(loc.size());
  fill += locallen;
  present = locallen > 0 ? 1 : 0;
  return true;
}

// Pairs of one conductor kind of the model being built: pair k = (p(2k-1), p(2k)).
// The sign a second node's stored number gives an entry's conductor, by
// kind (GL, GR, GF): GF entries carry the flow direction.
constexpr int kSign[3] = {1, 1, -1};

struct PairList {
  plat::Vec1<const int> p;
  int n = 0;
  int a(int k) const { return p(2 * k - 1); }
  int b(int k) const { return p(2 * k); }
};

// What the chained builder and the complete-matrix scan find wrong in a
// model's node-pair lists (lists 69, 70, 71, indexed 0, 1, 2 here): the
// first pair out of order, and per kind the conductors found touching a
// fluid node.
struct PairFault {
  enum What { None, Unsorted, Reversed };
  What what = None;
  int kind = 0;    // 0 GL, 1 GR, 2 GF
  int pair = 0;    // its number in its list
  int before = 0;  // Unsorted: the pair it follows
  int fluid[3] = {0, 0, 0};
  void note(What w, int k, int j, int prev) {
    if (what != None) return;
    what = w;
    kind = k;
    pair = j;
    before = prev;
  }
  bool any() const { return what != None || fluid[0] + fluid[1] + fluid[2] > 0; }
};

// The order a cursor over a pair list relies on, checked one pair at a
// time: first nodes ascending in the model's node order (pa, the first
// node's position), and for GL and GR the first node before the second.
// Pairs whose first node is not a node of the model are passed by.
struct PairOrder {
  int kind;
  int last_j = 0, last_pa = 0;
  explicit PairOrder(int k) : kind(k) {}
  void see(int j, int pa, int pb, PairFault& fault) {
    if (pa == 0) return;
    if (pa < last_pa) fault.note(PairFault::Unsorted, kind, j, last_j);
    if (kind < 2 && pb != 0 && pa > pb) fault.note(PairFault::Reversed, kind, j, 0);
    last_j = j;
    last_pa = pa;
  }
};

// The chained form of a model's thermal local list, written straight into
// out[0 .. cap): for each node n, its GL, GR and GF sub-lists, the GR one
// followed by the node's complete-matrix entries, each closed by (jump, 0)
// with the jump to the local position of the 0. One sub-list of kind k
// holds, in this order:
//   a. the conductors whose second node is n and whose first node lies
//      before it, ascending (n's chain);
//   b. the run of conductors, from a cursor that only moves forward, whose
//      first node is n;
//   c. for GF only, the rest of n's chain: conductors whose first node lies
//      after n.
// Entries whose neighbour is not a thermal node of the model are left out.
// The chains are kept as buckets by second node (a counting pass, then a
// fill in conductor order), so each node reads its own conductors in one
// run. Scratch, borrowed from the load's work space: per conductor its
// first node's position signed as the stored number and its second node's
// position (0 for a number that is not one of the model's nodes), the
// buckets' conductors with that signed position, and per node and kind the
// end of its bucket (counted a byte per node while the pairs are read).
// Each node's first word is written to starts[n - 1] as start_base + its
// local position + 1 (its place in the global list), when starts is given.
// Returns the length, or -1 when it does not fit.
std::int64_t chained_list_stepwise(const PairList (&kinds)[3], const int (&counts)[3], const NodeSlice& th,
                                   const NodeSlice& fl, const Buckets& matrix, int* out, std::int64_t cap,
                                   PairFault& fault, int* starts, int start_base) {
  const int ntm = th.n;
  std::int64_t total = 0;
  for (int k = 0; k < 3; ++k) total += counts[k];
  LoadWords end_words(LoadArea::Pointers, 3 * (static_cast<std::int64_t>(ntm) + 1));
  LoadWords conductor_words(LoadArea::Compact, 4 * total, LoadFill::Any);
  int* ends[3];    // ends[k][n]: end of node n's bucket, ends[k][n - 1] its start (ends[k][0] = 0)
  int* pos[3];     // pos[k][2(j-1)], [2(j-1) + 1]: signed first-node and second-node positions of conductor j
  int* bucket[3];  // bucket[k][2i], [2i + 1]: conductor and its signed first-node position
  {
    std::int64_t at = 0;
    for (int k = 0; k < 3; ++k) {
      ends[k] = end_words.data() + static_cast<std::int64_t>(k) * (ntm + 1);
      pos[k] = conductor_words.data() + 2 * at;
      bucket[k] = conductor_words.data() + 2 * total + 2 * at;
      at += counts[k];
    }
  }
  for (int k = 0; k < 3; ++k) {
    const PairList& pl = kinds[k];
    int* e = ends[k];
    int* p = pos[k];
    // Pairs come in order of first node: a number usually repeats. The
    // order the node loop below relies on is checked on the way, and a
    // node that is not thermal is looked for among the fluid nodes: such a
    // conductor needs the scanning form.
    int last_a = 0, last_pa = th.find(0);
    PairOrder order(k);
    // The counts by second node land all over the model: they are kept a
    // byte each in the kind's bucket words (filled only later), where a
    // large model's counts take a quarter of the cache that words would;
    // each wrap of a byte adds 256 to the node's word.
    const bool narrow = 8 * static_cast<std::int64_t>(counts[k]) >= static_cast<std::int64_t>(ntm) + 1;
    auto* const low = reinterpret_cast<unsigned char*>(bucket[k]);
    if (narrow) std::memset(low, 0, static_cast<std::size_t>(ntm) + 1);
    for (int j = 1; j <= counts[k]; ++j) {
      const int a = pl.a(j);
      if (a != last_a) {
        last_a = a;
        last_pa = th.find(a);
      }
      const int pa = last_pa, pb = th.find(pl.b(j));
      p[2 * j - 2] = a < 0 ? -pa : pa;
      p[2 * j - 1] = pb;
      if (pb != 0) {
        if (!narrow) ++e[pb];
        else if (++low[pb] == 0) e[pb] += 256;
      }
      if ((pa == 0 || pb == 0) && fl.n > 0 && (fl.find(a) != 0 || fl.find(pl.b(j)) != 0)) ++fault.fluid[k];
      order.see(j, pa, pb, fault);
    }
    // Bucket starts, then the fill moves each to its bucket's end.
    int run = 0;
    for (int n = 1; n <= ntm; ++n) {
      const int c = narrow ? e[n] + low[n] : e[n];
      e[n] = run;
      run += c;
    }
    int* bk = bucket[k];
    for (int j = 1; j <= counts[k]; ++j) {
      const int pb = p[2 * j - 1];
      if (pb == 0) continue;
      const int i = e[pb]++;
      bk[2 * i] = j;
      bk[2 * i + 1] = p[2 * j - 2];
    }
  }
  if (fault.any()) return -1;
  int cursor[3] = {1, 1, 1};
  std::int64_t w = 0;
  auto put = [&](int neighbour, int cond) {
    if (w + 2 > cap) return false;
    out[w] = neighbour;
    out[w + 1] = cond;
    w += 2;
    return true;
  };
  for (int n = 1; n <= ntm; ++n) {
    if (starts) starts[n - 1] = start_base + static_cast<int>(w) + 1;
    for (int k = 0; k < 3; ++k) {
      const PairList& pl = kinds[k];
      const int* p = pos[k];
      const int* bk = bucket[k];
      const int count = counts[k];
      const int b0 = ends[k][n - 1], b1 = ends[k][n];
      for (int i = b0; i < b1; ++i) {
        const int j = bk[2 * i], spa = bk[2 * i + 1], pa = spa < 0 ? -spa : spa;
        if (pa != 0 && pa < n && !put(pa, spa < 0 ? -j : j)) return -1;
      }
      int& cur = cursor[k];
      auto first_node = [&](int j) { return p[2 * j - 2] < 0 ? -p[2 * j - 2] : p[2 * j - 2]; };
      while (cur <= count && first_node(cur) < n) ++cur;
      while (cur <= count && first_node(cur) == n) {
        const int j = cur++;
        const int pb = p[2 * j - 1];
        if (pb != 0 && !put(pb, j * sgn(static_cast<long long>(pl.b(j)) * kSign[k]))) return -1;
      }
      if (kSign[k] < 0) {
        for (int i = b0; i < b1; ++i) {
          const int j = bk[2 * i], spa = bk[2 * i + 1], pa = spa < 0 ? -spa : spa;
          if (pa > n && !put(pa, spa < 0 ? -j : j)) return -1;
        }
      }
      if (k == 1) {
        bool fits = true;
        matrix.each(n, [&](int nb, int cd) { fits = fits && put(nb, cd); });
        if (!fits) return -1;
      }
      if (w + 2 > cap) return -1;
      out[w] = -static_cast<int>(w + 2);
      out[w + 1] = 0;
      w += 2;
    }
  }
  return w;
}

// The list of chained_list_stepwise, built in place when every node of
// every pair is one of the model's thermal nodes and the whole list fits:
// then parts a, b and c of a node's sub-list of kind k are, in conductor
// order, the conductors with second node n and first node before it, those
// with first node n, and those with second node n and first node after it.
// As the pairs ascend by first node, a pass in conductor order meets them in
// just that order, so one write position per node and kind takes both ends
// of each conductor to their final place. The pass over the pairs counts the
// entries per node and kind (a byte per node, as the stepwise builder does)
// and checks the pairs as that builder does; the node loop lays out each
// node's sub-lists, writing its start, the complete-matrix entries and the
// terminators; the last pass per kind puts the conductors in.
// Returns the length, -1 for a fault of the pairs (nothing written), or -2
// when the list is not of that case (nothing written either).
std::int64_t chained_list_direct(const PairList (&kinds)[3], const int (&counts)[3], const NodeSlice& th,
                                 const NodeSlice& fl, const Buckets& matrix, int* out, std::int64_t cap,
                                 PairFault& fault, int* starts, int start_base) {
  const int ntm = th.n;
  std::int64_t total = 0;
  for (int k = 0; k < 3; ++k) total += counts[k];
  const std::int64_t byte_words = (static_cast<std::int64_t>(ntm) + 4) / 4;
  LoadWords end_words(LoadArea::Pointers, 3 * (static_cast<std::int64_t>(ntm) + 1));
  LoadWords conductor_words(LoadArea::Compact, 2 * total + 3 * byte_words, LoadFill::Any);
  int* at[3];               // at[k][n]: entries of node n, then its write position
  int* pos[3];              // pos[k][2(j-1)], [2(j-1) + 1]: signed first-node and second-node positions
  unsigned char* low[3];    // low[k][n]: the low byte of node n's count
  {
    std::int64_t done = 0;
    for (int k = 0; k < 3; ++k) {
      at[k] = end_words.data() + static_cast<std::int64_t>(k) * (ntm + 1);
      pos[k] = conductor_words.data() + 2 * done;
      low[k] = reinterpret_cast<unsigned char*>(conductor_words.data() + 2 * total + k * byte_words);
      done += counts[k];
    }
  }
  bool whole = true;        // every node of every pair found
  std::int64_t entries = 0;
  for (int k = 0; k < 3; ++k) {
    const PairList& pl = kinds[k];
    int* e = at[k];
    int* p = pos[k];
    unsigned char* const lo = low[k];
    int last_a = 0, last_pa = th.find(0);
    PairOrder order(k);
    std::memset(lo, 0, static_cast<std::size_t>(ntm) + 1);
    // A count that wraps its byte adds 256 to the node's word.
    auto count = [&](int n) {
      if (++lo[n] == 0) e[n] += 256;
    };
    for (int j = 1; j <= counts[k]; ++j) {
      const int a = pl.a(j), b = pl.b(j);
      // Second nodes are scattered over the model: their table words are
      // fetched some pairs ahead.
      if (j + 16 <= counts[k]) th.prefetch(pl.b(j + 16));
      if (a != last_a) {
        last_a = a;
        last_pa = th.find(a);
      }
      const int pa = last_pa, pb = th.find(b);
      p[2 * j - 2] = a < 0 ? -pa : pa;
      p[2 * j - 1] = sgn(static_cast<long long>(b) * kSign[k]) < 0 ? -pb : pb;
      if (pa == 0 || pb == 0) {
        whole = false;
        if (fl.n > 0 && (fl.find(a) != 0 || fl.find(b) != 0)) ++fault.fluid[k];
      } else {
        count(pa);
        ++entries;
        if (pa != pb) {
          count(pb);
          ++entries;
        }
      }
      order.see(j, pa, pb, fault);
    }
  }
  if (fault.any()) return -1;
  const std::int64_t matrix_entries =
      matrix.start.empty() ? 0 : matrix.start[static_cast<std::size_t>(ntm) + 1] - matrix.start[1];
  const std::int64_t length = 2 * (entries + matrix_entries) + 6 * static_cast<std::int64_t>(ntm);
  if (!whole || length > cap) return -2;
  std::int64_t w = 0;
  for (int n = 1; n <= ntm; ++n) {
    if (starts) starts[n - 1] = start_base + static_cast<int>(w) + 1;
    for (int k = 0; k < 3; ++k) {
      const int c = at[k][n] + low[k][n];
      at[k][n] = static_cast<int>(w);
      w += 2 * static_cast<std::int64_t>(c);
      if (k == 1) {
        matrix.each(n, [&](int nb, int cd) {
          out[w] = nb;
          out[w + 1] = cd;
          w += 2;
        });
      }
      out[w] = -static_cast<int>(w + 2);
      out[w + 1] = 0;
      w += 2;
    }
  }
  // The kinds take turns by blocks of first nodes, so that the sub-lists
  // of a block's nodes are written while their words are in the cache.
  constexpr int kBlock = 1024;
  int next[3] = {1, 1, 1};
  for (int n0 = 1; n0 <= ntm; n0 += kBlock) {
    const int n1 = ntm - n0 < kBlock ? ntm + 1 : n0 + kBlock;
    for (int k = 0; k < 3; ++k) {
      int* const e = at[k];
      const int* const p = pos[k];
      const int count = counts[k];
      int j = next[k];
      for (; j <= count; ++j) {
        const int spa = p[2 * j - 2], spb = p[2 * j - 1];
        const int pa = spa < 0 ? -spa : spa, pb = spb < 0 ? -spb : spb;
        if (pa >= n1) break;
        // A conductor's second end lands anywhere in the list: its write
        // position is fetched 16 pairs ahead, the word it points to 8.
        if (j + 16 <= count) {
          const int sf = p[2 * (j + 16) - 1];
          __builtin_prefetch(e + (sf < 0 ? -sf : sf));
        }
        if (j + 8 <= count) {
          const int sf = p[2 * (j + 8) - 1];
          __builtin_prefetch(out + e[sf < 0 ? -sf : sf], 1);
        }
        int* to = out + e[pa];
        to[0] = pb;
        to[1] = spb < 0 ? -j : j;
        e[pa] += 2;
        if (pa != pb) {
          to = out + e[pb];
          to[0] = pa;
          to[1] = spa < 0 ? -j : j;
          e[pb] += 2;
        }
      }
      next[k] = j;
    }
  }
  return w;
}

// The chained form of a model's thermal local list (see
// chained_list_stepwise), by the direct build where the list is of its case.
std::int64_t chained_list(const PairList (&kinds)[3], const int (&counts)[3], const NodeSlice& th,
                          const NodeSlice& fl, const Buckets& matrix, int* out, std::int64_t cap, PairFault& fault,
                          int* starts, int start_base) {
  const std::int64_t w = chained_list_direct(kinds, counts, th, fl, matrix, out, cap, fault, starts, start_base);
  if (w != -2) return w;
  return chained_list_stepwise(kinds, counts, th, fl, matrix, out, cap, fault, starts, start_base);
}

// The chained local list SPCSA wrote last (its array, the fill position
// before it and its length), which SIMPCS rebases in place. Rebasing keeps
// every word in its place, so the builder has already written the model's
// node starts into gar_pcsptrsthermalold when `starts` says so.
struct ChainedNote {
  const int* list = nullptr;
  int fill = 0, len = 0;
  bool starts = false;
};
ChainedNote chained_note;

// Complete radiative matrix entries: pair j (1..M) stored after the listed
// radiative pairs joins both its nodes with the conductor ngr + j. Adds 5 to
// errors for a pair with exactly one end among the model's nodes.
// Its scan follows each node's run of pairs with a cursor, so the pairs'
// order is checked as they are looked up (pair numbers of list 70).
void matrix_entries(const PairList& pl, int ngr, int mcount, const NodeSlice& th, Buckets& out, int& errors,
                    PairFault& fault) {
  const int ntm = th.n;
  std::vector<int> qa(static_cast<std::size_t>(mcount) + 1), qb(static_cast<std::size_t>(mcount) + 1);
  std::vector<int> head(static_cast<std::size_t>(ntm) + 1, 0), next(static_cast<std::size_t>(mcount) + 1, 0);
  PairOrder order(1);
  for (int j = 1; j <= mcount; ++j) {
    qa[j] = th.find(pl.a(ngr + j));
    qb[j] = th.find(pl.b(ngr + j));
    if ((qa[j] == 0) != (qb[j] == 0)) errors += 5;
    order.see(ngr + j, qa[j], qb[j], fault);
  }
  for (int j = mcount; j >= 1; --j) {
    if (qb[j] == 0 || qa[j] == 0) continue;
    next[j] = head[qb[j]];
    head[qb[j]] = j;
  }
  auto emit = [&](int n, int& cursor, auto&& put) {
    for (int j = head[n]; j != 0; j = next[j])
      if (qa[j] < n) put(qa[j], ngr + j);
    while (cursor <= mcount && qa[cursor] < n) ++cursor;
    while (cursor <= mcount && qa[cursor] == n) {
      const int j = cursor++;
      if (qb[j] != 0) put(qb[j], ngr + j);
    }
  };
  out.init(ntm);
  int cursor = 1;
  for (int n = 1; n <= ntm; ++n) emit(n, cursor, [&](int, int) { out.count(n); });
  out.finish_count();
  cursor = 1;
  for (int n = 1; n <= ntm; ++n) emit(n, cursor, [&](int nb, int c) { out.add(n, nb, c); });
}

// Scanning form, for models whose conductors touch fluid nodes: conductor k
// joins its first node (neighbour = second node, signed by second x s) and
// its second node (neighbour = first node), in index order; a neighbour is a
// thermal node p or a fluid node (ntm + p); a neighbour found in neither adds
// 5 to errors.
// Returns the number of the conductors that touch a fluid node.
int scanning_kind(const PairList& pl, int count, int s, const NodeSlice& th, const NodeSlice& fl, Buckets& out,
                  int& errors) {
  const int ntm = th.n;
  auto locate = [&](int node) {
    const int p = th.find(node);
    if (p) return p;
    const int q = fl.find(node);
    return q ? ntm + q : 0;
  };
  std::vector<int> na(static_cast<std::size_t>(count) + 1), nb(static_cast<std::size_t>(count) + 1);
  int touching = 0;
  for (int k = 1; k <= count; ++k) {
    na[k] = locate(pl.a(k));
    nb[k] = locate(pl.b(k));
    if (na[k] > ntm || nb[k] > ntm) ++touching;
  }
  out.init(ntm);
  for (int pass = 0; pass < 2; ++pass) {
    for (int k = 1; k <= count; ++k) {
      const bool a_here = na[k] >= 1 && na[k] <= ntm, b_here = nb[k] >= 1 && nb[k] <= ntm;
      if (a_here) {
        if (pass == 0) {
          if (nb[k] == 0) errors += 5;
          else out.count(na[k]);
        } else if (nb[k] != 0) {
          out.add(na[k], nb[k], k * sgn(static_cast<long long>(pl.b(k)) * s));
        }
      }
      if (b_here && na[k] != nb[k]) {
        if (pass == 0) {
          if (na[k] == 0) errors += 5;
          else out.count(nb[k]);
        } else if (na[k] != 0) {
          out.add(nb[k], na[k], k * sgn(pl.a(k)));
        }
      }
    }
    if (pass == 0) out.finish_count();
  }
  return touching;
}

void report_build_failure(std::string_view text, int m, std::string_view routine) {
  const std::string msg = std::string(text) + iw(m, 3);
  SETERX(msg, 4, 2, routine);
}

// The fatal diagnostic of SPCSA for a fault of the lists of model m that
// the builders rely on (the run ends).
void report_list_fault(int m, std::string_view problem, const std::string& info, int code) {
  SETERX(std::string(problem) + "@Building the connection lists of model " +
             std::string(plat::trimmed(gar_modelnames(m).view())) + " (" + std::to_string(m) + ")@" + info +
             "@Loading the model database",
         4, code, "SPCSA");
}

// Reports the first fault of a model's node-pair lists (the counts of the
// conductors touching fluid nodes before the order of the pairs); false
// when there is none.
bool report_pair_fault(int m, const PairFault& f, const PairList (&kinds)[3], plat::Vec1<const int> fluidcounts) {
  static constexpr const char* kKind[3] = {"GL", "GR", "GF"};
  auto stored = [&](int k) { return k + 1 <= fluidcounts.size() ? fluidcounts(k + 1) : 0; };
  auto list = [&](int k) { return "List " + std::to_string(69 + k) + " (" + kKind[k] + " node pairs): "; };
  auto pair = [&](int k, int j) {
    return "pair " + std::to_string(j) + " (" + std::to_string(kinds[k].a(j)) + ", " +
           std::to_string(kinds[k].b(j)) + ")";
  };
  for (int k = 0; k < 3; ++k) {
    if (f.fluid[k] == stored(k)) continue;
    report_list_fault(m, "Count of conductors touching fluid nodes is wrong",
                      std::string(kKind[k]) + " conductors touching fluid nodes: " + std::to_string(stored(k)) +
                          " by list 66 item " + std::to_string(70 + k) + ", " + std::to_string(f.fluid[k]) +
                          " in list " + std::to_string(69 + k),
                      5);
    return true;
  }
  switch (f.what) {
    case PairFault::Unsorted:
      report_list_fault(m, "Conductor node pairs not sorted by first node",
                        list(f.kind) + pair(f.kind, f.pair) + " follows " + pair(f.kind, f.before) +
                            "; a list runs in ascending order of its first nodes",
                        3);
      return true;
    case PairFault::Reversed:
      report_list_fault(m, "Conductor node pair in reverse order",
                        list(f.kind) + pair(f.kind, f.pair) + "; a GL or GR pair names the lower node number first",
                        4);
      return true;
    case PairFault::None: break;
  }
  return false;
}

// Reports a slice of node numbers (list 1 thermal, 201 fluid) that does not
// ascend strictly; false when it does, or has no index (outside a load).
bool report_node_order(int m, const NodeSlice& slice, int list) {
  const int p = slice.index ? slice.index->out_of_order() : 0;
  if (p == 0) return false;
  report_list_fault(m, "Node numbers not in ascending order",
                    "List " + std::to_string(list) + (list == 1 ? " (thermal" : " (fluid") +
                        " node numbers): node " + std::to_string(slice.nums(p)) + " at position " +
                        std::to_string(p) + " follows node " + std::to_string(slice.nums(p - 1)) +
                        "; the numbers of a model ascend, each used once",
                    6);
  return true;
}

// Node-pair list of a kind, checked against its array.
bool pair_list(plat::Array1<std::int32_t>& arr, int words, PairList& pl) {
  if (words < 0 || words % 2 != 0 || words > arr.size()) return false;
  pl.p = plat::Vec1<const int>(arr.data(), words);
  pl.n = words / 2;
  return true;
}

int kind_range(int kind, int m) {
  switch (kind) {
    case 1: return md_linearcondbase(m + 1) - md_linearcondbase(m);
    case 2: return md_radiativecondbase(m + 1) - md_radiativecondbase(m);
    default: return md_fluidiccondbase(m + 1) - md_fluidiccondbase(m);
  }
}

// Next word of a list read by the reading rule, within 1..len; false at a
// position outside the list.
inline bool in_list(std::int64_t p, std::int64_t len) { return p >= 1 && p <= len; }

}  // namespace

// ---------------------------------------------------------------------------
// Thermal local list.
// ---------------------------------------------------------------------------

void SPCSA(plat::Vec1<const int> listdir, int dim1, int m, int nglwords, int ngrwords, int ngfwords,
           plat::Vec1<const int> fluidcounts, int& fill, int& present, int& locallen, int& status) {
  status = 0;
  present = 0;
  locallen = 0;
  chained_note = {};
  const NodeSlice th = thermal_slice(gar_modeldirectory, m);
  const NodeSlice fl = fluid_slice(gar_modeldirectory, m);
  // Every look-up of a node bisects the model's node numbers.
  if (report_node_order(m, th, 1) || report_node_order(m, fl, 201)) {
    status = 4;
    return;
  }
  const int ntm = th.n;
  PairList kinds[3];
  const bool pairs_ok = pair_list(gar_linearcondnodepairs, nglwords, kinds[0]) &&
                        pair_list(gar_radiativecondnodepairs, ngrwords, kinds[1]) &&
                        pair_list(gar_fluidiccondnodepairs, ngfwords, kinds[2]);
  // The counts of the conductors that touch fluid nodes choose the builder
  // here and bound the fluid list's scan: they must be those of the pairs.
  PairFault fault;
  auto refused = [&] {
    if (!report_pair_fault(m, fault, kinds, fluidcounts)) return false;
    status = 4;
    return true;
  };
  if (ntm <= 0) {
    // No thermal list; the counts still decide the fluid list.
    if (pairs_ok && fl.n > 0) {
      Buckets none;
      int errors = 0;
      for (int k = 0; k < 3; ++k)
        fault.fluid[k] = scanning_kind(kinds[k], kinds[k].n, kSign[k], th, fl, none, errors);
      refused();
    }
    return;
  }

  auto fail = [&] {
    report_build_failure("Failed to create PCS for model ", m, "SPCSA");
    status = 4;
  };
  if (!pairs_ok) {
    fail();
    return;
  }
  // The complete radiative matrix of a model with view factors: its
  // NTm (NTm - 1) / 2 conductors end the model's own GR range, so every
  // local index, listed or matrix, stays within the range.
  const std::int64_t mfull = list_present(listdir, dim1, 34) ? static_cast<std::int64_t>(ntm) * (ntm - 1) / 2 : 0;
  if (mfull > kinds[1].n) {
    fail();
    return;
  }
  const int mcount = static_cast<int>(mfull);
  const int counts[3] = {kinds[0].n, kinds[1].n - mcount, kinds[2].n};
  for (int k = 0; k < 3; ++k) {
    if (kinds[k].n > kind_range(k + 1, m)) {
      fail();
      return;
    }
  }
  if (counts[0] == 0 && counts[1] == 0 && counts[2] == 0 && mcount == 0) {
    refused();
    return;
  }

  long long touching = 0;
  for (int k = 1; k <= 3 && k <= fluidcounts.size(); ++k) touching += fluidcounts(k);
  const bool chained = touching == 0;

  int errors = 0;
  Buckets sub[3], matrix;
  if (!chained)
    for (int k = 0; k < 3; ++k)
      fault.fluid[k] = scanning_kind(kinds[k], counts[k], kSign[k], th, fl, sub[k], errors);
  if (mcount > 0) matrix_entries(kinds[1], counts[1], mcount, th, matrix, errors, fault);
  if (errors > 10) {
    fail();
    return;
  }
  if (!chained && refused()) return;

  if (chained) {
    // Straight into the list array, at fill + 1 and within its first FLAGS(24) words.
    const std::int64_t len = std::min<std::int64_t>(FLAGS(24), gar_pcsthermalold.size());
    const int tbase = gar_modeldirectory(md_thermalnodebase, m);
    int* starts = tbase >= 0 && tbase + std::int64_t{ntm} <= gar_pcsptrsthermalold.size()
                      ? gar_pcsptrsthermalold.data() + tbase
                      : nullptr;
    const std::int64_t w = fill < 0 || fill > len ? -1
                                                  : chained_list(kinds, counts, th, fl, matrix,
                                                                 gar_pcsthermalold.data() + fill, len - fill, fault,
                                                                 starts, fill);
    if (refused()) return;
    if (w < 0) {
      fail();
      return;
    }
    if (w > 0) chained_note = {gar_pcsthermalold.data(), fill, static_cast<int>(w), starts != nullptr};
    locallen = static_cast<int>(w);
    fill += locallen;
    present = locallen > 0 ? 1 : 0;
    return;
  }

  // Local list: per node three sub-lists; the chained form closes each with
  // (jump, 0), the scanning form with a single 0. Jumps are local positions.
  std::vector<int> loc;
  std::size_t total = 0;
  for (int k = 0; k < 3; ++k) total += sub[k].data.size();
  total += matrix.data.size() + static_cast<std::size_t>(ntm) * 6;
  loc.reserve(total);
  for (int n = 1; n <= ntm; ++n) {
    for (int k = 0; k < 3; ++k) {
      sub[k].append(n, loc);
      if (k == 1) matrix.append(n, loc);
      if (chained) {
        const int p = static_cast<int>(loc.size()) + 1;
        loc.push_back(-(p + 1));
        loc.push_back(0);
      } else {
        loc.push_back(0);
      }
    }
  }
  if (!store_local_list(loc, FLAGS(24), gar_pcsthermalold.view(), fill, present, locallen)) fail();
}

// ---------------------------------------------------------------------------
// Fluid local list.
// ---------------------------------------------------------------------------

void SFPCSA(plat::Vec1<const int> /*listdir*/, int /*dim1*/, int m, int nglwords, int ngrwords, int ngfwords,
            plat::Vec1<const int> fluidcounts, int& fill, int& present, int& locallen, int& status) {
  status = 0;
  present = 0;
  locallen = 0;
  const NodeSlice th = thermal_slice(gar_modeldirectory, m);
  const NodeSlice fl = fluid_slice(gar_modeldirectory, m);
  const int nfm = fl.n;
  if (nfm <= 0) return;

  auto fail = [&] {
    report_build_failure("Failed to create FPCS for model ", m, "SFPCSA");
    status = 4;
  };

  const int lbase = md_massflowlinkbase(m);
  const int nlm = md_massflowlinkbase(m + 1) - lbase;
  int touch[3] = {0, 0, 0};
  for (int k = 1; k <= 3 && k <= fluidcounts.size(); ++k) touch[k - 1] = std::max(0, fluidcounts(k));
  if (nlm <= 0 && touch[0] + touch[1] + touch[2] == 0) return;
  if (nlm < 0 || lbase < 0 || 2LL * (lbase + nlm) > gar_massflowlinkcondnodepairs.size()) {
    fail();
    return;
  }
  PairList kinds[3];
  if (!pair_list(gar_linearcondnodepairs, nglwords, kinds[0]) ||
      !pair_list(gar_radiativecondnodepairs, ngrwords, kinds[1]) ||
      !pair_list(gar_fluidiccondnodepairs, ngfwords, kinds[2])) {
    fail();
    return;
  }

  int errors = 0;
  // Sub-list 1: the model's own mass-flow links, in index order, at both ends.
  Buckets links;
  {
    const PairList lp{plat::Vec1<const int>(gar_massflowlinkcondnodepairs.data() + 2LL * lbase, 2LL * nlm), nlm};
    std::vector<int> pa(static_cast<std::size_t>(nlm) + 1), pb(static_cast<std::size_t>(nlm) + 1);
    for (int l = 1; l <= nlm; ++l) {
      pa[l] = fl.find(lp.a(l));
      pb[l] = fl.find(lp.b(l));
    }
    links.init(nfm);
    for (int pass = 0; pass < 2; ++pass) {
      for (int l = 1; l <= nlm; ++l) {
        if (pb[l]) {
          if (!pa[l]) {
            if (pass == 0) errors += 5;
          } else if (pass == 0) {
            links.count(pb[l]);
          } else {
            links.add(pb[l], pa[l], l);
          }
        }
        if (pa[l] && pa[l] != pb[l]) {
          if (!pb[l]) {
            if (pass == 0) errors += 5;
          } else if (pass == 0) {
            links.count(pa[l]);
          } else {
            links.add(pa[l], pb[l], l);
          }
        }
      }
      if (pass == 0) links.finish_count();
    }
  }
  // Sub-lists 2..4: conductors touching a fluid node, scanned in index order
  // until the given number of them has been seen.
  Buckets sub[3];
  for (int k = 0; k < 3; ++k) {
    const PairList& pl = kinds[k];
    sub[k].init(nfm);
    for (int pass = 0; pass < 2; ++pass) {
      int left = touch[k];
      for (int c = 1; c <= pl.n && left > 0; ++c) {
        const int fa = fl.find(pl.a(c)), fb = fl.find(pl.b(c));
        if (!fa && !fb) continue;
        --left;
        if (fa) {
          const int t = th.find(pl.b(c));
          if (!t) {
            if (pass == 0) errors += 5;
          } else if (pass == 0) {
            sub[k].count(fa);
          } else {
            sub[k].add(fa, t, c * sgn(static_cast<long long>(pl.b(c)) * kSign[k]));
          }
        }
        if (fb && fb != fa) {
          const int t = th.find(pl.a(c));
          if (!t) {
            if (pass == 0) errors += 5;
          } else if (pass == 0) {
            sub[k].count(fb);
          } else {
            sub[k].add(fb, t, c * sgn(pl.a(c)));
          }
        }
      }
      if (pass == 0) sub[k].finish_count();
    }
  }
  if (errors > 10) {
    fail();
    return;
  }

  std::vector<int> loc;
  for (int j = 1; j <= nfm; ++j) {
    links.append(j, loc);
    const int p = static_cast<int>(loc.size()) + 1;
    loc.push_back(-(p + 1));
    loc.push_back(0);
    for (int k = 0; k < 3; ++k) {
      sub[k].append(j, loc);
      loc.push_back(0);
    }
  }
  if (!store_local_list(loc, FLAGS(35), gar_pcsfluid.view(), fill, present, locallen)) fail();
}

// ---------------------------------------------------------------------------
// Mass-flow links.
// ---------------------------------------------------------------------------

void SGVNOD(plat::Vec1<int> words, int nwords, plat::Vec1<const int> nodenums, int nnodes, int base, int& status,
            int* missing) {
  status = 0;
  if (nwords > words.size()) {
    status = 1;
    return;
  }
  const NodeIndex* index = load_node_index(nodenums, nnodes);
  for (int i = 1; i <= nwords; ++i) {
    const int p = index ? index->find(words(i)) : find_node(nodenums, nnodes, words(i));
    if (p == 0) {
      status = 1;
      if (missing != nullptr) *missing = i;
      return;
    }
    words(i) = p + base;
  }
}

namespace {

constexpr int kRec = 5;

// The inter-model mass-flow link records waiting in the integer core:
// core(9) first word, core(10) words in use.
int link_records(plat::Vec1<int> core) { return core.size() >= 11 ? core(10) / kRec : 0; }

bool link_area_valid(plat::Vec1<int> core) {
  if (core.size() < 11) return false;
  const std::int64_t first = core(9), used = core(10);
  return first >= 1 && used >= 0 && used % kRec == 0 && first + used - 1 <= core.size();
}

// Moves the record at `from` (1-based record number among n) forward past
// the records that do not compare greater, keeping the area sorted.
void SOMSRT(plat::Vec1<int> area, int n, int from) {
  int rec[kRec];
  for (int w = 0; w < kRec; ++w) rec[w] = area(kRec * (from - 1) + 1 + w);
  int to = from;
  LoopGuard guard("SOMSRT");
  while (to < n) {
    guard.pass();
    int cmp = 0, st = 0;
    SCOMPX(plat::Vec1<const int>(area.data() + kRec * to, kRec), plat::Vec1<const int>(rec, kRec), kRec, cmp, st);
    if (cmp > 0) break;
    for (int w = 0; w < kRec; ++w) area(kRec * (to - 1) + 1 + w) = area(kRec * to + 1 + w);
    ++to;
  }
  for (int w = 0; w < kRec; ++w) area(kRec * (to - 1) + 1 + w) = rec[w];
}

// Enters the waiting inter-model mass-flow link records of fluid node `node`
// (global fluid index) into its sub-list 1 at list(w..).
bool SADFLN(int node, plat::Vec1<int> core, plat::Vec1<int> list, int& w, int limit) {
  if (!link_area_valid(core)) return true;
  LoopGuard guard("SADFLN");
  for (;;) {
    guard.pass();
    const int n = link_records(core);
    if (n == 0) return true;
    plat::Vec1<int> area = core.from(core(9), static_cast<std::int64_t>(n) * kRec);
    if (area(1) != 0 || area(2) != node) return true;
    const int k = area(5) < 0 ? -area(5) : area(5);
    if (w + 1 >= limit) return false;
    if (area(3) >= 0) {
      // First end: a placeholder waits for the far end's node.
      const int p = w;
      list(w) = -1;
      list(w + 1) = k;
      w += 2;
      if (area(5) > 0 && k >= 1 && 2LL * k <= gar_massflowlinkcondnodepairs.size())
        gar_massflowlinkcondnodepairs(2 * k - 1) = -gar_massflowlinkcondnodepairs(2 * k - 1);
      const int m2 = area(3), n2 = area(4);
      area(3) = -p;
      area(4) = area(2);
      area(1) = m2;
      area(2) = n2;
      SOMSRT(area, n, 1);
    } else {
      // Far end: fill the placeholder, enter the link here, drop the record.
      const int p = -area(3);
      if (p >= 1 && p <= list.size()) list(p) = node;
      list(w) = area(4);
      list(w + 1) = k;
      w += 2;
      core(9) += kRec;
      core(10) -= kRec;
    }
  }
}

}  // namespace

namespace {

// A mass-flow link read with model m names node `number` of model m, which
// is no fluid node of it: `which` says which link and end. Reported before
// the load's own report ends the run.
void link_end_missing(int m, const std::string& which, int number) {
  const std::string model(gar_modelnames(m).trimmed());
  const std::string text = "Mass-flow link names a node its model does not hold@Loading the fluid links of model " +
                           model + "@" + which + ": node " + std::to_string(number) + " is no fluid node of model " +
                           model;
  SETERX(text, 3, 1, "LOADUP");
}

}  // namespace

void LOADUP(int m, plat::Mat2<int> directory, int nlinkwords, plat::Vec1<int> core, int& status) {
  status = 0;
  auto md = [&](int slot, int model) { return directory(slot, model); };
  const int fbase = md(md_fluidnodebase, m);
  const int nfm = md(md_fluidnodebase, m + 1) - fbase;
  const int lbase = md(md_massflowlinkbase, m);
  const int nlm = md(md_massflowlinkbase, m + 1) - lbase;
  const NodeSlice fl = fluid_slice(directory, m);
  const int nm = static_cast<int>(directory.cols()) - 1;
  auto& pairs = gar_massflowlinkcondnodepairs;

  // 1. The model's own links: node numbers to fluid indices.
  if (nlm > 0) {
    if (lbase < 0 || 2LL * (lbase + nlm) > pairs.size()) {
      status = 1;
      return;
    }
    int st = 0, missing = 0;
    SGVNOD(pairs.from(2LL * lbase + 1, 2LL * nlm), 2 * nlm, fl.nums, nfm, fbase, st, &missing);
    if (st != 0) {
      link_end_missing(m,
                       "Link " + std::to_string((missing + 1) / 2) + " of the model, its " +
                           (missing % 2 == 1 ? "first" : "second") + " end",
                       pairs(2LL * lbase + missing));
      status = 1;
      return;
    }
  }

  // 2. Inter-model links read with this model.
  if (nlinkwords > 0) {
    if (nlinkwords % 4 != 0 || !link_area_valid(core)) {
      status = 1;
      return;
    }
    const int n = nlinkwords / 4;
    const std::int64_t s0 = static_cast<std::int64_t>(core(9)) + core(10);
    const int first = md(md_massflowlinkbase, m + 1) + 1;
    if (s0 + static_cast<std::int64_t>(kRec) * n > std::min<std::int64_t>(core(11), core.size() + 1) ||
        2LL * (first + n - 1) > pairs.size() || first < 1) {
      status = 1;
      return;
    }
    for (int i = 1; i <= n; ++i) {
      const std::int64_t r = s0 + 4LL * (i - 1);
      const int m1 = core(r), n1 = core(r + 1), m2 = core(r + 2), n2 = core(r + 3);
      pairs(2LL * (first + i - 1) - 1) = (m1 < m2 || (m1 == m2 && n2 >= n1)) ? 1 : -1;
    }
    int st = 0;
    DBCOPI(static_cast<int>(core.size()), 4 * n, static_cast<int>(s0), static_cast<int>(s0) + n, core, st);
    if (st != 0) {
      status = 1;
      return;
    }
    plat::Vec1<int> recs = core.from(s0, static_cast<std::int64_t>(kRec) * n);
    SLKMOD(0, n + 1, first, kRec * n, n, m, recs, st);
    if (st != 0) {
      status = 1;
      return;
    }
    // Both ends must lie in this model or one still to be loaded, or they
    // would never be resolved.
    for (int i = 1; i <= n; ++i) {
      const int a = recs(kRec * (i - 1LL) + 1), c = recs(kRec * (i - 1LL) + 3);
      if (a < m || a > nm || c < m || c > nm) status = 1;
    }
    if (status != 0) return;
    directory(md_massflowlinkbase, m + 1) += n;
    core(10) += kRec * n;
  }

  // 3. Resolve the ends that belong to this model.
  const int nrec = link_records(core);
  if (nrec == 0) return;
  if (!link_area_valid(core)) {
    status = 1;
    return;
  }
  plat::Vec1<int> area = core.from(core(9), static_cast<std::int64_t>(nrec) * kRec);
  bool any = false;
  for (int r = 1; r <= nrec; ++r) {
    for (int e = 1; e <= 3; e += 2) {
      const std::int64_t w = kRec * (r - 1LL) + e;
      if (area(w) != m) continue;
      const int p = fl.find(area(w + 1));
      if (p == 0) {
        link_end_missing(m, "A link between models", area(w + 1));
        status = 1;
        return;
      }
      area(w + 1) = p + fbase;
      area(w) = 0;
      any = true;
    }
  }
  if (any) {
    int st = 0, dup = 0;
    SSMSRT(kRec, nrec, area, st, dup);
    if (st != 0) {
      status = 1;
      return;
    }
  }
  // 4. Links with both ends resolved get their node pair in the link's own direction.
  for (int r = 1; r <= nrec; ++r) {
    const std::int64_t o = kRec * (r - 1LL);
    if (area(o + 1) != 0) break;
    if (area(o + 3) > 0 || area(o + 5) <= 0) continue;
    const int k = area(o + 5);
    if (2LL * k > pairs.size()) {
      status = 1;
      return;
    }
    if (pairs(2 * k - 1) == 1) {
      pairs(2 * k - 1) = area(o + 2);
      pairs(2 * k) = area(o + 4);
    } else {
      pairs(2 * k - 1) = area(o + 4);
      pairs(2 * k) = area(o + 2);
    }
    area(o + 5) = -k;
  }
}

// ---------------------------------------------------------------------------
// Merge of a model's local lists into global form.
// ---------------------------------------------------------------------------

void SIMPCS(int thpresent, int thlen, int flpresent, int fllen, int m, plat::Mat2<int> directory, int lenpcsold,
            int lenpcsfluid, int& thfill, int& flfill, plat::Vec1<int> core, int& status) {
  status = 0;
  auto md = [&](int slot, int model) { return directory(slot, model); };
  const int nt = FLAGS(1);
  const int tbase = md(md_thermalnodebase, m), ntm = md(md_thermalnodebase, m + 1) - tbase;
  const int fbase = md(md_fluidnodebase, m), nfm = md(md_fluidnodebase, m + 1) - fbase;
  const int lkbase = md(md_massflowlinkbase, m);
  const int cbase[3] = {md(md_linearcondbase, m), md(md_radiativecondbase, m), md(md_fluidiccondbase, m)};

  // Moves the local list (len words after fill) to the tail; returns the
  // tail's first word, or 0 when there is none.
  auto to_tail = [&](plat::Vec1<int> arr, int total, int present, int len, int& fill) -> int {
    if (!present || len <= 0) return 0;
    fill -= len;
    const int src = fill + 1, tail = total - len + 1;
    if (src < 1 || tail < src) {
      status = 1;
      return -1;
    }
    if (tail > src) {
      int st = 0;
      DBCOPI(total, len, src, tail, arr, st);
      if (st != 0) {
        status = st;
        return -1;
      }
    }
    return tail;
  };

  // ---- thermal side (SLKPCS) ----
  const ChainedNote note = chained_note;
  chained_note = {};
  const std::int64_t th_total = std::min<std::int64_t>(lenpcsold, gar_pcsthermalold.size());
  if (ntm > 0 && thpresent && thlen > 0 && note.list == gar_pcsthermalold.data() && note.fill == thfill - thlen &&
      note.len == thlen && note.fill >= 0 && th_total - thlen >= note.fill && tbase >= 0 &&
      tbase + ntm <= gar_pcsptrsthermalold.size()) {
    // The chained local list just built: every sub-list closes with
    // (jump, 0), so the global list has its length and each word takes the
    // place of its local word. Rebasing in place gives what the move to the
    // tail and the rewrite from the front give, the tail cleared included.
    const int total = static_cast<int>(th_total);
    thfill -= thlen;
    const int tail = total - thlen + 1;
    int* a = gar_pcsthermalold.data();
    std::int64_t w = thfill;  // zero-based
    // With every base 0 and the list at the start of the array, the local
    // list is already the global one: only the node starts are taken, and
    // the builder has written them already unless the note says otherwise.
    const bool as_is = thfill == 0 && tbase == 0 && cbase[0] == 0 && cbase[1] == 0 && cbase[2] == 0;
    if (as_is && note.starts) w = thfill + thlen;
    for (int n = 1; n <= ntm && as_is && !note.starts; ++n) {
      gar_pcsptrsthermalold(n) = static_cast<int>(w + 1);
      for (int k = 0; k < 3; ++k) {
        while (a[w] >= 0) w += 2;
        w += 2;
      }
    }
    for (int n = 1; n <= ntm && !as_is; ++n) {
      gar_pcsptrsthermalold(tbase + n) = static_cast<int>(w + 1);
      for (int k = 0; k < 3; ++k) {
        for (;;) {
          const int v = a[w];
          if (v < 0) break;
          const int c = a[w + 1];
          a[w] = v <= ntm ? v + tbase : v - ntm + nt + fbase;
          a[w + 1] = c + sgn(c) * cbase[k];
          w += 2;
        }
        a[w] = -static_cast<int>(w + 2);
        w += 2;
      }
    }
    std::fill(a + (std::max<std::int64_t>(w + 1, tail) - 1), a + total, 0);
    thfill = static_cast<int>(w);
  } else if (ntm > 0) {
    plat::Vec1<int> arr = gar_pcsthermalold.view();
    const int total = static_cast<int>(std::min<std::int64_t>(lenpcsold, arr.size()));
    const int tail = to_tail(arr, total, thpresent, thlen, thfill);
    if (tail < 0) return;
    if (tbase < 0 || tbase + ntm > gar_pcsptrsthermalold.size()) {
      status = 1;
      return;
    }
    int r = tail;  // next unread local word (0: no local list)
    const int unread_limit = tail ? tail : total + 1;
    int w = thfill + 1;
    LoopGuard guard("SLKPCS");
    for (int n = 1; n <= ntm; ++n) {
      gar_pcsptrsthermalold(tbase + n) = w;
      for (int k = 0; k < 3; ++k) {
        if (tail) {
          for (;;) {
            guard.pass();
            if (!in_list(r, total)) {
              status = 1;
              return;
            }
            const int v = arr(r);
            if (v > 0) {
              if (r + 1 > total) {
                status = 1;
                return;
              }
              const int c = arr(r + 1);
              r += 2;
              if (w + 1 >= r) {
                status = 1;
                return;
              }
              arr(w) = v <= ntm ? v + tbase : v - ntm + nt + fbase;
              arr(w + 1) = c + sgn(c) * cbase[k];
              w += 2;
            } else if (v < 0) {
              r = tail + (-v) - 1;
            } else {
              ++r;
              break;
            }
          }
        }
        const int limit = tail ? r : unread_limit;
        if (w + 1 >= limit) {
          status = 1;
          return;
        }
        arr(w) = -(w + 1);
        arr(w + 1) = 0;
        w += 2;
      }
    }
    if (tail) std::fill(arr.data() + (std::max(w, tail) - 1), arr.data() + total, 0);
    thfill = w - 1;
  }

  // ---- fluid side (SFLPCS) ----
  if (nfm > 0) {
    plat::Vec1<int> arr = gar_pcsfluid.view();
    const int total = static_cast<int>(std::min<std::int64_t>(lenpcsfluid, arr.size()));
    const int tail = to_tail(arr, total, flpresent, fllen, flfill);
    if (tail < 0) return;
    if (fbase < 0 || fbase + nfm > gar_pcsptrsfluid.size()) {
      status = 1;
      return;
    }
    int r = tail;
    int w = flfill + 1;
    LoopGuard guard("SFLPCS");
    auto limit = [&] { return tail ? r : total + 1; };
    // Copies one local sub-list: kind 0 links, 1..3 conductors.
    auto copy_sub = [&](int k) -> bool {
      for (;;) {
        guard.pass();
        if (!in_list(r, total)) return false;
        const int v = arr(r);
        if (v > 0) {
          if (r + 1 > total) return false;
          const int c = arr(r + 1);
          r += 2;
          if (w + 1 >= limit()) return false;
          if (k == 0) {
            arr(w) = v + fbase;
            arr(w + 1) = c + sgn(c) * lkbase;
          } else {
            arr(w) = v + tbase;
            arr(w + 1) = c + sgn(c) * cbase[k - 1];
          }
          w += 2;
        } else if (v < 0) {
          r = tail + (-v) - 1;
        } else {
          ++r;
          return true;
        }
      }
    };
    for (int j = 1; j <= nfm; ++j) {
      gar_pcsptrsfluid(fbase + j) = w;
      if (tail && !copy_sub(0)) {
        status = 1;
        return;
      }
      if (!SADFLN(fbase + j, core, arr, w, limit())) {
        status = 1;
        return;
      }
      if (w + 1 >= limit()) {
        status = 1;
        return;
      }
      arr(w) = -(w + 1);
      arr(w + 1) = 0;
      w += 2;
      for (int k = 1; k <= 3; ++k) {
        if (tail && !copy_sub(k)) {
          status = 1;
          return;
        }
        if (w >= limit()) {
          status = 1;
          return;
        }
        arr(w) = 0;
        ++w;
      }
    }
    if (tail) std::fill(arr.data() + (std::max(w, tail) - 1), arr.data() + total, 0);
    flfill = w - 1;
  }
}

// ---------------------------------------------------------------------------
// Compaction and the fluid iterator.
// ---------------------------------------------------------------------------

void LPCSCN(int lenpcsold, int nt, plat::Vec1<const plat::Text<1>> statuses, plat::Vec1<const int> pcsold,
            plat::Vec1<const int> ptrsold, plat::Vec1<int> pcs, plat::Mat2<int> ptrs) {
  if (nt <= 0) return;
  const std::int64_t len = std::min<std::int64_t>(lenpcsold, pcsold.size());
  std::fill(ptrs.data(), ptrs.data() + 6 * static_cast<std::int64_t>(nt), 0);
  const std::int64_t cap = pcs.size();
  // Zero-based cursors over the one-based lists (an empty list may have no storage at all).
  const int* in = pcsold.data();
  int* out = pcs.data();
  std::int64_t o = 1;
  auto storage_error = [] { SETERX("PCS STORAGE ERROR@Building the compact connection lists", 4, 1, "LPCSCN"); };
  LoopGuard guard("LPCSCN");
  // The end of the run of whole entries from p: the first word from p that
  // is no entry's first word, or the last word when an entry is cut.
  auto run_end = [&](std::int64_t p) {
    while (p + 1 <= len && in[p - 1] > 0) p += 2;
    return p;
  };
  auto copy_words = [&](std::int64_t from, std::int64_t words) {
    if (words <= 16) {
      for (std::int64_t i = 0; i < words; ++i) out[o - 1 + i] = in[from - 1 + i];
    } else {
      std::memcpy(out + (o - 1), in + (from - 1), static_cast<std::size_t>(words) * sizeof(int));
    }
    o += words;
  };
  for (int n = 1; n <= nt; ++n) {
    if (statuses(n) == "C") continue;
    std::int64_t p = ptrsold(n);
    for (int k = 1; k <= 3; ++k) {
      const std::int64_t start = o;
      int count = 0;
      // The form the builders leave: a run of whole entries closed by
      // (jump, 0) whose jump leads to the 0 right after it. It is copied
      // with one scan; the loop below would read the same words and take
      // as many passes (one for the run, when there is one, one for the
      // jump, one for the 0). Any other form, and every fault, is left to
      // the loop.
      if (p >= 1 && p <= len) {
        const std::int64_t q = run_end(p);
        const std::int64_t whole = (q - p) / 2;
        const std::int64_t fit = o <= cap ? (cap - o + 1) / 2 : 0;
        if (q + 1 <= len && in[q - 1] == -(q + 1) && in[q] == 0 && whole <= fit) {
          if (whole > 0) guard.pass();
          guard.pass();
          guard.pass();
          copy_words(p, 2 * whole);
          ptrs(2 * k - 1, n) = static_cast<int>(start);
          ptrs(2 * k, n) = static_cast<int>(whole);
          p = q + 2;
          continue;
        }
      }
      // A walk that takes more jumps than the list has words has come back
      // to a word it left (a list damaged into a loop): it would never end.
      std::int64_t jumps = 0;
      for (;;) {
        guard.pass();
        if (p < 1 || p > len) {
          storage_error();
          return;
        }
        const int v = in[p - 1];
        if (v > 0) {
          // The run of whole entries from p, copied at once as far as the
          // compact list has room; an entry cut by the end of the list or
          // without room ends the build there.
          const std::int64_t q = run_end(p);
          const std::int64_t fit = o <= cap ? (cap - o + 1) / 2 : 0;
          const std::int64_t whole = (q - p) / 2, copied = std::min(whole, fit);
          copy_words(p, 2 * copied);
          p += 2 * copied;
          count += static_cast<int>(copied);
          if (copied < whole || (p <= len && in[p - 1] > 0)) {
            storage_error();
            return;
          }
        } else if (v < 0) {
          if (++jumps > len) {
            storage_error();
            return;
          }
          p = -static_cast<std::int64_t>(v);
        } else {
          ++p;
          break;
        }
      }
      ptrs(2 * k - 1, n) = static_cast<int>(start);
      ptrs(2 * k, n) = count;
    }
  }
}

void SFUNPK(int incl, int /*size1*/, int /*size2*/, int /*size3*/, int node,
            plat::Vec1<const plat::Text<1>> statuses, plat::Vec1<const int> pcsfluid,
            plat::Vec1<const int> ptrsfluid, int& kind, int& pos, int& cond, int& neighbour) {
  sfunpk_next(incl, node, statuses, pcsfluid, ptrsfluid, kind, pos, cond, neighbour);
}

void SCOPYD(plat::Vec1<const double> a, int n, int& status, plat::Vec1<double> b) {
  if (n < 1) {
    status = 1;
    return;
  }
  status = 0;
  const std::int64_t k = std::min<std::int64_t>({n, a.size(), b.size()});
  for (std::int64_t i = 1; i <= k; ++i) b(i) = a(i);
}

namespace {
void reset_chained_note() { chained_note = {}; }
}  // namespace
TNA_PROCESS_STATE("modeldata/connection_lists", reset_chained_note)

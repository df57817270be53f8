// Inter-model links: reading and widening of the link records, resolution of
// their ends, chaining by end node, insertion into the finished thermal and
// fluid connection lists; tied nodes; the fluid-node model map; rebasing of
// array descriptors.
//
// Insertion rewrites each connection-list array inside itself. The thermal
// list, when its link runs can be built, is rewritten in place from its last
// node back (lists only grow). Otherwise, and for the fluid list, the used
// part is first moved to the tail, then read from the tail while the new
// lists are written from the front. The chains give each node its link
// records directly.
#include "modeldata/intermodel_links.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/search_sort.h"
#include "modeldata/global_arrays.h"
#include "modeldata/load_work.h"
#include "modeldata/mdb_readers.h"
#include "modeldata/node_index.h"

namespace {

constexpr int kRec = 5;

std::string iw(long long v, int width) {
  std::string s = std::to_string(v);
  if (static_cast<int>(s.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

std::string text24(std::string_view s) {
  std::string t(s.substr(0, std::min<std::size_t>(24, s.size())));
  t.resize(24, ' ');
  return t;
}

int find_node(plat::Vec1<const int> nodes, int n, int key) {
  if (n < 1) return 0;
  int st = 0, found = 0, pos = 0;
  SOFNDI(nodes, n, key, st, found, pos);
  return (st == 0 && found) ? pos : 0;
}

// Records of link kind t (1 GL, 2 GR, 3 GF) in the work area; false when the
// area words are out of range.
bool kind_records(plat::Vec1<int> work, int worklen, int t, plat::Vec1<int>& recs, int& nrec) {
  nrec = 0;
  recs = {};
  const std::int64_t start = work(2 * t - 1), len = work(2 * t);
  if (len == 0) return true;
  if (start < 1 || len < 0 || len % kRec != 0 || start + len - 1 > worklen) return false;
  recs = work.from(start, len);
  nrec = static_cast<int>(len / kRec);
  return true;
}

// Head column c (1..6) of the work area.
plat::Vec1<int> head_column(plat::Vec1<int> work, int worklen, int nnodes, int c) {
  const std::int64_t base = static_cast<std::int64_t>(worklen) - 6LL * nnodes;
  return work.from(base + static_cast<std::int64_t>(c - 1) * nnodes + 1, nnodes);
}

bool heads_fit(int worklen, int nnodes) { return nnodes >= 0 && 6LL * nnodes <= worklen; }

// The start both insertions share. Bounds the work area (worklen) and the
// list array, moves the array's used part to its tail, where the pass reads
// it, and finds the link records of each kind. False when the sizes, the
// used count or the records do not fit.
struct Insertion {
  plat::Vec1<int> list;
  int len = 0, tail = 0;
  plat::Vec1<int> recs[3];
  int nrec[3] = {0, 0, 0};
};

bool begin_insertion(int& worklen, plat::Vec1<int> work, int lenarray, plat::Vec1<int> array, int used, int nnodes,
                     bool ptrs_fit, Insertion& ins) {
  worklen = static_cast<int>(std::min<std::int64_t>(worklen, work.size()));
  const int len = static_cast<int>(std::min<std::int64_t>(lenarray, array.size()));
  if (used < 0 || used > len || !heads_fit(worklen, nnodes) || !ptrs_fit) return false;
  ins.list = array.from(1, len);
  ins.len = len;
  ins.tail = len - used + 1;
  for (int t = 1; t <= 3; ++t) {
    if (!kind_records(work, worklen, t, ins.recs[t - 1], ins.nrec[t - 1])) return false;
    // A link is inserted at each end that is a node, naming the other end
    // as the neighbour: an end that is no node (a model word outside the
    // models left it unresolved) would become a neighbour that the list
    // reads as a jump or a node that does not exist.
    const plat::Vec1<const int> recs = ins.recs[t - 1];
    for (std::int64_t o = 0, end = std::int64_t{kRec} * ins.nrec[t - 1]; o < end; o += kRec) {
      const bool a = recs(o + 2) >= 1 && recs(o + 2) <= nnodes, b = recs(o + 4) >= 1 && recs(o + 4) <= nnodes;
      if (a != b) return false;
    }
  }
  return true;
}

// Moves the used words 1..used of the list to its tail (from ins.tail), where
// the forward rewrite reads them.
bool move_to_tail(const Insertion& ins, int used) {
  if (used > 0 && ins.tail > 1) {
    int st = 0;
    DBCOPI(ins.len, used, 1, ins.tail, ins.list, st);
    if (st != 0) return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reading and widening.
// ---------------------------------------------------------------------------

void SGTLNK(int worklen, int n, plat::Vec1<int> work, int& status, int orient, int firstcond, int m, int key,
            int unit) {
  status = 0;
  worklen = static_cast<int>(std::min<std::int64_t>(worklen, work.size()));
  if (n < 0 || 5LL * n > worklen) {
    status = 1;
    return;
  }
  int count = 0, st = 0;
  SCOMII(n, worklen, key, unit, work, count, st);
  if (st != 0 || count != 4 * n) {
    status = 1;
    return;
  }
  SLKMOD(orient, n + 1, firstcond, worklen, n, m, work, status);
}

void SLKMOD(int orient, int start, int firstcond, int worklen, int n, int m, plat::Vec1<int> work, int& status) {
  status = 0;
  if (n <= 0) return;
  worklen = static_cast<int>(std::min<std::int64_t>(worklen, work.size()));
  const std::int64_t last = static_cast<std::int64_t>(start) + 4LL * n - 1;
  if (start < 1 || last > worklen || last < 5LL * n) {
    status = 1;
    return;
  }
  // A model number that m would carry beyond the integer range is no model
  // at all: the record is corrupt, and it is refused before any is widened.
  for (int i = 1; i <= n; ++i) {
    const std::int64_t r = start + 4LL * (i - 1);
    for (const std::int64_t model : {std::int64_t{work(r)} + m, std::int64_t{work(r + 2)} + m}) {
      if (model < INT_MIN || model > INT_MAX) {
        status = 1;
        return;
      }
    }
  }
  for (int i = 1; i <= n; ++i) {
    const std::int64_t r = start + 4LL * (i - 1);
    int a = work(r) + m, b = work(r + 1), c = work(r + 2) + m, d = work(r + 3);
    int k = firstcond + i - 1;
    if (a > c || (a == c && d < b)) {
      std::swap(a, c);
      std::swap(b, d);
      if (orient != 0) k = -k;
    }
    const std::int64_t o = kRec * (i - 1LL) + 1;
    work(o) = a;
    work(o + 1) = b;
    work(o + 2) = c;
    work(o + 3) = d;
    work(o + 4) = k;
  }
}

// ---------------------------------------------------------------------------
// Resolution of the ends.
// ---------------------------------------------------------------------------

void SLKNDT(int reclen, int nrec, int i, int ntm, int nfm, plat::Vec1<const int> thnums,
            plat::Vec1<const int> flnums, int thbase, int flbase, int nt, plat::Vec1<int> records, int& status) {
  status = 0;
  const NodeIndex* thindex = load_node_index(thnums, ntm);
  const NodeIndex* flindex = load_node_index(flnums, nfm);
  auto find = [](const NodeIndex* index, plat::Vec1<const int> nums, int n, int key) {
    return index ? index->find(key) : find_node(nums, n, key);
  };
  for (int r = 1; r <= nrec; ++r) {
    for (int e = 1; e <= 3; e += 2) {
      const std::int64_t w = static_cast<std::int64_t>(reclen) * (r - 1) + e;
      if (records(w) != i) continue;
      const int node = records(w + 1);
      int p = find(thindex, thnums, ntm, node);
      if (p) {
        records(w + 1) = p + thbase;
      } else if ((p = find(flindex, flnums, nfm, node)) != 0) {
        records(w + 1) = p + flbase + nt;
      } else {
        status = 1;
        return;
      }
      records(w) = 0;
    }
  }
}

void SLKUPD(int i, int worklen, plat::Mat2<int> directory, int /*nm*/, int /*nf*/, int nt,
            plat::Vec1<const int> thermalnums, plat::Vec1<const int> fluidnums, plat::Vec1<int> work, int& status) {
  status = 0;
  const int tb = directory(md_thermalnodebase, i), ntm = directory(md_thermalnodebase, i + 1) - tb;
  const int fb = directory(md_fluidnodebase, i), nfm = directory(md_fluidnodebase, i + 1) - fb;
  if (ntm <= 0 && nfm <= 0) return;
  if (tb < 0 || tb + std::max(ntm, 0) > thermalnums.size() || fb < 0 || fb + std::max(nfm, 0) > fluidnums.size()) {
    status = 1;
    return;
  }
  const plat::Vec1<const int> th(thermalnums.data() + tb, std::max(ntm, 0));
  const plat::Vec1<const int> fl(fluidnums.data() + fb, std::max(nfm, 0));
  for (int t = 1; t <= 3; ++t) {
    plat::Vec1<int> recs;
    int nrec = 0;
    if (!kind_records(work, worklen, t, recs, nrec)) {
      status = 1;
      return;
    }
    if (nrec == 0) continue;
    SLKNDT(kRec, nrec, i, std::max(ntm, 0), std::max(nfm, 0), th, fl, tb, fb, nt, recs, status);
    if (status != 0) return;
  }
}

void SLKALL(int worklen, plat::Mat2<int> directory, int nm, int /*nf*/, int nt, plat::Vec1<const int> thermalnums,
            plat::Vec1<const int> fluidnums, CTextVec1 modelnames, plat::Vec1<int> work, int& status) {
  status = 0;
  worklen = static_cast<int>(std::min<std::int64_t>(worklen, work.size()));
  auto report = [&](int i) {
    const std::string name = (i >= 1 && i <= modelnames.size()) ? text24(modelnames.view(i)) : text24("");
    const std::string msg = "Error in reading model " + name + "(" + iw(i, 3) + ")@" + "UPDATE INTER-MODEL LINKS" +
                            "  Zerror = " + iw(status, 2);
    SETERX(msg, 4, 1, "SLKALL");
  };
  // The result of SLKUPD for models 1..nm in turn, in one pass over the
  // records instead of one pass per model: the ends are resolved in the
  // order (model, kind, record, end) up to the first failure, which is
  // found first, and every end after it is left as SLKUPD would leave it.
  struct Model {
    bool skip = true;  // neither thermal nor fluid nodes
    bool bad = false;  // its node slices leave the arrays
    int tb = 0, fb = 0, ntm = 0, nfm = 0;
    // Thermal node numbers that run first, first + 1, ... (as submodels
    // often number their nodes): a number's position is found by subtraction.
    bool th_run = false;
    int th_first = 0;
    const NodeIndex* th = nullptr;
    const NodeIndex* fl = nullptr;
  };
  std::vector<Model> models(static_cast<std::size_t>(std::max(nm, 0)) + 1);
  for (int i = 1; i <= nm; ++i) {
    Model& md = models[static_cast<std::size_t>(i)];
    md.tb = directory(md_thermalnodebase, i);
    md.ntm = directory(md_thermalnodebase, i + 1) - md.tb;
    md.fb = directory(md_fluidnodebase, i);
    md.nfm = directory(md_fluidnodebase, i + 1) - md.fb;
    md.skip = md.ntm <= 0 && md.nfm <= 0;
    if (md.skip) continue;
    md.bad = md.tb < 0 || md.tb + std::max(md.ntm, 0) > thermalnums.size() || md.fb < 0 ||
             md.fb + std::max(md.nfm, 0) > fluidnums.size();
    md.ntm = std::max(md.ntm, 0);
    md.nfm = std::max(md.nfm, 0);
    if (!md.bad && md.ntm > 0) {
      const int* num = thermalnums.data() + md.tb;
      int j = 1;
      while (j < md.ntm && std::int64_t{num[j]} == std::int64_t{num[j - 1]} + 1) ++j;
      md.th_run = j == md.ntm;
      md.th_first = num[0];
    }
  }
  auto thslice = [&](const Model& md) { return plat::Vec1<const int>(thermalnums.data() + md.tb, md.ntm); };
  auto flslice = [&](const Model& md) { return plat::Vec1<const int>(fluidnums.data() + md.fb, md.nfm); };
  // Position (model, kind, record, end) in that order; kind 0 stands for the
  // bounds check that precedes a model's kinds, record 0 for the check of a
  // kind's area that precedes its records.
  using Point = std::array<std::int64_t, 4>;
  const Point none = {std::int64_t{nm} + 1, 0, 0, 0};
  Point fail = none;
  plat::Vec1<int> recs[4];
  int nrec[4] = {0, 0, 0, 0};
  int kinds = 3;  // kinds whose records can be read
  for (int t = 1; t <= 3; ++t) {
    if (!kind_records(work, worklen, t, recs[t], nrec[t])) {
      kinds = t - 1;
      break;
    }
  }
  for (int i = 1; i <= nm && fail == none; ++i) {
    const Model& md = models[static_cast<std::size_t>(i)];
    if (md.skip) continue;
    if (md.bad) fail = {i, 0, 0, 0};
    else if (kinds < 3) fail = {i, kinds + 1, 0, 0};
  }
  // The resolved value of end word w of a record for model i, 0 when i has no such node.
  auto resolve = [&](plat::Vec1<int> r, std::int64_t w, int i) {
    Model& md = models[static_cast<std::size_t>(i)];
    const int node = r(w + 1);
    if (md.th_run) {
      const std::int64_t p = std::int64_t{node} - md.th_first + 1;
      if (p >= 1 && p <= md.ntm) return static_cast<int>(p) + md.tb;
    } else if (md.ntm > 0) {
      if (!md.th) md.th = load_node_index(thslice(md), md.ntm);
      const int p = md.th ? md.th->find(node) : find_node(thslice(md), md.ntm, node);
      if (p) return p + md.tb;
    }
    if (!md.fl && md.nfm > 0) md.fl = load_node_index(flslice(md), md.nfm);
    const int p = md.fl ? md.fl->find(node) : find_node(flslice(md), md.nfm, node);
    return p ? p + md.fb + nt : 0;
  };
  auto reached = [&](int i) { return i >= 1 && i <= nm && !models[static_cast<std::size_t>(i)].skip; };
  // The resolved values, two per record, kept for the second pass.
  std::int64_t words = 0;
  for (int t = 1; t <= kinds; ++t) words += 2LL * nrec[t];
  LoadWords values(LoadArea::Compact, words, LoadFill::Any);
  int* value = values.data();
  for (int t = 1; t <= kinds; ++t) {
    for (int rr = 1; rr <= nrec[t]; ++rr, value += 2) {
      for (int e = 1; e <= 3; e += 2) {
        const std::int64_t w = kRec * (rr - 1LL) + e;
        const int i = recs[t](w);
        if (!reached(i) || Point{i, t, rr, e} >= fail) continue;
        if (models[static_cast<std::size_t>(i)].bad) continue;
        value[e / 2] = resolve(recs[t], w, i);
        if (value[e / 2] == 0) fail = {i, t, rr, e};
      }
    }
  }
  value = values.data();
  for (int t = 1; t <= kinds; ++t) {
    for (int rr = 1; rr <= nrec[t]; ++rr, value += 2) {
      for (int e = 1; e <= 3; e += 2) {
        const std::int64_t w = kRec * (rr - 1LL) + e;
        const int i = recs[t](w);
        if (reached(i) && Point{i, t, rr, e} < fail) {
          recs[t](w + 1) = value[e / 2];
          recs[t](w) = 0;
        }
      }
    }
  }
  if (fail != none) {
    status = 1;
    report(static_cast<int>(fail[0]));
    return;
  }
  // An end naming no model of the tree is never resolved: refuse it here
  // rather than chain a raw node number.
  for (int t = 1; t <= 3; ++t) {
    plat::Vec1<int> recs;
    int nrec = 0;
    if (!kind_records(work, worklen, t, recs, nrec)) status = 1;
    for (int r = 1; r <= nrec && status == 0; ++r) {
      const std::int64_t o = kRec * (r - 1LL);
      if (recs(o + 1) != 0 || recs(o + 3) != 0) status = 1;
    }
    if (status != 0) {
      report(nm);
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// Chains.
// ---------------------------------------------------------------------------

void SLKNDS(int nnodes, int reclen, int nrec, plat::Vec1<int> records, plat::Vec1<int> head1,
            plat::Vec1<int> head2) {
  for (int e = 1; e <= 3; e += 2) {
    plat::Vec1<int> head = e == 1 ? head1 : head2;
    for (int n = nrec; n >= 1; --n) {
      const std::int64_t o = static_cast<std::int64_t>(reclen) * (n - 1);
      const int v = records(o + e + 1);
      if (v < 1 || v > nnodes) continue;
      if (head(v) != 0) records(o + e) = head(v);
      head(v) = n;
    }
  }
}

void SLKPTS(int worklen, int nf, int nt, plat::Vec1<int> work, int& status) {
  status = 0;
  worklen = static_cast<int>(std::min<std::int64_t>(worklen, work.size()));
  const int nn = nt + nf;
  if (!heads_fit(worklen, nn)) {
    status = 1;
    return;
  }
  for (int c = 1; c <= 6; ++c) {
    plat::Vec1<int> h = head_column(work, worklen, nn, c);
    std::fill(h.begin(), h.end(), 0);
  }
  for (int t = 1; t <= 3; ++t) {
    plat::Vec1<int> recs;
    int nrec = 0;
    if (!kind_records(work, worklen, t, recs, nrec)) {
      status = 1;
      return;
    }
    if (nrec == 0) continue;
    SLKNDS(nn, kRec, nrec, recs, head_column(work, worklen, nn, 2 * t - 1), head_column(work, worklen, nn, 2 * t));
  }
}

// ---------------------------------------------------------------------------
// Insertion into the thermal lists.
// ---------------------------------------------------------------------------

void SLKADD(plat::Vec1<const int> records, int kind, int end, int rec, int reclen, plat::Vec1<int> list, int& w,
            int& shift) {
  const std::int64_t o = static_cast<std::int64_t>(reclen) * (rec - 1);
  int cond = records(o + 5);
  if (end == 1 && kind == 5) cond = -cond;
  list(w) = end == 1 ? records(o + 4) : records(o + 2);
  list(w + 1) = cond;
  w += 2;
  shift += 2;
}

namespace {

// Appends the link entries of global node `node` for both ends; false when
// the write position would reach the unread words at r.
bool add_links(plat::Vec1<const int> records, plat::Vec1<const int> head1, plat::Vec1<const int> head2, int kind,
               int node, int nnodes, int reclen, int nrec, plat::Vec1<int> list, int& w, int r, int& shift,
               std::string_view routine) {
  if (nrec <= 0 || node < 1 || node > nnodes) return true;
  LoopGuard guard(routine);
  for (int e = 1; e <= 2; ++e) {
    int rec = (e == 1 ? head1 : head2)(node);
    while (rec >= 1 && rec <= nrec) {
      guard.pass();
      if (w + 1 >= r) return false;
      SLKADD(records, kind, e, rec, reclen, list, w, shift);
      rec = records(static_cast<std::int64_t>(reclen) * (rec - 1) + (e == 1 ? 1 : 3));
    }
  }
  return true;
}

// The link entries of every kind as the insertion takes them: by node in
// ascending order and, within a node, end 1's before end 2's, each in
// record order, which is the order of the node's chains. Built with a
// counting sort over the records once it is checked that the chains (heads
// and next words) are exactly those SLKNDS builds from the records' end
// nodes, so that reading the runs gives what walking the chains gives;
// otherwise the insertion walks the chains. A kind keeps its entries as
// (neighbour, conductor) pairs and, per node, where the node's entries end,
// so a node's entries are one block found without a search.
class LinkRuns {
 public:
  // Runs of the nodes lo..hi (nnodes = NT + NF); false when some chain is
  // not the one SLKNDS builds.
  bool build(const Insertion& ins, plat::Vec1<int> work, int worklen, int nnodes, int lo, int hi) {
    lo_ = lo;
    hi_ = hi;
    for (int t = 1; t <= 3; ++t)
      if (!build_kind(ins.recs[t - 1], ins.nrec[t - 1], head_column(work, worklen, nnodes, 2 * t - 1),
                      head_column(work, worklen, nnodes, 2 * t), t))
        return false;
    return true;
  }

  // Entries of every kind (the words the insertion adds are twice as many).
  std::int64_t total() const { return kinds_[0].n + kinds_[1].n + kinds_[2].n; }

  // The entries of kind t at `node` (lo..hi): their number and the first
  // of their (neighbour, conductor) pairs.
  std::int64_t count(int t, int node) const {
    const Kind& k = kinds_[t - 1];
    if (k.n == 0) return 0;
    return k.ends[node - lo_] - first_of(k, node);
  }
  const int* pairs(int t, int node) const {
    const Kind& k = kinds_[t - 1];
    return k.pairs + 2 * first_of(k, node);
  }

  // add_links from the runs.
  bool add(int t, int node, plat::Vec1<int> list, int& w, int r, int& shift, std::string_view routine) {
    if (node < lo_ || node > hi_) return true;
    const std::int64_t c = count(t, node);
    if (c == 0) return true;
    LoopGuard guard(routine);
    const int* x = pairs(t, node);
    for (std::int64_t k = 0; k < c; ++k, x += 2) {
      guard.pass();
      if (w + 1 >= r) return false;
      list(w) = x[0];
      list(w + 1) = x[1];
      w += 2;
      shift += 2;
    }
    return true;
  }

 private:
  struct Kind {
    std::optional<LoadWords> end_words, pair_words;  // taken in this order, given back in the reverse
    const int* ends = nullptr;   // ends[v - lo]: one past node v's last entry
    const int* pairs = nullptr;  // (neighbour, conductor) per entry
    std::int64_t n = 0;
  };

  std::int64_t first_of(const Kind& k, int node) const { return node > lo_ ? k.ends[node - 1 - lo_] : 0; }

  bool build_kind(plat::Vec1<const int> recs, int nrec, plat::Vec1<const int> head1, plat::Vec1<const int> head2,
                  int t) {
    Kind& kind = kinds_[t - 1];
    const int lo = lo_, hi = hi_;
    if (nrec <= 0 || hi < lo) return true;
    const std::int64_t span = std::int64_t{hi} - lo + 1;
    // Per end and node v = lo..hi, two words: while the records are checked,
    // the chain's first record so far and the node's record count; then
    // where the node's next entry of that end goes.
    LoadWords scratch(LoadArea::Pointers, 4 * span);
    int* node_words[2] = {scratch.data() - 2 * std::int64_t{lo}, scratch.data() + 2 * (span - lo)};
    for (int e = 1; e <= 2; ++e) {
      int* s = node_words[e - 1];
      const std::int64_t node_word = 2 * e, next_word = e == 1 ? 1 : 3;
      for (int rec = nrec; rec >= 1; --rec) {
        const std::int64_t o = kRec * (rec - 1LL);
        const int v = recs(o + node_word);
        if (v < lo || v > hi) continue;
        const int next = recs(o + next_word);
        int* x = s + 2 * std::int64_t{v};
        if (x[0] != 0 ? next != x[0] : (next >= 1 && next <= nrec)) return false;
        x[0] = rec;
        ++x[1];
      }
    }
    // The heads, and each node's block: end 1's entries, then end 2's.
    kind.end_words.emplace(LoadArea::Compact, span, LoadFill::Any);
    int* ends = kind.end_words->data() - lo;
    int* s1 = node_words[0];
    int* s2 = node_words[1];
    int at = 0;
    for (int v = lo; v <= hi; ++v) {
      int* x1 = s1 + 2 * std::int64_t{v};
      int* x2 = s2 + 2 * std::int64_t{v};
      const int h1 = head1(v), h2 = head2(v);
      if (x1[0] != 0 ? h1 != x1[0] : (h1 >= 1 && h1 <= nrec)) return false;
      if (x2[0] != 0 ? h2 != x2[0] : (h2 >= 1 && h2 <= nrec)) return false;
      x1[0] = at;
      x2[0] = at + x1[1];
      at += x1[1] + x2[1];
      ends[v] = at;
    }
    kind.pair_words.emplace(LoadArea::Compact, 2LL * at, LoadFill::Any);
    int* out = kind.pair_words->data();
    for (int e = 1; e <= 2; ++e) {
      int* s = node_words[e - 1];
      const std::int64_t node_word = 2 * e, other_word = e == 1 ? 4 : 2;
      const bool negate = e == 1 && t == 3;
      for (int rec = 1; rec <= nrec; ++rec) {
        const std::int64_t o = kRec * (rec - 1LL);
        const int v = recs(o + node_word);
        if (v < lo || v > hi) continue;
        const int cond = recs(o + 5);
        int* x = out + 2 * static_cast<std::int64_t>(s[2 * std::int64_t{v}]++);
        x[0] = recs(o + other_word);
        x[1] = negate ? -cond : cond;
      }
    }
    kind.ends = kind.end_words->data();
    kind.pairs = out;
    kind.n = at;
    return true;
  }

  Kind kinds_[3];
  int lo_ = 1, hi_ = 0;
};

// Moves the (node, conductor) pairs of a sub-list from word r down to word w
// up to its terminator pair (first word not positive), which is read and
// passed over but not written; v and c are the terminator's words. false
// when a pair would lie outside the list or the writing would catch up with
// the reading.
bool move_pairs(plat::Vec1<int> list, int& w, int& r, LoopGuard& guard, int& v, int& c) {
  const std::int64_t len = list.size();
  int* a = list.data();  // list(i) at a[i - 1]
  for (;;) {
    guard.pass();
    if (r < 1 || r + 1 > len) return false;
    // A run of whole entries moves as one block: the writing keeps the same
    // distance behind the reading for all of them, so one check serves.
    std::int64_t q = r;
    while (q + 1 <= len && a[q - 1] > 0) q += 2;
    if (q > r) {
      if (w < 1 || w + 1 >= r + 2) return false;
      std::memmove(a + (w - 1), a + (r - 1), static_cast<std::size_t>(q - r) * sizeof(int));
      w += static_cast<int>(q - r);
      r = static_cast<int>(q);
      continue;
    }
    v = list(r);
    c = list(r + 1);
    r += 2;
    if (w + 1 >= r) return false;
    if (v <= 0) return true;
    list(w) = v;
    list(w + 1) = c;
    w += 2;
  }
}

}  // namespace

namespace {

// SLKTRF, with the link entries from the runs when given.
void slktrf(plat::Vec1<const int> records, plat::Vec1<const int> head1, plat::Vec1<const int> head2, int kind,
            int node, int nnodes, int reclen, int nrec, plat::Vec1<int> list, int& w, int& r, int& nextstart,
            int& shift, int& status, LinkRuns* runs) {
  status = 0;
  const bool added =
      runs ? runs->add((kind + 1) / 2, node, list, w, r, shift, "SLKTRF")
           : add_links(records, head1, head2, kind, node, nnodes, reclen, nrec, list, w, r, shift, "SLKTRF");
  if (!added) {
    status = 11;
    return;
  }
  LoopGuard guard("SLKTRF");
  int v = 0, c = 0;
  if (!move_pairs(list, w, r, guard, v, c)) {
    status = 11;
    return;
  }
  // The terminator (jump, 0): the jump moves with the inserted words.
  if (v == 0 || c != 0 || v - shift != -(w + 1)) {
    status = 11;
    return;
  }
  list(w) = v - shift;
  list(w + 1) = 0;
  w += 2;
  if (kind == 5) nextstart = w;
}

}  // namespace

namespace {

// Positions of the first `need` terminators of the list a[0..used) into
// term[0..need): the nodes' lists follow one another from word 1, each
// sub-list a run of entries (first word positive) closed by its terminator
// (-(p + 1), 0) at its position p. false when a pair would pass `used`
// before the last of them is found or one of them is not such a
// terminator. The list is taken in blocks of pairs: every pair's position
// is written at the next free place of term, which only a terminator takes
// up, so finding them does not branch on where the sub-lists end; the
// block's terminators are checked after it. A block has no more pairs than
// terminators still wanted, so term is never written past need.
bool find_terminators(const int* a, std::int64_t used, std::int64_t need, int* term) {
  std::int64_t k = 0, p = 1;
  while (k < need) {
    if (p + 1 > used) return false;
    const std::int64_t pairs = std::min({(used - p + 1) / 2, need - k, std::int64_t{256}});
    const std::int64_t k0 = k, stop = p + 2 * pairs;
    for (; p + 6 < stop; p += 8) {
      const int v0 = a[p - 1], v1 = a[p + 1], v2 = a[p + 3], v3 = a[p + 5];
      term[k] = static_cast<int>(p);
      k += v0 <= 0;
      term[k] = static_cast<int>(p + 2);
      k += v1 <= 0;
      term[k] = static_cast<int>(p + 4);
      k += v2 <= 0;
      term[k] = static_cast<int>(p + 6);
      k += v3 <= 0;
    }
    for (; p < stop; p += 2) {
      term[k] = static_cast<int>(p);
      k += a[p - 1] <= 0;
    }
    bool bad = false;
    for (std::int64_t i = k0; i < k; ++i) {
      const std::int64_t q = term[i];
      bad |= ((a[q - 1] + q + 1) | a[q]) != 0;
    }
    if (bad) return false;
  }
  return true;
}

// Moves the words from..to - 1 (list(i) at a[i - 1]) up by `shift` words
// and gives the terminators among them, term[kfirst..klast], the jumps of
// their new positions.
void move_up(int* a, std::int64_t from, std::int64_t to, std::int64_t shift, const int* term, std::int64_t kfirst,
             std::int64_t klast) {
  if (shift == 0 || to <= from) return;
  std::memmove(a + (from + shift - 1), a + (from - 1), static_cast<std::size_t>(to - from) * sizeof(int));
  for (std::int64_t k = kfirst; k <= klast; ++k) {
    const std::int64_t q = term[k] + shift;
    a[q - 1] = static_cast<int>(-(q + 1));
  }
}

// The insertion of SLKCTR when the link entries come from the runs, done in
// place: as the lists only grow, the words are moved up by the words
// inserted before them, from the last node back, and each sub-list's link
// entries written in front of its own; the words between two sub-lists
// that receive links move as one block, no word is moved twice and nothing
// is moved to the tail first. The nodes' lists must follow one another from
// word 1, each sub-list closed by its terminator (-(p + 1), 0) at its
// position p; the words after node nt's list are dropped. The result is
// word for word that of the forward rewrite (SLKTRF per node and kind), the
// free words after the used part cleared as there. false when a list is
// malformed or the array is too short for the inserted entries.
bool rewrite_from_the_back(plat::Vec1<int> list, int len, int& used, int nt, plat::Vec1<int> ptrsold,
                           LinkRuns& runs) {
  int* a = list.data();  // list(i) at a[i - 1]
  // Sub-list k = 3 (n - 1) + t - 1 (node n, kind t) ends at its terminator
  // term[k] and starts after the previous one (node 1's first at word 1).
  const std::int64_t need = 3LL * nt;
  LoadWords term_words(LoadArea::Pointers, need, LoadFill::Any);
  int* term = term_words.data();
  if (!find_terminators(a, used, need, term)) return false;
  auto first = [&](std::int64_t k) -> std::int64_t { return k > 0 ? term[k - 1] + 2 : 1; };
  const std::int64_t end = term[need - 1] + 2;  // first word after node nt's list
  const std::int64_t inserted = 2 * runs.total();
  if (end - 1 + inserted > len) return false;
  // shift: the words inserted before the words still to move, which are
  // those up to `to` (exclusive), the terminators among them up to klast.
  std::int64_t shift = inserted, to = end, klast = need - 1;
  for (int n = nt; n >= 1; --n) {
    for (int t = 3; t >= 1; --t) {
      const std::int64_t c = runs.count(t, n);
      if (c == 0) continue;
      const std::int64_t k = 3LL * (n - 1) + t - 1, from = first(k);
      move_up(a, from, to, shift, term, k, klast);
      shift -= 2 * c;
      std::memcpy(a + (from + shift - 1), runs.pairs(t, n), static_cast<std::size_t>(2 * c) * sizeof(int));
      to = from;
      klast = k - 1;
    }
    ptrsold(n) = static_cast<int>(first(3LL * (n - 1)) + shift);
  }
  if (shift != 0) return false;
  const std::int64_t now_used = end - 1 + inserted;
  std::fill(a + now_used, a + len, 0);
  used = static_cast<int>(now_used);
  return true;
}

}  // namespace

void SLKTRF(plat::Vec1<const int> records, plat::Vec1<const int> head1, plat::Vec1<const int> head2, int kind,
            int node, int nnodes, int reclen, int nrec, plat::Vec1<int> list, int& w, int& r, int& nextstart,
            int& shift, int& status) {
  slktrf(records, head1, head2, kind, node, nnodes, reclen, nrec, list, w, r, nextstart, shift, status, nullptr);
}

void SLKCTR(int worklen, int lenpcsold, int& used, int nf, int nt, plat::Vec1<int> work, plat::Vec1<int> pcsold,
            plat::Vec1<int> ptrsold, int& status) {
  status = 0;
  if (nt <= 0) return;
  const int nn = nt + nf;
  Insertion ins;
  if (!begin_insertion(worklen, work, lenpcsold, pcsold, used, nn, ptrsold.size() >= nt, ins)) {
    status = 11;
    return;
  }
  plat::Vec1<int> list = ins.list;
  const int len = ins.len;
  const auto& recs = ins.recs;
  const auto& nrec = ins.nrec;
  LinkRuns runs;
  LinkRuns* by_runs = runs.build(ins, work, worklen, nn, 1, nt) ? &runs : nullptr;
  if (by_runs) {
    if (!rewrite_from_the_back(list, len, used, nt, ptrsold, runs)) status = 11;
    return;
  }
  if (!move_to_tail(ins, used)) {
    status = 11;
    return;
  }
  // shift counts the words inserted so far: a word's new position is its
  // old position plus the shift, and so is a jump's target.
  int shift = 0;
  int r = ins.tail, w = 1, nextstart = 1;
  for (int n = 1; n <= nt; ++n) {
    ptrsold(n) = w;
    for (int t = 1; t <= 3; ++t) {
      const int kind = 2 * t - 1;
      slktrf(recs[t - 1], head_column(work, worklen, nn, 2 * t - 1), head_column(work, worklen, nn, 2 * t), kind, n,
             nn, kRec, nrec[t - 1], list, w, r, nextstart, shift, status, by_runs);
      if (status != 0) {
        status = 11;
        return;
      }
    }
  }
  std::fill(list.data() + (w - 1), list.data() + len, 0);
  used = w - 1;
}

// ---------------------------------------------------------------------------
// Insertion into the fluid lists.
// ---------------------------------------------------------------------------

void SFLUPD(plat::Vec1<int> list, int& w, int& r, int& status) {
  status = 0;
  LoopGuard guard("SFLUPD");
  int v = 0, c = 0;
  if (!move_pairs(list, w, r, guard, v, c)) {
    status = 11;
    return;
  }
  // Terminator of sub-list 1: a jump to the very next word, which holds 0.
  if (v == 0 || c != 0) {
    status = 11;
    return;
  }
  list(w) = -(w + 1);
  list(w + 1) = 0;
  w += 2;
}

namespace {

// SFLTRF, with the link entries from the runs when given.
void sfltrf(plat::Vec1<const int> records, plat::Vec1<const int> head1, plat::Vec1<const int> head2, int kind,
            int node, int nnodes, int reclen, int nrec, plat::Vec1<int> list, int& w, int& r, int& shift,
            int& status, LinkRuns* runs) {
  status = 0;
  const std::int64_t len = list.size();
  LoopGuard guard("SFLTRF");
  for (;;) {
    guard.pass();
    if (r < 1 || r > len) {
      status = 11;
      return;
    }
    const int v = list(r);
    if (v == 0) {
      ++r;
      break;
    }
    if (v < 0 || r + 1 > len) {
      status = 11;
      return;
    }
    const int c = list(r + 1);
    r += 2;
    if (w + 1 >= r) {
      status = 11;
      return;
    }
    list(w) = v;
    list(w + 1) = c;
    w += 2;
  }
  const bool added =
      runs ? runs->add((kind + 1) / 2, node, list, w, r, shift, "SFLTRF")
           : add_links(records, head1, head2, kind, node, nnodes, reclen, nrec, list, w, r, shift, "SFLTRF");
  if (!added || w >= r) {
    status = 11;
    return;
  }
  list(w) = 0;
  ++w;
}

}  // namespace

void SFLTRF(plat::Vec1<const int> records, plat::Vec1<const int> head1, plat::Vec1<const int> head2, int kind,
            int node, int nnodes, int reclen, int nrec, plat::Vec1<int> list, int& w, int& r, int& shift,
            int& status) {
  sfltrf(records, head1, head2, kind, node, nnodes, reclen, nrec, list, w, r, shift, status, nullptr);
}

void SFLCTR(int worklen, int lenpcsfluid, int& used, int nf, int nt, plat::Vec1<int> work, plat::Vec1<int> pcsfluid,
            plat::Vec1<int> ptrsfluid, int& status) {
  status = 0;
  if (nf <= 0) return;
  const int nn = nt + nf;
  Insertion ins;
  if (!begin_insertion(worklen, work, lenpcsfluid, pcsfluid, used, nn, ptrsfluid.size() >= nf, ins)) {
    status = 11;
    return;
  }
  plat::Vec1<int> list = ins.list;
  const int len = ins.len;
  const auto& recs = ins.recs;
  const auto& nrec = ins.nrec;
  if (!move_to_tail(ins, used)) {
    status = 11;
    return;
  }
  LinkRuns runs;
  LinkRuns* by_runs = runs.build(ins, work, worklen, nn, nt + 1, nt + nf) ? &runs : nullptr;
  int shift = 0, r = ins.tail, w = 1;
  for (int j = 1; j <= nf; ++j) {
    ptrsfluid(j) = w;
    SFLUPD(list, w, r, status);
    for (int t = 1; t <= 3 && status == 0; ++t) {
      sfltrf(recs[t - 1], head_column(work, worklen, nn, 2 * t - 1), head_column(work, worklen, nn, 2 * t),
             2 * t - 1, nt + j, nn, kRec, nrec[t - 1], list, w, r, shift, status, by_runs);
    }
    if (status != 0) {
      status = 11;
      return;
    }
  }
  std::fill(list.data() + (w - 1), list.data() + len, 0);
  used = w - 1;
}

// ---------------------------------------------------------------------------
// Tied nodes.
// ---------------------------------------------------------------------------

void PNDPOS(plat::Vec1<const int> array, int start, int count, int key, int& position, int& status) {
  position = 0;
  status = 0;
  if (count < 1 || start < 1 || start > array.size()) {
    status = 1;
    return;
  }
  const int n = static_cast<int>(std::min<std::int64_t>(count, array.size() - start + 1));
  int st = 0, found = 0, pos = 0;
  SRFNDI(array.from(start, n), n, key, st, found, pos);
  if (st != 0 || !found) {
    status = 1;
    return;
  }
  position = start + pos - 1;
}

void SREDSP(plat::Mat2<int> directory, plat::Vec1<const int> tiedlist, int l, plat::Vec1<int> out, int& status,
            plat::Vec1<const int> thermalnums) {
  status = 0;
  const int nm = static_cast<int>(directory.cols()) - 1;
  if (l < 2 || tiedlist.size() < 2LL * l || out.size() < l) {
    status = 1;
    return;
  }
  auto rec = [&](int i, int word) { return tiedlist(2LL * (i - 1) + word); };
  // Global thermal index of (model, node number); 0 when the model has no such node.
  auto global = [&](int model, int node) {
    if (model < 1 || model > nm) return 0;
    const int tb = directory(md_thermalnodebase, model);
    const int ntm = directory(md_thermalnodebase, model + 1) - tb;
    if (ntm >= 1 && tb >= 0 && tb < thermalnums.size()) {
      const int n = static_cast<int>(std::min<std::int64_t>(ntm, thermalnums.size() - tb));
      if (const NodeIndex* index = load_node_index(thermalnums.from(tb + 1, n), n)) {
        const int p = index->first(node);
        return p ? tb + p : 0;
      }
    }
    int pos = 0, st = 0;
    PNDPOS(thermalnums, tb + 1, ntm, node, pos, st);
    return st == 0 ? pos : 0;
  };
  const int groups = rec(2, 1);
  out(1) = l;
  out(2) = groups;
  // source_of(g): the source a target copies (0 for a node that is no
  // target). A node copied twice, or a ring of groups that copies a node from
  // itself, would make the splicing count a list twice or chain it into a
  // loop that no reader leaves.
  std::vector<int> source_of(static_cast<std::size_t>(thermalnums.size()) + 1, 0);
  int i = 3, seen = 0;
  LoopGuard guard("SREDSP");
  while (i <= l) {
    guard.pass();
    // Source record: both values negated, the node number below 0.
    if (rec(i, 2) >= 0) {
      status = 1;
      return;
    }
    const int s = global(-rec(i, 1) + 1, -rec(i, 2));
    if (s == 0) {
      status = 1;
      return;
    }
    out(i++) = s;
    if (i > l) {
      status = 1;
      return;
    }
    const int k = rec(i, 1);
    if (k < 0 || k > l - i) {
      status = 1;
      return;
    }
    out(i++) = k;
    for (int t = 1; t <= k; ++t, ++i) {
      guard.pass();
      const int g = rec(i, 2) < 0 ? 0 : global(rec(i, 1) + 1, rec(i, 2));
      if (g == 0 || source_of[static_cast<std::size_t>(g)] != 0) {
        status = 1;
        return;
      }
      source_of[static_cast<std::size_t>(g)] = s;
      out(i) = g;
      gar_thermalnodestatuses(g) = "C";
    }
    ++seen;
  }
  // The group count of the header is what every reader of the list goes by.
  if (seen != groups) {
    status = 1;
    return;
  }
  // Every chain of copies must end at a node that is no target: walk each
  // chain once (state 1 on the walk in progress, 2 once known to end).
  std::vector<unsigned char> state(source_of.size(), 0);
  for (std::size_t g = 1; g < source_of.size(); ++g) {
    std::size_t x = g;
    while (source_of[x] != 0 && state[x] == 0) {
      guard.pass();
      state[x] = 1;
      x = static_cast<std::size_t>(source_of[x]);
    }
    if (source_of[x] != 0 && state[x] == 1) {
      status = 1;
      return;
    }
    for (x = g; source_of[x] != 0 && state[x] == 1; x = static_cast<std::size_t>(source_of[x])) state[x] = 2;
  }
}

namespace {

// Start word of sub-list `kind` of the list starting at p (reading rule),
// 0 when the walk leaves the list.
std::int64_t sublist_start(plat::Vec1<const int> list, std::int64_t p, int kind, LoopGuard& guard) {
  const std::int64_t len = list.size();
  for (int sub = 1; sub < kind;) {
    guard.pass();
    if (p < 1 || p > len) return 0;
    const int v = list(p);
    if (v > 0) p += 2;
    else if (v < 0) p = -static_cast<std::int64_t>(v);
    else {
      ++sub;
      ++p;
    }
  }
  return p;
}

void replace_neighbour(int neighbour, int target, int source, plat::Vec1<const int> ptrs, int sublist,
                       plat::Vec1<int> list, std::string_view routine) {
  if (neighbour < 1 || neighbour > ptrs.size()) return;
  LoopGuard guard(routine);
  std::int64_t p = sublist_start(list, ptrs(neighbour), sublist, guard);
  const std::int64_t len = list.size();
  for (;;) {
    guard.pass();
    if (p < 1 || p > len) return;
    const int v = list(p);
    if (v == 0) return;
    if (v < 0) {
      p = -static_cast<std::int64_t>(v);
      continue;
    }
    if (v == target) {
      list(p) = source;
      return;
    }
    p += 2;
  }
}

}  // namespace

void SCNPCS(int neighbour, int target, int source, plat::Vec1<const int> ptrs, int kind, plat::Vec1<int> list) {
  replace_neighbour(neighbour, target, source, ptrs, kind, list, "SCNPCS");
}

void SCFPCS(int neighbour, int target, int source, plat::Vec1<const int> ptrs, int kind, plat::Vec1<int> list) {
  replace_neighbour(neighbour, target, source, ptrs, kind + 1, list, "SCFPCS");
}

void LINCSP(int lenpcsfluid, int lenpcsold, int nt, plat::Vec1<const int> ptrsold, plat::Vec1<const int> groups,
            int ngroupwords, plat::Vec1<int> pcsold, int& status, plat::Vec1<const int> ptrsfluid,
            plat::Vec1<int> pcsfluid) {
  status = 0;
  const std::int64_t len = std::min<std::int64_t>(lenpcsold, pcsold.size());
  plat::Vec1<int> list = pcsold.from(1, len);
  plat::Vec1<int> flist = pcsfluid.from(1, std::min<std::int64_t>(lenpcsfluid, pcsfluid.size()));
  if (ngroupwords < 2 || groups.size() < ngroupwords) {
    status = 1;
    return;
  }
  const int ngroups = groups(2);
  LoopGuard guard("LINCSP");
  int idx = 3;
  for (int g = 1; g <= ngroups; ++g) {
    if (idx + 1 > ngroupwords) {
      status = 1;
      return;
    }
    const int s = groups(idx), k = groups(idx + 1);
    idx += 2;
    if (s < 1 || s > nt || s > ptrsold.size() || k < 0 || idx + k - 1 > ngroupwords) {
      status = 1;
      return;
    }
    // The source: per sub-list its end marker and its last jump word.
    std::int64_t endw[3] = {0, 0, 0}, jump[3] = {0, 0, 0};
    std::int64_t p = ptrsold(s);
    for (int sub = 0; sub < 3; ++sub) {
      for (;;) {
        guard.pass();
        if (p < 1 || p > len) {
          status = 1;
          return;
        }
        const int v = list(p);
        if (v > 0) {
          p += 2;
        } else if (v < 0) {
          jump[sub] = p;
          p = -static_cast<std::int64_t>(v);
        } else {
          endw[sub] = p;
          ++p;
          break;
        }
      }
      if (jump[sub] == 0) {
        status = 1;
        return;
      }
    }
    // Each target's sub-lists are chained after the source's (and the
    // previous target's) and end at the source's end marker.
    for (int i = 0; i < k; ++i) {
      const int t = groups(idx + i);
      if (t < 1 || t > nt || t > ptrsold.size()) {
        status = 1;
        return;
      }
      p = ptrsold(t);
      for (int sub = 0; sub < 3; ++sub) {
        if (p < 1 || p > len) {
          status = 1;
          return;
        }
        list(jump[sub]) = -static_cast<int>(p);
        std::int64_t last = 0;
        for (;;) {
          guard.pass();
          if (p < 1 || p > len) {
            status = 1;
            return;
          }
          const int v = list(p);
          if (v > 0) {
            if (v <= nt) SCNPCS(v, t, s, ptrsold, sub + 1, list);
            else SCFPCS(v - nt, t, s, ptrsfluid, sub + 1, flist);
            p += 2;
          } else if (v < 0) {
            last = p;
            p = -static_cast<std::int64_t>(v);
          } else {
            ++p;
            break;
          }
        }
        if (last == 0) {
          status = 1;
          return;
        }
        list(last) = -static_cast<int>(endw[sub]);
        jump[sub] = last;
      }
    }
    idx += k;
  }
}

void SUPINV(int l, plat::Vec1<int> list, plat::Vec1<int> scratch) {
  if (l <= 2 || list.size() < l) return;
  std::vector<int> own;
  int* tmp = scratch.data();
  if (scratch.size() < l) {
    own.resize(static_cast<std::size_t>(l));
    tmp = own.data();
  }
  // Group boundaries, then the groups written back last first.
  std::vector<std::pair<int, int>> spans;
  LoopGuard guard("SUPINV");
  int i = 3;
  while (i + 1 <= l) {
    guard.pass();
    const int k = list(i + 1);
    if (k < 0 || i + 1 + k > l) break;
    spans.emplace_back(i, k + 2);
    i += k + 2;
  }
  int o = 0;
  for (auto it = spans.rbegin(); it != spans.rend(); ++it)
    for (int w = 0; w < it->second; ++w) tmp[o++] = list(it->first + w);
  for (int w = 0; w < o; ++w) list(3 + w) = tmp[w];
}

// ---------------------------------------------------------------------------
// Fluid-node model map and array descriptors.
// ---------------------------------------------------------------------------

void SETFNM(plat::Mat2<int> directory, int nm, int nf, plat::Vec1<int> fluidmodelnums) {
  const std::int64_t n = std::min<std::int64_t>(nf, fluidmodelnums.size());
  for (int m = 1; m <= nm; ++m) {
    const std::int64_t lo = std::max(directory(md_fluidnodebase, m), 0) + 1;
    const std::int64_t hi = std::min<std::int64_t>(directory(md_fluidnodebase, m + 1), n);
    for (std::int64_t j = lo; j <= hi; ++j) fluidmodelnums(j) = m;
  }
}

void SAPTUP(plat::Vec1<int> rebase, int charmult, int first, int last, plat::Vec1<int> infolist,
            plat::Vec1<int> infopointers, int& status) {
  status = 0;
  if (rebase.size() < 8) {
    status = 3;
    return;
  }
  const std::int64_t w[9] = {0,
                             rebase(1),
                             rebase(2),
                             rebase(3),
                             static_cast<std::int64_t>(rebase(4)) * charmult,
                             rebase(5),
                             rebase(6),
                             rebase(7),
                             static_cast<std::int64_t>(rebase(8)) * charmult};
  const std::int64_t nlist = std::min<std::int64_t>(w[5], infolist.size());
  // Raises descriptor word d by `base`; false when the result passes `limit`
  // or the word lies outside the descriptor list.
  auto raise = [&](std::int64_t d, std::int64_t base, std::int64_t limit) {
    if (d < 1 || d > nlist) return false;
    const std::int64_t v = infolist(d) + base;
    if (v > limit) return false;
    infolist(d) = static_cast<int>(v);
    return true;
  };
  LoopGuard guard("SAPTUP");
  for (int i = first; i <= last; ++i) {
    guard.pass();
    if (i < 1 || i > infopointers.size()) {
      status = 3;
      return;
    }
    const std::int64_t ptr = static_cast<std::int64_t>(infopointers(i)) + w[1];
    if (ptr < 1 || ptr > nlist) {
      status = 3;
      return;
    }
    infopointers(i) = static_cast<int>(ptr);
    // The descriptor record as the interpolation routines read it: word 1
    // (at the pointer) the type, word 2 the number of values, word 3 the
    // first value position; a table holds its structure position in word 3,
    // its real position in word 5, its variable count in word 6 and the
    // character positions after it. Only positions are rebased.
    const int type = infolist(ptr);
    bool ok = true;
    switch (type) {
      case 1:
      case 2:
      case 3: ok = raise(ptr + 2, w[1 + type], w[5 + type]); break;
      case 4: {
        ok = raise(ptr + 2, w[2], w[6]) && raise(ptr + 4, w[3], w[7]);
        if (ok && ptr + 5 <= nlist) {
          const int nchar = infolist(ptr + 5);
          for (int c = 0; ok && c < nchar; ++c) {
            guard.pass();
            ok = raise(ptr + 6 + c, w[4], w[8]);
          }
        } else {
          ok = false;
        }
        break;
      }
      case 5:
      case 6: ok = raise(ptr + 2, w[3], w[7]); break;
      default: ok = false;
    }
    if (!ok) {
      status = 3;
      return;
    }
  }
}

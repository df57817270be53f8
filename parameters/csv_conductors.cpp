#include "parameters/csv_conductors.h"

#include <cstdlib>
#include <string>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/search_sort.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "parameters/case_refs.h"
#include "parameters/csv_columns.h"
#include "parameters/csv_tables.h"

namespace {

constexpr std::string_view kSubmodelError = "Error interpreting Conductor submodel@Contact Central Support";

// Kind data of codes 42..47.
struct CondKind {
  std::string_view mnem;
  int slot;       // model-directory slot of the cumulative bases
  int sublist;    // thermal compact part (0: none)
  int fluidkind;  // fluid-list kind (0: none)
};

const CondKind* cond_kind(int code) {
  // clang-format off
  static const CondKind kinds[6] = {
      {"GL", 4, 1, 2}, {"GR", 6, 3, 3}, {"GF", 5, 5, 4}, {"GV", 7, 0, 0}, {"M", 17, 0, 1}, {"GP", 17, 0, 1}};
  return code >= 42 && code <= 47 ? &kinds[code - 42] : nullptr;
}
// clang-format on

// Membership in an ascending node list; a list of every node holds all.
bool member(plat::Vec1<const int> list, int n, int node, int nall) {
  if (n >= nall) return true;
  int st = 0, found = 0, pos = 0;
  SOFNDI(list, n, node, st, found, pos);
  return st == 0 && found == 1;
}

// Full path of model m ("" when it cannot be had).
bool model_path(int m, std::string& path) {
  std::string buf(1024, ' ');
  int len = 0, st = 0;
  LSUBMD("ALL", m, len, plat::TextRef(buf), st);
  if (st != 0) return false;
  path.assign(buf, 0, static_cast<std::size_t>(std::min<int>(len, 1024)));
  return true;
}

// The node written relative to a model path of length l: its model's path,
// ":" and its number, less the first l + 1 characters.
std::string node_text(int node, std::size_t l) {
  std::string t = SUBMDN(node, "ALL");
  t = std::string(plat::trimmed(t)) + ":" + std::to_string(NODNUM(node));
  return t.size() > l + 1 ? t.substr(l + 1) : t;
}

std::string suffix(int seq) { return seq == 1 ? ")\"" : "," + std::to_string(seq) + ")\""; }

int write_piece(int unit, std::string_view text) {
  int ios = 0;
  WRITEH(unit, text, ios, static_cast<int>(text.size()));
  return ios;
}

// Prefix and path length of a conductor owned by model `owner`.
bool owner_prefix(int owner, std::string_view mnem, std::string& prefix, std::size_t& pathlen) {
  std::string path;
  if (!model_path(owner, path)) return false;
  pathlen = path.size();
  prefix = std::string(mnem);
  const std::size_t colon = path.find(':');
  if (colon != std::string::npos) prefix += ":" + path.substr(colon + 1) + ":";
  return true;
}

// Sequence counter of the header enumerations: restarts with a new
// neighbour, and counts on only while the owning model stays the same.
struct SeqCounter {
  int neighbour = -1, model = -1, count = 0;
  void entry(int b) {
    if (b != neighbour) neighbour = b, model = -1, count = 0;
  }
  int counted(int owner) {
    if (owner == model) return ++count;
    model = owner;
    return count = 1;
  }
};

// The part of the list walks of PRHGNP and PRHGFP that is the same for
// both: per entry (a, b) of conductor n met in node a's sub-list, the
// sequence count, the selection of the heading, and its writing.
struct ConductorHeadings {
  plat::Vec1<const int> lista;
  int na;
  plat::Vec1<const int> listb;
  int nb;
  int nall, first, last, seq, slot;
  bool twoway;  // a two-way kind: a pair with both nodes in both lists is named once
  std::string_view mnem, routine;
  int unit;

  // Entry b of conductor n in node a's sub-list (a_in_b: a is also in the
  // second list; reversed: the name reads (b, a)). False after a failure,
  // with ierr set and the message given.
  bool entry(SeqCounter& counter, int a, bool a_in_b, int b, int n, bool reversed, int& ierr, int& found) const {
    counter.entry(b);
    if (n < first || n > last || !member(listb, nb, b, nall)) return true;
    if (twoway && b < a && a_in_b && member(lista, na, b, nall)) return true;
    const int owner = SUBMDE(n, slot);
    const int k = counter.counted(owner);
    if (seq != 0 && seq != k) return true;
    std::string prefix;
    std::size_t l = 0;
    if (!owner_prefix(owner, mnem, prefix, l)) {
      ierr = 1;
      SETERX(kSubmodelError, 3, 1, routine);
      return false;
    }
    const int n1 = reversed ? b : a, n2 = reversed ? a : b;
    const std::string name = ",\"" + prefix + "(" + node_text(n1, l) + "," + node_text(n2, l) + suffix(k);
    const int ios = write_piece(unit, name);
    if (ios != 0) {
      ierr = 2;
      SETERX(csv::short_write_message(ios), 3, 2, routine);
      return false;
    }
    found = 1;
    return true;
  }
};

}  // namespace

void PRHGNP(plat::Vec1<const int> lista, int na, plat::Vec1<const int> listb, int nb, int seq,
            plat::Vec1<const int> pcs, plat::Mat2<const int> pcsptrs, int first, int last, int slot,
            std::string_view mnem, int nf, int nt, int part, int unit, int& ierr, int& found) {
  ierr = 0;
  const int nall = nt + nf;
  const ConductorHeadings headings{lista, na,       listb, nb, nall, first, last, seq, slot, part == 1 || part == 3,
                                   mnem,  "PRHGNP", unit};
  for (int i = 1; i <= na; ++i) {
    const int a = lista(i);
    if (a > nt) break;
    const bool a_in_b = member(listb, nb, a, nall);
    const int start = pcsptrs(part, a), count = pcsptrs(part + 1, a);
    SeqCounter counter;
    for (int e = 0; e < count; ++e) {
      const int b = pcs(start + 2 * e);
      const int n = std::abs(pcs(start + 2 * e + 1));
      // GF runs over the second list: its name still reads (first list, second list).
      if (!headings.entry(counter, a, a_in_b, b, n, part == 5, ierr, found)) return;
    }
  }
}

void PRHGFP(plat::Vec1<const int> lista, int na, plat::Vec1<const int> listb, int nb, int seq,
            plat::Vec1<const int> linkpairs, plat::Vec1<const int> pcsf, plat::Vec1<const int> pcsptrsf, int first,
            int last, int kind, int slot, std::string_view mnem, int nf, int nt,
            plat::Vec1<const plat::Text<1>> statuses, int unit, int& ierr, int& found) {
  ierr = 0;
  const int nall = nt + nf;
  const ConductorHeadings headings{lista, na,       listb, nb, nall, first, last, seq, slot, kind == 2 || kind == 3,
                                   mnem,  "PRHGFP", unit};
  LoopGuard guard("PRHGFP");
  for (int i = 1; i <= na; ++i) {
    const int a = lista(i);
    if (a <= nt) continue;
    const int j = a - nt;
    const bool a_in_b = member(listb, nb, a, nall);
    SeqCounter counter;
    int pos = 0, entry_kind = 0, cond = 0, neighbour = 0;
    for (;;) {
      guard.pass();
      SFUNPK(1, 0, 0, 0, j, statuses, pcsf, pcsptrsf, entry_kind, pos, cond, neighbour);
      if (neighbour == 0 || entry_kind > kind) break;
      if (entry_kind != kind) continue;
      const int n = std::abs(cond);
      int b = neighbour;
      if (kind == 1) {
        if (n < 1 || 2 * n > linkpairs.size() || linkpairs(2 * n - 1) != j) continue;
        b = nt + linkpairs(2 * n);
      }
      if (!headings.entry(counter, a, a_in_b, b, n, kind == 4, ierr, found)) return;
    }
  }
}

void PRHGGV(plat::Vec1<const int> lista, int na, plat::Vec1<const int> listb, int nb, int seq,
            plat::Vec1<const int> pairs, int first, int last, int model1, std::string_view head, int unit, int& ierr,
            int& found) {
  ierr = 0;
  std::string path;
  if (!model_path(model1, path)) {
    ierr = 4;
    SETERX(kSubmodelError, 3, 4, "PRHGGV");
    return;
  }
  const std::size_t l = path.size();
  const int count = last - first + 1;
  const plat::Vec1<const int> range =
      count >= 1 && 2 * last <= pairs.size() ? pairs.from(2 * first - 1, 2 * count) : plat::Vec1<const int>();
  auto pair_is = [&](int item, int a, int b) { return pairs(2 * item - 1) == a && pairs(2 * item) == b; };
  auto write = [&](int a, int b, int k) {
    const std::string name = ",\"" + std::string(head) + "(" + node_text(a, l) + "," + node_text(b, l) + suffix(k);
    const int ios = write_piece(unit, name);
    if (ios != 0) {
      ierr = seq > 0 ? 2 : 1;
      SETERX(csv::short_write_message(ios), 3, ierr, "PRHGGV");
      return;
    }
    found = 1;
  };
  for (int i = 1; i <= na; ++i) {
    const int a = lista(i);
    for (int m = 1; m <= nb; ++m) {
      const int b = listb(m);
      const int key[2] = {a, b};
      int st = 0, hit = 0, pos = 0;
      SOFNDM(range, 2, range.size() > 0 ? count : 0, plat::Vec1<const int>(key, 2), st, hit, pos);
      if (st != 0) {
        ierr = 3;
        SETERX("Error searching node pair list@Contact Central Support", 3, 3, "PRHGGV");
        continue;
      }
      if (hit != 1) continue;
      const int at = first + pos - 1;
      if (seq > 0) {
        const int item = at + seq - 1;
        if (item <= last && pair_is(item, a, b)) write(a, b, seq);
      } else {
        for (int item = at, k = 1; item <= last && pair_is(item, a, b); ++item, ++k) write(a, b, k);
      }
    }
  }
}

namespace {

// The conductor reference resolved on the integer core (the guard restores the top).
struct CondRef {
  int na = 0, nb = 0, ia = 0, ib = 0, seq = 0, mfirst = 0, mlast = 0;
  plat::Vec1<const int> a() const {
    if (na < 1) return {};
    return gar_dynamiccoreint.from(ia, na);
  }
  plat::Vec1<const int> b() const {
    if (nb < 1) return {};
    return gar_dynamiccoreint.from(ib, nb);
  }
};

plat::Mat2<const int> thermal_ptrs() {
  return plat::Mat2<const int>(gar_pcsptrsthermal.data(), gar_pcsptrsthermal.rows(), gar_pcsptrsthermal.cols());
}

int resolve(std::string_view condref, int model, CondRef& r) {
  int st = 0;
  int top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  PARCNP(condref, model, FLAGS(FLAGS_DYSTOR), FLAGS(26), FLAGS(32), FLAGS(1), gar_dynamiccoreint.view(), top, r.na,
         r.nb, r.ia, r.ib, r.seq, r.mfirst, r.mlast, st);
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = top;
  return st;
}

// Item range of the kind over models mfirst..mlast.
void item_range(const CondKind& k, const CondRef& r, int& first, int& last) {
  first = gar_modeldirectory(k.slot, r.mfirst) + 1;
  last = gar_modeldirectory(k.slot, r.mlast + 1);
}

std::string item_text(std::string_view head, std::string_view condref) {
  const std::size_t p = condref.find('(');
  return std::string(head) + std::string(p == std::string_view::npos ? condref : condref.substr(p));
}

}  // namespace

void PRHCND(int code, std::string_view condref, std::string_view head, int model, int unit, int& ierr) {
  ierr = 0;
  gar_CoreGuard core;
  int found = 0;
  const CondKind* k = cond_kind(code);
  if (k == nullptr) {
    ierr = 1;
    SETERX("Invalid entity type - not a conductor", 3, 1, "PRHCND");
  } else {
    CondRef r;
    ierr = resolve(condref, model, r);
    if (ierr == 0) {
      int first = 0, last = 0;
      item_range(*k, r, first, last);
      const int nt = FLAGS(1), nf = FLAGS(32);
      plat::Vec1<const int> a = r.a(), b = r.b();
      int na = r.na, nb = r.nb;
      if (code == 44) std::swap(a, b), std::swap(na, nb);
      int st1 = 0, st2 = 0;
      if (code == 45) {
        PRHGGV(a, na, b, nb, r.seq, gar_vfaccondnodepairs.view(), first, last, r.mfirst, head, unit, st1, found);
      } else {
        if (k->sublist != 0)
          PRHGNP(a, na, b, nb, r.seq, gar_pcsthermal.view(), thermal_ptrs(), first, last, k->slot, k->mnem, nf, nt,
                 k->sublist, unit, st1, found);
        PRHGFP(a, na, b, nb, r.seq, gar_massflowlinkcondnodepairs.view(), gar_pcsfluid.view(),
               gar_pcsptrsfluid.view(), first, last, k->fluidkind, k->slot, k->mnem, nf, nt,
               gar_thermalnodestatuses.view(), unit, st2, found);
      }
      ierr = st1 != 0 ? st1 : st2;
    }
  }
  if (found == 0) {
    ierr = 2;
    SETERX("No matching conductors found@" + item_text(head, condref), 3, 2, "PRHCND");
  }
}

void PRCCND(int code, std::string_view condref, std::string_view item, int model, int unit, int& ierr) {
  ierr = 0;
  gar_CoreGuard core;
  const CondKind* k = cond_kind(code);
  if (k == nullptr) {
    ierr = 1;
    SETERX("Invalid entity type - not a conductor@" + std::string(plat::trimmed(item)), 3, 1, "PRCCND");
    return;
  }
  CondRef r;
  ierr = resolve(condref, model, r);
  if (ierr != 0) return;
  long long capacity = 0;
  plat::Vec1<const double> values;
  switch (code) {
    case 42: capacity = 2LL * FLAGS(2), values = gar_linearconds.view(); break;
    case 43: capacity = 2LL * FLAGS(4), values = gar_radiativeconds.view(); break;
    case 44: capacity = 2LL * FLAGS(3), values = gar_fluidicconds.view(); break;
    case 45: capacity = FLAGS(5), values = gar_vfacconds.view(); break;
    case 46: capacity = 2LL * FLAGS(33), values = gar_massflowlinkflowrates.view(); break;
    default: capacity = 2LL * FLAGS(33), values = gar_massflowlinkfittinglosses.view(); break;
  }
  const long long top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  if (top + capacity > FLAGS(FLAGS_DYSTOR)) {
    ierr = 2;
    SETERX(gar_paramcoretext(top + capacity - FLAGS(FLAGS_DYSTOR)), 3, 2, "PRCCND");
    return;
  }
  const int at = core.take_int(capacity);
  plat::Vec1<int> out = capacity > 0 ? gar_dynamiccoreint.from(at, capacity) : plat::Vec1<int>();
  int nout = 0, st = 0;
  int first = 0, last = 0;
  item_range(*k, r, first, last);
  const int nt = FLAGS(1), nf = FLAGS(32);
  plat::Vec1<const int> a = r.a(), b = r.b();
  int na = r.na, nb = r.nb;
  if (code == 44) std::swap(a, b), std::swap(na, nb);
  if (code == 45) {
    PARGGV(a, na, b, nb, r.seq, gar_vfaccondnodepairs.view(), first, last, out, nout, st);
  } else {
    if (k->sublist != 0)
      PARGNP(a, na, b, nb, r.seq, gar_pcsthermal.view(), thermal_ptrs(), first, last, nf, nt, k->sublist, out, nout,
             st);
    PARGFP(a, na, b, nb, r.seq, gar_massflowlinkcondnodepairs.view(), gar_pcsfluid.view(), gar_pcsptrsfluid.view(),
           first, last, k->fluidkind, k->slot, nf, nt, out, nout, st);
  }
  PRCWTR(out, nout, values, unit, ierr);
  if (ierr == 0 && nout == 0) {
    ierr = 3;
    SETERX("No matching conductors found@" + std::string(plat::trimmed(item)), 3, 3, "PRCCND");
  }
}

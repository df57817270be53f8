// Section loaders of the model database (keys 1..244 of one submodel).
#include "modeldata/entity_loaders.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "modeldata/acda_arrays_load.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/intermodel_links.h"
#include "modeldata/mdb_readers.h"

namespace {

int flag(int word) { return FLAGS(word); }

// The integer dynamic core and its load-time header words.
plat::Vec1<int> core() { return gar_dynamiccoreint.view(); }
int dystor() { return static_cast<int>(gar_dynamiccoreint.size()); }
int& hw(int word) { return gar_dynamiccoreint(word); }

// One list of each kind at `base` with capacity `cap`; status of the reader.
int read_ints(const LoadSection& s, int key, int base, int cap, plat::Vec1<int> a, int& count) {
  int st = 0;
  SCOMII(base, cap, key, s.unit, a, count, st);
  return st;
}
int read_reals(const LoadSection& s, int key, int base, int cap, plat::Array1<double>& a, int& count) {
  int st = 0;
  SCOMDD(base, cap, key, s.unit, a.view(), count, st);
  return st;
}
template <std::size_t L>
int read_texts(const LoadSection& s, int key, int base, int cap, int item_len, plat::Array1<plat::Text<L>>& a,
               int& count) {
  int st = 0;
  SCOMZZ(base, cap, key, s.unit, item_len, TextVec1(a), count, st);
  return st;
}
int skip_lists(const LoadSection& s, int first, int last) {
  int st = 0;
  SCOMSK(s.directory_view(), 2, kListKeys, first, last, s.unit, st);
  return st;
}

// A list that must hold `expected` items: the reader's status, or 1 on a count mismatch.
int checked(int st, int count, int expected) { return st != 0 ? st : (count != expected ? 1 : 0); }

// The per-node lists that follow a leading node-number list: each at `base`
// with capacity `cap`, each holding exactly n items.
struct NodeList {
  int key;
  plat::Array1<double>* reals = nullptr;
  plat::Array1<plat::Text<24>>* t24 = nullptr;
  plat::Array1<plat::Text<4>>* t4 = nullptr;
  plat::Array1<plat::Text<1>>* t1 = nullptr;
};

int read_node_list(const LoadSection& s, const NodeList& l, int base, int cap, int n) {
  int count = 0, st = 0;
  if (l.reals) st = read_reals(s, l.key, base, cap, *l.reals, count);
  else if (l.t24) st = read_texts(s, l.key, base, cap, 24, *l.t24, count);
  else if (l.t4) st = read_texts(s, l.key, base, cap, 4, *l.t4, count);
  else st = read_texts(s, l.key, base, cap, 1, *l.t1, count);
  return checked(st, count, n);
}

// A view of `room` words of the integer core from word `first`, cut at the
// core's end; empty when `first` lies outside the core.
plat::Vec1<int> core_from(std::int64_t first, std::int64_t room) {
  if (first < 1 || first > dystor() || room < 1) return {};
  return core().from(first, std::min<std::int64_t>(room, dystor() - first + 1));
}

// Runs the steps of a group in order; the first failure writes its context.
struct Group {
  LoadSection& s;
  int& status;
  std::size_t width;
  bool step(void (*loader)(LoadSection&, int&), std::string_view context) {
    if (status != 0) return false;
    loader(s, status);
    if (status != 0) s.set_context(context, width);
    return status == 0;
  }
  bool skip(int first, int last, std::string_view context) {
    if (status != 0) return false;
    status = skip_lists(s, first, last);
    if (status != 0) s.set_context(context, width);
    return status == 0;
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Keys 1..44
// ---------------------------------------------------------------------------

void LOADE(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m, nt = flag(1);
  const int base = md_thermalnodebase(m);
  s.tn = 0;
  if (!s.present(1)) {
    md_thermalnodebase(m + 1) = base;
    return;
  }
  status = read_ints(s, 1, base, nt, gar_thermalnodenums.view(), s.tn);
  if (status != 0) return;
  const NodeList lists[] = {
      {2, &gar_thermalnodetemps},
      {3, &gar_thermalnodecapacitances},
      {4, &gar_thermalnodeheatsourcesalbedo},
      {5, &gar_thermalnodeheatsourcesplanet},
      {6, &gar_thermalnodeheatsourcesinternal},
      {7, &gar_thermalnodeheatsourcessolar},
      {8, &gar_thermalnodeheatsourcesother},
      {9, &gar_thermalnodesurfaceareas},
      {10, &gar_thermalnodeabsorptivities},
      {11, &gar_thermalnodeemissivities},
      {12, nullptr, &gar_thermalnodelabels},
      {13, nullptr, nullptr, nullptr, &gar_thermalnodestatuses},
  };
  for (const auto& l : lists) {
    status = read_node_list(s, l, base, nt, s.tn);
    if (status != 0) return;
  }
  md_thermalnodebase(m + 1) = base + s.tn;
}

void LOADF(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m;
  struct Kind {
    int value_key, act_key;
    gar_ModelDirectorySlot slot;
    plat::Array1<double>* values;
    plat::Array1<plat::Text<1>>* acts;
    int cap;
  };
  const Kind kinds[] = {
      {14, 18, md_linearcondbase, &gar_linearconds, &gar_linearcondacts, flag(2)},
      {15, 19, md_radiativecondbase, &gar_radiativeconds, &gar_radiativecondacts, flag(4)},
      {16, 20, md_fluidiccondbase, &gar_fluidicconds, &gar_fluidiccondacts, flag(3)},
      {17, 21, md_vfaccondbase, &gar_vfacconds, &gar_vfaccondacts, flag(5)},
  };
  for (const auto& k : kinds) {
    const int base = k.slot(m);
    int count = 0;
    if (s.present(k.value_key)) {
      status = read_reals(s, k.value_key, base, k.cap, *k.values, count);
      if (status != 0) return;
    }
    k.slot(m + 1) = base + count;
  }
  for (const auto& k : kinds) {
    int count = 0;
    if (s.present(k.act_key)) {
      status = read_texts(s, k.act_key, k.slot(m), k.cap, 1, *k.acts, count);
      if (status != 0) return;
    }
    if (k.slot(m) + count != k.slot(m + 1)) {
      status = 1;
      return;
    }
  }
}

void LOADG(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m;
  struct Kind {
    int key;
    gar_ModelDirectorySlot slot;
    plat::Array1<double>* values;
    int cap;
    int* count;
  };
  const Kind kinds[] = {
      {22, md_linearcondbase, &gar_linearconds, flag(2), &s.gl},
      {23, md_radiativecondbase, &gar_radiativeconds, flag(4), &s.gr},
      {24, md_fluidiccondbase, &gar_fluidicconds, flag(3), &s.gf},
  };
  s.gl = s.gr = s.gf = 0;
  for (const auto& k : kinds) {
    if (!s.present(k.key)) continue;
    status = read_reals(s, k.key, k.slot(m + 1), k.cap, *k.values, *k.count);
    if (status != 0) return;
    k.slot(m + 1) += *k.count;
  }
}

void LOADH(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m;
  struct Kind {
    int key;
    gar_ModelDirectorySlot slot;
    plat::Array1<plat::Text<1>>* acts;
    int cap;
    int expected;
  };
  const Kind kinds[] = {
      {26, md_linearcondbase, &gar_linearcondacts, flag(2), s.gl},
      {27, md_radiativecondbase, &gar_radiativecondacts, flag(4), s.gr},
      {28, md_fluidiccondbase, &gar_fluidiccondacts, flag(3), s.gf},
  };
  // A count mismatch does not stop the three lists (the file is still in
  // step); a failed read does, since the data record was left unread.
  for (const auto& k : kinds) {
    int count = 0;
    if (s.present(k.key)) {
      const int st = read_texts(s, k.key, k.slot(m + 1) - k.expected, k.cap, 1, *k.acts, count);
      if (st != 0) {
        status = st;
        return;
      }
    }
    if (count != k.expected) status = 1;
  }
}

void LOADI(LoadSection& s, int& status) {
  using namespace ldh;
  status = 0;
  const int m = s.m;
  const std::int64_t gl = s.gl, gr = s.gr, gf = s.gf;
  const std::int64_t need =
      std::int64_t{hw(kGlStart)} + hw(kGlUsed) + hw(kGrUsed) + hw(kGfUsed) + 5 * (gl + gr + gf);
  if (hw(kAreaLimit) < need) {
    const std::int64_t short_by = std::int64_t{dystor()} + need - hw(kAreaLimit);
    const std::int64_t rounded = (short_by / 10000 + 1) * 10000;
    std::string msg = "Insufficient dynamic storage@Reading node pairs for inter-model links@Need at least " +
                      std::to_string(short_by) + " storage locations.<NL>" +
                      "Set DYSTOR on the $EXECUTION line of the main model:<NL>" +
                      "   $EXECUTION, DYSTOR = " + std::to_string(rounded) + "@" +
                      "Initialising model before solution";
    msg.resize(350, ' ');
    status = 7;
    SETERX(msg, 4, 1, "LOADI ");
    return;
  }

  // Area B between the grown area A and the grown area C.
  std::int64_t b_start = hw(kGrStart);
  if (b_start < std::int64_t{hw(kGlStart)} + hw(kGlUsed) + 5 * gl) {
    b_start = std::int64_t{hw(kGlStart)} + hw(kGlUsed) + 5 * gl;
  } else if (b_start > std::int64_t{hw(kGfStart)} - 5 * (gf + gr) - hw(kGrUsed)) {
    b_start = std::int64_t{hw(kGfStart)} - 5 * (gf + gr) - hw(kGrUsed);
  }
  if (b_start != hw(kGrStart)) {
    if (hw(kGrUsed) != 0) {
      DBCOPI(dystor(), hw(kGrUsed), hw(kGrStart), static_cast<int>(b_start), core(), status);
      if (status != 0) return;
    }
    hw(kGrStart) = static_cast<int>(b_start);
  }

  // Reads one inter-model node-pair list into the area at `at`.
  auto read_links = [&](int key, std::int64_t at, std::int64_t n, int orientation, int first_cond) -> bool {
    plat::Vec1<int> work = core_from(at, 5 * n + 1);
    if (work.size() < 5 * n + 1) return false;
    int st = 0;
    SGTLNK(static_cast<int>(work.size()), static_cast<int>(n), work, st, orientation, first_cond, m, key, s.unit);
    return st == 0;
  };

  if (s.present(30)) {
    if (!read_links(30, std::int64_t{hw(kGlStart)} + hw(kGlUsed), gl, 0,
                    md_linearcondbase(m + 1) - static_cast<int>(gl) + 1)) {
      status = 1;
      return;
    }
    hw(kGlUsed) += static_cast<int>(5 * gl);
  } else if (gl > 0) {
    status = 1;
    return;
  }

  if (s.present(31)) {
    if (!read_links(31, std::int64_t{hw(kGrStart)} + hw(kGrUsed), gr, 0,
                    md_radiativecondbase(m + 1) - static_cast<int>(gr) + 1)) {
      status = 1;
      return;
    }
    hw(kGrUsed) += static_cast<int>(5 * gr);
  } else if (gr > 0) {
    status = 1;
    return;
  }

  if (s.present(32)) {
    // Area C grows downwards: its records move down to make room first.
    const std::int64_t c_start = std::int64_t{hw(kGfStart)} - 5 * gf;
    if (hw(kGfUsed) != 0 && c_start != hw(kGfStart)) {
      int st = 0;
      DBCOPI(dystor(), hw(kGfUsed), hw(kGfStart), static_cast<int>(c_start), core(), st);
      if (st != 0) {
        status = st;
        return;
      }
    }
    if (!read_links(32, c_start + hw(kGfUsed), gf, 1, md_fluidiccondbase(m + 1) - static_cast<int>(gf) + 1)) {
      status = 1;
      return;
    }
    hw(kGfUsed) += static_cast<int>(5 * gf);
    hw(kGfStart) = static_cast<int>(c_start);
  } else if (gf > 0) {
    status = 1;
  }
}

void LOADJ(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m;
  const int base = md_vfaccondbase(m);
  const int nv = md_vfaccondbase(m + 1) - base;
  if (!s.present(34)) {
    if (nv != 0) status = 1;
    return;
  }
  int count = 0;
  status = read_ints(s, 34, 2 * base, 2 * flag(5), gar_vfaccondnodepairs.view(), count);
  if (status != 0) return;
  if (count != 2 * nv) {
    status = 1;
    return;
  }
  if (count == 0) return;
  // The node numbers become global thermal node indices.
  const int tbase = md_thermalnodebase(m);
  if (s.tn < 1 || tbase + s.tn > gar_thermalnodenums.size()) {
    status = 1;
    return;
  }
  SGVNOD(gar_vfaccondnodepairs.view().from(2 * base + 1, count), count,
         gar_thermalnodenums.view().from(tbase + 1, s.tn), s.tn, tbase, status);
}

// Key 35: the same-node list, read by the main model into the integer core
// at header word 8; other models skip it. Its first word is its length,
// which must lie within what was read (at least the two header pairs).
static void load_same_node_list(LoadSection& s, int& status) {
  status = 0;
  if (s.m != 1) {
    status = skip_lists(s, 35, 35);
    return;
  }
  const int start = hw(ldh::kSameNode);
  // Room: the generated program's bound on the node-copy list (two words per
  // copy-list word), never past the core.
  const std::int64_t room = 2 * std::int64_t{std::max(flag(25), 0)};
  const int cap = static_cast<int>(std::min<std::int64_t>(std::int64_t{start} - 1 + room, dystor()));
  int count = 0;
  status = read_ints(s, 35, start - 1, cap, core(), count);
  if (status != 0) return;
  if (count < 4 || gar_dynamiccoreint(start) < 4 || gar_dynamiccoreint(start) > count) status = 1;
}

void LOADC1(LoadSection& s, int& status) {
  status = 0;
  Group g{s, status, 24};
  g.step(LOADE, "NODAL PROPERTIES") && g.step(LOADF, "SIMPLE CONDUCTORS") &&
      g.step(LOADG, "INTER-MODEL COND VALUES") && g.skip(25, 25, "SKIP LIST 25") &&
      g.step(LOADH, "INTER-MODEL COND FLAGS") && g.skip(29, 29, "SKIP LIST 29") &&
      g.step(LOADI, "INTER-MODEL NODE PAIRS") && g.skip(33, 33, "SKIP LIST 33") && g.step(LOADJ, "GV NODE PAIRS") &&
      g.step(load_same_node_list, "SKIP LIST 35") && g.skip(36, 44, "SKIP LISTS 36-44");
}

// ---------------------------------------------------------------------------
// Keys 45..200
// ---------------------------------------------------------------------------

void LOADL(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m;
  const int nr_all = flag(6), ni_all = flag(7), nce = flag(8), nc_all = flag(9), w27 = flag(27);
  const int ntot = nr_all + ni_all + nc_all;
  TextVec1 names(gar_userconstnames);
  const int p = md_realnamebase(m);

  // The file brings the integer-constant names first; they wait at the end
  // of the name list until the real-constant names are in.
  int ni = 0;
  if (s.present(45)) {
    status = read_texts(s, 45, p, ntot, 18, gar_userconstnames, ni);
    if (status != 0) return;
    if (ni > 0) {
      DBCOPZ(ntot, ni, p + 1, ntot - ni + 1, names, status);
      if (status != 0) return;
    }
  }
  {
    const int base = md_intuserconstbase(m);
    int count = 0;
    if (s.present(46)) {
      status = read_ints(s, 46, base, ni_all, gar_userconstvaluesint.view(), count);
      if (status != 0) return;
    }
    if (count != ni) {
      status = 1;
      return;
    }
    md_intuserconstbase(m + 1) = base + count;
  }

  int nr = 0;
  if (s.present(47)) {
    status = read_texts(s, 47, p, ntot, 18, gar_userconstnames, nr);
    if (status != 0) return;
  }
  md_intnamebase(m) = p + nr;
  if (ni > 0) {
    DBCOPZ(ntot, ni, ntot - ni + 1, md_intnamebase(m) + 1, names, status);
    if (status != 0) return;
  }
  md_charnamebase(m) = md_intnamebase(m) + ni;
  {
    const int base = md_realuserconstbase(m);
    int count = 0;
    if (s.present(48)) {
      status = read_reals(s, 48, base, nr_all, gar_userconstvaluesreal, count);
      if (status != 0) return;
    }
    if (count != nr) {
      status = 1;
      return;
    }
    md_realuserconstbase(m + 1) = base + count;
  }

  int nc = 0;
  if (s.present(49)) {
    status = read_texts(s, 49, md_charnamebase(m), ntot, 18, gar_userconstnames, nc);
    if (status != 0) return;
  }
  const int next_names = md_charnamebase(m) + nc;
  md_realnamebase(m + 1) = next_names;
  md_intnamebase(m + 1) = next_names;
  md_charnamebase(m + 1) = next_names;
  {
    const int base = md_charuserconstbase(m);
    int count = 0;
    if (s.present(50)) {
      status = read_ints(s, 50, base, nc_all, gar_userconstpointerschar.view(), count);
      if (status != 0) return;
    }
    if (count != nc) {
      status = 1;
      return;
    }
    md_charuserconstbase(m + 1) = base + count;
  }
  {
    const int base = md_charelementbase(m);
    int count = 0;
    if (s.present(51)) {
      status = read_texts(s, 51, base, nce, w27, gar_userconstvalueschar, count);
      if (status != 0) return;
    }
    if ((count > 0) != (nc > 0)) {
      status = 1;
      return;
    }
    md_charelementbase(m + 1) = base + count;
  }
}

void LOADM(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m;
  const int nil = flag(18), na = flag(19), nar = flag(20), nai = flag(21), nac = flag(22), w27 = flag(27);
  auto& rb = s.arraybases;
  for (int k = 1; k <= 4; ++k) rb[static_cast<std::size_t>(k + 4)] = rb[static_cast<std::size_t>(k)];

  // The arrays whose values the analysis-case file supplies for this submodel.
  int acd_arrays = 0, acd_reals = 0, acd_ints = 0;
  std::vector<double> file_reals;
  std::vector<std::int32_t> file_ints;
  acda_getarraydata(acd_arrays, acd_reals, acd_ints, file_reals, file_ints);

  const int first = md_arraybase(m);
  int q = first;    // next name position
  int pos = first;  // next pointer position
  int names[5] = {0, 0, 0, 0, 0};
  int pointers[5] = {0, 0, 0, 0, 0};
  int own_ints = 0, own_reals = 0;

  auto run = [&]() -> int {
    int st = 0;
    for (int g = 1; g <= 3; ++g) {
      if (!s.present(51 + g)) continue;
      st = read_texts(s, 51 + g, q, na, 18, gar_arraynames, names[g]);
      if (st != 0) return st;
      q += names[g];
    }
    if (s.present(55)) {
      int count = 0;
      st = read_ints(s, 55, rb[1], nil, gar_arrayinfolist.view(), count);
      if (st != 0) return st;
      rb[5] = rb[1] + count;
    }
    for (int g = 1; g <= 3; ++g) {
      if (!s.present(55 + g)) continue;
      st = read_ints(s, 55 + g, pos, na, gar_arrayinfopointers.view(), pointers[g]);
      if (st != 0) return st;
      pos += pointers[g];
    }
    // Values of the database, then those of the analysis-case file after them.
    if (s.present(59)) {
      st = read_ints(s, 59, rb[2], nai, gar_arrayvaluesint.view(), own_ints);
      if (st != 0) return st;
    }
    {
      const std::int64_t at = std::int64_t{rb[2]} + own_ints;
      const auto n = static_cast<std::int64_t>(file_ints.size());
      if (at + n > std::min<std::int64_t>(nai, gar_arrayvaluesint.size())) return 2;
      for (std::int64_t i = 0; i < n; ++i) gar_arrayvaluesint(at + 1 + i) = file_ints[static_cast<std::size_t>(i)];
      rb[6] = static_cast<int>(at + n);
    }
    if (s.present(60)) {
      st = read_reals(s, 60, rb[3], nar, gar_arrayvaluesreal, own_reals);
      if (st != 0) return st;
    }
    {
      const std::int64_t at = std::int64_t{rb[3]} + own_reals;
      const auto n = static_cast<std::int64_t>(file_reals.size());
      if (at + n > std::min<std::int64_t>(nar, gar_arrayvaluesreal.size())) return 2;
      for (std::int64_t i = 0; i < n; ++i) gar_arrayvaluesreal(at + 1 + i) = file_reals[static_cast<std::size_t>(i)];
      rb[7] = static_cast<int>(at + n);
    }
    if (s.present(61)) {
      int count = 0;
      st = read_texts(s, 61, rb[4], nac, w27, gar_arrayvalueschar, count);
      if (st != 0) return st;
      rb[8] = rb[4] + count;
    }
    if (skip_lists(s, 62, 63) != 0) return 1;
    if (s.present(64)) {
      st = read_texts(s, 64, q, na, 18, gar_arraynames, names[4]);
      if (st != 0) return st;
      q += names[4];
    }
    md_arraybase(m + 1) = q;
    if (s.present(65)) {
      st = read_ints(s, 65, pos, na, gar_arrayinfopointers.view(), pointers[4]);
      if (st != 0) return st;
      pos += pointers[4];
    }
    if ((names[1] + names[2] + names[3] > 0 && !s.present(55)) || pointers[1] != names[1] ||
        pointers[2] != names[2] || pointers[3] != names[3] || pointers[4] != names[4] ||
        (names[3] > 0 && !s.present(61))) {
      return 2;
    }
    if (acd_arrays >= 1) {
      acda_updatearraypointers(acd_arrays, own_ints, own_reals, gar_arrayinfopointers.view(),
                               gar_arrayinfolist.view(), CTextVec1(gar_arraynames), rb[1], first, q, 18);
    }
    if (m > 1 && pos > first) {
      // Pointers and descriptors of this model become global positions.
      int words[8] = {rb[1], rb[2], rb[3], rb[4], nil, nai, nar, nac};
      SAPTUP(plat::Vec1<int>(words, 8), w27, first + 1, pos, gar_arrayinfolist.view(), gar_arrayinfopointers.view(),
             st);
      if (st != 0) return st;
    }
    return 0;
  };
  status = run();
  // Whatever happened, the next model's arrays follow this model's.
  for (int k = 1; k <= 4; ++k) rb[static_cast<std::size_t>(k)] = rb[static_cast<std::size_t>(k + 4)];
}

void LOADP(LoadSection& s, int& status) {
  status = 0;
  if (!s.present(66)) {
    status = 1;
    return;
  }
  const int start = hw(ldh::kAreaLimit);
  int count = 0;
  status = read_ints(s, 66, start - 1, dystor(), core(), count);
  if (status != 0) return;
  if (count != kIdCardItems) {
    status = 1;
    return;
  }
  for (int i = 0; i < 3; ++i) s.fluid_touch[static_cast<std::size_t>(i)] = gar_dynamiccoreint(start - 1 + 70 + i);
  for (int i = 0; i < 3 * kSkipColumns; ++i) {
    s.skip_table[static_cast<std::size_t>(i)] = gar_dynamiccoreint(start - 1 + 77 + i);
  }
}

std::int32_t ldq_integer_form(double v) {
  std::int32_t first_word = 0;
  std::memcpy(&first_word, &v, sizeof first_word);
  if (first_word == kUndefined) return kUndefined;
  // Out-of-range values take the machine's own result of a truncating conversion.
  if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
  return static_cast<std::int32_t>(std::trunc(v));
}

void LOADQ(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m;
  if (!s.present(68)) {
    status = 1;
    return;
  }
  const int w10 = std::max(flag(10), 0), w11 = std::max(flag(11), 0);
  const int w13 = std::max(flag(13), 0), w14 = std::max(flag(14), 0);
  const int n = w10 + w11 + w13 + w14;
  std::vector<double> v(static_cast<std::size_t>(std::max(n, 0)), 0.0);
  int count = 0;
  SCOMDD(0, n, 68, s.unit, plat::Vec1<double>(v.data(), n), count, status);
  if (status != 0) return;
  // The main model carries every constant; a submodel at least its local ones.
  // A list of any other length leaves the constants unset: a load error.
  if ((m == 1 && count != n) || (m > 1 && count < w10 + w11)) {
    status = 1;
    return;
  }
  auto val = [&](int i) { return v[static_cast<std::size_t>(i - 1)]; };
  for (int j = 1; j <= w11 && j <= LOCI.rows(); ++j) {
    if (m <= LOCI.cols()) LOCI(j, m) = ldq_integer_form(val(j));
  }
  for (int j = 1; j <= w10 && j <= LOCR.rows(); ++j) {
    if (m <= LOCR.cols()) LOCR(j, m) = val(w11 + j);
  }
  if (m != 1) return;
  auto* gloi = reinterpret_cast<std::int32_t*>(&GLOI);
  auto* glor = reinterpret_cast<double*>(&GLOR);
  for (int j = 1; j <= w14 && j <= gcc_num_int; ++j) gloi[j - 1] = ldq_integer_form(val(w10 + w11 + j));
  for (int j = 1; j <= w13 && j <= gcc_num_real; ++j) glor[j - 1] = val(w10 + w11 + w14 + j);
}

void LOADEM(LoadSection& s, int& status) {
  status = 0;
  struct Kind {
    int key;
    plat::Array1<std::int32_t>* pairs;
    int cap;
    int* count;
  };
  const Kind kinds[] = {
      {69, &gar_linearcondnodepairs, 2 * flag(2), &s.pairs_gl},
      {70, &gar_radiativecondnodepairs, 2 * flag(4), &s.pairs_gr},
      {71, &gar_fluidiccondnodepairs, 2 * flag(3), &s.pairs_gf},
  };
  for (const auto& k : kinds) {
    *k.count = 0;
    if (!s.present(k.key)) continue;
    status = read_ints(s, k.key, 0, k.cap, k.pairs->view(), *k.count);
    if (status != 0) return;
  }
}

// Three per-node real lists implied by key 1, each holding tn values.
static void load_thermal_triple(LoadSection& s, int& status, const int (&keys)[3],
                                plat::Array1<double>* const (&arrays)[3]) {
  status = 0;
  if (!s.present(1)) return;
  const int base = md_thermalnodebase(s.m);
  for (int i = 0; i < 3; ++i) {
    int count = 0;
    status = read_reals(s, keys[i], base, flag(1), *arrays[i], count);
    status = checked(status, count, s.tn);
    if (status != 0) return;
  }
}

void LOADEN(LoadSection& s, int& status) {
  load_thermal_triple(s, status, {72, 73, 74},
                      {&gar_thermalnodeincidentfluxesalbedo, &gar_thermalnodeincidentfluxesplanet,
                       &gar_thermalnodeincidentfluxessolar});
}

void LOADTHERMALNODECOORDINATES(LoadSection& s, int& status) {
  load_thermal_triple(s, status, {96, 97, 98},
                      {&gar_thermalnodecoordsx, &gar_thermalnodecoordsy, &gar_thermalnodecoordsz});
}

void LOADNA(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m, nal = flag(40);
  const int base = md_nodealiasbase(m);
  if (!s.present(107)) {
    md_nodealiasbase(m + 1) = base;
    return;
  }
  int na = 0, count = 0;
  status = read_texts(s, 107, base, nal, 18, gar_nodealiasnames, na);
  if (status != 0) return;
  status = read_ints(s, 108, base, nal, gar_nodealiasnumbers.view(), count);
  status = checked(status, count, na);
  if (status != 0) return;
  md_nodealiasbase(m + 1) = base + na;
}

void LOADC2(LoadSection& s, int& status) {
  status = 0;
  Group g{s, status, 25};
  g.step(LOADL, "USER CONSTANTS") && g.step(LOADM, "ARRAYS") && g.step(LOADP, "ID CARD INFO") &&
      g.skip(67, 67, "SKIP LIST 67") && g.step(LOADQ, "CONTROL CONSTANTS") && g.step(LOADEM, "LISTS 69-71") &&
      g.step(LOADEN, "ENTITIES QAI, QEI AND QSI") && g.skip(75, 95, "SKIP LISTS 75-106") &&
      g.step(LOADTHERMALNODECOORDINATES, "ENTITIES FX, FY & FZ") && g.skip(99, 106, "SKIP LISTS 99-106") &&
      g.step(LOADNA, "NODE ALIASES") && g.skip(109, 200, "SKIP LISTS 107-200");
}

// ---------------------------------------------------------------------------
// Keys 201..244
// ---------------------------------------------------------------------------

void LOADEF(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m, nf_all = flag(32);
  const int base = md_fluidnodebase(m);
  if (!s.present(201)) {
    md_fluidnodebase(m + 1) = base;
    return;
  }
  int nf = 0;
  status = read_ints(s, 201, base, nf_all, gar_fluidnodenums.view(), nf);
  if (status != 0) return;
  const NodeList lists[] = {
      {202, &gar_fluidnodeheattransferareas},
      {203, &gar_fluidnodehydraulicdiameters},
      {204, &gar_fluidnodelengths},
      {205, &gar_fluidnodepressures},
      {206, &gar_fluidnodespecenthalpies},
      {207, &gar_fluidnodetemps},
      {208, &gar_fluidnodewallroughnesses},
      {209, &gar_fluidnodeheatsources},
      {210, &gar_fluidnodemassflowsources},
      {211, &gar_fluidnodemasssourcespecenthalpies},
      {212, &gar_fluidnodemasssourcetemps},
      {213, &gar_fluidnodecoordsx},
      {214, &gar_fluidnodecoordsy},
      {215, &gar_fluidnodecoordsz},
      {216, nullptr, &gar_fluidnodefluidtypes},
      {217, nullptr, &gar_fluidnodelabels},
      {218, nullptr, nullptr, nullptr, &gar_fluidnodestatuses},
  };
  for (const auto& l : lists) {
    status = read_node_list(s, l, base, nf_all, nf);
    if (status != 0) return;
  }
  md_fluidnodebase(m + 1) = base + nf;
}

void LOADFF(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m, nl = flag(33);
  const int base = md_massflowlinkbase(m);
  if (!s.present(219)) {
    md_massflowlinkbase(m + 1) = base;
    return;
  }
  int words = 0;
  if (read_ints(s, 219, 2 * base, 2 * nl, gar_massflowlinkcondnodepairs.view(), words) != 0) {
    status = 1;
    return;
  }
  md_massflowlinkbase(m + 1) = (2 * base + words) / 2;
  const int links = words / 2;
  int count = 0;
  status = read_reals(s, 220, base, nl, gar_massflowlinkflowrates, count);
  status = checked(status, count, links);
  if (status != 0) return;
  status = skip_lists(s, 221, 221);
  if (status != 0) return;
  if (s.present(222)) {
    status = read_reals(s, 222, base, nl, gar_massflowlinkfittinglosses, count);
    status = checked(status, count, links);
    if (status != 0) return;
  }
  if (s.present(223)) {
    status = read_texts(s, 223, base, nl, 1, gar_massflowlinkstatuses, count);
    status = checked(status, count, links);
  }
}

void LOADGF(LoadSection& s, int& status) {
  using namespace ldh;
  status = 0;
  const int m = s.m, nl = flag(33);
  s.mf_link_words = 0;
  if (!s.present(224)) return;
  const std::int64_t at = std::int64_t{hw(kMfStart)} + hw(kMfWaiting);
  plat::Vec1<int> area = core_from(at, 5 * std::int64_t{nl} + 1);
  int st = 0;
  SCOMII(0, static_cast<int>(area.size()), 224, s.unit, area, s.mf_link_words, st);
  if (st != 0 || area.size() == 0 || hw(kMfLimit) < at + 5 * (s.mf_link_words / 4)) {
    status = 1;
    return;
  }
  const int base = md_massflowlinkbase(m + 1);
  int count = 0;
  if (s.present(225) && read_reals(s, 225, base, nl, gar_massflowlinkflowrates, count) != 0) status = 1;
  if (status == 0 && skip_lists(s, 226, 226) != 0) status = 1;
  if (status == 0 && s.present(227) && read_reals(s, 227, base, nl, gar_massflowlinkfittinglosses, count) != 0) {
    status = 1;
  }
  if (status == 0 && s.present(228) && read_texts(s, 228, base, nl, 1, gar_massflowlinkstatuses, count) != 0) {
    status = 1;
  }
}

void LOADFN(LoadSection& s, int& status) {
  status = 0;
  const int m = s.m, nf_all = flag(32);
  const int base = md_fluidnodebase(m);
  const int nf = md_fluidnodebase(m + 1) - base;
  if (nf != 0) {
    const NodeList lists[] = {
        {231, &gar_fluidnodevapourqualities},
        {232, nullptr, nullptr, &gar_fluidnodeflowregimes},
        {233, &gar_fluidnodeflowareas},
        {234, &gar_fluidnodevolumes},
        {235, &gar_fluidnoderelhumidities},
        {236, &gar_fluidnodemasssourcespechumidities},
        {237, &gar_fluidnodecompliances},
        {238, &gar_fluidnodevolumechangerates},
        {239, nullptr, nullptr, &gar_fluidnodestatedescriptors},
    };
    for (const auto& l : lists) {
      if (read_node_list(s, l, base, nf_all, nf) != 0) {
        status = 1;
        return;
      }
    }
  }
  if (skip_lists(s, 240, 244) != 0) status = 1;
}

void LOADC3(LoadSection& s, int& status) {
  status = 0;
  Group g{s, status, 24};
  g.step(LOADEF, "FLUID NODE PROPS") && g.step(LOADFF, "FLUID CONDUCTORS") &&
      g.step(LOADGF, "FLUID INTER-MODEL LINKS") && g.skip(229, 230, "SKIP LISTS 229-230 FLUID") &&
      g.step(LOADFN, "NEW FLUID NODE ENTITIES");
}

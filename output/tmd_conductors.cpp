// Conductor and link rows of TMD files.
#include "output/tmd_conductors.h"

#include <cstdlib>

#include "core/diagnostics.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "output/tmd_selection.h"
#include "platform/process.h"

namespace tmv = TmvThermalModelVariables;

void tmd_setupnodeids(int nts, std::vector<std::int32_t>& refs) {
  const int nth = tmv::numberofthermalnodes;
  const int nfl = tmv::numberoffluidnodes;
  refs.assign(static_cast<std::size_t>(nth + nfl + 1), 0);
  for (int i = 1; i <= tmv::numselectednodes; ++i) {
    const int d = tmv::selectednodes(i);
    if (d < 1) plat::consistency_stop("Tmd<SetupNodeIds> 1");
    if (d <= nth) {
      refs[static_cast<std::size_t>(d)] = i;
    } else if (d > nth + nfl) {
      plat::consistency_stop("Tmd<SetupNodeIds> 2");
    } else {
      refs[static_cast<std::size_t>(d)] = -(i - nts);
    }
  }
}

namespace {

// Reads the linked list that starts at word `start` of `list`: calls
// f(sublist, neighbour, index) for each entry and end(sublist) when a
// sub-list ends, over `nsub` sub-lists. A zero word ends the current
// sub-list, a negative word -w continues at word w.
template <class F, class E>
void read_list(plat::Vec1<const std::int32_t> list, int start, int nsub, F&& f, E&& end) {
  if (start < 1) return;
  LoopGuard guard("GetConductorInfo");
  std::int64_t p = start;
  int sub = 1;
  while (sub <= nsub) {
    guard.pass();
    if (p < 1 || p > list.size()) return;  // a damaged list is read no further
    const int w = list(p);
    if (w > 0) {
      if (p + 1 > list.size()) return;
      f(sub, w, list(p + 1));
      p += 2;
    } else if (w < 0) {
      p = -static_cast<std::int64_t>(w);
    } else {
      end(sub);
      ++sub;
      ++p;
    }
  }
}

}  // namespace

void tmd_walkconductors(const std::vector<std::int32_t>& refs, std::vector<TmdConductorRow>& rows) {
  rows.clear();
  const int nth = tmv::numberofthermalnodes;
  const int nfl = tmv::numberoffluidnodes;
  const bool want[4] = {tmv::conductortypeflags[0] != 0, tmv::conductortypeflags[1] != 0,
                        tmv::conductortypeflags[2] != 0, false};
  const bool want_links = tmv::conductortypeflags[4] != 0 || tmv::conductortypeflags[5] != 0;
  // Rows per other node since the listing node's current sub-list began.
  static std::vector<std::int32_t> counter;
  counter.assign(refs.size(), 0);
  std::vector<int> touched;
  auto reset = [&](int) {
    for (int n : touched) counter[static_cast<std::size_t>(n)] = 0;
    touched.clear();
  };
  auto add = [&](int kind, int v, int y, int z) {
    int& c = counter[static_cast<std::size_t>(y)];
    if (c == 0) touched.push_back(y);
    ++c;
    rows.push_back({kind, v, y, z, c});
  };
  auto selected = [&](int n) {
    return n >= 1 && n < static_cast<int>(refs.size()) && refs[static_cast<std::size_t>(n)] != 0;
  };

  for (int i = 1; i <= tmv::numselectednodes; ++i) {
    const int v = tmv::selectednodes(i);
    reset(0);
    if (v <= nth) {
      if (gar_thermalnodestatuses(v) == "C") continue;
      read_list(
          gar_pcsthermalold.view(), gar_pcsptrsthermalold(v), 3,
          [&](int sub, int y, int z) {
            if (sub < 1 || sub > 3) plat::consistency_stop("Invalid type in GetConductorInfo");
            if (want[sub - 1] && v < y && y <= nth && selected(y)) add(sub, v, y, z);
          },
          reset);
    } else {
      const int j = v - nth;
      if (j > nfl) continue;
      read_list(
          gar_pcsfluid.view(), gar_pcsptrsfluid(j), 4,
          [&](int sub, int y, int z) {
            if (sub == 1) {
              if (!want_links || z < 1 || 2 * static_cast<std::int64_t>(z) > gar_massflowlinkcondnodepairs.size())
                return;
              if (gar_massflowlinkcondnodepairs(2 * z) == y && y <= nfl && selected(nth + y))
                add(tmd_kind_link, v, nth + y, z);
            } else if (sub >= 2 && sub <= 4) {
              // A conductor between two fluid nodes sits in both nodes' lists;
              // it is listed once, from the node with the smaller number.
              if (want[sub - 2] && selected(y) && (y <= nth || v < y)) add(sub - 1, v, y, z);
            } else {
              plat::consistency_stop("GetConductorInfo");
            }
          },
          reset);
    }
  }
  reset(0);
}

void getconductorinfo(int nts, TmdConductorTables& tables, int& countgl, int& countgr, int& countgf, int& countgv,
                      int& countm_gp) {
  std::vector<std::int32_t> refs;
  tmd_setupnodeids(nts, refs);
  std::vector<TmdConductorRow> rows;
  tmd_walkconductors(refs, rows);
  tables = TmdConductorTables{};
  countgl = countgr = countgf = countgv = countm_gp = 0;
  for (const TmdConductorRow& r : rows) {
    std::vector<std::int32_t>* table = nullptr;
    int* count = nullptr;
    switch (r.kind) {
      case tmd_kind_gl: table = &tables.infogl, count = &countgl; break;
      case tmd_kind_gr: table = &tables.infogr, count = &countgr; break;
      case tmd_kind_gf: table = &tables.infogf, count = &countgf; break;
      case tmd_kind_link: table = &tables.infom_gp, count = &countm_gp; break;
      default: plat::consistency_stop("Invalid type in GetConductorInfo");
    }
    table->insert(table->end(), {refs[static_cast<std::size_t>(r.node)], refs[static_cast<std::size_t>(r.other)],
                                 r.ordinal, CDSSMD(std::abs(r.index), r.kind)});
    ++*count;
  }
}

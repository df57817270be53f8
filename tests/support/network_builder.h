// A small thermal network for the tests of the thermal solution: nodes,
// conductors, fluid nodes and tied-node groups of one (main) model, put into
// the global records and arrays, with the connection lists built by the
// model-data builders themselves (local list, merge, node-copy list,
// compaction), as the model database load does.
//
//   tna_test::Network net;
//   net.node(1, 'D', 20.0).node(2, 'B', 0.0);
//   int g = net.gl(1, 2, 1.0);          // index of this conductor once built
//   net.build();
//   gar_thermalnodeheatsourcesinternal(1) = 10.0;
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/intermodel_links.h"
#include "platform/text.h"
#include "support/small_model.h"

namespace tna_test {

class Network {
 public:
  struct Node {
    int num;
    char status;
    double t;
    double q;  // internal heat source
  };
  struct Cond {
    int a, b;  // user node numbers; for GF the direction a -> b
    double g;
    char act;
  };

  Network& node(int num, char status, double t, double q = 0.0) {
    nodes_.push_back({num, status, t, q});
    return *this;
  }
  Network& fluid(int num, double t) {
    fluids_.push_back({num, 'F', t, 0.0});
    return *this;
  }
  // Conductors; the result is the handle passed to index().
  int gl(int a, int b, double g, char act = 'A') { return add(gl_, a, b, g, act); }
  int gr(int a, int b, double g, char act = 'A') { return add(gr_, a, b, g, act); }
  int gf(int from, int to, double g, char act = 'A') { return add(gf_, from, to, g, act); }
  // A tied-node group: the targets take the source's temperature.
  Network& tie(int source, std::vector<int> targets) {
    ties_.push_back({source, std::move(targets)});
    return *this;
  }

  // Global conductor index of handle h of a kind, once built.
  int gl_index(int h) const { return gl_map_.at(static_cast<std::size_t>(h)); }
  int gr_index(int h) const { return gr_map_.at(static_cast<std::size_t>(h)); }
  int gf_index(int h) const { return gf_map_.at(static_cast<std::size_t>(h)); }
  // Global thermal index of user node number num.
  int index(int num) const {
    for (std::size_t i = 0; i < nodes_.size(); ++i)
      if (nodes_[i].num == num) return static_cast<int>(i) + 1;
    return 0;
  }

  void build() {
    gar_deallocate_all();
    std::sort(nodes_.begin(), nodes_.end(), [](const Node& x, const Node& y) { return x.num < y.num; });
    std::sort(fluids_.begin(), fluids_.end(), [](const Node& x, const Node& y) { return x.num < y.num; });
    int nt = static_cast<int>(nodes_.size()), nf = static_cast<int>(fluids_.size());
    int ngl = static_cast<int>(gl_.size()), ngr = static_cast<int>(gr_.size()), ngf = static_cast<int>(gf_.size());
    const int nconds = ngl + ngr + ngf;
    int tiedwords = 4;
    for (const auto& t : ties_) tiedwords += 4 + 2 * static_cast<int>(t.second.size());
    const int l = tiedwords / 2;
    int lpcsold = 2 * (6 * nt + 4 * nconds) + l + 64;
    int lpcsth = std::max(4 * nconds, 1);
    int lpcsfluid = 2 * (5 * nf + 4 * nconds) + 16;
    const int dystor = 64;
    FLAGS = FlagsRecord{};
    ArraySizes{.dystor = dystor,
               .mdrows = md_numslots,
               .lpcsfluid = lpcsfluid,
               .lpcsth = lpcsth,
               .lpcsold = lpcsold,
               .ncc = gcc_num_all,
               .ngf = ngf,
               .nf = nf,
               .ngl = ngl,
               .ngr = ngr,
               .nm = 1,
               .nt = nt}
        .allocate();
    FLAGS(1) = nt;
    FLAGS(2) = ngl;
    FLAGS(3) = ngf;
    FLAGS(4) = ngr;
    FLAGS(24) = lpcsold;
    FLAGS(25) = l;
    FLAGS(26) = 1;
    FLAGS(28) = dystor;
    FLAGS(32) = nf;
    FLAGS(35) = lpcsfluid;

    md_level(1) = 0;
    md_subtreesize(1) = 1;
    md_thermalnodebase(2) = nt;
    md_linearcondbase(2) = ngl;
    md_fluidiccondbase(2) = ngf;
    md_radiativecondbase(2) = ngr;
    md_fluidnodebase(2) = nf;
    gar_modelnames(1) = "MAIN";
    gar_submodelnames(1) = "MAIN";

    for (int i = 1; i <= nt; ++i) {
      const Node& n = nodes_[static_cast<std::size_t>(i - 1)];
      gar_thermalnodenums(i) = n.num;
      gar_thermalnodestatuses(i) = std::string(1, n.status);
      gar_thermalnodetemps(i) = n.t;
      gar_thermalnodeheatsourcesinternal(i) = n.q;
      gar_thermalnodelabels(i) = "NODE " + std::to_string(n.num);
    }
    for (int j = 1; j <= nf; ++j) {
      gar_fluidnodenums(j) = fluids_[static_cast<std::size_t>(j - 1)].num;
      gar_fluidnodestatuses(j) = "F";
      gar_fluidnodetemps(j) = fluids_[static_cast<std::size_t>(j - 1)].t;
      gar_fluidnodemodelnums(j) = 1;
    }
    int touch[3] = {0, 0, 0};
    place(gl_, gl_map_, false, gar_linearconds, gar_linearcondacts, gar_linearcondnodepairs, touch[0]);
    place(gr_, gr_map_, false, gar_radiativeconds, gar_radiativecondacts, gar_radiativecondnodepairs, touch[1]);
    place(gf_, gf_map_, true, gar_fluidicconds, gar_fluidiccondacts, gar_fluidiccondnodepairs, touch[2]);

    // Load-time header of the integer core: no mass-flow link records.
    gar_dynamiccoreint(9) = 20;
    gar_dynamiccoreint(10) = 0;
    gar_dynamiccoreint(11) = 40;

    std::vector<int> listdir(580, 0);
    const plat::Vec1<const int> dir(listdir.data(), 580), tv(touch, 3);
    int status = 0, used = 0, fused = 0, present = 0, len = 0, fpresent = 0, flen = 0;
    SPCSA(dir, 2, 1, 2 * ngl, 2 * ngr, 2 * ngf, tv, used, present, len, status);
    ASSERT_EQ(status, 0) << "SPCSA";
    SFPCSA(dir, 2, 1, 2 * ngl, 2 * ngr, 2 * ngf, tv, fused, fpresent, flen, status);
    ASSERT_EQ(status, 0) << "SFPCSA";
    LOADUP(1, gar_modeldirectory.view(), 0, gar_dynamiccoreint.view(), status);
    ASSERT_EQ(status, 0) << "LOADUP";
    SIMPCS(present, len, fpresent, flen, 1, gar_modeldirectory.view(), lpcsold, lpcsfluid, used, fused,
           gar_dynamiccoreint.view(), status);
    ASSERT_EQ(status, 0) << "SIMPCS";

    // Tied nodes in the database form: (W, -), (groups, -), then per group
    // the source (0, -node), the count (k, -) and k targets (0, node).
    std::vector<int> tied = {tiedwords, 0, static_cast<int>(ties_.size()), 0};
    for (const auto& t : ties_) {
      tied.insert(tied.end(), {0, -t.first, static_cast<int>(t.second.size()), 0});
      for (int target : t.second) tied.insert(tied.end(), {0, target});
    }
    auto copy_list = gar_pcsthermalold.view().from(lpcsold - l + 1, l);
    SREDSP(gar_modeldirectory.view(), plat::Vec1<const int>(tied.data(), tiedwords), l, copy_list, status,
           gar_thermalnodenums.view());
    ASSERT_EQ(status, 0) << "SREDSP";
    if (l > 2) {
      LINCSP(lpcsfluid, lpcsold, nt, gar_pcsptrsthermalold.view(), copy_list, l, gar_pcsthermalold.view(), status,
             gar_pcsptrsfluid.view(), gar_pcsfluid.view());
      ASSERT_EQ(status, 0) << "LINCSP";
      std::vector<int> scratch(static_cast<std::size_t>(l));
      SUPINV(l, copy_list, plat::Vec1<int>(scratch.data(), l));
    }
    LPCSCN(lpcsold, nt, gar_thermalnodestatuses.view(), gar_pcsthermalold.view(), gar_pcsptrsthermalold.view(),
           gar_pcsthermal.view(), gar_pcsptrsthermal.view());
    built_ = true;
  }

  bool built() const { return built_; }

 private:
  int add(std::vector<Cond>& v, int a, int b, double g, char act) {
    v.push_back({a, b, g, act});
    return static_cast<int>(v.size()) - 1;
  }

  // Position of a node number in the model's node order (thermal first).
  int order_of(int num) const {
    for (std::size_t i = 0; i < nodes_.size(); ++i)
      if (nodes_[i].num == num) return static_cast<int>(i);
    for (std::size_t j = 0; j < fluids_.size(); ++j)
      if (fluids_[j].num == num) return static_cast<int>(nodes_.size() + j);
    return -1;
  }
  bool is_fluid(int num) const { return order_of(num) >= static_cast<int>(nodes_.size()); }

  // Conductor arrays in the order the builders expect: pairs sorted by their
  // first node; GL and GR pairs with the earlier node first.
  void place(std::vector<Cond> v, std::vector<int>& map, bool directed, plat::Array1<double>& vals,
             plat::Array1<plat::Text<1>>& acts, plat::Array1<std::int32_t>& pairs, int& touch) {
    for (Cond& c : v)
      if (!directed && order_of(c.a) > order_of(c.b)) std::swap(c.a, c.b);
    std::vector<int> perm(v.size());
    std::iota(perm.begin(), perm.end(), 0);
    std::stable_sort(perm.begin(), perm.end(), [&](int x, int y) { return order_of(v[x].a) < order_of(v[y].a); });
    map.assign(v.size(), 0);
    touch = 0;
    for (std::size_t k = 0; k < perm.size(); ++k) {
      const Cond& c = v[static_cast<std::size_t>(perm[k])];
      const int idx = static_cast<int>(k) + 1;
      map[static_cast<std::size_t>(perm[k])] = idx;
      vals(idx) = c.g;
      acts(idx) = std::string(1, c.act);
      pairs(2 * idx - 1) = c.a;
      pairs(2 * idx) = c.b;
      if (is_fluid(c.a) || is_fluid(c.b)) ++touch;
    }
  }

  std::vector<Node> nodes_, fluids_;
  std::vector<Cond> gl_, gr_, gf_;
  std::vector<int> gl_map_, gr_map_, gf_map_;
  std::vector<std::pair<int, std::vector<int>>> ties_;
  bool built_ = false;
};

}  // namespace tna_test

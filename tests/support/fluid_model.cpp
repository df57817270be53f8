#include "support/fluid_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <stdexcept>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/intermodel_links.h"
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "platform/text.h"
#include "support/small_model.h"
#include "support/test_model.h"

namespace tna_test {

double undefined_real() {
  double d = 0.0;
  const int marker = SKUNDF();
  std::memcpy(&d, &marker, sizeof marker);
  return d;
}

int FluidModel::submodel(const std::string& name) {
  submodels_.push_back(name);
  return static_cast<int>(submodels_.size()) + 1;
}

FluidModel& FluidModel::thermal(int num, char status, double t, double cap, int model) {
  thermal_.push_back({num, model, status, t, cap});
  return *this;
}

FluidNodeSpec& FluidModel::fluid(int num, int model) {
  FluidNodeSpec s;
  s.num = num;
  s.model = model;
  fluid_.push_back(s);
  return fluid_.back();
}

FluidNodeSpec& FluidModel::node(int num) {
  for (FluidNodeSpec& s : fluid_)
    if (s.num == num) return s;
  throw std::invalid_argument("no fluid node " + std::to_string(num));
}

int FluidModel::link(int a, int b, double flow, char status) {
  LinkSpec s;
  s.a = a;
  s.b = b;
  s.flow = flow;
  s.status = status;
  links_.push_back(s);
  return static_cast<int>(links_.size()) - 1;
}

int FluidModel::add(std::vector<CondSpec>& v, int a, int b, double g, char act) {
  v.push_back({a, b, g, act});
  return static_cast<int>(v.size()) - 1;
}

const FluidModel::NodeInfo& FluidModel::info(int num) const {
  const auto it = index_.find(num);
  if (it == index_.end()) throw std::invalid_argument("no node " + std::to_string(num));
  return it->second;
}

int FluidModel::tindex(int num) const {
  const auto it = index_.find(num);
  return it == index_.end() || it->second.fluid ? 0 : it->second.index;
}

int FluidModel::findex(int num) const {
  const auto it = index_.find(num);
  return it == index_.end() || !it->second.fluid ? 0 : it->second.index;
}

int FluidModel::global(int num) const { return findex(num) != 0 ? nt_ + findex(num) : tindex(num); }

void FluidModel::build(int dystor) {
  gar_deallocate_all();
  lschnd_reset_for_tests();
  ndssmd_reset_for_tests();
  const int nm = static_cast<int>(submodels_.size()) + 1;
  // Nodes in storage order: by model, then by user number.
  std::stable_sort(thermal_.begin(), thermal_.end(), [](const ThermalSpec& x, const ThermalSpec& y) {
    return x.model != y.model ? x.model < y.model : x.num < y.num;
  });
  std::stable_sort(fluid_.begin(), fluid_.end(), [](const FluidNodeSpec& x, const FluidNodeSpec& y) {
    return x.model != y.model ? x.model < y.model : x.num < y.num;
  });
  nt_ = static_cast<int>(thermal_.size());
  nf_ = static_cast<int>(fluid_.size());
  // Index of every node: model, kind, global index of its kind and position
  // in its model's node order (thermal nodes first, then fluid nodes).
  index_.clear();
  std::vector<int> ntm(static_cast<std::size_t>(nm) + 2, 0), seen(static_cast<std::size_t>(nm) + 2, 0);
  for (const ThermalSpec& s : thermal_) ++ntm[static_cast<std::size_t>(s.model)];
  for (std::size_t i = 0; i < thermal_.size(); ++i) {
    const ThermalSpec& s = thermal_[i];
    if (s.model < 1 || s.model > nm) throw std::invalid_argument("no model " + std::to_string(s.model));
    const int order = seen[static_cast<std::size_t>(s.model)]++;
    if (!index_.emplace(s.num, NodeInfo{s.model, false, static_cast<int>(i) + 1, order}).second)
      throw std::invalid_argument("node " + std::to_string(s.num) + " twice");
  }
  std::fill(seen.begin(), seen.end(), 0);
  for (std::size_t i = 0; i < fluid_.size(); ++i) {
    const FluidNodeSpec& s = fluid_[i];
    if (s.model < 1 || s.model > nm) throw std::invalid_argument("no model " + std::to_string(s.model));
    const int order = ntm[static_cast<std::size_t>(s.model)] + seen[static_cast<std::size_t>(s.model)]++;
    if (!index_.emplace(s.num, NodeInfo{s.model, true, static_cast<int>(i) + 1, order}).second)
      throw std::invalid_argument("node " + std::to_string(s.num) + " twice");
  }

  int nt = nt_, nf = nf_, nl = static_cast<int>(links_.size());
  int ngl = static_cast<int>(gl_.size()), ngr = static_cast<int>(gr_.size()), ngf = static_cast<int>(gf_.size());
  const int nconds = ngl + ngr + ngf;
  const int tiedwords = 4, lcopy = tiedwords / 2;
  int lpcsold = 2 * (6 * nt + 4 * nconds) + lcopy + 64;
  int lpcsth = std::max(4 * nconds, 1);
  int lpcsfluid = 2 * (5 * nf + 4 * nl + 2 * nconds) + 16;
  if (dystor < 64) dystor = 64;
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
             .nl = nl,
             .ngr = ngr,
             .nm = nm,
             .nt = nt}
      .allocate();
  FLAGS(1) = nt;
  FLAGS(2) = ngl;
  FLAGS(3) = ngf;
  FLAGS(4) = ngr;
  FLAGS(24) = lpcsold;
  FLAGS(25) = lcopy;
  FLAGS(26) = nm;
  FLAGS(28) = dystor;
  FLAGS(32) = nf;
  FLAGS(33) = nl;
  FLAGS(35) = lpcsfluid;

  // Conductors and links by model, in the order the builders expect: pairs
  // sorted by the position of their first node; GL and GR pairs with the
  // earlier node first.
  struct Placed {
    int handle;
    CondSpec c;
  };
  auto by_model = [&](std::vector<CondSpec> v, bool directed, int m) {
    std::vector<Placed> out;
    for (std::size_t h = 0; h < v.size(); ++h) {
      CondSpec c = v[h];
      if (info(c.a).model != m || info(c.b).model != m) continue;
      if (!directed && info(c.a).order > info(c.b).order) std::swap(c.a, c.b);
      out.push_back({static_cast<int>(h), c});
    }
    std::stable_sort(out.begin(), out.end(),
                     [&](const Placed& x, const Placed& y) { return info(x.c.a).order < info(y.c.a).order; });
    return out;
  };
  // Inter-model conductors, read with the lower-numbered of their two models
  // after that model's own conductors, in the order they were added.
  auto links_of = [&](const std::vector<CondSpec>& v, int m) {
    std::vector<Placed> out;
    for (std::size_t h = 0; h < v.size(); ++h) {
      const int ma = info(v[h].a).model, mb = info(v[h].b).model;
      if (ma != mb && std::min(ma, mb) == m) out.push_back({static_cast<int>(h), v[h]});
    }
    return out;
  };

  // Model directory: the main model holds every submodel as a child.
  int tbase = 0, fbase = 0, lbase = 0, cbase[3] = {0, 0, 0};
  std::vector<std::vector<Placed>> placed[3], linked[3];
  std::vector<std::vector<int>> model_links(static_cast<std::size_t>(nm) + 1);
  for (int k = 0; k < 3; ++k) {
    placed[k].resize(static_cast<std::size_t>(nm) + 1);
    linked[k].resize(static_cast<std::size_t>(nm) + 1);
  }
  for (std::size_t h = 0; h < links_.size(); ++h) {
    const int m = info(links_[h].a).model;
    if (info(links_[h].b).model != m) throw std::invalid_argument("a link joins two models");
    model_links[static_cast<std::size_t>(m)].push_back(static_cast<int>(h));
  }
  gl_map_.assign(gl_.size(), 0);
  gr_map_.assign(gr_.size(), 0);
  gf_map_.assign(gf_.size(), 0);
  link_map_.assign(links_.size(), 0);
  for (int m = 1; m <= nm; ++m) {
    md_level(m) = m == 1 ? 0 : 1;
    md_subtreesize(m) = m == 1 ? nm : 1;
    md_thermalnodebase(m) = tbase;
    md_fluidnodebase(m) = fbase;
    md_massflowlinkbase(m) = lbase;
    md_linearcondbase(m) = cbase[0];
    md_radiativecondbase(m) = cbase[1];
    md_fluidiccondbase(m) = cbase[2];
    for (const ThermalSpec& s : thermal_) tbase += s.model == m;
    for (const FluidNodeSpec& s : fluid_) fbase += s.model == m;
    lbase += static_cast<int>(model_links[static_cast<std::size_t>(m)].size());
    placed[0][static_cast<std::size_t>(m)] = by_model(gl_, false, m);
    placed[1][static_cast<std::size_t>(m)] = by_model(gr_, false, m);
    placed[2][static_cast<std::size_t>(m)] = by_model(gf_, true, m);
    linked[0][static_cast<std::size_t>(m)] = links_of(gl_, m);
    linked[1][static_cast<std::size_t>(m)] = links_of(gr_, m);
    linked[2][static_cast<std::size_t>(m)] = links_of(gf_, m);
    for (int k = 0; k < 3; ++k)
      cbase[k] += static_cast<int>(placed[k][static_cast<std::size_t>(m)].size() +
                                   linked[k][static_cast<std::size_t>(m)].size());
    const std::string name = m == 1 ? "MAIN" : submodels_[static_cast<std::size_t>(m - 2)];
    gar_modelnames(m) = name;
    gar_submodelnames(m) = name;
    gar_modelstatuses(m) = "A";
  }
  md_thermalnodebase(nm + 1) = tbase;
  md_fluidnodebase(nm + 1) = fbase;
  md_massflowlinkbase(nm + 1) = lbase;
  md_linearcondbase(nm + 1) = cbase[0];
  md_radiativecondbase(nm + 1) = cbase[1];
  md_fluidiccondbase(nm + 1) = cbase[2];

  for (int i = 1; i <= nt; ++i) {
    const ThermalSpec& s = thermal_[static_cast<std::size_t>(i - 1)];
    gar_thermalnodenums(i) = s.num;
    gar_thermalnodestatuses(i) = std::string(1, s.status);
    gar_thermalnodetemps(i) = s.t;
    gar_thermalnodecapacitances(i) = s.cap;
    gar_thermalnodelabels(i) = "NODE " + std::to_string(s.num);
  }
  for (int j = 1; j <= nf; ++j) {
    const FluidNodeSpec& s = fluid_[static_cast<std::size_t>(j - 1)];
    gar_fluidnodenums(j) = s.num;
    gar_fluidnodemodelnums(j) = s.model;
    gar_fluidnodelabels(j) = s.label.empty() ? "FLUID " + std::to_string(s.num) : s.label;
    gar_fluidnodestatuses(j) = std::string(1, s.status);
    gar_fluidnodefluidtypes(j) = s.fluid;
    gar_fluidnodestatedescriptors(j) = s.fst;
    gar_fluidnodeflowregimes(j) = "";
    gar_fluidnodevolumecontrolflags(j) = std::string(1, s.vcf);
    gar_fluidnodetemps(j) = s.t;
    gar_fluidnodepressures(j) = s.p;
    gar_fluidnodespecenthalpies(j) = s.fe;
    gar_fluidnodevapourqualities(j) = s.vq;
    gar_fluidnodehydraulicdiameters(j) = s.fd;
    gar_fluidnodelengths(j) = s.fl;
    gar_fluidnodeflowareas(j) = s.fla;
    gar_fluidnodevolumes(j) = s.vol;
    gar_fluidnodewallroughnesses(j) = s.ff;
    gar_fluidnodeheattransferareas(j) = s.area;
    gar_fluidnodecoordsx(j) = s.fx;
    gar_fluidnodecoordsy(j) = s.fy;
    gar_fluidnodecoordsz(j) = s.fz;
    gar_fluidnodeheatsources(j) = s.fq;
    gar_fluidnodemassflowsources(j) = s.fm;
    gar_fluidnodemasssourcetemps(j) = s.fr;
    gar_fluidnodemasssourcespecenthalpies(j) = s.fh;
    gar_fluidnodemasssourcespechumidities(j) = s.fw;
    gar_fluidnoderelhumidities(j) = s.phi;
    gar_fluidnodespechumidities(j) = s.w;
    gar_fluidnodewatervapoursinkrates(j) = s.sink;
    gar_fluidnodecompliances(j) = s.cmp;
    gar_fluidnodevolumechangerates(j) = s.vdt;
  }

  // Load-time header of the integer core: the areas of the inter-model link
  // records of GL, GR and GF (start word, words used; five words a record),
  // then the mass-flow link area, which stays empty.
  std::int64_t nlinked[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k)
    for (const auto& v : linked[k]) nlinked[k] += static_cast<std::int64_t>(v.size());
  gar_dynamiccoreint(9) = 20;
  gar_dynamiccoreint(10) = 0;
  gar_dynamiccoreint(11) = 40;
  {
    std::int64_t at = 41;
    for (int k = 0; k < 3; ++k) {
      gar_dynamiccoreint(2 * k + 1) = static_cast<int>(at);
      gar_dynamiccoreint(2 * k + 2) = 0;
      at += 5 * nlinked[k];
    }
    if (at > 41 && at + 6LL * (nt + nf) > dystor) throw std::invalid_argument("dystor too small for the inter-model links");
  }

  std::vector<int> listdir(580, 0);
  const plat::Vec1<const int> dir(listdir.data(), 580);
  int used = 0, fused = 0, status = 0;
  plat::Array1<double>* vals[3] = {&gar_linearconds, &gar_radiativeconds, &gar_fluidicconds};
  plat::Array1<plat::Text<1>>* acts[3] = {&gar_linearcondacts, &gar_radiativecondacts, &gar_fluidiccondacts};
  plat::Array1<std::int32_t>* pairs[3] = {&gar_linearcondnodepairs, &gar_radiativecondnodepairs,
                                          &gar_fluidiccondnodepairs};
  std::vector<int>* maps[3] = {&gl_map_, &gr_map_, &gf_map_};
  const int md_base_slot[3] = {md_linearcondbase, md_radiativecondbase, md_fluidiccondbase};
  for (int m = 1; m <= nm; ++m) {
    int touch[3] = {0, 0, 0}, words[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
      const auto& list = placed[k][static_cast<std::size_t>(m)];
      const int base = gar_modeldirectory(md_base_slot[k], m);
      for (std::size_t q = 0; q < list.size(); ++q) {
        const CondSpec& c = list[q].c;
        const int local = static_cast<int>(q) + 1, idx = base + local;
        (*maps[k])[static_cast<std::size_t>(list[q].handle)] = idx;
        (*vals[k])(idx) = c.g;
        (*acts[k])(idx) = std::string(1, c.act);
        (*pairs[k])(2 * local - 1) = c.a;
        (*pairs[k])(2 * local) = c.b;
        if (info(c.a).fluid || info(c.b).fluid) ++touch[k];
      }
      words[k] = 2 * static_cast<int>(list.size());
    }
    const auto& ml = model_links[static_cast<std::size_t>(m)];
    for (std::size_t q = 0; q < ml.size(); ++q) {
      const LinkSpec& s = links_[static_cast<std::size_t>(ml[q])];
      const int idx = md_massflowlinkbase(m) + static_cast<int>(q) + 1;
      link_map_[static_cast<std::size_t>(ml[q])] = idx;
      gar_massflowlinkcondnodepairs(2 * idx - 1) = s.a;
      gar_massflowlinkcondnodepairs(2 * idx) = s.b;
      gar_massflowlinkflowrates(idx) = s.flow;
      gar_massflowlinkstatuses(idx) = std::string(1, s.status);
      gar_massflowlinkfittinglosses(idx) = s.gp;
      gar_massflowlinktypes(idx) = s.type;
    }
    // The model's inter-model conductors: values after its own, and their
    // records (model relative to m, node, model relative to m, node) widened
    // as the load widens them (a GF keeps its direction in its sign).
    for (int k = 0; k < 3; ++k) {
      const auto& list = linked[k][static_cast<std::size_t>(m)];
      if (list.empty()) continue;
      const int n = static_cast<int>(list.size());
      const int first = gar_modeldirectory(md_base_slot[k], m) +
                        static_cast<int>(placed[k][static_cast<std::size_t>(m)].size()) + 1;
      for (int q = 0; q < n; ++q) {
        const CondSpec& c = list[static_cast<std::size_t>(q)].c;
        (*maps[k])[static_cast<std::size_t>(list[static_cast<std::size_t>(q)].handle)] = first + q;
        (*vals[k])(first + q) = c.g;
        (*acts[k])(first + q) = std::string(1, c.act);
      }
      const std::int64_t start = gar_dynamiccoreint(2 * k + 1) + gar_dynamiccoreint(2 * k + 2);
      plat::Vec1<int> area = gar_dynamiccoreint.view().from(start, 5LL * n);
      for (int q = 0; q < n; ++q) {
        const CondSpec& c = list[static_cast<std::size_t>(q)].c;
        area(n + 4 * q + 1) = info(c.a).model - m;
        area(n + 4 * q + 2) = c.a;
        area(n + 4 * q + 3) = info(c.b).model - m;
        area(n + 4 * q + 4) = c.b;
      }
      SLKMOD(k == 2 ? 1 : 0, n + 1, first, 5 * n, n, m, area, status);
      ASSERT_EQ(status, 0) << "SLKMOD, model " << m;
      gar_dynamiccoreint(2 * k + 2) += 5 * n;
    }
    const plat::Vec1<const int> tv(touch, 3);
    int present = 0, len = 0, fpresent = 0, flen = 0;
    SPCSA(dir, 2, m, words[0], words[1], words[2], tv, used, present, len, status);
    ASSERT_EQ(status, 0) << "SPCSA, model " << m;
    SFPCSA(dir, 2, m, words[0], words[1], words[2], tv, fused, fpresent, flen, status);
    ASSERT_EQ(status, 0) << "SFPCSA, model " << m;
    LOADUP(m, gar_modeldirectory.view(), 0, gar_dynamiccoreint.view(), status);
    ASSERT_EQ(status, 0) << "LOADUP, model " << m;
    SIMPCS(present, len, fpresent, flen, m, gar_modeldirectory.view(), lpcsold, lpcsfluid, used, fused,
           gar_dynamiccoreint.view(), status);
    ASSERT_EQ(status, 0) << "SIMPCS, model " << m;
  }

  // The inter-model conductors into the finished lists, as the load does it.
  if (nlinked[0] + nlinked[1] + nlinked[2] > 0) {
    auto core = gar_dynamiccoreint.view();
    SLKALL(dystor, gar_modeldirectory.view(), nm, nf, nt, gar_thermalnodenums.view(), gar_fluidnodenums.view(),
           CTextVec1(gar_modelnames), core, status);
    ASSERT_EQ(status, 0) << "SLKALL";
    SLKPTS(dystor, nf, nt, core, status);
    ASSERT_EQ(status, 0) << "SLKPTS";
    if (nt > 0) {
      SLKCTR(dystor, lpcsold, used, nf, nt, core, gar_pcsthermalold.view(), gar_pcsptrsthermalold.view(), status);
      ASSERT_EQ(status, 0) << "SLKCTR";
    }
    if (nf > 0) {
      SFLCTR(dystor, lpcsfluid, fused, nf, nt, core, gar_pcsfluid.view(), gar_pcsptrsfluid.view(), status);
      ASSERT_EQ(status, 0) << "SFLCTR";
    }
  }

  // An empty node-copy list: (W, -), (no groups, -).
  const int tied[tiedwords] = {tiedwords, 0, 0, 0};
  auto copy_list = gar_pcsthermalold.view().from(lpcsold - lcopy + 1, lcopy);
  SREDSP(gar_modeldirectory.view(), plat::Vec1<const int>(tied, tiedwords), lcopy, copy_list, status,
         gar_thermalnodenums.view());
  ASSERT_EQ(status, 0) << "SREDSP";
  LPCSCN(lpcsold, nt, gar_thermalnodestatuses.view(), gar_pcsthermalold.view(), gar_pcsptrsthermalold.view(),
         gar_pcsthermal.view(), gar_pcsptrsthermal.view());

  std::fill(gar_dynamiccorereal.begin(), gar_dynamiccorereal.end(), 0.0);
  std::fill(gar_dynamiccoreint.begin(), gar_dynamiccoreint.end(), 0);
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = 1;
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = 1;
}

// ---- Shapes -------------------------------------------------------------

FluidModel chain(int n) {
  FluidModel fm;
  for (int i = 1; i <= n; ++i) fm.fluid(i);
  for (int i = 1; i < n; ++i) fm.link(i, i + 1, 0.01);
  return fm;
}

FluidModel ring(int n, bool j_node) {
  FluidModel fm = chain(n);
  fm.link(n, 1, 0.01);
  if (j_node) fm.node(1).status = 'J';
  return fm;
}

FluidModel branch() {
  FluidModel fm;
  for (int i = 1; i <= 6; ++i) fm.fluid(i);
  fm.node(1).status = 'R';
  fm.node(6).status = 'J';
  fm.link(1, 2, 0.02);
  fm.link(2, 3, 0.01);
  fm.link(2, 4, 0.01);
  fm.link(3, 5, 0.01);
  fm.link(4, 5, 0.01);
  fm.link(5, 6, 0.02);
  return fm;
}

FluidModel evaporator(int n) {
  FluidModel fm;
  for (int i = 1; i <= n; ++i) {
    FluidNodeSpec& s = fm.fluid(i);
    s.p = 1.0e5;
    if (i == 1) {
      s.status = 'R';
      s.t = 80.0;
    } else {
      s.fst = "P&VQ";
      s.vq = static_cast<double>(i - 1) / n;
    }
    if (i == n) s.status = 'J';
  }
  for (int i = 1; i <= n; ++i) {
    fm.thermal(100 + i, 'B', 150.0);
    fm.gl(100 + i, i, 50.0);
  }
  for (int i = 1; i < n; ++i) fm.link(i, i + 1, 0.005);
  return fm;
}

FluidModel humid_duct(int n) {
  FluidModel fm;
  fm.thermal(100, 'B', 5.0);
  for (int i = 1; i <= n; ++i) {
    FluidNodeSpec& s = fm.fluid(i);
    s.fluid = "AIRW";
    s.t = 25.0;
    s.p = 1.01325e5;
    s.phi = 0.6;
    s.fd = 0.1;
    if (i == 1) s.status = 'R';
    if (i == n) s.status = 'J';
  }
  for (int i = 1; i <= n; ++i) fm.gl(100, i, 2.0);
  for (int i = 1; i < n; ++i) fm.link(i, i + 1, 0.05);
  return fm;
}

// ---- Control constants ----------------------------------------------------

void fluid_controls() {
  GLOR.TABS = 273.15;
  GLOR.PABS = 0.0;
  GLOR.STEFAN = 5.670374e-8;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 10.0;
  GLOR.TIMEN = 0.0;
  GLOR.TIMEM = 0.0;
  GLOR.OUTINT = 5.0;
  GLOR.DTIMEI = 1.0;
  GLOR.DTIMEU = 0.0;
  GLOR.DTMIN = 1.0e-6;
  GLOR.DTMAX = 10.0;
  GLOR.DTPMAX = 1.0e10;
  GLOI.NLOOP = 100;
  GLOI.NLOOPH = 0;
  GLOI.NLOOPT = 0;
  GLOI.LOOPCT = 0;
  GLOR.RELXCA = 1.0e-4;
  GLOR.FRLXCA = 1.0e-4;
  GLOR.RELXMA = 1.0e-6;
  GLOR.RELXCC = 0.0;
  GLOR.FRLXCC = 0.0;
  GLOR.RELXMC = 0.0;
  GLOI.NRLXCC = 0;
  GLOI.NFRLXC = 0;
  GLOI.NRLXMC = 0;
  GLOR.DAMPT = 1.0;
  GLOR.DAMPM = 1.0;
  GLOR.MINFLO = 0.0;
  GLOR.MINDP = 0.0;
  GLOR.GRAVX = 0.0;
  GLOR.GRAVY = 0.0;
  GLOR.GRAVZ = 0.0;
  GLOR.CSGMIN = 0.0;
  GLOR.FCSGMN = 0.0;
  GLOR.DTCOUR = 0.0;
  GLOR.RLCOUR = 0.0;
  GLOI.NCSGMN = 0;
  GLOI.FNCSGM = 0;
  GLOI.SUMFLL = 0;
  GLOI.SUMTHL = 0;
  GLOI.FSTEPS = 1;
  GLOR.DTIMIF = 0.0;
  GLOR.DTIMUT = 0.0;
  GLOR.TIMENT = 0.0;
  GLOR.TIMEOT = 0.0;
  GLOI.METHOD = 0;
  GLOI.MLEVEL = 0;
  GLOI.MSHORT = 0;
  GLOI.TRACE = 0;
  GLOC.MODULE = "";
  GLOC.SOLVER = "";
  GLOC.SOLTYP = "";
  GLOC.QTRSOL = "YES";
  GLOC.TIMELA = "NO";
  GLOC.OUTIME = "ALL";
}

// ---- Block recorder ---------------------------------------------------------

namespace {

BlockCall call_of(const char* block) {
  return {block, std::string(plat::trimmed(GLOC.SOLTYP.view())), GLOR.TIMEO, GLOR.TIMEN};
}

}  // namespace

void BlockLog::install() {
  model.initial = [this] {
    calls.push_back(call_of("INITIAL"));
    if (initial) initial();
  };
  model.variables1 = [this] {
    calls.push_back(call_of("VARIABLES1"));
    if (variables1) variables1();
  };
  model.variables2 = [this] {
    calls.push_back(call_of("VARIABLES2"));
    if (variables2) variables2();
  };
  model.outputs = [this] {
    calls.push_back(call_of("OUTPUTS"));
    if (outputs) outputs();
  };
}

int BlockLog::count(std::string_view block) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [&](const BlockCall& c) { return c.block == block; }));
}

int BlockLog::count(std::string_view block, std::string_view soltyp) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                        [&](const BlockCall& c) { return c.block == block && c.soltyp == soltyp; }));
}

}  // namespace tna_test

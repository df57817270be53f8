// Work space of the hydraulic solution for tests: owns the vectors of an
// FlHydraulics and the ordering of FPNTRS for the built model.
#pragma once

#include <cstdint>
#include <vector>

#include "fluid/hydraulics.h"
#include "fluid/ordering.h"

namespace fluid_test {

class HydraulicStore {
 public:
  explicit HydraulicStore(const FlNetwork& net) {
    const std::size_t nf = static_cast<std::size_t>(net.nf1), nl = static_cast<std::size_t>(net.nl1);
    block_.assign(5 * nf, 0);
    w.ord = fl_ordering(FlInts(block_.data(), static_cast<std::int64_t>(block_.size())), net.nf);
    FPNTRS(net, w.ord);
    for (auto* v : {&hrho_, &hvisc_, &hpsol_, &bvec_, &vrate_}) v->assign(nf, 0.0);
    for (auto* v : {&hcp_, &hc0_}) v->assign(nl, 0.0);
    hflg_.assign(nl, 7);
    amat_.assign(static_cast<std::size_t>(std::max(w.ord.lprof, 1)), 0.0);
    auto R = [](std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); };
    w.hrho = R(hrho_);
    w.hvisc = R(hvisc_);
    w.hpsol = R(hpsol_);
    w.hcp = R(hcp_);
    w.hc0 = R(hc0_);
    w.hflg = FlInts(hflg_.data(), static_cast<std::int64_t>(hflg_.size()));
    w.amat = R(amat_);
    w.bvec = R(bvec_);
    w.vrate = R(vrate_);
  }
  HydraulicStore(const HydraulicStore&) = delete;
  HydraulicStore& operator=(const HydraulicStore&) = delete;

  // Value of matrix entry (r, q) in solver order.
  double entry(int r, int q) const { return amat_[static_cast<std::size_t>(w.ord.id(r) + q - r - 1)]; }

  FlHydraulics w;

 private:
  std::vector<std::int32_t> block_, hflg_;
  std::vector<double> hrho_, hvisc_, hpsol_, hcp_, hc0_, amat_, bvec_, vrate_;
};

}  // namespace fluid_test

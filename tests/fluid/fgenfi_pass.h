// Work space of the two-phase pass kernels for tests: owns the vectors of an
// FgPass and lays out the ordering of the node equations as the two-phase
// driver does (breadth-first along the links, loop by loop, with the last row
// of every loop reaching back to the loop's first column), derived here from
// FPNTRS, whose walk is the same.
#pragma once

#include <cstdint>
#include <vector>

#include "fluid/fgenfi_work.h"
#include "fluid/ordering.h"

namespace fluid_test {

class PassStore {
 public:
  explicit PassStore(const FlNetwork& net) {
    const int nf = net.nf1, nl = net.nl1;
    std::vector<std::int32_t> block(5 * static_cast<std::size_t>(nf));
    FlOrdering o = fl_ordering(FlInts(block.data(), static_cast<std::int64_t>(block.size())), net.nf);
    FPNTRS(net, o);
    perm_.assign(o.perm.data(), o.perm.data() + net.nf);
    pos_.assign(o.pos.data(), o.pos.data() + net.nf);
    ir_.assign(o.ir.data(), o.ir.data() + net.nf);
    ju_.assign(o.jl.data(), o.jl.data() + net.nf);
    jl_ = ju_;
    // Loop ends: the row before each new part, and the last row.
    loopend_.clear();
    for (int r = 1; r <= net.nf; ++r)
      if (r == net.nf || ju_[r] == r + 1) loopend_.push_back(r);
    int s = 1;
    for (int e : loopend_) {
      jl_[e - 1] = s;
      s = e + 1;
    }
    id_.assign(static_cast<std::size_t>(net.nf), 1);
    for (int r = 2; r <= net.nf; ++r) id_[r - 1] = id_[r - 2] + (ir_[r - 2] - (r - 1)) + (r - jl_[r - 1]) + 1;
    const int lprof = net.nf > 0 ? id_[net.nf - 1] : 0;
    lnkflg_.assign(static_cast<std::size_t>(nl), 1);
    reals_.assign(kNodeVectors, std::vector<double>(static_cast<std::size_t>(nf), 0.0));
    links_.assign(kLinkVectors, std::vector<double>(static_cast<std::size_t>(nl), 0.0));
    amat_.assign(static_cast<std::size_t>(std::max(lprof, 1)), 0.0);
    loopmass_.assign(std::max<std::size_t>(loopend_.size(), 1), 0.0);

    auto I = [](std::vector<std::int32_t>& v) { return FlInts(v.data(), static_cast<std::int64_t>(v.size())); };
    auto R = [](std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); };
    w.perm = I(perm_);
    w.pos = I(pos_);
    w.ju = I(ju_);
    w.ir = I(ir_);
    w.id = I(id_);
    w.jl = I(jl_);
    w.loopend = I(loopend_);
    w.nlp = static_cast<int>(loopend_.size());
    w.lprof = lprof;
    w.lnkflg = I(lnkflg_);
    FlReals* node[kNodeVectors] = {&w.drdp, &w.drdh, &w.rhoold, &w.rho,   &w.pold,
                                   &w.pnew, &w.hold, &w.hnew,   &w.vrate, &w.bvec};
    for (int i = 0; i < kNodeVectors; ++i) *node[i] = R(reals_[static_cast<std::size_t>(i)]);
    FlReals* link[kLinkVectors] = {&w.mold, &w.lnkcp, &w.lnkc1, &w.lnkc2, &w.lnkc0};
    for (int i = 0; i < kLinkVectors; ++i) *link[i] = R(links_[static_cast<std::size_t>(i)]);
    w.amat = R(amat_);
    w.loopmass = R(loopmass_);
  }
  PassStore(const PassStore&) = delete;
  PassStore& operator=(const PassStore&) = delete;

  FgPass w;

 private:
  static constexpr int kNodeVectors = 10, kLinkVectors = 5;
  std::vector<std::int32_t> perm_, pos_, ju_, ir_, id_, jl_, loopend_, lnkflg_;
  std::vector<std::vector<double>> reals_, links_;
  std::vector<double> amat_, loopmass_;
};

}  // namespace fluid_test

// Speed of the hydraulic solution of the single-phase fluid-loop routines on
// a branched network.
//
// A seeded generator builds a manifold of about n fluid nodes (10,000 unless
// given on the command line): a supply header and a return header of B nodes
// each, held at 3.0E5 Pa at the supply inlet and 2.0E5 Pa at the return
// outlet, joined by B branches of pipe nodes of random length and diameter.
// Water is taken at a vapour quality of 1e-9 (the saturated liquid's density
// and viscosity; the single-phase liquid density of water is not in this
// build's property library). FLHYSL solves it from a rough first guess;
// then, on the converged state, one pass is timed by parts: density and
// viscosity of every node, assembly (FLHYCF), profile factorisation and
// substitution (FHSKSV), new flows (FLMSFL). The same assembled pressure
// matrix is solved by a general sparse LDL^T (Eigen's SimplicialLDLT with
// its own fill-reducing ordering) and by the same in the project's own
// order (NaturalOrdering on the matrix in solver order: the same fill as the
// profile, so that the ratio measures the kernels alone); the last lines
// print the ratio of the profile solve to each of them per pass. A hash of
// every pressure and flow after the solution and after the timed passes
// checks that a change left the results as they were.
//
// This program is its own model program: it supplies the five blocks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench/support/clock.h"
#include "bench/support/state_hash.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "fluid/fluid_network.h"
#include "fluid/hydraulics.h"
#include "fluid/ordering.h"
#include "fluid/profile_solver.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "properties/properties.h"

#include "bench/support/sparse_reference.h"

namespace {

using bench::Clock;
using bench::seconds_since;

constexpr double kPi = 3.1415927;
constexpr double kQuality = 1.0e-9;

struct Link {
  int a, b;
};

// Fills the global arrays with the manifold and its fluid connection list.
void generate(int n, unsigned seed, int& branches) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  const int b = std::max(2, static_cast<int>(std::lround(std::sqrt(n / 6.0))));
  branches = b;
  // Branch lengths of about (n - 2b) / b nodes, +-20 %, the last one taking
  // what is left so that the network has n nodes (at least one per branch).
  const int inner = std::max(b, n - 2 * b);
  std::vector<int> lengths(static_cast<std::size_t>(b));
  int left = inner;
  for (int j = 0; j < b; ++j) {
    const int per = left / (b - j);
    lengths[static_cast<std::size_t>(j)] =
        j + 1 == b ? left : std::max(1, per + static_cast<int>(std::lround((uni(rng) - 0.5) * per * 0.4)));
    left -= lengths[static_cast<std::size_t>(j)];
    if (left < b - j - 1) {  // keep one node for each branch still to come
      lengths[static_cast<std::size_t>(j)] -= (b - j - 1) - left;
      left = b - j - 1;
    }
  }
  int nf = 2 * b;
  std::vector<Link> links;
  // Supply header 1..b, return header b + 1..2b.
  for (int i = 1; i < b; ++i) links.push_back({i, i + 1});
  for (int i = 1; i < b; ++i) links.push_back({b + i, b + i + 1});
  std::vector<double> diameter(1, 0.0);
  for (int i = 1; i <= 2 * b; ++i) diameter.push_back(0.05);
  for (int j = 1; j <= b; ++j) {
    const double d = 0.01 + 0.01 * uni(rng);
    int prev = j;
    for (int k = 0; k < lengths[static_cast<std::size_t>(j - 1)]; ++k) {
      ++nf;
      diameter.push_back(d);
      links.push_back({prev, nf});
      prev = nf;
    }
    links.push_back({prev, b + j});
  }
  int nl = static_cast<int>(links.size());
  std::vector<std::vector<std::pair<int, int>>> adj(static_cast<std::size_t>(nf) + 1);
  for (int l = 1; l <= nl; ++l) {
    const Link& k = links[static_cast<std::size_t>(l - 1)];
    adj[static_cast<std::size_t>(k.a)].push_back({k.b, l});
    adj[static_cast<std::size_t>(k.b)].push_back({k.a, l});
  }
  int lpcsfluid = 4 * nl + 4 * nf, zero = 0, one = 1, dystor = 16, mdrows = md_numslots, ncc = gcc_num_all;
  gar_deallocate_all();
  gar_allocate(zero, dystor, mdrows, lpcsfluid, zero, zero, zero, ncc, zero, zero, zero, zero, zero, nf, zero, zero,
               zero, nl, zero, zero, zero, zero, one, zero, zero, zero, zero, zero);
  FLAGS(26) = 1;
  FLAGS(32) = nf;
  FLAGS(33) = nl;
  FLAGS(35) = lpcsfluid;
  md_fluidnodebase(2) = nf;
  md_massflowlinkbase(2) = nl;
  gar_modelnames(1) = "MANIFOLD";
  for (int i = 1; i <= nf; ++i) {
    gar_fluidnodenums(i) = i;
    gar_fluidnodemodelnums(i) = 1;
    gar_fluidnodestatuses(i) = "F";
    gar_fluidnodefluidtypes(i) = "WATER";
    gar_fluidnodevolumecontrolflags(i) = "A";
    gar_fluidnodetemps(i) = 20.0 + 40.0 * uni(rng);
    gar_fluidnodepressures(i) = 2.5e5;
    gar_fluidnodevapourqualities(i) = kQuality;
    const double d = diameter[static_cast<std::size_t>(i)];
    gar_fluidnodehydraulicdiameters(i) = d;
    gar_fluidnodelengths(i) = 0.5 + uni(rng);
    gar_fluidnodeflowareas(i) = d * (kPi * d) * 0.25;
    gar_fluidnodevolumes(i) = gar_fluidnodeflowareas(i) * gar_fluidnodelengths(i);
    gar_fluidnodewallroughnesses(i) = 2.0e-5;
    gar_fluidnodecoordsz(i) = uni(rng);
  }
  gar_fluidnodestatuses(1) = "J";
  gar_fluidnodepressures(1) = 3.0e5;
  gar_fluidnodestatuses(2 * b) = "J";
  gar_fluidnodepressures(2 * b) = 2.0e5;
  for (int l = 1; l <= nl; ++l) {
    const Link& k = links[static_cast<std::size_t>(l - 1)];
    gar_massflowlinkcondnodepairs(2 * l - 1) = k.a;
    gar_massflowlinkcondnodepairs(2 * l) = k.b;
    gar_massflowlinkstatuses(l) = "A";
    gar_massflowlinktypes(l) = 1;
    gar_massflowlinkfittinglosses(l) = 2.0;
    gar_massflowlinkflowrates(l) = 0.05;  // a rough first guess
  }
  int w = 1;
  for (int i = 1; i <= nf; ++i) {
    gar_pcsptrsfluid(i) = w;
    for (const auto& e : adj[static_cast<std::size_t>(i)]) {
      gar_pcsfluid(w++) = e.first;
      gar_pcsfluid(w++) = e.second;
    }
    for (int s = 0; s < 4; ++s) gar_pcsfluid(w++) = 0;
  }
}

void set_constants() {
  SLDINC();
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
  GLOR.TABS = 273.15;
  GLOR.PABS = 0.0;
  GLOR.DAMPM = 0.5;
  GLOR.MINDP = 1.0e-3;
  GLOR.MINFLO = 1.0e-9;
  GLOR.RELXMA = 1.0e-8;
  GLOR.GRAVZ = 9.81;
  GLOI.NLOOPH = 500;
  GLOI.MLEVEL = 3;  // no boxes in the timing
  GLOC.MODULE = "FLTNTS";
}

void run(int n) {
  int b = 0;
  generate(n, 4242u + static_cast<unsigned>(n), b);
  set_constants();
  const FlNetwork net = fl_network();
  const int nf = net.nf, nl = net.nl;

  std::vector<std::int32_t> block(5 * static_cast<std::size_t>(nf)), hflg(static_cast<std::size_t>(nl));
  FlHydraulics w;
  auto t0 = Clock::now();
  w.ord = fl_ordering(FlInts(block.data(), static_cast<std::int64_t>(block.size())), nf);
  FPNTRS(net, w.ord);
  const double t_order = seconds_since(t0);
  const int lprof = w.ord.lprof;
  std::vector<double> hrho(nf), hvisc(nf), hpsol(nf), bvec(nf), vrate(nf, 0.0), hcp(nl), hc0(nl);
  std::vector<double> amat(static_cast<std::size_t>(lprof), 0.0);
  auto R = [](std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); };
  w.hrho = R(hrho);
  w.hvisc = R(hvisc);
  w.hpsol = R(hpsol);
  w.bvec = R(bvec);
  w.vrate = R(vrate);
  w.hcp = R(hcp);
  w.hc0 = R(hc0);
  w.amat = R(amat);
  w.hflg = FlInts(hflg.data(), nl);

  int ierr = 0, converged = 0, passes = 0;
  t0 = Clock::now();
  FLHYSL(net, w, 0, ierr, converged, passes);
  const double total = seconds_since(t0);
  const std::uint64_t solved = bench::state_hash();
  double flow_in = 0.0;
  for (int l = 1; l <= nl; ++l)
    if (net.first(l) == 1) flow_in += net.m(l);

  // One pass by parts on the converged state.
  const int reps = nf >= 50000 ? 3 : 20;
  double t_prop = 0, t_asm = 0, t_solve = 0, t_flow = 0;
  for (int r = 0; r < reps; ++r) {
    t0 = Clock::now();
    for (int i = 1; i <= nf; ++i) {
      const int code = net.fluid_code(i);
      w.hvisc(i) = XVISC(net.p(i), net.tf(i), net.vq(i), code, net.global(i));
      w.hrho(i) = XRHO(net.p(i), net.tf(i), net.vq(i), code, net.global(i));
    }
    t_prop += seconds_since(t0);
    t0 = Clock::now();
    FLHYCF(net, w, 0);
    t_asm += seconds_since(t0);
    t0 = Clock::now();
    double dmax = 0.0;
    int node = 0;
    plat::Text<6> routine;
    FHSKSV(w.amat, nf, lprof, w.bvec, w.hpsol, dmax, node, routine, w.ord);
    t_solve += seconds_since(t0);
    for (int i = 1; i <= nf; ++i) net.p(i) = w.hpsol(i);
    t0 = Clock::now();
    FLMSFL(net, w);
    t_flow += seconds_since(t0);
  }
  const std::uint64_t after_passes = bench::state_hash();
  t_prop /= reps;
  t_asm /= reps;
  t_solve /= reps;
  t_flow /= reps;
  std::printf("%8d nodes  %8d links  %4d branches  passes %4d (converged %d)  solution %8.3f s  inflow %.4f kg/s\n",
              nf, nl, b, passes, converged, total, flow_in);
  std::printf("          state hash after the solution %016llx, after the timed passes %016llx\n",
              static_cast<unsigned long long>(solved), static_cast<unsigned long long>(after_passes));
  std::printf("          profile %11d (%.1f per row), ordering (once) %8.3f ms\n", lprof,
              static_cast<double>(lprof) / nf, 1e3 * t_order);
  std::printf(
      "          per pass: properties %8.3f ms  assembly %8.3f ms  factorisation + substitution %8.3f ms  "
      "flows %8.3f ms\n",
      1e3 * t_prop, 1e3 * t_asm, 1e3 * t_solve, 1e3 * t_flow);

#if TNA_HAVE_EIGEN
  // The same assembled matrix, by position in solver order.
  FLHYCF(net, w, 0);
  std::vector<Eigen::Triplet<double>> trip;
  trip.reserve(static_cast<std::size_t>(lprof));
  std::vector<double> rhs(static_cast<std::size_t>(nf));
  for (int r = 1; r <= nf; ++r) {
    rhs[static_cast<std::size_t>(r - 1)] = w.bvec(r);
    for (int q = w.ord.jl(r); q <= w.ord.ir(r); ++q) {
      const double v = w.amat(w.ord.id(r) + q - r);
      if (v != 0.0) trip.emplace_back(r - 1, q - 1, v);
    }
  }
  Eigen::SparseMatrix<double> A(nf, nf);
  A.setFromTriplets(trip.begin(), trip.end());
  const Eigen::VectorXd bv = Eigen::Map<Eigen::VectorXd>(rhs.data(), nf);
  const bench::SparseTimes amd = bench::sparse_ldlt_amd(A, bv, reps);
  const bench::SparseTimes nat = bench::sparse_ldlt_natural(A, bv, reps);
  // Our own solution of the same system for the comparison, the factorisation
  // and the substitution timed on their own.
  const std::vector<double> assembled(w.amat.data(), w.amat.data() + lprof);
  double t_fct = 0, t_sub = 0;
  for (int r = 0; r < reps; ++r) {
    std::copy(assembled.begin(), assembled.end(), w.amat.data());
    std::copy(rhs.begin(), rhs.end(), w.bvec.data());
    int row = 0;
    t0 = Clock::now();
    FHSFCT(w.ord.id, w.ord.jl, nf, w.ord.jl, w.amat, row);
    t_fct += seconds_since(t0);
    t0 = Clock::now();
    FHSSUB(w.ord.jl, w.ord.ir, w.ord.id, w.amat, nf, w.bvec, row);
    t_sub += seconds_since(t0);
    std::fill(w.amat.data(), w.amat.data() + lprof, 0.0);
  }
  t_fct /= reps;
  t_sub /= reps;
  double diff = 0.0, scale = 0.0;
  for (int r = 1; r <= nf; ++r) {
    diff = std::max(diff, std::fabs(amd.x[r - 1] - w.bvec(r)));
    scale = std::max(scale, std::fabs(w.bvec(r)));
  }
  std::printf("          profile solver alone: factorisation %8.3f ms  substitution %8.3f ms\n", 1e3 * t_fct,
              1e3 * t_sub);
  std::printf(
      "          sparse LDL^T (Eigen): analysis %8.3f ms  factorisation %8.3f ms  solve %8.3f ms  "
      "factor entries %lld  max |dp| %.2e Pa of %.3g\n",
      1e3 * amd.analysis, 1e3 * amd.factorisation, 1e3 * amd.solve, amd.factor_entries, diff, scale);
  std::printf(
      "          the same in the project's order (NaturalOrdering): factorisation %8.3f ms  solve %8.3f ms  "
      "factor entries %lld\n",
      1e3 * nat.factorisation, 1e3 * nat.solve, nat.factor_entries);
  std::printf(
      "          ratio per pass (profile factorisation + substitution) / (sparse factorisation + solve): "
      "%.2f\n",
      t_solve / (amd.factorisation + amd.solve));
  std::printf(
      "          at equal ordering: (profile factorisation + substitution) / (sparse factorisation + solve "
      "in the project's order): %.2f\n",
      (t_fct + t_sub) / (nat.factorisation + nat.solve));
#else
  std::printf("          sparse LDL^T reference not built (Eigen headers not found)\n");
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {10000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  for (int n : sizes)
    if (n >= 20) run(n);
  return 0;
}

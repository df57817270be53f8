// Speed of the steady-state solution on spacecraft-like networks.
//
// A seeded generator builds panels of GL grids, GR couplings within and
// between panels and to a deep-space boundary, heat sources and a few tied
// nodes, at 1,000, 10,000 and 100,000 nodes (or the sizes given on the
// command line). For each size it runs SOLVFM to its steady state and
// reports the passes and the time per pass split into ordering (once per
// call), assembly, factorisation and substitution, with the profile length;
// then, on the same assembled pass matrix, it times a general sparse
// Cholesky (Eigen's SimplicialLDLT with its own fill-reducing ordering) and
// prints the whole pass (assembly + factorisation + substitution) over the
// reference's factorisation + solve, and the profile length over the
// reference's factor entries; and, against the same Cholesky in the
// project's own order (NaturalOrdering on the matrix as assembled, the same
// fill), the factorisation and substitution over the reference's
// factorisation and solve: the kernels' figure at equal ordering. The last
// line repeats the three ratios for the largest size.
//
// This program is its own model program: it supplies the five blocks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/clock.h"
#include "casedata/status_flag.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "platform/units.h"
#include "thermal/solver_masks.h"
#include "thermal/steady_kernel.h"
#include "thermal/steady_state.h"
#include "thermal/thermal_network.h"

#include "bench/spacecraft_network.h"

#include "bench/support/sparse_reference.h"

namespace {

using Clock = std::chrono::steady_clock;
double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

void set_constants() {
  SLDINC();
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
  GLOR.STEFAN = 5.670374e-8;
  GLOR.TABS = 273.15;
  GLOR.DAMPT = 1.0;
  GLOR.RELXCA = 0.01;
  GLOR.INBALA = 1.0e30;
  GLOR.INBALR = 0.01;
  GLOI.NLOOP = 1000;
  GLOI.WIDTH = 132;
  GLOI.MLEVEL = 3;  // no boxes in the timing
  GLOC.OUTIME = "";
}

struct Ratios {
  int n = 0;
  double pass = -1, storage = -1, kernel = -1;
};

Ratios run(int n) {
  Ratios ratios;
  ratios.n = n;
  spacecraft::fill_model(n, 12345u + static_cast<unsigned>(n));
  set_constants();
  const int nt = FLAGS(1), ngl = FLAGS(2), ngf = FLAGS(3), ngr = FLAGS(4);
  const ThNetwork net = th_network();

  auto t0 = Clock::now();
  SOLVFM();
  const double total = seconds_since(t0);
  const int passes = GLOI.LOOPCT;

  // The kernels one by one on the converged state.
  std::vector<std::int32_t> dm(nt), dbm(nt), gfm(std::max(ngf, 1)), glm(ngl), grm(ngr);
  ThInts dmask(dm.data(), nt), dbmask(dbm.data(), nt), gfmask(gfm.data(), std::max(ngf, 1)), glmask(glm.data(), ngl),
      grmask(grm.data(), ngr);
  SLOGST2(ngf, ngl, ngr, nt, gar_fluidiccondacts.view(), gar_linearcondacts.view(), gar_radiativecondacts.view(),
          gar_thermalnodestatuses.view(), dmask, gfmask, glmask, grmask, dbmask);
  std::vector<std::int32_t> diag(nt), pos(nt), order(nt), rowf(nt), fr(nt), st(nt), pr(nt), mp(nt);
  auto V = [](std::vector<std::int32_t>& v) { return ThInts(v.data(), static_cast<std::int64_t>(v.size())); };
  int proflen = 0;
  t0 = Clock::now();
  S3PNTR(0, nt, gar_pcsthermal.view(), th_cmat(gar_pcsptrsthermal), V(diag), V(pos), V(order), V(rowf), proflen,
         V(fr), dmask, V(mp), V(st), V(pr));
  const double t_order = seconds_since(t0);
  std::vector<double> prof(static_cast<std::size_t>(proflen)), rhs(nt), assembled;
  ThReals P(prof.data(), proflen), R(rhs.data(), nt);
  const int reps = n >= 100000 ? 3 : (n >= 10000 ? 10 : 50);
  double t_asm = 0, t_fac = 0, t_sub = 0;
  int status = 0;
  for (int r = 0; r < reps; ++r) {
    t0 = Clock::now();
    S3COND(net, V(diag), dmask, gfmask, glmask, grmask, dbmask, V(pos), V(order), proflen, P, R, V(rowf), status);
    t_asm += seconds_since(t0);
    if (r == 0) assembled = prof;
    t0 = Clock::now();
    S3SFCT(V(diag), V(rowf), nt, proflen, P, status);
    t_fac += seconds_since(t0);
    t0 = Clock::now();
    S3SSUB(V(rowf), V(diag), P, nt, proflen, R);
    t_sub += seconds_since(t0);
  }
  t_asm /= reps;
  t_fac /= reps;
  t_sub /= reps;
  std::printf("%8d nodes  GL %7d  GR %7d  passes %4d  solve %8.3f s  profile %11d (%.1f per row)\n", nt, ngl, ngr,
              passes, total, proflen, static_cast<double>(proflen) / nt);
  std::printf(
      "          per pass: ordering (once) %9.3f ms  assembly %9.3f ms  factorisation %9.3f ms  "
      "substitution %9.3f ms\n",
      1e3 * t_order, 1e3 * t_asm, 1e3 * t_fac, 1e3 * t_sub);
  std::printf("          balance ENBALA %.4g ENBALR %.4g  last change %.3g at node %d\n", GLOR.ENBALA, GLOR.ENBALR,
              GLOR.RELXCC, GLOI.NRLXCC);

#if TNA_HAVE_EIGEN
  // The same assembled matrix (rebuild the rowfirst of that assembly first).
  std::vector<Eigen::Triplet<double>> trip;
  trip.reserve(static_cast<std::size_t>(proflen));
  std::vector<double> b(static_cast<std::size_t>(nt));
  S3COND(net, V(diag), dmask, gfmask, glmask, grmask, dbmask, V(pos), V(order), proflen, P, R, V(rowf), status);
  for (int i = 1; i <= nt; ++i) {
    b[static_cast<std::size_t>(i - 1)] = rhs[static_cast<std::size_t>(i - 1)];
    for (int j = rowf[static_cast<std::size_t>(i - 1)]; j <= i; ++j) {
      const double v = prof[static_cast<std::size_t>(diag[static_cast<std::size_t>(i - 1)] - i + j - 1)];
      if (v != 0.0) trip.emplace_back(i - 1, j - 1, v);
    }
  }
  Eigen::SparseMatrix<double> A(nt, nt);
  A.setFromTriplets(trip.begin(), trip.end());
  const Eigen::VectorXd bv = Eigen::Map<Eigen::VectorXd>(b.data(), nt);
  const bench::SparseTimes amd = bench::sparse_ldlt_amd(A, bv, reps);
  const bench::SparseTimes nat = bench::sparse_ldlt_natural(A, bv, reps);
  S3SFCT(V(diag), V(rowf), nt, proflen, P, status);
  S3SSUB(V(rowf), V(diag), P, nt, proflen, R);
  double diff = 0;
  for (int i = 0; i < nt; ++i) diff = std::max(diff, std::fabs(amd.x[i] - rhs[static_cast<std::size_t>(i)]));
  std::printf(
      "          sparse LDL^T (Eigen): analysis %9.3f ms  factorisation %9.3f ms  solve %9.3f ms  "
      "factor entries %lld  max |dx| %.2e\n",
      1e3 * amd.analysis, 1e3 * amd.factorisation, 1e3 * amd.solve, amd.factor_entries, diff);
  std::printf(
      "          the same in the project's order (NaturalOrdering): factorisation %9.3f ms  solve %9.3f ms  "
      "factor entries %lld\n",
      1e3 * nat.factorisation, 1e3 * nat.solve, nat.factor_entries);
  ratios.pass = (t_asm + t_fac + t_sub) / (amd.factorisation + amd.solve);
  ratios.storage = static_cast<double>(proflen) / static_cast<double>(amd.factor_entries);
  ratios.kernel = (t_fac + t_sub) / (nat.factorisation + nat.solve);
  std::printf(
      "          whole pass (assembly + factorisation + substitution) / (sparse factorisation + solve): "
      "%.2f   profile / sparse factor entries: %.2f\n",
      ratios.pass, ratios.storage);
  std::printf(
      "          at equal ordering: (factorisation + substitution) / (sparse factorisation + solve in the "
      "project's order): %.2f\n",
      ratios.kernel);
#else
  std::printf("          sparse Cholesky reference not built (Eigen headers not found)\n");
#endif
  return ratios;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000, 100000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  Ratios last;
  for (int n : sizes)
    if (n >= 10) last = run(n);
  if (last.pass < 0) {
    std::printf("no sparse Cholesky reference: no ratio\n");
    return 0;
  }
  std::printf(
      "at %d nodes: whole pass / (sparse factorisation + solve) %.2f, profile / sparse factor entries %.2f, "
      "at equal ordering (factorisation + substitution) / (sparse in the project's order) %.2f\n",
      last.n, last.pass, last.storage, last.kernel);
  return 0;
}

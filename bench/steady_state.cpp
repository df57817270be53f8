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
// reference's factor entries. The last line repeats both ratios for the
// largest size.
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

#if __has_include(<Eigen/Sparse>)
#include <Eigen/Sparse>
#define TNA_HAVE_EIGEN 1
#elif __has_include(<eigen3/Eigen/Sparse>)
#include <eigen3/Eigen/Sparse>
#define TNA_HAVE_EIGEN 1
#else
#define TNA_HAVE_EIGEN 0
#endif

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
  double pass = -1, storage = -1;
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
  Eigen::Map<Eigen::VectorXd> bv(b.data(), nt);
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>, Eigen::Lower> ldlt;
  t0 = Clock::now();
  ldlt.analyzePattern(A);
  const double e_an = seconds_since(t0);
  double e_fac = 0, e_sol = 0;
  Eigen::VectorXd xe;
  for (int r = 0; r < reps; ++r) {
    t0 = Clock::now();
    ldlt.factorize(A);
    e_fac += seconds_since(t0);
    t0 = Clock::now();
    xe = ldlt.solve(bv);
    e_sol += seconds_since(t0);
  }
  e_fac /= reps;
  e_sol /= reps;
  S3SFCT(V(diag), V(rowf), nt, proflen, P, status);
  S3SSUB(V(rowf), V(diag), P, nt, proflen, R);
  double diff = 0;
  for (int i = 0; i < nt; ++i) diff = std::max(diff, std::fabs(xe[i] - rhs[static_cast<std::size_t>(i)]));
  const long long nnzl = static_cast<long long>(ldlt.matrixL().nestedExpression().nonZeros()) + nt;
  std::printf(
      "          sparse LDL^T (Eigen): analysis %9.3f ms  factorisation %9.3f ms  solve %9.3f ms  "
      "factor entries %lld  max |dx| %.2e\n",
      1e3 * e_an, 1e3 * e_fac, 1e3 * e_sol, nnzl, diff);
  ratios.pass = (t_asm + t_fac + t_sub) / (e_fac + e_sol);
  ratios.storage = static_cast<double>(proflen) / static_cast<double>(nnzl);
  std::printf(
      "          whole pass (assembly + factorisation + substitution) / (sparse factorisation + solve): "
      "%.2f   profile / sparse factor entries: %.2f\n",
      ratios.pass, ratios.storage);
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
      "at %d nodes: whole pass / (sparse factorisation + solve) %.2f, profile / sparse factor entries %.2f\n",
      last.n, last.pass, last.storage);
  return 0;
}

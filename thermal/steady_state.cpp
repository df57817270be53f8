#include "thermal/steady_state.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_copies.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "thermal/energy_balance.h"
#include "thermal/scratch.h"
#include "thermal/solver_masks.h"
#include "thermal/steady_kernel.h"

namespace {

std::string padded(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

std::string int_field(long long n, int w) {
  char buf[32];
  const int len = std::snprintf(buf, sizeof buf, "%*lld", w, n);
  if (len > w) return std::string(static_cast<std::size_t>(w), '*');
  return buf;
}

template <class T>
plat::Vec1<T> view(std::vector<T>& v) {
  return plat::Vec1<T>(v.data(), static_cast<std::int64_t>(v.size()));
}

template <class T>
void release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

bool cyclic_run() { return GLOC.SOLVER.view().substr(0, 2) == "CY"; }

void rebuild_masks(S3SlveWork& w) {
  const ThNetwork& n = w.net;
  SLOGST2(n.ngf, n.ngl, n.ngr, n.nt, n.gfacts, n.glacts, n.gracts, n.tstat, w.dnodemask, w.gfmask, w.glmask,
          w.grmask, w.dbnodemask);
}

void energy_balance(S3SlveWork& w) {
  SENGBL(w.net, w.dnodemask, w.dbnodemask, w.gfmask, w.glmask, w.grmask, *w.enbala, *w.enbalr);
}

// VARIABLES1 and, when it changed statuses or activities, the masks again.
void variables1(S3SlveWork& w) {
  V10001();
  if (stat_getstatst() != 0) {
    rebuild_masks(w);
    stat_setstatst(0);
  }
}

void copy_tied_nodes(S3SlveWork& w) {
  const ThNetwork& n = w.net;
  if (n.lencopy >= 2) SSNCNT(n.lenthermal, n.lencopy, n.nt, n.pcs, n.t);
}

inline double sign50(double d) { return d >= 0.0 ? 50.0 : -50.0; }

}  // namespace

void S3SLVE(S3SlveWork& w, int& status) {
  status = 0;
  const ThNetwork& net = w.net;
  double u = *w.relxca;
  for (int n = 1; n <= net.nt; ++n) {
    w.store6(n) = 0.0;
    w.store8(n) = 0.0;
  }
  for (;;) {
    variables1(w);

    int st = 0;
    S3COND(net, w.diagptr, w.dnodemask, w.gfmask, w.glmask, w.grmask, w.dbnodemask, w.nodepos, w.nodeorder,
           w.proflen, w.profile, w.x, w.rowfirst, st);
    if (st != 0) {
      status = st;
      return;
    }
    S3SFCT(w.diagptr, w.rowfirst, net.nt, w.proflen, w.profile, st);
    if (st != 0) {
      const int n = w.nodeorder(st);
      const std::string msg =
          "Singular submatrix encountered - run aborted@A group of nodes are connected to each other"
          " but not to a boundary - including node" +
          int_field(NODNUM(n), 10) + " of submodel " + std::string(plat::trimmed(SUBMDN(n, "ALL")));
      SETERX(padded(msg, 3000), 4, 1, "S3slve");
      status = 1;
      return;
    }
    S3SSUB(w.rowfirst, w.diagptr, w.profile, net.nt, w.proflen, w.x);

    const double dampt = *w.dampt, tabs = net.tabs();
    const int p = *w.loopct;
    const int r = p % 10;
    int hot = 0;
    *w.relxcc = 0.0;
    for (int i = 1; i <= net.nt; ++i) {
      const int n = w.nodeorder(i);
      const double told = net.t(n);
      double y = told + dampt * ((w.x(i) - tabs) - told);
      // A temperature that is not a number is a fault of the same kind as
      // one above 1.0E10, never a small change.
      const bool bad = !std::isfinite(y);
      if (std::fabs(told - y) > 50.0) y = told + sign50(y - told);
      if (bad || y > 1.0e10) {
        PRTWAR(n);
        hot = 3;
      }
      if (r == 6) {
        w.store6(n) = y;
      } else if (r == 8) {
        w.store8(n) = y;
      } else if (r == 0 && p > 0) {
        const double a = w.store6(n), b = w.store8(n);
        if (std::fabs(y - a) > u && std::fabs(b - a) > 1e-37) {
          const double q = (y - b) / (b - a);
          if (q >= 1.0) {
            y = told + 10.0 * (y - b);
          } else if ((b - a) * (y - b) > 0.0) {
            const double ya = (y * a - b * b) / ((a + y) - 2.0 * b);
            if (!std::isfinite(ya) || std::fabs(ya - told) > 10.0 * std::fabs(y - b)) y = told + 10.0 * (y - b);
            else y = ya;
          }
        }
      }
      double change;
      if (std::fabs(told - y) > 50.0) {
        net.t(n) = told + sign50(y - told);
        change = 50.0;
      } else {
        net.t(n) = y;
        change = std::fabs(told - y);
      }
      if (change > *w.relxcc) {
        *w.relxcc = change;
        *w.nrlxcc = n;
      }
    }
    if (hot != 0) {
      status = hot;
      SETERX(padded("SOLVFM: Temperature > 1.0D10 detected", 170), 4, 2, "S3slve");
      return;
    }
    copy_tied_nodes(w);
    *w.loopct += 1;

    if (*w.relxcc < u) {
      variables1(w);
      energy_balance(w);
      if (*w.enbala <= *w.inbala && *w.enbalr <= *w.inbalr) return;
      u = 0.75 * u;
      if (*w.loopct >= *w.nloop) return;
    } else if (*w.loopct >= *w.nloop) {
      SETERX(padded("SOLVFM: Solution failed to converge@NLOOP count exceeded", 3000), 3, 4, "S3slve");
      return;
    }
  }
}

void SOLVFM() {
  GLOC.MODULE = "SOLVFM";
  if (!cyclic_run()) GLOC.SOLVER = "SSTH";
  GLOI.LOOPCT = 0;

  const int nt = FLAGS(1);
  if (nt == 0) {
    SETERX(padded("SOLVFM: Model does not contain any thermal nodes", 170), 4, 5, "SOLVFM");
    return;
  }
  if (SLUNDF(GLOI.NLOOP)) {
    SETERX(padded("SOLVFM: Control constant NLOOP not specified@See User Manual description of SOLVFM for a "
                  "list of required control constants",
                  170),
           4, 1, "SOLVFM");
    return;
  }
  if (SDUNDF(GLOR.RELXCA)) {
    SETERX(padded("SOLVFM: Control constant RELXCA not specified@See User Manual description of SOLVFM for a "
                  "list of required control constants",
                  170),
           4, 2, "SOLVFM");
    return;
  }
  if (nt < 0) return;

  S3SlveWork w;
  w.net = th_network();
  const ThNetwork& net = w.net;
  w.dampt = &GLOR.DAMPT;
  w.relxca = &GLOR.RELXCA;
  w.inbala = &GLOR.INBALA;
  w.inbalr = &GLOR.INBALR;
  w.nloop = &GLOI.NLOOP;
  w.relxcc = &GLOR.RELXCC;
  w.nrlxcc = &GLOI.NRLXCC;
  w.loopct = &GLOI.LOOPCT;
  w.enbala = &GLOR.ENBALA;
  w.enbalr = &GLOR.ENBALR;

  // Masks for the whole call.
  std::vector<std::int32_t> dmask, dbmask, gfmask, glmask, grmask;
  th_take_scratch(dmask, nt);
  th_take_scratch(dbmask, nt);
  th_take_scratch(gfmask, net.ngf);
  th_take_scratch(glmask, net.ngl);
  th_take_scratch(grmask, net.ngr);
  w.dnodemask = view(dmask);
  w.dbnodemask = view(dbmask);
  w.gfmask = view(gfmask);
  w.glmask = view(glmask);
  w.grmask = view(grmask);
  rebuild_masks(w);

  // Ordering and profile structure.
  std::vector<std::int32_t> diagptr, nodepos, nodeorder, rowfirst;
  th_take_scratch(diagptr, nt);
  th_take_scratch(nodepos, nt);
  th_take_scratch(nodeorder, nt);
  th_take_scratch(rowfirst, nt);
  {
    std::vector<std::int32_t> frontier, state, priority, minpos;
    th_take_scratch(frontier, nt);
    th_take_scratch(state, nt);
    th_take_scratch(priority, nt);
    th_take_scratch(minpos, nt);
    S3PNTR(net.lencompact, nt, net.cpcs, net.cptrs, view(diagptr), view(nodepos), view(nodeorder), view(rowfirst),
           w.proflen, view(frontier), w.dnodemask, view(minpos), view(state), view(priority));
  }
  if (w.proflen < 0) th_allocation_failed();
  w.diagptr = view(diagptr);
  w.nodepos = view(nodepos);
  w.nodeorder = view(nodeorder);
  w.rowfirst = view(rowfirst);

  int status = 0;
  {
    std::vector<double> profile, x, store6, store8;
    th_take_scratch(profile, w.proflen);
    th_take_scratch(x, nt);
    th_take_scratch(store6, nt);
    th_take_scratch(store8, nt);
    w.profile = view(profile);
    w.x = view(x);
    w.store6 = view(store6);
    w.store8 = view(store8);
    S3SLVE(w, status);
  }
  release(diagptr);
  release(nodepos);
  release(nodeorder);
  release(rowfirst);

  if (status <= 0) {
    variables1(w);
    energy_balance(w);
    V20001();
    OUTPUT();
  }
  if (!cyclic_run()) GLOC.SOLVER = "";
}

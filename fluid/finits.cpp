#include <cmath>
#include <cstdint>
#include <string>

#include "core/char_pool.h"
#include "core/diagnostics.h"
#include "core/text_utils.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_services.h"
#include "fluid/fluid_state.h"
#include "modeldata/global_arrays.h"
#include "core/global_records.h"
#include "modeldata/node_lists.h"
#include "properties/properties.h"

namespace {

// Whether the fluid nodes of model |modref| (modref < 0) or of it and its
// subtree (modref > 0) are none. A reference outside the model tree is left
// to the node selection, which reports it.
bool no_fluid_nodes_in(int modref) {
  const int nm = FLAGS(26);
  const int m = modref < 0 ? -modref : modref;
  if (m < 1 || m > nm) return false;
  int end = modref < 0 ? m + 1 : m + md_subtreesize(m);
  if (end > nm + 1) end = nm + 1;
  if (end <= m) end = m + 1;
  return md_fluidnodebase(end) <= md_fluidnodebase(m);
}

}  // namespace

void FINITS(std::string_view zlabel, int modref) {
  const int nf = FLAGS(32) > 0 ? FLAGS(32) : 0;
  if (static_cast<std::int64_t>(FLAGS(FLAGS_NEXTDYNAMICCOREINT)) + nf > FLAGS(FLAGS_DYSTOR)) {
    SETERX(gar_text_finits, 4, 1, "FINITS");
    return;
  }
  // The list of the selected nodes lives in these words; the guard gives
  // them back on every path out.
  gar_CoreGuard core;
  const int first = core.take_int(nf);
  if (nf == 0 || no_fluid_nodes_in(modref)) return;

  plat::Vec1<int> list = gar_dynamiccoreint.from(first, nf);
  int ierr = 0, count = 0;
  LSCHND(modref, nf, "FLUID", 1, "FINITS", modref, zlabel, ierr, list, count);
  if (ierr != 0) {
    SETERX("Failed to initialise fluid state@", 4, 2, "FINITS");
    return;
  }
  const FlNetwork net = fl_network();
  for (int i = 1; i <= count; ++i) FGEIND(net, list(i) - net.nt);
}

void FGEIND(const FlNetwork& net, int k) {
  const int airw = FTYPEI("AIRW");
  if (SDUNDF(net.fla(k))) net.fla(k) = net.fd(k) * (kFlPi * net.fd(k)) * 0.25;
  net.vol(k) = net.fla(k) * net.fl(k);

  plat::Text<4> descriptor = net.fst(k);
  int known = 0;
  STCHEK(descriptor, known);
  const int ifluid = net.fluid_code(k);
  if (known == 0) {
    SETERX("Fluid state descriptor not recognised@String given: FST = '" + std::string(net.fst(k).view()) + "'",
           3, 5, "FGEIND");
  }
  // Completing the state from the descriptor, and the state of the mass
  // source, needs the property functions XTEMPS, XPRESS, XENTH, XTEMP and
  // XENTHS, which this build does not have yet: those values stay as loaded.

  if (ifluid == airw) {
    net.frg(k) = "VAP";
  } else if (std::fabs(net.vq(k)) < kFlTiny) {
    net.frg(k) = "LIQ";
  } else if (std::fabs(1.0 - net.vq(k)) < kFlTiny) {
    net.frg(k) = "VAP";
  } else {
    net.frg(k) = "HEM";
  }
}

#include <cstdint>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/fluid_services.h"
#include "modeldata/global_arrays.h"

namespace {

// Fluid nodes held by model m alone (own < 0) or by m and its subtree.
std::int64_t fluid_nodes_of(int m, bool subtree) {
  const int nm = FLAGS(26);
  if (m < 1 || m > nm || !gar_allocated(&gar_modeldirectory)) return FLAGS(32);
  int last = m + 1;
  if (subtree) last = m + (md_subtreesize(m) > 0 ? md_subtreesize(m) : 1);
  if (last > nm + 1) last = nm + 1;
  return static_cast<std::int64_t>(md_fluidnodebase(last)) - md_fluidnodebase(m);
}

}  // namespace

void FINITS(std::string_view /*zlabel*/, int modref) {
  const std::int64_t nf = FLAGS(32) > 0 ? FLAGS(32) : 0;
  const int top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  if (static_cast<std::int64_t>(top) + nf > FLAGS(FLAGS_DYSTOR)) {
    SETERX(gar_text_finits, 4, 1, "FINITS");
    return;
  }
  // The node list of the selected fluid nodes would live in these words; the
  // guard gives them back on every path out.
  gar_CoreGuard core;
  core.take_int(nf);
  const int m = modref < 0 ? -modref : modref;
  if (nf == 0 || fluid_nodes_of(m, modref > 0) <= 0) return;
  // Evaluating the fluid state of the collected nodes belongs to the
  // fluid-loop solution; until it is built the states stay as loaded.
}

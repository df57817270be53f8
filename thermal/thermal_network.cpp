#include "thermal/thermal_network.h"

#include <algorithm>

#include "core/global_records.h"
#include "modeldata/global_arrays.h"

namespace {

template <class T>
plat::Vec1<const T> ro(plat::Array1<T>& a) {
  return plat::Vec1<const T>(a.data(), a.size());
}

int count_word(int word) { return std::max(FLAGS(word), 0); }

}  // namespace

ThNetwork th_network() {
  ThNetwork n;
  n.nt = count_word(1);
  n.ngl = count_word(2);
  n.ngf = count_word(3);
  n.ngr = count_word(4);
  n.nt1 = std::max(n.nt, 1);
  n.ngl1 = std::max(n.ngl, 1);
  n.ngf1 = std::max(n.ngf, 1);
  n.ngr1 = std::max(n.ngr, 1);
  n.lenthermal = count_word(24);
  n.lencopy = count_word(25);
  n.lencompact = static_cast<int>(gar_pcsthermal.size());

  n.t = gar_thermalnodetemps.view();
  n.cap = ro(gar_thermalnodecapacitances);
  n.tstat = ro(gar_thermalnodestatuses);
  n.nums = ro(gar_thermalnodenums);
  n.qa = ro(gar_thermalnodeheatsourcesalbedo);
  n.qe = ro(gar_thermalnodeheatsourcesplanet);
  n.qi = ro(gar_thermalnodeheatsourcesinternal);
  n.qr = ro(gar_thermalnodeheatsourcesother);
  n.qs = ro(gar_thermalnodeheatsourcessolar);

  n.tf = ro(gar_fluidnodetemps);

  n.gl = ro(gar_linearconds);
  n.gr = ro(gar_radiativeconds);
  n.gf = ro(gar_fluidicconds);
  n.glacts = ro(gar_linearcondacts);
  n.gracts = ro(gar_radiativecondacts);
  n.gfacts = ro(gar_fluidiccondacts);

  n.pcs = ro(gar_pcsthermalold);
  n.ptrs = ro(gar_pcsptrsthermalold);
  n.cpcs = ro(gar_pcsthermal);
  n.cptrs = th_cmat(gar_pcsptrsthermal);

  n.stefan_at = &GLOR.STEFAN;
  n.tabs_at = &GLOR.TABS;
  return n;
}

#include "fluid/fluid_network.h"

#include <algorithm>
#include <string>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "properties/properties.h"

namespace {

template <class T>
plat::Vec1<const T> ro(plat::Array1<T>& a) {
  return plat::Vec1<const T>(a.data(), a.size());
}

int count_word(int word) { return std::max(FLAGS(word), 0); }

}  // namespace

void FlNetwork::FluidCodeMemo::remember(const plat::Text<24>& n) {
  name = n;
  code = FTYPEI(n.view());
}

void fl_node_fatal(std::string_view text, int node, int code, std::string_view routine) {
  std::string msg(text);
  msg.resize(255, ' ');
  MESBLD(node, plat::TextRef(msg));
  SETERX(msg, 4, code, routine);
  ERROR(routine);  // not reached: severity 4 ends the run
}

FlNetwork fl_network() {
  FlNetwork n;
  n.nt = count_word(1);
  n.nf = count_word(32);
  n.nl = count_word(33);
  n.ngl = count_word(2);
  n.ngf = count_word(3);
  n.ngr = count_word(4);
  n.nt1 = std::max(n.nt, 1);
  n.nf1 = std::max(n.nf, 1);
  n.nl1 = std::max(n.nl, 1);
  n.ngl1 = std::max(n.ngl, 1);
  n.ngf1 = std::max(n.ngf, 1);
  n.ngr1 = std::max(n.ngr, 1);
  n.lenfluid = count_word(35);
  n.lenthermal = count_word(24);
  n.lencopy = count_word(25);

  n.t = gar_thermalnodetemps.view();
  n.cap = ro(gar_thermalnodecapacitances);
  n.tstat = ro(gar_thermalnodestatuses);
  n.qa = ro(gar_thermalnodeheatsourcesalbedo);
  n.qe = ro(gar_thermalnodeheatsourcesplanet);
  n.qi = ro(gar_thermalnodeheatsourcesinternal);
  n.qs = ro(gar_thermalnodeheatsourcessolar);
  n.qr = gar_thermalnodeheatsourcesother.view();

  n.labels = ro(gar_fluidnodelabels);
  n.nums = ro(gar_fluidnodenums);
  n.models = ro(gar_fluidnodemodelnums);
  n.ftypes = ro(gar_fluidnodefluidtypes);
  n.fstat = ro(gar_fluidnodestatuses);
  n.fst = ro(gar_fluidnodestatedescriptors);
  n.frg = gar_fluidnodeflowregimes.view();
  n.vcf = ro(gar_fluidnodevolumecontrolflags);
  n.tf = gar_fluidnodetemps.view();
  n.p = gar_fluidnodepressures.view();
  n.fe = gar_fluidnodespecenthalpies.view();
  n.vq = gar_fluidnodevapourqualities.view();
  n.fd = gar_fluidnodehydraulicdiameters.view();
  n.fl = gar_fluidnodelengths.view();
  n.fla = gar_fluidnodeflowareas.view();
  n.vol = gar_fluidnodevolumes.view();
  n.ff = ro(gar_fluidnodewallroughnesses);
  n.area = ro(gar_fluidnodeheattransferareas);
  n.fx = ro(gar_fluidnodecoordsx);
  n.fy = ro(gar_fluidnodecoordsy);
  n.fz = ro(gar_fluidnodecoordsz);
  n.fq = ro(gar_fluidnodeheatsources);
  n.fm = gar_fluidnodemassflowsources.view();
  n.fr = gar_fluidnodemasssourcetemps.view();
  n.fh = gar_fluidnodemasssourcespecenthalpies.view();
  n.fw = gar_fluidnodemasssourcespechumidities.view();
  n.phi = gar_fluidnoderelhumidities.view();
  n.w = gar_fluidnodespechumidities.view();
  n.sink = gar_fluidnodewatervapoursinkrates.view();
  n.cmp = ro(gar_fluidnodecompliances);
  n.vdt = ro(gar_fluidnodevolumechangerates);

  n.pairs = ro(gar_massflowlinkcondnodepairs);
  n.m = gar_massflowlinkflowrates.view();
  n.gp = ro(gar_massflowlinkfittinglosses);
  n.lstat = ro(gar_massflowlinkstatuses);
  n.ltype = gar_massflowlinktypes.view();
  n.lcond = gar_massflowlinkconds.view();
  n.psrc = gar_massflowlinkpressuresources.view();
  n.psrcd = gar_massflowlinkpsourcederivs.view();
  n.lvq = gar_massflowlinkvapquals.view();
  n.lh = gar_massflowlinkenthalpies.view();
  n.lqevap = gar_massflowlinkevapheatfluxes.view();
  n.psflags = gar_massflowlinkphasesepflags.view();
  n.psvq = gar_massflowlinkphasesepvapquals.view();

  n.gl = ro(gar_linearconds);
  n.gr = ro(gar_radiativeconds);
  n.gf = ro(gar_fluidicconds);
  n.glacts = ro(gar_linearcondacts);
  n.gracts = ro(gar_radiativecondacts);
  n.gfacts = ro(gar_fluidiccondacts);

  n.fpcs = ro(gar_pcsfluid);
  n.fptrs = ro(gar_pcsptrsfluid);
  n.pcs = ro(gar_pcsthermalold);
  n.ptrs = ro(gar_pcsptrsthermalold);
  n.cpcs = ro(gar_pcsthermal);
  n.cptrs = plat::Mat2<const std::int32_t>(gar_pcsptrsthermal.data(), gar_pcsptrsthermal.rows(),
                                           gar_pcsptrsthermal.cols());

  const int named = static_cast<int>(std::min<std::int64_t>(n.nf, n.ftypes.size()));
  n.fluid_codes.resize(static_cast<std::size_t>(named) + 1);
  for (int k = 1; k <= named; ++k) n.fluid_codes[static_cast<std::size_t>(k)].remember(n.ftypes(k));
  return n;
}

FlOrdering fl_ordering(FlInts block, int nf) {
  FlOrdering o;
  if (nf < 1) return o;
  o.perm = block.from(1, nf);
  o.pos = block.from(1 + static_cast<std::int64_t>(nf), nf);
  o.jl = block.from(1 + 2 * static_cast<std::int64_t>(nf), nf);
  o.ir = block.from(1 + 3 * static_cast<std::int64_t>(nf), nf);
  o.id = block.from(1 + 4 * static_cast<std::int64_t>(nf), nf);
  return o;
}

bool FTAIRW(FlCNames names, int n) {
  LoopGuard guard("FTAIRW");
  for (int k = 1; k <= n; ++k) {
    guard.pass();
    if (names(k) == "AIRW") return true;
  }
  return false;
}

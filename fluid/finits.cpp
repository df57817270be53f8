#include <cmath>
#include <cstdint>
#include <string>

#include "core/char_pool.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_services.h"
#include "fluid/fluid_state.h"
#include "fluid/input_checks.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "properties/properties.h"

namespace {

// The models a submodel reference names: |modref| alone (modref < 0) or with
// its subtree (modref > 0), models first .. end - 1. False for a reference
// outside the model tree, which the node selection reports.
bool model_range(int modref, int& first, int& end) {
  const int nm = FLAGS(26);
  first = modref < 0 ? -modref : modref;
  if (first < 1 || first > nm) return false;
  end = modref < 0 ? first + 1 : first + md_subtreesize(first);
  if (end > nm + 1) end = nm + 1;
  if (end <= first) end = first + 1;
  return true;
}

// The descriptor forms after STCHEK.
enum class Form { kPT, kPFE, kPVQ, kTVQ, kUnknown };

Form form_of(const plat::Text<4>& normal) {
  if (normal == "P&T") return Form::kPT;
  if (normal == "P&FE") return Form::kPFE;
  if (normal == "P&VQ") return Form::kPVQ;
  if (normal == "T&VQ") return Form::kTVQ;
  return Form::kUnknown;
}

// The form of node k's stored descriptor, normalised in a copy (the stored
// text is never rewritten).
Form descriptor_form(const FlNetwork& net, int k) {
  plat::Text<4> descriptor = net.fst(k);
  int known = 0;
  STCHEK(descriptor, known);
  return known != 0 ? form_of(descriptor) : Form::kUnknown;
}

constexpr std::string_view kFinits = "FINITS";
constexpr int kHumidAir = 4;

// The inputs of node k that its completion reads: geometry, the heat and
// mass sources, for humid air the relative humidity, and the two state
// values its descriptor gives. A node whose descriptor is not recognised
// keeps its state (FGEIND reports it); only its geometry and sources are
// checked.
bool inputs_possible(const FlNetwork& net, int k, Form form) {
  if (!fl_require_finite_values(
          kFinits, net, k,
          {{"FD", net.fd(k)}, {"FL", net.fl(k)}, {"FLA", net.fla(k)}, {"FM", net.fm(k)}, {"FQ", net.fq(k)}}))
    return false;
  if (SDUNDF(net.fla(k))) {
    if (SDUNDF(net.fd(k)) || !(net.fd(k) > 0.0))
      return fl_refuse_geometry(kFinits, net, k, "FD", net.fd(k), "must be above zero where FLA is not given");
  } else if (!(net.fla(k) > 0.0)) {
    return fl_refuse_geometry(kFinits, net, k, "FLA", net.fla(k), "must be above zero");
  }
  if (net.fl(k) < 0.0) return fl_refuse_geometry(kFinits, net, k, "FL", net.fl(k), "must not be negative");

  const bool humid = net.fluid_code(k) == kHumidAir;
  if (humid) {
    if (!fl_require_finite_values(kFinits, net, k, {{"PHI", net.phi(k)}})) return false;
    if (net.phi(k) < 0.0 || net.phi(k) > 1.0)
      return fl_refuse_range(kFinits, net, k, "PHI", net.phi(k), "must lie between 0 and 1");
  }
  const bool p_given = form == Form::kPT || form == Form::kPFE || form == Form::kPVQ;
  const bool t_given = form == Form::kPT || form == Form::kTVQ;
  const bool vq_given = form == Form::kPVQ || form == Form::kTVQ;
  if (p_given && !fl_require_finite_values(kFinits, net, k, {{"P", net.p(k)}})) return false;
  if (t_given && !fl_require_finite_values(kFinits, net, k, {{"T", net.tf(k)}})) return false;
  if (form == Form::kPFE && !fl_require_finite_values(kFinits, net, k, {{"FE", net.fe(k)}})) return false;
  if (vq_given && !fl_require_finite_values(kFinits, net, k, {{"VQ", net.vq(k)}})) return false;
  if (!SDUNDF(net.fm(k)) && net.fm(k) > 0.0) {
    // The source values the form completes the source from.
    const bool fr = form == Form::kPT || form == Form::kTVQ, fw = form == Form::kPVQ || form == Form::kTVQ;
    if (fr && !fl_require_finite_values(kFinits, net, k, {{"FR", net.fr(k)}})) return false;
    if (form == Form::kPFE && !fl_require_finite_values(kFinits, net, k, {{"FH", net.fh(k)}})) return false;
    if (fw && !fl_require_finite_values(kFinits, net, k, {{"FW", net.fw(k)}})) return false;
  }
  if (p_given && !(net.p(k) + net.pabs() > 0.0))
    return fl_refuse_range(kFinits, net, k, "P", net.p(k), "P + PABS must be above zero");
  if (t_given && !(net.tf(k) + net.tabs() > 0.0))
    return fl_refuse_range(kFinits, net, k, "T", net.tf(k), "T + TABS must be above zero");
  if (vq_given && !humid && (net.vq(k) < 0.0 || net.vq(k) > 1.0))
    return fl_refuse_range(kFinits, net, k, "VQ", net.vq(k), "must lie between 0 and 1");
  return true;
}

// The state FGEIND completed: finite, and for humid air a humidity ratio
// that is not negative (the relative humidity times the saturation pressure
// of water reached the pressure).
bool state_possible(const FlNetwork& net, int k) {
  if (!fl_require_finite_values(kFinits, net, k,
                                {{"T", net.tf(k)}, {"P", net.p(k)}, {"FE", net.fe(k)}, {"VQ", net.vq(k)}}))
    return false;
  if (net.fluid_code(k) != kHumidAir) return true;
  if (!fl_require_finite_values(kFinits, net, k, {{"W", net.w(k)}})) return false;
  if (net.w(k) < 0.0)
    return fl_refuse_range(kFinits, net, k, "W", net.w(k),
                           "must not be negative: PHI times the saturation pressure of water reaches P + PABS");
  return true;
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
  if (nf == 0) return;
  int m = 0, end = 0;
  const bool in_tree = model_range(modref, m, end);
  if (in_tree && md_fluidnodebase(end) <= md_fluidnodebase(m)) return;

  plat::Vec1<int> list = gar_dynamiccoreint.from(first, nf);
  int ierr = 0, count = 0;
  LSCHND(modref, nf, "FLUID", 1, "FINITS", modref, zlabel, ierr, list, count);
  if (ierr != 0) {
    SETERX("Failed to initialise fluid state@", 4, 2, "FINITS");
    return;
  }
  const FlNetwork net = fl_network();
  for (int i = 1; i <= count; ++i) {
    const int k = list(i) - net.nt;
    const Form form = descriptor_form(net, k);
    if (!inputs_possible(net, k, form)) return;
    FGEIND(net, k);
    if (form != Form::kUnknown && !state_possible(net, k)) return;
  }
  // The links of the models named, whose ends the selected nodes may be.
  if (in_tree) fl_check_links(kFinits, net, md_massflowlinkbase(m) + 1, md_massflowlinkbase(end));
}

namespace {

// The temperature of a state given by pressure and enthalpy with quality x.
// Between the saturated liquid and vapour the property functions serve no
// temperature: a two-phase state lies at the saturation temperature of its
// pressure. Humid air carries its humidity in x and keeps its own rule.
double temperature_from_enthalpy(double p, double h, double x, int ifluid, int node, bool humid) {
  if (!humid && x > 0.0 && x < 1.0) return XTEMPS(p, ifluid, node);
  return XTEMP(p, h, x, ifluid, node);
}

// A mass-source value the state of the source needs is undefined: the
// warning of its form (severity 2), quoting the stored descriptor.
void missing_source_value(const FlNetwork& net, int k, std::string_view what, int code) {
  SETERX(std::string(what) + " FST = '" + std::string(net.fst(k).view()) + "'", 2, code, "FGEIND");
}

// The state of node k's mass source (FM defined and positive), taken at the
// node's pressure, or at the saturation pressure of FR for "T&VQ".
void complete_mass_source(const FlNetwork& net, int k, Form form, int ifluid, bool humid) {
  const int node = net.global(k);
  switch (form) {
    case Form::kPT: {
      if (SDUNDF(net.fr(k))) {
        missing_source_value(net, k, "Initialisation of FH and FW failed@Mass-source temperature FR not defined.",
                             1);
        return;
      }
      // Humid air enters with its own humidity ratio FW where it is given:
      // that is the quality argument of its enthalpy, not the phase value.
      const double x = humid && !SDUNDF(net.fw(k)) ? net.fw(k) : XGXPT(net.p(k), net.fr(k), ifluid, node);
      net.fh(k) = XENTH(net.p(k), net.fr(k), x, ifluid, node);
      if (!humid) net.fw(k) = x;
      return;
    }
    case Form::kPFE: {
      if (SDUNDF(net.fh(k))) {
        missing_source_value(net, k, "Initialisation of FR and FW failed@Mass-source enthalpy FH not defined.", 2);
        return;
      }
      const double x = XGXPH(net.p(k), net.fh(k), ifluid, node);
      net.fr(k) = temperature_from_enthalpy(net.p(k), net.fh(k), x, ifluid, node, humid);
      if (!humid) net.fw(k) = x;
      return;
    }
    case Form::kPVQ:
      // The source enters at the node's temperature, whether or not its
      // quality is known.
      net.fr(k) = net.tf(k);
      if (SDUNDF(net.fw(k))) {
        missing_source_value(net, k, "Initialisation of FH failed@Mass-source quality FW not defined.", 3);
        return;
      }
      net.fh(k) = XENTH(net.p(k), net.fr(k), net.fw(k), ifluid, node);
      return;
    case Form::kTVQ: {
      if (SDUNDF(net.fr(k)) || SDUNDF(net.fw(k))) {
        missing_source_value(net, k,
                             "Initialisation of FH failed@Mass-source temperature FR or quality FW not defined.", 4);
        return;
      }
      const double ps = XPRESS(net.fr(k), ifluid, node);
      net.fh(k) = XENTH(ps, net.fr(k), net.fw(k), ifluid, node);
      return;
    }
    case Form::kUnknown: return;
  }
}

}  // namespace

void FGEIND(const FlNetwork& net, int k) {
  const int airw = FTYPEI("AIRW");
  const int water = FTYPEI("WATER");
  if (SDUNDF(net.fla(k))) net.fla(k) = net.fd(k) * (kFlPi * net.fd(k)) * 0.25;
  net.vol(k) = net.fla(k) * net.fl(k);

  const Form form = descriptor_form(net, k);
  const int ifluid = net.fluid_code(k);
  const bool humid = ifluid == airw;
  const int node = net.global(k);
  if (form == Form::kUnknown) {
    SETERX("Fluid state descriptor not recognised@String given: FST = '" + std::string(net.fst(k).view()) + "'", 3,
           5, "FGEIND");
  } else {
    switch (form) {
      case Form::kPT: net.vq(k) = XGXPT(net.p(k), net.tf(k), ifluid, node); break;
      case Form::kPFE:
        net.vq(k) = XGXPH(net.p(k), net.fe(k), ifluid, node);
        net.tf(k) = temperature_from_enthalpy(net.p(k), net.fe(k), net.vq(k), ifluid, node, humid);
        break;
      case Form::kPVQ: net.tf(k) = XTEMPS(net.p(k), ifluid, node); break;
      case Form::kTVQ: net.p(k) = XPRESS(net.tf(k), ifluid, node); break;
      case Form::kUnknown: break;
    }
    // Humid air: the specific humidity from the relative humidity and the
    // saturation pressure of water at the node temperature; it takes the
    // place of the quality.
    if (humid) {
      const double pabs = net.pabs();
      const double pv = net.phi(k) * (XPRESS(net.tf(k), water, node) + pabs);
      net.w(k) = kFlWaterAirRatioInit * pv / (pabs + net.p(k) - pv);
      net.vq(k) = net.w(k);
    }
    // The enthalpy at P, T and the quality; for humid air the quality
    // argument is the humidity ratio, so the node's own W, not the phase
    // value of the state pair.
    if (form != Form::kPFE) net.fe(k) = XENTH(net.p(k), net.tf(k), net.vq(k), ifluid, node);
    if (!SDUNDF(net.fm(k)) && net.fm(k) > 0.0) complete_mass_source(net, k, form, ifluid, humid);
  }

  if (humid) {
    net.frg(k) = "VAP";
  } else if (std::fabs(net.vq(k)) < kFlTiny) {
    net.frg(k) = "LIQ";
  } else if (std::fabs(1.0 - net.vq(k)) < kFlTiny) {
    net.frg(k) = "VAP";
  } else {
    net.frg(k) = "HEM";
  }
}

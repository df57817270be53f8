// Statement appliers of the parameter cases: nodal entities, conductors and
// links, user array elements, user and control constants.
#include "parameters/case_appliers.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "core/search_sort.h"
#include "core/text_utils.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "parameters/case_changes.h"
#include "parameters/case_refs.h"
#include "parameters/case_texts.h"
#include "parameters/case_values.h"
#include "platform/text.h"

namespace {

// Messages of the appliers go out in 300-character fields.
void report(std::string message, int code, std::string_view routine, int severity = 3) {
  if (message.size() > 300) message.resize(300);
  SETERX(message, severity, code, routine);
}

bool is_change(std::string_view command) { return plat::text_eq(command, "CHANGE"); }

std::string_view trim_right(std::string_view s) { return s.substr(0, static_cast<std::size_t>(STRLNA(s))); }

// ---- PARNOD ---------------------------------------------------------------

// The real arrays of a nodal entity; an empty view where that kind of node
// does not have it.
struct RealEntity {
  plat::Vec1<double> thermal;
  plat::Vec1<double> fluid;
  bool has_thermal = false;
  bool has_fluid = false;
};

bool real_entity(int code, RealEntity& e) {
  auto both = [&](auto& t, auto& f) {
    e.thermal = t.view();
    e.fluid = f.view();
    e.has_thermal = e.has_fluid = true;
  };
  auto thermal = [&](auto& t) {
    e.thermal = t.view();
    e.has_thermal = true;
  };
  auto fluid = [&](auto& f) {
    e.fluid = f.view();
    e.has_fluid = true;
  };
  switch (code) {
    case 2: both(gar_thermalnodetemps, gar_fluidnodetemps); break;
    case 3: thermal(gar_thermalnodecapacitances); break;
    case 4: thermal(gar_thermalnodeheatsourcesalbedo); break;
    case 5: thermal(gar_thermalnodeheatsourcesplanet); break;
    case 6: thermal(gar_thermalnodeheatsourcesinternal); break;
    case 7: thermal(gar_thermalnodeheatsourcesother); break;
    case 8: thermal(gar_thermalnodeheatsourcessolar); break;
    case 9: both(gar_thermalnodesurfaceareas, gar_fluidnodeheattransferareas); break;
    case 10: thermal(gar_thermalnodeabsorptivities); break;
    case 11: thermal(gar_thermalnodeemissivities); break;
    case 12: thermal(gar_thermalnodeincidentfluxesalbedo); break;
    case 13: thermal(gar_thermalnodeincidentfluxesplanet); break;
    case 14: thermal(gar_thermalnodeincidentfluxessolar); break;
    case 15: fluid(gar_fluidnodehydraulicdiameters); break;
    case 16: fluid(gar_fluidnodelengths); break;
    case 17: fluid(gar_fluidnodepressures); break;
    case 18: fluid(gar_fluidnodespecenthalpies); break;
    case 19: fluid(gar_fluidnodewallroughnesses); break;
    case 20: fluid(gar_fluidnodeheatsources); break;
    case 21: fluid(gar_fluidnodemassflowsources); break;
    case 22: fluid(gar_fluidnodemasssourcespecenthalpies); break;
    case 23: fluid(gar_fluidnodemasssourcetemps); break;
    case 25: both(gar_thermalnodecoordsx, gar_fluidnodecoordsx); break;
    case 26: both(gar_thermalnodecoordsy, gar_fluidnodecoordsy); break;
    case 27: both(gar_thermalnodecoordsz, gar_fluidnodecoordsz); break;
    case 28: fluid(gar_fluidnodevapourqualities); break;
    case 30: fluid(gar_fluidnodeflowareas); break;
    case 31: fluid(gar_fluidnodevolumes); break;
    case 32: fluid(gar_fluidnoderelhumidities); break;
    case 33: fluid(gar_fluidnodemasssourcespechumidities); break;
    case 34: fluid(gar_fluidnodecompliances); break;
    case 35: fluid(gar_fluidnodevolumechangerates); break;
    default: return false;
  }
  return true;
}

// Text entities: L (1), FT (24), FRG (29), FST (36); the status of a SCALE.
bool text_entity(int code, int& scale_status) {
  switch (code) {
    case 1: scale_status = 2; return true;
    case 24: scale_status = 3; return true;
    case 29: scale_status = 4; return true;
    case 36: scale_status = 5; return true;
    default: return false;
  }
}

void apply_text_entity(int code, plat::Vec1<const int> list, int n, std::string_view text, int nt, int& nth,
                       int& nfl, int& refused) {
  int r1 = 0, r2 = 0;
  switch (code) {
    case 1:
      PARCNZ(list, n, text, nt, TextVec1(gar_thermalnodelabels), nth, r1);
      PARCFZ(list, n, text, nt, TextVec1(gar_fluidnodelabels), nfl, r2);
      break;
    case 24: PARCFZ(list, n, text, nt, TextVec1(gar_fluidnodefluidtypes), nfl, r2); break;
    case 29: PARCFZ(list, n, text, nt, TextVec1(gar_fluidnodeflowregimes), nfl, r2); break;
    default: PARCFZ(list, n, text, nt, TextVec1(gar_fluidnodestatedescriptors), nfl, r2); break;
  }
  refused += r1 + r2;
}

// ---- PARCND ---------------------------------------------------------------

struct CondKind {
  int code;
  int slot;       // directory slot of the item kind
  int sublist;    // thermal sub-list (1 GL, 3 GR, 5 GF); 0 none
  int fluidkind;  // fluid sub-list (1 links, 2 GL, 3 GR, 4 GF); 0 none
};

const CondKind* cond_kind(int code) {
  // clang-format off
  static const CondKind kinds[] = {
      {42, md_linearcondbase, 1, 2},     {43, md_radiativecondbase, 3, 3}, {44, md_fluidiccondbase, 5, 4},
      {45, md_vfaccondbase, 0, 0},       {46, md_massflowlinkbase, 0, 1},  {47, md_massflowlinkbase, 0, 1},
  };
  // clang-format on
  for (const auto& k : kinds)
    if (k.code == code) return &k;
  return nullptr;
}

// Room of the result list of a kind: two entries per item where an item may
// be met from both of its ends.
std::int64_t cond_room(int code) {
  switch (code) {
    case 42: return 2LL * std::max(0, FLAGS(2));
    case 43: return 2LL * std::max(0, FLAGS(4));
    case 44: return 2LL * std::max(0, FLAGS(3));
    case 45: return std::max(0, FLAGS(5));
    default: return 2LL * std::max(0, FLAGS(33));
  }
}

plat::Mat2<const int> thermal_ptrs() {
  return plat::Mat2<const int>(gar_pcsptrsthermal.data(), gar_pcsptrsthermal.rows(), gar_pcsptrsthermal.cols());
}

// ---- PARARR / PARCST ------------------------------------------------------

// Resolves the submodel path in front of the last ":" outside quotes of
// `ref` (the search stops at `end`). On success `rest` is the text after the
// path and `model` the submodel found; false when the path names none.
bool resolve_prefix(std::string_view ref, int end, int submodel, int& model, std::string_view& rest) {
  model = submodel;
  rest = ref;
  int colon = 0;
  SQNDEX(ref.substr(0, static_cast<std::size_t>(end)), ":", colon);
  if (colon == 0) return true;
  int pos = 1, ierr = 0, m = submodel;
  LSMINT(gar_modeldirectory.flat(), md_numslots, FLAGS(26), 0, submodel, CTextVec1(gar_modelnames), ref, end, pos, m,
         ierr);
  if (ierr != 0 || pos <= colon) return false;
  model = m;
  rest = ref.substr(static_cast<std::size_t>(std::min<int>(pos - 1, static_cast<int>(ref.size()))));
  return true;
}

// Splits `text` at commas (outside single quotes when `quoted`).
std::vector<std::string_view> split_values(std::string_view text, bool quoted) {
  std::vector<std::string_view> pieces;
  bool inside = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (quoted && text[i] == '\'') inside = !inside;
    if (text[i] == ',' && !inside) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

constexpr std::string_view kTooMany = "Too many values specified - will run off end of array";
constexpr std::string_view kRangeList = "Cannot specify array reference range (m, *) with more than one value";

}  // namespace

void PARNOD(std::string_view command, int code, std::string_view ref, std::string_view value, int submodel,
            int& status) {
  status = 0;
  gar_CoreGuard core;
  const int nt = std::max(0, FLAGS(1)), nf = std::max(0, FLAGS(32));
  const std::int64_t top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  const std::int64_t limit = std::min<std::int64_t>(FLAGS(FLAGS_DYSTOR), gar_dynamiccoreint.size());
  if (top < 1 || top + nt + nf + 1 > limit) {
    status = 1;
    report("Insufficient dynamic core@Increase DYSTOR", 1, "PARNOD");
    return;
  }
  // FLAGS(36) is the first free word: the list starts there, and the top
  // stays above it while the reference routines borrow their own words.
  const int first = core.take_int(nt + nf + 1);
  const plat::Vec1<int> work = gar_dynamiccoreint.from(first, nt + nf + 1);

  int nsel = 0, st = 0;
  PARNDS(ref, submodel, nt + nf, work, nsel, st);
  if (st != 0) {
    status = st;
    return;
  }
  const plat::Vec1<const int> list(work.data(), nsel);
  const bool change = is_change(command);
  int nth = 0, nfl = 0, refused = 0;
  RealEntity real;
  int scale_status = 0;

  if (real_entity(code, real)) {
    double v = 0.0;
    if (change) PARRGT(value, v, st);
    else PARRVL(value, v, st);
    if (st != 0) {
      status = st;
      return;
    }
    int r1 = 0, r2 = 0;
    if (real.has_thermal) {
      if (change) PARCNR(list, nsel, v, nt, real.thermal, nth, r1);
      else PARSNR(list, nsel, v, nt, real.thermal, nth, r1);
    }
    if (real.has_fluid) {
      if (change) PARCFR(list, nsel, v, nt, real.fluid, nfl, r2);
      else PARSFR(list, nsel, v, nt, real.fluid, nfl, r2);
    }
    refused = r1 + r2;
  } else if (text_entity(code, scale_status)) {
    plat::Text<256> text;
    PARZVL(value, text.ref(), st);
    if (st != 0) {
      status = st;
      return;
    }
    if (!change) {
      status = scale_status;
      report("Cannot SCALE character data", status, "PARNOD");
      return;
    }
    apply_text_entity(code, list, nsel, text.view(), nt, nth, nfl, refused);
  } else if (code >= 49 && code <= 58) {
    if (!change) {
      status = 8;
      report("Cannot SCALE node status", 8, "PARNOD");
      return;
    }
    int tflag = 0, fflag = 0;
    PARCNS(list, nsel, value, nt, gar_fluidnodestatuses.view(), gar_thermalnodestatuses.view(),
           gar_thermalnodestatusescopy.view(), nth, nfl, tflag, fflag);
    refused = tflag + fflag;
  } else if (code < 0) {
    PARUDE(command, code, list, nsel, value, nfl, nth, st);
    refused = st;
  } else {
    status = 6;
    report("Invalid or unrecognised entity type", 6, "PARNOD");
    return;
  }
  status += refused;

  if (status == 0 && nth + nfl < nsel) {
    const bool some = nth + nfl > 0;
    report("Fluid nodes selected for thermal only entity or vice versa", 7, "PARNOD", some ? 2 : 3);
    status = some ? 0 : 7;
  }
}

void PARCND(std::string_view command, int code, std::string_view ref, std::string_view value, int submodel,
            int& status) {
  status = 0;
  gar_CoreGuard core;
  const CondKind* kind = cond_kind(code);
  if (kind == nullptr) {
    status = 1;
    report("Invalid entity type - not a conductor", 1, "PARCND");
    return;
  }
  const int nt = std::max(0, FLAGS(1)), nf = std::max(0, FLAGS(32));
  int top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  int na = 0, nb = 0, ia = 0, ib = 0, seq = 0, mfirst = 0, mlast = 0, st = 0;
  PARCNP(ref, submodel, FLAGS(FLAGS_DYSTOR), FLAGS(26), nf, nt, gar_dynamiccoreint.view(), top, na, nb, ia, ib, seq,
         mfirst, mlast, st);
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = top;
  if (st != 0) {
    status = st;
    return;
  }

  const std::int64_t room = cond_room(code);
  const std::int64_t limit = std::min<std::int64_t>(FLAGS(FLAGS_DYSTOR), gar_dynamiccoreint.size());
  if (top < 1 || static_cast<std::int64_t>(top) + room > limit) {
    status = 8;
    report("Insufficient dynamic core@Increase DYSTOR", 8, "PARCND");
    return;
  }
  // The result list starts at the first free word above the node lists, so
  // the raised top lies past its last word.
  const int at = core.take_int(room);
  const plat::Vec1<int> out = room > 0 ? gar_dynamiccoreint.from(at, room) : plat::Vec1<int>();

  // The value: an activity letter for ON/OFF, else a number.
  std::string_view letter;
  const std::string_view v = trim_right(value);
  if (v == "ON") letter = "A";
  else if (v == "OFF") letter = "I";
  double number = 0.0;
  if (letter.empty()) {
    if (is_change(command)) PARRGT(value, number, st);
    else PARRVL(value, number, st);
    if (st != 0) {
      status = st;
      return;
    }
  }

  // The items of the kind owned by the submodels mfirst..mlast.
  const int first = gar_modeldirectory(kind->slot, mfirst) + 1;
  const int last = gar_modeldirectory(kind->slot, mlast + 1);
  const plat::Vec1<const int> a =
      na > 0 ? plat::Vec1<const int>(gar_dynamiccoreint.from(ia, na)) : plat::Vec1<const int>();
  const plat::Vec1<const int> b =
      nb > 0 ? plat::Vec1<const int>(gar_dynamiccoreint.from(ib, nb)) : plat::Vec1<const int>();
  int nout = 0;
  if (code == 45) {
    PARGGV(a, na, b, nb, seq, gar_vfaccondnodepairs.view(), first, last, out, nout, st);
  } else {
    if (kind->sublist != 0)
      PARGNP(a, na, b, nb, seq, gar_pcsthermal.view(), thermal_ptrs(), first, last, nf, nt, kind->sublist, out, nout,
             st);
    PARGFP(a, na, b, nb, seq, gar_massflowlinkcondnodepairs.view(), gar_pcsfluid.view(), gar_pcsptrsfluid.view(),
           first, last, kind->fluidkind, kind->slot, nf, nt, out, nout, st);
  }
  const plat::Vec1<const int> items(out.data(), nout);

  if (!letter.empty() && code == 45) {
    status = 9;
    report("Cannot change status of GVs", 9, "PARCND");
    return;
  }
  if (!letter.empty() && code == 47) {
    status = 10;
    report("Cannot change status of GPs", 10, "PARCND");
    return;
  }
  if (!letter.empty()) {
    TextVec1 acts;
    switch (code) {
      case 42: acts = TextVec1(gar_linearcondacts); break;
      case 43: acts = TextVec1(gar_radiativecondacts); break;
      case 44: acts = TextVec1(gar_fluidiccondacts); break;
      default: acts = TextVec1(gar_massflowlinkstatuses); break;
    }
    PARSTZ(items, nout, letter, acts, st);
  } else {
    plat::Vec1<double> values;
    switch (code) {
      case 42: values = gar_linearconds.view(); break;
      case 43: values = gar_radiativeconds.view(); break;
      case 44: values = gar_fluidicconds.view(); break;
      case 45: values = gar_vfacconds.view(); break;
      case 46: values = gar_massflowlinkflowrates.view(); break;
      default: values = gar_massflowlinkfittinglosses.view(); break;
    }
    PARSTR(items, nout, command, number, values, st);
  }
  status = st;
  if (status == 0 && nout == 0) {
    status = 11;
    report("No matching conductors found", 11, "PARCND");
  }
}

void PARARR(std::string_view command, std::string_view ref, std::string_view value, int submodel, int& status) {
  status = 0;
  const std::string whole(ref.substr(0, std::min<std::size_t>(ref.size(), 256)));
  const std::string_view r = trim_right(ref);
  int bracket = 0;
  SQNDEX(r, "(", bracket);
  int model = submodel;
  std::string_view aref;
  if (!resolve_prefix(r, bracket > 0 ? bracket - 1 : static_cast<int>(r.size()), submodel, model, aref)) {
    status = 1;
    report("Unrecognised submodel name@" + whole, 1, "PARARR");
    return;
  }
  const std::size_t open = aref.find('(');
  if (open == std::string_view::npos) {
    status = 2;
    report("Invalid entity reference syntax@" + std::string(aref), 2, "PARARR");
    return;
  }
  // A name longer than the 18 characters of an array name names no array
  // (its first 18 characters may well be another array's name).
  const std::string_view name = trim_right(aref.substr(0, open));
  const int base = md_arraybase(model);
  const int count = md_arraybase(model + 1) - base;
  int st = 0, found = 0, pos = 0;
  if (name.size() <= 18 && count >= 1 && base >= 0 && std::int64_t{base} + count <= gar_arraynames.size())
    SRFNDZ(CTextVec1(gar_arraynames).from(base + 1, count), count, name, st, found, pos);
  if (found != 1) {
    status = 3;
    report("Unrecognised entity name@" + whole, 3, "PARARR");
    return;
  }
  const int narray = base + pos;

  int type = 0, firstvalue = 0, ndim = 0, rangeflag = 0;
  int dims[3] = {1, 1, 1}, range[6] = {1, 1, 1, 1, 1, 1};
  PARAIN(narray, aref.substr(open), type, firstvalue, ndim, plat::Vec1<int>(dims, 3), plat::Vec1<int>(range, 6),
         rangeflag, st);
  if (st != 0) {
    status = st;
    return;
  }
  const plat::Vec1<const int> rng(range, 6);
  const std::int64_t nelements = std::int64_t{dims[0]} * dims[1] * dims[2];
  // Offset of element (i, j, k) from the array's first value, first index fastest.
  const std::int64_t offset =
      (range[0] - 1) + std::int64_t{range[2] - 1} * dims[0] + std::int64_t{range[4] - 1} * dims[0] * dims[1];
  const bool change = is_change(command);

  if (type == 2) {
    const auto pieces = split_values(value, false);
    std::vector<double> values(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      if (change) PARRGT(pieces[i], values[i], st);
      else PARRVL(pieces[i], values[i], st);
      if (st != 0) {
        status = st;
        return;
      }
    }
    if (!change && values.size() > 1) {
      status = 4;
      report("Can only supply list of values with CHANGE", 4, "PARARR");
      return;
    }
    const plat::Vec1<double> store = firstvalue >= 1 && firstvalue <= gar_arrayvaluesreal.size()
                                         ? gar_arrayvaluesreal.view().from(firstvalue)
                                         : plat::Vec1<double>();
    if (rangeflag != 0) {
      if (values.size() > 1) {
        status = 6;
        report(std::string(kRangeList), 6, "PARARR");
        return;
      }
      PARRAR(command, dims[0], dims[1], rng, values[0], store);
      return;
    }
    if (offset + static_cast<std::int64_t>(values.size()) > nelements) {
      status = 7;
      report(std::string(kTooMany), 7, "PARARR");
      return;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
      const std::int64_t p = offset + 1 + static_cast<std::int64_t>(i);
      if (p > store.size()) break;
      if (change) store(p) = values[i];
      else store(p) *= values[i];
    }
    return;
  }

  if (type == 1) {
    if (!change) {
      status = 4;
      report("Cannot scale integer values", 4, "PARARR");
      return;
    }
    const auto pieces = split_values(value, false);
    std::vector<int> values(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      PARIGT(pieces[i], values[i], st);
      if (st != 0) {
        status = st;
        return;
      }
    }
    const plat::Vec1<int> store = firstvalue >= 1 && firstvalue <= gar_arrayvaluesint.size()
                                      ? gar_arrayvaluesint.view().from(firstvalue)
                                      : plat::Vec1<int>();
    if (rangeflag != 0) {
      if (values.size() > 1) {
        status = 4;
        report(std::string(kRangeList), 4, "PARARR");
        return;
      }
      PARIAR(dims[0], dims[1], rng, values[0], store);
      return;
    }
    if (offset + static_cast<std::int64_t>(values.size()) > nelements) {
      status = 5;
      report(std::string(kTooMany), 5, "PARARR");
      return;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
      const std::int64_t p = offset + 1 + static_cast<std::int64_t>(i);
      if (p > store.size()) break;
      store(p) = values[i];
    }
    return;
  }

  // Text array.
  if (!change) {
    status = 4;
    report("Cannot scale character values", 4, "PARARR");
    return;
  }
  const auto pieces = split_values(value, true);
  std::vector<PoolElement> texts(pieces.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    PARZVL(pieces[i], texts[i].ref(), st);
    if (st != 0) {
      status = st;
      return;
    }
  }
  const int nelem = std::max(0, std::min<int>(FLAGS(22), static_cast<int>(gar_arrayvalueschar.size())));
  if (rangeflag != 0) {
    if (texts.size() > 1) {
      status = 6;
      report(std::string(kRangeList), 6, "PARARR");
      return;
    }
    PARZA2(dims[0], dims[1], dims[2], rng, texts[0].view(), firstvalue, nelem, gar_arrayvalueschar.view(), status);
    return;
  }
  if (offset + static_cast<std::int64_t>(texts.size()) > nelements) {
    status = 7;
    report(std::string(kTooMany), 7, "PARARR");
    return;
  }
  PARZA1(static_cast<int>(offset + 1), static_cast<int>(texts.size()),
         plat::Vec1<const PoolElement>(texts.data(), static_cast<std::int64_t>(texts.size())), firstvalue, nelem,
         gar_arrayvalueschar.view(), status);
}

void PARCST(std::string_view command, std::string_view ref, std::string_view value, int submodel, int& status) {
  status = 0;
  const std::string whole(ref.substr(0, std::min<std::size_t>(ref.size(), 256)));
  const std::string_view r = trim_right(ref);
  int model = submodel;
  std::string_view rest;
  if (!resolve_prefix(r, static_cast<int>(r.size()), submodel, model, rest)) {
    status = 1;
    report("Unrecognised submodel name@" + whole, 1, "PARCST");
    return;
  }
  // A name longer than the 18 characters of a constant's name names no
  // constant (its first 18 characters may well be another one's name):
  // refused as an unknown control constant, with the whole name.
  if (STRLNA(rest) > 18) {
    PARCCT(command, rest, value, model, status);
    return;
  }
  plat::Text<18> name;
  name = rest;

  // The model's own names: reals, then integers, then texts, each ascending.
  const CTextVec1 names(gar_userconstnames);
  auto search = [&](int from, int to, int& pos) {
    const int n = to - from;
    if (n < 1 || from < 0 || std::int64_t{from} + n > names.size()) return false;
    int st = 0, found = 0;
    SOFNDZ(names.from(from + 1, n), n, name.view(), st, found, pos);
    return st == 0 && found == 1;
  };
  int pos = 0;
  if (search(md_realnamebase(model), md_intnamebase(model), pos)) {
    const int index = md_realuserconstbase(model) + pos;
    if (index >= 1 && index <= gar_userconstvaluesreal.size()) {
      PARCCR(command, name.view(), value, gar_userconstvaluesreal(index), status);
      return;
    }
  } else if (search(md_intnamebase(model), md_charnamebase(model), pos)) {
    const int index = md_intuserconstbase(model) + pos;
    if (index >= 1 && index <= gar_userconstvaluesint.size()) {
      PARCCI(command, name.view(), value, gar_userconstvaluesint(index), status);
      return;
    }
  } else if (search(md_charnamebase(model), md_realnamebase(model + 1), pos)) {
    // The stored text keeps its length: read it out of the pool, change the
    // copy and write it back in place.
    const int index = md_charuserconstbase(model) + pos;
    const int nelem = static_cast<int>(gar_userconstvalueschar.size());
    const std::int64_t limit = std::int64_t{nelem} * kPoolElementLength;
    std::int64_t start = -1;
    if (index >= 1 && index <= gar_userconstpointerschar.size())
      start = std::int64_t{md_charelementbase(model)} * kPoolElementLength + gar_userconstpointerschar(index);
    std::string text;
    int length = 0, st = -1;
    if (start >= 1 && start <= limit && limit <= INT32_MAX) {
      const int element = static_cast<int>((start - 1) / kPoolElementLength + 1);
      if (gar_userconstvalueschar(element).c[(start - 1) % kPoolElementLength] == '\0') {
        st = 0;  // an empty text
      } else {
        text.assign(static_cast<std::size_t>(limit - start + 1), ' ');
        DBFZPK(PoolView(gar_userconstvalueschar.view()), nelem, static_cast<int>(limit), static_cast<int>(start),
               length, plat::TextRef(text), st);
      }
    }
    if (st != 0) {
      status = 2;
      report("Error retrieving user constant from store@Contact Central Support", 2, "PARCST");
      return;
    }
    text.resize(static_cast<std::size_t>(length));
    PARCCZ(command, name.view(), value, plat::TextRef(text), status);
    if (status != 0 || length == 0) return;
    int offset = static_cast<int>((start - 1) % kPoolElementLength + 1);
    int element = static_cast<int>((start - 1) / kPoolElementLength + 1);
    SMOVVA(text, length, offset, element, gar_userconstvalueschar.view(), nelem);
    return;
  }
  PARCCT(command, name.view(), value, model, status);
}

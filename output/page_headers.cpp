#include "output/page_headers.h"

#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "output/lendgt.h"
#include "platform/format.h"
#include "platform/units.h"

namespace {

constexpr std::string_view kVersion = "2020";

// n written with format (I2) or (I3).
std::string i2(int n) { return plat::format_records("(I2)", n).at(0); }
std::string i3(int n) { return plat::format_records("(I3)", n).at(0); }

int ipow10(int e) {
  if (e < 0) return 0;
  int p = 1;
  for (int k = 0; k < e; ++k) p *= 10;
  return p;
}

bool defined_node(std::int32_t v) { return !SLUNDF(v); }

// User node number of global node `node` (thermal, then fluid); 0 when out of range.
int user_number(std::int32_t node) {
  const int nt = FLAGS(1), nf = FLAGS(32);
  if (node >= 1 && node <= nt) return gar_thermalnodenums(node);
  if (node > nt && node <= nt + nf) return gar_fluidnodenums(node - nt);
  return 0;
}

// "  AT NODE n IN SUB-MODEL  " ending the open line, then the model path of
// global node `node` from column digits + 44; an empty end of line when
// there is no node.
void node_suffix(int unit, int user, int node) {
  if (user >= 1) {
    const int ndig = LENDGT(user);
    plat::write_formatted(unit, "('  AT NODE ', I" + i2(ndig) + ", ' IN SUB-MODEL  ' )", user);
    const int model = NDSSMD(node);
    const int nm = FLAGS(26);
    plat::Array1<plat::Text<24>> chain(nm > 0 ? nm : 1);
    int depth = 0, ierr = 0;
    SCCNAM(gar_modeldirectory, md_numslots, nullptr, gar_modelnames, model, chain, depth, ierr);
    if (ierr == 0) LSPCNM(chain, depth, ndig + 44, GLOI.WIDTH);
  } else {
    plat::io::end_line(unit);
  }
}

}  // namespace

void PRPAGE() {
  const int width = GLOI.WIDTH;
  if (width < 80 || width > 132) {
    SETERX("Page width outside allowable limits@Control constant WIDTH should be between 80 and 132", 4, 1,
           "PRPAGE");
    return;
  }
  const int unit = PRTINF(3);
  const std::string_view job = JOBINF.jobname.trimmed();
  const std::string jobright = std::string(24 - job.size(), ' ') + std::string(job);
  plat::write_formatted(unit, "('1')");
  const std::string head = "(1X, 'NORVEK-QVD', 2X, '" + std::string(kVersion) + "', " +
                           i3(width - 22 - static_cast<int>(kVersion.size())) + "X, 'Page ', I5)";
  plat::write_formatted(unit, head, PRTINF(4));
  plat::write_formatted(unit, "(1X, A17, 2X, A8, " + i3(width - 51) + "X, A24, /)", JOBINF.date, JOBINF.time,
                        jobright);
  if (!GLOC.HEADER.blank()) {
    plat::write_formatted(unit, "(1X, A, /, /, /, /)", GLOC.HEADER);
    PRTINF(2) = 9;
  } else {
    plat::write_formatted(unit, "(/, /)");
    PRTINF(2) = 7;
  }
  PRTINF(4) += 1;
}

plat::Text<14> LFMTR(int nw, int nd, int ns, double x) {
  std::string f;
  if (SDUNDF(x)) return plat::Text<14>(f.append("F").append(i2(nw)).append(".0"));
  const double ax = x < 0 ? -x : x;
  const double upper = static_cast<double>(ipow10(x >= 0 ? nw - nd - 1 : nw - nd - 2));
  const double lower = 1.0 / static_cast<double>(ipow10(nd - ns + 1));
  if (x == 0.0 || (ax < upper && ax >= lower))
    return plat::Text<14>(f.append("F").append(i2(nw)).append(".").append(i2(nd)));
  return plat::Text<14>(f.append("1P, E").append(i2(nw)).append(".").append(i2(ns - 1)).append(", 0P"));
}

void LSPCNM(plat::Vec1<const plat::Text<24>> names, int nnames, int icol, int iwidth) {
  // The line buffer holds 132 characters; a wider WIDTH (only PRPAGE checks
  // it) breaks lines as the widest valid page does.
  if (iwidth < 1) iwidth = 1;
  if (iwidth > 132) iwidth = 132;
  int a = icol - 1, lines = 1;
  LoopGuard g1("LSPCNM");
  for (int c = 1; c <= nnames; ++c) {
    g1.pass();
    const int len = static_cast<int>(names(c).len_trim());
    const int a2 = a + len + 1;
    if (a2 / iwidth != a / iwidth) {
      a = lines * iwidth + len + 1;
      ++lines;
    } else {
      a = a2;
    }
  }
  if (PRTINF(1) - PRTINF(2) < lines) PRPAGE();
  const int unit = PRTINF(3);
  std::string buf(132, ' ');
  int p = icol - 1;
  LoopGuard g2("LSPCNM");
  for (int c = 1; c <= nnames; ++c) {
    g2.pass();
    const std::string_view name = names(c).trimmed();
    const int len = static_cast<int>(name.size());
    if (p + len >= iwidth) {
      plat::write_formatted(unit, "( '+' , A , / )", std::string_view(buf).substr(0, iwidth));
      buf.assign(132, ' ');
      p = 0;
    }
    if (p < 0) p = 0;
    buf.replace(static_cast<std::size_t>(p), name.size(), name);
    p += len;
    if (c < nnames && p < 132) buf[static_cast<std::size_t>(p++)] = ':';
  }
  plat::write_formatted(unit, "( '+' , A )", buf);
  PRTINF(2) += lines;
}

void PRHEAD() {
  const int unit = PRTINF(3);
  const int nt = FLAGS(1);
  const int node = defined_node(GLOI.NCSGMN) ? user_number(GLOI.NCSGMN) : 0;
  const int fnode = defined_node(GLOI.FNCSGM) && GLOI.FNCSGM > nt ? user_number(GLOI.FNCSGM) : 0;

  const std::string t = LFMTR(10, 2, 2, GLOR.TIMEN).str();
  const std::string cs = LFMTR(10, 4, 4, GLOR.CSGMIN).str();
  const std::string dc = LFMTR(10, 4, 4, GLOR.DTCOUR).str();
  const std::string du = LFMTR(10, 4, 4, GLOR.DTIMEU).str();
  const std::string ea = LFMTR(10, 4, 4, GLOR.ENBALA).str();
  const std::string er = LFMTR(7, 4, 1, GLOR.ENBALR).str();
  const std::string fc = LFMTR(10, 4, 4, GLOR.FCSGMN).str();
  const std::string rm = LFMTR(10, 4, 4, GLOR.RELXMC).str();

  if (PRTINF(1) - PRTINF(2) < 10) PRPAGE();

  const std::string_view solver = GLOC.SOLVER.view();
  const bool cyclic = solver.substr(0, 2) == "CY";
  const std::string p = "(/, 1X, ' TIMEN =', " + t + ", '      MODULE ', A6" + (cyclic ? ", '-CYC" : ", '    ");
  const int width = GLOI.WIDTH;
  // Joint between the two halves of a long line: a new line at or below the limit.
  auto joint = [&](int limit, int& lines) {
    if (width <= limit) {
      ++lines;
      return std::string("/, 1X, ");
    }
    return std::string("6X,    ");
  };
  const double timen = GLOR.TIMEN;
  const plat::Text<6> module = GLOC.MODULE;
  int lines = 0;
  bool with_suffix = false;

  if (plat::text_eq(solver, "SSTH")) {
    lines = 4;
    const std::string f =
        p + "  LOOPCT =', I6, " + joint(101, lines) + "'ENBALA =', " + ea + ", '      ENBALR =', " + er + ")";
    plat::write_formatted(unit, f, timen, module, GLOI.LOOPCT, GLOR.ENBALA, GLOR.ENBALR);
    PRTINF(2) += lines;
  } else if (solver.substr(2, 2) == "TH") {
    const std::string f = p + "  DTIMEU =', " + du + ", /, 1X, 'CSGMIN =', " + cs + ")";
    plat::write_formatted_partial(unit, f, timen, module, GLOR.DTIMEU, GLOR.CSGMIN);
    PRTINF(2) += 3;
    node_suffix(unit, node, GLOI.NCSGMN);
    with_suffix = true;
  } else if (solver.substr(0, 4) == "SSFL") {
    lines = 4;
    const std::string f = p + "  LOOPCT =', I6, " + joint(125, lines) + "'ENBALA =', " + ea +
                          ", '      ENBALR =', " + er + ", '    DTCOUR = ', " + dc + ")";
    plat::write_formatted(unit, f, timen, module, GLOI.LOOPCT, GLOR.ENBALA, GLOR.ENBALR, GLOR.DTCOUR);
    PRTINF(2) += lines;
  } else if (solver.substr(2, 4) == "FL1P" && plat::text_eq(module.view(), "FLTMTS")) {
    int first = 4;
    const std::string f = p + "  RELXMC =', " + rm + ", " + joint(128, first) +
                          "'FSTEPS =', I6, '      DTIMEU =', " + du + ", '      DTCOUR =', " + dc +
                          ",  /, 1X, 'CSGMIN =', " + cs + ")";
    plat::write_formatted_partial(unit, f, timen, module, GLOR.RELXMC, GLOI.FSTEPS, GLOR.DTIMEU, GLOR.DTCOUR,
                                  GLOR.CSGMIN);
    PRTINF(2) += first;
    node_suffix(unit, node, GLOI.NCSGMN);
    plat::write_formatted_partial(unit, "(1X, 'FCSGMN =', " + fc + ")", GLOR.FCSGMN);
    PRTINF(2) += 1;
    node_suffix(unit, fnode, GLOI.FNCSGM);
    with_suffix = true;
  } else if (solver.substr(2, 4) == "FL1P") {
    int first = 3;
    const std::string f = p + "  RELXMC =', " + rm + ", " + joint(108, first) + "'DTIMEU =', " + du +
                          ", '      DTCOUR =', " + dc + ", /, 1X, 'CSGMIN =', " + cs + ")";
    plat::write_formatted_partial(unit, f, timen, module, GLOR.RELXMC, GLOR.DTIMEU, GLOR.DTCOUR, GLOR.CSGMIN);
    PRTINF(2) += first;
    node_suffix(unit, node, GLOI.NCSGMN);
    with_suffix = true;
  } else if (solver.substr(2, 4) == "FL2P") {
    lines = 5;
    const std::string f = p + "  DTIMEU =', " + du + ", " + joint(84, lines) + "'DTCOUR =', " + dc + ", /)";
    plat::write_formatted(unit, f, timen, module, GLOR.DTIMEU, GLOR.DTCOUR);
    PRTINF(2) += lines;
  } else {
    plat::write_formatted(unit, "(1X, /, 1X, ' TIMEN =', " + t + ")", timen);
    PRTINF(2) += 4;
  }
  // Every variant ends with two empty lines; they are counted in the
  // figures above, except for the variants with a node suffix.
  plat::write_formatted(unit, "(/)");
  if (with_suffix) PRTINF(2) += 2;
}

namespace {

// Three lines of one figure of the cycle report, or the "Not calculated"
// line when no node was found.
void cycle_figure(int unit, std::string_view label, int node, double value) {
  const std::string lead = "(1X, '" + std::string(label);
  if (node < 1) {
    plat::write_formatted(unit, lead + "Not calculated ')");
    return;
  }
  int len = 0, number = 0, ierr = 0;
  plat::Text<256> path;
  LNDREF(node, len, number, path, ierr);
  if (len < 0) len = 0;
  if (len > 256) len = 256;
  plat::write_formatted(unit, lead + "', 1PE11.4)", value);
  plat::write_formatted(unit, "(1X, '    at node ', A)", std::to_string(number));
  plat::write_formatted(unit, "(1X, '    in submodel ', A)", path.view().substr(0, static_cast<std::size_t>(len)));
}

}  // namespace

void LPRCYC(double maxddt, int icycle, int nodddt, int noddt, double maxdt) {
  const bool trace = GLOI.TRACE == 1;
  int unit = 13;
  if (!trace) {
    if (PRTINF(2) + 5 >= PRTINF(1)) PRPAGE();
    unit = PRTINF(3);
  }
  plat::write_formatted(unit, "(/ 1X, 'SOLCYC cycle number: ', A)", std::to_string(icycle));
  cycle_figure(unit, "  Max delta T = ", noddt, maxdt);
  cycle_figure(unit, "  Max delta dT/dt = ", nodddt, maxddt);
  if (!trace) PRTINF(2) += 6;
}

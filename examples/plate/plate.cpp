// Generated program of the model PLATE: a square aluminium plate of four
// strips, heated at one edge, radiating from its face to deep space (node 99,
// a boundary at -270 C). Its EXECUTION block solves the heated steady state,
// then follows the plate through TEND seconds in which the heater is off for
// the second half. OUTPUTS prints a node table and writes a TMD time slice
// (PLATE.TMD for the steady state, PLATE.TMD2 for the transient). The
// statements of its blocks are the model's own; the frames around them are
// those of every generated program.
//
// Run it in a directory that holds PLATE.MDB and PLATE.acd, the files the
// preprocessor writes with the program; in this example plate_files (built in
// the library's tree, plate_files.cpp) stands in for the preprocessor.
// tools/run-example does both. The program includes only the library's one
// header, so it builds in any folder against the installed library
// (CMakeLists.txt here; docs/GENERATED_PROGRAM.md).
#include <algorithm>
#include <string_view>

#include "tna/model_program.h"

namespace {
constexpr std::string_view kModelName = "PLATE                   ";

// Heat input of the edge strip, W: on, except in the second half of the
// transient (TIMEM is 0 in the steady state).
void edge_heater() {
  const double tend = gar_userconstvaluesreal(md_realuserconstbase(1) + 1);
  gar_thermalnodeheatsourcesinternal(md_thermalnodebase(1) + 1) = GLOR.TIMEM < 0.5 * tend ? 25.0 : 0.0;
}
}  // namespace

void IN0001() {
  GLOC.OPBLOK = "INITIAL";
  GLOI.MODEL = 1;
  bool on = true;
  GM0001(on);
  FINITS(" ", -1);
  // INITIAL
  edge_heater();
  GLOC.OPBLOK = "";
}

void EXECTN() {
  // EXECUTION
  GLOR.RELXCA = 0.01f;
  GLOI.NLOOP = 500;
  GLOI.PRGFBK = 1;
  GLOR.INBALA = 0.01f;
  GLOR.INBALR = 0.001f;
  SOLVFM();
  GLOR.TIMEND = gar_userconstvaluesreal(md_realuserconstbase(1) + 1);
  GLOR.DTIMEI = GLOR.TIMEND / 100;
  GLOR.OUTINT = GLOR.TIMEND / 4;
  GLOR.DTPMAX = 1.0f;
  GLOR.DTROCA = 1.0f;
  GLOR.DTMIN = 0.1f;
  GLOR.DTMAX = 600.0f;
  GLOR.DAMPT = 1.0f;
  SLCRNC();
}

void V10001() {
  const std::string_view soltyp = plat::trimmed(GLOC.SOLTYP.view());
  bool thermal = soltyp == "THERMAL" || soltyp == "HUMID";
  GLOC.OPBLOK = "VARIABLES1";
  GLOI.MODEL = 1;
  PRMUPD();
  CHKTRM();
  ACDDYU();
  HEATER_UPDATE();
  GLOI.MODEL = 1;
  // VARIABLES1
  edge_heater();
  GM0001(thermal);
  GLOC.OPBLOK = "";
}

void V20001() {
  GLOC.OPBLOK = "VARIABLES2";
  GLOI.MODEL = 1;
  SSNCNT(FLAGS(24), FLAGS(25), std::max(FLAGS(1), 1), gar_pcsthermalold, gar_thermalnodetemps);
  GLOI.STEPCT = GLOI.STEPCT + 1;
  PRMUPD();
  HEATER_UPDATE();
  GLOI.MODEL = 1;
  // VARIABLES2: no statements
  GLOC.OPBLOK = "";
  PARWRT("VARIABLES2");
}

void OUTPUT() {
  if (!plat::text_eq(GLOC.OUTIME.view(), "ALL")) return;
  GLOC.OPBLOK = "OUTPUTS";
  // OUTPUTS
  PRNDTB(" ", "L, T, QS, QE, QA, QI, C", 1);
  DMPTMD(" ", "NODES, CONDUCTORS, CONSTANTS", 1, " ");
  GLOC.OPBLOK = "";
  PARWRT("OUTPUTS");
}

void GM0001(bool& /*flag*/) {}

// Reference list: never called; names every property function so that all
// of them are part of the program.
void SYMREF() {
  double p = 0.0, t = 0.0, h = 0.0, x = 0.0;
  int ifluid = 0, node = 0;
  XCOND(p, t, x, ifluid, node);
  XCONDS(p, t, x, ifluid, node);
  XCP(p, t, x, ifluid, node);
  XCPS(p, t, x, ifluid, node);
  XENTH(p, t, x, ifluid, node);
  XENTHS(p, t, x, ifluid, node);
  XJT(p, t, x, ifluid, node);
  XJTS(p, t, x, ifluid, node);
  XKT(p, t, x, ifluid, node);
  XKTS(p, t, x, ifluid, node);
  XPRES(p, t, x, ifluid, node);
  XPRESS(t, ifluid, node);
  XRHO(p, t, x, ifluid, node);
  XRHOS(p, t, x, ifluid, node);
  XSIG(p, t, ifluid, node);
  XSIGS(p, t, ifluid, node);
  XTEMP(p, h, x, ifluid, node);
  XTEMPS(p, ifluid, node);
  XVISC(p, t, x, ifluid, node);
  XVISCS(p, t, x, ifluid, node);
  FTYPEC(ifluid);
  FTYPEI("");
  plat::exit_process(0);
}

// Process entry: sizes, name, run driver, normal end.
[[noreturn]] void MAIN__() {
  static constexpr int flags[41] = {
      5, 3, 0,  4,  0,  1, 0,   0,      0, 0,  // words 1-10
      2, 0, 49, 25, 16, 1, 92,  0,      0, 0,  // words 11-20
      0, 0, 0,  60, 2,  1, 133, 100000, 1, 0,  // words 21-30
      0, 0, 0,  0,  0,  1, 0,   0,      0, 0,  // words 31-40
      0                                        // word 41
  };
  for (int i = 1; i <= 41; ++i) FLAGS(i) = flags[i - 1];
  SVMNAM(kModelName);
  static constexpr int sprsiz[5] = {1, 3, 0, 0, 0};
  for (int i = 1; i <= 5; ++i) SPRSIZ(i) = sprsiz[i - 1];
  MAINA(kModelName, 24);
  SUCCES();
}

int main() { MAIN__(); }

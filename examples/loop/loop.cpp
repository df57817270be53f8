// Generated program of the model LOOP: a pumped water loop that cools an
// electronics box. Ten fluid nodes form a ring of 10 mm pipe, 1 m a node: an
// accumulator (node 1, status "J", its pressure held), a cold plate of four
// nodes (2-5) joined by GL conductors to the electronics box (node 100, a
// heat source of POWER watts), a radiator of four nodes (6-9) joined by GR
// conductors to deep space (node 999, a boundary at -270 C), and a return
// line (10). A pump of PUMP pascals drives link 1 (accumulator to cold
// plate). The EXECUTION block follows the loop from 20 C through TEND seconds
// with FLTNTS, until the box, the coolant and the radiator have settled;
// OUTPUTS prints a node table of the thermal and the fluid nodes. The
// statements of its blocks are the model's own; the frames around them are
// those of every generated program.
//
// Run it in a directory that holds LOOP.MDB and LOOP.acd, the files the
// preprocessor writes with the program; in this example loop_files (built in
// the library's tree, loop_files.cpp) stands in for the preprocessor.
// "tools/run-example loop" does both. The program includes only the library's
// one header, so it builds in any folder against the installed library
// (CMakeLists.txt here; docs/GENERATED_PROGRAM.md).
#include <algorithm>
#include <string_view>

#include "tna/model_program.h"

namespace {
constexpr std::string_view kModelName = "LOOP                    ";

// The model's real user constants: 1 POWER (W), 2 PUMP (Pa), 3 TEND (s).
double user_constant(int k) { return gar_userconstvaluesreal(md_realuserconstbase(1) + k); }
}  // namespace

void IN0001() {
  GLOC.OPBLOK = "INITIAL";
  GLOI.MODEL = 1;
  bool on = true;
  GM0001(on);
  FINITS(" ", -1);
  // INITIAL
  gar_massflowlinkpressuresources(md_massflowlinkbase(1) + 1) = user_constant(2);
  GLOC.OPBLOK = "";
}

void EXECTN() {
  // EXECUTION
  gar_thermalnodeheatsourcesinternal(md_thermalnodebase(1) + 1) = user_constant(1);
  GLOR.TIMEND = user_constant(3);
  GLOR.OUTINT = GLOR.TIMEND / 4;
  GLOR.DTIMEI = 20.0f;
  GLOR.DTMIN = 1.0f;
  GLOR.DTMAX = 60.0f;
  GLOR.DTPMAX = 2.0f;
  GLOI.NLOOP = 100;
  GLOR.RELXCA = 1.0e-3f;
  GLOR.FRLXCA = 1.0e-3f;
  GLOR.RELXMA = 1.0e-4f;
  GLOR.DAMPT = 1.0f;
  GLOR.DAMPM = 0.5f;
  GLOR.MINFLO = 1.0e-6f;
  FLTNTS();
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
  // VARIABLES1: no statements
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
  PRNDTB(" ", "L, T, P, FE, QI, C", 1);
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
  // 2 thermal nodes, 4 GL, 4 GR, 3 real user constants, 10 fluid nodes, 10
  // mass-flow links; connection lists: word 24 = 6 x 2 + 2 x 8 thermal
  // conductor ends + 2, word 35 = 5 x 10 + 4 x 10 + 2 x 8 fluid conductor
  // ends.
  static constexpr int flags[41] = {
      2, 4,  0,  4,  0,   3, 0,   0,      0, 0,  // words 1-10
      2, 0,  49, 25, 16,  3, 92,  0,      0, 0,  // words 11-20
      0, 0,  0,  30, 2,   1, 133, 100000, 1, 0,  // words 21-30
      0, 10, 10, 0,  106, 1, 0,   0,      0, 0,  // words 31-40
      0                                          // word 41
  };
  for (int i = 1; i <= 41; ++i) FLAGS(i) = flags[i - 1];
  SVMNAM(kModelName);
  static constexpr int sprsiz[5] = {1, 3, 0, 0, 0};
  for (int i = 1; i <= 5; ++i) SPRSIZ(i) = sprsiz[i - 1];
  MAINA(kModelName, 24);
  SUCCES();
}

int main() { MAIN__(); }

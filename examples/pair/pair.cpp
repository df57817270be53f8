// Generated program of the model PAIR, the worked example of
// docs/GENERATED_PROGRAM.md: a block (node 1, 500 J/K) heated by QHEAT watts
// and joined to a sink held at 0 C (node 2) by a conductor of 0.5 W/K. Its
// EXECUTION block solves the heated steady state, lets the block cool for
// 2000 s with the heater off, then heats it again for 2000 s from the state
// reached, a second transient that starts again at TIMEO = 0.
#include <algorithm>
#include <string_view>

#include "tna/model_program.h"

namespace {
constexpr std::string_view kModelName = "PAIR                    ";
}  // namespace

void IN0001() {
  GLOC.OPBLOK = "INITIAL";
  GLOI.MODEL = 1;
  bool on = true;
  GM0001(on);
  FINITS(" ", -1);
  // QI1 = QHEAT
  gar_thermalnodeheatsourcesinternal(md_thermalnodebase(1) + 1) =
      gar_userconstvaluesreal(md_realuserconstbase(1) + 1);
  GLOC.OPBLOK = "";
}

void EXECTN() {
  // RELXCA = 0.01, NLOOP = 100, SOLVFM
  GLOR.RELXCA = 0.01f;
  GLOI.NLOOP = 100;
  SOLVFM();
  // QHEAT = 0, TIMEND = 2000, DTIMEI = 10, OUTINT = 500, DTMIN = 0.1,
  // DTMAX = 50, DTPMAX = 1, DTROCA = 1, DAMPT = 1, SLCRNC
  gar_userconstvaluesreal(md_realuserconstbase(1) + 1) = 0.0f;
  GLOR.TIMEND = 2000.0f;
  GLOR.DTIMEI = 10.0f;
  GLOR.OUTINT = 500.0f;
  GLOR.DTMIN = 0.1f;
  GLOR.DTMAX = 50.0f;
  GLOR.DTPMAX = 1.0f;
  GLOR.DTROCA = 1.0f;
  GLOR.DAMPT = 1.0f;
  SLCRNC();
  // QHEAT = 10, TIMEO = 0, SLCRNC
  gar_userconstvaluesreal(md_realuserconstbase(1) + 1) = 10.0f;
  GLOR.TIMEO = 0.0f;
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
  // QI1 = QHEAT
  gar_thermalnodeheatsourcesinternal(md_thermalnodebase(1) + 1) =
      gar_userconstvaluesreal(md_realuserconstbase(1) + 1);
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
  GLOC.OPBLOK = "";
  PARWRT("VARIABLES2");
}

void OUTPUT() {
  if (!plat::text_eq(GLOC.OUTIME.view(), "ALL")) return;
  GLOC.OPBLOK = "OUTPUTS";
  // CALL PRNDTB(' ', 'L, T, QI, C', 1)
  PRNDTB(" ", "L, T, QI, C", 1);
  GLOC.OPBLOK = "";
  PARWRT("OUTPUTS");
}

void GM0001(bool& /*flag*/) {}

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

[[noreturn]] void MAIN__() {
  static constexpr int flags[41] = {
      2, 1, 0,  0,  0,  1, 0,   0,    0, 0,  // words 1-10
      2, 0, 49, 25, 16, 1, 92,  0,    0, 0,  // words 11-20
      0, 0, 0,  18, 2,  1, 133, 1000, 1, 0,  // words 21-30
      0, 0, 0,  0,  0,  1, 0,   0,    0, 0,  // words 31-40
      0                                      // word 41
  };
  for (int i = 1; i <= 41; ++i) FLAGS(i) = flags[i - 1];
  SVMNAM(kModelName);
  static constexpr int sprsiz[5] = {1, 3, 0, 0, 0};
  for (int i = 1; i <= 5; ++i) SPRSIZ(i) = sprsiz[i - 1];
  MAINA(kModelName, 24);
  SUCCES();
}

int main() { MAIN__(); }

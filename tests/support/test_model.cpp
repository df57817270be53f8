// The generated blocks of the test model program. The frames are those every
// generated program has; only the user statements come from tna_test::model.
#include "support/test_model.h"

#include <algorithm>

#include "casedata/acd_solution.h"
#include "casedata/heaters.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "executive/progress_monitor.h"
#include "executive/run_driver.h"
#include "fluid/fluid_services.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_copies.h"
#include "parameters/parameter_cases.h"
#include "platform/process.h"
#include "platform/text.h"
#include "properties/properties.h"

namespace tna_test {

TestModel model;

void TestModel::reset() { *this = TestModel(); }

namespace {
void note(const char* block) {
  if (model.record) model.calls.emplace_back(block);
}
}  // namespace

}  // namespace tna_test

using tna_test::model;

void IN0001() {
  tna_test::note("INITIAL");
  GLOC.OPBLOK = "INITIAL";
  GLOI.MODEL = 1;
  bool on = true;
  GM0001(on);
  FINITS(" ", -1);
  if (model.initial) model.initial();
  GLOC.OPBLOK = "";
}

void EXECTN() {
  tna_test::note("EXECUTION");
  if (model.execution) model.execution();
}

void V10001() {
  tna_test::note("VARIABLES1");
  const std::string_view soltyp = plat::trimmed(GLOC.SOLTYP.view());
  bool thermal = soltyp == "THERMAL" || soltyp == "HUMID";
  GLOC.OPBLOK = "VARIABLES1";
  GLOI.MODEL = 1;
  PRMUPD();
  CHKTRM();
  ACDDYU();
  HEATER_UPDATE();
  GLOI.MODEL = 1;
  if (model.variables1) model.variables1();
  GM0001(thermal);
  GLOC.OPBLOK = "";
}

void V20001() {
  tna_test::note("VARIABLES2");
  GLOC.OPBLOK = "VARIABLES2";
  GLOI.MODEL = 1;
  SSNCNT(FLAGS(24), FLAGS(25), std::max(FLAGS(1), 1), gar_pcsthermalold, gar_thermalnodetemps);
  GLOI.STEPCT = GLOI.STEPCT + 1;
  PRMUPD();
  HEATER_UPDATE();
  GLOI.MODEL = 1;
  if (model.variables2) model.variables2();
  GLOC.OPBLOK = "";
  PARWRT("VARIABLES2");
}

void OUTPUT() {
  if (!plat::text_eq(GLOC.OUTIME.view(), "ALL")) return;
  tna_test::note("OUTPUTS");
  GLOC.OPBLOK = "OUTPUTS";
  if (model.outputs) model.outputs();
  GLOC.OPBLOK = "";
  PARWRT("OUTPUTS");
}

void GM0001(bool& flag) {
  if (model.hook) model.hook(flag);
}

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

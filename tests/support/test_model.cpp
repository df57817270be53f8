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
#include "parameters/parameter_cases.h"
#include "platform/text.h"
#include "modeldata/node_copies.h"

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

// The one reset of the process-wide state: every file's state registered,
// and the reset puts each back as the program started it.
#include "platform/process_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "casedata/heaters.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/status_changes.h"
#include "output/tmd_selection.h"
#include "parameters/param_records.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

class ProcessState : public tna_test::StateTest {};

bool registered(const std::string& owner) {
  const std::vector<std::string> owners = plat::process_state_owners();
  return std::find(owners.begin(), owners.end(), owner) != owners.end();
}

TEST_F(ProcessState, EveryFolderRegistersItsFiles) {
  for (const char* owner :
       {"platform/process", "platform/units", "core/control_constants", "core/diagnostics", "core/global_records",
        "modeldata/global_arrays", "modeldata/submodel_refs", "modeldata/node_lists", "casedata/heaters",
        "casedata/acd_solution", "output/gff", "output/tmd_requests", "output/tmd_selection",
        "parameters/param_records", "executive/run_driver"})
    EXPECT_TRUE(registered(owner)) << owner;
  const std::vector<std::string> owners = plat::process_state_owners();
  EXPECT_TRUE(std::is_sorted(owners.begin(), owners.end()));
}

TEST_F(ProcessState, ResetGivesBackTheStateOfAProgramStart) {
  tna_test::ScratchDir dir("state");
  GLOR.DAMPT = 0.5;
  GLOI.NLOOP = 7;
  GLOC.OUTIME = "ALL";
  FLAGS(1) = 12;
  PRTINF(1) = 60;
  gfl_setmodelname("MODEL");
  gar_thermalnodetemps.allocate(12);
  status_changed = 1;
  PARNUM(2) = 3;
  PARCHR.stem = "case";
  TmvThermalModelVariables::numberofthermalnodes = 12;
  plat::set_exit_throws(true);
  ASSERT_EQ(plat::io::open_unit(21, "unit21.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);

  plat::reset_process_state();

  EXPECT_EQ(GLOR.DAMPT, 0.0);
  EXPECT_EQ(GLOI.NLOOP, 0);
  EXPECT_EQ(GLOC.OUTIME, "");
  EXPECT_EQ(FLAGS(1), 0);
  EXPECT_EQ(PRTINF(1), 0);
  EXPECT_EQ(gfl_getmodelname(), "");
  EXPECT_EQ(gar_thermalnodetemps.size(), 0);
  EXPECT_EQ(status_changed, 0);
  EXPECT_EQ(PARNUM(2), 0);
  EXPECT_EQ(PARCHR.stem, "");
  EXPECT_EQ(TmvThermalModelVariables::numberofthermalnodes, 0);
  EXPECT_FALSE(plat::exit_throws());
  EXPECT_FALSE(plat::io::is_open(21));
}

}  // namespace

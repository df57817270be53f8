// The two ends of a run and their common close-down, the stop request, and
// the hand-over of the model name from the generated program.
#include "executive/run_driver.h"
#include "platform/process_state.h"

#include <hdf5.h>

#include <string>

#include "casedata/acd_solution.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "executive/progress_monitor.h"
#include "output/tmd_file.h"
#include "platform/process.h"
#include "platform/stop_signals.h"
#include "platform/text.h"
#include "platform/units.h"

namespace run_driver_detail {
// Set when a failure banner was printed: the run then must not end with
// the status of a successful run.
bool failed = false;
}  // namespace run_driver_detail

namespace {
// Set while the close-down runs, so that a fatal end reached from inside it
// (a failing close) does not start the close-down again.
bool closing = false;
}  // namespace

void SVMNAM(std::string_view name) { gfl_setmodelname(name); }

bool run_failed() { return run_driver_detail::failed; }

void LFIN(int scratch_unit, int snapshot_unit, int parameter_unit) {
  int status = 0;
  SCLFIL("DELETE", scratch_unit, status);
  SCLFIL("KEEP", parameter_unit, status);
  SCLFIL("DELETE", snapshot_unit, status);
}

void PROGCL() {
  if (closing) return;
  struct Closing {
    Closing() { closing = true; }
    ~Closing() { closing = false; }
  } guard;
  LFIN(kUnitScratch, kUnitSnapshot, kUnitParameters);
  prm_close();
  acds_close();
  tmd_closeall();  // so that each file is compacted as it is closed
  H5close();
}

void EEXIT(int status) { plat::exit_process(status); }

void SUCCES() {
  PROGCL();
  EEXIT(run_driver_detail::failed ? 1 : 0);
}

void CHKTRM() {
  // A termination signal is a stop request too; unlike the file it leaves
  // no trace of its own, so the listing says why the run ended.
  if (const int sig = plat::stop_signal(); sig != 0) {
    const std::string text = " *** RUN STOPPED BY SIGNAL " + std::string(plat::signal_name(sig)) + " ***";
    for (std::string_view line :
         {std::string_view(), std::string_view(), std::string_view(text), std::string_view(), std::string_view()}) {
      plat::io::write_line(6, line);
    }
    FAILUR();
  }
  plat::Text<13> name;
  name = std::string(gfl_gettruncatedmodelname().trimmed()) + ".kill";
  bool exists = false;
  if (plat::io::inquire_exists(name.trimmed(), exists) != 0) return;
  if (exists) FAILUR();
}

namespace {
void reset_run_driver() {
  run_driver_detail::failed = false;
  closing = false;
}
}  // namespace
TNA_PROCESS_STATE("executive/run_driver", reset_run_driver)

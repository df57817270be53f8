// The run driver MAINA and the run set-up LSETUP.
#include <hdf5.h>

#include <string>

#include "casedata/acd_solution.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "executive/progress_monitor.h"
#include "executive/run_driver.h"
#include "modeldata/acda_arrays_load.h"
#include "modeldata/global_arrays.h"
#include "modeldata/mdb_load.h"
#include "modeldata/snapshot.h"
#include "parameters/parameter_cases.h"
#include "platform/process_state.h"
#include "platform/stop_signals.h"
#include "platform/text.h"
#include "platform/units.h"

namespace run_driver_detail {
extern bool failed;
}

namespace {

// Run-file names built at set-up: the first 22 extensions, 40 characters each.
constexpr int kRunNames = 22;
plat::Text<40> run_names[kRunNames];

TextVec1 run_name_view() { return TextVec1(run_names[0].data(), kRunNames, 40); }
std::string_view run_name(int i) { return run_names[i - 1].trimmed(); }

void put(std::string_view line) { plat::io::write_line(6, line); }

}  // namespace

void print_failure_banner(int status) {
  run_driver_detail::failed = true;
  if (status == 1) {
    put("");
    put(" *** PROGRAM FAILS TO FIND OR LOAD FROM DATABASE ***");
    put("       *** CONTACT NORVEK CENTRAL SUPPORT ***");
    put("");
    put("");
    return;
  }
  std::string_view text;
  switch (status) {
    case 2: text = " *** PROGRAM FAILS TO FIND PARAMETERS FILE ***"; break;
    case 3: text = " *** PROGRAM FAILS TO OPEN SCRATCH FILE ***"; break;
    case 4: text = " *** PROGRAM FAILS IN USING SCRATCH FILE ***"; break;
    case 5: text = " *** PROGRAM FAILS IN READING PARAMETERS FILE ***"; break;
    case 6: text = " *** PROGRAM FAILS TO RESTORE OR CHANGE COMMONS ***"; break;
    default: text = " *** FAILURE IN NORVEK GENERATED PROGRAM ***"; break;
  }
  put("");
  put("");
  put(text);
  put("");
  put("");
}

void SLDINB() {
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  PRTINF(5) = 0;
  PRTINF(6) = 0;
  for (int i = 1; i <= PpllotRecord::size(); ++i) PPLLOT(i) = 0;
  PPLLOT(2) = kUnitScratch;
  for (int i = 1; i <= 106; ++i) EBUFFC(i) = "";
  for (int i = 1; i <= EbuffiRecord::size(); ++i) EBUFFI(i) = 0;
  EBUFFI(1) = 6;
  EBUFFI(2) = 3;
  EBUFFI(3) = 4;
}

void LSETUP(std::string_view model_name, int& parfile, int& status) {
  status = 0;
  SLDINA(model_name);
  SLDINB();

  SCOMLD(kUnitModelDatabase, status);
  if (status != 0) {
    status = 1;
    return;
  }

  int name_status = 0;
  SFLNAM(model_name, kRunNames, run_name_view(), name_status);

  SOPSQ(run_name(10), "UNFORMATTED", "UNKNOWN", kUnitScratch, status);
  if (status != 0) return;
  plat::io::rewind_unit(kUnitScratch);

  prm_open(run_name(20));

  SOPSQ(run_name(22), "FORMATTED", "UNKNOWN", kUnitTrace, status);
  if (status != 0) return;

  const std::string stem(plat::trimmed(model_name));
  acds_open(stem);
  acds_staticload();

  int exists = 0;
  SFLXST(CTextVec1(run_names[11].data(), 1, 40), 1, exists, status);
  if (status != 0 || exists == 0) {
    parfile = 0;
    return;
  }

  parfile = 1;
  SOPSQ(run_name(12), "FORMATTED", "OLD", kUnitParameters, status);
  if (status != 0) return;
  SOPSQ(run_name(13), "UNFORMATTED", "UNKNOWN", kUnitSnapshot, status);
  if (status != 0) return;

  int dump_status = 0;
  DMPCOM(kUnitSnapshot, dump_status);
  if (dump_status != 0) status = 4;
}

void MAINA(std::string_view name, int length) {
  const std::string_view model_name = name.substr(0, static_cast<std::size_t>(length) < name.size()
                                                         ? static_cast<std::size_t>(length < 0 ? 0 : length)
                                                         : name.size());
  // From here on a fatal diagnostic closes the run down before it exits.
  set_fatal_end(FAILUR);
  // From here on SIGTERM and SIGINT end the run at its next stop-request
  // check, through the close-down.
  plat::watch_stop_signals();
  H5open();

  // Arrays the analysis-case file adds to those of the model database.
  acda_open(model_name, 24);
  int nint = 0;
  int nreal = 0;
  acda_getnumberofarrayvalues(nint, nreal);
  acda_close();
  FLAGS(21) += nint;
  FLAGS(20) += nreal;

  int larrinfo = FLAGS(18), dystor = FLAGS(28), mdrows = 18, lpcsfluid = FLAGS(35),
      lpcsth = 4 * (FLAGS(2) + FLAGS(3) + FLAGS(4)), lpcsold = FLAGS(24), narrays = FLAGS(19), ncc = FLAGS(17),
      nucn = FLAGS(16), ncharel = FLAGS(22), ncharuc = FLAGS(9), ncharpool = FLAGS(8), ngf = FLAGS(3),
      nf = FLAGS(32), nintel = FLAGS(21), nintuc = FLAGS(7), ngl = FLAGS(2), nl = FLAGS(33), nalias = FLAGS(40),
      ngr = FLAGS(4), nrealel = FLAGS(20), nrealuc = FLAGS(6), nm = FLAGS(26), nt = FLAGS(1), nchent = SPRSIZ(3),
      nintent = SPRSIZ(4), nrealent = SPRSIZ(5), ngv = FLAGS(5);
  gar_allocate(larrinfo, dystor, mdrows, lpcsfluid, lpcsth, lpcsold, narrays, ncc, nucn, ncharel, ncharuc, ncharpool,
               ngf, nf, nintel, nintuc, ngl, nl, nalias, ngr, nrealel, nrealuc, nm, nt, nchent, nintent, nrealent,
               ngv);

  int parfile = 0;
  int status = 0;
  LSETUP(model_name, parfile, status);
  if (status != 0) {
    print_failure_banner(status);
    return;
  }

  // The connection lists built at load hold the neighbours from here on.
  gar_deallocate(gar_linearcondnodepairs);
  gar_deallocate(gar_radiativecondnodepairs);
  gar_deallocate(gar_fluidiccondnodepairs);

  PARAMX(parfile, model_name, status, kUnitSnapshot, kUnitParameters, kUnitCsv);
  if (status != 0) print_failure_banner(5);
}

namespace {
void reset_run_names() {
  for (auto& n : run_names) n = plat::Text<40>{};
}
}  // namespace
TNA_PROCESS_STATE("executive/run_setup", reset_run_names)

// A whole parameter-case run on an arbitrary parameter file, for the
// parameter-file fuzz target and the replay of its committed corpus
// (tests/data/par_corpus).
//
// The model is the small three-submodel model of the parameter tests
// (tests/parameters/param_model.h), filled straight into the global arrays, with
// its state snapshot written as the run set-up writes it. The bytes become
// the model's parameter file and PARAMX runs it: options record, case
// headers, every statement with its references, values and expressions, the
// snapshot restore of "!INITIAL" cases, the case files (listings, CSV
// tables) and, at each case's output point, the GFF, TMD and CSV writers.
// The EXECUTION block of every case is one OUTPUTS call and one VARIABLES2
// result write. A run end (a fatal diagnostic, FAILUR, a consistency stop)
// is caught as a thrown plat::ProcessExit.
//
// The listing of a run is thrown away unless the environment variable
// TNA_PAR_LISTING names a file for it.
//
// Every run happens in the folder "run" under the working directory, emptied
// afterwards. A run that leaves anything else in the working directory has
// written outside its run folder: the harness aborts, which the fuzzer
// reports as a finding. So does anything else that goes wrong (an
// out-of-bounds access, a leak, a crash, a hang).
//
// The parameter file and the snapshot are served from memory
// (plat::io::serve_file_from_memory): the bytes are not written, and the
// snapshot, the same for every run, is made once.
#pragma once

#include <dirent.h>
#include <hdf5.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "modeldata/snapshot.h"
#include "modeldata/submodel_refs.h"
#include "output/gff.h"
#include "output/tmd_requests.h"
#include "parameters/param_model.h"
#include "parameters/param_records.h"
#include "parameters/parameter_cases.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/test_model.h"
#include "tools/fuzz/array_state.h"

namespace par_harness {

inline constexpr const char* kModel = "FUZZMOD";
inline constexpr int kSnapshotUnit = 2, kParameterUnit = 3, kCsvUnit = 11;

// The model of the parameter tests, built once and kept: its arrays as an
// image, and the records it fills. Later runs get the model back by copying
// the image, unless an array's shape changed (the model is built anew).
TNA_FUZZ_UNTRACED inline void start_model() {
  struct Kept {
    fuzz_arrays::ArrayImage arrays;
    FlagsRecord flags;
    SprsizRecord sprsiz;
    SprnodRecord sprnod;
  };
  static Kept kept;
  if (!kept.arrays.restore()) {
    params_test::build_param_fixture();
    kept.arrays.take();
    kept.flags = FLAGS;
    kept.sprsiz = SPRSIZ;
    kept.sprnod = SPRNOD;
    return;
  }
  FLAGS = kept.flags;
  SPRSIZ = kept.sprsiz;
  SPRNOD = kept.sprnod;
}

// What the library keeps from a run for the next one: the node-number and
// node-list caches, the writers' memory of earlier files, the message
// counters, the model program. Forgotten before a run, which must not see an
// earlier one, and again after it, so that a run ends having freed what it
// allocated: libFuzzer runs an input again, and looks for leaks, whenever a
// run ends with more allocations than frees.
TNA_FUZZ_UNTRACED inline void forget_run() {
  ndssmd_reset_for_tests();
  lschnd_reset_for_tests();
  gff_reset_for_tests();
  tmd_requests_reset_for_tests();
  reset_message_counters();
  tna_test::model.reset();
}

// The state a run starts from: the model, the print and job records, the
// parameter-case records, the writers' memory of earlier files.
TNA_FUZZ_UNTRACED inline void start_state() {
  start_model();
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
  SLDINC();  // the character control constants as a run starts them
  GLOI.MODEL = 1;
  GLOI.MLEVEL = 0;
  GLOI.WIDTH = 132;
  GLOI.LENGTH = 60;
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  JOBINF.date = "10 December 2026";
  JOBINF.time = "13:46:52";
  JOBINF.jobname = kModel;
  for (int w = 1; w <= 7; ++w) PARNUM(w) = 0;
  PARCHR = ParchrRecord{};
  forget_run();
  tna_test::model.execution = [] {
    GLOC.OUTIME = "ALL";
    OUTPUT();
    PARWRT("VARIABLES2");
  };
}

// The seed inputs, built from the files and statements of the parameter-case
// tests: runs without an error ("ok_" names), runs of good and bad
// statements ("mixed_"), and broken files ("bad_").
inline std::vector<std::pair<std::string, std::string>> seed_files() {
  return {
      {"ok_cases",
       "# cases of the test\n\n$PARAMETERS\n!INITIAL = 'Hot case'\nCHANGE T1 = 50\n  # between the statements\n"
       "!FINAL = 'Cold step'   # goes on from the hot case\nSCALE T1 * 2\n!INITIAL\n"},
      {"ok_options",
       "$PARAMETERS,OUTPUT=MULTIPLE,CSV_OUTPUT=MULTIPLE,GFF_ENTITIES='NODES,CONDUCTORS,CONSTANTS',"
       "TMD_ENTITIES='NODES,CONSTANTS',OUTPUT_FROM=VARIABLES2,CSV_ENTITIES=(T1,T:SUB1:12,P:*,C:'PANEL',L1,FT100,"
       "HEAT4,"
       "COUNT3,GAIN,LABELX,TIMEN,REALA(*,2),GL(*))\n"
       "!FINAL='Two words'\nCHANGE T1 = 40\n!INITIAL='B'\nCHANGE QI2 = 1.5E2\n"},
      {"ok_options_csv",
       "$PARAMETERS,CSV_ENTITIES=(T:'#1-5;SUB2:3,4',GL:SUB1:(1,2),GL(1,2,2),M:SUB1:('#12',13),GP(*),INTA(2),"
       "TAG:SUB1:3,SUB1:TWELVE,PARNAM,TEXTA(*),GV(*),M(*),NCOUNT,NODES,SUB1:NODESM,MODULE,OUTIME,RELXCA,NLOOP)\n"
       "!INITIAL='A'\n"},
      {"ok_check", "$PARAMETERS,CHECK\n!INITIAL='One'\nCHANGE T1 = X\n!FINAL='Two'\nCHANGE T1 = 5\n"},
      {"ok_parmonly_csv",
       "$PARAMETERS,PARMONLY,CSV_ENTITIES=(T1,GAIN),CSV_OUTPUT=SINGLE\n!FINAL='A'\nCHANGE T2 = 7\n"
       "!FINAL='B'\nSCALE GAIN * 2\n"},
      {"mixed_statements",
       "$PARAMETERS,PARMONLY\n!FINAL='statements'\nCHANGE T1 = 2*3\nCHA T1 = 3\nC T 1=4\n   S T2 * 1.5   # half\n"
       "OF GL(1,2)\nOFF GL(2,3)\nON GL(2,3)\nCHANGE GL(1,2) = OFF\nON GV(1,2)\nGET SUB1\nOFF M('#12',13)\n"
       "OFF GP('#12',13)\nGET 0\nCHANGE GL(1,2,2) = 9\nSCALE GL(2,3) * 4\nCHANGE GL:SUB1:(1,2) = 3\n"
       "CHANGE T:SUB1:12 = 6\nCHANGE C:* = 5\nCHANGE P100 = 2E5\nCHANGE L1 = 'New label'\n"
       "CHANGE FRG100 = 'ANNULAR'\nCHANGE X1 = X\nCHANGE HEAT1 = 4\nCHANGE COUNT2 = 9\nCHANGE TAG3 = 'Z'\n"
       "CHANGE HEAT:SUB1:12 = 5\nSCALE MASS:'PANEL' * 2\nCHANGE REALA(1,2) = 1.0, 2.0, 3.0\n"
       "SCALE REALA(2,*) * 10\nCHANGE INTA(4) = 7, 2*4\nCHANGE INTA(*) = 3\nCHANGE TEXTA(1) = 'LONGER', 'X'\n"
       "CHANGE TEXTA(*) = 'Q'\nCHANGE GAIN = 3\nSCALE GAIN * 2\nCHANGE NCOUNT = 5+5\n"
       "CHANGE LABELX = 'ABCDEFG'\nCHANGE SUB1:TWELVE = 'AB'\nCHANGE NLOOP = 50+50\nCHANGE RELXCA = 0.001*2\n"
       "GET SUB1\nCHANGE NODES = 5\nCHANGE PARNAM = 'renamed'\nCHANGE MODULE = 'ABCDEFGH'\n"},
      {"mixed_expressions",
       "$PARAMETERS,PARMONLY\n!FINAL='expressions'\nCHANGE T1 = 1+2*3\nCHANGE T2 = 10-2-3\nCHANGE T3 = 8/2*2\n"
       "CHANGE T4 = 2*3**2\nCHANGE T5 = 2**3**2\nCHANGE T6 = -2**2\nCHANGE T1 = 2**(-1)\nCHANGE T2 = 8/(-2)\n"
       "CHANGE T3 = 8/-2/2\nCHANGE T4 = -(2+3)*2\nCHANGE T5 = 1++2\nCHANGE T6 = (1+2\nCHANGE T1 = 1+2)\n"
       "CHANGE T2 = 1e3+1\nCHANGE T3 = 1.5E-2*100\nCHANGE T4 = 1d2\nCHANGE T5 = 1/0\nCHANGE T6 = 0/0\n"
       "CHANGE T1 = 1E300*1E300\nCHANGE T2 = 2**-1\nCHANGE T3 = (2)(3)\nCHANGE T4 = 5+\nCHANGE T5 = 1,5\n"
       "CHANGE NLOOP = 2147483646+1\nCHANGE NLOOP = 65536*65536\nCHANGE NLOOP = -7/2\nCHANGE NLOOP = 3**(-1)\n"
       "CHANGE NLOOP = 1/0\nSCALE T1 *\nSCALE T2 * -\nSCALE T3 * .\nSCALE T4 * 1+3\n"},
      {"mixed_references",
       "$PARAMETERS,PARMONLY\n!FINAL='references'\nCHANGE T:'#1-5;SUB2:3,4' = 1\nCHANGE T:* = 2\n"
       "CHANGE T:*-ONLY = 3\nCHANGE T:INLET = 4\nCHANGE T:SUB1:LID = 5\nCHANGE T:'PANEL' = 6\nCHANGE T:'' = 7\n"
       "CHANGE T:LABELX = 8\nCHANGE T:NODESET = 9\nCHANGE T:'#5-1' = 1\nCHANGE T:'#1-3-5' = 1\nCHANGE T:'#4-' = 1\n"
       "CHANGE T:'#1--5' = 1\nCHANGE T:*X = 1\nCHANGE GL(*) = 2\nCHANGE GL(*-ONLY) = 2\nCHANGE GL(1,2,0) = 1\n"
       "CHANGE GL(1,2,X) = 1\nCHANGE GL(SUB1:*,SUB1:'#1-3') = 1\nCHANGE GV(1,2) = 3\nCHANGE M(*) = 0.5\n"
       "CHANGE REALA(4,1) = 1\nCHANGE REALA(1) = 1\nCHANGE INTA(1,1,1) = 1\nCHANGE REALA(x) = 1\n"
       "CHANGE SUB1:SUB2:TWELVE = 'x'\nCHANGE NOSUCH:GAIN = 1\nCHANGE A(2) = 1\nCHANGE TABLE(1) = 1\n"},
      {"ok_escape_name",
       "$PARAMETERS,OUTPUT=MULTIPLE,CSV_OUTPUT=MULTIPLE,CSV_ENTITIES=(T1),GFF_ENTITIES='NODES',TMD_ENTITIES='NODES'"
       "\n"
       "!FINAL='x/../../escape'\n!FINAL='../..'\n!FINAL='/tmp/a b'\n"},
      {"bad_empty", ""},
      {"bad_comments_only", "\n  # only comments\n\n"},
      {"bad_no_case", "$PARAMETERS\n# no case\n"},
      {"bad_options",
       "$PARAMETERS,OUTPUT=LOTS,OUTPUT_FROM=X,GFF_ENTITIES=NODES,CSV_OUTPUT='SINGLE',CSV_ENTITIES=T1,"
       "TMD_ENTITIES=(T),,FOO\n!FINAL\n"},
      {"bad_record", "PARAMETERS\n!FINAL\n"},
      {"bad_case_type", "$PARAMETERS\nCHANGE T1 = 5\n"},
      {"bad_case_typex", "$PARAMETERS\n!FINALX='A'\n"},
      {"bad_statement", "$PARAMETERS\n!FINAL='A'\nCHANGE T1 = 'X'\n!FINAL='B'\n"},
      {"bad_unquoted_name", "$PARAMETERS\n!FINAL='A'\n!FINAL=B\n!INITIALISE='C'\n"},
      {"bad_long_lines", "$PARAMETERS,PARMONLY\n!FINAL='A'\nCHANGE T1 = 1" + std::string(250, ' ') +
                             "+5\nCHANGE T2 = 1" + std::string(250, ' ') + "# comment\n!FINAL='" +
                             std::string(260, 'B') + "'\n"},
      {"bad_commands",
       "$PARAMETERS,PARMONLY\n!FINAL='A'\n\tS T2 * 1.5\nCHANGET1=3\nchange T1=3\nO GL(1,2)\nONX GL(1,2)\n"
       "CHANGE T1\nSCALE T1 = 2\nOFF GL\nGET NOSUCH\nSCALE T1 * 2*3\nCHANGE A = B = 3\nCHANGE ENBNDM = 1\n"
       "HEAT1 = 5\nCHANGE GAINABCDEFGHIJKLMNOPQ = 1\nCHANGE REALAABCDEFGHIJKLMNOP(1,1) = 1\n"},
  };
}

// The snapshot of the start state as the run set-up writes it: written once
// through its unit into a file, kept in memory, the file removed.
inline const std::vector<unsigned char>& start_snapshot(const std::string& file) {
  static std::vector<unsigned char> bytes;
  if (!bytes.empty()) return bytes;
  int st = 0;
  plat::io::open_unit(kSnapshotUnit, file, plat::io::Form::Unformatted, "UNKNOWN");
  DMPCOM(kSnapshotUnit, st);
  plat::io::close_unit(kSnapshotUnit);
  std::ifstream in(file, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::filesystem::remove(file);
  if (bytes.empty()) std::abort();
  return bytes;
}

// The folders of the runs: the working directory ("home") with what it held
// before the first run, and the folder "run" under it. The file names are
// read through the directory stream itself (no path objects): a run's own
// work is a few milliseconds, and these checks come with every run.
struct RunFolders {
  std::string home, run;
  std::vector<std::string> before;
};

// The entry names of a folder, "." and ".." left out.
TNA_FUZZ_UNTRACED inline void list_names(const std::string& dir, std::vector<std::string>& out) {
  out.clear();
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string_view name = e->d_name;
      if (name != "." && name != "..") out.emplace_back(name);
    }
    closedir(d);
  }
}

// Makes the folder "run" under the working directory the working directory;
// what the working directory held is listed when it is not the one of the
// last run (a run that passed leave_run_folder left it as it was).
TNA_FUZZ_UNTRACED inline void enter_run_folder(RunFolders& f) {
  static char here[4096];
  if (!getcwd(here, sizeof here)) std::abort();
  if (f.home != here) {
    f.home = here;
    f.run = f.home + "/run";
    list_names(f.home, f.before);
  }
  if (mkdir(f.run.c_str(), 0777) != 0 && errno != EEXIST) std::abort();
  if (chdir(f.run.c_str()) != 0) std::abort();
}

// Empties the run folder and goes back to the working directory; aborts when
// anything but what was there before is left beside the run folder.
TNA_FUZZ_UNTRACED inline void leave_run_folder(const RunFolders& f) {
  if (DIR* d = opendir(f.run.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string_view name = e->d_name;
      if (name == "." || name == "..") continue;
      if (unlinkat(dirfd(d), e->d_name, 0) != 0) {
        std::error_code ec;  // a folder
        std::filesystem::remove_all(f.run + "/" + e->d_name, ec);
      }
    }
    closedir(d);
  }
  if (chdir(f.home.c_str()) != 0) std::abort();
  if (DIR* d = opendir(f.home.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string_view name = e->d_name;
      if (name == "." || name == ".." || name == "run") continue;
      bool known = false;
      for (const std::string& b : f.before) known = known || name == b;
      if (!known) std::abort();
    }
    closedir(d);
  }
}

// Runs `bytes` as the parameter file; returns PARAMX's status, or 1000 + the
// exit status of a run end. Aborts when the run wrote outside its folder.
inline int run_bytes(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);  // failures are reported by the writers
    // HDF5 keeps every block it frees on its own free lists, for the next
    // file, instead of handing those beyond its list limits back to the
    // heap: a file's metadata cache alone is half a megabyte, which the
    // sanitizer's allocator would map afresh (a page fault a page) for every
    // file the writers create.
    H5set_free_list_limits(-1, -1, -1, -1, -1, -1);
    return true;
  }();
  (void)quiet;
  static const std::string snapshot = std::string(kModel) + ".COM";
  static const std::string parameters = std::string(kModel) + ".PAR";
  plat::set_exit_throws(true);
  plat::io::close_all();

  static RunFolders folders;
  enter_run_folder(folders);
  start_state();
  const std::vector<unsigned char>& snap = start_snapshot(snapshot);
  plat::io::serve_file_from_memory(snapshot, snap.data(), snap.size());
  plat::io::serve_file_from_memory(parameters, data, size);
  int result = 0;
  try {
    // The listing goes nowhere, or to the file TNA_PAR_LISTING names (to
    // look at what a run printed; give a path outside the working directory).
    const char* listing = std::getenv("TNA_PAR_LISTING");
    if (listing) {
      plat::io::open_unit(6, listing, plat::io::Form::Formatted, "UNKNOWN");
    } else {
      plat::io::open_discarding_unit(6, plat::io::Form::Formatted);
    }
    plat::io::open_unit(kParameterUnit, parameters, plat::io::Form::Formatted, "OLD");
    plat::io::open_unit(kSnapshotUnit, snapshot, plat::io::Form::Unformatted, "OLD");
    PARAMX(1, "FUZZMOD                 ", result, kSnapshotUnit, kParameterUnit, kCsvUnit);
  } catch (const plat::ProcessExit& e) {
    result = 1000 + e.status;
  }
  plat::io::close_all();
  plat::io::serve_file_from_memory(parameters, nullptr, 0);
  plat::io::serve_file_from_memory(snapshot, nullptr, 0);
  forget_run();
  plat::set_exit_throws(false);
  leave_run_folder(folders);
  return result;
}

}  // namespace par_harness

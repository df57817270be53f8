// The frame of every run: the run driver MAINA with its set-up LSETUP, the
// two ends of a run, SUCCES (normal) and FAILUR (fatal), with their common
// close-down PROGCL, and the stop request CHKTRM polled from every
// VARIABLES1 block. MAINA and SUCCES are declared with the generated
// program's interface (model/generated_program.h). MAINA registers FAILUR
// as the fatal end of the diagnostics (set_fatal_end, core/diagnostics.h):
// every fatal condition reported below the driver ends the run through it.
//
// Fixed units of the run files: 10 model database, 4 scratch ".DMP",
// 9 progress monitor ".MON", 13 trace ".TRA", 3 parameter cases ".PAR",
// 2 snapshot ".COM", 11 CSV of the parameter cases, 6 listing.
#pragma once

#include <string_view>

#include "model/generated_program.h"  // MAINA, SUCCES, SVMNAM

inline constexpr int kUnitModelDatabase = 10;
inline constexpr int kUnitScratch = 4;
inline constexpr int kUnitMonitor = 9;
inline constexpr int kUnitTrace = 13;
inline constexpr int kUnitParameters = 3;
inline constexpr int kUnitSnapshot = 2;
inline constexpr int kUnitCsv = 11;

// Run set-up: job record, print records, model database load, run files,
// analysis-case data and, with a parameter-case file, the snapshot. parfile
// is 1 when the parameter-case file exists and was opened. status 0, 1
// (model database missing or not openable), 4 (snapshot not written) or the
// I/O error number of a failed open or enquiry.
void LSETUP(std::string_view model_name, int& parfile, int& status);
// Print records PRTINF, EBUFFI, EBUFFC, PPLLOT to their set-up values.
void SLDINB();
// Prints the failure banner of a set-up or case status on the listing.
void print_failure_banner(int status);

// Close-down common to both ends: the set-up files (scratch and snapshot
// deleted, parameter file kept), the monitor's "EXIT" row, the analysis-case
// file, the HDF5 library.
void PROGCL();
// Closes the scratch (deleted), parameter-case (kept) and snapshot (deleted)
// units.
void LFIN(int scratch_unit, int snapshot_unit, int parameter_unit);
// Ends the process with the given status.
[[noreturn]] void EEXIT(int status);
// Fatal end of a run: close-down (PROGCL), then exit status 1.
[[noreturn]] void FAILUR();
// Ends the run (FAILUR) on a stop request: a termination signal received
// since MAINA started (the listing then shows " *** RUN STOPPED BY SIGNAL
// SIGTERM ***", or SIGINT, between two empty lines on each side), or the
// stop-request file "<first eight characters of the model name,
// trimmed>.kill" (no message).
void CHKTRM();

// Whether a failure banner was printed in this run (SUCCES then ends with
// exit status 1).
bool run_failed();

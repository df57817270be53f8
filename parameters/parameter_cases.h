// Services of the parameter-case subsystem that the run driver and the
// generated blocks call.
#pragma once

#include <string_view>

// Case driver. Runs the base case (INITIAL, then EXECUTION) unless the
// options record suppresses it and, when the parameter-case file is open
// (parfile non-zero, on parameter_unit), every case of the file in order: a
// "!INITIAL" case restores the snapshot of snapshot_unit and runs INITIAL
// again, a "!FINAL" case goes on from the state left; the case's statements
// are applied and EXECUTION runs. status 0 when every case ran; 1 the file
// ended or failed before its options record, 1..8 a bad options record, 3 no
// case header, 4 more than 9999 cases, 5 an unknown case type, the status of
// a failed case file open or snapshot restore, or the number of statements
// in error of the last case read.
void PARAMX(int parfile, std::string_view model_name, int& status, int snapshot_unit, int parameter_unit,
            int csv_unit);

// Writes the current case's requested outputs (GFF, TMD, then the CSV row)
// when `block` ("VARIABLES2" or "OUTPUTS") is the case's output point;
// otherwise does nothing. A CSV write failure ends the run through FAILUR.
void PARWRT(std::string_view block);

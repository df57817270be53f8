// Services of the parameter-case subsystem that the run driver and the
// generated blocks call.
#pragma once

#include <string_view>

// Case driver: runs the base case (INITIAL, then EXECUTION) and, when the
// parameter-case file is open (parfile 1), its cases. status 0 when every
// case ran.
void PARAMX(int parfile, std::string_view model_name, int& status, int snapshot_unit, int parameter_unit,
            int csv_unit);

// Writes the current case's requested outputs when `block` ("VARIABLES2" or
// "OUTPUTS") is the case's output point; otherwise does nothing.
void PARWRT(std::string_view block);

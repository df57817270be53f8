// prm_ProgressMonitor_m: the run's ".MON" file, one comma-separated row at
// regular intervals of the solution (control constant PRGFBK; 0 or less
// switches the rows off), each row flushed at once so that another process
// can follow the run. Opened at set-up, closed with an "EXIT" row at every
// close-down.
#pragma once

#include <string>
#include <string_view>

// Creates the monitor file on unit 9 and writes its header (the fluid
// columns when the model has fluid nodes). A file that cannot be opened ends
// the run through the fatal end of the diagnostics (FAILUR once MAINA has
// registered it).
void prm_open(std::string_view name);
// Writes a row when the block named in OPBLOK ("VARIABLES1" or "VARIABLES2")
// and the counters ask for one; any other OPBLOK is the consistency stop
// "prm_Update".
void prm_update();
// Writes the row "hh:mm:ss,  EXIT" and closes the file (kept); nothing when
// the file is not open.
void prm_close();
// The user-callable entry of prm_update.
void PRMUPD();

namespace prm {
// The number forms of the rows: a real in 22 columns, one digit before the
// point and 15 after (an undefined real is written as zero); an integer
// right-aligned in 10 columns (asterisks when it does not fit).
std::string real_field(double v);
std::string int_field(int v);
}  // namespace prm

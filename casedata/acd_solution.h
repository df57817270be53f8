// The analysis-case solution manager: the ".acd" file (HDF5) that carries
// the orbital heat loads and the time-dependent radiative conductors of the
// analysis case. It stays open from the run set-up to the close-down.
#pragma once

#include <string_view>

// Opens "<name>.acd" read-only (name: the model name without trailing
// blanks). A file that cannot be opened is fatal ("Cannot open ACD file").
void acds_open(std::string_view name);
// Loads the static heat loads of every model into the heat-source arrays.
void acds_staticload();
// Releases the manager's data and closes the file when it is open.
void acds_close();
// Updates the time-dependent heat loads and radiative conductors for TIMEM.
void ACDDYU();

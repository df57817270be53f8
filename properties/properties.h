// Fluid properties: the fluid codes and the property functions that the
// thermal and fluid-loop solutions call.
//
// Fluid codes: 1 "AMMONIA", 2 "WATER", 3 "AIR", 4 "AIRW", 5 "R11", 6 "R114",
// 7 "R12", 8 "R21", 9 "R22", 10 "R502".
//
// The property functions are not part of this build yet (the substance
// library below them is begun in library.h): XCP and XRHO end the run with a
// fatal diagnostic "<NAME>: Fluid properties not available in this build".
#pragma once

#include <string_view>

#include "platform/text.h"

// Fluid code of a fluid-type name (blank-padded comparison: trailing blanks
// ignored, leading blanks and case significant); 0 for any other name.
int FTYPEI(std::string_view name);
// Name of a fluid code, blank-padded to 24 characters; 24 blanks for a code
// outside 1..10.
plat::Text<24> FTYPEC(int icode);

// Specific heat at constant pressure and density of fluid ifluid at relative
// pressure p, relative temperature t and vapour quality x; node is the global
// node number, context of the diagnostics.
double XCP(double p, double t, double x, int ifluid, int node);
double XRHO(double p, double t, double x, int ifluid, int node);

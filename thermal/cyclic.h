// Cyclic solution: the periodic state of a model whose loads repeat with a
// known period.
//
// SOLCYC runs one transient solution routine over one period, again and
// again from the same start time, each cycle starting from the state the
// previous one ended with, until the temperatures (and, unless the rate
// tolerance is 1.0E10 or more, their rates of change) of the listed nodes no
// longer change from one cycle end to the next. While the cycles run, SOLVER
// holds "CYTH", "CYFL1P" or "CYFL2P" (the repeated routine leaves it alone)
// and OUTIME holds zout, so that OUTPUTS stays silent unless zout is "ALL".
// Every cycle is reported through LPRCYC.
//
// Work space: four blocks on the real stack of the dynamic core, above the
// entry top: temperatures and rates of the thermal nodes, then of the fluid
// nodes, at the end of the previous cycle. At return TIMEO is the start
// time again, TIMEND and OUTIME hold their entry values, SOLVER is blank and
// the real top is back at its entry value.
#pragma once

#include <string_view>

#include "fluid/fluid_network.h"
#include "platform/array.h"
#include "platform/text.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// zsolvr: name of the routine to repeat, compared over 6 characters
// (trailing blanks ignored, case significant): SLFRWD, SLFWBK, SLCRNC,
// SLGEAR, SLGRDJ, SLMODE ("CYTH"), FLTNTS, FLTMTS, FLTNTF ("CYFL1P"), FGENFI
// ("CYFL2P"). tconv, dtconv: tolerances of the temperature and rate changes;
// period: length of a cycle (read again every cycle); maxcyc: largest number
// of cycles (at least one cycle runs); zlabel: node list of the measured
// nodes (blank: all thermal and fluid nodes); zout: OUTIME during the cycles.
// The numeric arguments are references, as the user's blocks may change the
// variables they name while the cycles run. A TIMEO, or an end time TIMEO +
// period, that is not a finite number is refused before anything runs
// ("SOLCYC: Control constant TIMEO not specified@...", TIMEND for the end
// time; severity 4, code 5).
void SOLCYC(std::string_view zsolvr, const double& tconv, const double& dtconv, const double& period,
            const int& maxcyc, std::string_view zlabel, std::string_view zout);

// Rate of change of thermal node i at the temperatures net.t: 0 unless its
// status is "D" and |C(i)| >= 1.0E-37 (single precision); else (((( QA +
// QE) + QI) + QR) + QS + (sR + (sF + sL))) / C(i), with the net conducted
// heats of SCNDHF.
void LPDTTM(const ThNetwork& net, int i, double& rate);

// Rate of change of fluid node j (global node nt + j) on the fluid network
// view: N = XRHO x XCP x volume at the node's state (fluid code of its
// type); 1.0E20 when |N| < 1.0E-37; 0 for a node of status "H", "K" or "R";
// else (Qsrc + QGF + QGL + Qlink + QGR + Q(j)) / N, the five heat flows of
// SFCDHF and the node's heat source.
void LFDTTM(const FlNetwork& net, int j, double& rate);

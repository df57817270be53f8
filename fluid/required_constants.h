// The run-time constants a fluid-loop solution routine refuses before it
// takes work space: TIMEO, TIMEND, DTIMEI, OUTINT, DTMIN and DTMAX must be
// finite numbers. A time that is not finite is never reached and a step
// that is not finite never ends a run, so the routine would step for ever.
#pragma once

#include <string_view>

// The "not specified" report of a control constant, in the routines' field
// of 170 characters: "<routine>: Control constant <name> not
// specified@See User Manual description of <routine> for a list of required
// control constants", severity 4 with `code`, naming the routine (the run
// ends): the refusal every solution routine shares (require_finite_constants
// in core), for a constant that holds the undefined marker.
void fl_not_specified(std::string_view routine, std::string_view name, int code);

// Refuses, in the order TIMEO, TIMEND, DTIMEI (when dtimei is true),
// OUTINT, DTMIN, DTMAX, the first of them that is not a finite number with
// the "not specified" report above (require_finite_constants, the check the
// thermal routines make) and `code`. True when all are finite.
bool fl_require_finite(std::string_view routine, int code, bool dtimei = true);

// The tolerances, relaxation, flow and gravity constants and the absolute
// scales a fluid-loop routine reads, refused as fl_require_finite does when
// not a finite number (an undefined one, which reads as a tiny number, is
// taken): RELXCA (with thermal nodes, nt >= 1), FRLXCA and RELXMA (with
// fluid nodes), DAMPT, MINFLO, MINDP, GRAVX, GRAVY, GRAVZ, TABS, PABS,
// STEFAN, then DTPMAX when `dtpmax` and RLCOUR when `rlcour`. `lower`
// writes the names in lower case, as FGENFI's texts do. True when all are
// finite.
bool fl_require_finite_controls(std::string_view routine, int code, int nt, int nf, bool dtpmax, bool rlcour,
                                bool lower = false);

// An OUTINT of zero or less would never move the output time on: it is
// refused with "<routine>: Control constant OUTINT is not greater than
// zero@Output times would never advance, see User Manual description of
// <routine> for a list of control constants" (severity 4, `code`; the run
// ends). True when OUTINT > 0.
bool fl_require_positive_outint(std::string_view routine, int code);

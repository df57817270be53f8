// The analysis-case solution manager (module acds_ACDSolutionManager_m): the
// ".acd" file (HDF5) that carries the orbital heat loads and the
// time-dependent radiative conductors of every submodel. It stays open from
// the run set-up to the close-down.
//
// acds_open builds one record per model group of the file (the root group is
// the main model, children under "Submodels" in name order) with its mission
// (analysis type 0..4, tabulated times, period, orbital arcs or wavebands),
// its node maps (user node numbers resolved to global thermal indices) and
// its map of time-dependent radiative conductors; acds_staticload writes the
// static loads into QA, QE, QR and QS; ACDDYU, at every VARIABLES1 pass,
// interpolates the time-dependent loads and conductors for TIMEM, keeping
// the two bracketing rows of each "Values" dataset in memory.
//
// A file that cannot be read as this layout (missing group, attribute or
// dataset, wrong rank, type or size, bad mission values) is a fatal
// diagnostic; the consistency stops "(acds)SetMissionData",
// "(acds)GetModelReference", "(acds)CreateRadiativeConductorMaps" and
// "TIMIN1 1" end the process without close-down.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/array.h"

// Opens "<name>.acd" read-only (name: the model name without trailing
// blanks) and builds the model tree. A name over 500 characters or a file
// that cannot be opened is fatal ("ACD file name too long", "Cannot open ACD
// file"). A manager already open is closed first. A node number of the
// file that names no thermal node of its submodel has its loads dropped:
// besides INTNOD's warning, once per node "ACD heat load on an unknown node
// ignored@...@Node <number> is not a node of submodel <path><NL>ACD file:
// <file>@" (severity 2, code 7, "(acds)CreateNodeMap").
void acds_open(std::string_view name);
// Loads the static heat loads of every model into the heat-source arrays.
void acds_staticload();
// Brings the time-dependent heat loads and radiative conductors of every
// model to TIMEM (types 2 and 3 only outside steady-state runs; the
// waveband conductors of type 4 at every call).
void acds_dynamicupdate();
// Releases the manager's data and closes the file when it is open; safe when
// nothing was opened.
void acds_close();
// User-callable: the time-dependent update (acds_dynamicupdate).
void ACDDYU();

// Effective table time of TIMEM on orbital arcs: arcs(1..4, k) are start,
// startFirst, endFirst and endAll of arc k (k = 1..narcs, in time order),
// times(1..ntimes) the tabulated times. Warns (severity 2) before the first
// arc and after the last; a result outside times(1)..times(ntimes), no arcs
// or no times stop with "TIMIN1 1".
void TIMIN1(plat::Mat2<const double> arcs, int narcs, int ntimes, plat::Vec1<const double> times, double timem,
            double& teff);
// |a - b| <= tol * max(|a|, |b|); |b| stands for a |a| that is not a number.
bool SEQTOL(double a, double b, double tol);
// The single radiative conductor between absolute temperatures ti and tj
// that carries the net exchange of the band conductors g(1..n) over the
// wavebands lambda(k)..lambda(k+1) (metres); 0 for n < 1.
double RADCONDPIECEWISEGREYBODY(double ti, double tj, int n, plat::Vec1<const double> lambda,
                                plat::Vec1<const double> g);
// Fraction of black-body emissive power below wavelength x / T (x = lambda T
// in m K), from a table every 0.0001 m K; 0 for x <= 0, 1 for x >= 0.1.
double BLACKBODYFRACPOWER(double x);

// Number of "Values" rows read since the manager was opened (tests watch
// that a time step back or forward reads one row per kind).
std::int64_t acds_rowreads_for_tests();

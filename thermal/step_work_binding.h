// Binding of the shared part of the step-loop work records of the explicit
// forward and the forward-backward solutions (ThStepNetwork of S7SlveWork,
// S4SlveWork) to the model's network arrays and to their integer mask blocks
// on the dynamic core.
#pragma once

#include "modeldata/global_arrays.h"
#include "thermal/step_network.h"
#include "thermal/thermal_views.h"
#include "thermal/transient_frame.h"

// Counts and mask extents, the frame of the call, the compact connection
// list, conductors, letters, capacitances, heat sources and temperatures;
// then the masks gfmask, glmask, grmask and dbnodemask, one after the other
// on the integer core from word u + 1.
inline void th_bind_step_work(ThStepNetwork& w, TrfFrame& f, int nt, int ngf, int ngl, int ngr, int ngf1, int ngl1,
                              int ngr1, int u) {
  w.frame = &f;
  w.nt = nt;
  w.ngl = ngl;
  w.ngf = ngf;
  w.ngr = ngr;
  w.ngf1 = ngf1;
  w.ngl1 = ngl1;
  w.ngr1 = ngr1;
  w.lencompact = static_cast<int>(gar_pcsthermal.size());
  w.pcs = gar_pcsthermal.view();
  w.ptrs = th_cmat(gar_pcsptrsthermal);
  w.gf = gar_fluidicconds.view();
  w.gl = gar_linearconds.view();
  w.gr = gar_radiativeconds.view();
  w.gfacts = gar_fluidiccondacts.view();
  w.glacts = gar_linearcondacts.view();
  w.gracts = gar_radiativecondacts.view();
  w.statuses = gar_thermalnodestatuses.view();
  w.cap = gar_thermalnodecapacitances.view();
  w.qa = gar_thermalnodeheatsourcesalbedo.view();
  w.qe = gar_thermalnodeheatsourcesplanet.view();
  w.qi = gar_thermalnodeheatsourcesinternal.view();
  w.qr = gar_thermalnodeheatsourcesother.view();
  w.qs = gar_thermalnodeheatsourcessolar.view();
  w.t = gar_thermalnodetemps.view();
  w.tf = gar_fluidnodetemps.view();
  w.gfmask = gar_dynamiccoreint.from(u + 1, ngf1);
  w.glmask = gar_dynamiccoreint.from(u + ngf1 + 1, ngl1);
  w.grmask = gar_dynamiccoreint.from(u + ngf1 + ngl1 + 1, ngr1);
  w.dbnodemask = gar_dynamiccoreint.from(u + ngf1 + ngl1 + ngr1 + 1, nt);
}

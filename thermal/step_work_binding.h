// Binding of the shared part of the step-loop work records of the explicit
// forward and the forward-backward solutions (ThStepNetwork of S7SlveWork,
// S4SlveWork) to the network view and to their integer mask blocks on the
// dynamic core.
#pragma once

#include "modeldata/global_arrays.h"
#include "thermal/step_network.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"
#include "thermal/transient_frame.h"

// The frame of the call and the network; then the masks gfmask, glmask,
// grmask (extents raised to at least 1) and dbnodemask, one after the other
// on the integer core from word u + 1.
inline void th_bind_step_work(ThStepNetwork& w, TrfFrame& f, const ThNetwork& net, int u) {
  w.frame = &f;
  w.net = net;
  const int ngf1 = net.ngf1, ngl1 = net.ngl1, ngr1 = net.ngr1;
  w.gfmask = gar_dynamiccoreint.from(u + 1, ngf1);
  w.glmask = gar_dynamiccoreint.from(u + ngf1 + 1, ngl1);
  w.grmask = gar_dynamiccoreint.from(u + ngf1 + ngl1 + 1, ngr1);
  w.dbnodemask = gar_dynamiccoreint.from(u + ngf1 + ngl1 + ngr1 + 1, net.nt);
}

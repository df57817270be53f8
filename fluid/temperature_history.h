// The fluid temperature history of the transport delay (TIMELA "YES"): a
// ring of nlev levels of nf + 1 reals, level L at table((L - 1)(nf + 1) + 1
// .. L (nf + 1)). Word k (1..nf) of a level holds the absolute mixing
// temperature of fluid node k at the level's time (FSFGSM's sum of G x T
// over sum of G, or the node's own T + TABS when it has no conductance);
// word nf + 1 holds the time. The step kernels keep the number of the level
// written last (the pointer) and advance it one level per step, from nlev
// back to 1; the pointer's first value and the time origin are theirs.
#pragma once

#include "fluid/fluid_network.h"

// Fills every level of `table` (nlev (nf + 1) words): time 0, and word k the
// mixing temperature of fluid node k at the temperatures t, tf. The loops
// carry the pass guard (ERROR naming "GHIINI").
void GHIINI(const FlNetwork& net, FlCReals t, FlCReals tf, int nlev, FlReals table);

// Delayed absolute temperature tout of fluid node `node` at time - delay.
// iptr is the level just written with the present time (0 counts as nlev).
// A target time before 0 gives the value of the present level; otherwise the
// levels are searched backwards from the one before the present level, at
// most nlev of them, for the first whose time is below the target, and the
// value is interpolated linearly between it and the level after it (when
// the two times are equal, the value of the later level). When no level
// reaches back that far: iflag := nlev and tout := the value of the present
// level; otherwise iflag := 0. The search carries the pass guard (ERROR
// naming "SGTDEL").
void SGTDEL(int iptr, int nlev, double time, int nf, int node, double delay, int& iflag, double& tout,
            FlCReals table);

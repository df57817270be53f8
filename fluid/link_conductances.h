// Couplings of the fluid loops to the thermal network on the fluid network
// view: the thermal conductance of the mass-flow links (SGMCAL) and the heat
// flows into a fluid node (SFCDHF). Internal to the fluid-loop routines and
// the cyclic driver (its rate of a fluid node, LFDTTM).
#pragma once

#include "fluid/fluid_network.h"

// Link conductances (heat-capacity rates): for each link l = 1..nl with end
// fluid nodes a = first(l) and b = second(l), lcond(l) = |m(l)| x ((cp(a) +
// cp(b)) x 0.5), each cp from XCP at that node's own pressure, temperature,
// quality and fluid (FTYPEI of its type), node nt + a (nt + b). Every link
// counts whatever its status. Callers skip the call for a model without
// links.
void SGMCAL(const FlNetwork& net);

// The heat flows into a fluid node, in the order the rate of the node adds
// them.
struct FlNodeHeats {
  double qsrc = 0.0;   // from its mass source
  double qgf = 0.0;    // over its GF conductors
  double qgl = 0.0;    // over its GL conductors
  double qlink = 0.0;  // over its links
  double qgr = 0.0;    // over its GR conductors
};

// Heat flows into fluid node n (fluid code ifluid): qsrc from its mass
// source (only when fm(n) > 0; cp from XCP at the mean of node and source
// temperatures), qgf over its active GF conductors with a positive conductor
// number, qgl over its active GL conductors, qlink over its active links
// whose flow enters n (with the link conductance), qgr over its active GR
// conductors ((Tk^4 - Tn^4) x GR x STEFAN, absolute). A conductor neighbour
// above nt is fluid node neighbour - nt (inter-model conductors) and counts
// with its fluid temperature. The node's entries are read as fl_entries
// reads them (thermal neighbours of status "X" passed over); a walk of more
// than 2,000,000,000 entries reports "Too many links defined" (severity 3,
// code 1) and returns the sums so far.
FlNodeHeats SFCDHF(const FlNetwork& net, int n, int ifluid);

#include "fluid/fluid_state.h"
#include "properties/properties.h"

double XGXPT(double p, double t, int ifluid, int node) {
  const double ts = XTEMPS(p, ifluid, node);
  return ts >= t ? 0.0 : 1.0;
}

double XGXPH(double p, double h, int ifluid, int node) {
  const double ts = XTEMPS(p, ifluid, node);
  const double hl = XENTHS(p, ts, 0.0, ifluid, node);
  if (h <= hl) return 0.0;
  const double hv = XENTHS(p, ts, 1.0, ifluid, node);
  if (h >= hv) return 1.0;
  return (h - hl) / (hv - hl);
}

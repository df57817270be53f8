#include "fluid/temperature_history.h"

#include <cstdint>

#include "core/diagnostics.h"
#include "fluid/conductance_sums.h"
#include "modeldata/entity_codes.h"

namespace {

// Index of word j of level L in a table of levels of nf + 1 words.
inline std::int64_t word(int level, int nf, int j) { return static_cast<std::int64_t>(level - 1) * (nf + 1) + j; }

}  // namespace

void GHIINI(const FlNetwork& net, FlCReals t, FlCReals tf, int nlev, FlReals table) {
  const int nf = net.nf;
  LoopGuard guard("GHIINI");
  for (int level = 1; level <= nlev; ++level) {
    guard.pass();
    table(word(level, nf, nf + 1)) = 0.0;
  }
  for (int k = 1; k <= nf; ++k) {
    double g = 0.0, gt = 0.0;
    FSFGSM(net, k, t, tf, g, gt);
    const double mix = SMINDL(g) ? tf(k) + net.tabs() : gt / g;
    for (int level = 1; level <= nlev; ++level) {
      guard.pass();
      table(word(level, nf, k)) = mix;
    }
  }
}

void SGTDEL(int iptr, int nlev, double time, int nf, int node, double delay, int& iflag, double& tout,
            FlCReals table) {
  tout = 0.0;
  iflag = 0;
  const int k = iptr == 0 ? nlev : iptr;
  int c = k == 1 ? nlev : k - 1;
  const double target = time - delay;
  auto value = [&](int level) { return table(word(level, nf, node)); };
  auto when = [&](int level) { return table(word(level, nf, nf + 1)); };
  if (target < 0.0) {
    tout = value(k);
    return;
  }
  LoopGuard guard("SGTDEL");
  for (int n = 1; n <= nlev; ++n) {
    guard.pass();
    if (when(c) < target) {
      const int after = c == nlev ? 1 : c + 1;
      const double span = when(after) - when(c);
      tout = span == 0.0 ? value(after) : value(c) + (target - when(c)) * (value(after) - value(c)) / span;
      return;
    }
    c = c == 1 ? nlev : c - 1;
  }
  iflag = nlev;
  tout = value(k);
}

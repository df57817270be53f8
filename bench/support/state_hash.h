// One FNV-1a hash of the bits of a run's state, printed by the fluid
// benchmarks so that a change meant to leave the results as they are can be
// checked bit for bit: every thermal temperature, every fluid temperature,
// pressure and vapour quality, and every mass-flow link's flow.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/global_records.h"
#include "modeldata/global_arrays.h"

namespace bench {

class StateHash {
 public:
  void add(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    for (int b = 0; b < 8; ++b) {
      h_ ^= (bits >> (8 * b)) & 0xffu;
      h_ *= 0x100000001b3ull;
    }
  }
  std::uint64_t value() const { return h_; }

 private:
  std::uint64_t h_ = 0xcbf29ce484222325ull;
};

// The hash of the loaded model's present state (thermal nodes FLAGS word 1,
// fluid nodes word 32, links word 33).
inline std::uint64_t state_hash() {
  StateHash h;
  for (int i = 1; i <= FLAGS(1); ++i) h.add(gar_thermalnodetemps(i));
  for (int k = 1; k <= FLAGS(32); ++k) {
    h.add(gar_fluidnodetemps(k));
    h.add(gar_fluidnodepressures(k));
    h.add(gar_fluidnodevapourqualities(k));
  }
  for (int l = 1; l <= FLAGS(33); ++l) h.add(gar_massflowlinkflowrates(l));
  return h.value();
}

}  // namespace bench

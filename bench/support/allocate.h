// The allocation of the global arrays that the run driver makes from FLAGS
// and SPRSIZ, for the benchmarks that load a model database.
#pragma once

#include "core/global_records.h"
#include "modeldata/global_arrays.h"

namespace bench {

inline void allocate_from_flags() {
  gar_deallocate_all();
  int k[28] = {FLAGS(18), FLAGS(28), 18,        FLAGS(35), 4 * (FLAGS(2) + FLAGS(3) + FLAGS(4)),
               FLAGS(24), FLAGS(19), FLAGS(17), FLAGS(16), FLAGS(22),
               FLAGS(9),  FLAGS(8),  FLAGS(3),  FLAGS(32), FLAGS(21),
               FLAGS(7),  FLAGS(2),  FLAGS(33), FLAGS(40), FLAGS(4),
               FLAGS(20), FLAGS(6),  FLAGS(26), FLAGS(1),  SPRSIZ(3),
               SPRSIZ(4), SPRSIZ(5), FLAGS(5)};
  gar_allocate(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9], k[10], k[11], k[12], k[13], k[14], k[15],
               k[16], k[17], k[18], k[19], k[20], k[21], k[22], k[23], k[24], k[25], k[26], k[27]);
}

}  // namespace bench

#include "modeldata/node_copies.h"

#include "core/diagnostics.h"

void SSNCNT(int len, int lensn, int /*nt*/, plat::Vec1<const std::int32_t> list, plat::Vec1<double> t) {
  // A list shorter than its two header words holds no group.
  if (lensn < 2 || len < lensn || len > list.size()) return;
  const std::int64_t b = static_cast<std::int64_t>(len) - lensn;
  const std::int32_t groups = list(b + 2);
  std::int64_t pos = b + 3;
  LoopGuard outer("SSNCNT");
  for (std::int32_t g = 1; g <= groups; ++g) {
    outer.pass();
    const double source = t(list(pos));
    const std::int32_t n = list(pos + 1);
    LoopGuard inner("SSNCNT");
    for (std::int32_t k = 1; k <= n; ++k) {
      inner.pass();
      t(list(pos + 1 + k)) = source;
    }
    pos += n + 2;
  }
}

#include "modeldata/event_arrays.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/interpolation.h"
#include "platform/text.h"

void SGTEVT(int avail, std::string_view caller, int& count, plat::Vec1<std::int32_t> list, int& status) {
  status = 0;
  count = 0;
  const int narrays = FLAGS(19);
  const std::int64_t npointers = gar_arrayinfopointers.size();
  const std::int64_t ninfo = gar_arrayinfolist.size();
  LoopGuard guard("SGTEVT");
  for (int i = 1; i <= narrays && status == 0; ++i) {
    guard.pass();
    // The type is the first word of the array's descriptor; an array without
    // a readable descriptor is no event array.
    if (i > npointers) break;
    const std::int32_t p = gar_arrayinfopointers(i);
    if (p < 1 || p > ninfo) continue;
    const std::int32_t type = gar_arrayinfolist(p);
    if (type != 5 && type != 6) continue;
    ++count;
    if (count <= avail && count <= list.size()) {
      list(count) = i;
    } else {
      std::string message = gar_eventcoretext(plat::trimmed(caller));
      message.resize(255, ' ');
      SETERX(message, 4, 1, "SGTEVT");
      status = 1;
      count = 0;
    }
  }
}

bool take_event_list(gar_CoreGuard& core, std::string_view caller, plat::Vec1<const std::int32_t>& events,
                     int& count) {
  const int itop = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  const std::int64_t avail =
      std::max<std::int64_t>(0, std::min<std::int64_t>(static_cast<std::int64_t>(FLAGS(FLAGS_DYSTOR)) - itop,
                                                       gar_dynamiccoreint.size() - itop + 1));
  plat::Vec1<std::int32_t> room;
  if (avail > 0 && itop >= 1) room = gar_dynamiccoreint.from(itop, avail);
  int nev = 0, status = 0;
  SGTEVT(static_cast<int>(room.size()), caller, nev, room, status);
  if (status != 0) return false;
  count = nev;
  events = nev > 0 ? plat::Vec1<const std::int32_t>(room.data(), nev) : plat::Vec1<const std::int32_t>();
  core.take_int(nev);
  return true;
}

void LEVTIM(plat::Vec1<const std::int32_t> events, std::string_view mode, int count, double tnow, double& tnext) {
  const bool output = plat::text_eq(mode, "OUTPUT");
  std::array<int, kIntpMaxDims> dims{};  // no allocation: called at every step
  for (int n = 1; n <= count; ++n) {
    int ipos = 0, rpos = 0, ndim = 0, nvalues = 0, nel = 0, type = 0, status = 0;
    APARS(events(n), ipos, rpos, ndim, plat::Vec1<int>(dims.data(), kIntpMaxDims), nvalues, nel, type, status);
    if (status != 0) continue;
    if (output && type == 5) continue;
    if (rpos < 1 || rpos > gar_arrayvaluesreal.size()) continue;
    double e = gar_arrayvaluesreal(rpos);
    if (nel <= 1) {
      if (tnow < e && e < tnext) tnext = e;
      continue;
    }
    if (static_cast<std::int64_t>(rpos) + 1 > gar_arrayvaluesreal.size()) continue;
    const double d = gar_arrayvaluesreal(rpos + 1);
    // An interval that is not positive never advances the walk: the array
    // then stands for its first time only, instead of spinning until the
    // loop guard ends the run.
    const bool repeats = d > 0.0;
    LoopGuard guard("LEVTIM");
    while (e < tnext) {
      guard.pass();
      if (e > tnow) {
        tnext = e;
        break;
      }
      if (!repeats) break;
      e += d;
    }
  }
}

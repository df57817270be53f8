#include "fluid/thermal_entries.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/diagnostics.h"
#include "modeldata/list_walks.h"
#include "modeldata/status_changes.h"

namespace {

// Letters of a view, as a plain copy.
void copy_letters(FlCLetters v, std::vector<char>& to) {
  to.resize(static_cast<std::size_t>(v.size()));
  for (std::int64_t k = 1; k <= v.size(); ++k) to[static_cast<std::size_t>(k - 1)] = v(k).c[0];
}

bool same_letters(FlCLetters v, const std::vector<char>& copy) {
  if (static_cast<std::size_t>(v.size()) != copy.size()) return false;
  static_assert(sizeof(plat::Text<1>) == 1);
  return v.size() == 0 || std::memcmp(v.data(), copy.data(), copy.size()) == 0;
}

bool unchanged(const FlNetwork& net, const FlThermalEntries& e) {
  return e.taken && e.generation == status_generation() && e.nt == net.nt && e.pcs == net.pcs.data() &&
         e.ptrs == net.ptrs.data() && same_letters(net.tstat, e.tstat) && same_letters(net.glacts, e.glacts) &&
         same_letters(net.gracts, e.gracts) && same_letters(net.gfacts, e.gfacts);
}

// Takes the entries of every node "D" from the linked list.
void take(const FlNetwork& net, FlThermalEntries& e, std::string_view routine) {
  const int nt = net.nt;
  const ListWalkStatusKeep keep{net.tstat};
  // More entries than (position, sub-list) states from one walk: a state
  // came back, and the walk would never end.
  const std::int64_t states = 3 * std::max<std::int64_t>(net.pcs.size(), 1);
  e.first.resize(3 * static_cast<std::size_t>(std::max(nt, 0)) + 1);
  std::size_t n = 0;  // entries taken
  auto push = [&](int neighbour, int conductor) {
    if (2 * n + 2 > e.pairs.size()) e.pairs.resize(std::max<std::size_t>(2 * e.pairs.size(), 2 * n + 2));
    e.pairs[2 * n] = neighbour;
    e.pairs[2 * n + 1] = conductor;
    ++n;
  };
  for (int i = 1; i <= nt; ++i) {
    const std::size_t base = 3 * static_cast<std::size_t>(i - 1);
    e.first[base] = static_cast<std::int32_t>(n + 1);
    int open = 1;  // sub-list whose range is open
    if (net.tstat(i).c[0] == 'D') {
      const std::size_t start = n;
      int sub = 0, pos = 0, cond = 0, nb = 0;
      LoopGuard guard(routine);
      for (;;) {
        guard.pass();
        list_walk_next(0, nt, i, net.pcs, net.ptrs, sub, pos, cond, nb, "STUNPK", keep);
        if (pos == 0) break;
        int c = 0;
        if (sub == 1) {
          if (net.glacts(std::abs(cond)).c[0] == 'A') c = std::abs(cond);
        } else if (sub == 2) {
          if (net.gracts(std::abs(cond)).c[0] == 'A') c = std::abs(cond);
        } else if (cond > 0 && net.gfacts(cond).c[0] == 'A') {
          c = cond;
        }
        if (c == 0) continue;
        if (static_cast<std::int64_t>(n - start) >= states) ERROR(routine);
        for (; open < sub; ++open) e.first[base + static_cast<std::size_t>(open)] = static_cast<std::int32_t>(n + 1);
        push(nb, c);
      }
    }
    for (; open < 3; ++open) e.first[base + static_cast<std::size_t>(open)] = static_cast<std::int32_t>(n + 1);
  }
  e.first[3 * static_cast<std::size_t>(std::max(nt, 0))] = static_cast<std::int32_t>(n + 1);
  copy_letters(net.tstat, e.tstat);
  copy_letters(net.glacts, e.glacts);
  copy_letters(net.gracts, e.gracts);
  copy_letters(net.gfacts, e.gfacts);
  e.pcs = net.pcs.data();
  e.ptrs = net.ptrs.data();
  e.nt = nt;
  e.generation = status_generation();
  e.taken = true;
}

}  // namespace

void fl_thermal_entries_size(const FlNetwork& net, FlThermalEntries& e) {
  e.pairs.resize(static_cast<std::size_t>(std::max<std::int64_t>(net.pcs.size(), 2)));
  e.first.resize(3 * static_cast<std::size_t>(std::max(net.nt, 0)) + 1);
  e.tstat.reserve(static_cast<std::size_t>(net.tstat.size()));
  e.glacts.reserve(static_cast<std::size_t>(net.glacts.size()));
  e.gracts.reserve(static_cast<std::size_t>(net.gracts.size()));
  e.gfacts.reserve(static_cast<std::size_t>(net.gfacts.size()));
  e.taken = false;
}

void fl_thermal_entries_current(const FlNetwork& net, FlThermalEntries& e, std::string_view routine) {
  if (!unchanged(net, e)) take(net, e, routine);
}

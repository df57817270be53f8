#include "modeldata/load_work.h"
#include "platform/process_state.h"

#include <algorithm>
#include <cstring>

#include "modeldata/global_arrays.h"

namespace {

struct Area {
  int* base = nullptr;
  std::int64_t size = 0;
  std::int64_t bottom = 0, top = 0;        // words in use from each end
  std::int64_t bottom_hw = 0, top_hw = 0;  // the most ever in use
};

struct State {
  bool active = false;
  Area area[2];  // LoadArea::Pointers, LoadArea::Compact
};

State& state() {
  static State s;
  return s;
}

Area& area_of(LoadArea a) { return state().area[a == LoadArea::Pointers ? 0 : 1]; }

int* zeroed(int* p, std::int64_t n) {
  if (n > 0) std::memset(p, 0, static_cast<std::size_t>(n) * sizeof(int));
  return p;
}

}  // namespace

LoadWorkScope::LoadWorkScope() {
  State& s = state();
  if (s.active) return;  // an outer scope owns the borrowing
  s = State{};
  s.active = true;
  s.area[0].base = gar_pcsptrsthermal.data();
  s.area[0].size = gar_pcsptrsthermal.size();
  s.area[1].base = gar_pcsthermal.data();
  s.area[1].size = gar_pcsthermal.size();
  active_ = true;
}

void LoadWorkScope::end(std::int64_t kept_pointers, std::int64_t kept_compact) {
  if (!active_) return;
  active_ = false;
  State& s = state();
  const std::int64_t kept[2] = {kept_pointers, kept_compact};
  for (int i = 0; i < 2; ++i) {
    Area& a = s.area[i];
    if (!a.base) continue;
    const std::int64_t keep = std::clamp<std::int64_t>(kept[i], 0, a.size);
    // Used words: [0, bottom_hw) and [size - top_hw, size).
    if (a.bottom_hw > keep) zeroed(a.base + keep, a.bottom_hw - keep);
    const std::int64_t top_from = std::max(a.size - a.top_hw, keep);
    if (top_from < a.size) zeroed(a.base + top_from, a.size - top_from);
  }
  s = State{};
}

int* load_lasting_words(std::int64_t n) {
  State& s = state();
  Area& a = s.area[0];
  if (!s.active || !a.base || n < 1 || a.bottom + a.top + n > a.size) return nullptr;
  int* p = a.base + a.bottom;
  a.bottom += n;
  a.bottom_hw = std::max(a.bottom_hw, a.bottom);
  return p;
}

LoadWords::LoadWords(LoadArea area, std::int64_t n, LoadFill fill) : area_(area), n_(std::max<std::int64_t>(n, 0)) {
  State& s = state();
  Area& a = area_of(area);
  if (s.active && a.base && a.bottom + a.top + n_ <= a.size) {
    // Pointers area: from the top (the lasting words grow from the bottom);
    // compact area: from the bottom.
    if (area == LoadArea::Pointers) {
      a.top += n_;
      a.top_hw = std::max(a.top_hw, a.top);
      p_ = a.base + (a.size - a.top);
    } else {
      p_ = a.base + a.bottom;
      a.bottom += n_;
      a.bottom_hw = std::max(a.bottom_hw, a.bottom);
    }
    borrowed_ = true;
    if (fill == LoadFill::Zero) zeroed(p_, n_);
  } else {
    own_.assign(static_cast<std::size_t>(n_) + 1, 0);
    p_ = own_.data();
  }
}

LoadWords::~LoadWords() {
  if (!borrowed_) return;
  State& s = state();
  if (!s.active) return;
  Area& a = area_of(area_);
  if (area_ == LoadArea::Pointers) a.top -= n_;
  else a.bottom -= n_;
}

namespace {
void reset_load_work() { state() = State{}; }
}  // namespace
TNA_PROCESS_STATE("modeldata/load_work", reset_load_work)

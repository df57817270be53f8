#include "platform/process_state.h"

#include <algorithm>
#include <string_view>

namespace plat {
namespace {

struct Entry {
  const char* owner;
  StateReset reset;
};

// Filled by the static initialisation of the registering files, so it is a
// function-local object: it exists before the first of them registers.
std::vector<Entry>& entries() {
  static std::vector<Entry> e;
  return e;
}

void sort_entries() {
  auto& e = entries();
  std::stable_sort(e.begin(), e.end(), [](const Entry& a, const Entry& b) {
    return std::string_view(a.owner) < std::string_view(b.owner);
  });
}

}  // namespace

bool register_state_reset(const char* owner, StateReset reset) {
  entries().push_back({owner, reset});
  return true;
}

void reset_process_state() {
  sort_entries();
  for (const Entry& e : entries()) e.reset();
}

std::vector<std::string> process_state_owners() {
  sort_entries();
  std::vector<std::string> out;
  for (const Entry& e : entries()) out.emplace_back(e.owner);
  return out;
}

}  // namespace plat

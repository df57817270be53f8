#include "modeldata/status_changes.h"

std::int32_t status_changed = 0;

namespace {
std::uint64_t g_generation = 0;  // 64 bits: never wraps within a run
}  // namespace

std::uint64_t status_generation() { return g_generation; }

void advance_status_generation() { ++g_generation; }

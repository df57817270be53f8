// Format engine per table row: time and heap allocations per call for cached
// formats of the kind the output tables use. The only allocation expected is
// the record string itself.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/format.h"

namespace {
long g_allocs = 0;
}

void* operator new(std::size_t n) {
  ++g_allocs;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main() {
  const char* fmts[] = {"(1X,A,1X,I10,4X,A,4X,F10.2,4X,F10.2)", "(1X,A,1X,I10,4X,A,4X,1PE13.6,4X,G15.7)",
                        "(1X,A,1X,I10,4X,A,2(1X,EN14.6))"};
  std::vector<std::string> out;
  for (const char* f : fmts) {
    out.clear();
    plat::format_records_to(out, f, "X", 7, "node label", 293.15, -5.125);  // parses and caches
    const int n = 200000;
    const long a0 = g_allocs;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
      out.clear();
      plat::format_records_to(out, f, "X", i, "node label", 293.15 + i, -5.125 * i);
    }
    const auto t1 = std::chrono::steady_clock::now();
    std::printf("%-42s [%s] allocations/call %.2f, ns/call %.0f\n", f, out.front().c_str(),
                static_cast<double>(g_allocs - a0) / n,
                std::chrono::duration<double, std::nano>(t1 - t0).count() / n);
  }
  return 0;
}

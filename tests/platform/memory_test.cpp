// The storage of the owning arrays: large arrays mapped in whole huge pages,
// small ones from the heap; both zeroed, writable to the last element and
// given back when deallocated or reallocated.
#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <stdexcept>

#include "platform/array.h"
#include "platform/text.h"

namespace {

bool on_large_page(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % plat::kLargePageBytes == 0; }

TEST(ArrayStorage, LargeArraysStartOnAHugePageAndSmallOnesDoNot) {
  struct Case {
    const char* what;
    std::int64_t n;  // ints
    bool mapped;
  };
  const std::int64_t page_ints = static_cast<std::int64_t>(plat::kLargePageBytes / sizeof(int));
  const Case cases[] = {
      {"one int", 1, false},
      {"one int short of a huge page", page_ints - 1, false},
      {"exactly a huge page", page_ints, true},
      {"a huge page and one int", page_ints + 1, true},
      {"five and a half huge pages", 11 * page_ints / 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(plat::ArrayAllocator<int>::mapped(static_cast<std::size_t>(c.n)), c.mapped && plat::kMapLargeArrays);
    plat::Array1<int> a;
    a.allocate(c.n);
    ASSERT_EQ(a.size(), c.n);
    if (c.mapped && plat::kMapLargeArrays) {
      EXPECT_TRUE(on_large_page(a.data()));
    }
    std::int64_t nonzero = 0;
    for (std::int64_t i = 1; i <= c.n; ++i) nonzero += a(i) != 0;
    EXPECT_EQ(nonzero, 0);
    a(1) = 7;
    a(c.n) = 9;
    EXPECT_EQ(a(1) + a(c.n), c.n == 1 ? 18 : 16);
    a.deallocate();
    EXPECT_EQ(a.size(), 0);
  }
}

// Reallocating keeps nothing of the old contents, whichever storage each
// size takes; a 2-D array of texts holds its value throughout.
TEST(ArrayStorage, ReallocationStartsAfresh) {
  const std::int64_t rows = 3, cols = static_cast<std::int64_t>(plat::kLargePageBytes / sizeof(double));
  auto zeros = [](plat::Array2<double>& m) {
    std::int64_t nonzero = 0;
    for (double v : plat::Vec1<double>(m.flat())) nonzero += v != 0.0;
    return nonzero == 0;
  };
  plat::Array2<double> m;
  m.allocate(rows, cols);
  m(rows, cols) = 1.5;
  m(1, 1) = 2.5;
  m.deallocate();
  m.allocate(rows + 1, cols);
  EXPECT_TRUE(zeros(m));
  m(2, 2) = 1.0;
  m.deallocate();
  m.allocate(2, 2);
  EXPECT_TRUE(zeros(m));

  plat::Array2<plat::Text<24>> t;
  const std::int64_t n = static_cast<std::int64_t>(plat::kLargePageBytes / sizeof(plat::Text<24>)) + 1;
  t.allocate(1, n, plat::Text<24>("A"));
  EXPECT_EQ(t(1, 1).view(), t(1, n).view());
  EXPECT_EQ(t(1, n).view().substr(0, 2), "A ");
}

// A request the system cannot map ends as the heap's would: bad_alloc (the
// global arrays turn it into their memory-limit message); one beyond what a
// vector may hold, length_error.
TEST(ArrayStorage, ImpossibleRequestsFailAsTheHeapsWould) {
  if (!plat::kMapLargeArrays) GTEST_SKIP() << "the address sanitizer build takes every array from the heap";
  EXPECT_EQ(plat::map_large_pages(static_cast<std::size_t>(-1)), nullptr);
  plat::ArrayAllocator<char> chars;
  EXPECT_THROW(static_cast<void>(chars.allocate(std::size_t{1} << 62)), std::bad_alloc);
  plat::Array1<int> a;
  EXPECT_THROW(a.allocate(INT64_MAX), std::length_error);
}

}  // namespace

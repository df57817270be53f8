// The work space of the model database load: words borrowed from the compact
// list arrays while a load runs, the heap otherwise or when they have no
// room, and every borrowed word given back as 0 except those the load has
// rewritten.
#include "modeldata/load_work.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "modeldata/global_arrays.h"
#include "support/small_model.h"
#include "support/state_test.h"

namespace {

class LoadWork : public tna_test::StateTest {
 protected:
  void SetUp() override {
    // 10 thermal nodes (60 pointer words), 5 conductors (20 compact words).
    tna_test::ArraySizes c{0, 0, 18, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 10, 0, 0, 0, 0};
    c.allocate();
    // What the arrays hold before the load: not necessarily 0.
    std::fill(gar_pcsptrsthermal.data(), gar_pcsptrsthermal.data() + 60, 5);
    std::fill(gar_pcsthermal.begin(), gar_pcsthermal.end(), 5);
  }

  static bool in(const int* p, const int* base, std::int64_t n) { return p >= base && p < base + n; }
  static std::vector<int> pointers() { return {gar_pcsptrsthermal.data(), gar_pcsptrsthermal.data() + 60}; }
  static std::vector<int> compact() { return {gar_pcsthermal.begin(), gar_pcsthermal.end()}; }
};

TEST_F(LoadWork, OutsideALoadEverythingComesFromTheHeap) {
  EXPECT_EQ(load_lasting_words(4), nullptr);
  LoadWords w(LoadArea::Compact, 8);
  EXPECT_FALSE(in(w.data(), gar_pcsthermal.data(), 20));
  EXPECT_TRUE(std::all_of(w.data(), w.data() + 8, [](int x) { return x == 0; }));
  EXPECT_EQ(compact(), std::vector<int>(20, 5));
}

TEST_F(LoadWork, WordsAreBorrowedFromTheCompactListArraysWhileThereIsRoom) {
  LoadWorkScope scope;
  int* lasting = load_lasting_words(30);
  ASSERT_NE(lasting, nullptr);
  EXPECT_EQ(lasting, gar_pcsptrsthermal.data());  // from the bottom
  {
    LoadWords top(LoadArea::Pointers, 20);
    EXPECT_EQ(top.data(), gar_pcsptrsthermal.data() + 40);  // from the top
    EXPECT_TRUE(std::all_of(top.data(), top.data() + 20, [](int x) { return x == 0; }));
    LoadWords none(LoadArea::Pointers, 11);  // 30 + 20 + 11 > 60
    EXPECT_FALSE(in(none.data(), gar_pcsptrsthermal.data(), 60));
    EXPECT_EQ(load_lasting_words(11), nullptr);
    LoadWords any(LoadArea::Compact, 20, LoadFill::Any);
    EXPECT_EQ(any.data(), gar_pcsthermal.data());
    EXPECT_EQ(any.data()[0], 5);  // left as it was
    top.data()[0] = 9;
  }
  // Given back: the same words again.
  LoadWords again(LoadArea::Pointers, 20);
  EXPECT_EQ(again.data(), gar_pcsptrsthermal.data() + 40);
  EXPECT_EQ(again.data()[0], 0);
}

TEST_F(LoadWork, TheEndClearsWhatWasBorrowedExceptTheRewrittenWords) {
  {
    LoadWorkScope scope;
    int* lasting = load_lasting_words(6);
    std::fill(lasting, lasting + 6, 7);
    {
      LoadWords top(LoadArea::Pointers, 4, LoadFill::Any);
      std::fill(top.data(), top.data() + 4, 7);
      LoadWords c(LoadArea::Compact, 12, LoadFill::Any);
      std::fill(c.data(), c.data() + 12, 7);
    }
    // The caller has rewritten the first 3 compact words since.
    gar_pcsthermal(1) = gar_pcsthermal(2) = gar_pcsthermal(3) = 8;
    scope.end(0, 3);
  }
  std::vector<int> p(60, 5);
  std::fill(p.begin(), p.begin() + 6, 0);
  std::fill(p.end() - 4, p.end(), 0);
  EXPECT_EQ(pointers(), p);
  std::vector<int> c(20, 5);
  std::fill(c.begin(), c.begin() + 3, 8);
  std::fill(c.begin() + 3, c.begin() + 12, 0);
  EXPECT_EQ(compact(), c);
}

}  // namespace

// Look-up of user node numbers during the model database load.
//
// The connection-list builders, the mass-flow link update, the view-factor
// pairs, the inter-model link resolution and the tied-node list turn user
// node numbers into positions within their model's slice of
// gar_thermalnodenums or gar_fluidnodenums (ascending numbers). NodeIndex
// answers from a table built once per slice and gives exactly what the
// searches it replaces give:
//   find(key)  = the bisection (SOFNDI): position of the first of a run of
//                equal numbers, 0 when absent;
//   first(key) = the linear search (SRFNDI): position of the first
//                occurrence, 0 when absent.
// The table maps (number - smallest) >> shift to the first position whose
// number falls in that bucket, with the shift chosen so that there are at
// most about two buckets per node: for numbers without large gaps every
// bucket holds at most one number. The low bits of a table word give the
// offset of that number in its bucket, so that such a look-up reads the table
// alone, not the numbers: in a large model, one cache line rather than two
// far apart. A few outlying numbers at either end (a boundary node numbered
// 99999 after nodes 1..500) stay outside the table, found by bisection, so
// that they do not widen the buckets. A slice whose numbers are not in
// ascending order gets no table: find() bisects it and first() searches it
// linearly, as before.
//
// While a load runs (NodeIndexScope, held by LOADB) the index of each slice
// is built on first use and kept for the rest of the load; outside a load
// load_node_index() gives nullptr and callers search as they always did.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/array.h"

class NodeIndex {
 public:
  NodeIndex() = default;
  // Indexes nums(1..n) (n is cut to the view). The table lives in the
  // load's lasting work space (load_work.h) while a load runs.
  NodeIndex(plat::Vec1<const int> nums, int n);
  NodeIndex(const NodeIndex&) = delete;
  NodeIndex& operator=(const NodeIndex&) = delete;

  int find(int key) const {
    if (key < low_ || key > hi_) return memo_ && key == memo_key_ ? memo_pos_ : find_outside(key);
    const std::int64_t offset = static_cast<std::int64_t>(key) - lo_;
    const auto b = static_cast<std::size_t>(offset >> shift_);
    const int word = start_[b];
    int p = word >> pack_;
    const int end = start_[b + 1] >> pack_;
    // Buckets one number wide hold that number or nothing.
    if (shift_ == 0) return p < end ? p : 0;
    // A bucket of one number: its place in the bucket is in the table word.
    const int in_bucket = (1 << pack_) - 1;
    if (pack_ != 0 && end - p == 1) return (offset & in_bucket) == (word & in_bucket) ? p : 0;
    if (end - p > kScanLimit) return search(p, end - 1, key);
    for (; p < end; ++p) {
      const int v = nums_[p - 1];
      if (v == key) return p;
      if (v > key) break;
    }
    return 0;
  }
  int first(int key) const;
  // Starts fetching the table word find(key) reads first.
  void prefetch(int key) const {
    if (key < low_ || key > hi_) return;
    __builtin_prefetch(start_ + ((static_cast<std::int64_t>(key) - lo_) >> shift_));
  }

  const int* data() const { return nums_; }
  int size() const { return n_; }
  // Position of the first number that is not above the one before it (a
  // slice out of order, or a number used twice), 0 when the numbers ascend
  // strictly.
  int out_of_order() const { return out_of_order_; }

 private:
  // A bucket longer than this is bisected rather than scanned.
  static constexpr int kScanLimit = 8;
  int find_outside(int key) const;            // keys outside low_..hi_
  int search(int lo, int hi, int key) const;  // first position in lo..hi holding key, 0 when none

  const int* nums_ = nullptr;  // zero-based copy of the one-based view
  int n_ = 0;
  bool ascending_ = false;
  int out_of_order_ = 0;
  // Positions p0..p1 are in the table; smaller and larger numbers are bisected.
  int p0_ = 1, p1_ = 0;
  std::int64_t lo_ = 0, hi_ = 0;  // numbers at p0 and p1
  std::int64_t low_ = 1;          // smallest key the table answers (hi_ the largest)
  int shift_ = 0;
  // Bits of a table word below the position: shift_ when the positions
  // leave room for them (the offset in its bucket of the bucket's first
  // number), else 0.
  int pack_ = 0;
  // The last key looked up outside the table and its answer: a boundary
  // node is often the far end of many conductors.
  mutable int memo_key_ = 0, memo_pos_ = 0;
  mutable bool memo_ = false;
  // start_[b] >> pack_: first position whose bucket is b or later, for
  // b = 0 .. one past the last bucket.
  const int* start_ = nullptr;
  std::vector<int> own_;  // the table when it is not in the load's work space
};

// Keeps the indexes built during one database load; the load's only scope.
class NodeIndexScope {
 public:
  NodeIndexScope();
  ~NodeIndexScope() { end(); }
  // Drops the indexes (idempotent); the load ends it before its work space.
  void end();
  NodeIndexScope(const NodeIndexScope&) = delete;
  NodeIndexScope& operator=(const NodeIndexScope&) = delete;

 private:
  bool active_ = false;
};

// The index of nums(1..n) while a load runs (built on first use), nullptr
// outside a load or for an empty slice.
const NodeIndex* load_node_index(plat::Vec1<const int> nums, int n);

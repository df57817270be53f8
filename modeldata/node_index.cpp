#include "modeldata/node_index.h"
#include "platform/process_state.h"

#include <algorithm>
#include <map>
#include <utility>

#include "core/search_sort.h"
#include "modeldata/load_work.h"

namespace {

// Buckets allowed per indexed number; at most 1 / kTrimShare of the numbers
// at each end may be left out of the table as outliers, numbers whose gap
// to their neighbour is more than kOutlierGap times the mean spacing.
constexpr std::int64_t kBucketsPerNode = 2;
constexpr int kTrimShare = 64;
constexpr double kOutlierGap = 64.0;
// Most bits of a table word given to a number's offset in its bucket.
constexpr int kMostPackedBits = 6;

}  // namespace

NodeIndex::NodeIndex(plat::Vec1<const int> nums, int n) {
  n_ = static_cast<int>(std::clamp<std::int64_t>(n, 0, nums.size()));
  if (n_ < 1) return;
  nums_ = nums.data();
  // One pass finds the first number not above its predecessor; the numbers
  // before it ascend strictly, so the slice ascends when the rest does.
  const int* end = nums_ + n_;
  const int* bad = std::adjacent_find(nums_, end, [](int a, int b) { return a >= b; });
  out_of_order_ = bad == end ? 0 : static_cast<int>(bad - nums_) + 2;
  ascending_ = bad == end || std::is_sorted(bad, end);
  if (!ascending_) return;
  // Outliers: a number at either end whose gap to its neighbour exceeds
  // kOutlierGap times the mean spacing of the numbers inside, at most 1/64
  // of the numbers at each end.
  const int most_trimmed = n_ / kTrimShare;
  p0_ = 1;
  p1_ = n_;
  auto spacing = [&](int lo, int hi) {
    return hi > lo ? (static_cast<double>(nums_[hi - 1]) - nums_[lo - 1]) / (hi - lo) : 0.0;
  };
  while (n_ - p1_ < most_trimmed && p1_ - p0_ >= 2 &&
         static_cast<double>(nums_[p1_ - 1]) - nums_[p1_ - 2] > kOutlierGap * (spacing(p0_, p1_ - 1) + 1.0))
    --p1_;
  while (p0_ - 1 < most_trimmed && p1_ - p0_ >= 2 &&
         static_cast<double>(nums_[p0_]) - nums_[p0_ - 1] > kOutlierGap * (spacing(p0_ + 1, p1_) + 1.0))
    ++p0_;
  lo_ = nums_[p0_ - 1];
  hi_ = nums_[p1_ - 1];
  // The first of a run of equal numbers may lie below p0: such keys are
  // searched there.
  low_ = p0_ > 1 ? std::max<std::int64_t>(lo_, std::int64_t{nums_[p0_ - 2]} + 1) : lo_;
  const std::int64_t range = hi_ - lo_;
  const std::int64_t most = kBucketsPerNode * (p1_ - p0_ + 1);
  while ((range >> shift_) >= most) ++shift_;
  const std::int64_t buckets = (range >> shift_) + 1;
  int* start = load_lasting_words(buckets + 1);
  if (!start) {
    own_.resize(static_cast<std::size_t>(buckets) + 1);
    start = own_.data();
  }
  // A look-up of a key in a bucket of one number reads its table word
  // alone (and that of the next bucket, mostly in the same cache line)
  // when the word tells where in the bucket the number lies.
  if (shift_ <= kMostPackedBits && (std::int64_t{n_} + 1) << shift_ <= INT32_MAX) pack_ = shift_;
  const std::int64_t in_bucket = (std::int64_t{1} << pack_) - 1;
  int p = p0_;
  for (std::int64_t b = 0; b <= buckets; ++b) {
    while (p <= p1_ && ((nums_[p - 1] - lo_) >> shift_) < b) ++p;
    const std::int64_t offset = p <= p1_ ? nums_[p - 1] - lo_ : 0;
    start[b] = static_cast<int>((std::int64_t{p} << pack_) | (offset & in_bucket));
  }
  start_ = start;
}

int NodeIndex::search(int lo, int hi, int key) const {
  if (lo > hi) return 0;
  const int* b = nums_ + (lo - 1);
  const int* e = nums_ + hi;
  const int* it = std::lower_bound(b, e, key);
  return (it != e && *it == key) ? static_cast<int>(it - nums_) + 1 : 0;
}

int NodeIndex::find_outside(int key) const {
  if (n_ < 1) return 0;
  if (memo_ && key == memo_key_) return memo_pos_;
  int pos = 0;
  if (!ascending_) {
    int st = 0, found = 0;
    SOFNDI(plat::Vec1<const int>(nums_, n_), n_, key, st, found, pos);
    if (st != 0 || !found) pos = 0;
  } else if (key > hi_) {
    pos = search(p1_ + 1, n_, key);
  } else {
    // Below the table: every number from p0 on is at least lo_, and a key
    // equal to the last number below p0 has its first occurrence there.
    pos = search(1, p0_ - 1, key);
  }
  memo_ = true;
  memo_key_ = key;
  memo_pos_ = pos;
  return pos;
}

int NodeIndex::first(int key) const {
  if (ascending_ || n_ < 1) return find(key);
  for (int p = 1; p <= n_; ++p)
    if (nums_[p - 1] == key) return p;
  return 0;
}

namespace {

// The indexes of the running load, by slice.
struct Registry {
  int scopes = 0;
  std::map<std::pair<const int*, int>, std::unique_ptr<NodeIndex>> indexes;
};

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

NodeIndexScope::NodeIndexScope() : active_(true) {
  Registry& r = registry();
  if (r.scopes++ == 0) r.indexes.clear();
}

void NodeIndexScope::end() {
  if (!active_) return;
  active_ = false;
  Registry& r = registry();
  if (--r.scopes == 0) r.indexes.clear();
}

const NodeIndex* load_node_index(plat::Vec1<const int> nums, int n) {
  Registry& r = registry();
  n = static_cast<int>(std::clamp<std::int64_t>(n, 0, nums.size()));
  if (r.scopes == 0 || n < 1) return nullptr;
  auto& slot = r.indexes[{nums.data(), n}];
  if (!slot) slot = std::make_unique<NodeIndex>(nums, n);
  return slot.get();
}

namespace {
void reset_node_indexes() { registry() = Registry{}; }
}  // namespace
TNA_PROCESS_STATE("modeldata/node_index", reset_node_indexes)

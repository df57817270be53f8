// Global control constants: records, name tables, accessors, count check and
// character defaults. Everything here is generated from the constant lists of
// the header so names, slots and values cannot drift apart.
#include "core/control_constants.h"
#include "platform/process_state.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

GlorRecord GLOR;
GloiRecord GLOI;
GlocRecord GLOC;

namespace {

// Slot-order names of each kind.
constexpr const char* kRealNames[] = {
#define TNA_X(U, l) #U,
    TNA_GLOR_LIST(TNA_X)
#undef TNA_X
};
constexpr const char* kIntNames[] = {
#define TNA_X(U, l) #U,
    TNA_GLOI_LIST(TNA_X)
#undef TNA_X
};
constexpr const char* kCharNames[] = {
#define TNA_X(U, l, n, d) #U,
    TNA_GLOC_LIST(TNA_X)
#undef TNA_X
};
constexpr const char* kLocalIntNames[] = {
#define TNA_X(U) #U,
    TNA_LOCI_LIST(TNA_X)
#undef TNA_X
};
static_assert(std::size(kRealNames) == gcc_num_real);
static_assert(std::size(kIntNames) == gcc_num_int);
static_assert(std::size(kCharNames) == gcc_num_char);
static_assert(std::size(kLocalIntNames) == gcc_num_local_int);
static_assert(gcc_num_local_int + gcc_num_int + gcc_num_real + gcc_num_char == gcc_num_all);

// Slot-order member pointers of the numeric records.
constexpr double GlorRecord::*kRealSlots[] = {
#define TNA_X(U, l) &GlorRecord::U,
    TNA_GLOR_LIST(TNA_X)
#undef TNA_X
};
constexpr std::int32_t GloiRecord::*kIntSlots[] = {
#define TNA_X(U, l) &GloiRecord::U,
    TNA_GLOI_LIST(TNA_X)
#undef TNA_X
};

// A character field as a view of the global record, by slot.
std::string_view char_field(int slot) {
  int k = 0;
#define TNA_X(U, l, n, d) \
  if (k++ == slot) return GLOC.U.view();
  TNA_GLOC_LIST(TNA_X)
#undef TNA_X
  return {};
}

// Slot numbers (0-based) of a list in ascending character-code order of the
// names padded to 6 characters.
template <std::size_t N>
std::array<int, N> sorted_slots(const char* const (&names)[N]) {
  std::array<int, N> idx;
  std::iota(idx.begin(), idx.end(), 0);
  std::sort(idx.begin(), idx.end(), [&](int a, int b) {
    return plat::text_cmp(plat::Text<6>(names[a]).view(), plat::Text<6>(names[b]).view()) < 0;
  });
  return idx;
}

const std::array<int, gcc_num_real>& real_order() {
  static const auto idx = sorted_slots(kRealNames);
  return idx;
}
const std::array<int, gcc_num_int>& int_order() {
  static const auto idx = sorted_slots(kIntNames);
  return idx;
}
const std::array<int, gcc_num_char>& char_order() {
  static const auto idx = sorted_slots(kCharNames);
  return idx;
}

template <std::size_t N>
std::array<plat::Text<6>, N> sorted_names(const char* const (&names)[N], const std::array<int, N>& order) {
  std::array<plat::Text<6>, N> out;
  for (std::size_t i = 0; i < N; ++i) out[i] = names[order[i]];
  return out;
}

// Stores the 92 names into count elements of elem_len characters.
void store_names(char* names, std::size_t elem_len, std::int64_t count) {
  std::int64_t i = 0;
  auto put = [&](const char* name) {
    if (i < count) plat::assign_text(names + static_cast<std::size_t>(i) * elem_len, elem_len, name);
    ++i;
  };
  for (const char* n : kLocalIntNames) put(n);
  for (const char* n : kIntNames) put(n);
  for (const char* n : kRealNames) put(n);
  for (const char* n : kCharNames) put(n);
}

}  // namespace

const std::array<plat::Text<6>, 49> gcc_ctrl_const_names_real = sorted_names(kRealNames, real_order());
const std::array<plat::Text<6>, 25> gcc_ctrl_const_names_int = sorted_names(kIntNames, int_order());
const std::array<plat::Text<6>, 16> gcc_ctrl_const_names_char = sorted_names(kCharNames, char_order());

#define TNA_X(U, l) \
  double gcc_get##l() { return GLOR.U; } \
  void gcc_set##l(const double& v) { GLOR.U = v; }
TNA_GLOR_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l) \
  std::int32_t gcc_get##l() { return GLOI.U; } \
  void gcc_set##l(const std::int32_t& v) { GLOI.U = v; }
TNA_GLOI_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l, n, d) \
  plat::Text<n> gcc_get##l() { return GLOC.U; } \
  void gcc_set##l(std::string_view v) { GLOC.U = v; }
TNA_GLOC_LIST(TNA_X)
#undef TNA_X

void gcc_getvaluesreal(plat::Vec1<double> v, std::int64_t stride) {
  const auto& order = real_order();
  for (int i = 0; i < gcc_num_real; ++i) v(1 + i * stride) = GLOR.*kRealSlots[order[i]];
}

void gcc_getvaluesint(plat::Vec1<std::int32_t> v, std::int64_t stride) {
  const auto& order = int_order();
  for (int i = 0; i < gcc_num_int; ++i) v(1 + i * stride) = GLOI.*kIntSlots[order[i]];
}

void gcc_getvalueschar(plat::Vec1<plat::Text<132>> v, std::int64_t stride) {
  const auto& order = char_order();
  for (int i = 0; i < gcc_num_char; ++i) {
    const std::string_view field = char_field(order[i]);
    v(1 + i * stride) = field.substr(0, std::min<std::size_t>(8, field.size()));
  }
}

void SCNTRL(int ngc, int ngi, int ngr, int nlc, int nli, int nlr, char* names, std::size_t elem_len,
            std::int64_t count, int& ierr) {
  if (ngc != gcc_num_char || ngi != gcc_num_int || ngr != gcc_num_real || nlc != 0 || nli != gcc_num_local_int ||
      nlr != 0) {
    ierr = 1;
    return;
  }
  if (elem_len == 0 || names == nullptr) return;
  // A list shorter than 92 receives the names that fit; nothing is written past its end.
  store_names(names, elem_len, count);
}

void SCNTRL(int ngc, int ngi, int ngr, int nlc, int nli, int nlr, plat::Vec1<plat::Text<18>> names, int& ierr) {
  static_assert(sizeof(plat::Text<18>) == 18);
  SCNTRL(ngc, ngi, ngr, nlc, nli, nlr, names.size() > 0 ? names.data()->data() : nullptr, 18, names.size(), ierr);
}

void SLDINC() {
#define TNA_X(U, l, n, d) GLOC.U = d;
  TNA_GLOC_LIST(TNA_X)
#undef TNA_X
}

void STSOLT(std::string_view text) { GLOC.SOLTYP = text; }

bool MTDTST(int k) {
  if (k <= 0) return false;
  const std::int64_t m = GLOI.METHOD;
  const std::int64_t k2 = 2 * static_cast<std::int64_t>(k);
  return m % k2 >= k;
}

namespace {
void reset_control_constants() {
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
  GLOC = GlocRecord{};
}
}  // namespace
TNA_PROCESS_STATE("core/control_constants", reset_control_constants)

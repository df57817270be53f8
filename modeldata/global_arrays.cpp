// The global arrays: definitions, one-time allocation and the work-space
// stacks of the dynamic core.
#include "modeldata/global_arrays.h"
#include "platform/process_state.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>

#include "core/diagnostics.h"
#include "platform/process.h"

#define TNA_X1(name, T, n) plat::Array1<T> name;
#define TNA_X2(name, T, r, c) plat::Array2<T> name;
TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2

namespace {

// Allocation state of one array, by address.
struct Entry {
  const char* name;
  const void* address;
  void (*release)();
  bool allocated;
};

Entry g_entries[] = {
#define TNA_X1(name, T, n) {#name, &name, [] { name.deallocate(); }, false},
#define TNA_X2(name, T, r, c) {#name, &name, [] { name.deallocate(); }, false},
    TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2
};
static_assert(std::size(g_entries) == 108, "the module holds 108 arrays");

Entry* find_entry(const void* address) {
  for (Entry& e : g_entries)
    if (e.address == address) return &e;
  return nullptr;
}

// Ends the process at once, without the close-down, with the text on the
// error output.
[[noreturn]] void allocation_end(const std::string& text) { plat::consistency_stop(text, 1); }

std::int64_t nonneg(std::int64_t n) { return n < 0 ? 0 : n; }

// Checks and performs one allocation of rows x cols elements of `elem` bytes.
template <class Alloc>
void allocate_one(Entry& e, std::int64_t rows, std::int64_t cols, std::size_t elem, Alloc&& alloc) {
  if (e.allocated) allocation_end(std::string("Attempting to allocate already allocated variable '") + e.name + "'");
  rows = nonneg(rows);
  cols = nonneg(cols);
  const __int128 bytes = static_cast<__int128>(rows) * cols * static_cast<__int128>(elem);
  if (bytes > std::numeric_limits<std::int64_t>::max())
    allocation_end("Integer overflow when calculating the amount of memory to allocate");
  try {
    alloc(rows, cols);
  } catch (const std::bad_alloc&) {
    allocation_end("Allocation would exceed memory limit");
  } catch (const std::length_error&) {
    allocation_end("Allocation would exceed memory limit");
  }
  e.allocated = true;
}

template <class T>
void allocate_array(Entry& e, plat::Array1<T>& a, std::int64_t n) {
  allocate_one(e, n, 1, sizeof(T), [&](std::int64_t r, std::int64_t) { a.allocate(r); });
}

template <class T>
void allocate_array(Entry& e, plat::Array2<T>& a, std::int64_t rows, std::int64_t cols) {
  allocate_one(e, rows, cols, sizeof(T), [&](std::int64_t r, std::int64_t c) { a.allocate(r, c); });
}

}  // namespace

void gar_allocate(int& larrinfo, int& dystor, int& mdrows, int& lpcsfluid, int& lpcsth, int& lpcsold, int& narrays,
                  int& ncc, int& nucn, int& ncharel, int& ncharuc, int& ncharpool, int& ngf, int& nf, int& nintel,
                  int& nintuc, int& ngl, int& nl, int& nalias, int& ngr, int& nrealel, int& nrealuc, int& nm,
                  int& nt, int& nchent, int& nintent, int& nrealent, int& ngv) {
  Entry* e = g_entries;
  // Products of two counts are formed in 64 bits.
#define TNA_X1(name, T, n) allocate_array(*e++, name, static_cast<std::int64_t>(n));
#define TNA_X2(name, T, r, c) allocate_array(*e++, name, static_cast<std::int64_t>(r), static_cast<std::int64_t>(c));
  TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2
  // Per-model control constants: FLAGS(11) integer and FLAGS(10) real rows per model.
  LOCI.allocate(nonneg(FLAGS(11)), nonneg(nm));
  LOCR.allocate(nonneg(FLAGS(10)), nonneg(nm));
}

bool gar_allocated(const void* array) {
  const Entry* e = find_entry(array);
  return e != nullptr && e->allocated;
}

void gar_deallocate_address(const void* array) {
  Entry* e = find_entry(array);
  if (e == nullptr) return;
  if (!e->allocated) allocation_end(std::string("Attempt to DEALLOCATE unallocated '") + e->name + "'");
  e->release();
  e->allocated = false;
}

void gar_deallocate_all() {
  for (Entry& e : g_entries) {
    e.release();
    e.allocated = false;
  }
  LOCI.deallocate();
  LOCR.deallocate();
}

// ---------------------------------------------------------------------------
// Work space.

std::string gar_count9(std::int64_t n) {
  char buf[32];
  const int len = std::snprintf(buf, sizeof buf, "%9lld", static_cast<long long>(n));
  if (len > 9) return std::string(9, '*');
  return std::string(buf, static_cast<std::size_t>(len));
}

std::string gar_worktext(std::string_view routine, std::int64_t shortfall, std::string_view ending) {
  std::string t(routine);
  t.append(": Insufficient work space@An extra ").append(gar_count9(shortfall)).append(" ").append(ending);
  return t;
}

std::string gar_eventcoretext(std::string_view routine) {
  std::string t(routine);
  t.append(": Insufficient dynamic core@Increase DYSTOR setting on $EXECUTION statement");
  return t;
}

std::string gar_paramcoretext(std::int64_t shortfall) {
  return "Insufficient dynamic core@Increase DYSTOR - another " + gar_count9(shortfall) + "locations required";
}

bool gar_intfits(std::int64_t newtop) { return newtop <= FLAGS(FLAGS_DYSTOR); }
bool gar_realfits(std::int64_t newtop) { return newtop < FLAGS(FLAGS_DYSTOR); }

std::int64_t gar_shortfall(std::int64_t int_newtop, std::int64_t real_newtop) {
  const std::int64_t dystor = FLAGS(FLAGS_DYSTOR);
  return std::max(int_newtop - dystor, real_newtop - dystor + 1);
}

gar_CoreGuard::gar_CoreGuard()
    : real_top_(FLAGS(FLAGS_NEXTDYNAMICCOREREAL)), int_top_(FLAGS(FLAGS_NEXTDYNAMICCOREINT)) {}

gar_CoreGuard::~gar_CoreGuard() {
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = real_top_;
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = int_top_;
}

bool gar_CoreGuard::reserve(std::string_view routine, int code, std::int64_t nreal, std::int64_t nint,
                            std::string_view ending) {
  const std::int64_t dystor = FLAGS(FLAGS_DYSTOR);
  const std::int64_t rtop = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
  const std::int64_t itop = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  nreal = nonneg(nreal);
  nint = nonneg(nint);
  const bool real_ok = nreal == 0 || gar_realfits(rtop + nreal);
  const bool int_ok = nint == 0 || gar_intfits(itop + nint);
  if (!real_ok || !int_ok) {
    std::int64_t extra = 0;
    if (!real_ok) extra = std::max(extra, rtop + nreal - dystor + 1);
    if (!int_ok) extra = std::max(extra, itop + nint - dystor);
    SETERX(gar_worktext(routine, extra, ending), 4, code, routine);
    return false;
  }
  real_first_ = take_real(nreal);
  int_first_ = take_int(nint);
  return true;
}

int gar_CoreGuard::take_real(std::int64_t n) {
  const int first = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = static_cast<int>(first + nonneg(n));
  real_first_ = first;
  return first;
}

int gar_CoreGuard::take_int(std::int64_t n) {
  const int first = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = static_cast<int>(first + nonneg(n));
  int_first_ = first;
  return first;
}

TNA_PROCESS_STATE("modeldata/global_arrays", gar_deallocate_all)

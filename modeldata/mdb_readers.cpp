#include "modeldata/mdb_readers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/diagnostics.h"
#include "platform/process.h"
#include "platform/units.h"

namespace {

constexpr int kChunked = 7;

// The buffer of the chunk-count records (the lists themselves are read
// straight into their arrays).
std::vector<unsigned char>& record_buffer() {
  static std::vector<unsigned char> buf;
  return buf;
}

std::string fixed(std::string_view s, std::size_t n) {
  std::string f(n, ' ');
  plat::assign_text(f.data(), n, s);
  return f;
}

std::string_view before_blank(std::string_view s) {
  const auto p = s.find(' ');
  return p == std::string_view::npos ? s : s.substr(0, p);
}

// The end of a failed read: file-input box, then the unrecoverable-error path.
[[noreturn]] void read_failed(int unit, int error, std::string_view routine) {
  const std::string connected = plat::io::file_name(unit);
  if (routine == "Dbqrdd") {
    ERRNEW(mdbr::real_read_error_message(connected, unit, error), 1, 1, routine);
  } else {
    ERRNEW(mdbr::read_error_message(connected, unit, error), 1, 1, routine);
  }
  ERROR(routine);
}

// Reads the next record and its first n items of `size` bytes straight into
// dst; a failed read, or a record that holds fewer items, ends the run (the
// latter as the I/O error of a read past the record).
void read_into(int unit, void* dst, std::int64_t n, std::size_t size, std::string_view routine) {
  const std::size_t bytes = n > 0 ? static_cast<std::size_t>(n) * size : 0;
  std::size_t len = 0;
  if (int st = plat::io::read_record_into(unit, dst, bytes, len)) read_failed(unit, st, routine);
  if (bytes > len) read_failed(unit, plat::io::kPastRecord, routine);
}

// A caller asking a record reader for more items than its array holds is a
// defect of the caller, not of the file.
void check_room(std::int64_t n, std::int64_t size, std::string_view routine) {
  if (n > size) plat::consistency_stop(std::string(routine) + ": more items asked for than the array holds");
}

// The keyed-list reader of the integer and real families; `words_per_item`
// is 1 for integers and 2 for reals (whose length word counts 4-byte words).
template <class T, class ReadFn>
void read_keyed_list(int base, int capacity, int key, int unit, plat::Vec1<T> a, int& count, int& status,
                     int words_per_item, ReadFn read_items, const char* guard_name) {
  count = 0;
  status = 0;
  // Whatever the caller's capacity, the list may not run past the array.
  const std::int64_t limit = std::min<std::int64_t>(capacity, a.size());
  std::int64_t next = static_cast<std::int64_t>(base) + 1;
  int expected = key;
  std::int64_t lists = 1, done = 0;
  bool chunked = false;
  LoopGuard guard(guard_name ? guard_name : "");
  int hdr_store[4];
  plat::Vec1<int> hdr(hdr_store, 4);
  while (done < lists && status == 0) {
    if (guard_name) guard.pass();
    int st = 0;
    DBQRII(4, unit, hdr, st);
    const int hkey = hdr(1), htype = hdr(2), hlength = hdr(3);
    if (hkey != expected || htype < 0 || (chunked && htype == kChunked)) {
      // A chunk is always a plain list: a chunked list inside a chunked list is refused.
      status = 1;
    } else if (htype == kChunked) {
      auto& rec = record_buffer();
      int n = 0;
      st = plat::io::read_record(unit, rec);
      if (st == 0) st = plat::io::RecordIn(rec).get(n);
      if (st != 0) {
        status = st;
      } else {
        chunked = true;
        lists = n;
        done = 0;
        expected = 1;
      }
    } else {
      // A negative length (never written by a valid file) counts as an empty list.
      const std::int64_t n = std::max(0, hlength / words_per_item);
      if (next < 1 || next + n - 1 > limit) {
        status = 2;
      } else {
        if (n == 0) {
          DBQRSK(1, unit, st);
        } else {
          read_items(static_cast<int>(n), unit, a.from(next, n), st);
        }
        next += n;
        count += static_cast<int>(n);
        ++done;
        expected = hkey + 1;
      }
    }
  }
}

}  // namespace

namespace mdbr {

std::string read_error_message(std::string_view connected_name, int unit, int error) {
  const std::string name = fixed(connected_name, 256);
  std::string m = "File input error has occurred@File name = \"";
  m.append(filesvc::shown_name(name)).append("\",");
  m.append("  Unit no.=").append(filesvc::int_field(unit, 3)).append(",");
  m.append("  Fortran I/O error =").append(filesvc::int_field(error, 4));
  m.append(13, ' ').append("For an explanation: see your Fortran Manual");
  return fixed(m, 200);
}

std::string real_read_error_message(std::string_view connected_name, int unit, int error) {
  const std::string name = fixed(connected_name, 256);
  std::string m =
      "File input error has occurred@Reading double precision data from the model data file@"
      "Try pre-processing again@File name = \"";
  m.append(before_blank(name)).append("\",");
  m.append("  Unit no.=").append(filesvc::int_field(unit, 3)).append(",");
  m.append("  Fortran I/O error =").append(filesvc::int_field(error, 4));
  m.append("<NL>For an explanation: see your Fortran Manual");
  return fixed(m, 300);
}

}  // namespace mdbr

void DBQRII(int n, int unit, plat::Vec1<int> a, int& status) {
  status = 0;
  check_room(n, a.size(), "DBQRII");
  read_into(unit, a.data(), n, sizeof(int), "DBQRII");
}

void DBQRDD(int n, int unit, plat::Vec1<double> a, int& status) {
  status = 0;
  check_room(n, a.size(), "DBQRDD");
  read_into(unit, a.data(), n, sizeof(double), "Dbqrdd");
}

void DBQRZZ(int n, int unit, TextVec1 a, int& status) {
  status = 0;
  check_room(n, a.size(), "DBQRZZ");
  read_into(unit, a.data(), n, a.len(), "DBQRZZ");
}

void DBQRSK(int n, int unit, int& status) {
  status = 0;
  LoopGuard guard("DBQRSK");
  for (int k = 1; k <= n; ++k) {
    guard.pass();
    if (int st = plat::io::skip_record(unit)) read_failed(unit, st, "DBQRSK");
  }
}

void DBQRMK(int unit, int& found, int& status) {
  found = 0;
  status = 0;
  int w[4];
  read_into(unit, w, 4, sizeof(int), "DBQRMK");
  if (w[0] == -1 && w[1] == 0 && w[2] == 0 && w[3] == 0) {
    found = 1;
  } else {
    status = w[0];
  }
}

void SCOMII(int base, int capacity, int key, int unit, plat::Vec1<int> a, int& count, int& status) {
  read_keyed_list(base, capacity, key, unit, a, count, status, 1, DBQRII, "SCOMII");
}

void SCOMDD(int base, int capacity, int key, int unit, plat::Vec1<double> a, int& count, int& status) {
  // Each pass reads at least one record, so the loop ends with the file.
  read_keyed_list(base, capacity, key, unit, a, count, status, 2, DBQRDD, nullptr);
}

void SCOMZZ(int base, int capacity, int key, int unit, int item_len, TextVec1 a, int& count, int& status) {
  count = 0;
  status = 0;
  if (item_len < 1) {
    status = 1;
    return;
  }
  int hdr_store[4];
  plat::Vec1<int> hdr(hdr_store, 4);
  int st = 0;
  DBQRII(4, unit, hdr, st);
  if (hdr(1) != key || hdr(2) > 0) {
    status = 1;
    return;
  }
  const std::int64_t n = std::max<std::int64_t>(0, (static_cast<std::int64_t>(hdr(3)) + item_len - 1) / item_len);
  // The item count is stored before the capacity test, as the loaders expect.
  count = static_cast<int>(n);
  const std::int64_t limit = std::min<std::int64_t>(capacity, a.size());
  if (base < 0 || static_cast<std::int64_t>(base) + n > limit) {
    status = 2;
    return;
  }
  if (n == 0) {
    DBQRSK(1, unit, st);
  } else {
    DBQRZZ(static_cast<int>(n), unit, a.from(base + 1, n), st);
  }
}

void SCOMSK(plat::Vec1<const int> directory, int dim1, int /*dim2*/, int first, int last, int unit, int& status) {
  status = 0;
  LoopGuard guard("SCOMSK");
  int present = 0;
  for (int k = first; k <= last; ++k) {
    guard.pass();
    if (k < 1 || dim1 < 1) continue;
    const std::int64_t w = static_cast<std::int64_t>(k - 1) * dim1 + 2;
    if (w <= directory.size() && directory(w) != 0) ++present;
  }
  DBQRSK(2 * present, unit, status);
}

namespace {

// Checks the block-move arguments against ntot and the array itself.
int move_status(int ntot, int n, int from, int to, std::int64_t size) {
  if (ntot < 1 || n < 1 || from < 1 || to < 1) return -1;
  const std::int64_t end = std::min<std::int64_t>(ntot, size);
  if (static_cast<std::int64_t>(from) + n - 1 > end || static_cast<std::int64_t>(to) + n - 1 > end) return 1;
  return 0;
}

}  // namespace

void DBCOPI(int ntot, int n, int from, int to, plat::Vec1<int> a, int& status) {
  status = move_status(ntot, n, from, to, a.size());
  if (status != 0 || from == to) return;
  // Element by element (copy, then clear the source) in the direction that
  // keeps an overlapping block intact comes to this: the block moves, and
  // the source positions outside the destination become 0.
  int* d = a.data();  // element i at d[i - 1]
  std::memmove(d + (to - 1), d + (from - 1), static_cast<std::size_t>(n) * sizeof(int));
  if (to < from) {
    std::fill(d + (std::max(from, to + n) - 1), d + (from + n - 1), 0);
  } else {
    std::fill(d + (from - 1), d + (std::min(from + n, to) - 1), 0);
  }
}

void DBCOPZ(int ntot, int n, int from, int to, TextVec1 a, int& status) {
  status = move_status(ntot, n, from, to, a.size());
  if (status != 0 || from == to) return;
  LoopGuard guard("DBCOPZ");
  const int step = to < from ? 1 : -1;
  for (int k = to < from ? 0 : n - 1, i = 0; i < n; ++i, k += step) {
    guard.pass();
    a(to + k) = a.view(from + k);
    a(from + k).fill_blank();
  }
}

// Unit numbers connected to files: the file layer every part of the system uses.
//
// A unit is opened on a named file, formatted (lines of text) or unformatted
// (sequential records, each framed by its byte length as a 4-byte
// little-endian integer before and after it). Sequential semantics: writing a
// record makes it the last record of the file, so a file opened "UNKNOWN" and
// written from its start is replaced. Unit 6 is standard output until it is
// opened on a file; closing it reconnects it to standard output.
//
// Every routine returns an I/O status: 0 success, a positive number on error
// (the C library's errno, or one of the fixed codes below), kEnd at end of file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace plat::io {

constexpr int kEnd = -1;             // end of file reached by a read
constexpr int kEndOfRecord = -2;     // a non-advancing read reached the end of its record
constexpr int kPastRecord = 5001;    // an unformatted read asked for more than the record holds
constexpr int kBadRecord = 5002;     // record framing corrupt or truncated
constexpr int kNotConnected = 5003;  // the unit is not connected to a file
constexpr int kWrongForm = 5004;     // formatted transfer on an unformatted unit or the reverse
constexpr int kBadSpecifier = 5005;  // unknown open status or form
constexpr int kStdoutUnit = 6;

enum class Form { Formatted, Unformatted };

// Opens unit on the named file (trailing blanks of the name ignored).
// status: "OLD" (must exist), "NEW" (must not exist), "UNKNOWN" (opened or
// created), "REPLACE" (created empty), "SCRATCH" (an unnamed file deleted at
// close); compared without case and trailing blanks. The file is positioned at
// its start. A unit still connected to another file is closed (kept) first.
// blank_zero: blanks in numeric input fields read as zeros.
int open_unit(int unit, std::string_view file, Form form, std::string_view status, bool blank_zero = false);
// Closes the unit, keeping or deleting its file. A unit that is not connected
// is no error. Unit 6 returns to standard output.
int close_unit(int unit, bool delete_file = false);
int rewind_unit(int unit);
int flush_unit(int unit);
void flush_all();
// Closes every unit, keeping the files (process end).
void close_all();

bool is_open(int unit);
bool is_formatted(int unit);
bool blank_zero(int unit);
// Name of the file connected to the unit, empty when none.
std::string file_name(int unit);
// Whether the named file exists; status 0 or the enquiry's error number.
int inquire_exists(std::string_view file, bool& exists);
// Deletes a file by name; status 0 when it is gone afterwards.
int remove_file(std::string_view file);

// Seam for the fuzz harnesses and tests: serves the named file from memory.
// While it is served, the name stands for an existing read-only file that
// holds the `size` bytes at `data` (which must stay valid as long as a unit
// reads them): open_unit with "OLD" or "UNKNOWN" connects the unit to those
// bytes, "NEW" finds the file there, "REPLACE" is refused as on a read-only
// file, inquire_exists finds it, and remove_file or a deleting close stops
// serving it. The name is compared as open_unit compares names (trailing
// blanks ignored). Serving a name again replaces its bytes; data == nullptr
// stops serving it. No name is served unless a harness asks.
void serve_file_from_memory(std::string_view file, const void* data, std::size_t size);
// Seam for the fuzz harnesses and tests: connects the unit to no file at all.
// Writes succeed and their bytes are thrown away, reads find the end of the
// file; the unit has no file name. Like a unit opened on /dev/null, without
// the system calls.
int open_discarding_unit(int unit, Form form);

// Formatted transfers. A record is one line; a line read from a file loses its
// line end (LF or CR LF).
int write_line(int unit, std::string_view line);
// Non-advancing write: the text joins the current record, which a later
// write_line (or end_line) completes.
int write_partial(int unit, std::string_view text);
int end_line(int unit);
// Whether a non-advancing write left the unit's current record open.
bool has_partial(int unit);
int read_line(int unit, std::string& line);

// Unformatted transfers of whole records.
int write_record(int unit, const void* data, std::size_t n);
// Reads the next record whole into rec. kEnd at end of file; kBadRecord when
// the framing is corrupt or the file ends inside the record.
int read_record(int unit, std::vector<unsigned char>& rec);
// Reads the next record's first n bytes straight into dst and passes over
// the rest; len := the record's length. The statuses are read_record's; a
// record shorter than n, or one whose framing is corrupt, leaves dst as it
// was (the caller tells a short record by len).
int read_record_into(int unit, void* dst, std::size_t n, std::size_t& len);
// Skips the next record.
int skip_record(int unit);

// Builds one unformatted record from items in order.
class RecordOut {
 public:
  void put_bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    buf_.insert(buf_.end(), b, b + n);
  }
  template <class T>
  RecordOut& put(const T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    put_bytes(&v, sizeof(T));
    return *this;
  }
  RecordOut& put_text(std::string_view s) {
    put_bytes(s.data(), s.size());
    return *this;
  }
  int write(int unit) const { return write_record(unit, buf_.data(), buf_.size()); }
  const std::vector<unsigned char>& bytes() const { return buf_; }
  void clear() { buf_.clear(); }

 private:
  std::vector<unsigned char> buf_;
};

// Reads items in order out of one record. Reading fewer items than the record
// holds is allowed; asking for more than remains gives kPastRecord and reads nothing.
class RecordIn {
 public:
  RecordIn() = default;
  explicit RecordIn(const std::vector<unsigned char>& rec) : p_(rec.data()), n_(rec.size()) {}
  RecordIn(const unsigned char* p, std::size_t n) : p_(p), n_(n) {}

  int get_bytes(void* dst, std::size_t n) {
    if (n > n_ - pos_) return kPastRecord;
    if (n) std::memcpy(dst, p_ + pos_, n);
    pos_ += n;
    return 0;
  }
  template <class T>
  int get(T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    return get_bytes(&v, sizeof(T));
  }
  std::size_t remaining() const { return n_ - pos_; }
  std::size_t size() const { return n_; }

 private:
  const unsigned char* p_ = nullptr;
  std::size_t n_ = 0, pos_ = 0;
};

}  // namespace plat::io

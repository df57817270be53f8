#include "platform/units.h"
#include "platform/process_state.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace plat::io {
namespace {

struct Unit {
  std::FILE* f = nullptr;
  std::string name;
  Form form = Form::Formatted;
  bool blank_zero = false;
  bool scratch = false;
  bool is_stdout = false;
  bool read_only = false;
  bool writing = false;  // last transfer was a write: the file ends where we are
  long long size = -1;   // the file's size while only reading, -1 when not known
  // A file served from memory: its bytes and the position in them (f stays null).
  const unsigned char* memory = nullptr;
  long long memory_size = -1;
  long long memory_pos = 0;
  // Unformatted reading of a file on disk goes through a window of the
  // file's bytes read with pread, keeping its own position: the framing of
  // a record (lengths checked before and after, data skipped or read) then
  // costs no system call for each step, where every stdio seek would cost
  // one. rpos is the position while the window is in use, -1 while the
  // stream's own position holds; sync_window() hands the position back to
  // the stream before any other use of it.
  long long rpos = -1;
  long long win_start = 0;
  std::vector<unsigned char> win;  // allocated once, at its full size
  std::size_t win_len = 0;         // bytes of the file it holds
  bool win_error = false;          // a read of the window failed
  bool discarding = false;   // connected to no file: writes are thrown away
  std::string partial;       // pending non-advancing output
  bool record_open = false;  // a non-advancing write left the record open
};

// The connected units in ascending unit order. A program has a handful of
// units connected at a time: a short sorted array serves them, searched from
// the start, without a node allocated for each connection.
class UnitTable {
 public:
  Unit* find(int unit) {
    for (auto& e : v_) {
      if (e.first == unit) return &e.second;
      if (e.first > unit) break;
    }
    return nullptr;
  }
  Unit& put(int unit, Unit u) {
    auto it = std::lower_bound(v_.begin(), v_.end(), unit, [](const auto& e, int k) { return e.first < k; });
    if (it != v_.end() && it->first == unit) {
      it->second = std::move(u);
      return it->second;
    }
    return v_.emplace(it, unit, std::move(u))->second;
  }
  void erase(int unit) {
    for (auto it = v_.begin(); it != v_.end(); ++it) {
      if (it->first == unit) {
        v_.erase(it);
        return;
      }
    }
  }
  bool empty() const { return v_.empty(); }
  std::pair<int, Unit>& front() { return v_.front(); }
  auto begin() { return v_.begin(); }
  auto end() { return v_.end(); }

 private:
  std::vector<std::pair<int, Unit>> v_;
};

UnitTable& units() {
  static UnitTable u;
  return u;
}

// Files served from memory (a seam of the fuzz harnesses), by trimmed name.
struct MemoryFile {
  std::string name;
  const unsigned char* data;
  std::size_t size;
};

std::vector<MemoryFile>& memory_files() {
  static std::vector<MemoryFile> files;
  return files;
}

MemoryFile* served(const std::string& name) {
  for (auto& m : memory_files())
    if (m.name == name) return &m;
  return nullptr;
}

void stop_serving(const std::string& name) {
  auto& files = memory_files();
  for (auto it = files.begin(); it != files.end(); ++it) {
    if (it->name == name) {
      files.erase(it);
      return;
    }
  }
}

// The stream of a discarding unit.
ssize_t discard_write(void*, const char*, std::size_t n) { return static_cast<ssize_t>(n); }
ssize_t discard_read(void*, char*, std::size_t) { return 0; }
int discard_seek(void*, off64_t* offset, int) {
  *offset = 0;
  return 0;
}

Unit* find(int unit) {
  auto& m = units();
  if (Unit* u = m.find(unit)) return u;
  if (unit == kStdoutUnit) {
    Unit u;
    u.f = stdout;
    u.is_stdout = true;
    u.name = "stdout";
    return &m.put(unit, std::move(u));
  }
  return nullptr;
}

std::string upper_trim(std::string_view s) {
  std::string r(trimmed(s));
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  // leading blanks are not part of a specifier either
  const auto p = r.find_first_not_of(' ');
  return p == std::string::npos ? std::string() : r.substr(p);
}

// Bytes read into the window at a time; a read at least this long goes
// straight to the caller's memory.
constexpr std::size_t kWindow = 64 * 1024;

// Forgets the window and its position (the stream's position holds again).
void drop_window(Unit& u) {
  u.rpos = -1;
  u.win_len = 0;
  u.win_error = false;
}

// Ends the use of the window: the stream is positioned where reading got to.
int sync_window(Unit& u) {
  if (u.rpos < 0) return 0;
  const long long pos = u.rpos;
  drop_window(u);
  return std::fseek(u.f, static_cast<long>(pos), SEEK_SET) == 0 ? 0 : errno;
}

// Starts the use of the window at the stream's position; false for a
// stream without a file descriptor (it is read through stdio).
bool start_window(Unit& u) {
  if (u.rpos >= 0) return true;
  const int fd = ::fileno(u.f);
  if (fd < 0) return false;
  const long pos = std::ftell(u.f);
  if (pos < 0) return false;
  drop_window(u);
  u.rpos = pos;
  u.win_start = pos;
  return true;
}

// pread of up to n bytes at offset; the count read (short at the end of the
// file), the window's error flag set when the read fails.
std::size_t pread_full(Unit& u, void* dst, std::size_t n, long long offset) {
  const int fd = ::fileno(u.f);
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd, static_cast<unsigned char*>(dst) + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0) {
      if (errno == EINTR) continue;
      u.win_error = true;
      break;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return got;
}

std::size_t window_read(Unit& u, void* dst, std::size_t n) {
  auto* out = static_cast<unsigned char*>(dst);
  std::size_t done = 0;
  while (done < n) {
    const long long end = u.win_start + static_cast<long long>(u.win_len);
    if (u.rpos >= u.win_start && u.rpos < end) {
      const std::size_t k = std::min(n - done, static_cast<std::size_t>(end - u.rpos));
      std::memcpy(out + done, u.win.data() + (u.rpos - u.win_start), k);
      done += k;
      u.rpos += static_cast<long long>(k);
      continue;
    }
    if (n - done >= kWindow) {
      const std::size_t k = pread_full(u, out + done, n - done, u.rpos);
      done += k;
      u.rpos += static_cast<long long>(k);
      break;
    }
    if (u.win.size() < kWindow) u.win.resize(kWindow);
    const std::size_t k = pread_full(u, u.win.data(), kWindow, u.rpos);
    u.win_len = k;
    u.win_start = u.rpos;
    if (k == 0) break;
  }
  return done;
}

// Sequential semantics: the first write after reading or positioning cuts the
// file at the current position.
int prepare_write(Unit& u) {
  if (u.writing || u.is_stdout || u.discarding) return 0;
  if (u.read_only) return EBADF;
  if (int st = sync_window(u)) return st;
  std::fflush(u.f);
  const long pos = std::ftell(u.f);
  if (pos < 0) return errno;
  if (::ftruncate(::fileno(u.f), pos) != 0) return errno;
  if (std::fseek(u.f, pos, SEEK_SET) != 0) return errno;
  u.writing = true;
  u.size = -1;
  return 0;
}

// The reading primitives: the unit's stream, or the bytes of a file served from memory.
std::size_t read_bytes(Unit& u, void* dst, std::size_t n) {
  if (!u.memory) return start_window(u) ? window_read(u, dst, n) : std::fread(dst, 1, n, u.f);
  const long long left = u.memory_size - u.memory_pos;
  if (left <= 0) return 0;
  if (static_cast<long long>(n) > left) n = static_cast<std::size_t>(left);
  if (n) std::memcpy(dst, u.memory + u.memory_pos, n);
  u.memory_pos += static_cast<long long>(n);
  return n;
}

// Moves the position by `offset` bytes; false when that fails.
bool seek_by(Unit& u, long offset) {
  if (!u.memory) {
    if (!start_window(u)) return std::fseek(u.f, offset, SEEK_CUR) == 0;
    if (u.rpos + offset < 0) return false;
    u.rpos += offset;
    return true;
  }
  if (u.memory_pos + offset < 0) return false;
  u.memory_pos += offset;
  return true;
}

long tell(Unit& u) {
  if (u.memory) return static_cast<long>(u.memory_pos);
  return u.rpos >= 0 ? static_cast<long>(u.rpos) : std::ftell(u.f);
}

bool read_error(Unit& u) { return !u.memory && (u.win_error || std::ferror(u.f)); }

int get_char(Unit& u) {
  if (!u.memory) {
    if (u.rpos >= 0 && sync_window(u) != 0) return EOF;
    return std::fgetc(u.f);
  }
  if (u.memory_pos >= u.memory_size) return EOF;
  return u.memory[u.memory_pos++];
}

int prepare_read(Unit& u) {
  if (!u.writing) return 0;
  drop_window(u);
  if (std::fflush(u.f) != 0) return errno;
  if (std::fseek(u.f, 0, SEEK_CUR) != 0) return errno;  // switch direction
  u.writing = false;
  u.size = -1;
  return 0;
}

int release(int unit, Unit& u, bool delete_file) {
  int st = 0;
  if (!u.partial.empty() && u.f) {
    std::fwrite(u.partial.data(), 1, u.partial.size(), u.f);
    std::fputc('\n', u.f);
    u.partial.clear();
  }
  if (u.is_stdout) {
    std::fflush(stdout);
  } else if (u.memory) {
    if (delete_file) stop_serving(u.name);
  } else if (u.f) {
    if (std::fclose(u.f) != 0) st = errno;
    u.f = nullptr;
    if (delete_file && !u.scratch && !u.name.empty()) {
      if (std::remove(u.name.c_str()) != 0 && st == 0) st = errno;
    }
  }
  units().erase(unit);
  return st;
}

}  // namespace

int open_unit(int unit, std::string_view file, Form form, std::string_view status, bool blank_zero) {
  const std::string st = upper_trim(status);
  if (st != "OLD" && st != "NEW" && st != "UNKNOWN" && st != "REPLACE" && st != "SCRATCH") return kBadSpecifier;
  if (auto* old = find(unit); old && !old->is_stdout) release(unit, *old, false);

  const std::string name(trimmed(file));
  Unit u;
  u.form = form;
  u.blank_zero = blank_zero;
  errno = 0;
  if (st == "SCRATCH") {
    u.f = std::tmpfile();
    u.scratch = true;
  } else if (const MemoryFile* m = served(name)) {
    // An existing read-only file.
    if (st == "NEW") return EEXIST;
    if (st == "REPLACE") return EACCES;
    u.memory = m->size ? m->data : reinterpret_cast<const unsigned char*>("");
    u.memory_size = static_cast<long long>(m->size);
    u.read_only = true;
    u.name = name;
    units().put(unit, std::move(u));
    return 0;
  } else {
    if (name.empty()) return ENOENT;
    struct stat sb {};
    const bool exists = ::stat(name.c_str(), &sb) == 0;
    if (exists && S_ISDIR(sb.st_mode)) return EISDIR;
    if (st == "OLD" && !exists) return ENOENT;
    if (st == "NEW" && exists) return EEXIST;
    if (st == "REPLACE" || !exists) {
      u.f = std::fopen(name.c_str(), "w+b");
    } else {
      u.f = std::fopen(name.c_str(), "r+b");
      if (!u.f && (errno == EACCES || errno == EROFS)) {
        u.f = std::fopen(name.c_str(), "rb");
        u.read_only = u.f != nullptr;
      }
    }
  }
  if (!u.f) return errno ? errno : EIO;
  u.name = name;
  units().put(unit, std::move(u));
  return 0;
}

int open_discarding_unit(int unit, Form form) {
  if (auto* old = find(unit); old && !old->is_stdout) release(unit, *old, false);
  Unit u;
  u.form = form;
  u.discarding = true;
  u.f = ::fopencookie(nullptr, "w+b", cookie_io_functions_t{discard_read, discard_write, discard_seek, nullptr});
  if (!u.f) return errno ? errno : EIO;
  std::setvbuf(u.f, nullptr, _IONBF, 0);
  units().put(unit, std::move(u));
  return 0;
}

int close_unit(int unit, bool delete_file) {
  Unit* u = find(unit);
  if (!u) return 0;
  return release(unit, *u, delete_file);
}

int rewind_unit(int unit) {
  Unit* u = find(unit);
  if (!u) return kNotConnected;
  if (u->is_stdout) return 0;
  if (u->memory) {
    u->memory_pos = 0;
    return 0;
  }
  if (!u->partial.empty()) end_line(unit);
  drop_window(*u);
  if (std::fflush(u->f) != 0) return errno;
  if (std::fseek(u->f, 0, SEEK_SET) != 0) return errno;
  u->writing = false;
  u->size = -1;
  return 0;
}

int flush_unit(int unit) {
  Unit* u = find(unit);
  if (!u || !u->f) return 0;
  return std::fflush(u->f) == 0 ? 0 : errno;
}

void flush_all() {
  for (auto& [n, u] : units())
    if (u.f) std::fflush(u.f);
  std::fflush(stdout);
}

void close_all() {
  auto& m = units();
  while (!m.empty()) {
    auto& e = m.front();
    release(e.first, e.second, false);
  }
  std::fflush(stdout);
}

bool is_open(int unit) { return find(unit) != nullptr; }

bool is_formatted(int unit) {
  Unit* u = find(unit);
  return u && u->form == Form::Formatted;
}

bool blank_zero(int unit) {
  Unit* u = find(unit);
  return u && u->blank_zero;
}

std::string file_name(int unit) {
  Unit* u = find(unit);
  return u && !u->is_stdout ? u->name : std::string();
}

int inquire_exists(std::string_view file, bool& exists) {
  exists = false;
  const std::string name(trimmed(file));
  if (name.empty()) return 0;
  if (served(name)) {
    exists = true;
    return 0;
  }
  struct stat sb {};
  if (::stat(name.c_str(), &sb) == 0) {
    exists = true;
    return 0;
  }
  return (errno == ENOENT || errno == ENOTDIR) ? 0 : errno;
}

int remove_file(std::string_view file) {
  const std::string name(trimmed(file));
  if (served(name)) {
    stop_serving(name);
    return 0;
  }
  if (std::remove(name.c_str()) == 0 || errno == ENOENT) return 0;
  return errno;
}

void serve_file_from_memory(std::string_view file, const void* data, std::size_t size) {
  const std::string name(trimmed(file));
  stop_serving(name);
  if (data != nullptr && !name.empty())
    memory_files().push_back({name, static_cast<const unsigned char*>(data), size});
}

int write_line(int unit, std::string_view line) {
  Unit* u = find(unit);
  if (!u) return kNotConnected;
  if (u->form != Form::Formatted) return kWrongForm;
  if (u->discarding) {
    u->partial.clear();
    u->record_open = false;
    return 0;
  }
  if (int st = prepare_write(*u)) return st;
  if (!u->partial.empty()) {
    if (std::fwrite(u->partial.data(), 1, u->partial.size(), u->f) != u->partial.size()) return errno;
    u->partial.clear();
  }
  u->record_open = false;
  if (!line.empty() && std::fwrite(line.data(), 1, line.size(), u->f) != line.size()) return errno;
  if (std::fputc('\n', u->f) == EOF) return errno;
  return 0;
}

int write_partial(int unit, std::string_view text) {
  Unit* u = find(unit);
  if (!u) return kNotConnected;
  if (u->form != Form::Formatted) return kWrongForm;
  if (!u->discarding) u->partial.append(text);
  u->record_open = true;
  return 0;
}

bool has_partial(int unit) {
  Unit* u = find(unit);
  return u && u->record_open;
}

int end_line(int unit) { return write_line(unit, {}); }

int read_line(int unit, std::string& line) {
  line.clear();
  Unit* u = find(unit);
  if (!u) return kNotConnected;
  if (u->form != Form::Formatted) return kWrongForm;
  if (u->is_stdout) return EBADF;
  if (int st = prepare_read(*u)) return st;
  int c;
  bool any = false;
  while ((c = get_char(*u)) != EOF) {
    any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (!any) return read_error(*u) ? EIO : kEnd;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return 0;
}

int write_record(int unit, const void* data, std::size_t n) {
  Unit* u = find(unit);
  if (!u) return kNotConnected;
  if (u->form != Form::Unformatted) return kWrongForm;
  if (n > 0x7fffffffu) return EFBIG;
  if (int st = prepare_write(*u)) return st;
  const std::uint32_t len = static_cast<std::uint32_t>(n);
  unsigned char m[4] = {static_cast<unsigned char>(len), static_cast<unsigned char>(len >> 8),
                        static_cast<unsigned char>(len >> 16), static_cast<unsigned char>(len >> 24)};
  if (std::fwrite(m, 1, 4, u->f) != 4) return errno;
  if (n && std::fwrite(data, 1, n, u->f) != n) return errno;
  if (std::fwrite(m, 1, 4, u->f) != 4) return errno;
  return 0;
}

namespace {
// Reads a record marker; kEnd when the file ends exactly here.
int read_marker(Unit& u, std::uint32_t& len, bool at_start) {
  unsigned char m[4];
  const std::size_t got = read_bytes(u, m, 4);
  if (got == 0 && at_start) return read_error(u) ? EIO : kEnd;
  if (got != 4) return kBadRecord;
  len = static_cast<std::uint32_t>(m[0]) | (static_cast<std::uint32_t>(m[1]) << 8) |
        (static_cast<std::uint32_t>(m[2]) << 16) | (static_cast<std::uint32_t>(m[3]) << 24);
  if (len > 0x7fffffffu) return kBadRecord;
  return 0;
}

// peek_marker's answer for a stream read through stdio (no window).
constexpr int kNoPeek = -1;

// Reads the record marker `offset` bytes after the current position without
// moving: from the window when it holds the marker, else by one 4-byte
// read. 0, or the status read_marker would give there (kBadRecord for a
// short read, a failed read or a length out of range); kNoPeek for a stream
// without a window, which the caller reads by seeking.
int peek_marker(Unit& u, long long offset, std::uint32_t& len) {
  unsigned char m[4];
  std::size_t got = 0;
  if (u.memory) {
    const long long at = u.memory_pos + offset;
    if (at >= 0 && at < u.memory_size) got = static_cast<std::size_t>(std::min<long long>(4, u.memory_size - at));
    if (got) std::memcpy(m, u.memory + at, got);
  } else {
    if (!start_window(u)) return kNoPeek;
    const long long at = u.rpos + offset;
    if (at >= u.win_start && at + 4 <= u.win_start + static_cast<long long>(u.win_len)) {
      std::memcpy(m, u.win.data() + (at - u.win_start), 4);
      got = 4;
    } else {
      got = pread_full(u, m, 4, at);
    }
  }
  if (got != 4) return kBadRecord;
  len = static_cast<std::uint32_t>(m[0]) | (static_cast<std::uint32_t>(m[1]) << 8) |
        (static_cast<std::uint32_t>(m[2]) << 16) | (static_cast<std::uint32_t>(m[3]) << 24);
  if (len > 0x7fffffffu) return kBadRecord;
  return 0;
}

// Bytes left in the file from the current position, or -1 when unknown.
// The size is asked for once while a unit only reads.
long long bytes_left(Unit& u) {
  const long pos = tell(u);
  if (pos < 0) return -1;
  if (u.memory) return std::max<long long>(0, u.memory_size - pos);
  if (u.size < 0) {
    struct stat sb {};
    if (::fstat(::fileno(u.f), &sb) != 0) return -1;
    u.size = static_cast<long long>(sb.st_size);
  }
  return u.size - pos;
}

int next_record(Unit& u, std::vector<unsigned char>* rec) {
  if (u.form != Form::Unformatted) return kWrongForm;
  if (int st = prepare_read(u)) return st;
  std::uint32_t len = 0, tail = 0;
  if (int st = read_marker(u, len, true)) return st;
  // Never trust a length beyond what the file holds.
  const long long left = bytes_left(u);
  if (left >= 0 && static_cast<long long>(len) + 4 > left) return kBadRecord;
  if (rec) {
    rec->resize(len);
    if (len && read_bytes(u, rec->data(), len) != len) return kBadRecord;
  } else if (!seek_by(u, static_cast<long>(len))) {
    return kBadRecord;
  }
  if (int st = read_marker(u, tail, false)) return st;
  if (tail != len) return kBadRecord;
  return 0;
}
}  // namespace

int read_record(int unit, std::vector<unsigned char>& rec) {
  rec.clear();
  Unit* u = find(unit);
  if (!u || u->is_stdout) return kNotConnected;
  return next_record(*u, &rec);
}

int read_record_into(int unit, void* dst, std::size_t n, std::size_t& len) {
  len = 0;
  Unit* u = find(unit);
  if (!u || u->is_stdout) return kNotConnected;
  if (u->form != Form::Unformatted) return kWrongForm;
  if (int st = prepare_read(*u)) return st;
  std::uint32_t rlen = 0, tail = 0;
  if (int st = read_marker(*u, rlen, true)) return st;
  const long long left = bytes_left(*u);
  if (left >= 0 && static_cast<long long>(rlen) + 4 > left) return kBadRecord;
  len = rlen;
  // The trailing marker is looked at where it lies, without moving: the
  // body is then read once, straight to dst.
  int peeked = peek_marker(*u, static_cast<long long>(rlen), tail);
  if (peeked == kNoPeek) {
    // A stream without a window: over the body to the marker and back.
    if (!seek_by(*u, static_cast<long>(rlen))) return kBadRecord;
    if (int st = read_marker(*u, tail, false)) return st;
    if (!seek_by(*u, -static_cast<long>(rlen) - 4)) return kBadRecord;
    peeked = 0;
  }
  if (peeked != 0 || tail != rlen) return kBadRecord;
  if (n == 0 || rlen < n) return seek_by(*u, static_cast<long>(rlen) + 4) ? 0 : kBadRecord;
  if (read_bytes(*u, dst, n) != n) return kBadRecord;
  if (!seek_by(*u, static_cast<long>(rlen - n) + 4)) return kBadRecord;
  return 0;
}

int skip_record(int unit) {
  Unit* u = find(unit);
  if (!u || u->is_stdout) return kNotConnected;
  return next_record(*u, nullptr);
}

}  // namespace plat::io

TNA_PROCESS_STATE("platform/units", plat::io::close_all)

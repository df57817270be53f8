#include "core/file_services.h"

#include <array>

#include "core/diagnostics.h"
#include "platform/units.h"

namespace {

// Four characters each; ".f", ".D0" and ".h" keep their blanks, which follow
// the stem in the generated name.
constexpr std::array<std::string_view, 23> kExtensions = {
    ".MDB", ".log", ".f  ", ".lgf", ".SCA", ".SCB", ".SCC", ".SCD", ".SCE", ".DMP", ".RST", ".PAR",
    ".COM", ".SCF", ".D0 ", ".INP", ".ELM", ".DAT", ".SCR", ".MON", ".UNF", ".TRA", ".h  "};

constexpr std::size_t kOpenField = 255;     // file name field of an open
constexpr std::size_t kEnquiryField = 256;  // file name field of an existence enquiry
constexpr std::size_t kMessageLength = 220;

// Text up to the character before its first blank.
std::string_view up_to_blank(std::string_view s) {
  const auto p = s.find(' ');
  return p == std::string_view::npos ? s : s.substr(0, p);
}

// Fixed-length field of n characters holding s (cut or blank-padded).
std::string field(std::string_view s, std::size_t n) {
  std::string f(n, ' ');
  plat::assign_text(f.data(), n, s);
  return f;
}

// Fields 2 to 12 of the file-error messages, after the problem line.
std::string file_error_tail(std::string_view shown, int unit, int error) {
  std::string m;
  m.append("File name = \"").append(shown).append("\",");
  m.append("  Unit no.=").append(filesvc::int_field(unit, 3)).append(",");
  m.append("  Fortran I/O error =").append(filesvc::int_field(error, 4));
  m.append(13, ' ').append("For an explanation: see your Fortran Manual");
  return m;
}

}  // namespace

namespace filesvc {

std::string int_field(long long value, int width) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

std::string_view shown_name(std::string_view connected_name) {
  const auto b = connected_name.find(']');
  if (b != std::string_view::npos) connected_name.remove_prefix(b + 1);
  return up_to_blank(connected_name);
}

std::string open_message(std::string_view file_name, int unit, int error) {
  const std::string name = field(file_name, kOpenField);
  return field("Error opening file@" + file_error_tail(up_to_blank(name), unit, error), kMessageLength);
}

std::string close_message(std::string_view connected_name, int unit, int error) {
  const std::string name = field(connected_name, kEnquiryField);
  return field("File closing error has occurred@" + file_error_tail(shown_name(name), unit, error), kMessageLength);
}

}  // namespace filesvc

void SFLNAM(std::string_view model_name, int count, TextVec1 names, int& status) {
  status = 0;
  // More names than extensions, or than the caller has room for: nothing built.
  if (count > static_cast<int>(kExtensions.size()) || count > names.size()) {
    status = 1;
    return;
  }
  if (plat::is_blank(model_name)) status = -1;

  const std::string first8 = field(model_name.substr(0, std::min<std::size_t>(8, model_name.size())), 8);
  std::string_view stem = up_to_blank(first8);
  if (!plat::is_blank(std::string_view(first8).substr(stem.size()))) status = -1;
  if (names.len() < stem.size() + 4) status = -1;
  if (status != 0) return;

  std::string name;
  for (int k = 1; k <= count; ++k) {
    name.assign(stem).append(kExtensions[static_cast<std::size_t>(k - 1)]);
    names(k) = std::string_view(name);
  }
}

void SOPSQ(std::string_view file_name, std::string_view form, std::string_view open_status, int unit, int& status) {
  status = 0;
  if (plat::is_blank(file_name)) {
    status = 1;
    return;
  }
  const std::string name = field(file_name, kOpenField);
  const bool formatted = plat::text_eq(form, "FORMATTED");
  int st;
  if (!formatted && !plat::text_eq(form, "UNFORMATTED")) {
    st = plat::io::kBadSpecifier;
  } else {
    st = plat::io::open_unit(unit, name, formatted ? plat::io::Form::Formatted : plat::io::Form::Unformatted,
                             open_status, formatted);
  }
  status = st;
  if (st != 0) {
    ERRNEW(filesvc::open_message(name, unit, st), 1, 1, "SOPSQ ");
    return;
  }
  if (plat::text_eq(open_status, "UNKNOWN") || plat::text_eq(open_status, "OLD")) {
    status = plat::io::rewind_unit(unit);
  }
}

void SCLFIL(std::string_view close_status, int unit, int& status) {
  status = 0;
  int st;
  const bool keep = plat::text_eq(close_status, "KEEP");
  const bool del = plat::text_eq(close_status, "DELETE");
  // The name is asked for before the close: afterwards the unit is gone.
  const std::string connected = plat::io::file_name(unit);
  if (!keep && !del) {
    st = plat::io::kBadSpecifier;
  } else {
    st = plat::io::close_unit(unit, del);
  }
  status = st;
  if (st != 0) ERRNEW(filesvc::close_message(connected, unit, st), 1, 1, "SCLFIL");
}

void SFLXST(CTextVec1 names, int count, int& exists, int& status) {
  exists = 0;
  status = 0;
  const std::int64_t n = std::min<std::int64_t>(count, names.size());
  LoopGuard guard("SFLXST");
  for (std::int64_t k = 1; k <= n && exists == 0 && status == 0; ++k) {
    guard.pass();
    const std::string name = field(names.view(k), kEnquiryField);
    if (plat::is_blank(name)) continue;
    bool ex = false;
    status = plat::io::inquire_exists(name, ex);
    exists = ex ? 1 : 0;
  }
}

void SMODCH(std::string_view model_name, int& exists, int& status) {
  exists = 0;
  status = 0;
  plat::Text<32> name;
  int st = 0;
  SFLNAM(model_name, 1, TextVec1(name.data(), 1, name.size()), st);
  if (st != 0) {
    status = 1;
    return;
  }
  SFLXST(CTextVec1(name.data(), 1, name.size()), 1, exists, status);
}

void SOPEXT(std::string_view model_name, int unit, int& status) {
  status = 0;
  plat::Text<30> name;
  int st = 0;
  SFLNAM(model_name, 1, TextVec1(name.data(), 1, name.size()), st);
  if (st != 0) {
    status = -1;
    return;
  }
  SOPSQ(name, "UNFORMATTED", "OLD", unit, status);
}

void EFLUSH(int unit) { plat::io::flush_unit(unit); }

void SFLDEP(std::string_view source, plat::TextRef target) {
  if (target.size() == 0) return;
  target = source;
}

// Statement reader of a parameter case: PARRD reads and recognises one
// statement, PARAMC splits each statement into reference and value,
// classifies the reference and hands it to its applier.
#include "parameters/case_statements.h"

#include <algorithm>
#include <string>

#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "parameters/case_appliers.h"
#include "parameters/case_texts.h"
#include "platform/units.h"

namespace {

constexpr std::size_t kLine = 256;

std::string cut(std::string s, std::size_t n) {
  if (s.size() > n) s.resize(n);
  return s;
}

// Matches `word` letter by letter from buf[q] on, each letter only when the
// one before it matched (at least the first letter has matched already).
std::size_t match_tail(std::string_view buf, std::size_t q, std::string_view word) {
  for (char ch : word) {
    if (q < buf.size() && buf[q] == ch) ++q;
    else break;
  }
  return q;
}

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Classifies the reference R of a CHANGE or SCALE statement and calls its
// applier.
void apply(std::string_view command, std::string_view r, std::string_view value, int submodel, int& ist) {
  int bracket = 0;
  SQNDEX(r, "(", bracket);
  plat::Text<18> name;
  int code = 0, lm = 0;
  if (bracket > 0) {
    const std::string_view head = r.substr(0, std::min<std::size_t>(static_cast<std::size_t>(bracket - 1), 18));
    ENTFND(head, name.ref(), code, lm);
    const std::size_t after = static_cast<std::size_t>(lm);
    if (code > 0 && after < r.size() && (r[after] == '(' || r[after] == ':')) {
      const std::string_view ref = r[after] == ':' ? r.substr(after + 1) : r.substr(after);
      PARCND(command, code, ref, value, submodel, ist);
    } else {
      PARARR(command, r, value, submodel, ist);
    }
    return;
  }
  ENTFND(r, name.ref(), code, lm);
  const std::size_t after = static_cast<std::size_t>(lm);
  if (code != 0 && after < r.size() && r[after] == ':') {
    PARNOD(command, code, r.substr(after + 1), value, submodel, ist);
  } else if (code != 0 && all_digits(r.substr(std::min(after, r.size())))) {
    PARNOD(command, code, r.substr(after), value, submodel, ist);
  } else {
    PARCST(command, r, value, submodel, ist);
  }
}

}  // namespace

bool par_line_too_long(std::string_view line, int quote) {
  if (line.size() <= kLine) return false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\'') quote = quote == 0 ? 1 : 0;
    else if (c == '#' && quote == 0) return false;  // the rest is a comment
    if (i >= kLine && c != ' ' && c != '\t') return true;
  }
  return false;
}

void PARRD(int parameter_unit, int print_unit, plat::TextRef command, int& eof, plat::TextRef text, int& length,
           int& ist) {
  command = "";
  text.fill_blank();
  length = 0;
  std::string raw;
  std::string buf;
  std::size_t p = 0;
  for (;;) {
    buf.assign(kLine, ' ');
    eof = plat::io::read_line(parameter_unit, raw);
    if (eof > 0) {
      ist = 1;
      SETERX("Error reading from Parameter case file", 3, 1, "PARRD");
      return;
    }
    if (eof == 0 && par_line_too_long(raw, 0)) {
      // Text the record cannot hold is never cut off silently: a statement
      // line is in error, a header line fails as a read error does.
      const std::size_t first = raw.find_first_not_of(' ');
      ist = first != std::string::npos && raw[first] == '!' ? 1 : 3;
      if (ist == 1) eof = 1;
      SETERX("Line longer than 256 characters", 3, ist, "PARRD");
      return;
    }
    if (eof == 0) buf.replace(0, std::min(raw.size(), kLine), raw, 0, std::min(raw.size(), kLine));
    p = buf.find_first_not_of(' ');
    if (p != std::string::npos && buf[p] != '#') break;
    if (eof != 0) return;  // the end of the file: nothing more
  }

  int quote = 0;
  if (buf[p] == '!') {
    SDBLKH(buf, quote, text, length);
    command = "NewCase";
    return;
  }

  // The command word and the blank after it.
  std::string_view word;
  std::size_t q = p;
  const std::string_view b(buf);
  auto blank_at = [&](std::size_t i) { return i >= b.size() || b[i] == ' '; };
  switch (b[p]) {
    case 'G':
      q = match_tail(b, p + 1, "ET");
      if (blank_at(q)) word = "GET";
      break;
    case 'C':
      q = match_tail(b, p + 1, "HANGE");
      if (blank_at(q)) word = "CHANGE";
      break;
    case 'S':
      q = match_tail(b, p + 1, "CALE");
      if (blank_at(q)) word = "SCALE";
      break;
    case 'O':
      if (b.substr(p, 3) == "ON ") {
        word = "ON";
        q = p + 2;
      } else if (b.substr(p, 3) == "OF ") {
        word = "OFF";
        q = p + 2;
      } else if (b.substr(p, 4) == "OFF ") {
        word = "OFF";
        q = p + 3;
      }
      break;
    default: break;
  }
  if (word.empty()) {
    ist = 2;
    SETERX(cut("Unrecognised Parameter Case command@" + buf, 150), 3, 2, "PARRD");
    return;
  }
  const std::string_view rest = q + 1 < b.size() ? b.substr(q + 1) : std::string_view();
  SDBLKH(rest, quote, text, length);
  length = std::clamp<int>(length, 0, static_cast<int>(text.size()));
  command = word;

  plat::Text<7> shown;
  shown = word;
  plat::io::write_line(print_unit,
                       " " + std::string(shown.view()) + " " + std::string(text.view().substr(0, length)));
}

void PARAMC(int parameter_unit, int print_unit, int& nerr, int& eof, plat::TextRef line, int& length) {
  nerr = 0;
  eof = 0;
  int current = 1;
  for (;;) {
    plat::Text<7> command;
    plat::Text<256> text;
    int len = 0, ist = 0, icode = 0;
    PARRD(parameter_unit, print_unit, command.ref(), eof, text.ref(), len, ist);
    const std::string_view word = command.trimmed();
    const std::string_view statement = text.view().substr(0, static_cast<std::size_t>(std::max(len, 0)));

    if (word == "NewCase") {
      line = text.view();
      length = len;
      return;
    }
    if (word == "GET") {
      current = 1;
      if (statement != "0") {
        const std::string path = std::string(statement) + ":";
        int pos = 1, model = 1, ierr = 0;
        LSMINT(gar_modeldirectory.flat(), md_numslots, FLAGS(26), 0, 1, CTextVec1(gar_modelnames), path,
               static_cast<int>(path.size()), pos, model, ierr);
        if (ierr == 0 && pos > static_cast<int>(path.size())) {
          current = model;
        } else {
          icode = 1;
          SETERX(cut("Unrecognised submodel name@" + std::string(statement), 256), 3, 1, "PARAMC");
        }
      }
    } else if (word == "ON" || word == "OFF") {
      int k = 0;
      SQNDEX(statement, "(", k);
      if (k == 0) {
        icode = 2;
        SETERX(cut("Invalid conductor reference@" + std::string(statement), 256), 3, 2, "PARAMC");
      } else {
        const std::size_t colon = statement.find(':');
        if (colon != std::string_view::npos && static_cast<int>(colon) + 1 < k) k = static_cast<int>(colon) + 2;
        plat::Text<18> name;
        int code = 0, lm = 0;
        ENTFND(statement.substr(0, static_cast<std::size_t>(k - 1)), name.ref(), code, lm);
        PARCND("CHANGE", code, statement.substr(static_cast<std::size_t>(k - 1)), word, current, ist);
      }
    } else if (word == "CHANGE" || word == "SCALE") {
      const std::size_t p = statement.rfind(word == "CHANGE" ? '=' : '*');
      if (p == std::string_view::npos) {
        icode = 3;
        SETERX(cut("Invalid statement@" + std::string(statement), 256), 3, 3, "PARAMC");
      } else {
        apply(word, statement.substr(0, p), statement.substr(p + 1), current, ist);
      }
    }
    if (ist != 0 || icode != 0) ++nerr;
    if (eof != 0) return;
  }
}

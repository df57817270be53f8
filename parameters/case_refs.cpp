// References of parameter-case statements: nodes, conductors and array
// indices, and the searches of conductors and links between node lists.
#include "parameters/case_refs.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/char_pool.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "core/search_sort.h"
#include "core/text_utils.h"
#include "modeldata/connection_lists.h"
#include "modeldata/entity_codes.h"
#include "modeldata/global_arrays.h"
#include "modeldata/interpolation.h"
#include "modeldata/submodel_refs.h"

namespace {

std::string field(std::string message, std::size_t length) {
  message.resize(length, ' ');
  return message;
}

void report(std::string message, std::size_t length, int status, std::string_view routine) {
  SETERX(field(std::move(message), length), 3, status, routine);
}

std::string_view trim_right(std::string_view s) { return s.substr(0, static_cast<std::size_t>(STRLNA(s))); }

// Decimal digits only (at least one), read as a 32-bit value; a value beyond
// the 32-bit range is not a number here.
bool read_digits(std::string_view s, int& value) {
  if (s.empty()) return false;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > INT_MAX) return false;
  }
  value = static_cast<int>(v);
  return true;
}

// Last ":" outside quotes, 0-based; npos when none.
std::size_t last_colon_outside_quotes(std::string_view s) {
  bool quoted = false;
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\'') quoted = !quoted;
    else if (s[i] == ':' && !quoted) last = i;
  }
  return last;
}

plat::Vec1<const int> directory_words() { return gar_modeldirectory.flat(); }

// Resolves the submodel path text(1..end) relative to `current`.
void resolve_path(std::string_view text, int end, int current, int report_on, int& model, int& ierr) {
  int pos = 1;
  model = current;
  LSMINT(directory_words(), md_numslots, FLAGS(26), report_on, current, CTextVec1(gar_modelnames), text, end, pos,
         model, ierr);
}

// Membership of a node in an ascending list; a list of every node holds all.
bool member(plat::Vec1<const int> list, int n, int all, int node) {
  if (n >= all) return true;
  int st = 0, found = 0, pos = 0;
  SOFNDI(list, n, node, st, found, pos);
  return st == 0 && found == 1;
}

void append(plat::Vec1<int> out, int& nout, int item) {
  if (nout >= out.size()) return;  // the caller's list is full
  ++nout;
  out(nout) = item;
}

// Text of character user constant `name` of model m through the pool.
// status 8 no such name, 9 the model has none, else DBFZPK's status.
void char_constant_text(int m, std::string_view name, std::string& text, int& status) {
  status = 0;
  const int first = md_charnamebase(m);
  const int n = md_realnamebase(m + 1) - first;
  if (n < 1 || first < 0 || std::int64_t{first} + n > gar_userconstnames.size()) {
    status = 9;
    return;
  }
  int st = 0, found = 0, pos = 0;
  SOFNDZ(CTextVec1(gar_userconstnames).from(first + 1, n), n, name, st, found, pos);
  if (st != 0) {
    status = 9;
    return;
  }
  if (found != 1) {
    status = 8;
    return;
  }
  const int index = md_charuserconstbase(m) + pos;
  if (index < 1 || index > gar_userconstpointerschar.size()) {
    status = -1;
    return;
  }
  // Pointers count from the start of the model's own part of the pool.
  const long long start =
      static_cast<long long>(md_charelementbase(m)) * kPoolElementLength + gar_userconstpointerschar(index);
  const int nelem = static_cast<int>(gar_userconstvalueschar.size());
  const long long limit = static_cast<long long>(nelem) * kPoolElementLength;
  if (start < 1 || start > limit) {
    status = -1;
    return;
  }
  int element = static_cast<int>((start - 1) / kPoolElementLength + 1);
  if (gar_userconstvalueschar(element).c[(start - 1) % kPoolElementLength] == '\0') {
    text.clear();  // an empty text
    return;
  }
  text.assign(static_cast<std::size_t>(limit - start + 1), ' ');  // room for the rest of the pool
  int length = 0;
  DBFZPK(PoolView(gar_userconstvalueschar.view()), nelem, static_cast<int>(limit), static_cast<int>(start), length,
         plat::TextRef(text), st);
  if (st != 0) {
    status = st;
    return;
  }
  text.resize(static_cast<std::size_t>(length));
}

}  // namespace

void PARNDS(std::string_view ref, int submodel, int capacity, plat::Vec1<int> list, int& count, int& status) {
  count = 0;
  status = 0;
  const int nt = FLAGS(1), nf = FLAGS(32), nm = FLAGS(26);
  if (capacity < nt + nf || list.size() < nt + nf) {
    status = 1;
    report("Node list is too short for data@Contact central support", 300, 1, "PARNDS");
  }
  if (submodel < 1 || submodel > nm) {
    status = 2;
    report("Model number is invalid@Contact central support", 300, 2, "PARNDS");
  }
  if (status != 0) return;

  const std::string_view text = trim_right(ref);
  int m = submodel;
  std::string_view form = text;
  const std::size_t colon = last_colon_outside_quotes(text);
  if (colon != std::string_view::npos) {
    int ierr = 0;
    resolve_path(text, static_cast<int>(colon) + 1, submodel, 1, m, ierr);
    if (ierr != 0) {
      status = ierr;
      return;
    }
    form = text.substr(colon + 1);
  }

  auto by_number = [&](int number, int fail_status) {
    const int node = INTNOD(m, number);
    if (node < 1) {
      status = fail_status;
      char buf[64];
      std::snprintf(buf, sizeof buf, "Node does not exist in sub-model@Node Number: %10d", number);
      report(buf, 300, fail_status, "PARNDS");
      return;
    }
    list(1) = node;
    count = 1;
  };

  const char first = form.empty() ? ' ' : form[0];
  if (first >= '0' && first <= '9') {
    int number = 0;
    if (!read_digits(form, number)) {
      status = 4;
      report("Unrecognised format for node reference@" + std::string(form), 300, 4, "PARNDS");
      return;
    }
    by_number(number, 3);
    return;
  }
  if (first == '*') {
    int last = 0;
    if (form == "*") {
      last = m + md_subtreesize(m) - 1;
    } else if (form == "*-ONLY") {
      last = m;
    } else {
      status = 5;
      report("Unrecognised format for node reference@" + std::string(form), 300, 5, "PARNDS");
      return;
    }
    last = std::min(last, nm);
    for (int i = md_thermalnodebase(m) + 1; i <= md_thermalnodebase(last + 1) && count < nt + nf; ++i)
      list(++count) = i;
    for (int j = md_fluidnodebase(m) + 1; j <= md_fluidnodebase(last + 1) && count < nt + nf; ++j)
      list(++count) = nt + j;
    return;
  }
  if (first == '\'') {
    if (form.size() < 2 || form.back() != '\'') {
      status = 6;
      report("String not terminated with quote@" + std::string(form), 300, 6, "PARNDS");
      return;
    }
    NDSOZL(form.substr(1, form.size() - 2), m, list, capacity, 1, count, status);
    return;
  }
  int node = 0, st = 0;
  LGTALI(m, form, node, st);
  if (st == 0 && node > 0) {
    by_number(node, 7);
    return;
  }
  std::string value;
  char_constant_text(m, form, value, st);
  if (st == 8 || st == 9) {
    status = st;
    report("NodeSpec cannot be interpreted@Not recognised as valid format or value", 300, st, "PARNDS");
    return;
  }
  if (st != 0) {
    status = st;
    return;
  }
  NDSOZL(value, m, list, capacity, 1, count, status);
}

void NDSOZL(std::string_view text, int submodel, plat::Vec1<int> list, int capacity, int report_on, int& count,
            int& status) {
  count = 0;
  status = 0;
  const int nt = FLAGS(1), nf = FLAGS(32), nm = FLAGS(26);
  if (capacity < nt + nf || list.size() < nt + nf) {
    status = 1;
    if (report_on != 0) report("Node list is too short for data@Contact central support", 100, 1, "NDSOZL");
    return;
  }
  if (!text.empty() && text[0] == '#') {
    LNDSZL(text, submodel, list, capacity, report_on, "NDSOZL", count, status);
    return;
  }
  int first = 0, last = 0;
  if (submodel >= 1 && submodel <= nm) {
    first = submodel;
    last = std::min(nm, submodel + md_subtreesize(submodel) - 1);
  } else if (submodel <= -1 && submodel >= -nm) {
    first = last = -submodel;
  } else {
    status = 2;
    if (report_on != 0) report("Invalid model number@Contact central support", 100, 2, "NDSOZL");
    return;
  }
  for (int i = md_thermalnodebase(first) + 1; i <= md_thermalnodebase(last + 1); ++i)
    if (gar_thermalnodelabels(i).view().find(text) != std::string_view::npos) list(++count) = i;
  for (int j = md_fluidnodebase(first) + 1; j <= md_fluidnodebase(last + 1); ++j)
    if (gar_fluidnodelabels(j).view().find(text) != std::string_view::npos) list(++count) = nt + j;
}

void LNDSZL(std::string_view text, int submodel, plat::Vec1<int> list, int capacity, int report_on,
            std::string_view caller, int& count, int& status) {
  count = 0;
  status = 0;
  const int nt = FLAGS(1), nf = FLAGS(32);
  if (capacity < nt + nf || list.size() < capacity) {
    status = 1;
    if (report_on != 0) report("Node list is too short for data@Contact central support", 300, 1, "LNDSZL");
    return;
  }
  // A "#" list never reaches into the subtree, so -m and m name the same nodes.
  const int model = submodel < 0 ? -submodel : submodel;
  if (model < 1 || model > FLAGS(26)) {
    status = 2;
    if (report_on != 0) report("Invalid model number@Contact central support", 300, 2, "LNDSZL");
    return;
  }
  int st = 0;
  SZEROI(capacity, list, st);

  // The list after "#", without blanks and tabs outside quotes.
  const std::string_view rest = text.empty() ? text : text.substr(1);
  std::string buffer(rest.size() + 1, ' ');
  int quote = 0, length = 0;
  SDBLKX(rest, quote, plat::TextRef(buffer), length);
  length = std::min(length, static_cast<int>(buffer.size()));
  const std::string_view s(buffer.data(), static_cast<std::size_t>(length));
  const std::string_view name = trim_right(caller);

  auto fail = [&](int code, std::string message) {
    status = code;
    if (report_on != 0) report(std::string(name) + message, 300, code, "LNDSZL");
  };

  std::vector<std::pair<int, int>> intervals;
  std::size_t g = 0;  // start of the current group
  while (g <= s.size()) {
    std::size_t gend = s.find(';', g);
    if (gend == std::string_view::npos) gend = s.size();
    const std::string_view group = s.substr(g, gend - g);
    int m = model;
    std::size_t p = 0;
    const std::size_t colon = group.rfind(':');
    if (colon != std::string_view::npos) {
      int ierr = 0;
      resolve_path(group, static_cast<int>(colon) + 1, model, report_on, m, ierr);
      if (ierr != 0) {
        status = ierr;
        return;
      }
      p = colon + 1;
    }
    intervals.clear();
    bool open = false;
    int low = 0;
    while (p < group.size() || open) {
      std::size_t e = p;
      while (e < group.size() && group[e] != ',' && group[e] != '-') ++e;
      const std::string_view item = group.substr(p, std::min<std::size_t>(e - p, 40));
      const char sep = e < group.size() ? group[e] : '\0';
      if (item.empty() && sep == '\0') {
        // Nothing after the last separator: a trailing comma is accepted,
        // a trailing dash leaves its range open.
        if (open) {
          fail(4, ": Illegal range construct in ZLABEL@No upper limit on range:" + std::string(s));
          return;
        }
        break;
      }
      int v = 0;
      if (!read_digits(item, v)) {
        int node = 0, ast = 0;
        LGTALI(m, item, node, ast);
        if (ast != 0 || node <= 0) {
          fail(1, ": Unrecognised sub-model / alias in ZLABEL@" + std::string(item));
          return;
        }
        v = node;
      }
      if (open) {
        if (v < low) {
          fail(2, ": Illegal range construct in ZLABEL@Second value less than first:" + std::string(s));
          return;
        }
        if (sep == '-') {
          fail(3, ": Illegal range construct in ZLABEL@Consecutive dashes as delimiters:" + std::string(s));
          return;
        }
        intervals.emplace_back(low, v);
        open = false;
      } else if (sep == '-') {
        open = true;
        low = v;
      } else {
        intervals.emplace_back(v, v);
      }
      p = e + 1;
      if (sep == '\0') break;
    }
    if (open) {
      fail(4, ": Illegal range construct in ZLABEL@No upper limit on range:" + std::string(s));
      return;
    }
    // Mark the group's nodes: one pass over the model's own nodes against the
    // merged, sorted intervals.
    if (!intervals.empty()) {
      std::sort(intervals.begin(), intervals.end());
      std::vector<std::pair<int, int>> merged;
      for (const auto& iv : intervals) {
        if (!merged.empty() && iv.first <= merged.back().second)
          merged.back().second = std::max(merged.back().second, iv.second);
        else merged.push_back(iv);
      }
      auto selected = [&](int number) {
        auto it = std::upper_bound(merged.begin(), merged.end(), std::make_pair(number, INT_MAX));
        return it != merged.begin() && std::prev(it)->second >= number;
      };
      for (int i = md_thermalnodebase(m) + 1; i <= md_thermalnodebase(m + 1); ++i)
        if (selected(gar_thermalnodenums(i))) list(i) = i;
      for (int j = md_fluidnodebase(m) + 1; j <= md_fluidnodebase(m + 1); ++j)
        if (selected(gar_fluidnodenums(j))) list(nt + j) = nt + j;
    }
    if (gend >= s.size()) break;
    g = gend + 1;
  }
  for (int i = 1; i <= capacity; ++i)
    if (list(i) != 0) list(++count) = list(i);
}

void PARCNP(std::string_view ref, int submodel, int dystor, int nm, int nf, int nt, plat::Vec1<int> core, int& top,
            int& na, int& nb, int& ia, int& ib, int& seq, int& mfirst, int& mlast, int& status) {
  status = 0;
  na = nb = ia = ib = seq = 0;
  const std::string_view text = trim_right(ref);
  const std::string whole(ref.substr(0, std::min<std::size_t>(ref.size(), 256)));
  mfirst = mlast = submodel;

  int colon = 0, bracket = 0;
  SQNDEX(text, ":", colon);
  SQNDEX(text, "(", bracket);
  int start = 1;
  if (colon > 0 && (bracket == 0 || colon < bracket)) {
    int ierr = 0, m = submodel, pos = 1;
    const int end = bracket > 0 ? bracket - 1 : static_cast<int>(text.size());
    LSMINT(directory_words(), md_numslots, nm, 0, submodel, CTextVec1(gar_modelnames), text, end, pos, m, ierr);
    if (ierr != 0) {
      status = 2;
      report("Unrecognised submodel name@" + whole, 300, 2, "PARCNP");
      return;
    }
    mfirst = mlast = m;
    start = pos;
  }
  const std::string_view pair =
      text.substr(static_cast<std::size_t>(std::min<int>(start - 1, static_cast<int>(text.size()))));
  if (pair.size() < 2 || pair.front() != '(' || pair.back() != ')') {
    status = 2;
    report("Node pair not delimited by ()@" + whole, 300, 2, "PARCNP");
    return;
  }
  const std::string_view inside = pair.substr(1, pair.size() - 2);
  std::string_view nodes1, nodes2, seqtext;
  bool has_seq = false;
  int comma = 0;
  SQNDEX(inside, ",", comma);
  if (comma == 0) {
    const std::string_view cut = inside.substr(0, std::min<std::size_t>(inside.size(), 7));
    if (plat::text_eq(cut, "*")) {
      mlast = std::min(nm, mfirst + md_subtreesize(mfirst) - 1);
    } else if (plat::text_eq(cut, "*-ONLY")) {
      mlast = mfirst;
    } else {
      status = 3;
      report("Ill-formed node pair reference@" + whole, 300, 3, "PARCNP");
      return;
    }
    nodes1 = nodes2 = "*";
  } else {
    nodes1 = inside.substr(0, static_cast<std::size_t>(comma - 1));
    const std::string_view after = inside.substr(static_cast<std::size_t>(comma));
    int comma2 = 0;
    SQNDEX(after, ",", comma2);
    if (comma2 > 0) {
      nodes2 = after.substr(0, static_cast<std::size_t>(comma2 - 1));
      seqtext = after.substr(static_cast<std::size_t>(comma2));
      has_seq = true;
    } else {
      nodes2 = after;
    }
  }

  const long long room = static_cast<long long>(nt) + nf;
  const long long limit = std::min<long long>(dystor, core.size());
  auto take = [&](std::string_view nodes, int& first, int& n, int short_status) {
    first = top + 1;
    if (static_cast<long long>(top) + room + 1 > limit) {
      status = short_status;
      report("Insufficient dynamic core@Increase DYSTOR", 300, short_status, "PARCNP");
      return false;
    }
    int st = 0;
    PARNDS(nodes, mfirst, static_cast<int>(room), core.from(first, room), n, st);
    if (st != 0) {
      status = st;
      return false;
    }
    top = first + n;
    return true;
  };
  if (!take(nodes1, ia, na, 4)) return;
  if (!take(nodes2, ib, nb, 5)) return;

  if (has_seq) {
    int flag = 0, value = 0;
    const std::string_view digits = trim_right(seqtext);
    IINTCH(digits, static_cast<int>(digits.size()), flag);
    if (flag != 1) {
      status = 6;
      report("Sequence number not an integer@" + std::string(seqtext), 300, 6, "PARCNP");
      return;
    }
    if (!read_digits(digits, value) || value < 1) {
      status = 7;
      report("Sequence number not valid@" + std::string(seqtext), 300, 7, "PARCNP");
      return;
    }
    seq = value;
  }
}

void PARGNP(plat::Vec1<const int> a, int na, plat::Vec1<const int> b, int nb, int seq, plat::Vec1<const int> pcs,
            plat::Mat2<const int> ptrs, int first, int last, int nf, int nt, int sublist, plat::Vec1<int> out,
            int& nout, int& status) {
  status = 0;
  const int all = nt + nf;
  const bool two_way = sublist == 1 || sublist == 3;
  for (int ka = 1; ka <= na; ++ka) {
    const int node = a(ka);
    if (node > nt) break;
    if (node < 1 || node > ptrs.cols()) continue;
    const long long start = ptrs(sublist, node);
    const long long entries = ptrs(sublist + 1, node);
    int previous = INT_MIN, run = 0;
    for (long long e = 0; e < entries; ++e) {
      const long long w = start + 2 * e;
      if (w < 1 || w + 1 > pcs.size()) break;
      const int v = pcs(w), k = pcs(w + 1);
      if (v != previous) run = 0;
      previous = v;
      if (k < first || k > last || !member(b, nb, all, v)) continue;
      if (two_way && v < node && member(a, na, all, v) && member(b, nb, all, node)) continue;
      ++run;
      if (seq == 0 || seq == run) append(out, nout, k);
    }
  }
}

void PARGFP(plat::Vec1<const int> a, int na, plat::Vec1<const int> b, int nb, int seq,
            plat::Vec1<const int> linkpairs, plat::Vec1<const int> pcsfluid, plat::Vec1<const int> ptrsfluid,
            int first, int last, int kind, int slot, int nf, int nt, plat::Vec1<int> out, int& nout, int& status) {
  status = 0;
  const int all = nt + nf;
  const plat::Vec1<const plat::Text<1>> statuses = gar_thermalnodestatuses.view();
  for (int ka = 1; ka <= na; ++ka) {
    const int m = a(ka);
    if (m <= nt) continue;
    const int j = m - nt;
    int entry_kind = 1, pos = 0, k = 0, neighbour = 0;
    int previous = INT_MIN, run = 0, owner_before = -1;
    LoopGuard guard("PARGFP");
    for (;;) {
      guard.pass();
      SFUNPK(1, 0, 0, 0, j, statuses, pcsfluid, ptrsfluid, entry_kind, pos, k, neighbour);
      if (neighbour == 0 || entry_kind > kind) break;
      if (entry_kind != kind) continue;
      int v = neighbour;
      if (kind == 1) {
        if (k < 1 || 2LL * k > linkpairs.size() || linkpairs(2 * k - 1) != j) continue;
        v = nt + neighbour;
      }
      if (v != previous) run = 0;
      previous = v;
      if (k < first || k > last || !member(b, nb, all, v)) continue;
      if ((kind == 2 || kind == 3) && v < m && member(a, na, all, v) && member(b, nb, all, m)) continue;
      const int item = k < 0 ? -k : k;
      const int owner = SUBMDE(item, slot);
      run = (run > 0 && owner == owner_before) ? run + 1 : 1;
      owner_before = owner;
      if (seq == 0 || seq == run) append(out, nout, item);
    }
  }
}

namespace {

// PARGGV as the search of every pair of A x B with the two-key bisection:
// the form for a range that holds no item (each search fails and reports)
// or whose pairs are not in ascending order (where the bisection's answer
// depends on its path).
void gv_pairs_by_search(plat::Vec1<const int> a, int na, plat::Vec1<const int> b, int nb, int seq,
                        plat::Vec1<const int> gvpairs, int first, int last, int count, plat::Vec1<int> out,
                        int& nout, int& status) {
  const plat::Vec1<const int> table =
      count >= 1 ? gvpairs.from(2LL * first - 1, 2LL * count) : plat::Vec1<const int>();
  auto pair_at = [&](long long item, int p) { return gvpairs(2 * item - 2 + p); };
  for (int ka = 1; ka <= na; ++ka) {
    const int node_a = a(ka);
    // Skip a node that starts no pair of the range.
    if (count >= 1) {
      int key[2] = {node_a, INT_MIN};
      int st = 0, found = 0, pos = 0;
      SOFNDM(table, 2, count, plat::Vec1<const int>(key, 2), st, found, pos);
      if (st == 0 && (pos > count || pair_at(first + pos - 1, 1) != node_a)) continue;
    }
    for (int kb = 1; kb <= nb; ++kb) {
      int key[2] = {node_a, b(kb)};
      int st = 0, found = 0, pos = 0;
      SOFNDM(table, 2, count, plat::Vec1<const int>(key, 2), st, found, pos);
      if (st != 0) {
        status = 1;
        report("Error searching node pair list@Contact Central Support", 100, 1, "PARGGV");
        continue;
      }
      if (found != 1) continue;
      const long long item = static_cast<long long>(first) + pos - 1;
      auto same = [&](long long i) { return i <= last && pair_at(i, 1) == key[0] && pair_at(i, 2) == key[1]; };
      if (seq == 0) {
        for (long long i = item; same(i); ++i) append(out, nout, static_cast<int>(i));
      } else {
        const long long i = static_cast<long long>(first) + pos + seq - 2;
        if (same(i)) append(out, nout, static_cast<int>(i));
      }
    }
  }
}

}  // namespace

void PARGGV(plat::Vec1<const int> a, int na, plat::Vec1<const int> b, int nb, int seq, plat::Vec1<const int> gvpairs,
            int first, int last, plat::Vec1<int> out, int& nout, int& status) {
  status = 0;
  const long long n = static_cast<long long>(last) - first + 1;
  const bool inside = first >= 1 && n >= 1 && 2LL * last <= gvpairs.size();
  const int count = inside ? static_cast<int>(n) : 0;
  auto pair_at = [&](long long item, int p) { return gvpairs(2 * item - 2 + p); };
  auto before = [&](long long i, long long j) {  // pair of item i before that of item j
    return pair_at(i, 1) != pair_at(j, 1) ? pair_at(i, 1) < pair_at(j, 1) : pair_at(i, 2) < pair_at(j, 2);
  };
  bool ascending = count >= 1;
  for (long long i = first; ascending && i < last; ++i) ascending = !before(i + 1, i);
  if (!ascending) {
    gv_pairs_by_search(a, na, b, nb, seq, gvpairs, first, last, count, out, nout, status);
    return;
  }
  // Every pair (a, b) of A x B in that order, found by walking a's own run
  // of pairs: each group of equal pairs (a, v) of the run is matched with
  // the places of v in B, and the groups are taken in the order of those
  // places. A group is what the bisection finds: its first item is the
  // first of the equal pairs.
  na = static_cast<int>(std::clamp<std::int64_t>(na, 0, a.size()));
  nb = static_cast<int>(std::clamp<std::int64_t>(nb, 0, b.size()));
  // The places of each node in B (ascending): counted by node over the
  // range of B's numbers when it is not much wider than B, else sorted.
  std::vector<int> places(static_cast<std::size_t>(nb));
  std::vector<int> first_place;  // by node - lowest: start of its places; one past the last node
  int lowest = 0;
  std::vector<std::pair<int, int>> sorted_places;  // (node, place) when B's numbers spread wide
  if (nb > 0) {
    int highest = b(1);
    lowest = b(1);
    for (int kb = 2; kb <= nb; ++kb) {
      lowest = std::min(lowest, b(kb));
      highest = std::max(highest, b(kb));
    }
    if (static_cast<std::int64_t>(highest) - lowest <= 4LL * nb + 1024) {
      first_place.assign(static_cast<std::size_t>(highest - lowest) + 2, 0);
      for (int kb = 1; kb <= nb; ++kb) ++first_place[static_cast<std::size_t>(b(kb) - lowest) + 1];
      for (std::size_t i = 1; i < first_place.size(); ++i) first_place[i] += first_place[i - 1];
      std::vector<int> fill(first_place.begin(), first_place.end() - 1);
      for (int kb = 1; kb <= nb; ++kb)
        places[static_cast<std::size_t>(fill[static_cast<std::size_t>(b(kb) - lowest)]++)] = kb;
    } else {
      for (int kb = 1; kb <= nb; ++kb) sorted_places.emplace_back(b(kb), kb);
      std::sort(sorted_places.begin(), sorted_places.end());
    }
  }
  // Calls f(place) for every place of node v in B, ascending.
  auto each_place = [&](int v, auto&& f) {
    if (!first_place.empty()) {
      const std::int64_t d = static_cast<std::int64_t>(v) - lowest;
      if (d < 0 || d + 1 >= static_cast<std::int64_t>(first_place.size())) return;
      for (int i = first_place[static_cast<std::size_t>(d)]; i < first_place[static_cast<std::size_t>(d) + 1]; ++i)
        f(places[static_cast<std::size_t>(i)]);
      return;
    }
    auto it = std::lower_bound(sorted_places.begin(), sorted_places.end(), std::make_pair(v, INT_MIN));
    for (; it != sorted_places.end() && it->first == v; ++it) f(it->second);
  };
  struct Match {
    int place;
    long long item;  // first item of the group
  };
  std::vector<Match> matches;
  long long prev_start = first;  // where the previous node's run starts
  int prev_a = INT_MIN;
  for (int ka = 1; ka <= na; ++ka) {
    const int node_a = a(ka);
    // a's run: the items first..last whose first node is a. Nodes of A in
    // ascending order find theirs by walking on from the previous run.
    long long lo = first;
    if (ka > 1 && node_a >= prev_a) {
      lo = prev_start;
      while (lo <= last && pair_at(lo, 1) < node_a) ++lo;
    } else {
      long long hi = last + 1;
      while (lo < hi) {
        const long long mid = lo + (hi - lo) / 2;
        if (pair_at(mid, 1) < node_a) lo = mid + 1;
        else hi = mid;
      }
    }
    matches.clear();
    long long i = lo;
    while (i <= last && pair_at(i, 1) == node_a) {
      const int v = pair_at(i, 2);
      long long end = i + 1;
      while (end <= last && pair_at(end, 1) == node_a && pair_at(end, 2) == v) ++end;
      each_place(v, [&](int place) { matches.push_back({place, i}); });
      i = end;
    }
    prev_a = node_a;
    prev_start = lo;
    std::sort(matches.begin(), matches.end(), [](const Match& x, const Match& y) { return x.place < y.place; });
    for (const Match& mt : matches) {
      const int key0 = pair_at(mt.item, 1), key1 = pair_at(mt.item, 2);
      auto same = [&](long long i) { return i <= last && pair_at(i, 1) == key0 && pair_at(i, 2) == key1; };
      if (seq == 0) {
        for (long long i = mt.item; same(i); ++i) append(out, nout, static_cast<int>(i));
      } else {
        const long long i = mt.item + seq - 1;
        if (same(i)) append(out, nout, static_cast<int>(i));
      }
    }
  }
}

int SUBMDE(int item, int slot) {
  const int nm = FLAGS(26);
  if (slot < 1 || slot > md_numslots) return 0;
  for (int m = 1; m <= nm; ++m)
    if (gar_modeldirectory(slot, m) < item && item <= gar_modeldirectory(slot, m + 1)) return m;
  return 0;
}

void PARAIN(int narray, std::string_view text, int& type, int& first, int& ndim, plat::Vec1<int> dims,
            plat::Vec1<int> range, int& rangeflag, int& status) {
  status = 0;
  rangeflag = 0;
  for (int i = 1; i <= 6 && i <= range.size(); ++i) range(i) = 1;
  int descriptor_dims[kIntpMaxDims] = {};
  int ipos = 0, nvalues = 0, count = 0, st = 0;
  type = 0;
  first = 0;
  ndim = 0;
  APARS(narray, ipos, first, ndim, plat::Vec1<int>(descriptor_dims, kIntpMaxDims), nvalues, count, type, st);
  if (st != 0) {
    status = st;
    return;
  }
  if (type > 3) {
    status = 7;
    report("Only Real, Integer and Character arrays supported", 300, 7, "PARAIN");
    return;
  }
  for (int d = 1; d <= 3; ++d) dims(d) = d <= ndim ? descriptor_dims[d - 1] : 1;

  const std::string_view s = trim_right(text);
  const std::size_t close = s.find(')');
  if (s.empty() || s[0] != '(' || close == std::string_view::npos) {
    status = 1;
    report("Invalid array reference syntax@" + std::string(text.substr(0, std::min<std::size_t>(text.size(), 256))),
           300, 1, "PARAIN");
    return;
  }
  const std::string_view items = s.substr(1, close - 1);
  std::size_t p = 0;
  bool remains = true;  // an item (possibly empty) is left to read
  if (items.empty()) remains = false;
  for (int d = 1; d <= 3; ++d) {
    if (remains) {
      if (ndim < d) {
        status = 4;
        report("Too many indices for this array", 300, 4, "PARAIN");
        continue;
      }
      std::size_t e = items.find(',', p);
      if (e == std::string_view::npos) e = items.size();
      const std::string_view item = items.substr(p, e - p);
      if (e < items.size()) p = e + 1;
      else remains = false;
      int v = 0;
      if (item == "*") {
        range(2 * d - 1) = 1;
        range(2 * d) = dims(d);
        rangeflag = 1;
      } else if (!item.empty() && item.find_first_not_of("0123456789") == std::string_view::npos) {
        if (read_digits(item, v) && v >= 1 && v <= dims(d)) {
          range(2 * d - 1) = v;
          range(2 * d) = v;
        } else {
          status = 2;
          report("Array reference out of bounds", 300, 2, "PARAIN");
        }
      } else {
        status = 3;
        report("Array index not an integer", 300, 3, "PARAIN");
      }
    } else if (d <= ndim) {
      status = 5;
      report("Too few indices for this array", 300, 5, "PARAIN");
    } else {
      range(2 * d - 1) = 1;
      range(2 * d) = 1;
    }
  }
}

#include "modeldata/node_lists.h"
#include "platform/process_state.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "modeldata/entity_codes.h"
#include "modeldata/global_arrays.h"
#include "modeldata/status_changes.h"
#include "modeldata/submodel_refs.h"

namespace {

constexpr int kMaxLabel = 512;   // significant characters of a "#" list
constexpr int kMaxValue = 40;    // characters of a node-list value
constexpr int kMaxCached = 100;  // requests LSCHND remembers

std::string fit(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

// One remembered LSCHND request: the key, the list it gave and the status
// generation it was evaluated at. A list that leaves out inactive nodes
// (inclx 0) depends on the node statuses and is stale once the generation
// has moved; a list that includes them does not depend on statuses.
struct CachedList {
  int inclx, modref, subref;
  std::string kind, zlabel;  // without trailing blanks
  std::vector<int> nodes;
  std::uint64_t generation;
  bool current() const { return inclx != 0 || generation == status_generation(); }
};
std::vector<CachedList> g_cache;

// Value of a node-list item: a user node number (all digits, fitting in 32
// bits) or an alias of model `model`. False when it is neither.
bool item_value(std::string_view value, int model, int& number) {
  if (value.empty()) return false;
  bool digits = true;
  std::int64_t v = 0;
  for (char c : value) {
    if (c < '0' || c > '9') {
      digits = false;
      break;
    }
    v = v * 10 + (c - '0');
    if (v > INT32_MAX) {  // too long for a node number: never wrapped
      digits = false;
      break;
    }
  }
  if (digits) {
    number = static_cast<int>(v);
    return true;
  }
  int node = 0, status = 0;
  LGTALI(model, value, node, status);
  if (status != 0 || node == 0) return false;
  number = node;
  return true;
}

void report_list(int report, std::string_view routine, std::string_view text, int code) {
  if (report == 0) return;
  std::string msg(routine);
  msg.append(text);
  SETERX(fit(msg, 100), 3, code, "LKFNUM");
}

// Context of the LSCHND messages: the caller, ZLABEL as given (the refused
// reference message shows it without trailing blanks, the full-list message
// whole) and "CNAME": the model's name, ":ONLY" for a negative reference;
// nothing for a reference that names no model.
std::string model_context(std::string_view routine, std::string_view zlabel, int modref) {
  std::string s(routine);
  s.append(" called with:<NL>   ZLABEL = ").append(zlabel).append("<NL>   CNAME = ");
  const std::int64_t m = std::abs(static_cast<std::int64_t>(modref));  // the most negative int has no int negation
  if (m >= 1 && m <= FLAGS(26) && m <= gar_modelnames.size()) {
    s.append(gar_modelnames(static_cast<int>(m)).trimmed());
    if (modref < 0) s.append(":ONLY");
  }
  return s;
}

}  // namespace

bool NDOFZL(int modref, int nm, int nt, int node, int report, std::string_view routine, std::string_view zlabel,
            int& ierr) {
  ierr = 0;
  if (modref != 1) {
    if (modref >= 2 && modref <= nm) {
      const int m = NDSSMD(node);
      if (m < modref || m > modref + md_subtreesize(modref) - 1) return false;
    } else if (modref <= -1 && modref >= -nm) {
      if (NDSSMD(node) != -modref) return false;
    } else {
      ierr = 1;
      if (report != 0) {
        std::string msg = "Invalid submodel reference@Getting node list@";
        msg.append(plat::trimmed(routine)).append(" called");
        SETERX(fit(msg, 100), 3, 1, "NDOFZL");
      }
      return false;
    }
  }
  const std::size_t used = plat::len_trim(zlabel);
  if (used == 0) return true;
  const std::size_t first = zlabel.find_first_not_of(" \t");
  if (first == std::string_view::npos || zlabel[first] != '#') {
    const int nf = FLAGS(32);
    std::string_view label;
    if (node >= 1 && node <= nt && node <= gar_thermalnodelabels.size()) {
      label = gar_thermalnodelabels(node).view();
    } else if (node > nt && node - nt <= nf && node - nt <= gar_fluidnodelabels.size()) {
      label = gar_fluidnodelabels(node - nt).view();
    } else {
      return false;
    }
    return label.find(zlabel.substr(0, used)) != std::string_view::npos;
  }
  if (used > static_cast<std::size_t>(kMaxLabel)) {
    ierr = 2;
    if (report != 0) {
      std::string msg(routine);
      msg.append(": ZLABEL too long@ ZLABEL must be less than 512 chars.");
      SETERX(fit(msg, 100), 3, 2, "NDOFZL");
    }
    return false;
  }
  int result = 0;
  LKFNUM(std::abs(modref), gar_modeldirectory.flat(), md_numslots, nm, node, report, routine, gar_modelnames, zlabel,
         result, ierr);
  return result == 1 && ierr == 0;
}

void LKFNUM(int model, plat::Vec1<const int> directory, int slots, int nm, int node, int report,
            std::string_view routine, CTextVec1 names, std::string_view zlabel, int& result, int& ierr) {
  result = 0;
  ierr = 0;
  // The list without blanks; the buffer is as long as the text, so nothing is
  // cut. It is kept between calls: a node list is tested node after node.
  static std::string buffer;
  buffer.assign(std::max<std::size_t>(zlabel.size(), 1), ' ');
  int quote = 0, used = 0;
  SDBLKX(zlabel, quote, buffer, used);
  used = std::min(used, static_cast<int>(buffer.size()));
  const std::string_view text(buffer.data(), static_cast<std::size_t>(used));

  const int nt = FLAGS(1), nf = FLAGS(32);
  if (node < 1 || node > nt + nf) return;
  const int node_model = NDSSMD(node);
  const int number = node <= nt ? gar_thermalnodenums(node) : gar_fluidnodenums(node - nt);

  LoopGuard guard("LKFNUM");
  int pos = 2;  // one-based; the "#" is character 1
  while (pos <= used) {
    guard.pass();
    const std::size_t semi = text.find(';', static_cast<std::size_t>(pos - 1));
    const int segend = semi == std::string_view::npos ? used : static_cast<int>(semi);  // last character
    const int next = segend + 2;
    const std::size_t colon = text.find(':', static_cast<std::size_t>(pos - 1));
    int segment_model = model;
    int p = pos;
    if (colon != std::string_view::npos && static_cast<int>(colon) < segend) {
      int e = 0;
      LSMINT(directory, slots, nm, report, model, names, text, segend, p, segment_model, e);
      if (e != 0) {
        ierr = e;
        return;
      }
    }
    if (segment_model != node_model) {
      pos = next;
      continue;
    }
    bool range_open = false;
    int low = 0;
    while (p <= segend) {
      guard.pass();
      const std::size_t d =
          text.substr(0, static_cast<std::size_t>(segend)).find_first_of(",-", static_cast<std::size_t>(p - 1));
      const std::size_t vend = d == std::string_view::npos ? static_cast<std::size_t>(segend) : d;
      std::string_view value = text.substr(static_cast<std::size_t>(p - 1), vend - static_cast<std::size_t>(p - 1));
      value = value.substr(0, std::min<std::size_t>(value.size(), kMaxValue));
      const char delim = d == std::string_view::npos ? '\0' : text[d];
      int v = 0;
      if (!item_value(value, segment_model, v)) {
        ierr = 1;
        if (report != 0) {
          std::string msg(routine);
          msg.append(": Unrecognised sub-model / alias in ZLABEL@").append(value);
          SETERX(fit(msg, 100), 3, 1, "LKFNUM");
        }
        return;
      }
      if (range_open) {
        if (delim == '-') {
          ierr = 3;
          report_list(report, routine, ": Illegal range construct in ZLABEL@Consecutive dashes as delimiters", 3);
          return;
        }
        if (v < low) {
          ierr = 2;
          report_list(report, routine, ": Illegal range construct in ZLABEL@Second value less than first", 2);
          return;
        }
        if (number >= low && number <= v) {
          result = 1;
          return;
        }
        range_open = false;
      } else if (delim == '-') {
        low = v;
        range_open = true;
      } else if (v == number) {
        result = 1;
        return;
      }
      if (d == std::string_view::npos) break;
      p = static_cast<int>(d) + 2;
    }
    if (range_open) {
      ierr = 4;
      report_list(report, routine, ": Illegal range construct in ZLABEL@No upper limit on range", 4);
      return;
    }
    pos = next;
  }
}

void LSCHND(int modref, int maxn, std::string_view kind, int inclx, std::string_view routine, int subref,
            std::string_view zlabel, int& ierr, plat::Vec1<int> list, int& count) {
  count = 0;
  ierr = 0;
  const std::string_view kind_key = plat::trimmed(kind), label_key = plat::trimmed(zlabel);
  const int capacity =
      static_cast<int>(std::clamp<std::int64_t>(std::min<std::int64_t>(maxn, list.size()), 0, INT32_MAX));
  const std::uint64_t generation = status_generation();
  CachedList* stale = nullptr;  // the entry of this key, when statuses changed since it was evaluated
  for (CachedList& c : g_cache) {
    if (c.inclx == inclx && c.modref == modref && c.subref == subref && c.kind == kind_key &&
        c.zlabel == label_key) {
      if (!c.current()) {
        stale = &c;
        break;
      }
      // A list longer than this caller's room is evaluated again, which
      // reports the shortage instead of writing past the caller's list.
      if (static_cast<int>(c.nodes.size()) > capacity) break;
      count = static_cast<int>(c.nodes.size());
      std::copy(c.nodes.begin(), c.nodes.end(), list.data());
      return;
    }
  }
  const int nm = FLAGS(26), nt = FLAGS(1), nf = FLAGS(32);
  if (subref == 0 || modref == 0 || std::abs(static_cast<std::int64_t>(subref)) > nm ||
      std::abs(static_cast<std::int64_t>(modref)) > nm) {
    ierr = 1;
    std::string msg = "Invalid submodel reference@Getting node list from group specification@";
    msg.append(model_context(routine, plat::trimmed(zlabel), modref));
    SETERX(fit(msg, 1000), 3, 1, "Lschnd");
    return;
  }
  const int first = std::abs(subref);
  const int end = std::min(subref < 0 ? first + 1 : subref + md_subtreesize(subref), nm + 1);
  const bool thermal = plat::text_eq(kind, "THERMAL") || plat::text_eq(kind, "BOTH");
  const bool fluid = plat::text_eq(kind, "FLUID") || plat::text_eq(kind, "BOTH");

  auto full = [&](int code) {
    ierr = 1;
    std::string msg = "Insufficient space to store node list@Getting node list from group specification@More than ";
    msg.append(ITOC(maxn)).append(" nodes found@").append(model_context(routine, zlabel, modref));
    SETERX(fit(msg, 1000), 3, code, "Lschnd");
  };
  if (thermal) {
    const int lo = std::max(md_thermalnodebase(first) + 1, 1), hi = std::min(md_thermalnodebase(end), nt);
    for (int i = lo; i <= hi; ++i) {
      if (inclx == 0 && gar_thermalnodestatuses(i) == "X") continue;
      int e = 0;
      const bool selected = NDOFZL(modref, nm, nt, i, 1, routine, zlabel, e);
      if (e != 0) {
        ierr = 1;
        return;
      }
      if (!selected) continue;
      if (count >= capacity) return full(2);
      list(++count) = i;
    }
  }
  if (fluid) {
    const int lo = std::max(md_fluidnodebase(first) + 1, 1), hi = std::min(md_fluidnodebase(end), nf);
    for (int j = lo; j <= hi; ++j) {
      int e = 0;
      const bool selected = NDOFZL(modref, nm, nt, nt + j, 1, routine, zlabel, e);
      if (e != 0) {
        ierr = 1;
        return;
      }
      if (!selected) continue;
      if (count >= capacity) return full(3);
      list(++count) = nt + j;
    }
  }
  if (stale != nullptr) {
    // The key keeps its place in memory; its list is the new one.
    stale->nodes.assign(list.data(), list.data() + count);
    stale->generation = generation;
  } else if (static_cast<int>(g_cache.size()) < kMaxCached) {
    g_cache.push_back(CachedList{inclx, modref, subref, std::string(kind_key), std::string(label_key),
                                 std::vector<int>(list.data(), list.data() + count), generation});
  }
}

void lschnd_reset_for_tests() { g_cache.clear(); }

TNA_PROCESS_STATE("modeldata/node_lists", lschnd_reset_for_tests)

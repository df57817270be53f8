#include <algorithm>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/search_sort.h"
#include "core/text_utils.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process_state.h"

namespace {
std::vector<std::int32_t> g_node_models;  // NDSSMD's node-to-model map
bool g_node_models_built = false;

// INTNOD's index: global thermal indices (and fluid indices) with each
// model's own range ordered by user node number, equal numbers in index
// order, so that a binary search finds the first node of a number.
std::vector<std::int32_t> g_thermal_by_number, g_fluid_by_number;
bool g_number_index_built = false;

// Orders the indices of each model's range [base(m)+1, base(m+1)] by number.
void order_ranges(std::vector<std::int32_t>& order, const plat::Array1<std::int32_t>& numbers, int count,
                  const gar_ModelDirectorySlot& base) {
  order.resize(static_cast<std::size_t>(count > 0 ? count : 0));
  for (int i = 1; i <= count; ++i) order[static_cast<std::size_t>(i - 1)] = i;
  const int nm = FLAGS(26);
  for (int m = 1; m <= nm; ++m) {
    const int first = std::max(base(m), 0), last = std::min(base(m + 1), count);
    if (last - first < 2) continue;
    std::stable_sort(order.begin() + first, order.begin() + last,
                     [&](std::int32_t a, std::int32_t b) { return numbers(a) < numbers(b); });
  }
}

void build_number_index() {
  const int nt = std::min<long long>(FLAGS(1), gar_thermalnodenums.size());
  const int nf = std::min<long long>(FLAGS(32), gar_fluidnodenums.size());
  order_ranges(g_thermal_by_number, gar_thermalnodenums, nt, md_thermalnodebase);
  order_ranges(g_fluid_by_number, gar_fluidnodenums, nf, md_fluidnodebase);
  g_number_index_built = true;
}

// First index of user number `number` among the model's range of `order`, 0
// when absent.
int find_number(const std::vector<std::int32_t>& order, const plat::Array1<std::int32_t>& numbers, int first,
                int last, int number) {
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(order.size()));
  if (last <= first) return 0;
  const auto b = order.begin() + first, e = order.begin() + last;
  const auto it = std::lower_bound(b, e, number, [&](std::int32_t i, int n) { return numbers(i) < n; });
  if (it != e && numbers(*it) == number) return *it;
  return 0;
}
}  // namespace

void SCCNAM(plat::Mat2<std::int32_t> directory, int slots, int (* /*model_count*/)(),
            plat::Vec1<const plat::Text<24>> names, int model, plat::Vec1<plat::Text<24>> chain, int& depth,
            int& ierr) {
  (void)slots;
  ierr = 0;
  depth = 0;
  if (model < 1 || model > directory(md_subtreesize, 1) || model > directory.cols()) {
    SETERX(plat::Text<256>("Invalid model number").view(), 3, 1, "SCCNAM");
    ierr = 2;
    return;
  }
  depth = directory(md_level, model) + 1;
  if (depth < 1 || depth > chain.size()) {
    depth = 0;
    SETERX(
        plat::Text<256>("Error in Master model directory@Internal directory error, contact NORVEK support").view(),
        3, 2, "SCCNAM");
    ierr = 3;
    return;
  }
  chain(1) = names(1);
  int wanted = directory(md_level, model);
  int slot = depth;
  LoopGuard guard("SCCNAM");
  for (int j = model; j >= 2; --j) {
    guard.pass();
    if (directory(md_level, j) == wanted && slot >= 1) {
      chain(slot) = names(j);
      --wanted;
      --slot;
    }
  }
  if (!(wanted == 0 && slot == 1)) {
    SETERX(
        plat::Text<256>("Error in Master model directory@Internal directory error, contact NORVEK support").view(),
        3, 2, "SCCNAM");
    ierr = 3;
  }
}

void LSUBMD(std::string_view attrib, int model, int& len, plat::TextRef name, int& ierr) {
  len = 0;
  name.fill_blank();
  const int nm = FLAGS(26);
  plat::Array1<plat::Text<24>> chain(nm > 0 ? nm : 1);
  int depth = 0;
  SCCNAM(gar_modeldirectory, md_numslots, nullptr, gar_modelnames, model, chain, depth, ierr);
  if (ierr != 0) {
    ierr = 2;
    len = 1;
    return;
  }
  int first, last;
  if (plat::is_blank(attrib) || plat::text_eq(attrib, "ALL")) {
    first = 1;
    last = depth;
  } else if (plat::text_eq(attrib, "SUBMODEL")) {
    first = depth;
    last = depth;
  } else if (plat::text_eq(attrib, "ROOT")) {
    first = 1;
    last = depth - 1;
  } else {
    ierr = 1;
    len = 1;
    return;
  }
  const int size = static_cast<int>(name.size());
  LoopGuard guard("LSUBMD");
  // The first element always, even when the range is empty ("ROOT" of the
  // main model gives the main model's name).
  for (int i = first; i == first || i <= last; ++i) {
    guard.pass();
    const std::string_view element = chain(i).view();
    const int e = STRLNA(element);
    if (len + e < size) {
      name.sub(len + 1, len + e) = element.substr(0, e);
      name.at1(len + e + 1) = ':';
      len += e + 1;
    } else {
      if (len < size) name.sub(len + 1, size) = element;
      len = size + 1;
      ierr = 3;
      break;
    }
  }
  len -= 1;
}

std::string SUBMOD(std::string_view attrib) {
  std::string name(2500, ' ');
  int len = 0, ierr = 0;
  LSUBMD(attrib, GLOI.MODEL, len, name, ierr);
  if (ierr == 1) return "SUBMOD: Invalid argument ATTRIB";
  if (ierr != 0 && ierr != 3) return "SUBMOD: Unexpected error";
  name.resize(static_cast<std::size_t>(len < 0 ? 0 : len));
  return name;
}

std::string SUBMDN(int node, std::string_view attrib) {
  const int nt = FLAGS(1), nf = FLAGS(32);
  if (node < 1 || node > nt + nf) return "SUBMDN: Invalid node number";
  std::string name(2500, ' ');
  int len = 0, ierr = 0;
  LSUBMD(attrib, NDSSMD(node), len, name, ierr);
  if (ierr == 1) return "SUBMDN: Invalid argument ATTRIB";
  if (ierr != 0 && ierr != 3) return "SUBMDN: Unexpected error";
  name.resize(static_cast<std::size_t>(len < 0 ? 0 : len));
  return name;
}

int NODNUM(int node) {
  const int nt = FLAGS(1), nf = FLAGS(32);
  if (node >= 1 && node <= nt) return gar_thermalnodenums(node);
  if (node > nt && node <= nt + nf) return gar_fluidnodenums(node - nt);
  SETERX(plat::Text<100>("Invalid node number - out of range").view(), 2, 1, "NODNUM");
  return 0;
}

int INTNOD(int model, int node) {
  const int nm = FLAGS(26), nt = FLAGS(1);
  if (model < 1 || model > nm) {
    SETERX(plat::Text<100>("Invalid submodel").view(), 2, 2, "INTNOD");
    return 0;
  }
  if (!g_number_index_built) build_number_index();
  int hit = find_number(g_thermal_by_number, gar_thermalnodenums, md_thermalnodebase(model),
                        md_thermalnodebase(model + 1), node);
  if (hit > 0) return hit;
  hit =
      find_number(g_fluid_by_number, gar_fluidnodenums, md_fluidnodebase(model), md_fluidnodebase(model + 1), node);
  if (hit > 0) return nt + hit;
  SETERX(plat::Text<100>("Node node found").view(), 2, 1, "INTNOD");
  return 0;
}

void GETPARENTMODELNUMBER(int model, int& parent) {
  parent = 0;
  if (model < 1 || model > FLAGS(26)) return;
  const int level = md_level(model);
  if (level < 2) {
    parent = level;
    return;
  }
  for (int j = model - 1; j >= 1; --j) {
    if (md_level(j) == level - 1) {
      parent = j;
      return;
    }
  }
}

int CDSSMD(int index, int type) {
  int slot;
  switch (type) {
    case 1: slot = md_linearcondbase; break;
    case 2: slot = md_radiativecondbase; break;
    case 3: slot = md_fluidiccondbase; break;
    case 4: slot = md_vfaccondbase; break;
    case 5: slot = md_massflowlinkbase; break;
    default: SETERX("Invalid conductor type for NORVEK neutral file", 4, 1, "CDSSMD"); return 0;
  }
  const int nm = FLAGS(26);
  int m = 1;
  LoopGuard guard("CDSSMD");
  while (m < nm && gar_modeldirectory(slot, m + 1) < index) {
    guard.pass();
    ++m;
  }
  return m;
}

void LNDREF(int node, int& len, int& number, plat::TextRef path, int& ierr) {
  const int nt = FLAGS(1), nf = FLAGS(32);
  ierr = 0;
  len = 0;
  if (node >= 1 && node <= nt) {
    number = gar_thermalnodenums(node);
  } else if (node > nt && node <= nt + nf) {
    number = gar_fluidnodenums(node - nt);
  } else {
    ierr = 10;
    SETERX(plat::Text<100>("LNDREF: Fatal internal routine error@Invalid internal node number - contact Central "
                           "Support")
               .view(),
           4, 10, "LNDREF");
    return;
  }
  plat::Text<256> buffer;
  LSUBMD("ALL", NDSSMD(node), len, buffer, ierr);
  path = buffer.view().substr(0, static_cast<std::size_t>(std::clamp(len, 0, 256)));
}

void LSMINT(plat::Vec1<const int> directory, int slots, int nm, int report, int current, CTextVec1 names,
            std::string_view text, int end, int& pos, int& model, int& ierr) {
  ierr = 0;
  end = std::min(end, static_cast<int>(text.size()));
  const int start = pos;
  std::vector<plat::Text<24>> path;
  LoopGuard guard("LSMINT");
  while (pos >= 1 && pos <= end) {
    guard.pass();
    if (text[static_cast<std::size_t>(pos - 1)] == '(') break;
    const std::size_t colon =
        text.substr(0, static_cast<std::size_t>(end)).find(':', static_cast<std::size_t>(pos - 1));
    if (colon == std::string_view::npos) break;
    const int k = static_cast<int>(colon) + 1 - pos + 1;
    if (k < 2 || k > 25) {
      ierr = 1;
      if (report != 0) {
        std::string msg = "Mistake in ZENT/ZLABEL, syntax error at \":\"@";
        msg.append(text.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(k)));
        SETERX(msg, 3, 1, "LSMINT");
      }
      break;
    }
    path.emplace_back(text.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(k - 1)));
    pos += k;
  }
  if (path.empty() || ierr != 0) return;
  int found_count = 0, status = 0;
  int found[1] = {0};
  SNMINC(directory, slots, nm, names,
         plat::Vec1<plat::Text<24>>(path.data(), static_cast<std::int64_t>(path.size())),
         static_cast<int>(path.size()), current, found_count, plat::Vec1<int>(found, 1), status);
  if (status == 0 && found_count == 1 && found[0] >= 1) {
    model = found[0];
    return;
  }
  ierr = 2;
  if (report != 0) {
    std::string msg = "Mistake in ZENT/ZLABEL, invalid or ambiguous submodel@";
    msg.append(
        text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(std::max(0, pos - 1 - start))));
    SETERX(msg, 3, 2, "LSMINT");
  }
}

int NDSSMD(int node) {
  const int nt = FLAGS(1), nf = FLAGS(32), nm = FLAGS(26);
  if (!g_node_models_built) {
    g_node_models.assign(static_cast<std::size_t>(nt + nf > 0 ? nt + nf : 0), 0);
    for (int m = 1; m <= nm; ++m) {
      for (int i = md_thermalnodebase(m) + 1; i <= md_thermalnodebase(m + 1); ++i)
        if (i >= 1 && i <= nt) g_node_models[i - 1] = m;
      for (int i = md_fluidnodebase(m) + 1; i <= md_fluidnodebase(m + 1); ++i)
        if (i >= 1 && i <= nf) g_node_models[nt + i - 1] = m;
    }
    g_node_models_built = true;
  }
  if (node < 1 || node > static_cast<int>(g_node_models.size())) return 0;
  return g_node_models[node - 1];
}

void ndssmd_reset_for_tests() {
  g_node_models.clear();
  g_node_models_built = false;
  g_thermal_by_number.clear();
  g_fluid_by_number.clear();
  g_number_index_built = false;
}

void MESBLD(int node, plat::TextRef message) {
  if (node == 0) return;
  const int used = STRLNA(message.view());

  const plat::Text<24> name_field(SUBMDN(node, "SUBMODEL"));
  const std::string_view name = name_field.trimmed();
  plat::Text<256> path_field(SUBMDN(node, "ALL"));
  if (path_field.len_trim() == path_field.size()) {
    path_field.at1(254) = '.';
    path_field.at1(255) = '.';
    path_field.at1(256) = '.';
  }
  const std::string_view path = path_field.trimmed();

  std::string text = "Node ";
  text.append(std::to_string(NODNUM(node)));
  if (name.size() == path.size()) {
    text.append(" in main model");
  } else {
    text.append(" in model ").append(name).append(" (").append(path).append(")");
  }

  const std::size_t from = static_cast<std::size_t>(used) + 1;  // one blank after the last non-blank
  if (from < message.size()) message.sub(from + 1, message.size()) = std::string_view(text);
}

TNA_PROCESS_STATE("modeldata/submodel_refs", ndssmd_reset_for_tests)

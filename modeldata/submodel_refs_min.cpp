#include <vector>

#include "executive/diagnostics.h"
#include "executive/text_utils.h"
#include "modeldata/global_arrays.h"
#include "modeldata/global_records.h"
#include "modeldata/submodel_refs.h"

namespace {
std::vector<std::int32_t> g_node_models;  // NDSSMD's node-to-model map
bool g_node_models_built = false;
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
    SETERX(plat::Text<256>("Error in Master model directory@Internal directory error, contact NORVEK support")
               .view(),
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
    SETERX(plat::Text<256>("Error in Master model directory@Internal directory error, contact NORVEK support")
               .view(),
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
}

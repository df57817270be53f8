// Entity-list parser of result requests and the TMD request module.
#include "output/tmd_selection.h"
#include "platform/process_state.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/entity_codes.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"

namespace TmvThermalModelVariables {
std::int32_t submodelreference = 0;
std::int32_t conductortypeflags[tmd_numcondkinds] = {};
plat::Text<100> description;
std::int32_t fileindex = 0;
plat::Text<6> mainroutine;
plat::Text<17> thejobdate;
plat::Text<24> thejobname;
plat::Text<8> thejobtime;
std::int32_t numberofm_gps = 0, numberofgfs = 0, numberofgls = 0, numberofgrs = 0, numberofgvs = 0;
std::int32_t numberofsubmodels = 0;
std::int32_t numberoffluidnodes = 0, numberofthermalnodes = 0;
plat::Array1<std::int32_t> nodeattributeflags;
plat::Array2<plat::Text<32>> userattributenames;
double currenttime = 0.0;
std::int32_t numuserstringattributes = 0, numuserintegerattributes = 0, numuserrealattributes = 0;
std::int32_t wantconductorsflag = 0, wantconstantsflag = 0, wantnodesflag = 0;
plat::Text<255> nodegroupspec;
plat::Array1<std::int32_t> selectednodes;
std::int32_t numselectednodes = 0;
std::int32_t tmv_selectedsubmodelfirstid = 0, tmv_selectedsubmodellastid = 0;
std::int32_t tmv_numselecteduserconstantsreal = 0, tmv_numselecteduserconstantsint = 0,
             tmv_numselecteduserconstantschar = 0;
}  // namespace TmvThermalModelVariables

namespace {

constexpr std::string_view kParseRoutine = "ParseGffEntityList";
constexpr std::size_t kMessageField = 300;
constexpr std::string_view kCondKinds[tmd_numcondkinds] = {"GL", "GR", "GF", "GV", "M", "GP"};

bool is_space(char c) { return c == ' ' || c == '\t'; }

std::string_view ltrim(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && is_space(s[i])) ++i;
  return s.substr(i);
}

// Compares the first `n` characters of `s` with `name`, trailing blanks ignored.
bool head_eq(std::string_view s, std::size_t n, std::string_view name) {
  return plat::text_eq(s.substr(0, std::min(n, s.size())), name);
}

// Messages quote the whole entity list; when that does not fit the message
// field the list is quoted without its trailing blanks, and what still does
// not fit is cut.
std::string fit(std::string full, std::string_view str, const std::string& head, const std::string& tail) {
  if (full.size() > kMessageField) full = head + std::string(plat::trimmed(str)) + tail;
  if (full.size() > kMessageField) full.resize(kMessageField);
  return full;
}

void report(int code, std::string_view str, std::string_view caller, std::string_view what, std::size_t column) {
  std::string head, tail;
  const std::string called = "@" + std::string(caller) + " called";
  switch (code) {
    case 1:
      head = "Comma missing after close-bracket@Parsing GFF entity string@'";
      tail = "'<NL>" + std::string(column, ' ') + "^" + called;
      break;
    case 2:
      head = "Close-bracket missing@Parsing GFF entity string@'";
      tail = "'<NL>" + std::string(column, ' ') + "^" + called;
      break;
    case 3:
      head = "Entity name invalid@Parsing GFF entity string@'" + std::string(what) + "' found in<NL>'";
      tail = "'" + called;
      break;
    case 4:
      head = "Invalid conductor type@Parsing GFF entity string@'" + std::string(what) + "' found in<NL>'";
      tail = "'" + called;
      break;
    default: {
      const std::string msg =
          "Invalid block name@Parsing GFF entity string@Found \"" + std::string(what) + "\"" + called;
      SETERX(msg.substr(0, kMessageField), 3, code, kParseRoutine);
      return;
    }
  }
  SETERX(fit(head + std::string(str) + tail, str, head, tail), 3, code, kParseRoutine);
}

void set_all(plat::Vec1<int> flags, int value) {
  for (std::int64_t i = 1; i <= flags.size(); ++i) flags(i) = value;
}

// The items of a bracketed list, split at commas, each left-trimmed.
template <class F>
void for_each_item(std::string_view list, F&& f) {
  std::size_t pos = 0;
  while (pos < list.size()) {
    const std::size_t comma = list.find(',', pos);
    const std::size_t end = comma == std::string_view::npos ? list.size() : comma;
    f(ltrim(list.substr(pos, end - pos)));
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
}

}  // namespace

void GFFPARSEENTITYLIST(std::string_view str, std::string_view caller, plat::Vec1<const plat::Text<18>> uenames,
                        int nrows, int nkinds, int nchar, int nint, int nreal, int& wantn, int& wantc, int& wantk,
                        plat::Vec1<int> nodeflags, plat::Vec1<int> condflags) {
  wantn = wantc = wantk = 0;
  const int nnodal = gfl_getnumnodalentities();
  if (plat::is_blank(str)) {
    wantn = wantc = wantk = 1;
    set_all(nodeflags, 1);
    set_all(condflags, 1);
    return;
  }
  // User entity name of kind k (1 real, 2 integer, 3 character), row p.
  auto uename = [&](int p, int k) -> std::string_view {
    const std::int64_t i = static_cast<std::int64_t>(k - 1) * nrows + p;
    if (p < 1 || p > nrows || k > nkinds || i > uenames.size()) return {};
    return uenames(i).view();
  };
  auto set_flag = [&](std::int64_t i) {
    if (i >= 1 && i <= nodeflags.size()) nodeflags(i) = 1;
  };

  const std::size_t len = str.size();
  std::size_t u = 1;  // one-based scan position
  while (u <= len) {
    const std::size_t delim = str.find_first_of(",(", u - 1);
    const std::size_t p = delim == std::string_view::npos ? len + 1 : delim + 1;  // one-based
    const std::string_view name = ltrim(str.substr(u - 1, p - u));
    const bool nodes = head_eq(name, 20, "NODES");
    const bool conductors = head_eq(name, 20, "CONDUCTORS");
    const bool constants = head_eq(name, 20, "CONSTANTS");
    if (p > len || str[p - 1] == ',') {
      if (nodes) {
        wantn = 1;
        set_all(nodeflags, 1);
      } else if (conductors) {
        wantc = 1;
        set_all(condflags, 1);
      } else if (constants) {
        wantk = 1;
      } else {
        report(5, str, caller, plat::trimmed(name), 0);
      }
      u = p + 1;
      continue;
    }

    // Bracketed block: "(" at p.
    std::string_view list;
    const std::size_t close = str.find(')', p);
    bool last = false;
    if (close == std::string_view::npos) {
      report(2, str, caller, {}, p);
      list = str.substr(p);
      last = true;
    } else {
      list = str.substr(p, close - p);
      const std::size_t comma = str.find(',', close + 1);
      const std::size_t stop = comma == std::string_view::npos ? len : comma;
      if (!plat::is_blank(str.substr(close + 1, stop - close - 1))) report(1, str, caller, {}, close + 2);
      if (comma == std::string_view::npos) last = true;
      u = stop + 2;
    }
    list = list.substr(0, std::min<std::size_t>(list.size(), 100));

    if (nodes) {
      wantn = 1;
      set_all(nodeflags, 0);
      for_each_item(list, [&](std::string_view item) {
        const std::string_view key = item.substr(0, std::min<std::size_t>(item.size(), 10));
        for (int code = 1; code <= nnodal; ++code) {
          if (plat::text_eq(key, ENTNAM(code).view())) {
            set_flag(code);
            return;
          }
        }
        bool found = false;
        for (int i = 1; i <= nreal; ++i)
          if (plat::text_eq(key, uename(i, 1))) set_flag(nnodal + i), found = true;
        for (int i = 1; i <= nint; ++i)
          if (plat::text_eq(key, uename(i, 2))) set_flag(nnodal + nreal + i), found = true;
        for (int i = 1; i <= nchar; ++i)
          if (plat::text_eq(key, uename(i, 3))) set_flag(nnodal + nreal + nint + i), found = true;
        if (!found) report(3, str, caller, plat::trimmed(item), 0);
      });
    } else if (conductors) {
      wantc = 1;
      set_all(condflags, 0);
      for_each_item(list, [&](std::string_view item) {
        const std::string_view key = item.substr(0, std::min<std::size_t>(item.size(), 10));
        for (int k = 0; k < tmd_numcondkinds; ++k) {
          if (plat::text_eq(key, kCondKinds[k])) {
            if (k + 1 <= condflags.size()) condflags(k + 1) = 1;
            return;
          }
        }
        report(4, str, caller, plat::trimmed(item), 0);
      });
    } else if (constants) {
      wantk = 1;
    } else {
      report(5, str, caller, plat::trimmed(name), 0);
    }
    if (last) break;
  }
}

void tmvvariablesupdate(int subref, plat::Vec1<const int> condflags, std::string_view description, int fileindex,
                        std::string_view mainroutine, std::string_view jobdate, std::string_view jobname,
                        std::string_view jobtime, int nm_gps, int ngfs, int ngls, int ngrs, int ngvs, int nsubmodels,
                        int nf, int nt, plat::Vec1<const int> nodeflags, plat::Vec1<const plat::Text<18>> uenames,
                        int nrows, int nkinds, double currenttime, int nchar, int nint, int nreal, int wantc,
                        int wantk, int wantn, std::string_view zlabel) {
  namespace tmv = TmvThermalModelVariables;
  tmv::submodelreference = subref;
  for (int k = 0; k < tmd_numcondkinds; ++k)
    tmv::conductortypeflags[k] = k + 1 <= condflags.size() ? condflags(k + 1) : 0;
  tmv::description = description;
  tmv::fileindex = fileindex;
  tmv::mainroutine = mainroutine;
  tmv::thejobdate = jobdate;
  tmv::thejobname = jobname;
  tmv::thejobtime = jobtime;
  tmv::numberofm_gps = nm_gps;
  tmv::numberofgfs = ngfs;
  tmv::numberofgls = ngls;
  tmv::numberofgrs = ngrs;
  tmv::numberofgvs = ngvs;
  tmv::numberofsubmodels = nsubmodels;
  tmv::numberoffluidnodes = nf;
  tmv::numberofthermalnodes = nt;
  tmv::currenttime = currenttime;
  tmv::numuserstringattributes = nchar;
  tmv::numuserintegerattributes = nint;
  tmv::numuserrealattributes = nreal;
  tmv::wantconductorsflag = wantc;
  tmv::wantconstantsflag = wantk;
  tmv::wantnodesflag = wantn;
  tmv::nodegroupspec = zlabel;

  const int nflags = gfl_getnumnodalentities() + std::max(nreal, 0) + std::max(nint, 0) + std::max(nchar, 0);
  tmv::nodeattributeflags.allocate(nflags, 0);
  for (int i = 1; i <= nflags && i <= nodeflags.size(); ++i) tmv::nodeattributeflags(i) = nodeflags(i);

  tmv::userattributenames.allocate(std::max(nrows, 0), std::max(nkinds, 0));
  for (int k = 1; k <= nkinds; ++k) {
    for (int p = 1; p <= nrows; ++p) {
      const std::int64_t i = static_cast<std::int64_t>(k - 1) * nrows + p;
      if (i <= uenames.size()) tmv::userattributenames(p, k) = uenames(i).view();
    }
  }

  const int nnodes = std::max(nt, 0) + std::max(nf, 0);
  tmv::selectednodes.allocate(std::max(nnodes, 1), 0);
  if (wantn != 0 || wantc != 0) {
    int ierr = 0;
    int count = 0;
    LSCHND(subref, nnodes, "BOTH", 1, tmv::mainroutine.view(), subref, tmv::nodegroupspec.view(), ierr,
           tmv::selectednodes.view(), count);
    tmv::numselectednodes = count;
  }

  if (wantk != 0) {
    // A reference outside the model tree selects no user constants (the node
    // selection reports such a reference when it is made).
    const int first = std::abs(subref);
    tmv::tmv_selectedsubmodelfirstid = first;
    tmv::tmv_selectedsubmodellastid = first;
    tmv::tmv_numselecteduserconstantsreal = 0;
    tmv::tmv_numselecteduserconstantsint = 0;
    tmv::tmv_numselecteduserconstantschar = 0;
    if (first >= 1 && first <= nsubmodels && first < gar_modeldirectory.cols()) {
      int last = subref >= 0 ? first + md_subtreesize(first) - 1 : first;
      last = std::clamp(last, first, static_cast<int>(gar_modeldirectory.cols()) - 1);
      tmv::tmv_selectedsubmodellastid = last;
      tmv::tmv_numselecteduserconstantsreal = md_realuserconstbase(last + 1) - md_realuserconstbase(first);
      tmv::tmv_numselecteduserconstantsint = md_intuserconstbase(last + 1) - md_intuserconstbase(first);
      tmv::tmv_numselecteduserconstantschar = md_charuserconstbase(last + 1) - md_charuserconstbase(first);
    }
  }
}

namespace {
void reset_tmd_selection() {
  namespace T = TmvThermalModelVariables;
  T::submodelreference = 0;
  std::fill(std::begin(T::conductortypeflags), std::end(T::conductortypeflags), 0);
  T::description = plat::Text<100>{};
  T::fileindex = 0;
  T::mainroutine = plat::Text<6>{};
  T::thejobdate = plat::Text<17>{};
  T::thejobname = plat::Text<24>{};
  T::thejobtime = plat::Text<8>{};
  T::numberofm_gps = T::numberofgfs = T::numberofgls = T::numberofgrs = T::numberofgvs = 0;
  T::numberofsubmodels = 0;
  T::numberoffluidnodes = T::numberofthermalnodes = 0;
  T::nodeattributeflags = plat::Array1<std::int32_t>{};
  T::userattributenames = plat::Array2<plat::Text<32>>{};
  T::currenttime = 0.0;
  T::numuserstringattributes = T::numuserintegerattributes = T::numuserrealattributes = 0;
  T::wantconductorsflag = T::wantconstantsflag = T::wantnodesflag = 0;
  T::nodegroupspec = plat::Text<255>{};
  T::selectednodes = plat::Array1<std::int32_t>{};
  T::numselectednodes = 0;
  T::tmv_selectedsubmodelfirstid = T::tmv_selectedsubmodellastid = 0;
  T::tmv_numselecteduserconstantsreal = T::tmv_numselecteduserconstantsint = T::tmv_numselecteduserconstantschar = 0;
}
}  // namespace
TNA_PROCESS_STATE("output/tmd_selection", reset_tmd_selection)

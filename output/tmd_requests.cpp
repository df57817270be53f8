// TMD output requests of the user blocks (DMPTMD) and of the parameter cases.
#include "output/tmd_requests.h"
#include "platform/process_state.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "modeldata/submodel_refs.h"
#include "output/tmd_file.h"
#include "output/tmd_selection.h"

namespace {

constexpr int kMaxBaseNames = 99;
constexpr int kParameterSlot = 100;
constexpr double kNoTime = -1.0e20;
constexpr std::size_t kMessageField = 3000;

// Base-name table of DMPTMD: slot k of the table is TMD file slot k.
int numbasenames = 0;
std::array<plat::Text<255>, kMaxBaseNames + 1> basenames;  // [0] unused
std::array<double, kMaxBaseNames + 1> lasttimes;
std::array<int, kMaxBaseNames + 1> suffixes;

// State of the parameter-case file.
int parnumold = -1;
double lasttime = kNoTime;
plat::Text<255> filename;
int suffix = 0;

struct TableInit {
  TableInit() {
    lasttimes.fill(kNoTime);
    suffixes.fill(-999);
  }
} table_init;

std::string cut(std::string s) {
  if (s.size() > kMessageField) s.resize(kMessageField);
  return s;
}

std::string numbered(std::string_view base, int n) {
  std::string name = std::string(plat::trimmed(base)) + ".TMD";
  if (n > 1) name += std::to_string(n);
  return name;
}

}  // namespace

void DMPTMD(std::string_view zlabel, std::string_view zents, int modref, std::string_view basename) {
  const int nrows = SPRSIZ(1), nkinds = SPRSIZ(2);
  const std::int64_t nnames = std::min<std::int64_t>(
      static_cast<std::int64_t>(std::max(nrows, 0)) * std::max(nkinds, 0), SprnodRecord::capacity);
  DMPTMDREAL(zlabel, zents, modref, basename, JOBINF.date.view(), JOBINF.jobname.view(), JOBINF.time.view(),
             FLAGS(33), FLAGS(2), FLAGS(3), FLAGS(4), FLAGS(5), FLAGS(26), FLAGS(32), FLAGS(1),
             plat::Vec1<const plat::Text<18>>(SPRNOD.t, nnames), nrows, nkinds, "DMPTMD", GLOR.TIMEN, SPRSIZ(3),
             SPRSIZ(4), SPRSIZ(5));
}

void DMPTMDREAL(std::string_view zlabel, std::string_view zents, int modref, std::string_view basename,
                std::string_view jobdate, std::string_view jobname, std::string_view jobtime, int nlinks, int ngl,
                int ngf, int ngr, int ngv, int nmodels, int nf, int nt, plat::Vec1<const plat::Text<18>> uenames,
                int nrows, int nkinds, std::string_view routine, double timen, int nchar, int nint, int nreal) {
  constexpr std::string_view kRoutine = "DmptmdReal";
  std::vector<int> nodeflags(
      static_cast<std::size_t>(41 + std::max(nreal, 0) + std::max(nint, 0) + std::max(nchar, 0)), 0);
  int condflags[6] = {};
  int wantn = 0, wantc = 0, wantk = 0;
  GFFPARSEENTITYLIST(zents, routine, uenames, nrows, nkinds, nchar, nint, nreal, wantn, wantc, wantk,
                     plat::Vec1<int>(nodeflags.data(), static_cast<std::int64_t>(nodeflags.size())),
                     plat::Vec1<int>(condflags, 6));

  plat::Text<255> base;
  if (!plat::is_blank(basename)) {
    base = basename;
  } else {
    base = SUBMOD("SUBMODEL");
  }
  const std::string context = "@" + std::string(routine) + " called in " + SUBMOD("ALL");

  int k = 0;
  for (int i = 1; i <= numbasenames; ++i) {
    if (basenames[static_cast<std::size_t>(i)].view() == base.view()) {
      k = i;
      break;
    }
  }
  bool newfile = false;
  const bool registered = k != 0;
  if (registered) {
    newfile = timen <= lasttimes[static_cast<std::size_t>(k)];
  } else {
    if (numbasenames >= kMaxBaseNames) {
      SETERX(cut("Too many file basenames@Preparing to write TMD file@Maximum number of TMD file basenames is " +
                 std::to_string(kMaxBaseNames) + ".<NL>Request denied: " + std::string(base.trimmed()) + context),
             3, 2, kRoutine);
      return;
    }
    k = ++numbasenames;
    basenames[static_cast<std::size_t>(k)] = base;
    suffixes[static_cast<std::size_t>(k)] = 1;
    newfile = true;
  }

  std::string name = numbered(base.view(), 1);
  const std::string tail = "@Writing TMD output@HDF error." + context;
  plat::Text<100> description;
  auto update = [&] {
    tmvvariablesupdate(modref, plat::Vec1<const int>(condflags, 6), description.view(), k, routine, jobdate, jobname,
                       jobtime, nlinks, ngf, ngl, ngr, ngv, nmodels, nf, nt,
                       plat::Vec1<const int>(nodeflags.data(), static_cast<std::int64_t>(nodeflags.size())), uenames,
                       nrows, nkinds, timen, nchar, nint, nreal, wantc, wantk, wantn, zlabel);
  };
  int& sfx = suffixes[static_cast<std::size_t>(k)];
  if (newfile) {
    int hdferr = 0;
    if (registered) {
      tmdclosefile(k, hdferr);
      if (hdferr != 0) SETERX(cut("Failed to close file " + numbered(base.view(), sfx) + tail), 4, 3, kRoutine);
      ++sfx;
      name = numbered(base.view(), sfx);
    }
    description = "Solution number " + std::to_string(sfx);
    tmdcreatefile(name, k, hdferr);
    if (hdferr != 0) SETERX(cut("Failed to open file " + name + tail), 4, 4, kRoutine);
    update();
    tmdcreatedatasets(hdferr);
    if (hdferr != 0) SETERX(cut("Failed to create datasets in " + name + tail), 4, 5, kRoutine);
  } else {
    name = numbered(base.view(), sfx);
  }
  update();
  int hdferr = 0;
  tmdwritedata(hdferr);
  if (hdferr != 0) {
    SETERX(cut("Error writing data to " + name + tail), 4, 6, kRoutine);
    return;
  }
  lasttimes[static_cast<std::size_t>(k)] = timen;
}

void PARTMD(std::string_view entlist, std::string_view stem, int caseno) {
  const int nrows = SPRSIZ(1), nkinds = SPRSIZ(2);
  const std::int64_t nnames = std::min<std::int64_t>(
      static_cast<std::int64_t>(std::max(nrows, 0)) * std::max(nkinds, 0), SprnodRecord::capacity);
  PARTMDBASE(entlist, stem, caseno, GLOC.PARNAM.view(), GLOR.TIMEN, JOBINF.date.view(), JOBINF.jobname.view(),
             JOBINF.time.view(), "ParTmd", FLAGS(33), FLAGS(2), FLAGS(3), FLAGS(4), FLAGS(5), FLAGS(26), FLAGS(32),
             FLAGS(1), plat::Vec1<const plat::Text<18>>(SPRNOD.t, nnames), nrows, nkinds, SPRSIZ(3), SPRSIZ(4),
             SPRSIZ(5));
}

void PARTMDBASE(std::string_view entlist, std::string_view stem, int caseno, std::string_view parnam, double timen,
                std::string_view jobdate, std::string_view jobname, std::string_view jobtime,
                std::string_view routine, int nlinks, int ngl, int ngf, int ngr, int ngv, int nmodels, int nf,
                int nt, plat::Vec1<const plat::Text<18>> uenames, int nrows, int nkinds, int nchar, int nint,
                int nreal) {
  constexpr std::string_view kRoutine = "ParTmdBase";
  std::vector<int> nodeflags(
      static_cast<std::size_t>(41 + std::max(nreal, 0) + std::max(nint, 0) + std::max(nchar, 0)), 0);
  int condflags[6] = {};
  int wantn = 0, wantc = 0, wantk = 0;
  GFFPARSEENTITYLIST(entlist, routine, uenames, nrows, nkinds, nchar, nint, nreal, wantn, wantc, wantk,
                     plat::Vec1<int>(nodeflags.data(), static_cast<std::int64_t>(nodeflags.size())),
                     plat::Vec1<int>(condflags, 6));

  const plat::Text<24> name24(parnam);
  auto fail = [&](int code, std::string_view operation, int hdferr) {
    SETERX(cut(std::string(operation) + std::string(filename.trimmed()) +
               "@Writing thermal model data (TMD) for parameter case@HDF error " + ITOC(hdferr) +
               "@Running parameter case " + std::to_string(caseno) + ": " + name24.str()),
           4, code, kRoutine);
  };

  const bool newfile = caseno > parnumold || (caseno == parnumold && timen <= lasttime);
  plat::Text<100> description;
  auto update = [&] {
    tmvvariablesupdate(1, plat::Vec1<const int>(condflags, 6), description.view(), kParameterSlot, routine, jobdate,
                       jobname, jobtime, nlinks, ngf, ngl, ngr, ngv, nmodels, nf, nt,
                       plat::Vec1<const int>(nodeflags.data(), static_cast<std::int64_t>(nodeflags.size())), uenames,
                       nrows, nkinds, timen, nchar, nint, nreal, wantc, wantk, wantn, " ");
  };
  if (newfile) {
    int hdferr = 0;
    if (parnumold != -1) {
      tmdclosefile(kParameterSlot, hdferr);
      if (hdferr != 0) fail(1, "Failed to close file ", hdferr);
    }
    suffix = caseno > parnumold ? 1 : suffix + 1;
    filename = numbered(stem, suffix);
    description = "Parameter case " + std::to_string(caseno) + " " + name24.str();
    tmdcreatefile(filename.view(), kParameterSlot, hdferr);
    if (hdferr != 0) fail(2, "Failed to open file ", hdferr);
    update();
    tmdcreatedatasets(hdferr);
    if (hdferr != 0) fail(3, "Failed writing to file ", hdferr);
  }
  update();
  int hdferr = 0;
  tmdwritedata(hdferr);
  if (hdferr != 0) {
    fail(4, "Failed writing to file ", hdferr);
    return;
  }
  lasttime = timen;
  parnumold = caseno;
}

void tmd_requests_reset_for_tests() {
  tmd_file_reset_for_tests();
  numbasenames = 0;
  basenames.fill(plat::Text<255>());
  lasttimes.fill(kNoTime);
  suffixes.fill(-999);
  parnumold = -1;
  lasttime = kNoTime;
  filename = "";
  suffix = 0;
}

TNA_PROCESS_STATE("output/tmd_requests", tmd_requests_reset_for_tests)

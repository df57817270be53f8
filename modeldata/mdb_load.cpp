// Loading of the model database file: SCOMLD, LOADB, LOADC, LOADD and the
// fill and copy helpers they use.
#include "modeldata/mdb_load.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "modeldata/acda_arrays_load.h"
#include "modeldata/connection_lists.h"
#include "modeldata/entity_loaders.h"
#include "modeldata/global_arrays.h"
#include "modeldata/intermodel_links.h"
#include "modeldata/load_work.h"
#include "modeldata/mdb_readers.h"
#include "modeldata/node_index.h"
#include "platform/units.h"

namespace {

int flag(int word) { return FLAGS(word); }
int dystor() { return static_cast<int>(gar_dynamiccoreint.size()); }
int& hw(int word) { return gar_dynamiccoreint(word); }

// The first record: stored model name, model count and version.
struct FirstRecord {
  std::string name;  // 24 characters
  int models = 0;
  int version = 0;
};
constexpr std::size_t kFirstRecordBytes = 73;

// The buffer of the whole records the load reads itself (the first record,
// the model tree), kept between loads with its capacity.
std::vector<unsigned char>& record_buffer() {
  static std::vector<unsigned char> buf;
  return buf;
}

// Reads the first record; the I/O status (a record shorter than 73 bytes
// fails like any other read).
int read_first_record(int unit, FirstRecord& r) {
  std::vector<unsigned char>& rec = record_buffer();
  int st = plat::io::read_record(unit, rec);
  if (st != 0) return st;
  if (rec.size() < kFirstRecordBytes) return plat::io::kPastRecord;
  r.name.assign(reinterpret_cast<const char*>(rec.data()), 24);
  std::memcpy(&r.models, rec.data() + 28, 4);
  std::memcpy(&r.version, rec.data() + 69, 4);
  return 0;
}

constexpr std::string_view kReadError = "Fortran read error - unable to read from MDB file";

// An integer right-aligned in `width` columns, asterisks when it does not fit.
std::string field(long long v, int width) { return filesvc::int_field(v, width); }

// Header of the integer dynamic core while the load runs (link areas,
// same-node list, mass-flow link area). Only the header is set: every other
// word the load reads it has written before (lists read into the areas, the
// link chain heads cleared by SLKPTS), so the rest of the core, which may be
// large, is left as it is.
void set_core_header() {
  using namespace ldh;
  if (dystor() < kHeaderWords) {
    std::fill(gar_dynamiccoreint.begin(), gar_dynamiccoreint.end(), 0);
    return;
  }
  std::fill(gar_dynamiccoreint.begin(), gar_dynamiccoreint.begin() + kHeaderWords, 0);
  const std::int64_t nt = flag(1), nf = flag(32), nl = flag(33);
  const std::int64_t ngl = flag(2), ngf = flag(3), ngr = flag(4), w25 = flag(25);
  const std::int64_t w8 = std::int64_t{dystor()} - 6 * (nt + nf) - 2 * w25 + 1;
  const std::int64_t w11 = w8 - 3 * nt - ngl - ngr - ngf - 6;
  const std::int64_t w9 = w11 - 5 * nl;
  const std::int64_t w7 = w9 - std::max<std::int64_t>(205, flag(17));
  auto clamp = [](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); };
  hw(kGlStart) = 12;
  hw(kGlUsed) = 0;
  hw(kGrStart) = clamp((w7 - 12) / 3 + 12);
  hw(kGrUsed) = 0;
  hw(kGfStart) = clamp(w7);
  hw(kGfUsed) = 0;
  hw(kAreaLimit) = clamp(w7);
  hw(kSameNode) = clamp(w8);
  hw(kMfStart) = clamp(w9);
  hw(kMfWaiting) = 0;
  hw(kMfLimit) = clamp(w11);
}

// One submodel section: list directory, the three groups, the per-model
// connection-list builders and the closing marker.
void LOADC(LoadSection& s, int& status) {
  status = 0;
  s.begin_section(s.m);
  int count = 0;
  SCOMII(0, kDirectoryWords, s.m, s.unit, plat::Vec1<int>(s.directory.data(), kDirectoryWords), count, status);
  if (status != 0) {
    status = 1;
    s.set_context("MODEL DIRECTORY", 24);
    return;
  }
  LOADC1(s, status);
  if (status != 0) return;
  LOADC2(s, status);
  if (status != 0) return;
  LOADC3(s, status);
  if (status != 0) return;

  const plat::Vec1<const int> touch(s.fluid_touch.data(), 3);
  int th_present = 0, th_len = 0, fl_present = 0, fl_len = 0;
  SPCSA(s.directory_view(), 2, s.m, s.pairs_gl, s.pairs_gr, s.pairs_gf, touch, s.pcs_used, th_present, th_len,
        status);
  if (status != 0) {
    s.set_context("Failed to create PCS", 24);
    return;
  }
  SFPCSA(s.directory_view(), 2, s.m, s.pairs_gl, s.pairs_gr, s.pairs_gf, touch, s.fpcs_used, fl_present, fl_len,
         status);
  if (status != 0) {
    s.set_context("Failed to create FPCS", 24);
    return;
  }
  LOADUP(s.m, gar_modeldirectory.view(), s.mf_link_words, gar_dynamiccoreint.view(), status);
  if (status != 0) {
    s.set_context("Failed updating F nodes", 24);
    return;
  }
  SIMPCS(th_present, th_len, fl_present, fl_len, s.m, gar_modeldirectory.view(),
         static_cast<int>(gar_pcsthermalold.size()), static_cast<int>(gar_pcsfluid.size()), s.pcs_used, s.fpcs_used,
         gar_dynamiccoreint.view(), status);
  if (status != 0) {
    s.set_context("UPDATE PCS", 24);
    return;
  }
  int found = 0, st = 0;
  DBQRMK(s.unit, found, st);
  if (found != 1) {
    s.set_context("MARKER BLOCK", 24);
    status = st != 0 ? st : 5;
  }
}

}  // namespace

void SETZZZ(std::string_view value, int n, TextVec1 a, int& status) {
  status = 0;
  if (n < 1) {
    status = 1;
    return;
  }
  const std::int64_t k = std::min<std::int64_t>(n, a.size());
  for (std::int64_t i = 1; i <= k; ++i) a(i) = value;
}

void SZCOPY(CTextVec1 source, int n, int& status, TextVec1 target) {
  status = 0;
  if (n < 1) {
    status = 1;
    return;
  }
  LoopGuard guard("SZCOPY");
  const std::int64_t k = std::min<std::int64_t>({std::int64_t{n}, source.size(), target.size()});
  for (std::int64_t i = 1; i <= k; ++i) {
    guard.pass();
    target(i) = source.view(i);
  }
}

void SPRZER() {
  const std::int64_t nt = flag(1), nf = flag(32);
  const std::int64_t sr = SPRSIZ(5), si = SPRSIZ(4), sc = SPRSIZ(3);
  int st = 0;
  auto zero_reals = [&](plat::Array2<double>& a, std::int64_t n) {
    n = std::min(n, a.size());
    if (n > 0) SZEROD(static_cast<int>(n), a.flat(), st);
  };
  auto zero_ints = [&](plat::Array2<std::int32_t>& a, std::int64_t n) {
    n = std::min(n, a.size());
    if (n > 0) SZEROI(static_cast<int>(n), a.flat(), st);
  };
  auto blank = [&](plat::Array2<plat::Text<24>>& a, std::int64_t n) {
    n = std::min(n, a.size());
    if (n > 0) SZEROZ(static_cast<int>(n), a.flat(), st);
  };
  zero_reals(gar_thermalnodeuserentityvalsreal, sr * nt);
  zero_reals(gar_fluidnodeuserentityvalsreal, sr * nf);
  zero_ints(gar_thermalnodeuserentityvalsint, si * nt);
  zero_ints(gar_fluidnodeuserentityvalsint, si * nf);
  blank(gar_thermalnodeuserentityvalschar, sc * nt);
  blank(gar_fluidnodeuserentityvalschar, sc * nf);
}

void LOADD(plat::Vec1<const int> skip_table, int dim1, int ncols, int unit, int& status) {
  status = 0;
  LoopGuard guard("LOADD ");
  std::int64_t records = 0;
  for (int j = 1; j <= ncols; ++j) {
    guard.pass();
    const std::int64_t w = std::int64_t{j - 1} * dim1 + 3;
    if (dim1 < 3 || w > skip_table.size()) break;
    const std::int64_t v = skip_table(w);
    if (v != 0) records += (v + 24) / 25 * 2 + 1;
  }
  // More records than any file holds simply run into its end.
  int st = 0;
  DBQRSK(static_cast<int>(std::clamp<std::int64_t>(records, 0, INT32_MAX)), unit, st);
  int found = 0;
  DBQRMK(unit, found, st);
  if (found != 1) status = 5;
}

void LOADB(plat::TextRef model_name, int md_dim1, int unit, int& status) {
  using namespace ldh;
  status = 0;
  const int nm = flag(26), nt = flag(1), nf = flag(32), nl = flag(33);
  LoadWorkScope work;
  NodeIndexScope node_indexes;
  set_core_header();
  LoadSection s;
  s.unit = unit;
  s.context = "";

  FirstRecord first;
  if (read_first_record(unit, first) != 0) SETERX(kReadError, 4, 1, "LOADB ");
  const plat::Text<8> stored8(first.name), compiled8(model_name.view());
  if (std::memcmp(stored8.data(), compiled8.data(), 8) != 0) {
    SETERX("Model name stored in MDB file is incorrect@Generated fortran has model name " +
               std::string(plat::Text<24>(model_name.view()).view()) + ", whereas MDB file model name is " +
               first.name,
           4, 2, "LOADB ");
  } else if (first.models != nm) {
    SETERX("Different number of submodels in MDB file and fortran", 4, 3, "LOADB ");
  } else if (first.version != 20) {
    SETERX(
        "Different Norvek version for MDB file and solution@Repreprocess input file to produce consistent MDB "
        "file",
        4, 4, "LOADB ");
  }
  model_name = std::string_view(first.name);

  int failed_model = 1;
  plat::Text<24> failed_name = model_name.view();
  auto fail_context = [&](std::string_view text) { s.set_context(text, 256); };

  // The model tree, the model and submodel names.
  const int cols = static_cast<int>(std::min<std::int64_t>(nm + 1, gar_modeldirectory.cols()));
  for (int c = 1; c <= cols; ++c) {
    for (int r = 1; r <= std::min<int>(md_dim1, static_cast<int>(gar_modeldirectory.rows())); ++r) {
      gar_modeldirectory(r, c) = 0;
    }
  }
  // The arrays must have been allocated for this model count and a core
  // that holds at least the load-time header.
  const bool header_ok =
      dystor() >= kHeaderWords && nm >= 1 && cols == nm + 1 && gar_modeldirectory.rows() >= md_numslots;
  if (header_ok) {
    // The model tree is read item by item: a short record stops at the
    // first missing item and fails the load.
    std::vector<unsigned char>& rec = record_buffer();
    const int st_read = plat::io::read_record(unit, rec);
    const std::size_t have = st_read == 0 ? rec.size() / 4 : 0;
    for (int m = 1; m <= nm; ++m) {
      const auto i = static_cast<std::size_t>(3 * (m - 1));
      if (i < have) std::memcpy(&md_level(m), rec.data() + 4 * i, 4);
      if (i + 1 < have) std::memcpy(&md_subtreesize(m), rec.data() + 4 * (i + 1), 4);
    }
    if (have < static_cast<std::size_t>(3 * nm)) {
      status = 1;
      fail_context("Master/virtual directory");
    } else {
      int st = 0;
      DBQRZZ(nm, unit, TextVec1(gar_modelnames), st);
      DBQRZZ(nm, unit, TextVec1(gar_submodelnames), st);
      DBQRSK(2, unit, st);
    }
  } else {
    // The generated program's sizes cannot describe this model.
    status = 1;
    fail_context("Master/virtual directory");
  }

  if (status == 0) {
    acda_open(gar_modelnames(1).view(), 24);
    for (int m = 1; m <= nm; ++m) {
      failed_model = m;
      failed_name = gar_modelnames(m).view();
      acda_movenextsubmodel(gar_submodelnames(m).view(), md_level(m), 24);
      s.m = m;
      LOADC(s, status);
      if (status != 0) break;
      if (m == nm) {
        if (hw(kMfWaiting) != 0) status = 5;
      } else {
        LOADD(plat::Vec1<const int>(s.skip_table.data(), 3 * kSkipColumns), 3, kSkipColumns, unit, status);
      }
      if (status != 0) break;
    }
    acda_close();
  }

  if (status == 0) {
    // Inter-model conductors into the finished lists.
    auto dir = gar_modeldirectory.view();
    auto core = gar_dynamiccoreint.view();
    const int lenold = static_cast<int>(gar_pcsthermalold.size());
    const int lenfluid = static_cast<int>(gar_pcsfluid.size());
    if (hw(kGlUsed) != 0 || hw(kGrUsed) != 0 || hw(kGfUsed) != 0) {
      SLKALL(dystor(), dir, nm, nf, nt, gar_thermalnodenums.view(), gar_fluidnodenums.view(),
             CTextVec1(gar_modelnames), core, status);
      if (status == 0) SLKPTS(dystor(), nf, nt, core, status);
      if (nt > 0 && status == 0) {
        SLKCTR(dystor(), lenold, s.pcs_used, nf, nt, core, gar_pcsthermalold.view(), gar_pcsptrsthermalold.view(),
               status);
      }
      if (nf > 0 && status == 0) {
        SFLCTR(dystor(), lenfluid, s.fpcs_used, nf, nt, core, gar_pcsfluid.view(), gar_pcsptrsfluid.view(), status);
      }
      if (status == 11) fail_context("PCS STORAGE ERROR");
    }
    // The node-copy list: its length from the same-node list read with the
    // main model (checked there to lie within what was read).
    const int same = hw(kSameNode);
    FLAGS(25) = gar_dynamiccoreint(same) / 2;
    const int l = flag(25);
    const bool began_ok = status == 0;
    if (status == 0) {
      if (lenold < std::int64_t{s.pcs_used} + l) {
        status = 2;
      } else {
        auto copy_list = gar_pcsthermalold.view().from(lenold - l + 1, l);
        SREDSP(dir, core.from(same, 2 * std::int64_t{l}), l, copy_list, status, gar_thermalnodenums.view());
        if (status == 0 && l > 2) {
          LINCSP(lenfluid, lenold, nt, gar_pcsptrsthermalold.view(), copy_list, l, gar_pcsthermalold.view(), status,
                 gar_pcsptrsfluid.view(), gar_pcsfluid.view());
          if (status == 0) {
            std::vector<int> scratch(static_cast<std::size_t>(l));
            SUPINV(l, copy_list, plat::Vec1<int>(scratch.data(), l));
          }
        }
      }
    }
    // The look-up tables and the builders' scratch live in the arrays that
    // the compaction fills: the work space ends after it, clearing what the
    // compaction has not rewritten.
    node_indexes.end();
    std::int64_t kept_pointers = 0, kept_compact = 0;
    if (nt > 0 && began_ok) {
      LPCSCN(lenold, nt, gar_thermalnodestatuses.view(), gar_pcsthermalold.view(), gar_pcsptrsthermalold.view(),
             gar_pcsthermal.view(), gar_pcsptrsthermal.view());
      kept_pointers = 6LL * nt;
      for (int n = 1; n <= nt; ++n)
        for (int k = 1; k <= 3; ++k)
          if (gar_pcsptrsthermal(2 * k, n) > 0)
            kept_compact = std::max<std::int64_t>(
                kept_compact, gar_pcsptrsthermal(2 * k - 1, n) + 2LL * gar_pcsptrsthermal(2 * k, n) - 1);
    }
    work.end(kept_pointers, kept_compact);
  }

  // Run-time state of the fluid loops, whatever happened.
  if (nf > 0) {
    for (int j = 1; j <= nf; ++j) {
      gar_fluidnodewatervapoursinkrates(j) = 0.0;
      gar_fluidnodevolumecontrolflags(j) = "A";
    }
  }
  if (nl > 0) {
    for (int l = 1; l <= nl; ++l) {
      gar_massflowlinkpressuresources(l) = 0.0;
      gar_massflowlinkpsourcederivs(l) = 0.0;
      gar_massflowlinkevapheatfluxes(l) = 0.0;
      gar_massflowlinktypes(l) = 1;
      gar_massflowlinkphasesepflags(1, l) = 0;
      gar_massflowlinkphasesepflags(2, l) = 0;
      gar_massflowlinkphasesepvapquals(1, l) = 0.0;
      gar_massflowlinkphasesepvapquals(2, l) = 0.0;
    }
  }
  if (nf > 0) SETFNM(gar_modeldirectory.view(), nm, nf, gar_fluidnodemodelnums.view());

  if (status != 0) {
    SETERX("Error in reading model " + std::string(failed_name.view()) + "(" + field(failed_model, 3) + ")@" +
               std::string(s.context.trimmed()) + "  Zerror = " + field(status, 2),
           4, 5, "LOADB ");
  }
}

void SCOMLD(int unit, int& status) {
  status = 0;
  PPLLOT(1) = 0;
  const std::string name(JOBINF.jobname.view());
  int exists = 0, st = 0;
  SMODCH(name, exists, st);
  if (exists == 0 || st != 0) {
    status = 1;
  } else {
    SOPEXT(name, unit, st);
    if (st != 0) status = 1;
  }
  if (status == 0) {
    FirstRecord first;
    if (read_first_record(unit, first) != 0) SETERX(kReadError, 4, 2, "SCOMLD");
    if (first.version <= 19) {
      SETERX(
          "Different NORVEK version for MDB file and solution@Repreprocess input file to produce consistent  "
          "MDB file",
          4, 3, "SCOMLD");
    }
    plat::io::rewind_unit(unit);
    int ierr = 0;
    SCNTRL(flag(15), flag(14), flag(13), flag(12), flag(11), flag(10), gar_controlconstnames.view(), ierr);
    if (ierr != 0) {
      SETERX(
          "Different Norvek version for MDB file and solution@Repreprocess input file to produce consistent  "
          "MDB file",
          4, 4, "SCOMLD");
    }
    SLDINC();
    SETZZZ("A", flag(26), TextVec1(gar_modelstatuses), st);
    SPRZER();
    LOADB(JOBINF.jobname.ref(), md_numslots, unit, st);
    if (flag(1) > 0) SZCOPY(CTextVec1(gar_thermalnodestatuses), flag(1), st, TextVec1(gar_thermalnodestatusescopy));
    SCLFIL("KEEP", unit, st);
  }
  PRTINF(1) = GLOI.LENGTH;
}

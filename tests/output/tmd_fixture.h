// A small model for the TMD tests, filled straight into the global arrays:
// MAIN (model 1) with the submodels SUB1 (model 2) and SUB2 (model 3).
//
//   thermal index: model, number     fluid index (internal): model, number
//   1: MAIN 10, 2: MAIN 20           1 (6): MAIN 100, 2 (7): MAIN 101
//   3: SUB1 1,  4: SUB1 2            3 (8): SUB2 300
//   5: SUB2 1
//
// Conductors: GL 1 and GL 2 parallel between 1 and 2, GL 3 between 2 and
// fluid node 1 (all MAIN), GL 4 between 3 and 4 (SUB1, inactive); GR 1
// between 1 and 3 (MAIN); GF 1 from 4 to 5 (SUB2). Mass-flow links: 1 from
// fluid 1 to fluid 2 (MAIN), 2 from fluid 2 to fluid 3 (SUB2, status "I").
// User constants: MAIN real RC1 RC2, integer IC1, character CC1; SUB1 real
// RS1; SUB2 integer IS2, character CS2. User entities: real HFD and
// HEATFLUXDENS (12 characters), integer ICOUNT, character TAG.
#pragma once

#include <gtest/gtest.h>
#include <hdf5.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "output/tmd_requests.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace tmd_test {

inline constexpr int kNT = 5, kNF = 3, kNM = 3;

// Linked connection lists in the loader's form: per sub-list its entries,
// closed by the terminator (-(p+1), 0) for thermal sub-lists and the fluid
// link sub-list, by a single 0 for the fluid conductor sub-lists.
using Entries = std::vector<std::pair<int, int>>;
inline void append_sublist(std::vector<int>& w, const Entries& e, bool jump) {
  for (auto [n, c] : e) w.push_back(n), w.push_back(c);
  if (jump) w.push_back(-static_cast<int>(w.size() + 2));
  w.push_back(0);
}

inline void build_model() {
  gar_deallocate_all();
  FLAGS = FlagsRecord{};
  std::vector<int> th, fl;
  std::vector<int> thstart, flstart;
  const Entries thermal[kNT][3] = {
      {{{2, 1}, {2, 2}}, {{3, 1}}, {}},
      {{{1, 1}, {1, 2}, {kNT + 1, 3}}, {}, {}},
      {{{4, 4}}, {{1, 1}}, {}},
      {{{3, 4}}, {}, {{5, -1}}},
      {{}, {}, {{4, 1}}},
  };
  for (const auto& node : thermal) {
    thstart.push_back(static_cast<int>(th.size()) + 1);
    for (const auto& sub : node) append_sublist(th, sub, true);
  }
  const Entries fluid[kNF][4] = {
      {{{2, 1}}, {{2, 3}}, {}, {}},
      {{{1, 1}, {3, 2}}, {}, {}, {}},
      {{{2, 2}}, {}, {}, {}},
  };
  for (const auto& node : fluid) {
    flstart.push_back(static_cast<int>(fl.size()) + 1);
    for (int k = 0; k < 4; ++k) append_sublist(fl, node[k], k == 0);
  }

  tna_test::ArraySizes c;
  c.dystor = 100;                             // DYSTOR
  c.mdrows = 18;                              // directory rows
  c.lpcsfluid = static_cast<int>(fl.size());  // fluid list
  c.lpcsold = static_cast<int>(th.size());    // linked thermal list
  c.nucn = 7;                                 // user-constant names
  c.ncharuc = 2;                              // character user constants
  c.ncharpool = 2;                            // character pool elements
  c.ngf = 1;                                  // GF
  c.nf = kNF;
  c.nintuc = 2;   // integer user constants
  c.ngl = 4;      // GL
  c.nl = 2;       // links
  c.ngr = 1;      // GR
  c.nrealuc = 3;  // real user constants
  c.nm = kNM;
  c.nt = kNT;
  c.nchent = 1;    // character user entities
  c.nintent = 1;   // integer user entities
  c.nrealent = 2;  // real user entities
  c.allocate();
  FLAGS(1) = kNT;
  FLAGS(2) = 4;
  FLAGS(3) = 1;
  FLAGS(4) = 1;
  FLAGS(8) = 2;
  FLAGS(26) = kNM;
  FLAGS(28) = 100;
  FLAGS(29) = 1;
  FLAGS(32) = kNF;
  FLAGS(33) = 2;
  FLAGS(36) = 1;
  for (std::size_t i = 0; i < th.size(); ++i) gar_pcsthermalold(static_cast<int>(i) + 1) = th[i];
  for (std::size_t i = 0; i < fl.size(); ++i) gar_pcsfluid(static_cast<int>(i) + 1) = fl[i];
  for (int i = 1; i <= kNT; ++i) gar_pcsptrsthermalold(i) = thstart[static_cast<std::size_t>(i - 1)];
  for (int j = 1; j <= kNF; ++j) gar_pcsptrsfluid(j) = flstart[static_cast<std::size_t>(j - 1)];

  // Directory: level, subtree, then cumulative bases per slot (column 4 = totals).
  // clang-format off
  const int dir[18][4] = {
      {0, 1, 1, 0}, {3, 1, 1, 0},  {0, 2, 4, 5}, {0, 3, 4, 4}, {0, 0, 0, 1}, {0, 1, 1, 1},
      {0, 0, 0, 0}, {0, 2, 3, 3},  {0, 1, 1, 2}, {0, 1, 1, 2}, {0, 4, 5, 7}, {2, 5, 5, 7},
      {3, 5, 6, 7}, {0, 0, 0, 0},  {0, 1, 1, 2}, {0, 2, 2, 3}, {0, 1, 1, 2}, {0, 0, 0, 0},
  };
  // clang-format on
  for (int s = 1; s <= 18; ++s)
    for (int m = 1; m <= kNM + 1; ++m) gar_modeldirectory(s, m) = dir[s - 1][m - 1];
  const char* names[kNM] = {"MAIN", "SUB1", "SUB2"};
  for (int m = 1; m <= kNM; ++m) {
    gar_modelnames(m) = names[m - 1];
    gar_submodelnames(m) = names[m - 1];
    gar_modelstatuses(m) = "A";
  }

  const int tnums[kNT] = {10, 20, 1, 2, 1};
  for (int i = 1; i <= kNT; ++i) {
    gar_thermalnodenums(i) = tnums[i - 1];
    gar_thermalnodelabels(i) = "T" + std::to_string(i);
    gar_thermalnodestatuses(i) = i == 5 ? "B" : "D";
    gar_thermalnodetemps(i) = 10.0 * i;
    gar_thermalnodecapacitances(i) = 100.0 + i;
    gar_thermalnodeheatsourcesinternal(i) = 0.5 * i;
    gar_thermalnodecoordsz(i) = -1.0 * i;
    gar_thermalnodeuserentityvalsreal(i, 1) = 1000.0 + i;
    gar_thermalnodeuserentityvalsreal(i, 2) = 2000.0 + i;
    gar_thermalnodeuserentityvalsint(i, 1) = 70 + i;
    gar_thermalnodeuserentityvalschar(i, 1) = "TAG" + std::to_string(i);
  }
  const int fnums[kNF] = {100, 101, 300};
  for (int j = 1; j <= kNF; ++j) {
    gar_fluidnodenums(j) = fnums[j - 1];
    gar_fluidnodelabels(j) = "F" + std::to_string(j);
    gar_fluidnodestatuses(j) = "F";
    gar_fluidnodefluidtypes(j) = "WATER";
    gar_fluidnodeflowregimes(j) = "TURB";
    gar_fluidnodestatedescriptors(j) = "L";
    gar_fluidnodetemps(j) = 5.0 * j;
    gar_fluidnodepressures(j) = 1.0e5 + j;
    gar_fluidnodevolumechangerates(j) = 0.25 * j;
    gar_fluidnodeuserentityvalsreal(j, 1) = 3000.0 + j;
    gar_fluidnodeuserentityvalsreal(j, 2) = 4000.0 + j;
    gar_fluidnodeuserentityvalsint(j, 1) = 90 + j;
    gar_fluidnodeuserentityvalschar(j, 1) = "FTAG" + std::to_string(j);
  }

  const double gl[4] = {1.5, 2.5, 3.5, 4.5};
  for (int i = 1; i <= 4; ++i) {
    gar_linearconds(i) = gl[i - 1];
    gar_linearcondacts(i) = i == 4 ? "I" : "A";
  }
  gar_radiativeconds(1) = 0.125;
  gar_radiativecondacts(1) = "A";
  gar_fluidicconds(1) = 7.0;
  gar_fluidiccondacts(1) = "A";
  gar_massflowlinkcondnodepairs(1) = 1;
  gar_massflowlinkcondnodepairs(2) = 2;
  gar_massflowlinkcondnodepairs(3) = 2;
  gar_massflowlinkcondnodepairs(4) = 3;
  gar_massflowlinkflowrates(1) = 0.01;
  gar_massflowlinkflowrates(2) = 0.02;
  gar_massflowlinkfittinglosses(1) = 11.0;
  gar_massflowlinkfittinglosses(2) = 22.0;
  gar_massflowlinkstatuses(1) = "A";
  gar_massflowlinkstatuses(2) = "I";

  const char* ucnames[7] = {"RC1", "RC2", "IC1", "CC1", "RS1", "IS2", "CS2"};
  for (int i = 1; i <= 7; ++i) gar_userconstnames(i) = ucnames[i - 1];
  gar_userconstvaluesreal(1) = 1.25;
  gar_userconstvaluesreal(2) = 2.25;
  gar_userconstvaluesreal(3) = 3.25;
  gar_userconstvaluesint(1) = 11;
  gar_userconstvaluesint(2) = 22;
  gar_userconstpointerschar(1) = 1;
  gar_userconstpointerschar(2) = 1;
  std::string e1(133, ' '), e2(133, ' ');
  std::memcpy(e1.data(), "main text\0", 10);
  std::memcpy(e2.data(), "second text\0", 12);
  gar_userconstvalueschar(1) = e1;
  gar_userconstvalueschar(2) = e2;

  tna_test::set_user_entities({"HFD", "HEATFLUXDENS"}, {"ICOUNT"}, {"TAG"});

  ndssmd_reset_for_tests();
  lschnd_reset_for_tests();
}

// ---------------------------------------------------------------------------
// Reading back through the HDF5 C API.

struct File {
  hid_t id;
  explicit File(const std::string& name) : id(H5Fopen(name.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT)) {}
  ~File() {
    if (id >= 0) H5Fclose(id);
  }
  bool exists(const std::string& path) const { return H5Lexists(id, path.c_str(), H5P_DEFAULT) > 0; }
};

inline std::vector<hsize_t> dims_of(hid_t f, const std::string& path) {
  const hid_t ds = H5Dopen2(f, path.c_str(), H5P_DEFAULT);
  if (ds < 0) return {};
  const hid_t sp = H5Dget_space(ds);
  std::vector<hsize_t> d(static_cast<std::size_t>(H5Sget_simple_extent_ndims(sp)));
  H5Sget_simple_extent_dims(sp, d.data(), nullptr);
  H5Sclose(sp);
  H5Dclose(ds);
  return d;
}

// Chunk shape and deflate level (-1 without deflate) of a data set.
inline std::pair<std::vector<hsize_t>, int> layout_of(hid_t f, const std::string& path) {
  const hid_t ds = H5Dopen2(f, path.c_str(), H5P_DEFAULT);
  const hid_t pl = H5Dget_create_plist(ds);
  std::vector<hsize_t> chunk(3);
  const int rank = H5Pget_chunk(pl, 3, chunk.data());
  chunk.resize(rank < 0 ? 0 : static_cast<std::size_t>(rank));
  int level = -1;
  for (int i = 0; i < H5Pget_nfilters(pl); ++i) {
    unsigned flags = 0, cd[4] = {};
    size_t ncd = 4;
    char name[32];
    unsigned config = 0;
    if (H5Pget_filter2(pl, static_cast<unsigned>(i), &flags, &ncd, cd, sizeof name, name, &config) ==
        H5Z_FILTER_DEFLATE)
      level = static_cast<int>(cd[0]);
  }
  H5D_fill_time_t ft;
  H5Pget_fill_time(pl, &ft);
  if (ft != H5D_FILL_TIME_ALLOC) level = -2;
  H5Pclose(pl);
  H5Dclose(ds);
  return {chunk, level};
}

template <class T>
std::vector<T> read_all(hid_t f, const std::string& path, hid_t memtype) {
  std::vector<T> v;
  const hid_t ds = H5Dopen2(f, path.c_str(), H5P_DEFAULT);
  if (ds < 0) return v;
  const hid_t sp = H5Dget_space(ds);
  v.resize(static_cast<std::size_t>(H5Sget_simple_extent_npoints(sp)));
  if (!v.empty()) H5Dread(ds, memtype, H5S_ALL, H5S_ALL, H5P_DEFAULT, v.data());
  H5Sclose(sp);
  H5Dclose(ds);
  return v;
}
inline std::vector<int> ints(hid_t f, const std::string& p) { return read_all<int>(f, p, H5T_NATIVE_INT); }
inline std::vector<double> reals(hid_t f, const std::string& p) { return read_all<double>(f, p, H5T_NATIVE_DOUBLE); }

// Fixed-length strings of a data set, each as stored (blank-padded).
inline std::vector<std::string> strings(hid_t f, const std::string& path) {
  std::vector<std::string> out;
  const hid_t ds = H5Dopen2(f, path.c_str(), H5P_DEFAULT);
  if (ds < 0) return out;
  const hid_t type = H5Dget_type(ds);
  const std::size_t len = H5Tget_size(type);
  const hid_t sp = H5Dget_space(ds);
  const std::size_t n = static_cast<std::size_t>(H5Sget_simple_extent_npoints(sp));
  std::string buf(n * len, '\0');
  if (n) H5Dread(ds, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, buf.data());
  for (std::size_t i = 0; i < n; ++i) out.push_back(buf.substr(i * len, len));
  H5Sclose(sp);
  H5Tclose(type);
  H5Dclose(ds);
  return out;
}

// A text attribute as stored, with its type's length and padding checked.
inline std::string text_attribute(hid_t f, const std::string& object, const std::string& name) {
  const hid_t a = H5Aopen_by_name(f, object.c_str(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT);
  if (a < 0) return "<missing>";
  const hid_t type = H5Aget_type(a);
  std::string v(H5Tget_size(type), '\0');
  if (H5Tget_strpad(type) != H5T_STR_SPACEPAD) v = "<not space padded>";
  else H5Aread(a, type, v.data());
  H5Tclose(type);
  H5Aclose(a);
  return v;
}
inline double real_attribute(hid_t f, const std::string& object, const std::string& name) {
  double v = 0.0;
  const hid_t a = H5Aopen_by_name(f, object.c_str(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT);
  H5Aread(a, H5T_NATIVE_DOUBLE, &v);
  H5Aclose(a);
  return v;
}

inline std::string pad(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

class TmdTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    GLOI.MODEL = 1;
    GLOI.WIDTH = 132;
    GLOR.TABS = 273.15;
    GLOR.PABS = 101325.0;
    GLOR.STEFAN = 5.67e-8;
    GLOC.HEADER = "A HEADER LONGER THAN EIGHT";
    tna_test::set_print_job("TMDJOB");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    build_model();
    tmd_requests_reset_for_tests();
    reset_message_counters();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    plat::set_exit_throws(false);
  }
  std::string listing() { return tna_test::take_listing(dir_); }
  // The box SETERX prints for this message as the first message of a run.
  std::string box(std::string_view message, int severity, int code, std::string_view routine) {
    return tna_test::seterx_box(dir_, message, severity, code, routine);
  }

  tna_test::ScratchDir dir_{"tmd"};
};

}  // namespace tmd_test

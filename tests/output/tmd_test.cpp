// TMD result files: entity lists, node selection, conductor rows, the file
// layout read back through HDF5, slices and the numbering of restarted files.
#include "output/tmd_conductors.h"
#include "output/tmd_file.h"
#include "output/tmd_selection.h"
#include "tmd_fixture.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>

namespace tmd_test {
namespace {

namespace tmv = TmvThermalModelVariables;

constexpr const char* kAll = "NODES, CONDUCTORS, CONSTANTS";
constexpr const char* kSet = "/AnalysisSet1";
constexpr const char* kData = "/AnalysisSet1/DataGroup1";

std::string at(const char* group, const char* name) { return std::string(group) + "/" + name; }

// ---------------------------------------------------------------------------
// Entity lists.

struct Parsed {
  int wantn = -1, wantc = -1, wantk = -1;
  std::vector<int> nodeflags = std::vector<int>(45, 9);
  std::vector<int> condflags = std::vector<int>(6, 9);
  // Codes (1..45) whose flag is 1.
  std::vector<int> set() const {
    std::vector<int> v;
    for (std::size_t i = 0; i < nodeflags.size(); ++i)
      if (nodeflags[i] == 1) v.push_back(static_cast<int>(i) + 1);
    return v;
  }
};

Parsed parse(std::string_view str) {
  Parsed p;
  GFFPARSEENTITYLIST(str, "DMPTMD", plat::Vec1<const plat::Text<18>>(SPRNOD.t, 6), 2, 3, 1, 1, 2, p.wantn, p.wantc,
                     p.wantk, plat::Vec1<int>(p.nodeflags.data(), 45), plat::Vec1<int>(p.condflags.data(), 6));
  return p;
}

std::vector<int> all_codes() {
  std::vector<int> v;
  for (int i = 1; i <= 45; ++i) v.push_back(i);
  return v;
}

TEST_F(TmdTest, EntityListsSetTheRequestFlags) {
  struct Case {
    const char* list;
    int wantn, wantc, wantk;
    std::vector<int> nodes;  // set flags, checked when wantn is 1
    std::vector<int> conds;  // checked when wantc is 1
  };
  const std::vector<int> all6 = {1, 1, 1, 1, 1, 1};
  const Case cases[] = {
      {"", 1, 1, 1, all_codes(), all6},
      {"NODES, CONDUCTORS, CONSTANTS", 1, 1, 1, all_codes(), all6},
      {"  NODES(T, QI)", 1, 0, 0, {2, 6}, {}},
      {"CONDUCTORS(GL,M)", 0, 1, 0, {}, {1, 0, 0, 0, 1, 0}},
      {"NODES(T), NODES(C)", 1, 0, 0, {3}, {}},
      {"NODES(T), NODES", 1, 0, 0, all_codes(), {}},
      {"NODES(HFD,ICOUNT,TAG,ZY)", 1, 0, 0, {41, 42, 44, 45}, {}},
      {"CONSTANTS(anything at all)", 0, 0, 1, {}, {}},
      {"\tNODES(L)   ,CONDUCTORS(GP)  ", 1, 1, 0, {1}, {0, 0, 0, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    listing();
    const Parsed p = parse(c.list);
    EXPECT_EQ(p.wantn, c.wantn) << c.list;
    EXPECT_EQ(p.wantc, c.wantc) << c.list;
    EXPECT_EQ(p.wantk, c.wantk) << c.list;
    if (c.wantn) {
      EXPECT_EQ(p.set(), c.nodes) << c.list;
    }
    if (c.wantc) {
      EXPECT_EQ(p.condflags, c.conds) << c.list;
    }
    EXPECT_EQ(listing(), "") << c.list;
  }
}

TEST_F(TmdTest, EntityListMistakesAreReportedAndParsingGoesOn) {
  struct Case {
    const char* list;
    int code;
    std::string message;
    std::vector<int> nodes;
    int wantk;
  };
  // clang-format off
  const Case cases[] = {
      {"NODES(T,,C)", 3, "Entity name invalid@Parsing GFF entity string@'' found in<NL>'NODES(T,,C)'@DMPTMD called",
       {2, 3}, 0},
      {"NODES(T", 2, "Close-bracket missing@Parsing GFF entity string@'NODES(T'<NL>      ^@DMPTMD called", {2}, 0},
      {"NODES(T)X, CONSTANTS", 1,
       "Comma missing after close-bracket@Parsing GFF entity string@'NODES(T)X, CONSTANTS'<NL>         ^@DMPTMD "
       "called",
       {2}, 1},
      {"nodes", 5, "Invalid block name@Parsing GFF entity string@Found \"nodes\"@DMPTMD called", {}, 0},
      {"NODES(HEATFLUXDENS)", 3,
       "Entity name invalid@Parsing GFF entity string@'HEATFLUXDENS' found in<NL>'NODES(HEATFLUXDENS)'@DMPTMD called",
       {}, 0},
      {"CONDUCTORS(GL, G)", 4,
       "Invalid conductor type@Parsing GFF entity string@'G' found in<NL>'CONDUCTORS(GL, G)'@DMPTMD called", {}, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    listing();
    reset_message_counters();
    const Parsed p = parse(c.list);
    const std::string printed = listing();
    EXPECT_EQ(printed, box(c.message, 3, c.code, "ParseGffEntityList")) << c.list;
    if (!c.nodes.empty()) {
      EXPECT_EQ(p.set(), c.nodes) << c.list;
    }
    EXPECT_EQ(p.wantk, c.wantk) << c.list;
  }
}

TEST_F(TmdTest, LongParameterCaseListsKeepTheirContextInTheMessage) {
  // A 256-character list quoted whole would overflow the message field; the
  // caller's name must still reach the box.
  std::string list = "NODES(T)X";
  list.resize(256, ' ');
  listing();
  parse(list);
  const std::string printed = listing();
  EXPECT_NE(printed.find("DMPTMD called"), std::string::npos) << printed;
}

// ---------------------------------------------------------------------------
// Node selection and user-constant range of the request module.

void update(int modref, const Parsed& p, std::string_view zlabel = " ") {
  tmvvariablesupdate(modref, plat::Vec1<const int>(p.condflags.data(), 6), "D", 1, "DMPTMD", JOBINF.date.view(),
                     JOBINF.jobname.view(), JOBINF.time.view(), 2, 1, 4, 1, 0, kNM, kNF, kNT,
                     plat::Vec1<const int>(p.nodeflags.data(), 45), plat::Vec1<const plat::Text<18>>(SPRNOD.t, 6), 2,
                     3, 1.0, 1, 1, 2, p.wantc, p.wantk, p.wantn, zlabel);
}

std::vector<int> selection() {
  std::vector<int> v;
  for (int i = 1; i <= tmv::numselectednodes; ++i) v.push_back(tmv::selectednodes(i));
  return v;
}

TEST_F(TmdTest, RequestSelectsNodesAndUserConstants) {
  update(1, parse(kAll));
  EXPECT_EQ(selection(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(tmv::selectednodes.size(), kNT + kNF);
  EXPECT_EQ(tmv::tmv_selectedsubmodelfirstid, 1);
  EXPECT_EQ(tmv::tmv_selectedsubmodellastid, 3);
  EXPECT_EQ(tmv::tmv_numselecteduserconstantsreal, 3);
  EXPECT_EQ(tmv::tmv_numselecteduserconstantsint, 2);
  EXPECT_EQ(tmv::tmv_numselecteduserconstantschar, 2);

  update(-3, parse(kAll));  // SUB2 alone
  EXPECT_EQ(selection(), (std::vector<int>{5, 8}));
  EXPECT_EQ(tmv::tmv_selectedsubmodelfirstid, 3);
  EXPECT_EQ(tmv::tmv_selectedsubmodellastid, 3);
  EXPECT_EQ(tmv::tmv_numselecteduserconstantsreal, 0);
  EXPECT_EQ(tmv::tmv_numselecteduserconstantsint, 1);
  EXPECT_EQ(tmv::tmv_numselecteduserconstantschar, 1);

  // Conductors alone still select nodes; constants alone clear the list and
  // leave its count.
  update(-2, parse("CONDUCTORS(GL,M)"));
  EXPECT_EQ(selection(), (std::vector<int>{3, 4}));
  update(1, parse("CONSTANTS"));
  EXPECT_EQ(tmv::numselectednodes, 2);
  EXPECT_EQ(selection(), (std::vector<int>{0, 0}));
  EXPECT_EQ(tmv::userattributenames(2, 1).trimmed(), "HEATFLUXDENS");
  EXPECT_EQ(tmv::nodeattributeflags.size(), 45);
}

// ---------------------------------------------------------------------------
// Conductor rows.

std::vector<std::vector<int>> rows_of(const std::vector<std::int32_t>& t) {
  std::vector<std::vector<int>> r;
  for (std::size_t i = 0; i + 3 < t.size(); i += 4) r.push_back({t[i], t[i + 1], t[i + 2], t[i + 3]});
  return r;
}

TEST_F(TmdTest, ConductorRowsInTheirFixedOrder) {
  update(1, parse(kAll));
  TmdConductorTables t;
  int gl = 0, gr = 0, gf = 0, gv = 0, link = 0;
  getconductorinfo(kNT, t, gl, gr, gf, gv, link);
  EXPECT_EQ(rows_of(t.infogl),
            (std::vector<std::vector<int>>{{1, 2, 1, 1}, {1, 2, 2, 1}, {3, 4, 1, 2}, {-1, 2, 1, 1}}));
  EXPECT_EQ(rows_of(t.infogr), (std::vector<std::vector<int>>{{1, 3, 1, 1}}));
  EXPECT_EQ(rows_of(t.infogf), (std::vector<std::vector<int>>{{4, 5, 1, 3}}));
  EXPECT_EQ(rows_of(t.infom_gp), (std::vector<std::vector<int>>{{-1, -2, 1, 1}, {-2, -3, 1, 3}}));
  EXPECT_EQ(std::vector<int>({gl, gr, gf, gv, link}), std::vector<int>({4, 1, 1, 0, 2}));

  // Without node data sets (NTS 0) a fluid node's reference is minus its
  // place in the whole selection; a link whose first node is not selected
  // and a conductor to an unselected node give no row.
  update(1, parse("CONDUCTORS"), "#SUB2:1");
  EXPECT_EQ(selection(), (std::vector<int>{5}));
  getconductorinfo(0, t, gl, gr, gf, gv, link);
  EXPECT_EQ(std::vector<int>({gl, gr, gf, gv, link}), std::vector<int>({0, 0, 0, 0, 0}));
  update(1, parse("CONDUCTORS(M,GL)"), "#101,100,20");
  EXPECT_EQ(selection(), (std::vector<int>{2, 6, 7}));
  getconductorinfo(0, t, gl, gr, gf, gv, link);
  EXPECT_EQ(rows_of(t.infogl), (std::vector<std::vector<int>>{{-2, 1, 1, 1}}));
  EXPECT_EQ(rows_of(t.infom_gp), (std::vector<std::vector<int>>{{-2, -3, 1, 1}}));

  // A node of status C lists nothing from its own list.
  gar_thermalnodestatuses(1) = "C";
  update(1, parse(kAll));
  getconductorinfo(kNT, t, gl, gr, gf, gv, link);
  EXPECT_EQ(rows_of(t.infogl), (std::vector<std::vector<int>>{{3, 4, 1, 2}, {-1, 2, 1, 1}}));
  EXPECT_EQ(gr, 0);
}

TEST_F(TmdTest, SelectionEntryOutsideTheNodesStopsTheRun) {
  update(1, parse(kAll));
  std::vector<std::int32_t> refs;
  tmv::selectednodes(2) = 0;
  EXPECT_THROW(tmd_setupnodeids(kNT, refs), plat::ProcessExit);
  tmv::selectednodes(2) = kNT + kNF + 1;
  EXPECT_THROW(tmd_setupnodeids(kNT, refs), plat::ProcessExit);
}

// ---------------------------------------------------------------------------
// Files.

TEST_F(TmdTest, FullFileLayoutAndTwoSlices) {
  GLOR.TIMEN = 0.0;
  DMPTMD(" ", kAll, 1, " ");
  GLOR.TIMEN = 10.0;
  gar_thermalnodetemps(2) = -7.5;
  DMPTMD(" ", kAll, 1, " ");
  EXPECT_EQ(listing(), "");
  ASSERT_TRUE(dir_.exists("MAIN.TMD"));
  tmd_requests_reset_for_tests();  // closes the file
  File f("MAIN.TMD");
  ASSERT_GE(f.id, 0);

  EXPECT_EQ(text_attribute(f.id, "/", "Description"), pad("TMDJOB", 24));
  EXPECT_EQ(text_attribute(f.id, "/", "FileVersion"), "01.00");
  EXPECT_EQ(real_attribute(f.id, kSet, "TAbs"), 273.15);
  EXPECT_EQ(real_attribute(f.id, kSet, "PAbs"), 101325.0);
  EXPECT_EQ(real_attribute(f.id, kSet, "StefanBoltzmann"), 5.67e-8);
  EXPECT_EQ(text_attribute(f.id, kSet, "Description"), pad("TMDJOB", 24));
  EXPECT_EQ(text_attribute(f.id, kSet, "Date"), "10 December 2026 ");
  EXPECT_EQ(text_attribute(f.id, kData, "Description"), pad("Solution number 1", 100));
  EXPECT_EQ(text_attribute(f.id, kData, "NORVEK_version"), pad("2020", 20));
  EXPECT_EQ(text_attribute(f.id, kData, "Time"), "13:46:52");

  // models: compound of 2502 bytes.
  {
    const hid_t ds = H5Dopen2(f.id, at(kSet, "models").c_str(), H5P_DEFAULT);
    const hid_t type = H5Dget_type(ds);
    EXPECT_EQ(H5Tget_size(type), 2502u);
    EXPECT_EQ(H5Tget_member_offset(type, 1), 24u);
    EXPECT_EQ(H5Tget_member_offset(type, 2), 28u);
    std::vector<char> buf(3 * 2502);
    H5Dread(ds, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, buf.data());
    std::int32_t parent = 0;
    std::memcpy(&parent, buf.data() + 2502 + 24, 4);
    EXPECT_EQ(std::string(buf.data() + 2502, 24), pad("SUB1", 24));
    EXPECT_EQ(plat::trimmed(std::string(buf.data() + 28, 2474)), "MAIN");
    EXPECT_EQ(parent, 1);
    std::memcpy(&parent, buf.data() + 24, 4);
    EXPECT_EQ(parent, 0);
    EXPECT_EQ(plat::trimmed(std::string(buf.data() + 2 * 2502 + 28, 2474)), "MAIN:SUB2");
    H5Tclose(type);
    H5Dclose(ds);
  }

  EXPECT_EQ(ints(f.id, at(kSet, "thermalNodes")), (std::vector<int>{10, 1, 20, 1, 1, 2, 2, 2, 1, 3}));
  EXPECT_EQ(ints(f.id, at(kSet, "fluidNodes")), (std::vector<int>{100, 1, 101, 1, 300, 3}));
  const auto treal = strings(f.id, at(kSet, "thermalNodesRealAttributes"));
  ASSERT_EQ(treal.size(), 18u);
  EXPECT_EQ(treal[0], pad("Temperature", 32));
  EXPECT_EQ(treal[15], pad("Z_Coordinate", 32));
  EXPECT_EQ(treal[17], pad("HEATFLUXDENS", 32));
  EXPECT_EQ(strings(f.id, at(kSet, "thermalNodesStringAttributes")),
            (std::vector<std::string>{pad("Type", 32), pad("Label", 32), pad("TAG", 32)}));
  EXPECT_EQ(strings(f.id, at(kSet, "thermalNodesIntegerAttributes")), (std::vector<std::string>{pad("ICOUNT", 32)}));
  const auto freal = strings(f.id, at(kSet, "fluidNodesRealAttributes"));
  ASSERT_EQ(freal.size(), 23u);
  EXPECT_EQ(freal[20], pad("Partial_Derivative_@V/@t", 32));
  EXPECT_EQ(strings(f.id, at(kSet, "fluidNodesStringAttributes")).size(), 6u);

  // Time-dependent data: two slices everywhere, chunked [10][...] with deflate 1.
  EXPECT_EQ(reals(f.id, at(kData, "times")), (std::vector<double>{0.0, 10.0}));
  const std::pair<const char*, std::vector<hsize_t>> shapes[] = {
      {"thermalNodesRealData", {2, 5, 18}},    {"thermalNodesStringData", {2, 5, 3}},
      {"thermalNodesIntegerData", {2, 5, 1}},  {"fluidNodesRealData", {2, 3, 23}},
      {"fluidNodesStringData", {2, 3, 6}},     {"fluidNodesIntegerData", {2, 3, 1}},
      {"conductorDataGL", {2, 4, 2}},          {"conductorDataGR", {2, 1, 2}},
      {"conductorDataGF", {2, 1, 2}},          {"conductorDataM", {2, 2, 2}},
      {"conductorDataGP", {2, 2, 2}},          {"userConstantsRealData", {2, 3}},
      {"userConstantsIntegerData", {2, 2}},    {"userConstantsStringData", {2, 2}},
      {"controlConstantsRealData", {2, 49}},   {"controlConstantsIntegerData", {2, 25}},
      {"controlConstantsStringData", {2, 16}},
  };
  for (const auto& [name, dims] : shapes) {
    EXPECT_EQ(dims_of(f.id, at(kData, name)), dims) << name;
    auto [chunk, level] = layout_of(f.id, at(kData, name));
    std::vector<hsize_t> expect = dims;
    expect[0] = 10;
    EXPECT_EQ(chunk, expect) << name;
    EXPECT_EQ(level, 1) << name;
  }
  EXPECT_EQ(layout_of(f.id, at(kSet, "thermalNodes")).first, (std::vector<hsize_t>{5, 2}));
  EXPECT_EQ(layout_of(f.id, at(kSet, "thermalNodes")).second, 1);
  EXPECT_FALSE(f.exists(at(kData, "conductorDataGV")));
  EXPECT_FALSE(f.exists(at(kSet, "conductorsGV")));

  const auto tdata = reals(f.id, at(kData, "thermalNodesRealData"));
  EXPECT_EQ(tdata[1 * 18 + 0], 20.0);              // slice 0, node 2, Temperature
  EXPECT_EQ(tdata[5 * 18 + 1 * 18 + 0], -7.5);     // slice 1, node 2
  EXPECT_EQ(tdata[5 * 18 + 4 * 18 + 17], 2005.0);  // slice 1, node 5, HEATFLUXDENS
  const auto tstr = strings(f.id, at(kData, "thermalNodesStringData"));
  EXPECT_EQ(tstr[4 * 3 + 0], pad("B", 24));
  EXPECT_EQ(tstr[4 * 3 + 2], pad("TAG5", 24));
  EXPECT_EQ(ints(f.id, at(kData, "fluidNodesIntegerData")), (std::vector<int>{91, 92, 93, 91, 92, 93}));

  EXPECT_EQ(ints(f.id, at(kSet, "conductorsGL")),
            (std::vector<int>{1, 2, 1, 1, 1, 2, 2, 1, 3, 4, 1, 2, -1, 2, 1, 1}));
  EXPECT_EQ(ints(f.id, at(kSet, "conductorsM_GP")), (std::vector<int>{-1, -2, 1, 1, -2, -3, 1, 3}));
  const auto gl = reals(f.id, at(kData, "conductorDataGL"));
  EXPECT_EQ(std::vector<double>(gl.begin(), gl.begin() + 8), (std::vector<double>{1.5, 1, 2.5, 1, 4.5, -2, 3.5, 1}));
  EXPECT_EQ(reals(f.id, at(kData, "conductorDataGF")), (std::vector<double>{-7.0, 1.0, -7.0, 1.0}));
  EXPECT_EQ(reals(f.id, at(kData, "conductorDataM")), (std::vector<double>{0.01, 1, 0.02, -2, 0.01, 1, 0.02, -2}));
  EXPECT_EQ(reals(f.id, at(kData, "conductorDataGP")), (std::vector<double>{11, 1, 22, -2, 11, 1, 22, -2}));

  // User constants: names with owning models, values, texts from the pool.
  {
    const hid_t ds = H5Dopen2(f.id, at(kSet, "userConstantsString").c_str(), H5P_DEFAULT);
    const hid_t type = H5Dget_type(ds);
    EXPECT_EQ(H5Tget_size(type), 22u);
    char buf[44];
    H5Dread(ds, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, buf);
    std::int32_t m = 0;
    std::memcpy(&m, buf + 22 + 18, 4);
    EXPECT_EQ(std::string(buf + 22, 18), pad("CS2", 18));
    EXPECT_EQ(m, 3);
    H5Tclose(type);
    H5Dclose(ds);
  }
  EXPECT_EQ(reals(f.id, at(kData, "userConstantsRealData")),
            (std::vector<double>{1.25, 2.25, 3.25, 1.25, 2.25, 3.25}));
  EXPECT_EQ(ints(f.id, at(kData, "userConstantsIntegerData")), (std::vector<int>{11, 22, 11, 22}));
  const auto texts = strings(f.id, at(kData, "userConstantsStringData"));
  EXPECT_EQ(texts[0], pad("main text", 132));
  EXPECT_EQ(texts[1], pad("second text", 132));

  const auto ccnames = strings(f.id, at(kSet, "controlConstantsString"));
  ASSERT_EQ(ccnames.size(), 16u);
  EXPECT_EQ(ccnames[1], "HEADER");
  EXPECT_EQ(ccnames[3], "MFFB  ");
  EXPECT_EQ(strings(f.id, at(kData, "controlConstantsStringData"))[1], pad("A HEADER", 132));
  const auto ccreal = strings(f.id, at(kSet, "controlConstantsReal"));
  const auto ccval = reals(f.id, at(kData, "controlConstantsRealData"));
  for (std::size_t i = 0; i < ccreal.size(); ++i) {
    if (ccreal[i] == "TIMEN ") {
      EXPECT_EQ(ccval[49 + i], 10.0);
    }
    if (ccreal[i] == "TABS  ") {
      EXPECT_EQ(ccval[i], 273.15);
    }
  }
}

TEST_F(TmdTest, NodesOnlyAndConductorsOnlyFiles) {
  DMPTMD(" ", "NODES(T, FT)", 1, "NODEONLY");
  DMPTMD("#101,100,20", "CONDUCTORS(GL,M)", 1, "CONDONLY");
  tmd_requests_reset_for_tests();
  {
    File f("NODEONLY.TMD");
    EXPECT_TRUE(f.exists(at(kSet, "models")));
    EXPECT_TRUE(f.exists(at(kData, "times")));
    EXPECT_EQ(strings(f.id, at(kSet, "thermalNodesRealAttributes")),
              (std::vector<std::string>{pad("Temperature", 32)}));
    EXPECT_EQ(strings(f.id, at(kSet, "fluidNodesStringAttributes")),
              (std::vector<std::string>{pad("Type", 32), pad("Fluid_Type", 32)}));
    EXPECT_EQ(dims_of(f.id, at(kData, "thermalNodesRealData")), (std::vector<hsize_t>{1, 5, 1}));
    EXPECT_FALSE(f.exists(at(kSet, "thermalNodesIntegerAttributes")));
    EXPECT_FALSE(f.exists(at(kData, "thermalNodesIntegerData")));
    for (const char* absent : {"conductorsGL", "conductorsM_GP", "controlConstantsReal", "userConstantsReal"})
      EXPECT_FALSE(f.exists(at(kSet, absent))) << absent;
  }
  {
    File f("CONDONLY.TMD");
    EXPECT_FALSE(f.exists(at(kSet, "thermalNodes")));
    EXPECT_FALSE(f.exists(at(kSet, "fluidNodes")));
    EXPECT_EQ(ints(f.id, at(kSet, "conductorsGL")), (std::vector<int>{-2, 1, 1, 1}));
    EXPECT_EQ(ints(f.id, at(kSet, "conductorsM_GP")), (std::vector<int>{-2, -3, 1, 1}));
    EXPECT_TRUE(f.exists(at(kData, "conductorDataM")));
    EXPECT_FALSE(f.exists(at(kData, "conductorDataGP")));
    EXPECT_FALSE(f.exists(at(kSet, "conductorsGR")));
  }
}

TEST_F(TmdTest, ConstantsOfOneSubmodelOrOfItsSubtree) {
  DMPTMD(" ", "CONSTANTS", -2, "ONE");
  DMPTMD(" ", "CONSTANTS", 1, "TREE");
  tmd_requests_reset_for_tests();
  File one("ONE.TMD"), tree("TREE.TMD");
  EXPECT_EQ(reals(one.id, at(kData, "userConstantsRealData")), (std::vector<double>{3.25}));
  EXPECT_FALSE(one.exists(at(kSet, "userConstantsInteger")));
  EXPECT_FALSE(one.exists(at(kSet, "thermalNodes")));
  EXPECT_EQ(dims_of(tree.id, at(kData, "userConstantsRealData")), (std::vector<hsize_t>{1, 3}));
  EXPECT_EQ(layout_of(tree.id, at(kData, "userConstantsRealData")).first, (std::vector<hsize_t>{10, 3}));
}

TEST_F(TmdTest, TimeThatDoesNotAdvanceStartsTheNextNumberedFile) {
  for (double t : {0.0, 0.0, 5.0, 10.0, 10.0}) {
    GLOR.TIMEN = t;
    DMPTMD(" ", "NODES(T)", 1, "");
  }
  // Two base names alternating, each with its own slices.
  for (double t : {1.0, 2.0, 3.0}) {
    GLOR.TIMEN = t;
    DMPTMD(" ", "NODES(T)", 1, "ALPHA");
    DMPTMD(" ", "NODES(T)", 1, "BETA");
  }
  EXPECT_EQ(listing(), "");
  tmd_requests_reset_for_tests();
  // clang-format off
  const std::pair<const char*, std::vector<double>> files[] = {
      {"MAIN.TMD", {0.0}}, {"MAIN.TMD2", {0.0, 5.0, 10.0}}, {"MAIN.TMD3", {10.0}},
      {"ALPHA.TMD", {1, 2, 3}}, {"BETA.TMD", {1, 2, 3}}};
  for (const auto& [name, times] : files) {
    File f(name);
    ASSERT_GE(f.id, 0) << name;
    EXPECT_EQ(reals(f.id, at(kData, "times")), times) << name;
    EXPECT_EQ(dims_of(f.id, at(kData, "thermalNodesRealData"))[0], times.size()) << name;
  }
  // clang-format on
  File f("MAIN.TMD3");
  EXPECT_EQ(text_attribute(f.id, kData, "Description"), pad("Solution number 3", 100));
  EXPECT_FALSE(dir_.exists("ALPHA.TMD2"));
}

TEST_F(TmdTest, HundredthBaseNameIsRefused) {
  for (int i = 1; i <= 99; ++i) DMPTMD(" ", "CONSTANTS", 1, "B" + std::to_string(i));
  EXPECT_EQ(listing(), "");
  DMPTMD(" ", "CONSTANTS", 1, "B100");
  EXPECT_FALSE(dir_.exists("B100.TMD"));
  const std::string printed = listing();
  EXPECT_EQ(printed, box("Too many file basenames@Preparing to write TMD file@Maximum number of TMD file basenames "
                         "is 99.<NL>Request denied: B100@DMPTMD called in MAIN",
                         3, 2, "DmptmdReal"));
  GLOR.TIMEN = 1.0;
  DMPTMD(" ", "CONSTANTS", 1, "B7");  // registered names go on
  tmd_requests_reset_for_tests();
  File f("B7.TMD");
  EXPECT_EQ(reals(f.id, at(kData, "times")), (std::vector<double>{0.0, 1.0}));
}

TEST_F(TmdTest, MissingDirectoryGivesTheFatalDiagnostic) {
  EXPECT_THROW(DMPTMD(" ", kAll, 1, "missing/OUT"), plat::ProcessExit);
  const std::string printed = listing();
  int err = 0;
  tmdcreatefile("missing/OUT.TMD", 7, err);
  EXPECT_LT(err, 0);
  EXPECT_EQ(printed, box("Failed to open file missing/OUT.TMD@Writing TMD output@HDF error.@DMPTMD called in MAIN",
                         4, 4, "DmptmdReal"));
}

TEST_F(TmdTest, ParameterCaseFilesPerCaseAndRestart) {
  GLOC.PARNAM = "HOT";
  GLOR.TIMEN = 0.0;
  PARTMD(" ", "CASE0", 0);
  GLOR.TIMEN = 1.0;
  PARTMD(" ", "CASE0", 0);
  GLOR.TIMEN = 0.0;
  PARTMD(" ", "CASE0", 0);  // time restarts within the case
  GLOR.TIMEN = 0.5;
  PARTMD(" ", "CASE1", 1);  // the next case closes the previous file
  EXPECT_EQ(listing(), "");
  EXPECT_TRUE(tmd_slotopen(100));
  tmd_requests_reset_for_tests();
  const std::pair<const char*, std::vector<double>> files[] = {
      {"CASE0.TMD", {0.0, 1.0}}, {"CASE0.TMD2", {0.0}}, {"CASE1.TMD", {0.5}}};
  for (const auto& [name, times] : files) {
    File f(name);
    ASSERT_GE(f.id, 0) << name;
    EXPECT_EQ(reals(f.id, at(kData, "times")), times) << name;
  }
  File f("CASE0.TMD2");
  EXPECT_EQ(text_attribute(f.id, kData, "Description"), pad("Parameter case 0 HOT", 100));
  EXPECT_TRUE(f.exists(at(kData, "controlConstantsRealData")));
  EXPECT_EQ(dims_of(f.id, at(kData, "fluidNodesRealData")), (std::vector<hsize_t>{1, 3, 23}));
}

TEST_F(TmdTest, ParameterCaseWriteFailureMessage) {
  GLOC.PARNAM = "HOT";
  EXPECT_THROW(PARTMD(" ", "missing/C", 4), plat::ProcessExit);
  const std::string printed = listing();
  EXPECT_EQ(printed, box("Failed to open file missing/C.TMD@Writing thermal model data (TMD) for parameter case@HDF "
                         "error -1        @Running parameter case 4: HOT",
                         4, 2, "ParTmdBase"));
}

TEST_F(TmdTest, WriterSlotsAndMismatchedSlices) {
  int err = 99;
  tmdclosefile(5, err);  // a free slot is left alone
  EXPECT_EQ(err, 99);
  tmdcreatefile(pad("SLOT.TMD", 255), 5, err);
  ASSERT_EQ(err, 0);
  EXPECT_TRUE(dir_.exists("SLOT.TMD"));
  const Parsed p = parse(kAll);
  tmvvariablesupdate(1, plat::Vec1<const int>(p.condflags.data(), 6), "X", 5, "DMPTMD", "d", "j", "t", 2, 1, 4, 1, 0,
                     kNM, kNF, kNT, plat::Vec1<const int>(p.nodeflags.data(), 45),
                     plat::Vec1<const plat::Text<18>>(SPRNOD.t, 6), 2, 3, 1.0, 1, 1, 2, p.wantc, p.wantk, p.wantn,
                     " ");
  tmdcreatedatasets(err);
  ASSERT_EQ(err, 0);
  tmdwritedata(err);
  ASSERT_EQ(err, 0);
  // A slice gathered from a different selection does not fit the file.
  update(-2, parse(kAll));
  tmv::fileindex = 5;
  tmdwritedata(err);
  EXPECT_NE(err, 0);
  err = 0;
  tmdclosefile(5, err);
  EXPECT_EQ(err, 0);
  EXPECT_FALSE(tmd_slotopen(5));
  File f("SLOT.TMD");
  EXPECT_EQ(reals(f.id, at(kData, "times")).size(), 2u);  // the refused slice wrote only its time
  EXPECT_EQ(dims_of(f.id, at(kData, "thermalNodesRealData"))[0], 1u);
}

// ---------------------------------------------------------------------------
// A run killed while it writes.

// The values of slice t: thermal and fluid temperatures, a GL conductor and
// a real user constant, varied so that the compressed chunks change size.
double slice_value(int t, int k) { return 0.001 * ((t * 7919 + k * 104729) % 100003) + 17.0 * t + k; }

void set_slice(int t) {
  GLOR.TIMEN = t;
  for (int i = 1; i <= kNT; ++i) gar_thermalnodetemps(i) = slice_value(t, i);
  for (int j = 1; j <= kNF; ++j) gar_fluidnodetemps(j) = slice_value(t, 10 + j);
  gar_linearconds(1) = slice_value(t, 20);
  gar_userconstvaluesreal(1) = slice_value(t, 30);
}

// Writes slices 0, 1, 2, ... to KILL.TMD, telling `fd` the number written
// after each; never returns.
[[noreturn]] void write_slices_until_killed(int fd) {
  try {
    for (int t = 0; t < 1000000; ++t) {
      set_slice(t);
      DMPTMD(" ", kAll, 1, "KILL");
      const int written = t + 1;
      if (::write(fd, &written, sizeof written) != sizeof written) ::_exit(2);
    }
  } catch (const plat::ProcessExit&) {
    ::_exit(3);
  }
  ::_exit(4);
}

herr_t collect_name(hid_t, const char* name, const H5L_info_t*, void* names) {
  static_cast<std::vector<std::string>*>(names)->push_back(name);
  return 0;
}

// What is wrong with the first `n` slices of KILL.TMD (empty when nothing):
// every time-dependent data set must hold them and read back whole, with the
// values set_slice gave them. A file left by a killed run is still marked as
// open for writing, so it is read as a concurrent reader would.
std::string check_slices(int n) {
  // One read of each piece: a concurrent reader would retry a block whose
  // checksum fails, waiting for the writer to finish it; a killed writer
  // never will.
  const hid_t fapl = H5Pcreate(H5P_FILE_ACCESS);
  H5Pset_metadata_read_attempts(fapl, 1);
  const hid_t fid = H5Fopen("KILL.TMD", H5F_ACC_RDONLY | H5F_ACC_SWMR_READ, fapl);
  H5Pclose(fapl);
  if (fid < 0) return "the file does not open";
  const struct Closer {
    hid_t id;
    ~Closer() { H5Fclose(id); }
  } closer{fid};
  std::vector<std::string> names;
  const hid_t g = H5Gopen2(fid, kData, H5P_DEFAULT);
  if (g < 0 || H5Literate(g, H5_INDEX_NAME, H5_ITER_INC, nullptr, collect_name, &names) < 0) {
    if (g >= 0) H5Gclose(g);
    return "the data group does not open";
  }
  H5Gclose(g);
  if (names.size() != 18) return std::to_string(names.size()) + " time-dependent data sets";
  for (const std::string& name : names) {
    const hid_t ds = H5Dopen2(fid, at(kData, name.c_str()).c_str(), H5P_DEFAULT);
    if (ds < 0) return name + " does not open";
    const hid_t type = H5Dget_type(ds), space = H5Dget_space(ds);
    hsize_t dims[3] = {0, 1, 1};
    H5Sget_simple_extent_dims(space, dims, nullptr);
    std::vector<char> buf(static_cast<std::size_t>(H5Sget_simple_extent_npoints(space)) * H5Tget_size(type) + 1);
    const herr_t read = H5Dread(ds, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, buf.data());
    H5Sclose(space);
    H5Tclose(type);
    H5Dclose(ds);
    if (dims[0] < static_cast<hsize_t>(n)) return name + " holds " + std::to_string(dims[0]) + " slices";
    if (read < 0) return name + " does not read back";
  }
  const auto times = reals(fid, at(kData, "times"));
  const auto tdata = reals(fid, at(kData, "thermalNodesRealData"));
  const auto fdata = reals(fid, at(kData, "fluidNodesRealData"));
  const auto gl = reals(fid, at(kData, "conductorDataGL"));
  const auto uc = reals(fid, at(kData, "userConstantsRealData"));
  for (int t = 0; t < n; ++t) {
    const std::string slice = "slice " + std::to_string(t) + ": ";
    const auto st = static_cast<std::size_t>(t);
    if (times[st] != t) return slice + "time";
    for (int i = 1; i <= kNT; ++i)
      if (tdata[(st * kNT + static_cast<std::size_t>(i - 1)) * 18] != slice_value(t, i)) return slice + "T";
    for (int j = 1; j <= kNF; ++j)
      if (fdata[(st * kNF + static_cast<std::size_t>(j - 1)) * 23] != slice_value(t, 10 + j))
        return slice + "fluid T";
    if (gl[st * 8] != slice_value(t, 20)) return slice + "GL";
    if (uc[st * 3] != slice_value(t, 30)) return slice + "user constant";
  }
  return "";
}

TEST_F(TmdTest, SlicesWrittenBeforeAKillReadBack) {
  std::mt19937 rng(20240611u);
  tmd_requests_reset_for_tests();
  int most = 0;
  for (int iteration = 0; iteration < 30; ++iteration) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      write_slices_until_killed(fds[1]);
    }
    ::close(fds[1]);
    // Kill after a random number of slices (up to three chunks of ten and a
    // part), a random time into the next one.
    const int target = static_cast<int>(rng() % 36);
    int written = 0;
    pollfd p{fds[0], POLLIN, 0};
    while (written<target&& ::poll(&p, 1, 10000)> 0 && ::read(fds[0], &written, sizeof written) > 0) {
    }
    ::usleep(rng() % 1500);
    ::kill(pid, SIGKILL);
    int ws = 0;
    ::waitpid(pid, &ws, 0);
    for (int more = 0; ::read(fds[0], &more, sizeof more) == sizeof more;) written = more;
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(ws) && WTERMSIG(ws) == SIGKILL) << "the writer ended by itself, status " << ws;
    ASSERT_GE(written, target);
    most = std::max(most, written);
    if (written >= 1) {
      EXPECT_EQ(check_slices(written), "") << "iteration " << iteration << ", " << written << " slices written";
    }
  }
  EXPECT_GE(most, 30);  // the kills reached the third chunk
}

// Writes slices 0 .. n-1 to KILL.TMD.
void write_slices(int n) {
  for (int t = 0; t < n; ++t) {
    set_slice(t);
    DMPTMD(" ", kAll, 1, "KILL");
  }
}

long long file_size(const char* name) {
  struct stat st {};
  return ::stat(name, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// A closed file is compacted: written in the single-writer mode it holds
// every earlier version of each chunk; the copy that replaces it holds the
// last ones and opens plainly. When the copy cannot be made (here its name
// is taken by a directory) the file stays as written, with every slice.
TEST_F(TmdTest, ClosedFileIsCompactedWithEverySlice) {
  for (const bool blocked : {false, true}) {
    SCOPED_TRACE(blocked ? "copy blocked" : "copy made");
    tmd_requests_reset_for_tests();
    if (blocked) {
      ASSERT_TRUE(std::filesystem::create_directory("KILL.TMD.tmp"));
    }
    write_slices(35);
    const long long written = file_size("KILL.TMD");
    tmd_requests_reset_for_tests();
    const long long closed = file_size("KILL.TMD");
    EXPECT_EQ(check_slices(35), "");
    EXPECT_EQ(listing(), "");
    if (blocked) {
      EXPECT_EQ(closed, written);
      EXPECT_TRUE(std::filesystem::is_directory("KILL.TMD.tmp"));
      std::filesystem::remove("KILL.TMD.tmp");
    } else {
      EXPECT_LT(closed * 2, written) << closed << " bytes closed, " << written << " written";
      EXPECT_FALSE(std::filesystem::exists("KILL.TMD.tmp"));
      File f("KILL.TMD");  // no longer marked as open for writing
      ASSERT_GE(f.id, 0);
      EXPECT_EQ(text_attribute(f.id, "/", "FileVersion"), "01.00");
      EXPECT_EQ(text_attribute(f.id, kData, "Description"), pad("Solution number 1", 100));
      EXPECT_EQ(real_attribute(f.id, kSet, "TAbs"), 273.15);
      for (const char* name : {"times", "thermalNodesRealData", "conductorDataGL", "userConstantsRealData"}) {
        const auto [chunk, deflate] = layout_of(f.id, at(kData, name));
        EXPECT_EQ(chunk.front(), 10u) << name;
        EXPECT_EQ(deflate, 1) << name;
      }
    }
  }
}

// A kill while the file is closed and compacted: the written file stays in
// place until the copy replaces it whole, so the slices read back from
// whichever is there.
TEST_F(TmdTest, SlicesWrittenBeforeAKillDuringTheCloseReadBack) {
  std::mt19937 rng(20261211u);
  // How long a close takes here, to spread the kills over it.
  tmd_requests_reset_for_tests();
  write_slices(25);
  const auto t0 = std::chrono::steady_clock::now();
  tmd_requests_reset_for_tests();
  const auto close_us =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count();
  ASSERT_EQ(check_slices(25), "");
  int killed = 0;
  for (int iteration = 0; iteration < 30; ++iteration) {
    const int n = 1 + static_cast<int>(rng() % 35);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      try {
        write_slices(n);
        if (::write(fds[1], &n, sizeof n) != sizeof n) ::_exit(2);
        tmd_requests_reset_for_tests();  // the close
      } catch (const plat::ProcessExit&) {
        ::_exit(3);
      }
      ::_exit(0);
    }
    ::close(fds[1]);
    int written = 0;
    pollfd p{fds[0], POLLIN, 0};
    ASSERT_GT(::poll(&p, 1, 10000), 0);
    ASSERT_EQ(::read(fds[0], &written, sizeof written), static_cast<ssize_t>(sizeof written));
    ::close(fds[0]);
    ::usleep(static_cast<useconds_t>(rng() % static_cast<unsigned>(2 * close_us + 1)));
    ::kill(pid, SIGKILL);
    int ws = 0;
    ::waitpid(pid, &ws, 0);
    ASSERT_TRUE(WIFSIGNALED(ws) || (WIFEXITED(ws) && WEXITSTATUS(ws) == 0)) << "status " << ws;
    if (WIFSIGNALED(ws)) ++killed;
    EXPECT_EQ(check_slices(written), "") << "iteration " << iteration << ", " << written << " slices written, "
                                         << (WIFSIGNALED(ws) ? "killed" : "closed");
    std::filesystem::remove("KILL.TMD.tmp");
  }
  EXPECT_GE(killed, 1);  // some kills came before the close had ended
}

}  // namespace
}  // namespace tmd_test

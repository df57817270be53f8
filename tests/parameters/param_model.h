// A small model for the parameter-case tests and the parameter-file fuzz
// target, filled straight into the global arrays (no test framework needed):
// MAIN (model 1) holds SUB1 (model 2), which holds SUB2 (model 3).
//
//   model  thermal internal : user numbers     fluid index (internal) : number
//   MAIN   1..6             : 1..6             1 (14)                 : 100
//   SUB1   7..10            : 1, 2, 3, 12      2, 3 (15, 16)          : 12, 13
//   SUB2   11..13           : 3, 4, 5          4 (17)                 : 20
//
// NT = 13, NF = 4; every thermal node "D", every fluid node "F" with a flow
// area of 1.0E-4 (the generated INITIAL completes their state and geometry).
// Labels: 1 "PANEL A", 2 "PANEL B", 5 "RADIATOR", 8 "PANEL C", 11 "12 DEG",
// fluid 1 "PANEL LOOP". Aliases: MAIN INLET -> 2, OUTLET -> 5; SUB1 LID -> 3.
// GL: MAIN 1 (1,2), 2 (1,2), 3 (2,3); SUB1 4 (7,8); SUB2 5 (11,12), with
// the compact thermal connection lists. GV: MAIN 1 (1,2), 2 (1,2), 3 (2,3).
// Mass-flow link 1 (SUB1) from fluid 2 to fluid 3, with the fluid lists.
// User constants: MAIN real GAIN 2.5, integer NCOUNT 7, character LABELX
// "PANEL" and NODESET "#1-3"; SUB1 character TWELVE "12".
// User arrays: 1 REALA real 3 x 4 (values 1..12), 2 INTA integer 5 (10..50),
// 3 TEXTA character 3 ("ABC", "DE", "FGHI"), 4 TABLE an interpolation table.
// User entities: real HEAT, MASS, integer COUNT, character TAG.
// Temperatures 10 x internal number; DYSTOR 200.
#pragma once

#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "platform/array.h"
#include "platform/text.h"
#include "support/small_model.h"

namespace params_test {

inline constexpr int kNT = 13, kNF = 4, kNM = 3, kNGL = 5, kNGV = 3, kDystor = 200;

// Writes `texts` one after another, each followed by a NUL, into a pool
// from character position 1.
inline void fill_pool(plat::Array1<plat::Text<133>>& pool, const std::vector<std::string>& texts) {
  std::string all;
  for (const auto& t : texts) {
    all += t;
    all.push_back('\0');
  }
  for (std::size_t i = 0; i < all.size(); ++i) pool(static_cast<int>(i / 133) + 1).c[i % 133] = all[i];
}

inline void build_param_fixture() {
  gar_deallocate_all();
  FLAGS = FlagsRecord{};
  FLAGS(1) = kNT;
  FLAGS(2) = kNGL;
  FLAGS(5) = kNGV;
  FLAGS(11) = 2;  // per-model integer constants NODES, NODESM
  FLAGS(19) = 4;  // user arrays
  FLAGS(22) = 1;  // character array elements
  FLAGS(26) = kNM;
  FLAGS(28) = kDystor;
  FLAGS(32) = kNF;
  FLAGS(33) = 1;  // mass-flow links
  FLAGS(29) = 1;  // work-space tops: the first free word, as a run starts them
  FLAGS(36) = 1;
  FLAGS(40) = 3;  // aliases
  // Thermal GL connection lists (compact form) and the fluid lists.
  const std::vector<int> pcs = {2, 1, 2, 2, 1, 1, 1, 2, 3, 3, 2, 3, 8, 4, 7, 4, 11, 5, 12, 5};
  const std::vector<int> pcsfluid = {0, 0, 0, 0, 3, 1, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  tna_test::ArraySizes c;
  c.larrinfo = 22;                                  // array descriptor list
  c.dystor = kDystor;                               // DYSTOR
  c.mdrows = 18;                                    // directory rows
  c.lpcsfluid = static_cast<int>(pcsfluid.size());  // fluid connection list
  c.lpcsth = static_cast<int>(pcs.size());          // compact thermal list
  c.narrays = 4;                                    // user arrays
  c.nucn = 5;                                       // user-constant names
  c.ncharel = 1;                                    // character array elements
  c.ncharuc = 3;                                    // character user constants
  c.ncharpool = 2;                                  // character pool elements
  c.nf = kNF;
  c.nintel = 5;  // integer array values
  c.nintuc = 1;  // integer user constants
  c.ngl = kNGL;
  c.nl = 1;        // mass-flow links
  c.nalias = 3;    // aliases
  c.nrealel = 12;  // real array values
  c.nrealuc = 1;   // real user constants
  c.nm = kNM;
  c.nt = kNT;
  c.nchent = 1;    // character user entities
  c.nintent = 1;   // integer user entities
  c.nrealent = 2;  // real user entities
  c.ngv = kNGV;
  c.allocate();
  tna_test::set_column(md_level, {0, 1, 2});
  tna_test::set_column(md_subtreesize, {3, 2, 1});
  for (int m = 1; m <= kNM; ++m) {
    gar_modelstatuses(m) = "A";
  }
  // Cumulative bases per model (and the totals in column NM + 1).
  tna_test::set_column(md_thermalnodebase, {0, 6, 10, 13});
  tna_test::set_column(md_fluidnodebase, {0, 1, 3, 4});
  tna_test::set_column(md_nodealiasbase, {0, 2, 3, 3});
  tna_test::set_column(md_linearcondbase, {0, 3, 4, 5});
  tna_test::set_column(md_vfaccondbase, {0, 3, 3, 3});
  tna_test::set_column(md_massflowlinkbase, {0, 0, 1, 1});
  tna_test::set_column(md_realuserconstbase, {0, 1, 1, 1});
  tna_test::set_column(md_intuserconstbase, {0, 1, 1, 1});
  tna_test::set_column(md_charuserconstbase, {0, 2, 3, 3});
  tna_test::set_column(md_realnamebase, {0, 4, 5, 5});
  tna_test::set_column(md_intnamebase, {1, 4, 5, 5});
  tna_test::set_column(md_charnamebase, {2, 4, 5, 5});
  tna_test::set_column(md_charelementbase, {0, 1, 2, 2});
  tna_test::set_column(md_arraybase, {0, 4, 4, 4});
  gar_modelnames(1) = "MAIN";
  gar_modelnames(2) = "SUB1";
  gar_modelnames(3) = "SUB2";
  for (int m = 1; m <= kNM; ++m) gar_submodelnames(m) = gar_modelnames(m);

  const int tnums[kNT] = {1, 2, 3, 4, 5, 6, 1, 2, 3, 12, 3, 4, 5};
  for (int i = 1; i <= kNT; ++i) {
    gar_thermalnodenums(i) = tnums[i - 1];
    gar_thermalnodestatuses(i) = "D";
    gar_thermalnodestatusescopy(i) = "D";
    gar_thermalnodetemps(i) = 10.0 * i;
    gar_thermalnodeuserentityvalsreal(i, 1) = 1.0 * i;
    gar_thermalnodeuserentityvalsreal(i, 2) = 100.0 + i;
    gar_thermalnodeuserentityvalsint(i, 1) = 1000 + i;
    gar_thermalnodeuserentityvalschar(i, 1) = "T" + std::to_string(i);
  }
  gar_thermalnodelabels(1) = "PANEL A";
  gar_thermalnodelabels(2) = "PANEL B";
  gar_thermalnodelabels(5) = "RADIATOR";
  gar_thermalnodelabels(8) = "PANEL C";
  gar_thermalnodelabels(11) = "12 DEG";
  const int fnums[kNF] = {100, 12, 13, 20};
  for (int j = 1; j <= kNF; ++j) {
    gar_fluidnodenums(j) = fnums[j - 1];
    gar_fluidnodestatuses(j) = "F";
    gar_fluidnodetemps(j) = 1.5 * j;
    gar_fluidnodeflowareas(j) = 1.0e-4;
    gar_fluidnodeuserentityvalsreal(j, 1) = 7.0 * j;
    gar_fluidnodeuserentityvalsreal(j, 2) = 70.0 * j;
    gar_fluidnodeuserentityvalsint(j, 1) = 2000 + j;
    gar_fluidnodeuserentityvalschar(j, 1) = "F" + std::to_string(j);
  }
  gar_fluidnodelabels(1) = "PANEL LOOP";
  gar_nodealiasnames(1) = "INLET";
  gar_nodealiasnumbers(1) = 2;
  gar_nodealiasnames(2) = "OUTLET";
  gar_nodealiasnumbers(2) = 5;
  gar_nodealiasnames(3) = "LID";
  gar_nodealiasnumbers(3) = 3;

  for (int k = 1; k <= kNGL; ++k) {
    gar_linearconds(k) = 0.5 * k;
    gar_linearcondacts(k) = "A";
  }
  const int gv[2 * kNGV] = {1, 2, 1, 2, 2, 3};
  for (int k = 1; k <= 2 * kNGV; ++k) gar_vfaccondnodepairs(k) = gv[k - 1];
  for (std::size_t k = 0; k < pcs.size(); ++k) gar_pcsthermal(static_cast<int>(k) + 1) = pcs[k];
  // Node: first word and entry count of its GL sub-list (GR and GF empty).
  const int gl_first[kNT] = {1, 5, 11, 0, 0, 0, 13, 15, 0, 0, 19, 17, 0};
  const int gl_count[kNT] = {2, 3, 1, 0, 0, 0, 1, 1, 0, 0, 1, 1, 0};
  for (int n = 1; n <= kNT; ++n) {
    gar_pcsptrsthermal(1, n) = gl_first[n - 1];
    gar_pcsptrsthermal(2, n) = gl_count[n - 1];
  }
  for (std::size_t k = 0; k < pcsfluid.size(); ++k) gar_pcsfluid(static_cast<int>(k) + 1) = pcsfluid[k];
  const int fptr[kNF] = {1, 5, 11, 17};
  for (int j = 1; j <= kNF; ++j) gar_pcsptrsfluid(j) = fptr[j - 1];
  gar_massflowlinkcondnodepairs(1) = 2;
  gar_massflowlinkcondnodepairs(2) = 3;
  gar_massflowlinkflowrates(1) = 0.25;
  gar_massflowlinkstatuses(1) = "A";

  // User constants and their pool: MAIN's part in element 1, SUB1's in element 2.
  gar_userconstnames(1) = "GAIN";
  gar_userconstnames(2) = "NCOUNT";
  gar_userconstnames(3) = "LABELX";
  gar_userconstnames(4) = "NODESET";
  gar_userconstnames(5) = "TWELVE";
  gar_userconstvaluesreal(1) = 2.5;
  gar_userconstvaluesint(1) = 7;
  gar_userconstpointerschar(1) = 1;
  gar_userconstpointerschar(2) = 7;
  gar_userconstpointerschar(3) = 1;
  fill_pool(gar_userconstvalueschar, {"PANEL", "#1-3"});
  gar_userconstvalueschar(2).c[0] = '1';
  gar_userconstvalueschar(2).c[1] = '2';
  gar_userconstvalueschar(2).c[2] = '\0';

  // User arrays: descriptors type, values, first value, dimensions, sizes.
  gar_arraynames(1) = "REALA";
  gar_arraynames(2) = "INTA";
  gar_arraynames(3) = "TEXTA";
  gar_arraynames(4) = "TABLE";
  const int info[22] = {2, 12, 1, 2, 3, 4, 1, 5, 1, 1, 5, 3, 3, 1, 1, 3, 4, 0, 0, 0, 0, 1};
  for (int k = 1; k <= 22; ++k) gar_arrayinfolist(k) = info[k - 1];
  gar_arrayinfopointers(1) = 1;
  gar_arrayinfopointers(2) = 7;
  gar_arrayinfopointers(3) = 12;
  gar_arrayinfopointers(4) = 17;
  for (int k = 1; k <= 12; ++k) gar_arrayvaluesreal(k) = k;
  for (int k = 1; k <= 5; ++k) gar_arrayvaluesint(k) = 10 * k;
  fill_pool(gar_arrayvalueschar, {"ABC", "DE", "FGHI"});

  tna_test::set_user_entities({"HEAT", "MASS"}, {"COUNT"}, {"TAG"});

  GLOI.MODEL = 1;
  ndssmd_reset_for_tests();
  lschnd_reset_for_tests();
}

}  // namespace params_test

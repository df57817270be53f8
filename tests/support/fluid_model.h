// A small fluid-loop model for the tests of the fluid-loop solution: thermal
// nodes, fluid nodes, mass-flow links and GL, GR, GF conductors in a main
// model and, optionally, submodels below it. build() puts them into the
// global records and arrays and builds the connection lists through the
// model-data builders themselves, model by model as the database load does
// (local lists SPCSA and SFPCSA, link update LOADUP, merge SIMPCS, node-copy
// list SREDSP, compaction LPCSCN).
//
//   tna_test::FluidModel fm = tna_test::chain(3);   // or build one by hand
//   fm.node(2).status = 'J';                         // edit before build()
//   int w = fm.gl(2, 102, 5.0);                      // a conductor handle
//   fm.build();
//   tna_test::fluid_controls();                      // every control constant
//   const FlNetwork net = fl_network();
//   net.tf(fm.findex(2));  net.gl(fm.gl_index(w));
//
// Numbering: user node numbers are unique over thermal and fluid nodes;
// within each model the thermal and the fluid nodes are stored in ascending
// user number, models in the order they were added (the main model is
// model 1, each submodel a child of it). A link belongs to the model of its
// first node and must join nodes of that model. A conductor that joins nodes
// of two models is an inter-model conductor, read with the lower-numbered
// model after that model's own conductors and entered into the lists as the
// load enters it (so a GL between fluid nodes of two models is possible,
// and only so). Conductors and links get their global indices from the
// builders' order; look them up by handle (gl_index(h), link_index(h), ...). After build() the dynamic core
// has `dystor` words on each stack with both tops at 1, and the node-list
// and node-model caches are empty.
//
// The recorder BlockLog installs hooks into tna_test::model that record, for
// every call of INITIAL, VARIABLES1, VARIABLES2 and OUTPUTS, the block name,
// SOLTYP (trailing blanks dropped), TIMEO and TIMEN, then run the test's own
// statements for that block.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tna_test {

// A real whose first 32-bit word holds the undefined marker.
double undefined_real();

struct FluidNodeSpec {
  int num = 0;
  int model = 1;
  char status = 'F';
  std::string label;  // blank: "FLUID <num>"
  std::string fluid = "WATER";
  std::string fst = "P&T";
  double t = 20.0, p = 2.0e5, fe = 0.0, vq = 0.0;
  double fd = 0.01, fl = 1.0;
  double fla = undefined_real();  // FINITS computes it from FD
  double vol = 0.0, ff = 1.0e-5, area = 0.0;
  double fx = 0.0, fy = 0.0, fz = 0.0;
  double fq = 0.0, fm = 0.0, fr = 0.0, fh = 0.0, fw = 0.0;
  double phi = 0.0, w = 0.0, sink = 0.0, cmp = 0.0, vdt = 0.0;
  char vcf = 'A';
};

struct LinkSpec {
  int a = 0, b = 0;  // user node numbers; a positive flow runs from a to b
  double flow = 0.0;
  char status = 'A';
  double gp = 0.0;
  int type = 1;
};

class FluidModel {
 public:
  // A submodel (child of the main model) named `name`; returns its model
  // number.
  int submodel(const std::string& name);
  FluidModel& thermal(int num, char status, double t, double cap = 0.0, int model = 1);
  // Adds fluid node num with the defaults of FluidNodeSpec; returns it for
  // editing (valid until the next node is added).
  FluidNodeSpec& fluid(int num, int model = 1);
  // The description of fluid node num, to edit before build().
  FluidNodeSpec& node(int num);
  // Links and conductors; the result is a handle.
  int link(int a, int b, double flow, char status = 'A');
  LinkSpec& link_spec(int h) { return links_.at(static_cast<std::size_t>(h)); }
  int gl(int a, int b, double g, char act = 'A') { return add(gl_, a, b, g, act); }
  int gr(int a, int b, double g, char act = 'A') { return add(gr_, a, b, g, act); }
  int gf(int from, int to, double g, char act = 'A') { return add(gf_, from, to, g, act); }

  // Fills the global records and arrays and builds the connection lists.
  void build(int dystor = 20000);

  // After build(): counts and indices.
  int nt() const { return nt_; }
  int nf() const { return nf_; }
  int nl() const { return static_cast<int>(links_.size()); }
  int tindex(int num) const;  // global thermal index
  int findex(int num) const;  // fluid index 1..NF
  int global(int num) const;  // global node number (fluid: NT + fluid index)
  int link_index(int h) const { return link_map_.at(static_cast<std::size_t>(h)); }
  int gl_index(int h) const { return gl_map_.at(static_cast<std::size_t>(h)); }
  int gr_index(int h) const { return gr_map_.at(static_cast<std::size_t>(h)); }
  int gf_index(int h) const { return gf_map_.at(static_cast<std::size_t>(h)); }

 private:
  struct ThermalSpec {
    int num, model;
    char status;
    double t, cap;
  };
  struct CondSpec {
    int a, b;
    double g;
    char act;
  };
  struct NodeInfo {
    int model;
    bool fluid;
    int index;  // global thermal index or fluid index
    int order;  // position in its model's node order, thermal nodes first
  };
  int add(std::vector<CondSpec>& v, int a, int b, double g, char act);
  const NodeInfo& info(int num) const;

  std::vector<std::string> submodels_;
  std::vector<ThermalSpec> thermal_;
  std::vector<FluidNodeSpec> fluid_;
  std::vector<LinkSpec> links_;
  std::vector<CondSpec> gl_, gr_, gf_;
  std::vector<int> link_map_, gl_map_, gr_map_, gf_map_;
  std::unordered_map<int, NodeInfo> index_;  // by user node number, made by build()
  int nt_ = 0, nf_ = 0;
};

// ---- Shapes (WATER unless stated; unbuilt, edit them before build()) -----
//
// chain(n): fluid nodes 1..n, status "F", "P&T" at 20 C and 2.0E5 Pa, FD
//   0.01 m, FL 1 m, FLA undefined; links l = i: i -> i + 1 with 0.01 kg/s.
// ring(n, j_node): the chain closed by link n: n -> 1; node 1 of status "J"
//   (pressure held) when j_node.
// branch(): a split and merge: 1 -> 2, 2 -> 3, 2 -> 4, 3 -> 5, 4 -> 5,
//   5 -> 6 (links 1..6 in this order) with 0.02, 0.01, 0.01, 0.01, 0.01,
//   0.02 kg/s; node 1 "R" (inlet), node 6 "J" (outlet), the rest "F".
// evaporator(n): a heated channel of n >= 2 nodes at 1.0E5 Pa: node 1 "R",
//   "P&T" at 80 C (subcooled liquid); nodes 2..n "P&VQ" with VQ = (i - 1) /
//   n, node n of status "J"; walls: thermal nodes 101..100 + n, status "B"
//   at 150 C, each joined to its fluid node by a GL of 50 W/K; links i -> i
//   + 1 with 0.005 kg/s.
// humid_duct(n): n >= 2 nodes of "AIRW", "P&T" at 25 C and 1.01325E5 Pa,
//   PHI 0.6, FD 0.1 m; node 1 "R", node n "J"; a cold wall, thermal node 100
//   of status "B" at 5 C, joined to every fluid node by a GL of 2 W/K; links
//   i -> i + 1 with 0.05 kg/s.
FluidModel chain(int n);
FluidModel ring(int n, bool j_node);
FluidModel branch();
FluidModel evaporator(int n);
FluidModel humid_duct(int n);

// Sets every control constant the fluid-loop solution reads or writes, with
// diagnostics on the listing (MLEVEL 0, MSHORT 0, TRACE 0):
//   TABS 273.15, PABS 0, STEFAN 5.670374E-8; TIMEO 0, TIMEND 10, TIMEN 0,
//   TIMEM 0, OUTINT 5, DTIMEI 1, DTIMEU 0, DTMIN 1E-6, DTMAX 10, DTPMAX 1E10;
//   NLOOP 100, NLOOPH 0, NLOOPT 0, LOOPCT 0; RELXCA 1E-4, FRLXCA 1E-4,
//   RELXMA 1E-6, RELXCC, FRLXCC, RELXMC 0, NRLXCC, NFRLXC, NRLXMC 0;
//   DAMPT 1, DAMPM 1, MINFLO 0, MINDP 0, GRAVX, GRAVY, GRAVZ 0; CSGMIN,
//   FCSGMN, DTCOUR, RLCOUR 0, NCSGMN, FNCSGM 0; SUMFLL, SUMTHL 0; FSTEPS 1,
//   DTIMIF, DTIMUT, TIMENT, TIMEOT 0; METHOD 0; MODULE, SOLVER, SOLTYP
//   blank; QTRSOL "YES", TIMELA "NO", OUTIME "ALL".
void fluid_controls();

struct BlockCall {
  std::string block;   // "INITIAL", "VARIABLES1", "VARIABLES2", "OUTPUTS"
  std::string soltyp;  // SOLTYP at the call, trailing blanks dropped
  double timeo = 0.0, timen = 0.0;
};

class BlockLog {
 public:
  // Sets the four hooks of tna_test::model; this log must outlive them
  // (tna_test::model.reset() removes them).
  void install();
  // Calls of `block` (and, when given, with that SOLTYP).
  int count(std::string_view block) const;
  int count(std::string_view block, std::string_view soltyp) const;

  std::vector<BlockCall> calls;
  // The test's own statements, run after the record of each call.
  std::function<void()> initial, variables1, variables2, outputs;
};

}  // namespace tna_test

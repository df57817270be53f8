// The fluid side of the model as every fluid-loop routine sees it: one view
// (FlNetwork) of counts, spans over the global arrays and the control
// constants that the kernels read at every use, and the two model queries
// FTAIRW (is any fluid node humid air) and FlOrdering (the split of the
// ordering block of the FLT drivers). The thermal-list iterator STUNPK lives
// with the other linked-list walks (modeldata/list_walks.h), the fluid-list
// iterator SFUNPK with the connection lists (modeldata/connection_lists.h).
//
// Binding. fl_network() reads FLAGS and the global arrays once and returns
// the view; a routine binds it at entry (the arrays are allocated once per
// run and never move during a solution) and hands it by const reference to
// its kernels:
//
//   const FlNetwork net = fl_network();
//   for (int k = 1; k <= net.nf; ++k) {
//     double g = 0.0, gt = 0.0;
//     SFGSM(net, k, net.t, net.tf, g, gt);   // sums at the current temperatures
//   }
//
// A const view still writes through its spans (they are views, not owners):
// the element type says what the fluid-loop solution may change. Spans of
// const elements are model input that no fluid routine writes (labels,
// statuses, fluid names, descriptors, roughnesses, positions, conductors,
// links' node pairs and statuses, the connection lists); every state the
// solution updates (temperatures, pressures, enthalpies, qualities, flow
// areas, hydraulic diameters, lengths, volumes, mass sources and their
// states, humidities, link flows, conductances and link states, the thermal
// QR heat source) is a mutable span.
//
// Indices. Fluid node k (1..nf) is element k of every fluid-node span; its
// global node number, the NODE argument of the property functions and the
// node of MESBLD, is nt + k (global(k)). Link l (1..nl) joins pairs(2l - 1)
// to pairs(2l) (first(l), second(l)); a positive flow m(l) runs from the
// first node to the second. Conductors are indexed by their global number of
// their kind.
//
// Temperatures. The kernels that form conductance sums take the thermal and
// the fluid temperatures as arguments (start-of-step values or iterates held
// in work space); net.t and net.tf are the model's own arrays.
//
// Control constants are not copied into the view: the user's VARIABLES1,
// VARIABLES2 and OUTPUTS statements may change any of them between two
// kernel calls, so tabs(), pabs() and stefan() read GLOR at the moment of
// use, and every other constant is read from or written to GLOR, GLOI and
// GLOC where the routine needs it. Every fluid-loop solution routine
// (FLTNTS, FLTNTF, FLTMTS, FGENFI) checks its required constants before it
// takes work space, and that check refuses a TIMEO, TIMEND, DTIMEI, OUTINT,
// DTMIN or DTMAX that is not a finite number, as the thermal transient
// routines do; then it checks the model's fluid inputs it reads (the nodes,
// links and their thermal neighbours, fluid/input_checks.h), so that the
// kernels may take every value they read from the model as a number.
//
// Counts raised to at least 1 (nt1, nf1, ...) are the extents the drivers
// give their per-node and per-link work blocks.
//
// Work space. The view holds no work space; it keeps only the fluid code of
// each node with the name it was found for (fluid_code). The drivers take their blocks
// from the dynamic core (gar_CoreGuard, modeldata/global_arrays.h) and bind
// them with plat::Vec1 views (gar_dynamiccorereal.from(first, n)); the
// ordering block of 5 x nf integers is split by fl_ordering.
//
// Connection list. A fluid routine walks fluid node k's list with a range
// over its entries (fl_entries, or fl_links for the links only), which
// reads the list as SFUNPK with flag 0 does and passes the routine's guard
// once for every entry it reads and once for the read that ends the walk:
//
//   LoopGuard guard("FSUMGP");
//   for (const FlEntry& e : fl_links(net, i, guard)) {
//     const int l = e.link();
//     ...
//   }
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "modeldata/connection_lists.h"
#include "platform/array.h"
#include "platform/text.h"
#include "properties/properties.h"

using FlInts = plat::Vec1<std::int32_t>;
using FlCInts = plat::Vec1<const std::int32_t>;
using FlReals = plat::Vec1<double>;
using FlCReals = plat::Vec1<const double>;
using FlCLetters = plat::Vec1<const plat::Text<1>>;
using FlText4 = plat::Vec1<plat::Text<4>>;
using FlCText4 = plat::Vec1<const plat::Text<4>>;
using FlCNames = plat::Vec1<const plat::Text<24>>;

// to(i) := from(i) for i = 1..n: the copies of temperature and state arrays
// between the model and a step's work arrays.
inline void fl_copy(int n, FlCReals from, FlReals to) {
  for (int i = 1; i <= n; ++i) to(i) = from(i);
}

struct FlNetwork {
  // ---- Counts (FLAGS words 1, 32, 33, 2, 3, 4; negative words count as 0)
  int nt = 0, nf = 0, nl = 0;
  int ngl = 0, ngf = 0, ngr = 0;
  // The same raised to at least 1.
  int nt1 = 1, nf1 = 1, nl1 = 1, ngl1 = 1, ngf1 = 1, ngr1 = 1;
  // Lengths of the fluid list (word 35), of the linked thermal list (word
  // 24) and of its node-copy tail (word 25).
  int lenfluid = 0, lenthermal = 0, lencopy = 0;

  // ---- Thermal nodes
  FlReals t;                // temperatures
  FlCReals cap;             // capacitances
  FlCLetters tstat;         // statuses ("D", "B", "X", "C")
  FlCReals qa, qe, qi, qs;  // heat sources: albedo, planet, internal, solar
  FlReals qr;               // heat source "other"; the latent heat of condensation is added for a step

  // ---- Fluid nodes
  FlCNames labels;      // L
  FlCInts nums;         // user node numbers
  FlCInts models;       // submodel of each node
  FlCNames ftypes;      // FT, fluid names ("WATER", "AIRW", ...)
  FlCLetters fstat;     // status letters (F J R K H Q S U I O V)
  FlCText4 fst;         // FST, state descriptors
  FlText4 frg;          // FRG, flow regimes
  FlCLetters vcf;       // volume-control flags ("A" area, "L" length)
  FlReals tf;           // T
  FlReals p;            // P
  FlReals fe;           // FE, specific enthalpies
  FlReals vq;           // VQ, vapour qualities (humidity ratio of "AIRW" nodes in a solution)
  FlReals fd;           // FD, hydraulic diameters (a compliant node's follows its volume)
  FlReals fl;           // FL, lengths
  FlReals fla;          // FLA, flow areas
  FlReals vol;          // VOL, volumes
  FlCReals ff;          // FF, wall roughnesses
  FlCReals area;        // A, heat-transfer areas
  FlCReals fx, fy, fz;  // FX, FY, FZ, positions
  FlCReals fq;          // FQ, heat sources
  FlReals fm;           // FM, mass sources
  FlReals fr;           // FR, mass-source temperatures
  FlReals fh;           // FH, mass-source specific enthalpies
  FlReals fw;           // FW, mass-source qualities (humidity ratios for humid air)
  FlReals phi;          // PHI, relative humidities
  FlReals w;            // specific humidities (humidity ratios) of humid-air nodes
  FlReals sink;         // water-vapour sink rates
  FlCReals cmp;         // CMP, compliances
  FlCReals vdt;         // VDT, volume change rates

  // ---- Mass-flow links
  FlCInts pairs;                     // first and second fluid node of link l at 2l - 1, 2l
  FlReals m;                         // M, mass flows
  FlCReals gp;                       // GP, fitting loss coefficients
  FlCLetters lstat;                  // "A" active, "I" inactive
  FlInts ltype;                      // link type codes
  FlReals lcond;                     // thermal conductances (heat-capacity rates)
  FlReals psrc, psrcd;               // pressure sources and their derivatives
  FlReals lvq, lh, lqevap;           // carried qualities, carried enthalpies, evaporative heat fluxes
  plat::Mat2<std::int32_t> psflags;  // phase-separation flags (2 x nl: first, second end)
  plat::Mat2<double> psvq;           // phase-separation qualities (2 x nl)

  // ---- Conductors
  FlCReals gl, gr, gf;
  FlCLetters glacts, gracts, gfacts;

  // ---- Connection lists
  FlCInts fpcs, fptrs;                   // fluid list and start words
  FlCInts pcs, ptrs;                     // linked thermal list and start words (node-copy tail included)
  FlCInts cpcs;                          // compact thermal list
  plat::Mat2<const std::int32_t> cptrs;  // its pointers, 6 per thermal node

  // ---- Helpers
  int global(int k) const { return nt + k; }
  int first(int l) const { return pairs(2 * l - 1); }
  int second(int l) const { return pairs(2 * l); }
  bool link_active(int l) const { return lstat(l).c[0] == 'A'; }
  // Whether fluid node k holds its pressure (status "J" or "R").
  bool pressure_held(int k) const {
    const char c = fstat(k).c[0];
    return c == 'J' || c == 'R';
  }
  // Whether link l brings fluid into fluid node k: k is its second node and
  // the flow is positive, or its first node and the flow is negative.
  bool link_feeds(int l, int k) const { return (second(l) == k && m(l) > 0.0) || (first(l) == k && m(l) < 0.0); }
  // Fluid code of node k (FTYPEI of its fluid name). The view keeps each
  // node's code with the name it was found for (fluid_codes); a user block
  // may give a node another fluid between two calls, so every call compares
  // the name, and a name that changed is looked up again.
  int fluid_code(int k) const {
    if (k >= 1 && static_cast<std::size_t>(k) < fluid_codes.size()) {
      FluidCodeMemo& memo = fluid_codes[static_cast<std::size_t>(k)];
      const plat::Text<24>& name = ftypes(k);
      if (std::memcmp(memo.name.c, name.c, sizeof name.c) != 0) memo.remember(name);
      return memo.code;
    }
    return FTYPEI(ftypes(k).view());
  }
  // A fluid name and its code.
  struct FluidCodeMemo {
    plat::Text<24> name;
    int code = 0;
    void remember(const plat::Text<24>& n);
  };
  // Element k for fluid node k (element 0 unused), filled where the view is
  // bound; empty in a view made by hand (fluid_code then looks up every time).
  mutable std::vector<FluidCodeMemo> fluid_codes;

  double tabs() const { return GLOR.TABS; }
  double pabs() const { return GLOR.PABS; }
  double stefan() const { return GLOR.STEFAN; }
};

// The view of the model as it is now.
FlNetwork fl_network();

// One entry of a fluid node's connection list.
struct FlEntry {
  int kind = 0;       // sub-list: 1 mass-flow links, 2 GL, 3 GR, 4 GF
  int pos = 0;        // word of the entry in the list
  int cond = 0;       // signed link or conductor number
  int neighbour = 0;  // fluid index (links) or global node (conductors)
  // The link or conductor number without its sign.
  int link() const { return std::abs(cond); }
};

// The entries of fluid node k's list from its links up to sub-list
// last_kind, in list order, thermal neighbours of status "X" passed over
// (SFUNPK with flag 0); the read that finds the end of the list or an
// entry of a later sub-list ends the walk. Every read, that last one
// included, first passes guard (any type with pass(): the routine's
// LoopGuard, shared with its other loops where it has one). The walk is
// inline and takes no memory, so that the loops of the fluid kernels keep
// their sums in registers.
template <class Guard>
class FlEntries {
 public:
  FlEntries(const FlNetwork& net, int k, Guard& guard, int last_kind)
      : net_(&net), guard_(&guard), k_(k), last_(last_kind) {}

  class iterator {
   public:
    const FlEntry& operator*() const { return e_; }
    const FlEntry* operator->() const { return &e_; }
    iterator& operator++() {
      read();
      return *this;
    }
    bool operator==(std::default_sentinel_t) const { return e_.neighbour == 0 || e_.kind > last_; }

   private:
    friend class FlEntries;
    iterator(const FlNetwork* net, Guard* guard, int k, int last) : net_(net), guard_(guard), k_(k), last_(last) {}
    void read() {
      guard_->pass();
      sfunpk_next(0, k_, net_->tstat, net_->fpcs, net_->fptrs, e_.kind, e_.pos, e_.cond, e_.neighbour);
    }
    const FlNetwork* net_;
    Guard* guard_;
    int k_, last_;
    FlEntry e_;
  };

  iterator begin() const {
    iterator it(net_, guard_, k_, last_);
    it.read();
    return it;
  }
  std::default_sentinel_t end() const { return {}; }

 private:
  const FlNetwork* net_;
  Guard* guard_;
  int k_, last_;
};

// Every entry of fluid node k's list (links, GL, GR, GF), or those up to
// sub-list last_kind.
template <class Guard>
FlEntries<Guard> fl_entries(const FlNetwork& net, int k, Guard& guard, int last_kind = 4) {
  return FlEntries<Guard>(net, k, guard, last_kind);
}

// The mass-flow link entries of fluid node k's list.
template <class Guard>
FlEntries<Guard> fl_links(const FlNetwork& net, int k, Guard& guard) {
  return FlEntries<Guard>(net, k, guard, 1);
}

// The five ordering arrays of the FLT drivers in their integer block of
// 5 x nf words, in storage order PERM, POS, JL, IR, ID (see FPNTRS in
// fluid/ordering.h), and the profile length.
struct FlOrdering {
  FlInts perm, pos, jl, ir, id;
  int lprof = 0;
};
// Splits block(1 .. 5 nf) into the five arrays.
FlOrdering fl_ordering(FlInts block, int nf);

// Ends the run on a fault at global node `node` (thermal 1..nt, fluid nt +
// k): `text` (parts separated by "@") with the node's context appended by
// MESBLD, severity 4, `code`, naming `routine`.
[[noreturn]] void fl_node_fatal(std::string_view text, int node, int code, std::string_view routine);

// True when at least one of names(1..n) is "AIRW" (trailing blanks ignored);
// n < 1 gives false. The scan stops at the first match and carries the pass
// guard of the system (ERROR naming "FTAIRW").
bool FTAIRW(FlCNames names, int n);

// The module gar_GlobalArrays_m: the 108 process-wide arrays of the loaded
// model (nodes, conductors, mass-flow links, model tree, user constants and
// arrays, aliases, control-constant names, connection lists and the dynamic
// core), their one-time allocation, the model directory slots and the
// work-space stacks of the dynamic core.
//
// Every array is one-based (plat::Array1, or column-major plat::Array2 where
// it has two dimensions): gar_thermalnodetemps(i) is the temperature of
// global thermal node i, gar_modeldirectory(md_thermalnodebase, m) the
// thermal nodes held by models 1 to m - 1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/global_records.h"
#include "platform/array.h"
#include "platform/text.h"

// A 32-bit logical: 0 false, anything else true.
using gar_logical = std::int32_t;

// The arrays in allocation order: one-dimensional X1(name, element, extent)
// and two-dimensional X2(name, element, rows, columns); the extents are the
// counts of gar_allocate.
#define TNA_GAR_LIST(X1, X2) \
  X1(gar_thermalnodenums, std::int32_t, nt) \
  X1(gar_thermalnodelabels, plat::Text<24>, nt) \
  X1(gar_thermalnodestatuses, plat::Text<1>, nt) \
  X1(gar_thermalnodestatusescopy, plat::Text<1>, nt) \
  X1(gar_thermalnodetemps, double, nt) \
  X1(gar_thermalnodecapacitances, double, nt) \
  X1(gar_thermalnodeheatsourcesalbedo, double, nt) \
  X1(gar_thermalnodeheatsourcesplanet, double, nt) \
  X1(gar_thermalnodeheatsourcesinternal, double, nt) \
  X1(gar_thermalnodeheatsourcesother, double, nt) \
  X1(gar_thermalnodeheatsourcessolar, double, nt) \
  X1(gar_thermalnodesurfaceareas, double, nt) \
  X1(gar_thermalnodeabsorptivities, double, nt) \
  X1(gar_thermalnodeemissivities, double, nt) \
  X1(gar_thermalnodeincidentfluxesalbedo, double, nt) \
  X1(gar_thermalnodeincidentfluxesplanet, double, nt) \
  X1(gar_thermalnodeincidentfluxessolar, double, nt) \
  X1(gar_thermalnodecoordsx, double, nt) \
  X1(gar_thermalnodecoordsy, double, nt) \
  X1(gar_thermalnodecoordsz, double, nt) \
  X1(gar_fluidnodenums, std::int32_t, nf) \
  X1(gar_fluidnodemodelnums, std::int32_t, nf) \
  X1(gar_fluidnodelabels, plat::Text<24>, nf) \
  X1(gar_fluidnodestatuses, plat::Text<1>, nf) \
  X1(gar_fluidnodefluidtypes, plat::Text<24>, nf) \
  X1(gar_fluidnodeflowregimes, plat::Text<4>, nf) \
  X1(gar_fluidnodestatedescriptors, plat::Text<4>, nf) \
  X1(gar_fluidnodevolumecontrolflags, plat::Text<1>, nf) \
  X1(gar_fluidnodetemps, double, nf) \
  X1(gar_fluidnodeheattransferareas, double, nf) \
  X1(gar_fluidnodehydraulicdiameters, double, nf) \
  X1(gar_fluidnodelengths, double, nf) \
  X1(gar_fluidnodepressures, double, nf) \
  X1(gar_fluidnodespecenthalpies, double, nf) \
  X1(gar_fluidnodewallroughnesses, double, nf) \
  X1(gar_fluidnodeheatsources, double, nf) \
  X1(gar_fluidnodemassflowsources, double, nf) \
  X1(gar_fluidnodemasssourcespecenthalpies, double, nf) \
  X1(gar_fluidnodemasssourcetemps, double, nf) \
  X1(gar_fluidnodecoordsx, double, nf) \
  X1(gar_fluidnodecoordsy, double, nf) \
  X1(gar_fluidnodecoordsz, double, nf) \
  X1(gar_fluidnodevapourqualities, double, nf) \
  X1(gar_fluidnodeflowareas, double, nf) \
  X1(gar_fluidnodevolumes, double, nf) \
  X1(gar_fluidnoderelhumidities, double, nf) \
  X1(gar_fluidnodemasssourcespechumidities, double, nf) \
  X1(gar_fluidnodecompliances, double, nf) \
  X1(gar_fluidnodevolumechangerates, double, nf) \
  X1(gar_fluidnodespechumidities, double, nf) \
  X1(gar_fluidnodewatervapoursinkrates, double, nf) \
  X2(gar_thermalnodeuserentityvalsreal, double, nt, nrealent) \
  X2(gar_thermalnodeuserentityvalsint, std::int32_t, nt, nintent) \
  X2(gar_thermalnodeuserentityvalschar, plat::Text<24>, nt, nchent) \
  X2(gar_fluidnodeuserentityvalsreal, double, nf, nrealent) \
  X2(gar_fluidnodeuserentityvalsint, std::int32_t, nf, nintent) \
  X2(gar_fluidnodeuserentityvalschar, plat::Text<24>, nf, nchent) \
  X1(gar_linearconds, double, ngl) \
  X1(gar_linearcondacts, plat::Text<1>, ngl) \
  X1(gar_linearcondnodepairs, std::int32_t, 2 * ngl) \
  X1(gar_radiativeconds, double, ngr) \
  X1(gar_radiativecondacts, plat::Text<1>, ngr) \
  X1(gar_radiativecondnodepairs, std::int32_t, 2 * ngr) \
  X1(gar_fluidicconds, double, ngf) \
  X1(gar_fluidiccondacts, plat::Text<1>, ngf) \
  X1(gar_fluidiccondnodepairs, std::int32_t, 2 * ngf) \
  X1(gar_vfacconds, double, ngv) \
  X1(gar_vfaccondacts, plat::Text<1>, ngv) \
  X1(gar_vfaccondnodepairs, std::int32_t, 2 * ngv) \
  X1(gar_massflowlinkcondnodepairs, std::int32_t, 2 * nl) \
  X1(gar_massflowlinkflowrates, double, nl) \
  X1(gar_massflowlinkfittinglosses, double, nl) \
  X1(gar_massflowlinkstatuses, plat::Text<1>, nl) \
  X1(gar_massflowlinkconds, double, nl) \
  X1(gar_massflowlinkenthalpies, double, nl) \
  X1(gar_massflowlinkvapquals, double, nl) \
  X1(gar_massflowlinkevapheatfluxes, double, nl) \
  X1(gar_massflowlinkpressuresources, double, nl) \
  X1(gar_massflowlinkpsourcederivs, double, nl) \
  X1(gar_massflowlinktypes, std::int32_t, nl) \
  X2(gar_massflowlinkphasesepflags, gar_logical, 2, nl) \
  X2(gar_massflowlinkphasesepvapquals, double, 2, nl) \
  X2(gar_modeldirectory, std::int32_t, mdrows, nm + 1) \
  X1(gar_modelnames, plat::Text<24>, nm) \
  X1(gar_submodelnames, plat::Text<24>, nm) \
  X1(gar_modelstatuses, plat::Text<1>, nm) \
  X1(gar_userconstnames, plat::Text<18>, nucn) \
  X1(gar_userconstvaluesreal, double, nrealuc) \
  X1(gar_userconstvaluesint, std::int32_t, nintuc) \
  X1(gar_userconstpointerschar, std::int32_t, ncharuc) \
  X1(gar_userconstvalueschar, plat::Text<133>, ncharpool) \
  X1(gar_arraynames, plat::Text<18>, narrays) \
  X1(gar_arrayinfopointers, std::int32_t, narrays) \
  X1(gar_arrayinfolist, std::int32_t, larrinfo) \
  X1(gar_arrayvaluesreal, double, nrealel) \
  X1(gar_arrayvaluesint, std::int32_t, nintel) \
  X1(gar_arrayvalueschar, plat::Text<133>, ncharel) \
  X1(gar_nodealiasnames, plat::Text<18>, nalias) \
  X1(gar_nodealiasnumbers, std::int32_t, nalias) \
  X1(gar_controlconstnames, plat::Text<18>, ncc) \
  X1(gar_pcsthermalold, std::int32_t, lpcsold) \
  X1(gar_pcsptrsthermalold, std::int32_t, nt) \
  X1(gar_pcsthermal, std::int32_t, lpcsth) \
  X2(gar_pcsptrsthermal, std::int32_t, 6, nt) \
  X1(gar_pcsfluid, std::int32_t, lpcsfluid) \
  X1(gar_pcsptrsfluid, std::int32_t, nf) \
  X1(gar_dynamiccorereal, double, dystor) \
  X1(gar_dynamiccoreint, std::int32_t, dystor)

#define TNA_X1(name, T, n) extern plat::Array1<T> name;
#define TNA_X2(name, T, r, c) extern plat::Array2<T> name;
TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2

// Allocates the 108 arrays (and LOCI/LOCR from FLAGS words 11, 10 and the
// model count) with the 28 counts in this order: array descriptor list
// length, DYSTOR, model directory rows (18), fluid connection list length,
// compact thermal connection list length, linked thermal connection list
// length, user arrays, control-constant names, user-constant names,
// character array elements, character user constants, character pool
// elements, GF conductors, fluid nodes, integer array elements, integer user
// constants, GL conductors, mass-flow links, node aliases, GR conductors,
// real array elements, real user constants, models, thermal nodes,
// character, integer and real user entities, GV conductors. Negative counts
// count as 0. Contents are zero. A second allocation, a size overflow or an
// exhausted heap ends the process at once with status 1.
void gar_allocate(int& larrinfo, int& dystor, int& mdrows, int& lpcsfluid, int& lpcsth, int& lpcsold, int& narrays,
                  int& ncc, int& nucn, int& ncharel, int& ncharuc, int& ncharpool, int& ngf, int& nf, int& nintel,
                  int& nintuc, int& ngl, int& nl, int& nalias, int& ngr, int& nrealel, int& nrealuc, int& nm,
                  int& nt, int& nchent, int& nintent, int& nrealent, int& ngv);

// Whether one of the arrays above is allocated.
bool gar_allocated(const void* array);
// Frees one of the arrays above; freeing one that is not allocated ends the
// process with "Attempt to DEALLOCATE unallocated '<name>'".
void gar_deallocate_address(const void* array);
template <class A>
void gar_deallocate(A& array) {
  gar_deallocate_address(&array);
}

// Frees every array (LOCI and LOCR included) so that gar_allocate may run
// again. For tests only, which need a fresh state per case; a run never
// frees the arrays.
void gar_deallocate_all();

// Slots of the model directory: gar_modeldirectory(md_..., m), or
// md_...(m) for the same element. Column m describes model m (depth-first
// pre-order); column NM + 1 holds the end values of slots 3 to 18.
struct gar_ModelDirectorySlot {
  int slot;
  constexpr operator int() const { return slot; }  // NOLINT: a slot is used as a row index
  std::int32_t& operator()(int m) const { return gar_modeldirectory(slot, m); }
};
inline constexpr gar_ModelDirectorySlot md_level{1};
inline constexpr gar_ModelDirectorySlot md_subtreesize{2};
inline constexpr gar_ModelDirectorySlot md_thermalnodebase{3};
inline constexpr gar_ModelDirectorySlot md_linearcondbase{4};
inline constexpr gar_ModelDirectorySlot md_fluidiccondbase{5};
inline constexpr gar_ModelDirectorySlot md_radiativecondbase{6};
inline constexpr gar_ModelDirectorySlot md_vfaccondbase{7};
inline constexpr gar_ModelDirectorySlot md_realuserconstbase{8};
inline constexpr gar_ModelDirectorySlot md_intuserconstbase{9};
inline constexpr gar_ModelDirectorySlot md_charuserconstbase{10};
inline constexpr gar_ModelDirectorySlot md_realnamebase{11};
inline constexpr gar_ModelDirectorySlot md_intnamebase{12};
inline constexpr gar_ModelDirectorySlot md_charnamebase{13};
inline constexpr gar_ModelDirectorySlot md_arraybase{14};
inline constexpr gar_ModelDirectorySlot md_charelementbase{15};
inline constexpr gar_ModelDirectorySlot md_fluidnodebase{16};
inline constexpr gar_ModelDirectorySlot md_massflowlinkbase{17};
inline constexpr gar_ModelDirectorySlot md_nodealiasbase{18};
inline constexpr int md_numslots = 18;

// ---------------------------------------------------------------------------
// Work space of the dynamic core.
//
// gar_dynamiccorereal and gar_dynamiccoreint are stacks whose first free
// words are FLAGS(29) and FLAGS(36), both 1 at start: a borrower's space
// begins at the top word itself. Borrowing is strictly last in, first
// out: a routine that borrows holds a gar_CoreGuard for its whole body. The
// guard records both tops when it is made and puts them back when it goes
// out of scope, on every return path (and when a fatal end unwinds):
//
//   gar_CoreGuard core;
//   if (!core.reserve("SLCRNC", 3, 9 * nt, nt, gar_dystor_line)) return;
//   plat::Vec1<double> work = gar_dynamiccorereal.from(core.real_first(), 9 * nt);
//
// Reservation rules: an integer reservation fits when its new top does not
// pass DYSTOR; a real reservation keeps one word in hand and fits when its
// new top stays below DYSTOR. The shortfall is the greatest excess, integer
// new top - DYSTOR or real new top - DYSTOR + 1.
// ---------------------------------------------------------------------------

// Endings of the work-space shortage text.
inline constexpr std::string_view gar_dystor_record =
    "words needed, increase DYSTOR on $EXECUTION record, see User Manual description of $EXECUTION block";
inline constexpr std::string_view gar_dystor_line =
    "words needed; increase DYSTOR on $EXECUTION line. See User Manual description of $EXECUTION block";
inline constexpr std::string_view gar_dystor_record_colon =
    "words needed: increase DYSTOR on $EXECUTION record. See User Manual description of $EXECUTION block";

// Fixed shortage texts of the other work-space users.
inline constexpr std::string_view gar_text_slgear_jacobian =
    "SLGEAR: Insufficient double precision work space@Increase DYSTOR on $EXECUTION record, see User Manual "
    "description of $EXECUTION block";
inline constexpr std::string_view gar_text_finits = "Insufficient dynamic core";
inline constexpr std::string_view gar_text_nodetable_int =
    "Insufficient integer work space.@Printing table output with PRNDTB.@Increase DYSTOR on $EXECUTION record, "
    "see User Manual description of $EXECUTION block.";
inline constexpr std::string_view gar_text_nodetable_real =
    "Insufficient real work space.@Printing table output with PRNDTB.@Increase DYSTOR on $EXECUTION record, "
    "see User Manual description of $EXECUTION block.";
inline constexpr std::string_view gar_text_gff =
    "Insufficient space to generate parameter case GFF file@ Reserve more memory using DYSTOR on the "
    "$EXECUTION line of the model file.";

// A count right-aligned in 9 characters (9 asterisks when it does not fit).
std::string gar_count9(std::int64_t n);
// "<routine>: Insufficient work space@An extra <count9> <ending>".
std::string gar_worktext(std::string_view routine, std::int64_t shortfall,
                         std::string_view ending = gar_dystor_record);
// "<routine>: Insufficient dynamic core@Increase DYSTOR setting on $EXECUTION statement".
std::string gar_eventcoretext(std::string_view routine);
// "Insufficient dynamic core@Increase DYSTOR - another <count9>locations required".
std::string gar_paramcoretext(std::int64_t shortfall);

// Fit tests against DYSTOR for a new stack top.
bool gar_intfits(std::int64_t newtop);
bool gar_realfits(std::int64_t newtop);
// Greatest excess over the two stacks (at most 0 when both fit).
std::int64_t gar_shortfall(std::int64_t int_newtop, std::int64_t real_newtop);

class gar_CoreGuard {
 public:
  gar_CoreGuard();
  ~gar_CoreGuard();
  gar_CoreGuard(const gar_CoreGuard&) = delete;
  gar_CoreGuard& operator=(const gar_CoreGuard&) = delete;

  // Stack tops when the guard was made.
  int real_top() const { return real_top_; }
  int int_top() const { return int_top_; }

  // Checks nreal real and nint integer words from the current tops with the
  // rules above. On success raises the tops and returns true; on a shortage
  // reports the fatal diagnostic gar_worktext(routine, shortfall, ending)
  // with the given code, leaves the tops unchanged and returns false (when
  // the diagnostic returns at all). A stack asked for 0 words is not checked.
  bool reserve(std::string_view routine, int code, std::int64_t nreal, std::int64_t nint,
               std::string_view ending = gar_dystor_record);
  // First word handed out by the last successful reserve (or take).
  int real_first() const { return real_first_; }
  int int_first() const { return int_first_; }

  // Raises a top by n words without a check (the caller has checked);
  // returns the first word handed out.
  int take_real(std::int64_t n);
  int take_int(std::int64_t n);

 private:
  int real_top_, int_top_;
  int real_first_ = 0, int_first_ = 0;
};

// The layout of a routine's work space: consecutive blocks of one
// dynamic-core stack from a first word on, each viewed as it is carved.
// take(n) views the next n words and moves past them; next() is the word
// after the last block. The caller has checked that the blocks fit and moves
// the stack's top (gar_CoreGuard::take_real, take_int) itself.
//
//   gar_Carver<double> carve(gar_dynamiccorereal, core.take_real(2 * n));
//   plat::Vec1<double> a = carve.take(n), b = carve.take(n);
template <class T>
class gar_Carver {
 public:
  gar_Carver(plat::Vec1<T> store, std::int64_t first) : store_(store), at_(first) {}
  plat::Vec1<T> take(std::int64_t n) {
    plat::Vec1<T> v = store_.from(at_, n);
    at_ += n;
    return v;
  }
  std::int64_t next() const { return at_; }

 private:
  plat::Vec1<T> store_;
  std::int64_t at_;
};

// Per-node connection lists: the thermal list (PCS) in its linked and compact
// forms, the fluid list (FPCS), their per-model builders and merge, the
// mass-flow link update, the compaction and the fluid-list iterator.
//
// Index conventions of every list: thermal nodes 1..NT (FLAGS(1)); fluid
// nodes 1..NF (FLAGS(32)), written NT + fluid index in the thermal list and
// as the plain fluid index in the fluid list; conductors by their global
// index of their kind; mass-flow links 1..NL (FLAGS(33)). A GF entry is
// negative in the list of the conductor's first node, positive in its second
// node's; GL and GR entries carry the sign of the stored node number.
//
// Linked thermal list, gar_pcsthermalold with gar_pcsptrsthermalold(n) = the
// word at which node n's list starts. A node's list holds three sub-lists
// (1 GL, 2 GR, 3 GF) of two-word entries (neighbour > 0, signed conductor),
// each closed by the terminator (-(p+1), 0), p the position of its first
// word. Reading rule: at word p, w > 0 is an entry (continue at p + 2); w < 0
// continues at word -w; w = 0 ends the sub-list and the next sub-list of the
// node starts at p + 1. The last FLAGS(25) words hold the node-copy list:
// L, number of groups, then per group source, count k and k targets (global
// thermal indices).
//
// Compact thermal list, gar_pcsthermal with gar_pcsptrsthermal(2k-1, n) =
// first word and gar_pcsptrsthermal(2k, n) = number of entries of node n's
// sub-list k; entries follow one another with no jumps and no end markers;
// nodes with status "C" have all six words 0.
//
// Fluid list, gar_pcsfluid with gar_pcsptrsfluid(j): four sub-lists,
// 1 mass-flow links (neighbour fluid index, link index) closed by a
// terminator (jump, 0), then 2 GL, 3 GR, 4 GF (neighbour global thermal
// index, signed conductor) each closed by a single 0.
#pragma once

#include <cstdint>

#include "core/diagnostics.h"
#include "platform/array.h"
#include "platform/text.h"

// Builds the thermal local list of model m at word fill + 1 of
// gar_pcsthermalold and advances fill by its length (locallen). listdir is
// the section's list directory (pair k at words dim1 * (k - 1) + 1, + 2; the
// second non-zero when list k is present); nglwords, ngrwords, ngfwords are
// the integer counts of the model's GL, GR, GF node pairs (lists 69..71, in
// gar_linearcondnodepairs, gar_radiativecondnodepairs and
// gar_fluidiccondnodepairs from element 1); fluidcounts(1..3) the numbers
// of the model's GL, GR, GF conductors that touch a fluid node (items 70..72
// of list 66). With list 34 present the radiative pairs end with the
// NTm (NTm - 1) / 2 pairs of the complete radiative matrix, which belong to
// the model's own GR range. present := 1 when locallen > 0. On failure the
// fatal diagnostic "Failed to create PCS for model" + model number is
// reported and status := 4.
void SPCSA(plat::Vec1<const int> listdir, int dim1, int m, int nglwords, int ngrwords, int ngfwords,
           plat::Vec1<const int> fluidcounts, int& fill, int& present, int& locallen, int& status);

// The same for the fluid local list of model m in gar_pcsfluid (its mass-flow
// links from gar_massflowlinkcondnodepairs, still as node numbers).
// Failure: "Failed to create FPCS for model " + model number, status := 4.
void SFPCSA(plat::Vec1<const int> listdir, int dim1, int m, int nglwords, int ngrwords, int ngfwords,
            plat::Vec1<const int> fluidcounts, int& fill, int& present, int& locallen, int& status);

// Converts model m's mass-flow link node pairs to fluid indices and takes in
// the nlinkwords integers of inter-model mass-flow link records that were
// read for the model at word core(9) + core(10) of the integer dynamic core
// (the load-time header: 9 area start, 10 words in use, 11 area limit).
// Those links get the indices after the model's own links and
// md_massflowlinkbase(m + 1) grows by their number. status 1 on failure.
void LOADUP(int m, plat::Mat2<int> directory, int nlinkwords, plat::Vec1<int> core, int& status);

// Merges model m's local lists (flags and lengths from SPCSA / SFPCSA) into
// global form in gar_pcsthermalold / gar_pcsptrsthermalold and
// gar_pcsfluid / gar_pcsptrsfluid; thfill and flfill are the used lengths of
// the two arrays (lenpcsold, lenpcsfluid their lengths). The inter-model
// mass-flow link records waiting in core (see LOADUP) are entered and
// consumed as their nodes are written. status: that of the block move
// (-1, 1), or 1 when the list does not fit.
void SIMPCS(int thpresent, int thlen, int flpresent, int fllen, int m, plat::Mat2<int> directory, int lenpcsold,
            int lenpcsfluid, int& thfill, int& flfill, plat::Vec1<int> core, int& status);

// Builds the compact form from the linked form for nodes 1..nt (status "C"
// nodes get zero pointers). A linked list that would overflow pcs ends the
// run with a fatal diagnostic.
void LPCSCN(int lenpcsold, int nt, plat::Vec1<const plat::Text<1>> statuses, plat::Vec1<const int> pcsold,
            plat::Vec1<const int> ptrsold, plat::Vec1<int> pcs, plat::Mat2<int> ptrs);

// Next entry of fluid node `node`'s list. Call first with pos = 0, then again
// with the same node until neighbour = 0 (then pos = 0). Returns kind (1..4),
// pos (position of the entry), cond and neighbour. Entries of sub-lists 2..4
// whose thermal neighbour has status "X" are passed over unless incl != 0.
// The three size arguments are not read.
void SFUNPK(int incl, int size1, int size2, int size3, int node, plat::Vec1<const plat::Text<1>> statuses,
            plat::Vec1<const int> pcsfluid, plat::Vec1<const int> ptrsfluid, int& kind, int& pos, int& cond,
            int& neighbour);

// The walk of SFUNPK, inline so that a caller walking many lists (the
// entry range of the fluid routines, fl_entries) folds it into its own
// loop; the same arguments but the size words. Stops through ERROR naming
// "SFUNPK" after 2,000,000,000 words read in one call.
inline void sfunpk_next(int incl, int node, plat::Vec1<const plat::Text<1>> statuses, plat::Vec1<const int> pcsfluid,
                        plat::Vec1<const int> ptrsfluid, int& kind, int& pos, int& cond, int& neighbour) {
  std::int64_t p;
  if (pos == 0) {
    kind = 1;
    p = (node >= 1 && node <= ptrsfluid.size()) ? ptrsfluid(node) : 0;
  } else {
    p = static_cast<std::int64_t>(pos) + 2;
  }
  const std::int64_t len = pcsfluid.size();
  const std::int64_t nst = statuses.size();
  LoopGuard guard("SFUNPK");
  for (;;) {
    guard.pass();
    if (p < 1 || p > len) break;
    const int v = pcsfluid(p);
    if (v > 0) {
      if (p + 1 > len) break;
      if (kind >= 2 && incl == 0 && v <= nst && statuses(v).c[0] == 'X') {
        p += 2;
        continue;
      }
      neighbour = v;
      cond = pcsfluid(p + 1);
      pos = static_cast<int>(p);
      return;
    }
    if (v < 0) {
      p = -static_cast<std::int64_t>(v);
      continue;
    }
    ++kind;
    if (kind > 4) break;
    ++p;
  }
  neighbour = 0;
  pos = 0;
}

// b(1..n) := a(1..n) in ascending order; status 1 (nothing copied) when n < 1.
void SCOPYD(plat::Vec1<const double> a, int n, int& status, plat::Vec1<double> b);

// Replaces each of words(1..nwords) by (position of that node number among
// nodenums(1..nnodes), ascending) + base; status 1 for a node not found,
// whose word (1..nwords; the words before it are replaced) goes to *missing
// when missing is given.
void SGVNOD(plat::Vec1<int> words, int nwords, plat::Vec1<const int> nodenums, int nnodes, int base, int& status,
            int* missing = nullptr);

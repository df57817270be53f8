// Parameter-case references: node references to lists of internal node
// numbers (thermal 1..NT, then fluid NT+1..NT+NF), conductor references to
// pairs of node lists with the submodels whose items are searched, the
// searches of conductors and links between two node lists, and the index
// part of array references.
//
// Every routine reports its failures with severity 3, its own name and the
// status as code; statuses of the model-data services it calls pass through.
#pragma once

#include <string_view>

#include "platform/array.h"

// Node reference [path:]form (number, "*", "*-ONLY", 'label or #list',
// alias, character user constant) in submodel `submodel`, into list(1..count).
// The capacity must be at least NT + NF. status 0..9.
void PARNDS(std::string_view ref, int submodel, int capacity, plat::Vec1<int> list, int& count, int& status);
// Nodes whose label contains `text` ("#" first: a node-number list) in
// submodel `submodel` and its subtree (negative -m: m alone). report 0
// suppresses the diagnostics. status 0..2 or an LNDSZL status.
void NDSOZL(std::string_view text, int submodel, plat::Vec1<int> list, int capacity, int report, int& count,
            int& status);
// "#" node-number list of submodel `submodel`; `caller` begins its messages.
// list(1..capacity) is used as a mask. status 0..4 or an LSMINT status.
void LNDSZL(std::string_view text, int submodel, plat::Vec1<int> list, int capacity, int report,
            std::string_view caller, int& count, int& status);
// Conductor reference [path:](nodes1,nodes2[,seq]), [path:]("*") or
// [path:]("*-ONLY"). The two node lists go to core(ia..ia+na-1) and
// core(ib..ib+nb-1) above the stack top `top`, which is left raised past
// them (the caller restores it). seq 0 when absent. Items searched: those
// owned by submodels mfirst..mlast. status 0..7 or a PARNDS status.
void PARCNP(std::string_view ref, int submodel, int dystor, int nm, int nf, int nt, plat::Vec1<int> core, int& top,
            int& na, int& nb, int& ia, int& ib, int& seq, int& mfirst, int& mlast, int& status);
// Items numbered first..last of thermal sub-list `sublist` (1 GL, 3 GR, 5 GF
// of the compact lists pcs/ptrs) between a node of A and a node of B,
// appended to out(nout + 1 ..). status 0.
void PARGNP(plat::Vec1<const int> a, int na, plat::Vec1<const int> b, int nb, int seq, plat::Vec1<const int> pcs,
            plat::Mat2<const int> ptrs, int first, int last, int nf, int nt, int sublist, plat::Vec1<int> out,
            int& nout, int& status);
// The same over the fluid connection lists: kind 1 links, 2 GL, 3 GR, 4 GF;
// `slot` the directory slot of the item kind (17, 4, 6, 5). status 0.
void PARGFP(plat::Vec1<const int> a, int na, plat::Vec1<const int> b, int nb, int seq,
            plat::Vec1<const int> linkpairs, plat::Vec1<const int> pcsfluid, plat::Vec1<const int> ptrsfluid,
            int first, int last, int kind, int slot, int nf, int nt, plat::Vec1<int> out, int& nout, int& status);
// GV items first..last whose node pair is (a, b), a in A, b in B; status 1
// when a pair search fails (the range holds no GV item).
void PARGGV(plat::Vec1<const int> a, int na, plat::Vec1<const int> b, int nb, int seq, plat::Vec1<const int> gvpairs,
            int first, int last, plat::Vec1<int> out, int& nout, int& status);
// Submodel owning item `item` of the kind whose cumulative bases are in
// directory slot `slot`; 0 when none.
int SUBMDE(int item, int slot);
// Index part "(i[,j[,k]])" of a reference to user array `narray`: type (1
// integer, 2 real, 3 character), first value position, number of
// dimensions, dims(1..3), range(1..6) (first and last index of dimension d at
// 2d - 1 and 2d), range flag (1 when an index is "*"). status 0..5 or 7.
void PARAIN(int narray, std::string_view text, int& type, int& first, int& ndim, plat::Vec1<int> dims,
            plat::Vec1<int> range, int& rangeflag, int& status);

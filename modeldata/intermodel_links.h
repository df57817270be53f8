// Inter-model links: conductors joining nodes of different submodels, read
// per model as four-integer records (model of end 1 relative to the model
// being loaded, node of end 1, model of end 2, node of end 2), widened to
// five-integer records, resolved to global node indices once every model is
// loaded, chained by end node and inserted into the finished connection
// lists; tied nodes (node-copy groups); the fluid-node model map; and the
// rebasing of a submodel's array descriptors.
//
// Link work area (the integer dynamic core during the load): words 1..6 hold
// (start word, length in words) of the GL, GR and GF link records; the last
// 6 (NT + NF) words are six head columns of NT + NF words (1, 2 GL end 1 and
// end 2; 3, 4 GR; 5, 6 GF), indexed by global node index (fluid NT + j).
//
// Link record in memory: 1 model of end 1 (0 once resolved, then the next
// record with the same end-1 node), 2 node of end 1 (then its global index),
// 3 and 4 the same for end 2, 5 signed conductor index. A record is ordered
// so that (model, node) of end 1 is below that of end 2; a GF record whose
// ends were exchanged carries its conductor index negated.
#pragma once

#include "core/file_services.h"
#include "platform/array.h"

// Reads the inter-model node-pair list `key` of model m (n links) into
// work(n+1..5n) and widens it with SLKMOD (start n + 1). status 1 when the
// list does not hold exactly 4n integers or the work list is too short.
void SGTLNK(int worklen, int n, plat::Vec1<int> work, int& status, int orient, int firstcond, int m, int key,
            int unit);
// Widens n four-integer records at work(start..) into five-integer records
// at work(1..5n): (model 1 + m, node 1, model 2 + m, node 2, firstcond + i - 1),
// then orders the ends (negating the conductor of an exchanged record when
// orient != 0). status 1 when start + 4n - 1 exceeds worklen or is below 5n,
// or when a model number plus m leaves the integer range (nothing widened).
void SLKMOD(int orient, int start, int firstcond, int worklen, int n, int m, plat::Vec1<int> work, int& status);

// Resolves every link end to its global node index (thermal index, or NT +
// fluid index), model by model. On failure reports the fatal diagnostic
// "Error in reading model <name>(<m>)@UPDATE INTER-MODEL LINKS  Zerror = <s>".
void SLKALL(int worklen, plat::Mat2<int> directory, int nm, int nf, int nt, plat::Vec1<const int> thermalnums,
            plat::Vec1<const int> fluidnums, CTextVec1 modelnames, plat::Vec1<int> work, int& status);
// The ends belonging to model i, for each kind with records.
void SLKUPD(int i, int worklen, plat::Mat2<int> directory, int nm, int nf, int nt, plat::Vec1<const int> thermalnums,
            plat::Vec1<const int> fluidnums, plat::Vec1<int> work, int& status);
// Resolves the ends of nrec records (reclen words each) whose model word is i;
// ntm / nfm node numbers of the model in thnums / flnums (ascending), their
// bases thbase / flbase. status 1 for a node that the model does not have.
void SLKNDT(int reclen, int nrec, int i, int ntm, int nfm, plat::Vec1<const int> thnums,
            plat::Vec1<const int> flnums, int thbase, int flbase, int nt, plat::Vec1<int> records, int& status);

// Builds the end-node chains of every kind that has records.
void SLKPTS(int worklen, int nf, int nt, plat::Vec1<int> work, int& status);
// The two chains of one kind: head1 / head2 (nnodes words) receive the first
// record of each end-1 / end-2 node, words 1 / 3 of a record the next one.
void SLKNDS(int nnodes, int reclen, int nrec, plat::Vec1<int> records, plat::Vec1<int> head1, plat::Vec1<int> head2);

// Inserts the links into every thermal node's sub-lists of gar_pcsthermalold
// (length lenpcsold, used words 1..used; used is updated). status 11 when
// the array is too short.
void SLKCTR(int worklen, int lenpcsold, int& used, int nf, int nt, plat::Vec1<int> work, plat::Vec1<int> pcsold,
            plat::Vec1<int> ptrsold, int& status);
// Rewrites sub-list (kind code 1 GL, 3 GR, 5 GF) of thermal node `node`:
// link entries first, then the existing entries read at r, then the
// terminator; nextstart := the word after the GF end marker.
void SLKTRF(plat::Vec1<const int> records, plat::Vec1<const int> head1, plat::Vec1<const int> head2, int kind,
            int node, int nnodes, int reclen, int nrec, plat::Vec1<int> list, int& w, int& r, int& nextstart,
            int& shift, int& status);
// Appends the entry of record rec seen from its end `end` at list(w).
void SLKADD(plat::Vec1<const int> records, int kind, int end, int rec, int reclen, plat::Vec1<int> list, int& w,
            int& shift);
// Inserts the links into every fluid node's sub-lists 2..4 of gar_pcsfluid.
void SFLCTR(int worklen, int lenpcsfluid, int& used, int nf, int nt, plat::Vec1<int> work, plat::Vec1<int> pcsfluid,
            plat::Vec1<int> ptrsfluid, int& status);
// Rewrites fluid sub-list (kind code 1, 3, 5) of global node `node` (NT + j):
// existing entries, then link entries, then the end marker 0.
void SFLTRF(plat::Vec1<const int> records, plat::Vec1<const int> head1, plat::Vec1<const int> head2, int kind,
            int node, int nnodes, int reclen, int nrec, plat::Vec1<int> list, int& w, int& r, int& shift,
            int& status);
// Copies fluid sub-list 1 from r to w, its jump moved with it.
void SFLUPD(plat::Vec1<int> list, int& w, int& r, int& status);

// Converts the tied-node list (tiedlist(1) = its length W in integers, read as
// W/2 records) into the node-copy list out(1..l), l = W/2, and gives status
// "C" (gar_thermalnodestatuses) to every target. status 1 for a tied node
// that its model does not have, a malformed list, a node that is a target
// twice, or groups that copy a node from itself (directly or in a ring).
void SREDSP(plat::Mat2<int> directory, plat::Vec1<const int> tiedlist, int l, plat::Vec1<int> out, int& status,
            plat::Vec1<const int> thermalnums);
// Linear search of key in array(start..start+count-1): position := its
// absolute index; status 1 when count < 1 or not found.
void PNDPOS(plat::Vec1<const int> array, int start, int count, int key, int& position, int& status);
// Splices the targets' sub-lists into their sources' for every group of the
// node-copy list groups(1..ngroupwords); neighbours of a target are made to
// name the source instead.
void LINCSP(int lenpcsfluid, int lenpcsold, int nt, plat::Vec1<const int> ptrsold, plat::Vec1<const int> groups,
            int ngroupwords, plat::Vec1<int> pcsold, int& status, plat::Vec1<const int> ptrsfluid,
            plat::Vec1<int> pcsfluid);
// In thermal node `neighbour`'s sub-list `kind`, the first entry naming
// `target` is made to name `source`.
void SCNPCS(int neighbour, int target, int source, plat::Vec1<const int> ptrs, int kind, plat::Vec1<int> list);
// The same in fluid node `neighbour`'s sub-list kind + 1.
void SCFPCS(int neighbour, int target, int source, plat::Vec1<const int> ptrs, int kind, plat::Vec1<int> list);
// Reverses the order of the groups of the node-copy list(1..l); scratch holds
// at least l words.
void SUPINV(int l, plat::Vec1<int> list, plat::Vec1<int> scratch);

// fluidmodelnums(j) := the model that owns fluid node j, j = 1..nf.
void SETFNM(plat::Mat2<int> directory, int nm, int nf, plat::Vec1<int> fluidmodelnums);

// Rebases the array descriptors of pointers infopointers(first..last):
// rebase(1) pointer shift, (2..4) integer, real, character value bases,
// (5) descriptor-list limit, (6..8) value limits; words 4 and 8 count
// characters after multiplying by charmult (restored on return). status 3 for
// an unknown array type or any limit exceeded (the rebasing stops there).
void SAPTUP(plat::Vec1<int> rebase, int charmult, int first, int last, plat::Vec1<int> infolist,
            plat::Vec1<int> infopointers, int& status);

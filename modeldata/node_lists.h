// Node lists: the selection of nodes by a submodel reference and a node
// label specification ZLABEL.
//
// Submodel reference: 1 every model; m in 2..NM model m and its subtree; -m
// model m alone; 0 and values beyond +-NM are invalid.
//
// ZLABEL (at most 512 significant characters): blank selects every node;
// text whose first non-blank character is not "#" selects the nodes whose
// label contains it; "#" starts a node-number list:
//   list    := segment { ";" segment }
//   segment := [ name ":" { name ":" } ] item { "," item }
//   item    := value | value "-" value
//   value   := user node number | node alias of the segment's model
// Blanks outside quotes are ignored. A segment without a submodel prefix
// belongs to the reference model itself (not to its subtree); a prefix is
// resolved relative to the reference model.
#pragma once

#include <string_view>

#include "core/file_services.h"
#include "platform/array.h"

// Whether global node `node` lies in the models selected by `modref` and
// matches `zlabel`. ierr 1 invalid reference, 2 a "#" list longer than 512
// characters, or the code of a list error found by LKFNUM; report non-zero
// prints the diagnostics (severity 3).
bool NDOFZL(int modref, int nm, int nt, int node, int report, std::string_view routine, std::string_view zlabel,
            int& ierr);

// result 1 when the "#" list `zlabel` names global node `node`, whose
// segments without prefix belong to model `model`. ierr 1 an unknown alias or
// a value that is not a 32-bit node number, 2 a range whose second value is
// less than the first, 3 consecutive dashes, 4 a range without upper limit;
// a submodel prefix that does not resolve gives LSMINT's status (1 syntax, 2
// invalid or ambiguous) after LSMINT's own diagnostic. `directory` is the
// model directory (slots words per model), `names` the model names.
void LKFNUM(int model, plat::Vec1<const int> directory, int slots, int nm, int node, int report,
            std::string_view routine, CTextVec1 names, std::string_view zlabel, int& result, int& ierr);

// Global indices of the nodes of kind `kind` ("THERMAL", "FLUID", "BOTH")
// in the models bounded by `subref` that `zlabel` selects (as NDOFZL with
// reference `modref`), into list(1..count): thermal indices ascending, then
// fluid indices (NT + fluid index) ascending. inclx 0 leaves out thermal
// nodes of status "X". The capacity is maxn (never more than list.size()).
// ierr 0; 1 for an invalid reference, a full list or an error in the node
// list (each reported). Successful requests are remembered (up to 100 for
// the run) and answered again from memory without evaluating any node; a
// remembered list that leaves out inactive nodes is evaluated again, in its
// place, once the status generation (modeldata/status_changes.h) has moved.
void LSCHND(int modref, int maxn, std::string_view kind, int inclx, std::string_view routine, int subref,
            std::string_view zlabel, int& ierr, plat::Vec1<int> list, int& count);

// Forgets every remembered request. Only tests call this, between models.
void lschnd_reset_for_tests();

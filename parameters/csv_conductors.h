// Column names and values of conductor and mass-flow link items of a CSV
// table: GL, GR, GF, GV, M, GP (entity codes 42..47) with a conductor
// reference. One column per conductor or link joining a node of the first
// node list to a node of the second, named "<prefix>(<node1>,<node2>[,<seq>])".
#pragma once

#include <string_view>

#include "core/file_services.h"
#include "platform/array.h"

// Header writer. head: the item's text before its first bracket.
// ierr 1 not a conductor kind; 2 no column written (both reported); else the
// status of an enumeration.
void PRHCND(int code, std::string_view condref, std::string_view head, int model, int unit, int& ierr);

// Thermal enumeration over the nodes of A up to the first fluid node, sub-list
// part (1 GL, 3 GR, 5 GF) of the compact lists; conductors first..last
// (owning model from directory slot `slot`); found := 1 when a column was
// written. ierr 1 model path not found, 2 write failed.
void PRHGNP(plat::Vec1<const int> lista, int na, plat::Vec1<const int> listb, int nb, int seq,
            plat::Vec1<const int> pcs, plat::Mat2<const int> pcsptrs, int first, int last, int slot,
            std::string_view mnem, int nf, int nt, int part, int unit, int& ierr, int& found);

// Fluid enumeration over the fluid nodes of A, entries of kind `kind` (1
// links from the node, 2 GL, 3 GR, 4 GF) of the fluid lists.
void PRHGFP(plat::Vec1<const int> lista, int na, plat::Vec1<const int> listb, int nb, int seq,
            plat::Vec1<const int> linkpairs, plat::Vec1<const int> pcsf, plat::Vec1<const int> pcsptrsf, int first,
            int last, int kind, int slot, std::string_view mnem, int nf, int nt,
            plat::Vec1<const plat::Text<1>> statuses, int unit, int& ierr, int& found);

// View-factor enumeration: pairs (a, b), a of A, b of B, among GV node pairs
// first..last; names from head, nodes relative to model1's path. ierr 4 path
// not found, 3 a pair search failed, 2 or 1 a write failed.
void PRHGGV(plat::Vec1<const int> lista, int na, plat::Vec1<const int> listb, int nb, int seq,
            plat::Vec1<const int> pairs, int first, int last, int model1, std::string_view head, int unit, int& ierr,
            int& found);

// Value writer: the values of the same matches in the same order. ierr 1 not
// a conductor kind, 2 work space short, 3 nothing matched, or the status of
// the reference or of the field writer.
void PRCCND(int code, std::string_view condref, std::string_view item, int model, int unit, int& ierr);

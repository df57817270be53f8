// The pieces every hand-made model of the tests is built from: the sizes of
// the global arrays by name, allocated in one call, and the columns of the
// model directory set from a list.
//
//   tna_test::ArraySizes s;
//   s.mdrows = 18;
//   s.nm = 2;
//   s.nt = 6;
//   s.allocate();
//   tna_test::set_column(md_level, {0, 1});
//   tna_test::set_column(md_thermalnodebase, {0, 4, 6});
#pragma once

#include <algorithm>
#include <initializer_list>

#include "core/global_records.h"
#include "modeldata/global_arrays.h"

namespace tna_test {

// The 28 counts of gar_allocate under its own names, in its order: array
// descriptor list, DYSTOR, model directory rows, fluid, compact thermal and
// linked thermal connection lists, user arrays, control-constant names,
// user-constant names, character array elements, character user constants,
// character pool elements, GF, fluid nodes, integer array elements, integer
// user constants, GL, mass-flow links, node aliases, GR, real array
// elements, real user constants, models, thermal nodes, character, integer
// and real user entities, GV. Every count starts at 0.
struct ArraySizes {
  int larrinfo = 0, dystor = 0, mdrows = 0, lpcsfluid = 0, lpcsth = 0, lpcsold = 0, narrays = 0, ncc = 0, nucn = 0,
      ncharel = 0, ncharuc = 0, ncharpool = 0, ngf = 0, nf = 0, nintel = 0, nintuc = 0, ngl = 0, nl = 0, nalias = 0,
      ngr = 0, nrealel = 0, nrealuc = 0, nm = 0, nt = 0, nchent = 0, nintent = 0, nrealent = 0, ngv = 0;

  // gar_allocate with these counts.
  void allocate() {
    gar_allocate(larrinfo, dystor, mdrows, lpcsfluid, lpcsth, lpcsold, narrays, ncc, nucn, ncharel, ncharuc,
                 ncharpool, ngf, nf, nintel, nintuc, ngl, nl, nalias, ngr, nrealel, nrealuc, nm, nt, nchent, nintent,
                 nrealent, ngv);
  }
};

// slot(m) := the m-th value, for m = 1, 2, ...: one column of the model
// directory (a base column holds one value more than there are models).
inline void set_column(const gar_ModelDirectorySlot& slot, std::initializer_list<int> values) {
  int m = 1;
  for (const int v : values) slot(m++) = v;
}

// The user-defined nodal entities of a model, by kind: the names of the
// real, integer and character entities (SPRNOD kinds 1, 2 and 3, as many
// rows per kind as the longest list; SPRSIZ 5, 4 and 3 their counts).
inline void set_user_entities(std::initializer_list<const char*> reals, std::initializer_list<const char*> ints,
                              std::initializer_list<const char*> chars) {
  SPRSIZ = SprsizRecord{};
  SPRNOD = SprnodRecord{};
  SPRSIZ(1) = static_cast<int>(std::max({reals.size(), ints.size(), chars.size()}));
  SPRSIZ(2) = 3;
  SPRSIZ(3) = static_cast<int>(chars.size());
  SPRSIZ(4) = static_cast<int>(ints.size());
  SPRSIZ(5) = static_cast<int>(reals.size());
  int kind = 1;
  for (const auto& names : {reals, ints, chars}) {
    int row = 1;
    for (const char* name : names) SPRNOD(row++, kind) = name;
    ++kind;
  }
}

}  // namespace tna_test

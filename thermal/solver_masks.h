// Solver masks and the profile-reducing node ordering of the steady-state
// matrix.
//
// Masks are one-based 0/1 integer arrays derived from the status and
// activity letters so that the kernels test integers in their inner loops:
// gfmask/glmask/grmask 1 for an active ("A") conductor, dnodemask 1 for a
// solved ("D") node, dbnodemask 1 for a "D" or boundary ("B") node.
//
// The ordering renumbers the thermal nodes along their GL connections and
// describes the skyline (profile) storage of the lower triangle:
//   nodeorder(k)  node index placed at matrix row k; nodepos its inverse;
//   rowfirst(k)   first column row k can hold;
//   diagptr(k)    one-based index of the diagonal of row k in the packed
//                 array; element (k, j) is at diagptr(k) - k + j;
//   proflen       diagptr(nt), the length of the packed array.
#pragma once

#include <cstdint>

#include "platform/array.h"
#include "platform/text.h"

// Builds the five masks from the letters. A mask whose count is not positive
// is left untouched.
void SLOGST2(int ngf, int ngl, int ngr, int nt, plat::Vec1<const plat::Text<1>> gfacts,
             plat::Vec1<const plat::Text<1>> glacts, plat::Vec1<const plat::Text<1>> gracts,
             plat::Vec1<const plat::Text<1>> statuses, plat::Vec1<std::int32_t> dnodemask,
             plat::Vec1<std::int32_t> gfmask, plat::Vec1<std::int32_t> glmask, plat::Vec1<std::int32_t> grmask,
             plat::Vec1<std::int32_t> dbnodemask);

// Greedy ordering over the GL sub-lists of the compact connection list
// (pcs, ptrs(6, nt)); nt >= 1. Only the neighbours of the GL sub-lists are
// read, whatever the conductors' activity, so that a conductor switched on
// later still fits the profile. Neighbours above nt (fluid nodes) are
// skipped. frontier, state, priority and minpos are scratch of nt entries.
// len is not used. proflen is -1 when the profile would not fit 32-bit
// indices.
void S3PNTR(int len, int nt, plat::Vec1<const std::int32_t> pcs, plat::Mat2<const std::int32_t> ptrs,
            plat::Vec1<std::int32_t> diagptr, plat::Vec1<std::int32_t> nodepos, plat::Vec1<std::int32_t> nodeorder,
            plat::Vec1<std::int32_t> rowfirst, int& proflen, plat::Vec1<std::int32_t> frontier,
            plat::Vec1<const std::int32_t> dnodemask, plat::Vec1<std::int32_t> minpos,
            plat::Vec1<std::int32_t> state, plat::Vec1<std::int32_t> priority);

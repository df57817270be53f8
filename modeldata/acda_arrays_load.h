// Loading of user arrays from the analysis-case data file (".acd", HDF5).
//
// The file is named after the main model: the name, trailing blanks
// removed, plus ".acd" (a name over 500 characters is reported and cut). It
// is opened read-only; when it cannot be opened the file-error box is printed
// and the layer carries on without a file, so that every later query finds no
// data.
//
// A walker over the submodel groups of the file follows the depth-first order
// of the model directory: acda_movenextsubmodel moves it to the next model,
// acda_getarraydata reads the arrays of the model it stands at.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/file_services.h"
#include "platform/array.h"

// Opens the analysis-case file of model NAME (its first `length`
// characters) and puts the walker at the root (main model, level 0).
void acda_open(std::string_view name, int length);

// Numbers of integer and real user-array values the open file holds over all
// submodels; both 0 when no file is open.
void acda_getnumberofarrayvalues(int& nint, int& nreal);

// Moves the walker to submodel NAME at nesting LEVEL (0 = the root), the next
// model in depth-first order.
void acda_movenextsubmodel(std::string_view name, int level, int length);

// The user arrays of the submodel the walker stands at: their number, the
// numbers of real and integer values, and the values themselves (the vectors
// are replaced). Keeps a table of the arrays for acda_updatearraypointers.
//
// What the counts announce must be in the file: every member of every
// announced record of "ArrayInformation", every array's values within
// "numberOfArrayValues" and within "ArrayData", a table's values for its
// dimensions within its size, its index words within
// "numberOfArrayIndexValues". Anything short ends the run (severity 4,
// routine "(acda)GetArrayData"), worded as the solution manager words the
// faults of the file:
//   "Cannot read ACD dataset@@Dataset: <path>[.<member>]<NL>ACD file: <file>@"   code 1
//   "Invalid ACD data@@Array <name>: <what><NL>Object: <path><NL>ACD file: <file>@"  code 5
// (the announced count of values beyond "ArrayData" without an array that
// needs them is reported without an array name).
void acda_getarraydata(int& narrays, int& nreal, int& nint, std::vector<double>& reals,
                       std::vector<std::int32_t>& ints);

// Enters the arrays of the table kept by the last acda_getarraydata into the
// model's array information list: for each array found among the model's
// array names (arraynames(nfirst+1) .. arraynames(nlast)), with p its
// information pointer, writes from arrayinfolist(lbase + p + 1) its value
// counts and first positions, which count on from the model's own values
// (ibase integer, rbase real) array after array. Arrays not found are passed
// over. Frees the kept table.
void acda_updatearraypointers(int narrays, int ibase, int rbase, plat::Vec1<const std::int32_t> arrayinfopointers,
                              plat::Vec1<std::int32_t> arrayinfolist, CTextVec1 arraynames, int lbase, int nfirst,
                              int nlast, int namelen);

// Closes every group the walker holds open, and the file.
void acda_close();

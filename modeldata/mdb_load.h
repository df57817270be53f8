// Loading of the model database file (".MDB") into the global records and
// arrays: SCOMLD finds and opens the file, checks its first record and the
// control-constant counts and hands over to LOADB, which reads the model
// tree and every submodel section (LOADC), skips the block between two
// sections (LOADD), then resolves the inter-model links and builds the
// final connection lists. The file is closed once loaded.
//
// Every fault of the file's contents ends the run with a fatal diagnostic
// (exit status 1); only a file that is missing or cannot be opened comes
// back as status 1.
#pragma once

#include <string_view>

#include "core/file_services.h"
#include "platform/array.h"
#include "platform/text.h"

// Loads the model named by the job name of JOBINF from its database file on
// `unit` (10 in a run). status 0 loaded; 1 the file is missing or cannot be
// opened (nothing printed here). Afterwards JOBINF holds the stored model
// name and PRTINF word 1 (page length) the control constant LENGTH.
void SCOMLD(int unit, int& status);

// Reads the file on `unit` (rewound, first record again) to its last marker
// and builds the whole model. model_name (24 characters) is checked against
// the stored name and then replaced by it. md_dim1 is the first dimension of
// the model directory (18). status is 0 on return: every failure ends the
// run with the "Error in reading model ..." diagnostic or an earlier one.
void LOADB(plat::TextRef model_name, int md_dim1, int unit, int& status);

// Skips the block after a submodel section: for each of the `ncols` columns
// j of the skip table (dim1 rows, column-major) whose third value v is not
// 0, ((v + 24) / 25) * 2 + 1 records; then reads the marker. status 0, or 5
// when the marker is not there.
void LOADD(plat::Vec1<const int> skip_table, int dim1, int ncols, int unit, int& status);

// a(1..n) := value, cut or blank-padded; status 1 (nothing written) when n < 1.
void SETZZZ(std::string_view value, int n, TextVec1 a, int& status);
// target(k) := source(k), k = 1..n, cut or blank-padded; status 1 when n < 1.
void SZCOPY(CTextVec1 source, int n, int& status, TextVec1 target);
// Zeroes (blanks) the user-defined nodal entity values of thermal and fluid nodes.
void SPRZER();

// Submodel references: the translations between submodel name paths, user
// node numbers and the internal numbering (models depth-first, model 1 the
// main model; global node indices thermal 1..NT, fluid NT+1..NT+NF), over the
// model directory and the model names of the global arrays.
//
// ATTRIB values (trailing blanks ignored): blank or "ALL" the whole path from
// the main model, "SUBMODEL" the model's own name, "ROOT" the path of its
// enclosing models. Paths are names joined by ":".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

// Path or name of the model owning global node `node`, or the message
// "SUBMDN: Invalid node number" / "SUBMDN: Invalid argument ATTRIB" /
// "SUBMDN: Unexpected error". The result is unpadded; assigning it to a
// fixed-length text cuts or pads it to that text's length.
std::string SUBMDN(int node, std::string_view attrib);
// User node number of global node `node`; 0 after a severity-2 diagnostic
// when the node is out of range.
int NODNUM(int node);

// Path text of model `model` into name(1:len). ierr 0; 1 invalid ATTRIB; 2
// bad model or directory (name blank, len 1); 3 the path did not fit (name
// holds what fits, len is its full length).
void LSUBMD(std::string_view attrib, int model, int& len, plat::TextRef name, int& ierr);
// Ancestor chain of `model`: names of the models from the main model down to
// it, chain(1..depth). ierr 2 for a model number out of range, 3 for an
// inconsistent directory (each reported with severity 3). `model_count` is
// not called.
void SCCNAM(plat::Mat2<std::int32_t> directory, int slots, int (*model_count)(),
            plat::Vec1<const plat::Text<24>> names, int model, plat::Vec1<plat::Text<24>> chain, int& depth,
            int& ierr);
// Model owning global node `node` (1..NT+NF), from a map built at the first
// call and kept for the rest of the run.
int NDSSMD(int node);
// Forgets the map of NDSSMD so that the next call builds it again. Only
// tests call this, between models; a run builds the map once.
void ndssmd_reset_for_tests();

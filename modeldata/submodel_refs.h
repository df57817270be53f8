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

#include "core/file_services.h"
#include "platform/array.h"
#include "platform/text.h"

// Path or name of the running model (control constant MODEL), or
// "SUBMOD: Invalid argument ATTRIB" / "SUBMOD: Unexpected error". Unpadded,
// like SUBMDN.
std::string SUBMOD(std::string_view attrib);

// Path or name of the model owning global node `node`, or the message
// "SUBMDN: Invalid node number" / "SUBMDN: Invalid argument ATTRIB" /
// "SUBMDN: Unexpected error". The result is unpadded; assigning it to a
// fixed-length text cuts or pads it to that text's length.
std::string SUBMDN(int node, std::string_view attrib);
// User node number of global node `node`; 0 after a severity-2 diagnostic
// when the node is out of range.
int NODNUM(int node);
// Global node index of user node `node` of model `model`: its thermal nodes
// first, then its fluid nodes (NT + fluid index); the first of equal numbers
// wins. 0 after a severity-2 diagnostic: "Node node found" (code 1) or
// "Invalid submodel" (code 2). Look-ups use a per-model index of the node
// numbers built at the first call (after loading) and kept for the run.
int INTNOD(int model, int node);

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
// Parent of `model`: the nearest earlier model one level up; a model at
// level 0 or 1 gets its level (0 for the main model, 1 for its children).
void GETPARENTMODELNUMBER(int model, int& parent);
// Model owning conductor or link `index` of kind `type` (1 GL, 2 GR, 3 GF,
// 4 GV, 5 mass-flow link); any other type is a fatal diagnostic.
int CDSSMD(int index, int type);
// User node number and the full path of the owning model of global node
// `node`: path(1..len) (the number is not part of the path). A node outside
// 1..NT+NF is a fatal internal error (ierr 10).
void LNDREF(int node, int& len, int& number, plat::TextRef path, int& ierr);
// Resolves the submodel prefix (names each followed by ":") of an item that
// starts at text(pos) and ends at text(end), relative to model `current`
// ("CURRENT:" names current itself). On success model := the model found and
// pos points just after the last ":" read. ierr 1 syntax error (an empty
// name or one longer than 24 characters), 2 an invalid or ambiguous path;
// report non-zero prints the diagnostic (severity 3). The search for ":"
// never passes `end`; no prefix (or an item starting with "(") leaves model
// and pos unchanged.
void LSMINT(plat::Vec1<const int> directory, int slots, int nm, int report, int current, CTextVec1 names,
            std::string_view text, int end, int& pos, int& model, int& ierr);
// Appends the identity of global node `node` (thermal nodes first, fluid
// nodes after them) one blank after the message's last non-blank character;
// nothing for node 0.
void MESBLD(int node, plat::TextRef message);
// Forgets the map of NDSSMD and the node-number index of INTNOD so that the
// next calls build them again. Only tests call this, between models; a run
// builds them once.
void ndssmd_reset_for_tests();

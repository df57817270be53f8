// Statement appliers of the parameter cases: one CHANGE, SCALE, ON or OFF
// statement carried out on the model data once the statement reader has
// classified its reference.
//
// Common arguments: the command word ("CHANGE" or "SCALE"; ON and OFF come as
// "CHANGE" with the value text "ON" or "OFF"), the reference text, the value
// text (blanks already removed), the current submodel in which references
// without a submodel path are resolved, and the status: 0 when the statement
// was applied, non-zero when it was refused (with a severity-3 diagnostic of
// the applier or of the routine it called). Items changed before a kernel
// refused others stay changed. The integer work-space top is the same on
// return as on entry.
#pragma once

#include <string_view>

// Nodal entity `code` (1..36 values and texts, 49..58 statuses, negative a
// user-defined nodal entity) of the nodes the reference selects. status 1 no
// work space, 2..5 SCALE of a text entity (L, FT, FRG, FST), 6 code not a
// nodal entity, 7 none of the nodes has the entity, 8 SCALE of a status, or
// the status of the reference, value or kernel routine. When only some of
// the nodes lack the entity the others are changed with a warning, status 0.
void PARNOD(std::string_view command, int code, std::string_view ref, std::string_view value, int submodel,
            int& status);

// Conductor or link `code` (42 GL, 43 GR, 44 GF, 45 GV, 46 M, 47 GP) between
// the two node lists of the reference "[path:](nodes1,nodes2[,seq])",
// "(*)" or "(*-ONLY)". Value "ON"/"OFF" sets the activity letter A/I;
// otherwise CHANGE sets the value (an expression), SCALE multiplies it (one
// number). status 1 code not a conductor, 8 no work space, 9/10 ON or OFF of
// GV/GP, 11 nothing matched, or a reference or value routine's status.
void PARCND(std::string_view command, int code, std::string_view ref, std::string_view value, int submodel,
            int& status);

// Elements of the user array "[path:]NAME(i[,j[,k]])" ("*" for a whole
// dimension): CHANGE from a comma-separated list of values stored in
// consecutive elements (first index fastest), or one value over a range;
// SCALE of real elements by one factor. status 1 unknown submodel, 2 no
// index part, 3 unknown array, 4 SCALE refused or a list with SCALE or with
// an integer range, 5 and 7 too many values, 6 a list with a range, or the
// status of the index, value or text routine.
void PARARR(std::string_view command, std::string_view ref, std::string_view value, int submodel, int& status);

// User constant "[path:]NAME" of the submodel (real, then integer, then
// character names searched), else the control constant of that name.
// status 1 unknown submodel, 2 the stored text unreadable, or the status of
// the constant routine.
void PARCST(std::string_view command, std::string_view ref, std::string_view value, int submodel, int& status);

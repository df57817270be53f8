// The interface between the library and a generated model program.
//
// A generated program supplies its process entry (main(), which does what
// the entry of a model program must: store FLAGS words 1..41, SVMNAM(name),
// store SPRSIZ words 1..5 and the SPRNOD names, MAINA(name, 24), SUCCES())
// and the block routines below. The library calls the blocks back only by
// these fixed names. docs/GENERATED_PROGRAM.md shows how such a program looks.
#pragma once

#include <string_view>

// ---- Blocks the generated program supplies (the library calls them) -------

// INITIAL: OPBLOK "INITIAL", MODEL 1, GM0001(true), FINITS(" ", -1), the
// user's statements, OPBLOK blank.
void IN0001();
// EXECUTION: the user's statements only (no frame).
void EXECTN();
// VARIABLES1: flag from SOLTYP, OPBLOK "VARIABLES1", MODEL 1, PRMUPD, CHKTRM,
// ACDDYU, HEATER_UPDATE, MODEL 1, the user's statements, GM0001(flag),
// OPBLOK blank.
void V10001();
// VARIABLES2: OPBLOK "VARIABLES2", MODEL 1, SSNCNT, STEPCT + 1, PRMUPD,
// HEATER_UPDATE, MODEL 1, the user's statements, OPBLOK blank,
// PARWRT("VARIABLES2").
void V20001();
// OUTPUTS: nothing unless OUTIME is "ALL"; else OPBLOK "OUTPUTS", the user's
// statements, OPBLOK blank, PARWRT("OUTPUTS").
void OUTPUT();
// Per-model hook: true from INITIAL, the SOLTYP flag from VARIABLES1.
void GM0001(bool& flag);
// Reference list, never called: one call of each of the twenty property
// functions, FTYPEC and FTYPEI (properties/properties.h), then a stop, so
// that every one of them is part of every model program.
void SYMREF();

// ---- Library routines the generated program's frames call ----------------

// Hands the model name (24 characters, blank-padded) to the global records.
void SVMNAM(std::string_view name);
// Run driver: set-up, the case loop, close-down of the run files. Returns
// after the last case or after a set-up or case failure banner; fatal errors
// end the process inside the library.
void MAINA(std::string_view name, int length);
// Normal end of the program: close-down and exit status 0 (status 1 when a
// failure banner was printed during the run).
[[noreturn]] void SUCCES();

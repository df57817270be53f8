// Parameter-case changes of model data: nodal values, node statuses,
// user-defined nodal entities, user array elements and constants, set
// (CHANGE) or multiplied (SCALE) in place with the undefined-value rules.
//
// Node lists are ascending internal numbers, thermal (1..NT) before fluid
// (NT+1..NT+NF). A thermal kernel walks the list from the front and stops at
// the first fluid node; a fluid kernel walks it from the back, stops at the
// first thermal node and addresses its array with number - NT. Counts are
// the numbers of nodes changed; refused flags are 0 or 1.
//
// A command text equal to "CHANGE" (trailing blanks ignored) sets; any
// other means SCALE.
#pragma once

#include <string_view>

#include "core/char_pool.h"
#include "core/file_services.h"
#include "platform/array.h"
#include "platform/text.h"

// Set real / integer / text values of the thermal (N) or fluid (F) nodes of
// the list. An undefined real or integer element is reported and set.
void PARCNR(plat::Vec1<const int> list, int count, double value, int nt, plat::Vec1<double> values, int& changed,
            int& refused);
void PARCFR(plat::Vec1<const int> list, int count, double value, int nt, plat::Vec1<double> values, int& changed,
            int& refused);
void PARCNI(plat::Vec1<const int> list, int count, int value, int nt, plat::Vec1<int> values, int& changed,
            int& refused);
void PARCFI(plat::Vec1<const int> list, int count, int value, int nt, plat::Vec1<int> values, int& changed,
            int& refused);
void PARCNZ(plat::Vec1<const int> list, int count, std::string_view value, int nt, TextVec1 values, int& changed,
            int& refused);
void PARCFZ(plat::Vec1<const int> list, int count, std::string_view value, int nt, TextVec1 values, int& changed,
            int& refused);
// Multiply real values; an undefined element is reported, kept and not
// counted, and the refused flag := 1.
void PARSNR(plat::Vec1<const int> list, int count, double factor, int nt, plat::Vec1<double> values, int& changed,
            int& refused);
void PARSFR(plat::Vec1<const int> list, int count, double factor, int nt, plat::Vec1<double> values, int& changed,
            int& refused);

// Node status letter: thermal nodes only among B, D, X (status and its
// copy), fluid nodes only among F, H, J, K, Q, R, S. When any node changed,
// the status generation moves on (the status-changed flag is left alone).
void PARCNS(plat::Vec1<const int> list, int count, std::string_view status, int nt, plat::Vec1<plat::Text<1>> fluid,
            plat::Vec1<plat::Text<1>> thermal, plat::Vec1<plat::Text<1>> copy, int& nthermal, int& nfluid,
            int& tflag, int& fflag);

// User-defined nodal entity -code (reals first, then integers, then texts)
// of the listed nodes, from the value text. status 0; 1 SCALE of an integer
// entity; 2 SCALE of a text entity; for SCALE of a real entity the number of
// kernels that refused a node (0..2); or a value reader's status.
void PARUDE(std::string_view command, int code, plat::Vec1<const int> list, int count, std::string_view value,
            int& nfluid, int& nthermal, int& status);

// Elements (i, j, k) within range(1..6) (first/last of dimension d at 2d - 1
// and 2d) of an array of dimensions d1 x d2 x ..., whose values start at
// store(1): set (CHANGE) or scaled (real), set (integer).
void PARRAR(std::string_view command, int d1, int d2, plat::Vec1<const int> range, double value,
            plat::Vec1<double> store);
void PARIAR(int d1, int d2, plat::Vec1<const int> range, int value, plat::Vec1<int> store);
// Text array elements element..element+ntexts-1 := texts(1..ntexts), each
// cut or padded to its stored length. The array's texts start at pool
// position `firstpos`; the pool holds `nelem` elements. status 1 a text
// before the target, 2 one at the target could not be read.
void PARZA1(int element, int ntexts, plat::Vec1<const PoolElement> texts, int firstpos, int nelem, PoolRef pool,
            int& status);
// Every element of a d1 x d2 x d3 text array within range(1..6) := text, cut
// or padded to its stored length. status 1 when a text could not be read.
void PARZA2(int d1, int d2, int d3, plat::Vec1<const int> range, std::string_view text, int firstpos, int nelem,
            PoolRef pool, int& status);

// The 90 control constants a parameter case may change, in storage order:
// GLOR words 1..47, GLOI, GLOC, then NODES and NODESM of LOCI.
inline constexpr int kParCtrlConstCount = 90;
extern const plat::Text<6> kParCtrlConstNames[kParCtrlConstCount];

// CHANGE or SCALE of the control constant `name` (18 characters) with the
// value text; NODES and NODESM are those of submodel `submodel`. status 1
// for a name outside the table (a name longer than 18 characters included,
// reported whole), else the status of PARCCR/PARCCI/PARCCZ.
void PARCCT(std::string_view command, std::string_view name, std::string_view value, int submodel, int& status);
// Real constant: CHANGE reads an expression, SCALE a single factor. status 2
// for a SCALE of an undefined constant (kept); a CHANGE of one warns.
void PARCCR(std::string_view command, std::string_view name, std::string_view value, double& constant, int& status);
// Integer constant: the value is an integer expression; SCALE gives status 2.
void PARCCI(std::string_view command, std::string_view name, std::string_view value, int& constant, int& status);
// Text constant: the value is a quoted text, cut or padded to the length of
// `constant`; SCALE gives status 1.
void PARCCZ(std::string_view command, std::string_view name, std::string_view value, plat::TextRef constant,
            int& status);

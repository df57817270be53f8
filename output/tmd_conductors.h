// Conductor and link rows of a TMD file: which GL, GR, GF conductors and
// mass-flow links join two selected nodes, in which order, and their node
// row references, ordinals and owning models. The same walk of the per-node
// connection lists serves the creation of the row tables and every time
// slice, so the rows of a slice line up with the tables.
#pragma once

#include <cstdint>
#include <vector>

// Kinds of a row: the conductor kinds of CDSSMD and 5 for a mass-flow link.
inline constexpr int tmd_kind_gl = 1, tmd_kind_gr = 2, tmd_kind_gf = 3, tmd_kind_link = 5;

// One row found by the walk: its kind, the internal numbers of the node it is
// listed from and of the other node, the signed index of the connection-list
// entry (a GF index may be negative: that conductor in the opposite
// direction) and the ordinal among the same kind between the same two nodes.
struct TmdConductorRow {
  int kind;
  int node;
  int other;
  int index;
  int ordinal;
};

// Node row references of the current selection (TmvThermalModelVariables):
// refs[n] (n = 1..NTH + NFL, refs[0] unused) is +i for the i-th selected node
// when it is thermal, -(i - nts) when it is fluid, 0 for a node not selected.
// An entry below 1 or above NTH + NFL stops the run ("Tmd<SetupNodeIds> 1",
// "Tmd<SetupNodeIds> 2").
void tmd_setupnodeids(int nts, std::vector<std::int32_t>& refs);

// Walks the connection lists of the selected nodes and returns the rows of
// the kinds selected in TmvThermalModelVariables::conductortypeflags, in file
// order (by the listing node's place in the selection, then by position in
// its sub-list). refs as tmd_setupnodeids gives them.
void tmd_walkconductors(const std::vector<std::int32_t>& refs, std::vector<TmdConductorRow>& rows);

// The row tables of a new file: four 32-bit integers per row (reference of
// the listing node, reference of the other node, ordinal, owning model), one
// table per kind GL, GR, GF, GV and links; counts(1..5) their numbers of rows.
// nts is the number of selected thermal nodes written to the file (0 when it
// has no node data sets).
struct TmdConductorTables {
  std::vector<std::int32_t> infogl, infogr, infogf, infogv, infom_gp;
};
void getconductorinfo(int nts, TmdConductorTables& tables, int& countgl, int& countgr, int& countgf, int& countgv,
                      int& countm_gp);

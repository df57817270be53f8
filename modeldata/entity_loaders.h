// Section loaders of the model database: the keyed lists 1..244 of one
// submodel section, read in ascending key order straight into the global
// arrays at the model's bases of the model directory.
//
// LOADC1 (keys 1..44), LOADC2 (45..200) and LOADC3 (201..244) call the
// loaders in key order; the first one that fails ends the group, which
// writes its context text and returns the status (1 a key, type or count
// mismatch or a missing mandatory list, 2 a list too long for its array or
// inconsistent array data, 7 the inter-model link areas do not fit, or the
// status of a failed read or move).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

// Integer dynamic-core header words while the model database loads: area
// starts and used lengths of the inter-model GL (A), GR (B) and GF (C) link
// records, the limit of the three areas, the start of the same-node list,
// and the mass-flow link area with its waiting words and limit.
namespace ldh {
inline constexpr int kGlStart = 1, kGlUsed = 2, kGrStart = 3, kGrUsed = 4, kGfStart = 5, kGfUsed = 6;
inline constexpr int kAreaLimit = 7, kSameNode = 8, kMfStart = 9, kMfWaiting = 10, kMfLimit = 11;
inline constexpr int kHeaderWords = 11;
}  // namespace ldh

// Number of list keys of a section and words of its list directory.
inline constexpr int kListKeys = 290;
inline constexpr int kDirectoryWords = 2 * kListKeys;
// Skip table of list 66: 43 triples.
inline constexpr int kSkipColumns = 43;
inline constexpr int kIdCardItems = 205;

// What the loaders of one submodel section share: the section's list
// directory, the running bases kept by LOADB across submodels, the counts
// one loader hands to the next, and the context text of a failure.
struct LoadSection {
  int m = 0;     // model number, 1 = main model
  int unit = 0;  // database unit

  // List directory: pair k = words 2k-1, 2k; list k present when word 2k != 0.
  std::array<int, kDirectoryWords> directory{};
  bool present(int key) const {
    return key >= 1 && key <= kListKeys && directory[static_cast<std::size_t>(2 * key - 1)] != 0;
  }
  plat::Vec1<const int> directory_view() const { return {directory.data(), kDirectoryWords}; }

  // Running bases of the user arrays: 1..4 this model's bases in the array
  // info list and the integer, real and character values; 5..8 the same
  // positions after this model.
  std::array<int, 9> arraybases{};  // [1..8]
  // Used lengths of gar_pcsthermalold and gar_pcsfluid.
  int pcs_used = 0;
  int fpcs_used = 0;

  // Handed on within the section.
  int tn = 0;                                      // thermal nodes of the model (LOADE)
  int gl = 0, gr = 0, gf = 0;                      // inter-model conductors (LOADG)
  int pairs_gl = 0, pairs_gr = 0, pairs_gf = 0;    // node-pair integers of lists 69..71 (LOADEM)
  std::array<int, 3> fluid_touch{};                // items 70..72 of list 66 (LOADP)
  std::array<int, 3 * kSkipColumns> skip_table{};  // items 77..205 of list 66 (LOADP)
  int mf_link_words = 0;                           // integers of list 224 (LOADGF)

  // What the failing step was doing (256 characters, blank when none).
  plat::Text<256> context;
  void set_context(std::string_view text, std::size_t width) {
    context = text.substr(0, std::min(width, text.size()));
  }

  // Clears what one section hands on (the directory included).
  void begin_section(int model) {
    m = model;
    directory.fill(0);
    tn = gl = gr = gf = 0;
    pairs_gl = pairs_gr = pairs_gf = 0;
    fluid_touch.fill(0);
    skip_table.fill(0);
    mf_link_words = 0;
  }
};

// The three groups, in section order.
void LOADC1(LoadSection& s, int& status);
void LOADC2(LoadSection& s, int& status);
void LOADC3(LoadSection& s, int& status);

// The loaders they call (each: status 0 or the failure status).
void LOADE(LoadSection& s, int& status);                       // keys 1..13: thermal nodes
void LOADF(LoadSection& s, int& status);                       // keys 14..21: conductor values and activities
void LOADG(LoadSection& s, int& status);                       // keys 22..24: inter-model conductor values
void LOADH(LoadSection& s, int& status);                       // keys 26..28: inter-model conductor activities
void LOADI(LoadSection& s, int& status);                       // keys 30..32: inter-model node pairs
void LOADJ(LoadSection& s, int& status);                       // key 34: GV node pairs
void LOADL(LoadSection& s, int& status);                       // keys 45..51: user constants
void LOADM(LoadSection& s, int& status);                       // keys 52..65: user arrays
void LOADP(LoadSection& s, int& status);                       // key 66: ID-card information
void LOADQ(LoadSection& s, int& status);                       // key 68: control constants
void LOADEM(LoadSection& s, int& status);                      // keys 69..71: conductor node pairs
void LOADEN(LoadSection& s, int& status);                      // keys 72..74: incident fluxes
void LOADTHERMALNODECOORDINATES(LoadSection& s, int& status);  // keys 96..98
void LOADNA(LoadSection& s, int& status);                      // keys 107..108: node aliases
void LOADEF(LoadSection& s, int& status);                      // keys 201..218: fluid nodes
void LOADFF(LoadSection& s, int& status);                      // keys 219..223: mass-flow links
void LOADGF(LoadSection& s, int& status);                      // keys 224..228: inter-model mass-flow links
void LOADFN(LoadSection& s, int& status);                      // keys 231..244: further fluid-node entities

// Integer form of a control-constant value as the file holds it: the
// undefined marker when its first (low-address) 4 bytes hold the marker,
// else the value truncated towards zero (-2147483648 when out of range).
std::int32_t ldq_integer_form(double v);

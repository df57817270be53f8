// Work space of the model database load.
//
// The load needs scratch in proportion to the model (node-number indexes,
// per-conductor chains of the connection-list builder). Rather than take it
// from the heap on every load, it borrows two global arrays that only the
// last step of the load writes: the compact thermal list gar_pcsthermal and
// its pointers gar_pcsptrsthermal (both filled by LPCSCN). Their storage is
// allocated with the model, so borrowing it costs no allocation.
//
// While a load runs (LoadWorkScope, held by LOADB):
//   - lasting words (kept until the scope ends: the node-number indexes) come
//     from the bottom of gar_pcsptrsthermal;
//   - a LoadWords block (kept while it lives: the builder's per-node heads
//     and per-conductor chains) comes from the top of gar_pcsptrsthermal or
//     from gar_pcsthermal.
// What does not fit, and everything outside a load, comes from the heap.
// Every borrowed word is handed out zeroed and set back to 0 when the scope
// ends, which LOADB does before LPCSCN writes the two arrays.
#pragma once

#include <cstdint>
#include <vector>

enum class LoadArea { Pointers, Compact };

class LoadWorkScope {
 public:
  LoadWorkScope();
  ~LoadWorkScope() { end(); }
  LoadWorkScope(const LoadWorkScope&) = delete;
  LoadWorkScope& operator=(const LoadWorkScope&) = delete;
  // Clears the borrowed words and stops borrowing (idempotent).
  void end();

 private:
  bool active_ = false;
};

// n zeroed words kept until the scope ends; nullptr when they are not
// borrowed (no scope, or no room).
int* load_lasting_words(std::int64_t n);

// n zeroed words for the lifetime of the block, borrowed from `area` during
// a load when there is room, else from the heap. Blocks of one area are
// given back in the reverse order of taking.
class LoadWords {
 public:
  LoadWords(LoadArea area, std::int64_t n);
  ~LoadWords();
  LoadWords(const LoadWords&) = delete;
  LoadWords& operator=(const LoadWords&) = delete;
  int* data() { return p_; }

 private:
  LoadArea area_;
  std::int64_t n_ = 0;
  bool borrowed_ = false;
  int* p_ = nullptr;
  std::vector<int> own_;
};

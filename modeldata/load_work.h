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
//   - a LoadWords block (kept while it lives: the builder's per-node counts
//     and per-conductor positions) comes from the top of gar_pcsptrsthermal
//     or from gar_pcsthermal.
// What does not fit, and everything outside a load, comes from the heap.
// When the scope ends every borrowed word is set back to 0, except those the
// caller says it has written since (LOADB ends the scope after LPCSCN).
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
  // Stops borrowing (idempotent) and clears the borrowed words, except the
  // first kept_pointers words of gar_pcsptrsthermal and the first
  // kept_compact words of gar_pcsthermal, which the caller has rewritten.
  void end(std::int64_t kept_pointers = 0, std::int64_t kept_compact = 0);

 private:
  bool active_ = false;
};

// Whether a block's words start at 0 or as they happen to be (the caller
// writes every word it reads).
enum class LoadFill { Zero, Any };

// n words kept until the scope ends (contents as they happen to be);
// nullptr when they are not borrowed (no scope, or no room).
int* load_lasting_words(std::int64_t n);

// n words for the lifetime of the block, borrowed from `area` during a load
// when there is room, else from the heap. Blocks of one area are given back
// in the reverse order of taking.
class LoadWords {
 public:
  LoadWords(LoadArea area, std::int64_t n, LoadFill fill = LoadFill::Zero);
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

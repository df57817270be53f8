#include "modeldata/entity_lists.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/entity_codes.h"

namespace {

std::string fit(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

void report(std::string_view routine, std::string_view text, std::string_view item, int code) {
  std::string msg(routine);
  msg.append(text).append(item);
  SETERX(fit(msg, 100), 3, code, "LSDNTT");
}

// Conductor codes of a decoding: ncodes-6..ncodes (GL..GP and G).
bool conductor_code(int code, int ncodes) { return code >= ncodes - 6 && code <= ncodes; }

}  // namespace

void ACONI(int step, int n, int value, plat::Vec1<int> arr, int& ierr) {
  ierr = 0;
  if (step < 1) return;
  const std::int64_t last = std::min<std::int64_t>(n, arr.size());
  LoopGuard guard("ACONI");
  for (std::int64_t i = 1; i <= last; i += step) {
    guard.pass();
    arr(i) = value;
  }
}

void LSNTID(int nlist, int nseen, int ncodes, int code, std::string_view routine, plat::Vec1<int> list,
            int& condflag, plat::Vec1<int> seen, int& nodeflag, int& n, int& ierr) {
  const std::int64_t room = std::min<std::int64_t>(nlist, list.size());
  const std::int64_t marks = std::min<std::int64_t>(nseen, seen.size());
  // A code the caller's flags or list cannot hold is refused, not written
  // past the end of either.
  auto no_room = [&] {
    ierr = 7;
    std::string msg(routine);
    msg.append(": Mistake in ZENTS, too many entities");
    SETERX(fit(msg, 60), 3, 7, "LSNTID");
  };
  if (code < 1 || code > marks) {
    no_room();
    return;
  }
  if (seen(code) == 1) {
    ierr = 1;
    std::string msg(routine);
    msg.append(": Mistake in ZENTS, repeated entity reference");
    SETERX(fit(msg, 60), 2, 1, "LSNTID");
  } else {
    ierr = 0;
    if (code == ncodes) {
      // A code already named needs no room; one that finds no room ends the
      // expansion, but the codes appended before it still count as named.
      const int before = n;
      LoopGuard guard("LSNTID");
      for (int w = ncodes - 6; w <= ncodes - 1; ++w) {
        guard.pass();
        if (w >= 1 && w <= marks && seen(w) == 1) {
          ierr = 3;
          continue;
        }
        if (w < 1 || w > marks || n >= room) {
          no_room();
          if (n > before) condflag = 1;
          return;
        }
        seen(w) = 1;
        list(++n) = w;
      }
      seen(code) = 1;
    } else {
      if (n >= room) {
        no_room();
        return;
      }
      seen(code) = 1;
      list(++n) = code;
    }
  }
  if (code < ncodes - 6 || code > ncodes) {
    nodeflag = 1;
  } else {
    condflag = 1;
  }
}

void LSDNTT(int nlist, int nseen, int ncodes, std::string_view routine, std::string_view zents, int len,
            plat::Vec1<int> list, int& condflag, plat::Vec1<int> seen, int& nodeflag, int& n, int& sort, int& ierr) {
  int e = 0;
  ACONI(1, nseen, 0, seen, e);
  ACONI(1, nlist, 0, list, e);
  ierr = n = condflag = nodeflag = sort = 0;
  const bool user_entities = SPRSIZ(3) + SPRSIZ(4) + SPRSIZ(5) > 0;
  const std::size_t used = static_cast<std::size_t>(std::clamp<std::int64_t>(len, 0, zents.size()));
  const std::string_view text = zents.substr(0, used);

  LoopGuard guard("LSDNTT");
  std::size_t pos = 0;
  while (pos < used) {
    guard.pass();
    const std::size_t comma = text.find(',', pos);
    const std::size_t end = comma == std::string_view::npos ? used : comma;
    const std::string_view item = text.substr(pos, end - pos);
    pos = end + 1;
    if (item.empty()) {
      ierr = 6;
      report(routine, ": Mistake in ZENTS, invalid entity reference@Entity=", "", 6);
      continue;
    }
    const std::size_t inc = item.find("-INC"), dec = item.find("-DEC");
    const bool suffix = inc != std::string_view::npos || dec != std::string_view::npos;
    const std::string_view mnemonic = item.substr(0, inc != std::string_view::npos ? inc : dec);

    int w = 0;
    for (int code = 1; code <= std::min(ncodes, ent_count); ++code) {
      if (plat::text_eq(ENTNAM(code).view(), mnemonic) && !mnemonic.empty()) {
        w = code;
        break;
      }
    }
    if (w == 0 && user_entities && !mnemonic.empty()) SPRENT(mnemonic, w);
    if (w == 0) {
      ierr = 5;
      report(routine, ": Mistake in ZENTS, invalid entity reference@Entity=", item, 5);
      continue;
    }
    if ((condflag != 0 && (w < ncodes - 11 || w > ncodes)) || (nodeflag != 0 && conductor_code(w, ncodes))) {
      ierr = 1;
      report(routine, ": Mistake in ZENTS, mixed node & conductor entities", "", 1);
      continue;
    }
    if (w >= 37 && w <= 41) {
      ierr = 2;
      std::string msg = "Mistake in ZENTS, invalid entity reference@";
      msg.append(routine).append(": Decoding ZENTS@Entity = ").append(item);
      SETERX(fit(msg, 100), 3, 2, "LSDNTT");
      continue;
    }
    if (!suffix) {
      LSNTID(nlist, nseen, ncodes, w, routine, list, condflag, seen, nodeflag, n, ierr);
      continue;
    }
    if (ENTRIC(w) == 3) {
      ierr = 4;
      report(routine, ": Mistake in ZENTS, invalid sequence identifier@Entity=", item, 4);
      continue;
    }
    if (sort != 0) {
      const int key = std::abs(sort);
      const bool key_conductor = conductor_code(key, ncodes);
      if ((!key_conductor && condflag != 0) || (key_conductor && nodeflag != 0) || ENTRIC(key) == 3) {
        sort = 0;
        ierr = 3;
        report(routine, ": Mistake in ZENTS, mixed node & conductor entities", "", 3);
        continue;
      }
    }
    sort = inc != std::string_view::npos ? w : -w;
  }
}

// Run-time format engine: parser, format control, edit descriptors.
//
// A format text is parsed once into a flat list of nodes (groups are an open
// node and a close node linked to each other) and kept in a small per-thread
// cache keyed by the text, since the same formats are used in loops. The
// control walks the list for each item; output and input share the walk and
// differ in what a data descriptor and a literal do.
#include "platform/format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>

namespace plat::fmt_detail {
namespace {

using io::kBadFormat;
using io::kBadInput;
using io::kItemMismatch;

constexpr int kMaxNumber = 1000000;           // largest count, width or position in a format
constexpr long long kMaxPassSteps = 1000000;  // descriptors run by one pass through a format
constexpr std::size_t kMaxRecord = 1u << 20;  // longest record the engine builds
constexpr std::size_t kMaxOutput = 1u << 26;  // characters and records one statement may produce

enum Op : unsigned char {
  OpOpen,
  OpClose,
  OpEnd,
  OpI,
  OpF,
  OpE,
  OpES,
  OpEN,
  OpD,
  OpG,
  OpL,
  OpA,  // data descriptors
  OpX,
  OpT,
  OpTL,
  OpTR,
  OpSlash,
  OpColon,
  OpDollar,
  OpP,
  OpBN,
  OpBZ,
  OpS,
  OpSP,
  OpSS,
  OpLit
};

bool is_data(Op op) { return op >= OpI && op <= OpA; }

struct Node {
  Op op;
  int r = 1;  // repeat count (groups, data descriptors, slashes)
  int w = -1, d = -1, e = -1;
  int link = 0;  // open <-> close
  std::uint32_t lit = 0, litlen = 0;
};

struct Parsed {
  std::vector<Node> nodes;
  std::string lits;
  int revert = 1;
  bool has_data = false;
  int status = 0;
};

// ---------------------------------------------------------------- parsing

class Parser {
 public:
  Parser(std::string_view s, Parsed& out) : s_(s), p_(out) {}

  void run() {
    std::size_t first = 0;
    while (first < s_.size() && is_blank(s_[first])) ++first;
    std::size_t end = s_.size();
    if (first < s_.size() && s_[first] == '(') {
      const std::size_t close = matching_close(first);
      if (close == std::string_view::npos) return fail();
      i_ = first + 1;
      end = close;
    } else {
      i_ = first;
    }
    end_ = end;
    p_.nodes.push_back(Node{OpOpen});
    long long steps = 0;
    if (!list(0, steps)) return fail();
    if (peek() != -1) return fail();
    Node n{OpEnd};
    n.link = 0;
    p_.nodes.push_back(n);
    p_.nodes[0].link = static_cast<int>(p_.nodes.size() - 1);
    if (steps > kMaxPassSteps) return fail();
    // Reversion goes to the last top-level group, or to the start.
    p_.revert = 1;
    int depth = 0;
    for (std::size_t k = 1; k + 1 < p_.nodes.size(); ++k) {
      if (p_.nodes[k].op == OpOpen) {
        if (depth == 0) p_.revert = static_cast<int>(k);
        ++depth;
      } else if (p_.nodes[k].op == OpClose) {
        --depth;
      }
      if (is_data(p_.nodes[k].op)) p_.has_data = true;
    }
  }

 private:
  static bool is_blank(char c) { return c == ' ' || c == '\t'; }

  // The ')' that closes the '(' at `open`, quotes respected; npos when none.
  std::size_t matching_close(std::size_t open) const {
    int depth = 0;
    char quote = 0;
    for (std::size_t k = open; k < s_.size(); ++k) {
      const char c = s_[k];
      if (quote) {
        if (c == quote) {
          if (k + 1 < s_.size() && s_[k + 1] == quote) ++k;
          else quote = 0;
        }
      } else if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')') {
        if (--depth == 0) return k;
      }
    }
    return std::string_view::npos;
  }

  void fail() {
    p_.status = kBadFormat;
    p_.nodes.clear();
  }

  int peek() {
    while (i_ < end_ && is_blank(s_[i_])) ++i_;
    return i_ < end_ ? static_cast<unsigned char>(s_[i_]) : -1;
  }
  int upper_peek() {
    const int c = peek();
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
  }
  static bool digit(int c) { return c >= '0' && c <= '9'; }

  // An unsigned number; -1 when none follows.
  int number() {
    if (!digit(peek())) return -1;
    long long v = 0;
    while (digit(peek())) {
      v = v * 10 + (s_[i_++] - '0');
      if (v > kMaxNumber) return -2;
    }
    return static_cast<int>(v);
  }

  static long long sat_mul(long long a, long long b) {
    if (a > 0 && b > kMaxPassSteps * 10 / a) return kMaxPassSteps * 10;
    return std::min(a * b, kMaxPassSteps * 10);
  }

  // Items up to the ')' that ends this level (not consumed) or the end.
  bool list(int depth, long long& steps) {
    for (;;) {
      int c = peek();
      if (c == ',') {
        ++i_;
        continue;
      }
      if (c == -1) return depth == 0;
      if (c == ')') return depth > 0;
      if (!item(depth, steps)) return false;
      if (steps > kMaxPassSteps) return false;
    }
  }

  bool item(int depth, long long& steps) {
    bool neg = false, sign = false;
    int c = peek();
    if (c == '+' || c == '-') {
      sign = true;
      neg = c == '-';
      ++i_;
      if (!digit(peek())) return false;
    }
    const int n = number();
    if (n == -2) return false;
    c = upper_peek();
    if (c == -1) return false;
    if (sign && c != 'P') return false;
    Node node{OpLit};
    switch (c) {
      case '(': {
        if (n == 0) return false;
        ++i_;
        const int open = static_cast<int>(p_.nodes.size());
        Node g{OpOpen};
        g.r = n < 0 ? 1 : n;
        p_.nodes.push_back(g);
        long long inner = 0;
        if (!list(depth + 1, inner)) return false;
        if (peek() != ')') return false;
        ++i_;
        Node cl{OpClose};
        cl.link = open;
        p_.nodes.push_back(cl);
        p_.nodes[open].link = static_cast<int>(p_.nodes.size() - 1);
        steps += sat_mul(g.r, inner + 1);
        return true;
      }
      case 'P':
        if (n < 0) return false;
        ++i_;
        node.op = OpP;
        node.w = neg ? -n : n;
        break;
      case 'X':
        ++i_;
        node.op = OpX;
        node.w = n < 0 ? 1 : n;
        if (node.w == 0) return false;
        break;
      case '/':
        ++i_;
        if (n == 0) return false;
        node.op = OpSlash;
        node.r = n < 0 ? 1 : n;
        steps += node.r - 1;
        break;
      case ':':
      case '$':
        if (n >= 0) return false;
        ++i_;
        node.op = c == ':' ? OpColon : OpDollar;
        break;
      case '\'':
      case '"':
        if (n >= 0) return false;
        if (!literal(static_cast<char>(c), node)) return false;
        break;
      case 'T': {
        if (n >= 0) return false;
        ++i_;
        const int c2 = upper_peek();
        node.op = OpT;
        if (c2 == 'L' || c2 == 'R') {
          ++i_;
          node.op = c2 == 'L' ? OpTL : OpTR;
        }
        node.w = number();
        if (node.w < 1) return false;
        break;
      }
      case 'B': {
        if (n >= 0) return false;
        ++i_;
        const int c2 = upper_peek();
        if (c2 != 'N' && c2 != 'Z') return false;
        ++i_;
        node.op = c2 == 'N' ? OpBN : OpBZ;
        break;
      }
      case 'S': {
        if (n >= 0) return false;
        ++i_;
        const int c2 = upper_peek();
        node.op = OpS;
        if (c2 == 'P' || c2 == 'S') {
          ++i_;
          node.op = c2 == 'P' ? OpSP : OpSS;
        }
        break;
      }
      case 'I':
      case 'F':
      case 'E':
      case 'D':
      case 'G':
      case 'L':
      case 'A':
        if (n == 0) return false;
        node.r = n < 0 ? 1 : n;
        if (!data(c, node)) return false;
        steps += node.r - 1;
        break;
      default: return false;
    }
    p_.nodes.push_back(node);
    ++steps;
    return true;
  }

  bool literal(char q, Node& node) {
    ++i_;  // opening quote (blanks inside a literal are kept)
    node.op = OpLit;
    node.lit = static_cast<std::uint32_t>(p_.lits.size());
    for (;;) {
      if (i_ >= end_) return false;
      const char ch = s_[i_++];
      if (ch == q) {
        if (i_ < end_ && s_[i_] == q) {
          p_.lits.push_back(q);
          ++i_;
          continue;
        }
        break;
      }
      p_.lits.push_back(ch);
    }
    node.litlen = static_cast<std::uint32_t>(p_.lits.size() - node.lit);
    return true;
  }

  // Width, decimals and exponent digits of a data descriptor.
  bool data(int c, Node& node) {
    ++i_;
    switch (c) {
      case 'I':
        node.op = OpI;
        node.w = number();
        if (node.w < 0) return false;
        if (peek() == '.') {
          ++i_;
          node.d = number();  // m
          if (node.d < 0) return false;
          if (node.w > 0 && node.d > node.w) return false;
        }
        return true;
      case 'F': node.op = OpF; return wd(node, true) && (node.d >= 0);
      case 'E': {
        node.op = OpE;
        const int c2 = upper_peek();
        if (c2 == 'S' || c2 == 'N') {
          ++i_;
          node.op = c2 == 'S' ? OpES : OpEN;
        }
        return wd(node, false) && node.d >= 0 && exp_digits(node);
      }
      case 'D': node.op = OpD; return wd(node, false) && node.d >= 0;
      case 'G':
        node.op = OpG;
        node.w = number();
        if (node.w < 1) return false;
        if (peek() == '.') {
          ++i_;
          node.d = number();
          if (node.d < 0) return false;
          return exp_digits(node);
        }
        return true;
      case 'L':
        node.op = OpL;
        node.w = number();
        return node.w >= 1;
      case 'A':
        node.op = OpA;
        node.w = number();
        if (node.w == -2 || node.w == 0) return false;
        return true;
    }
    return false;
  }

  bool wd(Node& node, bool zero_width_ok) {
    node.w = number();
    if (node.w < 0 || (node.w == 0 && !zero_width_ok)) return false;
    if (peek() != '.') return false;
    ++i_;
    node.d = number();
    return node.d >= 0;
  }

  bool exp_digits(Node& node) {
    if (upper_peek() != 'E') return true;
    // "E" followed by digits is the exponent width; anything else is an error.
    ++i_;
    node.e = number();
    return node.e >= 1;
  }

  std::string_view s_;
  Parsed& p_;
  std::size_t i_ = 0, end_ = 0;
};

struct Hash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

std::shared_ptr<const Parsed> parse(std::string_view fmt) {
  thread_local std::unordered_map<std::string, std::shared_ptr<const Parsed>, Hash, std::equal_to<>> cache;
  auto it = cache.find(fmt);
  if (it != cache.end()) return it->second;
  auto p = std::make_shared<Parsed>();
  Parser(fmt, *p).run();
  if (cache.size() >= 512) cache.clear();
  cache.emplace(std::string(fmt), p);
  return p;
}

// ------------------------------------------------------- format control

// Walks the parsed format. Derived classes move along a record and do the
// data transfers; positions are 0-based offsets from the left tab limit.
class Control {
 public:
  explicit Control(const Parsed& f) : f_(f) {}
  virtual ~Control() = default;

  int status = 0;

 protected:
  // The next data descriptor for an item (have_item), or nullptr when the
  // statement ends here. Control descriptors met on the way are carried out.
  const Node* next(bool have_item) {
    for (;;) {
      if (status) return nullptr;
      const Node& n = f_.nodes[pc_];
      if (is_data(n.op)) {
        if (!have_item) return nullptr;
        if (rep_ == 0) rep_ = n.r;
        if (--rep_ == 0) ++pc_;
        return &n;
      }
      switch (n.op) {
        case OpOpen:
          stack_.push_back({pc_, n.r});
          ++pc_;
          break;
        case OpClose: {
          auto& top = stack_.back();
          if (--top.left > 0) {
            pc_ = top.open + 1;
          } else {
            stack_.pop_back();
            ++pc_;
          }
          break;
        }
        case OpEnd:
          if (!have_item) return nullptr;
          if (!f_.has_data) {
            status = kBadFormat;
            return nullptr;
          }
          stack_.clear();
          stack_.push_back({0, 1});
          if (!new_record()) return nullptr;
          pc_ = f_.revert;
          break;
        case OpColon:
          if (!have_item) return nullptr;
          ++pc_;
          break;
        case OpSlash:
          for (int k = 0; k < n.r; ++k)
            if (!new_record()) return nullptr;
          ++pc_;
          break;
        case OpX:
        case OpTR:
          move_to(pos_ + static_cast<std::size_t>(n.w), true);
          ++pc_;
          break;
        case OpTL:
          move_to(pos_ > static_cast<std::size_t>(n.w) ? pos_ - n.w : 0, false);
          ++pc_;
          break;
        case OpT:
          move_to(static_cast<std::size_t>(n.w - 1), false);
          ++pc_;
          break;
        case OpP:
          scale_ = n.w;
          ++pc_;
          break;
        case OpBN:
          blank_zero_ = false;
          ++pc_;
          break;
        case OpBZ:
          blank_zero_ = true;
          ++pc_;
          break;
        case OpS:
        case OpSS:
          plus_ = false;
          ++pc_;
          break;
        case OpSP:
          plus_ = true;
          ++pc_;
          break;
        case OpDollar:
          no_advance_ = true;
          ++pc_;
          break;
        case OpLit:
          literal(std::string_view(f_.lits).substr(n.lit, n.litlen));
          ++pc_;
          break;
        default: status = kBadFormat; return nullptr;
      }
    }
  }

  void move_to(std::size_t p, bool by_x) {
    if (p > kMaxRecord) {
      status = kBadFormat;
      return;
    }
    pos_ = p;
    if (by_x) moved_ = true;
  }

  virtual bool new_record() = 0;  // false on error (status set)
  virtual void literal(std::string_view) = 0;

  const Parsed& f_;
  std::size_t pc_ = 0;
  int rep_ = 0;
  struct Level {
    std::size_t open;
    int left;
  };
  // Open groups: held inline for the usual shallow formats, so that a call
  // with a cached format allocates nothing here.
  class LevelStack {
   public:
    void push_back(Level l) {
      if (n_ < kInline) small_[n_] = l;
      else big_.push_back(l);
      ++n_;
    }
    Level& back() { return n_ <= kInline ? small_[n_ - 1] : big_.back(); }
    void pop_back() {
      if (n_ > kInline) big_.pop_back();
      --n_;
    }
    void clear() {
      n_ = 0;
      big_.clear();
    }

   private:
    static constexpr std::size_t kInline = 16;
    Level small_[kInline]{};
    std::vector<Level> big_;
    std::size_t n_ = 0;
  };
  LevelStack stack_;
  std::size_t pos_ = 0;
  bool moved_ = false;
  int scale_ = 0;
  bool blank_zero_ = false, plus_ = false, no_advance_ = false;
};

// Reads an element of an output item.
struct OutCursor {
  const OutItem* items;
  std::size_t n, k = 0, e = 0;

  bool more() {
    while (k < n && e >= items[k].n) ++k, e = 0;
    return k < n;
  }
  const OutItem& cur() const { return items[k]; }
  long long ival() const {
    const OutItem& it = items[k];
    if (it.by_value) return it.iv;
    if (it.elem == Elem::I32) return static_cast<const std::int32_t*>(it.p)[e];
    return static_cast<const std::int64_t*>(it.p)[e];
  }
  double dval() const {
    const OutItem& it = items[k];
    if (it.by_value) return it.dv;
    if (it.elem == Elem::F32) return static_cast<const float*>(it.p)[e];
    return static_cast<const double*>(it.p)[e];
  }
  bool bval() const {
    const OutItem& it = items[k];
    if (it.by_value) return it.iv != 0;
    return static_cast<const bool*>(it.p)[e];
  }
  std::string_view sval() const {
    const OutItem& it = items[k];
    return {static_cast<const char*>(it.p) + e * it.len, it.len};
  }
};

enum class Cat { Int, Real, Logical, Chars };
Cat category(Elem e) {
  switch (e) {
    case Elem::I32:
    case Elem::I64: return Cat::Int;
    case Elem::F32:
    case Elem::F64: return Cat::Real;
    case Elem::Bool: return Cat::Logical;
    default: return Cat::Chars;
  }
}

// ------------------------------------------------------ numeric output

void stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

void put_int(std::string& out, long long v, int w, int m, bool plus) {
  char buf[32];
  const bool neg = v < 0;
  const unsigned long long u = neg ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  if (u == 0 && m == 0) {
    // Zero with no minimum digits: a blank field, without a sign even under SP.
    out.append(static_cast<std::size_t>(std::max(w, 1)), ' ');
    return;
  }
  const int len = std::snprintf(buf, sizeof buf, "%llu", u);
  const int mm = std::max(m, 0);
  const int digits = std::max(len, mm);
  const bool sign = neg || plus;
  const int need = digits + (sign ? 1 : 0);
  if (w == 0) w = std::max(need, 1);
  if (need > w) return stars(out, w);
  out.append(static_cast<std::size_t>(w - need), ' ');
  if (sign && need > 0) out.push_back(neg ? '-' : '+');
  out.append(static_cast<std::size_t>(digits - len), '0');
  out.append(buf, static_cast<std::size_t>(len));
}

// Infinity and NaN as gfortran writes them in a field of w characters.
void put_infnan(std::string& out, double x, int w, bool plus) {
  if (std::isnan(x)) {
    if (w == 0) w = 3;
    if (w < 3) return stars(out, w);
    out.append(static_cast<std::size_t>(w - 3), ' ');
    out.append("NaN");
    return;
  }
  const bool neg = std::signbit(x);
  const bool sign = neg || plus;
  if (w == 0) w = sign ? 4 : 3;
  if (w < 3 || (w == 3 && neg)) return stars(out, w);
  const int mark = sign ? 8 : 7;
  std::string f(static_cast<std::size_t>(w), ' ');
  if (w > mark) {
    f.replace(static_cast<std::size_t>(w - 8), 8, "Infinity");
    if (sign) f[static_cast<std::size_t>(w - 9)] = neg ? '-' : '+';
  } else {
    f.replace(static_cast<std::size_t>(w - 3), 3, "Inf");
    if (sign && w > 3) f[static_cast<std::size_t>(w - 4)] = neg ? '-' : '+';
  }
  out += f;
}

// Decimal digits of |x| rounded (to nearest, ties to even on the exact binary
// value, as the C library does) to `sig` significant digits: x ~ 0.D * 10^pos.
// sig >= 1. Zero gives digits "000.." and pos 0.
struct Digits {
  char d[800];
  int n = 0;
  int pos = 0;
};

void sig_digits(double ax, int sig, Digits& out) {
  out.n = 0;
  out.pos = 0;
  if (sig > 780) sig = 780;
  if (ax == 0.0) {
    std::memset(out.d, '0', static_cast<std::size_t>(sig));
    out.n = sig;
    return;
  }
  char buf[820];
  std::snprintf(buf, sizeof buf, "%.*e", sig - 1, ax);
  int k = 0;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') out.d[k++] = *p;
  out.n = k;
  const char* e = std::strchr(buf, 'e');
  out.pos = std::atoi(e + 1) + 1;
}

// Decimal exponent of |x| (x = m * 10^e with 1 <= m < 10), x != 0, finite.
int exponent10(double ax) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17e", ax);
  return std::atoi(std::strchr(buf, 'e') + 1);
}

// |x| rounded to q decimals (q may be negative: rounding left of the point),
// as the digits of the integer part (without leading zeros) and exactly
// `nfrac` = q digits after the point (q >= 0).
void fixed_digits(double ax, int q, std::string& ip, std::string& fp) {
  ip.clear();
  fp.clear();
  if (q >= 0) {
    thread_local std::vector<char> buf;
    const std::size_t need = static_cast<std::size_t>(q) + 360;
    if (buf.size() < need) buf.resize(need);
    std::snprintf(buf.data(), buf.size(), "%.*f", q, ax);
    const char* s = buf.data();
    const char* dot = std::strchr(s, '.');
    const char* ie = dot ? dot : s + std::strlen(s);
    const char* p = s;
    while (p < ie && *p == '0') ++p;
    ip.assign(p, ie);
    if (dot) fp.assign(dot + 1);
    return;
  }
  // Rounding to a multiple of 10^-q (q < 0).
  if (ax == 0.0) return;
  const int e10 = exponent10(ax);
  const int sig = e10 + 1 + q;
  if (sig >= 1) {
    Digits dg;
    sig_digits(ax, sig, dg);
    ip.assign(dg.d, static_cast<std::size_t>(dg.n));
    // value = 0.D * 10^pos; integer digits = pos, trailing zeros added.
    if (dg.pos > dg.n) ip.append(static_cast<std::size_t>(dg.pos - dg.n), '0');
    return;
  }
  if (sig == 0) {
    // Rounds to 0 or to 10^(e10+1): compare with 5 * 10^e10 exactly.
    thread_local std::vector<char> buf(900);
    std::snprintf(buf.data(), buf.size(), "%.780e", ax);
    bool up = buf[0] > '5';
    if (buf[0] == '5') {
      for (const char* p = buf.data() + 2; *p && *p != 'e'; ++p)
        if (*p != '0') {
          up = true;
          break;
        }
    }
    if (up) {
      ip = "1";
      ip.append(static_cast<std::size_t>(-q), '0');
    }
  }
}

// Lays out a real field as gfortran does: blanks, sign, optional leading
// zero, digits before the point, the point, digits after, exponent text.
void put_real(std::string& out, int w, bool neg, bool plus, std::string_view before, std::string_view after,
              std::string_view expo, bool expo_bad, bool zero) {
  const bool sign = neg || plus;
  const int nbefore = static_cast<int>(before.size());
  const int nafter = static_cast<int>(after.size());
  const int edig = static_cast<int>(expo.size());
  if (w <= 0) {
    if (zero) {
      w = nafter + (sign ? 2 : 1) + (nafter == 0 ? 1 : 0);
    } else {
      w = nbefore + nafter + (sign ? 2 : 1);
      if (w == 1) w = 2;
    }
  }
  int nblanks = w - (nbefore + nafter + edig + 1) - (sign ? 1 : 0);
  bool lead = false;
  if (nbefore == 0 && nblanks > 0) {
    lead = true;
    --nblanks;
  }
  if (nblanks < 0 || expo_bad || w == 1 || (w == 2 && sign)) return stars(out, w);
  out.append(static_cast<std::size_t>(nblanks), ' ');
  if (sign) out.push_back(neg ? '-' : '+');
  if (lead) out.push_back('0');
  out.append(before);
  out.push_back('.');
  out.append(after);
  out.append(expo);
}

bool all_zero(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == '0'; });
}

void put_f(std::string& out, double x, int w, int d, int k, bool plus) {
  if (!std::isfinite(x)) return put_infnan(out, x, w, plus);
  const double ax = std::fabs(x);
  std::string ip, fp;
  fixed_digits(ax, d + k, ip, fp);
  // Scale by 10^k: move the point k places to the right.
  std::string all = ip + fp;
  const int p = static_cast<int>(ip.size()) + k;  // digits before the point after scaling
  std::string before, after;
  if (d + k >= 0) {
    if (p >= 0) {
      before = all.substr(0, static_cast<std::size_t>(p));
      after = all.substr(static_cast<std::size_t>(p));
    } else {
      after = std::string(static_cast<std::size_t>(-p), '0') + all;
    }
  } else {
    // ip holds the integer value rounded left of the point; scaling by 10^k
    // (k < -d <= 0) moves the point left by -k places, leaving d decimals.
    const int np = static_cast<int>(ip.size()) + k;
    if (np >= 0) {
      before = ip.substr(0, static_cast<std::size_t>(np));
      after = ip.substr(static_cast<std::size_t>(np));
    } else {
      after = std::string(static_cast<std::size_t>(-np), '0') + ip;
    }
  }
  after.resize(static_cast<std::size_t>(d), '0');
  std::size_t z = 0;
  while (z < before.size() && before[z] == '0') ++z;
  before.erase(0, z);
  const bool zero = before.empty() && all_zero(after);
  put_real(out, w, std::signbit(x), plus, before, after, "", false, zero);
}

// Exponent text: Ee given: letter, sign, e digits; otherwise E+dd, or +ddd
// without the letter when the exponent needs three digits.
bool exponent_text(int ex, int e, char letter, std::string& out) {
  const int a = ex < 0 ? -ex : ex;
  const char sg = ex < 0 ? '-' : '+';
  const std::string digits = std::to_string(a);
  out.clear();
  if (e > 0) {
    if (static_cast<int>(digits.size()) > e) return false;
    out.push_back(letter);
    out.push_back(sg);
    out.append(static_cast<std::size_t>(e) - digits.size(), '0');
  } else if (a <= 99) {
    out.push_back(letter);
    out.push_back(sg);
    if (a < 10) out.push_back('0');
  } else if (a <= 999) {
    out.push_back(sg);
  } else {
    return false;
  }
  out += digits;
  return true;
}

// 10^d as gfortran computes it: a product of tens (and its inverse).
double pow10_loop(int d) {
  double r = 1.0;
  for (int i = 0; i < (d >= 0 ? d : -d); ++i) r *= 10;
  return d >= 0 ? r : 1.0 / r;
}

// E, D (style 0), ES (1), EN (2).
void put_e(std::string& out, double x, int w, int d, int e, int k, char letter, int style, bool plus, int& status) {
  if (!std::isfinite(x)) return put_infnan(out, x, w, plus);
  if (style == 0 && (k <= -d || k > d + 1)) {
    status = kBadFormat;
    return;
  }
  const double ax = std::fabs(x);
  const bool zero = ax == 0.0;
  Digits dg;
  std::string before, after;
  int ex = 0;
  if (style == 0) {
    const int sig = k <= 0 ? d + k : d + 1;
    sig_digits(ax, sig, dg);
    const std::string_view D(dg.d, static_cast<std::size_t>(dg.n));
    if (k <= 0) {
      after.assign(static_cast<std::size_t>(-k), '0');
      after.append(D);
    } else {
      before.assign(D.substr(0, static_cast<std::size_t>(k)));
      after.assign(D.substr(static_cast<std::size_t>(k)));
    }
    // Digits past the 780 that sig_digits gives are zeros (a double has fewer).
    after.resize(static_cast<std::size_t>(k <= 0 ? d : d + 1 - k), '0');
    ex = zero ? 0 : dg.pos - k;
  } else if (style == 1) {
    sig_digits(ax, d + 1, dg);
    before.assign(dg.d, 1);
    after.assign(dg.d + 1, static_cast<std::size_t>(dg.n - 1));
    after.resize(static_cast<std::size_t>(d), '0');
    ex = zero ? 0 : dg.pos - 1;
  } else if (zero) {
    before = "0";
    after.assign(static_cast<std::size_t>(d), '0');
  } else {
    // EN, as gfortran prints it: the digits are printed for the number of
    // digits before the point that a first guess of the exponent gives (the
    // value rounded to one digit, lowered by one when the value times 10^-e
    // computed in doubles is below 1), then cut or padded with zeros to the
    // digits the printed exponent needs. Where the guess is one too high
    // (values within rounding of a power of ten) the last digit is truncated.
    sig_digits(ax, 1, dg);
    int e1 = dg.pos - 1;
    if (dg.d[0] == '1') {
      volatile double t = ax * pow10_loop(-e1);
      if (t < 1.0) --e1;
    }
    const int guess = ((e1 % 3) + 3) % 3;
    sig_digits(ax, d + guess + 1, dg);
    const int e2 = dg.pos - 1;
    const int nb = ((e2 % 3) + 3) % 3 + 1;
    const std::string_view D(dg.d, static_cast<std::size_t>(dg.n));
    before.assign(D.substr(0, static_cast<std::size_t>(nb)));
    before.resize(static_cast<std::size_t>(nb), '0');
    if (D.size() > static_cast<std::size_t>(nb)) after.assign(D.substr(static_cast<std::size_t>(nb)));
    after.resize(static_cast<std::size_t>(d), '0');
    ex = e2 - (nb - 1);
  }
  std::string eb;
  const bool ok = exponent_text(ex, e, letter, eb);
  put_real(out, w, std::signbit(x), plus, before, after, eb, !ok, zero);
}

// G editing of a real: F editing for magnitudes 0.1 .. 10^d (rounded), then
// n blanks; E editing otherwise. The switch points are computed in double
// arithmetic the way gfortran computes them, so the boundaries match.
void put_g(std::string& out, double x, int w, int d, int e, int k, bool plus, int& status) {
  if (!std::isfinite(x)) return put_infnan(out, x, w, plus);
  if (d < 0) {
    status = kBadFormat;
    return;
  }
  const double m = std::fabs(x);
  const double r = 0.5;
  const double exp_d = pow10_loop(d);
  const double r_sc = 1 - r / exp_d;
  volatile double temp = 0.1 * r_sc;
  if ((m > 0.0 && ((m < temp) || (r >= (exp_d - m)))) || d == 0) {
    return put_e(out, x, w, d, e, k, 'E', 0, plus, status);
  }
  int mid = 0, low = 0, high = d + 1, lbound = 0, ubound = d + 1;
  while (low <= high) {
    mid = (low + high) / 2;
    temp = pow10_loop(mid - 1) * r_sc;
    if (m < temp) {
      ubound = mid;
      if (ubound == lbound + 1) break;
      high = mid - 1;
    } else if (m > temp) {
      lbound = mid;
      if (ubound == lbound + 1) {
        ++mid;
        break;
      }
      low = mid + 1;
    } else {
      ++mid;
      break;
    }
  }
  int npad = e <= 0 ? 4 : e + 2;
  if (npad >= w) npad = w - 1;
  const int fd = m == 0.0 ? d - 1 : -(mid - d - 1);
  const std::size_t at = out.size();
  put_f(out, x, w - npad, fd, 0, plus);
  if (out.size() > at && out[at] == '*') {
    out.resize(at);
    return stars(out, w);  // the whole field, as gfortran does
  }
  out.append(static_cast<std::size_t>(npad), ' ');
}

// ----------------------------------------------------------------- output

class Writer : public Control {
 public:
  Writer(const Parsed& f, const OutItem* items, std::size_t n, bool continued)
      : Control(f), cur_{items, n}, continued_(continued) {}

  std::vector<std::string>* sink = nullptr;  // completed records
  // The record being built, in a per-thread buffer that keeps its capacity:
  // a completed record is copied out at its final length.
  std::string& rec = scratch();

  void run() {
    rec.clear();
    stack_.push_back({0, 1});
    pc_ = 1;
    for (;;) {
      const bool have = cur_.more();
      const Node* n = next(have);
      if (!n) break;
      item(*n);
      ++cur_.e;
      if (status) break;
    }
    finish_record();
  }
  bool no_advance() const { return no_advance_; }

 private:
  bool new_record() override {
    if (++total_ > kMaxOutput) {
      status = kBadFormat;
      return false;
    }
    finish_record();
    sink->emplace_back(rec);
    rec.clear();
    pos_ = 0;
    moved_ = false;
    continued_ = false;
    return true;
  }

  // A record in which nothing was written but positioning happened holds
  // blanks up to the position reached (gfortran would leave it empty): the
  // system relies on "(1X)" printing a line holding one blank. Not for a
  // record that continues one left open by a non-advancing write.
  void finish_record() {
    if (rec.empty() && moved_ && !continued_) rec.assign(pos_, ' ');
  }

  void literal(std::string_view s) override { put(s); }

  void put(std::string_view s) {
    total_ += s.size();
    if (pos_ + s.size() > kMaxRecord || total_ > kMaxOutput) {
      status = kBadFormat;
      return;
    }
    if (rec.size() < pos_) rec.resize(pos_, ' ');
    if (rec.size() < pos_ + s.size()) rec.resize(pos_ + s.size(), ' ');
    if (!s.empty()) std::memcpy(rec.data() + pos_, s.data(), s.size());
    pos_ += s.size();
  }

  void item(const Node& n) {
    field_.clear();
    const Cat c = category(cur_.cur().elem);
    switch (n.op) {
      case OpI:
        if (c != Cat::Int) break;
        put_int(field_, cur_.ival(), n.w, n.d, plus_);
        return put(field_);
      case OpF:
        if (c != Cat::Real) break;
        if (n.w == 0 && !std::isfinite(cur_.dval())) put_infnan(field_, cur_.dval(), 0, plus_);
        else put_f(field_, cur_.dval(), n.w, n.d, scale_, plus_);
        return put(field_);
      case OpE:
      case OpD:
      case OpES:
      case OpEN:
        if (c != Cat::Real) break;
        put_e(field_, cur_.dval(), n.w, n.d, n.e, scale_, n.op == OpD ? 'D' : 'E',
              n.op == OpES   ? 1
              : n.op == OpEN ? 2
                             : 0,
              plus_, status);
        return put(field_);
      case OpG:
        switch (c) {
          case Cat::Int: put_int(field_, cur_.ival(), n.w, -1, plus_); break;
          case Cat::Logical: logical(n.w); break;
          case Cat::Chars: chars(n.w); break;
          case Cat::Real: put_g(field_, cur_.dval(), n.w, n.d, n.e, scale_, plus_, status); break;
        }
        return put(field_);
      case OpL:
        if (c != Cat::Logical) break;
        logical(n.w);
        return put(field_);
      case OpA:
        if (c != Cat::Chars) break;
        chars(n.w);
        return put(field_);
      default: break;
    }
    status = kItemMismatch;
  }

  void logical(int w) {
    field_.append(static_cast<std::size_t>(w - 1), ' ');
    field_.push_back(cur_.bval() ? 'T' : 'F');
  }
  void chars(int w) {
    const std::string_view s = cur_.sval();
    if (w < 0) {
      field_.append(s);
    } else if (static_cast<std::size_t>(w) <= s.size()) {
      field_.append(s.substr(0, static_cast<std::size_t>(w)));
    } else {
      field_.append(static_cast<std::size_t>(w) - s.size(), ' ');
      field_.append(s);
    }
  }

  static std::string& scratch() {
    thread_local std::string buf;
    return buf;
  }

  OutCursor cur_;
  bool continued_;
  std::size_t total_ = 0;
  std::string field_;
};

int run_writer(std::string_view fmt, const OutItem* items, std::size_t n, bool continued,
               std::vector<std::string>& recs, bool& no_advance) {
  const auto f = parse(fmt);
  if (f->status) return f->status;
  Writer wr(*f, items, n, continued);
  wr.sink = &recs;
  wr.run();
  recs.emplace_back(wr.rec);
  no_advance = wr.no_advance();
  return wr.status;
}

// ------------------------------------------------------------------ input

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual int next(std::string& rec) = 0;  // 0, kEnd or an error
};

class Reader : public Control {
 public:
  Reader(const Parsed& f, const InItem* items, std::size_t n, bool blank_zero, RecordSource& src)
      : Control(f), items_(items), n_(n), src_(src) {
    blank_zero_ = blank_zero;
  }

  void run() {
    stack_.push_back({0, 1});
    pc_ = 1;
    if (int st = src_.next(rec_)) {
      status = st;
      return;
    }
    std::size_t k = 0, e = 0;
    for (;;) {
      while (k < n_ && e >= items_[k].n) ++k, e = 0;
      const bool have = k < n_;
      const Node* n = next(have);
      if (!n) break;
      item(*n, items_[k], e);
      ++e;
      if (status) break;
    }
  }

 private:
  bool new_record() override {
    pos_ = 0;
    if (int st = src_.next(rec_)) {
      status = st;
      return false;
    }
    return true;
  }
  void literal(std::string_view) override { status = kBadFormat; }

  // The next w characters of the record. A record that ends inside the field
  // gives a shorter field: the blanks that pad it are not part of the field
  // (they do not read as zeros, and A takes only the characters there), as
  // gfortran reads.
  std::string_view field(std::size_t w) {
    std::string_view f;
    if (pos_ < rec_.size()) f = std::string_view(rec_).substr(pos_, w);
    pos_ += w;
    return f;
  }

  void item(const Node& n, const InItem& it, std::size_t e) {
    const Cat c = category(it.elem);
    Op op = n.op;
    if (op == OpG) op = c == Cat::Int ? OpI : c == Cat::Real ? OpF : c == Cat::Logical ? OpL : OpA;
    switch (op) {
      case OpI:
        if (c != Cat::Int || n.w == 0) break;
        return read_int(field(static_cast<std::size_t>(n.w)), it, e);
      case OpF:
      case OpE:
      case OpD:
      case OpES:
      case OpEN:
        if (c != Cat::Real || n.w == 0) break;
        return read_real(field(static_cast<std::size_t>(n.w)), std::max(n.d, 0), it, e);
      case OpL:
        if (c != Cat::Logical) break;
        return read_logical(field(static_cast<std::size_t>(n.w)), it, e);
      case OpA: {
        if (c != Cat::Chars) break;
        const std::size_t len = it.len;
        const std::string_view f = field(n.w < 0 ? len : static_cast<std::size_t>(n.w));
        char* dst = static_cast<char*>(it.p) + e * len;
        if (f.size() >= len) std::memcpy(dst, f.data() + (f.size() - len), len);
        else assign_text(dst, len, f);
        return;
      }
      default: break;
    }
    status = kItemMismatch;
  }

  // Field text with leading blanks dropped, the blanks that follow a leading
  // sign dropped too, and the other blanks removed (BN) or made zeros (BZ).
  std::string_view clean(std::string_view f) {
    clean_.clear();
    std::size_t i = 0;
    while (i < f.size() && (f[i] == ' ' || f[i] == '\t')) ++i;
    if (i < f.size() && (f[i] == '+' || f[i] == '-')) {
      clean_.push_back(f[i++]);
      while (i < f.size() && (f[i] == ' ' || f[i] == '\t')) ++i;
    }
    for (; i < f.size(); ++i) {
      const char ch = f[i];
      if (ch == ' ' || ch == '\t') {
        if (blank_zero_) clean_.push_back('0');
      } else {
        clean_.push_back(ch);
      }
    }
    return clean_;
  }

  // An integer field. A sign must be followed by something in the field:
  // "-" alone is an error, "- " (blanks after the sign) reads as zero.
  void read_int(std::string_view f, const InItem& it, std::size_t e) {
    std::size_t i = 0;
    while (i < f.size() && (f[i] == ' ' || f[i] == '\t')) ++i;
    bool neg = false;
    if (i < f.size() && (f[i] == '+' || f[i] == '-')) {
      neg = f[i++] == '-';
      if (i == f.size()) return bad();
    }
    unsigned long long v = 0;
    for (; i < f.size(); ++i) {
      char ch = f[i];
      if (ch == ' ' || ch == '\t') {
        if (!blank_zero_) continue;
        ch = '0';
      }
      if (ch < '0' || ch > '9') return bad();
      v = v * 10 + static_cast<unsigned>(ch - '0');
      if (v > (1ull << 63)) return bad();
    }
    if (it.elem == Elem::I32) {
      if (v > (neg ? 2147483648ull : 2147483647ull)) return bad();
      static_cast<std::int32_t*>(it.p)[e] =
          static_cast<std::int32_t>(neg ? -static_cast<long long>(v) : static_cast<long long>(v));
    } else {
      if (!neg && v > 9223372036854775807ull) return bad();
      static_cast<std::int64_t*>(it.p)[e] = neg ? static_cast<std::int64_t>(0ull - v) : static_cast<std::int64_t>(v);
    }
  }

  static bool ieq(std::string_view a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
  }

  void read_real(std::string_view f, int d, const InItem& it, std::size_t e) {
    const std::string_view s = clean(f);
    double v = 0.0;
    if (!s.empty() && !parse_real(s, d, v)) return bad();
    if (it.elem == Elem::F32) static_cast<float*>(it.p)[e] = static_cast<float>(v);
    else static_cast<double*>(it.p)[e] = v;
  }

  bool parse_real(std::string_view s, int d, double& v) {
    std::size_t i = 0;
    bool neg = false;
    if (s[i] == '+' || s[i] == '-') neg = s[i++] == '-';
    const std::string_view rest = s.substr(i);
    if (ieq(rest, "INF") || ieq(rest, "INFINITY")) {
      v = neg ? -HUGE_VAL : HUGE_VAL;
      return true;
    }
    if (ieq(rest, "NAN")) {
      v = std::numeric_limits<double>::quiet_NaN();
      return true;
    }
    num_.clear();
    if (neg) num_.push_back('-');
    int ndig = 0, frac = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
      const char ch = s[i];
      if (ch >= '0' && ch <= '9') {
        num_.push_back(ch);
        ++ndig;
        if (point) ++frac;
      } else if (ch == '.' && !point) {
        point = true;
      } else {
        break;
      }
    }
    long long ex = 0;
    bool has_exp = false;
    if (i < s.size()) {
      char ch = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
      if (ch == 'E' || ch == 'D' || ch == 'Q') {
        ++i;
        has_exp = true;
      } else if (ch != '+' && ch != '-') {
        return false;
      }
      bool eneg = false;
      if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        eneg = s[i++] == '-';
        has_exp = true;
      }
      if (i == s.size()) return false;
      for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        if (ex <= 9999) ex = ex * 10 + (s[i] - '0');
      }
      if (ex > 9999) return false;  // gfortran's limit on a written exponent
      if (eneg) ex = -ex;
    }
    if (ndig == 0) {
      // No mantissa digit: zero, as gfortran reads it; signed when something
      // follows the sign ("-." and "-E5" give -0, "-" alone gives +0).
      v = neg && rest.size() > 0 ? -0.0 : 0.0;
      return true;
    }
    long long ex10 = ex - frac;
    if (!point) ex10 -= d;
    if (!has_exp) ex10 -= scale_;
    num_.push_back('e');
    num_ += std::to_string(ex10);
    v = std::strtod(num_.c_str(), nullptr);  // correctly rounded; overflow gives Infinity
    return true;
  }

  void read_logical(std::string_view f, const InItem& it, std::size_t e) {
    std::size_t i = 0;
    while (i < f.size() && (f[i] == ' ' || f[i] == '\t')) ++i;
    if (i < f.size() && f[i] == '.') ++i;
    if (i >= f.size()) return bad();
    const char ch = static_cast<char>(std::toupper(static_cast<unsigned char>(f[i])));
    if (ch != 'T' && ch != 'F') return bad();
    static_cast<bool*>(it.p)[e] = ch == 'T';
  }

  void bad() { status = kBadInput; }

  const InItem* items_;
  std::size_t n_;
  RecordSource& src_;
  std::string rec_, buf_, clean_, num_;
};

class UnitSource : public RecordSource {
 public:
  explicit UnitSource(int unit) : unit_(unit) {}
  int next(std::string& rec) override { return io::read_line(unit_, rec); }

 private:
  int unit_;
};

class TextSource : public RecordSource {
 public:
  explicit TextSource(std::string_view s) : s_(s) {}
  int next(std::string& rec) override {
    if (used_) return io::kEnd;
    used_ = true;
    rec.assign(s_);
    return 0;
  }

 private:
  std::string_view s_;
  bool used_ = false;
};

int run_reader(std::string_view fmt, const InItem* items, std::size_t n, bool blank_zero, RecordSource& src) {
  const auto f = parse(fmt);
  if (f->status) return f->status;
  Reader rd(*f, items, n, blank_zero, src);
  rd.run();
  return rd.status;
}

}  // namespace

int format_records_impl(std::vector<std::string>& out, std::string_view fmt, const OutItem* items, std::size_t n) {
  bool no_adv = false;
  return run_writer(fmt, items, n, false, out, no_adv);
}

int write_unit_impl(int unit, bool partial, std::string_view fmt, const OutItem* items, std::size_t n) {
  thread_local std::vector<std::string> recs;
  recs.clear();
  const bool continued = io::has_partial(unit);
  bool no_adv = false;
  const int st = run_writer(fmt, items, n, continued, recs, no_adv);
  if (recs.empty()) return st;  // the format text is bad: nothing written
  if (st != 0) {
    // A failed item: the records completed before it are written, the
    // unfinished one is dropped.
    recs.pop_back();
    for (const std::string& r : recs) {
      if (int ws = io::write_line(unit, r)) return ws;
    }
    return st;
  }
  for (std::size_t k = 0; k + 1 < recs.size(); ++k) {
    if (int ws = io::write_line(unit, recs[k])) return ws;
  }
  if (partial || no_adv) {
    if (int ws = io::write_partial(unit, recs.back())) return ws;
  } else {
    if (int ws = io::write_line(unit, recs.back())) return ws;
  }
  return st;
}

int write_internal_impl(TextRef dest, std::string_view fmt, const OutItem* items, std::size_t n) {
  std::vector<std::string> recs;
  bool no_adv = false;
  int st = run_writer(fmt, items, n, false, recs, no_adv);
  if (recs.empty()) return st;
  const std::string& r = recs.front();
  dest = r;
  if (st == 0 && (recs.size() > 1 || r.size() > dest.size())) st = io::kInternalOverflow;
  return st;
}

int read_unit_impl(int unit, std::string_view fmt, const InItem* items, std::size_t n) {
  UnitSource src(unit);
  return run_reader(fmt, items, n, io::blank_zero(unit), src);
}

int read_internal_impl(std::string_view src, std::string_view fmt, bool blank_zero, const InItem* items,
                       std::size_t n) {
  // gfortran drops the trailing blanks of an internal record before reading
  // unless blanks may count as zeros (BZ in the format, or blank_zero) or the
  // format has a slash; the fields read the same but for a field that runs
  // into those blanks ("-" at the end of the record is a lone sign, an A
  // field wider than its text takes the characters before the blanks).
  bool trim = !blank_zero && fmt.find('/') == std::string_view::npos;
  for (std::size_t k = 0; trim && k + 1 < fmt.size(); ++k)
    if ((fmt[k] == 'B' || fmt[k] == 'b') && (fmt[k + 1] == 'Z' || fmt[k + 1] == 'z')) trim = false;
  if (trim) {
    std::size_t len = src.size();
    while (len > 0 && src[len - 1] == ' ') --len;
    src = src.substr(0, len);
  }
  TextSource s(src);
  return run_reader(fmt, items, n, blank_zero, s);
}

}  // namespace plat::fmt_detail

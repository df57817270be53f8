// Values of parameter-case statements: numbers, expressions, and the list
// appliers of conductor and link values.
#include "parameters/case_values.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "core/char_pool.h"
#include "core/diagnostics.h"
#include "core/text_utils.h"
#include "platform/format.h"

namespace {

constexpr std::string_view kOperators = "+-)*/(";

// Operator code of a character (1..6), 0 for an operand character.
int operator_code(char c) {
  const std::size_t p = kOperators.find(c);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

// A message cut or blank-padded to its field.
std::string field(std::string message, std::size_t length) {
  message.resize(length, ' ');
  return message;
}

bool is_exponent_letter(char c) { return c == 'D' || c == 'E' || c == 'd' || c == 'e'; }

// Integer arithmetic of the evaluator: 64-bit operands; an operation whose
// result does not fit is refused, never wrapped.
//
// x ** n: x multiplied n times for n >= 0; for n < 0: 1 for x = 1, +-1 by
// parity for x = -1, else 0. false for 0 to a negative power, which has no
// value, and for a result beyond 64 bits.
bool int_power(std::int64_t x, std::int64_t n, std::int64_t& result) {
  if (n < 0) {
    if (x == 0) return false;
    if (x == 1) result = 1;
    else if (x == -1) result = (n % 2 == 0) ? 1 : -1;
    else result = 0;
    return true;
  }
  // By squaring: a square that overflows while bits of n remain means the
  // result overflows as well (|x| >= 2 there).
  std::int64_t base = x, acc = 1;
  std::int64_t e = n;
  for (;;) {
    if ((e & 1) != 0 && __builtin_mul_overflow(acc, base, &acc)) return false;
    e >>= 1;
    if (e == 0) break;
    if (__builtin_mul_overflow(base, base, &base)) return false;
  }
  result = acc;
  return true;
}

// Real operations refuse a result that is no number (0/0, an infinity less
// an infinity, a negative base to a non-integral power) and an infinity that
// only overflow produced from finite operands; the infinity of a division by
// zero (or of zero to a negative power) is the floating-point result.
bool real_result(double a, double b, double r, bool pole) {
  if (std::isnan(r)) return false;
  if (std::isinf(r) && std::isfinite(a) && std::isfinite(b) && !pole) return false;
  return true;
}

bool combine(double a, double b, int op, double& r) {
  switch (op) {
    case 1: r = a + b; break;
    case 2: r = a - b; break;
    case 4: r = a * b; break;
    case 5: r = a / b; break;
    default: return false;
  }
  return real_result(a, b, r, op == 5 && b == 0.0);
}

bool combine(std::int64_t a, std::int64_t b, int op, std::int64_t& r) {
  switch (op) {
    case 1: return !__builtin_add_overflow(a, b, &r);
    case 2: return !__builtin_sub_overflow(a, b, &r);
    case 4: return !__builtin_mul_overflow(a, b, &r);
    case 5:
      if (b == 0) return false;  // no value: the expression is refused
      if (a == INT64_MIN && b == -1) return false;
      r = a / b;
      return true;
    default: return false;
  }
}

bool power(double a, double b, double& r) {
  r = std::pow(a, b);
  return real_result(a, b, r, a == 0.0 && b < 0.0);
}
bool power(std::int64_t a, std::int64_t b, std::int64_t& r) { return int_power(a, b, r); }

// v := -v; false when -v does not exist (the least 64-bit integer).
bool negate(double& v) {
  v = -v;
  return true;
}
bool negate(std::int64_t& v) {
  if (v == INT64_MIN) return false;
  v = -v;
  return true;
}

// Pushes an operand with its following operator; false when the stacks are full.
template <class T>
bool push(plat::Vec1<T> vals, plat::Vec1<int> ops, int& n, T v, int op) {
  if (n >= kParStackDepth || n >= vals.size() || n >= ops.size()) return false;
  ++n;
  vals(n) = v;
  ops(n) = op;
  return true;
}

template <class T>
void reduce(int op, plat::Vec1<T> vals, plat::Vec1<int> ops, int& n, int& status, std::string_view routine) {
  status = 0;
  LoopGuard guard(routine);
  for (;;) {
    guard.pass();
    if (n <= 1 || ops(n - 1) < 0) return;
    int j = n - 1;
    while (j > 1 && ops(j - 1) > 2) {
      guard.pass();
      --j;
    }
    for (int k = j + 1; k <= n; ++k) {
      T r{};
      if (!combine(vals(j), vals(k), ops(k - 1), r)) {
        status = 1;
        return;
      }
      vals(j) = r;
    }
    n = j;
    if (j == 1) return;
    if (op == 3 && ops(j - 1) < 0) {
      ops(j - 1) = -ops(j - 1);
      return;
    }
  }
}

template <class T>
void step(int op, int unary, plat::Vec1<T> vals, plat::Vec1<int> ops, int& n, int& status,
          void (*reducer)(int, plat::Vec1<T>, plat::Vec1<int>, int&, int&)) {
  status = 0;
  if (n < 0 || n > kParStackDepth || n > vals.size() || n > ops.size()) {
    status = 1;
    return;
  }
  // A pending power is applied as soon as the operator after its exponent
  // arrives. A bracketed exponent is complete at its ")" (mark 3), so the
  // operator after it applies the power too: 2**(1+1)+1 is 5.
  if (n > 1 && (unary == 0 || ops(n) == 3) && ops(n - 1) == 8) {
    T r{};
    if (!power(vals(n - 1), vals(n), r)) {
      status = 1;
      return;
    }
    vals(n - 1) = r;
    ops(n - 1) = ops(n);
    --n;
  }
  switch (op) {
    case 6:
      if (unary == 0) {
        status = 1;
      } else if (n == 0) {
        if (!push<T>(vals, ops, n, T{}, -1)) status = 1;
      } else if (ops(n) > 0) {
        ops(n) = -ops(n);
      } else {
        if (!push<T>(vals, ops, n, T{}, -1)) status = 1;
      }
      return;
    case 4:
    case 5:
      if (unary == 0) {
        if (n < 1) status = 1;
        else ops(n) = op;
      } else if (n == 0) {
        status = 1;
      } else if (op == 4 && ops(n) == 4) {
        ops(n) = 8;
      } else if (ops(n) == 3) {
        ops(n) = op;
      } else {
        status = 1;
      }
      return;
    case 1:
    case 2:
    case 3:
      if (unary == 0) {
        if (n > 1 && ops(n - 1) > 0) {
          reducer(op, vals, ops, n, status);
          if (status != 0) return;
        } else if (n > 1 && ops(n - 1) < 0 && op == 3) {
          ops(n - 1) = -ops(n - 1);
        }
        if (n >= 1) ops(n) = op;
        return;
      }
      if (n == 0 && !push<T>(vals, ops, n, T{}, 1)) {
        status = 1;
        return;
      }
      if (ops(n) == 3) {
        if (op != 3) ops(n) = op;
      } else if (op == 2 && (ops(n) == 4 || ops(n) == 5)) {
        // A minus right after "*" or "/" belongs to the next operand; as
        // x * -y = -(x * y) and x / -y = -(x / y), the operand before the
        // operator takes the sign: 8/-2/2 is -2, 2*-3 is -6.
        if (!negate(vals(n))) status = 1;
      } else if (op == 2) {
        if (!push<T>(vals, ops, n, static_cast<T>(-1), 4)) status = 1;
      }
      return;
    default: status = 1; return;
  }
}

// The scan shared by the real and integer evaluators.
//   expr: the expression (blanks already handled), j its length;
//   read: reads one operand text into a value, returning the reader's status.
//   fits: whether the value of the whole expression can be given.
template <class T, class Read, class Step, class Fits>
void evaluate(std::string_view expr, bool exponent_rule, Read read, Step stack_step, Fits fits, T& value,
              int& status, std::string_view routine) {
  value = T{};
  status = 0;
  T vals_store[kParStackDepth] = {};
  int ops_store[kParStackDepth] = {};
  plat::Vec1<T> vals(vals_store, kParStackDepth);
  plat::Vec1<int> ops(ops_store, kParStackDepth);
  int n = 0;
  const int j = static_cast<int>(expr.size());
  bool held = false;
  T operand{};
  int last_operator = 0;  // position of the last "+", "-", "*" or "/"
  int last_operand = 0;   // position of the last operand's end
  auto fail = [&] {
    status = 2;
    std::string message = "Unable to interpret expression@";
    message.append(expr);
    SETERX(field(std::move(message), 300), 3, 2, routine);
  };
  int i = 1;
  while (i <= j + 1) {
    int op = 3;
    if (i <= j) op = operator_code(expr[static_cast<std::size_t>(i - 1)]);
    if (i <= j && op == 0) {
      // An operand: up to the next operator character, keeping the sign of an exponent.
      // e: position of the operand's last character.
      int e = i;
      while (e < j) {
        const char c = expr[static_cast<std::size_t>(e)];
        if (operator_code(c) == 0 || (exponent_rule && (c == '+' || c == '-') && e + 1 < j &&
                                      is_exponent_letter(expr[static_cast<std::size_t>(e - 1)]))) {
          ++e;
          continue;
        }
        break;
      }
      const int rs =
          read(expr.substr(static_cast<std::size_t>(i - 1), static_cast<std::size_t>(e - i + 1)), operand);
      if (rs != 0) {
        status = rs;
        return;
      }
      held = true;
      last_operand = e;
      i = e + 1;
      continue;
    }
    if (i == j + 1 && last_operator > last_operand) {
      status = 1;
      SETERX(field("Illegal expression - ends with an operator", 300), 3, 1, routine);
      return;
    }
    if (op == 1 || op == 2 || op == 4 || op == 5) last_operator = i;
    int unary = 1;
    if (held) {
      if (!push<T>(vals, ops, n, operand, 0)) {
        fail();
        return;
      }
      held = false;
      unary = 0;
    } else if (op == 3) {
      unary = 0;
    }
    int st = 0;
    stack_step(op, unary, vals, ops, n, st);
    if (st != 0) {
      fail();
      return;
    }
    ++i;
  }
  if (n > 1) {
    int st = 0;
    stack_step(3, 0, vals, ops, n, st);
    if (st != 0) {
      fail();
      return;
    }
  }
  // No operand at all (an empty text, a lone ")"), or the dummy operands of
  // two or more brackets left open: the text has no value.
  if (n != 1 || !fits(vals(1))) {
    fail();
    return;
  }
  value = vals(1);
}

}  // namespace

void PARRVL(std::string_view text, double& value, int& status) {
  status = 0;
  value = 0.0;
  const int l = STRLNA(text);
  const std::string_view used = text.substr(0, static_cast<std::size_t>(l));
  auto not_real = [&](int st) {
    status = st;
    std::string message = "Assigned value is not recognised as a real@";
    message.append(text);
    SETERX(field(std::move(message), 300), 3, st, "PARRVL");
  };
  if (l > 40) {
    status = 1;
    SETERX(field("Assigned value can be no longer than 40 characters", 300), 3, 1, "PARRVL");
    return;
  }
  if (used.find(',') != std::string_view::npos) return not_real(2);
  // A number has a digit before its exponent: an empty text, a lone sign or
  // point (which the F40.0 edit reads as zero) is no number.
  {
    std::size_t k = used.find_first_not_of(" \t");
    if (k != std::string_view::npos && (used[k] == '+' || used[k] == '-')) ++k;
    bool digit = false;
    for (; k < used.size() && !digit; ++k) {
      const char c = used[k];
      if (c >= '0' && c <= '9') digit = true;
      else if (c == '+' || c == '-' || is_exponent_letter(c)) break;
    }
    if (!digit) return not_real(3);
  }
  std::string f(40 - static_cast<std::size_t>(l), ' ');
  f.append(used);
  double v = 0.0;
  if (plat::read_internal(f, "(F40.0)", false, v) != 0) return not_real(3);
  // Infinities and NaN are not values a user can assign (an overflowing
  // number reads as an infinity): refused as not a real.
  if (!std::isfinite(v)) return not_real(3);
  value = v;
}

void PARIVL(std::string_view text, int& value, int& status) {
  status = 0;
  value = 0;
  const int l = STRLNA(text);
  long long v = 0;
  bool ok = l > 0;
  for (int i = 0; ok && i < l; ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    if (c < '0' || c > '9') ok = false;
    else v = v * 10 + (c - '0');
    if (v > INT32_MAX) ok = false;  // beyond the 32-bit range: refused
  }
  // The undefined marker is no value a user can assign.
  if (ok && v == kUndefined) ok = false;
  if (!ok) {
    status = 1;
    std::string message = "Assigned value is not recognised as an integer@";
    message.append(text);
    SETERX(field(std::move(message), 300), 3, 1, "PARIVL");
    return;
  }
  value = static_cast<int>(v);
}

void SDLMD2(int op, plat::Vec1<double> vals, plat::Vec1<int> ops, int& n, int& status) {
  reduce<double>(op, vals, ops, n, status, "SDLMD2");
}
void SDELM2(int op, plat::Vec1<std::int64_t> vals, plat::Vec1<int> ops, int& n, int& status) {
  reduce<std::int64_t>(op, vals, ops, n, status, "SDELM2");
}
void SDELMD(int op, int unary, plat::Vec1<double> vals, plat::Vec1<int> ops, int& n, int& status) {
  step<double>(op, unary, vals, ops, n, status, &SDLMD2);
}
void SDELMI(int op, int unary, plat::Vec1<std::int64_t> vals, plat::Vec1<int> ops, int& n, int& status) {
  step<std::int64_t>(op, unary, vals, ops, n, status, &SDELM2);
}

void PARRGT(std::string_view text, double& value, int& status) {
  // Blanks and tabs outside quotes are removed first.
  std::string stripped(text.size(), ' ');
  int quote = 0, length = 0;
  SDBLKX(text, quote, plat::TextRef(stripped), length);
  if (length > static_cast<int>(stripped.size())) length = static_cast<int>(stripped.size());
  const std::string_view expr(stripped.data(), static_cast<std::size_t>(length));
  auto read = [](std::string_view operand, double& v) {
    int st = 0;
    PARRVL(operand, v, st);
    return st;
  };
  evaluate<double>(
      expr, true, read, &SDELMD, [](double) { return true; }, value, status, "PARRGT");
}

void PARIGT(std::string_view text, int& value, int& status) {
  const std::string_view expr = text.substr(0, static_cast<std::size_t>(STRLNA(text)));
  auto read = [](std::string_view operand, std::int64_t& v) {
    int st = 0, number = 0;
    PARIVL(operand, number, st);
    v = number;
    return st;
  };
  // The value must be a 32-bit integer other than the undefined marker.
  auto fits = [](std::int64_t v) { return v >= INT32_MIN && v < kUndefined; };
  std::int64_t v = 0;
  evaluate<std::int64_t>(expr, false, read, &SDELMI, fits, v, status, "PARIGT");
  value = status == 0 ? static_cast<int>(v) : 0;
}

void PARSTR(plat::Vec1<const int> items, int count, std::string_view command, double value,
            plat::Vec1<double> values, int& status) {
  status = 0;
  const bool change = plat::text_eq(command, "CHANGE");
  static const std::string message = field(
      "Entity undefined - possibly defined with Mortran@Value may be overwritten by Mortran expression during "
      "solution.",
      200);
  for (int i = 1; i <= count; ++i) {
    const int k = items(i);
    if (k < 1 || k > values.size()) continue;
    double& v = values(k);
    if (change) {
      if (SLUNDF(v)) SETERX(message, 3, 1, "PARSTR");
      v = value;
    } else if (SLUNDF(v)) {
      status = 2;
      SETERX(message, 3, 2, "PARSTR");
    } else {
      v *= value;
    }
  }
}

void PARSTZ(plat::Vec1<const int> items, int count, std::string_view text, TextVec1 texts, int& status) {
  status = 0;
  for (int i = 1; i <= count; ++i)
    if (items(i) >= 1 && items(i) <= texts.size()) texts(items(i)) = text;
}

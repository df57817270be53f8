#include "output/lendgt.h"

int LENDGT(int n) {
  // The magnitude as unsigned, so that -2147483648 needs no special case.
  unsigned int m = n < 0 ? 0u - static_cast<unsigned int>(n) : static_cast<unsigned int>(n);
  int digits = 1;
  while (m >= 10u) {
    m /= 10u;
    ++digits;
  }
  return digits;
}

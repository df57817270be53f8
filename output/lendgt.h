// Number of decimal digits of an integer's magnitude.
#pragma once

// 1 for -9..9, 2 for -99..99, ... up to 10; the sign is not counted.
int LENDGT(int n);

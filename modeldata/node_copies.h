// The node-copy list of tied nodes, kept in the last words of the linked
// thermal connection list.
#pragma once

#include <cstdint>

#include "platform/array.h"

// Copies the temperature of each group's source node to its targets along
// the node-copy list: the last lensn words of list (whose length is len);
// with b = len - lensn, word b + 2 holds the group count and the groups
// (source, count n, n targets) follow from word b + 3. nt is not used.
// A list of fewer than two words (no model loaded) copies nothing.
void SSNCNT(int len, int lensn, int nt, plat::Vec1<const std::int32_t> list, plat::Vec1<double> t);

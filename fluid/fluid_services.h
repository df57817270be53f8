// Services of the fluid-loop solution that the executive and the generated
// blocks call.
#pragma once

#include <string_view>

// Initialises the fluid state of the fluid nodes selected by the node list
// zlabel (blank: all) in model |modref| (modref < 0: that model alone;
// modref > 0: it and its subtree). Reserves FLAGS(32) words of the integer
// dynamic core for the node list and gives them back before it returns; a
// shortage is the fatal "Insufficient dynamic core" (routine "FINITS").
void FINITS(std::string_view zlabel, int modref);

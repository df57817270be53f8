// Numbered diagnostics and the fatal-error path.
//
// A message is one text whose parts are separated by "@": Problem, Current
// action, Info, Context; "<NL>" inside a part forces a new line.
#pragma once

#include <string_view>

#include "platform/text.h"

// Prints the numbered diagnostic box; severity 1 diagnostic, 2 warning,
// 3 failure, 4 (or any other value) fatal: the run ends through FAILUR.
void SETERX(std::string_view message, int severity, int code, std::string_view routine);
// Prints the file-error box on the listing; always returns.
void ERRNEW(std::string_view message, int type, int code, std::string_view routine);
// Appends the identity of global node `node` to the message (nothing for 0).
void MESBLD(int node, plat::TextRef message);
// Unrecoverable condition: prints its text and ends the run with status 1.
[[noreturn]] void ERROR(std::string_view routine);
// Fatal end of a run: close-down, then exit status 1.
[[noreturn]] void FAILUR();

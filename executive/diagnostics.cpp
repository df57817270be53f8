// Provisional diagnostics: prints the message plainly until the numbered box is built.
#include "executive/diagnostics.h"

#include <string>

#include "platform/process.h"
#include "platform/units.h"

void SETERX(std::string_view message, int severity, int code, std::string_view routine) {
  std::string line = " ";
  line.append(routine).append(": ").append(plat::trimmed(message));
  line.append(" (severity ").append(std::to_string(severity)).append(", code ").append(std::to_string(code)).append(")");
  plat::io::write_line(6, line);
  if (severity < 1 || severity > 3) FAILUR();
}

void ERRNEW(std::string_view message, int, int code, std::string_view routine) {
  SETERX(message, 3, code, routine);
}

void MESBLD(int, plat::TextRef) {}

void ERROR(std::string_view routine) {
  std::string line = " Unrecoverable error in ";
  line.append(routine);
  plat::io::write_line(6, line);
  FAILUR();
}

void FAILUR() { plat::exit_process(1); }

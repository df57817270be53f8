#include "parameters/param_records.h"

#include "platform/process_state.h"

ParnumRecord PARNUM;
ParchrRecord PARCHR;

namespace {
void reset_param_records() {
  PARNUM = ParnumRecord{};
  PARCHR = ParchrRecord{};
}
}  // namespace
TNA_PROCESS_STATE("parameters/param_records", reset_param_records)

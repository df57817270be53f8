#include "model/generated_program.h"
#include "parameters/parameter_cases.h"

// Base case only: the parameter-case file is read by the full case driver.
void PARAMX(int /*parfile*/, std::string_view /*model_name*/, int& status, int /*snapshot_unit*/,
            int /*parameter_unit*/, int /*csv_unit*/) {
  status = 0;
  IN0001();
  EXECTN();
}

// The base case asks for no case outputs.
void PARWRT(std::string_view /*block*/) {}

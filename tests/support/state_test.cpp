#include "support/state_test.h"

#include "platform/process_state.h"
#include "support/test_model.h"

namespace tna_test {

void reset_process() {
  plat::reset_process_state();
  model.reset();
}

}  // namespace tna_test

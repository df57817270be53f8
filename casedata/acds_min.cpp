// Analysis-case solution manager, as far as a run needs it while the file
// carries no analysis-case data: the file is opened at set-up (a missing or
// unreadable file ends the run) and closed at close-down; an empty analysis
// case brings no heat loads and no time-dependent conductors.
#include <hdf5.h>

#include <string>

#include "casedata/acd_solution.h"
#include "executive/diagnostics.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kMaxName = 500;
hid_t g_file = -1;

}  // namespace

void acds_open(std::string_view name) {
  std::string file(plat::trimmed(name));
  file += ".acd";
  if (file.size() > kMaxName) {
    std::string msg = "ACD file name too long@Initialising ACD Solution Manager@Maximum filename length: ";
    msg += "       500<NL>Supplied file name: ";
    msg += file.substr(0, kMaxName);
    msg += "...@";
    SETERX(msg, 4, 1, "(acds)OpenFile");
    return;
  }
  if (g_file >= 0) {
    H5Fclose(g_file);
    g_file = -1;
  }
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  g_file = H5Fopen(file.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
  if (g_file < 0) {
    SETERX("Cannot open ACD file@Initialising ACD Solution Manager@ACD file name: " + file + "@", 4, 2,
           "(acds)OpenFile");
  }
}

void acds_staticload() {}

void acds_close() {
  if (g_file >= 0) H5Fclose(g_file);
  g_file = -1;
}

void ACDDYU() {}

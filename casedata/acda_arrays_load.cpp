// User arrays from the analysis-case data file: opening and the empty walker.
#include "casedata/acda_arrays_load.h"

#include <hdf5.h>

#include <algorithm>
#include <string>

#include "executive/diagnostics.h"
#include "platform/text.h"

namespace {
hid_t g_file = -1;
}

void acda_open(std::string_view name, int length) {
  std::string_view n = name.substr(0, std::min<std::size_t>(name.size(), length < 0 ? 0 : length));
  n = plat::trimmed(n.substr(0, std::min<std::size_t>(n.size(), 24)));
  const std::string file = std::string(n) + ".acd";
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  g_file = H5Fopen(file.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
  if (g_file < 0) {
    g_file = -1;
    ERRNEW("Cannot open ACD file@Initialising ACD Arrays Load@ACD file name: " + file + "@", 1, 2,
           "(acda)OpenFile");
  }
}

void acda_getnumberofarrayvalues(int& nint, int& nreal) {
  nint = 0;
  nreal = 0;
}

void acda_movenextsubmodel(std::string_view, int, int) {}

void acda_getarraydata(int& narrays, int& nreal, int& nint, std::vector<double>& reals,
                       std::vector<std::int32_t>& ints) {
  narrays = nreal = nint = 0;
  reals.clear();
  ints.clear();
}

void acda_updatearraypointers(int, int, int, plat::Vec1<const std::int32_t>, plat::Vec1<std::int32_t>,
                              CTextVec1, int, int, int, int) {}

void acda_close() {
  if (g_file >= 0) H5Fclose(g_file);
  g_file = -1;
}

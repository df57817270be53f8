#include "tools/acd_writer.h"

#include <hdf5.h>
#include <hdf5_hl.h>

#include <stdexcept>

namespace acdw {

namespace {

void check(herr_t rc, const char* what) {
  if (rc < 0) throw std::runtime_error(std::string("acd writer: ") + what);
}

hid_t check_id(hid_t id, const char* what) {
  if (id < 0) throw std::runtime_error(std::string("acd writer: ") + what);
  return id;
}

// Fills one model group: its empty mission and its children.
void write_model_group(hid_t group, const std::vector<Submodel>& children) {
  hid_t mission = check_id(H5Gcreate2(group, "Mission", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), "Mission");
  H5Gclose(mission);
  const int type = 0;
  check(H5LTset_attribute_int(group, "Mission", "analysisCaseType", &type, 1), "analysisCaseType");
  hid_t subs = check_id(H5Gcreate2(group, "Submodels", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), "Submodels");
  for (const Submodel& child : children) {
    hid_t g = check_id(H5Gcreate2(subs, child.name.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
                       "submodel group");
    write_model_group(g, child.children);
    H5Gclose(g);
  }
  H5Gclose(subs);
}

}  // namespace

void write_empty_case(const std::string& path, const std::vector<Submodel>& children) {
  hid_t file = H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
  if (file < 0) throw std::runtime_error("acd writer: cannot create " + path);
  try {
    write_model_group(file, children);
  } catch (...) {
    H5Fclose(file);
    throw;
  }
  check(H5Fclose(file), "close");
}

}  // namespace acdw

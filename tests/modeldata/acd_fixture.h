// Writing "ModelData/Arrays" of an analysis-case file for the load tests.
#pragma once

#include <hdf5.h>
#include <hdf5_hl.h>

#include <cstring>
#include <string>
#include <vector>

namespace acd_fixture {

struct ArrayRecord {
  char arrayName[19];
  int arrayType;
  int size;
  int numberOfDimensions;
  int dimension1, dimension2, dimension3;
};

inline ArrayRecord record(const std::string& name, int type, int size, int dims, int d1, int d2, int d3) {
  ArrayRecord r{};
  std::memset(r.arrayName, ' ', sizeof r.arrayName);
  std::memcpy(r.arrayName, name.data(), name.size());
  r.arrayType = type;
  r.size = size;
  r.numberOfDimensions = dims;
  r.dimension1 = d1;
  r.dimension2 = d2;
  r.dimension3 = d3;
  return r;
}

// Departures from a consistent "ModelData/Arrays", for files that a loader
// must refuse.
struct Faults {
  int announced_values = -1;   // numberOfArrayValues; -1: the number of values written
  int announced_arrays = -1;   // numberOfArrays; -1: the number of records written
  bool data = true;            // write "ArrayData"
  bool information = true;     // write "ArrayInformation"
  std::string missing_member;  // a member of the records left out
};

// Writes "ModelData/Arrays" into model group g.
inline void write_arrays(hid_t g, const std::vector<ArrayRecord>& recs, const std::vector<double>& values,
                         int index_words, const Faults& faults = {}) {
  hid_t md = H5Gcreate2(g, "ModelData", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
  hid_t ar = H5Gcreate2(md, "Arrays", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
  const int na = faults.announced_arrays >= 0 ? faults.announced_arrays : static_cast<int>(recs.size());
  const int nr = faults.announced_values >= 0 ? faults.announced_values : static_cast<int>(values.size());
  H5LTset_attribute_int(md, "Arrays", "numberOfArrays", &na, 1);
  H5LTset_attribute_int(md, "Arrays", "numberOfArrayValues", &nr, 1);
  H5LTset_attribute_int(md, "Arrays", "numberOfArrayIndexValues", &index_words, 1);
  hsize_t n = values.size();
  if (faults.data) H5LTmake_dataset_double(ar, "ArrayData", 1, &n, values.data());
  hid_t str = H5Tcopy(H5T_C_S1);
  H5Tset_size(str, 19);
  hid_t ct = H5Tcreate(H5T_COMPOUND, sizeof(ArrayRecord));
  auto insert = [&](const char* member, std::size_t offset, hid_t type) {
    if (faults.missing_member != member) H5Tinsert(ct, member, offset, type);
  };
  insert("arrayName", HOFFSET(ArrayRecord, arrayName), str);
  insert("arrayType", HOFFSET(ArrayRecord, arrayType), H5T_NATIVE_INT);
  insert("size", HOFFSET(ArrayRecord, size), H5T_NATIVE_INT);
  insert("numberOfDimensions", HOFFSET(ArrayRecord, numberOfDimensions), H5T_NATIVE_INT);
  insert("dimension1", HOFFSET(ArrayRecord, dimension1), H5T_NATIVE_INT);
  insert("dimension2", HOFFSET(ArrayRecord, dimension2), H5T_NATIVE_INT);
  insert("dimension3", HOFFSET(ArrayRecord, dimension3), H5T_NATIVE_INT);
  if (faults.information) {
    hsize_t nrec = recs.size();
    hid_t sp = H5Screate_simple(1, &nrec, nullptr);
    hid_t ds = H5Dcreate2(ar, "ArrayInformation", ct, sp, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    H5Dwrite(ds, ct, H5S_ALL, H5S_ALL, H5P_DEFAULT, recs.data());
    H5Dclose(ds);
    H5Sclose(sp);
  }
  H5Tclose(ct);
  H5Tclose(str);
  H5Gclose(ar);
  H5Gclose(md);
}

}  // namespace acd_fixture

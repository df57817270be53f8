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

// Writes "ModelData/Arrays" into model group g.
inline void write_arrays(hid_t g, const std::vector<ArrayRecord>& recs, const std::vector<double>& values, int index_words) {
  hid_t md = H5Gcreate2(g, "ModelData", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
  hid_t ar = H5Gcreate2(md, "Arrays", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
  const int na = static_cast<int>(recs.size()), nr = static_cast<int>(values.size());
  H5LTset_attribute_int(md, "Arrays", "numberOfArrays", &na, 1);
  H5LTset_attribute_int(md, "Arrays", "numberOfArrayValues", &nr, 1);
  H5LTset_attribute_int(md, "Arrays", "numberOfArrayIndexValues", &index_words, 1);
  hsize_t n = values.size();
  H5LTmake_dataset_double(ar, "ArrayData", 1, &n, values.data());
  hid_t str = H5Tcopy(H5T_C_S1);
  H5Tset_size(str, 19);
  hid_t ct = H5Tcreate(H5T_COMPOUND, sizeof(ArrayRecord));
  H5Tinsert(ct, "arrayName", HOFFSET(ArrayRecord, arrayName), str);
  H5Tinsert(ct, "arrayType", HOFFSET(ArrayRecord, arrayType), H5T_NATIVE_INT);
  H5Tinsert(ct, "size", HOFFSET(ArrayRecord, size), H5T_NATIVE_INT);
  H5Tinsert(ct, "numberOfDimensions", HOFFSET(ArrayRecord, numberOfDimensions), H5T_NATIVE_INT);
  H5Tinsert(ct, "dimension1", HOFFSET(ArrayRecord, dimension1), H5T_NATIVE_INT);
  H5Tinsert(ct, "dimension2", HOFFSET(ArrayRecord, dimension2), H5T_NATIVE_INT);
  H5Tinsert(ct, "dimension3", HOFFSET(ArrayRecord, dimension3), H5T_NATIVE_INT);
  hsize_t nrec = recs.size();
  hid_t sp = H5Screate_simple(1, &nrec, nullptr);
  hid_t ds = H5Dcreate2(ar, "ArrayInformation", ct, sp, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
  H5Dwrite(ds, ct, H5S_ALL, H5S_ALL, H5P_DEFAULT, recs.data());
  H5Dclose(ds);
  H5Sclose(sp);
  H5Tclose(ct);
  H5Tclose(str);
  H5Gclose(ar);
  H5Gclose(md);
}

}  // namespace acd_fixture

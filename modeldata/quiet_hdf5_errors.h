// HDF5's automatic printing of its error stack, switched off for the life of
// a QuietHdf5Errors and set back to what it was afterwards. The case-data
// readers check every HDF5 result and report in their own words (a missing
// group or attribute is often an ordinary answer); other users of the library
// (the TMD writer) keep the report they rely on, except where a failure
// is harmless (the compaction of a closed TMD file).
#pragma once

#include <hdf5.h>

class QuietHdf5Errors {
 public:
  QuietHdf5Errors() {
    if (H5Eget_auto2(H5E_DEFAULT, &func_, &data_) < 0) {
      func_ = nullptr;
      data_ = nullptr;
      saved_ = false;
    }
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  }
  QuietHdf5Errors(const QuietHdf5Errors&) = delete;
  QuietHdf5Errors& operator=(const QuietHdf5Errors&) = delete;
  ~QuietHdf5Errors() {
    if (saved_) H5Eset_auto2(H5E_DEFAULT, func_, data_);
  }

 private:
  H5E_auto2_t func_ = nullptr;
  void* data_ = nullptr;
  bool saved_ = true;
};

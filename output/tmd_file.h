// The module TmdThermalModelDataFile: writes TMD result files (HDF5).
//
// Layout of a file:
//   /                      attributes "Description" (job name), "FileVersion"
//   /AnalysisSet1          attributes "PAbs", "StefanBoltzmann", "TAbs",
//                          "Description", "Date"; static data sets: "models",
//                          node tables and attribute names, conductor and
//                          link tables, user-constant and control-constant
//                          names
//   /AnalysisSet1/DataGroup1  attributes "Description", "NORVEK_version",
//                          "Time"; time-dependent data sets ("times", node,
//                          conductor and constant data), first dimension
//                          unlimited, one entry per slice
// Every data set is chunked and deflated at level 1.
//
// Files are written in HDF5's single-writer mode (latest file format) once
// their data sets exist, so that a run killed while it writes leaves every
// slice it had written readable. A file left by a kill stays marked as open
// for writing: readers open it with single-writer read access (h5py:
// swmr=True) or after "h5clear -s". Each slice rewrites the chunk that
// holds it elsewhere in the file and the mode never frees the earlier
// version, so such a file is about seven times its compressed data; a file
// that is closed (tmdclosefile, tmd_closeall) is compacted: its objects are
// copied into NAME.tmp, which is then renamed over it.
//
// Files live in 100 slots: 1..99 for the DMPTMD base names, 100 for the
// parameter-case file. What to write comes from TmvThermalModelVariables,
// which the caller refreshes before tmdcreatedatasets and each tmdwritedata.
// The operations print nothing: each returns the first failing HDF5 status
// (negative) in hdferr, 0 on success.
#pragma once

#include <string_view>

// Number of file slots.
inline constexpr int tmd_numslots = 100;

// Creates (truncating) the file `filename` (trailing blanks are not part of
// the name) in slot `fileindex` with the groups "AnalysisSet1" and
// "DataGroup1" and the attributes "PAbs", "StefanBoltzmann", "TAbs". A file
// still open in the slot is closed first.
void tmdcreatefile(std::string_view filename, int fileindex, int& hdferr);

// Writes the attributes and static data sets of the slot's file and creates
// its empty time-dependent data sets (slot TmvThermalModelVariables::fileindex).
void tmdcreatedatasets(int& hdferr);

// Appends one time slice to every time-dependent data set of the slot's file
// and flushes it (the flush runs after a failure too). A request whose rows
// or attributes no longer match the file's data sets is refused with -1.
void tmdwritedata(int& hdferr);

// Closes the slot's file, compacts it, and frees the slot; a free slot is
// left alone and hdferr keeps the caller's value. hdferr is the status of
// the close: a compaction that fails leaves the file whole as written.
void tmdclosefile(int fileindex, int& hdferr);

// Closes every open file (the close-down, before it closes HDF5).
void tmd_closeall();

// Whether a slot holds an open file.
bool tmd_slotopen(int fileindex);

// Forgets every slot after closing what can be closed (HDF5 may have been
// closed under the slots by a close-down). Only tests call this.
void tmd_file_reset_for_tests();

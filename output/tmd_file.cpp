// TMD result files through the HDF5 C library.
#include "output/tmd_file.h"
#include "platform/process_state.h"

#include <hdf5.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/quiet_hdf5_errors.h"
#include "modeldata/submodel_refs.h"
#include "output/tmd_conductors.h"
#include "output/tmd_selection.h"
#include "platform/process.h"

namespace tmv = TmvThermalModelVariables;

namespace {

// One file slot: the open file, its groups and time-dependent data sets
// (-1 = absent) and the row and column counts fixed when it was populated.
struct TmdSlot {
  hid_t fileid = -1;
  hid_t analysisset1id = -1, datagroup1id = -1;
  hid_t timesdatasetid = -1;
  hid_t thermalnodesrealdatasetid = -1, thermalnodesstringdatasetid = -1, thermalnodesintegerdatasetid = -1;
  hid_t fluidnodesrealdatasetid = -1, fluidnodesstringdatasetid = -1, fluidnodesintegerdatasetid = -1;
  hid_t gl_datasetid = -1, gr_datasetid = -1, gf_datasetid = -1, gv_datasetid = -1, m_datasetid = -1,
        gp_datasetid = -1;
  hid_t muserconstantsrealdatasetid = -1, muserconstantsintdatasetid = -1, muserconstantschardatasetid = -1;
  hid_t mcontrolconstantsrealdatasetid = -1, mcontrolconstantsintdatasetid = -1, mcontrolconstantschardatasetid = -1;
  int numselectedthermalnodes = 0, numselectedfluidnodes = 0;
  int numrealthermalattributes = 0, numstringthermalattributes = 0, numintegerthermalattributes = 0;
  int numrealfluidattributes = 0, numstringfluidattributes = 0, numintegerfluidattributes = 0;
  int countgl = 0, countgr = 0, countgf = 0, countgv = 0, countm_gp = 0;
  // Numbers of user constants of the data sets, to check later requests against.
  int numuserreal = 0, numuserint = 0, numuserchar = 0;
  // The file's name, and whether it is in single-writer mode (its data sets
  // exist), so that its close compacts it.
  std::string name;
  bool swmr = false;
};

std::array<TmdSlot, tmd_numslots + 1> slots;  // [0] unused

// Working tables of one creation (rows) and one write (slice buffers).
TmdConductorTables info;
std::vector<double> datagl, datagr, datagf, datagv, datam, datagp;

// A file must keep every slice it was given even when the program is
// killed in the middle of the next one, so files are written as HDF5's
// single-writer/multiple-reader mode writes them (latest file format, the
// mode switched on once the data sets exist): the library then writes every
// block before the blocks that point to it and never reuses the space of a
// chunk it has moved, so the file on disk is whole after each write call.
// A kill can still cut one write call short between two memory pages, so
// file space is handed out in pages of the system's page size, so that a
// block smaller than a page lies within one page and is written whole or
// not at all.
//
// The cost is space, and no setting of the library lowers it: each slice
// rewrites, larger and elsewhere, the compressed chunk of ten slices that
// holds it, and in this mode the library never frees the earlier version (a
// reader may still be following an index that points to it). Measured on
// 40 slices of 10,000 nodes: 6.9 times the size of the same slices written
// without the mode, 6.3 times without the pages; the file-space strategy
// and its persistence change nothing. A file that the program closes is
// therefore compacted: a copy of its objects is written beside it and then
// renamed over it, so that a kill during the copy leaves the written file
// as it was (see compact_closed_file).
constexpr hsize_t kFilePage = 4096;
constexpr hsize_t kChunkRows = 1000;
constexpr hsize_t kChunkTimes = 10;
constexpr std::size_t kNameLen = 32;   // attribute names
constexpr std::size_t kCellLen = 24;   // string cells of node data
constexpr std::size_t kTextLen = 132;  // constant texts

// Records the first failure: err takes a negative status once.
bool ok(herr_t status, int& err) {
  if (status < 0 && err == 0) err = static_cast<int>(status);
  return status >= 0 && err == 0;
}
bool okid(hid_t id, int& err) {
  if (id < 0 && err == 0) err = id < INT32_MIN ? -1 : static_cast<int>(id);
  return id >= 0 && err == 0;
}

void close_id(hid_t& id, herr_t (*closer)(hid_t)) {
  if (id >= 0) closer(id);
  id = -1;
}

// Blank-padded fixed-length string type of n characters.
hid_t string_type(std::size_t n) {
  const hid_t t = H5Tcopy(H5T_C_S1);
  if (t < 0) return t;
  if (H5Tset_size(t, n) < 0 || H5Tset_strpad(t, H5T_STR_SPACEPAD) < 0) {
    H5Tclose(t);
    return -1;
  }
  return t;
}

void put_text(char* dst, std::size_t n, std::string_view s) { plat::assign_text(dst, n, s); }

// Creates and writes one text attribute of `len` characters on `loc`.
void hsrstringattributecreate(hid_t loc, const char* name, std::string_view value, std::size_t len, int& err) {
  if (err != 0) return;
  const hid_t type = string_type(len);
  if (!okid(type, err)) return;
  const hsize_t one = 1;
  const hid_t space = H5Screate_simple(1, &one, nullptr);
  if (okid(space, err)) {
    const hid_t attr = H5Acreate2(loc, name, type, space, H5P_DEFAULT, H5P_DEFAULT);
    if (okid(attr, err)) {
      std::string buf(len, ' ');
      put_text(buf.data(), len, value);
      ok(H5Awrite(attr, type, buf.data()), err);
      ok(H5Aclose(attr), err);
    }
    H5Sclose(space);
  }
  H5Tclose(type);
}

void realattributecreate(hid_t loc, hid_t space, const char* name, double value, int& err) {
  if (err != 0) return;
  const hid_t attr = H5Acreate2(loc, name, H5T_IEEE_F64LE, space, H5P_DEFAULT, H5P_DEFAULT);
  if (!okid(attr, err)) return;
  ok(H5Awrite(attr, H5T_NATIVE_DOUBLE, &value), err);
  ok(H5Aclose(attr), err);
}

// Creates one chunked data set (deflate level 1, fill at allocation).
void hsrdatasetcreate(hid_t loc, const char* name, hid_t type, int rank, const hsize_t* dims, const hsize_t* maxdims,
                      const hsize_t* chunk, hid_t& id, int& err) {
  id = -1;
  if (err != 0) return;
  const hid_t dcpl = H5Pcreate(H5P_DATASET_CREATE);
  if (!okid(dcpl, err)) return;
  if (ok(H5Pset_chunk(dcpl, rank, chunk), err) && ok(H5Pset_deflate(dcpl, 1), err) &&
      ok(H5Pset_fill_time(dcpl, H5D_FILL_TIME_ALLOC), err)) {
    const hid_t space = H5Screate_simple(rank, dims, maxdims);
    if (okid(space, err)) {
      const hid_t ds = H5Dcreate2(loc, name, type, space, H5P_DEFAULT, dcpl, H5P_DEFAULT);
      if (okid(ds, err)) id = ds;
      H5Sclose(space);
    }
  }
  H5Pclose(dcpl);
}

// A fixed-size data set written whole from `buf`.
void staticwrite(hid_t loc, const char* name, hid_t filetype, hid_t memtype, int rank, const hsize_t* dims,
                 const hsize_t* chunk, const void* buf, int& err) {
  hid_t ds = -1;
  hsrdatasetcreate(loc, name, filetype, rank, dims, dims, chunk, ds, err);
  if (ds < 0) return;
  ok(H5Dwrite(ds, memtype, H5S_ALL, H5S_ALL, H5P_DEFAULT, buf), err);
  ok(H5Dclose(ds), err);
}

// A one-dimensional data set of fixed-length names.
void nameswrite(hid_t loc, const char* name, const std::vector<std::string>& names, std::size_t len, int& err) {
  if (err != 0 || names.empty()) return;
  std::string buf(names.size() * len, ' ');
  for (std::size_t i = 0; i < names.size(); ++i) put_text(buf.data() + i * len, len, names[i]);
  const hid_t type = string_type(len);
  if (!okid(type, err)) return;
  const hsize_t n = names.size();
  staticwrite(loc, name, type, type, 1, &n, &n, buf.data(), err);
  H5Tclose(type);
}

// A time-dependent data set of `nitems` rows by `nattrs` columns: rank 3
// [0][N][A], or rank 2 [0][N] when the caller asks for it and A is 1.
void datacreate(hid_t loc, const char* name, hid_t type, int nitems, int nattrs, bool twod, hid_t& id, int& err) {
  id = -1;
  if (nitems < 1 || nattrs < 1 || err != 0) return;
  const hsize_t n = static_cast<hsize_t>(nitems), a = static_cast<hsize_t>(nattrs);
  if (twod && nattrs == 1) {
    const hsize_t dims[2] = {0, n}, maxdims[2] = {H5S_UNLIMITED, n},
                  chunk[2] = {kChunkTimes, std::min(n, kChunkRows)};
    hsrdatasetcreate(loc, name, type, 2, dims, maxdims, chunk, id, err);
  } else {
    const hsize_t dims[3] = {0, n, a}, maxdims[3] = {H5S_UNLIMITED, n, a},
                  chunk[3] = {kChunkTimes, std::min(n, kChunkRows), a};
    hsrdatasetcreate(loc, name, type, 3, dims, maxdims, chunk, id, err);
  }
}

// "models": own name, parent and full path of every model.
void modelscreate(hid_t loc, int nm, int& err) {
  if (err != 0) return;
  constexpr std::size_t kRecord = 2502, kPath = 2474;
  const hid_t s24 = string_type(24), spath = string_type(kPath), type = H5Tcreate(H5T_COMPOUND, kRecord);
  if (okid(s24, err) && okid(spath, err) && okid(type, err) && ok(H5Tinsert(type, "modelName", 0, s24), err) &&
      ok(H5Tinsert(type, "parentId", 24, H5T_STD_I32LE), err) && ok(H5Tinsert(type, "modelPath", 28, spath), err)) {
    std::vector<char> buf(kRecord * static_cast<std::size_t>(std::max(nm, 0)), ' ');
    std::string path(kPath, ' ');
    for (int m = 1; m <= nm; ++m) {
      char* rec = buf.data() + kRecord * static_cast<std::size_t>(m - 1);
      int len = 0, ierr = 0;
      LSUBMD("SUBMODEL", m, len, plat::TextRef(path), ierr);
      put_text(rec, 24, std::string_view(path).substr(0, static_cast<std::size_t>(std::clamp<int>(len, 0, kPath))));
      int parent = 0;
      GETPARENTMODELNUMBER(m, parent);
      const std::int32_t p32 = parent;
      std::memcpy(rec + 24, &p32, 4);
      LSUBMD("ALL", m, len, plat::TextRef(path), ierr);
      put_text(rec + 28, kPath,
               std::string_view(path).substr(0, static_cast<std::size_t>(std::clamp<int>(len, 0, kPath))));
    }
    const hsize_t n = static_cast<hsize_t>(nm);
    staticwrite(loc, "models", type, type, 1, &n, &n, buf.data(), err);
  }
  if (type >= 0) H5Tclose(type);
  if (spath >= 0) H5Tclose(spath);
  if (s24 >= 0) H5Tclose(s24);
}

// A user-constant name table: compound "name" (18 characters), "modelId".
void hsr_compounddatasetstringintcreate(hid_t loc, const char* name, const std::vector<plat::Text<18>>& names,
                                        const std::vector<std::int32_t>& models, int& err) {
  if (err != 0 || names.empty()) return;
  constexpr std::size_t kRecord = 22;
  const hid_t s18 = string_type(18), type = H5Tcreate(H5T_COMPOUND, kRecord);
  if (okid(s18, err) && okid(type, err) && ok(H5Tinsert(type, "name", 0, s18), err) &&
      ok(H5Tinsert(type, "modelId", 18, H5T_STD_I32LE), err)) {
    std::vector<char> buf(kRecord * names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      std::memcpy(buf.data() + kRecord * i, names[i].data(), 18);
      std::memcpy(buf.data() + kRecord * i + 18, &models[i], 4);
    }
    const hsize_t n = names.size();
    staticwrite(loc, name, type, type, 1, &n, &n, buf.data(), err);
  }
  if (type >= 0) H5Tclose(type);
  if (s18 >= 0) H5Tclose(s18);
}

// ---------------------------------------------------------------------------
// Node attributes of the request, in file order, with their value sources.

struct TextSource {
  const char* base;    // value of node index i at base + (i - 1) * stride
  std::size_t stride;  // and `len` characters long
  std::size_t len;
};

struct NodeAttributes {
  std::vector<std::string> realnames, stringnames, integernames;
  std::vector<const double*> realsrc;
  std::vector<TextSource> stringsrc;
  std::vector<const std::int32_t*> integersrc;
};

int flag(int i) { return i >= 1 && i <= tmv::nodeattributeflags.size() ? tmv::nodeattributeflags(i) : 0; }

std::string username(int row, int kind) {
  if (row < 1 || row > tmv::userattributenames.rows() || kind > tmv::userattributenames.cols()) return {};
  return tmv::userattributenames(row, kind).str();
}

template <class T>
const T* column(plat::Array2<T>& a, int j) {
  return j <= a.cols() && a.rows() > 0 ? a.col(j).data() : nullptr;
}

template <std::size_t N>
TextSource text_source(plat::Array1<plat::Text<N>>& a) {
  return {a.size() > 0 ? a(1).data() : nullptr, N, N};
}

NodeAttributes node_attributes(bool fluid) {
  NodeAttributes at;
  const int nreal = tmv::numuserrealattributes, nint = tmv::numuserintegerattributes;
  const int nchar = tmv::numuserstringattributes;
  struct RealAttr {
    int code;
    const char* name;
    plat::Array1<double>* values;
  };
  if (!fluid) {
    const RealAttr reals[] = {
        {2, "Temperature", &gar_thermalnodetemps},
        {3, "Capacitance", &gar_thermalnodecapacitances},
        {4, "Total_Albedo_Heat_Source", &gar_thermalnodeheatsourcesalbedo},
        {5, "Total_Earth_Heat_Source", &gar_thermalnodeheatsourcesplanet},
        {6, "Total_Internal_Heat_Source", &gar_thermalnodeheatsourcesinternal},
        {7, "Total_Rest_Heat_Source", &gar_thermalnodeheatsourcesother},
        {8, "Total_Solar_Heat_Source", &gar_thermalnodeheatsourcessolar},
        {9, "Area", &gar_thermalnodesurfaceareas},
        {10, "Solar_Absorptivity", &gar_thermalnodeabsorptivities},
        {11, "Infra-Red_Emissivity", &gar_thermalnodeemissivities},
        {12, "Incident_Albedo_Heat_Source", &gar_thermalnodeincidentfluxesalbedo},
        {13, "Incident_Earth_Heat_Source", &gar_thermalnodeincidentfluxesplanet},
        {14, "Incident_Solar_Heat_Source", &gar_thermalnodeincidentfluxessolar},
        {25, "X_Coordinate", &gar_thermalnodecoordsx},
        {26, "Y_Coordinate", &gar_thermalnodecoordsy},
        {27, "Z_Coordinate", &gar_thermalnodecoordsz},
    };
    for (const RealAttr& r : reals)
      if (flag(r.code)) at.realnames.emplace_back(r.name), at.realsrc.push_back(r.values->view().data());
  } else {
    const RealAttr reals[] = {
        {2, "Temperature", &gar_fluidnodetemps},
        {9, "Heat_Transfer_Area", &gar_fluidnodeheattransferareas},
        {15, "Equivalent_Diameter", &gar_fluidnodehydraulicdiameters},
        {16, "Length", &gar_fluidnodelengths},
        {17, "Static_Pressure", &gar_fluidnodepressures},
        {18, "Specific_Enthalpy", &gar_fluidnodespecenthalpies},
        {19, "Wall_Surface_Roughness", &gar_fluidnodewallroughnesses},
        {20, "Internal_Heat_Source", &gar_fluidnodeheatsources},
        {21, "Mass_Source", &gar_fluidnodemassflowsources},
        {22, "Specific_Enthalpy_Of_Mass_Source", &gar_fluidnodemasssourcespecenthalpies},
        {23, "Temperature_Of_Mass_Source", &gar_fluidnodemasssourcetemps},
        {25, "X_Coordinate", &gar_fluidnodecoordsx},
        {26, "Y_Coordinate", &gar_fluidnodecoordsy},
        {27, "Z_Coordinate", &gar_fluidnodecoordsz},
        {28, "Vapour_Quality", &gar_fluidnodevapourqualities},
        {30, "Cross-sectional_Flow_Area", &gar_fluidnodeflowareas},
        {31, "Nodal_Volume", &gar_fluidnodevolumes},
        {32, "Relative_Humidity", &gar_fluidnoderelhumidities},
        {33, "Mass_Source_Specific_Humidity", &gar_fluidnodemasssourcespechumidities},
        {34, "Node_Compliance", &gar_fluidnodecompliances},
        {35, "Partial_Derivative_@V/@t", &gar_fluidnodevolumechangerates},
    };
    for (const RealAttr& r : reals)
      if (flag(r.code)) at.realnames.emplace_back(r.name), at.realsrc.push_back(r.values->view().data());
  }
  auto& ureal = fluid ? gar_fluidnodeuserentityvalsreal : gar_thermalnodeuserentityvalsreal;
  for (int j = 1; j <= nreal; ++j)
    if (flag(41 + j)) at.realnames.push_back(username(j, 1)), at.realsrc.push_back(column(ureal, j));

  at.stringnames.emplace_back("Type");
  at.stringsrc.push_back(fluid ? text_source(gar_fluidnodestatuses) : text_source(gar_thermalnodestatuses));
  if (flag(1)) {
    at.stringnames.emplace_back("Label");
    at.stringsrc.push_back(fluid ? text_source(gar_fluidnodelabels) : text_source(gar_thermalnodelabels));
  }
  if (fluid) {
    if (flag(24))
      at.stringnames.emplace_back("Fluid_Type"), at.stringsrc.push_back(text_source(gar_fluidnodefluidtypes));
    if (flag(29))
      at.stringnames.emplace_back("Flow_Regime"), at.stringsrc.push_back(text_source(gar_fluidnodeflowregimes));
    if (flag(36))
      at.stringnames.emplace_back("Fluid_State_Descriptor"),
          at.stringsrc.push_back(text_source(gar_fluidnodestatedescriptors));
  }
  auto& uchar = fluid ? gar_fluidnodeuserentityvalschar : gar_thermalnodeuserentityvalschar;
  for (int j = 1; j <= nchar; ++j) {
    if (!flag(41 + nreal + nint + j)) continue;
    const plat::Text<24>* col = column(uchar, j);
    at.stringnames.push_back(username(j, 3));
    at.stringsrc.push_back({col ? col->data() : nullptr, 24, 24});
  }
  auto& uint = fluid ? gar_fluidnodeuserentityvalsint : gar_thermalnodeuserentityvalsint;
  for (int j = 1; j <= nint; ++j)
    if (flag(41 + nreal + j)) at.integernames.push_back(username(j, 2)), at.integersrc.push_back(column(uint, j));
  return at;
}

// Appends one slice along the time dimension of `ds`: the hyperslab
// [t][0..][0..] of shape [1][n] (rank 2) or [1][n][a] (rank 3), or one value
// (rank 1).
void appendslice(hid_t ds, hid_t memtype, int rank, hsize_t n, hsize_t a, const void* buf, int& err) {
  if (err != 0 || ds < 0) return;
  hsize_t dims[3] = {0, 0, 0};
  hid_t space = H5Dget_space(ds);
  if (!okid(space, err)) return;
  const int r = H5Sget_simple_extent_ndims(space);
  if (r != rank || !ok(H5Sget_simple_extent_dims(space, dims, nullptr), err)) {
    if (r != rank) ok(-1, err);
    H5Sclose(space);
    return;
  }
  H5Sclose(space);
  if ((rank >= 2 && dims[1] != n) || (rank == 3 && dims[2] != a)) {
    ok(-1, err);  // the slice does not match the data set
    return;
  }
  dims[0] += 1;
  if (!ok(H5Dset_extent(ds, dims), err)) return;
  space = H5Dget_space(ds);
  if (!okid(space, err)) return;
  const hsize_t start[3] = {dims[0] - 1, 0, 0};
  const hsize_t count[3] = {1, n, a};
  if (ok(H5Sselect_hyperslab(space, H5S_SELECT_SET, start, nullptr, count, nullptr), err)) {
    const hid_t mem = H5Screate_simple(rank, count, nullptr);
    if (okid(mem, err)) {
      ok(H5Dwrite(ds, memtype, mem, space, H5P_DEFAULT, buf), err);
      H5Sclose(mem);
    }
  }
  H5Sclose(space);
}

void realdata3dwrite(hid_t ds, int n, int a, const double* buf, int& err) {
  appendslice(ds, H5T_NATIVE_DOUBLE, 3, static_cast<hsize_t>(n), static_cast<hsize_t>(a), buf, err);
}
void integerdata3dwrite(hid_t ds, int n, int a, const std::int32_t* buf, int& err) {
  appendslice(ds, H5T_NATIVE_INT32, 3, static_cast<hsize_t>(n), static_cast<hsize_t>(a), buf, err);
}
void stringdata3dwrite(hid_t ds, int n, int a, const char* buf, int& err) {
  if (err != 0) return;
  const hid_t type = string_type(kCellLen);
  if (!okid(type, err)) return;
  appendslice(ds, type, 3, static_cast<hsize_t>(n), static_cast<hsize_t>(a), buf, err);
  H5Tclose(type);
}
void conductordatawrite(hid_t ds, int count, const std::vector<double>& buf, int& err) {
  if (count < 1) return;
  appendslice(ds, H5T_NATIVE_DOUBLE, 3, static_cast<hsize_t>(count), 2, buf.data(), err);
}
void integerdata2dwrite(hid_t ds, int n, const std::int32_t* buf, int& err) {
  appendslice(ds, H5T_NATIVE_INT32, 2, static_cast<hsize_t>(n), 1, buf, err);
}
void controlconstantsrealdatawrite(hid_t ds, const double* buf, int& err) {
  appendslice(ds, H5T_NATIVE_DOUBLE, 2, gcc_num_real, 1, buf, err);
}
void controlconstantschardatawrite(hid_t ds, const plat::Text<132>* buf, int& err) {
  if (err != 0) return;
  const hid_t type = string_type(kTextLen);
  if (!okid(type, err)) return;
  appendslice(ds, type, 2, gcc_num_char, 1, buf, err);
  H5Tclose(type);
}

// Rows of one node kind of the current selection: entries first..first+n-1.
void gather_real(const NodeAttributes& at, int first, int n, int offset, std::vector<double>& buf) {
  const std::size_t a = at.realsrc.size();
  buf.assign(static_cast<std::size_t>(n) * a, 0.0);
  for (int k = 0; k < n; ++k) {
    const int idx = tmv::selectednodes(first + k) - offset;
    for (std::size_t c = 0; c < a; ++c)
      if (at.realsrc[c]) buf[static_cast<std::size_t>(k) * a + c] = at.realsrc[c][idx - 1];
  }
}
void gather_string(const NodeAttributes& at, int first, int n, int offset, std::vector<char>& buf) {
  const std::size_t a = at.stringsrc.size();
  buf.assign(static_cast<std::size_t>(n) * a * kCellLen, ' ');
  for (int k = 0; k < n; ++k) {
    const int idx = tmv::selectednodes(first + k) - offset;
    for (std::size_t c = 0; c < a; ++c) {
      const TextSource& s = at.stringsrc[c];
      if (s.base)
        std::memcpy(buf.data() + (static_cast<std::size_t>(k) * a + c) * kCellLen,
                    s.base + static_cast<std::size_t>(idx - 1) * s.stride, std::min(s.len, kCellLen));
    }
  }
}
void gather_integer(const NodeAttributes& at, int first, int n, int offset, std::vector<std::int32_t>& buf) {
  const std::size_t a = at.integersrc.size();
  buf.assign(static_cast<std::size_t>(n) * a, 0);
  for (int k = 0; k < n; ++k) {
    const int idx = tmv::selectednodes(first + k) - offset;
    for (std::size_t c = 0; c < a; ++c)
      if (at.integersrc[c]) buf[static_cast<std::size_t>(k) * a + c] = at.integersrc[c][idx - 1];
  }
}

void fluidnodesrealdatawrite(hid_t ds, const NodeAttributes& at, int first, int n, int offset, int& err) {
  static std::vector<double> buf;
  gather_real(at, first, n, offset, buf);
  realdata3dwrite(ds, n, static_cast<int>(at.realsrc.size()), buf.data(), err);
}

// Writes the real attribute names of fluid nodes; count := their number.
void fluidnodesrealattributescreate(hid_t loc, const NodeAttributes& at, int& count, int& err) {
  count = static_cast<int>(at.realnames.size());
  if (count >= 1) nameswrite(loc, "fluidNodesRealAttributes", at.realnames, kNameLen, err);
}

// Writes the integer attribute names of a node kind; count := their number.
void integerattributescreate(hid_t loc, const char* name, const NodeAttributes& at, int& count, int& err) {
  count = static_cast<int>(at.integernames.size());
  if (count >= 1) nameswrite(loc, name, at.integernames, kNameLen, err);
}

// Writes one conductor or link table ([C][4] INT32) from its working table.
void conductorscreate(hid_t loc, const char* name, const std::vector<std::int32_t>& table, int count, int& err) {
  if (count < 1 || err != 0) return;
  const hsize_t dims[2] = {static_cast<hsize_t>(count), 4}, chunk[2] = {std::min(dims[0], kChunkRows), 4};
  staticwrite(loc, name, H5T_STD_I32LE, H5T_NATIVE_INT32, 2, dims, chunk, table.data(), err);
}

// Creates the data set of one conductor kind ([0][C][2] F64).
void conductordatacreate(hid_t loc, const char* name, int count, hid_t& id, int& err) {
  id = -1;
  if (count < 1 || err != 0) return;
  const hsize_t c = static_cast<hsize_t>(count);
  const hsize_t dims[3] = {0, c, 2}, maxdims[3] = {H5S_UNLIMITED, c, 2},
                chunk[3] = {kChunkTimes, std::min(c, kChunkRows), 2};
  hsrdatasetcreate(loc, name, H5T_IEEE_F64LE, 3, dims, maxdims, chunk, id, err);
}

// Node tables, names and data sets of one node kind.
void nodescreate(TmdSlot& s, bool fluid, int& err) {
  const int nth = tmv::numberofthermalnodes;
  const hid_t g = s.analysisset1id, d = s.datagroup1id;
  int first = 1, n = 0;
  for (int i = 1; i <= tmv::numselectednodes; ++i) {
    const bool thermal = tmv::selectednodes(i) <= nth;
    if (thermal == !fluid) {
      if (n == 0) first = i;
      ++n;
    }
  }
  if (fluid) {
    s.numselectedfluidnodes = n;
  } else {
    s.numselectedthermalnodes = n;
  }
  if (n < 1 || err != 0) return;
  std::vector<std::int32_t> rows(2 * static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    const int node = tmv::selectednodes(first + k);
    rows[2 * k] = fluid ? gar_fluidnodenums(node - nth) : gar_thermalnodenums(node);
    rows[2 * k + 1] = NDSSMD(node);
  }
  const hsize_t dims[2] = {static_cast<hsize_t>(n), 2}, chunk[2] = {std::min(dims[0], kChunkRows), 2};
  staticwrite(g, fluid ? "fluidNodes" : "thermalNodes", H5T_STD_I32LE, H5T_NATIVE_INT32, 2, dims, chunk, rows.data(),
              err);

  const NodeAttributes at = node_attributes(fluid);
  int& ar = fluid ? s.numrealfluidattributes : s.numrealthermalattributes;
  int& as = fluid ? s.numstringfluidattributes : s.numstringthermalattributes;
  int& ai = fluid ? s.numintegerfluidattributes : s.numintegerthermalattributes;
  if (fluid) {
    fluidnodesrealattributescreate(g, at, ar, err);
  } else {
    ar = static_cast<int>(at.realnames.size());
    if (ar >= 1) nameswrite(g, "thermalNodesRealAttributes", at.realnames, kNameLen, err);
  }
  datacreate(d, fluid ? "fluidNodesRealData" : "thermalNodesRealData", H5T_IEEE_F64LE, n, ar, false,
             fluid ? s.fluidnodesrealdatasetid : s.thermalnodesrealdatasetid, err);
  as = static_cast<int>(at.stringnames.size());
  nameswrite(g, fluid ? "fluidNodesStringAttributes" : "thermalNodesStringAttributes", at.stringnames, kNameLen,
             err);
  if (err == 0) {
    const hid_t s24 = string_type(kCellLen);
    if (okid(s24, err)) {
      datacreate(d, fluid ? "fluidNodesStringData" : "thermalNodesStringData", s24, n, as, false,
                 fluid ? s.fluidnodesstringdatasetid : s.thermalnodesstringdatasetid, err);
      H5Tclose(s24);
    }
  }
  if (tmv::numuserintegerattributes >= 1) {
    integerattributescreate(g, fluid ? "fluidNodesIntegerAttributes" : "thermalNodesIntegerAttributes", at, ai, err);
    datacreate(d, fluid ? "fluidNodesIntegerData" : "thermalNodesIntegerData", H5T_STD_I32LE, n, ai, false,
               fluid ? s.fluidnodesintegerdatasetid : s.thermalnodesintegerdatasetid, err);
  }
}

// Names and owning models of the selected user constants of one kind
// (1 real, 2 integer, 3 character), in model order.
void userconstantnames(int kind, std::vector<plat::Text<18>>& names, std::vector<std::int32_t>& models) {
  names.clear();
  models.clear();
  const int first = tmv::tmv_selectedsubmodelfirstid, last = tmv::tmv_selectedsubmodellastid;
  if (first < 1 || last + 1 > gar_modeldirectory.cols()) return;
  for (int m = first; m <= last; ++m) {
    int lo = 0, hi = 0;
    switch (kind) {
      case 1: lo = md_realnamebase(m), hi = md_intnamebase(m); break;
      case 2: lo = md_intnamebase(m), hi = md_charnamebase(m); break;
      default: lo = md_charnamebase(m), hi = md_realnamebase(m + 1); break;
    }
    for (int i = lo + 1; i <= hi && i <= gar_userconstnames.size(); ++i) {
      names.push_back(gar_userconstnames(i));
      models.push_back(m);
    }
  }
}

void constantscreate(TmdSlot& s, int& err) {
  const hid_t g = s.analysisset1id, d = s.datagroup1id;
  s.numuserreal = tmv::tmv_numselecteduserconstantsreal;
  s.numuserint = tmv::tmv_numselecteduserconstantsint;
  s.numuserchar = tmv::tmv_numselecteduserconstantschar;
  const char* tables[3] = {"userConstantsReal", "userConstantsInteger", "userConstantsString"};
  const char* data[3] = {"userConstantsRealData", "userConstantsIntegerData", "userConstantsStringData"};
  const int counts[3] = {s.numuserreal, s.numuserint, s.numuserchar};
  hid_t* ids[3] = {&s.muserconstantsrealdatasetid, &s.muserconstantsintdatasetid, &s.muserconstantschardatasetid};
  std::vector<plat::Text<18>> names;
  std::vector<std::int32_t> models;
  for (int k = 0; k < 3 && err == 0; ++k) {
    if (counts[k] < 1) continue;
    userconstantnames(k + 1, names, models);
    if (static_cast<int>(names.size()) != counts[k]) {
      ok(-1, err);  // the model directory does not add up
      return;
    }
    hsr_compounddatasetstringintcreate(g, tables[k], names, models, err);
    if (k == 2) {
      const hid_t s132 = string_type(kTextLen);
      if (!okid(s132, err)) return;
      datacreate(d, data[k], s132, counts[k], 1, true, *ids[k], err);
      H5Tclose(s132);
    } else {
      datacreate(d, data[k], k == 0 ? H5T_IEEE_F64LE : H5T_STD_I32LE, counts[k], 1, true, *ids[k], err);
    }
  }
  auto names_of = [](const auto& table) {
    std::vector<std::string> v;
    for (const auto& t : table) v.push_back(t.str());
    return v;
  };
  nameswrite(g, "controlConstantsReal", names_of(gcc_ctrl_const_names_real), 6, err);
  datacreate(d, "controlConstantsRealData", H5T_IEEE_F64LE, gcc_num_real, 1, true, s.mcontrolconstantsrealdatasetid,
             err);
  nameswrite(g, "controlConstantsInteger", names_of(gcc_ctrl_const_names_int), 6, err);
  datacreate(d, "controlConstantsIntegerData", H5T_STD_I32LE, gcc_num_int, 1, true, s.mcontrolconstantsintdatasetid,
             err);
  nameswrite(g, "controlConstantsString", names_of(gcc_ctrl_const_names_char), 6, err);
  if (err == 0) {
    const hid_t s132 = string_type(kTextLen);
    if (!okid(s132, err)) return;
    datacreate(d, "controlConstantsStringData", s132, gcc_num_char, 1, true, s.mcontrolconstantschardatasetid, err);
    H5Tclose(s132);
  }
}

TmdSlot* current_slot(int& err) {
  const int k = tmv::fileindex;
  if (k < 1 || k > tmd_numslots || slots[static_cast<std::size_t>(k)].fileid < 0) {
    ok(-1, err);
    return nullptr;
  }
  return &slots[static_cast<std::size_t>(k)];
}

// Node slices of one kind; the selection must still give the file's rows
// and attributes.
void nodeslices(const TmdSlot& s, bool fluid, int& err) {
  const int nth = tmv::numberofthermalnodes;
  const int n = fluid ? s.numselectedfluidnodes : s.numselectedthermalnodes;
  if (n < 1 || err != 0) return;
  const int first = fluid ? s.numselectedthermalnodes + 1 : 1;
  const int offset = fluid ? nth : 0;
  const NodeAttributes at = node_attributes(fluid);
  const int ar = fluid ? s.numrealfluidattributes : s.numrealthermalattributes;
  const int as = fluid ? s.numstringfluidattributes : s.numstringthermalattributes;
  const int ai = fluid ? s.numintegerfluidattributes : s.numintegerthermalattributes;
  if (static_cast<int>(at.realsrc.size()) != ar || static_cast<int>(at.stringsrc.size()) != as ||
      (tmv::numuserintegerattributes >= 1 && static_cast<int>(at.integersrc.size()) != ai)) {
    ok(-1, err);
    return;
  }
  const hid_t rid = fluid ? s.fluidnodesrealdatasetid : s.thermalnodesrealdatasetid;
  if (rid >= 0) {
    if (fluid) {
      fluidnodesrealdatawrite(rid, at, first, n, offset, err);
    } else {
      static std::vector<double> buf;
      gather_real(at, first, n, offset, buf);
      realdata3dwrite(rid, n, ar, buf.data(), err);
    }
  }
  const hid_t sid = fluid ? s.fluidnodesstringdatasetid : s.thermalnodesstringdatasetid;
  if (sid >= 0 && err == 0) {
    static std::vector<char> buf;
    gather_string(at, first, n, offset, buf);
    stringdata3dwrite(sid, n, as, buf.data(), err);
  }
  const hid_t iid = fluid ? s.fluidnodesintegerdatasetid : s.thermalnodesintegerdatasetid;
  if (tmv::numuserintegerattributes >= 1 && iid >= 0 && err == 0) {
    static std::vector<std::int32_t> buf;
    gather_integer(at, first, n, offset, buf);
    integerdata3dwrite(iid, n, ai, buf.data(), err);
  }
}

double activity(const plat::Text<1>& letter) { return letter == "A" ? 1.0 : -2.0; }

void conductorslices(const TmdSlot& s, int& err) {
  if (err != 0) return;
  static std::vector<std::int32_t> refs;
  static std::vector<TmdConductorRow> rows;
  tmd_setupnodeids(s.numselectedthermalnodes, refs);
  tmd_walkconductors(refs, rows);
  datagl.assign(2 * static_cast<std::size_t>(s.countgl), 0.0);
  datagr.assign(2 * static_cast<std::size_t>(s.countgr), 0.0);
  datagf.assign(2 * static_cast<std::size_t>(s.countgf), 0.0);
  datagv.assign(2 * static_cast<std::size_t>(s.countgv), 0.0);
  datam.assign(2 * static_cast<std::size_t>(s.countm_gp), 0.0);
  datagp.assign(2 * static_cast<std::size_t>(s.countm_gp), 0.0);
  std::size_t kgl = 0, kgr = 0, kgf = 0, klink = 0;
  bool fits = true;
  auto put = [&](std::vector<double>& buf, std::size_t& k, double value, double act) {
    if (2 * k + 2 > buf.size()) {
      fits = false;
      return;
    }
    buf[2 * k] = value;
    buf[2 * k + 1] = act;
    ++k;
  };
  for (const TmdConductorRow& r : rows) {
    const int z = r.index < 0 ? -r.index : r.index;
    switch (r.kind) {
      case tmd_kind_gl: put(datagl, kgl, gar_linearconds(z), activity(gar_linearcondacts(z))); break;
      case tmd_kind_gr: put(datagr, kgr, gar_radiativeconds(z), activity(gar_radiativecondacts(z))); break;
      case tmd_kind_gf:
        put(datagf, kgf, r.index < 0 ? -gar_fluidicconds(z) : gar_fluidicconds(z), activity(gar_fluidiccondacts(z)));
        break;
      case tmd_kind_link: {
        const double act = activity(gar_massflowlinkstatuses(z));
        std::size_t k = klink;
        put(datam, k, gar_massflowlinkflowrates(z), act);
        put(datagp, klink, gar_massflowlinkfittinglosses(z), act);
        break;
      }
      default: plat::consistency_stop("Invalid type in GetConductorData");
    }
  }
  // Every kind with a data set must gather exactly the file's rows.
  auto matches = [&](hid_t id, std::size_t found, int count) {
    return id < 0 || found == static_cast<std::size_t>(count);
  };
  if (!fits || !matches(s.gl_datasetid, kgl, s.countgl) || !matches(s.gr_datasetid, kgr, s.countgr) ||
      !matches(s.gf_datasetid, kgf, s.countgf) || !matches(s.m_datasetid, klink, s.countm_gp) ||
      !matches(s.gp_datasetid, klink, s.countm_gp)) {
    ok(-1, err);
    return;
  }
  if (s.gl_datasetid >= 0) conductordatawrite(s.gl_datasetid, s.countgl, datagl, err);
  if (s.gr_datasetid >= 0) conductordatawrite(s.gr_datasetid, s.countgr, datagr, err);
  if (s.gf_datasetid >= 0) conductordatawrite(s.gf_datasetid, s.countgf, datagf, err);
  if (s.gv_datasetid >= 0) conductordatawrite(s.gv_datasetid, s.countgv, datagv, err);
  if (s.m_datasetid >= 0) conductordatawrite(s.m_datasetid, s.countm_gp, datam, err);
  if (s.gp_datasetid >= 0) conductordatawrite(s.gp_datasetid, s.countm_gp, datagp, err);
  std::vector<double>().swap(datagl);
  std::vector<double>().swap(datagr);
  std::vector<double>().swap(datagf);
  std::vector<double>().swap(datagv);
  std::vector<double>().swap(datam);
  std::vector<double>().swap(datagp);
}

void constantslices(const TmdSlot& s, int& err) {
  if (err != 0) return;
  const int first = tmv::tmv_selectedsubmodelfirstid, last = tmv::tmv_selectedsubmodellastid;
  if (tmv::tmv_numselecteduserconstantsreal != s.numuserreal ||
      tmv::tmv_numselecteduserconstantsint != s.numuserint ||
      tmv::tmv_numselecteduserconstantschar != s.numuserchar) {
    ok(-1, err);
    return;
  }
  if (s.muserconstantsrealdatasetid >= 0) {
    const int base = md_realuserconstbase(first);
    if (base < 0 || base + s.numuserreal > gar_userconstvaluesreal.size()) return void(ok(-1, err));
    appendslice(s.muserconstantsrealdatasetid, H5T_NATIVE_DOUBLE, 2, static_cast<hsize_t>(s.numuserreal), 1,
                gar_userconstvaluesreal.view().data() + base, err);
  }
  if (s.muserconstantsintdatasetid >= 0 && err == 0) {
    const int base = md_intuserconstbase(first);
    if (base < 0 || base + s.numuserint > gar_userconstvaluesint.size()) return void(ok(-1, err));
    integerdata2dwrite(s.muserconstantsintdatasetid, s.numuserint, gar_userconstvaluesint.view().data() + base, err);
  }
  if (s.muserconstantschardatasetid >= 0 && err == 0) {
    std::vector<plat::Text<132>> texts;
    texts.reserve(static_cast<std::size_t>(s.numuserchar));
    const int nelem = static_cast<int>(gar_userconstvalueschar.size());
    for (int m = first; m <= last; ++m) {
      for (int i = 1; i <= md_charuserconstbase(m + 1) - md_charuserconstbase(m); ++i) {
        plat::Text<132> cell;
        const int c = md_charuserconstbase(m) + i;
        if (c >= 1 && c <= gar_userconstpointerschar.size()) {
          int len = 0, status = 0;
          DBFZPK(gar_userconstvalueschar.view(), nelem, kPoolElementLength * nelem,
                 kPoolElementLength * md_charelementbase(m) + gar_userconstpointerschar(c), len, cell.ref(), status);
        }
        texts.push_back(cell);
      }
    }
    if (static_cast<int>(texts.size()) != s.numuserchar) return void(ok(-1, err));
    const hid_t type = string_type(kTextLen);
    if (!okid(type, err)) return;
    appendslice(s.muserconstantschardatasetid, type, 2, static_cast<hsize_t>(s.numuserchar), 1, texts.data(), err);
    H5Tclose(type);
  }
  if (err != 0) return;
  double reals[gcc_num_real];
  std::int32_t ints[gcc_num_int];
  plat::Text<132> chars[gcc_num_char];
  gcc_getvaluesreal(plat::Vec1<double>(reals, gcc_num_real));
  gcc_getvaluesint(plat::Vec1<std::int32_t>(ints, gcc_num_int));
  gcc_getvalueschar(plat::Vec1<plat::Text<132>>(chars, gcc_num_char));
  if (s.mcontrolconstantsrealdatasetid >= 0)
    controlconstantsrealdatawrite(s.mcontrolconstantsrealdatasetid, reals, err);
  if (s.mcontrolconstantsintdatasetid >= 0)
    integerdata2dwrite(s.mcontrolconstantsintdatasetid, gcc_num_int, ints, err);
  if (s.mcontrolconstantschardatasetid >= 0)
    controlconstantschardatawrite(s.mcontrolconstantschardatasetid, chars, err);
}

// Copies the attributes of `from` to `to` (the root group's: the groups and
// data sets below it carry theirs along when they are copied).
herr_t copy_attribute(hid_t from, const char* name, const H5A_info_t*, void* to) {
  const hid_t a = H5Aopen(from, name, H5P_DEFAULT);
  if (a < 0) return -1;
  const hid_t type = H5Aget_type(a), space = H5Aget_space(a);
  herr_t status = -1;
  if (type >= 0 && space >= 0) {
    std::vector<char> buf(static_cast<std::size_t>(H5Sget_simple_extent_npoints(space)) * H5Tget_size(type));
    const hid_t b = H5Acreate2(*static_cast<hid_t*>(to), name, type, space, H5P_DEFAULT, H5P_DEFAULT);
    if (b >= 0) {
      if (H5Aread(a, type, buf.data()) >= 0 && H5Awrite(b, type, buf.data()) >= 0) status = 0;
      if (H5Aclose(b) < 0) status = -1;
    }
  }
  if (space >= 0) H5Sclose(space);
  if (type >= 0) H5Tclose(type);
  H5Aclose(a);
  return status;
}

// Copies one object below the root (with everything under it) to `to`.
herr_t copy_object(hid_t from, const char* name, const H5L_info_t*, void* to) {
  return H5Ocopy(from, name, *static_cast<hid_t*>(to), name, H5P_DEFAULT, H5P_DEFAULT);
}

// Gives the closed file `name` back the space that the earlier versions of
// its chunks hold: its objects are copied into a new file NAME.tmp (chunks
// are copied as they are stored, neither inflated nor deflated again, in the
// same latest format), which then replaces it by a rename. Until the rename
// the written file is untouched, so a kill during the copy loses nothing
// (NAME.tmp, an incomplete copy, is then left beside it; the next
// compaction of that name overwrites it). A copy that fails is removed and
// the file stays as written, whole but larger: that is no failure of the
// file, and the library's error report is kept quiet for it.
void compact_closed_file(const std::string& name) {
  const std::string tmp = name + ".tmp";
  const QuietHdf5Errors quiet;
  const hid_t from = H5Fopen(name.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
  if (from < 0) return;
  bool made = false, copied = false;
  const hid_t fapl = H5Pcreate(H5P_FILE_ACCESS);
  if (fapl >= 0 && H5Pset_libver_bounds(fapl, H5F_LIBVER_LATEST, H5F_LIBVER_LATEST) >= 0) {
    hid_t to = H5Fcreate(tmp.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, fapl);
    made = to >= 0;
    if (made) {
      hsize_t at = 0;
      copied = H5Aiterate2(from, H5_INDEX_NAME, H5_ITER_INC, &at, copy_attribute, &to) >= 0 &&
               H5Literate(from, H5_INDEX_NAME, H5_ITER_INC, nullptr, copy_object, &to) >= 0;
      if (H5Fclose(to) < 0) copied = false;
    }
  }
  if (fapl >= 0) H5Pclose(fapl);
  if (H5Fclose(from) < 0) copied = false;
  if (made && (!copied || std::rename(tmp.c_str(), name.c_str()) != 0)) std::remove(tmp.c_str());
}

void close_slot(TmdSlot& s, int& hdferr) {
  for (hid_t* id : {&s.timesdatasetid, &s.thermalnodesrealdatasetid, &s.thermalnodesstringdatasetid,
                    &s.thermalnodesintegerdatasetid, &s.fluidnodesrealdatasetid, &s.fluidnodesstringdatasetid,
                    &s.fluidnodesintegerdatasetid, &s.gl_datasetid, &s.gr_datasetid, &s.gf_datasetid,
                    &s.gv_datasetid, &s.m_datasetid, &s.gp_datasetid, &s.muserconstantsrealdatasetid,
                    &s.muserconstantsintdatasetid, &s.muserconstantschardatasetid, &s.mcontrolconstantsrealdatasetid,
                    &s.mcontrolconstantsintdatasetid, &s.mcontrolconstantschardatasetid})
    close_id(*id, H5Dclose);
  close_id(s.datagroup1id, H5Gclose);
  close_id(s.analysisset1id, H5Gclose);
  const herr_t status = H5Fclose(s.fileid);
  hdferr = status < 0 ? static_cast<int>(status) : 0;
  if (status >= 0 && s.swmr) compact_closed_file(s.name);
  s = TmdSlot{};
}

}  // namespace

void tmdcreatefile(std::string_view filename, int fileindex, int& hdferr) {
  hdferr = 0;
  if (fileindex < 1 || fileindex > tmd_numslots) {
    hdferr = -1;
    return;
  }
  TmdSlot& s = slots[static_cast<std::size_t>(fileindex)];
  if (s.fileid >= 0) {
    int ignored = 0;
    close_slot(s, ignored);
  }
  s = TmdSlot{};
  if (!ok(H5open(), hdferr)) return;

  const hid_t fapl = H5Pcreate(H5P_FILE_ACCESS);
  if (!okid(fapl, hdferr)) return;
  int mdc_nelmts = 0;
  size_t rdcc_nslots = 0, rdcc_nbytes = 0;
  double rdcc_w0 = 0.0;
  if (ok(H5Pget_cache(fapl, &mdc_nelmts, &rdcc_nslots, &rdcc_nbytes, &rdcc_w0), hdferr) &&
      ok(H5Pset_cache(fapl, mdc_nelmts, rdcc_nslots, 134217728, 1.0), hdferr) &&
      ok(H5Pset_libver_bounds(fapl, H5F_LIBVER_LATEST, H5F_LIBVER_LATEST), hdferr)) {
    const std::string name(plat::trimmed(filename));
    const hid_t fcpl = H5Pcreate(H5P_FILE_CREATE);
    if (okid(fcpl, hdferr) && ok(H5Pset_file_space_strategy(fcpl, H5F_FSPACE_STRATEGY_PAGE, 0, 1), hdferr) &&
        ok(H5Pset_file_space_page_size(fcpl, kFilePage), hdferr)) {
      const hid_t f = H5Fcreate(name.c_str(), H5F_ACC_TRUNC, fcpl, fapl);
      if (okid(f, hdferr)) {
        s.fileid = f;
        s.name = name;
      }
    }
    if (fcpl >= 0) H5Pclose(fcpl);
  }
  H5Pclose(fapl);
  if (hdferr != 0) return;

  const hid_t g = H5Gcreate2(s.fileid, "AnalysisSet1", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
  if (!okid(g, hdferr)) return;
  s.analysisset1id = g;
  const hid_t scalar = H5Screate(H5S_SCALAR);
  if (!okid(scalar, hdferr)) return;
  realattributecreate(g, scalar, "PAbs", gcc_getpabs(), hdferr);
  realattributecreate(g, scalar, "StefanBoltzmann", gcc_getstefan(), hdferr);
  realattributecreate(g, scalar, "TAbs", gcc_gettabs(), hdferr);
  H5Sclose(scalar);
  if (hdferr != 0) return;
  const hid_t d = H5Gcreate2(g, "DataGroup1", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
  if (okid(d, hdferr)) s.datagroup1id = d;
}

void tmdcreatedatasets(int& hdferr) {
  hdferr = 0;
  TmdSlot* sp = current_slot(hdferr);
  if (!sp) return;
  TmdSlot& s = *sp;
  const hid_t root = s.fileid, g = s.analysisset1id, d = s.datagroup1id;

  hsrstringattributecreate(root, "Description", tmv::thejobname.view(), 24, hdferr);
  hsrstringattributecreate(root, "FileVersion", "01.00", 5, hdferr);
  hsrstringattributecreate(g, "Description", tmv::thejobname.view(), 24, hdferr);
  hsrstringattributecreate(g, "Date", tmv::thejobdate.view(), 17, hdferr);
  hsrstringattributecreate(d, "Description", tmv::description.view(), 100, hdferr);
  hsrstringattributecreate(d, "NORVEK_version", "2020", 20, hdferr);
  hsrstringattributecreate(d, "Time", tmv::thejobtime.view(), 8, hdferr);

  modelscreate(g, tmv::numberofsubmodels, hdferr);

  if (hdferr == 0) {
    const hsize_t dims = 0, maxdims = H5S_UNLIMITED, chunk = kChunkTimes;
    hsrdatasetcreate(d, "times", H5T_IEEE_F64LE, 1, &dims, &maxdims, &chunk, s.timesdatasetid, hdferr);
  }

  if (tmv::wantnodesflag != 0) {
    if (tmv::numberofthermalnodes >= 1) nodescreate(s, false, hdferr);
    if (tmv::numberoffluidnodes >= 1) nodescreate(s, true, hdferr);
  }

  if (tmv::wantconductorsflag != 0 && hdferr == 0) {
    getconductorinfo(s.numselectedthermalnodes, info, s.countgl, s.countgr, s.countgf, s.countgv, s.countm_gp);
    const int* f = tmv::conductortypeflags;
    struct Kind {
      int flag;
      const char* table;
      const char* data;
      std::vector<std::int32_t>* rows;
      int count;
      hid_t* id;
    };
    const Kind kinds[4] = {
        {f[0], "conductorsGL", "conductorDataGL", &info.infogl, s.countgl, &s.gl_datasetid},
        {f[1], "conductorsGR", "conductorDataGR", &info.infogr, s.countgr, &s.gr_datasetid},
        {f[2], "conductorsGF", "conductorDataGF", &info.infogf, s.countgf, &s.gf_datasetid},
        {f[3], "conductorsGV", "conductorDataGV", &info.infogv, s.countgv, &s.gv_datasetid},
    };
    for (const Kind& k : kinds) {
      if (k.flag == 0 || k.count < 1 || hdferr != 0) continue;
      conductorscreate(g, k.table, *k.rows, k.count, hdferr);
      std::vector<std::int32_t>().swap(*k.rows);
      conductordatacreate(d, k.data, k.count, *k.id, hdferr);
    }
    if ((f[4] != 0 || f[5] != 0) && s.countm_gp >= 1 && hdferr == 0) {
      conductorscreate(g, "conductorsM_GP", info.infom_gp, s.countm_gp, hdferr);
      std::vector<std::int32_t>().swap(info.infom_gp);
      if (f[4] != 0) conductordatacreate(d, "conductorDataM", s.countm_gp, s.m_datasetid, hdferr);
      if (f[5] != 0) conductordatacreate(d, "conductorDataGP", s.countm_gp, s.gp_datasetid, hdferr);
    }
    info = TmdConductorTables{};
  }

  if (tmv::wantconstantsflag != 0 && hdferr == 0) constantscreate(s, hdferr);

  // Every object exists: from here on the file only grows by slices, which
  // the single-writer mode appends so that the file is whole at every write.
  if (hdferr == 0 && ok(H5Fstart_swmr_write(s.fileid), hdferr)) s.swmr = true;
}

void tmdwritedata(int& hdferr) {
  hdferr = 0;
  TmdSlot* sp = current_slot(hdferr);
  if (!sp) return;
  TmdSlot& s = *sp;

  if (s.timesdatasetid >= 0) {
    const double t = tmv::currenttime;
    appendslice(s.timesdatasetid, H5T_NATIVE_DOUBLE, 1, 1, 1, &t, hdferr);
  }
  if (tmv::wantnodesflag != 0 && hdferr == 0 && (s.numselectedthermalnodes >= 1 || s.numselectedfluidnodes >= 1)) {
    // The selection must still split into the file's thermal and fluid rows.
    int nts = 0;
    while (nts < tmv::numselectednodes && tmv::selectednodes(nts + 1) <= tmv::numberofthermalnodes) ++nts;
    if (nts != s.numselectedthermalnodes || tmv::numselectednodes - nts != s.numselectedfluidnodes) {
      ok(-1, hdferr);
    } else {
      nodeslices(s, false, hdferr);
      nodeslices(s, true, hdferr);
    }
  }
  if (tmv::wantconductorsflag != 0) conductorslices(s, hdferr);
  if (tmv::wantconstantsflag != 0) constantslices(s, hdferr);

  const herr_t status = H5Fflush(s.fileid, H5F_SCOPE_LOCAL);
  if (hdferr == 0 && status < 0) hdferr = static_cast<int>(status);
}

void tmdclosefile(int fileindex, int& hdferr) {
  if (fileindex < 1 || fileindex > tmd_numslots) return;
  TmdSlot& s = slots[static_cast<std::size_t>(fileindex)];
  if (s.fileid < 0) return;
  close_slot(s, hdferr);
}

bool tmd_slotopen(int fileindex) {
  return fileindex >= 1 && fileindex <= tmd_numslots && slots[static_cast<std::size_t>(fileindex)].fileid >= 0;
}

void tmd_closeall() {
  for (int k = 1; k <= tmd_numslots; ++k) {
    int ignored = 0;
    if (tmd_slotopen(k) && H5Iis_valid(slots[static_cast<std::size_t>(k)].fileid) > 0) tmdclosefile(k, ignored);
  }
}

void tmd_file_reset_for_tests() {
  for (TmdSlot& s : slots) {
    if (s.fileid >= 0 && H5Iis_valid(s.fileid) > 0) {
      int ignored = 0;
      close_slot(s, ignored);
    }
    s = TmdSlot{};
  }
}

namespace {
void reset_tmd_file() {
  tmd_file_reset_for_tests();
  info = TmdConductorTables{};
  for (auto* v : {&datagl, &datagr, &datagf, &datagv, &datam, &datagp}) std::vector<double>().swap(*v);
}
}  // namespace
TNA_PROCESS_STATE("output/tmd_file", reset_tmd_file)

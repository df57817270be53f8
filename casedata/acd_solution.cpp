// The analysis-case solution manager: the model tree built from the ".acd"
// file at set-up, the static heat loads, the time-dependent update run at
// every VARIABLES1 pass, and the close-down.
//
// Every HDF5 result is checked. What the file lacks or holds in the wrong
// shape is reported as a fatal diagnostic naming the object and the file:
//   "Cannot open ACD group@@Group: <path><NL>ACD file: <file>@"            code 4
//   "Cannot read ACD attribute@@Attribute: <name><NL>Object: <path><NL>ACD file: <file>@"  code 3
//   "Cannot read ACD dataset@@Dataset: <path><NL>ACD file: <file>@"        code 1
//   "Invalid ACD data@@<what><NL>Object: <path><NL>ACD file: <file>@"      code 5
// each with the name of the reading routine, so that no read ever goes
// beyond what a dataset holds and no count sizes a buffer it cannot fill.
#include "casedata/acd_solution.h"
#include "platform/process_state.h"

#include <hdf5.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/quiet_hdf5_errors.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kMaxName = 500;
constexpr std::size_t kPathLength = 2475;  // relative submodel paths of the node pairs
constexpr std::size_t kNameLength = 24;    // submodel names
constexpr std::size_t kMessageName = 100;  // object names in messages

// The four flux kinds in update order, then the conductors.
enum Kind { kAlbedo = 0, kPlanet = 1, kRemainder = 2, kSolar = 3, kRadCond = 4 };
constexpr const char* kFluxGroup[4] = {"AlbedoFluxes", "PlanetFluxes", "RemainderFluxes", "SolarFluxes"};

using Slices = std::array<std::vector<double>, 2>;

struct AcdModel {
  plat::Text<24> groupName;
  int numNodes = 0;
  int numAlbedoFluxes = 0, numPlanetFluxes = 0, numRemainderFluxes = 0, numSolarFluxes = 0;
  int numRadiativeConductors = 0;
  int analysisCaseType = -1;
  int numberOfTimes = 0;
  int numberOfArcs = 0;
  int numberOfWavebands = 0;
  std::vector<double> tabulatedTimes;   // t(1..n) at [0..n-1]
  std::vector<double> orbitalArcTimes;  // 4 x numberOfArcs, column per arc
  std::vector<double> wavebandLimits;   // lambda(1..w+1)
  double period = 0.0;
  int loadedTimeIndex = -1;
  std::array<hid_t, 4> staticDatasets{-1, -1, -1, -1};
  std::array<hid_t, 5> valuesDatasets{-1, -1, -1, -1, -1};
  // Global thermal indices; 0 marks an entry that names no thermal node of
  // the submodel (skipped, after a warning).
  std::vector<int> nodeListMap;
  std::vector<int> albedoNodeMap, planetNodeMap, remainderNodeMap, solarNodeMap;
  std::vector<int> radCondIndex, radCondNodeI, radCondNodeJ;
  Slices albedoSlices, planetSlices, remainderSlices, solarSlices;
  Slices radCondSlices;            // types 2 and 3
  Slices radCondWaveSlices;        // type 4: w x Ng, waveband fastest
  std::vector<double> waveValues;  // type 4: g(1..w) of one conductor
  std::unique_ptr<AcdModel> firstChild;
  std::unique_ptr<AcdModel> nextSibling;

  int& fluxCount(int kind) {
    switch (kind) {
      case kAlbedo: return numAlbedoFluxes;
      case kPlanet: return numPlanetFluxes;
      case kRemainder: return numRemainderFluxes;
      default: return numSolarFluxes;
    }
  }
  std::vector<int>& fluxNodeMap(int kind) {
    switch (kind) {
      case kAlbedo: return albedoNodeMap;
      case kPlanet: return planetNodeMap;
      case kRemainder: return remainderNodeMap;
      default: return solarNodeMap;
    }
  }
  Slices& slices(int kind) {
    switch (kind) {
      case kAlbedo: return albedoSlices;
      case kPlanet: return planetSlices;
      case kRemainder: return remainderSlices;
      case kSolar: return solarSlices;
      default: return analysisCaseType == 4 ? radCondWaveSlices : radCondSlices;
    }
  }
  // Entries of one row of the kind's "Values" dataset (0 when not read).
  std::size_t rowLength(int kind) {
    if (kind != kRadCond) return static_cast<std::size_t>(fluxCount(kind));
    const auto ng = static_cast<std::size_t>(numRadiativeConductors);
    return analysisCaseType == 4 ? ng * static_cast<std::size_t>(numberOfWavebands) : ng;
  }
};

// Module state.
std::string mfilename;
hid_t mfileid = -1;
std::unique_ptr<AcdModel> mmainmodel;
std::int64_t g_rowreads = 0;
// The (model, user node number) pairs of the file that name no node of
// their model and were reported, so that each is reported once.
std::set<std::pair<int, int>> g_unknown_nodes;

// Heat-source array of a flux kind.
plat::Array1<double>& heat_sources(int kind) {
  switch (kind) {
    case kAlbedo: return gar_thermalnodeheatsourcesalbedo;
    case kPlanet: return gar_thermalnodeheatsourcesplanet;
    case kRemainder: return gar_thermalnodeheatsourcesother;
    default: return gar_thermalnodeheatsourcessolar;
  }
}

// ---------------------------------------------------------------------------
// HDF5 access with the manager's diagnostics.
// ---------------------------------------------------------------------------

// An identifier closed when it goes out of scope (also when a fatal end
// unwinds in a test; after the library was closed the id is no longer valid
// and is left alone).
class Id {
 public:
  Id(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
  Id(const Id&) = delete;
  Id& operator=(const Id&) = delete;
  ~Id() {
    if (id_ >= 0 && H5Iis_valid(id_) > 0) close_(id_);
  }
  hid_t get() const { return id_; }
  hid_t release() { return std::exchange(id_, -1); }

 private:
  hid_t id_;
  herr_t (*close_)(hid_t);
};

std::string cut(std::string s, std::size_t n) {
  if (s.size() > n) s.resize(n);
  return s;
}

// Full name of object `rel` below `loc` (of `loc` itself when rel is empty).
std::string object_name(hid_t loc, std::string_view rel = {}) {
  char buf[1024] = {};
  std::string base;
  if (loc >= 0 && H5Iget_name(loc, buf, sizeof buf) > 0) base = buf;
  if (rel.empty()) return cut(base.empty() ? "/" : base, kMessageName);
  if (base.empty() || base == "/") return cut("/" + std::string(rel), kMessageName);
  return cut(base + "/" + std::string(rel), kMessageName);
}

[[noreturn]] void fatal(const std::string& message, int code, std::string_view routine) {
  SETERX(message, 4, code, routine);
  fatal_end();
}

[[noreturn]] void group_error(hid_t loc, std::string_view rel) {
  fatal("Cannot open ACD group@@Group: " + object_name(loc, rel) + "<NL>ACD file: " + mfilename + "@", 4,
        "(acds)OpenGroup");
}

[[noreturn]] void attribute_error(hid_t loc, std::string_view object, std::string_view name) {
  fatal("Cannot read ACD attribute@@Attribute: " + std::string(name) + "<NL>Object: " + object_name(loc, object) +
            "<NL>ACD file: " + mfilename + "@",
        3, "(acds)ReadAttribute");
}

[[noreturn]] void dataset_error(const std::string& name, std::string_view routine) {
  fatal("Cannot read ACD dataset@@Dataset: " + name + "<NL>ACD file: " + mfilename + "@", 1, routine);
}

[[noreturn]] void data_error(const std::string& what, const std::string& object, std::string_view routine) {
  fatal("Invalid ACD data@@" + what + "<NL>Object: " + object + "<NL>ACD file: " + mfilename + "@", 5, routine);
}

// Whether every link along `path` (names joined by "/") exists below loc.
bool path_exists(hid_t loc, std::string_view path) {
  std::size_t pos = 0;
  while (pos <= path.size()) {
    const std::size_t slash = path.find('/', pos);
    const std::string prefix(path.substr(0, slash));
    if (H5Lexists(loc, prefix.c_str(), H5P_DEFAULT) <= 0) return false;
    if (slash == std::string_view::npos) return true;
    pos = slash + 1;
  }
  return true;
}

hid_t open_group(hid_t loc, std::string_view path) {
  const std::string p(path);
  hid_t g = path_exists(loc, p) ? H5Gopen2(loc, p.c_str(), H5P_DEFAULT) : -1;
  if (g < 0) group_error(loc, path);
  return g;
}

hid_t open_dataset(hid_t loc, std::string_view path, std::string_view routine) {
  const std::string p(path);
  hid_t d = path_exists(loc, p) ? H5Dopen2(loc, p.c_str(), H5P_DEFAULT) : -1;
  if (d < 0) dataset_error(object_name(loc, path), routine);
  return d;
}

// A scalar attribute (one element) of object `object` below loc, read with
// conversion to the memory type.
template <class T>
T read_attribute(hid_t loc, std::string_view object, const char* name, hid_t memtype) {
  const std::string obj(object);
  if (!path_exists(loc, obj)) attribute_error(loc, object, name);
  if (H5Aexists_by_name(loc, obj.c_str(), name, H5P_DEFAULT) <= 0) attribute_error(loc, object, name);
  Id attr(H5Aopen_by_name(loc, obj.c_str(), name, H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
  if (attr.get() < 0) attribute_error(loc, object, name);
  Id space(H5Aget_space(attr.get()), H5Sclose);
  T value{};
  if (space.get() < 0 || H5Sget_simple_extent_npoints(space.get()) != 1 ||
      H5Aread(attr.get(), memtype, &value) < 0) {
    attribute_error(loc, object, name);
  }
  return value;
}

int int_attribute(hid_t loc, std::string_view object, const char* name) {
  return read_attribute<int>(loc, object, name, H5T_NATIVE_INT);
}

// A count attribute: 0 or more.
int count_attribute(hid_t loc, std::string_view object, const char* name) {
  const int v = int_attribute(loc, object, name);
  if (v < 0) {
    data_error("Attribute " + std::string(name) + " = " + std::to_string(v) + " is below 0",
               object_name(loc, object), "(acds)SetupModelTree");
  }
  return v;
}

// Extents of a dataset's simple dataspace; empty when it has none.
std::vector<hsize_t> extents(hid_t ds) {
  Id space(H5Dget_space(ds), H5Sclose);
  if (space.get() < 0) return {};
  const int rank = H5Sget_simple_extent_ndims(space.get());
  if (rank < 1 || rank > 8) return {};
  std::vector<hsize_t> dims(static_cast<std::size_t>(rank));
  if (H5Sget_simple_extent_dims(space.get(), dims.data(), nullptr) < 0) return {};
  return dims;
}

// Reads into out the block start..start+count-1 of dataset ds (rank =
// start.size()), memory a dense block of the same shape. False when the
// dataset has another rank, is too small or the read fails.
bool read_block(hid_t ds, const std::vector<hsize_t>& start, const std::vector<hsize_t>& count, hid_t memtype,
                void* out) {
  const std::vector<hsize_t> dims = extents(ds);
  if (dims.size() != start.size()) return false;
  for (std::size_t i = 0; i < dims.size(); ++i) {
    if (start[i] + count[i] > dims[i]) return false;
  }
  Id fspace(H5Dget_space(ds), H5Sclose);
  Id mspace(H5Screate_simple(static_cast<int>(count.size()), count.data(), nullptr), H5Sclose);
  if (fspace.get() < 0 || mspace.get() < 0) return false;
  if (H5Sselect_hyperslab(fspace.get(), H5S_SELECT_SET, start.data(), nullptr, count.data(), nullptr) < 0) {
    return false;
  }
  return H5Dread(ds, memtype, mspace.get(), fspace.get(), H5P_DEFAULT, out) >= 0;
}

// Whether ds is one-dimensional with at least n records. Checked before the
// memory for n records is taken: a count attribute of a damaged file may
// claim far more records than the dataset holds.
bool holds_prefix(hid_t ds, std::int64_t n) {
  const std::vector<hsize_t> dims = extents(ds);
  return dims.size() == 1 && dims[0] >= static_cast<hsize_t>(n);
}

// The first n values of a 1-D dataset (nothing is read for n < 1).
template <class T>
void read_prefix(hid_t ds, std::int64_t n, hid_t memtype, std::vector<T>& out, std::string_view routine) {
  out.clear();
  if (n < 1) return;
  if (!holds_prefix(ds, n)) dataset_error(object_name(ds), routine);
  out.assign(static_cast<std::size_t>(n), T{});
  if (!read_block(ds, {0}, {static_cast<hsize_t>(n)}, memtype, out.data())) dataset_error(object_name(ds), routine);
}

template <class T>
std::vector<T> read_prefix_at(hid_t loc, std::string_view path, std::int64_t n, hid_t memtype,
                              std::string_view routine) {
  std::vector<T> out;
  if (n < 1) return out;
  Id ds(open_dataset(loc, path, routine), H5Dclose);
  read_prefix(ds.get(), n, memtype, out, routine);
  return out;
}

// Member `member` of the first n records of compound dataset ds, through a
// memory compound type holding only that member at offset 0.
bool has_member(hid_t ds, const char* member) {
  Id type(H5Dget_type(ds), H5Tclose);
  return type.get() >= 0 && H5Tget_class(type.get()) == H5T_COMPOUND && H5Tget_member_index(type.get(), member) >= 0;
}

template <class T>
std::vector<T> read_member(hid_t ds, int n, const char* member, hid_t membertype, std::string_view routine) {
  std::vector<T> out;
  if (n < 1) return out;
  if (!has_member(ds, member) || !holds_prefix(ds, n)) dataset_error(object_name(ds) + "." + member, routine);
  out.resize(static_cast<std::size_t>(n));
  Id mt(H5Tcreate(H5T_COMPOUND, sizeof(T)), H5Tclose);
  if (mt.get() < 0 || H5Tinsert(mt.get(), member, 0, membertype) < 0 ||
      !read_block(ds, {0}, {static_cast<hsize_t>(n)}, mt.get(), out.data())) {
    dataset_error(object_name(ds) + "." + member, routine);
  }
  return out;
}

// A fixed-length text member of the first n records, blank-padded, read in
// blocks so that long texts do not need one large buffer; each text is
// handed to `take(record index, text)`.
template <class F>
void read_text_member(hid_t ds, int n, const char* member, std::size_t len, F take, std::string_view routine) {
  if (n < 1) return;
  if (!has_member(ds, member)) dataset_error(object_name(ds) + "." + member, routine);
  Id st(H5Tcopy(H5T_C_S1), H5Tclose);
  Id mt(H5Tcreate(H5T_COMPOUND, len), H5Tclose);
  if (st.get() < 0 || mt.get() < 0 || H5Tset_size(st.get(), len) < 0 ||
      H5Tset_strpad(st.get(), H5T_STR_SPACEPAD) < 0 || H5Tinsert(mt.get(), member, 0, st.get()) < 0) {
    dataset_error(object_name(ds) + "." + member, routine);
  }
  constexpr int kBlock = 256;
  std::vector<char> buf(static_cast<std::size_t>(kBlock) * len);
  for (int first = 0; first < n; first += kBlock) {
    const int count = std::min(kBlock, n - first);
    // The whole prefix must be there, not only this block.
    const std::vector<hsize_t> dims = extents(ds);
    if (dims.size() != 1 || dims[0] < static_cast<hsize_t>(n) ||
        !read_block(ds, {static_cast<hsize_t>(first)}, {static_cast<hsize_t>(count)}, mt.get(), buf.data())) {
      dataset_error(object_name(ds) + "." + member, routine);
    }
    for (int i = 0; i < count; ++i) {
      std::string text(buf.data() + static_cast<std::size_t>(i) * len, len);
      std::replace(text.begin(), text.end(), '\0', ' ');
      take(first + i, text);
    }
  }
}

// ---------------------------------------------------------------------------
// Building the tree.
// ---------------------------------------------------------------------------

// The model that `text` (a submodel name or a path of names) names relative
// to model m; m itself for a blank text.
int getmodelreference(int m, std::string_view text) {
  const std::string_view name = plat::trimmed(text);
  if (name.empty()) return m;
  const std::string path = std::string(name) + ":";
  int pos = 1, model = 0, ierr = 0;
  const int end = static_cast<int>(path.size());
  LSMINT(gar_modeldirectory.flat(), md_numslots, FLAGS(26), 0, m, CTextVec1(gar_modelnames), path, end, pos, model,
         ierr);
  if (ierr != 0 || model < 1 || pos <= end) plat::consistency_stop("(acds)GetModelReference");
  return model;
}

// The global thermal index of user node `number` of model m, or 0 when the
// model has no such thermal node. A missing number gets INTNOD's warning at
// every look-up, and once per node a warning of the reader that names it,
// its submodel and the file, for its loads are dropped; a fluid node gets a
// warning of its own, for its loads have no place to go.
int thermal_node(int m, int number) {
  const int node = INTNOD(m, number);
  if (node == 0) {
    if (g_unknown_nodes.emplace(m, number).second) {
      std::string path(2500, ' ');
      int len = 0, ierr = 0;
      LSUBMD("ALL", m, len, plat::TextRef(path), ierr);
      path.resize(static_cast<std::size_t>(std::clamp(len, 0, 2500)));
      SETERX("ACD heat load on an unknown node ignored@Initialising ACD Solution Manager@Node " +
                 std::to_string(number) + " is not a node of submodel " + path + "<NL>ACD file: " + mfilename + "@",
             2, 7, "(acds)CreateNodeMap");
    }
    return 0;
  }
  if (node > FLAGS(1)) {
    std::string path = SUBMDN(node, "ALL");
    SETERX("ACD heat load on a fluid node ignored@Initialising ACD Solution Manager@Node " + std::to_string(number) +
               " of " + path + "@",
           2, 6, "(acds)CreateNodeMap");
    return 0;
  }
  return node > 0 && node <= gar_thermalnodeheatsourcesalbedo.size() ? node : 0;
}

void createnodemap(hid_t loc, std::string_view path, int count, int m, std::vector<int>& map) {
  map.clear();
  if (count < 1) return;
  const std::vector<int> numbers = read_prefix_at<int>(loc, path, count, H5T_NATIVE_INT, "(acds)CreateNodeMap");
  map.resize(numbers.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) map[i] = thermal_node(m, numbers[i]);
}

void createradiativeconductormaps(hid_t loc, AcdModel& r, int m) {
  const int ng = r.numRadiativeConductors;
  if (ng < 1) return;
  constexpr const char* kRoutine = "(acds)CreateRadiativeConductorMaps";
  Id ds(open_dataset(loc, "ModelData/TimeDependent/RadiativeConductors/NodePairs", kRoutine), H5Dclose);
  if (!holds_prefix(ds.get(), ng)) dataset_error(object_name(ds.get()), kRoutine);
  std::vector<int> model_i(static_cast<std::size_t>(ng)), model_j(static_cast<std::size_t>(ng));
  read_text_member(
      ds.get(), ng, "relativeSubmodelPathI", kPathLength,
      [&](int k, const std::string& t) { model_i[static_cast<std::size_t>(k)] = getmodelreference(m, t); },
      kRoutine);
  read_text_member(
      ds.get(), ng, "relativeSubmodelPathJ", kPathLength,
      [&](int k, const std::string& t) { model_j[static_cast<std::size_t>(k)] = getmodelreference(m, t); },
      kRoutine);
  const std::vector<int> num_i = read_member<int>(ds.get(), ng, "nodeNumberI", H5T_NATIVE_INT, kRoutine);
  const std::vector<int> num_j = read_member<int>(ds.get(), ng, "nodeNumberJ", H5T_NATIVE_INT, kRoutine);

  const int nt = FLAGS(1);
  const long long lo = md_radiativecondbase(m), hi = md_radiativecondbase(m + 1);
  r.radCondIndex.assign(static_cast<std::size_t>(ng), 0);
  r.radCondNodeI.assign(static_cast<std::size_t>(ng), 0);
  r.radCondNodeJ.assign(static_cast<std::size_t>(ng), 0);
  for (std::size_t k = 0; k < static_cast<std::size_t>(ng); ++k) {
    const int ni = INTNOD(model_i[k], num_i[k]);
    const int nj = INTNOD(model_j[k], num_j[k]);
    if (ni < 1 || ni > nt || nj < 1 || nj > nt || ni > gar_pcsptrsthermal.cols()) plat::consistency_stop(kRoutine);
    const long long start = gar_pcsptrsthermal(3, ni), length = gar_pcsptrsthermal(4, ni);
    int found = 0;
    for (long long e = 0; e < length && found == 0; ++e) {
      const long long w = start + 2 * e;
      if (w < 1 || w + 1 > gar_pcsthermal.size()) break;
      const long long c = std::llabs(static_cast<long long>(gar_pcsthermal(w + 1)));
      if (gar_pcsthermal(w) == nj && c > lo && c <= hi && c <= gar_radiativeconds.size())
        found = static_cast<int>(c);
    }
    if (found == 0) plat::consistency_stop(kRoutine);
    r.radCondIndex[k] = found;
    r.radCondNodeI[k] = ni;
    r.radCondNodeJ[k] = nj;
  }
}

// The mission of record r from group "Mission" of loc.
void setmissiondata(hid_t loc, AcdModel& r) {
  r.analysisCaseType = int_attribute(loc, "Mission", "analysisCaseType");
  if (r.analysisCaseType < 0 || r.analysisCaseType > 4) plat::consistency_stop("(acds)SetMissionData");
  const int type = r.analysisCaseType;
  if (type < 2) return;
  constexpr const char* kRoutine = "(acds)SetMissionData";
  const std::string mission = object_name(loc, "Mission");
  auto refuse = [&](const std::string& what) { data_error(what, mission, kRoutine); };

  r.numberOfTimes = int_attribute(loc, "Mission", "numberOfTimes");
  // Interpolation needs at least one tabulated time.
  if (r.numberOfTimes < 1) refuse("Attribute numberOfTimes = " + std::to_string(r.numberOfTimes) + " is below 1");
  r.tabulatedTimes =
      read_prefix_at<double>(loc, "Mission/Times", r.numberOfTimes, H5T_NATIVE_DOUBLE, "(acds)Load1DDatasetDble");
  for (std::size_t i = 1; i < r.tabulatedTimes.size(); ++i) {
    if (!(r.tabulatedTimes[i] >= r.tabulatedTimes[i - 1])) refuse("Dataset Times is not in ascending order");
  }
  for (double t : r.tabulatedTimes) {
    if (!std::isfinite(t)) refuse("Dataset Times holds a value that is not finite");
  }
  if (type == 3) {
    r.numberOfArcs = int_attribute(loc, "Mission", "numberOfArcs");
    if (r.numberOfArcs < 1) refuse("Attribute numberOfArcs = " + std::to_string(r.numberOfArcs) + " is below 1");
    Id ds(open_dataset(loc, "Mission/OrbitalArcTimes", kRoutine), H5Dclose);
    const char* members[4] = {"start", "startFirst", "endFirst", "endAll"};
    for (std::size_t row = 0; row < 4; ++row) {
      const std::vector<double> v =
          read_member<double>(ds.get(), r.numberOfArcs, members[row], H5T_NATIVE_DOUBLE, kRoutine);
      if (row == 0) r.orbitalArcTimes.assign(4 * v.size(), 0.0);
      for (std::size_t k = 0; k < v.size(); ++k) r.orbitalArcTimes[4 * k + row] = v[k];
    }
  } else if (type == 4) {
    r.numberOfWavebands = int_attribute(loc, "Mission", "numberOfWavebands");
    if (r.numberOfWavebands < 0) {
      refuse("Attribute numberOfWavebands = " + std::to_string(r.numberOfWavebands) + " is below 0");
    }
    r.wavebandLimits = read_prefix_at<double>(loc, "Mission/Wavebands", r.numberOfWavebands + 1LL, H5T_NATIVE_DOUBLE,
                                              "(acds)Load1DDatasetDble");
    r.waveValues.assign(static_cast<std::size_t>(r.numberOfWavebands), 0.0);
  } else {
    r.period = read_attribute<double>(loc, "Mission", "period", H5T_NATIVE_DOUBLE);
    // The wrap into the first period divides by it.
    if (!(r.period > 0.0) || !std::isfinite(r.period)) refuse("Attribute period is not above 0");
  }
}

void setupmodeltree(hid_t loc, int m, AcdModel& r);

// Appends a record per member of loc's "Submodels" group, in name order.
void setupchildren(hid_t loc, int m, AcdModel& r) {
  Id subs(open_group(loc, "Submodels"), H5Gclose);
  H5G_info_t info;
  if (H5Gget_info(subs.get(), &info) < 0) group_error(loc, "Submodels");
  std::unique_ptr<AcdModel>* tail = &r.firstChild;
  for (hsize_t i = 0; i < info.nlinks; ++i) {
    const ssize_t len = H5Lget_name_by_idx(subs.get(), ".", H5_INDEX_NAME, H5_ITER_INC, i, nullptr, 0, H5P_DEFAULT);
    if (len < 0) group_error(loc, "Submodels");
    std::string name(static_cast<std::size_t>(len) + 1, '\0');
    H5Lget_name_by_idx(subs.get(), ".", H5_INDEX_NAME, H5_ITER_INC, i, name.data(), name.size(), H5P_DEFAULT);
    name.resize(static_cast<std::size_t>(len));
    hid_t g = H5Gopen2(subs.get(), name.c_str(), H5P_DEFAULT);
    if (g < 0) group_error(subs.get(), name);
    Id child_group(g, H5Gclose);
    const std::string_view name24 = std::string_view(name).substr(0, kNameLength);
    *tail = std::make_unique<AcdModel>();
    AcdModel& child = **tail;
    tail = &child.nextSibling;
    child.groupName = name24;
    setupmodeltree(child_group.get(), getmodelreference(m, name24), child);
  }
}

void setupmodeltree(hid_t loc, int m, AcdModel& r) {
  setmissiondata(loc, r);
  const int type = r.analysisCaseType;
  if (type >= 1) {
    r.numNodes = count_attribute(loc, "ModelData/NodeList", "count");
    for (int kind = kAlbedo; kind <= kSolar; ++kind) {
      r.fluxCount(kind) = count_attribute(loc, std::string("ModelData/TimeDependent/") + kFluxGroup[kind], "count");
    }
    r.numRadiativeConductors = count_attribute(loc, "ModelData/TimeDependent/RadiativeConductors", "count");
    createnodemap(loc, "ModelData/NodeList", r.numNodes, m, r.nodeListMap);
    if (r.numNodes >= 1) {
      for (int kind = kAlbedo; kind <= kSolar; ++kind) {
        r.staticDatasets[static_cast<std::size_t>(kind)] =
            open_dataset(loc, std::string("ModelData/Static/") + kFluxGroup[kind], "(acds)OpenDataset");
      }
    }
  }
  if (type >= 2) {
    for (int kind = kAlbedo; kind <= kSolar; ++kind) {
      createnodemap(loc, std::string("ModelData/TimeDependent/") + kFluxGroup[kind] + "/Nodes", r.fluxCount(kind), m,
                    r.fluxNodeMap(kind));
    }
    createradiativeconductormaps(loc, r, m);
    for (int kind = kAlbedo; kind <= kRadCond; ++kind) {
      const int count = kind == kRadCond ? r.numRadiativeConductors : r.fluxCount(kind);
      if (count < 1) continue;
      const std::string group = kind == kRadCond ? "RadiativeConductors" : kFluxGroup[kind];
      r.valuesDatasets[static_cast<std::size_t>(kind)] =
          open_dataset(loc, "ModelData/TimeDependent/" + group + "/Values", "(acds)OpenDataset");
    }
    for (int kind = kAlbedo; kind <= kRadCond; ++kind) {
      for (auto& s : r.slices(kind)) s.assign(r.rowLength(kind), 0.0);
    }
  }
  setupchildren(loc, m, r);
}

// ---------------------------------------------------------------------------
// Destruction, static load, time-dependent update.
// ---------------------------------------------------------------------------

void close_dataset(hid_t& id) {
  if (id >= 0 && H5Iis_valid(id) > 0) H5Dclose(id);
  id = -1;
}

void destroymodeltree(std::unique_ptr<AcdModel> r) {
  std::unique_ptr<AcdModel> child = std::move(r->firstChild);
  while (child) {
    std::unique_ptr<AcdModel> next = std::move(child->nextSibling);
    destroymodeltree(std::move(child));
    child = std::move(next);
  }
  for (hid_t& id : r->staticDatasets) close_dataset(id);
  for (hid_t& id : r->valuesDatasets) close_dataset(id);
}

void staticloadtree(AcdModel& r) {
  if (r.numNodes >= 1) {
    std::vector<double> values;
    for (int kind = kAlbedo; kind <= kSolar; ++kind) {
      read_prefix(r.staticDatasets[static_cast<std::size_t>(kind)], r.numNodes, H5T_NATIVE_DOUBLE, values,
                  "(acds)Load1DDatasetDble");
      plat::Array1<double>& q = heat_sources(kind);
      for (std::size_t i = 0; i < values.size(); ++i) {
        if (r.nodeListMap[i] > 0) q(r.nodeListMap[i]) = values[i];
      }
    }
  }
  for (AcdModel* c = r.firstChild.get(); c; c = c->nextSibling.get()) staticloadtree(*c);
}

// Time index k and fraction f of TIMEM on the record's time axis.
void gettimeinterpparams(const AcdModel& r, double timem, int& k, double& f) {
  const std::vector<double>& t = r.tabulatedTimes;
  const int n = r.numberOfTimes;
  double tau = timem;
  if (r.analysisCaseType == 2) {
    const double p = r.period;
    if (timem < t[0]) tau = t[0] + p - std::fmod(t[0] - timem, p);
    else if (timem > t[0] + p) tau = t[0] + std::fmod(timem - t[0], p);
  } else if (r.analysisCaseType == 3) {
    TIMIN1(plat::Mat2<const double>(r.orbitalArcTimes.data(), 4, r.numberOfArcs), r.numberOfArcs, n,
           plat::Vec1<const double>(t.data(), n), timem, tau);
  }
  if (n == 1 || tau <= t[0]) {
    k = 1;
    f = 0.0;
  } else if (tau > t[static_cast<std::size_t>(n - 1)]) {
    k = n - 1;
    f = 1.0;
  } else {
    // The first i >= 2 with t(i) >= tau; t(1) < tau, so i - 1 brackets it.
    const auto it = std::lower_bound(t.begin() + 1, t.begin() + n, tau);
    const int i = static_cast<int>(it - t.begin()) + 1;
    k = i - 1;
    f = (tau - t[static_cast<std::size_t>(k - 1)]) /
        (t[static_cast<std::size_t>(k)] - t[static_cast<std::size_t>(k - 1)]);
  }
}

// Row `row` of a kind's "Values" dataset into out.
void readrow(AcdModel& r, int kind, int row, std::vector<double>& out) {
  const hid_t ds = r.valuesDatasets[static_cast<std::size_t>(kind)];
  const auto hrow = static_cast<hsize_t>(row);
  ++g_rowreads;
  if (kind == kRadCond && r.analysisCaseType == 4) {
    const auto ng = static_cast<hsize_t>(r.numRadiativeConductors), w = static_cast<hsize_t>(r.numberOfWavebands);
    if (ng < 1 || w < 1) return;
    if (!read_block(ds, {hrow, 0, 0}, {1, ng, w}, H5T_NATIVE_DOUBLE, out.data())) {
      dataset_error(object_name(ds), "(acds)Load3DTdDatasetRowDble");
    }
    return;
  }
  const auto m = static_cast<hsize_t>(out.size());
  if (m < 1) return;
  if (!read_block(ds, {hrow, 0}, {1, m}, H5T_NATIVE_DOUBLE, out.data())) {
    dataset_error(object_name(ds), "(acds)Load2DDatasetRowDble");
  }
}

void loadtimeslices(AcdModel& r, int k) {
  if (k == r.loadedTimeIndex) return;
  const bool single = r.numberOfTimes == 1;
  const int previous = r.loadedTimeIndex;
  for (int kind = kAlbedo; kind <= kRadCond; ++kind) {
    const int count = kind == kRadCond ? r.numRadiativeConductors : r.fluxCount(kind);
    if (count < 1) continue;
    Slices& s = r.slices(kind);
    if (previous >= 1 && k == previous + 1) {
      std::swap(s[0], s[1]);
      readrow(r, kind, single ? 0 : k, s[1]);
    } else if (previous >= 1 && k == previous - 1) {
      std::swap(s[0], s[1]);
      readrow(r, kind, k - 1, s[0]);
    } else {
      readrow(r, kind, single ? 0 : k - 1, s[0]);
      readrow(r, kind, single ? 0 : k, s[1]);
    }
  }
  r.loadedTimeIndex = k;
}

void updateheatloads(AcdModel& r, double f) {
  for (int kind = kAlbedo; kind <= kSolar; ++kind) {
    const std::vector<int>& map = r.fluxNodeMap(kind);
    if (map.empty()) continue;
    const Slices& s = r.slices(kind);
    plat::Array1<double>& q = heat_sources(kind);
    for (std::size_t i = 0; i < map.size(); ++i) {
      if (map[i] > 0) q(map[i]) = s[0][i] + (s[1][i] - s[0][i]) * f;
    }
  }
}

void updateradcondstimedep(AcdModel& r, double f) {
  const Slices& s = r.radCondSlices;
  for (std::size_t i = 0; i < r.radCondIndex.size(); ++i) {
    gar_radiativeconds(r.radCondIndex[i]) = s[0][i] + (s[1][i] - s[0][i]) * f;
  }
}

void updateradcondstimedepwavedep(AcdModel& r, double f) {
  const Slices& s = r.radCondWaveSlices;
  const auto w = static_cast<std::size_t>(r.numberOfWavebands);
  const double tabs = gcc_gettabs();
  const plat::Vec1<const double> lambda(r.wavebandLimits.data(), static_cast<std::int64_t>(w) + 1);
  const plat::Vec1<const double> g(r.waveValues.data(), static_cast<std::int64_t>(w));
  for (std::size_t i = 0; i < r.radCondIndex.size(); ++i) {
    const std::size_t base = i * w;
    for (std::size_t b = 0; b < w; ++b) {
      const double s1 = s[0][base + b];
      r.waveValues[b] = r.numberOfTimes == 1 ? s1 : s1 + (s[1][base + b] - s1) * f;
    }
    const double ti = gar_thermalnodetemps(r.radCondNodeI[i]) + tabs;
    const double tj = gar_thermalnodetemps(r.radCondNodeJ[i]) + tabs;
    gar_radiativeconds(r.radCondIndex[i]) = RADCONDPIECEWISEGREYBODY(ti, tj, static_cast<int>(w), lambda, g);
  }
}

void dynamicupdatetree(AcdModel& r, bool steady, double timem) {
  const int type = r.analysisCaseType;
  if (type >= 2 && !(steady && type != 4)) {
    int k = 1;
    double f = 0.0;
    gettimeinterpparams(r, timem, k, f);
    loadtimeslices(r, k);
    if (!steady) updateheatloads(r, f);
    if (type == 4) updateradcondstimedepwavedep(r, f);
    else updateradcondstimedep(r, f);
  }
  for (AcdModel* c = r.firstChild.get(); c; c = c->nextSibling.get()) dynamicupdatetree(*c, steady, timem);
}

}  // namespace

void acds_open(std::string_view name) {
  const QuietHdf5Errors quiet;
  acds_close();
  g_rowreads = 0;
  g_unknown_nodes.clear();
  std::string file(plat::trimmed(name));
  file += ".acd";
  if (file.size() > kMaxName) {
    std::string msg = "ACD file name too long@Initialising ACD Solution Manager@Maximum filename length: ";
    msg += "       500<NL>Supplied file name: ";
    msg += file.substr(0, kMaxName);
    msg += "...@";
    fatal(msg, 1, "(acds)OpenFile");
  }
  mfilename = file;
  mfileid = H5Fopen(file.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
  if (mfileid < 0) {
    mfileid = -1;
    fatal("Cannot open ACD file@Initialising ACD Solution Manager@ACD file name: " + file + "@", 2,
          "(acds)OpenFile");
  }
  mmainmodel = std::make_unique<AcdModel>();
  mmainmodel->groupName = name.substr(0, std::min(name.size(), kNameLength));
  setupmodeltree(mfileid, 1, *mmainmodel);
}

void acds_staticload() {
  if (!mmainmodel) return;
  const QuietHdf5Errors quiet;
  staticloadtree(*mmainmodel);
}

void acds_dynamicupdate() {
  if (!mmainmodel) return;
  const plat::Text<6> solver = gcc_getsolver();
  const bool steady = solver.view().substr(0, 2) == "SS";
  const QuietHdf5Errors quiet;
  dynamicupdatetree(*mmainmodel, steady, gcc_gettimem());
}

void ACDDYU() { acds_dynamicupdate(); }

void acds_close() {
  if (!mmainmodel && mfileid < 0) return;
  const QuietHdf5Errors quiet;
  if (mmainmodel) destroymodeltree(std::move(mmainmodel));
  mmainmodel.reset();
  if (mfileid >= 0 && H5Iis_valid(mfileid) > 0) H5Fclose(mfileid);
  mfileid = -1;
}

std::int64_t acds_rowreads_for_tests() { return g_rowreads; }

namespace {
void reset_acd_solution() {
  acds_close();
  mfilename.clear();
  g_rowreads = 0;
  g_unknown_nodes.clear();
}
}  // namespace
TNA_PROCESS_STATE("casedata/acd_solution", reset_acd_solution)

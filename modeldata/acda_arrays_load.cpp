// User arrays from the analysis-case data file (HDF5, group "ModelData/Arrays"
// of each model group): counting for the sizes, the walker over the
// submodel groups, reading a submodel's arrays with the index words of its
// tables, and their entry into the array information list.
#include "modeldata/acda_arrays_load.h"
#include "platform/process_state.h"

#include <hdf5.h>
#include <hdf5_hl.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/diagnostics.h"
#include "modeldata/quiet_hdf5_errors.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/units.h"

namespace {

constexpr std::size_t kNameField = 500;
// No single submodel may claim more values than this (the global arrays
// could not hold them anyway); larger claims are cut to it.
constexpr std::int64_t kMaxValues = 100000000;

struct AcdArrayModel {
  std::string submodel_name;
  int nesting_level = 0;
  hid_t group_id = -1;      // the file itself for the main model
  hid_t submodels_id = -1;  // its "Submodels" group once a child was entered
};

struct AcdArrayInfo {
  std::string array_name;  // 19 characters
  int array_type = 0;
  int size = 0;
  int index_word_count = 0;
  int number_of_dimensions = 0;
  int dimension1 = 0, dimension2 = 0, dimension3 = 0;
};

hid_t mfileid = -1;
std::string mfilename;
// The group stack: element 0 the main model, the back the current submodel.
std::vector<AcdArrayModel> mstack;
bool mcurrent_set = false;
std::vector<AcdArrayInfo> marrayinfolist;

bool link_exists(hid_t loc, const std::string& path) {
  if (loc < 0 || path.empty()) return false;
  return H5Lexists(loc, path.c_str(), H5P_DEFAULT) > 0;
}

// A scalar integer attribute of `object` below loc; 0 when it is missing or
// holds more than one value (which would not fit the one integer read).
int int_attribute(hid_t loc, const char* object, const char* name) {
  if (H5Aexists_by_name(loc, object, name, H5P_DEFAULT) <= 0) return 0;
  const hid_t attr = H5Aopen_by_name(loc, object, name, H5P_DEFAULT, H5P_DEFAULT);
  if (attr < 0) return 0;
  int v = 0;
  const hid_t space = H5Aget_space(attr);
  if (space < 0 || H5Sget_simple_extent_npoints(space) != 1 || H5Aread(attr, H5T_NATIVE_INT, &v) < 0) v = 0;
  if (space >= 0) H5Sclose(space);
  H5Aclose(attr);
  return v;
}

void close_group(hid_t& id) {
  if (id >= 0) H5Gclose(id);
  id = -1;
}

// n as ten right-aligned digits.
std::string right_aligned10(std::size_t n) {
  std::string s = std::to_string(n);
  if (s.size() < 10) s.insert(0, 10 - s.size(), ' ');
  return s;
}

// Releases the stack entries above index `keep` (their groups closed).
void pop_to(std::size_t keep) {
  while (mstack.size() > keep + 1) {
    auto& e = mstack.back();
    close_group(e.submodels_id);
    close_group(e.group_id);
    mstack.pop_back();
  }
}

// Counts the array values of a model group and, recursively, of every
// member of its "Submodels" group. Groups already visited (a file may link
// one group in several places) are not counted twice, so no link cycle can
// make the walk endless.
void count_group(hid_t g, std::int64_t& nint, std::int64_t& nreal, std::set<haddr_t>& seen) {
  H5O_info_t info;
  if (H5Oget_info(g, &info) < 0 || !seen.insert(info.addr).second) return;
  if (link_exists(g, "ModelData") && link_exists(g, "ModelData/Arrays")) {
    nreal += std::max(0, int_attribute(g, "ModelData/Arrays", "numberOfArrayValues"));
    nint += std::max(0, int_attribute(g, "ModelData/Arrays", "numberOfArrayIndexValues"));
  }
  if (!link_exists(g, "Submodels")) return;
  hid_t subs = H5Gopen2(g, "Submodels", H5P_DEFAULT);
  if (subs < 0) return;
  H5G_info_t ginfo;
  if (H5Gget_info(subs, &ginfo) >= 0) {
    for (hsize_t i = 0; i < ginfo.nlinks; ++i) {
      H5O_info_t oinfo;
      if (H5Oget_info_by_idx(subs, ".", H5_INDEX_NAME, H5_ITER_INC, i, &oinfo, H5P_DEFAULT) < 0) continue;
      if (oinfo.type != H5O_TYPE_GROUP) continue;
      char name[256] = {};
      if (H5Lget_name_by_idx(subs, ".", H5_INDEX_NAME, H5_ITER_INC, i, name, sizeof name, H5P_DEFAULT) < 0) continue;
      hid_t child = H5Gopen2(subs, name, H5P_DEFAULT);
      if (child < 0) continue;
      count_group(child, nint, nreal, seen);
      H5Gclose(child);
    }
  }
  H5Gclose(subs);
}

// Pushes the entry of submodel `name` under the current top of the stack.
void push_child(const std::string& name, int level) {
  AcdArrayModel& parent = mstack.back();
  if (parent.group_id >= 0 && parent.submodels_id < 0 && link_exists(parent.group_id, "Submodels")) {
    parent.submodels_id = H5Gopen2(parent.group_id, "Submodels", H5P_DEFAULT);
  }
  AcdArrayModel e;
  e.submodel_name = name;
  e.nesting_level = level;
  const std::string link(plat::trimmed(name));
  if (parent.submodels_id >= 0 && link.find('/') == std::string::npos && link_exists(parent.submodels_id, link)) {
    e.group_id = H5Gopen2(parent.submodels_id, link.c_str(), H5P_DEFAULT);
    if (e.group_id < 0) e.group_id = -1;
  }
  mstack.push_back(std::move(e));
}

// An HDF5 identifier closed when it goes out of scope (also when a fatal
// end unwinds in a test).
class Id {
 public:
  Id(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
  Id(const Id&) = delete;
  Id& operator=(const Id&) = delete;
  ~Id() {
    if (id_ >= 0 && H5Iis_valid(id_) > 0) close_(id_);
  }
  hid_t get() const { return id_; }

 private:
  hid_t id_;
  herr_t (*close_)(hid_t);
};

constexpr const char* kReader = "(acda)GetArrayData";

// Full name of object `rel` below `loc`, for messages.
std::string object_name(hid_t loc, const std::string& rel) {
  char buf[1024] = {};
  std::string base;
  if (loc >= 0 && H5Iget_name(loc, buf, sizeof buf) > 0) base = buf;
  std::string name = base.empty() || base == "/" ? "/" + rel : base + "/" + rel;
  if (name.size() > 100) name.resize(100);
  return name;
}

// The fatal end of the loader, worded as the analysis-case solution manager
// words what the file lacks or holds in the wrong shape.
[[noreturn]] void dataset_error(const std::string& name) {
  SETERX("Cannot read ACD dataset@@Dataset: " + name + "<NL>ACD file: " + mfilename + "@", 4, 1, kReader);
  fatal_end();
}

[[noreturn]] void array_error(const std::string& array, const std::string& what, const std::string& object) {
  SETERX("Invalid ACD data@@Array " + array + ": " + what + "<NL>Object: " + object + "<NL>ACD file: " + mfilename +
             "@",
         4, 5, kReader);
  fatal_end();
}

// Number of elements of a 1-D dataset; -1 when it has another shape.
std::int64_t extent_1d(hid_t ds) {
  Id fs(H5Dget_space(ds), H5Sclose);
  if (fs.get() < 0 || H5Sget_simple_extent_ndims(fs.get()) != 1) return -1;
  const hssize_t n = H5Sget_simple_extent_npoints(fs.get());
  return n < 0 ? -1 : static_cast<std::int64_t>(n);
}

// The first out.size() records of 1-D dataset ds, through memory type mt.
bool read_records(hid_t ds, hid_t mt, void* out, std::size_t n) {
  if (n == 0) return true;
  if (extent_1d(ds) < static_cast<std::int64_t>(n)) return false;
  Id fs(H5Dget_space(ds), H5Sclose);
  hsize_t start = 0, count = n;
  Id ms(H5Screate_simple(1, &count, nullptr), H5Sclose);
  if (fs.get() < 0 || ms.get() < 0 ||
      H5Sselect_hyperslab(fs.get(), H5S_SELECT_SET, &start, nullptr, &count, nullptr) < 0) {
    return false;
  }
  return H5Dread(ds, mt, ms.get(), fs.get(), H5P_DEFAULT, out) >= 0;
}

// Whether compound dataset ds has a member of that name.
bool has_member(hid_t ds, const char* member) {
  Id type(H5Dget_type(ds), H5Tclose);
  return type.get() >= 0 && H5Tget_class(type.get()) == H5T_COMPOUND && H5Tget_member_index(type.get(), member) >= 0;
}

// One member of the first n records of a compound dataset, through a memory
// type that holds only that member: integers as native int, a text member
// as a fixed string of `text_len` characters (blank-padded on return). A
// member that is missing, or a dataset shorter than n, ends the run.
void read_member(hid_t ds, const std::string& name, std::size_t n, const char* member, std::vector<int>* ints,
                 std::vector<std::string>* texts, std::size_t text_len) {
  if (n == 0) return;
  if (!has_member(ds, member)) dataset_error(name + "." + member);
  bool ok = false;
  if (ints) {
    Id mt(H5Tcreate(H5T_COMPOUND, sizeof(int)), H5Tclose);
    ok = mt.get() >= 0 && H5Tinsert(mt.get(), member, 0, H5T_NATIVE_INT) >= 0 &&
         read_records(ds, mt.get(), ints->data(), n);
  } else {
    Id st(H5Tcopy(H5T_C_S1), H5Tclose);
    Id mt(H5Tcreate(H5T_COMPOUND, text_len), H5Tclose);
    std::vector<char> buf(n * text_len, ' ');
    ok = st.get() >= 0 && mt.get() >= 0 && H5Tset_size(st.get(), text_len) >= 0 &&
         H5Tset_strpad(st.get(), H5T_STR_SPACEPAD) >= 0 && H5Tinsert(mt.get(), member, 0, st.get()) >= 0 &&
         read_records(ds, mt.get(), buf.data(), n);
    if (ok) {
      for (std::size_t i = 0; i < n; ++i) {
        std::string t(buf.data() + i * text_len, text_len);
        for (char& c : t) {
          if (c == '\0') c = ' ';
        }
        (*texts)[i] = t;
      }
    }
  }
  if (!ok) dataset_error(name + "." + member);
}

// Real values an array of the file needs: `size`, checked against what its
// type and dimensions describe. A table of type 4 needs its D1 x D2 (x D3)
// values and the values of each dimension; fewer would make its index
// words point past its own values. Empty when the record is consistent,
// else what is wrong.
std::string record_fault(const AcdArrayInfo& a) {
  if (a.size < 0) return "size " + std::to_string(a.size) + " is below 0";
  if (a.array_type != 4 || (a.number_of_dimensions != 2 && a.number_of_dimensions != 3)) return {};
  const int nd = a.number_of_dimensions;
  const std::int64_t d1 = a.dimension1, d2 = a.dimension2, d3 = nd == 3 ? a.dimension3 : 1;
  const std::string shape =
      std::to_string(d1) + " x " + std::to_string(d2) + (nd == 3 ? " x " + std::to_string(d3) : std::string());
  if (d1 < 1 || d2 < 1 || d3 < 1) return "table dimensions " + shape + " are not all positive";
  // d1 * d2 fits: each is below 2^31; past the size the product need not be
  // formed.
  std::int64_t cells = d1 * d2;
  if (cells <= a.size) cells *= d3;
  const std::int64_t need = cells + d1 + d2 + (nd == 3 ? d3 : 0);
  if (need > a.size) {
    return "a table of " + shape + " needs " + std::to_string(need) + " values, size is " + std::to_string(a.size);
  }
  return {};
}

// Appends the index words of a type-4 table, never more than `room` in all.
class IndexWords {
 public:
  IndexWords(std::vector<std::int32_t>& out, std::size_t room) : out_(out), room_(room) {}
  void put(std::int64_t w) {
    if (out_.size() < room_) out_.push_back(static_cast<std::int32_t>(w));
  }
  bool full() const { return out_.size() >= room_; }

 private:
  std::vector<std::int32_t>& out_;
  std::size_t room_;
};

void generate_index_words(AcdArrayInfo& a, IndexWords& w) {
  a.index_word_count = 0;
  if (a.array_type != 4) return;
  const std::int64_t d1 = a.dimension1, d2 = a.dimension2, d3 = a.dimension3;
  if (a.number_of_dimensions == 2) {
    a.index_word_count = static_cast<int>(3 * d1 + 6);
    for (std::int64_t v : {std::int64_t{2}, std::int64_t{1}, std::int64_t{2}, std::int64_t{2}, d1, d1 * d2 + 1}) {
      w.put(v);
    }
    for (std::int64_t i = 1; i <= d1 && !w.full(); ++i) {
      w.put(d2);
      w.put(d1 * d2 + d1 + 1);
      w.put(1 + (i - 1) * d2);
    }
  } else if (a.number_of_dimensions == 3) {
    const std::int64_t cube = d1 * d2 * d3;
    a.index_word_count = static_cast<int>(3 * d1 * (d2 + 1) + 7);
    for (std::int64_t v :
         {std::int64_t{3}, std::int64_t{1}, std::int64_t{2}, std::int64_t{3}, 2 * d1 + 3 * d1 * d2 + 2}) {
      w.put(v);
    }
    for (std::int64_t i = 1; i <= d1 && !w.full(); ++i) {
      w.put(d2);
      w.put(cube + d1 + 1);
      for (std::int64_t j = 1; j <= d2 && !w.full(); ++j) {
        w.put(d3);
        w.put(cube + d1 + d2 + 1);
        w.put(1 + (i - 1) * d2 * d3 + (j - 1) * d3);
      }
    }
    w.put(d1);
    w.put(cube + 1);
    for (std::int64_t i = 1; i <= d1 && !w.full(); ++i) w.put(2 + (i - 1) * (3 * d2 + 2));
  } else {
    plat::consistency_stop("(acda)GenerateIntegerArrayData");
  }
}

}  // namespace

void acda_open(std::string_view name, int length) {
  const QuietHdf5Errors quiet;
  acda_close();
  const std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(std::max(length, 0)));
  std::string file = std::string(plat::trimmed(name.substr(0, n))) + ".acd";
  if (file.size() > kNameField) {
    ERRNEW("ACD file name too long@Initialising ACD Arrays Load@Maximum filename length: " +
               right_aligned10(kNameField) + "<NL>Supplied file name: " + file.substr(0, kNameField) + "...@",
           1, 1, "(acda)OpenFile");
    file.resize(kNameField);
  }
  mfilename = file;
  // A missing file is told by asking for it: a failed open costs HDF5 its
  // error stack, many times the price of the question. (The question ignores
  // trailing blanks, so a name cut to end in one goes to HDF5 as it is.)
  bool exists = true;
  if (!file.empty() && file.back() != ' ') plat::io::inquire_exists(file, exists);
  mfileid = exists ? H5Fopen(file.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT) : -1;
  if (mfileid < 0) {
    mfileid = -1;
    ERRNEW("Cannot open ACD file@Initialising ACD Arrays Load@ACD file name: " + file + "@", 1, 2, "(acda)OpenFile");
  }
  AcdArrayModel main;
  main.submodel_name = std::string(plat::Text<24>(name.substr(0, n)).view());
  main.group_id = mfileid;
  mstack.assign(1, main);
  mcurrent_set = false;
}

void acda_getnumberofarrayvalues(int& nint, int& nreal) {
  nint = 0;
  nreal = 0;
  if (mfileid < 0) return;
  const QuietHdf5Errors quiet;
  std::int64_t ni = 0, nr = 0;
  std::set<haddr_t> seen;
  count_group(mfileid, ni, nr, seen);
  nint = static_cast<int>(std::min<std::int64_t>(ni, INT32_MAX));
  nreal = static_cast<int>(std::min<std::int64_t>(nr, INT32_MAX));
}

void acda_movenextsubmodel(std::string_view name, int level, int length) {
  if (mstack.empty()) return;
  const QuietHdf5Errors quiet;
  const std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(std::max(length, 0)));
  const std::string nm(plat::Text<24>(name.substr(0, n)).view());
  if (level <= 0 || !mcurrent_set) {
    pop_to(0);
    mcurrent_set = true;
    if (level <= 0) return;
  }
  const int current = mstack.back().nesting_level;
  if (level == current && mstack.size() > 1) {
    pop_to(mstack.size() - 2);
  } else if (level < current) {
    while (mstack.size() > 1 && mstack.back().nesting_level >= level) pop_to(mstack.size() - 2);
  }
  push_child(nm, level);
}

void acda_getarraydata(int& narrays, int& nreal, int& nint, std::vector<double>& reals,
                       std::vector<std::int32_t>& ints) {
  narrays = nreal = nint = 0;
  reals.clear();
  ints.clear();
  marrayinfolist.clear();
  if (mstack.empty() || !mcurrent_set) return;
  const hid_t g = mstack.back().group_id;
  if (g < 0) return;
  const QuietHdf5Errors quiet;
  if (!link_exists(g, "ModelData")) return;
  Id md(H5Gopen2(g, "ModelData", H5P_DEFAULT), H5Gclose);
  if (md.get() < 0) return;
  if (link_exists(md.get(), "Arrays")) {
    nreal = std::max(0, int_attribute(md.get(), "Arrays", "numberOfArrayValues"));
    nint = std::max(0, int_attribute(md.get(), "Arrays", "numberOfArrayIndexValues"));
    narrays = std::max(0, int_attribute(md.get(), "Arrays", "numberOfArrays"));
  }
  nreal = static_cast<int>(std::min<std::int64_t>(nreal, kMaxValues));
  nint = static_cast<int>(std::min<std::int64_t>(nint, kMaxValues));
  narrays = static_cast<int>(std::min<std::int64_t>(narrays, kMaxValues));
  if (narrays < 1) {
    narrays = nreal = nint = 0;
    return;
  }

  // The records of the arrays: every member of every announced record. The
  // dataset must hold them all before anything is sized by their number.
  const auto na = static_cast<std::size_t>(narrays);
  std::vector<std::string> names;
  std::vector<int> types, sizes, dims, d1, d2, d3;
  {
    const std::string path = "Arrays/ArrayInformation";
    const std::string name = object_name(md.get(), path);
    if (!link_exists(md.get(), "Arrays") || !link_exists(md.get(), path)) dataset_error(name);
    Id ds(H5Dopen2(md.get(), path.c_str(), H5P_DEFAULT), H5Dclose);
    if (ds.get() < 0 || extent_1d(ds.get()) < narrays) dataset_error(name);
    names.assign(na, std::string(19, ' '));
    for (auto* v : {&types, &sizes, &dims, &d1, &d2, &d3}) v->assign(na, 0);
    read_member(ds.get(), name, na, "arrayName", nullptr, &names, 19);
    read_member(ds.get(), name, na, "arrayType", &types, nullptr, 0);
    read_member(ds.get(), name, na, "size", &sizes, nullptr, 0);
    read_member(ds.get(), name, na, "numberOfDimensions", &dims, nullptr, 0);
    read_member(ds.get(), name, na, "dimension1", &d1, nullptr, 0);
    read_member(ds.get(), name, na, "dimension2", &d2, nullptr, 0);
    read_member(ds.get(), name, na, "dimension3", &d3, nullptr, 0);
  }
  marrayinfolist.resize(na);
  for (std::size_t i = 0; i < na; ++i) {
    auto& a = marrayinfolist[i];
    a.array_name = names[i];
    a.array_type = types[i];
    a.size = sizes[i];
    a.number_of_dimensions = dims[i];
    a.dimension1 = d1[i];
    a.dimension2 = d2[i];
    a.dimension3 = d3[i];
  }

  // The values: every array's values must lie within the announced count
  // and within the dataset, and so must its index words; nothing is filled
  // in for the file.
  const std::string values_path = "Arrays/ArrayData";
  const std::string values_name = object_name(md.get(), values_path);
  const std::string arrays_name = object_name(md.get(), "Arrays");
  Id data(link_exists(md.get(), values_path) ? H5Dopen2(md.get(), values_path.c_str(), H5P_DEFAULT) : -1, H5Dclose);
  const std::int64_t held = data.get() >= 0 ? extent_1d(data.get()) : -1;
  std::int64_t o = 0, t = 0;
  for (auto& a : marrayinfolist) {
    const std::string array(plat::trimmed(a.array_name));
    if (const std::string fault = record_fault(a); !fault.empty()) array_error(array, fault, arrays_name);
    // Values are counted from 1 at the first value of the submodel.
    const std::int64_t first = o + 1, last = o + a.size;
    auto range = [&](std::int64_t from) {
      return "values " + std::to_string(std::max(first, from)) + " to " + std::to_string(last);
    };
    if (a.size > 0 && last > nreal) {
      array_error(
          array,
          range(std::int64_t{nreal} + 1) + " lie beyond the " + std::to_string(nreal) + " of numberOfArrayValues",
          arrays_name);
    }
    if (a.size > 0 && last > held) {
      array_error(array,
                  held < 0 ? range(first) + " are not in the file: the dataset is missing or not one-dimensional"
                           : range(held + 1) + " are not in the file: the dataset holds " + std::to_string(held),
                  values_name);
    }
    o = last;
    if (a.array_type == 4) {
      a.index_word_count = a.number_of_dimensions == 2
                               ? 3 * a.dimension1 + 6
                               : (a.number_of_dimensions == 3 ? 3 * a.dimension1 * (a.dimension2 + 1) + 7 : 0);
      if (t + a.index_word_count > nint) {
        array_error(array,
                    "index words " + std::to_string(t + 1) + " to " + std::to_string(t + a.index_word_count) +
                        " lie beyond the " + std::to_string(nint) + " of numberOfArrayIndexValues",
                    arrays_name);
      }
      t += a.index_word_count;
    }
  }
  if (nreal > 0 && nreal > held) {
    const std::string shape = held < 0 ? "is missing or not one-dimensional" : "holds " + std::to_string(held);
    SETERX("Invalid ACD data@@numberOfArrayValues " + std::to_string(nreal) + " but the dataset " + shape +
               "<NL>Object: " + values_name + "<NL>ACD file: " + mfilename + "@",
           4, 5, kReader);
    fatal_end();
  }

  reals.assign(static_cast<std::size_t>(nreal), 0.0);
  if (nreal > 0 && !read_records(data.get(), H5T_NATIVE_DOUBLE, reals.data(), reals.size())) {
    dataset_error(values_name);
  }
  ints.reserve(static_cast<std::size_t>(nint));
  IndexWords words(ints, static_cast<std::size_t>(nint));
  for (auto& a : marrayinfolist) generate_index_words(a, words);
  // The buffer holds exactly the announced number of index words.
  ints.resize(static_cast<std::size_t>(nint), 0);
}

void acda_updatearraypointers(int /*narrays*/, int ibase, int rbase,
                              plat::Vec1<const std::int32_t> arrayinfopointers,
                              plat::Vec1<std::int32_t> arrayinfolist, CTextVec1 arraynames, int lbase, int nfirst,
                              int nlast, int /*namelen*/) {
  std::int64_t t = std::int64_t{ibase} + 1, o = std::int64_t{rbase} + 1;
  const std::int64_t last =
      std::min<std::int64_t>({std::int64_t{nlast}, arraynames.size(), arrayinfopointers.size()});
  // The model's array names, trailing blanks ignored; the first of equal names wins.
  std::unordered_map<std::string_view, std::int64_t> position;
  for (std::int64_t j = std::max(1, nfirst + 1); j <= last; ++j)
    position.emplace(plat::trimmed(arraynames.view(j)), j);
  for (const auto& a : marrayinfolist) {
    const bool name_fits = a.array_name.size() < 19 || a.array_name[18] == ' ';
    const auto found =
        name_fits ? position.find(plat::trimmed(std::string_view(a.array_name).substr(0, 18))) : position.end();
    if (found != position.end()) {
      const std::int64_t j = found->second;
      const std::int64_t q = std::int64_t{arrayinfopointers(j)} + lbase;
      auto put = [&](std::int64_t k, std::int64_t v) {
        if (q + k >= 1 && q + k <= arrayinfolist.size()) arrayinfolist(q + k) = static_cast<std::int32_t>(v);
      };
      if (a.array_type == 2) {
        put(1, a.size);
        put(2, o);
      } else {
        put(1, a.index_word_count);
        put(2, t);
        put(3, a.size);
        put(4, o);
      }
    }
    t += a.index_word_count;
    o += a.size;
  }
  marrayinfolist.clear();
}

void acda_close() {
  if (mstack.empty() && mfileid < 0) {
    mcurrent_set = false;
    marrayinfolist.clear();
    return;
  }
  const QuietHdf5Errors quiet;
  if (!mstack.empty()) {
    pop_to(0);
    close_group(mstack.front().submodels_id);
    mstack.clear();
  }
  mcurrent_set = false;
  marrayinfolist.clear();
  if (mfileid >= 0) H5Fclose(mfileid);
  mfileid = -1;
}

namespace {
void reset_acda_arrays() {
  acda_close();
  mfilename.clear();
}
}  // namespace
TNA_PROCESS_STATE("modeldata/acda_arrays_load", reset_acda_arrays)

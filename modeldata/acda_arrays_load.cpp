// User arrays from the analysis-case data file (HDF5, group "ModelData/Arrays"
// of each model group): counting for the sizes, the walker over the
// submodel groups, reading a submodel's arrays with the index words of its
// tables, and their entry into the array information list.
#include "modeldata/acda_arrays_load.h"

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

namespace {

constexpr std::size_t kNameField = 500;
// No single submodel may claim more values than this (the global arrays
// could not hold them anyway); larger claims are cut to it.
constexpr std::int64_t kMaxValues = 100000000;

struct AcdArrayModel {
  std::string submodel_name;
  int nesting_level = 0;
  hid_t group_id = -1;       // the file itself for the main model
  hid_t submodels_id = -1;   // its "Submodels" group once a child was entered
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

// The first n values of a 1-D real dataset (fewer when it is shorter; the
// rest stay 0).
void read_real_prefix(hid_t loc, const char* path, std::vector<double>& out) {
  if (out.empty() || !link_exists(loc, "Arrays") || !link_exists(loc, path)) return;
  hid_t ds = H5Dopen2(loc, path, H5P_DEFAULT);
  if (ds < 0) return;
  hid_t fs = H5Dget_space(ds);
  hssize_t have = fs >= 0 ? H5Sget_simple_extent_npoints(fs) : -1;
  if (have > 0 && H5Sget_simple_extent_ndims(fs) == 1) {
    hsize_t start = 0, count = std::min<hsize_t>(static_cast<hsize_t>(have), out.size());
    hid_t ms = H5Screate_simple(1, &count, nullptr);
    if (H5Sselect_hyperslab(fs, H5S_SELECT_SET, &start, nullptr, &count, nullptr) >= 0) {
      if (H5Dread(ds, H5T_NATIVE_DOUBLE, ms, fs, H5P_DEFAULT, out.data()) < 0) {
        std::fill(out.begin(), out.end(), 0.0);
      }
    }
    H5Sclose(ms);
  }
  if (fs >= 0) H5Sclose(fs);
  H5Dclose(ds);
}

// One member of the first n records of a compound dataset, through a memory
// type that holds only that member. Integers as native int; a text member as
// a fixed string of `text_len` characters (blank-padded on return).
void read_member(hid_t ds, hsize_t n, const char* member, std::vector<int>* ints, std::vector<std::string>* texts,
                 std::size_t text_len) {
  hid_t fs = H5Dget_space(ds);
  if (fs < 0) return;
  const hssize_t have = H5Sget_simple_extent_npoints(fs);
  hsize_t start = 0, count = std::min<hsize_t>(n, have > 0 ? static_cast<hsize_t>(have) : 0);
  if (count == 0 || H5Sget_simple_extent_ndims(fs) != 1 ||
      H5Sselect_hyperslab(fs, H5S_SELECT_SET, &start, nullptr, &count, nullptr) < 0) {
    H5Sclose(fs);
    return;
  }
  hid_t ms = H5Screate_simple(1, &count, nullptr);
  if (ints) {
    hid_t mt = H5Tcreate(H5T_COMPOUND, sizeof(int));
    H5Tinsert(mt, member, 0, H5T_NATIVE_INT);
    std::vector<int> buf(count, 0);
    if (H5Dread(ds, mt, ms, fs, H5P_DEFAULT, buf.data()) >= 0) std::copy(buf.begin(), buf.end(), ints->begin());
    H5Tclose(mt);
  } else {
    hid_t st = H5Tcopy(H5T_C_S1);
    H5Tset_size(st, text_len);
    H5Tset_strpad(st, H5T_STR_SPACEPAD);
    hid_t mt = H5Tcreate(H5T_COMPOUND, text_len);
    H5Tinsert(mt, member, 0, st);
    std::vector<char> buf(count * text_len, ' ');
    if (H5Dread(ds, mt, ms, fs, H5P_DEFAULT, buf.data()) >= 0) {
      for (hsize_t i = 0; i < count; ++i) {
        std::string t(buf.data() + i * text_len, text_len);
        for (char& c : t) {
          if (c == '\0') c = ' ';
        }
        (*texts)[i] = t;
      }
    }
    H5Tclose(mt);
    H5Tclose(st);
  }
  H5Sclose(ms);
  H5Sclose(fs);
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
    for (std::int64_t v : {std::int64_t{3}, std::int64_t{1}, std::int64_t{2}, std::int64_t{3},
                           2 * d1 + 3 * d1 * d2 + 2}) {
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
    ERRNEW("ACD file name too long@Initialising ACD Arrays Load@Maximum filename length: " + right_aligned10(kNameField) +
               "<NL>Supplied file name: " + file.substr(0, kNameField) + "...@",
           1, 1, "(acda)OpenFile");
    file.resize(kNameField);
  }
  mfilename = file;
  mfileid = H5Fopen(file.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
  if (mfileid < 0) {
    mfileid = -1;
    ERRNEW("Cannot open ACD file@Initialising ACD Arrays Load@ACD file name: " + file + "@", 1, 2,
           "(acda)OpenFile");
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
  hid_t md = H5Gopen2(g, "ModelData", H5P_DEFAULT);
  if (md < 0) return;
  if (link_exists(md, "Arrays")) {
    nreal = std::max(0, int_attribute(md, "Arrays", "numberOfArrayValues"));
    nint = std::max(0, int_attribute(md, "Arrays", "numberOfArrayIndexValues"));
    narrays = std::max(0, int_attribute(md, "Arrays", "numberOfArrays"));
  }
  nreal = static_cast<int>(std::min<std::int64_t>(nreal, kMaxValues));
  nint = static_cast<int>(std::min<std::int64_t>(nint, kMaxValues));
  narrays = static_cast<int>(std::min<std::int64_t>(narrays, kMaxValues));
  if (narrays < 1) {
    narrays = nreal = nint = 0;
    H5Gclose(md);
    return;
  }
  reals.assign(static_cast<std::size_t>(nreal), 0.0);
  read_real_prefix(md, "Arrays/ArrayData", reals);

  const auto na = static_cast<std::size_t>(narrays);
  std::vector<std::string> names(na, std::string(19, ' '));
  std::vector<int> types(na, 0), sizes(na, 0), dims(na, 0), d1(na, 0), d2(na, 0), d3(na, 0);
  if (link_exists(md, "Arrays/ArrayInformation")) {
    hid_t ds = H5Dopen2(md, "Arrays/ArrayInformation", H5P_DEFAULT);
    if (ds >= 0) {
      read_member(ds, na, "arrayName", nullptr, &names, 19);
      read_member(ds, na, "arrayType", &types, nullptr, 0);
      read_member(ds, na, "size", &sizes, nullptr, 0);
      read_member(ds, na, "numberOfDimensions", &dims, nullptr, 0);
      read_member(ds, na, "dimension1", &d1, nullptr, 0);
      read_member(ds, na, "dimension2", &d2, nullptr, 0);
      read_member(ds, na, "dimension3", &d3, nullptr, 0);
      H5Dclose(ds);
    }
  }
  marrayinfolist.resize(na);
  ints.reserve(static_cast<std::size_t>(nint));
  IndexWords words(ints, static_cast<std::size_t>(nint));
  for (std::size_t i = 0; i < na; ++i) {
    auto& a = marrayinfolist[i];
    a.array_name = names[i];
    a.array_type = types[i];
    a.size = sizes[i];
    a.number_of_dimensions = dims[i];
    a.dimension1 = d1[i];
    a.dimension2 = d2[i];
    a.dimension3 = d3[i];
    generate_index_words(a, words);
  }
  // The buffer holds exactly the announced number of index words.
  ints.resize(static_cast<std::size_t>(nint), 0);
  H5Gclose(md);
}

void acda_updatearraypointers(int /*narrays*/, int ibase, int rbase, plat::Vec1<const std::int32_t> arrayinfopointers,
                              plat::Vec1<std::int32_t> arrayinfolist, CTextVec1 arraynames, int lbase, int nfirst,
                              int nlast, int /*namelen*/) {
  std::int64_t t = std::int64_t{ibase} + 1, o = std::int64_t{rbase} + 1;
  const std::int64_t last = std::min<std::int64_t>({std::int64_t{nlast}, arraynames.size(), arrayinfopointers.size()});
  // The model's array names, trailing blanks ignored; the first of equal names wins.
  std::unordered_map<std::string_view, std::int64_t> position;
  for (std::int64_t j = std::max(1, nfirst + 1); j <= last; ++j) position.emplace(plat::trimmed(arraynames.view(j)), j);
  for (const auto& a : marrayinfolist) {
    const bool name_fits = a.array_name.size() < 19 || a.array_name[18] == ' ';
    const auto found = name_fits ? position.find(plat::trimmed(std::string_view(a.array_name).substr(0, 18)))
                                 : position.end();
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

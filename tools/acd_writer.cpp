#include "tools/acd_writer.h"

#include <hdf5.h>
#include <hdf5_hl.h>

#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace acdw {

namespace {

constexpr std::size_t kPathLength = 2475;

void check(herr_t rc, const std::string& what) {
  if (rc < 0) throw std::runtime_error("acd writer: " + what);
}

hid_t check_id(hid_t id, const std::string& what) {
  if (id < 0) throw std::runtime_error("acd writer: " + what);
  return id;
}

hid_t make_group(hid_t loc, const std::string& name) {
  return check_id(H5Gcreate2(loc, name.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), "group " + name);
}

void int_attribute(hid_t loc, const std::string& object, const char* name, int value) {
  check(H5LTset_attribute_int(loc, object.c_str(), name, &value, 1), name);
}

// A dataset of the given shape from values in row-major order.
void doubles(hid_t loc, const std::string& name, const std::vector<hsize_t>& dims, const std::vector<double>& v) {
  check(H5LTmake_dataset_double(loc, name.c_str(), static_cast<int>(dims.size()), dims.data(), v.data()), name);
}

void ints(hid_t loc, const std::string& name, const std::vector<int>& v) {
  const hsize_t n = v.size();
  check(H5LTmake_dataset_int(loc, name.c_str(), 1, &n, v.data()), name);
}

// Rows of equal length as one row-major block; throws on ragged rows.
std::vector<double> flatten(const std::vector<std::vector<double>>& rows, std::size_t width,
                            const std::string& what) {
  std::vector<double> out;
  for (const auto& r : rows) {
    if (r.size() != width) throw std::runtime_error("acd writer: row length of " + what);
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

// A compound dataset from raw records described by (member name, offset, type).
struct Member {
  const char* name;
  std::size_t offset;
  hid_t type;
};
void compound(hid_t loc, const std::string& name, std::size_t record_size, const std::vector<Member>& members,
              std::size_t count, const void* records) {
  hid_t type = check_id(H5Tcreate(H5T_COMPOUND, record_size), name);
  for (const Member& m : members) check(H5Tinsert(type, m.name, m.offset, m.type), name);
  const hsize_t n = count;
  hid_t space = check_id(H5Screate_simple(1, &n, nullptr), name);
  hid_t ds = check_id(H5Dcreate2(loc, name.c_str(), type, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), name);
  check(H5Dwrite(ds, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, records), name);
  H5Dclose(ds);
  H5Sclose(space);
  H5Tclose(type);
}

void write_mission(hid_t group, const Model& m) {
  H5Gclose(make_group(group, "Mission"));
  int_attribute(group, "Mission", "analysisCaseType", m.type);
  if (m.type < 2 || m.type > 4) return;
  const int n = static_cast<int>(m.times.size());
  int_attribute(group, "Mission", "numberOfTimes", n);
  hid_t mission = check_id(H5Gopen2(group, "Mission", H5P_DEFAULT), "Mission");
  if (n > 0) doubles(mission, "Times", {m.times.size()}, m.times);
  if (m.type == 2) {
    check(H5LTset_attribute_double(group, "Mission", "period", &m.period, 1), "period");
  } else if (m.type == 3) {
    int_attribute(group, "Mission", "numberOfArcs", static_cast<int>(m.arcs.size()));
    const hid_t d = H5T_NATIVE_DOUBLE;
    compound(mission, "OrbitalArcTimes", sizeof(Arc),
             {{"start", 0, d}, {"startFirst", 8, d}, {"endFirst", 16, d}, {"endAll", 24, d}}, m.arcs.size(),
             m.arcs.data());
  } else {
    const int w = m.wavebands.empty() ? 0 : static_cast<int>(m.wavebands.size()) - 1;
    int_attribute(group, "Mission", "numberOfWavebands", w);
    if (!m.wavebands.empty()) doubles(mission, "Wavebands", {m.wavebands.size()}, m.wavebands);
  }
  H5Gclose(mission);
}

struct PairRecord {
  char pathI[kPathLength];
  char pathJ[kPathLength];
  int nodeNumberI;
  int nodeNumberJ;
};

void write_model_data(hid_t group, const Model& m) {
  hid_t md = make_group(group, "ModelData");
  const std::size_t nn = m.nodes.size();
  ints(md, "NodeList", m.nodes);
  int_attribute(md, "NodeList", "count", static_cast<int>(nn));
  hid_t st = make_group(md, "Static");
  const char* names[4] = {"AlbedoFluxes", "PlanetFluxes", "RemainderFluxes", "SolarFluxes"};
  const std::vector<double>* values[4] = {&m.albedo, &m.planet, &m.remainder, &m.solar};
  for (int k = 0; k < 4; ++k) {
    std::vector<double> v = values[k]->empty() ? std::vector<double>(nn, 0.0) : *values[k];
    if (v.size() != nn) throw std::runtime_error(std::string("acd writer: static ") + names[k]);
    doubles(st, names[k], {nn}, v);
  }
  H5Gclose(st);

  const bool tabulated = m.type >= 2;
  const std::size_t nt = m.times.size();
  hid_t td = make_group(md, "TimeDependent");
  for (int k = 0; k < 4; ++k) {
    const Fluxes& fx = m.flux[static_cast<std::size_t>(k)];
    hid_t g = make_group(td, names[k]);
    int_attribute(td, names[k], "count", static_cast<int>(fx.nodes.size()));
    if (tabulated && !fx.nodes.empty()) {
      ints(g, "Nodes", fx.nodes);
      doubles(g, "Values", {nt, fx.nodes.size()}, flatten(fx.rows, fx.nodes.size(), names[k]));
    }
    H5Gclose(g);
  }
  hid_t rc = make_group(td, "RadiativeConductors");
  const std::size_t ng = m.pairs.size();
  int_attribute(td, "RadiativeConductors", "count", static_cast<int>(ng));
  if (tabulated && ng > 0) {
    std::vector<PairRecord> recs(ng);
    for (std::size_t i = 0; i < ng; ++i) {
      std::memset(&recs[i], 0, sizeof(PairRecord));
      std::strncpy(recs[i].pathI, m.pairs[i].pathI.c_str(), kPathLength - 1);
      std::strncpy(recs[i].pathJ, m.pairs[i].pathJ.c_str(), kPathLength - 1);
      recs[i].nodeNumberI = m.pairs[i].nodeI;
      recs[i].nodeNumberJ = m.pairs[i].nodeJ;
    }
    hid_t text = check_id(H5Tcopy(H5T_C_S1), "text type");
    check(H5Tset_size(text, kPathLength), "text size");
    compound(rc, "NodePairs", sizeof(PairRecord),
             {{"relativeSubmodelPathI", offsetof(PairRecord, pathI), text},
              {"relativeSubmodelPathJ", offsetof(PairRecord, pathJ), text},
              {"nodeNumberI", offsetof(PairRecord, nodeNumberI), H5T_NATIVE_INT},
              {"nodeNumberJ", offsetof(PairRecord, nodeNumberJ), H5T_NATIVE_INT}},
             ng, recs.data());
    H5Tclose(text);
    if (m.type == 4) {
      const std::size_t w = m.wavebands.empty() ? 0 : m.wavebands.size() - 1;
      doubles(rc, "Values", {nt, ng, w}, flatten(m.conductors, ng * w, "conductors"));
    } else {
      doubles(rc, "Values", {nt, ng}, flatten(m.conductors, ng, "conductors"));
    }
  }
  H5Gclose(rc);
  H5Gclose(td);
  H5Gclose(md);
}

// Fills one model group: its mission, its model data and its children.
void write_model_group(hid_t group, const Model& m) {
  write_mission(group, m);
  if (m.type >= 1 && m.type <= 4) write_model_data(group, m);
  hid_t subs = make_group(group, "Submodels");
  for (const Model& child : m.children) {
    hid_t g = make_group(subs, child.name);
    write_model_group(g, child);
    H5Gclose(g);
  }
  H5Gclose(subs);
}

Model empty_model(const std::string& name, const std::vector<Submodel>& children) {
  Model m;
  m.name = name;
  for (const Submodel& c : children) m.children.push_back(empty_model(c.name, c.children));
  return m;
}

}  // namespace

void write_case(const std::string& path, const Model& root) {
  hid_t file = H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
  if (file < 0) throw std::runtime_error("acd writer: cannot create " + path);
  try {
    write_model_group(file, root);
  } catch (...) {
    H5Fclose(file);
    throw;
  }
  check(H5Fclose(file), "close");
}

void write_empty_case(const std::string& path, const std::vector<Submodel>& children) {
  write_case(path, empty_model("", children));
}

}  // namespace acdw

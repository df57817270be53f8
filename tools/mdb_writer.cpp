#include "tools/mdb_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <set>
#include <stdexcept>

#include "core/control_constants.h"

namespace mdbw {
namespace {

static_assert(std::endian::native == std::endian::little, "the file is little-endian; this writer copies memory");

constexpr int kDirectoryPairs = 290;
constexpr int kIdCardItems = 205;

void put_int(Record& r, std::int32_t v) {
  unsigned char b[4];
  std::memcpy(b, &v, 4);
  r.insert(r.end(), b, b + 4);
}

void put_text(Record& r, const std::string& s, std::size_t len) {
  for (std::size_t i = 0; i < len; ++i) r.push_back(static_cast<unsigned char>(i < s.size() ? s[i] : ' '));
}

int type_of(Kind k) { return k == Kind::Int ? kTypeInt : (k == Kind::Real ? kTypeReal : kTypeChar); }

// Items first..first+n-1 (0-based) of a list as a plain list of its own.
List slice(const List& l, std::size_t first, std::size_t n) {
  List s;
  s.kind = l.kind;
  s.item_len = l.item_len;
  if (l.kind == Kind::Int) s.ints.assign(l.ints.begin() + first, l.ints.begin() + first + n);
  if (l.kind == Kind::Real) s.reals.assign(l.reals.begin() + first, l.reals.begin() + first + n);
  if (l.kind == Kind::Char) s.texts.assign(l.texts.begin() + first, l.texts.begin() + first + n);
  return s;
}

Record data_record(const List& l) {
  if (l.kind == Kind::Int) return int_record(l.ints);
  if (l.kind == Kind::Real) return real_record(l.reals);
  return text_record(l.item_len, l.texts);
}

void cut(Record& r, std::size_t by) { r.resize(r.size() > by ? r.size() - by : 0); }

}  // namespace

std::size_t List::items() const {
  return kind == Kind::Int ? ints.size() : (kind == Kind::Real ? reals.size() : texts.size());
}

int List::length_word() const {
  const auto n = static_cast<int>(items());
  return kind == Kind::Int ? n : (kind == Kind::Real ? 2 * n : n * item_len);
}

List int_list(std::vector<std::int32_t> v) {
  List l;
  l.kind = Kind::Int;
  l.ints = std::move(v);
  return l;
}

List real_list(std::vector<double> v) {
  List l;
  l.kind = Kind::Real;
  l.reals = std::move(v);
  return l;
}

List text_list(int item_len, std::vector<std::string> v) {
  List l;
  l.kind = Kind::Char;
  l.item_len = item_len;
  l.texts = std::move(v);
  return l;
}

Record int_record(const std::vector<std::int32_t>& v) {
  Record r;
  for (auto x : v) put_int(r, x);
  return r;
}

Record real_record(const std::vector<double>& v) {
  Record r(v.size() * 8);
  if (!v.empty()) std::memcpy(r.data(), v.data(), r.size());
  return r;
}

Record text_record(int item_len, const std::vector<std::string>& v) {
  Record r;
  for (const auto& s : v) put_text(r, s, static_cast<std::size_t>(item_len));
  return r;
}

void append_list(std::vector<Record>& out, int key, const List& list) {
  const ListFault& f = list.fault;
  const int hkey = f.key.value_or(key);
  if (list.chunk > 0 && list.kind != Kind::Char) {
    const std::size_t n = list.items();
    const std::size_t chunks = (n + static_cast<std::size_t>(list.chunk) - 1) / static_cast<std::size_t>(list.chunk);
    out.push_back(int_record({hkey, f.type.value_or(kTypeChunked), f.length.value_or(list.length_word()), 0}));
    out.push_back(int_record({static_cast<std::int32_t>(chunks)}));
    for (std::size_t c = 0; c < chunks; ++c) {
      const std::size_t first = c * static_cast<std::size_t>(list.chunk);
      const List part = slice(list, first, std::min(n - first, static_cast<std::size_t>(list.chunk)));
      out.push_back(int_record({static_cast<std::int32_t>(c + 1), type_of(list.kind), part.length_word(), 0}));
      out.push_back(data_record(part));
    }
  } else {
    out.push_back(int_record({hkey, f.type.value_or(type_of(list.kind)), f.length.value_or(list.length_word()), 0}));
    out.push_back(data_record(list));
  }
  if (f.short_by > 0) cut(out.back(), f.short_by);
}

std::vector<unsigned char> frame(const std::vector<Record>& records) {
  std::vector<unsigned char> b;
  for (const auto& r : records) {
    Record len;
    put_int(len, static_cast<std::int32_t>(r.size()));
    b.insert(b.end(), len.begin(), len.end());
    b.insert(b.end(), r.begin(), r.end());
    b.insert(b.end(), len.begin(), len.end());
  }
  return b;
}

void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error("cannot create " + path);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

Model& Model::ints(int key, std::vector<std::int32_t> v) {
  lists[key] = int_list(std::move(v));
  return *this;
}

Model& Model::reals(int key, std::vector<double> v) {
  lists[key] = real_list(std::move(v));
  return *this;
}

Model& Model::texts(int key, int item_len, std::vector<std::string> v) {
  lists[key] = text_list(item_len, std::move(v));
  return *this;
}

Model& Model::id_card(std::array<std::int32_t, 3> items70_72, const std::map<int, std::int32_t>& skip_values) {
  std::vector<std::int32_t> v(kIdCardItems, 0);
  for (int i = 0; i < 3; ++i) v[static_cast<std::size_t>(69 + i)] = items70_72[static_cast<std::size_t>(i)];
  for (const auto& [j, value] : skip_values) {
    if (j < 1 || j > 43) throw std::invalid_argument("skip-table triple outside 1..43");
    v[static_cast<std::size_t>(76 + 3 * j - 1)] = value;
  }
  return ints(66, std::move(v));
}

Model& Model::same_node_list(const std::vector<SameNodeGroup>& groups) {
  std::vector<std::int32_t> v = {0, 0, static_cast<std::int32_t>(groups.size()), 0};
  for (const auto& g : groups) {
    v.push_back(-(g.source.first - 1));
    v.push_back(-g.source.second);
    v.push_back(static_cast<std::int32_t>(g.targets.size()));
    v.push_back(0);
    for (const auto& [model, node] : g.targets) {
      v.push_back(model - 1);
      v.push_back(node);
    }
  }
  v[0] = static_cast<std::int32_t>(v.size());
  return ints(35, std::move(v));
}

Model& Database::add_model(std::string model_name, int level) {
  Model m;
  m.name = std::move(model_name);
  m.level = level;
  models.push_back(std::move(m));
  return models.back();
}

int Database::subtree_size(int m) const {
  const Model& md = models.at(static_cast<std::size_t>(m - 1));
  if (md.subtree) return *md.subtree;
  int size = 1;
  for (std::size_t k = static_cast<std::size_t>(m); k < models.size() && models[k].level > md.level; ++k) ++size;
  return size;
}

std::vector<Record> Database::records() const {
  std::vector<Record> out;
  const auto nm = static_cast<std::int32_t>(models.size());

  Record first;
  put_text(first, name, 24);
  put_int(first, 0);
  put_int(first, models_field.value_or(nm));
  put_int(first, 0);
  put_int(first, 0);
  put_int(first, 0);
  put_text(first, date, 17);
  put_text(first, time, 8);
  put_int(first, version);
  out.push_back(std::move(first));

  std::vector<std::int32_t> tree;
  std::vector<std::string> names, subnames;
  for (int m = 1; m <= nm; ++m) {
    const Model& md = models[static_cast<std::size_t>(m - 1)];
    tree.insert(tree.end(), {md.level, subtree_size(m), 0});
    names.push_back(md.name);
    subnames.push_back(md.subname.empty() ? md.name : md.subname);
  }
  out.push_back(int_record(tree));
  out.push_back(text_record(24, names));
  out.push_back(text_record(24, subnames));
  out.push_back(int_record({0}));
  out.push_back(int_record({0}));

  for (int m = 1; m <= nm; ++m) {
    const Model& md = models[static_cast<std::size_t>(m - 1)];
    // The lists the loaders insist on get neutral defaults.
    std::map<int, List> lists = md.lists;
    if (!lists.count(66)) lists[66] = int_list(std::vector<std::int32_t>(kIdCardItems, 0));
    // Control constants: the main model holds its two local integers and the
    // 25 integer and 49 real global ones, a submodel its two local integers.
    if (!lists.count(68)) lists[68] = real_list(std::vector<double>(m == 1 ? 76 : 2, 0.0));
    if (m == 1 && !lists.count(35)) lists[35] = int_list({4, 0, 0, 0});

    std::vector<std::int32_t> dir(2 * kDirectoryPairs, 0);
    for (const auto& [key, l] : lists) {
      if (key < 1 || key > kDirectoryPairs) continue;
      dir[static_cast<std::size_t>(2 * key - 2)] = static_cast<std::int32_t>(l.items());
      dir[static_cast<std::size_t>(2 * key - 1)] = l.in_directory ? 1 : 0;
    }
    List directory = int_list(dir);
    directory.fault = md.directory_fault;
    append_list(out, m, directory);
    for (const auto& [key, l] : lists) append_list(out, key, l);
    const auto mk = md.marker.value_or(std::array<std::int32_t, 4>{-1, 0, 0, 0});
    out.push_back(int_record({mk[0], mk[1], mk[2], mk[3]}));

    if (m < nm) {
      // The skip block: per skip-table value v != 0, ((v + 24) / 25) * 2 + 1 records.
      const List& card = lists.at(66);
      for (int j = 1; j <= 43; ++j) {
        const std::size_t at = static_cast<std::size_t>(76 + 3 * j - 1);
        const std::int32_t v = card.kind == Kind::Int && at < card.ints.size() ? card.ints[at] : 0;
        if (v == 0) continue;
        const int n = std::max(0, ((v + 24) / 25) * 2 + 1);
        for (int r = 0; r < n; ++r) out.push_back(int_record({j, r}));
      }
      out.push_back(int_record({-1, 0, 0, 0}));
    }
  }
  return out;
}

std::vector<unsigned char> Database::bytes() const {
  auto b = frame(records());
  if (truncate_to && *truncate_to < b.size()) b.resize(*truncate_to);
  return b;
}

void Database::write(const std::string& path) const { write_bytes(path, bytes()); }

double undefined_real() {
  double v = 0.0;
  const std::int32_t marker = 2147483647;
  std::memcpy(&v, &marker, sizeof marker);
  return v;
}

std::vector<double> control_constant_values(std::vector<double> locals, const std::map<std::string, double>& given,
                                            bool main_model) {
  std::vector<double> v = std::move(locals);
  if (!main_model) return v;
  std::set<std::string> used;
  auto value = [&](const char* name) {
    const auto it = given.find(name);
    if (it == given.end()) return undefined_real();
    used.insert(name);
    return it->second;
  };
#define TNA_X(U, l) v.push_back(value(#U));
  TNA_GLOI_LIST(TNA_X)
  TNA_GLOR_LIST(TNA_X)
#undef TNA_X
  for (const auto& [name, x] : given)
    if (!used.count(name)) throw std::invalid_argument("no global control constant " + name);
  return v;
}

}  // namespace mdbw

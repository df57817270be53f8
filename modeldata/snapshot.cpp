// DMPCOM / RSTCOM: the 85-record state snapshot of unit 2.
//
// Both routines walk one table that names, for every record in file order,
// the bytes it holds: the start of the record or array and its length in
// bytes. Arrays go out whole as allocated (first index fastest); an array of
// extent 0 gives a record of length 0. Only the job record is not stored
// contiguously in file order and goes through a 49-byte staging buffer.
#include "modeldata/snapshot.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/status_changes.h"
#include "platform/units.h"

namespace {

static_assert(sizeof(plat::Text<1>) == 1 && sizeof(plat::Text<4>) == 4 && sizeof(plat::Text<18>) == 18 &&
                  sizeof(plat::Text<24>) == 24 && sizeof(plat::Text<133>) == 133,
              "texts are stored as their bytes");
static_assert(sizeof(std::int32_t) == 4 && sizeof(double) == 8);

// One record of the snapshot: where its bytes live and how many there are.
struct SnapItem {
  void* data;
  std::size_t bytes;
};
using SnapTable = std::array<SnapItem, kSnapshotRecords>;

// Record 1 holds the job record's fields as job name, date, time.
constexpr std::size_t kJobBytes = 24 + 17 + 8;
static_assert(kJobBytes == sizeof(JobinfRecord));

void pack_job(unsigned char* b) {
  std::memcpy(b, JOBINF.jobname.data(), 24);
  std::memcpy(b + 24, JOBINF.date.data(), 17);
  std::memcpy(b + 41, JOBINF.time.data(), 8);
}

void unpack_job(const unsigned char* b) {
  std::memcpy(JOBINF.jobname.data(), b, 24);
  std::memcpy(JOBINF.date.data(), b + 24, 17);
  std::memcpy(JOBINF.time.data(), b + 41, 8);
}

template <class A>
SnapItem whole(A& a) {
  return {a.data(), static_cast<std::size_t>(a.size()) * sizeof(*a.data())};
}

// `count` elements of `elem` bytes from `p`, never more than the `capacity`
// elements that are there: the counts of the control-constant records come
// from FLAGS, which must not make a record run past its storage.
SnapItem counted(void* p, std::int64_t count, std::int64_t capacity, std::size_t elem) {
  const std::int64_t n = std::clamp<std::int64_t>(count, 0, capacity);
  return {p, static_cast<std::size_t>(n) * elem};
}

// The 85 records in file order.
void build_table(SnapTable& t, unsigned char* job) {
  const std::int64_t nmodels = FLAGS(26);
  // clang-format off
  t = SnapTable{{
      {job, kJobBytes},                                       // 1
      {&GLOC, sizeof(GlocRecord)},                            // 2
      whole(gar_modeldirectory),                              // 3
      whole(gar_modelstatuses),                               // 4
      whole(gar_modelnames),                                  // 5
      whole(gar_thermalnodenums),                             // 6
      whole(gar_thermalnodetemps),                            // 7
      whole(gar_thermalnodecapacitances),                     // 8
      whole(gar_thermalnodeheatsourcesalbedo),                // 9
      whole(gar_thermalnodeheatsourcesplanet),                // 10
      whole(gar_thermalnodeheatsourcesinternal),              // 11
      whole(gar_thermalnodeheatsourcesother),                 // 12
      whole(gar_thermalnodeheatsourcessolar),                 // 13
      whole(gar_thermalnodesurfaceareas),                     // 14
      whole(gar_thermalnodeabsorptivities),                   // 15
      whole(gar_thermalnodeemissivities),                     // 16
      whole(gar_thermalnodeincidentfluxesalbedo),             // 17
      whole(gar_thermalnodeincidentfluxesplanet),             // 18
      whole(gar_thermalnodeincidentfluxessolar),              // 19
      whole(gar_thermalnodecoordsx),                          // 20
      whole(gar_thermalnodecoordsy),                          // 21
      whole(gar_thermalnodecoordsz),                          // 22
      whole(gar_thermalnodestatuses),                         // 23
      whole(gar_thermalnodestatusescopy),                     // 24
      whole(gar_thermalnodelabels),                           // 25
      whole(gar_linearconds),                                 // 26
      whole(gar_linearcondacts),                              // 27
      whole(gar_radiativeconds),                              // 28
      whole(gar_radiativecondacts),                           // 29
      whole(gar_fluidicconds),                                // 30
      whole(gar_fluidiccondacts),                             // 31
      whole(gar_vfacconds),                                   // 32
      whole(gar_vfaccondacts),                                // 33
      whole(gar_vfaccondnodepairs),                           // 34
      whole(gar_userconstnames),                              // 35
      whole(gar_userconstvaluesreal),                         // 36
      whole(gar_userconstvaluesint),                          // 37
      whole(gar_userconstpointerschar),                       // 38
      whole(gar_userconstvalueschar),                         // 39
      whole(gar_arraynames),                                  // 40
      whole(gar_arrayinfopointers),                           // 41
      whole(gar_arrayinfolist),                               // 42
      whole(gar_arrayvaluesint),                              // 43
      whole(gar_arrayvaluesreal),                             // 44
      whole(gar_arrayvalueschar),                             // 45
      whole(gar_controlconstnames),                           // 46
      counted(&GLOI, FLAGS(14), gcc_num_int, 4),              // 47
      counted(&GLOR, FLAGS(13), gcc_num_real, 8),             // 48
      counted(LOCI.data(), nmodels * FLAGS(11), LOCI.size(), 4),  // 49
      counted(LOCR.data(), nmodels * FLAGS(10), LOCR.size(), 8),  // 50
      whole(gar_pcsptrsthermalold),                           // 51
      whole(gar_pcsthermalold),                               // 52
      whole(gar_fluidnodenums),                               // 53
      whole(gar_fluidnodeheattransferareas),                  // 54
      whole(gar_fluidnodehydraulicdiameters),                 // 55
      whole(gar_fluidnodelengths),                            // 56
      whole(gar_fluidnodepressures),                          // 57
      whole(gar_fluidnodespecenthalpies),                     // 58
      whole(gar_fluidnodetemps),                              // 59
      whole(gar_fluidnodewallroughnesses),                    // 60
      whole(gar_fluidnodeheatsources),                        // 61
      whole(gar_fluidnodemassflowsources),                    // 62
      whole(gar_fluidnodemasssourcespecenthalpies),           // 63
      whole(gar_fluidnodemasssourcetemps),                    // 64
      whole(gar_fluidnodefluidtypes),                         // 65
      whole(gar_fluidnodecoordsx),                            // 66
      whole(gar_fluidnodecoordsy),                            // 67
      whole(gar_fluidnodecoordsz),                            // 68
      whole(gar_fluidnodelabels),                             // 69
      whole(gar_fluidnodestatuses),                           // 70
      whole(gar_fluidnodecompliances),                        // 71
      whole(gar_fluidnodeflowareas),                          // 72
      whole(gar_fluidnodeflowregimes),                        // 73
      whole(gar_fluidnodestatedescriptors),                   // 74
      whole(gar_fluidnodemasssourcespechumidities),           // 75
      whole(gar_fluidnoderelhumidities),                      // 76
      whole(gar_fluidnodevapourqualities),                    // 77
      whole(gar_fluidnodevolumechangerates),                  // 78
      whole(gar_fluidnodevolumes),                            // 79
      whole(gar_massflowlinkcondnodepairs),                   // 80
      whole(gar_massflowlinkflowrates),                       // 81
      whole(gar_massflowlinkfittinglosses),                   // 82
      whole(gar_massflowlinkstatuses),                        // 83
      whole(gar_pcsptrsfluid),                                // 84
      whole(gar_pcsfluid),                                    // 85
  }};
  // clang-format on
}

// Reads the next record into `item`. A record shorter than the item is an
// error that leaves the item untouched; a longer one gives its first bytes,
// as any unformatted read of fewer items than the record holds.
int read_item(int unit, std::vector<unsigned char>& buf, const SnapItem& item) {
  if (int st = plat::io::read_record(unit, buf)) return st;
  if (buf.size() < item.bytes) return plat::io::kPastRecord;
  if (item.bytes) std::memcpy(item.data, buf.data(), item.bytes);
  return 0;
}

}  // namespace

void DMPCOM(int unit, int& status) {
  unsigned char job[kJobBytes];
  pack_job(job);
  SnapTable t;
  build_table(t, job);

  status = std::abs(plat::io::write_record(unit, t[0].data, t[0].bytes));
  status += std::abs(plat::io::write_record(unit, t[1].data, t[1].bytes));
  if (status != 0) return;
  for (int r = 2; r < kSnapshotRecords; ++r) status += std::abs(plat::io::write_record(unit, t[r].data, t[r].bytes));
}

void RSTCOM(int unit, int& status) {
  unsigned char job[kJobBytes];
  SnapTable t;
  build_table(t, job);
  std::vector<unsigned char> buf;

  (void)plat::io::rewind_unit(unit);
  status = std::abs(read_item(unit, buf, t[0]));
  if (status == 0) unpack_job(job);
  status += std::abs(read_item(unit, buf, t[1]));
  if (status != 0) return;
  for (int r = 2; r < kSnapshotRecords; ++r) status += std::abs(read_item(unit, buf, t[r]));
  // The node statuses are those of the snapshot now.
  advance_status_generation();
}

// Writing a substructure of 200,000 elements in 1,000 classes, 100,000 surface facets in 100
// surfaces and 100 element and node sets into an output database, against straightforward loops
// in the same binary that read the same elements, facets and sets, group them with
// std::unordered_map and make the same writer calls.
#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/ratio.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/dm2/output_testing.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/slide_line_codes.h"
#include "siblings/eqc/testing.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/geometry/facets.h"
#include "zmx/odb.h"
#include "zmx/storage/frame.h"

namespace {

constexpr int kElements = 200000;
constexpr int kTypes = 10;
constexpr int kSectionsPerType = 100;  // 1,000 classes
constexpr int kNodes = 50000;
constexpr int kSurfaces = 100;
constexpr int kFacetsPerSurface = 1000;  // 100,000 facets
constexpr int kSetsOfEachKind = 50;      // 100 sets beside the part's own

// An element class of the facet catalogue whose facets are first order and not cylindrical.
Int plainFacetClass() {
  for (Int c = 1; c <= zmx::catalogue::kClasses; ++c) {
    const Int type = rec::i(CSURFACEDEF, zmx::catalogue::kFacetType + c - 1);
    if (type != 13 && type != 14 && rec::i(CSURFACEDEF, zmx::catalogue::kLinear + c - 1) != 0) return c;
  }
  return 1;
}

struct Model {
  Int adb = 0;
  std::vector<Int> sections;  // section record addresses
  std::string name;
};

Model& model() {
  static Model m = [] {
    Model built;
    zmxtest::OdbModelBuilder b;
    std::vector<Int> nodes;
    for (int n = 0; n < kNodes; ++n) nodes.push_back(b.node(n + 1, {n * 0.1, n * 0.2, n * 0.3}));
    std::vector<Int> types;
    for (int t = 0; t < kTypes; ++t) types.push_back(b.elementType("TYPE" + std::to_string(t), 3000 + t, 100, 4));
    std::vector<int> sections;
    for (int s = 0; s < kSectionsPerType; ++s) sections.push_back(b.record(2, {zmxtest::I(0), zmxtest::I(0)}, s + 1));
    std::vector<Int> all;
    for (int e = 0; e < kElements; ++e) {
      const Int first = static_cast<Int>((e * 7) % (kNodes - 4));
      all.push_back(b.element(e + 1, types[static_cast<std::size_t>(e % kTypes)],
                              {nodes[first], nodes[first + 1], nodes[first + 2], nodes[first + 3]},
                              sections[static_cast<std::size_t>((e / kTypes) % kSectionsPerType)]));
    }
    b.part("XIDALL", all, nodes);
    // Surfaces of four-node facets (slot 10 the first facet entry, ten slots per entry).
    const Int facetClass = plainFacetClass();
    for (int k = 0; k < kSurfaces; ++k) {
      std::vector<zmxtest::Slot> slots = {zmxtest::I(30), zmxtest::N("SURF" + std::to_string(k)), zmxtest::I(3),
                                          zmxtest::I(0), zmxtest::I(kFacetsPerSurface), zmxtest::I(10),
                                          zmxtest::N(""), zmxtest::I(0)};
      for (int f = 0; f < kFacetsPerSurface; ++f) {
        const Int first = static_cast<Int>((k * kFacetsPerSurface + f) % (kNodes - 4)) + 1;
        for (Int v : {10, 0, 1, facetClass, f + 1, 4, first, first + 1, first + 2, first + 3})
          slots.push_back(zmxtest::I(v));
      }
      b.surfaceRecord(slots);
    }
    for (int k = 0; k < kSetsOfEachKind; ++k) {
      std::vector<Int> elements, members;
      for (int e = 0; e < 1000; ++e) elements.push_back(all[static_cast<std::size_t>((k * 997 + e * 13) % kElements)]);
      for (int n = 0; n < 500; ++n) members.push_back(nodes[static_cast<std::size_t>((k * 991 + n * 7) % kNodes)]);
      b.elementSet("ESET" + std::to_string(k), elements);
      b.nodeSet("NSET" + std::to_string(k), members);
    }
    built.adb = b.build();
    built.name = "/tmp/zmx_bench_odb_writer";
    return built;
  }();
  return m;
}

// A fresh writer that knows the model's element types.
void resetWriter() {
  dm2_testing::resetOutputWriter();
  for (int t = 0; t < kTypes; ++t) dm2_testing::registerElementType("TYPE" + std::to_string(t), 4);
}

void ours() {
  resetWriter();
  Model& m = model();
  static std::vector<double> work(6000000);
  Int core = static_cast<Int>(work.size()), handle = 0;
  const Real rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, translation[3] = {0, 0, 0};
  ODB_CREATESUPERMODEL(&m.adb, &handle, rotation, translation, work.data(), &core, m.name.c_str(),
                       static_cast<Int>(m.name.size()));
  benchmark::DoNotOptimize(work[0]);
}

// The same elements grouped by type and section with a hash map, and the same writer calls.
void straightforward() {
  resetWriter();
  const Int three = 3;
  std::string path = model().name + ".odb";
  path.resize(255, ' ');
  const Int handle = DM2_OPENNEWFILE(path.data(), 255, &three, std::string(80, ' ').data(), 80,
                                     "VELTRO/Standard         ", 24, "6.4-1   ", 8);
  const Int database = dm2_testing::nodeDatabase();
  const Int nodes = rec::i(CGN, 2);
  std::vector<Int> labels(static_cast<std::size_t>(nodes));
  for (Int i = 1; i <= nodes; ++i) {
    const Int node = ADB_GETNODE(&database, &i), op = 3, two = 2;
    ADB_NODEACCESS(&op, &node, &labels[static_cast<std::size_t>(i - 1)]);
    const Real* x = mem32::at<Real>(ADB_GETVARNDR(&database, &i, &two), 3);
    const float x1 = static_cast<float>(x[0]), x2 = static_cast<float>(x[1]), x3 = static_cast<float>(x[2]);
    DM2_DEFINESINGLENODE(&handle, &labels[static_cast<std::size_t>(i - 1)], &x1, &x2, &x3);
  }
  struct Group {
    Int slot = -1;
    std::vector<Int> labels, rows;
  };
  std::unordered_map<long long, Group> groups;
  std::vector<long long> order;
  const Int elements = rec::i(CGN, 3);
  for (Int e = 1; e <= elements; ++e) {
    const Int h = ADB_ELEMGET(&e);
    Int out = 0, n = 0;
    const Int op0 = 0, op1 = 1, op2 = 2, op3 = 3;
    const Int label = ELEMACCESS(&op0, &h, &out);
    const Int* type = mem32::at<Int>(ELEMACCESS(&op2, &h, &out), 80, dm2::kDataTag);
    const Int section = ELEMACCESS(&op3, &h, &out);
    const long long key = (static_cast<long long>(type[0]) << 32) | static_cast<std::uint32_t>(section);
    auto [it, fresh] = groups.try_emplace(key);
    if (fresh) order.push_back(key);
    const Int* list = mem32::at<Int>(ELEMACCESS(&op1, &h, &n), static_cast<std::size_t>(n), dm2::kDataTag);
    it->second.labels.push_back(label);
    for (Int k = 0; k < n; ++k) it->second.rows.push_back(labels[static_cast<std::size_t>(list[k] - 1)]);
  }
  const Int zero = 0, one = 1;
  const float none = 0.0f;
  for (long long key : order) {
    Group& g = groups[key];
    DM2_POSITIONUTILITY(&zero, &zero, &zero, &zero, &zero, &none, &none, &handle, &g.slot, "solid", 5, "TYPE0   ", 8,
                        "S        1", 10, &zero, &one, &zero, &zero, &zero, " ", 80, &zero);
    const Int count = static_cast<Int>(g.labels.size());
    DM2_DEFINEALLELEMENTS(&handle, &g.slot, &count, g.labels.data(), g.rows.data());
  }

  // Surfaces: one pseudo-element per facet, its class by type name, one set per surface.
  std::vector<double> record;
  auto read = [&](Int address) {
    const Int length = DBSLLENGTH(&address), op = 0;
    record.assign(static_cast<std::size_t>(length), 0.0);
    DBSL(&op, record.data(), &address);
    return length;
  };
  auto integer = [&](long long k) { return rec::slotI(record.data(), k); };
  auto name80 = [&](long long k) {
    std::string n(reinterpret_cast<const char*>(record.data()) + 8 * (k - 1), 8);
    n.resize(80, ' ');
    return n;
  };
  std::unordered_map<std::string, Int> slots;
  Int counter = -rec::i(CGN, 30);
  std::vector<Int> list;
  for (Int a = rec::i(CSLV, 7); a < rec::i(CSLV, 8);) {
    const Int length = read(a);
    a += length;
    if (integer(2) != 30) continue;
    const std::string name = name80(3);
    list.clear();
    long long p = integer(7);
    for (Int f = 0; f < integer(6); ++f, p += integer(p)) {
      const Int n = integer(p + 5);
      const std::string type = n == 4 ? "QSURF1  " : n == 3 ? "TSURF1  " : "LSURF3  ";
      auto [it, fresh] = slots.try_emplace(type, -1);
      if (fresh)
        DM2_POSITIONUTILITY(&zero, &zero, &zero, &zero, &zero, &none, &none, &handle, &it->second,
                            "unknown category", 16, type.c_str(), 8, "          ", 10, &zero, &one, &zero, &zero,
                            &zero, " ", 80, &zero);
      Int row[9] = {};
      for (Int k = 0; k < n && k < 9; ++k) row[k] = integer(p + 6 + k);
      const Int label = --counter;
      DM2_DEFINESINGLEELEMENT(&handle, &it->second, &label, row);
      list.push_back(label);
    }
    const Int count = static_cast<Int>(list.size());
    if (count > 0) DM2_DEFINESURFACESET(&handle, name.c_str(), 80, name.c_str(), 80, &count, list.data(), &zero);
  }

  // Element sets and node sets of the directories.
  std::vector<double> directory;
  read(rec::i(CSLV, 8));
  directory = record;
  for (Int j = 1; j <= rec::slotI(directory.data(), 2); ++j) {
    const std::string code(reinterpret_cast<const char*>(directory.data()) + 8 * (4 + 2 * (j - 1)), 8);
    const Int length = read(rec::i(CSLV, 8) + rec::slotI(directory.data(), 6 + 2 * (j - 1)) - 1);
    list.clear();
    for (Int k = 2; k <= length; ++k) {
      const Int e = integer(k), h = ADB_ELEMGET(&e), op0 = 0;
      Int out = 0;
      list.push_back(ELEMACCESS(&op0, &h, &out));
    }
    std::string full = code;
    full.resize(80, ' ');
    const Int count = static_cast<Int>(list.size());
    DM2_DEFINEELEMENTSET(&handle, code.c_str(), 8, full.c_str(), 80, &count, list.data(), &zero);
  }
  read(rec::i(CSLV, 9));
  directory = record;
  Int k = 0;
  for (Int a = rec::i(CSLV, 9) + rec::slotI(directory.data(), 6) - 1; a < rec::i(CSLV, 10); ++k) {
    const Int length = read(a);
    a += length;
    std::string first = "SET " + std::to_string(k + 1), full(reinterpret_cast<const char*>(directory.data()) + 8 * (4 + 2 * k), 8);
    first.resize(80, ' ');
    full.resize(80, ' ');
    list.clear();
    for (Int m = 2; m <= length; ++m) list.push_back(labels[static_cast<std::size_t>(integer(m) - 1)]);
    const Int count = static_cast<Int>(list.size());
    DM2_DEFINENODESET(&handle, first.c_str(), 80, full.c_str(), 80, &count, list.data(), &zero);
  }
}

void BM_CreateSuperModel(benchmark::State& state) {
  int modules = 0;
  shr_initialize(modules);
  eqc_testing::setEcho(false);
  model();
  zmxbench::runWithRatio(state, "unordered_map grouping loop", 1.5, ours, straightforward, 1.0);
  shr_finalize(modules);
}
BENCHMARK(BM_CreateSuperModel)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

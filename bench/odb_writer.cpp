// Writing a substructure of 200,000 elements in 1,000 classes into an output database, against a
// straightforward loop in the same binary that reads the same elements, groups them with
// std::unordered_map and makes the same writer calls.
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
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"
#include "zmx/storage/frame.h"

namespace {

constexpr int kElements = 200000;
constexpr int kTypes = 10;
constexpr int kSectionsPerType = 100;  // 1,000 classes
constexpr int kNodes = 50000;

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
    built.adb = b.build();
    built.name = "/tmp/zmx_bench_odb_writer";
    return built;
  }();
  return m;
}

void ours() {
  dm2_testing::resetOutputWriter();
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
  dm2_testing::resetOutputWriter();
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

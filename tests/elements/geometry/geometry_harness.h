// A host's side of ELGGEN for the tests: one element built in the analysis-database stand-in and
// the arrays the pre-processor passes, with the record reset and the recorded checks at hand.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/element_checks_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/elements/geometry.h"

namespace geometry_test {

using Words = std::vector<std::pair<int, Int>>;

inline Real cphconReal(int word) { return rec::r(CPHCON, word); }

class GeometryTest : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    dm2_testing::resetModel();
    eqc_checks_testing::clearCalls();
    eqc_checks_testing::setMeasures(0.0, 0.0);
    rec::clear(CPHCON);
    rec::clear(CNSPRE);
    rec::clear(CAXIMODEL);
    rec::clear(CGN);
    rec::i(CPROG, eqc_records::kProgramKind) = 1;
    section.assign(20, 0.0);
    data.assign(64, 0.0);
  }
  void TearDown() override {
    dm2_testing::resetModel();
    HostFixture::TearDown();
  }

  // An element of `family` with nodes at the given coordinates (ldim per node) and type words.
  Int element(Int family, Int type, const std::vector<std::vector<Real>>& coordinates, Words words = {},
              std::vector<dm2_testing::Variable> variables = {}, Int userElement = 501) {
    const Int nn = static_cast<Int>(coordinates.size());
    ldim = coordinates.empty() ? 3 : static_cast<Int>(coordinates[0].size());
    X.clear();
    std::vector<Int> nodes;
    for (std::size_t k = 0; k < coordinates.size(); ++k) {
      X.insert(X.end(), coordinates[k].begin(), coordinates[k].end());
      nodes.push_back(dm2_testing::addNode({static_cast<Int>(1001 + k), coordinates[k]}));
    }
    bool hasNodeCount = false;
    for (const auto& w : words) hasNodeCount = hasNodeCount || w.first == 36;
    dm2_testing::ElementType t{type, family, ldim, hasNodeCount ? 0 : nn, words};
    dm2_testing::Element e;
    e.userNumber = userElement;
    e.type = dm2_testing::addElementType(t);
    e.nodes = nodes;
    e.recordAddresses = recordAddresses;
    dm2_testing::Layout second;
    second.variables = variables;
    e.layout.sublayouts.push_back(dm2_testing::Layout{{}, {second}});
    e.layout.variables = variables;
    handle = dm2_testing::addElement(e);
    nodeList = nodes;
    return handle;
  }

  void run() {
    const Int nodeDb = dm2_testing::nodeDatabase();
    ELGGEN(a1.data(), a2.data(), &a3, section.data(), data.data(), X.data(), &a7, &ldim, &a9, segments.data(), &segmentRows,
           &rowsFilled, cavities.data(), &infoCapacity, a15.data(), a16.data(), &imported, &handle, &a19, &status,
           springBuffer.data(), &nodeDb, &a23, a24.data(), a25.data(), &a26, &a27, a28.data());
  }

  std::vector<eqc_checks_testing::CheckCall> calls() const { return eqc_checks_testing::calls(); }

  std::vector<Real> a1 = std::vector<Real>(64, 0.0);  // the slave-surface record buffer
  std::vector<Real> a2 = std::vector<Real>(64, 0.0);
  Int a3 = 4, a7 = -9, ldim = 3, a9 = 0, imported = 0, handle = 0, status = 77, a23 = 0, a26 = 0, a27 = 0;
  std::vector<Real> section, data, X;
  std::vector<Real> a15 = std::vector<Real>(8, 0.0), a16 = std::vector<Real>(8, 0.0);
  std::vector<Real> a24 = std::vector<Real>(256, 0.0), a25 = std::vector<Real>(32, 0.0), a28 = std::vector<Real>(4, 0.0);
  std::vector<Int> nodeList;
  std::vector<Int> recordAddresses;  // the element's slide-line record addresses (its interface list)
  // Fluid segment table (segmentRows x 5), its rows filled, the cavity table and record buffers.
  Int segmentRows = 8, rowsFilled = 0, a19 = 0, infoCapacity = 64;
  std::vector<Int> segments = std::vector<Int>(40, 0);
  std::vector<Real> cavities = std::vector<Real>(16, 0.0), springBuffer = std::vector<Real>(64, 0.0);
};

// Square and cube corner coordinates.
inline std::vector<std::vector<Real>> planarNodes(int n) {
  std::vector<std::vector<Real>> c;
  for (int k = 0; k < n; ++k) c.push_back({1.0 + k, 0.5 * k});
  return c;
}
inline std::vector<std::vector<Real>> solidNodes(int n) {
  std::vector<std::vector<Real>> c;
  for (int k = 0; k < n; ++k) c.push_back({1.0 + k, 0.5 * k, -0.25 * k});
  return c;
}

}  // namespace geometry_test

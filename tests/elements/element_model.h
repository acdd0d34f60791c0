// Elements of the analysis-database stand-in for the element geometry tests: an element with
// variables on its layout and on each sub-layout, and the values a routine left in them.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/element_checks_testing.h"
#include "siblings/eqc/line_shell_checks.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/elements/geometry.h"

namespace element_model {

using Words = std::vector<std::pair<int, Int>>;
using Coordinates = std::vector<std::vector<Real>>;

inline dm2_testing::Variable reals(Int id, int n) { return {id, false, std::vector<Real>(n, -99.0)}; }

struct Plan {
  Int family = 0, type = 1;
  Coordinates nodes;  // one vector per node
  Words words = {};
  std::vector<dm2_testing::Variable> variables = {};            // on the element layout
  std::vector<std::vector<dm2_testing::Variable>> sublayouts = {};  // per sub-layout
  Int user = 501;
  Int section = 0;
  std::vector<Int> recordAddresses = {};
  std::vector<Int> userNodes = {};  // default 1001, 1002, ...
  std::vector<std::vector<Int>> nodeRecords = {};  // slide-line record addresses per node
};

class ElementTest : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    dm2_testing::resetModel();
    eqc_checks_testing::clearCalls();
    eqc_checks_testing::setMeasures(0.0, 0.0);
    eqc_checks_testing::setShellPointWeight(1.0);
    eqc_testing::setSlideLineStore({});
    rec::clear(CPHCON);
    rec::clear(CSLEF);
    rec::clear(CSLNF);
    rec::i(CPROG, eqc_records::kProgramKind) = 0;
  }
  void TearDown() override {
    dm2_testing::resetModel();
    HostFixture::TearDown();
  }

  // Builds the element; X gets the node columns (ldim = length of the first node's vector).
  Int build(const Plan& s) {
    ldim = s.nodes.empty() ? 3 : static_cast<Int>(s.nodes[0].size());
    X.clear();
    nodeList.clear();
    for (std::size_t k = 0; k < s.nodes.size(); ++k) {
      X.insert(X.end(), s.nodes[k].begin(), s.nodes[k].end());
      dm2_testing::Node node{k < s.userNodes.size() ? s.userNodes[k] : static_cast<Int>(1001 + k), s.nodes[k]};
      if (k < s.nodeRecords.size()) node.slideLineAddresses = s.nodeRecords[k];
      nodeList.push_back(dm2_testing::addNode(node));
    }
    bool hasNodeCount = false;
    for (const auto& w : s.words) hasNodeCount = hasNodeCount || w.first == 36;
    dm2_testing::ElementType t{s.type, s.family, 3, hasNodeCount ? 0 : static_cast<Int>(s.nodes.size()), s.words};
    typeWords.assign(80, 0);
    dm2_testing::Element e;
    e.userNumber = s.user;
    e.type = dm2_testing::addElementType(t);
    e.nodes = nodeList;
    e.section = s.section;
    e.recordAddresses = s.recordAddresses;
    e.layout.variables = s.variables;
    for (const auto& vars : s.sublayouts) e.layout.sublayouts.push_back(dm2_testing::Layout{vars, {}});
    handle = dm2_testing::addElement(e);
    typeWords[0] = s.type, typeWords[3] = s.family, typeWords[6] = 3,
    typeWords[35] = hasNodeCount ? 0 : static_cast<Int>(s.nodes.size());
    for (const auto& w : s.words) typeWords[w.first - 1] = w.second;
    return handle;
  }

  // Values of real variable id of the layout (the element's when sub is 0, else sub-layout sub).
  std::vector<Real> variable(Int id, int n, Int sub = 0) const {
    Int layout = handle;
    if (sub > 0) {
      const Int zero = 0;
      layout = GETSUBLAYOUT(&zero, &handle, &sub);
    }
    const Int address = GETVARDRW(&layout, &id);
    const Real* v = mem32::at<Real>(address, static_cast<std::size_t>(n), dm2::kDataTag);
    return v != nullptr ? std::vector<Real>(v, v + n) : std::vector<Real>{};
  }

  std::vector<eqc_checks_testing::CheckCall> callsNamed(const std::string& name) const {
    std::vector<eqc_checks_testing::CheckCall> out;
    for (const auto& c : eqc_checks_testing::calls())
      if (c.name == name) out.push_back(c);
    return out;
  }

  Real& x(int r, int j) { return X[static_cast<std::size_t>(ldim) * (j - 1) + (r - 1)]; }

  Int handle = 0, ldim = 3, status = 0;
  std::vector<Real> X;
  std::vector<Int> nodeList, typeWords;
};

}  // namespace element_model

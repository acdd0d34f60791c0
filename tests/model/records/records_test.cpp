// Node and element model records: position-code lists, constraint flags, transformations,
// connector and load-case names, mass-reading flags, region labels and circular arcs.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_testing.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/model_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/model.h"
#include "zmx/storage.h"

namespace {

std::vector<Int> codes(const std::vector<Int>& list, Int n) { return {list.begin(), list.begin() + n}; }

TEST(ElementCodes, CountsAndPositionLists) {
  Int ncum[8];
  const Int n1 = 3, n2 = 0, n3 = 2, n4 = 1;
  DOFCOUNT(ncum, &n1, &n2, &n3, &n4);
  EXPECT_EQ((std::vector<Int>(ncum, ncum + 8)), (std::vector<Int>{3, 0, 2, 1, 6, 3, 3, 5}));
  std::vector<Int> list(200, 0);
  Int nl1 = 0, nl2 = 0;
  const Int one = 1, five = 5, three = 3, kind2211 = 2211, other = 2205;
  LESET2(list.data(), &one, &other, &nl1, &nl2, &one);
  EXPECT_EQ(codes(list, nl1), (std::vector<Int>{1, 2, 3, 4, 5, 6, 201, 301, 302}));
  LESET2(list.data(), &one, &kind2211, &nl1, &nl2, &five);
  EXPECT_EQ(codes(list, nl1),
            (std::vector<Int>{1, 2, 3, 4, 5, 6, 201, 301, 401, 402, 601, 602, 302, 403, 404, 603, 604}));
  LESET2(list.data(), &one, &other, &nl1, &nl2, &three);
  EXPECT_EQ(codes(list, nl2),
            (std::vector<Int>{1, 2, 3, 4, 5, 6, 201, 301, 401, 402, 501, 502, 302, 403, 404, 503, 504}));
  const Int two = 2;
  LESET3(list.data(), &one, &nl1, &nl2, &two);
  EXPECT_EQ(codes(list, nl1), (std::vector<Int>{1, 2, 3, 4, 5, 6, 101, 102, 201, 202, 301, 302, 303, 304, 203, 204,
                                                305, 306, 307, 308}));
  const Int none = 0;
  LESET3(list.data(), &none, &nl1, &nl2, &two);
  EXPECT_EQ(nl1, 0);
  // ELSEL leaves everything untouched unless word 15 of the record is 201.
  Int element[60] = {};
  element[14] = 200;
  element[44] = 1;
  nl1 = nl2 = -1;
  list[0] = -5;
  ELSEL(element, list.data(), &one, &other, &nl1, &nl2);
  EXPECT_EQ(nl1, -1);
  EXPECT_EQ(list[0], -5);
  element[14] = 201;
  ELSEL(element, list.data(), &one, &other, &nl1, &nl2);
  EXPECT_EQ(nl1, 9);
  const Int shell = 2301;
  ELSEL(element, list.data(), &one, &shell, &nl1, &nl2);
  EXPECT_EQ(nl1, 12);
  // Categories from the degree-of-freedom positions.
  rec::clear(CLDOF);
  Int ncat = 0, icat[6];
  rec::i(CLDOF, 4) = 4;
  rec::i(CLDOF, 11) = 7;
  DOFCATEGORIZATION(&ncat, icat, &two);
  EXPECT_EQ((std::vector<Int>(icat, icat + ncat)), (std::vector<Int>{8, 2}));
  rec::i(CLDOF, 1) = 1;
  DOFCATEGORIZATION(&ncat, icat, &one);
  EXPECT_EQ((std::vector<Int>(icat, icat + ncat)), (std::vector<Int>{0, 2}));
  rec::clear(CLDOF);
}

class NodeRecords : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    eqc_testing::setSlideLineStore({});
    rec::clear(CLDOF);
    rec::clear(CONTRO);
    for (int d = 1; d <= 6; ++d) rec::i(CLDOF, d) = d;
    rec::i(CGN, 4) = 6;
    rec::i(CGN, 9) = 3;
  }
  void TearDown() override {
    dm2_testing::resetModel();
    dm2_testing::clearModelParts();
    HostFixture::TearDown();
  }
  // A boundary-condition record: dof, value, type, and a label when given.
  static Int condition(Int dof, Int value, Int type, const char* label = nullptr) {
    std::vector<double> s(label != nullptr ? 15 : 13, 0.0);
    s[0] = eqc_testing::integerSlot(dof);
    s[1] = eqc_testing::integerSlot(value);
    s[12] = eqc_testing::integerSlot(type);
    if (label != nullptr) std::memcpy(&s[14], label, 8);
    return eqc_testing::appendSlideLineSlots(s);
  }
  Int node(std::vector<Int> conditions, std::vector<Int> records = {}) {
    dm2_testing::Node n;
    n.coordinates = {1.0, 2.0, 3.0};
    n.dofList = std::move(conditions);
    n.slideLineAddresses = std::move(records);
    n.dofWord = 63;
    const Int index = dm2_testing::addNode(n);
    const Int db = dm2_testing::nodeDatabase();
    return ADB_GETNODE(&db, &index);
  }
};

TEST_F(NodeRecords, ConstraintFlagsFromConditions) {
  const Int all = condition(0, 1, 7);
  const Int second = condition(2, 3, 0);
  const Int labelled = condition(3, 1, 0, "LOADCASE");
  const Int wild = condition(31, 1, 0);
  rec::i(CSLNS, 3) = static_cast<Int>(eqc_testing::slideLineStore().size()) + 1;
  const Int n = node({all, second, labelled, wild, 0, condition(1, 1, 0)});
  double slrec[32];
  Int iflags[8] = {9, 9, 9, 9, 9, 9, -1, -1}, ilast = 0;
  SHR_NODBC(slrec, iflags, &ilast, &n);
  // Type 7 adds to all six; the labelled condition, the wild degree of freedom and everything after
  // the first 0 add nothing; nothing is written past CGN word 4.
  EXPECT_EQ((std::vector<Int>(iflags, iflags + 8)), (std::vector<Int>{1, 4, 1, 1, 1, 1, -1, -1}));
  EXPECT_EQ(ilast, wild);
  // Positive values count as 1 under the unit-value switch.
  rec::i(CONTRO, 124) = 1;
  ilast = 0;
  SHR_NODBC(slrec, iflags, &ilast, &n);
  EXPECT_EQ(iflags[1], 2);
  // A degree of freedom the model does not use takes nothing.
  rec::i(CLDOF, 5) = 0;
  Int flags[6] = {};
  const Int type1 = 1, value = 2;
  SHR_ELBCB(&type1, flags, &value);
  EXPECT_EQ((std::vector<Int>(flags, flags + 6)), (std::vector<Int>{2, 0, 0, 0, 0, 2}));
}

TEST_F(NodeRecords, CalledThroughTheWorkSpace) {
  // The scratch record lies in the work space at CELGI word 33.
  std::vector<double> space(64);
  const Int base = mem32::map(space.data(), space.size() * sizeof(double), mem32::tag("TEST"));
  rec::i(CSP, 3) = base;
  rec::i(CSP, 1) = 0;
  rec::i(CELGI, 33) = 3;
  rec::i(CSLNS, 3) = 1000;
  const Int n = node({condition(0, 3, 8)});
  Int iflags[6];
  const Int six = 6;
  SHR_CALLNODBC(iflags, &six, &n);
  EXPECT_EQ((std::vector<Int>(iflags, iflags + 6)), (std::vector<Int>{1, 1, 1, 0, 0, 0}));
  rec::i(CONTRO, 17) = 4;
  SHR_CALLNODBC(iflags, &six, &n);
  EXPECT_EQ(iflags[0], 1);
  EXPECT_EQ(space[1], eqc_testing::slideLineStore()[0]) << "the record was read into the work space";
  // A bad word is reported and nothing is read.
  rec::i(CELGI, 33) = 100000;
  eqc_testing::clearMessages();
  iflags[0] = -3;
  SHR_CALLNODBC(iflags, &six, &n);
  EXPECT_EQ(iflags[0], -3);
  EXPECT_GT(eqc_testing::countAtLevel(-3), 0);
  mem32::unmap(base);
}

TEST_F(NodeRecords, TransformationsAreOrthonormal) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (Int kind : {2, 3}) {
    for (int trial = 0; trial < 10; ++trial) {
      Eigen::Vector3d axis(u(rng), u(rng), u(rng));
      axis.normalize();
      double definition[6] = {u(rng), u(rng), u(rng), axis[0], axis[1], axis[2]};
      double point[3] = {u(rng), u(rng), u(rng)};
      if (trial == 0) std::copy_n(definition, 3, point);  // at the definition point
      if (trial == 1)
        for (int i = 0; i < 3; ++i) point[i] = definition[i] + 0.5 * axis[i];  // on the axis
      Eigen::Matrix3d t;
      ELTRM(t.data(), &kind, definition, point);
      EXPECT_NEAR((t.transpose() * t - Eigen::Matrix3d::Identity()).norm(), 0.0, 1e-12) << kind << " " << trial;
      EXPECT_NEAR(t.determinant(), 1.0, 1e-12);
      if (kind == 2) {
        EXPECT_NEAR((t.col(2) - axis).norm(), 0.0, 1e-12);
      }
      if (kind == 3 && trial > 0) {
        const Eigen::Vector3d radial = Eigen::Vector3d(point[0], point[1], point[2]) -
                                       Eigen::Vector3d(definition[0], definition[1], definition[2]);
        EXPECT_NEAR((t.col(0) - radial.normalized()).norm(), 0.0, 1e-12);
      }
    }
  }
  // Through the node's transformation record: a rotation of 90 degrees about z.
  const double rotation[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  std::vector<double> record{eqc_testing::integerSlot(1)};
  record.insert(record.end(), rotation, rotation + 9);
  const Int address = eqc_testing::appendSlideLineSlots(record);
  rec::i(CSLNF, 4) = address;
  rec::i(CSLNF, 5) = address + 11;
  const Int with = node({}, {address}), without = node({}, {address + 11});
  double vec[6] = {1, 0, 0, 0, 0, 0}, slrec[16];
  Int iflag = -1;
  const Int transposeFirst = 1, one = 1, six = 6;
  const double coordinates[3] = {0, 0, 0};
  SHR_NODTRA(vec, slrec, &transposeFirst, &one, &iflag, coordinates, &with, &six);
  EXPECT_EQ(iflag, 0);
  EXPECT_NEAR(vec[1], 1.0, 1e-15);
  SHR_NODTRA(vec, slrec, &transposeFirst, &one, &iflag, coordinates, &without, &six);
  EXPECT_EQ(iflag, 1);
}

TEST_F(NodeRecords, ConnectorLoadCaseAndMassFlags) {
  Int connector[20] = {};
  connector[12] = 204;
  connector[14] = 999;
  char names[40];
  SHR_CONNECTORTYPE(connector, names, 20);
  EXPECT_EQ(std::string(names, 40), std::string("CONSTANT VELOCITY   ") + std::string(20, ' '));
  char shortFields[8];
  SHR_CONNECTORTYPE(connector, shortFields, 4);
  EXPECT_EQ(std::string(shortFields, 8), "CONS    ");
  // Load cases: the first step record of kind 4; names past its end are blank.
  const double a = [] { double v; std::memcpy(&v, "CASE-ONE", 8); return v; }();
  eqc_testing::appendSlideLineSlots({eqc_testing::integerSlot(2), 1.0});
  const Int k4 = eqc_testing::appendSlideLineSlots({eqc_testing::integerSlot(4), a});
  rec::i(CSLV, 15) = 1;
  rec::i(CSLV, 16) = k4 + 3;
  rec::i(CGM, 54) = dm2_testing::addGlobalBlock(16);
  double loadCases[3];
  const Int three = 3;
  SHR_LOADCASENAMES(loadCases, &three);
  EXPECT_EQ(std::memcmp(&loadCases[0], "CASE-ONE", 8), 0);
  EXPECT_EQ(std::memcmp(&loadCases[1], "        ", 8), 0);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  // A block with no room: the names stay blank and the block is closed again.
  rec::i(CGM, 54) = dm2_testing::addGlobalBlock(0);
  loadCases[0] = 1.0;
  SHR_LOADCASENAMES(loadCases, &three);
  EXPECT_EQ(std::memcmp(&loadCases[0], "        ", 8), 0);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  // Mass-reading flags.
  rec::clear(CSLEF);
  rec::clear(CSUP);
  rec::i(CONTRO, 115) = 1;
  dm2_testing::Element e;
  e.type = dm2_testing::addElementType({3100, 3, 3, 2, {{22, 1}, {29, 1}}});
  e.recordAddresses = {40};
  const Int element = dm2_testing::addElement(e);
  Int flags[20] = {};
  Logical read1 = 7, read2 = 7;
  Int type = 0;
  SHR_SETMASSREADFLAGS(&element, flags, &read1, &read2, &type);
  EXPECT_EQ(type, 3100);
  EXPECT_EQ(read2, kTrue);
  EXPECT_EQ(read1, kTrue);
  rec::i(CSLEF, 31) = 30;
  rec::i(CSLEF, 13) = 50;
  SHR_SETMASSREADFLAGS(&element, flags, &read1, &read2, &type);
  EXPECT_EQ(flags[12], 2);
  EXPECT_EQ(read2, kFalse);
}

// The literal labelling: relabel the model at every merge and close the gap.
std::vector<Int> literalLabels(const std::vector<std::vector<Int>>& elements, Int nnodes, Int& nreg) {
  std::vector<Int> ireg(static_cast<std::size_t>(nnodes) + 1, 0);
  Int c = 1;
  for (const auto& nodes : elements) {
    Int m = nnodes + 1;
    for (Int n : nodes)
      if (ireg[n] > 0) m = std::min(m, ireg[n]);
    if (m <= nnodes) {
      for (Int n : nodes) {
        const Int l = ireg[n];
        if (l == 0 || l == m) {
          ireg[n] = m;
        } else if (l > m) {
          bool carried = false;
          for (Int& x : ireg) {
            if (x == l) {
              x = m;
              carried = true;
            } else if (x > l) {
              --x;
            }
          }
          if (carried) --c;
        }
      }
    } else {
      for (Int n : nodes) ireg[n] = c;
      ++c;
    }
  }
  nreg = c - 1;
  return {ireg.begin() + 1, ireg.end()};
}

TEST_F(NodeRecords, RegionLabelsEqualTheLiteralLoop) {
  std::mt19937 rng(21);
  for (int trial = 0; trial < 30; ++trial) {
    const Int nnodes = 40 + trial * 3;
    std::uniform_int_distribution<Int> pick(1, nnodes), size(1, 4);
    std::vector<std::vector<Int>> elements;
    std::vector<Int> types;
    for (int e = 0; e < nnodes / 2; ++e) {
      std::vector<Int> nodes;
      for (Int k = size(rng); k > 0; --k) nodes.push_back(pick(rng));
      elements.push_back(nodes);
      types.push_back(e % 3 == 0 ? 6500 : 3100);
    }
    dm2_testing::clearModelParts();
    const Int part = dm2_testing::addPart(types, elements);
    for (Int mode : {1, 2}) {
      std::vector<std::vector<Int>> chosen;
      for (std::size_t e = 0; e < elements.size(); ++e)
        if (mode == 2 || types[e] == 6500) chosen.push_back(elements[e]);
      Int want = 0, nreg = -1;
      const auto expected = literalLabels(chosen, nnodes, want);
      std::vector<Int> ireg(static_cast<std::size_t>(nnodes), 0);
      const Int nel = static_cast<Int>(elements.size());
      EXPECT_EQ(SHR_CHECKUNCONNECTEDREGIONS(&mode, &part, ireg.data(), &nreg, &nel, &nnodes), want);
      EXPECT_EQ(nreg, want);
      EXPECT_EQ(ireg, expected) << "trial " << trial << " mode " << mode;
    }
  }
  // Two elements sharing no node are two regions; a third joining them leaves one.
  dm2_testing::clearModelParts();
  const Int part = dm2_testing::addPart({1, 1, 1}, {{1, 2}, {3, 4}, {2, 3}});
  std::vector<Int> ireg(4, 0);
  Int nreg = 0;
  const Int mode = 2, two = 2, three = 3, four = 4;
  SHR_CHECKUNCONNECTEDREGIONS(&mode, &part, ireg.data(), &nreg, &two, &four);
  EXPECT_EQ(nreg, 2);
  std::fill(ireg.begin(), ireg.end(), 0);
  SHR_CHECKUNCONNECTEDREGIONS(&mode, &part, ireg.data(), &nreg, &three, &four);
  EXPECT_EQ(nreg, 1);
}

TEST_F(NodeRecords, ArcPointsLieOnTheCircle) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 10; ++trial) {
    const Eigen::Vector3d centre(u(rng), u(rng), u(rng)), a(u(rng), u(rng), u(rng)), b(u(rng), u(rng), u(rng));
    const double radius = 2.0;
    const Eigen::Vector3d e1 = a.normalized(), e2 = (b - b.dot(e1) * e1).normalized();
    const double angle = 0.3 + 2.5 * (u(rng) + 1) / 2;
    const Eigen::Vector3d end1 = centre + radius * e1, end2 = centre + radius * (std::cos(angle) * e1 + std::sin(angle) * e2);
    double p1[6] = {end1[0], end1[1], end1[2], 0, 0, 1}, p2[6] = {end2[0], end2[1], end2[2], 1, 0, 0};
    double pc[6] = {centre[0], centre[1], centre[2], 0, 0, 0}, xout[6], xi = 0;
    const Int request = 1, setUp = 1, evaluate = 0;
    Int ierr = -1;
    BCIR(p1, p2, pc, xout, &xi, &request, &setUp, &ierr);
    ASSERT_EQ(ierr, 0);
    EXPECT_NEAR(rec::r(CIRGEN, 21), angle, 1e-12);
    for (double x : {-1.0, -0.3, 0.5, 1.0}) {
      BCIR(p1, p2, pc, xout, &x, &request, &evaluate, &ierr);
      const Eigen::Vector3d p(xout[0], xout[1], xout[2]);
      EXPECT_NEAR((p - centre).norm(), radius, 1e-12);
      EXPECT_NEAR((p - centre).dot(e1.cross(e2)), 0.0, 1e-12);
      EXPECT_NEAR(Eigen::Vector3d(xout[3], xout[4], xout[5]).norm(), 1.0, 1e-12);
      if (x == -1.0) {
        EXPECT_NEAR((p - end1).norm(), 0.0, 1e-12);
      }
      if (x == 1.0) {
        EXPECT_NEAR((p - end2).norm(), 0.0, 1e-12);
      }
    }
  }
  // Three points on a line without a normal; an end point on the centre; ends far off a circle.
  double p1[6] = {1, 0, 0, 0, 0, 0}, p2[6] = {-1, 0, 0, 0, 0, 0}, pc[6] = {0, 0, 0, 0, 0, 0}, xout[6], xi = 0;
  const Int none = 0, setUp = 1;
  Int ierr = 0;
  BCIR(p1, p2, pc, xout, &xi, &none, &setUp, &ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_TRUE(eqc_testing::printed("THE THREE NODES DEFINING A CIRCLE LIE ON A LINE. A NORMAL DIRECTION MUST BE GIVEN"));
  double onCentre[6] = {0, 0, 0, 0, 0, 0};
  BCIR(onCentre, p2, pc, xout, &xi, &none, &setUp, &ierr);
  EXPECT_EQ(ierr, 1);
  double far[6] = {0, 2, 0, 0, 0, 0};
  BCIR(p1, far, pc, xout, &xi, &none, &setUp, &ierr);
  EXPECT_EQ(ierr, 2);
  EXPECT_NEAR(rec::r(CIRGEN, 21), M_PI / 2, 1e-12);
  // Evaluation leaves the status of the set-up as it was.
  const Int evaluate = 0;
  BCIR(p1, far, pc, xout, &xi, &none, &evaluate, &ierr);
  EXPECT_EQ(ierr, 2);
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  // A given normal: along e1 x r2 the short way, against it the long way, and coincident end
  // points a full circle.
  const struct {
    double end[3], normal[3], angle;
  } arcs[] = {{{0, 1, 0}, {0, 0, 2}, M_PI / 2}, {{0, 1, 0}, {0, 0, -1}, 6.28318530717958 - M_PI / 2},
              {{1, 0, 0}, {0, 0, 1}, 6.28318530717958}};
  for (const auto& arc : arcs) {
    double end[6] = {arc.end[0], arc.end[1], arc.end[2], 0, 0, 0};
    double centre[6] = {0, 0, 0, arc.normal[0], arc.normal[1], arc.normal[2]};
    BCIR(p1, end, centre, xout, &xi, &none, &setUp, &ierr);
    EXPECT_EQ(ierr, 0);
    EXPECT_NEAR(rec::r(CIRGEN, 21), arc.angle, 1e-12);
    const double quarter = -0.5;  // a quarter of the way round from the first end point
    BCIR(p1, end, centre, xout, &quarter, &none, &evaluate, &ierr);
    const double t = 0.25 * arc.angle, turn = arc.normal[2] > 0 ? 1.0 : -1.0;
    EXPECT_NEAR(xout[0], std::cos(t), 1e-12);
    EXPECT_NEAR(xout[1], turn * std::sin(t), 1e-12);
  }
}

}  // namespace

// The output-database road of the example host: a small substructure (a tetrahedron with a solid
// section of a named material, one orientation, one part, a surface on one face, an analytical
// rigid surface on the fourth node and a fixed first node) is written into a new output database,
// and the writer's transcript of the calls is printed.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/model_testing.h"
#include "siblings/dm2/element_numbers.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/dm2/output_testing.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "zmx/storage/records.h"
#include "zmx/odb.h"

namespace {

double slot(Int value) { return eqc_testing::integerSlot(value); }

double nameSlot(const char* name) {
  char bytes[8];
  std::memset(bytes, ' ', 8);
  std::memcpy(bytes, name, std::strlen(name));
  double s;
  std::memcpy(&s, bytes, 8);
  return s;
}

Int nameWord(const char* name, int half) {
  char bytes[8];
  std::memset(bytes, ' ', 8);
  std::memcpy(bytes, name, std::strlen(name));
  Int w;
  std::memcpy(&w, bytes + 4 * half, 4);
  return w;
}

// Lays out the slide-line records of the model; gives the address of its section record and, in
// the two references, the addresses of the node's rigid-surface reference and its fixing.
Int layOutRecords(Int* rigidReference, Int* fixing) {
  rec::clear(CSLEF);
  rec::clear(CSLV);
  rec::clear(CSLNF);
  rec::clear(CSLNS);
  std::vector<double> store;
  auto append = [&](std::vector<double> slots) {
    const Int address = static_cast<Int>(store.size()) + 1;
    store.push_back(slot(static_cast<Int>(slots.size()) + 1));
    store.insert(store.end(), slots.begin(), slots.end());
    return address;
  };
  rec::i(CSLEF, 2) = 1;
  const Int material = append({nameSlot("STEEL")});
  const Int section = append({slot(0), slot(material), slot(1)});
  for (int w = 3; w <= 50; ++w) rec::i(CSLEF, w) = static_cast<Int>(store.size()) + 1;
  rec::i(CSLEF, 30) = rec::i(CSLEF, 3);
  Int pair[2] = {section, 1};
  double packed;
  std::memcpy(&packed, pair, 8);
  rec::i(CSLEF, 49) = append({slot(1), packed});
  rec::i(CSLV, 3) = append({slot(1), nameSlot("ORI"), 1.0, 0.0, 0.0, 0.0, 1.0, 0.0, slot(1), 0.0});
  rec::i(CSLV, 4) = rec::i(CSLV, 7) = static_cast<Int>(store.size()) + 1;
  // The surface "TOP": one three-node facet (facet 2 of element class 1) on the last three nodes.
  append({slot(30), nameSlot("TOP"), slot(3), slot(0), slot(1), slot(10), nameSlot(""), slot(0), slot(9), slot(0),
          slot(2), slot(1), slot(1), slot(3), slot(20), slot(30), slot(40)});
  // The element-set and node-set directories, each list right behind its directory.
  rec::i(CSLV, 8) = append({slot(1), slot(0), slot(0), nameSlot("XIDROAD"), slot(7)});
  append({slot(1)});
  rec::i(CSLV, 9) = append({slot(2), slot(0), slot(0), nameSlot("XIDROAD"), slot(9), nameSlot(" PIBATCH"), slot(14)});
  append({slot(1), slot(2), slot(3), slot(4)});
  append({slot(1)});
  rec::i(CSLV, 10) = static_cast<Int>(store.size()) + 1;
  rec::i(CSLNF, 4) = rec::i(CSLNF, 5) = static_cast<Int>(store.size()) + 1;
  // The analytical rigid surface of the fourth node and the node's reference to it.
  const Int rigid = append({slot(3)});
  rec::i(CSLNF, 11) = static_cast<Int>(store.size()) + 1;
  *rigidReference = append({slot(rigid), slot(0)});
  rec::i(CSLNF, 12) = static_cast<Int>(store.size()) + 1;
  rec::i(CSLV, 15) = rec::i(CSLV, 16) = rec::i(CSLNF, 12);
  // The first node fixed in its first degree of freedom.
  rec::i(CSLNS, 2) = static_cast<Int>(store.size()) + 1;
  std::vector<double> fixed(38, slot(0));
  fixed[0] = slot(1);
  fixed[1] = slot(1);
  fixed[37] = slot(1);
  *fixing = append(fixed);
  rec::i(CSLNS, 3) = static_cast<Int>(store.size()) + 1;
  eqc_testing::setSlideLineStore(store);
  return section;
}

void buildModel() {
  dm2_testing::resetModel();
  dm2_testing::clearModelParts();
  dm2_testing::resetNodePackages();
  Int rigidReference = 0, fixing = 0;
  const Int section = layOutRecords(&rigidReference, &fixing);
  const Real corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int k = 0; k < 4; ++k) {
    dm2_testing::Node n;
    n.userNumber = 10 * (k + 1);
    if (k == 3) n.slideLineAddresses = {rigidReference};
    if (k == 0) n.dofList = {fixing};
    n.coordinates.assign(corners[k], corners[k] + 3);
    const Int index = dm2_testing::addNode(n);
    dm2_testing::setNodeVariable(index, 2, n.coordinates);
  }
  dm2_testing::setNodeFlags({4, 4, 4, 4});
  dm2_testing::ElementType type;
  type.typeCode = 3004;
  type.familyCode = 100;
  type.nodeCount = 4;
  type.words = {{2, nameWord("C3D4", 0)}, {3, nameWord("C3D4", 1)}};
  dm2_testing::registerElementType("C3D4", 4);
  dm2_testing::Element element;
  element.userNumber = 1;
  element.type = dm2_testing::addElementType(type);
  element.nodes = {1, 2, 3, 4};
  element.section = section;
  dm2_testing::mapElementEntry(1, dm2_testing::addElement(element));

  rec::i(CGN, 2) = 4;
  rec::i(CGN, 3) = 1;
  rec::i(CGM, 1) = 100;
  rec::i(CGM, 37) = 13;
  for (int w = 40; w <= 54; ++w) rec::i(CGM, w) = 48;
  rec::i(CGM, 66) = 0;
  rec::i(CGM, 80) = 16;
  rec::i(CEOSZ, 12) = 3;
  rec::i(CPROC, 2) = 1;
  rec::setChars(CHEAD, 1, 80, "ODB ROAD");
  rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, "");
  rec::setChars(CLINES, 1, 8, "6.4-1");
}

}  // namespace

// Writes the model into "odb_road.odb" in the working folder; gives the writer's transcript.
std::string writeOdbRoad() {
  dm2_testing::resetOutputWriter();
  buildModel();
  std::vector<double> work(4000, 0.0);
  Int core = static_cast<Int>(work.size()), handle = 0, adb = 1;
  const Real rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, translation[3] = {0, 0, 100};
  ODB_CREATESUPERMODEL(&adb, &handle, rotation, translation, work.data(), &core, "odb_road", 8);
  dm2_testing::closeOutputDatabase(handle);
  const dm2_testing::OutputDatabase* db = dm2_testing::outputDatabase(handle);
  if (db == nullptr) return "";
  std::ifstream file(db->path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void walkOdbRoad() {
  std::printf("output database of substructure:\n%s", writeOdbRoad().c_str());
}

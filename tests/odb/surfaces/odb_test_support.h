// Helpers of the surface and set writer tests: an open output database, a slide-line store laid
// out by hand, and lookups in the writer stand-in's view.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/output_testing.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"

namespace odbtest {

inline double nameSlot(const std::string& name) {
  char bytes[8];
  std::memset(bytes, ' ', 8);
  std::memcpy(bytes, name.data(), std::min<std::size_t>(name.size(), 8));
  double slot;
  std::memcpy(&slot, bytes, 8);
  return slot;
}
inline double slot(Int value) { return eqc_testing::integerSlot(value); }

// Records appended one after another; slots are given after the length.
struct Store {
  std::vector<double> slots;
  Int next() const { return static_cast<Int>(slots.size()) + 1; }
  Int add(const std::vector<double>& after) {
    const Int address = next();
    slots.push_back(slot(static_cast<Int>(after.size()) + 1));
    slots.insert(slots.end(), after.begin(), after.end());
    return address;
  }
  void install() const { eqc_testing::setSlideLineStore(slots); }
};

inline Int openDatabase(const std::string& folder) {
  const std::string path = zmxtest::scratchFolder(folder) + "/surfaces.odb";
  const Int three = 3;
  char title[80], solver[24], release[8];
  std::memset(title, ' ', 80);
  std::memset(solver, ' ', 24);
  std::memset(release, ' ', 8);
  return DM2_OPENNEWFILE(path.c_str(), static_cast<Int>(path.size()), &three, title, 80, solver, 24, release, 8);
}

inline const dm2_testing::OdbClass* classNamed(const dm2_testing::OutputDatabase* db, const std::string& type) {
  for (const auto& c : db->classes)
    if (c.typeName == type) return &c;
  return nullptr;
}
inline const dm2_testing::OdbClass* classWithId(const dm2_testing::OutputDatabase* db, Int id) {
  for (const auto& c : db->classes)
    if (c.id == id) return &c;
  return nullptr;
}
inline const dm2_testing::OdbSet* setNamed(const dm2_testing::OutputDatabase* db, const std::string& kind,
                                           const std::string& name) {
  for (const auto& s : db->sets)
    if (s.kind == kind && s.secondName == name) return &s;
  return nullptr;
}

}  // namespace odbtest

// Helpers of the output-database writer tests: an open output database, the gathering run, a
// slide-line store laid out by hand, and lookups in the writer stand-in's view.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/output_testing.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb/writer.h"
#include "zmx/storage/sets.h"

namespace odbtest {

using zmxtest::nameSlot;
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

// Registers a long label and gives the 8-character token that stands for it in a coded name.
inline std::string longLabelToken(std::string label) {
  label.resize(80, ' ');
  const Int op = 0;
  const Int entry = DBLABEL(&op, label.data(), 80);
  char token[9];
  std::snprintf(token, sizeof token, " L%6d", entry);
  return token;
}

// Opens a new database of three directions and blank title, solver and release at the path.
inline Int openNewFile(const std::string& path) {
  const Int three = 3;
  char title[80], solver[24], release[8];
  std::memset(title, ' ', 80);
  std::memset(solver, ' ', 24);
  std::memset(release, ' ', 8);
  return DM2_OPENNEWFILE(path.c_str(), static_cast<Int>(path.size()), &three, title, 80, solver, 24, release, 8);
}

// Forgets earlier databases and messages, sets record buffers of 64 slots and opens a database.
inline Int openDatabase(const std::string& folder) {
  dm2_testing::resetOutputWriter();
  eqc_testing::clearMessages();
  rec::clear(CGM);
  for (int w = 40; w <= 54; ++w) rec::i(CGM, w) = 64;
  return openNewFile(zmxtest::scratchFolder(folder) + "/surfaces.odb");
}

// Nodes labelled from `first` on, at x = 1, 2, ... on the x axis; gives their addresses.
inline std::vector<Int> nodesOnXAxis(zmxtest::OdbModelBuilder& b, Int count, Int first = 101) {
  std::vector<Int> nodes;
  for (Int k = 1; k <= count; ++k) nodes.push_back(b.node(first + k - 1, {Real(k), 0, 0}));
  return nodes;
}

inline constexpr std::array<Real, 9> kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// Gathers the model `adb` into the work array w of `core` slots and writes it under the file
// name with the rotation g (by columns) and translation t; gives the handle (`handle` is what the
// caller's variable held before).
inline Int superModel(Int adb, double* w, Int& core, const std::string& name, const std::array<Real, 9>& g = kIdentity,
                      const std::array<Real, 3>& t = {0, 0, 0}, Int handle = 0) {
  ODB_CREATESUPERMODEL(&adb, &handle, g.data(), t.data(), w, &core, name.c_str(), static_cast<Int>(name.size()));
  return handle;
}

// Gathers the model `adb` into `work`, resized to `core` zeros, under the scratch folder's file.
inline Int superModel(Int adb, std::vector<double>& work, Int core, const std::string& folder,
                      const std::string& file = "model") {
  work.assign(static_cast<std::size_t>(core), 0.0);
  return superModel(adb, work.data(), core, zmxtest::scratchFolder(folder) + "/" + file);
}

// Writes the builder's model through the gathering into a work array of 200,000 slots.
inline const dm2_testing::OutputDatabase* writeModel(zmxtest::OdbModelBuilder& builder, std::vector<double>& work,
                                                     const std::string& folder) {
  return dm2_testing::outputDatabase(superModel(builder.build(), work, 200000, folder));
}

// A connector class of the section and behaviour names and the section's two integers.
inline void expectConnectorClass(const dm2_testing::OdbConnectorClass& c, const std::string& section,
                                 const std::string& behaviour, Int first, Int second) {
  EXPECT_EQ(c.names[0], section);
  EXPECT_EQ(c.names[1], behaviour);
  EXPECT_EQ(c.first, first);
  EXPECT_EQ(c.second, second);
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

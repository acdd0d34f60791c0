// The output-database writer stand-in: every call reads back through the test view and stands
// as one line in the transcript at the database's path.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "siblings/dm2/output_testing.h"
#include "siblings/dm2/output_writer.h"
#include "tests/support/host_fixture.h"

namespace {

class Dm2OutputWriter : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    dm2_testing::resetOutputWriter();
  }
  void TearDown() override {
    dm2_testing::resetOutputWriter();
    HostFixture::TearDown();
  }
};

std::vector<std::string> lines(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> out;
  for (std::string line; std::getline(file, line);) out.push_back(line);
  return out;
}

TEST_F(Dm2OutputWriter, EveryCallReadsBackThroughTheViewAndTheTranscript) {
  const std::string path = zmxtest::scratchFolder("dm2_writer") + "/a.odb";
  std::string field = path;
  field.resize(255, ' ');
  const Int three = 3;
  const Int h = DM2_OPENNEWFILE(field.data(), 255, &three, "TITLE   ", 8, "VELTRO/Standard         ", 24, "6.4-1   ", 8);
  EXPECT_GT(h, 0);

  const float origin[3] = {0.5f, 0.25f, 0.0f}, def[6] = {1, 0, 0, 0, 1, 0};
  const Int sys = 1, integer = 2;
  const float real = 0.1f;
  DM2_DEFINEORIENTATION(&h, "ORI  ", 5, &sys, origin, def, &integer, &real);
  const Int label = 7;
  const float x = 1.5f, y = -2.0f, z = 1.0f / 3.0f;
  DM2_DEFINESINGLENODE(&h, &label, &x, &y, &z);
  DM2_DEFINESINGLENODE(&h, &label, &x, &y, &z);  // duplicates are kept

  Int nodes = -1;
  DM2_GETNUMBEROFODBELEMENTNODES("CYLSURF1", 8, &nodes);
  EXPECT_EQ(nodes, 6);
  DM2_GETNUMBEROFODBELEMENTNODES("LSURF6  ", 8, &nodes);
  EXPECT_EQ(nodes, 3);
  DM2_GETNUMBEROFODBELEMENTNODES("ARSR    ", 8, &nodes);
  EXPECT_EQ(nodes, 1);
  DM2_GETNUMBEROFODBELEMENTNODES("QSURF3  ", 8, &nodes);
  EXPECT_EQ(nodes, 9);
  DM2_GETNUMBEROFODBELEMENTNODES("CONN2D2G", 8, &nodes);
  EXPECT_EQ(nodes, 2);
  dm2_testing::registerElementType("C3D4", 4);
  DM2_GETNUMBEROFODBELEMENTNODES("C3D4    ", 8, &nodes);
  EXPECT_EQ(nodes, 4);
  DM2_GETNUMBEROFODBELEMENTNODES("NOSUCH  ", 8, &nodes);
  EXPECT_EQ(nodes, 0);
  EXPECT_EQ(dm2_testing::writerErrors().size(), 1u);

  // A class of two layered points, two names; the slot receives a fresh id, also over an old one.
  const Int points = 2, layered = 1, several = 0, profile = 0, two = 0, value = 5, one = 1, orient = 2, kind = 0;
  const float positions[4] = {-0.5f, 0.5f, 0.0f, 0.0f};
  const Int counts[2] = {1, 2};
  const Int nameCount = 2;
  std::string names(160, ' ');
  names.replace(0, 4, "REB1");
  names.replace(80, 4, "REB2");
  Int slot = 99;
  DM2_POSITIONUTILITY(&points, &layered, &several, &profile, &two, positions, positions + 2, &h, &slot,
                      "solid   ", 8, "C3D4    ", 8, "S        1", 10, &value, &one, &orient, counts, &nameCount,
                      names.data(), 80, &kind);
  EXPECT_NE(slot, 99);
  const Int rows[8] = {1, 2, 3, 4, 5, 6, 7, 8}, labels[2] = {10, 11};
  const Int count = 2;
  DM2_DEFINEALLELEMENTS(&h, &slot, &count, labels, rows);
  DM2_DEFINESINGLEELEMENT(&h, &slot, &label, rows);
  Int connector = -1;
  DM2_DEFINECONNECTORCLASS(&h, &connector, "A", 1, "B", 1, "", 0, "D", 1, &one, &count);
  const Int grounded = 0;
  DM2_DEFINESINGLECONNECTOR(&h, &connector, &label, &grounded, &label);
  const Int members[3] = {1, 2, 3}, flag = 0;
  DM2_DEFINESURFACESET(&h, "SURF", 4, "SURF", 4, &count, members, &flag);
  DM2_DEFINENODESET(&h, "NS", 2, "NODES", 5, &count, members, &flag);
  DM2_DEFINEELEMENTSET(&h, "ES      ", 8, "ELEMENTS", 8, &three, members, &one);

  // Calls that name nothing known go to the error list and change nothing.
  const Int unknownHandle = 42, unknownSlot = -1;
  DM2_DEFINESINGLENODE(&unknownHandle, &label, &x, &y, &z);
  DM2_DEFINESINGLEELEMENT(&h, &unknownSlot, &label, rows);
  DM2_DEFINESINGLECONNECTOR(&h, &slot, &label, &grounded, &label);  // a class id, not a connector's

  const dm2_testing::OutputDatabase* db = dm2_testing::outputDatabase(h);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(db->path, path);
  EXPECT_EQ(db->title, "TITLE");
  EXPECT_EQ(db->solver, "VELTRO/Standard");
  EXPECT_EQ(db->release, "6.4-1");
  ASSERT_EQ(db->orientations.size(), 1u);
  EXPECT_EQ(db->orientations[0].name, "ORI");
  EXPECT_EQ(db->orientations[0].origin[1], 0.25f);
  ASSERT_EQ(db->nodes.size(), 2u);
  EXPECT_EQ(db->nodes[1].x[2], z);
  ASSERT_EQ(db->classes.size(), 1u);
  const auto& c = db->classes[0];
  EXPECT_EQ(c.id, slot);
  EXPECT_EQ(c.first, (std::vector<float>{-0.5f, 0.5f}));
  EXPECT_EQ(c.counts, (std::vector<Int>{1, 2}));
  EXPECT_EQ(c.names, (std::vector<std::string>{"REB1", "REB2"}));
  EXPECT_EQ(c.sectionReference, "S        1");
  ASSERT_EQ(c.elements.size(), 3u);
  EXPECT_EQ(c.elements[1].row, (std::vector<Int>{5, 6, 7, 8}));  // rows cut to the class's 4 nodes
  EXPECT_EQ(c.elements[2].label, 7);
  ASSERT_EQ(db->connectorClasses.size(), 1u);
  EXPECT_EQ(db->connectorClasses[0].names[2], "");
  ASSERT_EQ(db->connectorClasses[0].connectors.size(), 1u);
  ASSERT_EQ(db->sets.size(), 3u);
  EXPECT_EQ(db->sets[1].kind, "node");
  EXPECT_EQ(db->sets[1].secondName, "NODES");
  EXPECT_EQ(db->sets[2].firstLength, 8);
  EXPECT_EQ(db->sets[2].members.size(), 3u);
  EXPECT_EQ(db->errors.size(), 2u);
  EXPECT_EQ(dm2_testing::writerErrors().size(), 4u);

  dm2_testing::closeOutputDatabase(h);
  const auto transcript = lines(path);
  ASSERT_EQ(transcript.size(), 12u);
  EXPECT_EQ(transcript[0], "OPENNEWFILE | \"" + path + "\" | 3 | \"TITLE\" | \"VELTRO/Standard\" | \"6.4-1\"");
  EXPECT_EQ(transcript[1], "DEFINEORIENTATION | 1 | \"ORI\" | 1 | [0.5 0.25 0] | [1 0 0 0 1 0] | 2 | 0.100000001");
  EXPECT_EQ(transcript[2], "DEFINESINGLENODE | 1 | 7 | 1.5 | -2 | 0.333333343");
  EXPECT_EQ(transcript[4], "POSITIONUTILITY | 2 | 1 | 0 | 0 | 0 | [-0.5 0.5] | [0 0] | 1 | " + std::to_string(slot) +
                               " | \"solid\" | \"C3D4\" | \"S        1\" | 5 | 1 | 2 | [1 2] | 2 | [\"REB1\" \"REB2\"] | 0");
  EXPECT_EQ(transcript[5], "DEFINEALLELEMENTS | 1 | " + std::to_string(slot) + " | 2 | [10 11] | [1 2 3 4 5 6 7 8]");
  EXPECT_EQ(transcript[11], "DEFINEELEMENTSET | 1 | \"ES\" | 8 | \"ELEMENTS\" | 8 | 3 | [1 2 3] | 1");

  // A second definition into the same slot gives a fresh id.
  const Int old = slot;
  DM2_POSITIONUTILITY(&points, &layered, &several, &profile, &two, positions, positions + 2, &h, &slot, "x", 1, "C3D4",
                      4, "", 0, &value, &one, &orient, counts, &grounded, names.data(), 80, &kind);
  EXPECT_NE(slot, old);
}

}  // namespace

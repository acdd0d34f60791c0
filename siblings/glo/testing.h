// Test-facing side of the glo stand-in: a view of the block store, and the builder that writes
// the two files of a previous-analysis database from a model in physical terms.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/fortran_types.h"

namespace glo_testing {

// ---- The store ------------------------------------------------------------------------------

struct OpenCall {
  int unit;
  int number;
  int instance;
  int key;
};

// Blocks handed out and not given back.
ZMX_EXPORT int outstandingBlocks();
// Every DSM_PAR_OPEN since the last reset, and how many of them named (unit, number).
ZMX_EXPORT std::vector<OpenCall> opens();
ZMX_EXPORT int opensOf(int unit, int number);
// Forgets everything: folders, handles, blocks and the opens.
ZMX_EXPORT void resetStore();

// A partition as stored: each block a list of 4-byte words.
struct RawPartition {
  int number;
  int instance;
  int key;
  std::vector<std::vector<std::int32_t>> blocks;
};
ZMX_EXPORT bool writeFolder(const std::string& path, const std::vector<RawPartition>& partitions);

// ---- The model of a previous analysis -------------------------------------------------------

using Vec3 = std::array<double, 3>;
using Quaternion = std::array<double, 4>;  // vector part, then scalar part

struct DomainModel {
  int components = 3;     // coordinate components c
  int rotComponents = 3;  // rotational components cr
  Vec3 origin{};
  std::vector<int> labels;     // of local node i (from 1)
  std::vector<int> positions;  // global position (1 .. nodes) of local node i
  std::vector<Vec3> local;     // coordinates relative to the origin
  std::vector<int> rotating;           // local node numbers of the nodes with rotations
  std::vector<int> rotatingPositions;  // their global positions
  std::vector<int> secondLabels;       // a second group: labels, positions, global coordinates
  std::vector<int> secondPositions;
  std::vector<Vec3> secondCoordinates;
  std::vector<int> thirdPositions;  // a third group: global positions only
  int firstOutputFlag = 1;
  int secondOutputFlag = 1;
};

// The state of one domain at one stored increment.
struct DomainState {
  Vec3 shift{};
  std::vector<Vec3> displacement, velocity, force, reaction, start;  // per node
  std::vector<double> mass;
  std::vector<Quaternion> rotation;  // per rotating node
  std::vector<Vec3> angularVelocity, angularAcceleration, angularStart;
  std::vector<double> inertia;
  double timeIncrement = 0.0;
  std::vector<double> thirdScalar;                // per third-group node
  std::vector<std::vector<double>> thirdValues;  // per third-group node, node-value-count values
};

struct IncrementState {
  std::array<double, 29> globalA{};
  std::array<double, 23> globalB{};
  std::vector<DomainState> domains;
};

struct StepModel {
  int number = 1;
  double start = 0.0;
  std::vector<int> increments;  // the stored increment numbers
  std::vector<double> times;    // their times within the step
  int optionBits = 0;
  int value = 0;  // step-block word 51, also the reference-angle switch of the rebar angles
  int aleClass = 0;
  int nodeValueCount = 0;
  bool hasPartition = true;
  bool hasStepBlock = true;
  std::vector<IncrementState> states;  // increment 0 .. m
};

// One value row per element (or per element at one point of a group).
using Rows = std::vector<std::vector<double>>;

// A section entry of a class; for a class with element state it is also a point group, its id the
// number of points through the group.
struct SectionEntry {
  SectionEntry() = default;
  SectionEntry(int id_, std::vector<int> values_, double real_) : id(id_), values(std::move(values_)), real(real_) {}
  int id = 0;
  std::vector<int> values;
  double real = 0.0;
  // Point-group words: orientation flag, per-element-thickness flag, in-plane rotation flag, kind.
  int orientation = 0, thicknessFlag = 0, inPlaneRotation = 0, kind = 0;
  std::vector<double> coordinates;              // one per point, through the thickness
  std::map<int, Rows> domainArrays;             // group-variable word -> rows of the group (202)
  std::vector<std::map<int, Rows>> pointState;  // per point: group-variable word -> rows (501)
  std::vector<std::map<int, Rows>> pointShared;  // per point: group-variable word -> rows (502)
  int materialCode = 0;
  std::vector<std::map<int, Rows>> materialVariables;  // per point: variable i -> rows; P(i) follows
  std::vector<int> flags;                              // the material's flag table F
  int missingPosition = 1;                             // P(i) of a variable the material does not store
};

// The element state of a class: its arrays by class-variable word and partition, the same at
// every stored increment, laid segment by segment (each array a column-major n-row array in a
// slot of segment-length rows).
struct ClassState {
  std::map<int, Rows> state;    // 501
  std::map<int, Rows> shared;   // 502
  std::map<int, Rows> domain;   // 202 real
  int variableWords = 40;       // length of the class variable table
  int centreFlag = 0;           // class-record word 15
  double sectionThickness = 0.0, sectionWord12 = 0.0;
};

struct ClassModel {
  int type = 10;
  int code = 0;   // element type code; nodes per element in its low 5 bits
  int flags = 0;
  int domain = 1;
  int groupSize = 4;
  std::vector<int> labels;
  std::vector<std::vector<int>> nodes;  // local node numbers of each element
  bool hasConnectivity = true;
  int typeWord5 = 0, typeWord24 = 0, typeWord32 = 0, recordWord19 = 0, sectionWord17 = 0, firstEntryWord5 = 0;
  std::vector<SectionEntry> sections;
  bool hasState = false;
  ClassState classState;
  std::vector<std::vector<int>> rotationalNodes;  // per element node: its number among the rotating nodes
};

struct SetModel {
  std::string name;
  std::vector<int> labels;                      // node sets
  std::vector<std::vector<int>> classMembers;  // element sets: members in each class
};

struct ImportModel {
  std::string release = "6.4-1";
  int nodes = 0;  // global positions run from 1 to nodes
  std::vector<DomainModel> domains;
  std::vector<ClassModel> classes;
  std::vector<SetModel> nodeSets;
  std::vector<SetModel> elementSets;
  std::vector<StepModel> steps;
  int packageFirstTerm = 0;
  int packageSecondTerm = 0;
  int thicknessSwitch = 0;  // the global table's word 3
};

// Writes the model file (unit 60) and the state file (unit 61); false when either fails.
ZMX_EXPORT bool writeDatabase(const ImportModel& model, const std::string& modelFile, const std::string& stateFile);

}  // namespace glo_testing

// Test-facing view of the output-database writer of the dm2 stand-in: every call as the library
// made it, per database handle. The transcript file at each database's path holds the same calls,
// one line each.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "runtime/fortran_types.h"

namespace dm2_testing {

struct OdbOrientation {
  std::string name;
  Int systemType = 0;
  std::array<float, 3> origin{};
  std::array<float, 6> definition{};
  Int integer = 0;
  float real = 0;
};

struct OdbNode {
  Int label = 0;
  std::array<float, 3> x{};
};

struct OdbElement {
  Int label = 0;
  std::vector<Int> row;  // cut to the class's node count
};

struct OdbClass {
  Int id = 0;
  Int points = 0, layered = 0, severalLayers = 0, profileCode = 0, twoCoordinates = 0;
  std::vector<float> first, second;  // points values each
  std::string category, typeName, sectionReference;  // without trailing blanks
  Int classValue = 0, one = 0, orientationKind = 0;
  std::vector<Int> counts;  // running point counts of the layers (layered classes)
  std::vector<std::string> names;
  Int namesKind = 0;
  Int nodesPerElement = 0;
  std::vector<OdbElement> elements;  // in call order
};

struct OdbConnector {
  Int label = 0, node1 = 0, node2 = 0;
};

struct OdbConnectorClass {
  Int id = 0;
  std::array<std::string, 4> names{};
  Int first = 0, second = 0;
  std::vector<OdbConnector> connectors;
};

struct OdbSet {
  std::string kind;  // "surface", "node" or "element"
  std::string firstName, secondName;  // without trailing blanks
  Int firstLength = 0, secondLength = 0;
  Int flag = 0;
  std::vector<Int> members;
};

struct OutputDatabase {
  std::string path, title, solver, release;  // without trailing blanks
  Int pathLength = 0, titleLength = 0, solverLength = 0, releaseLength = 0;  // as passed
  Int directions = 0;
  std::vector<OdbOrientation> orientations;
  std::vector<OdbNode> nodes;  // in call order, duplicates kept
  std::vector<OdbClass> classes;
  std::vector<OdbConnectorClass> connectorClasses;
  std::vector<OdbSet> sets;
  std::vector<std::string> errors;
};

// Handles opened so far, and the view of one (null for an unknown handle).
ZMX_EXPORT std::vector<Int> outputDatabases();
ZMX_EXPORT const OutputDatabase* outputDatabase(Int handle);
// Calls that named no open database, and lookups of unknown type names.
ZMX_EXPORT std::vector<std::string> writerErrors();
// Makes DM2_GETNUMBEROFODBELEMENTNODES know a type name (blank-padded to 8 characters).
ZMX_EXPORT void registerElementType(const std::string& typeName, Int nodes);
// Forgets every database, error and registered name (closing their transcripts).
ZMX_EXPORT void resetOutputWriter();
// The host's close of the output database: the transcript is closed; the view stays readable.
ZMX_EXPORT void closeOutputDatabase(Int handle);
}  // namespace dm2_testing

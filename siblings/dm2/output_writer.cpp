// The output-database writer of the dm2 stand-in. It keeps every call per database handle for
// the tests and writes a transcript at the database's path: one line per call, the routine's
// name without "DM2_", then its arguments joined by " | " (texts quoted without trailing blanks,
// reals to nine digits, lists in brackets, class slots as the ids given out here), flushed after
// each line so that a reader sees every call made so far.
#include "siblings/dm2/output_writer.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/fortran_chars.h"
#include "siblings/dm2/output_testing.h"

using dm2_testing::OdbClass;
using dm2_testing::OdbConnectorClass;
using dm2_testing::OutputDatabase;

namespace {

constexpr Int kTypeNameLength = 8;

struct OpenDatabase {
  OutputDatabase view;
  std::FILE* transcript = nullptr;
  std::map<Int, std::size_t> classes;     // class id -> index in view.classes
  std::map<Int, std::size_t> connectors;  // connector id -> index in view.connectorClasses
};

struct WriterState {
  std::map<Int, std::unique_ptr<OpenDatabase>> databases;
  std::map<std::string, Int> registeredTypes;
  std::vector<std::string> errors;
  Int nextHandle = 1;
  Int nextId = 1;
};

constinit WriterState* gState = nullptr;

WriterState& state() {
  if (gState == nullptr) gState = new WriterState();  // lives until the process ends
  return *gState;
}

std::string text(const char* field, Int length) { return fchar::toString(field, length); }

// One transcript line in the making.
class Line {
 public:
  explicit Line(std::string_view routine) : line_(routine) {}
  Line& integer(Int value) { return add(std::to_string(value)); }
  Line& real(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return add(buffer);
  }
  Line& quoted(const std::string& value) { return add("\"" + value + "\""); }
  Line& integers(const Int* values, Int n) {
    std::string list = "[";
    for (Int k = 0; k < n; ++k) list += (k > 0 ? " " : "") + std::to_string(values[k]);
    return add(list + "]");
  }
  Line& reals(const float* values, Int n) {
    std::string list = "[";
    for (Int k = 0; k < n; ++k) {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(values[k]));
      list += (k > 0 ? " " : "") + std::string(buffer);
    }
    return add(list + "]");
  }
  Line& texts(const std::vector<std::string>& values) {
    std::string list = "[";
    for (std::size_t k = 0; k < values.size(); ++k) list += (k > 0 ? " " : "") + ("\"" + values[k] + "\"");
    return add(list + "]");
  }
  void writeTo(std::FILE* file) const {
    if (file == nullptr) return;
    std::fputs(line_.c_str(), file);
    std::fputc('\n', file);
    std::fflush(file);
  }

 private:
  Line& add(const std::string& item) {
    line_ += " | " + item;
    return *this;
  }
  std::string line_;
};

void error(OpenDatabase* db, const std::string& message) {
  state().errors.push_back(message);
  if (db != nullptr) db->view.errors.push_back(message);
}

OpenDatabase* database(const Int* handle, const char* routine) {
  auto& dbs = state().databases;
  const auto it = handle != nullptr ? dbs.find(*handle) : dbs.end();
  if (it == dbs.end()) {
    error(nullptr, std::string(routine) + ": unknown handle " + (handle != nullptr ? std::to_string(*handle) : "null"));
    return nullptr;
  }
  return it->second.get();
}

OdbClass* classOf(OpenDatabase* db, const Int* slot, const char* routine) {
  const auto it = db->classes.find(*slot);
  if (it == db->classes.end()) {
    error(db, std::string(routine) + ": class slot " + std::to_string(*slot) + " was never defined");
    return nullptr;
  }
  return &db->view.classes[it->second];
}

OdbConnectorClass* connectorOf(OpenDatabase* db, const Int* slot, const char* routine) {
  const auto it = db->connectors.find(*slot);
  if (it == db->connectors.end()) {
    error(db, std::string(routine) + ": connector slot " + std::to_string(*slot) + " was never defined");
    return nullptr;
  }
  return &db->view.connectorClasses[it->second];
}

// Node counts of the pseudo-element names and the connector types, then what tests register.
Int nodesOfType(const std::string& name) {
  static const std::map<std::string, Int> kFixed = {
      {"ARSSE", 1},   {"ARSSS", 1},   {"ARSC", 1},    {"ARSR", 1},    {"RNODE2D", 1},  {"RNODE3D", 1},
      {"PSURF1", 1},  {"PSURF2", 1},  {"PSURF3", 1},  {"LSURF1", 2},  {"LSURF2", 2},   {"LSURF3", 2},
      {"LSURF4", 3},  {"LSURF5", 3},  {"TSURF1", 3},  {"DUMMY24", 4}, {"DUMMYA4", 4},  {"QSURF1", 4},
      {"DUMMYA5", 5}, {"DUMMY25", 5}, {"DUMMY35", 5}, {"DUMMYA6", 6}, {"DUMMY26", 6},  {"TSURF2", 6},
      {"DUMMYA7", 7}, {"DUMMY27", 7}, {"DUMMY37", 7}, {"DUMMYA8", 8}, {"DUMMY28", 8},  {"QSURF2", 8},
      {"DUMMYA9", 9}, {"DUMMY29", 9}, {"QSURF3", 9},  {"CYLSURF1", 6}, {"CYLSURF2", 9}, {"LSURF6", 3},
      {"CONN2D2G", 2}, {"CONN3D2G", 2}};
  if (const auto it = kFixed.find(name); it != kFixed.end()) return it->second;
  const auto& registered = state().registeredTypes;
  if (const auto it = registered.find(name); it != registered.end()) return it->second;
  return 0;
}

void defineSet(const char* routine, const char* kind, const Int* handle, const char* first, Int firstLength,
               const char* second, Int secondLength, const Int* count, const Int* members, const Int* flag) {
  OpenDatabase* db = database(handle, routine);
  if (db == nullptr) return;
  dm2_testing::OdbSet set;
  set.kind = kind;
  set.firstName = text(first, firstLength);
  set.secondName = text(second, secondLength);
  set.firstLength = firstLength;
  set.secondLength = secondLength;
  set.flag = *flag;
  if (*count > 0) set.members.assign(members, members + *count);
  Line(routine + 4)
      .integer(*handle)
      .quoted(set.firstName)
      .integer(firstLength)
      .quoted(set.secondName)
      .integer(secondLength)
      .integer(*count)
      .integers(set.members.data(), static_cast<Int>(set.members.size()))
      .integer(*flag)
      .writeTo(db->transcript);
  db->view.sets.push_back(std::move(set));
}

}  // namespace

extern "C" {

Int DM2_OPENNEWFILE(const char* path, Int pathLength, const Int* directions, const char* title, Int titleLength,
                    const char* solver, Int solverLength, const char* release, Int releaseLength) {
  WriterState& s = state();
  auto db = std::make_unique<OpenDatabase>();
  db->view.path = text(path, pathLength);
  db->view.directions = *directions;
  db->view.title = text(title, titleLength);
  db->view.solver = text(solver, solverLength);
  db->view.release = text(release, releaseLength);
  db->view.pathLength = pathLength;
  db->view.titleLength = titleLength;
  db->view.solverLength = solverLength;
  db->view.releaseLength = releaseLength;
  const Int handle = s.nextHandle++;
  db->transcript = std::fopen(db->view.path.c_str(), "w");
  if (db->transcript == nullptr) error(db.get(), "OPENNEWFILE: cannot create " + db->view.path);
  Line("OPENNEWFILE")
      .quoted(db->view.path)
      .integer(*directions)
      .quoted(db->view.title)
      .quoted(db->view.solver)
      .quoted(db->view.release)
      .writeTo(db->transcript);
  s.databases[handle] = std::move(db);
  return handle;
}

void DM2_DEFINEORIENTATION(const Int* handle, const char* name, Int nameLength, const Int* systemType,
                           const float* origin, const float* definition, const Int* integer, const float* real) {
  OpenDatabase* db = database(handle, "DM2_DEFINEORIENTATION");
  if (db == nullptr) return;
  dm2_testing::OdbOrientation o;
  o.name = text(name, nameLength);
  o.systemType = *systemType;
  for (int k = 0; k < 3; ++k) o.origin[static_cast<std::size_t>(k)] = origin[k];
  for (int k = 0; k < 6; ++k) o.definition[static_cast<std::size_t>(k)] = definition[k];
  o.integer = *integer;
  o.real = *real;
  Line("DEFINEORIENTATION")
      .integer(*handle)
      .quoted(o.name)
      .integer(o.systemType)
      .reals(origin, 3)
      .reals(definition, 6)
      .integer(o.integer)
      .real(o.real)
      .writeTo(db->transcript);
  db->view.orientations.push_back(std::move(o));
}

void DM2_DEFINESINGLENODE(const Int* handle, const Int* label, const float* x1, const float* x2, const float* x3) {
  OpenDatabase* db = database(handle, "DM2_DEFINESINGLENODE");
  if (db == nullptr) return;
  db->view.nodes.push_back({*label, {*x1, *x2, *x3}});
  Line("DEFINESINGLENODE").integer(*handle).integer(*label).real(*x1).real(*x2).real(*x3).writeTo(db->transcript);
}

void DM2_GETNUMBEROFODBELEMENTNODES(const char* typeName, Int typeNameLength, Int* count) {
  const std::string name = text(typeName, std::min(typeNameLength, kTypeNameLength));
  *count = nodesOfType(name);
  if (*count == 0) error(nullptr, "GETNUMBEROFODBELEMENTNODES: unknown element type \"" + name + "\"");
}

void DM2_POSITIONUTILITY(const Int* points, const Int* layered, const Int* severalLayers, const Int* profileCode,
                         const Int* twoCoordinates, const float* first, const float* second, const Int* handle,
                         Int* classSlot, const char* category, Int categoryLength, const char* typeName,
                         Int typeNameLength, const char* sectionReference, Int sectionReferenceLength,
                         const Int* classValue, const Int* one, const Int* orientationKind, const Int* counts,
                         const Int* nameCount, const char* names, Int nameLength, const Int* namesKind) {
  OpenDatabase* db = database(handle, "DM2_POSITIONUTILITY");
  if (db == nullptr) return;
  OdbClass c;
  c.id = state().nextId++;
  c.points = *points;
  c.layered = *layered;
  c.severalLayers = *severalLayers;
  c.profileCode = *profileCode;
  c.twoCoordinates = *twoCoordinates;
  if (c.points > 0) {
    c.first.assign(first, first + c.points);
    c.second.assign(second, second + c.points);
  }
  c.category = text(category, categoryLength);
  c.typeName = text(typeName, typeNameLength);
  c.sectionReference = text(sectionReference, sectionReferenceLength);
  c.classValue = *classValue;
  c.one = *one;
  c.orientationKind = *orientationKind;
  // The layers' running counts end at the number of points.
  if (c.layered != 0)
    for (Int k = 0; k < c.points; ++k) {
      c.counts.push_back(counts[k]);
      if (counts[k] >= c.points) break;
    }
  for (Int k = 0; k < *nameCount; ++k)
    c.names.push_back(text(names + static_cast<std::ptrdiff_t>(k) * nameLength, nameLength));
  c.namesKind = *namesKind;
  c.nodesPerElement = nodesOfType(c.typeName);
  *classSlot = c.id;
  Line("POSITIONUTILITY")
      .integer(c.points)
      .integer(c.layered)
      .integer(c.severalLayers)
      .integer(c.profileCode)
      .integer(c.twoCoordinates)
      .reals(c.first.data(), static_cast<Int>(c.first.size()))
      .reals(c.second.data(), static_cast<Int>(c.second.size()))
      .integer(*handle)
      .integer(c.id)
      .quoted(c.category)
      .quoted(c.typeName)
      .quoted(c.sectionReference)
      .integer(c.classValue)
      .integer(c.one)
      .integer(c.orientationKind)
      .integers(c.counts.data(), static_cast<Int>(c.counts.size()))
      .integer(*nameCount)
      .texts(c.names)
      .integer(c.namesKind)
      .writeTo(db->transcript);
  db->classes[c.id] = db->view.classes.size();
  db->view.classes.push_back(std::move(c));
}

void DM2_DEFINECONNECTORCLASS(const Int* handle, Int* connectorSlot, const char* name1, Int length1,
                              const char* name2, Int length2, const char* name3, Int length3, const char* name4,
                              Int length4, const Int* first, const Int* second) {
  OpenDatabase* db = database(handle, "DM2_DEFINECONNECTORCLASS");
  if (db == nullptr) return;
  OdbConnectorClass c;
  c.id = state().nextId++;
  c.names = {text(name1, length1), text(name2, length2), text(name3, length3), text(name4, length4)};
  c.first = *first;
  c.second = *second;
  *connectorSlot = c.id;
  Line("DEFINECONNECTORCLASS")
      .integer(*handle)
      .integer(c.id)
      .quoted(c.names[0])
      .quoted(c.names[1])
      .quoted(c.names[2])
      .quoted(c.names[3])
      .integer(c.first)
      .integer(c.second)
      .writeTo(db->transcript);
  db->connectors[c.id] = db->view.connectorClasses.size();
  db->view.connectorClasses.push_back(std::move(c));
}

void DM2_DEFINESINGLECONNECTOR(const Int* handle, const Int* connectorSlot, const Int* label, const Int* node1,
                               const Int* node2) {
  OpenDatabase* db = database(handle, "DM2_DEFINESINGLECONNECTOR");
  if (db == nullptr) return;
  OdbConnectorClass* c = connectorOf(db, connectorSlot, "DM2_DEFINESINGLECONNECTOR");
  if (c == nullptr) return;
  c->connectors.push_back({*label, *node1, *node2});
  Line("DEFINESINGLECONNECTOR")
      .integer(*handle)
      .integer(*connectorSlot)
      .integer(*label)
      .integer(*node1)
      .integer(*node2)
      .writeTo(db->transcript);
}

void DM2_DEFINEALLELEMENTS(const Int* handle, const Int* classSlot, const Int* count, const Int* labels,
                           const Int* rows) {
  OpenDatabase* db = database(handle, "DM2_DEFINEALLELEMENTS");
  if (db == nullptr) return;
  OdbClass* c = classOf(db, classSlot, "DM2_DEFINEALLELEMENTS");
  if (c == nullptr) return;
  const Int n = std::max<Int>(*count, 0);
  const Int k = c->nodesPerElement;
  for (Int e = 0; e < n; ++e)
    c->elements.push_back({labels[e], std::vector<Int>(rows + static_cast<std::ptrdiff_t>(e) * k,
                                                       rows + static_cast<std::ptrdiff_t>(e + 1) * k)});
  Line("DEFINEALLELEMENTS")
      .integer(*handle)
      .integer(*classSlot)
      .integer(*count)
      .integers(labels, n)
      .integers(rows, n * k)
      .writeTo(db->transcript);
}

void DM2_DEFINESINGLEELEMENT(const Int* handle, const Int* classSlot, const Int* label, const Int* row) {
  OpenDatabase* db = database(handle, "DM2_DEFINESINGLEELEMENT");
  if (db == nullptr) return;
  OdbClass* c = classOf(db, classSlot, "DM2_DEFINESINGLEELEMENT");
  if (c == nullptr) return;
  const Int k = c->nodesPerElement;
  c->elements.push_back({*label, std::vector<Int>(row, row + k)});
  Line("DEFINESINGLEELEMENT").integer(*handle).integer(*classSlot).integer(*label).integers(row, k).writeTo(
      db->transcript);
}

void DM2_DEFINESURFACESET(const Int* handle, const char* first, Int firstLength, const char* second,
                          Int secondLength, const Int* count, const Int* members, const Int* flag) {
  defineSet("DM2_DEFINESURFACESET", "surface", handle, first, firstLength, second, secondLength, count, members,
            flag);
}

void DM2_DEFINENODESET(const Int* handle, const char* first, Int firstLength, const char* second, Int secondLength,
                       const Int* count, const Int* members, const Int* flag) {
  defineSet("DM2_DEFINENODESET", "node", handle, first, firstLength, second, secondLength, count, members, flag);
}

void DM2_DEFINEELEMENTSET(const Int* handle, const char* first, Int firstLength, const char* second,
                          Int secondLength, const Int* count, const Int* members, const Int* flag) {
  defineSet("DM2_DEFINEELEMENTSET", "element", handle, first, firstLength, second, secondLength, count, members,
            flag);
}

}  // extern "C"

namespace dm2_testing {

std::vector<Int> outputDatabases() {
  std::vector<Int> handles;
  for (const auto& [handle, db] : state().databases) handles.push_back(handle);
  return handles;
}

const OutputDatabase* outputDatabase(Int handle) {
  const auto& dbs = state().databases;
  const auto it = dbs.find(handle);
  return it == dbs.end() ? nullptr : &it->second->view;
}

std::vector<std::string> writerErrors() { return state().errors; }

void registerElementType(const std::string& typeName, Int nodes) {
  state().registeredTypes[std::string(fchar::trimmed(typeName))] = nodes;
}

void closeOutputDatabase(Int handle) {
  const auto& dbs = state().databases;
  const auto it = dbs.find(handle);
  if (it == dbs.end() || it->second->transcript == nullptr) return;
  std::fclose(it->second->transcript);
  it->second->transcript = nullptr;
}

void resetOutputWriter() {
  WriterState& s = state();
  for (const auto& [handle, db] : s.databases)
    if (db->transcript != nullptr) std::fclose(db->transcript);
  s.databases.clear();
  s.registeredTypes.clear();
  s.errors.clear();
  s.nextHandle = 1;
  s.nextId = 1;
}

}  // namespace dm2_testing

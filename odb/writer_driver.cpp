// The writer driver: opens the new output database, writes the orientations and then, part by
// part, the part's nodes and its elements class by class.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "odb/gathering.h"
#include "odb/surface_walks.h"
#include "odb/writer_tables.h"
#include "runtime/fortran_chars.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/dm2/element_numbers.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/slide_line_codes.h"
#include "siblings/eqc/writer_services.h"
#include "zmx/numerics/kernels.h"
#include "zmx/odb/sets.h"
#include "zmx/storage/records.h"
#include "zmx/storage/sets.h"

namespace zmx::odb {

namespace {

constexpr int kPathLength = 255;
constexpr int kTitleLength = 80;
constexpr int kSolverLength = 24;
constexpr int kReleaseLength = 8;
constexpr int kRequestWords = 62;
constexpr Int kCoordinates = 2;  // node variable of the coordinates
constexpr int kNodeFlagBit = 3;
constexpr int kTwoDimensionalNodes = zmx::element_flags::kTwoDimensionalNodes;

std::array<Int, kRequestWords> packageRequest(Int kind) {
  std::array<Int, kRequestWords> request{};
  request[2] = kind;
  return request;
}

void buildPath(char path[kPathLength], const char* name, Int nameLength, Int* status) {
  const Int kind = 86, program = 0;
  BCU_MKNAME(path, kPathLength, name, nameLength,
             reinterpret_cast<const char*>(CJBPAR.w) + eqc_records::kJobDirectoryFirst - 1,
             eqc_records::kJobStringLength, &kind, &program, status);
}

const Real* coordinatesOf(Int package, Int node, Int count) {
  const Int word = ADB_GETVARNDR(&package, &node, &kCoordinates);
  return word != 0 && count > 0 ? mem32::at<Real>(word, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
}

// A slide-line record read into a buffer of the given slots, or length 0 (reported).
Int readList(Int address, void* buffer, long long slots) {
  const Int length = readRecord(address, buffer, slots);
  if (length < 1) systemError("WRITEMODELODBSUPER");
  return length;
}

// Directory entry j (from 1) of a set directory in buffer: its coded name and its list's offset.
const char* entryName(const void* directory, Int j) {
  return static_cast<const char*>(directory) + 8 * (4 + 2LL * (j - 1));
}
Int entryOffset(const void* directory, Int j) { return rec::slotI(directory, 6 + 2LL * (j - 1)); }

// Number of entries of the directory record, checked against its length.
Int directoryEntries(const void* directory, Int length) {
  if (length < 2) return 0;
  const Int entries = rec::slotI(directory, 2);
  if (entries < 0 || 6 + 2LL * (entries - 1) > length) {
    systemError("WRITEMODELODBSUPER");
    return entries < 0 ? 0 : static_cast<Int>(std::max<long long>((length - 4) / 2, 0));
  }
  return entries;
}

// The element's user label (ELEMACCESS operation 0).
Int elementLabel(Int element) {
  const Int op0 = 0;
  Int label = 0;
  ELEMACCESS(&op0, &element, &label);
  return label;
}

}  // namespace

const Int* typeRecordOf(Int element) {
  const Int op2 = 2;
  Int length = 0;
  const Int word = ELEMACCESS(&op2, &element, &length);
  return length > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(length), dm2::kDataTag) : nullptr;
}

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

void ODBOPEN(Int* handle, const Int* directions, const char* name, Int nameLength, const Int* solverFlag) {
  char path[kPathLength];
  Int status = 0;
  buildPath(path, name, nameLength, &status);

  char title[kTitleLength];
  std::memset(title, ' ', sizeof title);
  bool blank = true;
  for (int w = 0; w < 10; ++w) {
    Int flag = 0;
    BCU_COMP_BLANK(reinterpret_cast<const char*>(CHEAD.w) + 8 * w, &flag);
    if (flag != 1) blank = false;
  }
  if (!blank)
    for (int w = 0; w < 10; ++w) {
      const Int eight = 8;
      Int moved = 0;
      ACODEC(reinterpret_cast<const char*>(CHEAD.w) + 8 * w, title + 8 * w, 8, &eight, &moved);
    }
  char solver[kSolverLength];
  fchar::assign(solver, kSolverLength, *solverFlag == 0 ? "VELTRO/Standard" : "VELTRO/Explicit");
  char release[kReleaseLength];
  const Int eight = 8;
  Int moved = 0;
  ACODEC(CLINES.w, release, kReleaseLength, &eight, &moved);
  *handle = DM2_OPENNEWFILE(path, kPathLength, directions, title, kTitleLength, solver, kSolverLength, release,
                            kReleaseLength);

  status = 0;
  buildPath(path, name, nameLength, &status);
  const Int zero = 0;
  IPM_MESSAGE("Odb_File", 8, "file=%s", 7, &zero, &zero, path, kPathLength, &status);
}

void ODBNODES(const void* nodeList, Int* nodeMap, const Int* part, const Int* directions, const Int* positioning,
              const Real* rotation, const Real* translation, const Int* handle, const Int* nodeDatabase,
              const Int* nodePackage, const Int* nodeFlags) {
  const Int nodes = rec::i(CGN, kNodeCount);
  const long long count = rec::slotI(nodeList, 1) - 1LL;
  const Int d = std::clamp<Int>(*directions, 1, 3);
  const Int op3 = 3, op1 = 1, one = 1, three = 3, bit = kNodeFlagBit;
  for (Int k = 1; k <= count; ++k) {
    const Int i = rec::slotI(nodeList, 1 + k);
    if (i < 1 || i > nodes) {
      report(-3, "SYSTEM ERROR IN ODBNODES. NODE %I OUTSIDE THE MODEL", i);
      continue;
    }
    const Int node = ADB_GETNODE(nodeDatabase, &i);
    Int dn = d;
    Real x[3] = {0.0, 0.0, 0.0};
    if (rec::i(CELFLG, kTwoDimensionalNodes) != 0 && nodeFlags != nullptr) {
      Int words[1] = {nodeFlags[i - 1]};
      Int clear = 0;
      PGRBIT(&op3, words, &one, &bit, &clear);
      if (clear == 1) dn = 2;
    }
    Int label = 0;
    if (node != 0) ADB_NODEACCESS(&op3, &node, &label);
    nodeMap[kNodeMapWords * (i - 1) + kNodeMapPart - 1] = *part;
    if (const Real* c = coordinatesOf(*nodePackage, i, dn)) std::copy_n(c, dn, x);
    if (*positioning == 1) {
      Real y[3] = {0.0, 0.0, 0.0};
      APRD(rotation, x, y, &three, &dn, &one);
      for (Int j = 0; j < dn; ++j) x[j] = translation[j] + y[j];
    }
    const float x1 = static_cast<float>(x[0]);
    const float x2 = dn >= 2 ? static_cast<float>(x[1]) : 0.0f;
    const float x3 = dn == 3 ? static_cast<float>(x[2]) : 0.0f;
    DM2_DEFINESINGLENODE(handle, &label, &x1, &x2, &x3);
    if (rec::i(CSLNF, kNodeRecordsFirst) != rec::i(CSLNF, kNodeRecordsEnd) && node != 0) {
      Int n = 0;
      const Int word = ADB_NODEACCESS(&op1, &node, &n);
      const Int* addresses = n > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(n), dm2::kDataTag) : nullptr;
      for (Int j = 0; addresses != nullptr && j < n; ++j)
        if (addresses[j] >= rec::i(CSLNF, kNodeRecordsFirst) && addresses[j] < rec::i(CSLNF, kNodeRecordsEnd)) {
          nodeMap[kNodeMapWords * (i - 1) + kNodeMapRecord - 1] = addresses[j];
          break;
        }
    }
  }
}

void SHR_ODBORIENTATION(const Int* handle, const void* record, const Real* origin) {
  const Int length = rec::slotI(record, 1);
  const Int systemType = length >= 2 ? rec::slotI(record, 2) : 0;
  if (systemType < 1 || systemType > 99) return;
  if (length < 11) {
    systemError("SHR_ODBORIENTATION");
    return;
  }
  char name[80];
  decodeName(static_cast<const char*>(record) + 16, name, 1);
  float at[3], definition[6];
  for (int k = 0; k < 3; ++k) at[k] = static_cast<float>(origin[k]);
  for (int k = 0; k < 6; ++k) definition[k] = static_cast<float>(rec::slotR(record, 4 + k));
  const Int integer = rec::slotI(record, 10);
  const float real = static_cast<float>(rec::slotR(record, 11));
  DM2_DEFINEORIENTATION(handle, name, 80, &systemType, at, definition, &integer, &real);
}

// The writer driver's body; WRITEMODELODBSUPER runs it so that no exception leaves the library.
static void writeModel(void* buffer1, void* buffer2, void* buffer3, Int* elementTable, void* work,
                       void* nodeReferences, const Int* nodeLabels, Int* classTable, Int* partTable, Int* nodeMap,
                       Int* bcTable, const Int* referenceCount, const Int* m13, const Int* m14,
                       const char* fileName, Int fileNameLength, const Int* expectedParts, Int* classCount,
                       const Real* rotation, const Real* translation, const Int* analysisDatabase, Int* handle,
                       const Int* solverFlag, void* connectorNames, void* connectorBuffer, const Int* connectorFlag,
                       Int* labelArray) {
  const Int elements = rec::i(CGN, kElementCount);
  if (elements == 0) return;
  if (*m13 < driverWorkSlots()) {
    zmx::units::reportMemoryFailure();
    return;
  }
  const Int nodes = std::max<Int>(rec::i(CGN, kNodeCount), 0);
  const Int nodeDatabase = ADB_GETNDB(analysisDatabase);
  const auto openRequest = packageRequest(2);
  const Int package = ADB_OPENNDPKG(&nodeDatabase, openRequest.data());
  std::fill_n(nodeMap, kNodeMapWords * static_cast<long long>(nodes), 0);

  const Int directions = rec::i(CEOSZ, kDirections);
  ODBOPEN(handle, &directions, fileName, fileNameLength, solverFlag);

  // Orientations are written about the mean of all nodes (computed when the first one is met).
  Real origin[3] = {0.0, 0.0, 0.0};
  bool originKnown = false;
  auto meanOfNodes = [&] {
    const Int d = std::clamp<Int>(directions, 0, 3);
    for (Int i = 1; i <= nodes; ++i)
      if (const Real* c = coordinatesOf(package, i, d))
        for (Int j = 0; j < d; ++j) origin[j] += c[j];
    if (nodes > 0)
      for (Real& o : origin) o /= nodes;
    originKnown = true;
  };
  const long long listSlots = std::max({rec::i(CGM, kCgmElementSetBuffer), rec::i(CGM, kCgmNodeSetBuffer),
                                        rec::i(CGM, kCgmListBuffer), 0});
  const long long elementSetSlots = elementSetBufferSlots();
  const long long nodeSetSlots = std::max<Int>(rec::i(CGM, kCgmNodeSetBuffer), 0);
  walkRecords(rec::i(CSLV, kOrientationsFirst), rec::i(CSLV, kOrientationsEnd), buffer2, elementSetSlots, nullptr,
              "WRITEMODELODBSUPER", [&](Int, Int) {
                if (!originKnown) meanOfNodes();
                SHR_ODBORIENTATION(handle, buffer2, origin);
                return true;
              });

  const Int elementDirectory = rec::i(CSLV, kElementSetDirectory);
  const Int nodeDirectory = rec::i(CSLV, kNodeSetDirectory);
  const Int elementEntries =
      elementDirectory != 0 ? directoryEntries(buffer2, readList(elementDirectory, buffer2, elementSetSlots)) : 0;
  const Int nodeEntries =
      nodeDirectory != 0 ? directoryEntries(buffer3, readList(nodeDirectory, buffer3, nodeSetSlots)) : 0;
  rec::i(CGN, kNodeSetCount) = nodeEntries;

  const Int m = *m14;
  const long long room = *m13;
  Int* counts = reinterpret_cast<Int*>(static_cast<char*>(work) + 8LL * m);
  const Int positionOffset = std::max<Int>(rec::i(CGM, kCgmPositionOffset), 0);
  float* positions = reinterpret_cast<float*>(static_cast<char*>(work) + 8LL * (positionOffset + m));
  const Int namesPer = std::max<Int>(rec::i(CGM, kCgmConnectorNames), 0);
  const Int connectorSlots = std::max<Int>(rec::i(CGM, kCgmConnectorBuffer), 0);
  const bool namesRange = rec::i(CSLEF, kConnectorNamesFirst) != rec::i(CSLEF, kConnectorNamesEnd);
  Int partCount = 0;
  std::vector<Int> placedBefore;
  // Pseudo-element classes go behind the element classes; their labels count down across parts.
  const Int firstPseudoClass = *classCount + 1;
  Int labelCounter = -rec::i(CGN, kPseudoLabelStart);
  const Int trace = 0;

  for (Int j = 1; j <= elementEntries; ++j) {
    char name[80];
    decodeName(entryName(buffer2, j), name, 1);
    if (!isPartName(name)) continue;
    ++partCount;
    Int* partRecord = partCount <= *expectedParts ? partTable + static_cast<long long>(partCount - 1) * kPartWords
                                                  : nullptr;
    if (partRecord != nullptr) {
      partRecord[kPartElements - 1] = 0;
      partRecord[kPartNodes - 1] = 0;
      const Int eighty = kPartNameLength;
      ACODCE(name, 80, partRecord + kPartName - 1, &eighty);
    }
    const Int classesBefore = *classCount;
    placedBefore.assign(static_cast<std::size_t>(classesBefore) + 1, 0);
    // A pseudo-element class stays defined: it is defined once per output database.
    for (Int c = 1; c <= classesBefore; ++c) {
      if (c < firstPseudoClass) classWord(classTable, c, kClassUsed) = 0;
      placedBefore[static_cast<std::size_t>(c)] = classWord(classTable, c, kClassPlaced);
    }
    const Int flagsWord = ADB_GETBITVECRW(&nodeDatabase);
    const Int* flags =
        flagsWord != 0 && nodes > 0 ? mem32::at<Int>(flagsWord, static_cast<std::size_t>(nodes), dm2::kDataTag) : nullptr;

    Int nodeEntry = 0;
    for (Int k = 1; k <= nodeEntries && nodeEntry == 0; ++k)
      if (BCU_ACOMP(entryName(buffer3, k), 8, entryName(buffer2, j), 8) == 0) nodeEntry = k;
    if (nodeEntry != 0) {
      const Int address = listAddress(nodeDirectory, entryOffset(buffer3, nodeEntry), "WRITEMODELODBSUPER");
      if (partRecord != nullptr) partRecord[kPartNodes - 1] = address;
      if (address != 0 && readList(address, buffer1, listSlots) > 0) {
        const Int positioning = 1;
        ODBNODES(buffer1, nodeMap, &partCount, &directions, &positioning, rotation, translation, handle,
                 &nodeDatabase, &package, flags);
      }
    } else {
      report(-1, "NODE DATA FOR PART %S NOT FOUND", 0, 0, name, 80);
    }

    const Int elementList = listAddress(elementDirectory, entryOffset(buffer2, j), "WRITEMODELODBSUPER");
    if (partRecord != nullptr) partRecord[kPartElements - 1] = elementList;
    const Int listLength = elementList != 0 ? readList(elementList, buffer1, listSlots) : 0;
    for (Int k = 2; k <= listLength; ++k) {
      const Int e = rec::slotI(buffer1, k);
      if (e < 1 || e > elements) {
        report(-3, "SYSTEM ERROR IN WRITEMODELODBSUPER. ELEMENT %I OUTSIDE THE MODEL", e);
        continue;
      }
      const Int element = ADB_ELEMGET(&e);
      if (element == 0) continue;
      // The label and the type record as the database holds them now: a caller's element table
      // keeps only the class and the part.
      const Int label = elementLabel(element);
      const Int* type = typeRecordOf(element);
      const Int typeCode = type != nullptr ? type[dm2::kTypeCodeWord - 1] : 0;
      if (namesRange && type != nullptr && namedConnectorFamily(type[dm2::kFamilyCodeWord - 1])) {
        const Int op4 = 4;
        Int n = 0;
        const Int word = ELEMACCESS(&op4, &element, &n);
        const Int* addresses = n > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(n), dm2::kDataTag) : nullptr;
        Int kept = 0;
        for (Int a = 0; addresses != nullptr && a < n && kept < namesPer; ++a) {
          if (!inRange(addresses[a], kConnectorNamesFirst, kConnectorNamesEnd)) continue;
          if (readRecord(addresses[a], connectorBuffer, connectorSlots) < 4) {
            systemError("WRITEMODELODBSUPER");
            continue;
          }
          std::memcpy(static_cast<char*>(connectorNames) + 8LL * kept, static_cast<const char*>(connectorBuffer) + 24, 8);
          ++kept;
        }
      }

      const Int c = elementWord(elementTable, e, kElementClass);
      if (c < 0) continue;
      if (c == 0 || c > *classCount) {
        const Int level = -1, key = -2511, file = 1;
        const Real noReal = 0.0;
        KVXNERR(&level, "CLASS UNKNOWN FOR ELEMENT %I", 28, &label, &noReal, " ", 1);
        MSGACCESS(&file, &label, &key);
        continue;
      }
      Int* record = classTable + static_cast<long long>(c - 1) * kClassWords;
      if (record[kClassUsed - 1] != 1) {
        record[kClassUsed - 1] = 1;
        if (type == nullptr) continue;
        defineClass({work, std::min<long long>(m, room), record, type, positions,
                     2 * (room - positionOffset - m), counts, 2LL * positionOffset, handle, connectorNames,
                     namesPer, *connectorFlag});
      }
      elementWord(elementTable, e, kElementPart) = partCount;
      const Int placed = record[kClassPlaced - 1];
      if (record[kClassLabels - 1] <= 0 || placed >= record[kClassElements - 1]) {
        systemError("WRITEMODELODBSUPER");
        continue;
      }
      Int* labelSlot = labelArray + record[kClassLabels - 1] + placed - 1;
      Int* row = labelArray + record[kClassRows - 1] + static_cast<long long>(placed) * record[kClassNodes - 1] - 1;
      placeElement(element, label, typeCode, nodeLabels, classTable, c, labelSlot, row, record[kClassNodes - 1], handle);
      ++record[kClassPlaced - 1];
    }

    for (Int c = 1; c <= classesBefore; ++c) {
      const Int* record = classTable + static_cast<long long>(c - 1) * kClassWords;
      if (record[kClassUsed - 1] != 1) continue;
      const Int first = placedBefore[static_cast<std::size_t>(c)];
      const Int count = record[kClassPlaced - 1] - first;
      if (record[kClassLabels - 1] <= 0) continue;
      DM2_DEFINEALLELEMENTS(handle, &record[kClassSlot - 1], &count, labelArray + record[kClassLabels - 1] + first - 1,
                            labelArray + record[kClassRows - 1] + static_cast<long long>(first) * record[kClassNodes - 1] - 1);
    }

    const SurfaceCall surfaces{{work, classTable, firstPseudoClass, classCount, pseudoClassLimit(firstPseudoClass),
                                handle},
                               std::min<long long>(m, room),
                               static_cast<Int*>(buffer1),
                               2 * listSlots,
                               &labelCounter};
    writeSurfaces(surfaces);
    writeSlideLines({surfaces, nodeLabels, nodeMap, nodeReferences, *referenceCount, partCount});

    const Int workSize = static_cast<Int>(std::max<long long>(room - m - 1, 0));
    ODBBCSETSSUPER(work, counts, buffer1, partTable, bcTable, &partCount, &trace, handle, &workSize, &nodeDatabase);
    ODBELSETSUPER(buffer2, work, elementTable, &partCount, &trace, handle);
    ODBNSETSUPER(buffer3, work, nodeLabels, nodeMap, &partCount, &trace, handle);
  }

  const auto closeRequest = packageRequest(1);
  ADB_CLOSENDPKG(&nodeDatabase, closeRequest.data());
  if (partCount != *expectedParts)
    report(-2, "SYSTEM ERROR IN WRITEODB. UNABLE TO LOCATE PART DATA FOR %I PARTS", *expectedParts - partCount);
}

void WRITEMODELODBSUPER(void* buffer1, void* buffer2, void* buffer3, Int* elementTable, void* work,
                        void* nodeReferences, const Int* nodeLabels, Int* classTable, Int* partTable,
                        Int* nodeMap, Int* bcTable, const Int* referenceCount, const Int* m13,
                        const Int* m14, const Int* /*unused*/, const char* fileName, Int fileNameLength,
                        const Int* expectedParts, Int* classCount, const Real* rotation, const Real* translation,
                        const Int* analysisDatabase, Int* handle, const Int* solverFlag, void* connectorNames,
                        void* connectorBuffer, const Int* connectorFlag, Int* labelArray) {
  guarded([&] {
    writeModel(buffer1, buffer2, buffer3, elementTable, work, nodeReferences, nodeLabels, classTable, partTable, nodeMap,
               bcTable, referenceCount, m13, m14, fileName, fileNameLength, expectedParts, classCount, rotation,
               translation, analysisDatabase, handle, solverFlag, connectorNames, connectorBuffer, connectorFlag,
               labelArray);
  });
}

}  // extern "C"

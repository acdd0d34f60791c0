// Gathering of a substructure's model for the output-database writer: the section map, element
// classification into classes, the section and orientation rules, and the layout of the host's
// work array around the writer driver.
#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "odb/gathering.h"
#include "runtime/fortran_chars.h"
#include "odb/writer_tables.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/slide_line_codes.h"
#include "siblings/eqc/writer_services.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/sets.h"

namespace zmx::odb {

namespace {

// A CSLEF range and whether an address found in it ends the search at once.
struct SectionRange {
  int first, end;
  bool returnAtOnce;
};

constexpr std::array<SectionRange, 10> kSectionRanges = {{{2, 5, true},
                                                          {5, 10, false},
                                                          {10, 45, false},
                                                          {45, 12, false},
                                                          {12, 20, false},
                                                          {20, 26, false},
                                                          {26, 28, true},
                                                          {31, 13, false},
                                                          {24, 25, false},
                                                          {41, 44, false}}};

bool notWrittenType(Int typeCode) {
  switch (typeCode) {
    case 248: case 249: case 254: case 255: case 256: case 257: case 258: case 281: case 290:
    case 294: case 295: case 296: case 297: case 4294: case 4296:
      return true;
    default:
      return false;
  }
}

// The element's record-address list.
const Int* recordAddressesOf(Int handle, Int& count) {
  const Int op = 4;
  count = 0;
  const Int word = ELEMACCESS(&op, &handle, &count);
  return count > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
}

Int elementValue(Int op, Int handle) {
  Int out = 0;
  return ELEMACCESS(&op, &handle, &out);
}

// The key that makes a class: type name words, section key, type code, connector names and
// representative, and the not-written flag.
struct ClassKey {
  Int name1, name2, sectionKnown, sectionKey, typeCode, names, representative, notWritten;
  bool operator==(const ClassKey&) const = default;
};

struct ClassKeyHash {
  std::size_t operator()(const ClassKey& k) const {
    std::size_t h = 1469598103934665603ULL;
    for (Int v : {k.name1, k.name2, k.sectionKnown, k.sectionKey, k.typeCode, k.names, k.representative, k.notWritten})
      h = (h ^ static_cast<std::uint32_t>(v)) * 1099511628211ULL;
    return h;
  }
};

// Representatives of the connector names: the first element with the same names in the same order.
void groupConnectorNames(Int elements, Int* connectorTable, const char* names, Int perElement) {
  std::unordered_map<std::string, Int> first;
  for (Int e = 1; e <= elements; ++e) {
    Int* entry = connectorTable + static_cast<long long>(e - 1) * kConnectorWords;
    const Int count = entry[kConnectorCount - 1];
    if (count == 0) continue;
    std::string key(reinterpret_cast<const char*>(&count), sizeof count);
    key.append(names + static_cast<long long>(e - 1) * perElement * 8, static_cast<std::size_t>(count) * 8);
    const auto [it, inserted] = first.try_emplace(std::move(key), e);
    entry[kConnectorRepresentative - 1] = it->second;
    entry[kConnectorDone - 1] = 1;
  }
}

// Collects the connector names of element e from its records in [CSLEF word 15, word 16).
void collectConnectorNames(Int e, Int handle, Int* connectorTable, void* connectorBuffer, char* names, Int perElement) {
  Int count = 0;
  const Int* addresses = recordAddressesOf(handle, count);
  Int kept = 0;
  bool reported = false;
  for (Int k = 0; k < count; ++k) {
    if (!inRange(addresses[k], kConnectorNamesFirst, kConnectorNamesEnd)) continue;
    if (kept >= perElement) {
      if (!reported) report(-3, "SYSTEM ERROR IN ODBCLASS1. TOO MANY CONNECTOR NAMES FOR ELEMENT %I", e);
      reported = true;
      continue;
    }
    const Int length = readRecord(addresses[k], connectorBuffer, rec::i(CGM, kCgmConnectorBuffer));
    if (length < 4) {
      systemError("ODBCLASS1");
      continue;
    }
    std::memcpy(names + (static_cast<long long>(e - 1) * perElement + kept) * 8,
                static_cast<const char*>(connectorBuffer) + 8 * 3, 8);
    ++kept;
  }
  Int* entry = connectorTable + static_cast<long long>(e - 1) * kConnectorWords;
  entry[kConnectorCount - 1] = kept;
  if (kept > 0) entry[kConnectorRepresentative - 1] = e;
}

// The section key of an address: the map's value, or the address itself when the map lacks it.
std::pair<Int, Int> sectionKeyOf(Int map, Int address) {
  if (map != 0 && SHR_MAPINT2INTISMEMBER(map, &address) != 0) return {1, SHR_MAPINT2INTGET(map, &address)};
  return {0, address};
}

}  // namespace

bool classifyElements(const ClassifyArgs& a) {
  const Int elements = std::max<Int>(rec::i(CGN, kElementCount), 0);
  std::memset(a.connectorTable, 0, sizeof(Int) * kConnectorWords * static_cast<std::size_t>(elements));
  *a.classCount = 0;
  *a.arraySize = 0;
  const Int perElement = std::max<Int>(a.namesPerElement, 0);
  char* names = static_cast<char*>(a.connectorNames);
  if (a.connectorFlag != 0 && rec::i(CSLEF, kConnectorNamesFirst) != rec::i(CSLEF, kConnectorNamesEnd) && perElement > 0) {
    for (Int e = 1; e <= elements; ++e) {
      const Int handle = ADB_ELEMGET(&e);
      const Int* type = handle != 0 ? typeRecordOf(handle) : nullptr;
      if (type == nullptr || !namedConnectorFamily(type[dm2::kFamilyCodeWord - 1])) continue;
      collectConnectorNames(e, handle, a.connectorTable, a.connectorBuffer, names, perElement);
    }
    groupConnectorNames(elements, a.connectorTable, names, perElement);
  }

  std::unordered_map<ClassKey, Int, ClassKeyHash> classes;
  Int lastSectionRead = 0;
  const Int bufferSlots = recordBufferSlots();
  for (Int e = 1; e <= elements; ++e) {
    elementWord(a.elementTable, e, kElementClass) = 0;
    elementWord(a.elementTable, e, kElementPart) = 0;
    elementWord(a.elementTable, e, kElementLabel) = 0;
    elementWord(a.elementTable, e, kElementType) = 0;
    const Int handle = ADB_ELEMGET(&e);
    if (handle == 0) continue;
    const Int label = elementValue(0, handle);
    elementWord(a.elementTable, e, kElementLabel) = label;
    if (label <= 0) continue;
    const Int* type = typeRecordOf(handle);
    if (type == nullptr) continue;
    elementWord(a.elementTable, e, kElementType) = type[dm2::kTypeCodeWord - 1];
    Int section = 0, notWritten = 0;
    GETSECTION(&handle, type, &section, &notWritten);
    constexpr int kRebarWord = 29, kLayerWord = 31;
    if (type[kRebarWord - 1] == 0 && type[kLayerWord - 1] == 0 && type[dm2::kFamilyCodeWord - 1] != 410 &&
        rec::i(CSLEF, 31) != rec::i(CSLEF, 13)) {
      Int count = 0;
      const Int* addresses = recordAddressesOf(handle, count);
      for (Int k = count - 1; k >= 0; --k)
        if (inRange(addresses[k], 31, 13)) {
          section = addresses[k];
          break;
        }
    }
    const Int* connector = a.connectorTable + static_cast<long long>(e - 1) * kConnectorWords;
    const auto [known, sectionKey] = sectionKeyOf(a.sectionMap, section);
    const ClassKey key{type[1], type[2], known, sectionKey, type[dm2::kTypeCodeWord - 1],
                       connector[kConnectorCount - 1], connector[kConnectorRepresentative - 1], notWritten};
    auto found = classes.find(key);
    if (found == classes.end()) {
      const Int c = *a.classCount + 1;
      if (!a.classRoom.growOrRefuse(static_cast<long long>(c) * kClassSlots, a.coreCount)) return false;
      *a.classCount = c;
      Int* r = a.classTable + static_cast<long long>(c - 1) * kClassWords;
      std::memset(r, 0, sizeof(Int) * kClassWords);
      char name[8];
      classTypeName(type, name);
      r[kClassTypeName - 1] = type[1];
      r[kClassSection - 1] = section;
      r[kClassSlot - 1] = type[dm2::kTypeCodeWord - 1];
      r[kClassConnectorSlot - 1] = -1;
      r[kClassLabels - 1] = notWritten != 0 ? -c : c;
      r[kClassRows - 1] = type[2];
      r[kClassValue - 1] = connector[kConnectorCount - 1] > 0 ? c - 1 : elementValue(15, handle);
      r[kClassElements - 1] = 1;
      r[kClassNames - 1] = connector[kConnectorCount - 1];
      r[kClassRepresentative - 1] = connector[kConnectorRepresentative - 1];
      DM2_GETNUMBEROFODBELEMENTNODES(name, 8, &r[kClassNodes - 1]);
      if (section != 0) {
        if (section != lastSectionRead) {
          if (readRecord(section, a.buffer, bufferSlots) < 1) systemError("ODBCLASS1");
          lastSectionRead = section;
        }
        GETORIENT(a.buffer, &section, &r[kClassOrientation - 1], &type[dm2::kTypeCodeWord - 1]);
      }
      found = classes.emplace(key, c).first;
    } else {
      ++classWord(a.classTable, found->second, kClassElements);
    }
    elementWord(a.elementTable, e, kElementClass) = notWritten != 0 ? -found->second : found->second;
  }

  long long p = 1;
  for (Int c = 1; c <= *a.classCount; ++c) {
    Int* r = a.classTable + static_cast<long long>(c - 1) * kClassWords;
    r[kClassSlot - 1] = -1;
    if (r[kClassLabels - 1] > 0) {
      r[kClassLabels - 1] = static_cast<Int>(p);
      r[kClassRows - 1] = static_cast<Int>(p + r[kClassElements - 1]);
      p += static_cast<long long>(r[kClassNodes - 1] + 1) * r[kClassElements - 1];
    } else {
      r[kClassLabels - 1] = 0;
      r[kClassRows - 1] = 0;
    }
  }
  *a.arraySize = static_cast<Int>(p);
  return true;
}

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

Int CREATESECTIONMAP(const Int* map, const Int* n, const Int* list) {
  const Int count = std::max<Int>(*n, 0);
  SHR_MAPINT2INTINSERTLIST(*map, list, list + count, &count);
  const Int zero = 0;
  const Int size = count + 1;
  return SHR_MAPINT2INTINSERT(*map, &zero, &size);
}

void ODBCLASS1(void* buffer, Int* classTable, const Int* sectionMap, Int* elementTable, Int* classCount,
               Int* coreCount, Int* connectorTable, void* connectorBuffer, void* connectorNames,
               const Int* namesPerElement, const Int* connectorFlag, const Int* /*analysisDatabase*/,
               Int* arraySize) {
  guarded([&] {
    classifyElements({buffer, classTable, zmx::units::WorkRoom(classTable, *coreCount), *sectionMap, elementTable,
                      classCount, coreCount, connectorTable, connectorBuffer, connectorNames, *namesPerElement,
                      *connectorFlag, arraySize});
  });
}

void GETSECTION(const Int* element, const Int* typeRecord, Int* section, Int* notWritten) {
  const Int a = elementValue(3, *element);
  *section = 0;
  *notWritten = 0;
  for (const SectionRange& r : kSectionRanges) {
    if (!inRange(a, r.first, r.end)) continue;
    *section = a;
    if (r.first == 10 && notWrittenType(typeRecord[dm2::kTypeCodeWord - 1])) *notWritten = 1;
    if (r.returnAtOnce) return;
    break;
  }
  if (inRange(a, 28, 31)) *notWritten = 1;
}

void GETORIENT(const void* sectionRecord, const Int* sectionAddress, Int* kind, const Int* typeCode) {
  const Int a = *sectionAddress;
  const Int slot4 = rec::slotI(sectionRecord, 4);
  const Int bySlot4 = slot4 != 0 ? 2 : 0;
  if (inRange(a, 2, 30))
    *kind = slot4 != 0 || *typeCode == 4301 || *typeCode == 4302 ? 2 : 0;
  else if (inRange(a, 30, 3))
    *kind = 2;
  else if (inRange(a, 3, 4))
    *kind = 0;
  else if (inRange(a, 4, 5))
    *kind = 2;
  else if (inRange(a, 5, 8) || inRange(a, 23, 34) || inRange(a, 42, 35))
    *kind = bySlot4;
  else if (inRange(a, 35, 38))
    *kind = 2;
  else if (a >= rec::i(CSLEF, 45))
    *kind = a < rec::i(CSLEF, 12) ? 2 : 0;
  else
    *kind = 0;
}

void ODBMAXBEAM(const Int* classTable, const Int* classCount, Int* maximum) {
  *maximum = 0;
  for (Int c = 1; c <= *classCount; ++c)
    if (inRange(classWord(classTable, c, kClassSection), 3, 4))
      *maximum = std::max(*maximum, classWord(classTable, c, kClassElements));
}

}  // extern "C"

namespace zmx::odb {

namespace {

// Slot k (from 1) of the work array.
char* slotAt(void* work, long long k) { return static_cast<char*>(work) + 8 * (k - 1); }

// Loads the substructure's stored CGM, read into the work array from slot b (room slots), into
// CGM; the model's CGM stays when none is stored, its count is outside CGM or it does not fit.
void loadStoredCounts(void* work, long long b, long long room) {
  if (room < 1) return;
  const Int op = 0, kind = 21, address = 0;
  const Int capacity = static_cast<Int>(std::min<long long>(2 * room, 1 << 30));
  Int status = 0;
  char* at = slotAt(work, b);
  DBSUP(&op, &kind, &address, at, &capacity, &status);
  if (status != 0) return;
  Int count = 0;
  std::memcpy(&count, at, sizeof count);
  if (count < 1 || count > static_cast<Int>(rec::words<CGM_t>())) return;
  if (count > room) {
    zmx::units::reportMemoryFailure();
    return;
  }
  ACOPIE(at, &count);
  ACOPDI(at, CGM.w, &count);
}

// The blocks of the result record, in their order, as (first slot while writing, slots).
struct Block {
  long long first, slots;
};

}  // namespace

}  // namespace zmx::odb

extern "C" void ODB_CREATESUPERMODEL(const Int* analysisDatabase, Int* handle, const Real* rotation,
                                     const Real* translation, void* work, Int* coreCount, const char* fileName,
                                     Int fileNameLength) {
  // The room that may be written, found once; DBCORE raises the core count as the regions need.
  const zmx::units::WorkRoom room(work, *coreCount);
  const long long capacity = room.units();
  *handle = 0;
  if (capacity >= 1) rec::setSlotI(work, 1, 0);
  const Int nodeDatabase = ADB_GETNDB(analysisDatabase);

  // The model's CGM is kept at the start of the work array and put back at the end.
  const Int saved = std::clamp<Int>(rec::i(CGM, kCgmCount), 0, static_cast<Int>(rec::words<CGM_t>()));
  const long long b = (saved - 1) / 2 + 2;
  if (b - 1 > capacity) {
    zmx::units::reportMemoryFailure();
    return;
  }
  std::memcpy(work, CGM.w, sizeof(Int) * static_cast<std::size_t>(saved));
  auto restoreCounts = [&] { std::memcpy(CGM.w, work, sizeof(Int) * static_cast<std::size_t>(saved)); };
  // A step that does not fit ends the gathering: CGM is put back and nothing is left written.
  auto fail = [&] {
    restoreCounts();
    rec::setSlotI(work, 1, 0);
  };
  // A region that would end past the room fails the gathering as a memory failure.
  auto beyondRoom = [&](long long lastSlot) {
    if (lastSlot <= capacity) return false;
    zmx::units::reportMemoryFailure();
    fail();
    return true;
  };
  loadStoredCounts(work, b, capacity - b + 1);

  const Int m14 = recordBufferSlots();
  rec::i(CBCODB, kBcMotion) = 1;
  rec::i(CBCODB, kBcDriven) = 19;
  rec::i(CBCODB, kBcPore) = 32;
  rec::i(CBCODB, kBcTemperature) = 33;
  rec::i(CBCODB, kBcRowSlots) = rec::i(CGN, kBcDegrees) + 32;
  Real transposed[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) transposed[i + 3 * j] = rotation[j + 3 * i];

  const long long elements = std::max<Int>(rec::i(CGN, kElementCount), 0);
  const long long nodes = std::max<Int>(rec::i(CGN, kNodeCount), 0);
  const long long namesPer = std::max<Int>(rec::i(CGM, kCgmConnectorNames), 0);
  const long long connectorBuffer = std::max<Int>(rec::i(CGM, kCgmConnectorBuffer), 0);
  const long long elementTable = b + std::max<Int>(rec::i(CGM, kCgmHeader), 13);
  const long long recordBuffer = elementTable + 2 * elements + 1;
  const long long connectorTable = recordBuffer + m14;
  const long long connectorRecords = connectorTable + slotsForIntegers(3 * elements);
  const long long connectorNames = connectorRecords + connectorBuffer;
  const long long classTable = connectorNames + namesPer * elements;
  const Int sectionList = rec::i(CSLEF, kSectionList);
  const Int sectionLength = sectionList != 0 ? DBSLLENGTH(&sectionList) : 0;
  if (beyondRoom(classTable + std::max<Int>(sectionLength, 0) - 1)) return;

  // Section map from the section list record.
  const Int map = SHR_MAPINT2INTCREATE();
  Int sections = 0;
  if (sectionList != 0) {
    const Int length = readRecord(sectionList, slotAt(work, classTable), capacity - classTable + 1);
    sections = length >= 2 ? rec::slotI(slotAt(work, classTable), 2) : 0;
    if (length < 2 || sections < 0 || 2 + slotsForIntegers(2LL * sections) - 1 > length) {
      systemError("ODB_CREATESUPERMODEL");
      sections = 0;
    }
  }
  if (map != 0) {
    Int* list = reinterpret_cast<Int*>(slotAt(work, classTable + 2));
    CREATESECTIONMAP(&map, &sections, list);
  }
  Int classes = 0, arraySize = 0;
  const Int classRoomGiven = static_cast<Int>(std::clamp<long long>(*coreCount - classTable + 1, -(1LL << 30),
                                                                      std::numeric_limits<Int>::max()));
  Int classRoom = classRoomGiven;
  bool classified = false;
  guarded([&] {
    classified = classifyElements({slotAt(work, recordBuffer), reinterpret_cast<Int*>(slotAt(work, classTable)),
                                   room.after(classTable - 1), map,
                                   reinterpret_cast<Int*>(slotAt(work, elementTable)), &classes, &classRoom,
                                   reinterpret_cast<Int*>(slotAt(work, connectorTable)), slotAt(work, connectorRecords),
                                   slotAt(work, connectorNames), static_cast<Int>(namesPer), rec::i(CMATYP, 32),
                                   &arraySize});
  });
  SHR_MAPINT2INTDELETE(map);
  // What DBCORE booked for the class table raises the host's core count as well.
  *coreCount = static_cast<Int>(std::min<long long>(static_cast<long long>(*coreCount) + classRoom - classRoomGiven,
                                                    std::numeric_limits<Int>::max()));
  if (!classified) {
    fail();
    return;
  }
  // The spare classes the surface writers add follow the classified ones.
  const long long classSlots = static_cast<long long>(classes) * kClassSlots + kSpareClassSlots;
  if (beyondRoom(classTable + classSlots - 1)) return;
  std::memset(slotAt(work, classTable) + 8 * static_cast<long long>(classes) * kClassSlots, 0,
              8 * static_cast<std::size_t>(kSpareClassSlots));

  const long long references = classTable + classSlots;
  Int referenceCount = 0;
  bool referenced = false;
  guarded([&] {
    referenced = gatherNodeReferences(slotAt(work, references), slotAt(work, recordBuffer), m14, &referenceCount,
                                      nodeDatabase, (capacity - references + 1) / kReferenceSlots);
  });
  if (!referenced) {
    fail();
    return;
  }
  Int maxBeam = 0;
  ODBMAXBEAM(reinterpret_cast<Int*>(slotAt(work, classTable)), &classes, &maxBeam);

  // Class table, spare classes and node references move down over the record buffer.
  const long long moved = classSlots + kReferenceSlots * static_cast<long long>(referenceCount);
  std::memmove(slotAt(work, recordBuffer), slotAt(work, classTable), 8 * static_cast<std::size_t>(moved));
  const long long table = recordBuffer;
  const long long refs = table + classSlots;
  const long long labels = refs + kReferenceSlots * static_cast<long long>(referenceCount);
  const long long hourglass = labels + slotsForIntegers(nodes);
  if (beyondRoom(hourglass - 1)) return;
  const Int nodeCount = static_cast<Int>(nodes);
  GETEXT2INTNODE(reinterpret_cast<Int*>(slotAt(work, labels)), &nodeCount, &nodeDatabase);
  Int hourglassCount = 0;
  if (!gatherHourglassValues(slotAt(work, hourglass), capacity - hourglass + 1, &hourglassCount)) {
    fail();
    return;
  }
  const long long partBuffer = hourglass + hourglassCount;
  const long long elementSetSlots = elementSetBufferSlots();
  if (beyondRoom(partBuffer + elementSetSlots - 1)) return;
  const Int parts = countParts(slotAt(work, partBuffer), elementSetSlots);
  const long long partTable = partBuffer + std::max<Int>(rec::i(CGM, kCgmPartTableOffset), 0);
  const long long buffer1 = partTable + kPartSlots * static_cast<long long>(parts);
  const long long buffer1Slots = std::max({rec::i(CGM, kCgmElementSetBuffer), rec::i(CGM, kCgmNodeSetBuffer),
                                           rec::i(CGM, kCgmListBuffer), 0});
  const long long names2 = buffer1 + buffer1Slots;
  const long long connectorBuffer2 = names2 + namesPer;
  const long long buffer2 = connectorBuffer2 + connectorBuffer;
  const long long buffer3 = buffer2 + elementSetSlots;
  const long long nodeMap = buffer3 + std::max<Int>(rec::i(CGM, kCgmNodeSetBuffer), 0);
  const long long bcTable = nodeMap + nodes;
  const long long bcWords = std::max<Int>(rec::i(CBCODB, kBcRowSlots), 0);
  const long long labelArray = bcTable + slotsForIntegers(bcWords);
  const long long rest = labelArray + slotsForIntegers(arraySize);
  // The result record, compacted behind its header, must fit as well.
  const std::array<Block, 9> blocks = {{{elementTable, 2 * elements + 1},
                                        {table, classSlots},
                                        {refs, kReferenceSlots * static_cast<long long>(referenceCount)},
                                        {labels, slotsForIntegers(nodes)},
                                        {partTable, kPartSlots * static_cast<long long>(parts)},
                                        {nodeMap, nodes},
                                        {0, slotsForIntegers(bcWords)},
                                        {0, slotsForIntegers(maxBeam)},
                                        {0, kBcRowSlots}}};
  long long resultEnd = 13;
  for (const Block& block : blocks) resultEnd += block.slots;
  if (!room.growOrRefuse(rest - 1, coreCount)) {
    fail();
    return;
  }
  if (beyondRoom(std::max(rest - 1 + driverWorkSlots(), resultEnd))) return;
  rec::i(CNODE, 6) = static_cast<Int>(bcTable);

  const Int m13 = static_cast<Int>(capacity - rest + 1);
  const Int unused = 0, solverFlag = 0;
  const Int connectorFlag = rec::i(CMATYP, 32);
  char name[160];
  fchar::assign(name, 160, fchar::field(fileName, fileNameLength));
  Int classCount = classes;
  WRITEMODELODBSUPER(slotAt(work, buffer1), slotAt(work, buffer2), slotAt(work, buffer3),
                     reinterpret_cast<Int*>(slotAt(work, elementTable)), slotAt(work, rest), slotAt(work, refs),
                     reinterpret_cast<const Int*>(slotAt(work, labels)), reinterpret_cast<Int*>(slotAt(work, table)),
                     reinterpret_cast<Int*>(slotAt(work, partTable)), reinterpret_cast<Int*>(slotAt(work, nodeMap)),
                     reinterpret_cast<Int*>(slotAt(work, bcTable)), &referenceCount, &m13, &m14, &unused, name, 160,
                     &parts, &classCount, transposed, translation, analysisDatabase, handle, &solverFlag,
                     slotAt(work, names2), slotAt(work, connectorBuffer2), &connectorFlag,
                     reinterpret_cast<Int*>(slotAt(work, labelArray)));

  // The result record: the header, then the blocks moved together behind it.
  restoreCounts();
  long long at = 14;
  std::array<long long, 9> firsts{};
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    firsts[k] = at;
    if (blocks[k].first != 0)
      std::memmove(slotAt(work, at), slotAt(work, blocks[k].first), 8 * static_cast<std::size_t>(blocks[k].slots));
    else
      std::memset(slotAt(work, at), 0, 8 * static_cast<std::size_t>(blocks[k].slots));
    at += blocks[k].slots;
  }
  for (int k = 1; k <= kBcRowSlots; ++k) rec::setSlotI(work, firsts[8] + k - 1, rec::i(CBCODB, k));
  rec::setSlotI(work, 1, static_cast<Int>(at - 1));
  rec::setSlotI(work, 2, classCount);
  rec::setSlotI(work, 3, parts);
  rec::setSlotI(work, 4, referenceCount);
  for (std::size_t k = 0; k < firsts.size(); ++k) rec::setSlotI(work, 5 + static_cast<long long>(k), static_cast<Int>(firsts[k]));
}

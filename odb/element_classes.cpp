// Element classes in the output database: the section category text, the class definition with
// its section points and connector class, and each element's label and connectivity row.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "odb/writer_tables.h"
#include "runtime/fortran_chars.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/slide_line_codes.h"
#include "siblings/eqc/writer_services.h"
#include "zmx/storage/sets.h"

namespace zmx::odb {

namespace {

constexpr int kCategoryLength = 132;
constexpr int kNameLength = 80;
constexpr int kElsetLimit = 80;

// A category word, its length, and what is appended after it.
struct CategoryParts {
  std::string word;
  Int profile = 0;
  Int kind = 0;
  Int elsetSlot = 0;
  Int sectionPoints = 0;
};

CategoryParts categoryParts(const void* s, Int length, Int address, Int typeCode, bool hasNames) {
  auto slot = [&](long long k) { return k >= 1 && k <= length ? rec::slotI(s, k) : 0; };
  CategoryParts c;
  if (inRange(address, 2, 30)) {
    c.word = "solid ";
    c.kind = slot(3) == -1 ? -1 : 3;
  } else if (inRange(address, 30, 3)) {
    c.word = "membrane ";
    c.kind = hasNames ? -2 : 3;
  } else if (inRange(address, 3, 36)) {
    c.elsetSlot = 2;
    if (typeCode >= 2201 && typeCode <= 2302) {
      c.word = "elbow ";
    } else if (slot(4) > 100) {
      c.word = "beam general ";
      c.profile = slot(4) % 100;
    } else {
      c.word = "beam ";
      c.profile = slot(4);
    }
  } else if (inRange(address, 36, 4)) {
    c.word = "frame ";
  } else if (inRange(address, 4, 5)) {
    if (slot(3) == 0) {
      c.word = "shell general ";
      c.elsetSlot = 2;
      const Int layers = slot(12);
      c.kind = layers <= 0 ? 0 : layers == 1 ? slot(13) + 1 : -1;
    } else {
      c.word = "shell ";
      if (slot(11) > 1) {
        c.elsetSlot = 2;
        c.kind = hasNames ? -3 : -1;
      } else if (slot(11) == 1) {
        c.kind = hasNames ? -2 : slot(10) + 2;
        c.sectionPoints = slot(3);
      }
    }
  } else if (inRange(address, 5, 6)) {
    c.word = "spring ";
  } else if (inRange(address, 6, 7)) {
    c.word = "dashpot ";
  } else if (inRange(address, 7, 21)) {
    c.word = "mass ";
  } else if (inRange(address, 21, 8)) {
    c.word = "rotaryi ";
  } else if (inRange(address, 8, 9)) {
    c.word = "gap ";
    c.elsetSlot = 2;
  } else if (inRange(address, 9, 10)) {
    c.word = "dragchain ";
  } else if (inRange(address, 42, 35)) {
    c.word = "pipe-soil ";
  } else if (inRange(address, 35, 38)) {
    c.word = "gasket ";
    c.elsetSlot = 2;
  } else if (inRange(address, 38, 40)) {
    c.word = "coupling  ";  // length 10
  } else if (inRange(address, 40, 45)) {
    c.word = "heatcap ";
  } else if (inRange(address, 45, 12)) {
    c.word = "surface section ";
    c.kind = hasNames ? -2 : 0;
  } else if (inRange(address, 26, 27)) {
    c.word = "fluid ";
  } else if (inRange(address, 27, 28)) {
    c.word = "fluid link ";
  } else if (inRange(address, 41, 44)) {
    c.word = "connector ";
  } else {
    c.word = "unknown category ";
  }
  return c;
}

const char* profileName(Int profile) {
  switch (profile) {
    case 1: return "general";
    case 2: return "pipe";
    case 3: return "box";
    case 4: return "circular";
    case 5: return "I-section";
    case 6: return "rectangular";
    case 7: return "hexagonal";
    case 10: return "trapezoidal";
    case 11: return "L-section";
    default: return nullptr;
  }
}

// The full name coded in an 8-byte slot, through DBLABEL operation 1, without trailing blanks.
std::string slotName(const void* code) {
  char field[kNameLength];
  decodeName(code, field, 1);
  return std::string(fchar::view(field, kNameLength));
}

// The name in slot 2 of the record at address ("" when it cannot be read).
std::string recordName(Int address, long long nameSlot) {
  if (address == 0) return "";
  const Int length = DBSLLENGTH(&address);
  if (length < nameSlot || length > recordBufferSlots()) {
    systemError("GETCATEGORY");
    return "";
  }
  std::vector<double> record(static_cast<std::size_t>(length));
  readRecord(address, record.data(), length);
  return slotName(&record[static_cast<std::size_t>(nameSlot - 1)]);
}

// Eight digits as an I8 edit writes them, without the leading blanks.
std::string eightDigits(Int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%8d", n);
  std::string s(text);
  if (s.size() > 8) s = "********";
  return s.substr(s.find_first_not_of(' '));
}

std::string buildCategory(const void* section, Int length, Int address, Int typeCode, Int nameCount,
                          const char* names, Int nameLength) {
  const CategoryParts c = categoryParts(section, length, address, typeCode, nameCount > 0);
  std::string text = c.word;
  if (const char* name = profileName(c.profile)) text += std::string("< ") + name + " > ";
  if (c.kind == -1) {
    text += "< composite > ";
  } else if (c.kind == -2) {
    text += "with rebar";
  } else if (c.kind == -3) {
    text += "composite with rebar";
  } else if (c.kind > 0) {
    if (c.kind > length) {
      systemError("GETCATEGORY");
    } else {
      const std::string name = recordName(rec::slotI(section, c.kind), 2);
      if (!name.empty()) text += "< " + name + " > ";
    }
  }
  // The part is 29 characters with the eight-digit field, its leading blanks dropped: two blanks follow.
  if (c.sectionPoints != 0) text += "< " + eightDigits(c.sectionPoints) + " section points >  ";
  if (c.elsetSlot != 0 && c.elsetSlot <= length) {
    std::string name = slotName(static_cast<const char*>(section) + 8 * (c.elsetSlot - 1));
    const long long room = kElsetLimit - static_cast<long long>(text.size()) - 13;
    name.resize(static_cast<std::size_t>(std::clamp<long long>(room, 0, static_cast<long long>(name.size()))));
    text += "< elset = " + name + " > ";
  }
  for (Int k = 0; k < nameCount; ++k) {
    const std::string_view name = fchar::view(names + static_cast<std::ptrdiff_t>(k) * nameLength, nameLength);
    if (!name.empty()) text += "<" + std::string(name) + ">";
  }
  if (text.size() > static_cast<std::size_t>(kCategoryLength)) {
    if (nameCount > 0) report(-2, "THE REBAR NAMES ARE TOO LONG. USE SHORTER ONES IN THE MODEL.");
    report(-3, "SYSTEM ERROR IN GETCATEGORY");
    text.resize(kCategoryLength);
  }
  return text;
}

// Optional-node layout of variable-node element types: fixed nodes, optional nodes, presence bits.
bool variableNodes(Int typeCode, Int& fixed, Int& optional, Int& bits) {
  if (typeCode >= 70 && typeCode <= 77) {
    fixed = 15, optional = 3, bits = typeCode % 10;
    return true;
  }
  if (typeCode >= 500 && typeCode <= 699) {
    fixed = 21, optional = 6, bits = typeCode % 100;
    return true;
  }
  return false;
}

// Opens a zero at the place of each absent optional node, within the row's length.
void expandRow(Int* row, Int length, Int typeCode) {
  Int fixed = 0, optional = 0, bits = 0;
  if (!variableNodes(typeCode, fixed, optional, bits)) return;
  const Int n = std::min(length, fixed + optional);
  for (Int j = 1; j <= optional; ++j) {
    if ((bits >> (j - 1)) & 1) continue;
    const Int place = fixed + j;
    if (place > n) continue;
    for (Int k = n; k > place; --k) row[k - 1] = row[k - 2];
    row[place - 1] = 0;
  }
}

}  // namespace

void defineClass(const ClassDefinition& d) {
  Int* r = d.classRecord;
  const Int m = std::max<Int>(d.maxNames, 0);
  std::string names(static_cast<std::size_t>(m) * kNameLength, ' ');
  Int nameCount = 0;
  if (d.connectorFlag != 0) {
    nameCount = std::clamp<Int>(r[kClassNames - 1], 0, m);
    for (Int k = 0; k < nameCount; ++k) {
      char* field = names.data() + static_cast<std::ptrdiff_t>(k) * kNameLength;
      decodeName(static_cast<const char*>(d.connectorNames) + 8 * k, field, -1);
      if (field[0] == ' ' && field[1] == 'L') {
        const Int op = 1;
        DBLABEL(&op, field, kNameLength);
      }
    }
  }
  const Int address = r[kClassSection - 1];
  const Int typeCode = address > 0 ? d.typeRecord[dm2::kTypeCodeWord - 1] : 0;
  char category[kCategoryLength];
  fchar::assign(category, kCategoryLength, "unknown category");
  char reference[10];
  fchar::assign(reference, 10, "");
  SectionPoints sp;
  Int orientation = 0;
  Int length = 0;
  if (address > 0) {
    length = readRecord(address, d.buffer, d.bufferSlots);
    if (length < 1) {
      systemError("ODBCLASS");
      return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "S%9d", address);
    fchar::assign(reference, 10, text);
    std::optional<SectionPoints> fitted = sectionPoints(d.buffer, length, address, typeCode, {d.positionRoom, d.countRoom});
    if (!fitted) return;
    sp = std::move(*fitted);
    fchar::assign(category, kCategoryLength,
                  buildCategory(d.buffer, length, address, typeCode, nameCount, names.data(), kNameLength));
    if (typeCode == 2403 || typeCode == 2406)
      r[kClassOrientation - 1] = 0;
    else
      GETORIENT(d.buffer, &address, &r[kClassOrientation - 1], &typeCode);
    orientation = r[kClassOrientation - 1];
  }
  char typeName[8];
  classTypeName(d.typeRecord, typeName);

  const Int family = d.typeRecord[dm2::kFamilyCodeWord - 1];
  Int namesKind = 0;
  if (d.connectorFlag != 0) {
    if ((family == 213 || family == 214 || family == 215) && sp.points == 0) {
      namesKind = 1;
      sp.points = 1;
    } else if (family == 419 || family == 420 || family == 421) {
      namesKind = 2;
      sp.points = nameCount;
    }
    sp.first.resize(static_cast<std::size_t>(sp.points), 0.0f);
    sp.second.resize(static_cast<std::size_t>(sp.points), 0.0f);
  }
  if (typeCode >= 2201 && typeCode <= 2302) sp.twoCoordinates = 2;
  if (2LL * sp.points > d.positionRoom || static_cast<long long>(sp.counts.size()) > d.countRoom) {
    zmx::units::reportMemoryFailure();
    return;
  }

  if (family == 417 && address > 0 && length >= 8) {
    std::array<char, 4 * kNameLength> connector;
    connector.fill(' ');
    const std::string own = slotName(static_cast<const char*>(d.buffer) + 8);
    const Int a3 = rec::slotI(d.buffer, 3), a4 = rec::slotI(d.buffer, 4), a5 = rec::slotI(d.buffer, 5);
    const Int first = rec::slotI(d.buffer, 7), second = rec::slotI(d.buffer, 8);
    const std::string others[3] = {recordName(a3, 2), recordName(a4, 3), recordName(a5, 3)};
    fchar::assign(connector.data(), kNameLength, own);
    for (int k = 0; k < 3; ++k) fchar::assign(connector.data() + (k + 1) * kNameLength, kNameLength, others[k]);
    DM2_DEFINECONNECTORCLASS(d.handle, &r[kClassConnectorSlot - 1], connector.data(), kNameLength,
                             connector.data() + kNameLength, kNameLength, connector.data() + 2 * kNameLength,
                             kNameLength, connector.data() + 3 * kNameLength, kNameLength, &first, &second);
  }

  std::copy(sp.first.begin(), sp.first.end(), d.positions);
  std::copy(sp.second.begin(), sp.second.end(), d.positions + sp.points);
  std::copy(sp.counts.begin(), sp.counts.end(), d.counts);
  const Int one = 1;
  DM2_POSITIONUTILITY(&sp.points, &sp.layered, &sp.severalLayers, &sp.profileCode, &sp.twoCoordinates, d.positions,
                      d.positions + sp.points, d.handle, &r[kClassSlot - 1], category, kCategoryLength, typeName, 8,
                      reference, 10, &r[kClassValue - 1], &one, &orientation, d.counts, &nameCount, names.data(),
                      kNameLength, &namesKind);
}

void placeElement(Int handleOf, Int label, Int typeCode, const Int* nodeLabels, Int* classTable, Int classNumber,
                  Int* labelSlot, Int* row, Int nodesPerElement, const Int* handle) {
  const Int width = std::max<Int>(nodesPerElement, 0);
  std::fill_n(row, width, 0);
  *labelSlot = label;
  const Int op1 = 1;
  Int count = 0;
  const Int word = handleOf != 0 ? ELEMACCESS(&op1, &handleOf, &count) : 0;
  const Int* nodes = count > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
  if (nodes == nullptr) count = 0;
  const Int modelNodes = rec::i(CGN, kNodeCount);
  auto labelOf = [&](Int k) -> Int {
    if (k >= count) return 0;
    const Int n = nodes[k];
    if (n == 0) return 0;
    if (n < 1 || n > modelNodes) {
      report(-3, "SYSTEM ERROR IN ODBELEMENT. NODE %I OUTSIDE THE MODEL", n);
      return 0;
    }
    return nodeLabels[n - 1];
  };
  if (typeCode == 3491 || typeCode == 3492) {
    const Int l1 = labelOf(0), l2 = labelOf(1);
    const Int first = l1 <= 0 ? l2 : l1, second = l1 <= 0 ? l1 : l2;
    if (width >= 1) row[0] = first;
    if (width >= 2) row[1] = second;
    DM2_DEFINESINGLECONNECTOR(handle, &classWord(classTable, classNumber, kClassConnectorSlot), labelSlot, &l1, &l2);
    return;
  }
  const Int n = std::min(count, width);
  for (Int k = 0; k < n; ++k) row[k] = labelOf(k);
  if (typeCode == 3810 || typeCode == 3858) {
    if (width >= 17) {
      const Int ninth = row[8];
      for (int k = 8; k < 16; ++k) row[k] = row[k + 1];
      row[16] = ninth;
    }
  } else {
    expandRow(row, width, typeCode);
  }
}

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

void ODBCLASS(void* buffer, Int* classRecord, const Int* typeRecord, float* positions, const Int* handle,
              Int* counts, const void* connectorNames, const Int* maxNames, const Int* connectorFlag) {
  const SectionRoom room = layoutSectionRoom();
  guarded([&] {
    defineClass({buffer, recordBufferSlots(), classRecord, typeRecord, positions, room.positions, counts, room.counts,
                 handle, connectorNames, *maxNames, *connectorFlag});
  });
}

void GETCATEGORY(void* buffer, const Int* typeRecord, char* category, Int categoryLength, const Int* sectionAddress,
                 Int* nameCount, char* names, Int nameLength, const Int* maxNames) {
  const Int count = std::clamp<Int>(*nameCount, 0, std::max<Int>(*maxNames, 0));
  guarded([&] {
    fchar::assign(category, categoryLength,
                  buildCategory(buffer, rec::slotI(buffer, 1), *sectionAddress, typeRecord[dm2::kTypeCodeWord - 1],
                                count, names, nameLength));
  });
}

void ODBELEMENT(const Int* element, const Int* nodeLabels, Int* classTable, const Int* typeRecord,
                const Int* classNumber, Int* labelSlot, Int* row, const Int* nodesPerElement, const Int* handle) {
  const Int handleOf = ADB_ELEMGET(element);
  Int out = 0;
  const Int op0 = 0;
  const Int label = handleOf != 0 ? ELEMACCESS(&op0, &handleOf, &out) : 0;
  placeElement(handleOf, label, typeRecord[dm2::kTypeCodeWord - 1], nodeLabels, classTable, *classNumber, labelSlot,
               row, *nodesPerElement, handle);
}

void ELEXPND(Int* connectivity, const Int* typeCode) {
  Int fixed = 0, optional = 0, bits = 0;
  if (variableNodes(*typeCode, fixed, optional, bits)) expandRow(connectivity, fixed + optional, *typeCode);
}

}  // extern "C"

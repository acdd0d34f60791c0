// Boundary-condition node sets of the output database: one node set per boundary-condition slot
// in use and step, named after the slot, with the nodes of the batch parts that carry it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "odb/writer_tables.h"
#include "runtime/fortran_chars.h"
#include "runtime/units.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/restart_record.h"
#include "siblings/eqc/slide_line_codes.h"
#include "zmx/numerics/sorting.h"
#include "zmx/odb/sets.h"
#include "zmx/storage/records.h"
#include "zmx/storage/sets.h"

namespace zmx::odb {

namespace {

// CSLNS words bounding the boundary-condition records.
constexpr int kBcRecordsFirst = 2, kBcRecordsEnd = 3;
// Slots of a boundary-condition record.
constexpr int kBcType = 2, kBcCounts = 3, kBcKind = 12, kBcDrivenType = 14, kBcRow = 39;
constexpr int kNameLength = 80, kShortLength = 8;

constexpr const char* kDrivenNames[13] = {"XSYMM",  "YSYMM",  "ZSYMM",    "XASYMM",   "YASYMM",   "ZASYMM",  "ENCASTRE",
                                          "PINNED", "NOWARP", "NOOVAL",   "NODEFORM", "SHELLTOS", "SHELLTOS"};

Int rowSlots() { return std::max<Int>(rec::i(CBCODB, kBcRowSlots), 0); }

// The slot of a boundary-condition record in the buffer, 0 when it has none or does not count.
Int slotOf(const void* r, Int length) {
  if (length < kBcRow || rec::slotI(r, kBcCounts) != 1 || rec::slotI(r, kBcRow) != 1) return 0;
  const Int t = rec::slotI(r, kBcType);
  Int slot = 0;
  if (t >= 1 && t <= 6) {
    const Int kind = rec::slotI(r, kBcKind);
    if (kind >= 0 && kind <= 2) slot = 6 * kind + t;
  } else if (t == 0) {
    const Int driven = rec::slotI(r, kBcDrivenType);
    if (driven >= 1 && driven <= 13) slot = rec::i(CBCODB, kBcDriven) + driven - 1;
  } else if (t == 8) {
    slot = rec::i(CBCODB, kBcPore);
  } else if (t >= 11) {
    slot = rec::i(CBCODB, kBcTemperature) + t - 11;
  }
  return slot >= 1 && slot <= rowSlots() ? slot : 0;
}

// The part number of a part label, -1 when the part is not taken.
Int takenPart(const void* code, Int mode) {
  char name[kNameLength];
  decodeName(code, name, -1);
  if (mode == 1) return std::memcmp(name, " PIBATCH", 8) == 0 ? 0 : -1;
  const Int op = 1;
  DBLABEL(&op, name, kNameLength);
  if (std::memcmp(name, " P", 2) != 0 || std::memcmp(name + 10, " PIBATCH", 8) != 0) return -1;
  Int number = 0;
  for (int k = 2; k < 10; ++k) {
    if (name[k] == ' ') continue;
    if (name[k] < '0' || name[k] > '9') return -1;
    number = 10 * number + (name[k] - '0');
  }
  return number;
}

void printLine(const std::string& text) { fio::writeLine(rec::i(CLINES, eqc_records::kPrintUnit), text); }

}  // namespace

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

void OBCDES(char* name, Int nameLength, char* shortName, Int shortNameLength, const Int* slot, const Int* step,
            const Int* part, const char* loadCase, Int loadCaseLength, const Int* labelLength,
            const Int* loadCaseFlag) {
  char text[64];
  std::string full, brief;
  if (*step >= 0) {
    std::snprintf(text, sizeof text, "Step %4d", *step);
    full = text;
  }
  if (*part > 0) {
    std::snprintf(text, sizeof text, " Part %8d", *part);
    full += text;
  }
  if ((*loadCaseFlag & 1) != 0)
    full += " Load case " + std::string(fchar::field(loadCase, std::clamp(*labelLength, 0, loadCaseLength)));
  const Int s = *slot, driven = rec::i(CBCODB, kBcDriven), pore = rec::i(CBCODB, kBcPore);
  const Int temperature = rec::i(CBCODB, kBcTemperature);
  if (s >= 1 && s <= 18) {
    static constexpr const char* kShort[3] = {"DISP", "VEL", "ACCEL"};
    static constexpr const char* kText[3] = {" Disp dof ", " Vel  dof ", " Acc  dof "};
    const Int kind = (s - 1) / 6;
    brief = kShort[kind];
    std::snprintf(text, sizeof text, "%s%2d", kText[kind], (s - 1) % 6 + 1);
    full += text;
  } else if (s >= driven && s <= driven + 12) {
    const Int type = s - driven + 1;
    brief = kDrivenNames[type - 1];
    char eight[kShortLength];
    fchar::assign(eight, kShortLength, brief);
    full += " Type " + (type == 12 ? std::string("DRIVEN") : std::string(eight, kShortLength));
  } else if (s == pore) {
    brief = "POR";
    full += " Pore ";
  } else if (s >= temperature && s <= rowSlots()) {
    brief = "TEMP";
    std::snprintf(text, sizeof text, " Temp dof %2d", s - temperature + 11);
    full += text;
  }
  fchar::assign(name, nameLength, full);
  fchar::assign(shortName, shortNameLength, brief);
}

void ODBBCWRITE(Int* setArea, const Int* pairs, void* record, const Int* flagTable, const Int* step,
                const Int* setLength, const Int* setCount, const Int* pairCount, const Int* trace, const Int* handle,
                const Int* partMode, const Int* nodeDatabase, const void* /*loadCases*/,
                const Int* /*loadCaseCount*/) {
  const Int m = std::max<Int>(*setCount, 0), c = std::max<Int>(*pairCount, 0), width = *setLength;
  const Int* addresses = pairs;
  const Int* slots = pairs + c;
  const Int* rows = pairs + 2LL * c;
  const Int directory = rec::i(CSLV, kNodeSetDirectory);
  const long long bufferSlots = recordBufferSlots();
  if (directory == 0 || m == 0 || width < 1) return;
  const Int listLength = DBSLLENGTH(&directory);
  if (listLength < 2 || listLength > bufferSlots) {
    systemError("ODBBCWRITE");
    return;
  }
  std::vector<double> partList(static_cast<std::size_t>(listLength));
  readRecord(directory, partList.data(), listLength);
  const Int parts = std::clamp<Int>(rec::slotI(partList.data(), 2), 0, std::max<Int>((listLength - 4) / 2, 0));
  const Int first = rec::i(CSLNS, kBcRecordsFirst), end = rec::i(CSLNS, kBcRecordsEnd);
  const Int nodes = rec::i(CGN, kNodeCount);

  // The sets gather over every taken part entry of the step: entries of one name add to the same
  // sets, each user number once.
  for (Int s = 0; s < m; ++s) setArea[static_cast<long long>(s) * width] = 0;
  std::unordered_set<std::uint64_t> added;  // ordinal in the high word, user number in the low
  for (Int j = 1; j <= parts; ++j) {
    const Int part = takenPart(static_cast<const char*>(static_cast<void*>(partList.data())) + 8 * (4 + 2LL * (j - 1)),
                               *partMode);
    if (part < 0) continue;
    const Int address = listAddress(directory, rec::slotI(partList.data(), 6 + 2LL * (j - 1)), "ODBBCWRITE");
    const Int length = address != 0 ? readRecord(address, record, bufferSlots) : 0;
    for (Int k = 2; k <= length; ++k) {
      Int n = rec::slotI(record, k);
      if (n < 1 || n > nodes) {
        report(-3, "SYSTEM ERROR IN ODBBCWRITE. NODE %I OUTSIDE THE MODEL", n);
        continue;
      }
      const Int node = ADB_GETNODE(nodeDatabase, &n);
      if (node == 0) continue;
      const Int op2 = 2, op3 = 3;
      Int user = 0, count = 0;
      ADB_NODEACCESS(&op3, &node, &user);
      const Int word = ADB_NODEACCESS(&op2, &node, &count);
      const Int* list = count > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
      for (Int a = 0; list != nullptr && a < count; ++a) {
        if (list[a] < first || list[a] >= end) continue;
        Int position = 0, flag = 1;
        HUNTI(addresses, &c, &list[a], &position, &flag);
        if (flag != 0 || position < 1 || rows[position - 1] != 1) continue;
        const Int ordinal = flagTable[slots[position - 1] - 1];
        if (ordinal < 1 || ordinal > m) continue;
        Int* set = setArea + static_cast<long long>(ordinal - 1) * width;
        const std::uint64_t member = static_cast<std::uint64_t>(ordinal) << 32 | static_cast<std::uint32_t>(user);
        if (set[0] + 1 >= width || !added.insert(member).second) continue;
        set[++set[0]] = user;
      }
    }
    if (*trace != 0) printLine("Nodes with boundary conditions: ");
    Int slot = 1;
    for (Int ordinal = 1; ordinal <= m; ++ordinal) {
      while (slot <= rowSlots() && flagTable[slot - 1] != ordinal) ++slot;
      if (slot > rowSlots()) break;
      char name[kNameLength], shortName[kShortLength];
      const Int zero = 0;
      OBCDES(name, kNameLength, shortName, kShortLength, &slot, step, &part, " ", 1, &zero, &zero);
      const Int* set = setArea + static_cast<long long>(ordinal - 1) * width;
      if (*trace != 0) {
        printLine(std::string(name, kNameLength));
        for (Int k = 0; k < set[0]; k += 8) {
          std::string line;
          char text[16];
          for (Int i = k; i < std::min(k + 8, set[0]); ++i) {
            std::snprintf(text, sizeof text, "%10d", set[1 + i]);
            line += text;
          }
          printLine(line);
        }
      }
      if (set[0] > 0) {
        const Int flag = 1;
        DM2_DEFINENODESET(handle, name, kNameLength, name, kNameLength, &set[0], set + 1, &flag);
      }
    }
  }
}

void ODBBCSETSSUPER(void* record, Int* work, void* /*partBuffer*/, const Int* /*partTable*/, Int* flagTable,
                    const Int* /*part*/, const Int* trace, const Int* handle, const Int* workSize,
                    const Int* nodeDatabase) {
  const Int r = rowSlots();
  std::fill_n(flagTable, r, 0);
  // Pairs of the records with a slot: gathered first, so that the need is known before the work
  // area is written.
  std::vector<Int> addresses, slots;
  walkRecords(rec::i(CSLNS, kBcRecordsFirst), rec::i(CSLNS, kBcRecordsEnd), record, recordBufferSlots(), nullptr,
              "ODBBCSETSSUPER", [&](Int address, Int length) {
                if (const Int slot = slotOf(record, length); slot != 0) {
                  flagTable[slot - 1] = 1;
                  addresses.push_back(address);
                  slots.push_back(slot);
                }
                return true;
              });
  Int m = 0;
  for (Int s = 0; s < r; ++s)
    if (flagTable[s] != 0) flagTable[s] = ++m;
  const long long c = static_cast<long long>(addresses.size());
  const Int nodes = std::max<Int>(rec::i(CGN, kNodeCount), 0);
  const long long need = static_cast<long long>(m) * (nodes + 1) + 3 * c + 2;
  Int size = *workSize;
  if (!raiseCore(need, &size, writableRoom(work, *workSize, 2))) return;
  std::copy(addresses.begin(), addresses.end(), work);
  std::copy(slots.begin(), slots.end(), work + c);
  std::fill_n(work + 2 * c, c, 1);

  const Int steps = rec::i(CPROC, 2), restartStep = rec::i(CREST, eqc_records::kRestartStep);
  Int from = 1, to = steps;
  if (rec::i(CREST, eqc_records::kRestarted) != 0) {
    if (rec::i(CREST, eqc_records::kRestartInsideStep) == 0) {
      from = restartStep;
      to = steps == 0 ? restartStep : steps;
    } else {
      from = restartStep + 1;
      to = steps + restartStep;
    }
  }
  const Int setLength = nodes + 1, pairCount = static_cast<Int>(c), mode = 1, none = 0;
  for (Int step = from; step <= to; ++step)
    ODBBCWRITE(work + 3 * c + 1, work, record, flagTable, &step, &setLength, &m, &pairCount, trace, handle, &mode,
               nodeDatabase, nullptr, &none);
}

}  // extern "C"

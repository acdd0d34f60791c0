// Element sets and node sets of the output database, from the set directories of the slide-line
// database and, for the exported twins, from the set services as well.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "odb/writer_tables.h"
#include "runtime/fortran_chars.h"
#include "runtime/units.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/slide_line_codes.h"
#include "zmx/odb/sets.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/sets.h"

namespace zmx::odb {

namespace {

constexpr int kNameLength = 80;
constexpr int kNodeSetsEnd = 10;  // CSLV: end of the node-set member records

const char* entryName(const void* directory, Int j) {
  return static_cast<const char*>(directory) + 8 * (4 + 2LL * (j - 1));
}
Int entryOffset(const void* directory, Int j) { return rec::slotI(directory, 6 + 2LL * (j - 1)); }
Int entries(const void* directory) {
  const Int length = rec::slotI(directory, 1);
  const Int n = length >= 2 ? rec::slotI(directory, 2) : 0;
  return std::clamp<Int>(n, 0, std::max<Int>((length - 4) / 2, 0));
}

bool blankCode(const void* code) {
  Int flag = 0;
  BCU_COMP_BLANK(code, &flag);
  return flag == 1;
}

// The full name of a coded set name: the blank name's stand-in, or the expanded label.
void fullName(const void* code, const char* blankName, char name[kNameLength]) {
  if (blankCode(code)) {
    fchar::assign(name, kNameLength, blankName);
  } else {
    decodeName(code, name, 11);
  }
}

void traceSet(Int trace, const char* text, const char name[kNameLength]) {
  if (trace <= 1) return;
  fio::writeLine(rec::i(CLINES, 13), std::string(text) + std::string(name, kNameLength));
  const Int one = 1;
  PAGING(&one);
}

// Keeps, over the front of the record, the labels of the members that pass; gives their count,
// compacted to integers.
template <class Keep>
Int keepMembers(void* record, Int length, Keep&& keep) {
  Int kept = 0;
  for (Int k = 2; k <= length; ++k) {
    Int label = 0;
    if (keep(rec::slotI(record, k), &label)) rec::setSlotI(record, ++kept, label);
  }
  if (kept > 0) ACOPEI(record, &kept);
  return kept;
}

class SetWriter {
 public:
  SetWriter(const void* directory, void* record, void* written, const Int* handle, Int trace)
      : directory_(directory), record_(record), written_(written), handle_(handle), trace_(trace) {}

  // Element sets of the directory, members of the part; with the set service when twin.
  void elementSets(const Int* elementTable, Int part, bool twin) {
    const Int elements = rec::i(CGN, kElementCount);
    for (Int j = 1; j <= entries(directory_); ++j) {
      const char* code = entryName(directory_, j);
      char name[kNameLength];
      fullName(code, " ALL ELEMENTS", name);
      Int flag = name[0] == ' ' ? 1 : 0;
      if (twin) {
        if (blankCode(code)) flag = 0;
        noteKnown(code, name, DBESET);
      }
      const Int address = listAddress(rec::i(CSLV, kElementSetDirectory), entryOffset(directory_, j), "ODBELSETSUPER");
      const Int length = address != 0 ? readRecord(address, record_, recordBufferSlots()) : 0;
      const Int count = keepMembers(record_, length, [&](Int e, Int* label) {
        if (e < 1 || e > elements) return false;
        *label = elementWord(const_cast<Int*>(elementTable), e, kElementLabel);
        return elementWord(const_cast<Int*>(elementTable), e, kElementPart) == part;
      });
      if (count == 0) continue;
      traceSet(trace_, "WRITING ELEMENT SET ", name);
      char shortName[kNameLength];
      decodeName(code, shortName, -1);
      DM2_DEFINEELEMENTSET(handle_, shortName, 8, name, kNameLength, &count, static_cast<Int*>(record_), &flag);
    }
    if (twin) serviceSets(DBESET, " ALL ELEMENTS", false);
  }

  // Node sets of the member records, members of the part; with the set service when twin.
  void nodeSets(const Int* nodeLabels, const Int* nodeMap, Int part, bool twin) {
    memberNodeSets(nodeLabels, nodeMap, part, twin);
    if (twin) serviceSets(DBNSET, " ALL NODES", true);
  }

 private:
  using Service = Int (*)(const Int*, char*, Int, Int*, Int*, Int*);

  // The member records from the first named set's list on, one set each.
  void memberNodeSets(const Int* nodeLabels, const Int* nodeMap, Int part, bool twin) {
    const Int named = entries(directory_);
    if (named < 1) return;
    long long address = listAddress(rec::i(CSLV, kNodeSetDirectory), entryOffset(directory_, 1), "ODBNSETSUPER");
    if (address == 0) return;
    for (Int k = 1; address < rec::i(CSLV, kNodeSetsEnd); ++k) {
      char first[kNameLength], name[kNameLength];
      char text[24];
      std::snprintf(text, sizeof text, "SET %10d", k);
      fchar::assign(first, kNameLength, text);
      fchar::assign(name, kNameLength, "");
      Int flag = 1;
      if (k <= named) {
        const char* code = entryName(directory_, k);
        fullName(code, " ALL NODES", name);
        flag = blankCode(code) ? 0 : name[0] == ' ' ? 1 : 0;
        if (twin) noteKnown(code, name, DBNSET);
      }
      const Int length = readRecord(static_cast<Int>(address), record_, recordBufferSlots());
      if (length < 1) {
        systemError("ODBNSETSUPER");
        return;
      }
      address += length;
      const Int count = keepMembers(record_, length, [&](Int n, Int* label) {
        if (n < 1 || n > rec::i(CGN, kNodeCount)) return false;
        *label = nodeLabels[n - 1];
        return nodeMap[kNodeMapWords * static_cast<long long>(n - 1) + kNodeMapPart - 1] == part;
      });
      if (count == 0) continue;
      traceSet(trace_, "WRITING NODE SET ", name);
      DM2_DEFINENODESET(handle_, first, kNameLength, name, kNameLength, &count, static_cast<Int*>(record_), &flag);
    }
  }

  // Notes the coded name when the set service knows the set of that name.
  void noteKnown(const char* code, const char name[kNameLength], Service service) {
    char field[kNameLength];
    std::memcpy(field, name, kNameLength);
    const Int op5 = 5;
    Int count = 0, status = 0, none = 0;
    service(&op5, field, kNameLength, &count, &none, &status);
    if (status != 0) return;
    std::memcpy(static_cast<char*>(written_) + 8LL * writtenCount_++, code, 8);
  }

  bool alreadyWritten(const char name[kNameLength]) const {
    Int code[2];
    const Int eight = 8;
    ACODCE(name, 8, code, &eight);
    for (Int k = 0; k < writtenCount_; ++k)
      if (BCU_ACOMP(static_cast<const char*>(written_) + 8LL * k, 8, reinterpret_cast<const char*>(code), 8) == 0)
        return true;
    return false;
  }

  // The sets that only the set service knows, without a part test.
  void serviceSets(Service service, const char* blankName, bool nodes) {
    char setName[kNameLength];
    fchar::assign(setName, kNameLength, "");
    const Int op9 = 9, op4 = 4, op10 = 10;
    Int n = 0, status = 0, none = 0;
    service(&op9, setName, kNameLength, &n, &none, &status);
    for (Int j = 1; j <= n; ++j) {
      if (j > 1) {
        Int unused = 0;
        status = 0;
        service(&op10, setName, kNameLength, &unused, &none, &status);
      }
      Int count = 0;
      status = 0;
      char lookup[kNameLength];
      std::memcpy(lookup, setName, kNameLength);
      const Int word = service(&op4, lookup, kNameLength, &count, &none, &status);
      if (status != 0 || count <= 0 || alreadyWritten(setName)) continue;
      if (nodes && std::memcmp(setName, " BOUNDRY", 8) == 0) continue;
      const Int* members = mem32::at<Int>(word, static_cast<std::size_t>(count));
      if (members == nullptr) continue;
      char first[kNameLength], name[kNameLength];
      Int flag = 0;
      if (std::all_of(setName, setName + 8, [](char c) { return c == ' '; })) {
        fchar::assign(first, kNameLength, "");
        fchar::assign(name, kNameLength, blankName);
      } else {
        fchar::assign(first, kNameLength, std::string_view(setName, 8));
        std::memcpy(name, first, kNameLength);
        const Int op11 = 11;
        DBLABEL(&op11, name, kNameLength);
        flag = name[0] == ' ' ? 1 : 0;
      }
      traceSet(trace_, nodes ? "WRITING NODE SET " : "WRITING ELEMENT SET ", name);
      if (nodes)
        DM2_DEFINENODESET(handle_, first, kNameLength, name, kNameLength, &count, members, &flag);
      else
        DM2_DEFINEELEMENTSET(handle_, first, 8, name, kNameLength, &count, members, &flag);
    }
  }

  const void* directory_;
  void* record_;
  void* written_;
  const Int* handle_;
  Int trace_;
  Int writtenCount_ = 0;
};

}  // namespace

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

void ODBELSETSUPER(const void* directory, void* record, const Int* elementTable, const Int* part, const Int* trace,
                   const Int* handle) {
  SetWriter(directory, record, nullptr, handle, *trace).elementSets(elementTable, *part, false);
}

void ODBELSET(const void* directory, void* record, void* written, const Int* elementTable, const Int* part,
              const Int* trace, const Int* handle) {
  SetWriter(directory, record, written, handle, *trace).elementSets(elementTable, *part, true);
}

void ODBNSETSUPER(const void* directory, void* record, const Int* nodeLabels, const Int* nodeMap, const Int* part,
                  const Int* trace, const Int* handle) {
  SetWriter(directory, record, nullptr, handle, *trace).nodeSets(nodeLabels, nodeMap, *part, false);
}

void ODBNSET(const void* directory, void* record, void* written, const Int* nodeLabels, const Int* nodeMap,
             const Int* part, const Int* trace, const Int* handle) {
  SetWriter(directory, record, written, handle, *trace).nodeSets(nodeLabels, nodeMap, *part, true);
}

}  // extern "C"

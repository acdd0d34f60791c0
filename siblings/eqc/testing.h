// Test-facing view of the eqc stand-in: what was printed, at which level, and what the message
// accumulator holds.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_testing {

struct Message {
  int level;
  std::string text;  // with every placeholder filled
  int element;       // the "%E" number given, 0 when none
  int node;          // the "%N" number given, 0 when none
  bool filed;        // printed by a KVXNERR-family routine
};

ZMX_EXPORT std::vector<Message> messages();
ZMX_EXPORT void clearMessages();
// Number of messages printed at the level since the last clear.
ZMX_EXPORT int countAtLevel(int level);
// True when some message since the last clear contains the text.
ZMX_EXPORT bool printed(const std::string& fragment);

// Entities filed under a key, in filing order.
ZMX_EXPORT std::vector<int> filed(int key);

// The calls of MSGACCESSADB, each as (operation, first, second).
ZMX_EXPORT std::vector<std::vector<int>> adbAccessCalls();

// The slide-line database that DBSL reads: 8-byte slots, addressed from 1. A record's slot 1
// holds its length in slots (itself included); an integer sits in the low 4 bytes of its slot.
ZMX_EXPORT void setSlideLineStore(std::vector<double> slots);
ZMX_EXPORT std::vector<double> slideLineStore();
// The slot that holds the integer value.
ZMX_EXPORT double integerSlot(int value);
// Append a record whose slots after the length are given (as slots, or as integers); each
// returns the record's address.
ZMX_EXPORT int appendSlideLineSlots(const std::vector<double>& slotsAfterLength);
ZMX_EXPORT int appendSlideLineRecord(const std::vector<int>& integersAfterLength);

// Whether messages are also printed to the message unit (standard error); on by default.
ZMX_EXPORT void setEcho(bool on);

}  // namespace eqc_testing

// State shared by the message output and the message accumulator of the eqc stand-in: the
// printed-message log, the echo switch, the filed entities and the MSGACCESSADB calls. Created
// on first use; nothing runs when the library is loaded.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "siblings/eqc/testing.h"

namespace eqc_detail {

struct KeyEntities {
  int key;
  std::vector<int> entities;  // in filing order
};

struct MessageState {
  std::vector<eqc_testing::Message> log;
  bool echo = true;

  std::vector<KeyEntities> keys;              // in the order first filed
  std::unordered_map<int, std::size_t> slot;  // key -> index into keys
  std::vector<int> handedBack;                // the array msgaccessC returned last

  std::vector<std::vector<int>> adbCalls;
};

MessageState& messageState();

// Prints and logs one finished message text at the level.
void emitMessage(int level, std::string text, int element, int node, bool filed);

// The text with its placeholders filled as KVXERR fills them (character items of stringLength).
std::string fillPlaceholders(const char* text, Int textLength, const Int* integers, const Real* reals,
                             const char* strings, Int stringLength);

// Reports an internal inconsistency at level -3; "%I" in the text takes the value.
void reportSystemError(const char* text, int value);

}  // namespace eqc_detail

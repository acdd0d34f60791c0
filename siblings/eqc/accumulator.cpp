// The message accumulator: entities filed under message keys by the checks, read back and
// cleared by the message catalogue; and the job-exit hand-over to the analysis database, which
// the stand-in only records.

#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/message_state.h"

namespace {

using eqc_detail::MessageState;
using eqc_detail::messageState;

constexpr int kFile = 1;
constexpr int kEntitiesOfKey = 2;
constexpr int kPendingKeys = 3;
constexpr int kClear = 4;

constexpr const char* kUnknownOperation = "SYSTEM ERROR IN MSGACCESS - UNKNOWN OPERATION %I";

void file(int key, int entity) {
  MessageState& state = messageState();
  auto [where, added] = state.slot.try_emplace(key, state.keys.size());
  if (added) state.keys.push_back({key, {}});
  state.keys[where->second].entities.push_back(entity);
}

const std::vector<int>* entitiesOf(int key) {
  const MessageState& state = messageState();
  const auto where = state.slot.find(key);
  return where == state.slot.end() ? nullptr : &state.keys[where->second].entities;
}

// The array handed back stays valid until the next call; it is never null, so a caller that
// reads a count of 0 holds a harmless pointer.
int* handBack(std::vector<int> values, int* count) {
  MessageState& state = messageState();
  state.handedBack = std::move(values);
  if (count != nullptr) *count = static_cast<int>(state.handedBack.size());
  if (state.handedBack.empty()) state.handedBack.reserve(1);
  return state.handedBack.data();
}

void clearAll() {
  MessageState& state = messageState();
  state.keys.clear();
  state.slot.clear();
}

}  // namespace

extern "C" void MSGACCESS(const Int* operation, const Int* entity, const Int* key) {
  const int op = operation != nullptr ? *operation : 0;
  if (op != kFile) {
    eqc_detail::reportSystemError(kUnknownOperation, op);
    return;
  }
  if (entity == nullptr || key == nullptr) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN MSGACCESS - MISSING ARGUMENT FOR OPERATION %I", op);
    return;
  }
  file(*key, *entity);
}

extern "C" void MSGACCESSADB(const Int* operation, const Int* first, const Int* second) {
  const auto value = [](const Int* p) { return p != nullptr ? *p : 0; };
  messageState().adbCalls.push_back({value(operation), value(first), value(second)});
}

int* msgaccessC(int operation, int* count, int key) {
  switch (operation) {
    case kFile:
      if (count != nullptr) file(key, *count);
      return nullptr;
    case kEntitiesOfKey: {
      const std::vector<int>* entities = entitiesOf(key);
      return handBack(entities != nullptr ? *entities : std::vector<int>{}, count);
    }
    case kPendingKeys: {
      std::vector<int> keys;
      for (const auto& entry : messageState().keys)
        if (!entry.entities.empty()) keys.push_back(entry.key);
      return handBack(std::move(keys), count);
    }
    case kClear:
      clearAll();
      if (count != nullptr) *count = 0;
      return nullptr;
    default:
      eqc_detail::reportSystemError(kUnknownOperation, operation);
      if (count != nullptr) *count = 0;
      return nullptr;
  }
}

namespace eqc_testing {

std::vector<int> filed(int key) {
  const std::vector<int>* entities = entitiesOf(key);
  return entities != nullptr ? *entities : std::vector<int>{};
}

std::vector<std::vector<int>> adbAccessCalls() { return messageState().adbCalls; }

}  // namespace eqc_testing

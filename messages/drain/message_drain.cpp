// The message drain. Every key pending in the message accumulator becomes, through the first
// catalogue that holds it, one set of its entities named after the key's label and one printed
// line; then the accumulator is emptied.
//
// In the pre-processor the sets go to the set lists (names blank-padded to 80 characters and
// registered as long labels, also when nothing is printed); during an analysis they go to the
// named-set store of the running analysis under the label as it stands.

#include <string>
#include <string_view>
#include <vector>

#include "messages/catalogue/catalogue_rows.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/glo/ddb_access.h"
#include "siblings/utl/utl.h"
#include "zmx/messages/catalogue.h"
#include "zmx/messages/drain.h"
#include "zmx/storage/sets.h"

namespace {

constexpr int kEntitiesOfKey = 2;
constexpr int kPendingKeys = 3;
constexpr int kClear = 4;

constexpr int kNoPrint = -1;
constexpr std::size_t kSetNameLength = 80;
constexpr int kRegisterLabel = 0;
constexpr int kAddSet = 2;
constexpr int kElementKind = 1;  // kinds of the analysis's named-set store
constexpr int kNodeKind = 0;

constexpr const char* kNoSetTypeText = "**** No set type specified for message %I with label:j_%S";

// The catalogue entry of one key, with the values the drain starts from.
struct Entry {
  cow_String label{"   "};
  cow_String text{"   "};
  int severity = -3;
  int setType = 0;

  bool isFallback() const {
    return setType == zmx::kNoSet && severity == zmx::catalogue::kFallbackSeverity &&
           std::string_view(label.CStr()) == zmx::catalogue::kFallbackLabel;
  }
};

struct Phase {
  int printFlag;
  int analysisFlag;
  int step;
  int increment;
  int first;
  int second;
};

// The catalogues in their fixed order, up to the first that holds the key; the numerical one
// answers every key, so the entry is always written.
Entry lookUp(int key, const Phase& phase) {
  Entry e;
  auto& [label, text, severity, setType] = e;
  ElementBasedMessagesInPre(key, label, text, severity, setType) ||
      ElementBasedMessagesInShr(key, label, text, severity, setType) ||
      ElementBasedMessagesInStd(key, label, text, severity, setType, phase.step, phase.increment) ||
      NodeBasedMessagesInPre(key, label, text, severity, setType) ||
      NodeBasedMessagesInShr(key, label, text, severity, setType) ||
      NodeBasedMessagesInStd(key, label, text, severity, setType, phase.step, phase.increment) ||
      NumericalMessages(key, label, text, severity, setType, phase.step, phase.increment, phase.first, phase.second);
  return e;
}

// Pre-processor: the label padded to at least 80 characters, registered as a long label, then
// the set added under it. Returns false when the entry names no set type.
bool addToSetLists(Entry& e, int* entities, int n) {
  if (e.label.Length() < kSetNameLength) e.label.Append(kSetNameLength - e.label.Length(), ' ');
  std::string name(e.label.CStr(), e.label.Length());
  const Int operation = kRegisterLabel;
  DBLABEL(&operation, name.data(), static_cast<Int>(name.size()));
  int count = n, status = 0;
  switch (e.setType) {
    case zmx::kElementSet: dbesetC(kAddSet, name.data(), count, entities, status); return true;
    case zmx::kNodeSet: dbnsetC(kAddSet, name.data(), count, entities, status); return true;
    default: return false;
  }
}

// Analysis: the set stored in the running analysis under the unpadded label.
bool addToAnalysis(const Entry& e, int* entities, int n) {
  int kind = 0;
  switch (e.setType) {
    case zmx::kElementSet: kind = kElementKind; break;
    case zmx::kNodeSet: kind = kNodeKind; break;
    default: return false;
  }
  int count = n;
  thr_ThreadSingleton<extC_DdbAccess>::Instance()->WriteNodeElemSet(entities, count, e.label.CStr(), kind);
  return true;
}

void drainKey(int key, const Phase& phase) {
  int n = 0;
  int* entities = msgaccessC(kEntitiesOfKey, &n, key);
  if (n == 0 || entities == nullptr) return;
  Entry e = lookUp(key, phase);
  bool keyForCount = e.isFallback();
  if (e.setType != zmx::kNoSet) {
    const bool made = phase.analysisFlag == 0 ? addToSetLists(e, entities, n) : addToAnalysis(e, entities, n);
    if (!made) {
      e.text = cow_String(kNoSetTypeText);
      keyForCount = true;
    }
  }
  if (phase.printFlag == kNoPrint) return;
  const int count = keyForCount ? key : n;
  const double noReal = 0.0;
  kvxerrC(e.severity, e.text.CStr(), &count, &noReal, e.label.CStr());
}

}  // namespace

void shr_msgprintC(int& printFlag, int& analysisFlag, int& step, int& increment, int& first, int& second) {
  int count = 0;
  const int* pending = msgaccessC(kPendingKeys, &count, 0);
  if (count == 0) return;
  if (printFlag == kNoPrint && analysisFlag != 0) {
    msgaccessC(kClear, &count, 0);
    return;
  }
  // The accumulator's array is only good until its next call; each key asks it again.
  const std::vector<int> keys = pending != nullptr ? std::vector<int>(pending, pending + count) : std::vector<int>();
  const Phase phase{printFlag, analysisFlag, step, increment, first, second};
  for (const int key : keys) drainKey(key, phase);
  msgaccessC(kClear, &count, 0);
}

extern "C" void SHR_MSGPRINT(const Int* printFlag, const Int* analysisFlag, const Int* step, const Int* increment,
                             const Int* first, const Int* second) {
  // The same six references go on; shr_msgprintC only reads them.
  shr_msgprintC(const_cast<Int&>(*printFlag), const_cast<Int&>(*analysisFlag), const_cast<Int&>(*step),
                const_cast<Int&>(*increment), const_cast<Int&>(*first), const_cast<Int&>(*second));
}

// The slide-line database of the stand-in: one run of 8-byte slots that tests fill, read record
// by record with DBSL.

#include <cstring>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/message_state.h"
#include "siblings/eqc/slide_line_codes.h"
#include "siblings/eqc/testing.h"

namespace {

constinit std::vector<double>* gStore = nullptr;

std::vector<double>& store() {
  if (gStore == nullptr) gStore = new std::vector<double>();
  return *gStore;
}

constexpr int kRead = 0;

bool insideStore(long long first, long long slots) {
  const auto size = static_cast<long long>(store().size());
  return first >= 1 && slots >= 1 && first - 1 + slots <= size;
}

}  // namespace

extern "C" void DBSL(const Int* operation, void* buffer, const Int* address) {
  const int op = operation != nullptr ? *operation : -1;
  if (op != kRead) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN DBSL - UNKNOWN OPERATION %I", op);
    return;
  }
  const long long first = address != nullptr ? *address : 0;
  if (!insideStore(first, 1)) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN DBSL - ADDRESS %I OUTSIDE THE SLIDE-LINE DATABASE",
                                  static_cast<int>(first));
    return;
  }
  const Int length = rec::slotI(store().data(), first);
  if (!insideStore(first, length)) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN DBSL - RECORD AT ADDRESS %I RUNS PAST THE SLIDE-LINE DATABASE",
                                  static_cast<int>(first));
    return;
  }
  std::memcpy(buffer, store().data() + (first - 1), 8 * static_cast<std::size_t>(length));
}

extern "C" Int DBSLLENGTH(const Int* address) {
  return insideStore(*address, 1) ? rec::slotI(store().data(), *address) : 0;
}

namespace eqc_testing {

void setSlideLineStore(std::vector<double> slots) { store() = std::move(slots); }

std::vector<double> slideLineStore() { return store(); }

double integerSlot(int value) {
  double slot;
  rec::setSlotI(&slot, 1, value);
  return slot;
}

int appendSlideLineSlots(const std::vector<double>& slotsAfterLength) {
  std::vector<double>& slots = store();
  const int address = static_cast<int>(slots.size()) + 1;
  slots.push_back(integerSlot(static_cast<int>(slotsAfterLength.size()) + 1));
  slots.insert(slots.end(), slotsAfterLength.begin(), slotsAfterLength.end());
  return address;
}

int appendSlideLineRecord(const std::vector<int>& integersAfterLength) {
  std::vector<double> slots;
  slots.reserve(integersAfterLength.size());
  for (int value : integersAfterLength) slots.push_back(integerSlot(value));
  return appendSlideLineSlots(slots);
}

}  // namespace eqc_testing

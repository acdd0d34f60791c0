// The slide-line database of the stand-in: one run of 8-byte slots that tests fill, read record
// by record with DBSL.

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
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

// Copies the record at address when its length is at most room slots; reports and copies
// nothing otherwise.
bool copyRecord(Int address, void* buffer, long long room) {
  const long long first = address;
  if (!insideStore(first, 1)) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN DBSL - ADDRESS %I OUTSIDE THE SLIDE-LINE DATABASE",
                                  static_cast<int>(first));
    return false;
  }
  const Int length = rec::slotI(store().data(), first);
  if (!insideStore(first, length)) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN DBSL - RECORD AT ADDRESS %I RUNS PAST THE SLIDE-LINE DATABASE",
                                  static_cast<int>(first));
    return false;
  }
  if (length > room) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN DBSL - RECORD AT ADDRESS %I IS LONGER THAN ITS BUFFER",
                                  static_cast<int>(first));
    return false;
  }
  std::memcpy(buffer, store().data() + (first - 1), 8 * static_cast<std::size_t>(length));
  return true;
}

}  // namespace

extern "C" void DBSL(const Int* operation, void* buffer, const Int* address) {
  const int op = operation != nullptr ? *operation : -1;
  if (op != kRead) {
    eqc_detail::reportSystemError("SYSTEM ERROR IN DBSL - UNKNOWN OPERATION %I", op);
    return;
  }
  // The caller's buffer holds the whole record: callers outside the library are bound by that.
  copyRecord(address != nullptr ? *address : 0, buffer, std::numeric_limits<long long>::max());
}

namespace eqc {

bool readSlideLineRecord(Int address, void* buffer, long long room) { return copyRecord(address, buffer, room); }

bool readSlideLineRecord(Int address, std::vector<Real>& record, std::size_t atLeast) {
  record.assign(std::max<std::size_t>(atLeast, 1), 0.0);
  const long long first = address;
  const long long length = insideStore(first, 1) ? rec::slotI(store().data(), first) : 0;
  // Storage is made only for a record that lies in the database; any other is reported unread.
  if (!insideStore(first, length)) return copyRecord(address, nullptr, 0);
  try {
    if (static_cast<std::size_t>(length) > record.size()) record.resize(static_cast<std::size_t>(length), 0.0);
  } catch (const std::bad_alloc&) {
    eqc_detail::reportSystemError("MEMORY FAILURE.", 0);
    return false;
  }
  return copyRecord(address, record.data(), length);
}

}  // namespace eqc

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

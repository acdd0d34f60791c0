// The design-sensitivity lists that the slide-line database keeps for elements and nodes.
#include <algorithm>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "sensitivity/drivers/slide_line_records.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dsa_state.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/slide_line_codes.h"
#include "zmx/sensitivity.h"

namespace zmx::dsa {

void systemError(const char* routine) {
  std::string text = "SYSTEM ERROR IN ";
  text += routine;
  cfi_WriteMessage(-3, text.c_str());
}

bool readRecord(Int address, Real* buffer, Int room, const char* routine) {
  const Int length = DBSLLENGTH(&address);
  if (length < 1 || length > room) {
    systemError(routine);
    return false;
  }
  return eqc::readSlideLineRecord(address, buffer, room);
}

}  // namespace zmx::dsa

namespace {

using zmx::dsa::kListEnd;

// A work block of reals from the analysis database, given back when it goes out of scope.
class WorkBlock {
  static constexpr long long kMostWords = 2147483647;

 public:
  // A size that is not positive or whose words pass the integer limit gives no block.
  explicit WorkBlock(long long reals) : reals_(reals > 0 && reals <= kMostWords / 2 ? static_cast<Int>(reals) : 0) {
    if (reals_ == 0) return;
    const Int words = 2 * reals_;
    word_ = ADB_GLOBALMEMOPENI(&words);
    data_ = word_ ? mem32::at<Real>(word_, static_cast<std::size_t>(reals_), dm2::kBlockTag) : nullptr;
  }
  ~WorkBlock() {
    if (word_ != 0) ADB_MEMCLOSE(&word_);
  }
  WorkBlock(const WorkBlock&) = delete;
  WorkBlock& operator=(const WorkBlock&) = delete;
  Real* data() const { return data_; }
  Int reals() const { return reals_; }

 private:
  Int reals_;
  Int word_ = 0;
  Real* data_ = nullptr;
};

Int slot(const Real* record, long long k) { return rec::slotI(record, k); }

// The element record's three lists: s(2), list 1, list 2 and list 3, and what follows them.
struct ElementLists {
  Int handedOn = 0;
  std::vector<Int> list1, list2, list3;
  std::vector<Real> tail;  // slots after list 3, moved along with it

  // False when the record's length runs past its buffer of room slots or a count past the length.
  bool read(const Real* E, long long room) {
    const Int L = slot(E, 1);
    if (L < 3 || L > room) return false;
    handedOn = slot(E, 2);
    long long k = 3;
    for (std::vector<Int>* list : {&list1, &list2, &list3}) {
      if (k > L) return false;
      const Int count = slot(E, k);
      if (count < 0 || !rec::spanInside(k + 1, count, L)) return false;
      list->clear();
      for (Int i = 1; i <= count; ++i) list->push_back(slot(E, k + i));
      k += count + 1LL;
    }
    tail.assign(E + (k - 1), E + L);
    return true;
  }
  Int length() const { return 5 + static_cast<Int>(list1.size() + list2.size() + list3.size() + tail.size()); }
  void write(Real* E) const {
    rec::setSlotI(E, 1, length());
    rec::setSlotI(E, 2, handedOn);
    Int k = 3;
    for (const std::vector<Int>* list : {&list1, &list2, &list3}) {
      rec::setSlotI(E, k, static_cast<Int>(list->size()));
      for (Int v : *list) rec::setSlotI(E, ++k, v);
      ++k;
    }
    std::copy(tail.begin(), tail.end(), E + (k - 1));
  }
};

bool contains(const std::vector<Int>& list, Int v) { return std::find(list.begin(), list.end(), v) != list.end(); }

// The slide-line addresses of a node (ADB_NODEACCESS operation), the first one in [low, high).
Int firstAddressIn(Int operation, Int node, Int low, Int high) {
  Int count = 0;
  const Int word = ADB_NODEACCESS(&operation, &node, &count);
  if (word == 0 || count <= 0) return 0;
  const Int* addresses = mem32::at<Int>(word, static_cast<std::size_t>(count), dm2::kDataTag);
  if (addresses == nullptr) return 0;
  for (Int i = 0; i < count; ++i)
    if (addresses[i] >= low && addresses[i] < high) return addresses[i];
  return 0;
}

}  // namespace

extern "C" {

void SHR_DSADBSLACT(const Int* address, Int* active) {
  *active = 0;
  WorkBlock block(rec::i(CGM, 41));
  if (block.data() == nullptr) return;
  if (!zmx::dsa::readRecord(*address, block.data(), block.reals(), "SHR_DSADBSLACT")) return;
  const Int L = slot(block.data(), 1);
  *active = slot(block.data(), L) == kListEnd ? 1 : 0;
}

void SHR_DSAGETALLNICS(const Real* record, Int* out, const Int* offset) {
  out[0] = 0;
  const Int L = slot(record, 1);
  if (L < 2 || slot(record, L) != kListEnd) return;
  auto inside = [L](long long k) { return k >= 1 && k <= L; };
  const long long d = static_cast<long long>(slot(record, L - 1)) + *offset;
  if (!inside(d)) return zmx::dsa::systemError("SHR_DSAGETALLNICS");
  const Int lists = slot(record, static_cast<Int>(d));
  Int n = 0;
  for (Int t = 1; t <= lists; ++t) {
    if (!inside(d + t)) return zmx::dsa::systemError("SHR_DSAGETALLNICS");
    const long long q = static_cast<long long>(*offset) + slot(record, static_cast<Int>(d + t));
    if (!inside(q + 1)) return zmx::dsa::systemError("SHR_DSAGETALLNICS");
    const Int c = slot(record, static_cast<Int>(q + 1));
    if (c < 0 || !inside(q + 1 + c)) return zmx::dsa::systemError("SHR_DSAGETALLNICS");
    for (Int i = 0; i < c; ++i) {
      const Int v = slot(record, static_cast<Int>(q + 2 + i));
      if (std::find(out + 1, out + 1 + n, v) == out + 1 + n) out[1 + n++] = v;
    }
    out[0] = n;
  }
}

void SHR_ELDSAMODREF(Real* E, const Int* element, const Int* nodedb) {
  static constexpr char kRoutine[] = "SHR_ELDSAMODREF";
  const Int room = rec::i(CGM, 41);
  const long long P = std::max(rec::i(CGM, 45), rec::i(CGM, 52)) + 1LL;
  const Int parameters = omi_Singleton<adb_dsaGlobal>::Instance()->space.NumDesPar();
  WorkBlock block(3LL * parameters + P + 5);
  if (block.data() == nullptr) return;
  ElementLists lists;
  if (!lists.read(E, room)) return zmx::dsa::systemError(kRoutine);

  static constexpr Int kNodes = 1;
  Int count = 0;
  const Int nodesWord = ELEMACCESS(&kNodes, element, &count);
  const Int* nodes = count > 0 ? mem32::at<Int>(nodesWord, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
  if (nodes == nullptr) return;

  // Adds the values s(2) to s(L) of the node record read from address; false when E is full.
  auto pass = [&](Int address, bool first) {
    if (address == 0) return true;
    if (!zmx::dsa::readRecord(address, block.data(), block.reals(), kRoutine)) return true;
    const Int L = slot(block.data(), 1);
    for (Int i = 2; i <= L; ++i) {
      const Int v = slot(block.data(), i);
      if (first ? contains(lists.list1, v) : contains(lists.list2, v)) continue;
      if (lists.length() + (first ? 2 : 1) > room) {
        zmx::dsa::systemError(kRoutine);
        return false;
      }
      if (first) lists.list1.push_back(v);
      lists.list2.insert(lists.list2.begin(), v);
    }
    return true;
  };
  static constexpr Int kFirstKind = 1, kSecondKind = 2;
  bool room_left = true;
  for (Int j = 0; j < count && room_left; ++j) {
    const Int node = ADB_GETNODE(nodedb, &nodes[j]);
    room_left = pass(firstAddressIn(kFirstKind, node, rec::i(CSLNF, 14), rec::i(CSLNF, 7)), true);
  }
  for (Int j = 0; j < count && room_left; ++j) {
    const Int node = ADB_GETNODE(nodedb, &nodes[j]);
    room_left = pass(firstAddressIn(kSecondKind, node, rec::i(CSLNS, 22), rec::i(CSLNS, 15)), false);
  }
  lists.write(E);
}

void SHR_ELDSAINIT(const Int* element, Int* eint, Int* eflag, Real* E, Int* n, const Int* nodedb) {
  std::fill(eflag, eflag + 13, 0);
  std::fill(eint, eint + 14, 0);
  static constexpr Int kRecordAddress = 18;
  Int out = 0;
  const Int address = ELEMACCESS(&kRecordAddress, element, &out);
  if (!zmx::dsa::readRecord(address, E, rec::i(CGM, 41), "SHR_ELDSAINIT")) return;
  if (rec::i(CONTRO, 24) != 0 || omi_Singleton<adb_dsaGlobal>::Instance()->model.perturbationMode == 1)
    SHR_ELDSAMODREF(E, element, nodedb);
  ElementLists lists;
  if (!lists.read(E, rec::i(CGM, 41))) return zmx::dsa::systemError("SHR_ELDSAINIT");
  const Int k = static_cast<Int>(lists.list1.size());
  const Int m = static_cast<Int>(lists.list2.size());
  eint[1] = k;
  eint[0] = m;
  eint[13] = static_cast<Int>(lists.list3.size()) + k;
  *n = k + 5;
  if (m != 0) eflag[2] = 1;
  eflag[10] = lists.handedOn;
}

}  // extern "C"

#include "import/frame/block_views.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/glo/block_store.h"
#include "zmx/import/frame.h"

namespace zmx::imp {

Int& rho(int word) { return rec::i(RHO_MAN_COMMONI, word); }

Int indexOffset() {
  Int scratch = 0, offset = 0;
  const Int operation = 1;
  EDI_MAN_GLOBALSTORE(&scratch, &scratch, &scratch, &scratch, &scratch, &offset, &operation);
  return offset;
}

void Request::damaged(const std::string& what) {
  if (!ok_) return;
  ok_ = false;
  const std::string text = std::string("SYSTEM ERROR IN ") + routine_ + " - DAMAGED PREVIOUS-ANALYSIS DATABASE: " + what;
  kvxerrC(-3, text.c_str(), nullptr, nullptr, nullptr);
}

Int Words::i(long long k) const {
  if (has(k)) return words_[k - 1];
  if (request_ != nullptr) request_->damaged("WORD " + std::to_string(k) + " OF " + std::to_string(length_));
  return 0;
}

float Words::r(long long k) const {
  const Int word = i(k);
  float value;
  std::memcpy(&value, &word, sizeof value);
  return value;
}

Words callerWords(Request& request, const Int* words, Int known) {
  const Int word = mem32::wordOf(words);
  if (word == 0) return Words(request, words, words != nullptr ? known : 0);
  const std::size_t reach = mem32::bytesFrom(word) / sizeof(Int);
  return Words(request, words, static_cast<Int>(std::min<std::size_t>(reach, INT32_MAX)));
}

Int* baseWords(Request& request, Int index, Int length) {
  const long long word = rho(rw::kBase) + 4LL * (index - 1);
  if (index < 1 || length < 0 || index >= kNoBlock || rho(rw::kBase) == 0 || word > INT32_MAX ||
      !mem32::valid(static_cast<Int>(word), static_cast<std::size_t>(length) * 4, mem32::kAnyTag)) {
    request.damaged("INDEX " + std::to_string(index));
    return nullptr;
  }
  return mem32::at<Int>(static_cast<Int>(word), static_cast<std::size_t>(length));
}

bool Block::read(Int handle, Int number, Int length, bool real) {
  release();
  if (!request_->ok()) return false;
  if (length < 0 || number < 1) {
    request_->damaged("BLOCK " + std::to_string(number) + " OF LENGTH " + std::to_string(length));
    return false;
  }
  const Int kind = real ? 18 : 17;
  DSM_BLO_ACCESS(&kind, &handle, &number, &length, &index_);
  if (index_ == 0) {
    request_->lost();
    return false;
  }
  kind_ = real ? 2 : 1;
  length_ = length;
  data_ = baseWords(*request_, index_, length);
  return data_ != nullptr;
}

bool Block::make(Int length, bool real) {
  release();
  if (!request_->ok()) return false;
  if (!blockLength(*request_, length)) return false;
  const Int kind = real ? 2 : 1;
  const Int none = 0;
  DSM_BLO_ACCESS(&kind, &rho(rw::kScratch), &none, &length, &index_);
  if (index_ == 0) {
    request_->lost();
    return false;
  }
  kind_ = kind;
  length_ = length;
  data_ = baseWords(*request_, index_, length);
  return data_ != nullptr;
}

void Block::release() {
  if (index_ != 0) DSM_BLO_RELEASE(&kind_, &index_);
  index_ = 0;
  length_ = 0;
  data_ = nullptr;
}

void Block::adopt(Int index, Int kind) {
  release();
  index_ = index;
  kind_ = kind;
}

Int Block::keep() {
  const Int index = index_;
  index_ = 0;
  data_ = nullptr;
  return index;
}

bool Target::setI(long long k, Int value) {
  if (words_ == nullptr || k < 1 || k > length_) {
    if (request_ != nullptr) request_->damaged("RESULT WORD " + std::to_string(k) + " OF " + std::to_string(length_));
    return false;
  }
  words_[k - 1] = value;
  return true;
}

bool Target::setR(long long k, float value) {
  Int word;
  std::memcpy(&word, &value, sizeof word);
  return setI(k, word);
}

bool blockLength(Request& request, long long length) {
  if (length >= 0 && length < kNoBlock) return true;
  request.damaged("BLOCK LENGTH " + std::to_string(length));
  return false;
}

Target targetAt(Request& request, Int index, long long length) {
  if (!blockLength(request, length)) return Target();
  Int* words = baseWords(request, index, static_cast<Int>(length));
  return words != nullptr ? Target(request, words, static_cast<Int>(length)) : Target();
}

bool stepDataOpen() {
  const Int unit = L::kModelUnit, number = L::kStepPartition, one = 1;
  Int instance = 0, key = rho(rw::kStepKey);
  if (key == 0) return false;
  DSM_PAR_FINDFIRST(&unit, &number, &instance, &one, &key);
  return key != 0;
}

Int domainCount(const Words& table) {
  const Int d = table.i(L::kDomains);
  if (d >= 0 && (d == 0 || table.has(tableRow(d, L::kRowWords)))) return d;
  table.request().damaged("DOMAIN COUNT " + std::to_string(d));
  return 0;
}

void handOut(std::initializer_list<Int*> indexes) {
  const Int offset = indexOffset();
  for (Int* index : indexes) *index = outward(*index, offset);
}

bool readModel(Request& request, Model& model, bool withReals) {
  Block directory(request);
  if (!directory.read(rho(rw::kModel), 1, L::kModelDirectoryWords, false)) return false;
  if (!model.table.read(rho(rw::kModel), directory.i(3), directory.i(1), false)) return false;
  if (withReals && !model.reals.read(rho(rw::kModel), directory.i(4), directory.i(2), true)) return false;
  return request.ok();
}

void openStatePair(Int key, Int d) {
  if (key == rho(rw::kIncrementKey) && d == rho(rw::kStateInstance)) return;
  DSM_PAR_CLOSE(&rho(rw::kState));
  DSM_PAR_CLOSE(&rho(rw::kSharedState));
  rho(rw::kIncrementKey) = key;
  rho(rw::kStateInstance) = d;
  const Int unit = L::kStateUnit, one = 1;
  for (const auto& [number, word] : {std::pair{L::kStatePartition, rw::kState}, std::pair{L::kSharedStatePartition, rw::kSharedState}}) {
    const Int n = number;
    DSM_PAR_OPEN(&unit, &rho(word), &n, &d, &one, &key);
  }
}

void openDomainData(Int d) {
  const Int unit = L::kModelUnit, number = L::kDomainPartition, one = 1;
  DSM_PAR_OPEN(&unit, &rho(rw::kDomainData), &number, &d, &one, &one);
}

Slot groupSlot(const Words& table, int offsetWord, int slots, Int d, int slot) {
  const long long k = static_cast<long long>(table.i(0LL + table.i(L::kGroupOffsets) + offsetWord - 1)) +
                      static_cast<long long>(slots) * (d - 1) + slot;
  return Slot{table.i(table.i(L::kBlockList) + k - 1), table.i(table.i(L::kLengthList) + k - 1)};
}

}  // namespace zmx::imp

#include "sensitivity/stores/contact_gradients.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/address_space.h"
#include "siblings/dm2/dsa_state.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/fortran_text.h"
#include "zmx/sensitivity.h"

namespace {
constexpr mem32::Tag kContactBlockTag = mem32::tag("DSCG");

Real* zeros(Int d) { return d > 0 ? new Real[static_cast<std::size_t>(d) * dsa_ContactGrad::kWidth]() : nullptr; }
}  // namespace

dsa_ContactGrad::dsa_ContactGrad(const cow_String& n, Int i, Int count)
    : name(n), id(i), d(count > 0 ? count : 0), gradients(zeros(d)), width(kWidth) {}

dsa_ContactGrad::dsa_ContactGrad(const dsa_ContactGrad& other)
    : name(other.name), id(other.id), d(other.d), gradients(nullptr), width(other.width) {
  if (other.gradients != nullptr) {
    gradients = zeros(d);
    std::copy(other.gradients, other.gradients + static_cast<std::size_t>(d) * kWidth, gradients);
  }
}

dsa_ContactGrad& dsa_ContactGrad::operator=(const dsa_ContactGrad& other) {
  if (this == &other) return *this;
  dsa_ContactGrad copy(other);
  std::swap(name, copy.name);
  std::swap(id, copy.id);
  std::swap(d, copy.d);
  std::swap(gradients, copy.gradients);
  std::swap(width, copy.width);
  return *this;
}

dsa_ContactGrad::~dsa_ContactGrad() { delete[] gradients; }

Int dsa_ContactGrad::IsRecord(Int i, const char* n) const {
  return i == id && std::strcmp(name.CStr(), n) == 0 ? 1 : 0;
}

dsa_ContactDb::~dsa_ContactDb() {
  for (const auto& b : blocks_)
    if (b->word != 0) mem32::unmap(b->word);
}

dsa_ContactGrad& dsa_ContactDb::record(Int i) {
  const std::size_t block = static_cast<std::size_t>(i / kBlockRecords);
  while (blocks_.size() <= block) blocks_.push_back(std::make_unique<Block>());
  return blocks_[block]->records[static_cast<std::size_t>(i % kBlockRecords)];
}

Int dsa_ContactDb::Word(Int i) {
  record(i);
  Block& b = *blocks_[static_cast<std::size_t>(i / kBlockRecords)];
  if (b.word == 0) b.word = mem32::map(b.records.data(), sizeof b.records, kContactBlockTag);
  if (b.word == 0) return 0;
  return b.word + static_cast<Int>((i % kBlockRecords) * static_cast<Int>(sizeof(dsa_ContactGrad)));
}

Int dsa_ContactDb::GetIndex(const char* name, Int id) const {
  for (Int i = 0; i < n_; ++i)
    if (blocks_[static_cast<std::size_t>(i / kBlockRecords)]->records[static_cast<std::size_t>(i % kBlockRecords)]
            .IsRecord(id, name))
      return i;
  return -1;
}

dsa_ContactGrad& dsa_ContactDb::GradRec(const char* name, Int id, Int d) {
  const Int i = GetIndex(name, id);
  if (i >= 0) return record(i);
  dsa_ContactGrad& slot = record(n_++);
  slot = dsa_ContactGrad(cow_String(name), id, d);
  return slot;
}

dsa_ContactGrad& dsa_ContactDb::GradRec(const char* name, Int id) {
  const Int i = GetIndex(name, id);
  if (i >= 0) return record(i);
  cfi_WriteMessage(-3, "System error while retrieving surface data dsa_SmlSldDb::SmlSldRec");
  dsa_ContactGrad& slot = record(n_);
  slot = dsa_ContactGrad();
  return slot;
}

Int dsa_ContactDb::isDesignPresent(Int id) const {
  for (Int i = 0; i < n_; ++i)
    if (blocks_[static_cast<std::size_t>(i / kBlockRecords)]->records[static_cast<std::size_t>(i % kBlockRecords)].id == id)
      return 1;
  return 0;
}

extern "C" {

Int DSA_CONTDB(const char* name, Int nameLength, const Int* op, const Int* id, const Int* d, Int* status) {
  *status = 0;
  adb_dsaGlobal& state = *omi_Singleton<adb_dsaGlobal>::Instance();
  auto* table = static_cast<dsa_ContactDb*>(state.contactDb);
  if (table == nullptr && *op != 0) {
    *status = 1;
    return 0;
  }
  std::string text(static_cast<std::size_t>(std::max<Int>(nameLength, 0)) + 1, '\0');
  lxftoc(text.data(), name, nameLength);
  switch (*op) {
    case 0:
      if (table == nullptr) state.contactDb = new dsa_ContactDb();
      return 0;
    case 1: {
      table->GradRec(text.c_str(), *id, *d);
      return table->Word(table->GetIndex(text.c_str(), *id));
    }
    case 2:
      delete table;
      state.contactDb = nullptr;
      return 0;
    case 3: {
      const Int i = table->GetIndex(text.c_str(), *id);
      if (i < 0) {
        *status = 1;
        return 0;
      }
      return table->Word(i);
    }
    case 5:
      *status = table->isDesignPresent(*id) ? 0 : 1;
      return 0;
    default:
      return 0;
  }
}

Int DSA_SMSLDREC(const Int* op, const Int* record) { return *op == 4 ? record[3] : 0; }

}  // extern "C"

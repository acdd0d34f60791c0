// Named node and element sets: a hash table of 997 buckets of set records, the conversion of
// set members (labels) to internal numbers (positions in the model's label list) and the set
// services by operation code.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/utl/utl_int_table.h"
#include "zmx/storage.h"

SetList* eslist = nullptr;
SetList* nslist = nullptr;

namespace {

constexpr mem32::Tag kArrayTag = mem32::tag("SETA");
// Below this many entries a set is sorted by exchanges; from here up by merging halves.
constexpr int kMergeSortFrom = 16384;

void reportNoMemory(const char* text, long long bytes) {
  const int needed = static_cast<int>(std::min<long long>(bytes, 0x7fffffff));
  kvxerrC(-3, text, &needed, nullptr, nullptr);
}

constexpr const char* kNoMemoryForMembers =
    "SYSTEM ERROR IN SetRecord::AddSet--UNABLE TO ALLOCATE MEMORY FOR NEW SET MEMBERS. MEMORY NEEDED: %I BYTES";

}  // namespace

// ---- SetRecord ----------------------------------------------------------------------------------

namespace {

// Room for n ints, laid into the address space; false (reported) when it cannot be had. An
// empty array holds no memory and has word 0.
template <class Array>
bool allocate(Array& array, int n) {
  array.data = nullptr;
  array.word = 0;
  array.count = 0;
  if (n <= 0) return true;
  const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(int);
  auto* data = static_cast<int*>(std::malloc(bytes));
  const Int word = data != nullptr ? mem32::map(data, bytes, kArrayTag) : 0;
  if (word == 0) {
    std::free(data);
    reportNoMemory(kNoMemoryForMembers, static_cast<long long>(bytes));
    return false;
  }
  array.data = data;
  array.word = word;
  return true;
}

template <class Array>
void release(Array& array) {
  if (array.word != 0) mem32::unmap(array.word);
  std::free(array.data);
  array.data = nullptr;
  array.word = 0;
  array.count = 0;
}

// Packs the distinct values of an ascending array to its front; returns their number.
int packDistinct(int* values, int n) {
  int kept = 0;
  for (int i = 0; i < n; ++i)
    if (kept == 0 || values[i] != values[kept - 1]) values[kept++] = values[i];
  return kept;
}

// Label -> its 0-based position in the list; a label listed twice keeps its first position, as
// a search of the list from its start would give.
void fillLabelTable(zmx::LabelTable& table, const int* labels, int n) {
  table.clear();
  table.reserve(static_cast<std::size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) table.insert(labels[i], i);
}

}  // namespace

SetRecord::SetRecord() = default;

SetRecord::~SetRecord() {
  Release();
  SetRecord* chained = next_;
  next_ = nullptr;
  while (chained != nullptr) {
    SetRecord* after = chained->next_;
    chained->next_ = nullptr;
    delete chained;
    chained = after;
  }
}

void SetRecord::Release() {
  std::free(name_);
  name_ = nullptr;
  release(members_);
  release(internal_);
  release(sortedInternal_);
  sorted_ = 1;
}

void SetRecord::TakeFrom(SetRecord& other) {
  name_ = std::exchange(other.name_, nullptr);
  members_ = std::exchange(other.members_, WordArray{});
  internal_ = std::exchange(other.internal_, WordArray{});
  sortedInternal_ = std::exchange(other.sortedInternal_, WordArray{});
  next_ = std::exchange(other.next_, nullptr);
  sorted_ = other.sorted_;
}

SetRecord* SetRecord::GetSet(const char* name) {
  if (IsEmpty()) return nullptr;
  for (SetRecord* record = this; record != nullptr; record = record->next_)
    if (std::strcmp(record->name_, name) == 0) return record;
  return nullptr;
}

int SetRecord::AddSet(const char* name, int n, int* members, int sorted) {
  if (IsEmpty()) {
    Fill(name, n, members, sorted);
    return IsEmpty() ? 0 : 1;
  }
  SetRecord* last = this;
  for (SetRecord* record = this; record != nullptr; record = record->next_) {
    if (std::strcmp(record->name_, name) == 0) {
      const bool flagDiffers = record->sorted_ != sorted;
      record->AddToExisting(n, members, sorted);
      return flagDiffers ? -1 : 0;
    }
    last = record;
  }
  auto* record = new (std::nothrow) SetRecord();
  if (record == nullptr) {
    reportNoMemory(kNoMemoryForMembers, static_cast<long long>(sizeof(SetRecord)));
    return 0;
  }
  record->Fill(name, n, members, sorted);
  if (record->IsEmpty()) {
    delete record;
    return 0;
  }
  last->next_ = record;
  return 1;
}

void SetRecord::Fill(const char* name, int n, int* members, int sorted) {
  const std::size_t length = std::strlen(name);
  name_ = static_cast<char*>(std::malloc(length + 1));
  if (name_ == nullptr) {
    reportNoMemory("SYSTEM ERROR IN SetRecord::AddSet--UNABLE TO ALLOCATE MEMORY FOR SET LABEL. MEMORY NEEDED: %I BYTES",
                   static_cast<long long>(length) + 1);
    return;
  }
  std::memcpy(name_, name, length + 1);
  sorted_ = sorted;
  const int kept = n <= 0 ? 0 : (sorted == 1 ? Sort(members, n) : n);
  if (allocate(members_, kept)) {
    if (kept > 0) std::memcpy(members_.data, members, static_cast<std::size_t>(kept) * sizeof(int));
    members_.count = kept;
  }
}

// Appends to an unsorted set; merges into a sorted one (a set whose flag differed is sorted
// from now on).
void SetRecord::AddToExisting(int n, int* members, int sorted) {
  const bool wasUnsorted = sorted_ == 0;
  if (sorted_ != sorted) sorted_ = 1;
  if (n <= 0 && !wasUnsorted) return;
  const int oldCount = members_.count;
  if (sorted_ == 1 && wasUnsorted) members_.count = Sort(members_.data, oldCount);
  const int added = n <= 0 ? 0 : (sorted_ == 1 ? Sort(members, n) : n);
  if (added == 0) return;
  WordArray grown{};
  if (!allocate(grown, members_.count + added)) return;
  if (sorted_ == 1) {
    grown.count = Merge(grown.data, members_.data, members_.count, members, added);
  } else {
    std::copy(members_.data, members_.data + members_.count, grown.data);
    std::copy(members, members + added, grown.data + members_.count);
    grown.count = members_.count + added;
  }
  release(members_);
  members_ = grown;
}

bool SetRecord::DeleteSet(const char* name) {
  SetRecord* previous = nullptr;
  for (SetRecord* record = IsEmpty() ? nullptr : this; record != nullptr; previous = record, record = record->next_) {
    if (std::strcmp(record->name_, name) != 0) continue;
    record->Release();
    if (record->next_ != nullptr) {
      SetRecord* successor = record->next_;
      record->TakeFrom(*successor);
      delete successor;
    } else if (previous != nullptr) {
      previous->next_ = nullptr;
      delete record;
    }
    return true;
  }
  return false;
}

int SetRecord::FindValue(const int* values, int n, int value) {
  int low = 0;
  int high = n - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    if (values[middle] == value) return middle + 1;
    if (values[middle] < value)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return 0;
}

int SetRecord::Merge(int* out, const int* a, int na, const int* b, int nb) {
  int i = 0;
  int j = 0;
  int k = 0;
  while (i < na && j < nb) {
    if (a[i] < b[j]) {
      out[k++] = a[i++];
    } else if (b[j] < a[i]) {
      out[k++] = b[j++];
    } else {
      out[k++] = a[i++];
      ++j;
    }
  }
  while (i < na) out[k++] = a[i++];
  while (j < nb) out[k++] = b[j++];
  return k;
}

// Cocktail-shaker sort between a lower and an upper bound that close in on each other, then
// the distinct values packed to the front.
int SetRecord::Bubble(int* values, int n) {
  int lower = 0;
  int upper = n - 1;
  for (int round = 0; round < n && lower < upper; ++round) {
    int lastSwap = -1;
    for (int i = lower; i < upper; ++i) {
      if (values[i] > values[i + 1]) {
        std::swap(values[i], values[i + 1]);
        lastSwap = i;
      }
    }
    if (lastSwap < 0 || lastSwap == lower) break;
    upper = lastSwap;
    lastSwap = -1;
    for (int i = upper; i > lower; --i) {
      if (values[i - 1] > values[i]) {
        std::swap(values[i - 1], values[i]);
        lastSwap = i;
      }
    }
    if (lastSwap < 0) break;
    lower = lastSwap;
  }
  return packDistinct(values, n);
}

int SetRecord::Sort(int* values, int n) {
  if (n < kMergeSortFrom) return Bubble(values, n);
  auto* scratch = static_cast<int*>(std::malloc(static_cast<std::size_t>(n) * sizeof(int)));
  if (scratch == nullptr) return Bubble(values, n);
  const int distinct = SortWith(values, n, scratch);
  std::free(scratch);
  return distinct;
}

// Sorts both halves by the same rule and merges their distinct runs through the scratch array.
int SetRecord::SortWith(int* values, int n, int* scratch) {
  if (n < kMergeSortFrom) return Bubble(values, n);
  const int half = n / 2;
  const int first = SortWith(values, half, scratch);
  const int second = SortWith(values + half, n - half, scratch);
  const int merged = Merge(scratch, values, first, values + half, second);
  std::copy(scratch, scratch + merged, values);
  return merged;
}

// ---- Internal numbers -------------------------------------------------------------------------

// Fast path: members strictly ascending and labels ascending, so one walk over both suffices.
// Otherwise each member is looked up in the label table (a label listed twice keeps its first
// position, as a search of the label list from its start would give).
void SetRecord::ConvertWithTable(const int* labels, int n, bool sortedCopy, bool general,
                                 const zmx::LabelTable& table) {
  if (sorted_ == 1 && !general) {
    release(internal_);
    if (!allocate(internal_, members_.count)) return;
    int found = 0;
    for (int i = 0, j = 0; i < members_.count && j < n;) {
      if (members_.data[i] < labels[j]) {
        ++i;
      } else if (labels[j] < members_.data[i]) {
        ++j;
      } else {
        internal_.data[found++] = j + 1;
        ++i;
      }
    }
    internal_.count = found;
    if (sortedCopy) MakeSortedCopy();
    return;
  }
  if (n < 1) {
    release(internal_);
    if (sortedCopy) MakeSortedCopy();
    return;
  }
  ConvertFromTable(&table, n, sortedCopy);
}

void SetRecord::ConvertToInternal(const int* labels, int n, bool sortedCopy, bool general) {
  zmx::LabelTable table;
  if (sorted_ != 1 || general) fillLabelTable(table, labels, n);  // only the table path needs it
  ConvertWithTable(labels, n, sortedCopy, general, table);
}

void SetRecord::ConvertSingleSet(SetRecord* record, const zmx::LabelTable* table, int labelCount, bool sortedCopy) {
  if (record != nullptr) record->ConvertFromTable(table, labelCount, sortedCopy);
}

void SetRecord::ConvertFromTable(const zmx::LabelTable* table, int labelCount, bool sortedCopy) {
  if (table == nullptr || labelCount < 1) return;
  release(internal_);
  if (!allocate(internal_, members_.count)) return;
  int found = 0;
  for (int i = 0; i < members_.count; ++i) {
    const Int* position = table->find(members_.data[i]);
    if (position != nullptr) internal_.data[found++] = *position + 1;
  }
  internal_.count = found;
  if (sortedCopy) MakeSortedCopy();
}

void SetRecord::MakeSortedCopy() {
  release(sortedInternal_);
  if (!allocate(sortedInternal_, internal_.count)) return;
  std::copy(internal_.data, internal_.data + internal_.count, sortedInternal_.data);
  sortedInternal_.count = internal_.count;
  std::sort(sortedInternal_.data, sortedInternal_.data + sortedInternal_.count);
}

// Removes the members found in the ascending list. Each member is looked up by bisection, so
// an unsorted set keeps the order and repeats of its remaining members.
void SetRecord::Exclude(SetRecord* record, const int* list, int m) {
  if (record == nullptr) return;
  WordArray& members = record->members_;
  int kept = 0;
  for (int i = 0; i < members.count; ++i)
    if (FindValue(list, m, members.data[i]) == 0) members.data[kept++] = members.data[i];
  members.count = kept;
}

// ---- SetList ------------------------------------------------------------------------------------

SetList::SetList() {
  buckets_ = new (std::nothrow) SetRecord[kBuckets];
  if (buckets_ == nullptr)
    reportNoMemory(
        "SYSTEM ERROR IN SetList::SetList--UNABLE TO ALLOCATE MEMORY TO CONSTRUCT SetList OBJECT. MEMORY NEEDED: %I "
        "BYTES",
        static_cast<long long>(sizeof(SetRecord)) * kBuckets);
}

SetList::~SetList() { delete[] buckets_; }

// h := (256 h + b) mod 997 over the name's bytes taken as signed values. The remainder is kept
// in 0..996 also for bytes from 0x80 up, so that every name that can be added can be found.
int SetList::Hash(const char* name) {
  int h = 0;
  for (const char* c = name; *c != '\0'; ++c) {
    h = (256 * h + static_cast<signed char>(*c)) % kBuckets;
    if (h < 0) h += kBuckets;
  }
  return h;
}

int SetList::AddSet(const char* name, int n, int* members, int sorted) {
  if (buckets_ == nullptr) return 0;
  const int result = buckets_[Hash(name)].AddSet(name, n, members, sorted);
  if (result == -1) return -1;
  count_ += result;
  return 0;
}

bool SetList::DeleteSet(const char* name) {
  if (buckets_ == nullptr || !buckets_[Hash(name)].DeleteSet(name)) return false;
  --count_;
  return true;
}

SetRecord* SetList::GetSet(const char* name) {
  return buckets_ == nullptr ? nullptr : buckets_[Hash(name)].GetSet(name);
}

SetRecord* SetList::FirstSetFrom(int bucket) {
  if (buckets_ == nullptr) return nullptr;
  for (int b = bucket; b < kBuckets; ++b)
    if (!buckets_[b].IsEmpty()) return &buckets_[b];
  return nullptr;
}

SetRecord* SetList::FindNextSet(const char* name) {
  if (name == nullptr) return FirstSetFrom(0);
  const SetRecord* record = GetSet(name);
  if (record != nullptr && record->next_ != nullptr) return record->next_;
  return FirstSetFrom(Hash(name) + 1);
}

int SetList::GetNumberSets(char* firstName) {
  if (count_ >= 1 && firstName != nullptr) {
    const SetRecord* first = FirstSetFrom(0);
    if (first != nullptr) std::strcpy(firstName, first->Name());
  }
  return count_;
}

// The label table is built once for the whole list rather than once per set.
void SetList::CreateInternal(const int* labels, int n, bool sortedCopy, bool general) {
  zmx::LabelTable table;
  fillLabelTable(table, labels, n);
  for (SetRecord* record = FindNextSet(nullptr); record != nullptr; record = FindNextSet(record->name_))
    record->ConvertWithTable(labels, n, sortedCopy, general, table);
}

void SetList::RemoveFakeElement(int capacity, const char* const* names, const int* lengths, int k) {
  const auto matches = [&](const char* name) {
    for (int i = 0; i < k; ++i) {
      const auto length = static_cast<std::size_t>(std::max(lengths[i], 0));
      if (std::strlen(name) >= length && std::strncmp(name, names[i], length) == 0) return true;
    }
    return false;
  };
  std::vector<int> gathered;
  gathered.reserve(static_cast<std::size_t>(std::max(capacity, 0)));
  for (SetRecord* record = FindNextSet(nullptr); record != nullptr; record = FindNextSet(record->name_))
    if (matches(record->name_)) gathered.insert(gathered.end(), record->Members(), record->Members() + record->MemberCount());
  std::sort(gathered.begin(), gathered.end());
  gathered.erase(std::unique(gathered.begin(), gathered.end()), gathered.end());
  if (gathered.empty()) return;
  for (SetRecord* record = FindNextSet(nullptr); record != nullptr; record = FindNextSet(record->name_))
    if (!matches(record->name_)) SetRecord::Exclude(record, gathered.data(), static_cast<int>(gathered.size()));
}

// ---- The set services -------------------------------------------------------------------------

namespace {

constexpr int kName = SetRecord::kNameLength;

constinit zmx::LabelTable* gElementLabels = nullptr;
constinit zmx::LabelTable* gNodeLabels = nullptr;
constinit int gElementLabelCount = 0;
constinit int gNodeLabelCount = 0;

// Sets whose names begin with these are the internal sets of operations 11 and 13.
constexpr const char* kInternalElementSets[] = {" CCC", " ZZZ", " ZSM"};
constexpr const char* kInternalNodeSets[] = {" X"};

// What differs between the element and the node services.
struct SetKind {
  SetList** list;
  zmx::LabelTable** labels;
  int* labelCount;
  bool nodes;
  const char* missingText;
  const char* const* internalPrefixes;
  int prefixCount;
};

constexpr SetKind kElementSets{&eslist, &gElementLabels, &gElementLabelCount, false,
                               "ELEMENT SET %S HAS NOT BEEN DEFINED", kInternalElementSets, 3};
constexpr SetKind kNodeSets{&nslist, &gNodeLabels, &gNodeLabelCount, true, "NODE SET %S HAS NOT BEEN DEFINED",
                            kInternalNodeSets, 1};

// The name as the list keeps it: at most 80 characters, no trailing blanks.
std::string setName(const char* name) {
  if (name == nullptr) return {};
  return std::string(fchar::trimmed(std::string_view(name, strnlen(name, kName))));
}

void writeName(char* out, const char* name) {
  if (out != nullptr) std::strcpy(out, name);
}

void report(int level, const char* text, const std::string& name) {
  const int zeros[1] = {0};
  const double realZeros[1] = {0.0};
  KVXERR(&level, text, static_cast<Int>(std::strlen(text)), zeros, realZeros, name.data(),
         static_cast<Int>(name.size()));
}

void createList(const SetKind& kind) {
  delete *kind.list;
  delete *kind.labels;
  *kind.list = new SetList();
  *kind.labels = new zmx::LabelTable();
  *kind.labelCount = 0;
}

void destroyList(const SetKind& kind) {
  delete *kind.list;
  delete *kind.labels;
  *kind.list = nullptr;
  *kind.labels = nullptr;
  *kind.labelCount = 0;
}

void reportSortedWarning(const SetKind& kind, int result, const std::string& name) {
  if (kind.nodes && result == -1) report(-1, "UNSORTED NODE SET %S WILL BE SORTED", name);
}

int addSortedSet(const SetKind& kind, const std::string& name, int count, int* members, int& status) {
  if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])) != 0) {
    report(-2, "SET NAMES MUST BEGIN WITH A LETTER", name);
    status = 1;
    return 0;
  }
  const int result = (*kind.list)->AddSet(name.c_str(), count, members, 1);
  if (kind.nodes) status = result;
  reportSortedWarning(kind, result, name);
  SetRecord* record = (*kind.list)->GetSet(name.c_str());
  if (record != nullptr && *kind.labelCount != 0)
    SetRecord::ConvertSingleSet(record, *kind.labels, *kind.labelCount, kind.nodes);
  return 0;
}

// Operations 11 and 13: the members of the internal sets leave every other set, the label
// table is rebuilt from the label list and every set gets its internal numbers.
void numberSets(const SetKind& kind, const int* labels, int n, bool general) {
  int lengths[3] = {};
  for (int k = 0; k < kind.prefixCount; ++k) lengths[k] = static_cast<int>(std::strlen(kind.internalPrefixes[k]));
  SetList& list = **kind.list;
  list.RemoveFakeElement(n, kind.internalPrefixes, lengths, kind.prefixCount);
  fillLabelTable(**kind.labels, labels, n);
  *kind.labelCount = n;
  list.CreateInternal(labels, n, kind.nodes, general);
}

// Count and array of a set, or the missing-set answer.
int lookUp(const SetKind& kind, const std::string& name, int& count, int& status, bool loud,
           int (*answer)(const SetRecord&, int&)) {
  const SetRecord* record = (*kind.list)->GetSet(name.c_str());
  if (record == nullptr) {
    if (loud) report(-2, kind.missingText, name);
    status = 1;
    count = 0;
    return 0;
  }
  return answer(*record, count);
}

int membersOf(const SetRecord& record, int& count) {
  count = record.MemberCount();
  return record.MembersWord();
}

int internalOf(const SetRecord& record, int& count) {
  count = record.InternalCount();
  return record.InternalWord();
}

int sortedInternalOf(const SetRecord& record, int& count) {
  count = record.SortedInternal() != nullptr ? record.InternalCount() : 0;
  return record.SortedInternalWord();
}

int deleteSet(SetList& list, const std::string& name, char* nameOut, int& count) {
  const SetRecord* following = list.FindNextSet(name.c_str());
  const std::string followingName = following != nullptr ? following->Name() : "";
  list.DeleteSet(name.c_str());
  count = list.GetNumberSets(nullptr);
  if (following != nullptr) writeName(nameOut, followingName.c_str());
  return 0;
}

int serve(const SetKind& kind, int operation, char* nameArg, int& count, int* members, int& status) {
  if (operation == 0) {
    createList(kind);
    return 0;
  }
  if (operation == 1) {
    destroyList(kind);
    return 0;
  }
  if (operation < 0 || operation > 14 || (!kind.nodes && (operation == 3 || operation == 8 || operation == 12)))
    return 0;
  if (*kind.list == nullptr) {
    status = 1;
    count = 0;
    return 0;
  }
  SetList& list = **kind.list;
  const std::string name = setName(nameArg);
  // A count without an array (an absent argument) gives nothing to add or number.
  const int given = members != nullptr ? count : 0;
  switch (operation) {
    case 2:
      return addSortedSet(kind, name, given, members, status);
    case 3: {
      status = list.AddSet(name.c_str(), given, members, 0);
      reportSortedWarning(kind, status, name);
      return 0;
    }
    case 4:
    case 5:
      return lookUp(kind, name, count, status, operation == 4, membersOf);
    case 6:
    case 7:
      return lookUp(kind, name, count, status, operation == 6, internalOf);
    case 8:
      return lookUp(kind, name, count, status, false, sortedInternalOf);
    case 9: {
      char first[kName + 1] = {};
      count = list.GetNumberSets(first);
      if (count >= 1) writeName(nameArg, first);
      return 0;
    }
    case 10: {
      const SetRecord* next = list.FindNextSet(name.c_str());
      if (next != nullptr) writeName(nameArg, next->Name());
      return 0;
    }
    case 11:
    case 13:
      numberSets(kind, members, given, operation == 13);
      return 0;
    case 12: {
      const SetRecord* record = list.GetSet(name.c_str());
      count = record != nullptr ? record->SortedFlag() : 1;
      if (record == nullptr) status = 1;
      return 0;
    }
  }
  // Operation 14, the one code left after the checks above.
  return deleteSet(list, name, nameArg, count);
}

int serveGuarded(const SetKind& kind, int operation, char* name, int& count, int* members, int& status) {
  try {
    return serve(kind, operation, name, count, members, status);
  } catch (const std::bad_alloc&) {
    status = 1;
    return 0;
  }
}

// Reads the caller's field as an 80-character name, runs the service and writes a name handed
// back into the field, blank-padded to its length.
Int serveField(const SetKind& kind, const Int* operation, char* field, Int fieldLength, Int* count, Int* members,
               Int* status) {
  *status = 0;
  char name[kName + 1] = {};
  const std::string_view given = fchar::view(field, std::min<Int>(fieldLength, kName));
  std::copy(given.begin(), given.end(), name);
  const Int result = serveGuarded(kind, *operation, name, *count, members, *status);
  if (given != std::string_view(name)) fchar::assign(field, fieldLength, name);
  return result;
}

}  // namespace

int dbesetC(int operation, char* name, int& count, int* members, int& status) {
  return serveGuarded(kElementSets, operation, name, count, members, status);
}

int dbnsetC(int operation, char* name, int& count, int* members, int& status) {
  return serveGuarded(kNodeSets, operation, name, count, members, status);
}

extern "C" {

Int DBESET(const Int* operation, char* name, Int nameLength, Int* count, Int* members, Int* status) {
  return serveField(kElementSets, operation, name, nameLength, count, members, status);
}

Int DBNSET(const Int* operation, char* name, Int nameLength, Int* count, Int* members, Int* status) {
  return serveField(kNodeSets, operation, name, nameLength, count, members, status);
}

}  // extern "C"

// Named node and element sets, handle-based containers, sorted arrays, long labels and paths.
#pragma once

#include "zmx/int_table.h"
#include "zmx/types.h"

// ---- Named sets, handle-based containers, long labels and path names -----------------------

// Named node and element sets. A set list hashes set names (at most 80 characters, no trailing
// blanks) into 997 buckets; a bucket holds the head record of a chain. The member, internal-number
// and sorted internal-number arrays are address words (tag "SETA") so that upper-case callers can
// keep them in 4-byte integers.

class cow_String;

namespace zmx {
// Label -> 0-based position in the model's label list.
using LabelTable = omi_IntTable<Int>;
}  // namespace zmx

class ZMX_EXPORT SetRecord {
 public:
  static constexpr int kNameLength = 80;

  SetRecord();
  // Releases this record's name and arrays and every record chained after it.
  ~SetRecord();
  SetRecord(const SetRecord&) = delete;
  SetRecord& operator=(const SetRecord&) = delete;

  // Adds n members to the set of the name in this chain (this record is the chain's head).
  // 1: a new set; 0: an existing set; -1: an existing set whose sorted flag differed from
  // sorted (it is sorted from now on). A sorted add sorts the caller's members in place: its
  // distinct members then stand ascending at the front.
  int AddSet(const char* name, int n, int* members, int sorted);
  // True when the set was in this chain and is removed.
  bool DeleteSet(const char* name);
  SetRecord* GetSet(const char* name);

  bool IsEmpty() const { return name_ == nullptr; }
  const char* Name() const { return name_ != nullptr ? name_ : ""; }
  int MemberCount() const { return members_.count; }
  const int* Members() const { return members_.data; }
  Int MembersWord() const { return members_.word; }
  int InternalCount() const { return internal_.count; }
  const int* Internal() const { return internal_.data; }
  Int InternalWord() const { return internal_.word; }
  // The sorted copy of the internal numbers (InternalCount() of them), 0 when none was made.
  Int SortedInternalWord() const { return sortedInternal_.word; }
  const int* SortedInternal() const { return sortedInternal_.data; }
  int SortedFlag() const { return sorted_; }
  SetRecord* Next() const { return next_; }

  // Internal numbers of the record from the label table: each member found gives its position
  // + 1, absent members are skipped; nothing happens without a table or labels. With sortedCopy
  // the internal numbers are also kept sorted.
  static void ConvertSingleSet(SetRecord* record, const zmx::LabelTable* table, int labelCount, bool sortedCopy);

 private:
  friend class SetList;

  // An owned int array laid into the address space.
  struct WordArray {
    int* data = nullptr;
    Int word = 0;
    int count = 0;
  };

  static int FindValue(const int* values, int n, int value);
  static int Sort(int* values, int n);
  static int SortWith(int* values, int n, int* scratch);
  static int Bubble(int* values, int n);
  static int Merge(int* out, const int* a, int na, const int* b, int nb);

  void Fill(const char* name, int n, int* members, int sorted);
  void AddToExisting(int n, int* members, int sorted);
  void Release();
  void TakeFrom(SetRecord& other);
  // Internal numbers from the label list (ascending unless general): the 1-based position of
  // each member found in it.
  void ConvertToInternal(const int* labels, int n, bool sortedCopy, bool general);
  // The same with the table already built from that label list.
  void ConvertWithTable(const int* labels, int n, bool sortedCopy, bool general, const zmx::LabelTable& table);
  // Removes from the record's members those found in the ascending list of m labels.
  static void Exclude(SetRecord* record, const int* list, int m);
  void ConvertFromTable(const zmx::LabelTable* table, int labelCount, bool sortedCopy);
  void MakeSortedCopy();

  char* name_ = nullptr;
  WordArray members_;
  WordArray internal_;
  WordArray sortedInternal_;
  SetRecord* next_ = nullptr;
  int sorted_ = 1;
};

class ZMX_EXPORT SetList {
 public:
  static constexpr int kBuckets = 997;

  SetList();
  ~SetList();
  SetList(const SetList&) = delete;
  SetList& operator=(const SetList&) = delete;

  // 0, or -1 when an existing set's sorted flag differed (see SetRecord::AddSet).
  int AddSet(const char* name, int n, int* members, int sorted);
  // True when a set of the name was removed.
  bool DeleteSet(const char* name);
  SetRecord* GetSet(const char* name);
  // Internal numbers of every set from the label list (labels ascending unless general).
  void CreateInternal(const int* labels, int n, bool sortedCopy, bool general);
  // Removes the members of the sets whose names begin with one of the k names from every
  // other set.
  void RemoveFakeElement(int capacity, const char* const* names, const int* lengths, int k);
  // The first set for null, else the set after the named one; null at the end.
  SetRecord* FindNextSet(const char* name);
  // The number of sets; when there is one, its first name goes into firstName (81 bytes).
  int GetNumberSets(char* firstName);

 private:
  static int Hash(const char* name);
  SetRecord* FirstSetFrom(int bucket);

  SetRecord* buckets_ = nullptr;
  int count_ = 0;
};

// The element and node set lists; null until operation 0 of dbesetC / dbnsetC.
ZMX_EXPORT extern SetList* eslist;
ZMX_EXPORT extern SetList* nslist;

// The set services by operation code. name: a terminated name (trailing blanks and anything
// past 80 characters are not part of it); operations 9, 10 and 14 write a name back, so the
// buffer must hold 81 bytes. The result is an address word of an int array, or 0.
ZMX_EXPORT int dbesetC(int operation, char* name, int& count, int* members, int& status);
ZMX_EXPORT int dbnsetC(int operation, char* name, int& count, int* members, int& status);

extern "C" {
// The same for upper-case callers: the name is a blank-padded field of the caller's length
// (read as 80 characters), names handed back are written blank-padded to that length.
ZMX_EXPORT Int DBESET(const Int* operation, char* name, Int nameLength, Int* count, Int* members, Int* status);
ZMX_EXPORT Int DBNSET(const Int* operation, char* name, Int nameLength, Int* count, Int* members, Int* status);
}

// Handle-based containers. CREATE gives a handle (an address word tagged by family; 0 when no
// memory); every other routine takes the handle itself, by value, first. A handle of another
// family or of a deleted container is reported and nothing is done. INSERT of a present key keeps
// its value in the integer-to-integer map and replaces it in the other maps. GETMAP and the pair-set GET write as many entries as the container holds:
// callers size the arrays (SIZE for the maps, their own pair count for the pair set).
extern "C" {
ZMX_EXPORT Int SHR_MAPINT2INTCREATE();
ZMX_EXPORT Int SHR_MAPINT2INTCREATECOPY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTINSERT(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_MAPINT2INTINSERTLIST(Int handle, const Int* keys, const Int* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2INTISMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2INTISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTSIZE(Int handle);
// The key must be present (test with ISMEMBER); an absent key gives 0.
ZMX_EXPORT Int SHR_MAPINT2INTGET(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2INTGETLIST(Int handle, const Int* keys, Int* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2INTGETMAP(Int handle, Int* keys, Int* values);

// String keys are compared without their trailing blanks. GET of an absent key gives 0.
ZMX_EXPORT Int SHR_MAPSTRING2INTCREATE();
ZMX_EXPORT Int SHR_MAPSTRING2INTCREATECOPY(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTINSERT(Int handle, const char* key, Int keyLength, const Int* value);
ZMX_EXPORT Int SHR_MAPSTRING2INTISMEMBER(Int handle, const char* key, Int keyLength);
ZMX_EXPORT Int SHR_MAPSTRING2INTISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTGET(Int handle, const char* key, Int keyLength);

// Array-valued maps: GET gives -1 for an absent key, -2 when the stored length exceeds the
// capacity, else the length. GETITER gives an iterator over a copy of the keys (0 for an empty
// map); GETNEXT takes the map's handle and the iterator and gives 1 for a 0 or spent iterator,
// else the next key and 0. The iterator walks its own copy of the keys, so it goes on after the
// map has changed or been deleted and the map's handle is not read. The iterator releases itself
// after its last key.
ZMX_EXPORT Int SHR_MAPINT2FINTCREATE();
ZMX_EXPORT Int SHR_MAPINT2FINTCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTINSERT(Int handle, const Int* key, const Int* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2FINTISMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2FINTISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTGET(Int handle, const Int* key, Int* values, const Int* capacity);
ZMX_EXPORT Int SHR_MAPINT2FINTGETITER(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTGETNEXT(Int handle, Int iterator, Int* key);

ZMX_EXPORT Int SHR_MAPINT2FDBLCREATE();
ZMX_EXPORT Int SHR_MAPINT2FDBLCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLINSERT(Int handle, const Int* key, const Real* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2FDBLISMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2FDBLISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLGET(Int handle, const Int* key, Real* values, const Int* capacity);
ZMX_EXPORT Int SHR_MAPINT2FDBLGETITER(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLGETNEXT(Int handle, Int iterator, Int* key);

// GETNEXT writes the key blank-padded; a key longer than the field gives 1 and the iterator
// stays where it is.
ZMX_EXPORT Int SHR_MAPSTR2FDBLCREATE();
ZMX_EXPORT Int SHR_MAPSTR2FDBLCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLINSERT(Int handle, const char* key, Int keyLength, const Real* values, const Int* n);
ZMX_EXPORT Int SHR_MAPSTR2FDBLISMEMBER(Int handle, const char* key, Int keyLength);
ZMX_EXPORT Int SHR_MAPSTR2FDBLISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLGET(Int handle, const char* key, Int keyLength, Real* values, const Int* capacity);
ZMX_EXPORT Int SHR_MAPSTR2FDBLGETITER(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLGETNEXT(Int handle, Int iterator, char* key, Int keyLength);

// A set of (key, value) pairs; INSERT adds the pair even when it is present already.
ZMX_EXPORT Int SHR_INTEGERPAIRSETCREATE();
ZMX_EXPORT Int SHR_INTEGERPAIRSETCLEAR(Int handle);
ZMX_EXPORT Int SHR_INTEGERPAIRSETDELETE(Int handle);
ZMX_EXPORT Int SHR_INTEGERPAIRSETINSERT(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_INTEGERPAIRSETINSERTUNIQUE(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_INTEGERPAIRSETISMEMBER(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_INTEGERPAIRSETISKEYMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_INTEGERPAIRSETISEMPTY(Int handle);
ZMX_EXPORT Int SHR_INTEGERPAIRSETGET(Int handle, const Int* key, Int* values);
ZMX_EXPORT Int SHR_INTEGERPAIRSETGETMAP(Int handle, Int* keys, Int* values);

// Red-black trees in parallel 1-based arrays (keys, left, right, colour: 1 red, 0 black; node
// 0 is none). NTRROT rotates on the search path of key below y and returns the lifted node;
// NTRSPL splits node on the way down an insertion, updating parent and node.
ZMX_EXPORT Int NTRROT(const Int* key, const Int* y, const Int* keys, Int* left, Int* right, Int* colour);
ZMX_EXPORT Int NTRSPL(const Int* key, const Int* greatGrandparent, const Int* grandparent, Int* parent, Int* node,
                      const Int* keys, Int* left, Int* right, Int* colour, const Int* head);
// Drops pairs equal to their predecessor in both arrays, packing the rest forward; count
// receives the number dropped.
ZMX_EXPORT void REMOVEDUPLICATEINT2(Int* a, Int* b, const Int* n, Int* count);

// Long labels: hands the operation and the 80-character label to the label store.
ZMX_EXPORT Int DBLABEL(const Int* operation, char* label, Int labelLength);
// The directory part of a file name, its full length and whether it is absolute (a leading
// "/" on this platform).
ZMX_EXPORT void SHR_GETPATH(const char* file, Int fileLength, char* directory, Int directoryLength,
                            Int* directoryLengthOut, Int* absolute);
// Rewrites the path in place in native form: trimmed, "\" turned into "/", left-aligned.
ZMX_EXPORT void SHR_CONVERTTONATIVE(char* path, Int pathLength);
}

// Replaces the first character of every occurrence of pattern in text by the first character
// of replacement, resuming one position after each hit.
ZMX_EXPORT void substitute(cow_String& text, const char* pattern, const char* replacement);

// Checked views of the blocks the import readers read and make.
//
// Every reader works inside one Request: the first position, count or number found out of range
// of its block is reported at level -3 (a failed block access has been reported by the store
// already), and from then on the request answers "not available". Blocks are held by Block
// views that give them back when they end, so every path releases what it read.
#pragma once

#include <initializer_list>
#include <string>

#include "runtime/fortran_types.h"
#include "siblings/glo/database_layout.h"

namespace zmx::imp {

namespace L = edi_layout;

// The index that stands for "no block".
inline constexpr Int kNoBlock = 134217729;

// Words of RHO_MAN_COMMONI.
namespace rw {
inline constexpr int kBase = 1;
inline constexpr int kPackage = 2;
inline constexpr int kPackageFill = 3;
inline constexpr int kScratch = 6;
inline constexpr int kModel = 9;           // 201
inline constexpr int kStep = 10;           // 203
inline constexpr int kDomainData = 11;     // 202
inline constexpr int kRestart = 12;        // 301
inline constexpr int kState = 13;          // 501
inline constexpr int kSharedState = 14;    // 502
inline constexpr int kIncrementKey = 15;
inline constexpr int kStepKey = 16;
inline constexpr int kStateInstance = 17;  // 0: no state open
inline constexpr int kFound = 18;
inline constexpr int kPackageWords = 20;
}  // namespace rw

Int& rho(int word);

// The index offset kept by the global store.
Int indexOffset();

class Request {
 public:
  explicit Request(const char* routine) : routine_(routine) {}
  bool ok() const { return ok_; }
  // A failure the store has reported already.
  void lost() { ok_ = false; }
  // A position, count or number out of range: reported once.
  void damaged(const std::string& what);

 private:
  const char* routine_;
  bool ok_ = true;
};

// Checked 1-based reading of an array of words.
class Words {
 public:
  Words() = default;
  Words(Request& request, const Int* words, Int length) : request_(&request), words_(words), length_(length) {}
  Int length() const { return length_; }
  bool has(long long k) const { return words_ != nullptr && k >= 1 && k <= length_; }
  Int i(long long k) const;
  float r(long long k) const;
  Request& request() const { return *request_; }
  const Int* data() const { return words_; }

 private:
  Request* request_ = nullptr;
  const Int* words_ = nullptr;
  Int length_ = 0;
};

// Checked 1-based writing into a result array of words.
class Target {
 public:
  Target() = default;
  Target(Request& request, Int* words, Int length) : request_(&request), words_(words), length_(length) {}
  Int length() const { return length_; }
  bool bound() const { return words_ != nullptr; }
  bool setI(long long k, Int value);
  bool setR(long long k, float value);

 private:
  Request* request_ = nullptr;
  Int* words_ = nullptr;
  Int length_ = 0;
};

// A block of the base array held by one request: read from a partition or made as scratch.
class Block {
 public:
  explicit Block(Request& request) : request_(&request) {}
  Block& operator=(Block&&) = delete;
  Block(const Block&) = delete;
  ~Block() { release(); }

  // Stored block number of the partition on the handle (kind 17 or 18), length words long.
  bool read(Int handle, Int number, Int length, bool real);
  // A zero-filled scratch block of the scratch partition.
  bool make(Int length, bool real);
  void release();
  // Gives the block to the caller: its index without the offset; the view lets it go.
  Int keep();
  // Takes charge of a block made elsewhere (index without the offset), to release it on failure.
  void adopt(Int index, Int kind);
  Request& request() const { return *request_; }

  bool valid() const { return index_ != 0; }
  Int index() const { return index_; }
  Int length() const { return length_; }
  const Int* data() const { return data_; }
  Words words() const { return Words(*request_, data_, data_ != nullptr ? length_ : 0); }
  Int i(long long k) const { return words().i(k); }
  float r(long long k) const { return words().r(k); }
  Target target() const { return Target(*request_, data_, data_ != nullptr ? length_ : 0); }

 private:
  Request* request_;
  Int index_ = 0;
  Int length_ = 0;
  Int kind_ = 0;
  Int* data_ = nullptr;
};

// A table the caller passes without its length. Inside the mapped base array it reaches to the
// end of that array, so no read leaves mapped memory; a table of the caller's own memory is
// taken to hold the known words, those the routine reads at fixed positions.
Words callerWords(Request& request, const Int* words, Int known);

// A word count that must fit a block: reported when negative or too large.
bool blockLength(Request& request, long long length);

// Words of a block the caller holds, by its index without the offset; null (damaged) when the
// index does not name length words of the base array.
Int* baseWords(Request& request, Int index, Int length);

// The model table (and real table) of partition 201.
struct Model {
  explicit Model(Request& request) : table(request), reals(request) {}
  Block table;
  Block reals;
};
bool readModel(Request& request, Model& model, bool withReals);

// Target over a block the caller holds (index without the offset).
Target targetAt(Request& request, Int index, long long length);

// True when partition 203 of the step in RHO_MAN_COMMONI word 16 exists, so that the step
// handle is bound.
bool stepDataOpen();

// Word 11 of the third block of the open partition 203 (values per node of the third node
// group), 0 when no step data is open.
Int stepNodeValueCount(Request& request);

// Opens both state partitions (501, 502) of domain d at the increment key, unless they hold that
// pair already; the pair is kept in RHO_MAN_COMMONI words 15 and 17.
void openStatePair(Int key, Int d);

// Binds the domain-data handle to domain d's partition 202.
void openDomainData(Int d);

// Block number and length of slot of a node group of domain d (group offset word and slots per
// domain from the layout).
struct Slot {
  Int number = 0;
  Int length = 0;
};
Slot groupSlot(const Words& table, int offsetWord, int slots, Int d, int slot);

// Word number of word of domain d's 65-word row at the head of the model table.
inline long long tableRow(Int d, int word) { return static_cast<long long>(L::kRowWords) * (d - 1) + word; }

// Number of domains, checked against the rows the table holds (0, reported, when damaged).
Int domainCount(const Words& table);

// Adds the index offset to every index that goes out (kNoBlock stays).
void handOut(std::initializer_list<Int*> indexes);

// The offset an index gets when it goes out; kNoBlock stays.
inline Int outward(Int index, Int offset) { return index == kNoBlock ? kNoBlock : index + offset; }

}  // namespace zmx::imp

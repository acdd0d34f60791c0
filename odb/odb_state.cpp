// Output-database state helpers: the first word of each output-variable descriptor of CDWSP, and
// the default nodal output key of the run kept in CODB.
#include <algorithm>
#include <array>

#include "odb/writer_tables.h"
#include "runtime/counts.h"
#include "runtime/fortran_chars.h"
#include "zmx/model/outputs.h"
#include "zmx/odb/state.h"
#include "zmx/storage/results.h"

namespace {

// CDWSP
constexpr int kDescriptorCount = 1;
constexpr int kFirstWords = 41;    // word 41 + i: first word of descriptor i
constexpr int kWordCounts = 201;   // word 201 + i: words of descriptor i
constexpr int kWordsAllocated = 243;
constexpr int kMostDescriptors = 40;
// CODB
constexpr int kDefaultKey = 6;
constexpr int kDefaultLabel = 8;  // words 8 to 27
constexpr int kLabelLength = 80;

constexpr std::array<Int, 13> kNodalDefaults = {101, 102, 103, 113, 114, 115, 123, 124, 127, 128, 131, 132, 237};

// True when the key may become the run's default: it is on the list and no smaller key was kept.
bool takesDefault(Int key) {
  if (std::find(kNodalDefaults.begin(), kNodalDefaults.end(), key) == kNodalDefaults.end()) return false;
  const Int kept = rec::i(CODB, kDefaultKey);
  return kept == 0 || key < kept;
}

}  // namespace

extern "C" {

void ODBDYN(const Int* operation) {
  Int& n = rec::i(CDWSP, kDescriptorCount);
  if (*operation == 0) {
    if (n > 0) n = 0;
    return;
  }
  if (*operation != 1 || n <= 0) return;
  const Int count = std::min<Int>(n, kMostDescriptors);
  if (n > kMostDescriptors) zmx::odb::report(-3, "SYSTEM ERROR IN ODBDYN. %I DESCRIPTORS GIVEN", n);
  long long total = 0;
  for (Int i = 1; i <= count; ++i) total += rec::i(CDWSP, kWordCounts + i);
  if (total > rec::i(CDWSP, kWordsAllocated))
    zmx::odb::report(-3, "SYSTEM ERROR IN ODBDYN. %I WORDS REQUESTED.  %I WORDS ALLOCATED", zmx::counts::capped(total),
                     rec::i(CDWSP, kWordsAllocated));
  // The first words run on in 64 bits; one that leaves the range of a word is not laid out.
  long long first = 1;
  for (Int i = 1; i <= count; ++i) {
    if (first == zmx::counts::capped(first)) rec::i(CDWSP, kFirstWords + i) = static_cast<Int>(first);
    first += rec::i(CDWSP, kWordCounts + i);
  }
}

void SHR_NDDEFV(const Int* key, const char* label, Int labelLength) {
  if (!takesDefault(*key)) return;
  rec::i(CODB, kDefaultKey) = *key;
  rec::setChars(CODB, 4LL * (kDefaultLabel - 1) + 1, kLabelLength, fchar::field(label, labelLength));
}

void SHR_NDDEFVDDB(const Int* key, const Int* /*unused*/) {
  if (takesDefault(*key)) rec::i(CODB, kDefaultKey) = *key;
}

}  // extern "C"

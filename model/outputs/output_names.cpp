// Output-variable names and keys: the element, nodal and modal vocabularies turned from keys to
// names and from names to keys for one kind of output request, the load-type names, the
// substitution of obsolete element requests and the default element output key of CODB.

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/counts.h"
#include "model/support/model_report.h"
#include "model/outputs/vocabulary.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "zmx/model/outputs.h"
#include "zmx/storage/results.h"

namespace {

namespace voc = zmx::vocabulary;
using zmx::model::report;
using zmx::model::reportNames;

constexpr int kN = voc::kNameLength;
constexpr std::string_view kNotAvailable = "OUTPUT REQUEST %S IS NOT AVAILABLE FOR THIS OPTION";
constexpr std::string_view kUnidentified = "UNIDENTIFIED OUTPUT REQUEST %S";

// ---- the key tables that change at run time ------------------------------------------------

struct MutableTables {
  Int table25A[voc::kElementRows];
  Int table25B[voc::kElementRows];
  Int table36[voc::kElementRows];
  bool ready;
};

constinit MutableTables gTables{};

MutableTables& tables() {
  if (!gTables.ready) {
    std::copy_n(voc::kElementTable25AInitial, voc::kElementRows, gTables.table25A);
    std::copy_n(voc::kElementTable25BInitial, voc::kElementRows, gTables.table25B);
    std::copy_n(voc::kElementTable36Initial, voc::kElementRows, gTables.table36);
    gTables.ready = true;
  }
  return gTables;
}

void setRow(Int* table, int row, Int key) { table[row - 1] = key; }

// ---- names ----------------------------------------------------------------------------------

// Name of 8 characters: the caller's element cut or blank-padded to 8.
std::string name8(const char* names, Int length, Int index) {
  std::string name(kN, ' ');
  if (names == nullptr || length <= 0) return name;
  const char* element = names + static_cast<std::ptrdiff_t>(index) * length;
  for (int k = 0; k < kN && k < length; ++k) name[static_cast<std::size_t>(k)] = element[k];
  return name;
}

void storeName(char* names, Int length, Int index, std::string_view name) {
  if (names == nullptr || length <= 0) return;
  fchar::assign(names + static_cast<std::ptrdiff_t>(index) * length, length, name);
}

std::string_view tableName(const char* names, Int length, Int row) {
  return {names + static_cast<std::ptrdiff_t>(row - 1) * length, static_cast<std::size_t>(length)};
}

bool programQuiet() {
  const Int kind = rec::i(CPROG, eqc_records::kProgramKind);
  return kind == 2 || kind == 3;
}

// Load-type name at position p (1-based), or an empty view outside the list.
std::string_view loadTypeName(Int key) {
  const zmx::counts::Wide p = zmx::counts::Wide{key} - 3010;
  if (p < 1 || p > voc::kLoadTypes) return {};
  return fchar::trimmed(tableName(voc::kLoadTypeNames, kN, static_cast<Int>(p)));
}

// The eight element variables stored under an internal name and their plain names.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kInternalNames{{
    {"XPEEQXXX", "PEEQ"},
    {"XPEMAGXX", "PEMAG"},
    {"XPRESSXX", "PRESS"},
    {"XMISESXX", "MISES"},
    {"XCEEQXXX", "CEEQ"},
    {"XCESWXXX", "CESW"},
    {"XCEMAGXX", "CEMAG"},
    {"XVEEQXXX", "VEEQ"},
}};

// ---- request-kind selections ----------------------------------------------------------------

struct Selection {
  const Int* table = nullptr;  // null: nothing is done
  Int kind = 0;
  const Int* stems = nullptr;
  Int numbered = 0;
};

// Element stems: FV SDV HFL L MFL UVARM FLVEL MFR SSPEEQ SSSPRD SSTORQ SSFORC.
constexpr Int kStemsNone[voc::kElementStems] = {};
constexpr Int kStems21[voc::kElementStems] = {1, 1, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0};
constexpr Int kStems15[voc::kElementStems] = {1, 1, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr Int kStems29[voc::kElementStems] = {1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr Int kStems35[voc::kElementStems] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr Int kStems231[voc::kElementStems] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
// Nodal stems: NT RFLE CFL RFL NNC.
constexpr Int kNodalStemsAll[voc::kNodalStems] = {1, 1, 1, 1, 1};
constexpr Int kNodalStemsNtRfl[voc::kNodalStems] = {1, 0, 0, 1, 0};
constexpr Int kModalStemsAll[voc::kModalStems] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
constexpr Int kModalStemsNone[voc::kModalStems] = {};

Selection elementSelection(Int kind, Int flag) {
  MutableTables& t = tables();
  if (kind == 21 || (kind == 203 && flag == 0) || kind == 40 || kind == 43)
    return {voc::kElementTable21, kind, kStems21, 1};
  if (kind == 25 && flag == 1) {
    for (int row : {313, 314, 486, 487, 488, 489, 584}) setRow(t.table25B, row, 0);
    return {t.table25B, 25, kStemsNone, 0};
  }
  if (kind == 25) {
    setRow(t.table25A, 584, 0);
    return {t.table25A, 25, kStemsNone, 0};
  }
  if (kind == 202 && flag == 0) {
    setRow(t.table25A, 584, 98);
    return {t.table25A, 25, kStemsNone, 0};
  }
  if (kind == 202) {
    setRow(t.table25B, 144, 9);
    setRow(t.table25B, 313, 78);
    setRow(t.table25B, 314, 78001);
    setRow(t.table25B, 486, 111);
    setRow(t.table25B, 487, 111001);
    setRow(t.table25B, 488, 111002);
    setRow(t.table25B, 489, 111003);
    setRow(t.table25B, 584, 98);
    return {t.table25B, 25, kStemsNone, 0};
  }
  if (kind == 231 && flag != 0) return {voc::kElementTable231, 25, kStems231, 1};
  if (kind == 15) return {voc::kElementTable15, 15, kStems15, 1};
  if (kind == 29) return {voc::kElementTable29, 29, kStems29, 1};
  if (kind == 35 || (kind == 203 && flag == 1)) return {voc::kElementTable35, 35, kStems35, 1};
  if (kind == 36 || kind == 207) {
    if (flag == 0) {
      setRow(t.table36, 159, 20019);
      setRow(t.table36, 170, 20021);
      setRow(t.table36, 160, 0);
    }
    return {t.table36, kind, kStemsNone, 0};
  }
  if (kind == 50036 || kind == 50207) return {voc::kElementTable50036, kind == 50036 ? 36 : 207, kStemsNone, 0};
  if (kind == 37) return {voc::kElementTable37, 37, kStemsNone, 0};
  return {};
}

Selection nodalSelection(Int kind, Int flag) {
  if (kind == 121 || kind == 124 || kind == 230 || (kind == 205 && flag == 0))
    return {voc::kNodalTable121, 121, kNodalStemsAll, 1};
  if (kind == 125 || kind == 129 || kind == 204 || kind == 229 || kind == 234)
    return {flag == 1 ? voc::kNodalTable125B : voc::kNodalTable125A, (kind == 129 || kind == 229) ? 129 : 125,
            kNodalStemsNtRfl, 0};
  if (kind == 135 || kind == 201 || (kind == 235 && flag == 1)) return {voc::kNodalTable135, 135, kNodalStemsNtRfl, 0};
  if (kind == 205 && flag == 1) return {voc::kNodalTable135, 135, kNodalStemsNtRfl, 1};
  return {};
}

Selection modalSelection(Int kind) {
  if (kind == 122) return {voc::kModalTable122, kind, kModalStemsAll, 1};
  if (kind == 126) return {voc::kModalTable126, kind, kModalStemsNone, 0};
  if (kind == 15) return {voc::kModalTable15, kind, kModalStemsAll, 1};
  return {};
}

struct Vocabulary {
  const char* names;
  const Int* defaultKeys;
  Int rows;
  const char* stemNames;
  const Int* stemLengths;
  const Int* stemBases;
  Int stems;
};

constexpr Vocabulary kElement{voc::kElementNames,      voc::kElementDefaultKeys, voc::kElementRows,
                              voc::kElementStemNames,  voc::kElementStemLengths, voc::kElementStemBases,
                              voc::kElementStems};
constexpr Vocabulary kNodal{voc::kNodalNames,     voc::kNodalDefaultKeys, voc::kNodalRows,   voc::kNodalStemNames,
                            voc::kNodalStemLengths, voc::kNodalStemBases,   voc::kNodalStems};
constexpr Vocabulary kModal{voc::kModalNames,     voc::kModalDefaultKeys, voc::kModalRows,   voc::kModalStemNames,
                            voc::kModalStemLengths, voc::kModalStemBases,   voc::kModalStems};

void keysToNames(const Vocabulary& v, const Int* keys, char* names, Int length, const Int* n) {
  ENMID1(keys, names, length, n, v.names, kN, v.defaultKeys, v.stemNames, kN, v.stemLengths, v.stemBases, &v.stems,
         &v.rows);
}

void namesToKeys(const Vocabulary& v, const Selection& s, Int* keys, const char* names, Int length, const Int* n,
                 Int* ok) {
  ENMID2(keys, names, length, n, &s.kind, v.names, kN, s.table, v.stemNames, kN, v.stemLengths, v.stemBases, &v.stems,
         s.stems, &v.rows, &s.numbered, ok);
}

// ---- default element output key ----------------------------------------------------------------

constexpr int kDefaultElementKeyWord = 7;
constexpr int kDefaultElementLabelFirst = 4 * (28 - 1) + 1;  // words 28 to 47
constexpr int kLabelLength = 80;
constexpr std::array<Int, 14> kDefaultKeyPriority = {11, 21, 13, 29, 14, 19, 22, 23, 24, 25, 88, 27, 28, 2};

int priority(Int key) {
  const auto* at = std::find(kDefaultKeyPriority.begin(), kDefaultKeyPriority.end(), key);
  return at == kDefaultKeyPriority.end() ? 0 : static_cast<int>(at - kDefaultKeyPriority.begin()) + 1;
}

bool replacesDefault(Int key) {
  const Int current = rec::i(CODB, kDefaultElementKeyWord);
  if (current == 0) return true;
  const int p = priority(key);
  const int p0 = priority(current);
  return p != 0 && (p0 == 0 || p < p0);
}

// ---- names to keys, one name ---------------------------------------------------------------------

struct NameRequest {
  Int kind;
  const char* tableNames;
  Int tableLength;
  const Int* tableKeys;
  Int rows;
  const char* stemNames;
  Int stemLength;
  const Int* stemLengths;
  const Int* stemBases;
  Int stems;
  const Int* available;
  Int numbered;
};

enum class Next { Name, EndCall };

void reportDg(const NameRequest& q, Int key, const std::string& name) {
  const bool dg = ((q.kind == 21 || q.kind == 25) && key == 30) || (q.kind == 21 && key >= 30001 && key <= 30009);
  if (dg)
    reportNames(zmx::model::kWarning,
           "OUTPUT REQUEST %S IS ONLY AVAILABLE FOR *HYPERELASTIC/FOAM AND *USER MATERIAL.", name.data(), kN);
}

void unidentified(const NameRequest& q, const std::string& name, std::string_view lastStem, Int* ok) {
  *ok = 0;
  const bool quietKind = q.kind == 9 || q.kind == 29 || q.kind == 15 || q.kind == 2;
  if (rec::i(CPROG, eqc_records::kProgramKind) == 2 || quietKind) return;
  if (fchar::trimmed(lastStem) == "SDV")
    reportNames(zmx::model::kError, "ANY SDVs BEYOND THE FIRST 999 CAN NOT BE OUTPUT. %S CANNOT BE IDENTIFIED.",
           name.data(), kN);
  else
    reportNames(zmx::model::kError, kUnidentified, name.data(), kN);
}

Next oneNameToKey(const NameRequest& q, const std::string& name, Int* key, Int* ok) {
  for (Int row = 1; row <= q.rows; ++row) {
    if (!fchar::equal(tableName(q.tableNames, q.tableLength, row), name)) continue;
    *key = q.tableKeys[row - 1];
    if (*key == 0) {
      if (!programQuiet()) reportNames(zmx::model::kError, kNotAvailable, name.data(), kN);
      *ok = 0;
    }
    reportDg(q, *key, name);
    return Next::Name;
  }
  std::string_view lastStem;
  for (Int k = 1; k <= q.stems; ++k) {
    const Int length = q.stemLengths[k - 1];
    const std::string_view stem = fchar::trimmed(tableName(q.stemNames, q.stemLength, k));
    lastStem = stem;
    if (length < 1 || length > kN || std::string_view(name).substr(0, static_cast<std::size_t>(length)) != stem)
      continue;
    if (q.available[k - 1] == 0) {
      if (!programQuiet()) reportNames(zmx::model::kError, kNotAvailable, name.data(), kN);
      *ok = 0;
      return Next::EndCall;
    }
    if (name[0] == 'L' && stem == "L") {
      char field[kN];
      std::memcpy(field, name.data(), kN);
      const Int mode = 1;
      Int loadOk = 1;
      ENMLD(field, kN, key, &mode, &loadOk);
      if (loadOk == 0) *ok = 0;
      return Next::Name;
    }
    const std::string_view rest = std::string_view(name).substr(static_cast<std::size_t>(length));
    const std::size_t blank = rest.find(' ');
    const std::string_view suffix = rest.substr(0, blank);
    const bool digits = !suffix.empty() && suffix.size() <= 3 && blank != std::string_view::npos &&
                        suffix.find_first_not_of("0123456789") == std::string_view::npos;
    if (!digits) {
      unidentified(q, name, stem, ok);
      return Next::Name;
    }
    if (q.numbered == 0) {
      reportNames(zmx::model::kError, kNotAvailable, name.data(), kN);
      *ok = 0;
      return Next::Name;
    }
    const Int number = std::stoi(std::string(suffix));
    if (number <= 10 && (name.rfind("NT", 0) == 0 || name.rfind("NNC", 0) == 0)) {
      *ok = 0;
      if (!(q.kind == 9 || q.kind == 29 || q.kind == 15 || programQuiet()))
        reportNames(zmx::model::kError, kUnidentified, name.data(), kN);
      return Next::Name;
    }
    *key = zmx::counts::capped(zmx::counts::Wide{q.stemBases[k - 1]} + number);
    return Next::Name;
  }
  unidentified(q, name, lastStem, ok);
  return Next::Name;
}

// ---- keys to names, one key ----------------------------------------------------------------------

std::string numberedName(Int key, const char* stemNames, Int stemLength, const Int* stemBases, Int stems) {
  const Int q = key / 1000;
  Int r = key - 1000 * q;
  if (key == 6000) report(zmx::model::kSystemError, "OUTPUT OF MORE THAN 999 SDVs IS NOTALLOWED.");
  for (Int k = 1; k <= stems; ++k) {
    if (stemBases[k - 1] / 1000 != q) continue;
    if (q == 3) {
      const std::string_view load = loadTypeName(key);
      if (load.empty()) break;
      return std::string(load);
    }
    if (r > 1 && (q == 28 || q == 39 || q == 97)) --r;
    std::string name(fchar::trimmed(tableName(stemNames, stemLength, k)));
    name += std::to_string(r);
    if (name.size() > static_cast<std::size_t>(kN) || r < 0) break;
    return name;
  }
  report(zmx::model::kSystemError, "SYSTEM ERROR IN ENMID1");
  return {};
}

}  // namespace

extern "C" {

void ENMID1(const Int* keys, char* names, Int namesLength, const Int* n, const char* tableNames, Int tableLength,
            const Int* tableKeys, const char* stemNames, Int stemNameLength, const Int* stemLengths,
            const Int* stemBases, const Int* stems, const Int* rows) {
  (void)stemLengths;
  for (Int i = 0; i < *n; ++i) {
    const Int key = keys[i];
    const Int* end = tableKeys + *rows;
    const Int* found = std::find(tableKeys, end, key);
    if (found != end) {
      storeName(names, namesLength, i, tableName(tableNames, tableLength, static_cast<Int>(found - tableKeys) + 1));
      continue;
    }
    storeName(names, namesLength, i, "");
    storeName(names, namesLength, i, numberedName(key, stemNames, stemNameLength, stemBases, *stems));
  }
}

void ENMID2(Int* keys, const char* names, Int namesLength, const Int* n, const Int* kind, const char* tableNames,
            Int tableLength, const Int* tableKeys, const char* stemNames, Int stemNameLength, const Int* stemLengths,
            const Int* stemBases, const Int* stems, const Int* available, const Int* rows, const Int* numbered,
            Int* ok) {
  *ok = 1;
  const NameRequest q{*kind,     tableNames, tableLength, tableKeys, *rows,     stemNames,
                      stemNameLength, stemLengths, stemBases, *stems, available, *numbered};
  for (Int i = 0; i < *n; ++i)
    if (oneNameToKey(q, name8(names, namesLength, i), &keys[i], ok) == Next::EndCall) return;
}

void ENMLD(char* name, Int nameLength, Int* key, const Int* mode, Int* ok) {
  *ok = 1;
  if (*mode != 1) {
    const std::string_view load = loadTypeName(*key);
    if (load.empty()) *ok = 0;
    fchar::assign(name, std::min<Int>(nameLength, kN), load);
    return;
  }
  const std::string whole = name8(name, nameLength, 0);
  const std::string_view wanted = std::string_view(whole).substr(1);
  for (Int p = 1; p <= voc::kLoadTypes; ++p) {
    if (fchar::equal(tableName(voc::kLoadTypeNames, kN, p), wanted)) {
      *key = 3010 + p;
      return;
    }
  }
  *ok = 0;
  if (!programQuiet()) reportNames(zmx::model::kError, kUnidentified, whole.data(), kN);
}

void ELVRID(Int* keys, char* names, Int namesLength, const Int* n, Int* kind, Int* ok, const Int* sel,
            const Int* programFlag) {
  (void)sel;
  const Int received = *kind;
  if (received == 50036) *kind = 36;
  if (received == 50207) *kind = 207;
  if (received == 1) {
    keysToNames(kElement, keys, names, namesLength, n);
    for (Int i = 0; i < *n; ++i) {
      const std::string name = name8(names, namesLength, i);
      for (const auto& [internal, plain] : kInternalNames)
        if (name == internal) storeName(names, namesLength, i, plain);
    }
    return;
  }
  const Selection s = elementSelection(received, *programFlag);
  if (s.table != nullptr) namesToKeys(kElement, s, keys, names, namesLength, n, ok);
}

void NDVRID(Int* keys, char* names, Int namesLength, const Int* n, const Int* kind, Int* ok, const Int* flag) {
  *ok = 0;
  if (*kind == 1) {
    keysToNames(kNodal, keys, names, namesLength, n);
    return;
  }
  const Selection s = nodalSelection(*kind, *flag);
  if (s.table != nullptr) namesToKeys(kNodal, s, keys, names, namesLength, n, ok);
}

void NMVRID(Int* keys, char* names, Int namesLength, const Int* n, const Int* kind, Int* ok) {
  if (*kind == 1) {
    keysToNames(kModal, keys, names, namesLength, n);
    return;
  }
  const Selection s = modalSelection(*kind);
  if (s.table != nullptr) namesToKeys(kModal, s, keys, names, namesLength, n, ok);
}

void SHR_ERELOP(Int* key, Int* mode, Int* pass, const Int* print) {
  static constexpr std::array<std::pair<Int, Int>, 15> kPairs{{{12, 11},
                                                                {74, 11},
                                                                {75, 11},
                                                                {101, 11},
                                                                {102, 86},
                                                                {103, 21},
                                                                {104, 90},
                                                                {105, 89},
                                                                {106, 91},
                                                                {107, 30},
                                                                {108, 25},
                                                                {109, 24},
                                                                {110, 88},
                                                                {111, 22},
                                                                {112, 23}}};
  const Int asked = *mode;
  *mode = 0;
  for (const auto& [oldKey, newKey] : kPairs) {
    if (oldKey != *key) continue;
    if (asked == 1) {
      *mode = 1;
      return;
    }
    if (*print == 1) {
      Int pair[2] = {oldKey, newKey};
      char both[2 * kN];
      const Int count = 2;
      Int keysToNamesKind = 1;
      const Int noFlag = 0;
      ELVRID(pair, both, kN, &count, &keysToNamesKind, pass, &noFlag, &noFlag);
      reportNames(zmx::model::kInformation, "THE REQUEST FOR %S OUTPUT WILL BE REPLACED BY A REQUEST FOR %S OUTPUT", both,
             kN);
    }
    *key = newKey;
    return;
  }
}

void SHR_ELDEFV(const Int* key, const char* label, Int labelLength) {
  if (!replacesDefault(*key)) return;
  rec::i(CODB, kDefaultElementKeyWord) = *key;
  rec::setChars(CODB, kDefaultElementLabelFirst, kLabelLength, fchar::field(label, std::min(labelLength, kLabelLength)));
}

void SHR_ELDEFVDDB(const Int* key, const void* unused) {
  (void)unused;
  if (replacesDefault(*key)) rec::i(CODB, kDefaultElementKeyWord) = *key;
}

}  // extern "C"

namespace zmx::model_testing {

void resetOutputKeyTables() { gTables.ready = false; }

}  // namespace zmx::model_testing

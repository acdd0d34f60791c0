// Which element types and output variables take part in design sensitivity, the responses
// derived from other variables, and the names and labels of sensitivity output variables.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sensitivity/manipulators/named_variables.h"
#include "runtime/record.h"
#include "siblings/utl/utl.h"
#include "zmx/storage/records.h"
#include "zmx/sensitivity.h"

namespace {

// Element type codes that design sensitivity supports; the table's unused entries hold 0, so
// the code 0 counts as supported.
constexpr Int kSupportedTypes[] = {
    0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   13,   14,   15,   17,   20,   21,   22,
    23,   28,   29,   32,   33,   34,   36,   38,   39,   41,   42,   43,   44,   52,   53,   55,   56,   63,   77,
    151,  152,  153,  154,  155,  161,  162,  163,  164,  165,  166,  167,  170,  171,  172,  173,  174,  176,  177,
    178,  179,  254,  255,  295,  297,  301,  303,  305,  306,  307,  308,  310,  311,  313,  314,  315,  317,  320,
    321,  323,  329,  332,  333,  334,  336,  338,  339,  341,  342,  343,  344,  353,  355,  356,  363,  370,  371,
    372,  373,  374,  375,  563,  663,  841,  842,  843,  844,  846,  847,  848,  849,  861,  862,  863,  864,  866,
    867,  868,  869,  941,  942,  943,  944,  946,  947,  948,  949,  961,  962,  963,  964,  966,  967,  968,  969,
    1001, 1002, 1003, 1011, 1012, 1013, 1101, 1102, 1103, 1111, 1112, 1113, 1201, 1202, 1211, 1212, 2001, 2003,
    2004, 2005, 2006, 2007, 2021, 2022, 2101, 2102, 2611, 2612, 2621, 2622, 2631, 2632, 2641, 2642, 3451, 3452,
    3453, 3454, 3801, 3802, 3803, 3804, 3805, 3806, 3807, 3809, 3810, 3811, 3812, 3813, 3814, 3815, 3851, 3852,
    3853, 3854, 3855, 3856, 3857, 3858, 3859, 3860, 3861, 3862, 3863};

struct Response {
  Int id;
  Int answer;
  Int mode;  // 2 matches any mode
};

constexpr Response kElementResponses[] = {
    {11, 0, 0}, {12, 1, 0}, {13, 0, 0}, {14, 0, 0}, {19, 0, 0}, {21, 0, 0},  {22, 0, 0},  {29, 1, 0},
    {25, 0, 0}, {58, 0, 2}, {73, 1, 0}, {76, 0, 0}, {77, 0, 0}, {78, 0, 0},  {89, 1, 0},  {90, 1, 0},
    {101, 1, 0}, {103, 1, 0}, {104, 1, 0}, {105, 1, 0}, {108, 1, 0}, {185, 1, 0}};

constexpr Response kNodalResponses[] = {{101, 0, 0}, {104, 0, 0}};

// Base variables of a derived response: ids[0..count) when flag > 0, else alternative.
struct Derived {
  Int responses[4];
  Int kind;
  Int count;
  Int ids[5];
  Int alternative;  // the single id when flag <= 0; 0 when the list holds either way
};

constexpr Derived kDerived[] = {
    {{89, 90, 104, 105}, 3, 1, {163}, 0},
    {{103}, 3, 1, {4}, 36},
    {{108}, 3, 1, {38}, 5},
    {{12, 101}, 3, 1, {37}, 17},
    {{73}, 3, 1, {10}, 0},
    {{185}, 3, 1, {9}, 0},
    {{17}, 1, 4, {29, 18, 26, 25}, 0},
    {{29}, 1, 5, {3, 15, 26, 29, 25}, 0},
};

template <std::size_t N>
void checkResponse(const Response (&table)[N], Int id, Int mode, Int* found, Int* answer) {
  *found = -1;
  for (const Response& r : table)
    if (r.id == id && (r.mode == mode || r.mode == 2)) {
      *found = 1;
      *answer = r.answer;
      return;
    }
}

// Character k (from 0) of a blank-padded input; past its end a blank.
char at(const char* text, Int length, Int k) { return k < length ? text[k] : ' '; }

// Writes character c at position k of an output of the length, and nothing past it.
void put(char* out, Int length, Int k, char c) {
  if (k >= 0 && k < length) out[k] = c;
}

bool contactVariable(const char* variable, Int length) {
  char head[5];
  for (Int k = 0; k < 5; ++k) head[k] = at(variable, length, k);
  for (const char* name : {"COPEN", "CSHEA", "CSLIP", "CPRES"})
    if (std::memcmp(head, name, 5) == 0) return true;
  return false;
}

}  // namespace

void dsa_DerivedRespTable(Int id, VarBlockTypeKey& kind, Int*& ids, Int& count, Int flag) {
  for (const Derived& d : kDerived) {
    if (std::find(std::begin(d.responses), std::end(d.responses), id) == std::end(d.responses) || id == 0) continue;
    kind = static_cast<VarBlockTypeKey>(d.kind);
    const bool single = d.alternative != 0 && flag <= 0;
    count = single ? 1 : d.count;
    ids = new Int[static_cast<std::size_t>(count)];
    if (single)
      ids[0] = d.alternative;
    else
      std::copy(d.ids, d.ids + d.count, ids);
    return;
  }
}

void dsa_GetDerivedRespPert(ElementLayout* layout, Int n, Real* pert) {
  constexpr Int kReference = 4, kValues = 78;
  constexpr Real kDefault = 0.001;
  if (layout == nullptr) return;
  zmx::dsa::NamedVariables v(layout, "DSA_GETDERIVEDRESPPERT");
  Int referenceSize = 0, valueSize = 0;
  const Real* reference = v.values(*layout, kReference, referenceSize);
  const Real* x = v.values(*layout, kValues, valueSize);
  if (reference == nullptr || referenceSize < 1 || x == nullptr) return;
  if (n > valueSize) return v.fail();
  const Real r = 0.001 * reference[0];
  for (Int i = 0; i < n; ++i) {
    Real p = std::trunc(std::fabs(x[i])) == 0 ? kDefault : r / x[i];
    if (p == 0 || std::isnan(p)) p = kDefault;
    pert[i] = p;
  }
}

void dsa_OutputName(const char* name, char* out, Int kd) {
  std::snprintf(out, kDsaOutputNameRoom, "d_ %-65.65s kd %6d", name, static_cast<int>(kd));
}

extern "C" {

void DSAELEMCHK(const Int* type, Int* answer) {
  *answer = std::find(std::begin(kSupportedTypes), std::end(kSupportedTypes), *type) != std::end(kSupportedTypes) ? 0 : 1;
}

void DSAELOUTVAR(const Int* id, Int* answer, Int* invalid) {
  static constexpr int kSensitivityOutputOnly = 10;
  static constexpr Int kAlwaysValid = 58;
  *answer = 0;
  *invalid = 0;
  const auto row = std::find_if(std::begin(kElementResponses), std::end(kElementResponses),
                                [id](const Response& r) { return r.id == *id; });
  if (row != std::end(kElementResponses))
    *answer = row->answer;
  else
    *invalid = 1;
  if (rec::i(CPROC, kSensitivityOutputOnly) == 1 && *id != kAlwaysValid) *invalid = 1;
}

void DSA_ERESPCHK(const Int* id, const Int* mode, Int* found, Int* answer) {
  checkResponse(kElementResponses, *id, *mode, found, answer);
}

void DSA_NRESPCHK(const Int* id, const Int* mode, Int* found, Int* answer) {
  checkResponse(kNodalResponses, *id, *mode, found, answer);
}

void DSA_OUTPUTNAMEF(const char* name, Int nameLength, char* out, Int outLength, const Int* kd) {
  const cow_String text = bcu_FtoCString(nameLength, name);
  char formatted[kDsaOutputNameRoom];
  dsa_OutputName(text.CStr(), formatted, *kd);
  const Int n = std::min<Int>(static_cast<Int>(std::strlen(formatted)), outLength);
  if (n > 0) std::memcpy(out, formatted, static_cast<std::size_t>(n));
}

void DSA_FORMLABEL(const Int* kd, const char* suffix, Int suffixLength, const char* name, Int nameLength,
                   const char* variable, Int variableLength, const char* description, Int descriptionLength,
                   char* outname, Int outnameLength, char* shortlabel, Int shortlabelLength, char* longlabel,
                   Int longlabelLength) {
  for (auto [out, length] : {std::pair{outname, outnameLength}, std::pair{shortlabel, shortlabelLength},
                             std::pair{longlabel, longlabelLength}})
    if (length > 0) std::memset(out, ' ', static_cast<std::size_t>(length));
  DSA_OUTPUTNAMEF(name, nameLength, outname, outnameLength, kd);

  const Int window = contactVariable(variable, variableLength) ? 4 : 1;
  Int k = 0;
  put(shortlabel, shortlabelLength, k++, 'd');
  put(shortlabel, shortlabelLength, k++, '_');
  for (Int i = 0; i < 60; ++i) {
    const char c = at(variable, variableLength, i);
    if (c == ' ') {
      bool blanksFollow = true;
      for (Int t = 1; t <= window; ++t) blanksFollow = blanksFollow && at(variable, variableLength, i + t) == ' ';
      if (blanksFollow) break;
    }
    put(shortlabel, shortlabelLength, k++, c);
  }
  put(shortlabel, shortlabelLength, k++, '_');
  for (Int i = 0; i < 20; ++i) {
    const char c = at(suffix, suffixLength, i);
    if (c == ' ') break;
    put(shortlabel, shortlabelLength, k++, c);
  }

  static constexpr char kLead[] = "Sensitivity of ";
  k = 0;
  for (const char* c = kLead; *c != '\0'; ++c) put(longlabel, longlabelLength, k++, *c);
  const Int described = std::min<Int>(descriptionLength, 241);
  for (Int i = 0; i < described; ++i) {
    const char c = description[i];
    if (c == ' ' && at(description, descriptionLength, i + 1) == ' ') continue;
    put(longlabel, longlabelLength, k++, c);
  }
}

}  // extern "C"

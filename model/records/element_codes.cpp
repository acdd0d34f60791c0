// Element-level model services: degree-of-freedom counts and categories, the position codes of an
// element's output points, connector component names, load-case names and the mass-reading flags.

#include <algorithm>
#include <cstring>
#include <string_view>

#include "model/support/model_report.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/model_services.h"
#include "siblings/eqc/records.h"
#include "zmx/model/records.h"

namespace {

// Appends position codes to a list and counts them.
struct CodeList {
  Int* list;
  Int count = 0;
  void add(Int code) { list[count++] = code; }
  void addRange(Int first, Int last) {
    for (Int c = first; c <= last; ++c) add(c);
  }
};

// Words of the element record and of the element-type record.
constexpr int kElementKindWord = 15, kElementCountWord = 45;
constexpr Int kSelectedElementKind = 201;
constexpr int kTypeCode = 1, kFamily = 4, kMassWord22 = 22, kMassWord29 = 29, kMassWord31 = 31;
// Element flag record.
constexpr int kFlagMassWord = 13;
// CSLEF range of the element records checked for mass reading; CSUP substructure word.
constexpr int kMassRecordsFirst = 31, kMassRecordsEnd = 13;
constexpr int kSubstructuresInUse = 4;
// CONTRO words.
constexpr int kMassSwitch = 115, kReadSwitch = 129;
// CGM word of the load-case block; CSLV range of the step records.
constexpr int kLoadCaseBlock = 54, kStepRecordsFirst = 15, kStepRecordsEnd = 16;
constexpr Int kLoadCaseRecordKind = 4;
constexpr long kRecordLimit = 10000000;

struct Connector {
  Int code;
  std::string_view name;
};
constexpr Connector kConnectors[] = {
    {101, "LINK"},      {102, "JOIN"},         {103, "SLOT"},      {104, "SLIDE-PLANE"},
    {105, "CARTESIAN"}, {106, "AXIAL"},        {107, "RADIAL-THRUST"},
    {201, "ALIGN"},     {202, "REVOLUTE"},     {203, "UNIVERSAL"}, {204, "CONSTANT VELOCITY"},
    {205, "ROTATION"},  {206, "CARDAN"},       {207, "EULER"},     {208, "FLEXION-TORSION"},
    {301, "BEAM"},      {302, "WELD"},         {303, "HINGE"},     {304, "UJOINT"},
    {305, "CVJOINT"},   {306, "TRANSLATOR"},   {307, "CYLINDRICAL"}, {308, "PLANAR"}};

// An 8-character blank name held as a real.
Real blankName() {
  Real name;
  std::memset(&name, ' ', sizeof name);
  return name;
}

}  // namespace

extern "C" {

void DOFCOUNT(Int* ncum, const Int* n1, const Int* n2, const Int* n3, const Int* n4) {
  ncum[0] = *n1;
  ncum[1] = *n2;
  ncum[2] = *n3;
  ncum[3] = *n4;
  ncum[4] = *n1 + *n2 + *n3 + *n4;
  ncum[5] = *n1;
  ncum[6] = *n1 + *n2;
  ncum[7] = *n1 + *n2 + *n3;
}

void DOFCATEGORIZATION(Int* ncat, Int* icat, const Int* iopt) {
  const auto dof = [](int d) { return rec::i(CLDOF, d); };
  *ncat = 0;
  const auto append = [&](Int category) { icat[(*ncat)++] = category; };
  if (dof(1) + dof(2) + dof(3) > 0) append(0);
  if (*iopt % 2 == 0 && dof(4) + dof(5) + dof(6) >= 1) append(8);
  if (dof(8) > 0) append(6);
  if (dof(9) > 0) append(9);
  if (dof(11) >= 1) append(2);
}

void LESET2(Int* list, const Int* nsp, const Int* itype, Int* nl1, Int* nl2, const Int* n) {
  CodeList codes{list};
  for (Int i = 1; i <= *nsp; ++i) codes.addRange((i - 1) * 100 + 1, (i - 1) * 100 + 6);
  codes.add(201);
  if (*n > 0) {
    const Int s = *itype == 2211 ? 2 : 1;
    const Int m = *n >= 2 ? (s + *n - 2) / s : 0;
    codes.add(301);
    for (Int j = 0; j < m; ++j) codes.addRange(400 + j * s * 100 + 1, 400 + j * s * 100 + 2);
    codes.add(302);
    for (Int j = 0; j < m; ++j) codes.addRange(402 + j * s * 100 + 1, 402 + j * s * 100 + 2);
  }
  *nl1 = *nl2 = codes.count;
}

void LESET3(Int* list, const Int* nsp, Int* nl1, Int* nl2, const Int* n) {
  CodeList codes{list};
  const Int sp = *nsp;
  for (Int i = 1; i <= sp; ++i) {
    codes.addRange((i - 1) * 100 + 1, (i - 1) * 100 + 6);
    codes.addRange((sp + i - 1) * 100 + 1, (sp + i - 1) * 100 + 2);
    if (*n < 1) continue;
    const Int b = (2 * sp + i - 1) * 100;
    const auto c = [sp, i](Int j) { return (3 * sp + i - 1) * 100 + (j - 1) * sp * 100; };
    codes.addRange(b + 1, b + 2);
    for (Int j = 1; j <= *n - 1; ++j) codes.addRange(c(j) + 1, c(j) + 4);
    codes.addRange(b + 3, b + 4);
    for (Int j = 1; j <= *n - 1; ++j) codes.addRange(c(j) + 5, c(j) + 8);
  }
  *nl1 = *nl2 = codes.count;
}

void ELSEL(const Int* element, Int* list, const Int* nsp, const Int* itype, Int* nl1, Int* nl2) {
  if (element[kElementKindWord - 1] != kSelectedElementKind) return;
  const Int n = element[kElementCountWord - 1];
  if (*itype > 2300)
    LESET3(list, nsp, nl1, nl2, &n);
  else
    LESET2(list, nsp, itype, nl1, nl2, &n);
}

void SHR_CONNECTORTYPE(const Int* connector, char* ctype, Int ctypeLength) {
  const std::size_t field = static_cast<std::size_t>(std::max<Int>(ctypeLength, 0));
  std::fill(ctype, ctype + 2 * field, ' ');
  constexpr int kComponentWords[2] = {13, 15};
  for (int c = 0; c < 2; ++c) {
    const Int code = connector[kComponentWords[c] - 1];
    if (code == 0) continue;
    for (const Connector& k : kConnectors)
      if (k.code == code) std::copy_n(k.name.data(), std::min(field, k.name.size()), ctype + c * field);
  }
}

void SHR_LOADCASENAMES(Real* names, const Int* n) {
  const Real blank = blankName();
  std::fill(names, names + std::max<Int>(*n, 0), blank);
  const Int handle = rec::i(CGM, kLoadCaseBlock);
  const Int block = ADB_GLOBALMEMOPEN(&handle);
  const std::size_t slots = mem32::blockBytes(block) / sizeof(Real);
  Real* buffer = slots > 0 ? mem32::at<Real>(block, slots) : nullptr;
  if (buffer == nullptr) {
    if (block != 0) ADB_MEMCLOSE(&block);
    return;
  }
  std::fill(buffer, buffer + slots, 0.0);
  // A record is read into the block only when it fits both the block and the rest of the range;
  // one that does not ends the walk.
  const Int first = rec::i(CSLV, kStepRecordsFirst), end = rec::i(CSLV, kStepRecordsEnd);
  long length = 0;
  bool found = false;
  Int address = first;
  for (long k = 0; k < kRecordLimit && address < end; ++k) {
    const long long room = std::min<long long>(static_cast<long long>(slots), static_cast<long long>(end) - address);
    if (!eqc::readSlideLineRecord(address, buffer, room)) break;
    length = rec::slotI(buffer, 1);
    if (rec::slotI(buffer, 2) == kLoadCaseRecordKind) {
      found = true;
      break;
    }
    address += static_cast<Int>(length);
  }
  if (found)
    for (Int i = 1; i <= *n && 2 + i <= length; ++i) names[i - 1] = buffer[1 + i];
  ADB_MEMCLOSE(&block);
}

void SHR_SETMASSREADFLAGS(const Int* element, Int* flags, Logical* lread1, Logical* lread2, Int* itype) {
  const Int typeOperation = 2, recordsOperation = 4;
  Int words = 0;
  const Int typeWord = ELEMACCESS(&typeOperation, element, &words);
  const Int* type = words >= dm2::kTypeRecordWords ? mem32::at<Int>(typeWord, dm2::kTypeRecordWords) : nullptr;
  *lread1 = *lread2 = kFalse;
  *itype = 0;
  if (type == nullptr) return;
  const auto word = [type](int k) { return type[k - 1]; };
  *itype = word(kTypeCode);
  const Int family = word(kFamily);
  const Int recordsFirst = rec::i(CSLEF, kMassRecordsFirst), recordsEnd = rec::i(CSLEF, kMassRecordsEnd);
  if (family != 410 && family != 413 && recordsFirst != recordsEnd) {
    Int count = 0;
    const Int listWord = ELEMACCESS(&recordsOperation, element, &count);
    const Int* addresses = count > 0 ? mem32::at<Int>(listWord, static_cast<std::size_t>(count)) : nullptr;
    for (Int k = 0; addresses != nullptr && k < count; ++k)
      if (addresses[k] >= recordsFirst && addresses[k] < recordsEnd)
        flags[kFlagMassWord - 1] = word(kMassWord31) != 0 || word(kMassWord29) != 0 ? 2 : 1;
  }
  const bool plainElement = flags[kFlagMassWord - 1] == 0 && rec::i(CSUP, kSubstructuresInUse) == 0 &&
                            *itype >= 0 && *itype < 8000;
  const Int f = plainElement ? rec::i(CONTRO, kMassSwitch) : 0;
  const bool read2 = rec::i(CONTRO, kReadSwitch) != 0 || f != 0;
  *lread2 = toLogical(read2);
  *lread1 = word(kMassWord22) != 0 ? *lread2 : kFalse;
}

}  // extern "C"

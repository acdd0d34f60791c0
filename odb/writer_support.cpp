// Helpers the output-database writer's routines share: guarded record reads, messages and the
// class type name.
#include <cstring>
#include <limits>
#include <string>

#include "odb/writer_tables.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/slide_line_codes.h"
#include "siblings/eqc/writer_services.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/sets.h"

static_assert(sizeof(CBCODB_t) == 24);

extern "C" {
constinit CBCODB_t CBCODB{};
}

namespace zmx::odb {

Int readRecord(Int address, void* buffer, long long capacity) {
  if (capacity >= 1) rec::setSlotI(buffer, 1, 0);
  const Int length = DBSLLENGTH(&address);
  if (length < 1 || length > capacity) return 0;
  return eqc::readSlideLineRecord(address, buffer, capacity) ? length : 0;
}

Int listAddress(Int directory, Int offset, const char* routine) {
  const long long address = static_cast<long long>(directory) + offset - 1;
  if (address >= 1 && address <= std::numeric_limits<Int>::max()) return static_cast<Int>(address);
  systemError(routine);
  return 0;
}

void report(Int level, const char* text, Int first, Int second, const char* string, Int stringLength) {
  const Int ints[2] = {first, second};
  const Real reals[1] = {0.0};
  if (string == nullptr) {
    string = " ";
    stringLength = 1;
  }
  KVXERR(&level, text, static_cast<Int>(std::strlen(text)), ints, reals, string, stringLength);
}

void decodeName(const void* code, char field[80], Int op) {
  const Int eight = 8;
  Int moved = 0;
  ACODEC(code, field, 80, &eight, &moved);
  if (op >= 0) DBLABEL(&op, field, 80);
}

void systemError(const char* routine) { report(-3, (std::string("SYSTEM ERROR IN ") + routine).c_str()); }

void classTypeName(const Int* typeRecord, char name[8]) {
  std::memcpy(name, typeRecord + 1, 8);  // words 2 and 3
  const Int typeCode = typeRecord[dm2::kTypeCodeWord - 1];
  const Int family = typeRecord[dm2::kFamilyCodeWord - 1];
  constexpr int kConnectorKindWord = 46;
  if (typeCode >= 10000)
    std::memcpy(name, "RNODE3D ", 8);
  else if (family == 417 && typeRecord[kConnectorKindWord - 1] == 33)
    std::memcpy(name, typeCode == 3491 ? "CONN3D2G" : "CONN2D2G", 8);
}

}  // namespace zmx::odb

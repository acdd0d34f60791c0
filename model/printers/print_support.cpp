#include "model/printers/print_support.h"

#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/page_control.h"
#include "siblings/eqc/records.h"

namespace zmx::printing {

namespace {
constexpr int kControlUnitWord = 14;
}

void put(Int unit, std::string_view format, std::initializer_list<fio::OutItem> items) {
  fio::write(unit, fio::format(format), items);
}

void pagin(Int lines, const Int* printRecord) { PAGIN(&lines, printRecord); }

std::string_view mark(bool differs) { return differs ? "*** " : "    "; }

Int controlUnit() { return rec::i(CLINES, kControlUnitWord); }

const Int* controlRecord() { return &rec::i(CLINES, kControlUnitWord); }

Real realAt(const void* rec, long long k) { return rec::slotR(rec, k); }

Int integerAt(const void* rec, long long k) {
  Int value = 0;
  const Int one = 1;
  ACOPDJ(static_cast<const char*>(rec) + 8 * (k - 1), &value, &one);
  return value;
}

}  // namespace zmx::printing

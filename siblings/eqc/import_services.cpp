// Import services of the eqc stand-in.

#include <cstdlib>
#include <string>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "runtime/report.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/import_testing.h"

namespace {

constinit bool gInterceptAbort = false;
constinit int gAborts = 0;

Int wordOrReport(const void* p, const char* routine) {
  const Int word = mem32::wordOf(p);
  if (word == 0) zmxrt::report(-3, std::string("SYSTEM ERROR IN ") + routine + " - ARRAY IS NOT IN A MAPPED BLOCK");
  return word;
}

}  // namespace

extern "C" {

Int LFC_XUT_POINTER(const void* array) { return wordOrReport(array, "LFC_XUT_POINTER"); }

Int LXNSUA(const void* x) { return wordOrReport(x, "LXNSUA") / 4; }

void LXPENV(const char* name, Int nameLength, const char* path, Int pathLength) {
  const std::string key = fchar::toString(name, nameLength);
  if (key.empty()) return;
  setenv(key.c_str(), fchar::toString(path, pathLength).c_str(), 1);
}

void LFC_XUT_ERRMSG(const char* text, Int textLength) {
  cfi_WriteMessage(0, fchar::toString(text, textLength).c_str());
}

void LFC_XUT_ABORT() {
  if (gInterceptAbort) {
    ++gAborts;
    return;
  }
  fio::flushAll();
  std::abort();
}

Int BCU_ACOMP(const char* first, Int firstLength, const char* second, Int secondLength) {
  return fchar::compare(fchar::field(first, firstLength), fchar::field(second, secondLength));
}

}  // extern "C"

namespace eqc_import_testing {
void interceptAbort(bool on) {
  gInterceptAbort = on;
  gAborts = 0;
}
int abortCount() { return gAborts; }
}  // namespace eqc_import_testing

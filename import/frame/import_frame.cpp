// The frame of the import: start, open and close of the previous-analysis database, the global
// store of the index offset, scratch blocks, the temporary package and the release check.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "import/frame/block_views.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/run_services.h"
#include "siblings/glo/block_store.h"
#include "siblings/utl/utl.h"
#include "zmx/import/frame.h"

extern "C" {
ZMX_EXPORT constinit RHO_MAN_COMMONI_t RHO_MAN_COMMONI{};
ZMX_EXPORT constinit CIMPORT_t CIMPORT{};
}

namespace {

using namespace zmx::imp;

// CIMPORT word 2: 3 or more is the Standard-to-Explicit direction.
constexpr int kDirection = 2;
constexpr Int kStandardToExplicit = 3;
constexpr Int kReadMode = 16;
constexpr Int kScratchMode = 512;
constexpr int kFileField = 255;

// The global store: first pair, second pair, fifth value, index offset.
constinit Int gSaved[6] = {999, -999, 999, -999, 0, 0};

void message(const std::string& text, const char* strings, Int stringLength) {
  const Int level = -3;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), nullptr, nullptr, strings, stringLength);
}

void makeHandle(int word, Int mode) { DSM_PAR_INIT(&mode, &rho(word)); }

void closeHandle(int word) {
  if (rho(word) != 0) DSM_PAR_CLOSE(&rho(word));
}

// Searches the partition and, when found, opens it on the handle; returns the found key.
Int findAndOpen(Int unit, Int number, int handleWord, bool last, bool openWithKeyOne) {
  rho(rw::kFound) = 0;
  Int found = 0;
  const Int one = 1;
  if (last)
    DSM_PAR_FINDLAST(&unit, &number, &rho(rw::kFound), &one, &found);
  else
    DSM_PAR_FINDFIRST(&unit, &number, &rho(rw::kFound), &one, &found);
  if (found != 0) DSM_PAR_OPEN(&unit, &rho(handleWord), &number, &rho(rw::kFound), &one, openWithKeyOne ? &one : &found);
  return found;
}

void scratchBlock(Int kind, const Int* n, Int* index) {
  const Int none = 0;
  DSM_BLO_ACCESS(&kind, &rho(rw::kScratch), &none, n, index);
  *index = *index == 0 ? kNoBlock : *index + indexOffset();
}

void releaseImportBlock(Int kind, Int* index) {
  if (*index == kNoBlock) return;
  *index -= indexOffset();
  DSM_BLO_RELEASE(&kind, index);
}

void checkRelease() {
  Int n = 0, index = kNoBlock;
  INQ_RDB_VERSION(&n, &index);
  if (index == kNoBlock) return;
  Request request("IMPINITIALIZE");
  const Int* words = baseWords(request, index - indexOffset(), 2);
  Int release[2] = {0, 0};
  if (words != nullptr) GLO_UTI_COPYI(&n, words, release);
  REL_GDB_INTG(&index);
  if (words == nullptr) return;
  char stored[8], running[8];
  const Int count = 8;
  LFC_XUT_INTGTOCHAR(stored, 8, count, release);
  LFC_XUT_INTGTOCHAR(running, 8, count, &rec::i(CLINES, 1));
  if (BCU_ACOMP(stored, 8, running, 8) != 0)
    message("The previous Explicit analysis was not run using this version of VELTRO. The Standard analysis must be "
            "run using the same version of VELTRO as the Explicit analysis.",
            " ", 1);
}

}  // namespace

extern "C" {

void IMPINITIALIZE(Int* work) {
  Int status1 = 0, status2 = 0;
  char modelFile[kFileField], stateFile[kFileField];
  std::memset(modelFile, ' ', sizeof modelFile);
  std::memset(stateFile, ' ', sizeof stateFile);
  DEC_GDB_STARTUP(work);
  if (rec::i(CIMPORT, kDirection) >= kStandardToExplicit) {
    IMPINITSTDTOXPL();
    return;
  }
  Int ignored = 0;
  UTL_COMMANDLINESTRING("pacfile", 7, modelFile, kFileField, &ignored);
  UTL_COMMANDLINESTRING("kvxfile", 7, stateFile, kFileField, &ignored);
  DEC_GDB_OPEN(modelFile, kFileField, stateFile, kFileField, &status1, &status2);
  const std::string cannotOpen = "The file %S cannot be opened for the *IMPORT option.";
  if (status1 != 0) message(cannotOpen, modelFile, kFileField);
  if (status2 != 0) message(cannotOpen, stateFile, kFileField);
  // With a file missing there is no release record to compare.
  if (status1 == 0 && status2 == 0) checkRelease();
}

void IMPINITSTDTOXPL() {
  if (rho(rw::kScratch) == 0) makeHandle(rw::kScratch, kScratchMode);
}

void DEC_GDB_STARTUP(Int* work) {
  rho(rw::kBase) = LFC_XUT_POINTER(work);
  const Int zero = 0;
  DSM_MAN_START(&zero, &rho(rw::kBase), &zero, &zero);
  Request request("DEC_GDB_STARTUP");
  const Int* base = rho(rw::kBase) != 0 ? baseWords(request, 1, 0) : nullptr;
  Int offset = base != nullptr ? LXNSUA(base) - LXNSUA(work) : 0;
  Int a = 0, b = 0, c = 0, d = 0, e = 0;
  const Int reset = 3;
  EDI_MAN_GLOBALSTORE(&a, &b, &c, &d, &e, &offset, &reset);
}

void DEC_GDB_OPEN(const char* modelFile, Int modelFileLength, const char* stateFile, Int stateFileLength, Int* status1,
                  Int* status2) {
  for (int word = rw::kModel; word <= rw::kSharedState; ++word) rho(word) = 0;
  rho(rw::kIncrementKey) = 0;
  rho(rw::kStateInstance) = 0;
  const Int units[2] = {L::kModelUnit, L::kStateUnit};
  const std::string files[2] = {fchar::toString(modelFile, modelFileLength), fchar::toString(stateFile, stateFileLength)};
  Int* statuses[2] = {status1, status2};
  for (int k = 0; k < 2; ++k) {
    const std::string name = "FOR" + std::string(units[k] < 100 ? "00" : "0") + std::to_string(units[k]);
    LXPENV(name.data(), 7, files[k].data(), static_cast<Int>(files[k].size()));
    DSM_FOL_OPEN(&units[k], &kReadMode);
    Int status = 0;
    DSM_FOL_STATUS(&units[k], &status);
    if (status != 0) *statuses[k] = 1;
  }
  if (*status1 != 0 || *status2 != 0) return;
  for (int word : {rw::kRestart, rw::kDomainData, rw::kState, rw::kSharedState, rw::kModel, rw::kStep})
    if (rho(word) == 0) makeHandle(word, kReadMode);
  if (rho(rw::kScratch) == 0) makeHandle(rw::kScratch, kScratchMode);
  findAndOpen(L::kModelUnit, L::kDomainPartition, rw::kDomainData, false, true);
  findAndOpen(L::kModelUnit, L::kModelPartition, rw::kModel, false, false);
  const Int step = findAndOpen(L::kModelUnit, L::kStepPartition, rw::kStep, false, false);
  if (step != 0) rho(rw::kStepKey) = step;
  findAndOpen(L::kStateUnit, L::kRestartPartition, rw::kRestart, true, false);
}

void DEC_GDB_CLOSE() {
  for (int word : {rw::kStep, rw::kDomainData, rw::kRestart, rw::kState, rw::kModel, rw::kSharedState,
                   rw::kScratch})
    closeHandle(word);
  const Int zero = 0;
  for (Int unit : {L::kModelUnit, L::kStateUnit}) DSM_FOL_CLOSE(&unit, &zero);
  DSM_MAN_END();
  // A second import in the same process starts from nothing.
  for (int word : {1, 2, 3, 6, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20}) rho(word) = 0;
}

void EDI_MAN_GLOBALSTORE(Int* a, Int* b, Int* c, Int* d, Int* e, Int* offset, const Int* operation) {
  Int* values[5] = {a, b, c, d, e};
  switch (*operation) {
    case 1:
      for (int k = 0; k < 5; ++k) *values[k] = gSaved[k];
      *offset = gSaved[5];
      return;
    case 2:
      for (int k = 0; k < 5; ++k) gSaved[k] = *values[k];
      return;
    case 3: {
      const Int reset[5] = {0, -1, 0, -1, 0};
      for (int k = 0; k < 5; ++k) *values[k] = gSaved[k] = reset[k];
      gSaved[5] = *offset;
      return;
    }
    default: {
      char line[25];
      std::memset(line, ' ', sizeof line);
      const std::string text = "Invalid access flag " + std::to_string(*operation);
      std::memcpy(line, text.data(), std::min(text.size(), sizeof line));
      LFC_XUT_ERRMSG(line, static_cast<Int>(sizeof line));
      LFC_XUT_ABORT();
    }
  }
}

void ACC_TMP_INTGMEMORY(const Int* n, Int* index) { scratchBlock(1, n, index); }
void ACC_TMP_REALMEMORY(const Int* n, Int* index) { scratchBlock(2, n, index); }
void REL_GDB_INTG(Int* index) { releaseImportBlock(1, index); }
void REL_GDB_REAL(Int* index) { releaseImportBlock(2, index); }

void EDI_ACC_TEMPORARYPACKAGE() {
  Request request("EDI_ACC_TEMPORARYPACKAGE");
  Model model(request);
  if (!readModel(request, model, false)) return;
  const Words t = model.table.words();
  const Int classes = t.i(L::kClasses);
  const long long first = t.i(L::kClassRecords);
  Int shells = 0;
  if (classes < 0) return request.damaged("CLASS COUNT " + std::to_string(classes));
  if (classes > 0) {
    // Every record, and the type-record word each shell record names, must lie in the table.
    if (!t.has(first) || !t.has(first + 19LL * classes - 1)) return request.damaged("CLASS RECORDS");
    for (Int k = 0; k < classes; ++k) {
      const long long record = first + 19LL * k;
      if (t.i(record) == 20 && !t.has(0LL + t.i(record + 1) + 2))
        return request.damaged("TYPE RECORD OF CLASS " + std::to_string(k + 1));
    }
    EDI_UTI_GETNUMELEMENTS(&classes, &shells, model.table.data() + first - 1, model.table.data());
  }
  const long long size = 16LL * shells + t.i(L::kPackageFirstTerm) + t.i(L::kPackageSecondTerm);
  if (shells < 0 || size < 0 || size >= kNoBlock) return request.damaged("PACKAGE SIZE " + std::to_string(size));
  Block package(request);
  if (!package.make(static_cast<Int>(size), true)) return;
  EDI_REL_TEMPORARYPACKAGE();
  rho(rw::kPackageWords) = static_cast<Int>(size);
  rho(rw::kPackage) = package.keep();
  rho(rw::kPackageFill) = 0;
}

void EDI_REL_TEMPORARYPACKAGE() {
  const Int kind = 2;
  if (rho(rw::kPackage) != 0) DSM_BLO_RELEASE(&kind, &rho(rw::kPackage));
  rho(rw::kPackage) = 0;
}

void INQ_RDB_VERSION(Int* n, Int* index) {
  Request request("INQ_RDB_VERSION");
  *n = 0;
  *index = kNoBlock;
  Block directory(request), record(request), result(request);
  if (!directory.read(rho(rw::kRestart), 1, L::kRestartDirectoryWords, false)) return;
  if (!record.read(rho(rw::kRestart), directory.i(5), 2, false)) return;
  if (!result.make(2, false)) return;
  const Int two = 2;
  Int* target = baseWords(request, result.index(), 2);
  if (target == nullptr) return;
  GLO_UTI_COPYI(&two, baseWords(request, record.index(), 2), target);
  *n = 2;
  *index = result.keep() + indexOffset();
}

void CNQ_GDB_GETNAME(char* result, Int resultLength, const Int* i, const Int* words) {
  char name[8];
  LFC_XUT_INTGTOCHAR(name, 8, 8, words + 2 * (*i - 1));
  fchar::assign(result, resultLength, std::string_view(name, 8));
}

void EDI_UTI_GETNUMELEMENTS(const Int* count, Int* total, const Int* records, const Int* data) {
  // Summed wide, so that a damaged count cannot wrap round; a sum beyond an integer is -1.
  long long sum = 0;
  for (Int k = 0; k < *count; ++k) {
    const Int* record = records + 19LL * k;
    if (record[0] == 20) sum += data[record[1] + 1LL];
  }
  *total = sum >= INT32_MIN && sum <= INT32_MAX ? static_cast<Int>(sum) : -1;
}

}  // extern "C"

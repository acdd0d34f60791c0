#include "storage/units/file_support.h"

#include <string>

#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"

namespace zmx::files {
namespace {
// What a message gets for the arrays its text does not use: a 0 word and a single blank.
constexpr Int kNoInteger = 0;
constexpr Real kNoReal = 0.0;
constexpr char kNoText = ' ';
}  // namespace

void say(int level, std::string_view text) {
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &kNoInteger, &kNoReal, &kNoText, 1);
}

void sayInteger(int level, std::string_view text, Int value) {
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &value, &kNoReal, &kNoText, 1);
}

void sayReal(int level, std::string_view text, Real value) {
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &kNoInteger, &value, &kNoText, 1);
}

void sayString(int level, std::string_view text, std::string_view value) {
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &kNoInteger, &kNoReal, value.data(),
         static_cast<Int>(value.size()));
}

Int programKind() { return rec::i(CPROG, eqc_records::kProgramKind); }

std::string_view jobString(int k) {
  return rec::chars(CJBPAR, (k - 1) * eqc_records::kJobStringLength + 1, eqc_records::kJobStringLength);
}

std::string jobFileName(std::string_view name, std::string_view directory, Int unit) {
  constexpr Int kNameLength = 255;
  char result[kNameLength];
  const Int kind = programKind();
  Int status = 0;
  BCU_MKNAME(result, kNameLength, name.data(), static_cast<Int>(name.size()), directory.data(),
             static_cast<Int>(directory.size()), &unit, &kind, &status);
  if (status != 0) return {};
  return std::string(fchar::view(result, kNameLength));
}

Int* useCounter(Int unit, std::string_view routine) {
  if (unit >= 1 && unit <= static_cast<Int>(rec::words<CBUFFA_t>())) return &rec::i(CBUFFA, unit);
  sayInteger(-3, "SYSTEM ERROR IN " + std::string(routine) + " - UNIT %I OUTSIDE THE UNIT TABLE", unit);
  return nullptr;
}

int openUnit(Int unit, std::string_view file, fio::Status status, fio::Form form, fio::Access access) {
  fio::OpenRequest request;
  request.file = file;
  request.status = status;
  request.form = form;
  request.access = access;
  return fio::open(unit, request);
}

}  // namespace zmx::files

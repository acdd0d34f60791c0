// Helpers shared by the file layers of this subsystem (sequential units, user-named files, the
// debug dump, the wave file): messages with one value, the job's strings, job file names and the
// per-unit use counters of CBUFFA. Internal to the library.
#pragma once

#include <string>
#include <string_view>

#include "runtime/fortran_types.h"
#include "runtime/units.h"

namespace zmx::files {

// KVXERR at the level with one integer, one real or one string for the placeholder.
void say(int level, std::string_view text);
void sayInteger(int level, std::string_view text, Int value);
void sayReal(int level, std::string_view text, Real value);
void sayString(int level, std::string_view text, std::string_view value);

// CPROG word 1: 0 implicit analysis, 1 pre-processor, 2 explicit analysis.
inline constexpr Int kExplicitProgram = 2;
inline constexpr Int kPreProcessor = 1;
Int programKind();

// The strings of CJBPAR the file layers use.
inline constexpr int kJobName = 1;
inline constexpr int kSecondName = 2;
inline constexpr int kGivenFile = 4;  // a complete file name
inline constexpr int kJobDirectory = 7;
inline constexpr int kSecondDirectory = 9;

// String k (1 to 9) of CJBPAR, all 256 characters.
std::string_view jobString(int k);

// The job file name BCU_MKNAME builds from a name field, a directory field and the unit,
// without trailing blanks; empty when it cannot be built.
std::string jobFileName(std::string_view name, std::string_view directory, Int unit);

// Word u of CBUFFA, or null after a level -3 report when the unit lies outside the record.
Int* useCounter(Int unit, std::string_view routine);

// OPEN of a sequential unit; the IOSTAT.
int openUnit(Int unit, std::string_view file, fio::Status status, fio::Form form,
             fio::Access access = fio::Access::Sequential);

}  // namespace zmx::files

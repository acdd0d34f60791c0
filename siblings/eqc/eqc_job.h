// Job services of the eqc stand-in that the file layers call: job file names, page control,
// unit flushing, character helpers, scratch memory blocks and the job exit. Upper-case
// convention: extern "C", every argument by pointer, a character argument followed by its length.
#pragma once

#include "runtime/address_space.h"
#include "runtime/fortran_types.h"

extern "C" {
// The file name of a job file: directory + name + the extension of the unit, blank-padded into
// result. The directory is left out when the name carries its own path, and no extension is
// added when the name already has one. Units 8 ".fil", 9 ".sel", 13 ".dat", 23 ".res", 45 ".wav",
// 71, 72 and 86 ".odb"; any other unit ".NNN" (its number in three digits). A blank name gives a
// blank result; status 0, or 1 (result blank) when the name does not fit.
ZMX_EXPORT void BCU_MKNAME(char* result, Int resultLength, const char* name, Int nameLength, const char* directory,
                           Int directoryLength, const Int* unit, const Int* programKind, Int* status);

// Page control of printed output: the caller is about to print n lines.
ZMX_EXPORT void PAGING(const Int* lines);

// Hands the unit's buffered lines to the operating system.
ZMX_EXPORT void DBFLUS(const Int* unit);

// flag := 1 when the first length characters of the string carry a directory path ('/'), else 0.
ZMX_EXPORT void PTHLOC(const char* text, Int textLength, const Int* length, Int* flag);

// First and last non-blank positions (1-based) of the first length characters; last = 0 (and
// first = 0) for a blank string.
ZMX_EXPORT void LENSTR(const char* text, Int textLength, const Int* length, Int* first, Int* last);

// Moves the coded text (bytes up to a terminating zero, at most n) into the blank-padded field;
// length receives the number of characters moved.
ZMX_EXPORT void ACODEC(const void* coded, char* field, Int fieldLength, const Int* n, Int* length);

// Scratch blocks of 4-byte words. Operation 1: a block of words words; index receives its
// address word (tag "DBGM", resolved with mem32::at), status 0, or 1 when it cannot be had.
// Operation 0: gives the block of index back. Other operations: status 1.
ZMX_EXPORT void DBGETM(const Int* operation, const Int* words, Int* index, Int* status);

// Ends the job with the code after flushing every unit. A test can intercept it
// (eqc_job_testing::interceptExit), and the call then only records the code and returns.
ZMX_EXPORT void BCU_EXIT(const Int* code);
}

namespace eqc_job {
inline constexpr mem32::Tag kScratchBlockTag = mem32::tag("DBGM");
}

// Data-base unit routines of eqc as the library calls them (upper-case convention, every
// argument by pointer). Words are 8-byte words; addresses in a unit are 1-based word addresses.
#pragma once

#include <string>

#include "runtime/fortran_types.h"

extern "C" {
// Direct-access file of a paged unit: record r holds words (r - 1) words + 1 .. r words.
// Operation 0 reads record into page (a record never written reads as zeros), 1 writes it,
// 5 closes the unit's file. Failures are reported at level -3.
ZMX_EXPORT void DBDA(const Int* fileUnit, void* page, const Int* words, const Int* record, const Int* operation);

// Random-access transfer of length words at the word address of a paged unit, through the
// unit's page table (records, modified flags, ages, base words in the work space of CSP word 3).
// Operation 0 reads into array (length 0: the record's own length, from its word 1), 1 writes.
// A page that must make room is the oldest one; a modified page is written to its record first.
ZMX_EXPORT void DBRAN(const Int* operation, void* array, const Int* length, const Int* address, const Int* fileUnit,
                      const Int* pageLength, Int* records, Int* modified, Int* pageCount, Int* ages,
                      const Int* bases, Int* highest, Int* indexArea, Int* counter, Int* closing);

// Substructure record store over the open library (unit 9, page table CDSEL). Kinds: 1 index
// record (140 integers at a word address), 9 node record (by node number, within the current
// index record CDSINX), 14 CM and 27 M records (at a word address). Operation 0 reads (length 0:
// the record's own length), 1 writes. status 0, or 1 when there is no library or the address
// is bad.
ZMX_EXPORT void DBSUP(const Int* operation, const Int* kind, const Int* address, void* array, const Int* length,
                      Int* status);
// Reads the library's header into CDSMNX (words 1-6 and their saved copy 7-12) and its release
// text into the field; status 1 when there is no header.
ZMX_EXPORT void DBSUPR(char* release, Int releaseLength, Int* status);
// Reads the long labels (160 characters each) kept in the library: at most capacity labels
// into names, their number into count; status 1 when the library keeps none.
ZMX_EXPORT void DBSUPL(char* names, Int nameLength, const Int* capacity, Int* count, Int* status);
// Opens the library named in CDSELF as the file of unit 9; a new file gets an empty header.
ZMX_EXPORT void SUPOPN();
// status 1 when a library is open to be written, else 0.
ZMX_EXPORT void DBSUPW(Int* status);

// ML store: operation 0 reads length words (0: the record's own length) at the absolute
// address into array1, 1 writes them from array1; address advances by the length moved.
// array2 is the caller's second view of the same words. status 0, or 1 on a bad address.
ZMX_EXPORT void DBML(const Int* operation, const Int* block, const Int* length, void* array1, void* array2,
                     Int* address, Int* status);

// Copies the file from to to; returns 0, or non-zero on failure.
ZMX_EXPORT Int FILECOPY(const char* from, Int fromLength, const char* to, Int toLength);
// Deletes the file; returns 0, or non-zero on failure.
ZMX_EXPORT Int DELETEFILE(const char* name, Int nameLength);
}

namespace eqc_units {
// The file of a paged unit: the path given by attach, else the job file of the unit as
// BCU_MKNAME names it (job name "job" when blank).
ZMX_EXPORT void attach(Int fileUnit, const std::string& path);
ZMX_EXPORT std::string filePath(Int fileUnit);
// Closes every open unit file and forgets attached paths (the end of a host session).
ZMX_EXPORT void closeAll();
}  // namespace eqc_units

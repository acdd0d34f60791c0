// Named records of the data-base units that the library imports from eqc: the page table of the
// substructure-library unit 9 and its index words, the page tables of units 17 and 19, the unit
// counter words and the ML-store block table. Read and write them through runtime/record.h.
#pragma once

#include <cstdint>

#include "runtime/fortran_types.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"  // CDSMNX, CDSINX

// Page table of unit 9 (the open substructure library) and its selection words.
ZMX_RECORD_TYPE(CDSEL, 50);
// Name of the open library file, 80 characters (blank when none is open).
ZMX_RECORD_TYPE(CDSELF, 20);
// Page tables of the ML store unit 17 and the slide-line unit 19.
ZMX_RECORD_TYPE(CDML, 40);
ZMX_RECORD_TYPE(CDSL, 20);
// Counter words of the paged units handed to DBRAN.
ZMX_RECORD_TYPE(CDIC, 10);
// First absolute address of block k of the ML store in word 2k - 1.
ZMX_RECORD_TYPE(CDMLIX, 400);
// Index words of the in-core substructure store and the output-database state of a library.
ZMX_RECORD_TYPE(CDSPIC, 10);
ZMX_RECORD_TYPE(CODBP, 10);

extern "C" {
ZMX_EXPORT extern CDSEL_t CDSEL;
ZMX_EXPORT extern CDSELF_t CDSELF;
ZMX_EXPORT extern CDML_t CDML;
ZMX_EXPORT extern CDSL_t CDSL;
ZMX_EXPORT extern CDIC_t CDIC;
ZMX_EXPORT extern CDMLIX_t CDMLIX;
ZMX_EXPORT extern CDSPIC_t CDSPIC;
ZMX_EXPORT extern CODBP_t CODBP;
}

namespace eqc_records {

// Page-table words shared by every paged unit record (see the page-pool routines).
inline constexpr int kPageLength = 1;
inline constexpr int kFileUnit = 2;

// CDSEL: page table of unit 9.
inline constexpr int kSelRecords = 3;     // 3-10
inline constexpr int kSelBases = 11;      // 11-18
inline constexpr int kSelModified = 19;   // 19-26
inline constexpr int kSelWordsInUse = 27;
inline constexpr int kSelAges = 29;       // 29-36
inline constexpr int kSelPageCount = 37;
inline constexpr int kSelHighest = 38;
inline constexpr int kSelClosing = 39;
inline constexpr int kSelOpenLibrary = 41;  // number in the table of library names, 0 = none
inline constexpr int kSelContext = 42;
inline constexpr int kSelMaxPages = 8;

// CDSMNX
inline constexpr int kIndexWords = 6;        // words 1-6 current, 7-12 saved
inline constexpr int kIndexAreaBase = 1;     // first index record at this address + 1
inline constexpr int kLibraryRecords = 2;    // number of records (pages) of the file
inline constexpr int kSubstructures = 3;     // number of index records

// CDSINX
inline constexpr int kIndexRecordWords = 140;
inline constexpr int kIndexLengthWord = 281;
inline constexpr int kSubstructureId = 1;    // 0 while being generated or modified
inline constexpr int kNodeRecordLength = 2;  // length of one node record (store choice)
inline constexpr int kNodeRecordsStart = 3;  // node records region (address, length)
inline constexpr int kWriteBackAddress = 60;
inline constexpr int kNextIndexRecord = 65;

// CDIC: counter word per unit.
inline constexpr int kCounterUnit18 = 1;
inline constexpr int kCounterUnit9 = 2;
inline constexpr int kCounterUnit3 = 6;
inline constexpr int kCounterUnit22 = 7;
inline constexpr int kCounterUnit23 = 8;

}  // namespace eqc_records

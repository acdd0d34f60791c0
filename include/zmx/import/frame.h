// Import of an earlier explicit analysis: the frame. Starting the import, opening and closing
// the previous-analysis database, the global store of the index offset, scratch blocks and the
// temporary package, the release of import blocks and the release check.
//
// An import block is a count and an index into the caller's own work array (the index offset
// added); reals in it are 4-byte single precision. The index 134217729 stands for "no block".
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Handles and open state of the previous-analysis database (20 words): 1 the base array's
// address word, 2 and 20 the temporary package's index and size, 3 its fill counter, 6 the
// scratch partition, 9 to 14 the partitions 201, 203, 202, 301, 501 and 502, 15 the increment key
// and 17 the instance of the open state (17 = 0: none open), 16 the step of the open 203, 18 the
// instance last found by a search.
ZMX_RECORD_TYPE(RHO_MAN_COMMONI, 20);
// The import option as the host fills it (6 words, 8-byte aligned): word 2, 3 or more, reads nothing and keeps only the
// scratch partition (the Standard-to-Explicit direction).
ZMX_RECORD_TYPE(CIMPORT, 6);

extern "C" {
ZMX_EXPORT extern RHO_MAN_COMMONI_t RHO_MAN_COMMONI;
ZMX_EXPORT extern CIMPORT_t CIMPORT;

// Starts the import on the work array (in a block the host has mapped): starts the store, opens
// the database named by the command-line options "pacfile" and "kvxfile" and checks the release
// that wrote it against the release in CLINES words 1 and 2.
ZMX_EXPORT void IMPINITIALIZE(Int* work);
ZMX_EXPORT void IMPINITSTDTOXPL();
ZMX_EXPORT void DEC_GDB_STARTUP(Int* work);
// Opens units 60 and 61 on the two files; status 1 (2) becomes 1 when the first (second) file is
// missing or unreadable.
ZMX_EXPORT void DEC_GDB_OPEN(const char* modelFile, Int modelFileLength, const char* stateFile, Int stateFileLength,
                             Int* status1, Int* status2);
ZMX_EXPORT void DEC_GDB_CLOSE();

// Operation 1 returns the five saved values and the index offset, 2 saves a to e, 3 resets a to e
// to 0, -1, 0, -1, 0 (and returns them) and saves the offset; any other aborts the process.
ZMX_EXPORT void EDI_MAN_GLOBALSTORE(Int* a, Int* b, Int* c, Int* d, Int* e, Int* offset, const Int* operation);

// A new integer or real scratch block of n words; index with the offset, 134217729 when none.
ZMX_EXPORT void ACC_TMP_INTGMEMORY(const Int* n, Int* index);
ZMX_EXPORT void ACC_TMP_REALMEMORY(const Int* n, Int* index);
// Gives an import block back; the index word keeps the index without the offset.
ZMX_EXPORT void REL_GDB_INTG(Int* index);
ZMX_EXPORT void REL_GDB_REAL(Int* index);

// The temporary package: a real scratch block of 16 words per shell element plus two fixed terms.
ZMX_EXPORT void EDI_ACC_TEMPORARYPACKAGE();
ZMX_EXPORT void EDI_REL_TEMPORARYPACKAGE();

// The release record as a new 2-word integer import block.
ZMX_EXPORT void INQ_RDB_VERSION(Int* n, Int* index);
// Character function of length 8: the characters held in words 2i-1 and 2i.
ZMX_EXPORT void CNQ_GDB_GETNAME(char* result, Int resultLength, const Int* i, const Int* words);

// Number of elements of all classes of type 20: count class records of 19 words over the
// integer model data.
ZMX_EXPORT void EDI_UTI_GETNUMELEMENTS(const Int* count, Int* total, const Int* records, const Int* data);
}

// Use-counted initialise and finalise pair of the import module.
ZMX_EXPORT void edi_initialize(int& counter);
ZMX_EXPORT void edi_finalize(int& counter);
ZMX_EXPORT void EDI_COMMON();

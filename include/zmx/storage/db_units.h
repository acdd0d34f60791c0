// Data-base units: page pools, single-buffer and paged units, record units, word copies.
#pragma once

#include "zmx/types.h"
#include "zmx/record_types.h"

// Page-pool table: owner unit of slot i (words 1-20), base word of its pool (21-40, set by the
// host), in-use flag (41-60: 1 in use, 0 idle with the owner's data kept), slot count (61).
ZMX_RECORD_TYPE(CDBPP, 62);
// Single-buffer units 6 (CDM) and 12 (CDME): block length, file unit, blocks since rewind, base
// word of the buffer, next position, buffer state; CDM word 7 the substructure-store address.
ZMX_RECORD_TYPE(CDM, 8);
ZMX_RECORD_TYPE(CDME, 8);
// Page tables of the paged units 3, 16, 18, 22 and 23 with their unit words.
ZMX_RECORD_TYPE(CDSUS, 40);
ZMX_RECORD_TYPE(CDHY, 18);
ZMX_RECORD_TYPE(CDND, 38);
ZMX_RECORD_TYPE(CDRR, 88);
ZMX_RECORD_TYPE(CDRW, 18);
// Word 3: words by which DBCORE has grown work arrays during the run.
ZMX_RECORD_TYPE(CSIZE, 4);
// Index areas of units 18 and 3 (word 1 the first word in the memory block of the address
// word 3) and of units 22 and 23 (the records themselves).
ZMX_RECORD_TYPE(CDNDIC, 4);
ZMX_RECORD_TYPE(CDSSIC, 4);
ZMX_RECORD_TYPE(CDRRIC, 64);
ZMX_RECORD_TYPE(CDRWIC, 64);
// Substructure-store table: word 1 its first row, word 3 the address word of its rows.
ZMX_RECORD_TYPE(CDSUPS, 4);
// CM unit: block length (512), file unit, blocks since rewind, position, buffer state.
ZMX_RECORD_TYPE(CDCM, 6);
// Word 7: 1 traces ML-store addresses.
ZMX_RECORD_TYPE(CTFV, 8);
// Word 7: ML-store word of the selection context.
ZMX_RECORD_TYPE(CMLADR, 8);

extern "C" {
// Width changes of integers in place (8-byte words to 4-byte integers and back), an overlap-safe
// copy of 8-byte words, and the date (16 characters in 4 integers) and time (8 in 2).
ZMX_EXPORT void ACOPEI(void* array, const Int* n);
ZMX_EXPORT void ACOPIE(void* array, const Int* n);
ZMX_EXPORT void ACOPY1(const void* from, void* to, const Int* n);
ZMX_EXPORT void ADATIM(Int* date, Int* time);

ZMX_EXPORT extern CDBPP_t CDBPP;
ZMX_EXPORT extern CDM_t CDM;
ZMX_EXPORT extern CDME_t CDME;
ZMX_EXPORT extern CDSUS_t CDSUS;
ZMX_EXPORT extern CDHY_t CDHY;
ZMX_EXPORT extern CDND_t CDND;
ZMX_EXPORT extern CDRR_t CDRR;
ZMX_EXPORT extern CDRW_t CDRW;
ZMX_EXPORT extern CSIZE_t CSIZE;
ZMX_EXPORT extern CDNDIC_t CDNDIC;
ZMX_EXPORT extern CDSSIC_t CDSSIC;
ZMX_EXPORT extern CDRRIC_t CDRRIC;
ZMX_EXPORT extern CDRWIC_t CDRWIC;
ZMX_EXPORT extern CDSUPS_t CDSUPS;
ZMX_EXPORT extern CDCM_t CDCM;
ZMX_EXPORT extern CTFV_t CTFV;
ZMX_EXPORT extern CMLADR_t CMLADR;

// Page pools: operation 0 gives unit n pools, 1 stops using n of them (data kept), 2 gives up n
// without keeping data, 3 and 4 pack the table (unit receives the last free slot), 5 closes the
// unit (n receives the number of pools it was using).
ZMX_EXPORT void DBALOC(const Int* operation, Int* unit, Int* n);
// Tells one unit about one pool (codes 0 new, 1 taken, 2 handed back, 3 moved, 4 taken unwritten,
// 5 closing). For code 3 unit holds the slot the pool comes from and receives its owner.
// status 2 when the unit would hold more pages than it may.
ZMX_EXPORT void DBAL1(const Int* operation, Int* unit, const Int* slot, Int* status);
// The single-buffer form over the words of CDM or CDME.
ZMX_EXPORT void DBAL2(const Int* operation, const Int* slot, Int* base, const Int* fileUnit, const Int* blockLength,
                      Int* blocks, Int* state, Int* position, Int* status);
// The paged form over a unit's page table. A page beyond the table's maximum is refused with
// status 2 and the table is left as it was.
ZMX_EXPORT void DBAL3(const Int* operation, const Int* slot, Int* bases, const Int* fileUnit, const Int* pageLength,
                      Int* records, Int* modified, Int* ages, Int* count, const Int* oldSlot, Int* highest,
                      Int* status);
// Grows a work array of limit words by n words when n > limit (limit then becomes limit + n) and
// adds n to the run's core tally (CSIZE word 3). Returns n when it was within limit, else the
// tally as it stands after the call (unchanged when the memory could not be raised).
ZMX_EXPORT Int DBCORE(const Int* n, Int* limit);
// Raises the analysis database's stack memory in use by 8n bytes; non-zero on success.
ZMX_EXPORT Int SHR_DBCORE(const Int* n);
}

namespace zmx::units {

// CDBPP
inline constexpr int kSlots = 20;
inline constexpr int kOwner = 0;     // + slot
inline constexpr int kBase = 20;     // + slot
inline constexpr int kInUse = 40;    // + slot
inline constexpr int kSlotCount = 61;

// Single-buffer unit words (CDM, CDME; CDCM words 1-5 are the same block state without a base).
inline constexpr int kBlockLength = 1;
inline constexpr int kFileUnit = 2;
inline constexpr int kBlocks = 3;
inline constexpr int kBufferBase = 4;
inline constexpr int kPosition = 5;
inline constexpr int kState = 6;
inline constexpr int kStoreAddress = 7;  // CDM

// CSIZE
inline constexpr int kCoreGrowth = 3;

}  // namespace zmx::units

extern "C" {
// Node record of one node: operation 0 reads, 1 writes (paged unit 18 or the substructure store,
// by the kind of program).
ZMX_EXPORT void DBND(const Int* operation, void* array, const Int* node);
// In-core substructure store (unit 3): 0 read, 1 write, 2 open a region, 3 close it, 4 pack,
// others clear the region; kind 1 node records, 3 and 4 variable-length records (index advances).
ZMX_EXPORT void DBSUPS(const Int* operation, const Int* kind, Int* index, void* array, const Int* row, Int* status);
// Restart-file records: 0 read, 1 write, 2 skip one record of the file being read; address
// advances by the record's length.
ZMX_EXPORT void DBRE(const Int* operation, void* array, Int* address, Int* status);
// Looks up the step directory of the restart file from address (array is the record buffer).
ZMX_EXPORT void SHR_MRESTSTEPINC(void* array, const Int* address, Int* step, Int* increment, Int* value1,
                                 Int* value2);
// CM unit: operation 0 reads, any other writes, n words (0: the record's own length).
ZMX_EXPORT void DBCM(const Int* operation, void* array, const Int* n, Int* status);
// One CM record from the CM unit or the substructure store (which 1) or the restart file (2).
ZMX_EXPORT void DBCM1(const Int* operation, void* array, const Int* n, Int* address, const Int* which, Int* status);
// Copies one CM record into block k of the ML store at relative address n.
ZMX_EXPORT void CMTOML(void* array, Int* n, const Int* k, Int* address, const Int* which);
// ML-store access with an address relative to block k.
ZMX_EXPORT void DBMLRL(const Int* operation, const Int* k, const Int* n, void* array1, void* array2, Int* address,
                       Int* status);
// M unit 6: operation 0 or below reads, 1 writes, 2 and above rewinds (store form only).
ZMX_EXPORT void SHR_DBM(const Int* operation, void* array, Int* status);
}

// Named records that the library imports from eqc. Each is one C object named as the record,
// a block of 4-byte words, zero when the library is loaded. Read and write them through the
// accessors of runtime/record.h with the word constants below.
#pragma once

#include <cstdint>

#include "runtime/fortran_types.h"
#include "runtime/record.h"

// Line and unit numbers of printed output.
ZMX_RECORD_TYPE(CLINES, 1000);
// Kind of program running.
ZMX_RECORD_TYPE(CPROG, 1000);
// The job's strings: nine of 256 characters, then 500 library names of 80 characters.
ZMX_RECORD_TYPE(CJBPAR, (9 * 256 + 500 * 80) / 4);
// The job heading, 288 characters.
ZMX_RECORD_TYPE(CHEAD, 288 / 4);
// Run switches.
ZMX_RECORD_TYPE(CWORK, 1000);
// Work-space base of the data-base buffers.
ZMX_RECORD_TYPE(CSP, 1000);
// Per-unit use counters of the sequential units (word u for unit u).
ZMX_RECORD_TYPE(CBUFFA, 1000);
// Global model counts and offsets, sizes and memory handles, nodal-array offsets,
// degree-of-freedom positions and analysis control switches.
ZMX_RECORD_TYPE(CGN, 1000);
ZMX_RECORD_TYPE(CGM, 1000);
ZMX_RECORD_TYPE(CNS, 1000);
ZMX_RECORD_TYPE(CLDOF, 1000);
ZMX_RECORD_TYPE(CONTRO, 2000);
ZMX_RECORD_TYPE(COUNT, 1000);
ZMX_RECORD_TYPE(CEOSZ, 1000);
// Address ranges of the record kinds of the slide-line database.
ZMX_RECORD_TYPE(CSLEF, 1000);
ZMX_RECORD_TYPE(CSLNF, 1000);
ZMX_RECORD_TYPE(CSLES, 1000);
ZMX_RECORD_TYPE(CSLNS, 1000);
ZMX_RECORD_TYPE(CSLV, 1000);
// Warning counters, error measures, energies and averaging factors of the analysis programs.
ZMX_RECORD_TYPE(CWARN, 1000);
ZMX_RECORD_TYPE(CERROR, 1000);
ZMX_RECORD_TYPE(CENEGY, 1000);
ZMX_RECORD_TYPE(CAVRGK, 1000);
// Substructure state: word 8707 of CNDEXS is the substructure-output-database-open flag; CDSINX
// the index record of the current substructure, CDSMNX the substructure library's index words.
ZMX_RECORD_TYPE(CNDEXS, 9000);
ZMX_RECORD_TYPE(CDSINX, 1000);
ZMX_RECORD_TYPE(CDSMNX, 1000);

extern "C" {
ZMX_EXPORT extern CLINES_t CLINES;
ZMX_EXPORT extern CPROG_t CPROG;
ZMX_EXPORT extern CJBPAR_t CJBPAR;
ZMX_EXPORT extern CHEAD_t CHEAD;
ZMX_EXPORT extern CWORK_t CWORK;
ZMX_EXPORT extern CSP_t CSP;
ZMX_EXPORT extern CBUFFA_t CBUFFA;
ZMX_EXPORT extern CGN_t CGN;
ZMX_EXPORT extern CGM_t CGM;
ZMX_EXPORT extern CNS_t CNS;
ZMX_EXPORT extern CLDOF_t CLDOF;
ZMX_EXPORT extern CONTRO_t CONTRO;
ZMX_EXPORT extern COUNT_t COUNT;
ZMX_EXPORT extern CEOSZ_t CEOSZ;
ZMX_EXPORT extern CSLEF_t CSLEF;
ZMX_EXPORT extern CSLNF_t CSLNF;
ZMX_EXPORT extern CSLES_t CSLES;
ZMX_EXPORT extern CSLNS_t CSLNS;
ZMX_EXPORT extern CSLV_t CSLV;
ZMX_EXPORT extern CWARN_t CWARN;
ZMX_EXPORT extern CERROR_t CERROR;
ZMX_EXPORT extern CENEGY_t CENEGY;
ZMX_EXPORT extern CAVRGK_t CAVRGK;
ZMX_EXPORT extern CNDEXS_t CNDEXS;
ZMX_EXPORT extern CDSINX_t CDSINX;
ZMX_EXPORT extern CDSMNX_t CDSMNX;
}

namespace eqc_records {

// CLINES
inline constexpr int kInputUnit = 12;    // 5
inline constexpr int kPrintUnit = 13;    // 6
inline constexpr int kMessageUnit = 14;  // 7 in the pre-processor, else 6

// CPROG: 0 implicit analysis or a results-reading program, 1 pre-processor, 2 explicit
// analysis, -1 not set.
inline constexpr int kProgramKind = 1;

// CJBPAR: character positions of its strings.
inline constexpr int kJobStringLength = 256;
inline constexpr int kJobNameFirst = 1;             // string 1
inline constexpr int kJobDirectoryFirst = 1537;     // string 7, ends in its separator
inline constexpr int kSecondDirectoryFirst = 2049;  // string 9
inline constexpr int kLibraryNamesFirst = 2305;     // 500 names of 80 characters
inline constexpr int kLibraryNameLength = 80;
inline constexpr int kLibraryNames = 500;

// CWORK
inline constexpr int kResultsForm = 26;  // 1 ASCII, 2 binary
inline constexpr int kQuietEndOfData = 30;  // 1: end of data on a sequential read gives status alone

// CNDEXS
inline constexpr int kSubstructureOdbOpen = 8707;

// CSP
inline constexpr int kWorkSpaceWords = 2;
inline constexpr int kWorkSpaceBase = 3;  // byte address of work-space word 1

// CONTRO
inline constexpr int kFiniteRotations = 2;  // 0: vectors are copied, not rotated

// CSLV: first and end (exclusive) address of the slave-surface records.
inline constexpr int kSlaveSurfaceFirst = 7;
inline constexpr int kSlaveSurfaceEnd = 8;

}  // namespace eqc_records

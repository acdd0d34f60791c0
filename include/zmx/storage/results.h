// Results file in binary and ASCII form and the results units of user programs.
#pragma once

#include "zmx/types.h"
#include "zmx/record_types.h"

// ---- Results file, results units, run-wide defaults, orderly exit ---------------------------


// Records of the results file: 8-byte words, word 1 the record length L (itself included) and
// word 2 the key, both integer-valued reals. Key 2001 ends a file. The binary form packs the
// records into blocks of 512 words; the ASCII form writes them as tagged items in 80-column
// lines. Every routine reports through a trailing status: 0 success, 1 failure or end of data,
// 2 a record written or read with conversion errors or read after a damaged record was skipped.

// Descriptor of the first results stream in binary form.
ZMX_RECORD_TYPE(CDFILE, 8);
// Descriptor of the second results stream (unit 9) in binary form, and its block buffer.
ZMX_RECORD_TYPE(CDFILR, 6);
ZMX_RECORD_TYPE(CDFILS, 2 * 512);
// Word 1: form of the second stream, 1 ASCII, anything else binary.
ZMX_RECORD_TYPE(COUTF, 2);
// ASCII descriptors of the first and second stream, and the line buffers: characters 1-128 the
// active line, 129-256 the second stream's line while the first is active, 257-384 a save area.
ZMX_RECORD_TYPE(CDAFLE, 6);
ZMX_RECORD_TYPE(CDAFLR, 6);
ZMX_RECORD_TYPE(CDFLAS, 384 / 4);
// Results units of user programs: eight columns of 30 words (one row per unit 1 to 30), the
// parked block buffers of binary units (512 words each) and line buffers of ASCII units (128
// characters each).
ZMX_RECORD_TYPE(CDPF, 8 * 30);
ZMX_RECORD_TYPE(CDFILB, 30 * 2 * 512);
ZMX_RECORD_TYPE(CDFILA, 30 * 128 / 4);
// Field labels: eight conjugate names of 9 characters, then eight field names of 8.
ZMX_RECORD_TYPE(CFLDLB, (8 * 9 + 8 * 8) / 4);
// Dynamic-procedure values and the output-database state.
ZMX_RECORD_TYPE(CDYN, 100);
ZMX_RECORD_TYPE(CODB, 64);

extern "C" {
ZMX_EXPORT extern CDFILE_t CDFILE;
ZMX_EXPORT extern CDFILR_t CDFILR;
ZMX_EXPORT extern CDFILS_t CDFILS;
ZMX_EXPORT extern COUTF_t COUTF;
ZMX_EXPORT extern CDAFLE_t CDAFLE;
ZMX_EXPORT extern CDAFLR_t CDAFLR;
ZMX_EXPORT extern CDFLAS_t CDFLAS;
ZMX_EXPORT extern CDPF_t CDPF;
ZMX_EXPORT extern CDFILB_t CDFILB;
ZMX_EXPORT extern CDFILA_t CDFILA;
ZMX_EXPORT extern CFLDLB_t CFLDLB;
ZMX_EXPORT extern CDYN_t CDYN;
ZMX_EXPORT extern CODB_t CODB;
}

namespace zmx::results {

inline constexpr int kBlockWords = 512;
inline constexpr int kLineLength = 80;
inline constexpr int kLineBuffer = 128;
inline constexpr int kEndKey = 2001;
// Longest record a reader stores when the caller gives no size of its array.
inline constexpr int kMaxRecordWords = 514;
inline constexpr int kResultsUnits = 30;

// CDFILE words.
inline constexpr int kBlockLength = 1;
inline constexpr int kUnit = 2;
inline constexpr int kBlockCount = 3;
inline constexpr int kBufferBase = 4;
inline constexpr int kPosition = 5;
inline constexpr int kState = 6;
inline constexpr int kLengthCheckOff = 7;
inline constexpr int kRunDefaultsMark = 8;
// CDFILR words.
inline constexpr int kSecondBlockLength = 1;
inline constexpr int kSecondUnit = 2;
inline constexpr int kSecondBlockCount = 3;
inline constexpr int kSecondPosition = 4;
inline constexpr int kSecondState = 5;
inline constexpr int kSecondInitMark = 6;
// CDAFLE and CDAFLR words.
inline constexpr int kLineLengthWord = 1;
inline constexpr int kLineUnit = 2;
inline constexpr int kLinePosition = 3;
inline constexpr int kLineLast = 4;
inline constexpr int kLineState = 5;
// CDPF columns.
inline constexpr int kDefined = 1;
inline constexpr int kSavedLength = 2;
inline constexpr int kSavedBlockCount = 3;
inline constexpr int kSavedBase = 4;
inline constexpr int kSavedPosition = 5;
inline constexpr int kSavedState = 6;
inline constexpr int kSavedLast = 7;
inline constexpr int kUnitForm = 8;
// Forms.
inline constexpr int kAscii = 1;
inline constexpr int kBinary = 2;

// Word of CDPF column `column` for unit u.
constexpr int unitWord(int column, int unit) { return kResultsUnits * (column - 1) + unit; }

}  // namespace zmx::results

extern "C" {
// Block-buffered transfer of 8-byte words over a caller-kept block state. buffer is the unit's
// block buffer (block length words). Operation 0 reads count words into data, 1 writes them,
// 2 rewinds, 3 (and above) writes out a modified buffer and rewinds. status is set by the
// sequential unit layer only.
ZMX_EXPORT void DBSEQ(const Int* operation, void* buffer, void* data, const Int* count, Int* position,
                      const Int* unit, const Int* blockLength, Int* blockCount, Int* state, Int* status);
// One record on the first results stream (binary or ASCII as CWORK word 26 says). Mode 0 reads,
// 1 writes, 2 rewinds, 3 writes out and rewinds, 10 and above ends the file.
ZMX_EXPORT void SHR_DBFILE(const Int* mode, Real* record, Int* status);
// Writes a record to the second results stream; a record with key 2001 ends the stream.
ZMX_EXPORT void SHR_DBFILW(const Int* mode, Real* record, Int* status);
// One record on a user-named file: operation 0 reads, 1 writes, 2 and above are handed to the
// user-file table. form 1 is ASCII, anything else binary.
ZMX_EXPORT void DBFILF(const Int* operation, Real* record, Int* unit, const char* name, Int nameLength,
                       const Int* form, Int* status);
// Called once the end record of the first stream is out; does nothing.
ZMX_EXPORT void DBFIN(const Int* unit);

// The ASCII codec over the active descriptor CDAFLE and line buffer (CDFLAS characters 1-128):
// operation 0 reads a record, 1 writes one, 10 ends the stream, others go to the line layer.
ZMX_EXPORT void DBFILA(const Int* operation, Real* record, Int* status);
// Line layer: 0 reads a line, 1 writes one, 10 finishes a written stream, 2 finishes and
// rewinds; other operations go to the sequential unit unchanged.
ZMX_EXPORT void DBSEQA(const Int* operation, char* buffer, Int bufferLength, Int* position, const Int* unit,
                       const Int* lineLength, Int* last, Int* state, Int* status);
// Writes items next..lastInteger as integers, then up to lastReal as reals, advancing next.
ZMX_EXPORT void AFILCH(const Int* operation, const Int* lastInteger, const Int* lastReal, Int* next, Real* record,
                       Int* status);
// Item writers: one item of the word at text (at most textLength characters are written);
// each returns the characters it used and sets status 0 or 2.
ZMX_EXPORT Int AINTCH(Real* word, char* text, Int textLength, Int* status);
ZMX_EXPORT Int ADRLCH(Real* word, char* text, Int textLength, Int* status);
ZMX_EXPORT Int ARCHCH(Real* word, char* text, Int textLength, Int* status);
// Item readers: text starts at the item's tag; at most textLength characters are read.
ZMX_EXPORT Int ACHINT(Real* word, const char* text, Int textLength, Int* status);
ZMX_EXPORT Int ACHDRL(Real* word, const char* text, Int textLength, Int* status);
ZMX_EXPORT Int ACHRCH(Real* word, const char* text, Int textLength, Int* status);

// Results units of user programs: declares the units of LRUNIT(2, count) (unit, form) and opens
// their files; makes a declared unit current; the starting values of the results streams; and a
// block of n 4-byte words from the heap as an address word (0 when none is left).
ZMX_EXPORT void SHR_INITPF(const char* name, Int nameLength, const Int* count, const Int* units,
                           const Int* outputForm);
ZMX_EXPORT void SHR_DBRNU(const Int* unit);
ZMX_EXPORT void INITF();
ZMX_EXPORT Int SHR_DBGETM(const Int* n);

}

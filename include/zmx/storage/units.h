// Sequential units, user-named files, the debug dump, size reports and the wave file.
#pragma once

#include "zmx/types.h"
#include "zmx/record_types.h"

// ---- Sequential units, user-named files, debug dump, size reports, wave file ----------------

// Sequential job files (unformatted blocks of 8-byte words and lines of text), opened on first
// use by a fixed rule per unit number; CBUFFA word u counts the calls on unit u.
// CERRCD word 1: I/O error code of the explicit program (1 an open failed, 2 a write failed).
ZMX_RECORD_TYPE(CERRCD, 2);
extern "C" {
ZMX_EXPORT extern CERRCD_t CERRCD;
// op 0 read, 1 write, 2 rewind, 4 report an error, 5 close, 6 close and delete; status 0 or 1.
ZMX_EXPORT void DBSA(const Int* unit, void* buffer, const Int* n, const Int* op, Int* status);
ZMX_EXPORT void DBSAR(const Int* unit, void* buffer, const Int* n, Int* counters, Int* spare, Int* status);
// op 0 read, 1 and 10 write, 2 rewind, 4 report an error; one line of n characters.
ZMX_EXPORT void DBSASC(const Int* unit, char* text, Int textLength, const Int* n, const Int* op, Int* status);
ZMX_EXPORT void DBSASR(const Int* unit, char* text, Int textLength, const Int* width, const Int* n, Int* endFlag,
                       Int* errorFlag);
// type 1 formatted (first character '*'), 2 unformatted; status 0 found, 1 not.
ZMX_EXPORT void DBFLTP(const Int* unit, Int* type, Int* status);
// The same test on a given file name; word receives the first integer of an unformatted file.
ZMX_EXPORT void DBFLTP1(const Int* unit, Int* type, const char* name, Int nameLength, Int* word, Int* status);
// Reopens the printed-output unit of CLINES on the named file for appending; ends the job when
// it cannot.
ZMX_EXPORT void SHR_REOPENDATAFILE(const char* name, Int nameLength);
}

// User-named files, at most 20. CUSRFN: word 1 entries in use, word 2 the maximum (20), words 3
// to 22 the unit of each entry (negative: closed since). CUSRFI: the 80-character names.
ZMX_RECORD_TYPE(CUSRFN, 22);
ZMX_RECORD_TYPE(CUSRFI, 20 * 80 / 4);
extern "C" {
ZMX_EXPORT extern CUSRFN_t CUSRFN;
ZMX_EXPORT extern CUSRFI_t CUSRFI;
// op 0 open for reading, 1 for writing, 2 rewind, 4 empty the table, 5 close and forget, 6 close
// all; type 1 formatted, 2 unformatted; outunit the unit to use; status 0 or 1.
ZMX_EXPORT void DBUSRF(const Int* op, Int* unit, Int* outunit, const char* name, Int nameLength, const Int* type,
                       Int* status);
}

// Debug dump. CDWFIL word 1: the dump unit (-1 off, 0 the job's log, 6 standard output, the
// printed-output or message unit of CLINES, 201 the dump file); word 2: the largest count DWGN
// dumps without a warning; characters 9 to 263: the name of the file on unit 201.
ZMX_RECORD_TYPE(CDWFIL, 68);
extern "C" {
ZMX_EXPORT extern CDWFIL_t CDWFIL;
// Selects the target: "off", blank (the default), ".dat", ".log", ".msg" (pre-processor), an
// extension of the job name or a file name; a leading '>' replaces the file instead of appending.
ZMX_EXPORT void DWTO(const char* name, Int nameLength);
ZMX_EXPORT void DWMKNAME(char* result, Int resultLength, const char* base, Int baseLength, const char* directory,
                         Int directoryLength, const char* extension, Int extensionLength);
ZMX_EXPORT void DW2I(const char* label, Int labelLength, const Int* first, const Int* second);
ZMX_EXPORT void DW2R(const char* label, Int labelLength, const Real* first, const Real* second);
ZMX_EXPORT void DWCH(const char* label, Int labelLength);
ZMX_EXPORT void DWAI(const char* label, Int labelLength, const Int* a, const Int* m, const Int* n);
ZMX_EXPORT void DWAR(const char* label, Int labelLength, const Real* a, const Int* m, const Int* n);
ZMX_EXPORT void DWTAI(const char* label, Int labelLength, const Int* a, const Int* m, const Int* n);
ZMX_EXPORT void DWTAR(const char* label, Int labelLength, const Real* a, const Int* m, const Int* n);
ZMX_EXPORT void DWVI(const char* label, Int labelLength, const Int* v, const Int* n);
ZMX_EXPORT void DWVR(const char* label, Int labelLength, const Real* v, const Int* n);
ZMX_EXPORT void DWGN(const char* label, Int labelLength, const void* words, const Int* n);
ZMX_EXPORT void DWGR(const char* label, Int labelLength, const void* record);
// One 8-byte word as DWGN shows it, blank-padded into text; length the characters used.
ZMX_EXPORT void DWGP1(const void* word, char* text, Int textLength, Int* length);
ZMX_EXPORT void DWSLDB(void* buffer);
ZMX_EXPORT void DWENICS(const Int* codes, const Int* values, const Int* n, const Int* unit, const Int* nodeDatabase,
                        const Int* nodeIndex);
}
// The body of DWGP1: the word seen as a real, as two integers and as 8 bytes, written as a
// terminated text (at most 64 characters with its terminator); returns its length.
ZMX_EXPORT int dwgp(const double* real, const int* integers, const char* bytes, char* text, int* length);

// Size reports on the printed-output unit. CNSIZ words 2 to 17: expected sizes in words of the
// 16 data-base units of the solver's unit list; words 24 to 26: the three restart-file sizes.
ZMX_RECORD_TYPE(CNSIZ, 32);
extern "C" {
ZMX_EXPORT extern CNSIZ_t CNSIZ;
ZMX_EXPORT void PRINTPROBLEMSIZE();
ZMX_EXPORT void PRINTRESTARTFILESIZE();
// sizes: megabytes of the solver factor, operator and solution files and of the Lanczos vector,
// eigenvector and scratch files.
ZMX_EXPORT void PRINTSPARSESOLVERSIZEINFO(const Int* units, const Real* sizes, const Real* total, const Real* upperBound,
                                          const Int* lanczos, const Int* wavefront, const Real* operations);
}

// Wave-kinematics data file on unit 46. CPLDBPT word 5: 0 closed, 1 open before its first
// record, 2 header and grid read. op 0 open (the 32-character name coded at the start of the
// array), 1 close, 2 rewind, 10 read the header and grid into the array of 8-byte words.
ZMX_RECORD_TYPE(CPLDBPT, 8);
extern "C" {
ZMX_EXPORT extern CPLDBPT_t CPLDBPT;
ZMX_EXPORT void DBPELACONTROL(const Int* op, void* array, Int* status);
}

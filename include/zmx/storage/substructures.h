// Substructure libraries, degree-of-freedom activation and part maps.
#pragma once

#include <vector>

#include "zmx/types.h"

// ---- Substructure libraries and part maps -----------------------------------------------------

class cow_String;

extern "C" {
// Opens, keeps or closes the substructure library of the selection and enters a substructure.
// operation 1 enters, 2 opens only; request 0 closes the selection, otherwise it is the number
// of the substructure in the library. status: positive selects the caller's row of the in-core
// store; negative uses the substructure under its own (third) name. prtFlag receives 1 when the
// substructure's ".prt" can be used. stateHandle and odbHandle (-1: none yet) receive the
// substructure's state file and output database. limit is the caller's work-array size, grown
// to hold the index words; indexWords receives the index record as 4-byte integers (CDSINX word
// 281 of them). Names: the library (80 characters), the job's working name, the substructure's
// long label and its identifier "Z<n>" (160 each).
ZMX_EXPORT void DBSUPERLIB(const Int* operation, const Int* request, Int* status, Int* prtFlag, const Int* row,
                           Int* stateHandle, Int* odbHandle, Int* limit, void* indexWords, const char* library,
                           Int libraryLength, char* second, Int secondLength, char* third, Int thirdLength,
                           char* fourth, Int fourthLength);
// Library names and long labels by operation: 0 hands out the names table, the index record,
// the library number and the selection context (7 words); 1, 2 and 4 write the index record
// back; 3 and 5 take the names table and switch to library `request`; names is a table of
// 500 entries of 81 characters.
ZMX_EXPORT void GETSUPLIBNAME(const Int* operation, const Int* request, Int* indexArray, Int* context,
                              Int* libraryNumber, Int* dofWord, Int* dbHandle, char* name, Int nameLength,
                              char* names, Int namesLength, char* second, Int secondLength);
// Closes the selection, writing back the library's index words when they changed.
ZMX_EXPORT void SUPCLS();
// Compacts the open library file (block count must be 29).
ZMX_EXPORT void DBSUPC(Int* indexRecords, Int* entries, Real* buffer, const Int* blockCount, const Int* bufferLength);
// active(k) := 1 for each dof k that the flags or a retained code of the first `nodes` nodes
// make active; a retained code is 100 (node - 1) + dof.
ZMX_EXPORT void SHR_SUBSTRACTIVEDOF(Int* active, const Int* codes, const Int* n, const Int* nodes, const Int* flags);
// Completes the retained codes so that each node carries whole groups (at most 6 codes per node).
ZMX_EXPORT void SHR_SUPACT(Int* codes, Int* n, const Int* nodes);
}

extern "C" {
// Part maps: the named substructure's map (name + ".prt" in the input directory), the job's
// global map, closing the current map unsaved, and clearing the substructure-odb-open word.
ZMX_EXPORT void SHR_MAKEPRTMAPCURRENT(const char* name, Int nameLength);
ZMX_EXPORT void SHR_MAKEGLOBALPRTMAPCURRENT();
ZMX_EXPORT void SHR_CLOSENOSAVEPRTMAPCURRENT();
ZMX_EXPORT void SHR_CLOSESUBSTRODB();
}

// Plain-call forms: the names as strings; indexWords is the address word of the index words
// (0: none). dbSuperLibC copies the third and fourth names back (and the second when the status
// comes back negative); getsuplibnameC lays the list into the names table for operations 3
// and 5, and appends the names handed out by operation 0 (up to the first empty one, 499 at most).
ZMX_EXPORT void dbSuperLibC(int operation, int request, int& status, cow_String& library, cow_String& second,
                            int& prtFlag, int& stateHandle, int& odbHandle, cow_String& fourth, cow_String& third,
                            int& limit, int row, int indexWords);
ZMX_EXPORT void getsuplibnameC(int operation, int request, Int* indexArray, Int* context, int& libraryNumber,
                               int& dofWord, cow_String& name, std::vector<cow_String>& names, int& dbHandle,
                               cow_String& second);

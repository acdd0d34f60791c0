// Run services of eqc as the library calls them (upper-case convention): the end of a job, the
// date and time texts, packed text, the release identifier and small fill routines.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// Closing messages of the job, and its end: XITJOB ends the job through BCU_EXIT with code 0.
ZMX_EXPORT void XITMSG();
ZMX_EXPORT void XITJOB();

// Date as "MM-DD-YYYY" and time as "HH:MM:SS", cut or blank-padded to the caller's field.
ZMX_EXPORT void LXDATE(char* date, Int dateLength);
ZMX_EXPORT void LXTIME(char* time, Int timeLength);

// Packed text: count characters four to a 4-byte word, in order; the last word is padded with
// blanks. INTGTOCHAR moves count characters (by value) out of the words into the caller's field.
ZMX_EXPORT void LFC_XUT_CHARTOINTG(const char* text, Int textLength, Int count, Int* words);
ZMX_EXPORT void LFC_XUT_INTGTOCHAR(char* text, Int textLength, Int count, const Int* words);

// The suite's release identifier: 8 characters packed into the two words at word.
ZMX_EXPORT void IFC_GETVERSIONNUMBER(Int* word);

// Blank-fills count 8-character words.
ZMX_EXPORT void BCU_SET_BLANK(void* text, const Int* count);

// Job timing switch; this stand-in only notes the call.
ZMX_EXPORT void JOBTIME(const Int* first, const Int* second);
}

// Output-variable names and keys, and the output-variable descriptors that the output-database
// writer reads from CDWSP.
//
// An output variable key is the variable number of a whole variable, or the variable number times
// 1000 plus the component for one component; 99999 marks an unused table row and 0 a variable
// that a request kind does not offer. Names are 8 characters, blank-padded, upper case; a NAMES
// argument is an array of such names (its address followed by the element length, 8).
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Descriptors of the variables of one output request: word 1 the number of entries (at most 40),
// words 2 to 5 the first entry of each of up to four variables, words 122 to 241 three columns of
// 40 sizes, word 242 element (1) or nodal (0), word 243 a work-space difference.
ZMX_RECORD_TYPE(CDWSP, 244);

extern "C" {
ZMX_EXPORT extern CDWSP_t CDWSP;

// ---- names and keys ----------------------------------------------------------------------------

// Element vocabulary. KIND 1 turns KEYS into NAMES; any other request kind selects a key table and
// turns NAMES into KEYS (OK 1, or 0 when a name failed). KIND 50036 and 50207 come back as 36 and
// 207. SEL is not consulted; PFLAG is the caller's program flag (0 or 1).
ZMX_EXPORT void ELVRID(Int* keys, char* names, Int namesLength, const Int* n, Int* kind, Int* ok, const Int* sel,
                       const Int* pflag);
// Nodal vocabulary; OK is set to 0 on entry. FLAG selects between key tables for some kinds.
ZMX_EXPORT void NDVRID(Int* keys, char* names, Int namesLength, const Int* n, const Int* kind, Int* ok,
                       const Int* flag);
// Modal and generalized vocabulary.
ZMX_EXPORT void NMVRID(Int* keys, char* names, Int namesLength, const Int* n, const Int* kind, Int* ok);
// Keys to names over a variable table of NT rows and NS numbered stems.
ZMX_EXPORT void ENMID1(const Int* keys, char* names, Int namesLength, const Int* n, const char* tableNames,
                       Int tableNameLength, const Int* tableKeys, const char* stemNames, Int stemNameLength,
                       const Int* stemLengths, const Int* stemBases, const Int* ns, const Int* nt);
// Names to keys; SAVAIL gives the availability of each stem, NUMOK whether numbered names are
// accepted at all; OK comes back 1 unless a name failed.
ZMX_EXPORT void ENMID2(Int* keys, const char* names, Int namesLength, const Int* n, const Int* kind,
                       const char* tableNames, Int tableNameLength, const Int* tableKeys, const char* stemNames,
                       Int stemNameLength, const Int* stemLengths, const Int* stemBases, const Int* ns,
                       const Int* savail, const Int* nt, const Int* numok, Int* ok);
// One load-type name: MODE 1 turns NAME ("L" and the load type) into KEY (3011 to 3155), any
// other MODE turns KEY into the load-type name. OK 1, or 0 when the name or key is not a load type.
ZMX_EXPORT void ENMLD(char* name, Int nameLength, Int* key, const Int* mode, Int* ok);
// Substitution of an obsolete element key. MODE 1 only asks (comes back 1 when KEY has a
// substitute); any other MODE comes back 0 with KEY replaced. PRINT 1 reports the replacement.
ZMX_EXPORT void SHR_ERELOP(Int* key, Int* mode, Int* pass, const Int* print);
// Offers an element key (and its 80-character label) as the default element output key of CODB.
ZMX_EXPORT void SHR_ELDEFV(const Int* key, const char* label, Int labelLength);
ZMX_EXPORT void SHR_ELDEFVDDB(const Int* key, const void* unused);

// ---- descriptors -------------------------------------------------------------------------------

// Element output descriptors of the variables at positions START to START + 3 of the request
// record REC (8-byte slots); NSP receives the number of section points.
ZMX_EXPORT void EJODBO(const Int* npt, const Int* nval, Int* nsp, const void* rec, const Int* start);
// Nodal output descriptors; MODE 0 takes the variable list of REC from its slot 7, any other MODE
// the count from slot 1 and the keys from slot 1 + s.
ZMX_EXPORT void NJODBO(const void* rec, const Int* nval, const Int* mode, const Int* start);
// Output type of an element key (-1 absent) and of a nodal key with its component count.
ZMX_EXPORT void GETEOTYP(const Int* key, Int* type);
ZMX_EXPORT void GETNOTYP(const Int* key, Int* type, Int* ncomp);
// Tensor type (7 to 11) of an element tensor key for the element of the request record.
ZMX_EXPORT void ETENSOR(const void* rec, const Int* key, Int* ttype);
// Number of components of an element variable; OK 0 (and NCOMP 0) for a key it does not know.
ZMX_EXPORT void ELOPS1(const Int* key, Int* ncomp, Int* ok, const Int* ndi, const Int* nshr, const Int* ntens,
                       const Int* x7, const Int* x8, const Int* x9, const Int* x10, const Int* x11, const Int* etype);
// Components of a nodal variable; MODE 1 also writes their keys into LIST (8-byte slots).
ZMX_EXPORT void GETNDCOMP(const Int* key, void* list, Int* ncomp, const Int* mode);
// Section-force components IN laid out as the database's two tensors in OUT (9 reals).
ZMX_EXPORT void ELDBTEN1(Real* out, const Real* in, const Int* etype, const Int* na, const Int* nb, Int* dims,
                         Int* kinds);
}

namespace zmx::model_testing {
// Restores the key tables that request kinds change at run time to their first contents.
ZMX_EXPORT void resetOutputKeyTables();
}  // namespace zmx::model_testing

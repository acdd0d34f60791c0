// The shared-memory block store of the glo stand-in, as the import reader calls it.
//
// A folder is one database file (named by the run-time file name of its unit, see LXPENV),
// read whole when it is opened: partitions named by (number, instance, key), each a list of
// numbered blocks of 4-byte words. The store hands out copies of stored blocks and zero-filled
// scratch blocks carved from the caller's base array; an index counts 4-byte words of that
// array from 1. Upper-case convention: extern "C", every argument by pointer.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// Starts the store on the base array given by its address word; every block is carved from that
// word to the end of the mapped block that holds it. The other arguments are not used.
ZMX_EXPORT void DSM_MAN_START(const Int* mode, const Int* base, const Int* second, const Int* third);
// Ends the store: folders and partitions close; blocks not given back stay counted.
ZMX_EXPORT void DSM_MAN_END();

// Opens the folder of a unit from the file named by "FOR" and the unit in four digits; a missing
// file leaves the folder empty, a damaged one too (reported at level -3).
ZMX_EXPORT void DSM_FOL_OPEN(const Int* unit, const Int* mode);
ZMX_EXPORT void DSM_FOL_CLOSE(const Int* unit, const Int* mode);
// status 0 when the folder of the unit holds a database, 1 when it is closed, missing or damaged.
ZMX_EXPORT void DSM_FOL_STATUS(const Int* unit, Int* status);

// Makes a handle in a word that is 0 (mode 16 read, 512 scratch); a non-zero word is kept.
ZMX_EXPORT void DSM_PAR_INIT(const Int* mode, Int* handle);
// First (last) stored partition of the number whose instance (when non-zero on entry) and key
// (when non-zero on entry) match; instance and key receive its own, 0 and 0 when none.
ZMX_EXPORT void DSM_PAR_FINDFIRST(const Int* unit, const Int* number, Int* instance, const Int* one, Int* key);
ZMX_EXPORT void DSM_PAR_FINDLAST(const Int* unit, const Int* number, Int* instance, const Int* one, Int* key);
// Binds the handle to the stored partition (number, instance, key); unbound when there is none.
ZMX_EXPORT void DSM_PAR_OPEN(const Int* unit, const Int* handle, const Int* number, const Int* instance,
                             const Int* one, const Int* key);
ZMX_EXPORT void DSM_PAR_CLOSE(const Int* handle);

// Kind 17 or 18: a copy of stored block number block (from 1) of the handle's partition, length
// words long; kind 1 or 2 with block 0: a zero-filled scratch block (scratch handle). index
// receives the block's first word in the base array, or 0 (reported) when it cannot be had.
ZMX_EXPORT void DSM_BLO_ACCESS(const Int* kind, const Int* handle, const Int* block, const Int* length, Int* index);
// Gives the block back (kinds 1, 2, 17, 18). 134217729 does nothing; any other word that is not
// a block handed out is reported and ignored.
ZMX_EXPORT void DSM_BLO_RELEASE(const Int* kind, const Int* index);

// n words copied, or set to one value; single precision for the real forms.
ZMX_EXPORT void GLO_UTI_COPYI(const Int* n, const Int* from, Int* to);
ZMX_EXPORT void GLO_UTI_COPYR(const Int* n, const float* from, float* to);
ZMX_EXPORT void GLO_UTI_BROADCASTI(const Int* n, const Int* value, Int* to);
ZMX_EXPORT void GLO_UTI_BROADCASTR(const Int* n, const float* value, float* to);
}

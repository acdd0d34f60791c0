// Record copies of the eqc stand-in that never run past the room the caller has. DBSL and DBML
// copy a whole record, as long as the record says it is; the library reads every record through
// these forms instead, so a damaged or unexpected record can never overrun its buffer.
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_types.h"

namespace eqc {

// Copies the slide-line record at address into buffer (8-byte slots) when its length is at most
// room slots; true when copied. An address outside the database is reported as DBSL reports it,
// a record longer than room at level -3; then nothing is copied and the result is false.
ZMX_EXPORT bool readSlideLineRecord(Int address, void* buffer, long long room);

// The same read into storage of the caller's own, sized to the record and padded with zero slots
// to at least atLeast slots (slots the record does not have read as 0). False, with the storage
// all zeros, when the record cannot be read (reported as above, or as a memory failure).
ZMX_EXPORT bool readSlideLineRecord(Int address, std::vector<Real>& record, std::size_t atLeast = 0);

// Room in 8-byte slots of a caller's buffer that lies in the 32-bit address space (a work space
// or a block of the analysis database): the slots to the end of its block. -1 for a buffer
// outside it, whose room is not known.
inline long long knownRoom(const void* buffer) {
  const Int word = mem32::wordOf(buffer);
  return word != 0 ? static_cast<long long>(mem32::bytesFrom(word) / sizeof(Real)) : -1;
}

// DBML operation 0 into a buffer of room 8-byte slots: length words (0: the record's own
// length) at the absolute address of block. A record longer than room is not copied: status 1
// and the address unchanged, as for a bad address. Otherwise as DBML.
ZMX_EXPORT void readMlRecord(Int block, Int length, void* buffer, long long room, Int* address, Int* status);

}  // namespace eqc

// The one rule for a caller's work array that a routine grows through DBCORE.
//
// A routine asks DBCORE where it needs more of the caller's array; DBCORE books the memory,
// raises the caller's count and the run's tally, and reports when it cannot. In this process it
// cannot lengthen an array the host has already handed over, so the library writes a caller's
// array only within the room it knows: to the end of the array's block when the array lies in
// the address space, otherwise the count the caller passed. A host that keeps its work memory in
// the address space thus gets every word a routine asks for. Beyond the room, work that only the
// routine reads goes to storage of its own; words the caller reads back are refused as a failed
// DBCORE is ("MEMORY FAILURE." at level -3).
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::units {

// What a request for units of a caller's array came to.
enum class Growth {
  kInArray,     // the array holds them
  kBeyondRoom,  // DBCORE has booked them, but the array cannot hold them (nothing reported)
  kFailed,      // DBCORE could not book them and has reported it
};

// The room of a caller's array, found once per call: a lookup in the address space is not free.
class WorkRoom {
 public:
  // Units of array (perSlot of them to an 8-byte slot) to the end of its block when it lies in
  // the address space, else `passed`, the count its caller gave.
  WorkRoom(const void* array, long long passed, int perSlot = 1);

  long long units() const { return units_; }
  bool holds(long long need) const { return need <= units_; }
  // The room of the part of the array that starts `units` further on.
  WorkRoom after(long long units) const { return WorkRoom(units_ - units); }

  // Asks DBCORE for need units against limit, as the routine asks it, and says whether the
  // array holds them.
  Growth grow(long long need, Int* limit) const;
  // grow() for words the caller reads back: true when the array holds them; otherwise refused,
  // reported as a memory failure (once: a failed DBCORE has reported it), and false.
  bool growOrRefuse(long long need, Int* limit) const;

 private:
  explicit WorkRoom(long long units) : units_(units) {}
  long long units_;
};

// "MEMORY FAILURE." at level -3: what DBCORE reports when it cannot grow the memory, and what a
// request beyond a work array's room is refused with.
void reportMemoryFailure();

}  // namespace zmx::units

// What the rigid tree query and its callers check of a tree handed to them in the caller's array.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::contact {

// Words a tree node record holds: links, box and leaf facet.
inline constexpr Int kTreeRecordWords = 10;

// Reports the rigid tree query's damaged-tree message at level -3.
void reportInvalidRigidTree();

// Bytes from p to the end of its block when p lies in the 32-bit address space, else -1 (room
// not known).
long long knownBytes(const void* p);

}  // namespace zmx::contact

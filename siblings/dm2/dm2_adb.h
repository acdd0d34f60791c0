// The analysis database of the dm2 stand-in, as this library calls it: nodes, elements, their
// variable layouts, global memory blocks and temporary blocks. Upper-case convention: extern
// "C", every argument by pointer.
//
// Handles and addresses are address words of the process-wide 32-bit space (mem32):
// - node database handle: a word of tag kNodeDatabaseTag (dm2_testing::nodeDatabase());
// - node reference (ADB_GETNODE): a word of tag kNodeTag;
// - element handle: the word of the element's layout (tag kLayoutTag); ELAYOACCESS hands the
//   same word back as the layout handle, so every routine that takes a layout also takes the
//   element handle;
// - sub-layouts: words of tag kLayoutTag;
// - data handed back (records, lists, variables): words of tag kDataTag, resolved by callers
//   with mem32::at<Int> or mem32::at<Real>;
// - memory blocks (ADB_GLOBALMEMOPEN, ADB_GLOBALMEMOPENI, RDM_ALLOCATETEMPORARY): words of tag
//   kBlockTag, 8-byte aligned and zeroed when first made.
// A bad handle is reported at level -3 and never dereferenced; the routine then gives 0.
#pragma once

#include "runtime/address_space.h"
#include "runtime/fortran_types.h"

namespace dm2 {
inline constexpr mem32::Tag kNodeDatabaseTag = mem32::tag("ADBD");
inline constexpr mem32::Tag kNodeTag = mem32::tag("ADBN");
inline constexpr mem32::Tag kLayoutTag = mem32::tag("ADBL");
inline constexpr mem32::Tag kDataTag = mem32::tag("ADB.");
inline constexpr mem32::Tag kBlockTag = mem32::tag("ADBM");

// Words of the element-type record (ELEMACCESS operation 2).
inline constexpr int kTypeRecordWords = 80;
inline constexpr int kTypeCodeWord = 1;
inline constexpr int kFamilyCodeWord = 4;
inline constexpr int kDimensionWord = 7;
inline constexpr int kNodeCountWord = 36;
}  // namespace dm2

extern "C" {
// Node reference of the node with the internal index (from 1) in the node database.
ZMX_EXPORT Int ADB_GETNODE(const Int* nodeDatabase, const Int* index);

// Writes 0 into out first. Operation 0: the node record (word 1 the degree-of-freedom word,
// word 2 the user number); 1: the node's slide-line record addresses, their number into out;
// 2: the node's degree-of-freedom list, its length into out; 3: the user number into out,
// result 0. Any other operation is a system error and gives 0.
ZMX_EXPORT Int ADB_NODEACCESS(const Int* operation, const Int* node, Int* out);

// The element's layout handle; writes the section record address into section and the
// element's slide-line record address into record.
ZMX_EXPORT Int ELAYOACCESS(const Int* element, Int* section, Int* record);

// Writes 0 into out first. Operations that hand back a list or record write its length into
// out: 1 the node list (internal indices), 2 the element-type record, 4 the record address
// list, 10 the slide-line address list, 13 the degree-of-freedom entries (the node list when
// the element has none). Operations that give a value write it into out and return it:
// 0 the user element number, 3 the section record address, 15 the element's class value,
// 18 the slide-line record address. Any other operation is a system error and gives 0.
ZMX_EXPORT Int ELEMACCESS(const Int* operation, const Int* layout, Int* out);

// Operation 0: the index-th sub-layout of an element layout; operation 1: the index-th inner
// layout of a sub-layout. Indices from 1.
ZMX_EXPORT Int GETSUBLAYOUT(const Int* operation, const Int* layout, const Int* index);

// True when the layout holds the variable; rows and columns receive its two sizes (their
// product is its length), both 0 when it is absent.
ZMX_EXPORT Logical QUERYVAR(const Int* layout, const Int* id, Int* rows, Int* columns);

// Address of a real (DR read, DRW read and write, DW write) or integer (IR, IRW) variable of
// the layout; 0 when the layout has no such variable (a variable of the other kind is also
// reported).
ZMX_EXPORT Int GETVARDR(const Int* layout, const Int* id);
ZMX_EXPORT Int GETVARDRW(const Int* layout, const Int* id);
ZMX_EXPORT Int GETVARDW(const Int* layout, const Int* id);
ZMX_EXPORT Int GETVARIR(const Int* layout, const Int* id);
ZMX_EXPORT Int GETVARIRW(const Int* layout, const Int* id);

// Base address of the global block with the memory handle (as a named record holds it).
ZMX_EXPORT Int ADB_GLOBALMEMOPEN(const Int* handle);
// A new zeroed work block of size 4-byte words.
ZMX_EXPORT Int ADB_GLOBALMEMOPENI(const Int* size);
// Closes a block opened by one of the two above; a work block is freed.
ZMX_EXPORT void ADB_MEMCLOSE(const Int* address);

// A zeroed temporary block of size 8-byte words; it lives until RDM_RELEASETEMPORARY or until
// the model is reset.
ZMX_EXPORT Int RDM_ALLOCATETEMPORARY(const Int* size);
ZMX_EXPORT void RDM_RELEASETEMPORARY(const Int* address);
}

// Output-database writer: gathering of a substructure's model into the host's work array, the
// writer driver, element classes and connectors. Upper-case convention: every argument by
// pointer, a text followed by its length, arrays indexed from 1 in the arithmetic.
//
// The work array is an array of 8-byte slots (an integer in the low 4 bytes of its slot); its
// size in slots is the core count, which DBCORE raises as the regions need. The array is written
// only within its room (to the end of its block in the address space, else the core count as
// passed); a step that would run past it reports "MEMORY FAILURE." at level -3 and writes
// nothing.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Boundary-condition layout of the output database: first slots of the displacement, driven,
// pore and temperature records, and the slots per node row.
ZMX_RECORD_TYPE(CBCODB, 6);  // five words and the padding to 8 bytes

extern "C" {
ZMX_EXPORT extern CBCODB_t CBCODB;

// ---- gathering ---------------------------------------------------------------------------------

// Writes the substructure's model into a new output database (handle out) and leaves the result
// record in the work array: slot 1 the last slot used (0 when nothing was written), slot 2 the
// number of element classes, slot 3 the parts, slot 4 the node references, slots 5 to 13 the
// first slots of the element table, class table, node references, node labels, part table, node
// map, boundary-condition zeros, beam zeros and the CBCODB words. rotation is 3 x 3 by columns.
ZMX_EXPORT void ODB_CREATESUPERMODEL(const Int* analysisDatabase, Int* handle, const Real* rotation,
                                     const Real* translation, void* work, Int* coreCount, const char* fileName,
                                     Int fileNameLength);
// Inserts the n addresses of list with the n keys behind them, then address 0 with key size + 1;
// gives what the last insertion gives.
ZMX_EXPORT Int CREATESECTIONMAP(const Int* map, const Int* n, const Int* list);
// Classifies every element: element table, class table (capacity in slots in coreCount, raised
// through DBCORE to 14 slots a class as classes are made; written only within the table's room),
// connector table and names; arraySize receives the number
// of integers of the label and connectivity array.
ZMX_EXPORT void ODBCLASS1(void* buffer, Int* classTable, const Int* sectionMap, Int* elementTable, Int* classCount,
                          Int* coreCount, Int* connectorTable, void* connectorBuffer, void* connectorNames,
                          const Int* namesPerElement, const Int* connectorFlag, const Int* analysisDatabase,
                          Int* arraySize);
ZMX_EXPORT void GETSECTION(const Int* element, const Int* typeRecord, Int* section, Int* notWritten);
ZMX_EXPORT void GETORIENT(const void* sectionRecord, const Int* sectionAddress, Int* kind, const Int* typeCode);
// Node references of the rigid surfaces and reference nodes, five slots per entry, as many as
// the records give; the record buffer holds the largest of CGM words 40 to 54 slots.
ZMX_EXPORT void NODRFN(void* references, void* buffer, Int* count, const Int* nodeDatabase);
// The sorted distinct non-zero values of the hourglass-material records, moved to the front of
// the buffer (records are read into its first CGM word 44 slots, the values gathered behind);
// count receives their number.
ZMX_EXPORT void HMATI(void* buffer, Int* count);
// The number of parts: element-set entries whose name begins with "XID" or " PI"; the buffer
// receives the element-set directory and holds CGM word 47 slots.
ZMX_EXPORT void ODBGETNPART(void* buffer, Int* count);
ZMX_EXPORT void ODBMAXBEAM(const Int* classTable, const Int* classCount, Int* maximum);
ZMX_EXPORT void GETEXT2INTNODE(Int* labels, const Int* nodeCount, const Int* nodeDatabase);

// ---- writer driver -----------------------------------------------------------------------------

ZMX_EXPORT void WRITEMODELODBSUPER(void* buffer1, void* buffer2, void* buffer3, Int* elementTable, void* work,
                                   void* nodeReferences, const Int* nodeLabels, Int* classTable, Int* partTable,
                                   Int* nodeMap, Int* bcTable, const Int* referenceCount, const Int* m13,
                                   const Int* m14, const Int* unused, const char* fileName, Int fileNameLength,
                                   const Int* expectedParts, Int* classCount, const Real* rotation,
                                   const Real* translation, const Int* analysisDatabase, Int* handle,
                                   const Int* solverFlag, void* connectorNames, void* connectorBuffer,
                                   const Int* connectorFlag, Int* labelArray);
ZMX_EXPORT void ODBOPEN(Int* handle, const Int* directions, const char* name, Int nameLength,
                        const Int* solverFlag);
ZMX_EXPORT void ODBNODES(const void* nodeList, Int* nodeMap, const Int* part, const Int* directions,
                         const Int* positioning, const Real* rotation, const Real* translation, const Int* handle,
                         const Int* nodeDatabase, const Int* nodePackage, const Int* nodeFlags);
ZMX_EXPORT void SHR_ODBORIENTATION(const Int* handle, const void* record, const Real* origin);

// ---- element classes and connectors ------------------------------------------------------------

// Defines the class in the output database. positions receives 4-byte reals and counts integers.
ZMX_EXPORT void ODBCLASS(void* buffer, Int* classRecord, const Int* typeRecord, float* positions, const Int* handle,
                         Int* counts, const void* connectorNames, const Int* maxNames, const Int* connectorFlag);
ZMX_EXPORT void GETCATEGORY(void* buffer, const Int* typeRecord, char* category, Int categoryLength,
                            const Int* sectionAddress, Int* nameCount, char* names, Int nameLength,
                            const Int* maxNames);
ZMX_EXPORT void GETPOSITION(const Real* sectionReals, const void* sectionSlots, Int* points,
                            const Int* sectionAddress, const Int* typeCode, Int* layered, Int* severalLayers,
                            Int* profileCode, Int* twoCoordinates, float* positions, Int* counts);
ZMX_EXPORT void ODBELEMENT(const Int* element, const Int* nodeLabels, Int* classTable, const Int* typeRecord,
                           const Int* classNumber, Int* labelSlot, Int* row, const Int* nodesPerElement,
                           const Int* handle);
ZMX_EXPORT void ELEXPND(Int* connectivity, const Int* typeCode);
}

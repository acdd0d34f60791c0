// Import of an earlier explicit analysis: the readers of the model, the steps and times, and
// the global and nodal state of a stored increment.
//
// Blocks out are import blocks of the caller's work array (index offset added); reals are 4-byte
// single precision. 134217729 in place of an index means that no block was made; counts are 0
// with it. Statuses: 0 served, 1 not available, 2 step or increment out of range.
//
// The workers (names ending in 1, 2 or DOM) take the model table (or the step table) as an
// array with its length in words; blocks they make are handed back without the index offset.
#pragma once

#include "zmx/types.h"

extern "C" {
// ---- Model -----------------------------------------------------------------------------------

// Element labels of the class, and for each element the global positions of its nodes.
ZMX_EXPORT void ACC_MDB_ELEMMODELDATA(const Int* elementClass, Int* labels, Int* connectivity);
// count = the set's class entries; an integer block of count + 2n words, the members per class first.
ZMX_EXPORT void ACC_MDB_ELEMSETCLASSES(const Int* set, Int* count, Int* block);
// Number of element sets, their names (2 words each) and their class-entry counts.
ZMX_EXPORT void ACC_MDB_ELEMSETDATA(Int* sets, Int* names, Int* counts);
// The members of the set in one element class.
ZMX_EXPORT void ACC_MDB_ELSETCLASSMEMBERS(const Int* set, const Int* elementClass, Int* count, Int* block);
// Node labels, and c coordinates per node, at each node's global position.
ZMX_EXPORT void ACC_MDB_NODEMODELDATA(Int* labels, Int* coordinates);
ZMX_EXPORT void ACC_MDB_NODESETDATA(Int* sets, Int* names, Int* counts);
ZMX_EXPORT void ACC_MDB_NODESETMEMBERS(const Int* set, Int* count, Int* block);
// One word per node: 0, or (flag non-zero) the label of each node with rotations.
ZMX_EXPORT void ACC_MDB_ROTNODEMODELDATA(const Int* flag, Int* block);
// answer 0 when some domain holds the node label, 1 when none does.
ZMX_EXPORT void INQ_MDB_NODEID(const Int* label, Int* answer);
// The first class that holds the element label, 0 when none.
ZMX_EXPORT void INQ_MDB_WHICHCLASS(const Int* label, Int* elementClass);
ZMX_EXPORT void INQ_PDB_MODEL(Int* nodes, Int* classes, Int* components);
ZMX_EXPORT void INQ_PDB_NODEMODELCOMP(Int* components, Int* rotComponents, Int* one, Int* nodeValues);
// The description of a class in 13 results; r8 to r10 are blocks.
ZMX_EXPORT void INQ_PDB_CLASS(const Int* elementClass, Int* r1, Int* r2, Int* r3, Int* r4, Int* r5, Int* r6, Int* r7,
                              Int* r8, Int* r9, Int* r10, Int* r11, Int* r12, Int* r13);

ZMX_EXPORT void ACC_MDB_ELEMMODELDATA1(const Int* table, const Int* tableLength, const Int* elementClass, Int* labels);
ZMX_EXPORT void ACC_MDB_ELEMMODELDATA2(const Int* table, const Int* tableLength, const Int* elementClass,
                                       Int* connectivity);
ZMX_EXPORT void ACC_MDB_ELEMSETCLASSES1(const Int* table, const Int* tableLength, const Int* set, Int* count, Int* block);
ZMX_EXPORT void ACC_MDB_ELEMSETDATA1(const Int* table, const Int* tableLength, Int* sets, Int* names, Int* counts);
ZMX_EXPORT void ACC_MDB_ELSETCLASSMEMBERS1(const Int* table, const Int* tableLength, const Int* set,
                                           const Int* elementClass, Int* count, Int* block);
// Fill the given blocks (indexes without the offset) for every domain, or for domain d.
ZMX_EXPORT void ACC_MDB_NODEMODELDATA1(const Int* table, const Int* tableLength, const Int* labels,
                                       const Int* coordinates);
ZMX_EXPORT void ACC_MDB_NODEMODELDATADOM(const Int* table, const Int* tableLength, const Int* domain,
                                         const Int* labels, const Int* coordinates);
ZMX_EXPORT void ACC_MDB_NODESETDATA1(const Int* table, const Int* tableLength, Int* sets, Int* names, Int* counts);
ZMX_EXPORT void ACC_MDB_NODESETMEMBERS1(const Int* table, const Int* tableLength, const Int* set, Int* count,
                                        Int* block);
ZMX_EXPORT void ACC_MDB_ROTNODEMODELDATA1(const Int* table, const Int* tableLength, const Int* flag, const Int* block);
ZMX_EXPORT void ACC_MDB_ROTNODEMODELDATADOM(const Int* table, const Int* tableLength, const Int* domain,
                                            const Int* block);
ZMX_EXPORT void INQ_MDB_NODEID1(const Int* table, const Int* tableLength, const Int* label, Int* answer);
ZMX_EXPORT void INQ_MDB_NODEIDDOM(const Int* table, const Int* tableLength, const Int* domain, const Int* label,
                                  Int* answer);
ZMX_EXPORT void INQ_MDB_WHICHCLASS1(const Int* table, const Int* tableLength, const Int* label, Int* elementClass);
// results: r1 .. r13 of INQ_PDB_CLASS; CLASS2 makes the three blocks r8 to r10.
ZMX_EXPORT void INQ_PDB_CLASS1(const Int* table, const Int* tableLength, const float* reals, const Int* realsLength,
                               const Int* elementClass, Int* results);
ZMX_EXPORT void INQ_PDB_CLASS2(const Int* table, const Int* tableLength, const float* reals, const Int* realsLength,
                               const Int* elementClass, Int* results);

// ---- Restart data, steps and times ---------------------------------------------------------

ZMX_EXPORT void INQ_RDB_RESTART(Int* steps, Int* numbers, Int* starts);
ZMX_EXPORT void INQ_RDB_STEP(const Int* step, Int* times, Int* increments, Int* count, Int* value, Int* procedure);
// The first stored increment whose total time reaches time; all five results 0 when none does.
ZMX_EXPORT void INQ_RDB_TIME(const float* time, Int* step, Int* position, Int* increment, float* stepStart,
                             float* timeInStep);
ZMX_EXPORT void INQ_RDB_ALECLASSNUMBER(const Int* step, Int* elementClass);

// Over a step table of steps rows (16 words each).
ZMX_EXPORT void INQ_RDB_STEP1(const Int* step, const Int* steps, const Int* stepTable, Int* count, Int* times,
                              Int* increments);
ZMX_EXPORT void INQ_RDB_TIME1(const float* time, const Int* steps, const Int* stepTable, const float* starts, Int* step,
                              Int* position, Int* increment, float* stepStart, float* timeInStep);
// One step: position 0 when no stored increment reaches time.
ZMX_EXPORT void INQ_RDB_TIMESTEP(const float* time, const float* stepStart, const Int* count, const float* times,
                                 const Int* increments, Int* position, Int* increment, float* timeInStep);

// ---- Global and nodal state ----------------------------------------------------------------

ZMX_EXPORT void ACC_SDB_GLOBKEY(const Int* stepRow, const Int* increment, const Int* stateKey, float* value,
                                Int* status);
// The value of the state key from the open increment's two global blocks.
ZMX_EXPORT void ACC_SDB_GLOBKEY1(const Int* stateKey, float* value, const Int* table, Int* status);
ZMX_EXPORT void ACC_SDB_NODEKEY(const Int* stepRow, const Int* increment, const Int* stateKey, Int* components,
                                Int* block, Int* status);
ZMX_EXPORT void ACC_SDB_NODEKEYALL(const Int* stepRow, const Int* increment, const Int* stateKeys, Int* components,
                                   Int* blocks, Int* statuses);
// Loop over the domains for one (ten) state keys into made blocks (indexes without the offset).
ZMX_EXPORT void ACC_SDB_NODEKEY1(const Int* incrementKey, const Int* table, const Int* tableLength,
                                 const Int* stateKey, const Int* components, const Int* block, Int* status);
ZMX_EXPORT void ACC_SDB_NODEKEYALL1(const Int* incrementKey, const Int* table, const Int* tableLength,
                                    const Int* stateKeys, const Int* components, const Int* blocks, Int* statuses);
// One domain (its state partitions open) and one state key; domainGlobal is its 23-real block.
ZMX_EXPORT void ACC_SDB_NODEKEYDOM(const Int* domain, const Int* table, const Int* tableLength,
                                   const float* domainGlobal, const Int* stateKey, const Int* components,
                                   const Int* block, Int* status);
// Rotation vectors of count nodes from stored quaternions (components + 1 reals per node, the
// scalar part first), written at result word (position - 1) x stride + k.
ZMX_EXPORT void ACC_SDB_NODEQUATERNION(const Int* count, const Int* components, const Int* stride,
                                       const Int* positions, const float* quaternions, float* result);
}
